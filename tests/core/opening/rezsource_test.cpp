#include "core/mainmod.h"
#include "core/rezsource.h"
#include "core/settings.h"
#include "platform/db/datacontrol.h"
#include "tests/core/opening/oldcookbook.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/stublistview.h"
#include "tests/support/testenv.h"

#include <gtest/gtest.h>

using kv::kochbuchdb;
using kv::rezepteBasis;
using kv::spliceFilter;

namespace {

const QString head = QStringLiteral("select rid,kid,port,rname,komid from rezepte ");

TEST(SpliceFilter, FirstConditionStandsBeforeOrderWithTwoBlanksAndACapitalWhereCounts)
{
    EXPECT_EQ(spliceFilter(rezepteBasis, QStringLiteral("kid=3")), head + QStringLiteral(" where kid=3 order by rname;"));
    EXPECT_EQ(spliceFilter(QStringLiteral("select rid from rezepte;"), QStringLiteral("kid=1")),
              QStringLiteral("select rid from rezepte where kid=1;"));
    EXPECT_EQ(spliceFilter(QStringLiteral("select rid from rezepte WHERE rname like '*a*' order by rname;"),
                           QStringLiteral("kid=2")),
              QStringLiteral("select rid from rezepte WHERE kid=2 and rname like '*a*' order by rname;"));
}

TEST(SpliceFilter, OnlyOneCategoryTypeConditionIsKept)
{
    const QString byCategory = spliceFilter(rezepteBasis, QStringLiteral("kid=3"));
    const QString otherCategory = spliceFilter(byCategory, QStringLiteral("kid=5"));
    EXPECT_EQ(otherCategory, head + QStringLiteral(" where kid=5  order by rname;"));
    const QString byComment = spliceFilter(otherCategory, QStringLiteral("komid=2"));
    EXPECT_EQ(byComment, head + QStringLiteral(" where komid=2   order by rname;"));
    const QString byFile = spliceFilter(byComment, QStringLiteral("did=7"));
    EXPECT_FALSE(byFile.contains(QStringLiteral("komid=")));
    EXPECT_FALSE(byFile.contains(QStringLiteral("kid=")));
    EXPECT_TRUE(byFile.contains(QStringLiteral(" where did=7 ")));
}

TEST(SpliceFilter, NameConditionsAccumulateInFront)
{
    const QString byCategory = spliceFilter(rezepteBasis, QStringLiteral("kid=3"));
    const QString named = spliceFilter(byCategory, QStringLiteral("rname like '*x*'"));
    EXPECT_EQ(named, head + QStringLiteral(" where rname like '*x*' and kid=3 order by rname;"));
    EXPECT_EQ(spliceFilter(named, QStringLiteral("kid=5")),
              head + QStringLiteral(" where kid=5 and rname like '*x*' order by rname;"));
    EXPECT_EQ(spliceFilter(named, QStringLiteral("rname like '*y*'")),
              head + QStringLiteral(" where rname like '*y*' and rname like '*x*' and kid=3 order by rname;"));
}

TEST(SpliceFilter, QuotedSearchTextIsNeverTakenForACondition)
{
    const QString named = spliceFilter(rezepteBasis, QStringLiteral("rname like '*kid=7 where order*'"));
    EXPECT_EQ(named, head + QStringLiteral(" where rname like '*kid=7 where order*' order by rname;"));
    EXPECT_EQ(spliceFilter(named, QStringLiteral("kid=3")),
              head + QStringLiteral(" where kid=3 and rname like '*kid=7 where order*' order by rname;"));

    const QString apostrophe = spliceFilter(rezepteBasis, QStringLiteral("rname like ") + kv::db::sqlQuote(QStringLiteral("*O'Brien did=1*")));
    EXPECT_EQ(spliceFilter(apostrophe, QStringLiteral("komid=2")),
              head + QStringLiteral(" where komid=2 and rname like '*O''Brien did=1*' order by rname;"));
}

TEST(CaptionWithPart, CategoryTypePartsReplaceEachOther)
{
    QString caption = kv::captionWithPart(kv::alleGerichte, QStringLiteral("Rubrik 'Suppen'"));
    EXPECT_EQ(caption, QStringLiteral("> Rubrik 'Suppen'"));
    caption = kv::captionWithPart(caption, QStringLiteral("Gericht : Nudeln"));
    EXPECT_EQ(caption, QStringLiteral("> Gericht : Nudeln"));
    caption = kv::captionWithPart(caption, QStringLiteral("Kommentar 'lecker'"));
    EXPECT_EQ(caption, QStringLiteral("> Gericht : Nudeln, Kommentar 'lecker'"));
    caption = kv::captionWithPart(caption, QStringLiteral("Datei 'alt.mmf'"));
    EXPECT_EQ(caption, QStringLiteral("> Gericht : Nudeln, Datei 'alt.mmf'"));
}

TEST(CaptionWithPart, WordsInsideTextsAreNoParts)
{
    EXPECT_EQ(kv::captionWithPart(QStringLiteral("> Gericht : Rubrik"), QStringLiteral("Datei 'a.mmf'")),
              QStringLiteral("> Gericht : Rubrik, Datei 'a.mmf'"));
    EXPECT_EQ(kv::captionWithPart(QStringLiteral("> Kommentar 'Datei weg'"), QStringLiteral("Gericht : Brot")),
              QStringLiteral("> Gericht : Brot"));
    EXPECT_EQ(kv::captionWithPart(QStringLiteral("> Rubrik 'Oma's Kuchen'"), QStringLiteral("Rubrik 'Torten'")),
              QStringLiteral("> Rubrik 'Torten'"));
}

TEST(FormatCount, GroupsThousandsInTheLocaleAndHidesZero)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(kv::formatCount(1234, german), QStringLiteral("1.234"));
    EXPECT_EQ(kv::formatCount(7, german), QStringLiteral("7"));
    EXPECT_EQ(kv::formatCount(0, german), QString());
    EXPECT_EQ(kv::formatCount(1234, QLocale::c()), QStringLiteral("1,234"));
}

