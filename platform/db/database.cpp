// The connection: the open connections by file, statements run on one, its transactions
// and savepoints, attached files and the compacted copy. Opening and locking the files is
// in dbfile.cpp, the statements themselves in statement.cpp.

#include "platform/db/database.h"

#include "platform/db/dbinternal.h"
#include "platform/db/sortedcolumn.h"
#include "platform/db/sqlfunctions.h"
#include "platform/db/sqltext.h"
#include "platform/db/tablechanges.h"

#include <QFileInfo>
#include <QUrl>

#include <sqlite3.h>

#include <unistd.h>

#include <algorithm>

namespace kv::db {

using detail::absoluteClean;

namespace {

std::vector<Database*>& openDatabases()
{
    static std::vector<Database*> list;
    return list;
}

QString canonicalOrClean(const QString& path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? absoluteClean(path) : canonical;
}

}  // namespace

namespace detail {

DatabasePrivate& DatabaseAccess::d(Database& db)
{
    return *db.d;
}

void atomically(Database& db, const std::function<void()>& work)
{
    db.beginTrans();
    try {
        work();
    } catch (...) {
        try {
            db.rollback();
        } catch (const DbError&) {
            // The original failure is the one worth reporting.
        }
        throw;
    }
    db.commitTrans();
}

}  // namespace detail

Database::Database(sqlite3* handle, const QString& path, bool readOnly)
    : m_db(handle), m_path(absoluteClean(path)), m_readOnly(readOnly), d(std::make_unique<detail::DatabasePrivate>())
{
    d->canonicalPath = canonicalOrClean(m_path);
    openDatabases().push_back(this);
}

Database::~Database()
{
    close();
}

void Database::configure()
{
    sqlite3_busy_timeout(m_db, 5000);
    detail::check(m_db, detail::registerFunctions(m_db), QStringLiteral("NOCASE_DE / like"));
    detail::check(m_db, detail::registerSortedColumn(*this), QStringLiteral("kv_sortedcolumn"));
    detail::watchTableChanges(*this);
    // Recordsets fetch rows by rowid in no particular page order; 16 MB of page cache
    // keeps a large cookbook's hot pages in memory instead of re-reading them.
    execute(QStringLiteral("PRAGMA cache_size=-16384"));
    if (m_readOnly) return;
    // The rollback journal keeps a committed cookbook in its one file, so a copy of the
    // file made while the program runs holds every committed change; FULL syncs the
    // journal and the file at each commit, so a commit also survives a power cut. A file
    // left in WAL mode goes back to the journal here (its log is merged first).
    scalar(QStringLiteral("PRAGMA journal_mode=DELETE"));
    execute(QStringLiteral("PRAGMA synchronous=FULL"));
}

Database* Database::byName(const QString& path)
{
    if (path.isEmpty()) return nullptr;
    const QString wanted = canonicalOrClean(path);
    for (Database* db : openDatabases())
        if (db->isOpen() && db->d->canonicalPath == wanted) return db;
    return nullptr;
}

QString Database::name() const
{
    return m_path;
}

bool Database::isOpen() const
{
    return m_db != nullptr;
}

bool Database::readOnly() const
{
    return m_readOnly;
}

void Database::close()
{
    if (m_lockFd >= 0) {
        ::close(m_lockFd);
        m_lockFd = -1;
    }
    if (!m_db) return;
    closeAllRecordsets();
    auto& list = openDatabases();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    detail::forgetTableChanges(*this);
    d->sortedColumn.reset();
    // close_v2 waits for Statements the caller still holds; an open transaction rolls back.
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    d->transactions.clear();
}

void Database::closeAllRecordsets()
{
    const auto open = m_recordsets;
    for (Recordset* rs : open) detail::detachRecordset(*rs);
    m_recordsets.clear();
}

void Database::registerRecordset(Recordset* rs)
{
    m_recordsets.push_back(rs);
}

void Database::unregisterRecordset(Recordset* rs)
{
    m_recordsets.erase(std::remove(m_recordsets.begin(), m_recordsets.end(), rs), m_recordsets.end());
}

void Database::execute(const QString& sql)
{
    if (!m_db) detail::throwClosed(sql);
    for (int attempt = 0;; ++attempt) {
        sqlite3_stmt* stmt = detail::prepare(m_db, sql, detail::Rest::MustBeEmpty);
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        }
        const bool readOnlyStmt = sqlite3_stmt_readonly(stmt);
        if (rc == SQLITE_DONE) {
            sqlite3_finalize(stmt);
            m_changes = readOnlyStmt ? 0 : sqlite3_changes64(m_db);
            return;
        }
        const DbError error = detail::lastError(m_db, sql);
        const int code = error.number();
        sqlite3_finalize(stmt);
        // A snapshot still reading a table keeps it from being dropped or altered:
        // read the rest into memory and try once more.
        if ((code & 0xFF) == SQLITE_LOCKED && attempt == 0 && !m_recordsets.empty()) {
            for (Recordset* rs : m_recordsets) detail::finishReading(*rs);
            continue;
        }
        throw error;
    }
}

