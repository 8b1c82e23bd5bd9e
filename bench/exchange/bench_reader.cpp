// bench_reader: the Meal-Master reading alone, as the import's reading thread does it
// (code-page detection, lines, the reader with the umlaut replacement), over generated
// files held in memory; recipes per second.

#include "bench/exchange/genmealmaster.h"
#include "exchange/lookups.h"
#include "exchange/mealmaster.h"
#include "platform/textreplace/replacer.h"
#include "platform/textreplace/textfile.h"

#include <benchmark/benchmark.h>

#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <vector>

namespace {

class Host : public kv::exchange::MmHost {
public:
    QString repstr(const QString& text) override { return kv::exchange::repstr(text); }
    bool cancelled() override { return false; }
};

const std::vector<QByteArray>& files()
{
    static const std::vector<QByteArray> bytes = [] {
        kv::text::InitReplacer(QStringLiteral(KELVOR_DATA_DIR "/ExclList.txt"),
                               QStringLiteral(KELVOR_DATA_DIR "/RepList.txt"));
        QTemporaryDir dir;
        kv::bench::generateMealMaster(dir.path(), 5000, 500);
        std::vector<QByteArray> all;
        QDirIterator it(dir.path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            if (file.open(QIODevice::ReadOnly)) all.push_back(file.readAll());
        }
        return all;
    }();
    return bytes;
}

void BM_ReadGeneratedRecipes(benchmark::State& state)
{
    Host host;
    qint64 recipes = 0;
    for (auto _ : state) {
        for (const QByteArray& bytes : files()) {
            kv::exchange::TextLineSource lines(bytes, kv::text::detectEncoding(bytes));
            kv::exchange::MealMasterReader reader(lines, host);
            while (std::optional<kv::exchange::MmRecipe> recipe = reader.next()) {
                benchmark::DoNotOptimize(recipe->parts.size());
                ++recipes;
            }
        }
    }
    state.SetItemsProcessed(recipes);
}
BENCHMARK(BM_ReadGeneratedRecipes)->Unit(benchmark::kMillisecond);

}  // namespace
