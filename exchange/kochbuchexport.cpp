#include "exchange/kochbuchexport.h"

#include "core/mainmod.h"
#include "platform/db/database.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kv {

namespace {

// Copied whole, in this order.
const QStringList kReferenztabellen = {
    QStringLiteral("einheiten"),    QStringLiteral("hauptkat"),      QStringLiteral("html"),
    QStringLiteral("impeinheit"),   QStringLiteral("impkat"),        QStringLiteral("impstich"),
    QStringLiteral("-indexfelder"), QStringLiteral("-indizes"),      QStringLiteral("komment"),
    QStringLiteral("-löschtabellen"), QStringLiteral("stichworte"),  QStringLiteral("substich"),
};

// Table names come from the open cookbook's schema, never from what the user typed.
QString tableRef(const QString& schema, const QString& table)
{
    return schema + QStringLiteral(".[") + table + u']';
}

void copyWhole(db::Database& target, const QString& table)
{
    target.execute(QStringLiteral("insert into %1 select * from %2")
                       .arg(tableRef(QStringLiteral("main"), table), tableRef(kQuelle, table)));
}

}  // namespace

void copytabledef(const db::Database& source, db::Database& target, const QString& table)
{
    target.createTable(table, source.fields(table));
    for (const db::IndexDef& index : source.indexes(table)) target.createIndex(table, index);
}

void createcookbook(db::Database& source, db::Database& target, const QString& name, QString& info)
{
    for (const QString& table : source.tableNames())
        if (!table.startsWith(QLatin1String("MSys"), Qt::CaseSensitive)) copytabledef(source, target, table);
    if (info.isEmpty()) info = QStringLiteral("-");
    target.execute(QStringLiteral("insert into kochbuchname (bname, binfo) values (?, ?)"), {name, info});
    target.execute(QStringLiteral("insert into auswahlen (aname) values ('Schnellauswahl')"));
    for (const QString& table : kReferenztabellen)
        if (target.hasTable(table)) copyWhole(target, table);
    copyWhole(target, QStringLiteral("changelog"));
}

void copyselection(db::Database& target, qint64 aid)
{
    // Each recipe once, even when the list holds it twice.
    const QString recipes = QStringLiteral("(select rid from quelle.rezinaus where aid = ?1)");
    const QString names = QStringLiteral("(select zutid from quelle.zutaten where rid in %1)").arg(recipes);
    for (const char* table : {"rezepte", "zutaten", "zubereit", "rezstich"})
        target.execute(QStringLiteral("insert into main.%1 select * from quelle.%1 where rid in %2")
                           .arg(QLatin1String(table), recipes),
                       {aid});
    target.execute(QStringLiteral("insert into main.zutindex select * from quelle.zutindex where zutid in ") + names,
                   {aid});
    for (const char* table : {"zutimp", "zutmehrzahl"})
        target.execute(QStringLiteral("insert into main.%1 select distinct * from quelle.%1 where zutid in %2")
                           .arg(QLatin1String(table), names),
                       {aid});
}

QString refusedFolderName(const QString& name)
{
    // Every list would show such a folder with an empty name.
    if (!name.isEmpty() && name.trimmed().isEmpty())
        return QStringLiteral("Der Name \"%1\" kann kein neues Verzeichnis benennen: Er besteht nur aus Leerzeichen. "
                              "Bitte geben Sie einen anderen Namen ein.")
            .arg(name);
    if (!name.contains(u'/') && !name.contains(u'\\') && name != u"." && name != u"..") return {};
    return QStringLiteral("Der Name \"%1\" kann kein neues Verzeichnis benennen: Er darf weder \"/\" noch \"\\\" "
                          "enthalten und nicht \".\" oder \"..\" sein. Bitte geben Sie einen anderen Namen ein.")
        .arg(name);
}

