#include "platform/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <vector>

namespace kv::paths {

namespace {

std::mutex g_mutex;
QString g_programFolder;

QString envPath(const char* name)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(value).absoluteFilePath());
}

QString executableFolder()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    const QFileInfo exe(QStringLiteral("/proc/self/exe"));
    const QString target = exe.symLinkTarget();
    return target.isEmpty() ? QDir::currentPath() : QFileInfo(target).absolutePath();
}

// Copies what is missing below `from` into `to`, never overwriting. A copy from a
// read-only installation keeps its read-only mode, but the cookbook and the lists
// must be writable in the program folder.
void copyMissing(const QString& from, const QString& to, const QString& skip)
{
    QDir().mkpath(to);
    const QFileInfoList entries =
        QDir(from).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        const QString target = to + QLatin1Char('/') + entry.fileName();
        if (entry.isDir()) {
            // A program folder set inside the shipped folder must not be copied into itself.
            if (entry.canonicalFilePath() == skip)
                continue;
            copyMissing(entry.absoluteFilePath(), target, skip);
        } else if (!QFileInfo::exists(target)) {
            if (QFile::copy(entry.absoluteFilePath(), target)) {
                // The user database will hold the newsgroup passwords: its owner's alone.
                if (entry.fileName() == QLatin1String("kelvor-user.mdb"))
                    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
                else
                    QFile::setPermissions(target, QFile::permissions(target) | QFile::ReadOwner
                                                      | QFile::WriteOwner);
            }
        }
    }
}

QString driveMapped(const QString& path)
{
    if (path.size() >= 2 && path.at(1) == QLatin1Char(':') && path.at(0).isLetter()
        && path.at(0).unicode() < 128) {
        // One home stands for every drive; "c:x" (relative to the drive) is read as "c:\x".
        const QString rest = path.mid(2);
        if (rest.isEmpty())
            return homeFolder();
        return homeFolder() + (rest.startsWith(QLatin1Char('/')) ? rest : QLatin1Char('/') + rest);
    }
    return path;
}

}  // namespace

QString shippedFolder()
{
    const QString fromEnv = envPath("KELVOR_SHIPPED");
    if (!fromEnv.isEmpty())
        return fromEnv;
    const QString exeDir = executableFolder();
    const QString beside = QDir::cleanPath(exeDir + QStringLiteral("/share/kelvor"));
    if (QFileInfo(beside).isDir())
        return beside;
    const QString installed = QDir::cleanPath(exeDir + QStringLiteral("/../share/kelvor"));
    if (QFileInfo(installed).isDir())
        return installed;
    return beside;
}

QString programFolder()
{
    std::lock_guard lock(g_mutex);
    if (!g_programFolder.isEmpty())
        return g_programFolder;

    QString folder = envPath("KELVOR_HOME");
    if (folder.isEmpty()) {
        QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
        if (dataHome.isEmpty() || QDir::isRelativePath(dataHome))
            dataHome = homeFolder() + QStringLiteral("/.local/share");
        folder = QDir::cleanPath(dataHome + QStringLiteral("/kelvor"));
    }
    QDir().mkpath(folder);
    const QString shipped = shippedFolder();
    if (QFileInfo(shipped).isDir())
        copyMissing(shipped, folder, QFileInfo(folder).canonicalFilePath());
    g_programFolder = folder;
    return folder;
}

void resetForTests()
{
    std::lock_guard lock(g_mutex);
    g_programFolder.clear();
}

QString homeFolder()
{
    const QString home = qEnvironmentVariable("HOME");
    if (home.isEmpty() || QDir::isRelativePath(home))
        return QDir::homePath();
    return QDir::cleanPath(home);
}

QString tempFolder()
{
    return QDir::cleanPath(QDir::tempPath());
}

