#include "platform/db/database.h"

#include "platform/db/dbinternal.h"
#include "platform/db/sortedcolumn.h"
#include "platform/db/sqlfunctions.h"
#include "platform/db/sqltext.h"
#include "platform/db/tablechanges.h"
#include "platform/paths.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>

namespace kv::db {

namespace {

std::vector<Database*>& openDatabases()
{
    static std::vector<Database*> list;
    return list;
}

QString absoluteClean(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QString canonicalOrClean(const QString& path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? absoluteClean(path) : canonical;
}

QByteArray nativeName(const QString& path)
{
    if (path.startsWith(QLatin1String("file:"))) return path.toUtf8();  // a URI, encoded already
    return QFile::encodeName(QDir::toNativeSeparators(path));
}

// A connection is used by the one thread that opened it, so SQLite need not lock it on
// every step and every column read (a list of 250,000 rows reads each of them once).
constexpr int kConnectionFlags = SQLITE_OPEN_EXRESCODE | SQLITE_OPEN_NOMUTEX;

// Opens and checks a file; nullptr with the error in `error` when it is no database.
sqlite3* openHandle(const QString& path, int flags, QString& error, int& code)
{
    sqlite3* db = nullptr;
    // URI names are understood also by the files a connection attaches (attachForReading).
    int rc = sqlite3_open_v2(nativeName(path).constData(), &db, flags | SQLITE_OPEN_URI | kConnectionFlags, nullptr);
    if (rc == SQLITE_OK) {
        // Opening is lazy: reading the schema is what tells a database from any other file.
        rc = sqlite3_exec(db, "select count(*) from sqlite_master", nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK) {
        const DbError failure = detail::openError(db, rc);
        code = failure.number();
        error = failure.text();
        sqlite3_close_v2(db);
        return nullptr;
    }
    return db;
}

}  // namespace

DbError::DbError(int number, const QString& text, const QString& sql)
    : std::runtime_error((sql.isEmpty() ? text : text + QStringLiteral(" [") + sql + u']').toStdString()),
      m_number(number), m_text(text), m_sql(sql)
{
}

QString sqlEscape(const QString& text)
{
    QString s = text;
    s.replace(u'\'', QLatin1String("''"));
    return s;
}

QString sqlQuote(const QString& text)
{
    return u'\'' + sqlEscape(text) + u'\'';
}

namespace detail {

DatabasePrivate& DatabaseAccess::d(Database& db)
{
    return *db.d;
}

void throwError(int number, const QString& text, const QString& sql)
{
    throw DbError(number, text, sql);
}

namespace {

// Whatever follows the first statement must be nothing but terminators: execute()
// runs one statement, and a second one smuggled in through a value must not run.
void requireSingleStatement(const char* tail, const QString& sql)
{
    if (!tail) return;
    for (const auto& t : tokenize(QString::fromUtf8(tail)))
        if (!t.isPunct(";")) throwError(SQLITE_MISUSE, QStringLiteral("Nur eine SQL-Anweisung erlaubt."), sql);
}

// The general error carries everything from a mistyped statement to a file from another
// program; the engine's text says which, so the common ones are told apart.
QString errorSentence(const QString& engineText)
{
    struct Known {
        const char* prefix;
        const char* sentence;  // %1: what follows the prefix
    };
    static const Known known[] = {
        {"no such table: ", "Die Tabelle %1 gibt es in der Datenbank nicht."},
        {"no such column: ", "Die Spalte %1 gibt es in der Datenbank nicht."},
        {"no such function: ", "Die Funktion %1 ist der Datenbank unbekannt."},
        {"no such index: ", "Den Index %1 gibt es in der Datenbank nicht."},
        {"no such collation sequence: ",
         "Die Sortierfolge %1 ist unbekannt; die Datenbankdatei ist beschädigt oder stammt aus einem anderen Programm."},
        {"unsupported file format",
         "Die Datenbankdatei hat ein Format, das Kelvor nicht lesen kann; sie ist beschädigt oder stammt aus einem "
         "anderen Programm."},
    };
    for (const Known& k : known) {
        const QLatin1String prefix(k.prefix);
        if (!engineText.startsWith(prefix)) continue;
        const QString sentence = QString::fromUtf8(k.sentence);
        return sentence.contains(QLatin1String("%1")) ? sentence.arg(engineText.mid(prefix.size())) : sentence;
    }
    if (engineText.contains(QLatin1String("syntax error")) || engineText.startsWith(QLatin1String("incomplete input")))
        return QStringLiteral("Die SQL-Anweisung ist fehlerhaft.");
    if (engineText.contains(QLatin1String("already exists")))
        return QStringLiteral("Eine Tabelle oder ein Index dieses Namens ist schon vorhanden.");
    return QStringLiteral("Die Datenbank hat die Anweisung abgelehnt.");
}

}  // namespace

QString sqliteText(int code, const QString& engineText)
{
    // Every code a user can meet gets a German sentence; SQLite's own code and text follow
    // for whoever has to find the cause.
    QString sentence;
    switch (code & 0xff) {
    case SQLITE_ERROR:
        sentence = errorSentence(engineText);
        break;
    case SQLITE_INTERNAL:
    case SQLITE_MISUSE:
        sentence = QStringLiteral("Interner Fehler der Datenbank.");
        break;
    case SQLITE_ABORT:
    case SQLITE_INTERRUPT:
        sentence = QStringLiteral("Die Datenbank hat die Anweisung abgebrochen.");
        break;
    case SQLITE_NOMEM:
        sentence = QStringLiteral("Für die Datenbank ist nicht genug Arbeitsspeicher frei.");
        break;
    case SQLITE_READONLY:
        sentence = QStringLiteral("Die Datenbank ist schreibgeschützt.");
        break;
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        sentence = QStringLiteral("Die Datenbankdatei kann nicht geöffnet werden.");
        break;
    case SQLITE_FULL:
        sentence = QStringLiteral("Der Datenträger ist voll.");
        break;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_FORMAT:
    case SQLITE_EMPTY:
        sentence = QStringLiteral("Die Datenbankdatei ist beschädigt.");
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_PROTOCOL:
        sentence = QStringLiteral("Die Datenbank wird gerade von einem anderen Programm benutzt.");
        break;
    case SQLITE_CONSTRAINT:
        sentence = QStringLiteral("Die Änderung verletzt eine Regel der Datenbank "
                                  "(ein Schlüssel doppelt oder ein Pflichtwert leer).");
        break;
    case SQLITE_IOERR:
        sentence = QStringLiteral("Die Datenbankdatei kann nicht gelesen oder geschrieben werden.");
        break;
    case SQLITE_TOOBIG:
        sentence = QStringLiteral("Ein Text oder Wert ist zu groß für die Datenbank; ist er in der Datei gespeichert, "
                                  "so ist die Datei beschädigt.");
        break;
    case SQLITE_NOLFS:
        sentence = QStringLiteral("Die Datenbankdatei ist zu groß für dieses Dateisystem.");
        break;
    case SQLITE_SCHEMA:
        sentence = QStringLiteral("Der Aufbau der Datenbank hat sich während der Anweisung geändert.");
        break;
    case SQLITE_MISMATCH:
        sentence = QStringLiteral("Ein Wert hat nicht den Typ, den die Datenbank verlangt.");
        break;
    case SQLITE_RANGE:
        sentence = QStringLiteral("Einer Anweisung wurde ein Wert zu viel übergeben.");
        break;
    default:
        sentence = QStringLiteral("Die Datenbank meldet einen Fehler.");
        break;
    }
    return sentence + QStringLiteral(" (SQLite %1: %2)").arg(code).arg(engineText);
}

DbError lastError(sqlite3* db, const QString& sql)
{
    const int code = sqlite3_extended_errcode(db);
    return DbError(code, sqliteText(code, QString::fromUtf8(sqlite3_errmsg(db))), sql);
}

void throwSqlite(sqlite3* db, const QString& sql)
{
    throw lastError(db, sql);
}

DbError openError(sqlite3* db, int rc)
{
    const int code = db ? sqlite3_extended_errcode(db) : rc;
    return DbError(code, sqliteText(code, db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc))));
}

void throwClosed(const QString& sql)
{
    throwError(errObjectClosed, QStringLiteral("Die Datenbank ist geschlossen."), sql);
}

sqlite3_stmt* prepare(sqlite3* db, const QString& sql, Rest rest)
{
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &stmt, &tail) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        throwSqlite(db, sql);
    }
    if (!stmt) throwError(SQLITE_MISUSE, QStringLiteral("Leere SQL-Anweisung."), sql);
    if (rest == Rest::MustBeEmpty) {
        try {
            requireSingleStatement(tail, sql);
        } catch (...) {
            sqlite3_finalize(stmt);
            throw;
        }
    }
    return stmt;
}

