#pragma once
// Whether rows read from some tables are still what those tables hold: the changes made on
// the connection are counted per table, through SQLite's update hook and its statement
// trace (the connection's one hook and one trace), so a list read before can be kept when
// nothing it reads has changed since.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QStringList>

namespace kv::db {
class Database;
}

namespace kv::db::detail {

struct TableChanges;

// The state of some tables of the main database at one moment.
struct TableStamp {
    // Taken outside a transaction, whose changes might yet be taken back, in a database
    // without triggers.
    bool valid = false;
    QList<QPair<QByteArray, qint64>> tables;
    qint64 dataVersion = 0;    // a commit of another connection
    qint64 schemaVersion = 0;  // an index dropped or built changes the order rows are read in
    qint64 tempSchemaVersion = 0;  // a temporary table hides the table of the same name
};

TableStamp stampTables(Database& db, const QStringList& tables);
// True when the stamped tables have not changed since, no other connection has committed,
// the schema is as it was and has no triggers. Throws DbError when the database cannot be
// read.
bool stampHolds(Database& db, const TableStamp& stamp);

// Installs the counting on a connection; removes it before the connection closes.
void watchTableChanges(Database& db);
void forgetTableChanges(Database& db);

}  // namespace kv::db::detail
