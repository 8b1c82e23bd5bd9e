// bruchmenge runs once per ingredient line of every recipe shown, printed or
// exported; a selection list for printing easily holds thousands of lines.
#include "core/fraction.h"

#include <benchmark/benchmark.h>

#include <QLocale>

#include <optional>
#include <vector>

namespace {

struct Line {
    std::optional<double> amount;
    int servings;
    std::optional<qint64> unit;
};

// Amounts as recipes hold them: whole numbers, halves and quarters, grams above
// fifty, rounded thirds from imports, a few lines without an amount or unit.
const std::vector<Line>& lines()
{
    static const std::vector<Line> list = {
        {1.0, 4, 1},     {2.0, 4, 2},      {0.5, 4, 3},    {250.0, 4, 10}, {125.0, 4, 10},
        {0.25, 4, 3},    {1.5, 4, 2},      {3.0, 4, {}},   {std::nullopt, 4, {}},
        {500.0, 4, 11},  {0.125, 4, 5},    {200.0, 2, 10}, {1.0, 4, 115},  {0.33, 6, 2},
        {2.0 / 3, 4, 2}, {0.7, 4, 12},     {1.25, 4, 2},   {4.0, 6, {}},   {75.0, 4, 10},
        {0.2, 4, 12},    {1.0 / 3, 3, 2},  {6.0, 4, {}},   {40.0, 4, 10},  {1.07, 4, 13},
    };
    return list;
}

void germanLocale()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

// Scaled to 2, 4 and 6 servings wanted, written as the recipe view shows it.
void BM_bruchmenge(benchmark::State& state)
{
    germanLocale();
    const auto& list = lines();
    const double wanted[] = {2.0, 4.0, 6.0};
    std::size_t i = 0;
    for (auto _ : state) {
        const Line& line = list[i % list.size()];
        QString text = kv::bruchmenge(line.amount, line.servings, wanted[i % 3], line.unit).toText();
        benchmark::DoNotOptimize(text);
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_bruchmenge);

// The value alone, as the print hand-over stores it before any text is made.
void BM_bruchmengeValue(benchmark::State& state)
{
    germanLocale();
    const auto& list = lines();
    std::size_t i = 0;
    for (auto _ : state) {
        const Line& line = list[i % list.size()];
        kv::DisplayAmount value = kv::bruchmenge(line.amount, line.servings, 4.0, line.unit);
        benchmark::DoNotOptimize(value);
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_bruchmengeValue);

void BM_bruch(benchmark::State& state)
{
    germanLocale();
    const auto& list = lines();
    std::size_t i = 0;
    for (auto _ : state) {
        QString text = kv::bruch(list[i % list.size()].amount);
        benchmark::DoNotOptimize(text);
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_bruch);

}  // namespace