void check(sqlite3* db, int rc, const QString& sql)
{
    if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE) throwSqlite(db, sql);
}

double roundToSingle(double value)
{
    const float f = static_cast<float>(value);
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, f);
    double shortest = f;
    std::from_chars(buffer, written.ptr, shortest);
    return shortest;
}

void bindVariant(sqlite3* db, sqlite3_stmt* stmt, int index, const QVariant& value, const QString& sql)
{
    int rc = SQLITE_OK;
    if (!value.isValid() || value.isNull()) {
        rc = sqlite3_bind_null(stmt, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Bool:
            rc = sqlite3_bind_int(stmt, index, value.toBool() ? 1 : 0);
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::Long:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
            rc = sqlite3_bind_int64(stmt, index, value.toLongLong());
            break;
        case QMetaType::ULongLong:
        case QMetaType::ULong:
            rc = sqlite3_bind_int64(stmt, index, static_cast<sqlite3_int64>(value.toULongLong()));
            break;
        case QMetaType::Float:
            rc = sqlite3_bind_double(stmt, index, roundToSingle(value.toFloat()));
            break;
        case QMetaType::Double:
            rc = sqlite3_bind_double(stmt, index, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray b = value.toByteArray();
            rc = sqlite3_bind_blob64(stmt, index, b.constData(), b.size(), SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::QDate:
            rc = sqlite3_bind_text(stmt, index, value.toDate().toString(Qt::ISODate).toUtf8().constData(), -1,
                                   SQLITE_TRANSIENT);
            break;
        case QMetaType::QDateTime:
            rc = sqlite3_bind_text(stmt, index,
                                   value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8().constData(),
                                   -1, SQLITE_TRANSIENT);
            break;
        default: {
            const QByteArray t = value.toString().toUtf8();
            rc = sqlite3_bind_text64(stmt, index, t.constData(), t.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
            break;
        }
        }
    }
    check(db, rc, sql);
}

QVariant columnVariant(sqlite3_stmt* stmt, int column)
{
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER: {
        const qint64 v = sqlite3_column_int64(stmt, column);
        if (v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max()) return int(v);
        return qlonglong(v);
    }
    case SQLITE_FLOAT:
        return sqlite3_column_double(stmt, column);
    case SQLITE_TEXT:
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                                 sqlite3_column_bytes(stmt, column));
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, column)),
                          sqlite3_column_bytes(stmt, column));
    default:
        return {};
    }
}

