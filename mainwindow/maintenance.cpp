#include "mainwindow/maintenance.h"

#include "core/mainmod.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace kv {

namespace {

std::function<void(const char*)> g_fault;

void step(const char* name)
{
    if (g_fault) g_fault(name);
}

}  // namespace

qint64 removeDuplicates(db::Database& db)
{
    db::Transaction tx(db);
    db.execute(QStringLiteral("drop table if exists duprez"));
    db.execute(QStringLiteral("create table duprez ([ErsterWert von rid] LONG, [Anzahl von rid] LONG, "
                              "rname VARCHAR(255) COLLATE NOCASE_DE)"));
    db.execute(QStringLiteral("insert into duprez ([ErsterWert von rid], [Anzahl von rid], rname) "
                              "select min(rid), count(rid), rname from rezepte group by rname "
                              "having count(rid) > 1 order by rname"));
    QList<qint64> rids;
    {
        db::Statement st(db, QStringLiteral("select rid from rezepte where rname in (select rname from duprez) "
                                            "and rid < (select max(r.rid) from rezepte r where r.rname = rezepte.rname)"));
        while (st.step()) rids << st.int64(0);
    }
    if (!rids.isEmpty()) deleteRecipes(db, rids);
    // Names an import alias or a plural form points to stay: lines imported later find them.
    db.execute(QStringLiteral("delete from zutindex where zutid not in (select zutid from zutaten) "
                              "and zutid not in (select zutid from zutimp where zutid is not null) "
                              "and zutid not in (select zutid from zutmehrzahl where zutid is not null)"));
    db.execute(QStringLiteral("delete from duprez"));
    tx.commit();
    return rids.size();
}

void setCompactionFault(std::function<void(const char* step)> fault)
{
    g_fault = std::move(fault);
}

CompactionSizes compactCookbookFile(const QString& file)
{
    const auto failed = [](const QString& what) { return std::runtime_error(what.toStdString()); };
    CompactionSizes sizes;
    sizes.before = QFileInfo(file).size();

    step("lock");
    const auto lock = db::ExclusiveFileLock::tryLock(file);
    if (!lock) throw CookbookInUse("in use");

    const QString copy = db::compactionCopy(file);
    const auto removeCopy = [&] {
        for (const char* suffix : {"", "-journal", "-wal", "-shm"}) QFile::remove(copy + QLatin1String(suffix));
    };
    removeCopy();
    try {
        qint64 recipes = 0;
        step("copy");
        {
            auto source = db::Database::open(file, db::FileLock::HeldByCaller);
            recipes = source->recordCount(QStringLiteral("rezepte"));
            source->compactInto(copy);
        }
        step("sync");
        if (!db::syncFile(copy)) throw failed(QStringLiteral("Die Kopie konnte nicht auf den Datenträger geschrieben werden."));
        step("check");
        {
            const auto check = db::Database::openCandidate(copy);
            if (!check || check->scalar(QStringLiteral("pragma quick_check")).toString() != u"ok" ||
                check->recordCount(QStringLiteral("rezepte")) != recipes)
                throw failed(QStringLiteral("Die Kopie ist nicht vollständig."));
        }
        step("permissions");
        if (!QFile::setPermissions(copy, QFile::permissions(file)))
            throw failed(QStringLiteral("Die Kopie konnte nicht die Rechte des Kochbuchs bekommen."));
        step("rename");
        // rename(2) replaces the file in one step; there is no moment without a cookbook.
        if (std::rename(QFile::encodeName(copy).constData(), QFile::encodeName(file).constData()) != 0)
            throw failed(QStringLiteral("Die Kopie konnte nicht an die Stelle des Kochbuchs treten."));
    } catch (const db::DbError& e) {
        removeCopy();
        throw failed(e.text());
    } catch (...) {
        removeCopy();
        throw;
    }
    step("syncfolder");
    // The swap is done; a folder that cannot be synced is reported, the new file stays.
    if (!db::syncFolder(QFileInfo(file).absolutePath()))
        throw failed(QStringLiteral("Der Ordner des Kochbuchs konnte nicht auf den Datenträger geschrieben werden."));
    sizes.after = QFileInfo(file).size();
    return sizes;
}

}  // namespace kv
