#pragma once
// What the print benchmarks share: their cookbook and the selection list they print.
//   KELVOR_BENCH_COOKBOOK  folder of a generated cookbook to copy (default: 20,000 recipes
//                          are generated)

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

// A selection list "Hundert" of 100 recipes spread over the whole cookbook, each for 4
// servings; its aid.
inline qint64 addHundredRecipeList(db::Database& book)
{
    const qint64 recipes = book.scalar(QStringLiteral("select count(*) from rezepte")).toLongLong();
    book.execute(QStringLiteral("insert into auswahlen (aname,adat) values ('Hundert','2026-01-01')"));
    const qint64 aid = book.lastInsertId();
    book.execute(QStringLiteral("insert into rezinaus (aid,rid,rname,port) select ?,rid,rname,4 from rezepte "
                                "where rid in (select rid from zutaten) order by rid % ?, rid limit 100"),
                 {aid, recipes / 100 + 1});
    return aid;
}

}  // namespace kv::bench
