// An import of a folder tree killed at random moments: every recipe stored is whole, and
// the next run completes the import. The import runs in a child process
// (kelvor_importtool) that is sent SIGKILL, as a user's kill or a crash would end it.

#include "bench/exchange/genmealmaster.h"
#include "bench/exchange/importhost.h"
#include "bench/support/toolrun.h"
#include "core/indizieren.h"
#include "platform/db/database.h"
#include "platform/settings/regstore.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>

#include <chrono>

namespace {

constexpr qint64 kRecipes = 3000;
constexpr qint64 kPerFile = 600;
// As many kills as a quiet machine makes in well under the budget; a slower one stops at
// the budget, which keeps the test inside the limit its CMakeLists gives it.
constexpr int kKills = 40;
constexpr int kLeastMidway = 8;
constexpr std::chrono::seconds kBudget{150};

// Each stored recipe by title: its servings, category, lines, preparation and keywords,
// without ids, so two cookbooks can be compared recipe by recipe.
QMap<QString, QString> recipesOf(const QString& file)
{
    auto db = kv::db::Database::open(file);
    QMap<QString, QString> recipes;
    kv::db::Statement st(*db, QStringLiteral(
        "select r.rname, r.port, r.ungenau, r.kid, "
        " (select group_concat(t, '|') from (select z.tid || '.' || z.nr || ' ' || ifnull(z.menge, '-') || ' ' || "
        "   ifnull(e.ekurz, '-') || ' ' || i.zutat as t from zutaten z left join einheiten e on e.eid=z.eid "
        "   left join zutindex i on i.zutid=z.zutid where z.rid=r.rid order by z.tid, z.nr)), "
        " (select group_concat(ztext, '|') from zubereit where rid=r.rid), "
        " (select group_concat(s, '|') from (select s.stichwort as s from rezstich x join stichworte s "
        "   on s.sid=x.sid where x.rid=r.rid order by s.stichwort)), "
        " (select count(*) from zubereit where rid=r.rid) "
        "from rezepte r where r.did>1"));
    while (st.step()) {
        QStringList row;
        for (int i = 1; i < st.columnCount(); ++i) row << (st.isNull(i) ? QStringLiteral("-") : st.text(i));
        const QString title = st.text(0);
        EXPECT_FALSE(recipes.contains(title)) << "stored twice: " << title.toStdString();
        recipes.insert(title, row.join(u'#'));
    }
    return recipes;
}

// The cookbook's indexes with their columns.
QStringList indexesOf(const QString& file)
{
    auto db = kv::db::Database::open(file);
    QStringList out;
    kv::db::Statement st(*db, QStringLiteral("select tbl_name, name, sql from sqlite_master where type='index' "
                                             "order by name"));
    while (st.step()) out << st.text(0) + u' ' + st.text(1) + u' ' + st.text(2);
    return out;
}

class IndexBuildAnswers : public kv::bench::SilentDialogs {
public:
    kv::ui::Answer msgbox(const QString& text, int, const QString&) override
    {
        EXPECT_TRUE(text.contains(QStringLiteral("Suchindizes"))) << text.toStdString();
        ++said;
        return kv::ui::Answer::Ok;
    }
    int said = 0;
};

class ImportKill : public kv::bench::ToolRunTest {
protected:
    void SetUp() override
    {
        ToolRunTest::SetUp();
        m_generated = kv::bench::generateMealMaster(path(QStringLiteral("dateien")), kRecipes, kPerFile, 11);
        // The delivered cookbook as the first start leaves it, with its search indexes.
        QDir().mkpath(path(QStringLiteral("vorlage")));
        ASSERT_TRUE(QFile::copy(QStringLiteral(KELVOR_SHIPPED_DIR "/kochbuch/kelvor-daten.mdb"), cookbook("vorlage")));
        QFile::setPermissions(cookbook("vorlage"), QFile::permissions(cookbook("vorlage")) | QFile::WriteOwner);
        kv::bench::ImportAnswers answers;
        kv::ui::setDialogHost(&answers);
        kv::settings::setStoreFile(path(QStringLiteral("vorlage.ini")));
        kv::indizieren(*kv::db::Database::open(cookbook("vorlage")));
        kv::ui::setDialogHost(nullptr);
    }

    void freshCopy(const QString& name) { ToolRunTest::freshCopy(name, cookbook(QStringLiteral("vorlage"))); }

