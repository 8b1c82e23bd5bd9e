#pragma once
// What the print benchmarks share: their cookbook and the selection list they print.
//   KELVOR_BENCH_COOKBOOK        folder of a generated cookbook to copy (default: 20,000
//                                recipes are generated)
//   KELVOR_BENCH_PRINT_RECIPES   recipes in the printed list (default 100)

#include "bench/db/gencookbook.h"
#include "platform/db/database.h"

#include <QDir>
#include <QFile>
#include <QString>

namespace kv::bench {

// The cookbook file in `folder`: a copy of the one KELVOR_BENCH_COOKBOOK names, never
// written to, or 20,000 generated recipes. Empty when the copy failed.
inline QString printBenchCookbook(const QString& folder)
{
    const QString file = folder + QStringLiteral("/kelvor-daten.mdb");
    const QString given = qEnvironmentVariable("KELVOR_BENCH_COOKBOOK");
    if (given.isEmpty()) {
        generateCookbook(folder, 20000);
        return file;
    }
    QDir().mkpath(folder);
    return QFile::copy(QDir(given).filePath(QStringLiteral("kelvor-daten.mdb")), file) ? file : QString();
}

// The recipes in the printed list: KELVOR_BENCH_PRINT_RECIPES, 100 when it is not a
// positive number.
inline qint64 printBenchRecipes()
{
    bool ok = false;
    const qint64 n = qEnvironmentVariable("KELVOR_BENCH_PRINT_RECIPES").toLongLong(&ok);
    return ok && n > 0 ? n : 100;
}

// A selection list "Hundert" of printBenchRecipes() recipes spread over the whole cookbook,
// each for 4 servings; its aid. The name stays whatever the size, so the headers of every
// page are as wide at 1,000 recipes as at 100.
inline qint64 addHundredRecipeList(db::Database& book)
{
    const qint64 wanted = printBenchRecipes();
    const qint64 recipes = book.scalar(QStringLiteral("select count(*) from rezepte")).toLongLong();
    book.execute(QStringLiteral("insert into auswahlen (aname,adat) values ('Hundert','2026-01-01')"));
    const qint64 aid = book.lastInsertId();
    book.execute(QStringLiteral("insert into rezinaus (aid,rid,rname,port) select ?,rid,rname,4 from rezepte "
                                "where rid in (select rid from zutaten) order by rid % ?, rid limit ?"),
                 {aid, recipes / wanted + 1, wanted});
    return aid;
}

}  // namespace kv::bench
