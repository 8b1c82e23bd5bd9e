#include "core/mainmod.h"
#include "mainwindow/recipesave.h"
#include "mainwindow/panel.h"
#include "mainwindow/recipegone.h"
#include "mainwindow/recipeview.h"
#include "tests/mainwindow/view/viewfixture.h"

#include <QStringList>

#include <utility>
#include <vector>

namespace {

using kv::EditLine;
using kv::EditRecipe;
using kv::test::CookbookTest;

const QVariant kNull;

EditLine line(const QVariant& nr, const QVariant& men, const QVariant& ename, const QVariant& zut)
{
    return EditLine{nr, men, ename, zut, std::nullopt};
}

TEST(ReadAmount, ReadsWholePartsFractionsAndDecimalsAsACookWritesThem)
{
    const std::vector<std::pair<QString, double>> cases = {
        {QStringLiteral("1 1/2"), 1.5},    {QStringLiteral("3/4"), 0.75},  {QStringLiteral("1/3"), 1.0 / 3},
        {QStringLiteral("0,75"), 0.75},    {QStringLiteral("0.75"), 0.75}, {QStringLiteral("2 Stück"), 2},
        {QStringLiteral(""), 0},           {QStringLiteral("12abc"), 12},  {QStringLiteral("abc"), 0},
        {QStringLiteral("1,5"), 1.5},      {QStringLiteral("1.2.3"), 1.2}, {QStringLiteral("-1/2"), -0.5},
        {QStringLiteral("1  1/2"), 1.5},   {QStringLiteral(" 2 "), 2},     {QStringLiteral("2 1/2 EL"), 2.5},
    };
    for (const auto& [text, amount] : cases) {
        const std::optional<double> read = kv::readAmount(text);
        ASSERT_TRUE(read.has_value()) << text.toStdString();
        EXPECT_DOUBLE_EQ(*read, amount) << text.toStdString();
    }
    for (const QString& text : {QStringLiteral("1/0"), QStringLiteral("2 3/0"), QStringLiteral("3/"),
                               QStringLiteral("1 1/abc")})
        EXPECT_FALSE(kv::readAmount(text).has_value()) << text.toStdString();
}

TEST(PartNumbers, AHeadingOrANumberThatDoesNotRiseOpensAPart)
{
    const QVariant empty = QString();
    const std::vector<std::pair<std::vector<QVariant>, std::vector<int>>> cases = {
        {{1, 2, 3}, {1, 1, 1}},
        {{1, 2, 0, 1, 2}, {1, 1, 2, 2, 2}},
        {{0, 1, 2}, {2, 2, 2}},
        {{1, 2, 1, 2}, {1, 1, 2, 2}},
        {{1, empty, 1}, {1, 2, 2}},
        {{1, 3, 5}, {1, 1, 1}},
        {{kNull, 1, 2}, {2, 2, 2}},
    };
    for (const auto& [nrs, tids] : cases) EXPECT_EQ(kv::partNumbers(nrs), tids);
}

class SaveRezept : public CookbookTest {
protected:
    QStringList rows(const QString& sql, const QVariantList& values = {})
    {
        kv::db::Statement st(*db, sql);
        for (int i = 0; i < values.size(); ++i) st.bind(i + 1, values[i]);
        QStringList out;
        while (st.step()) {
            QStringList cells;
            for (int c = 0; c < st.columnCount(); ++c)
                cells << (st.isNull(c) ? QStringLiteral("Null") : st.value(c).toString());
            out << cells.join(QLatin1Char('|'));
        }
        return out;
    }

    // Every row a save may write, in stored order.
    QStringList snapshot()
    {
        QStringList tables = kv::reztabellen;
        tables << QStringLiteral("rezepte") << QStringLiteral("zutindex") << QStringLiteral("einheiten")
               << QStringLiteral("stichworte") << QStringLiteral("substich") << QStringLiteral("importdateien");
        QStringList out;
        for (const QString& table : tables) {
            out << table;
            out << rows(QStringLiteral("select * from [%1] order by rowid").arg(table));
        }
        return out;
    }

    QStringList linesOf(qint64 rid)
    {
        return rows(QStringLiteral("select z.tid, z.nr, z.eid, z.menge, i.zutat from zutaten z "
                                   "join zutindex i on i.zutid = z.zutid where z.rid=? order by z.rowid"),
                    {rid});
    }

