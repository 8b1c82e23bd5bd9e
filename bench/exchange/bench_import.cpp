// bench_import [RECIPES] [--ohne-indizes]: generates Meal-Master files (kelvor_genmealmaster,
// in a process of its own) and imports them as a directory tree into the delivered
// cookbook as the first start leaves it, with the rollback journal and full syncs the
// program uses. Prints the time, the peak memory of this process, where the time went,
// and whether every generated recipe was stored or reported. For scale it then lets
// kelvor_gencookbook write as many recipes with their indexes, and prints the ratio.
// --ohne-indizes leaves out the first start's index build, to see what index upkeep costs.

#include "bench/exchange/importhost.h"
#include "core/indizieren.h"
#include "core/mainmod.h"
#include "exchange/import.h"
#include "exchange/importsession.h"
#include "platform/db/database.h"
#include "platform/paths.h"
#include "platform/settings/regstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>

namespace {

double seconds(qint64 ns)
{
    return double(ns) / 1e9;
}

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool withoutIndexes = args.removeAll(QStringLiteral("--ohne-indizes")) > 0;
    const qint64 recipes = args.isEmpty() ? 250000 : args.first().toLongLong();
    if (recipes <= 0) {
        std::fprintf(stderr, "usage: bench_import [RECIPES] [--ohne-indizes]\n");
        return 2;
    }

    QTemporaryDir dir;
    const QString files = dir.filePath(QStringLiteral("dateien"));
    QProcess generator;
    generator.start(QStringLiteral(KELVOR_GENMEALMASTER_TOOL), {files, QString::number(recipes)});
    if (!generator.waitForFinished(-1) || generator.exitCode() != 0) {
        std::fprintf(stderr, "generator failed: %s\n", generator.readAllStandardError().constData());
        return 1;
    }
    const QStringList made = QString::fromLatin1(generator.readAllStandardOutput()).split(u' ');
    const qint64 generated = made.value(0).toLongLong();
    const qint64 broken = made.value(1).toLongLong();

    qputenv("KELVOR_HOME", dir.filePath(QStringLiteral("programm")).toLocal8Bit());
    qputenv("KELVOR_SHIPPED", KELVOR_SHIPPED_DIR);
    kv::settings::setStoreFile(dir.filePath(QStringLiteral("einstellungen.ini")));
    QDir().mkpath(dir.filePath(QStringLiteral("kochbuch")));
    const QString cookbook = dir.filePath(QStringLiteral("kochbuch/kelvor-daten.mdb"));
    QFile::copy(QStringLiteral(KELVOR_SHIPPED_DIR "/kochbuch/kelvor-daten.mdb"), cookbook);
    QFile::setPermissions(cookbook, QFile::permissions(cookbook) | QFile::WriteOwner);

    kv::bench::ImportAnswers answers;
    kv::ui::setDialogHost(&answers);
    kv::bench::QuietImportUi ui;
    kv::exchange::setImportUi(&ui);
    kv::kochbuchdb = kv::db::Database::open(cookbook);
    if (!withoutIndexes) kv::indizieren(*kv::kochbuchdb);
    kv::skipexisting = true;
    const long before = peakKilobytes();

    QElapsedTimer clock;
    clock.start();
    kv::exchange::startimport(files + u'/', 2);
    const qint64 total = clock.nsecsElapsed();

    const kv::exchange::ImportStats& stats = kv::exchange::lastImportStats();
    const qint64 stored = kv::kochbuchdb->scalar(QStringLiteral("select count(*) from rezepte where did>1")).toLongLong();
    const qint64 reported = kv::kochbuchdb->scalar(QStringLiteral("select count(*) from importerrors")).toLongLong();
    std::printf("recipes generated %lld (broken %lld), stored %lld, reported %lld: %s\n",
                static_cast<long long>(generated), static_cast<long long>(broken), static_cast<long long>(stored),
                static_cast<long long>(reported), stored + reported == generated ? "all accounted for" : "MISSING");
    std::printf("import %.2f s%s; peak memory %.0f MB (%.0f MB before the import)\n", seconds(total),
                withoutIndexes ? " without the first start's indexes" : "", double(peakKilobytes()) / 1024.0,
                double(before) / 1024.0);
    std::printf("waiting for the reading %.2f s, rows with their lookups %.2f s, commits %.2f s, indexes %.2f s, "
                "rest %.2f s\n",
                seconds(stats.readNs), seconds(stats.rowsNs), seconds(stats.commitNs), seconds(stats.indexNs),
                seconds(total - stats.readNs - stats.rowsNs - stats.commitNs - stats.indexNs));
    kv::exchange::setImportUi(nullptr);
    kv::kochbuchdb.reset();
    kv::ui::setDialogHost(nullptr);

    QProcess writer;
    clock.restart();
    writer.start(QStringLiteral(KELVOR_GENCOOKBOOK_TOOL),
                 {dir.filePath(QStringLiteral("vergleich")), QString::number(recipes)});
    if (!writer.waitForFinished(-1) || writer.exitCode() != 0) {
        std::fprintf(stderr, "kelvor_gencookbook failed: %s\n", writer.readAllStandardError().constData());
        return 1;
    }
    const qint64 written = clock.nsecsElapsed();
    std::printf("kelvor_gencookbook writing %lld recipes with their indexes %.2f s: the import takes %.2fx\n",
                static_cast<long long>(recipes), seconds(written), double(total) / double(written));
    return answers.unexpected.isEmpty() && stored + reported == generated ? 0 : 1;
}
