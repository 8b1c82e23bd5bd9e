// One German recipe written in each code page the import meets, with each line end,
// stores the same rows.

#include "platform/textreplace/cp1252.h"
#include "platform/textreplace/doscodepage.h"
#include "tests/exchange/importfixture.h"

namespace kv::test {

namespace {

// With „…“ and – where Windows and UTF-8 have them.
const QString kRecipe = QString::fromUtf8(
    "MMMMM----- Recipe via Meal-Master (tm) v8.05\n"
    "\n"
    "      Title: Apfelkuchen mit Käse\n"
    " Categories: Kuchen, Süßes\n"
    "      Yield: 4 Portionen\n"
    "\n"
    "    250 g  Äpfel, geschält\n"
    "    1/2 l  Gemüsebrühe\n"
    "      2    Klöße\n"
    "    100 g  Käse „Alter Gouda“\n"
    "MMMMM--------------------------ÜBERZUG----------------------------\n"
    "      1 ts Öl\n"
    "\n"
    "  Die Äpfel schälen – nicht zu dünn… Dann den Käse reiben.\n"
    "  Über die Klöße gießen.\n"
    "\n"
    "MMMMM\n");

// The same for DOS, which has no such signs.
QString dosRecipe()
{
    return QString(kRecipe)
        .replace(QString::fromUtf8("„"), QStringLiteral("\""))
        .replace(QString::fromUtf8("“"), QStringLiteral("\""))
        .replace(QString::fromUtf8("–"), QStringLiteral("-"))
        .replace(QString::fromUtf8("…"), QStringLiteral("..."));
}

QString withLineEnds(const QString& text, const char* end)
{
    return QString(text).replace(u'\n', QLatin1String(end));
}

class Encodings : public ImportTest {
protected:
    // Imports the bytes as a file of its own; the recipe's rows and preparation.
    QStringList stored(const QByteArray& bytes)
    {
        import(write(QStringLiteral("variante%1.mmf").arg(++m_files), bytes));
        const qint64 rid = imported().last();
        return rowsOf(rid) << preparationOf(rid);
    }
    int m_files = 0;
};

}  // namespace

TEST_F(Encodings, EveryCodePageAndLineEndStoresTheSameRows)
{
    skipexisting = false;
    const QStringList expected = {QString::fromUtf8("Apfelkuchen mit Käse|4|Kuchen & Torten"),
                                  QString::fromUtf8("1.1 250 g Äpfel, geschält"),
                                  QString::fromUtf8("1.2 0.5 l Gemüsebrühe"),
                                  QString::fromUtf8("1.3 2 - Klöße"),
                                  QString::fromUtf8("1.4 100 g Käse „Alter Gouda“"),
                                  QString::fromUtf8("2.0 ÜBERZUG"),
                                  QString::fromUtf8("2.1 1 ts Öl"),
                                  QString::fromUtf8("#Süßes"),
                                  QString::fromUtf8("Die Äpfel schälen – nicht zu dünn… Dann den Käse reiben. "
                                                    "Über die Klöße gießen.")};
    QStringList dosExpected = expected;
    dosExpected[4] = QString::fromUtf8("1.4 100 g Käse \"Alter Gouda\"");
    dosExpected[8] = QString::fromUtf8("Die Äpfel schälen - nicht zu dünn... Dann den Käse reiben. "
                                       "Über die Klöße gießen.");

    for (const char* end : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(QByteArray(end).toHex().constData());
        const QString text = withLineEnds(kRecipe, end);
        const QString dos = withLineEnds(dosRecipe(), end);
        EXPECT_EQ(stored(text.toUtf8()), expected) << "UTF-8";
        EXPECT_EQ(stored("\xEF\xBB\xBF" + text.toUtf8()), expected) << "UTF-8 with its mark";
        EXPECT_EQ(stored(*text::toWindows1252(text)), expected) << "Windows-1252";
        EXPECT_EQ(stored(*text::toDos(dos, text::DosCodePage::Cp850)), dosExpected) << "code page 850";
        EXPECT_EQ(stored(*text::toDos(dos, text::DosCodePage::Cp437)), dosExpected) << "code page 437";
        EXPECT_EQ(stored(*text::toWindows1252(dos)), dosExpected) << "Windows-1252 without its signs";
    }
    EXPECT_EQ(count("select count(*) from importerrors"), 0);
}

TEST_F(Encodings, ADosFileWithFrenchWordsKeepsThem)
{
    const QString recipe = QString::fromUtf8("MMMMM----- Recipe via Meal-Master (tm) v8.05\r\n"
                                             "      Title: Gratin mit Crème fraîche\r\n"
                                             " Categories: Gemüse\r\n"
                                             "      Yield: 2 Portionen\r\n"
                                             "\r\n"
                                             "    200 g  Crème fraîche\r\n"
                                             "      2    Zwiebeln\r\n"
                                             "\r\n"
                                             "  Die Zwiebeln würfeln, mit der Crème fraîche mischen.\r\n"
                                             "MMMMM\r\n");
    EXPECT_EQ(stored(*text::toDos(recipe, text::DosCodePage::Cp850)),
              QStringList({QString::fromUtf8("Gratin mit Crème fraîche|2|Gemüse"),
                           QString::fromUtf8("1.1 200 g Crème fraîche"), QStringLiteral("1.2 2 - Zwiebel"),
                           QString::fromUtf8("Die Zwiebeln würfeln, mit der Crème fraîche mischen.")}));
}

TEST_F(Encodings, ARecipeEndedByCtrlZWithoutALineEndIsStored)
{
    const QByteArray recipe = "MMMMM----- Recipe via Meal-Master (tm) v8.02\r\n      Title: Ohne Zubereitung\r\n"
                              " Categories: Test\r\n   Servings: 2\r\n\r\n      1 c  Mehl\r\nMMMMM\x1A";
    import(write(QStringLiteral("ohne_zeilenende.mmf"), recipe));
    const QList<qint64> rids = imported();
    ASSERT_EQ(rids.size(), 1);
    EXPECT_EQ(rowsOf(rids[0]) << preparationOf(rids[0]),
              QStringList({"Ohne Zubereitung|2|-", "1.1 1 c Mehl", "#Test", ""}));
    EXPECT_EQ(count("select count(*) from importerrors"), 0);
}

}  // namespace kv::test
