#pragma once
// A small database layer over SQLite. The program's cookbook code relies on
// case-insensitive text comparison, '*'-style like patterns, per-table index names
// and recordsets that navigate, edit and seek; this layer gives those semantics on
// SQLite files.

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace kv::db {

namespace detail {
struct DatabasePrivate;
struct DatabaseAccess;
}  // namespace detail

// Every failure of the layer. `number()` is what message boxes show as the error
// number, `text()` the engine's message; `sql()` the statement that failed.
// Failures of SQLite carry its extended result code and message; misuse of a
// recordset or of the schema calls carries the old engine's numbers below.
class DbError : public std::runtime_error {
public:
    DbError(int number, const QString& text, const QString& sql = {});
    int number() const { return m_number; }
    const QString& text() const { return m_text; }
    const QString& sql() const { return m_sql; }

private:
    int m_number;
    QString m_text;
    QString m_sql;
};

// Field types with the engine's numbers, so schema checks read like the program's
// ("type byte", "attributes 17").
enum class FieldType {
    Boolean = 1,
    Byte = 2,
    Integer = 3,  // 16 bit
    Long = 4,
    Currency = 5,
    Single = 6,
    Double = 7,
    Date = 8,
    Text = 10,
    Memo = 12,
};

constexpr int errInvalidArgument = 3001;
constexpr int errNoCurrentIndex = 3019;
constexpr int errNotEditing = 3020;       // Update/SetValue without Edit or AddNew
constexpr int errNoCurrentRecord = 3021;
constexpr int errFileNotFound = 3024;
constexpr int errReadOnly = 3027;         // recordset or database cannot be written
constexpr int errNoTransaction = 3034;
constexpr int errTableNotFound = 3078;
constexpr int errFieldNotUpdatable = 3164;
constexpr int errRecordDeleted = 3167;
constexpr int errFileExists = 3204;
constexpr int errNotSupported = 3251;
constexpr int errItemNotFound = 3265;     // no such field, index or table definition
constexpr int errPrimaryKeyExists = 3283;
constexpr int errIndexExists = 3284;
constexpr int errObjectClosed = 3420;
constexpr int errTypeMismatch = 3421;

constexpr int dbFixedField = 1;
constexpr int dbVariableField = 2;
constexpr int dbAutoIncrField = 16;

struct FieldDef {
    QString name;
    FieldType type = FieldType::Text;
    int size = 0;            // text width; 0 = the engine's default (255)
    int attributes = 0;      // dbAutoIncrField | dbFixedField for an AutoNumber
    bool allowZeroLength = true;
};

struct IndexDef {
    QString name;            // as the program names it, per table ("PrimaryKey", "zutat")
    QStringList fields;      // in key order, ascending
    bool primary = false;
    bool unique = false;     // primary implies unique
};

// The one quoting helper for text that reaches SQL: single quotes doubled,
// the whole wrapped in single quotes.
QString sqlQuote(const QString& text);
// Only the doubling, for callers that write the surrounding quotes themselves.
QString sqlEscape(const QString& text);

class Database;

enum class RecordsetType {
    Table,    // a table opened by name: stored order, Seek on a named index
    Dynaset,  // an SQL text; updatable when it reads one table
    Snapshot, // an SQL text, read-only
};

// A cursor over rows with the navigation, editing and finding the program uses.
// Rows are fetched on demand: opening a recordset of 250,000 rows does not read
// them all. Null is an invalid QVariant.
//
// As in the old engine: a new recordset stands on its first row; moveFirst/moveLast
// on an empty one and moveNext at EOF throw errNoCurrentRecord; any move discards a
// pending Edit or AddNew; after the update() of an AddNew the row that was current
// before stays current (lastModified() names the new one). A table, or a query that
// reads one table, is updatable and sees later edits of its rows; rows that SQL adds
// later show up after requery() (a table recordset's seek finds them at once). Any
// other query is a read-only snapshot. Values come back as their field types: yes/no
// as bool, whole numbers as int or qlonglong, dates as their ISO text.
class Recordset {
public:
    virtual ~Recordset() = default;

    virtual QString source() const = 0;          // the SQL text or table name
    virtual RecordsetType type() const = 0;
    virtual bool updatable() const = 0;
    virtual bool isOpen() const = 0;
    virtual void close() = 0;
    // The connection the rows come from, for a transaction around several changes; null
    // once closed.
    virtual Database* database() const = 0;

    virtual bool eof() const = 0;
    virtual bool bof() const = 0;
    virtual void moveFirst() = 0;
    virtual void moveLast() = 0;
    virtual void moveNext() = 0;
    virtual void movePrevious() = 0;
    // Exact number of rows (deleted rows no longer count).
    virtual qint64 recordCount() = 0;
    // 0-based position of the current row; -1 at BOF/EOF.
    virtual qint64 absolutePosition() const = 0;
    virtual void setAbsolutePosition(qint64 position) = 0;
    // Stable for the life of the recordset (until requery); survives deletes of other rows.
    virtual QVariant bookmark() const = 0;
    virtual void setBookmark(const QVariant& bookmark) = 0;
    // Another cursor on the same rows, standing on the first row; deletes and additions
    // through either are seen by both.
    virtual std::unique_ptr<Recordset> clone() const = 0;
    virtual void requery() = 0;

    // Criteria as the program writes them: "col=n", "col='text'", "col like 'A*'",
    // combined with "and". Ignore case like the engine. A failed find leaves the
    // position where it was and sets noMatch().
    virtual bool findFirst(const QString& criteria) = 0;
    virtual bool findNext(const QString& criteria) = 0;
    virtual bool findLast(const QString& criteria) = 0;
    virtual bool findPrevious(const QString& criteria) = 0;
    virtual bool noMatch() const = 0;

    // Table recordsets only: choose a named index, then seek with "=", "<", "<=", ">", ">=".
    virtual void setIndex(const QString& indexName) = 0;
    virtual bool seek(const QString& op, const QVariantList& keys) = 0;

    virtual int fieldCount() const = 0;
    virtual QString fieldName(int index) const = 0;
    virtual int fieldIndex(const QString& name) const = 0;  // case-insensitive; -1 if absent
    virtual QVariant value(int index) const = 0;
    virtual QVariant value(const QString& name) const = 0;   // throws DbError for an unknown name
    // Read a row without moving the current position (for bound grids).
    virtual QVariant valueAt(qint64 position, int index) = 0;

    virtual void edit() = 0;
    virtual void addNew() = 0;       // an AutoNumber field reads its new value at once
    // Converts to the field's type (text "4" into a number field, 1/0 for yes/no,
    // Single rounded to single precision); throws errTypeMismatch when it cannot.
    virtual void setValue(const QString& name, const QVariant& value) = 0;
    virtual void update() = 0;
    virtual void cancelUpdate() = 0;
    virtual void deleteCurrent() = 0; // the position stays on the deleted row until moved
    virtual bool editing() const = 0;

    // The bookmark of the row added or edited last by update(); Null before the first.
    virtual QVariant lastModified() const { return {}; }
    // Changes whenever rows are added, edited, deleted or requeried (not on moves), so a
    // bound grid can tell a new position from new rows.
    virtual quint64 rowsVersion() const { return 0; }
    // Rows read from the engine so far (a measure for tests and benchmarks).
    virtual qint64 rowsFetched() const { return 0; }

    // Called after every change of the current row or of the rows (for Data controls).
    void setChangeCallback(std::function<void()> callback) { m_changed = std::move(callback); }

protected:
    void notifyChanged() const
    {
        if (m_changed) m_changed();
    }

private:
    std::function<void()> m_changed;
};

// A prepared statement, finalized by RAII. For fixed statements that bind their values.
class Statement {
public:
    Statement(Database& db, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int index, const QVariant& value);   // 1-based
    // The same without a QVariant, for statements run row by row.
    void bindInt64(int index, qint64 value);
    void bindDouble(int index, double value);
    void bindText(int index, const QString& value);
    void bindNull(int index);
    bool step();                                   // true while a row is available
    void reset();
    int columnCount() const;
    QString columnName(int index) const;
    QVariant value(int index) const;
    qint64 int64(int index) const;
    QString text(int index) const;
    bool isNull(int index) const;

private:
    Database& m_db;
    sqlite3_stmt* m_stmt = nullptr;
    QString m_sql;
};

// Whether opening a file takes the shared lock that tells other programs it is in use;
// a caller that holds the file to itself (ExclusiveFileLock) opens it without.
enum class FileLock { Shared, HeldByCaller };

class Database {
public:
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens an existing file: read-write when the user may write the file and its
    // folder, else read-only (readOnly() says so) without creating anything beside it.
    // While open it holds a shared lock on the file, so another program can tell that
    // the file is in use. Throws DbError when the file is missing, cannot be read, is no
    // database, or another program holds it to itself; read-only, with the code
    // SQLITE_READONLY_ROLLBACK when a writer killed in the middle of a change left a
    // journal beside it, which only a connection that may write can roll back.
    static std::unique_ptr<Database> open(const QString& path, FileLock lock = FileLock::Shared);
    // Opens read-only and never creates a file: nullptr for a missing file or one that
    // cannot be opened as a database, with the reason in `why`. For checking a candidate
    // cookbook before anything is written to it.
    static std::unique_ptr<Database> openCandidate(const QString& path, DbError* why = nullptr);
    // Creates a new, empty database file; throws when the file exists.
    static std::unique_ptr<Database> create(const QString& path);
    // The open connection whose file is `path` (Data controls bind by file name).
    static Database* byName(const QString& path);

    QString name() const;  // absolute file name
    bool isOpen() const;
    bool readOnly() const;
    // Closes every open recordset, then the connection.
    void close();
    void closeAllRecordsets();

    void execute(const QString& sql);    // one statement; throws DbError with the SQL
    // An INSERT whose rows are dropped where they would repeat a key, as the old engine
    // did; only where a stored procedure relies on it. Every other statement is strict.
    void executeDroppingRepeatedKeys(const QString& insertSql);
    // One statement with its values bound to the ?s in order.
    void execute(const QString& sql, const QVariantList& values);
    qint64 changes() const;               // rows changed by the last execute
    qint64 lastInsertId() const;          // rowid of the last row inserted on this connection
    std::unique_ptr<Recordset> openRecordset(const QString& source,
                                             RecordsetType type = RecordsetType::Dynaset);
    // A single value of the first row, or Null when there is none.
    QVariant scalar(const QString& sql);
    QVariant scalar(const QString& sql, const QVariantList& values);

    // A beginTrans inside an open transaction starts a savepoint: its commitTrans keeps
    // the changes for the outer transaction, its rollback undoes only them.
    void beginTrans();
    void commitTrans();
    void rollback();
    bool inTransaction() const;

    // Takes the file to this connection alone while no other program has it open, for
    // work that leaves the cookbook unfit to be opened for a while (a large import without
    // its indexes); false when another program has it, which keeps it shared.
    bool holdAlone();
    // Shares the file again after holdAlone.
    void shareAgain();

    QStringList tableNames() const;       // never the engine's own tables
    bool hasTable(const QString& table) const;  // case-insensitive
    qint64 recordCount(const QString& table) const;
    std::vector<FieldDef> fields(const QString& table) const;
    std::optional<FieldDef> field(const QString& table, const QString& name) const;
    void createTable(const QString& table, const std::vector<FieldDef>& fields);
    void appendField(const QString& table, const FieldDef& field);
    void deleteField(const QString& table, const QString& name);
    void setAllowZeroLength(const QString& table, const QString& field, bool allow);
    void renameTable(const QString& from, const QString& to);
    void deleteTable(const QString& table);
    std::vector<IndexDef> indexes(const QString& table) const;
    int indexCount(const QString& table) const;
    void createIndex(const QString& table, const IndexDef& index);
    void deleteIndex(const QString& table, const QString& name);

    void attach(const QString& path, const QString& alias);
    // Attaches the file of `other`, an open connection, for reading only: no statement of
    // this connection can write it, and a file `other` reads as one nobody may write is
    // read the same way.
    void attachForReading(const Database& other, const QString& alias);
    void detach(const QString& alias);
    // Writes a compacted copy to `path` (which must not exist); the caller swaps the files.
    void compactInto(const QString& path);

    sqlite3* handle() const { return m_db; }

    // Internal: recordsets register themselves so close() can close them first.
    void registerRecordset(Recordset* rs);
    void unregisterRecordset(Recordset* rs);

private:
    friend struct detail::DatabaseAccess;
    Database(sqlite3* handle, const QString& path, bool readOnly);
    void configure();
    sqlite3* m_db = nullptr;
    QString m_path;
    bool m_readOnly = false;
    int m_lockFd = -1;
    qint64 m_changes = 0;
    std::vector<Recordset*> m_recordsets;
    std::unique_ptr<detail::DatabasePrivate> d;
};

// A file to oneself, for work that replaces it (the compaction): the exclusive lock is
// taken, without waiting, only when no connection of this or another program holds the
// file open; it stays until the object goes.
class ExclusiveFileLock {
public:
    // Nothing when the file is in use or cannot be opened.
    static std::unique_ptr<ExclusiveFileLock> tryLock(const QString& path);
    ~ExclusiveFileLock();
    ExclusiveFileLock(const ExclusiveFileLock&) = delete;
    ExclusiveFileLock& operator=(const ExclusiveFileLock&) = delete;

private:
    explicit ExclusiveFileLock(int fd) : m_fd(fd) {}
    int m_fd;
};

// Writes a file's data and then its folder's entry to the disk, so a file just written
// or renamed survives a power cut. False when the system refused.
bool syncFile(const QString& path);
bool syncFolder(const QString& folder);

// The compacted copy a compaction writes beside `file` before the copy takes its place.
QString compactionCopy(const QString& file);
// Removes the copy, and the copy's journal, that a compaction cut short (a kill, a power
// cut) left beside `file`. Only when no connection of this or another program holds the
// file, which is the test the compaction makes before it writes a copy, and only when the
// user may write the file and its folder: a read-only cookbook gets nothing written
// beside it. False when something of a copy is still there.
bool removeCompactionLeftovers(const QString& file);
// Removes the compacted copy of `file` with its journal and log files, whoever left them;
// the caller holds the file to itself.
void removeCompactionCopy(const QString& file);
// Removes a journal beside `file` that holds nothing to roll back (a writer killed before
// its journal's first sync leaves its header zeroed): SQLite passes over such a journal
// and leaves it until the next write, and the cookbook is not one file meanwhile. Only
// when the user may write there and no connection of this or another program holds the
// file; a journal to roll back is left to SQLite. False when a journal is still there.
bool removeColdJournal(const QString& file);

// BEGIN; rolls back in its destructor unless committed.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Database& m_db;
    bool m_done = false;
};

}  // namespace kv::db
