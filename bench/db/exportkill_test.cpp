// A cookbook export killed at random moments: the new cookbook's folder is either whole or
// not there, nothing half-built stays beside it once the next export has run, and that
// export to the same name succeeds. The export runs in a child process
// (kelvor_exporttool) that is sent SIGKILL.

#include "bench/db/gencookbook.h"
#include "bench/support/toolrun.h"
#include "exchange/kochbuchexport.h"
#include "platform/db/database.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include <chrono>

namespace {

// Large enough that a kill lands inside the export, small enough for ten runs in seconds.
constexpr int kRecipes = 6000;
constexpr int kKills = 10;
constexpr int kLeastMidway = 3;
constexpr std::chrono::seconds kBudget{30};

class ExportKill : public kv::bench::ToolRunTest {
protected:
    void SetUp() override
    {
        ToolRunTest::SetUp();
        kv::bench::generateCookbook(path(QStringLiteral("quelle")), kRecipes, 9);
        auto db = kv::db::Database::open(cookbook(QStringLiteral("quelle")));
        db->execute(QStringLiteral("insert into rezinaus (aid, rid, rname, katego, port, komid) "
                                   "select 1, rid, rname, kid, port, komid from rezepte"));
        m_recipes = db->recordCount(QStringLiteral("rezepte"));
        QDir().mkpath(parent());
    }

    QString parent() const { return path(QStringLiteral("ausgaben")); }
    QString target() const { return parent() + QStringLiteral("/auszug"); }

    void startExport(QProcess& tool)
    {
        tool.start(QStringLiteral(KELVOR_EXPORTTOOL),
                   {cookbook(QStringLiteral("quelle")), target(), QStringLiteral("1")});
        ASSERT_TRUE(tool.waitForStarted());
    }
    ::testing::AssertionResult exportToTheEnd()
    {
        QProcess tool;
        startExport(tool);
        return kv::bench::ranToTheEnd(tool, 60000, "the export");
    }

    // A finished export: a whole cookbook with every recipe of the list.
    void expectWhole()
    {
        auto db = kv::db::Database::open(target() + QStringLiteral("/kelvor-daten.mdb"));
        ASSERT_EQ(db->scalar(QStringLiteral("pragma integrity_check")).toString(), QStringLiteral("ok"));
        EXPECT_EQ(db->recordCount(QStringLiteral("rezepte")), m_recipes);
        EXPECT_EQ(db->scalar(QStringLiteral("select bname from kochbuchname")).toString(), QStringLiteral("Auszug"));
        EXPECT_EQ(QDir(target()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("kelvor-daten.mdb")});
    }
    QStringList everything() const
    {
        return QDir(parent()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    qint64 m_recipes = 0;
};

TEST_F(ExportKill, TheFolderIsWholeOrAbsentAndTheNextExportToTheNameSucceeds)
{
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(exportToTheEnd());
    const qint64 fullRun = clock.elapsed();
    ASSERT_NO_FATAL_FAILURE(expectWhole());
    ASSERT_TRUE(QDir(target()).removeRecursively());

    kv::bench::KillRounds rounds("ExportKill", kKills, kLeastMidway, kBudget, fullRun,
                                 kv::bench::KillRounds::Completion::StartsOver);
    while (rounds.another()) {
        SCOPED_TRACE(rounds.trace());
        QProcess tool;
        ASSERT_NO_FATAL_FAILURE(startExport(tool));
        rounds.killAfterAMoment(tool);
        // Killed after its rename, the export is complete; before it, the name is free.
        if (QFileInfo::exists(target())) {
            ASSERT_NO_FATAL_FAILURE(expectWhole());
            ASSERT_TRUE(QDir(target()).removeRecursively());
        }

        ASSERT_TRUE(rounds.completion([&] { return exportToTheEnd(); }));
        ASSERT_NO_FATAL_FAILURE(expectWhole());
        EXPECT_EQ(everything(), QStringList{QStringLiteral("auszug")});
        ASSERT_TRUE(QDir(target()).removeRecursively());
    }
    EXPECT_TRUE(rounds.landedEnough());
}

}  // namespace
