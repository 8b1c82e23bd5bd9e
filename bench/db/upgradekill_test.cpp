// An old cookbook's upgrade killed at random moments: every next start completes it, and
// every servings heading is converted exactly once. The upgrade runs in a child process
// (kelvor_opentool) that is sent SIGKILL, as a user's kill or a crash would end it.

#include "bench/db/gencookbook.h"
#include "bench/support/toolrun.h"
#include "platform/db/database.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <chrono>

namespace {

constexpr int kRecipes = 20000;
// As many kills as a quiet machine makes in well under the budget; a slower one stops at
// the budget, which keeps the test inside the limit its CMakeLists gives it.
constexpr int kKills = 40;
constexpr int kLeastMidway = 8;
constexpr std::chrono::seconds kBudget{90};

// What the upgrade leaves: every recipe's servings, every ingredient line and the steps
// recorded. Equal states mean nothing was converted twice or left out.
QStringList stateOf(const QString& file)
{
    auto db = kv::db::Database::open(file);
    QStringList state;
    for (const char* sql : {"select rid, port from rezepte order by rid",
                            "select rid, tid, nr, eid, menge, zutid from zutaten order by rid, tid, nr, zutid",
                            "select changed from changelog order by changed"}) {
        kv::db::Statement st(*db, QString::fromLatin1(sql));
        while (st.step()) {
            QStringList row;
            for (int i = 0; i < st.columnCount(); ++i) row << (st.isNull(i) ? QStringLiteral("-") : st.text(i));
            state << row.join(u'|');
        }
        state << QStringLiteral("--");
    }
    return state;
}

class UpgradeKill : public kv::bench::ToolRunTest {
protected:
    void SetUp() override
    {
        ToolRunTest::SetUp();
        kv::bench::generateOldCookbook(path(QStringLiteral("vorlage")), kRecipes, 7);
    }

    void freshCopy(const QString& name) { ToolRunTest::freshCopy(name, cookbook(QStringLiteral("vorlage"))); }

    void startTool(QProcess& tool, const QString& name)
    {
        tool.start(QStringLiteral(KELVOR_OPENTOOL),
                   {path(name) + u'/', path(name + QStringLiteral("-programm")), path(name + QStringLiteral(".ini"))});
        ASSERT_TRUE(tool.waitForStarted());
    }

    // Runs the opening to its end; false with its output when it did not finish cleanly.
    ::testing::AssertionResult openToTheEnd(const QString& name)
    {
        QProcess tool;
        startTool(tool, name);
        return kv::bench::ranToTheEnd(tool, 300000, "the opening");
    }
};

TEST_F(UpgradeKill, EveryStartAfterAKillCompletesTheUpgradeAndConvertsEachHeadingOnce)
{
    freshCopy(QStringLiteral("vergleich"));
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(openToTheEnd(QStringLiteral("vergleich")));
    const qint64 fullRun = clock.elapsed();
    const QStringList expected = stateOf(path(QStringLiteral("vergleich/kelvor-daten.mdb")));
    ASSERT_TRUE(expected.contains(QStringLiteral("100"))) << "no upgrade step recorded";

    kv::bench::KillRounds rounds("UpgradeKill", kKills, kLeastMidway, kBudget, fullRun,
                                 kv::bench::KillRounds::Completion::Resumes);
    while (rounds.another()) {
        SCOPED_TRACE(rounds.trace());
        freshCopy(QStringLiteral("lauf"));
        QProcess tool;
        startTool(tool, QStringLiteral("lauf"));
        rounds.killAfterAMoment(tool);

        ASSERT_TRUE(rounds.completion([&] { return openToTheEnd(QStringLiteral("lauf")); }));
        ASSERT_EQ(stateOf(path(QStringLiteral("lauf/kelvor-daten.mdb"))), expected);
    }
    // Most kills must land while the upgrade runs, or the test proves little.
    EXPECT_TRUE(rounds.landedEnough());
}

}  // namespace
