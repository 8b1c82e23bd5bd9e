// kelvor_gencookbook [--old] [--keywords N] FOLDER [RECIPES [SEED]]: a large cookbook for
// trying the program and for the benchmarks; with --old, one as an old version left it,
// which the first start upgrades; with --keywords, N more keywords in the tree.

#include "bench/db/gencookbook.h"
#include "platform/db/database.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    const bool old = !args.isEmpty() && args.first() == QLatin1String("--old");
    if (old) args.removeFirst();
    bool ok = true;
    int keywords = 0;
    if (!old && args.size() > 1 && args.first() == QLatin1String("--keywords")) {
        keywords = args[1].toInt(&ok);
        if (!ok || keywords < 0) {
            std::fprintf(stderr, "kelvor_gencookbook: not a number of keywords: %s\n", qPrintable(args[1]));
            return 2;
        }
        args.remove(0, 2);
    }
    if (args.isEmpty() || args.size() > 3 || args.first().startsWith(u'-')) {
        std::fprintf(stderr, "usage: kelvor_gencookbook [--old] [--keywords N] FOLDER [RECIPES [SEED]]\n");
        return 2;
    }
    const int recipes = args.size() > 1 ? args[1].toInt(&ok) : (old ? 100000 : 250000);
    if (!ok || recipes < 0) {
        std::fprintf(stderr, "kelvor_gencookbook: not a number of recipes: %s\n", qPrintable(args[1]));
        return 2;
    }
    const unsigned seed = args.size() > 2 ? args[2].toUInt(&ok) : 1;
    if (!ok) {
        std::fprintf(stderr, "kelvor_gencookbook: not a seed: %s\n", qPrintable(args[2]));
        return 2;
    }
    QElapsedTimer timer;
    timer.start();
    try {
        if (old)
            kv::bench::generateOldCookbook(args[0], recipes, seed);
        else
            kv::bench::generateCookbook(args[0], recipes, seed, kv::bench::deliveredCookbook(), keywords);
    } catch (const kv::db::DbError& e) {
        std::fprintf(stderr, "kelvor_gencookbook: %s\n%s\n", qPrintable(e.text()), qPrintable(e.sql()));
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kelvor_gencookbook: %s\n", e.what());
        return 1;
    }
    std::printf("%d recipes in %.1f s\n", recipes, double(timer.elapsed()) / 1000.0);
    return 0;
}
