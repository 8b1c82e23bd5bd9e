#include "core/indizieren.h"
#include "core/mainmod.h"
#include "core/schema.h"
#include "core/settings.h"
#include "tests/core/opening/oldcookbook.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testenv.h"

#include <gtest/gtest.h>

#include <algorithm>

using kv::kochbuchdb;
using kv::ui::Answer;

namespace {

class UpgradeStep : public ::testing::Test {
protected:
    void SetUp() override
    {
        kochbuchdb = kv::test::createOldCookbook(env.tempPath(QStringLiteral("alt.mdb")));
        db().execute(QStringLiteral("create table changelog (changed LONG)"));
    }
    void TearDown() override { kochbuchdb.reset(); }

    kv::db::Database& db() { return *kochbuchdb; }
    QVariant value(const QString& sql) { return db().scalar(sql); }
    qint64 number(const QString& sql) { return value(sql).toLongLong(); }
    // Makes the step fail at its very end, when it records itself.
    void breakChangelog()
    {
        db().execute(QStringLiteral("create trigger kaputt before insert on changelog "
                                    "begin select raise(abort, 'Datenträger voll'); end"));
    }
    qint64 eidOf(const QString& ekurz)
    {
        return number(QStringLiteral("select eid from einheiten where ekurz=%1").arg(kv::db::sqlQuote(ekurz)));
    }

