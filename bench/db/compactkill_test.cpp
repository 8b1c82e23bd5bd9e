// A compaction killed at random moments: the cookbook always opens whole with every
// recipe, the next compaction succeeds, and the next opening of the program leaves
// nothing of the killed run's copy beside the cookbook. The compaction runs in a child
// process (kelvor_compacttool) that is sent SIGKILL, the opening in another
// (kelvor_opentool).

#include "bench/db/gencookbook.h"
#include "bench/support/toolrun.h"
#include "platform/db/database.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <random>

namespace {

constexpr int kRecipes = 20000;
constexpr int kKills = 40;

::testing::AssertionResult compact(const QString& file)
{
    QProcess tool;
    tool.start(QStringLiteral(KELVOR_COMPACTTOOL), {file});
    return kv::bench::ranToTheEnd(tool, 300000, "the compaction");
}

TEST(CompactionKill, TheCookbookStaysWholeWhereverTheCompactionIsKilled)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("kochbuch")) + u'/';
    kv::bench::generateCookbook(folder, kRecipes, 3);
    const QString file = folder + QStringLiteral("kelvor-daten.mdb");
    qint64 recipes = 0;
    {
        auto db = kv::db::Database::open(file);
        recipes = db->recordCount(QStringLiteral("rezepte"));
        db->execute(QStringLiteral("delete from zubereit where rid % 3 = 0"));
    }

    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(compact(file));
    const qint64 fullRun = clock.elapsed();

    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    int killedMidway = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        SCOPED_TRACE(testing::Message() << "kill " << kill << ", seed " << seed);
        QProcess tool;
        tool.start(QStringLiteral(KELVOR_COMPACTTOOL), {file});
        ASSERT_TRUE(tool.waitForStarted());
        if (kv::bench::killAfterAMoment(tool, random, fullRun))
            ++killedMidway;
        {
            auto db = kv::db::Database::open(file);
            ASSERT_EQ(db->scalar(QStringLiteral("pragma integrity_check")).toString(), QStringLiteral("ok"));
            ASSERT_EQ(db->recordCount(QStringLiteral("rezepte")), recipes);
        }
        ASSERT_TRUE(compact(file));
    }
    EXPECT_GT(killedMidway, kKills / 2);
}

// Short runs, so ten kills and ten openings stay within seconds.
constexpr int kRecipesToOpen = 6000;
constexpr int kKillsBeforeOpening = 10;

// What a compaction writes beside the cookbook: its copy and the copy's journal.
QStringList copiesBeside(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("kelvor-daten.mdb.tmp*")}, QDir::Files | QDir::Hidden | QDir::System);
}

class CompactionKillThenOpening : public kv::bench::ToolRunTest {
protected:
    ::testing::AssertionResult openAsTheProgramDoes(const QString& name)
    {
        QProcess tool;
        tool.start(QStringLiteral(KELVOR_OPENTOOL),
                   {path(name) + u'/', path(name + QStringLiteral("-programm")), path(name + QStringLiteral(".ini"))});
        return kv::bench::ranToTheEnd(tool, 60000, "the opening");
    }
};

TEST_F(CompactionKillThenOpening, NothingOfTheKilledRunIsLeftOnceTheCookbookIsOpened)
{
    const QString name = QStringLiteral("kochbuch");
    kv::bench::generateCookbook(path(name), kRecipesToOpen, 5);
    const QString file = cookbook(name);
    qint64 recipes = 0;
    {
        auto db = kv::db::Database::open(file);
        recipes = db->recordCount(QStringLiteral("rezepte"));
        db->execute(QStringLiteral("delete from zubereit where rid % 2 = 0"));
    }
    ASSERT_TRUE(openAsTheProgramDoes(name));
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(compact(file));
    const qint64 fullRun = clock.elapsed();

    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    int leftBehind = 0;
    for (int kill = 0; kill < kKillsBeforeOpening; ++kill) {
        SCOPED_TRACE(testing::Message() << "kill " << kill << ", seed " << seed);
        QProcess tool;
        tool.start(QStringLiteral(KELVOR_COMPACTTOOL), {file});
        ASSERT_TRUE(tool.waitForStarted());
        kv::bench::killAfterAMoment(tool, random, fullRun);
        if (!copiesBeside(path(name)).isEmpty()) ++leftBehind;

        ASSERT_TRUE(openAsTheProgramDoes(name));
        EXPECT_EQ(copiesBeside(path(name)), QStringList());
        auto db = kv::db::Database::open(file);
        ASSERT_EQ(db->scalar(QStringLiteral("pragma integrity_check")).toString(), QStringLiteral("ok"));
        ASSERT_EQ(db->recordCount(QStringLiteral("rezepte")), recipes);
    }
    EXPECT_GT(leftBehind, 0) << "no kill came while the copy was written";
}

}  // namespace
