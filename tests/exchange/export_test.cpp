// The Meal-Master and HTML writers on a copy of the delivered cookbook: exact texts of
// single recipes, the preview limit, the file encodings and files that cannot be written.

#include "core/fraction.h"
#include "exchange/export.h"
#include "platform/paths.h"
#include "tests/exchange/exportrows.h"
#include "tests/mainwindow/view/viewfixture.h"

#include <gtest/gtest.h>

#include <QDir>

#include <algorithm>
#include <optional>
#include <vector>

namespace kv::test {
namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kKopfzeile =
    QStringLiteral("MMMMM----- Meal-Master-Rezept-Format - exportiert aus Kelvor 2.0 am 03.02.2025");
const QString kHinweis =
    QStringLiteral("############ In dieser Anzeige nach 30 Rezepten abgeschnitten ###########\r\n"
                   "(In die Datei werden alle Rezepte geschrieben; in die Zwischenablage nur die hier angezeigten.)");

QString lines(const QStringList& list)
{
    return list.join(kCrLf);
}

class Writers : public CookbookTest {
protected:
    using Line = ExportLine;

    void SetUp() override
    {
        CookbookTest::SetUp();
        aid = newSelection(*db);
    }

    qint64 ownUnit(const QString& ename) { return addOwnUnit(*db, ename); }
    qint64 recipe(const QString& name, int port, const std::vector<Line>& rows, const std::optional<QString>& ztext,
                  int p = 0, const QVariant& kid = {})
    {
        return addRecipe(*db, aid, name, port, rows, ztext, p, kid);
    }

    QString mm() { return mmstring(*db, aid, false, {}, kHeute); }
    QString html() { return htmlstring(*db, aid, false, {}); }

