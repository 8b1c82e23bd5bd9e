#pragma once
// A set of row ids that the statements of one connection test with "kv_idset(x)" while
// the set lives. Deleting the rows of many recipes from a table of millions of lines
// through "rid in (select rid from temp.t)" costs a seek into t for every line; here a
// line costs a bit.

#include <QString>

#include <vector>

namespace kv::db {

class Database;

class IdSet {
public:
    // The ids the query's first column gives; nulls are no ids.
    IdSet(Database& db, const QString& query);
    ~IdSet();
    IdSet(const IdSet&) = delete;
    IdSet& operator=(const IdSet&) = delete;

    bool contains(qint64 id) const;
    qint64 size() const { return m_count; }

private:
    Database& m_db;
    // A bit per id from m_first where the ids lie close enough together; else sorted.
    std::vector<quint64> m_bits;
    qint64 m_first = 0;
    std::vector<qint64> m_sorted;
    qint64 m_count = 0;
};

}  // namespace kv::db
