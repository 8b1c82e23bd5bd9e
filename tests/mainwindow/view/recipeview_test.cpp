#include "mainwindow/recipeview.h"
#include "tests/mainwindow/view/viewfixture.h"

namespace {

using kv::test::CookbookTest;

class RecipeView : public CookbookTest {
protected:
    // The amount shown for the first line of `zutat` of recipe `rid` at `wanted` servings.
    QString amount(qint64 rid, qint16 wanted, const QString& zutat)
    {
        const int n = kv::getzutdata(*db, rid, wanted, table);
        for (int i = 0; i < n; ++i)
            if (table[i][kv::ZutZutat].toString() == zutat) return kv::zutCell(table, i, 1);
        ADD_FAILURE() << "no line " << zutat.toStdString();
        return {};
    }

    kv::ZutTable table;
};

// The fractions themselves are the fraction tests' business; here the servings a recipe is
// written for must reach them.
TEST_F(RecipeView, AmountsAreScaledFromTheRecipesOwnServings)
{
    // Kaiserschmarrn is written for 2, with a third of a litre of milk.
    EXPECT_EQ(amount(9, 2, QStringLiteral("Milch")), QStringLiteral("1/3"));
    EXPECT_EQ(amount(9, 4, QStringLiteral("Milch")), QStringLiteral("2/3"));
    // Apfelkuchen is written for 6.
    EXPECT_EQ(amount(7, 2, QStringLiteral("Aprikosenkonfitüre")), QStringLiteral("1/2"));
    EXPECT_EQ(amount(7, 2, QStringLiteral("Zitrone, unbehandelt")), QStringLiteral("0,16"));
    // Kartoffelsuppe is written for 4; large amounts stay whole numbers.
    EXPECT_EQ(amount(1, 6, QStringLiteral("Kartoffeln, mehlig kochend")), QStringLiteral("1125"));
    EXPECT_EQ(amount(1, 6, QStringLiteral("Salz")), QString());
}

TEST_F(RecipeView, UnitHundredFifteenKeepsItsAmount)
{
    // The delivered cookbook has unit 115, "x".
    db->execute(QStringLiteral("insert into zutaten (rid,tid,nr,eid,menge,zutid) "
                               "select 1,1,12,115,2,zutid from zutindex where zutat='Salz'"));
    const int n = kv::getzutdata(*db, 1, 8, table);
    ASSERT_EQ(n, 12);
    EXPECT_EQ(kv::zutCell(table, 11, 1), QStringLiteral("2"));
    EXPECT_EQ(kv::zutCell(table, 11, 2), QStringLiteral("x"));
    EXPECT_EQ(kv::zutCell(table, 1, 1), QStringLiteral("2"));  // one onion for 4 is two for 8
}

TEST_F(RecipeView, LinesComeInPartOrderWithHeadingsWithoutNumberAmountOrUnit)
{
    const int n = kv::getzutdata(*db, 3, 4, table);
    ASSERT_EQ(n, 16);
    EXPECT_EQ(kv::zutCell(table, 0, 0), QString());
    EXPECT_EQ(kv::zutCell(table, 0, 1), QString());
    EXPECT_EQ(kv::zutCell(table, 0, 2), QString());
    EXPECT_EQ(kv::zutCell(table, 0, 3), QStringLiteral("Für die Rouladen"));
    EXPECT_EQ(kv::zutCell(table, 1, 0), QStringLiteral("1"));
    EXPECT_EQ(kv::zutCell(table, 9, 3), QStringLiteral("Für die Sauce"));
    EXPECT_EQ(kv::zutCell(table, 2, 2), QStringLiteral("EL"));
}

TEST_F(RecipeView, RecalculatingGivesWhatReadingAgainGives)
{
    const int n = kv::getzutdata(*db, 7, 4, table);
    kv::recalcmenge(table, n, 2);
    kv::ZutTable fresh;
    ASSERT_EQ(kv::getzutdata(*db, 7, 2, fresh), n);
    for (int i = 0; i < n; ++i) EXPECT_EQ(kv::zutCell(table, i, 1), kv::zutCell(fresh, i, 1)) << i;
}

TEST_F(RecipeView, MoreLinesThanTheTableHoldsShowTheFirstOnesAndTheModelNoMore)
{
    db->execute(QStringLiteral(
        "with recursive n(i) as (select 1 union all select i+1 from n where i < 300) "
        "insert into zutaten (rid,tid,nr,eid,menge,zutid) select 2,2,i,null,i,1 from n"));
    EXPECT_EQ(kv::getzutdata(*db, 2, 4, table), kv::kMaxZutRows);

    kv::ZutTableModel model(&table);
    model.setRows(kv::getzutdata(*db, 9, 4, table));
    ASSERT_EQ(model.rowCount(), 11);
    EXPECT_EQ(model.data(model.index(1, 1)).toString(), QStringLiteral("2/3"));
    EXPECT_EQ(model.data(model.index(1, 3)).toString(), QStringLiteral("Milch"));
    model.setRows(1000);
    EXPECT_EQ(model.rowCount(), int(table.size()));
}

TEST(Servings, TextIsRoundedHalfToEvenAndValidFromOneTo32767)
{
    using kv::ServingsCheck;
    EXPECT_EQ(kv::readServings(QStringLiteral(" 12 ")).value, 12);
    EXPECT_EQ(kv::readServings(QStringLiteral("2,5")).value, 2);
    EXPECT_EQ(kv::readServings(QStringLiteral("3,5")).value, 4);
    EXPECT_EQ(kv::readServings(QStringLiteral("2.5")).value, 2);
    EXPECT_EQ(kv::readServings(QStringLiteral("32767")).check, ServingsCheck::Ok);
    EXPECT_EQ(kv::readServings(QStringLiteral("1")).check, ServingsCheck::Ok);
    EXPECT_EQ(kv::readServings(QStringLiteral("0,5")).check, ServingsCheck::BelowOne);
    EXPECT_EQ(kv::readServings(QStringLiteral("-3")).check, ServingsCheck::BelowOne);
    EXPECT_EQ(kv::readServings(QStringLiteral("32768")).check, ServingsCheck::AboveMax);
    EXPECT_EQ(kv::readServings(QString()).check, ServingsCheck::NotNumber);
    EXPECT_EQ(kv::readServings(QStringLiteral("4 Personen")).check, ServingsCheck::NotNumber);
}

TEST_F(RecipeView, KeywordsReadAsCommaSeparatedTextInStoredOrder)
{
    EXPECT_EQ(kv::stichText(*db, 1), QStringLiteral("Herbst, Deutsch, preiswert"));
    db->execute(QStringLiteral("delete from rezstich where rid=8"));
    EXPECT_EQ(kv::stichText(*db, 8), QString());
}

TEST_F(RecipeView, PreparationOfARecipeWithoutRowIsWrittenAsNewRow)
{
    kv::saveZub(*db, 2, QStringLiteral("Neu geschrieben"));
    EXPECT_EQ(count(QStringLiteral("select count(*) from zubereit where rid=2")), 1);
    EXPECT_EQ(kv::zubText(*db, 2), QStringLiteral("Neu geschrieben"));

    db->execute(QStringLiteral("delete from zubereit where rid=5"));
    EXPECT_EQ(kv::zubText(*db, 5), QString());
    kv::saveZub(*db, 5, QStringLiteral("Erst jetzt"));
    EXPECT_EQ(count(QStringLiteral("select count(*) from zubereit where rid=5")), 1);
    EXPECT_EQ(kv::zubText(*db, 5), QStringLiteral("Erst jetzt"));
}

TEST_F(RecipeView, NewCommentTakesTheLargestIdPlusOneAndFortyNineCharacters)
{
    // Stored out of id order: the last stored row's id plus one would be taken already.
    db->execute(QStringLiteral("insert into komment (komid,komment) values (7,'sieben')"));
    db->execute(QStringLiteral("insert into komment (komid,komment) values (3,'drei')"));
    const QString text = QString(60, u'x');
    const kv::NewComment c = kv::addComment(*db, text);
    EXPECT_EQ(c.komid, 8);
    EXPECT_EQ(c.text, QString(49, u'x'));
    EXPECT_EQ(value(QStringLiteral("select komment from komment where komid=8")).toString(), c.text);

    // An equal text is a new comment all the same.
    EXPECT_EQ(kv::addComment(*db, QStringLiteral("drei")).komid, 9);

    // A character outside the basic plane counts as one and is never cut in half.
    const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");
    const kv::NewComment e = kv::addComment(*db, QString(48, u'x') + smile + smile);
    EXPECT_EQ(e.text, QString(48, u'x') + smile);
    EXPECT_EQ(value(QStringLiteral("select komment from komment where komid=10")).toString(), e.text);
}

TEST_F(RecipeView, CommentIsSetAndClearedForTheRecipeAndItsListCopies)
{
    kv::setRecipeComment(*db, 1, 2);
    EXPECT_EQ(value(QStringLiteral("select komid from rezinaus where rid=1")).toInt(), 2);
    EXPECT_TRUE(value(QStringLiteral("select komid from rezepte where rid=6")).isNull());
    kv::setRecipeComment(*db, 1, QVariant());
    EXPECT_TRUE(value(QStringLiteral("select komid from rezepte where rid=1")).isNull());
    EXPECT_TRUE(value(QStringLiteral("select komid from rezinaus where rid=1")).isNull());
}

}  // namespace
