#pragma once
// The first-start work: the first-start settings and the search indexes a cookbook is
// delivered without, built from its tables `-indizes` and `-indexfelder`.

#include <QString>
#include <QStringList>

namespace kv {

namespace db {
class Database;
}

// Builds every listed index the cookbook lacks, all in one transaction with the row
// that records the step; between two messages when there is anything to build. A plain
// index whose fields lead another listed or existing index of its table is not built:
// the longer one answers every seek the shorter one would.
void indizieren(db::Database& db);

// Of the listed indexes the cookbook lacks, those named (each as "table.index"), built
// without a word in the caller's transaction.
void buildMissingIndexes(db::Database& db, const QStringList& only);
// Drops the listed indexes of these tables but those named in `keep` (never a primary
// key): for writing many rows at once, after which buildMissingIndexes brings them back.
// Gives those dropped as "table.index".
QStringList dropListedIndexes(db::Database& db, const QStringList& tables, const QStringList& keep);

// The `changelog` row of the index build. Without it the next opening builds every listed
// index that is missing; forgetIndexesBuilt says whether the row was there.
void recordIndexesBuilt(db::Database& db);
bool forgetIndexesBuilt(db::Database& db);

// True when `fields` lead `longer` (compared as the cookbook compares names) and
// `longer` has more fields.
bool leadsIndex(const QStringList& fields, const QStringList& longer);

// While it lives, the connection's page cache is small. Building an index sorts its keys
// in runs as large as the page cache; runs that fit the processor's cache sort about
// twice as fast, and the build reads the table once in order, so a large cache buys it
// nothing. The cache the connection had comes back at the end.
class IndexBuildCache {
public:
    explicit IndexBuildCache(db::Database& db);
    ~IndexBuildCache();
    IndexBuildCache(const IndexBuildCache&) = delete;
    IndexBuildCache& operator=(const IndexBuildCache&) = delete;

private:
    db::Database& m_db;
    qint64 m_before = 0;
};

}  // namespace kv
