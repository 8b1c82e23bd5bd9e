// The generated cookbook must look like one the program has already opened once,
// and the old one like one it has never opened, or the benchmarks would measure
// something the user never sees.

#include "app/starthooks.h"
#include "bench/db/gencookbook.h"
#include "core/cookbookdb.h"
#include "core/mainmod.h"
#include "core/settings.h"
#include "platform/db/database.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testenv.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

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

TEST(GeneratedKeywordTree, FourDepthsEachBelowTheDepthAboveWithPairsAndLinks)
{
    kv::test::TestEnvironment env;
    const QString folder = env.tempPath(QStringLiteral("stichworte"));
    kv::bench::generateCookbook(folder, 300, 7, kv::bench::deliveredCookbook(), 200);
    auto db = Database::open(QDir(folder).filePath(QStringLiteral("kelvor-daten.mdb")));
    const QString generated = QStringLiteral("(select sid from stichworte where stichwort like 'Bereich *' or stichwort "
                                             "like 'Gruppe *' or stichwort like 'Sorte *' or stichwort like 'Variante *')");
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from ") + generated), 200);
    kv::db::Statement depths(*db, QStringLiteral("select ebene, count(*) from stichworte where sid in %1 group by ebene "
                                                 "order by ebene").arg(generated));
    QStringList perDepth;
    while (depths.step()) perDepth << depths.text(0) + u':' + depths.text(1);
    EXPECT_EQ(perDepth, (QStringList{QStringLiteral("0:2"), QStringLiteral("1:18"), QStringLiteral("2:60"),
                                     QStringLiteral("3:120")}));
    for (const char* sql : {
             "select count(*) from stichworte k where sid in %1 and ebene > 0 and "
             "ebene <> (select p.ebene + 1 from stichworte p where p.sid = k.subsid)",
             "select count(*) from stichworte k where sid in %1 and ebene = 0 and subsid <> 0",
             "select count(*) from stichworte k where sid in %1 and not exists "
             "(select 1 from substich where sid = k.sid and subsid = k.sid)",
             "select count(*) from stichworte k where sid in %1 and ebene > 0 and not exists "
             "(select 1 from substich where sid = k.subsid and subsid = k.sid)",
         })
        EXPECT_EQ(count(*db, QString::fromUtf8(sql).arg(generated)), 0) << sql;
    EXPECT_GT(count(*db, QStringLiteral("select count(distinct sid) from rezstich where sid in %1").arg(generated)), 50);
}

class OldGeneratedCookbook : public ::testing::Test {
protected:
    static constexpr int kRecipes = 400;

    void SetUp() override
    {
        folder = env.tempPath(QStringLiteral("alt")) + u'/';
        kv::bench::generateOldCookbook(folder, kRecipes, 3);
    }
    void TearDown() override { kv::kochbuchdb.reset(); }

    std::unique_ptr<Database> open() { return Database::open(folder + kv::kochbuchdatei); }

    kv::test::TestEnvironment env;
    QString folder;
};

// What the first start must see of one recipe.
struct RecipeBefore {
    QVariant port;
    qint64 lines = 0;
    QString heading;  // the text of line 0 of part 1
};

QHash<qint64, RecipeBefore> recipesOf(Database& db)
{
    QHash<qint64, RecipeBefore> recipes;
    kv::db::Statement st(db, QStringLiteral("select r.rid, r.port, "
                                            "(select count(*) from zutaten t where t.rid = r.rid), "
                                            "(select z.zutat from zutaten t join zutindex z on z.zutid = t.zutid "
                                            "where t.rid = r.rid and t.tid = 1 and t.nr = 0) from rezepte r"));
    while (st.step()) recipes.insert(st.int64(0), {st.value(1), st.int64(2), st.text(3)});
    return recipes;
}

// The servings a heading names, as a cook reads it: its first number.
std::optional<qint64> numberIn(const QString& heading)
{
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("\\d+")).match(heading);
    return m.hasMatch() ? std::optional(m.captured().toLongLong()) : std::nullopt;
}

