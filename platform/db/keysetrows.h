#pragma once
// The rows that the cursors of one keyset recordset share: the rowids in the order the
// table or query gives them, read once; the values of the rows fetched a page at a time
// by rowid and kept while no write can have changed them; the matches of the last find.
// A list of 250,000 recipes opens without reading them all.

#include "platform/db/recordsetbase.h"

#include "platform/db/tablechanges.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace kv::db::detail {

class KeysetRecordset;

// Held by every cursor on the rows; the cursors are listed so that a delete through one
// moves the others' positions.
struct KeysetData {
    KeysetConfig cfg;
    std::vector<FieldInfo> fields;
    int rowidField = -1;
    bool autoIncrement = false;

    std::vector<qint64> ids;
    bool loaded = false;
    std::unordered_map<qint64, std::vector<QVariant>> cache;
    qint64 cacheStamp = -1;
    int servedSinceFetch = 0;
    bool writesBetweenReads = false;
    Stmt pageStmt;
    std::vector<KeysetRecordset*> cursors;
    quint64 version = nextVersion();
    qint64 fetched = 0;

    TableStamp loadStamp;

    QString findCriteria;
    qint64 findStamp = -1;
    quint64 findVersion = 0;
    std::unordered_set<qint64> findMatches;

    explicit KeysetData(const KeysetConfig& config);

    qint64 size() const { return qint64(ids.size()); }

    // A query that reads nothing but its table and gives the same rows for the same table,
    // whose state at the last load tells whether the rows can have changed since.
    bool readsItsTableOnly() const;

    // Reads the rowids again; `sizeHint` is how many there were.
    void load(size_t sizeHint = 0);

    qint64 indexOf(qint64 id) const
    {
        const auto it = std::find(ids.begin(), ids.end(), id);
        return it == ids.end() ? -1 : qint64(it - ids.begin());
    }

    // The row at keyset position `index`; an empty vector when it no longer exists.
    const std::vector<QVariant>& row(qint64 index)
    {
        const qint64 stamp = sqlite3_total_changes64(cfg.db->handle());
        if (stamp != cacheStamp) {
            // Any write may have changed a cached row. When writes come between almost
            // every read (a delete loop), fetch small pages instead of refetching 64 rows.
            if (!cache.empty()) {
                writesBetweenReads = servedSinceFetch < 8;
                cache.clear();
            }
            cacheStamp = stamp;
        }
        const qint64 id = ids[size_t(index)];
        if (auto it = cache.find(id); it != cache.end()) {
            ++servedSinceFetch;
            return it->second;
        }
        fetchPage(index);
        return cache[id];
    }

    // Reads the page of rows around `index` that the cache lacks.
    void fetchPage(qint64 index);

    // The rowids of the rows that meet `criteria`, kept until the rows or the criteria change.
    const std::unordered_set<qint64>& matches(const QString& criteria);

    // The rowid an AddNew takes: one above the table's highest (with AutoNumber, the
    // highest it ever had) and above every one this connection handed out before, so two
    // pending additions never share one.
    qint64 reserveId();

    // The row at `index` was deleted: it leaves the keyset and every cursor is told.
    void erase(qint64 index);
    void append(qint64 id)
    {
        if (loaded) ids.push_back(id);
        version = nextVersion();
    }
};

}  // namespace kv::db::detail
