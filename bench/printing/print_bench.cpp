// What the print button of a selection list costs before the print window can draw its
// first page: the hand-over of a list of 100 recipes into `rep-korbliste`, and the layout of
// those rows measured with the real text engine at 600 dpi on A4 in two columns, once as a
// new print window's first layout (the layout database is made) and once as a later one
// (it is emptied). The goal for both together is under 0.8 s.
//   KELVOR_BENCH_COOKBOOK        folder of a generated cookbook to copy
//   KELVOR_BENCH_PRINT_RECIPES   recipes in the list instead of 100 (both in
//                                bench/printing/hundredrecipes.h)

#include "bench/printing/hundredrecipes.h"
#include "core/mainmod.h"
#include "core/settings.h"
#include "mainwindow/printhandover.h"
#include "platform/settings/regstore.h"
#include "printing/handoverdb.h"
#include "printing/layout.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>

namespace {

std::unique_ptr<QTemporaryDir> g_temp;
std::unique_ptr<kv::db::Database> g_book;
qint64 g_aid = 0;

class NoWindow : public kv::LayoutWindow {
public:
    void waitmess(bool) override {}
    void setBusy(bool) override {}
    void pagescapt() override {}
    void printpage(int) override {}
    kv::ui::Answer msgbox(const QString& text, int, const QString&) override
    {
        std::fprintf(stderr, "bench_printing: unexpected message: %s\n", qPrintable(text));
        return kv::ui::Answer::Ok;
    }
};

double since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void setUpLayout(kv::PrintLayout& layout)
{
    layout.setHandoverSource([]() -> kv::db::Database& { return kv::printHandover().db(); });
    // A4 at 600 dpi with the border a laser printer leaves.
    layout.setGeometry({100, 100, 4761, 6816, 4961, 7016, 600, 600});
    layout.setColumncount(2);
}

void report(benchmark::State& state, double handOver, double layoutTime, const kv::PrintLayout& layout)
{
    state.counters["handover_s"] = benchmark::Counter(handOver, benchmark::Counter::kAvgIterations);
    state.counters["layout_s"] = benchmark::Counter(layoutTime, benchmark::Counter::kAvgIterations);
    state.counters["pages"] = layout.pagecount();
}

void BM_FirstLayout(benchmark::State& state)
{
    double handOver = 0, layoutTime = 0;
    NoWindow window;
    std::unique_ptr<kv::PrintLayout> layout;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        kv::handOverList(kv::printHandover().db(), *g_book, false, g_aid, QString());
        const double h = since(start);
        start = std::chrono::steady_clock::now();
        layout = std::make_unique<kv::PrintLayout>(window);
        setUpLayout(*layout);
        if (layout->calcrezsizes() != kv::PrintLayout::Run::Done)
            state.SkipWithError("the layout failed");
        const double l = since(start);
        handOver += h;
        layoutTime += l;
        state.SetIterationTime(h + l);
    }
    report(state, handOver, layoutTime, *layout);
}

void BM_LaterLayout(benchmark::State& state)
{
    NoWindow window;
    kv::PrintLayout layout(window);
    setUpLayout(layout);
    kv::handOverList(kv::printHandover().db(), *g_book, false, g_aid, QString());
    layout.calcrezsizes();
    double handOver = 0, layoutTime = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        kv::handOverList(kv::printHandover().db(), *g_book, false, g_aid, QString());
        const double h = since(start);
        start = std::chrono::steady_clock::now();
        if (layout.calcrezsizes() != kv::PrintLayout::Run::Done)
            state.SkipWithError("the layout failed");
        const double l = since(start);
        handOver += h;
        layoutTime += l;
        state.SetIterationTime(h + l);
    }
    report(state, handOver, layoutTime, layout);
}

BENCHMARK(BM_FirstLayout)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);
BENCHMARK(BM_LaterLayout)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    g_temp = std::make_unique<QTemporaryDir>();
    if (!g_temp->isValid())
        return 1;
    qputenv("TMPDIR", g_temp->filePath(QStringLiteral("tmp")).toLocal8Bit());
    QDir().mkpath(g_temp->filePath(QStringLiteral("tmp")));
    kv::settings::setStoreFile(g_temp->filePath(QStringLiteral("settings.ini")));
    kv::defaultprint();

    const QString file = kv::bench::printBenchCookbook(g_temp->filePath(QStringLiteral("kochbuch")));
    if (file.isEmpty())
        return 1;
    g_book = kv::db::Database::open(file);
    std::fprintf(stderr, "bench_printing: %lld recipes\n",
                 g_book->scalar(QStringLiteral("select count(*) from rezepte")).toLongLong());
    g_aid = kv::bench::addHundredRecipeList(*g_book);
    std::fprintf(stderr, "bench_printing: %lld rows handed over\n",
                 [] {
                     kv::handOverList(kv::printHandover().db(), *g_book, false, g_aid, QString());
                     return kv::printHandover()
                         .db()
                         .scalar(QStringLiteral("select count(*) from [rep-korbliste]"))
                         .toLongLong();
                 }());

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_book.reset();
    g_temp.reset();
    return 0;
}