    kv::test::TestEnvironment env;
    kv::test::ScriptedDialogs dialogs;
};

TEST(ServingsInText, TakesTheFirstRunOfDigits)
{
    EXPECT_EQ(kv::servingsInText(QStringLiteral("Für 4 Personen")), 4);
    EXPECT_EQ(kv::servingsInText(QStringLiteral("Für 2-3 Personen")), 2);
    EXPECT_EQ(kv::servingsInText(QStringLiteral("Personen nach Belieben")), std::nullopt);
    EXPECT_EQ(kv::servingsInText(QStringLiteral("Für 40000 Personen")), std::nullopt);
    EXPECT_EQ(kv::servingsInText(QStringLiteral("Für 0 Personen")), std::nullopt);
}

TEST_F(UpgradeStep, ServingsComeFromPersonenHeadingsWithoutOrphanLines)
{
    kv::update100(*kochbuchdb);

    EXPECT_EQ(number(QStringLiteral("select port from rezepte where rid=1")), 4);
    EXPECT_EQ(number(QStringLiteral("select port from rezepte where rid=4")), 12);
    EXPECT_EQ(number(QStringLiteral("select port from rezepte where rid=2")), 4);
    // The converted headings and their texts are gone; a heading without a number stays whole.
    EXPECT_EQ(number(QStringLiteral("select count(*) from zutaten where nr=0 and rid in (1,4)")), 0);
    EXPECT_EQ(number(QStringLiteral("select count(*) from zutaten where rid=2 and nr=0 and zutid=5")), 1);
    EXPECT_EQ(number(QStringLiteral("select count(*) from zutindex where zutid in (1,4)")), 0);
    EXPECT_EQ(number(QStringLiteral("select count(*) from zutindex where zutid=5")), 1);
    EXPECT_EQ(number(QStringLiteral("select count(*) from zutaten where zutid not in (select zutid from zutindex)")), 0);
    // The empty `changelog` the opening made gets the row that marks its making with the step.
    EXPECT_EQ(kv::test::changelogInOrder(db()), (QList<int>{100, 100}));
}

TEST_F(UpgradeStep, PersonenTextStillUsedByAnIngredientLineIsKept)
{
    db().execute(QStringLiteral("insert into zutaten (rid,tid,nr,eid,menge,zutid) values (3,1,1,null,1,1)"));
    db().execute(QStringLiteral("insert into zutindex (zutid,zutat) values (7,'Für 123456 Personen')"));
    db().execute(QStringLiteral("insert into zutaten (rid,tid,nr,eid,menge,zutid) values (3,2,0,null,null,7)"));

    kv::update100(*kochbuchdb);

    EXPECT_EQ(number(QStringLiteral("select count(*) from zutindex where zutid=1")), 1);
    EXPECT_EQ(number(QStringLiteral("select port from rezepte where rid=3")), 4);
    EXPECT_EQ(number(QStringLiteral("select count(*) from zutaten where zutid=7")), 1);
}

TEST_F(UpgradeStep, RecipesWithoutLinesGetOnePlaceholderLine)
{
    kv::update101(*kochbuchdb);

    const qint64 dash = number(QStringLiteral("select zutid from zutindex where zutat='-'"));
    EXPECT_EQ(number(QStringLiteral("select count(*) from zutaten where rid=3")), 1);
    EXPECT_EQ(number(QStringLiteral("select count(*) from zutaten where rid=3 and tid=1 and nr=0 "
                                    "and eid is null and menge is null and zutid=%1").arg(dash)),
              1);
    EXPECT_EQ(number(QStringLiteral("select count(*) from zutaten where zutid=%1").arg(dash)), 1);

    db().execute(QStringLiteral("delete from changelog"));
    kv::update101(*kochbuchdb);
    EXPECT_EQ(number(QStringLiteral("select count(*) from zutindex where zutat='-'")), 2);
    EXPECT_EQ(number(QStringLiteral("select count(*) from zutaten where zutid in "
                                    "(select zutid from zutindex where zutat='-')")),
              1);
}

TEST_F(UpgradeStep, Step103BringsEveryPartToTheCurrentShape)
{
    kv::update103(*kochbuchdb);

    EXPECT_TRUE(db().field(QStringLiteral("rep-korbliste"), QStringLiteral("rnr")));
    EXPECT_EQ(db().fields(QStringLiteral("rep-korbliste")).size(), 15u);
    EXPECT_EQ(kv::test::dumpTable(db(), QStringLiteral("rep-mbesch")), QStringList{QStringLiteral("NEU|NULL")});
    EXPECT_EQ(db().field(QStringLiteral("rep-mbesch"), QStringLiteral("mbesch"))->type, kv::db::FieldType::Memo);

    const qint64 root = number(QStringLiteral("select sid from stichworte where ebene=0 and subsid=0 "
                                              "and stichwort='Eigene Stichworte'"));
    EXPECT_GT(root, 1);
    EXPECT_EQ(number(QStringLiteral("select count(*) from substich where sid=%1 and subsid=%1").arg(root)), 1);

    const auto alt = db().field(QStringLiteral("umlaute"), QStringLiteral("alt"));
    ASSERT_TRUE(alt);
    EXPECT_TRUE(alt->size == 0 || alt->size >= 3);

    const auto did = db().field(QStringLiteral("importdateien"), QStringLiteral("did"));
    ASSERT_TRUE(did);
    EXPECT_EQ(did->type, kv::db::FieldType::Long);
    EXPECT_EQ(did->attributes & kv::db::dbAutoIncrField, 0);
    EXPECT_EQ(kv::test::dumpTable(db(), QStringLiteral("importdateien")),
              (QStringList{QStringLiteral("0|Alle|NULL"), QStringLiteral("1|alt.mmf|1"), QStringLiteral("2|neu.mmf|0")}));
    const auto keys = db().indexes(QStringLiteral("importdateien"));
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].name, QStringLiteral("PrimaryKey"));
    EXPECT_TRUE(keys[0].primary);

    const auto units = db().indexes(QStringLiteral("einheiten"));
    EXPECT_TRUE(std::any_of(units.begin(), units.end(), [](const kv::db::IndexDef& i) {
        return i.name == QLatin1String("ekurz") && !i.unique && i.fields == QStringList{QStringLiteral("ekurz")};
    }));

    EXPECT_TRUE(db().field(QStringLiteral("editzutat"), QStringLiteral("men"))->allowZeroLength);
    db().execute(QStringLiteral("insert into editzutat (nr,men,ename,zut) values (0,'','','Teig')"));
    EXPECT_EQ(kv::test::changelogInOrder(db()), QList<int>{103});
}

TEST_F(UpgradeStep, Step103LeavesCurrentPartsAlone)
{
    kv::update103(*kochbuchdb);
    db().execute(QStringLiteral("delete from changelog"));
    // A hand-over table with more fields than the old count already has its rnr.
    db().appendField(QStringLiteral("rep-korbliste"), {QStringLiteral("extra"), kv::db::FieldType::Long});
    db().execute(QStringLiteral("insert into umlaute (alt,neu,alttext) values ('oe','ö','Oetker')"));
    const QStringList before = kv::test::snapshot(db());

    kv::update103(*kochbuchdb);

    EXPECT_EQ(kv::test::changelogInOrder(db()), QList<int>{103});
    db().execute(QStringLiteral("delete from changelog"));
    EXPECT_EQ(kv::test::snapshot(db()), before);
}