namespace {

// The file in a private temp folder that its run holds locked while it lives: a kill ends
// the lock with the process, so a folder whose lock can be taken belongs to no living run.
const QString kLiveLock = QStringLiteral("/.kelvor-lebt");

// The folders this run made, with the locks that mark them as living, removed when the
// program ends.
struct PrivateFolders {
    std::mutex mutex;
    std::vector<QString> made;
    std::vector<int> locks;
    ~PrivateFolders()
    {
        for (const QString& folder : made)
            QDir(folder).removeRecursively();
        for (const int fd : locks) ::close(fd);
    }
};

PrivateFolders& privateFolders()
{
    static PrivateFolders folders;
    return folders;
}

// Ours, a folder, and closed to everybody else: a folder someone put in our place is
// never used.
bool isPrivateFolder(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

}  // namespace

QString privateTempFolder()
{
    PrivateFolders& folders = privateFolders();
    std::lock_guard lock(folders.mutex);
    const QString temp = tempFolder();
    // The temp folder may change while the program runs (tests give each case its own).
    for (const QString& folder : folders.made)
        if (QFileInfo(folder).path() == temp && isPrivateFolder(folder))
            return folder;
    // mkdtemp makes the folder with mode 0700 under a name nobody can guess beforehand.
    QByteArray pattern = QFile::encodeName(temp + QStringLiteral("/kelvor-XXXXXX"));
    if (!::mkdtemp(pattern.data()))
        return {};
    const QString folder = QFile::decodeName(pattern);
    const int live = ::open(QFile::encodeName(folder + kLiveLock).constData(),
                            O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (live >= 0 && ::flock(live, LOCK_EX | LOCK_NB) == 0) folders.locks.push_back(live);
    else if (live >= 0) ::close(live);
    folders.made.push_back(folder);
    return folder;
}

void removeStalePrivateTempFolders()
{
    const QString temp = tempFolder();
    const QStringList names = QDir(temp).entryList({QStringLiteral("kelvor-??????")},
                                                   QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QString folder = temp + u'/' + name;
        if (!isPrivateFolder(folder)) continue;
        const int lock = ::open(QFile::encodeName(folder + kLiveLock).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (lock < 0) continue;
        // Held while the folder is removed, so a run cannot take it up meanwhile.
        if (::flock(lock, LOCK_EX | LOCK_NB) == 0) QDir(folder).removeRecursively();
        ::close(lock);
    }
}

QString localPath(const QString& systemPath)
{
    if (systemPath.isEmpty())
        return systemPath;
    QString path = systemPath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    path = driveMapped(path);
    const bool folder = path.endsWith(QLatin1Char('/'));
    path = QDir::cleanPath(path);
    if (folder && !path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

QString absoluteFolder(const QString& folder)
{
    QString path = QDir::cleanPath(QFileInfo(folder.isEmpty() ? QStringLiteral(".") : folder)
                                       .absoluteFilePath());
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

bool fileExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

bool folderExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

namespace {
std::function<std::optional<bool>(const QString&, Access)> g_accessCheck;
}

bool mayAccess(const QString& path, Access access)
{
    if (path.isEmpty()) return false;
    if (g_accessCheck)
        if (const std::optional<bool> answer = g_accessCheck(path, access)) return *answer;
    return ::access(QFile::encodeName(path).constData(), access == Access::Read ? R_OK : W_OK) == 0;
}

void setAccessCheck(std::function<std::optional<bool>(const QString& path, Access access)> check)
{
    g_accessCheck = std::move(check);
}

namespace {
std::function<std::optional<bool>(const QString&)> g_mediumCheck;
}

bool readOnlyMedium(const QString& path)
{
    if (g_mediumCheck)
        if (const std::optional<bool> answer = g_mediumCheck(path)) return *answer;
    struct statvfs fs {};
    return ::statvfs(QFile::encodeName(path).constData(), &fs) == 0 && (fs.f_flag & ST_RDONLY) != 0;
}

void setMediumCheck(std::function<std::optional<bool>(const QString& path)> check)
{
    g_mediumCheck = std::move(check);
}

QString refusal(int error)
{
    switch (error) {
    case ENOENT:
        return QStringLiteral("nicht vorhanden");
    case EACCES:
    case EPERM:
        return QStringLiteral("keine Berechtigung");
    case ENOTDIR:
        return QStringLiteral("kein Verzeichnis");
    case EISDIR:
        return QStringLiteral("ein Verzeichnis");
    case ENAMETOOLONG:
        return QStringLiteral("Name zu lang");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("zu viele offene Dateien");
    case EIO:
        return QStringLiteral("Lesefehler");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

}  // namespace kv::paths
