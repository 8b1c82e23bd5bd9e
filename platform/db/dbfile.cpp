// Database files: opening one after the checks the user's rights call for, creating one,
// the shared lock that tells other programs a file is in use and holding a file alone,
// syncing to the disk, and what a compaction cut short leaves beside a file.

#include "platform/db/database.h"

#include "platform/db/dbinternal.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>

namespace kv::db {

namespace detail {

QString absoluteClean(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

}  // namespace detail

using detail::absoluteClean;

namespace {

// The journal is made beside the file, so writing needs the folder too.
bool writableWithFolder(const QString& absolute)
{
    return paths::mayAccess(absolute, paths::Access::Write) &&
           paths::mayAccess(QFileInfo(absolute).absolutePath(), paths::Access::Write);
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


// The header of a file kept in WAL mode gives 2 as the versions that read and write it.
bool walHeader(const QString& absolute)
{
    QFile file(absolute);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = file.read(20);
    return head.size() == 20 && head.at(18) == 2 && head.at(19) == 2;
}

// A journal beside the file that holds a change a writer began and did not finish (one
// killed in the middle): SQLite's own test, a journal neither empty nor with a zero first
// byte; one that cannot be read counts as holding a change, as SQLite counts it.
bool journalHoldsChange(const QString& absolute)
{
    QFile journal(absolute + QStringLiteral("-journal"));
    if (!journal.exists() || journal.size() == 0) return false;
    if (!journal.open(QIODevice::ReadOnly)) return true;
    const QByteArray first = journal.read(1);
    return first.isEmpty() || first.at(0) != 0;
}

// How a file the user may not write is read. With the locks every reader takes, so that
// each read sees one committed state whole while another program writes the file. Read
// as immutable, without locks and never looking for another's changes, only where locks
// cannot be taken: a WAL file without its -wal, whose readers would need a -shm beside it
// where nothing may be made (a writer of ours switches it back to the journal first), and,
// as a last resort, a file on a medium nobody can write. Never beside a journal that holds
// an unfinished change: read as immutable, the file would show the pages that change had
// written so far, and putting the old ones back needs a connection that may write.
struct ReadOnlyName {
    QString name;
    bool immutable = false;
};

ReadOnlyName readOnlyName(const QString& absolute, int& flags, bool lastResort = false)
{
    flags = SQLITE_OPEN_READONLY;
    if (QFileInfo::exists(absolute + QStringLiteral("-wal"))) return {absolute, false};
    flags |= SQLITE_OPEN_URI;
    const QString uri = QString::fromLatin1(QUrl::fromLocalFile(absolute).toEncoded()) + QStringLiteral("?mode=ro");
    if (lastResort || walHeader(absolute)) return {uri + QStringLiteral("&immutable=1"), true};
    return {uri, false};
}

// What SQLite answers a reader that finds such a journal, also where it would not look.
void refuseUnfinishedChange(QString& error, int& code)
{
    code = SQLITE_READONLY_ROLLBACK;
    error = detail::sqliteText(code, QString::fromUtf8(sqlite3_errstr(code)));
}

// Opens a file the user may not write; on a medium nobody can write, a file whose locks
// are refused is read without them.
sqlite3* openReadOnly(const QString& absolute, QString& error, int& code, bool& immutable)
{
    int flags = 0;
    ReadOnlyName ro = readOnlyName(absolute, flags);
    immutable = false;
    if (ro.immutable && journalHoldsChange(absolute)) {
        refuseUnfinishedChange(error, code);
        return nullptr;
    }
    sqlite3* handle = openHandle(ro.name, flags, error, code);
    const int primary = code & 0xff;
    if (!handle && !ro.immutable && primary != SQLITE_NOTADB && primary != SQLITE_CORRUPT &&
        paths::readOnlyMedium(absolute)) {
        if (code == SQLITE_READONLY_ROLLBACK || journalHoldsChange(absolute)) {
            refuseUnfinishedChange(error, code);
            return nullptr;
        }
        ro = readOnlyName(absolute, flags, true);
        handle = openHandle(ro.name, flags, error, code);
    }
    immutable = ro.immutable;
    return handle;
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
    // Without write access to the file or its folder the file opens read-only and nothing
    // is created next to it.
    const bool writable = writableWithFolder(absolute);
    const int lock = fileLock == FileLock::Shared ? lockShared(absolute) : -1;
    QString error;
    int code = 0;
    bool immutable = false;
    sqlite3* handle = writable ? openHandle(absolute, SQLITE_OPEN_READWRITE, error, code)
                               : openReadOnly(absolute, error, code, immutable);
    if (!handle) {
        if (lock >= 0) ::close(lock);
        throw DbError(code, error);
    }
    std::unique_ptr<Database> db(new Database(handle, path, !writable || sqlite3_db_readonly(handle, "main") == 1));
    db->d->immutable = immutable;
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
    if (!writableWithFolder(absolute)) return;
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
        bool immutable = false;
        if (sqlite3* handle = openReadOnly(absolute, error, code, immutable)) {
            std::unique_ptr<Database> db(new Database(handle, path, true));
            db->d->immutable = immutable;
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
    const QString absolute = absoluteClean(file);
    const QString copy = compactionCopy(absolute);
    if (!anyCopyPart(copy)) return true;
    if (!writableWithFolder(absolute)) return false;
    // A compaction at work holds the file to itself, and the copy is its own.
    const auto lock = ExclusiveFileLock::tryLock(file);
    if (!lock) return false;
    removeCompactionCopy(absolute);
    return !anyCopyPart(copy);
}

namespace {

// Whether a connection anywhere holds SQLite's lock of a writer (reserved or pending) on
// the file: only a program that does not take our file lock would, such as a shell.
bool writerLockHeld(const QString& absolute)
{
    // The bytes SQLite locks for that, 2^30 and one past it, on every system.
    constexpr off_t kPendingByte = 0x40000000;
    const int fd = ::open(QFile::encodeName(absolute).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return true;
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = kPendingByte;
    probe.l_len = 2;
    const bool held = ::fcntl(fd, F_GETLK, &probe) != 0 || probe.l_type != F_UNLCK;
    ::close(fd);
    return held;
}

}  // namespace

bool removeColdJournal(const QString& file)
{
    const QString absolute = absoluteClean(file);
    const QString journal = absolute + QStringLiteral("-journal");
    if (!QFileInfo::exists(journal)) return true;
    if (!writableWithFolder(absolute)) return false;
    const auto lock = ExclusiveFileLock::tryLock(absolute);
    if (!lock || writerLockHeld(absolute) || journalHoldsChange(absolute)) return false;
    return QFile::remove(journal);
}

void removeCompactionCopy(const QString& file)
{
    const QString copy = compactionCopy(file);
    for (const char* suffix : kCopyParts) QFile::remove(copy + QLatin1String(suffix));
}

void detail::requireNewFile(const QString& path)
{
    if (QFileInfo::exists(path))
        throwError(errFileExists, QStringLiteral("Datenbank ist bereits vorhanden: %1").arg(QDir::toNativeSeparators(path)));
}

std::unique_ptr<Database> Database::create(const QString& path)
{
    detail::requireNewFile(path);
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

}  // namespace kv::db