Stmt::Stmt(sqlite3* db, const QString& sql) : m_db(db), m_stmt(prepare(db, sql, Rest::Ignored)), m_sql(sql)
{
}

Stmt::~Stmt()
{
    sqlite3_finalize(m_stmt);
}

Stmt::Stmt(Stmt&& other) noexcept
    : m_db(other.m_db), m_stmt(std::exchange(other.m_stmt, nullptr)), m_sql(std::move(other.m_sql))
{
}

Stmt& Stmt::operator=(Stmt&& other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_db = other.m_db;
        m_stmt = std::exchange(other.m_stmt, nullptr);
        m_sql = std::move(other.m_sql);
    }
    return *this;
}

void Stmt::bind(int index, const QVariant& value)
{
    bindVariant(m_db, m_stmt, index, value, m_sql);
}

bool Stmt::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    const DbError error = lastError(m_db, m_sql);
    sqlite3_reset(m_stmt);
    throw error;
}

void Stmt::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

void Stmt::finalize()
{
    sqlite3_finalize(m_stmt);
    m_stmt = nullptr;
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

Statement::Statement(Database& db, const QString& sql) : m_db(db), m_sql(sql)
{
    if (!db.isOpen()) detail::throwClosed(sql);
    m_stmt = detail::prepare(db.handle(), sql, detail::Rest::MustBeEmpty);
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

void Statement::bind(int index, const QVariant& value)
{
    detail::bindVariant(m_db.handle(), m_stmt, index, value, m_sql);
}

void Statement::bindInt64(int index, qint64 value)
{
    detail::check(m_db.handle(), sqlite3_bind_int64(m_stmt, index, value), m_sql);
}

void Statement::bindDouble(int index, double value)
{
    detail::check(m_db.handle(), sqlite3_bind_double(m_stmt, index, value), m_sql);
}

void Statement::bindText(int index, const QString& value)
{
    // As bind() does: a null text is an empty one.
    const QByteArray t = value.toUtf8();
    detail::check(m_db.handle(),
                  sqlite3_bind_text64(m_stmt, index, t.constData(), t.size(), SQLITE_TRANSIENT, SQLITE_UTF8), m_sql);
}

void Statement::bindNull(int index)
{
    detail::check(m_db.handle(), sqlite3_bind_null(m_stmt, index), m_sql);
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    const DbError error = detail::lastError(m_db.handle(), m_sql);
    sqlite3_reset(m_stmt);
    throw error;
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
}

int Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

QString Statement::columnName(int index) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt, index));
}