    EditRecipe newRecipe(const QString& name)
    {
        EditRecipe r;
        r.name = name;
        r.servings = QStringLiteral("4");
        r.kid = QStringLiteral("13");
        r.lines = {line(1, QStringLiteral("1"), kNull, QStringLiteral("Ei"))};
        return r;
    }
};

TEST_F(SaveRezept, ANewRecipeIsFiledUnderSelbstEingegebenWithItsLinesInParts)
{
    EditRecipe r;
    r.name = QStringLiteral("Zwetschgendatschi");
    r.servings = QStringLiteral("12");
    r.kid = QStringLiteral("13");
    r.zub = QStringLiteral("Den Teig ausrollen und belegen.");
    r.stich = QStringLiteral("Kuchen, Sommer");
    r.lines = {line(kNull, QString(), QString(), QStringLiteral("Für den Teig")),
               line(1, QStringLiteral("1 1/2"), QStringLiteral("EL"), QStringLiteral("Zucker")),
               line(2, QStringLiteral("200"), QStringLiteral("g"), QStringLiteral("Zwetschgen, entsteint")),
               line(3, QStringLiteral("1"), QStringLiteral("g"), kNull),
               line(QString(), QStringLiteral("0"), QString(), QStringLiteral("Zum Bestreuen")),
               line(1, QStringLiteral("2"), QStringLiteral("EL"), QStringLiteral("Zwetschgen, entsteint"))};
    const qint64 zutaten = count(QStringLiteral("select count(*) from zutindex"));

    const qint64 rid = kv::saverezept(*db, r);

    EXPECT_EQ(rows(QStringLiteral("select rname, port, ungenau, kid, komid, did from rezepte where rid=?"), {rid}),
              QStringList{QStringLiteral("Zwetschgendatschi|12|0|13|Null|2")});
    EXPECT_EQ(value(QStringLiteral("select dname from importdateien where did=2")).toString(),
              QStringLiteral("Selbst eingegeben"));
    EXPECT_EQ(kv::zubText(*db, rid), r.zub);
    // The line without ingredient is left out and takes no part in the numbering.
    EXPECT_EQ(linesOf(rid), (QStringList{QStringLiteral("2|Null|Null|Null|Für den Teig"),
                                         QStringLiteral("2|1|29|1.5|Zucker"),
                                         QStringLiteral("2|2|11|200|Zwetschgen, entsteint"),
                                         QStringLiteral("3|Null|Null|Null|Zum Bestreuen"),
                                         QStringLiteral("3|1|29|2|Zwetschgen, entsteint")}));
    EXPECT_EQ(count(QStringLiteral("select count(*) from zutindex")), zutaten + 2);
    EXPECT_EQ(kv::stichText(*db, rid), QStringLiteral("Kuchen, Sommer"));

    // The next new recipe finds the file again.
    const qint64 second = kv::saverezept(*db, newRecipe(QStringLiteral("Rührei")));
    EXPECT_EQ(value(QStringLiteral("select did from rezepte where rid=%1").arg(second)).toLongLong(), 2);
    EXPECT_EQ(count(QStringLiteral("select count(*) from importdateien")), 3);
}

// A line begun in the grid without its number still follows the line before it; only a
// line with its text alone and no number is a heading.
TEST_F(SaveRezept, ALineWithAnAmountOrAUnitButNoNumberFollowsTheLineBeforeIt)
{
    EditRecipe r = newRecipe(QStringLiteral("Pflaumenmus"));
    r.lines = {line(kNull, QStringLiteral("2"), QStringLiteral("kg"), QStringLiteral("Pflaumen")),
               line(1, QStringLiteral("250"), QStringLiteral("g"), QStringLiteral("Zucker")),
               line(QString(), QString(), QStringLiteral("Pr"), QStringLiteral("Zimt")),
               line(kNull, QString(), QString(), QStringLiteral("Zum Abfüllen")),
               line(kNull, QStringLiteral("4"), QString(), QStringLiteral("Gläser")),
               line(0, QString(), QString(), QStringLiteral("Dazu")),
               line(kNull, QStringLiteral("1/2"), QString(), QStringLiteral("Zitrone"))};
    const qint64 rid = kv::saverezept(*db, r);
    const QString kg = value(QStringLiteral("select eid from einheiten where ename='kg'")).toString();
    const QString pr = value(QStringLiteral("select eid from einheiten where ename='Pr'")).toString();
    EXPECT_EQ(linesOf(rid), (QStringList{QStringLiteral("1|1|%1|2|Pflaumen").arg(kg),
                                         QStringLiteral("2|1|11|250|Zucker"),
                                         QStringLiteral("2|2|%1|Null|Zimt").arg(pr),
                                         QStringLiteral("3|Null|Null|Null|Zum Abfüllen"),
                                         QStringLiteral("3|1|Null|4|Gläser"),
                                         QStringLiteral("4|0|Null|Null|Dazu"),
                                         QStringLiteral("4|1|Null|0.5|Zitrone")}));
}

// An edit writes the title, servings and category only where they differ, and then as
// typed: a title that differs in its letter case alone, or a servings text "04", is a
// change; a recipe marked inexact is marked exact by any save.
TEST_F(SaveRezept, AnEditStoresTheRecipesRowAsTypedWhereverItDiffers)
{
    const auto row = [&] { return rows(QStringLiteral("select rname, port, ungenau, kid, komid, did from rezepte where rid=1")); };
    const QString kid = value(QStringLiteral("select kid from rezepte where rid=1")).toString();
    EditRecipe r = kv::loadRecipeForEdit(*db, 1);
    const QStringList before = row();
    kv::saverezept(*db, r);
    EXPECT_EQ(row(), before);

    r.name = r.name.toUpper();
    kv::saverezept(*db, r);
    EXPECT_EQ(value(QStringLiteral("select rname from rezepte where rid=1")).toString(), r.name);

    r.servings = QStringLiteral("07");
    r.kid = QStringLiteral("13");
    kv::saverezept(*db, r);
    EXPECT_EQ(rows(QStringLiteral("select port, typeof(port), kid, typeof(kid) from rezepte where rid=1")),
              QStringList{QStringLiteral("7|integer|13|integer")});

    db->execute(QStringLiteral("update rezepte set ungenau=1 where rid=1"));
    kv::saverezept(*db, r);
    EXPECT_EQ(value(QStringLiteral("select ungenau from rezepte where rid=1")).toInt(), 0);
    r.kid = kid;
    kv::saverezept(*db, r);
    EXPECT_EQ(value(QStringLiteral("select kid from rezepte where rid=1")).toString(), kid);
}

TEST_F(SaveRezept, SelbstEingegebenTakesTheNextFileIdOrStartsTheFileList)
{
    db->execute(QStringLiteral("delete from importdateien"));
    db->execute(QStringLiteral("insert into importdateien (did,dname,\"check\") values "
                               "(0,'Alle',0),(2,'Zwei',0),(1,'Eins',0)"));
    const qint64 rid = kv::saverezept(*db, newRecipe(QStringLiteral("Rührei")));
    EXPECT_EQ(value(QStringLiteral("select did from rezepte where rid=%1").arg(rid)).toLongLong(), 3);
    EXPECT_EQ(value(QStringLiteral("select dname from importdateien where did=3")).toString(),
              QStringLiteral("Selbst eingegeben"));

    db->execute(QStringLiteral("delete from importdateien"));
    const qint64 next = kv::saverezept(*db, newRecipe(QStringLiteral("Spiegelei")));
    EXPECT_EQ(rows(QStringLiteral("select did, dname, \"check\" from importdateien order by did")),
              (QStringList{QStringLiteral("0|Alle|Null"), QStringLiteral("1|Selbst eingegeben|1")}));
    EXPECT_EQ(value(QStringLiteral("select did from rezepte where rid=%1").arg(next)).toLongLong(), 1);
}

TEST_F(SaveRezept, AFailureMidSaveLeavesTheCookbookAsItWas)
{
    EditRecipe r = kv::loadRecipeForEdit(*db, 1);
    r.name = QStringLiteral("Kartoffelsuppe neu");
    r.servings = QStringLiteral("6");
    r.zub = QStringLiteral("Anders gekocht.");
    r.stich = QStringLiteral("Herbst, Picknick");
    r.lines.erase(r.lines.begin());
    r.lines.push_back(line(12, QStringLiteral("1"), QStringLiteral("Becher"), QStringLiteral("Schmand, neu")));
    const QStringList before = snapshot();

    // Early, before any line; and last, after lines, units, ingredients and keywords.
    for (const QString& table : {QStringLiteral("zubereit"), QStringLiteral("rezstich")}) {
        SCOPED_TRACE(table.toStdString());
        db->execute(QStringLiteral("create trigger stopsave before insert on %1 begin select raise(abort,'x'); end")
                        .arg(table));
        EXPECT_THROW(kv::saverezept(*db, r), kv::db::DbError);
        db->execute(QStringLiteral("drop trigger stopsave"));
        EXPECT_EQ(snapshot(), before);
        EXPECT_FALSE(db->inTransaction());
    }
    // Without the trigger the same save goes through.
    kv::saverezept(*db, r);
    EXPECT_EQ(kv::stichText(*db, 1), QStringLiteral("Herbst, Picknick"));
}

TEST_F(SaveRezept, ARecipeDeletedMeanwhileIsNotSavedAgain)
{
    const EditRecipe r = kv::loadRecipeForEdit(*db, 2);
    db->execute(QStringLiteral("delete from rezepte where rid=2"));
    const QStringList before = snapshot();
    const QString gone = QStringLiteral("Das Rezept wurde inzwischen gelöscht, wohl von einem anderen Kelvor, das "
                                        "dasselbe Kochbuch geöffnet hat.");
    try {
        kv::saverezept(*db, r);
        ADD_FAILURE() << "saved";
    } catch (const kv::RecipeGone& e) {
        EXPECT_EQ(e.text(), gone);
        EXPECT_EQ(e.rid(), 2);
    }
    EXPECT_EQ(snapshot(), before);
    EXPECT_THROW(kv::loadRecipeForEdit(*db, 2), kv::RecipeGone);
}

TEST_F(SaveRezept, ARecipeWithoutANameIsNeitherAddedNorRenamedToBlank)
{
    const QStringList before = snapshot();
    EditRecipe edited = kv::loadRecipeForEdit(*db, 1);
    for (const QString& blank : {QString(), QStringLiteral("   "), QStringLiteral("\t")}) {
        SCOPED_TRACE(blank.toStdString());
        EditRecipe added = newRecipe(blank);
        ASSERT_TRUE(kv::saveRefusal(*db, added).has_value());
        EXPECT_EQ(*kv::saveRefusal(*db, added), QStringLiteral("Bitte geben Sie einen Namen für das Rezept ein."));
        EXPECT_THROW(kv::saverezept(*db, added), kv::db::DbError);
        edited.name = blank;
        EXPECT_THROW(kv::saverezept(*db, edited), kv::db::DbError);
        EXPECT_EQ(snapshot(), before);
    }
    EXPECT_FALSE(kv::saveRefusal(*db, newRecipe(QStringLiteral(" Ei im Glas "))).has_value());
}

TEST_F(SaveRezept, UnitXTakesTheUnscaledIdWhenItIsFreeAndNewUnitsAreAddedOnce)
{
    db->execute(QStringLiteral("delete from einheiten where eid=115"));
    EditRecipe r = newRecipe(QStringLiteral("Pfannkuchen"));
    r.lines = {line(1, QStringLiteral("2"), QStringLiteral("x"), QStringLiteral("Eier")),
               line(2, QStringLiteral("1"), QStringLiteral("x"), QStringLiteral("Milch")),
               line(3, QStringLiteral("1"), QStringLiteral("Becher"), QStringLiteral("Sahne")),
               line(4, QStringLiteral("2"), QStringLiteral("becher"), QStringLiteral("Quark"))};
    const qint64 rid = kv::saverezept(*db, r);
    EXPECT_EQ(rows(QStringLiteral("select ename, ekurz, mmunit from einheiten where eid=115")),
              QStringList{QStringLiteral("x|$$|0")});
    const qint64 becher = value(QStringLiteral("select eid from einheiten where ename='Becher'")).toLongLong();
    EXPECT_EQ(count(QStringLiteral("select count(*) from einheiten where ename='Becher'")), 1);
    EXPECT_EQ(rows(QStringLiteral("select eid from zutaten where rid=? order by rowid"), {rid}),
              (QStringList{QStringLiteral("115"), QStringLiteral("115"), QString::number(becher),
                           QString::number(becher)}));

    db->execute(QStringLiteral("update einheiten set ename='Msp' where eid=115"));
    const qint64 other = kv::saverezept(*db, r);
    const QStringList x = rows(QStringLiteral("select eid, ekurz, mmunit from einheiten where ename='x'"));
    ASSERT_EQ(x.size(), 1);
    EXPECT_NE(x[0].section(QLatin1Char('|'), 0, 0), QStringLiteral("115"));
    EXPECT_EQ(x[0].section(QLatin1Char('|'), 1), QStringLiteral("$$|0"));
    EXPECT_EQ(value(QStringLiteral("select eid from zutaten where rid=%1 and nr=1").arg(other)).toString(),
              x[0].section(QLatin1Char('|'), 0, 0));
}

}  // namespace