namespace {

// A build folder is held with a lock on the folder itself for as long as its export
// runs; the kernel lets the lock go with the process, however it ends.
int lockFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Build folders of exports that ended before their rename. A folder another export is
// still building is locked and stays; a link of that name is never followed.
void removeAbandonedBuilds(const QString& parent)
{
    const QFileInfoList builds = QDir(parent).entryInfoList({kBauordnerPrefix + u'*'},
                                                            QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot |
                                                                QDir::NoSymLinks);
    for (const QFileInfo& build : builds) {
        const int fd = lockFolder(build.absoluteFilePath());
        if (fd < 0) continue;
        QDir(build.absoluteFilePath()).removeRecursively();
        ::close(fd);
    }
}

// The hidden folder an export builds in, beside its target, locked while it exists.
class BuildFolder {
public:
    explicit BuildFolder(const QString& parent)
    {
        for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
            const QString path = QDir(parent).filePath(
                kBauordnerPrefix + QString::number(QRandomGenerator::global()->generate64(), 36));
            // mkdir, not a private temp folder: the finished cookbook's folder gets the
            // mode the user's umask gives every new folder.
            if (::mkdir(QFile::encodeName(path).constData(), 0777) != 0) {
                if (errno == EEXIST) continue;
                return;
            }
            m_fd = lockFolder(path);
            if (m_fd < 0) {
                QDir(path).removeRecursively();
                return;
            }
            m_path = path;
        }
    }
    ~BuildFolder()
    {
        if (!m_path.isEmpty()) QDir(m_path).removeRecursively();
        if (m_fd >= 0) ::close(m_fd);
    }
    BuildFolder(const BuildFolder&) = delete;
    BuildFolder& operator=(const BuildFolder&) = delete;

    bool made() const { return !m_path.isEmpty(); }
    const QString& path() const { return m_path; }

    // Gives the folder its final name; false, with the folder still here under its own
    // name, when that name is taken (another program made it meanwhile) or the rename fails.
    bool renameTo(const QString& target)
    {
        const QByteArray from = QFile::encodeName(m_path);
        const QByteArray to = QFile::encodeName(target);
        int rc = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
        if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // A file system without the no-replace flag: rename(2) would put the cookbook
            // in place of an empty folder of that name, so the name is looked at first.
            if (QFileInfo::exists(target)) return false;
            rc = ::rename(from.constData(), to.constData());
        }
        if (rc != 0) return false;
        m_path.clear();
        return true;
    }

private:
    QString m_path;
    int m_fd = -1;
};

}  // namespace

void exportCookbook(db::Database& source, const QString& folder, const QString& name, QString& info, qint64 aid)
{
    const QString target = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    const QString shown = QDir::toNativeSeparators(QDir::cleanPath(folder));
    const auto exists = [&] {
        return ExportError(
            QStringLiteral("Das Verzeichnis '%1' gibt es schon. Jedes Kelvor-Kochbuch benötigt ein eigenes, neues "
                           "Verzeichnis.")
                .arg(shown));
    };
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) throw exists();
    const QString parent = QFileInfo(target).absolutePath();
    if (!paths::mayAccess(parent, paths::Access::Write))
        throw ExportError(QStringLiteral("Das Verzeichnis '%1' kann nicht angelegt werden.").arg(shown));
    removeAbandonedBuilds(parent);
    BuildFolder build(parent);
    if (!build.made()) throw ExportError(QStringLiteral("Das Verzeichnis '%1' kann nicht angelegt werden.").arg(shown));
    if (info.isEmpty()) info = QStringLiteral("-");
    try {
        auto cookbookFile = db::Database::create(QDir(build.path()).filePath(kochbuchdatei));
        cookbookFile->attach(source.name(), kQuelle);
        {
            db::Transaction tx(*cookbookFile);
            createcookbook(source, *cookbookFile, name, info);
            copyselection(*cookbookFile, aid);
            tx.commit();
        }
        cookbookFile->detach(kQuelle);
        cookbookFile->close();
    } catch (const std::exception& e) {
        const auto* dbError = dynamic_cast<const db::DbError*>(&e);
        const QString why = dbError ? dbError->text() : QString::fromLocal8Bit(e.what());
        throw ExportError(QStringLiteral("Das Kochbuch in '%1' konnte nicht angelegt werden (%2). Es wurde "
                                         "nichts angelegt.")
                              .arg(shown, why));
    }
    // The rename is what makes the cookbook appear; it must not come before its data on disk.
    db::syncFolder(build.path());
    if (!build.renameTo(target)) {
        if (QFileInfo::exists(target)) throw exists();
        throw ExportError(QStringLiteral("Das Verzeichnis '%1' kann nicht angelegt werden.").arg(shown));
    }
    db::syncFolder(parent);
}

}  // namespace kv
