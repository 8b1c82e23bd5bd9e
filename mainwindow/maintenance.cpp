#include "mainwindow/maintenance.h"

#include "core/indizieren.h"
#include "core/mainmod.h"
#include "mainwindow/panel.h"
#include "platform/db/idset.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <optional>
#include <vector>

namespace kv {

namespace {

std::function<void(const char*)> g_fault;

void step(const char* name)
{
    if (g_fault) g_fault(name);
}

// The entries of the copies that go, in selection lists and menus, point at the copy of
// their title that stays: a list keeps its dishes. A list holds a dish once; where it
// holds the kept copy already, that entry stays with its servings and place, otherwise
// the first entry of the copies that go (by place in a menu, by order of adding in a
// list). A moved entry shows the title, category and comment of the recipe it now opens.
void keepListEntries(db::Database& db)
{
    // Lists are short beside the copies: each is read once and its entries looked up
    // among the copies, not the copies looked up in the lists.
    const auto holdsCopies = [&](const QString& table) {
        return db.scalar(QStringLiteral("select exists (select 1 from %1 a where exists "
                                        "(select 1 from temp.dupweg w where w.rid = a.rid))")
                             .arg(table))
                   .toBool();
    };
    // The entries that show one recipe once the copies are gone, ranked: the kept copy's
    // own entries first, then the copies' by place; all but the first go.
    const auto surplus = [](const QString& table, const QString& list, const QString& place) {
        return QStringLiteral(
                   "delete from %1 where rowid in (select e from (select a.rowid as e, w.rid as kopie, "
                   "row_number() over (partition by a.%2, coalesce(w.behalten, a.rid) "
                   "order by w.rid is not null, %3a.rowid) as rang "
                   "from %1 a left join temp.dupweg w on w.rid = a.rid "
                   "where w.rid is not null or exists (select 1 from temp.dupbehalten b where b.rid = a.rid)) "
                   "where kopie is not null and rang > 1)")
            .arg(table, list, place);
    };
    if (holdsCopies(QStringLiteral("rezinaus"))) {
        db.execute(surplus(QStringLiteral("rezinaus"), QStringLiteral("aid"), QString()));
        db.execute(QStringLiteral(
            "update rezinaus set rid = (select w.behalten from temp.dupweg w where w.rid = rezinaus.rid), "
            "(rname, katego, komid) = (select r.rname, r.kid, r.komid from temp.dupweg w inner join rezepte r "
            "on r.rid = w.behalten where w.rid = rezinaus.rid) "
            "where exists (select 1 from temp.dupweg w where w.rid = rezinaus.rid)"));
    }
    if (holdsCopies(QStringLiteral("rezinmen"))) {
        db.execute(surplus(QStringLiteral("rezinmen"), QStringLiteral("mid"), QStringLiteral("a.nr is null, a.nr, ")));
        db.execute(QStringLiteral(
            "update rezinmen set rid = (select w.behalten from temp.dupweg w where w.rid = rezinmen.rid), "
            "(rname, katego) = (select substr(r.rname, 1, %1), r.kid from temp.dupweg w inner join rezepte r "
            "on r.rid = w.behalten where w.rid = rezinmen.rid) "
            "where exists (select 1 from temp.dupweg w where w.rid = rezinmen.rid)")
                       .arg(kMenuNameLength));
    }
}

// While it lives, deleted rows are wiped from the pages that held them, but pages that
// fall free are left as they are instead of being overwritten with zeros: dropping an
// index or emptying most of a table then writes only what stays. The compaction that
// follows a removal leaves the free pages out of the file. The connection's setting comes
// back at the end.
class WipeDeletedRowsOnly {
public:
    explicit WipeDeletedRowsOnly(db::Database& db) : m_db(db)
    {
        m_before = db.scalar(QStringLiteral("PRAGMA secure_delete")).toLongLong();
        db.execute(QStringLiteral("PRAGMA secure_delete=FAST"));
    }
    ~WipeDeletedRowsOnly()
    {
        try {
            m_db.execute(QStringLiteral("PRAGMA secure_delete=%1")
                             .arg(m_before == 2 ? QStringLiteral("FAST") : QString::number(m_before)));
        } catch (const db::DbError&) {
            // The connection keeps the lighter setting; nothing it stores is lost by it.
        }
    }
    WipeDeletedRowsOnly(const WipeDeletedRowsOnly&) = delete;
    WipeDeletedRowsOnly& operator=(const WipeDeletedRowsOnly&) = delete;

private:
    db::Database& m_db;
    qint64 m_before = 0;
};

// A table or index name from the cookbook's own schema, as SQL writes it.
QString sqlName(const QString& name)
{
    return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// Deletes the rows of the copies that go from one table. Where they are a large share of
// the table (`copies` then holds their ids), its plain indexes are dropped first and made anew from the rows that stay:
// deleting a row from an index costs a seek in it, while rebuilding sorts the remaining
// keys once and the deletion itself becomes one pass over the table, which is cheaper
// once more than about a third of the rows go. An index that cannot be dropped now (a
// reader holds the table) stays and is kept up to date by the deletion.
void deleteRowsOfCopies(db::Database& db, const QString& table, const db::IdSet* copies)
{
    struct Index {
        QString name;
        QString sql;
    };
    std::vector<Index> dropped;
    if (copies) {
        std::vector<Index> plain;
        {
            db::Statement st(db, QStringLiteral(
                "select m.name, m.sql from sqlite_master m where m.type = 'index' and m.tbl_name = ? collate nocase "
                "and m.sql is not null and (select i.\"unique\" from pragma_index_list(m.tbl_name) i "
                "where i.name = m.name) = 0"));
            st.bind(1, table);
            while (st.step()) plain.push_back({st.text(0), st.text(1)});
        }
        for (const Index& index : plain) {
            try {
                db.execute(QStringLiteral("drop index %1").arg(sqlName(index.name)));
            } catch (const db::DbError&) {
                break;
            }
            dropped.push_back(index);
        }
    }
    // A large share is deleted in one pass over the table, each row's recipe tested in the
    // set of copies (kv_idset); a few through the index on rid where there is one.
    db.execute(QStringLiteral("delete from %1 where %2")
                   .arg(sqlName(table), copies ? QStringLiteral("kv_idset(rid)")
                                               : QStringLiteral("rid in (select rid from temp.dupweg)")));
    if (dropped.empty()) return;
    IndexBuildCache cache(db);
    for (const Index& index : dropped) db.execute(index.sql);
}

}  // namespace

qint64 removeDuplicates(db::Database& db)
{
    WipeDeletedRowsOnly wipe(db);
    db::Transaction tx(db);
    db.execute(QStringLiteral("drop table if exists duprez"));
    db.execute(QStringLiteral("create table duprez ([ErsterWert von rid] LONG, [Anzahl von rid] LONG, "
                              "rname VARCHAR(255) COLLATE NOCASE_DE)"));
    // Every title with copies, read once from the title index: the work table, and the copy
    // of each title that stays.
    db.execute(QStringLiteral("create temp table if not exists dupgruppen (rname VARCHAR(255) COLLATE NOCASE_DE, "
                              "erster integer, anzahl integer, behalten integer)"));
    db.execute(QStringLiteral("delete from temp.dupgruppen"));
    db.execute(QStringLiteral("insert into temp.dupgruppen (rname, erster, anzahl, behalten) "
                              "select rname, min(rid), count(rid), max(rid) from rezepte group by rname "
                              "having count(rid) > 1 order by rname"));
    db.execute(QStringLiteral("insert into duprez ([ErsterWert von rid], [Anzahl von rid], rname) "
                              "select erster, anzahl, rname from temp.dupgruppen order by rowid"));
    // Every copy that goes, with the copy of its title that stays: one seek per title.
    db.execute(QStringLiteral("create temp table if not exists dupweg (rid integer primary key, behalten integer)"));
    db.execute(QStringLiteral("delete from temp.dupweg"));
    db.execute(QStringLiteral("insert into temp.dupweg (rid, behalten) select r.rid, g.behalten "
                              "from temp.dupgruppen g inner join rezepte r on r.rname = g.rname "
                              "where r.rid < g.behalten"));
    db.execute(QStringLiteral("create temp table if not exists dupbehalten (rid integer primary key)"));
    db.execute(QStringLiteral("delete from temp.dupbehalten"));
    db.execute(QStringLiteral("insert into temp.dupbehalten (rid) select behalten from temp.dupgruppen"));
    db.execute(QStringLiteral("delete from temp.dupgruppen"));
    const qint64 removed = db.scalar(QStringLiteral("select count(*) from temp.dupweg")).toLongLong();
    if (removed > 0) {
        keepListEntries(db);
        const qint64 recipes = db.scalar(QStringLiteral("select count(*) from rezepte")).toLongLong();
        std::optional<db::IdSet> copies;
        if (removed * 3 > recipes) copies.emplace(db, QStringLiteral("select rid from temp.dupweg"));
        const db::IdSet* largeShare = copies ? &*copies : nullptr;
        for (const QString& table : reztabellen) deleteRowsOfCopies(db, table, largeShare);
        deleteRowsOfCopies(db, QStringLiteral("rezepte"), largeShare);
    }
    // Names an import alias or a plural form points to stay: lines imported later find them.
    db.execute(QStringLiteral("delete from zutindex where zutid not in (select zutid from zutaten) "
                              "and zutid not in (select zutid from zutimp where zutid is not null) "
                              "and zutid not in (select zutid from zutmehrzahl where zutid is not null)"));
    db.execute(QStringLiteral("delete from temp.dupweg"));
    db.execute(QStringLiteral("delete from temp.dupbehalten"));
    db.execute(QStringLiteral("delete from duprez"));
    tx.commit();
    return removed;
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
    const auto removeCopy = [&] { db::removeCompactionCopy(file); };
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
