// The keyword tree on a large cookbook: from making the window to its first screen, with
// the tree read in one statement, against reading it with a query per depth and a count
// query per keyword; and the recipes of a top-level keyword's subtree. The cookbook is
// generated once per run by kelvor_gencookbook in a separate process.
//   KELVOR_BENCH_RECIPES   number of recipes (default 250000)
//   KELVOR_BENCH_KEYWORDS  number of keywords added to the tree (default 5000)
//   KELVOR_BENCH_COOKBOOK  folder of an existing generated cookbook to use instead

#include "core/mainmod.h"
#include "platform/db/database.h"
#include "platform/ui/windows.h"
#include "search/stichworte.h"
#include "search/stichwortsuche_window.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

const QString kWindow = QStringLiteral("stichwortsuche");
std::unique_ptr<QTemporaryDir> g_temp;

bool prepareCookbook()
{
    QString folder = qEnvironmentVariable("KELVOR_BENCH_COOKBOOK");
    if (!folder.isEmpty()) {
        folder = QDir(folder).absolutePath() + u'/';
    } else {
        g_temp = std::make_unique<QTemporaryDir>();
        if (!g_temp->isValid()) return false;
        bool ok = false;
        int recipes = qEnvironmentVariableIntValue("KELVOR_BENCH_RECIPES", &ok);
        if (!ok) recipes = 250000;
        int keywords = qEnvironmentVariableIntValue("KELVOR_BENCH_KEYWORDS", &ok);
        if (!ok) keywords = 5000;
        folder = g_temp->filePath(QStringLiteral("kochbuch")) + u'/';
        QElapsedTimer timer;
        timer.start();
        QProcess gen;
        gen.setProcessChannelMode(QProcess::ForwardedChannels);
        gen.start(QStringLiteral(KELVOR_GENCOOKBOOK_TOOL),
                  {QStringLiteral("--keywords"), QString::number(keywords), folder, QString::number(recipes)});
        if (!gen.waitForFinished(-1) || gen.exitStatus() != QProcess::NormalExit || gen.exitCode() != 0) {
            std::fprintf(stderr, "bench_stichworte: generating the cookbook failed\n");
            return false;
        }
        std::fprintf(stderr, "bench_stichworte: cookbook generated in %.1f s\n", double(timer.elapsed()) / 1000.0);
    }
    const QString file = folder + kv::kochbuchdatei;
    if (!QFileInfo::exists(file)) {
        std::fprintf(stderr, "bench_stichworte: %s has no cookbook\n", qPrintable(folder));
        return false;
    }
    kv::kochbuchdb = kv::db::Database::open(file);
    return true;
}

qint64 keywordCount()
{
    return kv::cookbook().scalar(QStringLiteral("select count(*) from stichworte")).toLongLong();
}

void unloadWindow()
{
    kv::ui::WindowRegistry::unload(kWindow);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// What the user waits for after the keyword button: the window made, its tree built
// (orphan sweep included) and its first screen painted.
void BM_BuildToFirstShow(benchmark::State& state)
{
    qint64 nodes = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QWidget* w = kv::ui::WindowRegistry::get(kWindow);
        w->show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(w->grab());
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        nodes = 0;
        for (QTreeWidgetItemIterator it(w->findChild<QTreeWidget*>(QStringLiteral("stich"))); *it; ++it) ++nodes;
        unloadWindow();
    }
    state.counters["nodes"] = double(nodes);
    state.counters["keywords"] = double(keywordCount());
}
BENCHMARK(BM_BuildToFirstShow)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

// The same tree read the way it was read before: the top level, then one query per
// depth and a recordset per keyword below the top level to see whether it has recipes;
// nodes added to a tree that is then shown.
void BM_QueriesPerDepthAndKeyword(benchmark::State& state)
{
    kv::db::Database& db = kv::cookbook();
    qint64 nodes = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QTreeWidget tree;
        auto* root = new QTreeWidgetItem(&tree, QStringList{QStringLiteral("Stichworte")});
        QHash<qint64, QTreeWidgetItem*> byId{{0, root}};
        {
            kv::db::Statement top(db, QStringLiteral("select * from stichworte where subsid=0 order by stichwort;"));
            while (top.step()) byId.insert(top.int64(0), new QTreeWidgetItem(root, QStringList{top.text(1)}));
        }
        const int maxeb = db.scalar(QStringLiteral("select max(ebene) as maxeb from stichworte where ebene<200;")).toInt();
        for (int d = 1; d <= maxeb; ++d) {
            kv::db::Statement level(db, QStringLiteral("select * from stichworte where ebene=%1 order by subsid,stichwort;").arg(d));
            while (level.step()) {
                QTreeWidgetItem* parent = byId.value(level.int64(2));
                if (!parent) continue;
                auto* node = new QTreeWidgetItem(parent, QStringList{level.text(1)});
                byId.insert(level.int64(0), node);
                auto links = db.openRecordset(QStringLiteral("select rid from rezstich where sid=%1").arg(level.int64(0)),
                                              kv::db::RecordsetType::Snapshot);
                if (links->recordCount() != 0) node->setData(0, Qt::UserRole, 3);
            }
        }
        root->setExpanded(true);
        tree.show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(tree.grab());
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        nodes = byId.size();
    }
    state.counters["nodes"] = double(nodes);
}
BENCHMARK(BM_QueriesPerDepthAndKeyword)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// The one statement alone, without items.
void BM_ShownKeywords(benchmark::State& state)
{
    kv::db::Database& db = kv::cookbook();
    size_t nodes = 0;
    for (auto _ : state) nodes = kv::shownKeywords(db).size();
    state.counters["nodes"] = double(nodes);
}
BENCHMARK(BM_ShownKeywords)->Unit(benchmark::kMillisecond);

// A double click in whole-subtree mode on the top-level keyword with the most links
// below it: every row of its recipe list read.
void BM_SubtreeRecipes(benchmark::State& state)
{
    kv::db::Database& db = kv::cookbook();
    const qint64 sid = db.scalar(QStringLiteral("select p.sid from substich p join rezstich r on r.sid = p.subsid "
                                                "join stichworte k on k.sid = p.sid where k.ebene = 0 "
                                                "group by p.sid order by count(*) desc limit 1"))
                           .toLongLong();
    qint64 rows = 0;
    for (auto _ : state) {
        auto rs = db.openRecordset(kv::keywordRecipesSource(sid, kv::kGanzerPfad), kv::db::RecordsetType::Snapshot);
        rows = rs->recordCount();
    }
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_SubtreeRecipes)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (!prepareCookbook()) return 1;
    kv::ui::WindowRegistry::registerWindow(kWindow, [] { return new kv::Stichwortsuche; });
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    kv::ui::WindowRegistry::reset();
    kv::kochbuchdb.reset();
    return 0;
}