QVariant Statement::value(int index) const
{
    return detail::columnVariant(m_stmt, index);
}

qint64 Statement::int64(int index) const
{
    return sqlite3_column_int64(m_stmt, index);
}

QString Statement::text(int index) const
{
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, index)),
                             sqlite3_column_bytes(m_stmt, index));
}

bool Statement::isNull(int index) const
{
    return sqlite3_column_type(m_stmt, index) == SQLITE_NULL;
}

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

namespace {

// A WAL file that nobody writes has no -wal beside it; then an immutable reader needs no
// -shm either and creates nothing in a folder it must not write to.
QString readOnlyName(const QString& absolute, int& flags)
{
    flags = SQLITE_OPEN_READONLY;
    if (QFileInfo::exists(absolute + QStringLiteral("-wal"))) return absolute;
    flags |= SQLITE_OPEN_URI;
    return QString::fromLatin1(QUrl::fromLocalFile(absolute).toEncoded()) + QStringLiteral("?mode=ro&immutable=1");
}

// A shared lock on the file itself for as long as it is open: another program (or a
// second copy of this one) that wants the file to itself, to replace it, sees it in use.
// flock, not fcntl: an fcntl lock would go with any descriptor of the file being closed.
int lockShared(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
        ::close(fd);
        detail::throwError(SQLITE_BUSY, detail::sqliteText(SQLITE_BUSY, QStringLiteral("file locked")));
    }
    return fd;
}

}  // namespace

std::unique_ptr<Database> Database::open(const QString& path, FileLock fileLock)
{
    if (!QFileInfo(path).isFile())
        detail::throwError(errFileNotFound, QStringLiteral("Datei '%1' nicht gefunden.").arg(QDir::toNativeSeparators(path)));
    const QString absolute = absoluteClean(path);
    if (!paths::mayAccess(absolute, paths::Access::Read))
        detail::throwError(SQLITE_CANTOPEN, detail::sqliteText(SQLITE_CANTOPEN, QStringLiteral("permission denied")));
    // The journal is made beside the file, so writing needs the folder too; without
    // either the file opens read-only and nothing is created next to it.
    const bool writable = paths::mayAccess(absolute, paths::Access::Write) &&
                          paths::mayAccess(QFileInfo(absolute).absolutePath(), paths::Access::Write);
    const int lock = fileLock == FileLock::Shared ? lockShared(absolute) : -1;
    QString error;
    int code = 0;
    int flags = SQLITE_OPEN_READWRITE;
    const QString name = writable ? absolute : readOnlyName(absolute, flags);
    sqlite3* handle = openHandle(name, flags, error, code);
    if (!handle) {
        if (lock >= 0) ::close(lock);
        throw DbError(code, error);
    }
    std::unique_ptr<Database> db(new Database(handle, path, !writable || sqlite3_db_readonly(handle, "main") == 1));
    db->d->immutable = name != absolute;
    db->m_lockFd = lock;
    db->configure();
    return db;
}

namespace {

// A journal left by a writer that was killed holds the pages of its unfinished
// transaction; the file reads consistently only once they are put back, which needs a
// writing connection. It restores the last committed state and nothing else.
void recoverInterruptedWrite(const QString& absolute)
{
    if (!QFileInfo::exists(absolute + QStringLiteral("-journal"))) return;
    if (!paths::mayAccess(absolute, paths::Access::Write) ||
        !paths::mayAccess(QFileInfo(absolute).absolutePath(), paths::Access::Write))
        return;
    QString error;
    int code = 0;
    if (sqlite3* handle = openHandle(absolute, SQLITE_OPEN_READWRITE, error, code)) sqlite3_close_v2(handle);
}

}  // namespace