    qint64 aid = 0;
};

TEST_F(Writers, MealMasterWritesHeaderColumnsScaledAmountsHeadingsAndWrappedTextsExactly)
{
    const QString longHeading = QStringLiteral("Für die Füllung: Quark, Eier, Zucker und abgeriebene Zitronen.");
    ASSERT_EQ(longHeading.size(), 62);
    const qint64 rid = recipe(QStringLiteral("Butterbrot"), 4,
                              {{1, 1, kEL, 3, QStringLiteral("Butter")},
                               {1, 2, kGramm, 250, QStringLiteral("Mehl")},
                               {1, 3, {}, 1, QStringLiteral("Tomaten, enthäutet, kleingewürfelt, kalt")},
                               {2, 0, {}, {}, QStringLiteral("Teig")},
                               {2, 1, ownUnit(QStringLiteral("Handvoll")), 2, QStringLiteral("Petersilie")},
                               {2, 2, kMilliliter, 25.875, QStringLiteral("Milch")},
                               {3, 0, {}, {}, longHeading},
                               {3, 1, {}, {}, QStringLiteral("Salz")},
                               {3, 2, {}, {}, QStringLiteral("Rindfleischetikettierungsgesetz-Brot")},
                               {3, 3, {}, {}, QStringLiteral("Rindfleischetikettierungsgesetz und Brot")}},
                              QStringLiteral("Brot schmieren.\n  Belegen.  \n-----Tipp: warm essen."), 2, 1);
    db->execute(QStringLiteral("insert into rezstich (rid, sid) values (?, 10), (?, 13)"), {rid, rid});

    const QString teig = QStringLiteral("MMMMM") + QString(33, u'-') + QStringLiteral("Teig") + QString(39, u'-');
    EXPECT_EQ(teig.indexOf(QStringLiteral("Teig")) + 1, 39);
    EXPECT_EQ(mm(), lines({kKopfzeile,
                           QStringLiteral("     Title: Butterbrot"),
                           QStringLiteral("Categories: Vorspeisen"),
                           QStringLiteral("  Servings: 2 Portionen"),
                           QString(),
                           QStringLiteral("  1 1/2 tb Butter"),
                           QStringLiteral("    125 g  Mehl"),
                           QStringLiteral("    1/2    Tomaten, enthäutet, "),
                           QStringLiteral("           - kleingewürfelt, kalt"),
                           teig,
                           QStringLiteral("      1    Handvoll Petersilie"),
                           QStringLiteral("12 15/16 ml Milch"),
                           QStringLiteral("MMMMM-----") + longHeading + QStringLiteral("-----"),
                           QStringLiteral("           Salz"),
                           // no blank to cut at: whole, or cut at the next blank
                           QStringLiteral("           Rindfleischetikettierungsgesetz-Brot"),
                           QStringLiteral("           Rindfleischetikettierungsgesetz "),
                           QStringLiteral("           - und Brot"),
                           QString(),
                           // a break as an empty line; a line that would end the recipe indented
                           QStringLiteral("Brot schmieren."),
                           QString(),
                           QStringLiteral("Belegen."),
                           QStringLiteral("   -----Tipp: warm essen."),
                           QStringLiteral("Stichworte: Herbst, Deutsch"),
                           QStringLiteral("MMMMM"),
                           QString(),
                           QString()}));
}

// The fixed amount's unit keeps its "x" in the unit column, so the import takes it back as
// that unit instead of as part of the ingredient.
TEST_F(Writers, TheFixedAmountsUnitIsWrittenAsXInTheUnitColumn)
{
    recipe(QStringLiteral("Blechkuchen"), 4, {{1, 1, kUnscaledUnit, 1, QStringLiteral("Backblech, gefettet")}},
           std::nullopt);
    EXPECT_TRUE(mm().contains(QStringLiteral("\r\n      1 x  Backblech, gefettet\r\n"))) << mm().toStdString();
}

TEST_F(Writers, RecipesWithoutPreparationOrIngredientLinesAreWrittenWithEmptyParts)
{
    recipe(QStringLiteral("Leer"), 4, {}, std::nullopt);
    recipe(QStringLiteral("Nur Zubereitung"), 4, {}, QStringLiteral("Alles mischen."));
    recipe(QStringLiteral("Nur Zutaten"), 4, {{1, 1, kGramm, 100, QStringLiteral("Zucker")}}, std::nullopt);

    const QString mmText = mm();
    EXPECT_TRUE(mmText.startsWith(lines({kKopfzeile, QStringLiteral("     Title: Leer"), QStringLiteral("Categories: "),
                                         QStringLiteral("  Servings: 4 Portionen"), QString(), QString(), QString(),
                                         QStringLiteral("Stichworte: "), QStringLiteral("MMMMM"), QString(), kKopfzeile})))
        << mmText.toStdString();
    EXPECT_EQ(mmText.count(kKopfzeile), 3);
    EXPECT_TRUE(mmText.contains(QStringLiteral("     Title: Nur Zubereitung\r\nCategories: \r\n  Servings: 4 Portionen"
                                               "\r\n\r\n\r\nAlles mischen.\r\n")));
    EXPECT_TRUE(mmText.contains(QStringLiteral("  Servings: 4 Portionen\r\n\r\n    100 g  Zucker\r\n\r\n\r\nStichworte:")));

    const QString htmlText = html();
    EXPECT_TRUE(htmlText.startsWith(lines({QStringLiteral("<P><FONT SIZE=+1>Leer</FONT></P>"), QString(),
                                           QStringLiteral("<P><FONT SIZE=-1>4 Portionen</FONT></P>"), QString(),
                                           QStringLiteral("<PRE></PRE>"), QStringLiteral("<P>"), QStringLiteral("</P>"),
                                           QString(), QStringLiteral("<P><FONT SIZE=+1>Nur Zubereitung")})))
        << htmlText.toStdString();
    EXPECT_TRUE(htmlText.contains(QStringLiteral("<PRE></PRE>\r\n<P>Alles mischen.\r\n</P>")));
    EXPECT_TRUE(htmlText.contains(QStringLiteral("<PRE>    100          g Zucker\r\n</PRE>\r\n<P>\r\n</P>")));
}

TEST_F(Writers, HtmlWritesTheBlockExactlyEscapesRecipeTextsAndRefersToEveryOtherCharacterInTheFile)
{
    recipe(QStringLiteral("Käse & \"Brot\" <mild>"), 4,
           {{1, 1, kGramm, 250, QStringLiteral("Mehl")},
            {1, 2, ownUnit(QStringLiteral("Messerspitzen")), 1, QStringLiteral("Salz <fein>")},
            {2, 0, {}, {}, QStringLiteral("Belag & Co")},
            {2, 1, {}, 2, QStringLiteral("Tomaten")}},
           QStringLiteral("Zeile eins\r\nZeile & zwei\r\nZeile drei 🍞"));

    const QString block = lines({QStringLiteral("<P><FONT SIZE=+1>Käse &amp; &quot;Brot&quot; &lt;mild&gt;</FONT></P>"),
                                 QString(),
                                 QStringLiteral("<P><FONT SIZE=-1>4 Portionen</FONT></P>"),
                                 QString(),
                                 QStringLiteral("<PRE>    250 ") + QString(9, u' ') + QStringLiteral("g Mehl"),
                                 QStringLiteral("      1 Messerspitzen Salz &lt;fein&gt;"),
                                 QStringLiteral("</PRE>"),
                                 QStringLiteral("<P>Belag &amp; Co :</P>"),
                                 QStringLiteral("<PRE>      2 ") + QString(10, u' ') + QStringLiteral(" Tomaten"),
                                 QStringLiteral("</PRE>"),
                                 QStringLiteral("<P>Zeile eins<BR>"),
                                 QStringLiteral("Zeile &amp; zwei<BR>"),
                                 QStringLiteral("Zeile drei 🍞"),
                                 QStringLiteral("</P>"),
                                 QString(),
                                 QString()});
    EXPECT_EQ(html(), block);

    const QString file = env.tempPath(QStringLiteral("rezepte.html"));
    EXPECT_EQ(htmlstring(*db, aid, true, file, QStringLiteral("<HTML>\n<BODY>"), QStringLiteral("</BODY>\n</HTML>")),
              QString());
    const QByteArray bytes = fileBytes(file);
    EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }));
    EXPECT_TRUE(bytes.startsWith("<HTML>\r\n<BODY>\r\n<P><FONT SIZE=+1>K&#228;se &amp; &quot;Brot&quot; &lt;mild&gt;"));
    EXPECT_TRUE(bytes.contains("Zeile drei &#127838;\r\n</P>\r\n\r\n\r\n</BODY>\r\n</HTML>\r\n"));
    EXPECT_FALSE(bytes.contains("Portionen</FONT></P>\n"));
}

