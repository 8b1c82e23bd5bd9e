#include "mainwindow/panel.h"
#include "tests/mainwindow/view/viewfixture.h"

namespace {

using kv::test::CookbookTest;

class Panel : public CookbookTest {};

TEST_F(Panel, ARecipeIsAddedToAListOnceWithItsWholeTitleAndTheServings)
{
    const QString longTitle = QString(60, u'L');
    db->execute(QStringLiteral("update rezepte set rname='%1' where rid=4").arg(longTitle));
    EXPECT_TRUE(kv::addToAuswahl(*db, 1, 4, 3));
    EXPECT_FALSE(kv::addToAuswahl(*db, 1, 4, 5));
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinaus where aid=1 and rid=4")), 1);
    EXPECT_EQ(value(QStringLiteral("select rname from rezinaus where rid=4")).toString(), longTitle);
    EXPECT_EQ(value(QStringLiteral("select port from rezinaus where rid=4")).toInt(), 3);
    EXPECT_EQ(value(QStringLiteral("select katego from rezinaus where rid=4")).toInt(), 6);
    EXPECT_TRUE(kv::addToAuswahl(*db, 1, 3, 4));
    EXPECT_EQ(value(QStringLiteral("select komid from rezinaus where rid=3")).toInt(), 1);
}

TEST_F(Panel, ADishIsNumberedAfterTheLastOneAndItsTitleCutToFifty)
{
    const qint64 mid = kv::savemen(*db, QStringLiteral("Leer"));
    const QString longTitle = QString(60, u'L');
    db->execute(QStringLiteral("update rezepte set rname='%1' where rid=4").arg(longTitle));
    EXPECT_TRUE(kv::addToMenu(*db, mid, 4, 2));
    EXPECT_EQ(value(QStringLiteral("select nr from rezinmen where mid=%1 and rid=4").arg(mid)).toInt(), 1);
    EXPECT_EQ(value(QStringLiteral("select rname from rezinmen where mid=%1").arg(mid)).toString(), QString(50, u'L'));
    EXPECT_FALSE(kv::addToMenu(*db, mid, 4, 2));

    // Gaps are not closed: after dishes 1 and 3 comes 4.
    db->execute(QStringLiteral("update rezinmen set nr=3 where mid=1 and rid=3"));
    EXPECT_TRUE(kv::addToMenu(*db, 1, 7, 6));
    EXPECT_EQ(value(QStringLiteral("select nr from rezinmen where mid=1 and rid=7")).toInt(), 4);
    EXPECT_EQ(value(QStringLiteral("select port from rezinmen where mid=1 and rid=7")).toInt(), 6);
}

TEST_F(Panel, AddingAllTakesTheListsFilterOrJoinedSearchResult)
{
    const qint64 aid = kv::saveaus(*db, QStringLiteral("Nudeln"), std::nullopt);
    ASSERT_TRUE(kv::auswahlalle(*db, aid, 3, QStringLiteral(
        "select rid,kid,port,rname,komid from rezepte  where kid=20 order by rname;")));
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinaus where aid=%1").arg(aid)), 2);
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinaus where aid=%1 and port=3 and rid in (6,11)").arg(aid)), 2);

    db->execute(QStringLiteral("insert into suchfound (rid) values (3), (9)"));
    ASSERT_TRUE(kv::auswahlalle(*db, aid, 4, QStringLiteral(
        "select rezepte.rid,kid,port,rname,komid from rezepte inner join suchfound on rezepte.rid=suchfound.rid "
        "order by rname;")));
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinaus where aid=%1 and rid in (3,9)").arg(aid)), 2);
    // A source without a table to copy from adds nothing.
    EXPECT_FALSE(kv::auswahlalle(*db, aid, 4, QStringLiteral("rezepte")));
}

// The list's id comes from the combo's text into a record source: only a number passes.
TEST(PanelSources, AnIdIsReadOnlyFromANumber)
{
    EXPECT_EQ(kv::idFromText(QStringLiteral("12")), 12);
    EXPECT_FALSE(kv::idFromText(QString()).has_value());
    EXPECT_FALSE(kv::idFromText(QStringLiteral("1 or 1=1")).has_value());
}

TEST_F(Panel, AMenuGoesWithItsDishesOrNotAtAll)
{
    db->execute(QStringLiteral("create trigger gesperrt before delete on menues begin select raise(abort, 'gesperrt'); end"));
    const qint64 dishes = count(QStringLiteral("select count(*) from rezinmen where mid=1"));
    ASSERT_GT(dishes, 0);
    EXPECT_THROW(kv::deleteMenu(*db, 1), kv::db::DbError);
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinmen where mid=1")), dishes);

    db->execute(QStringLiteral("drop trigger gesperrt"));
    db->execute(QStringLiteral("create trigger gesperrt before delete on auswahlen begin select raise(abort, 'gesperrt'); end"));
    db->execute(QStringLiteral("insert into auswahlen (aid,aname) values (5,'Grillabend')"));
    db->execute(QStringLiteral("insert into rezinaus (aid,rid,rname,port) values (5,1,'Apfelkuchen',4)"));
    EXPECT_THROW(kv::deleteAuswahl(*db, 5), kv::db::DbError);
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinaus where aid=5")), 1);
}

}  // namespace