std::unique_ptr<Database> Database::openCandidate(const QString& path, DbError* why)
{
    if (!QFileInfo(path).isFile()) return nullptr;
    const QString absolute = absoluteClean(path);
    QString error;
    int code = 0;
    if (paths::mayAccess(absolute, paths::Access::Read)) recoverInterruptedWrite(absolute);
    if (!paths::mayAccess(absolute, paths::Access::Read)) {
        code = SQLITE_CANTOPEN;
        error = detail::sqliteText(code, QStringLiteral("permission denied"));
    } else {
        int flags = 0;
        const QString name = readOnlyName(absolute, flags);
        if (sqlite3* handle = openHandle(name, flags, error, code)) {
            std::unique_ptr<Database> db(new Database(handle, path, true));
            db->d->immutable = name != absolute;
            try {
                db->configure();
                return db;
            } catch (const DbError& e) {
                code = e.number();
                error = e.text();
            }
        }
    }
    if (why) *why = DbError(code, error);
    return nullptr;
}

std::unique_ptr<ExclusiveFileLock> ExclusiveFileLock::tryLock(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<ExclusiveFileLock>(new ExclusiveFileLock(fd));
}

ExclusiveFileLock::~ExclusiveFileLock()
{
    ::close(m_fd);
}

namespace {

bool syncPath(const QString& path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

}  // namespace

bool syncFile(const QString& path)
{
    return syncPath(path, O_RDONLY);
}

bool syncFolder(const QString& folder)
{
    return syncPath(folder, O_RDONLY | O_DIRECTORY);
}

QString compactionCopy(const QString& file)
{
    return file + QStringLiteral(".tmp");
}

namespace {

const char* const kCopyParts[] = {"", "-journal", "-wal", "-shm"};

bool anyCopyPart(const QString& copy)
{
    return std::any_of(std::begin(kCopyParts), std::end(kCopyParts),
                       [&](const char* suffix) { return QFileInfo::exists(copy + QLatin1String(suffix)); });
}

}  // namespace

bool removeCompactionLeftovers(const QString& file)
{
    const QString copy = compactionCopy(absoluteClean(file));
    if (!anyCopyPart(copy)) return true;
    if (!paths::mayAccess(absoluteClean(file), paths::Access::Write) ||
        !paths::mayAccess(QFileInfo(copy).absolutePath(), paths::Access::Write))
        return false;
    // A compaction at work holds the file to itself, and the copy is its own.
    const auto lock = ExclusiveFileLock::tryLock(file);
    if (!lock) return false;
    for (const char* suffix : kCopyParts) QFile::remove(copy + QLatin1String(suffix));
    return !anyCopyPart(copy);
}

std::unique_ptr<Database> Database::create(const QString& path)
{
    if (QFileInfo::exists(path))
        detail::throwError(errFileExists, QStringLiteral("Datenbank ist bereits vorhanden: %1").arg(QDir::toNativeSeparators(path)));
    sqlite3* handle = nullptr;
    const int rc = sqlite3_open_v2(nativeName(absoluteClean(path)).constData(), &handle,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI | kConnectionFlags,
                                   nullptr);
    if (rc != SQLITE_OK) {
        const DbError error = detail::openError(handle, rc);
        sqlite3_close_v2(handle);
        throw error;
    }
    std::unique_ptr<Database> db(new Database(handle, path, false));
    db->configure();
    return db;
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

bool Database::holdAlone()
{
    if (m_lockFd < 0) return false;
    if (::flock(m_lockFd, LOCK_EX | LOCK_NB) == 0) return true;
    // A refused change of a lock may have given up the shared one.
    ::flock(m_lockFd, LOCK_SH | LOCK_NB);
    return false;
}

void Database::shareAgain()
{
    if (m_lockFd >= 0) ::flock(m_lockFd, LOCK_SH | LOCK_NB);
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
    if (QFileInfo::exists(path))
        detail::throwError(errFileExists, QStringLiteral("Datenbank ist bereits vorhanden: %1").arg(QDir::toNativeSeparators(path)));
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