// A step that fails, here at its very end when it records itself, leaves nothing behind:
// the reporting steps show their box, the others throw to the opening's Retry box.
TEST_F(UpgradeStep, AFailedStepLeavesTheCookbookAsItWas)
{
    breakChangelog();
    const QStringList before = kv::test::snapshot(db());
    dialogs.expect(QStringLiteral("MAKESUREZUTAT (allgemein) - "), Answer::Ok).withTitle(QStringLiteral(" F E H L E R"));
    dialogs.expect(QStringLiteral("ZNRCHANGE : "), Answer::Ok);

    kv::update101(*kochbuchdb);
    EXPECT_EQ(kv::test::snapshot(db()), before);
    EXPECT_THROW(kv::update103(*kochbuchdb), kv::db::DbError);
    EXPECT_EQ(kv::test::snapshot(db()), before);
    EXPECT_EQ(db().field(QStringLiteral("importdateien"), QStringLiteral("did"))->attributes, 17);
    EXPECT_THROW(kv::update104(*kochbuchdb), kv::db::DbError);
    EXPECT_EQ(kv::test::snapshot(db()), before);
    kv::update106(*kochbuchdb);
    EXPECT_EQ(kv::test::snapshot(db()), before);
}

TEST_F(UpgradeStep, Step104AddsTheStandardUnitsAndMergesOldOnes)
{
    kv::update104(*kochbuchdb);

    EXPECT_EQ(db().fields(QStringLiteral("einheiten")).size(), 10u);
    EXPECT_EQ(number(QStringLiteral("select count(*) from einheiten")), 29);
    EXPECT_EQ(number(QStringLiteral("select count(*) from einheiten where mmunit=true and sprache=1")), 29);

    // Lines and import names of old units now point at the standard unit of the same kind.
    EXPECT_EQ(number(QStringLiteral("select eid from zutaten where rid=1 and nr=1")), eidOf(QStringLiteral("g")));
    EXPECT_EQ(number(QStringLiteral("select eid from zutaten where rid=4 and nr=1")), eidOf(QStringLiteral("tb")));
    EXPECT_EQ(number(QStringLiteral("select eid from zutaten where rid=2 and nr=1")), eidOf(QStringLiteral("ml")));
    EXPECT_TRUE(value(QStringLiteral("select eid from zutaten where rid=1 and nr=2")).isNull());

    EXPECT_EQ(number(QStringLiteral("select eid from impeinheit where ename='Gramm'")), eidOf(QStringLiteral("g")));
    EXPECT_EQ(number(QStringLiteral("select eid from impeinheit where ename='Essl'")), eidOf(QStringLiteral("tb")));
    EXPECT_EQ(number(QStringLiteral("select eid from impeinheit where ekurz='cb' and ename='ccm'")),
              eidOf(QStringLiteral("ml")));
    EXPECT_TRUE(value(QStringLiteral("select eid from impeinheit where ekurz='ea' and ename='each'")).isNull());
    EXPECT_TRUE(value(QStringLiteral("select eid from impeinheit where ekurz='St' and ename='Stück'")).isNull());
    EXPECT_EQ(number(QStringLiteral("select count(*) from impeinheit where eid is not null and eid not in "
                                    "(select eid from einheiten)")),
              0);
}

TEST_F(UpgradeStep, Step104RunAgainRenumbersTheUnitsAndTheirLines)
{
    kv::update104(*kochbuchdb);
    const qint64 oldGram = eidOf(QStringLiteral("g"));
    db().execute(QStringLiteral("delete from changelog"));

    kv::update104(*kochbuchdb);

    EXPECT_EQ(number(QStringLiteral("select count(*) from einheiten")), 29);
    EXPECT_GT(eidOf(QStringLiteral("g")), oldGram);
    EXPECT_EQ(number(QStringLiteral("select eid from zutaten where rid=1 and nr=1")), eidOf(QStringLiteral("g")));
    EXPECT_EQ(number(QStringLiteral("select count(*) from zutaten where eid is not null and eid not in "
                                    "(select eid from einheiten)")),
              0);
    EXPECT_EQ(number(QStringLiteral("select count(*) from impeinheit where eid is not null and eid not in "
                                    "(select eid from einheiten)")),
              0);
}