TEST_F(Writers, PreviewsStopAfterThirtyRecipesWithTheNoteWhileFilesHoldEveryRecipe)
{
    std::vector<qint64> rids;
    for (int i = 1; i <= 31; ++i)
        rids.push_back(recipe(QStringLiteral("Rezept %1").arg(i, 2, 10, QLatin1Char('0')), 4,
                              {{1, 1, kGramm, 100, QStringLiteral("Zucker")}}, QStringLiteral("Rühren.")));
    const QString mmFile = env.tempPath(QStringLiteral("rezepte.mm"));
    const QString htmlFile = env.tempPath(QStringLiteral("rezepte.html"));

    const QString mmPreview = mm();
    EXPECT_EQ(mmPreview.count(kKopfzeile), 30);
    EXPECT_TRUE(mmPreview.endsWith(QStringLiteral("MMMMM\r\n\r\n") + kHinweis));
    EXPECT_FALSE(mmPreview.contains(QStringLiteral("Rezept 31")));
    const QString htmlPreview = html();
    EXPECT_EQ(htmlPreview.count(QStringLiteral("<P><FONT SIZE=+1>")), 30);
    EXPECT_TRUE(htmlPreview.endsWith(QStringLiteral("</P>\r\n\r\n") + kHinweis));

    EXPECT_EQ(mmstring(*db, aid, true, mmFile, kHeute), QString());
    const QByteArray mmBytes = fileBytes(mmFile);
    EXPECT_EQ(mmBytes.count(kKopfzeile.toLatin1()), 31);
    EXPECT_FALSE(mmBytes.contains("abgeschnitten"));
    EXPECT_TRUE(mmBytes.contains("R\xFChren.\r\nStichworte: \r\nMMMMM\r\n\r\n\r\n" + kKopfzeile.toLatin1()));
    EXPECT_TRUE(mmBytes.endsWith("MMMMM\r\n\r\n\r\n"));
    EXPECT_EQ(htmlstring(*db, aid, true, htmlFile), QString());
    const QByteArray htmlBytes = fileBytes(htmlFile);
    EXPECT_EQ(htmlBytes.count("<P><FONT SIZE=+1>"), 31);
    EXPECT_FALSE(htmlBytes.contains("abgeschnitten"));

    db->execute(QStringLiteral("delete from rezinaus where rid = ?"), {rids.back()});
    EXPECT_EQ(mm().count(kKopfzeile), 30);
    EXPECT_TRUE(mm().endsWith(kHinweis));
    EXPECT_TRUE(html().endsWith(kHinweis));

    // An empty selection writes nothing; the file of an earlier export stays.
    aid = newSelection(*db);
    EXPECT_EQ(mm(), QStringLiteral("0"));
    EXPECT_EQ(html(), QStringLiteral("0"));
    EXPECT_EQ(mmstring(*db, aid, true, mmFile), QStringLiteral("0"));
    EXPECT_EQ(htmlstring(*db, aid, true, htmlFile), QStringLiteral("0"));
    EXPECT_EQ(fileBytes(mmFile), mmBytes);
    EXPECT_EQ(fileBytes(htmlFile), htmlBytes);
}

