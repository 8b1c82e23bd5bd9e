#pragma once
// The first-start work: the first-start settings and the search indexes a cookbook is
// delivered without, built from its tables `-indizes` and `-indexfelder`.

#include <QStringList>

namespace kv {

namespace db {
class Database;
}

// Builds every listed index the cookbook lacks, all in one transaction with the row
// that records the step; between two messages when there is anything to build.
void indizieren(db::Database& db);

// Of the listed indexes the cookbook lacks, those named (each as "table.index"), built
// without a word in the caller's transaction.
void buildMissingIndexes(db::Database& db, const QStringList& only);
// Drops the listed indexes of these tables but those named in `keep` (never a primary
// key): for writing many rows at once, after which buildMissingIndexes brings them back.
// Gives those dropped as "table.index".
QStringList dropListedIndexes(db::Database& db, const QStringList& tables, const QStringList& keep);

}  // namespace kv
