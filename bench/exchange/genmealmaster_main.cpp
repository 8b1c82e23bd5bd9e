// kelvor_genmealmaster FOLDER [RECIPES [PER_FILE [SEED]]]: Meal-Master files for the import
// benchmark; prints how many recipes (and of them broken), and files it wrote.

#include "bench/exchange/genmealmaster.h"

#include <QCoreApplication>

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    if (args.isEmpty() || args.size() > 4) {
        std::fprintf(stderr, "usage: kelvor_genmealmaster FOLDER [RECIPES [PER_FILE [SEED]]]\n");
        return 2;
    }
    const qint64 recipes = args.size() > 1 ? args[1].toLongLong() : 250000;
    const qint64 perFile = args.size() > 2 ? args[2].toLongLong() : 1000;
    const unsigned seed = args.size() > 3 ? args[3].toUInt() : 1;
    if (recipes <= 0 || perFile <= 0) {
        std::fprintf(stderr, "kelvor_genmealmaster: numbers must be positive\n");
        return 2;
    }
    try {
        const kv::bench::GeneratedFiles made = kv::bench::generateMealMaster(args[0], recipes, perFile, seed);
        std::printf("%lld %lld %lld\n", static_cast<long long>(made.recipes), static_cast<long long>(made.broken),
                    static_cast<long long>(made.files));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kelvor_genmealmaster: %s\n", e.what());
        return 1;
    }
    return 0;
}