TEST_F(OldGeneratedCookbook, IsOneThatNoUpgradeStepHasTouched)
{
    auto db = open();
    EXPECT_FALSE(db->hasTable(QStringLiteral("changelog")));
    EXPECT_FALSE(db->hasTable(QStringLiteral("rep-mbesch")));
    EXPECT_EQ(db->fields(QStringLiteral("einheiten")).size(), 3u);
    EXPECT_EQ(db->field(QStringLiteral("rep-korbliste"), QStringLiteral("nr"))->type, kv::db::FieldType::Byte);
    EXPECT_EQ(db->indexCount(QStringLiteral("rezepte")), 0);
    EXPECT_EQ(db->indexCount(QStringLiteral("zutaten")), 0);
    auto delivered = Database::openCandidate(kv::bench::deliveredCookbook());
    ASSERT_TRUE(delivered);
    EXPECT_EQ(db->recordCount(QStringLiteral("-indizes")), delivered->recordCount(QStringLiteral("-indizes")));
    EXPECT_EQ(db->recordCount(QStringLiteral("rezepte")), kRecipes);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from zutaten where zutid not in "
                                        "(select zutid from zutindex)")),
              0);

    // One row per heading text, shared by many recipes.
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from zutindex where zutat = 'Für 4 Personen'")), 1);
    EXPECT_GT(count(*db, QStringLiteral("select count(*) from zutaten t join zutindex z on z.zutid = t.zutid "
                                        "where z.zutat = 'Für 4 Personen' and t.nr = 0")),
              10);
    const QHash<qint64, RecipeBefore> recipes = recipesOf(*db);
    int withoutLines = 0, zero = 0, withoutNumber = 0;
    QSet<qint64> servings;
    for (const RecipeBefore& r : recipes) {
        if (r.lines == 0) {
            ++withoutLines;
            continue;
        }
        ASSERT_TRUE(r.heading.contains(QStringLiteral("Personen"))) << r.heading.toStdString();
        const std::optional<qint64> n = numberIn(r.heading);
        if (!n) ++withoutNumber;
        else if (*n == 0) ++zero;
        else servings.insert(*n);
    }
    EXPECT_GT(withoutLines, 0);
    EXPECT_GT(zero, 0);
    EXPECT_GT(withoutNumber, 0);
    EXPECT_EQ(servings.size(), 12);
    EXPECT_GT(count(*db, QStringLiteral("select count(*) from zutaten t join zutindex z on z.zutid = t.zutid "
                                        "where z.zutat like '*personen*' and t.nr > 0")),
              0);
}

TEST_F(OldGeneratedCookbook, SameSeedGivesTheSameOldCookbook)
{
    const QString again = env.tempPath(QStringLiteral("nochmal"));
    kv::bench::generateOldCookbook(again, kRecipes, 3);
    auto db = open();
    auto other = Database::open(QDir(again).filePath(kv::kochbuchdatei));
    EXPECT_EQ(titles(*other), titles(*db));
    const QString lines = QStringLiteral("select group_concat(rid || ':' || tid || ':' || nr || ':' || "
                                         "ifnull(eid, '-') || ':' || ifnull(menge, '-') || ':' || zutid, ' ') "
                                         "from (select * from zutaten order by rid, tid, nr)");
    EXPECT_EQ(other->scalar(lines), db->scalar(lines));
}

TEST_F(OldGeneratedCookbook, FirstOpeningTurnsEveryUsableHeadingIntoServingsOnce)
{
    QHash<qint64, RecipeBefore> before;
    qint64 linesNamingPersons = 0;
    {
        auto db = open();
        before = recipesOf(*db);
        linesNamingPersons = count(*db, QStringLiteral("select count(*) from zutaten t join zutindex z on "
                                                       "z.zutid = t.zutid where z.zutat like '*personen*' "
                                                       "and t.nr > 0"));
    }
    kv::savereg(kv::reg::loadeddir, folder);
    kv::test::ScriptedDialogs dialogs;
    dialogs.expect(QStringLiteral("Kelvor muß beim ersten Starten seine Suchindizes erstellen."), kv::ui::Answer::Ok);
    dialogs.expect(QStringLiteral("Die Suchindizes wurden erstellt"), kv::ui::Answer::Ok);
    kv::installStartHooks();

    kv::opendaten();

    Database& db = *kv::kochbuchdb;
    EXPECT_EQ(db.name(), folder + kv::kochbuchdatei);
    QList<int> steps;
    kv::db::Statement log(db, QStringLiteral("select changed from changelog order by rowid"));
    while (log.step()) steps << int(log.int64(0));
    EXPECT_EQ(steps, (QList<int>{100, 100, 103, 101, 102, 104, 106, 110, 111, 112}));

    const QHash<qint64, RecipeBefore> after = recipesOf(db);
    ASSERT_EQ(after.size(), before.size());
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        const RecipeBefore& was = it.value();
        const RecipeBefore& now = after.value(it.key());
        SCOPED_TRACE(QStringLiteral("Rezept %1, \"%2\"").arg(it.key()).arg(was.heading).toStdString());
        if (was.lines == 0) {
            EXPECT_EQ(now.lines, 1);  // the placeholder line
            continue;
        }
        const std::optional<qint64> n = numberIn(was.heading);
        if (n && *n >= 1 && *n <= 32767) {
            EXPECT_EQ(now.port, QVariant(*n));
            EXPECT_EQ(now.lines, was.lines - 1);
            EXPECT_NE(now.heading, was.heading);
        } else if (!n) {
            EXPECT_EQ(now.port, was.port);
            EXPECT_EQ(now.lines, was.lines);
            EXPECT_EQ(now.heading, was.heading);
        }
    }
    kv::db::Statement left(db, QStringLiteral("select z.zutat from zutaten t join zutindex z on z.zutid = t.zutid "
                                              "where t.nr = 0 and z.zutat like '*personen*'"));
    while (left.step()) {
        const std::optional<qint64> n = numberIn(left.text(0));
        EXPECT_FALSE(n && *n >= 1 && *n <= 32767) << left.text(0).toStdString();
    }
    EXPECT_EQ(count(db, QStringLiteral("select count(*) from zutaten t join zutindex z on z.zutid = t.zutid "
                                       "where z.zutat like '*personen*' and t.nr > 0")),
              linesNamingPersons);
}

}  // namespace