void Database::executeDroppingRepeatedKeys(const QString& insertSql)
{
    const QString sql = insertSql.trimmed();
    if (!sql.startsWith(QLatin1String("insert "), Qt::CaseInsensitive))
        detail::throwError(SQLITE_MISUSE, QStringLiteral("Nur eine INSERT-Anweisung erlaubt."), insertSql);
    execute(QStringLiteral("INSERT OR IGNORE ") + sql.mid(7));
}

qint64 Database::changes() const
{
    return m_changes;
}

qint64 Database::lastInsertId() const
{
    return m_db ? sqlite3_last_insert_rowid(m_db) : 0;
}

std::unique_ptr<Recordset> Database::openRecordset(const QString& source, RecordsetType type)
{
    if (!m_db) detail::throwClosed(source);
    return detail::openRecordsetOn(*this, source, type);
}

QVariant Database::scalar(const QString& sql)
{
    Statement st(*this, sql);
    return st.step() ? st.value(0) : QVariant();
}

namespace {

void bindAll(Statement& st, const QVariantList& values)
{
    for (int i = 0; i < values.size(); ++i) st.bind(i + 1, values.at(i));
}

}  // namespace

void Database::execute(const QString& sql, const QVariantList& values)
{
    Statement st(*this, sql);
    bindAll(st, values);
    while (st.step()) {
    }
    m_changes = sqlite3_changes64(m_db);
}

QVariant Database::scalar(const QString& sql, const QVariantList& values)
{
    Statement st(*this, sql);
    bindAll(st, values);
    return st.step() ? st.value(0) : QVariant();
}

void Database::beginTrans()
{
    if (!m_db) detail::throwClosed();
    auto& open = d->transactions;
    if (sqlite3_get_autocommit(m_db)) open.clear();  // SQLite ended them itself (an error rolled back)
    // Inside a transaction, whoever began it, a savepoint nests.
    if (sqlite3_get_autocommit(m_db)) {
        execute(QStringLiteral("BEGIN"));
        open.push_back(QString());
    } else {
        const QString name = QStringLiteral("kv_trans%1").arg(open.size());
        execute(QStringLiteral("SAVEPOINT ") + name);
        open.push_back(name);
    }
}

void Database::commitTrans()
{
    if (!m_db) detail::throwClosed();
    auto& open = d->transactions;
    if (!open.empty() && sqlite3_get_autocommit(m_db)) {
        open.clear();
        detail::throwError(errNoTransaction, QStringLiteral("Die Transaktion wurde bereits zurückgesetzt."));
    }
    if (open.empty()) detail::throwError(errNoTransaction, QStringLiteral("Commit oder Rollback ohne BeginTrans."));
    const QString name = open.back();
    execute(name.isEmpty() ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE ") + name);
    open.pop_back();
}

void Database::rollback()
{
    if (!m_db) detail::throwClosed();
    auto& open = d->transactions;
    if (!open.empty() && sqlite3_get_autocommit(m_db)) {
        open.clear();
        return;  // SQLite has rolled it back already
    }
    if (open.empty()) detail::throwError(errNoTransaction, QStringLiteral("Commit oder Rollback ohne BeginTrans."));
    d->reservedIds.clear();
    const QString name = open.back();
    if (name.isEmpty()) {
        execute(QStringLiteral("ROLLBACK"));
    } else {
        execute(QStringLiteral("ROLLBACK TO ") + name);
        execute(QStringLiteral("RELEASE ") + name);
    }
    open.pop_back();
}

bool Database::inTransaction() const
{
    return m_db && !sqlite3_get_autocommit(m_db);
}

void Database::attach(const QString& path, const QString& alias)
{
    const QString sql = QStringLiteral("ATTACH DATABASE ? AS ") + detail::quoteName(alias);
    Statement st(*this, sql);
    st.bind(1, absoluteClean(path));
    st.step();
}

void Database::attachForReading(const Database& other, const QString& alias)
{
    if (!other.m_db) detail::throwClosed();
    // Read the way `other` reads it: a file nobody may write is read as immutable, which
    // creates nothing beside it, and mode=ro lets no statement of this connection write it.
    QString uri = QString::fromLatin1(QUrl::fromLocalFile(other.m_path).toEncoded()) + QStringLiteral("?mode=ro");
    if (other.d->immutable) uri += QStringLiteral("&immutable=1");
    Statement st(*this, QStringLiteral("ATTACH DATABASE ? AS ") + detail::quoteName(alias));
    st.bind(1, uri);
    st.step();
}

void Database::detach(const QString& alias)
{
    execute(QStringLiteral("DETACH DATABASE ") + detail::quoteName(alias));
}

void Database::compactInto(const QString& path)
{
    detail::requireNewFile(path);
    Statement st(*this, QStringLiteral("VACUUM INTO ?"));
    st.bind(1, absoluteClean(path));
    st.step();
}

Transaction::Transaction(Database& db) : m_db(db)
{
    m_db.beginTrans();
}

Transaction::~Transaction()
{
    if (m_done || !m_db.isOpen()) return;
    try {
        m_db.rollback();
    } catch (const DbError&) {
        // A destructor must not throw; the failure that unwound us is reported already.
    }
}

void Transaction::commit()
{
    m_db.commitTrans();
    m_done = true;
}

}  // namespace kv::db