TEST_F(Writers, MealMasterFileIsWindows1252UnlessACharacterIsMissingThereThenWholeUtf8)
{
    recipe(QStringLiteral("Bräter für 5 €"), 4, {}, std::nullopt);
    const QString file = env.tempPath(QStringLiteral("rezepte.mm"));
    mmstring(*db, aid, true, file, kHeute);
    EXPECT_TRUE(fileBytes(file).contains("Title: Br\xE4ter f\xFCr 5 \x80\r\n"));

    recipe(QStringLiteral("Łódź-Pierogi"), 4, {}, std::nullopt);
    mmstring(*db, aid, true, file, kHeute);
    const QByteArray bytes = fileBytes(file);
    EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_TRUE(bytes.contains("Title: Br\xC3\xA4ter f\xC3\xBCr 5 \xE2\x82\xAC\r\n"));
    EXPECT_TRUE(bytes.contains("Title: \xC5\x81\xC3\xB3" "d\xC5\xBA-Pierogi\r\n"));
    EXPECT_FALSE(bytes.contains('?'));
}

TEST_F(Writers, AFileThatCannotBeWrittenIsReportedAndTheOldFileStays)
{
    recipe(QStringLiteral("Butterbrot"), 4, {{1, 1, kGramm, 100, QStringLiteral("Butter")}}, QStringLiteral("Streichen."));

    const QString notAFolder = env.tempPath(QStringLiteral("datei"));
    writeFileBytes(notAFolder, "kein Ordner");
    try {
        mmstring(*db, aid, true, notAFolder + QStringLiteral("/rezepte.mm"));
        ADD_FAILURE() << "no failure";
    } catch (const ExportError& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("kann nicht geschrieben werden"))) << e.what();
    }

    const QString folder = env.tempPath(QStringLiteral("export"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString old = folder + QStringLiteral("/rezepte.html");
    writeFileBytes(old, "alt");
    paths::setAccessCheck([old](const QString& path, paths::Access access) -> std::optional<bool> {
        if (path == old && access == paths::Access::Write) return false;
        return std::nullopt;
    });
    EXPECT_THROW(htmlstring(*db, aid, true, old), ExportError);
    paths::setAccessCheck({});
    EXPECT_EQ(fileBytes(old), QByteArray("alt"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("rezepte.html")});
}

}  // namespace
}  // namespace kv::test
