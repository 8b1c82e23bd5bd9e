// The generated cookbook must look like one the program has already opened once,
// or the benchmarks would measure something the user never sees.

#include "bench/db/gencookbook.h"
#include "platform/db/database.h"
#include "tests/support/testenv.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <memory>

namespace {

using kv::db::Database;

qint64 count(Database& db, const QString& sql)
{
    return db.scalar(sql).toLongLong();
}

QStringList titles(Database& db)
{
    QStringList result;
    kv::db::Statement st(db, QStringLiteral("select rname from rezepte order by rid"));
    while (st.step()) result << st.text(0);
    return result;
}

class GeneratedCookbook : public ::testing::Test {
protected:
    static constexpr int kRecipes = 300;

    void SetUp() override
    {
        folder = env.tempPath(QStringLiteral("gross"));
        kv::bench::generateCookbook(folder, kRecipes, 7);
        delivered = Database::openCandidate(kv::bench::deliveredCookbook());
        ASSERT_TRUE(delivered);
        db = Database::open(QDir(folder).filePath(QStringLiteral("kelvor-daten.mdb")));
    }

    kv::test::TestEnvironment env;
    QString folder;
    std::unique_ptr<Database> delivered;
    std::unique_ptr<Database> db;
};

TEST_F(GeneratedCookbook, AddsCompleteRecipesToTheDeliveredOnes)
{
    EXPECT_EQ(db->recordCount(QStringLiteral("rezepte")),
              delivered->recordCount(QStringLiteral("rezepte")) + kRecipes);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from rezepte where rid not in (select rid from zutaten)")), 0);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from rezepte r where (select count(*) from zubereit z where "
                                        "z.rid = r.rid and length(z.ztext) > 0) <> 1")),
              0);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from rezepte where trim(rname) = '' or port < 1")), 0);
    // Kitchen fractions and lines without amount occur, as in real cookbooks.
    EXPECT_GT(count(*db, QStringLiteral("select count(*) from zutaten where menge is null and nr > 0")), 0);
    EXPECT_GT(count(*db, QStringLiteral("select count(*) from zutaten where abs(menge * 3 - round(menge * 3)) < 1e-9 "
                                        "and menge <> round(menge)")),
              0);
    EXPECT_GT(count(*db, QStringLiteral("select count(*) from zutaten where nr = 0")), 0);
    EXPECT_GT(count(*db, QStringLiteral("select count(*) from rezepte where rname like '*suppe*'")), 0);
    EXPECT_GT(count(*db, QStringLiteral("select count(*) from rezepte where kid = 3")), 0);
}

TEST_F(GeneratedCookbook, LeavesNoOrphanRows)
{
    for (const char* sql : {
             "select count(*) from zutaten where zutid not in (select zutid from zutindex)",
             "select count(*) from zutaten where eid is not null and eid not in (select eid from einheiten)",
             "select count(*) from rezstich where sid not in (select sid from stichworte)",
             "select count(*) from rezepte where kid is not null and kid not in (select kid from hauptkat)",
             "select count(*) from rezepte where komid is not null and komid not in (select komid from komment)",
             "select count(*) from rezepte where did not in (select did from importdateien)",
             "select count(*) from (select rid, tid, nr from zutaten group by rid, tid, nr having count(*) > 1)",
             "select count(*) from (select rid, sid from rezstich group by rid, sid having count(*) > 1)",
         })
        EXPECT_EQ(count(*db, QString::fromUtf8(sql)), 0) << sql;
}

TEST_F(GeneratedCookbook, IsIndexedLikeAfterTheFirstStart)
{
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from changelog where changed = 102")), 1);
    kv::db::Statement defs(*db, QStringLiteral("select tabelle, indexname from [-indizes]"));
    while (defs.step()) {
        bool found = false;
        for (const kv::db::IndexDef& index : db->indexes(defs.text(0)))
            found = found || index.name.compare(defs.text(1), Qt::CaseInsensitive) == 0;
        EXPECT_TRUE(found) << (defs.text(0) + "." + defs.text(1)).toStdString();
    }
    EXPECT_GT(db->indexCount(QStringLiteral("rezepte")), 0);
}

TEST_F(GeneratedCookbook, SameSeedGivesTheSameCookbook)
{
    const QString again = env.tempPath(QStringLiteral("nochmal"));
    kv::bench::generateCookbook(again, kRecipes, 7);
    auto other = Database::open(QDir(again).filePath(QStringLiteral("kelvor-daten.mdb")));
    EXPECT_EQ(titles(*other), titles(*db));
    EXPECT_EQ(other->recordCount(QStringLiteral("zutaten")), db->recordCount(QStringLiteral("zutaten")));
}

TEST_F(GeneratedCookbook, NeverOverwritesACookbook)
{
    const qint64 before = db->recordCount(QStringLiteral("rezepte"));
    db.reset();
    EXPECT_THROW(kv::bench::generateCookbook(folder, 10, 1), std::exception);
    db = Database::open(QDir(folder).filePath(QStringLiteral("kelvor-daten.mdb")));
    EXPECT_EQ(db->recordCount(QStringLiteral("rezepte")), before);
}

}  // namespace
