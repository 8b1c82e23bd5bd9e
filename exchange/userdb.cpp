#include "exchange/userdb.h"

#include "platform/paths.h"

#include <QFile>
#include <QFileInfo>

namespace kv::exchange {

namespace {

std::weak_ptr<db::Database> g_userDb;

}  // namespace

QString userDbPath()
{
    return paths::programFolder() + u'/' + kUserDbName;
}

namespace {

// The file holds the newsgroup passwords: nobody but its owner may read it. SQLite gives
// its journal the file's mode.
constexpr QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner;

}  // namespace

bool keepUserDbPrivate(const QString& file)
{
    const QFileInfo info(file);
    // A link is not ours to change: the file it leads to may be anybody's.
    if (!info.isFile() || info.isSymLink()) return false;
    const QFile::Permissions modeBits = kOwnerOnly | QFile::ExeOwner | QFile::ReadGroup | QFile::WriteGroup |
                                        QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    if ((QFile::permissions(file) & modeBits) == kOwnerOnly) return true;
    return QFile::setPermissions(file, kOwnerOnly);
}

bool provideUserDb()
{
    const QString target = userDbPath();
    if (QFileInfo(target).isFile()) {
        keepUserDbPrivate(target);
        return true;
    }
    const QString shipped = paths::programFolder() + QStringLiteral("/kochbuch/") + kUserDbName;
    if (!QFileInfo(shipped).isFile()) return false;
    // Private before it moves, so it is never readable by others in the program folder.
    keepUserDbPrivate(shipped);
    if (QFile::rename(shipped, target)) return keepUserDbPrivate(target);
    // Another file system: a copy, and the shipped one goes only once the copy stands.
    if (!QFile::copy(shipped, target)) return false;
    if (!keepUserDbPrivate(target)) {
        QFile::remove(target);
        return false;
    }
    QFile::remove(shipped);
    return true;
}

bool migrateLdatum(db::Database& userDb)
{
    const auto field = userDb.field(QStringLiteral("newsgroups"), QStringLiteral("ldatum"));
    if (!field || field->type != db::FieldType::Date) return false;
    db::Transaction tx(userDb);
    userDb.deleteField(QStringLiteral("newsgroups"), QStringLiteral("ldatum"));
    userDb.appendField(QStringLiteral("newsgroups"), {QStringLiteral("ldatum"), db::FieldType::Long});
    tx.commit();
    return true;
}

std::shared_ptr<db::Database> openUserDb()
{
    if (auto open = g_userDb.lock(); open && open->isOpen()) return open;
    // A file a former version moved into place is still readable by everyone.
    keepUserDbPrivate(userDbPath());
    std::shared_ptr<db::Database> opened = db::Database::open(userDbPath());
    g_userDb = opened;
    return opened;
}

}  // namespace kv::exchange
