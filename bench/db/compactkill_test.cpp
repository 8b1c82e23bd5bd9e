// A compaction killed at random moments: the cookbook always opens whole with every
// recipe, and the next compaction succeeds. The compaction runs in a child process
// (kelvor_compacttool) that is sent SIGKILL.

#include "bench/db/gencookbook.h"
#include "bench/support/toolrun.h"
#include "platform/db/database.h"

#include <gtest/gtest.h>

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

}  // namespace