    void startTool(QProcess& tool, const QString& name)
    {
        tool.start(QStringLiteral(KELVOR_IMPORTTOOL),
                   {cookbook(name), path(name + QStringLiteral("-programm")), path(name + QStringLiteral(".ini")),
                    path(QStringLiteral("dateien"))});
        ASSERT_TRUE(tool.waitForStarted());
    }

    ::testing::AssertionResult importToTheEnd(const QString& name)
    {
        QProcess tool;
        startTool(tool, name);
        return kv::bench::ranToTheEnd(tool, 120000, "the import");
    }

    kv::bench::GeneratedFiles m_generated;
};

TEST_F(ImportKill, EveryStoredRecipeIsWholeAndTheNextRunCompletesTheImport)
{
    freshCopy(QStringLiteral("vergleich"));
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(importToTheEnd(QStringLiteral("vergleich")));
    const qint64 fullRun = clock.elapsed();
    const QMap<QString, QString> expected = recipesOf(cookbook(QStringLiteral("vergleich")));
    ASSERT_EQ(expected.size(), m_generated.recipes - m_generated.broken);

    kv::bench::KillRounds rounds("ImportKill", kKills, kLeastMidway, kBudget, fullRun,
                                 kv::bench::KillRounds::Completion::Resumes);
    while (rounds.another()) {
        SCOPED_TRACE(rounds.trace());
        freshCopy(QStringLiteral("lauf"));
        QProcess tool;
        startTool(tool, QStringLiteral("lauf"));
        rounds.killAfterAMoment(tool);

        const QMap<QString, QString> stored = recipesOf(cookbook(QStringLiteral("lauf")));
        for (auto it = stored.begin(); it != stored.end(); ++it)
            ASSERT_EQ(it.value(), expected.value(it.key())) << "not whole: " << it.key().toStdString();
        ASSERT_TRUE(rounds.completion([&] { return importToTheEnd(QStringLiteral("lauf")); }));
        ASSERT_EQ(recipesOf(cookbook(QStringLiteral("lauf"))), expected);
    }
    // Most kills must land while the import runs, or the test proves little.
    EXPECT_TRUE(rounds.landedEnough());
}

// A kill while a large import has left the recipe tables' indexes out, or while it builds
// them again: the next opening says so and builds them, as at a first start, and the next
// run completes the import.
TEST_F(ImportKill, AKillWhileTheIndexesAreLeftOutOrBuiltLeavesThemToTheNextOpening)
{
    freshCopy(QStringLiteral("vergleich"));
    ASSERT_TRUE(importToTheEnd(QStringLiteral("vergleich")));
    const QMap<QString, QString> expected = recipesOf(cookbook(QStringLiteral("vergleich")));
    const QStringList indexes = indexesOf(cookbook(QStringLiteral("vergleich")));

    for (const char* step : {"bulk", "indexes"}) {
        SCOPED_TRACE(step);
        freshCopy(QStringLiteral("lauf"));
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KELVOR_IMPORT_KILL_AT"), QString::fromLatin1(step));
        tool.setProcessEnvironment(env);
        startTool(tool, QStringLiteral("lauf"));
        ASSERT_TRUE(tool.waitForFinished(120000));
        ASSERT_EQ(tool.exitStatus(), QProcess::CrashExit) << "the tool was not killed at its step";

        const QMap<QString, QString> stored = recipesOf(cookbook(QStringLiteral("lauf")));
        for (auto it = stored.begin(); it != stored.end(); ++it)
            ASSERT_EQ(it.value(), expected.value(it.key())) << "not whole: " << it.key().toStdString();
        {
            auto db = kv::db::Database::open(cookbook(QStringLiteral("lauf")));
            EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from changelog where changed=102")).toLongLong(), 0);
            // The opening runs its index build because the record of it is gone.
            IndexBuildAnswers answers;
            kv::ui::setDialogHost(&answers);
            kv::indizieren(*db);
            kv::ui::setDialogHost(nullptr);
            EXPECT_EQ(answers.said, 2) << "the first start's two messages";
        }
        EXPECT_EQ(indexesOf(cookbook(QStringLiteral("lauf"))), indexes);
        ASSERT_TRUE(importToTheEnd(QStringLiteral("lauf")));
        ASSERT_EQ(recipesOf(cookbook(QStringLiteral("lauf"))), expected);
        EXPECT_EQ(indexesOf(cookbook(QStringLiteral("lauf"))), indexes);
    }
}

}  // namespace
