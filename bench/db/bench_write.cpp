// Writing many recipes through the database layer, as an import does: a rezepte row,
// about ten zutaten rows and a zubereit row per recipe, 5,000 recipes per transaction,
// into a fresh copy of the delivered cookbook. Once with a rollback journal, once with
// WAL, both with synchronous=FULL, so the journal mode's cost shows on its own.
// Only the inserts and commits are timed; closing (in WAL mode the final checkpoint)
// is reported as close_s.
//   KELVOR_BENCH_WRITE_RECIPES  number of recipes (default 100000)

#include "bench/db/gencookbook.h"
#include "platform/db/database.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <memory>
#include <random>
#include <vector>

namespace {

using kv::db::Database;

constexpr int kBatch = 5000;
constexpr int kPool = 1000;

std::unique_ptr<QTemporaryDir> g_temp;
int g_recipes = 100000;

// Names and texts are drawn from pools made before the clock starts, so the figures
// are the layer's and SQLite's, not the making of strings.
struct Pools {
    std::vector<QString> names;
    std::vector<QString> texts;
    std::vector<qint64> ingredients;
    std::vector<qint64> units;
};

Pools makePools(Database& db)
{
    Pools pools;
    std::mt19937 rng(1);
    const char* const words[] = {"Kartoffel", "Tomaten", "Linsen", "Kürbis", "Spargel", "Hähnchen", "Apfel",
                                 "Käse", "Lauch", "Möhren", "Pilz", "Zwiebel"};
    const char* const dishes[] = {"suppe", "salat", "auflauf", "kuchen", "pfanne", "gratin", "eintopf", "torte"};
    for (int i = 0; i < kPool; ++i) {
        pools.names.push_back(QString::fromUtf8(words[rng() % std::size(words)]) +
                              QString::fromUtf8(dishes[rng() % std::size(dishes)]) + QStringLiteral(" Nr. %1").arg(i));
        QString text;
        const int sentences = 3 + int(rng() % 5);
        for (int s = 0; s < sentences; ++s)
            text += QStringLiteral("Die %1 putzen, klein schneiden und bei mittlerer Hitze %2 Minuten garen. ")
                        .arg(QString::fromUtf8(words[rng() % std::size(words)]))
                        .arg(5 + rng() % 30);
        pools.texts.push_back(text.trimmed());
    }
    kv::db::Statement zutids(db, QStringLiteral("select zutid from zutindex"));
    while (zutids.step()) pools.ingredients.push_back(zutids.int64(0));
    kv::db::Statement eids(db, QStringLiteral("select eid from einheiten"));
    while (eids.step()) pools.units.push_back(eids.int64(0));
    return pools;
}

void removeCookbook(const QString& file)
{
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) QFile::remove(file + QLatin1String(suffix));
}

// Returns the seconds the inserts and commits took.
double writeRecipes(Database& db, const Pools& pools, int recipes)
{
    std::mt19937 rng(7);
    qint64 rid = db.scalar(QStringLiteral("select max(rid) from rezepte")).toLongLong() + 1;
    kv::db::Statement rezept(db, QStringLiteral("insert into rezepte (rid, rname, port, ungenau, kid, komid, did) "
                                                "values (?, ?, ?, 0, ?, null, 1)"));
    kv::db::Statement zutat(db, QStringLiteral("insert into zutaten (rid, tid, nr, eid, menge, zutid) "
                                               "values (?, ?, ?, ?, ?, ?)"));
    kv::db::Statement zubereit(db, QStringLiteral("insert into zubereit (rid, ztext) values (?, ?)"));

    const auto start = std::chrono::steady_clock::now();
    for (int done = 0; done < recipes;) {
        kv::db::Transaction tx(db);
        const int end = std::min(recipes, done + kBatch);
        for (; done < end; ++done, ++rid) {
            rezept.bind(1, rid);
            rezept.bind(2, pools.names[rng() % pools.names.size()]);
            rezept.bind(3, int(1 + rng() % 8));
            rezept.bind(4, int(1 + rng() % 21));
            rezept.step();
            rezept.reset();

            const int lines = 8 + int(rng() % 5);
            for (int nr = 1; nr <= lines; ++nr) {
                zutat.bind(1, rid);
                zutat.bind(2, 1);
                zutat.bind(3, nr);
                zutat.bind(4, pools.units[rng() % pools.units.size()]);
                zutat.bind(5, double(50 * (1 + rng() % 10)));
                zutat.bind(6, pools.ingredients[rng() % pools.ingredients.size()]);
                zutat.step();
                zutat.reset();
            }

            zubereit.bind(1, rid);
            zubereit.bind(2, pools.texts[rng() % pools.texts.size()]);
            zubereit.step();
            zubereit.reset();
        }
        tx.commit();
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_WriteRecipes(benchmark::State& state, const char* journalMode)
{
    const QString file = g_temp->filePath(QStringLiteral("schreiben/") + QLatin1String(journalMode)) +
                         QStringLiteral("/kelvor-daten.mdb");
    QDir().mkpath(QFileInfo(file).absolutePath());
    double rate = 0;
    double closing = 0;
    for (auto _ : state) {
        removeCookbook(file);
        if (!QFile::copy(kv::bench::deliveredCookbook(), file)) {
            state.SkipWithError("the delivered cookbook cannot be copied");
            break;
        }
        QFile::setPermissions(file, QFile::permissions(file) | QFile::WriteOwner);
        auto db = Database::open(file);
        // Set here, not left to the layer's own choice, so the variant is what its name says.
        const QString mode =
            db->scalar(QStringLiteral("PRAGMA journal_mode=%1").arg(QLatin1String(journalMode))).toString();
        db->execute(QStringLiteral("PRAGMA synchronous=FULL"));
        if (mode.compare(QLatin1String(journalMode), Qt::CaseInsensitive) != 0) {
            state.SkipWithError("the journal mode could not be set");
            break;
        }
        const Pools pools = makePools(*db);

        const double seconds = writeRecipes(*db, pools, g_recipes);
        state.SetIterationTime(seconds);
        rate += g_recipes / seconds;

        const auto start = std::chrono::steady_clock::now();
        db->close();
        closing += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["recipes"] = g_recipes;
    state.counters["recipes_per_s"] = benchmark::Counter(rate, benchmark::Counter::kAvgIterations);
    state.counters["close_s"] = benchmark::Counter(closing, benchmark::Counter::kAvgIterations);
    removeCookbook(file);
}
BENCHMARK_CAPTURE(BM_WriteRecipes, rollback_journal, "DELETE")->Unit(benchmark::kSecond)->UseManualTime();
BENCHMARK_CAPTURE(BM_WriteRecipes, wal, "WAL")->Unit(benchmark::kSecond)->UseManualTime();

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    bool ok = false;
    const int recipes = qEnvironmentVariableIntValue("KELVOR_BENCH_WRITE_RECIPES", &ok);
    if (ok && recipes > 0) g_recipes = recipes;
    g_temp = std::make_unique<QTemporaryDir>();
    if (!g_temp->isValid()) return 1;

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_temp.reset();
    return 0;
}