TEST_F(UpgradeStep, Step106RemakesTheLineNumberAndKey)
{
    kv::update106(*kochbuchdb);

    const auto nr = db().field(QStringLiteral("rep-korbliste"), QStringLiteral("nr"));
    ASSERT_TRUE(nr);
    EXPECT_EQ(nr->type, kv::db::FieldType::Integer);
    const auto keys = db().indexes(QStringLiteral("rep-korbliste"));
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_TRUE(keys[0].primary);
    EXPECT_EQ(keys[0].name, QStringLiteral("PrimaryKey"));
    EXPECT_EQ(keys[0].fields, (QStringList{QStringLiteral("rid"), QStringLiteral("tid"), QStringLiteral("nr")}));
    EXPECT_EQ(number(QStringLiteral("select count(*) from [rep-korbliste]")), 0);
    EXPECT_EQ(number(QStringLiteral("select count(*) from [rep-einkaufsliste]")), 0);
    EXPECT_EQ(kv::test::changelogInOrder(db()), QList<int>{106});

    const QStringList converted = kv::test::snapshot(db());
    db().execute(QStringLiteral("delete from changelog"));
    kv::update106(*kochbuchdb);
    EXPECT_EQ(kv::test::snapshot(db()), converted);
}

TEST_F(UpgradeStep, Step106WithoutShoppingTableReportsOnceAndConverts)
{
    db().deleteTable(QStringLiteral("rep-einkaufsliste"));
    dialogs.expect(QStringLiteral("ZNRCHANGE : "), Answer::Ok).withTitle(QStringLiteral(" ")).withStyle(kv::ui::OkOnly);

    kv::update106(*kochbuchdb);

    EXPECT_EQ(db().field(QStringLiteral("rep-korbliste"), QStringLiteral("nr"))->type, kv::db::FieldType::Integer);
    EXPECT_EQ(kv::test::changelogInOrder(db()), QList<int>{106});
}

TEST_F(UpgradeStep, Step111MovesOnlyTheKnownOldNumbering)
{
    db().execute(QStringLiteral("insert into einheiten (eid,ename,ekurz) values (222,'x','xx')"));
    db().execute(QStringLiteral("insert into zutaten (rid,tid,nr,eid,zutid) values (2,1,5,195,3), (2,1,6,167,3), "
                                "(2,1,7,166,3)"));
    kv::update111(*kochbuchdb);
    EXPECT_EQ(number(QStringLiteral("select count(*) from zutaten where eid in (222,194)")), 2);
    EXPECT_EQ(number(QStringLiteral("select count(*) from zutaten where eid=166")), 1);

    db().execute(QStringLiteral("delete from changelog"));
    const QStringList before = kv::test::dumpTable(db(), QStringLiteral("zutaten"));
    kv::update111(*kochbuchdb);
    EXPECT_EQ(kv::test::dumpTable(db(), QStringLiteral("zutaten")), before);
}

}  // namespace

TEST_F(UpgradeStep, Step103KeepsARowAlleAnOldCookbookAlreadyHolds)
{
    db().execute(QStringLiteral("insert into importdateien (did,dname) values (0,'Alle')"));

    kv::update103(*kochbuchdb);

    EXPECT_EQ(number(QStringLiteral("select count(*) from importdateien where did=0 and dname='Alle'")), 1);
    EXPECT_EQ(number(QStringLiteral("select count(*) from importdateien")), 3);
    EXPECT_EQ(kv::test::changelogInOrder(db()), QList<int>{103});
}