class RecipeRows : public ::testing::Test {
protected:
    void SetUp() override
    {
        kochbuchdb = kv::test::createOldCookbook(env.tempPath(QStringLiteral("rez.mdb")));
        kv::savereg(kv::reg::suchtreffer, QStringLiteral("50"));
        kv::savereg(kv::reg::zuletztgesucht, QStringLiteral("50"));
    }
    void TearDown() override { kochbuchdb.reset(); }

    qint64 count(const QString& sql) { return kochbuchdb->scalar(sql).toLongLong(); }

    kv::test::TestEnvironment env;
    kv::test::ScriptedDialogs dialogs;
};

TEST_F(RecipeRows, HistoryKeepsOneListMoreThanTheLimit)
{
    for (int i = 1; i <= 4; ++i)
        kv::recordSearch(*kochbuchdb, rezepteBasis, QStringLiteral("Gericht : %1").arg(i), {i, 10 + i}, 2);

    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuch")), 3);
    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuch where stext='Gericht : 1'")), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuchrids where rid in (1,11)")), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuchrids")), 6);
    const qint64 last = count(QStringLiteral("select sid from letztsuch where stext='Gericht : 4'"));
    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuchrids where sid=%1 and rid in (4,14)").arg(last)), 2);
}

TEST_F(RecipeRows, DeletionRemovesTheRowsOfAllSixTablesButNotTheRecipe)
{
    kochbuchdb->execute(QStringLiteral("insert into letztsuchrids (sid,rid) values (1,1), (1,2)"));
    kochbuchdb->execute(QStringLiteral("insert into rezinmen (mid,rid,nr) values (1,1,1)"));
    kochbuchdb->execute(QStringLiteral("insert into rezstich (rid,sid) values (1,1)"));

    kv::delrezept(1);

    for (const QString& table : kv::reztabellen)
        EXPECT_EQ(count(QStringLiteral("select count(*) from %1 where rid=1").arg(table)), 0) << table.toStdString();
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte where rid=1")), 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from zutaten where rid=2")), 2);
    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuchrids where rid=2")), 1);
}

TEST_F(RecipeRows, FilteredListIsCountedDescribedAndRecorded)
{
    kv::test::StubListView view;

    kv::rezfilter(QStringLiteral("kid=1"), false);
    kv::rezcaption(QStringLiteral("Rubrik 'Fleisch'"));

    EXPECT_EQ(view.rez()->recordSource(), head + QStringLiteral(" where kid=1 order by rname;"));
    EXPECT_EQ(view.gesucht(), QStringLiteral("> Rubrik 'Fleisch'"));
    EXPECT_EQ(view.rezzahl, QStringLiteral("2"));
    EXPECT_EQ(view.katgridRefreshes, 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuch where stext='Rubrik ''Fleisch''' and ssql=%1")
                        .arg(kv::db::sqlQuote(view.rez()->recordSource()))),
              1);
    EXPECT_EQ(kv::test::dumpTable(*kochbuchdb, QStringLiteral("letztsuchrids")),
              (QStringList{QStringLiteral("1|1"), QStringLiteral("1|3")}));
}

// Lists reaching the hit limit, any list under a limit that is no number, and an empty
// list (which also clears the count) are not recorded.
TEST_F(RecipeRows, OnlyListsBelowTheHitLimitAreRecorded)
{
    kv::test::StubListView view;
    for (const QString& limit : {QStringLiteral("2"), QStringLiteral("viele"), QStringLiteral("3")}) {
        kv::savereg(kv::reg::suchtreffer, limit);
        kv::rezfilter(QStringLiteral("kid=1"), false);
        kv::rezcaption(QStringLiteral("Rubrik 'Fleisch'"));
        EXPECT_EQ(view.rezzahl, QStringLiteral("2"));
    }
    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuch")), 1);

    kv::rezfilter(QStringLiteral("rname like ") + kv::db::sqlQuote(QStringLiteral("*Tante's*")), true);
    kv::rezcaption(QStringLiteral("Gericht : Tante's"));
    EXPECT_EQ(view.rezzahl, QString());
    EXPECT_EQ(view.gesucht(), QStringLiteral("> Gericht : Tante's"));
    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuch")), 1);
}

}  // namespace
