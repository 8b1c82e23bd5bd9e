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

#include <chrono>

namespace {

constexpr int kRecipes = 20000;
// As many kills as a quiet machine makes in well under the budget; a slower one stops at
// the budget, which keeps the test inside the limit its CMakeLists gives it.
constexpr int kKills = 40;
constexpr int kLeastMidway = 8;
constexpr std::chrono::seconds kBudget{60};

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

    kv::bench::KillRounds rounds("CompactionKill", kKills, kLeastMidway, kBudget, fullRun,
                                 kv::bench::KillRounds::Completion::StartsOver);
    while (rounds.another()) {
        SCOPED_TRACE(rounds.trace());
        QProcess tool;
        tool.start(QStringLiteral(KELVOR_COMPACTTOOL), {file});
        ASSERT_TRUE(tool.waitForStarted());
        rounds.killAfterAMoment(tool);
        {
            auto db = kv::db::Database::open(file);
            ASSERT_EQ(db->scalar(QStringLiteral("pragma integrity_check")).toString(), QStringLiteral("ok"));
            ASSERT_EQ(db->recordCount(QStringLiteral("rezepte")), recipes);
        }
        ASSERT_TRUE(rounds.completion([&] { return compact(file); }));
    }
    EXPECT_TRUE(rounds.landedEnough());
}

// Short runs, so ten kills and ten openings stay within seconds.
constexpr int kRecipesToOpen = 6000;
constexpr int kKillsBeforeOpening = 10;
constexpr std::chrono::seconds kBudgetBeforeOpening{30};

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

    // What proves something here is a copy left behind, not the share of kills mid-way.
    kv::bench::KillRounds rounds("CompactionKillThenOpening", kKillsBeforeOpening, 0, kBudgetBeforeOpening, fullRun,
                                 kv::bench::KillRounds::Completion::StartsOver);
    int leftBehind = 0;
    while (rounds.another()) {
        SCOPED_TRACE(rounds.trace());
        QProcess tool;
        tool.start(QStringLiteral(KELVOR_COMPACTTOOL), {file});
        ASSERT_TRUE(tool.waitForStarted());
        rounds.killAfterAMoment(tool);
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