TEST_F(UpgradeStep, OfSeveralServingsHeadingsOfARecipeItsLastLineCounts)
{
    db().execute(QStringLiteral("insert into zutindex (zutid,zutat) values (8,'Für 6 Personen'), (9,'3 Personen')"));
    db().execute(QStringLiteral("insert into zutaten (rid,tid,nr,eid,menge,zutid) values "
                                "(3,2,0,null,null,9), (3,1,0,null,null,8), (99,1,0,null,null,8)"));

    kv::update100(*kochbuchdb);

    EXPECT_EQ(number(QStringLiteral("select port from rezepte where rid=3")), 6);
    EXPECT_EQ(number(QStringLiteral("select count(*) from zutaten where rid=3")), 0);
    // A line of a recipe that does not exist keeps its heading and so its text.
    EXPECT_EQ(number(QStringLiteral("select count(*) from zutaten where rid=99")), 1);
    EXPECT_EQ(number(QStringLiteral("select count(*) from zutindex where zutid=8")), 1);
    EXPECT_EQ(number(QStringLiteral("select count(*) from zutindex where zutid=9")), 0);
}

TEST_F(UpgradeStep, Step112DropsTheIndexOnZutidAloneWhereTheLongerOneExists)
{
    const kv::db::IndexDef zutid{QStringLiteral("zutid"), {QStringLiteral("zutid")}};
    db().createIndex(QStringLiteral("zutaten"), zutid);
    db().execute(QStringLiteral("insert into [-indizes] (indid,tabelle,indexname,\"Primary\") values "
                                "(13,'zutaten','zutid',0)"));
    db().execute(QStringLiteral("insert into [-indexfelder] (indid,feldname,fnr) values (13,'zutid',1)"));
    const auto names = [&] {
        QStringList list;
        for (const kv::db::IndexDef& index : db().indexes(QStringLiteral("zutaten"))) list << index.name;
        list.sort();
        return list;
    };

    // Without the longer index the short one is what the searches seek: it stays, and so
    // does its definition.
    kv::update112(*kochbuchdb);
    EXPECT_EQ(names(), QStringList{QStringLiteral("zutid")});
    EXPECT_EQ(number(QStringLiteral("select count(*) from [-indizes] where indid=13")), 1);
    EXPECT_EQ(kv::test::changelogInOrder(db()), QList<int>{112});

    db().createIndex(QStringLiteral("zutaten"),
                     {QStringLiteral("zutidrid"), {QStringLiteral("zutid"), QStringLiteral("rid")}});
    db().execute(QStringLiteral("insert into [-indizes] (indid,tabelle,indexname,\"Primary\") values "
                                "(27,'zutaten','zutidrid',0)"));
    db().execute(QStringLiteral("insert into [-indexfelder] (indid,feldname,fnr) values (27,'rid',2), (27,'zutid',1)"));
    db().execute(QStringLiteral("delete from changelog"));
    QStringList otherFields;
    for (const QString& row : kv::test::dumpTable(db(), QStringLiteral("-indexfelder")))
        if (!row.startsWith(QStringLiteral("13|"))) otherFields << row;

    kv::update112(*kochbuchdb);

    EXPECT_EQ(names(), QStringList{QStringLiteral("zutidrid")});
    EXPECT_EQ(number(QStringLiteral("select count(*) from [-indizes] where indid=13")), 0);
    EXPECT_EQ(number(QStringLiteral("select count(*) from [-indizes] where indid=27")), 1);
    EXPECT_EQ(kv::test::dumpTable(db(), QStringLiteral("-indexfelder")), otherFields);
    EXPECT_EQ(kv::test::changelogInOrder(db()), QList<int>{112});
    // The searches' seek of a name's lines and the removal of unused names still use an index.
    for (const char* sql : {"select rid from zutaten where zutid=?",
                            "select zutid from zutindex where zutid not in (select zutid from zutaten)"}) {
        kv::db::Statement plan(db(), QStringLiteral("explain query plan ") + QString::fromLatin1(sql));
        QStringList steps;
        while (plan.step()) steps << plan.text(3);
        EXPECT_TRUE(steps.join(u';').contains(QStringLiteral("zutaten.zutidrid")))
            << sql << ": " << steps.join(u';').toStdString();
    }

    // A step that fails keeps the index.
    db().createIndex(QStringLiteral("zutaten"), zutid);
    db().execute(QStringLiteral("delete from changelog"));
    breakChangelog();
    EXPECT_THROW(kv::update112(*kochbuchdb), kv::db::DbError);
    EXPECT_EQ(names(), (QStringList{QStringLiteral("zutid"), QStringLiteral("zutidrid")}));
}
