#pragma once
// A list filtered by like() on one text column and sorted by it, found without letting
// SQLite call like() on every row. The name search runs "where rname like '*x*' order by
// rname" over every recipe: SQLite walks the whole name index for it, and most of that
// time goes into its per-row machinery, not into the match. The column's values are read
// once, in the order of that index, and kept while the database stays as it was; each
// such list is then the values that match, in the same order.

#include <QString>

#include <optional>
#include <vector>

namespace kv::db {
class Database;
}

namespace kv::db::detail {

struct SortedColumn;

// The rowids the keyset query "SELECT <from>.rowid FROM <from> <tail>" gives, where <from>
// names `table` of the main database as the query writes it, and the tail is
// "where c like '...' [and c like '...']... order by c" on one column c. Nothing when the query has another shape, when SQLite would not
// read it through the index on c, or while a transaction is open (its changes may yet be
// taken back); the caller then runs the query. The values are read again after any change
// to the table, or to the schema, and after a commit of another connection.
std::optional<std::vector<qint64>> likeFilteredKeyset(Database& db, const QString& table, const QString& from,
                                                      const QString& tail);

// The function the column is read through, registered on every connection; returns
// SQLite's result code.
int registerSortedColumn(Database& db);

}  // namespace kv::db::detail
