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

bool provideUserDb()
{
    const QString target = userDbPath();
    if (QFileInfo(target).isFile()) return true;
    const QString shipped = paths::programFolder() + QStringLiteral("/kochbuch/") + kUserDbName;
    if (!QFileInfo(shipped).isFile()) return false;
    if (QFile::rename(shipped, target)) return true;
    // Another file system: a copy, and the shipped one goes only once the copy stands.
    if (!QFile::copy(shipped, target)) return false;
    QFile::setPermissions(target, QFile::permissions(target) | QFile::ReadOwner | QFile::WriteOwner);
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
    std::shared_ptr<db::Database> opened = db::Database::open(userDbPath());
    g_userDb = opened;
    return opened;
}

}  // namespace kv::exchange
