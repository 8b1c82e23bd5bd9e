#pragma once
// Shared by the implementation files of the layer; not for callers. It names the
// public types only by declaration, so that it sits below database.h: the files that
// include it include database.h themselves.

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <map>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace kv::db {
class Database;
class DbError;
class Recordset;
struct FieldDef;
enum class RecordsetType;
}  // namespace kv::db

namespace kv::db::detail {

struct SortedColumn;
struct TableChanges;

struct DatabasePrivate {
    QString canonicalPath;
    bool immutable = false;                 // read as a file nobody writes (see Database::open)
    QStringList transactions;               // open ones, innermost last: "" = BEGIN, else a savepoint
    std::map<QString, qint64> reservedIds;  // per table: the last AutoNumber handed to an AddNew
    std::shared_ptr<TableChanges> tableChanges;  // see tablechanges.h
    std::shared_ptr<SortedColumn> sortedColumn;  // see sortedcolumn.h
};

// A file name made absolute and clean, as connections keep it.
QString absoluteClean(const QString& path);
// Throws errFileExists when something is at `path`, where a new database is to be written.
void requireNewFile(const QString& path);

// Reaches the private parts of Database for the recordsets and the schema code.
struct DatabaseAccess {
    static DatabasePrivate& d(Database& db);
};

// The failure the engine reports for its last call on `db`.
DbError lastError(sqlite3* db, const QString& sql);
[[noreturn]] void throwSqlite(sqlite3* db, const QString& sql);
// A file that did not open: `rc` of the open call, `db` the handle it left, if any.
DbError openError(sqlite3* db, int rc);
[[noreturn]] void throwClosed(const QString& sql = {});
// SQLite's failure with a German sentence in front of its code and text.
QString sqliteText(int code, const QString& engineText);
[[noreturn]] void throwError(int number, const QString& text, const QString& sql = {});
void check(sqlite3* db, int rc, const QString& sql);

// What may follow the first statement of a text: anything (the layer's own statements), or
// nothing but terminators (a caller's text, which must not smuggle in a second one).
enum class Rest { Ignored, MustBeEmpty };
// Prepares the first statement of `sql`; throws when the engine refuses it, when it is
// empty, or when the rest is not as asked. The caller finalizes it.
sqlite3_stmt* prepare(sqlite3* db, const QString& sql, Rest rest);

// Prepared statement owned by RAII inside the layer (Statement needs a Database&).
class Stmt {
public:
    Stmt() = default;
    Stmt(sqlite3* db, const QString& sql);
    ~Stmt();
    Stmt(Stmt&& other) noexcept;
    Stmt& operator=(Stmt&& other) noexcept;
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;

    sqlite3_stmt* get() const { return m_stmt; }
    explicit operator bool() const { return m_stmt != nullptr; }
    void bind(int index, const QVariant& value);
    bool step();
    void reset();
    void finalize();
    const QString& sql() const { return m_sql; }

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
    QString m_sql;
};

void bindVariant(sqlite3* db, sqlite3_stmt* stmt, int index, const QVariant& value, const QString& sql);
// The value of a result column by its storage class; Null is an invalid QVariant.
QVariant columnVariant(sqlite3_stmt* stmt, int column);
// A number rounded to single precision, written back as the shortest double that
// shows the same digits (0.1 stays 0.1, not 0.100000001490116).
double roundToSingle(double value);

// Type, width and attributes from a declared column type of the conventions.
FieldDef fieldFromDeclaration(const QString& name, const QString& declaredType, bool autoIncrement,
                              bool noZeroLength);
// The column definition that createTable and appendField write for a FieldDef.
QString columnDefinition(const FieldDef& field);
// The INTEGER PRIMARY KEY column of a table (its rowid under another name), or empty.
QString rowidAlias(Database& db, const QString& schema, const QString& table);
bool hasAutoIncrement(Database& db, const QString& schema, const QString& table);

// Runs `work` inside BEGIN/COMMIT, or inside a savepoint when a transaction is open;
// everything is rolled back when it throws.
void atomically(Database& db, const std::function<void()>& work);

std::unique_ptr<Recordset> openRecordsetOn(Database& db, const QString& source, RecordsetType type);
// The database is closing: the recordset drops its statements and data and stops working.
void detachRecordset(Recordset& rs);
// Reads the rest of a pending statement, so that tables can be altered or dropped.
void finishReading(Recordset& rs);

}  // namespace kv::db::detail
