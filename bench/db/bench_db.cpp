// The cookbook's everyday queries on a large cookbook: opening it, the first
// screen of the recipe list, its end, a category filter and a name search.
// The cookbook is generated once per run by kelvor_gencookbook in a separate
// process, so the memory counter shows only what opening and reading take.
//   KELVOR_BENCH_RECIPES   number of recipes (default 250000)
//   KELVOR_BENCH_COOKBOOK  folder of an existing generated cookbook to use instead

#include "platform/db/database.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

using kv::db::Database;
using kv::db::RecordsetType;

std::unique_ptr<QTemporaryDir> g_temp;
QString g_file;
std::unique_ptr<Database> g_db;

constexpr int kScreenRows = 40;
const QString kRecipeList = QStringLiteral("select rid,kid,port,rname,komid from rezepte order by rname;");
const QString kCategory = QStringLiteral("select rid,kid,port,rname,komid from rezepte  where kid=3 order by rname;");
const QString kNameSearch =
    QStringLiteral("select rid,kid,port,rname,komid from rezepte where rname like '*suppe*' order by rname;");

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

bool prepareCookbook()
{
    const QString given = qEnvironmentVariable("KELVOR_BENCH_COOKBOOK");
    if (!given.isEmpty()) {
        g_file = QDir(given).filePath(QStringLiteral("kelvor-daten.mdb"));
        if (QFileInfo::exists(g_file)) return true;
        std::fprintf(stderr, "bench_db: %s has no cookbook\n", qPrintable(given));
        return false;
    }
    bool ok = false;
    int recipes = qEnvironmentVariableIntValue("KELVOR_BENCH_RECIPES", &ok);
    if (!ok) recipes = 250000;

    g_temp = std::make_unique<QTemporaryDir>();
    if (!g_temp->isValid()) return false;
    const QString folder = g_temp->filePath(QStringLiteral("kochbuch"));
    QElapsedTimer timer;
    timer.start();
    QProcess gen;
    gen.setProcessChannelMode(QProcess::ForwardedChannels);
    gen.start(QStringLiteral(KELVOR_GENCOOKBOOK_TOOL), {folder, QString::number(recipes)});
    if (!gen.waitForFinished(-1) || gen.exitStatus() != QProcess::NormalExit || gen.exitCode() != 0) {
        std::fprintf(stderr, "bench_db: generating the cookbook failed\n");
        return false;
    }
    g_file = QDir(folder).filePath(QStringLiteral("kelvor-daten.mdb"));
    std::fprintf(stderr, "bench_db: cookbook of %d recipes, %.1f MB, generated in %.1f s\n", recipes,
                 double(QFileInfo(g_file).size()) / 1e6, double(timer.elapsed()) / 1000.0);
    return true;
}

Database& cookbook()
{
    if (!g_db) g_db = Database::open(g_file);
    return *g_db;
}

// Reads what a grid shows first; a list shorter than a screen ends early.
void readFirstScreen(kv::db::Recordset& rs)
{
    const int fields = rs.fieldCount();
    if (rs.eof() && rs.bof()) return;
    try {
        for (qint64 row = 0; row < kScreenRows; ++row)
            for (int field = 0; field < fields; ++field) benchmark::DoNotOptimize(rs.valueAt(row, field));
    } catch (const kv::db::DbError&) {
    }
}

void BM_OpenCookbook(benchmark::State& state)
{
    for (auto _ : state) {
        auto db = Database::open(g_file);
        const QStringList tables = db->tableNames();
        benchmark::DoNotOptimize(tables.size());
        db->close();
    }
    state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_OpenCookbook)->Unit(benchmark::kMillisecond);

void BM_RecipeListFirstScreen(benchmark::State& state)
{
    Database& db = cookbook();
    for (auto _ : state) {
        auto rs = db.openRecordset(kRecipeList, RecordsetType::Dynaset);
        readFirstScreen(*rs);
        rs->close();
    }
    state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_RecipeListFirstScreen)->Unit(benchmark::kMillisecond);

void BM_RecipeListMoveLast(benchmark::State& state)
{
    Database& db = cookbook();
    for (auto _ : state) {
        auto rs = db.openRecordset(kRecipeList, RecordsetType::Dynaset);
        rs->moveLast();
        benchmark::DoNotOptimize(rs->value(QStringLiteral("rname")));
        rs->close();
    }
    state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_RecipeListMoveLast)->Unit(benchmark::kMillisecond);

void BM_CategoryFilterFirstScreen(benchmark::State& state)
{
    Database& db = cookbook();
    for (auto _ : state) {
        auto rs = db.openRecordset(kCategory, RecordsetType::Dynaset);
        readFirstScreen(*rs);
        rs->close();
    }
    state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_CategoryFilterFirstScreen)->Unit(benchmark::kMillisecond);

void BM_NameSearchFirstScreenAndCount(benchmark::State& state)
{
    Database& db = cookbook();
    qint64 hits = 0;
    for (auto _ : state) {
        auto rs = db.openRecordset(kNameSearch, RecordsetType::Dynaset);
        readFirstScreen(*rs);
        hits = rs->recordCount();
        rs->close();
    }
    state.counters["hits"] = double(hits);
    state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_NameSearchFirstScreenAndCount)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (!prepareCookbook()) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_db.reset();
    return 0;
}
