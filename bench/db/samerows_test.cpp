// The set-based duplicate removal and first opening leave exactly the rows the earlier
// row-by-row work left. The removal is compared with that work done again here on a copy;
// the opening with digests of every table that the earlier opening left on the same
// generated cookbook.

#include "app/starthooks.h"
#include "bench/db/gencookbook.h"
#include "core/cookbookdb.h"
#include "core/mainmod.h"
#include "core/settings.h"
#include "mainwindow/maintenance.h"
#include "platform/db/database.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testenv.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

namespace {

using kv::db::Database;

// Every row of a table in stored order, rowid first, each value with its type.
QStringList rowsOf(Database& db, const QString& table)
{
    QStringList rows;
    kv::db::Statement st(db, QStringLiteral("select rowid, * from \"%1\" order by rowid").arg(table));
    while (st.step()) {
        QString row;
        for (int i = 0; i < st.columnCount(); ++i)
            row += (st.isNull(i) ? QStringLiteral("~")
                                 : QString::fromLatin1(st.value(i).typeName()) + u':' + st.text(i)) +
                   u'|';
        rows << row;
    }
    return rows;
}

QStringList entriesOf(Database& db, const QString& sql)
{
    QStringList rows;
    kv::db::Statement st(db, sql);
    while (st.step()) rows << st.text(0) + u'|' + st.text(1);
    return rows;
}

QStringList tablesOf(Database& db)
{
    QStringList tables;
    kv::db::Statement st(db, QStringLiteral("select name from sqlite_master where type='table' order by name"));
    while (st.step()) tables << st.text(0);
    return tables;
}

QStringList indexesOf(Database& db)
{
    QStringList indexes;
    kv::db::Statement st(db, QStringLiteral("select sql from sqlite_master where type='index' and sql is not null "
                                            "order by name"));
    while (st.step()) indexes << st.text(0);
    return indexes;
}

// What the removal did before it worked set-based: the copies listed first, then their
// rows deleted table by table, the unused names last.
qint64 removeDuplicatesAsBefore(Database& db)
{
    kv::db::Transaction tx(db);
    QList<qint64> rids;
    {
        kv::db::Statement st(db, QStringLiteral("select rid from rezepte where rid < (select max(r.rid) from rezepte r "
                                                "where r.rname = rezepte.rname) order by rid"));
        while (st.step()) rids << st.int64(0);
    }
    for (const QString& table : kv::reztabellen + QStringList{QStringLiteral("rezepte")})
        for (qint64 rid : rids) db.execute(QStringLiteral("delete from %1 where rid=?").arg(table), {rid});
    db.execute(QStringLiteral("delete from zutindex where zutid not in (select zutid from zutaten) "
                              "and zutid not in (select zutid from zutimp where zutid is not null) "
                              "and zutid not in (select zutid from zutmehrzahl where zutid is not null)"));
    tx.commit();
    return rids.size();
}

class SameRows : public ::testing::Test {
protected:
    QString file(const QString& folder) { return QDir(folder).filePath(kv::kochbuchdatei); }
    QString copyOf(const QString& source, const QString& name)
    {
        const QString folder = env.tempPath(name);
        QDir().mkpath(folder);
        EXPECT_TRUE(QFile::copy(file(source), file(folder)));
        return folder;
    }

    // Copies of `share` of the recipes (one in `share` by id), with their lines,
    // preparation and keywords; some copies differ from their original in case only.
    void addCopies(const QString& folder, int share)
    {
        auto db = Database::open(file(folder));
        kv::db::Transaction tx(*db);
        db->execute(QStringLiteral("create temp table kopie (alt integer primary key, neu integer)"));
        db->execute(QStringLiteral("insert into kopie (alt, neu) select rid, rid + (select max(rid) from rezepte) "
                                   "from rezepte where rid % ? = 0"),
                    {share});
        db->execute(QStringLiteral("insert into rezepte (rid, rname, port, ungenau, kid, komid, did) "
                                   "select k.neu, case when k.alt % 3 = 0 then upper(r.rname) else r.rname end, "
                                   "r.port + 1, r.ungenau, r.kid, r.komid, r.did from rezepte r "
                                   "join kopie k on k.alt = r.rid"));
        db->execute(QStringLiteral("insert into zutaten (rid, tid, nr, eid, menge, zutid) select k.neu, tid, nr, eid, "
                                   "menge, zutid from zutaten join kopie k on k.alt = zutaten.rid"));
        db->execute(QStringLiteral("insert into zubereit (rid, ztext) select k.neu, ztext from zubereit "
                                   "join kopie k on k.alt = zubereit.rid"));
        db->execute(QStringLiteral("insert into rezstich (rid, sid) select k.neu, sid from rezstich "
                                   "join kopie k on k.alt = rezstich.rid"));
        // A name only a copy uses goes with it.
        db->execute(QStringLiteral("insert into zutindex (zutat) values ('nur in einem Duplikat')"));
        db->execute(QStringLiteral("update zutaten set zutid = last_insert_rowid() where rowid = "
                                   "(select min(z.rowid) from zutaten z join kopie k on k.alt = z.rid)"));
        tx.commit();
    }

    // Runs both removals on copies of `folder` and compares every table.
    void expectSameRemoval(const QString& folder, qint64 atLeast, const QString& run)
    {
        SCOPED_TRACE(run.toStdString());
        const QString mine = copyOf(folder, run + QStringLiteral("-neu"));
        const QString before = copyOf(folder, run + QStringLiteral("-vorher"));
        auto db = Database::open(file(mine));
        auto reference = Database::open(file(before));
        const QStringList indexes = indexesOf(*db);
        // Each list and menu keeps its dishes, once each, on the copy of their title that stays.
        const QString keptOf = QStringLiteral("coalesce((select max(k.rid) from rezepte k where k.rname = "
                                              "(select r.rname from rezepte r where r.rid = e.rid)), e.rid)");
        const QStringList listsAfter = entriesOf(*db, QStringLiteral("select distinct e.aid, %1 from rezinaus e "
                                                                     "order by 1, 2").arg(keptOf));
        const QStringList menusAfter = entriesOf(*db, QStringLiteral("select distinct e.mid, %1 from rezinmen e "
                                                                     "order by 1, 2").arg(keptOf));

        const qint64 removed = kv::removeDuplicates(*db);
        EXPECT_EQ(removed, removeDuplicatesAsBefore(*reference));
        EXPECT_GE(removed, atLeast);

        EXPECT_EQ(indexesOf(*db), indexes);
        const QStringList tables = tablesOf(*reference);
        QStringList left = tablesOf(*db);
        left.removeOne(QStringLiteral("duprez"));
        EXPECT_EQ(left, tables);
        const QStringList entryTables = {QStringLiteral("rezinaus"), QStringLiteral("rezinmen")};
        for (const QString& table : tables) {
            SCOPED_TRACE(table.toStdString());
            if (!entryTables.contains(table)) {
                EXPECT_EQ(rowsOf(*db, table), rowsOf(*reference, table));
                continue;
            }
            // The entries the earlier removal kept stay as they were; the others are moved.
            const QStringList now = rowsOf(*db, table);
            for (const QString& row : rowsOf(*reference, table)) EXPECT_TRUE(now.contains(row)) << row.toStdString();
        }
        EXPECT_EQ(entriesOf(*db, QStringLiteral("select aid, rid from rezinaus order by 1, 2")), listsAfter);
        EXPECT_EQ(entriesOf(*db, QStringLiteral("select mid, rid from rezinmen order by 1, 2")), menusAfter);
    }

    kv::test::TestEnvironment env;
};

TEST_F(SameRows, DuplicateRemovalOfAFewAndOfMostRecipes)
{
    const QString folder = env.tempPath(QStringLiteral("erzeugt"));
    kv::bench::generateCookbook(folder, 1500, 11);
    expectSameRemoval(folder, 10, QStringLiteral("wenige"));
    // Where the copies are most of the cookbook the indexes are dropped and rebuilt.
    addCopies(folder, 1);
    addCopies(folder, 2);
    expectSameRemoval(folder, 1500, QStringLiteral("meiste"));
}

// Digests of the tables the first opening of the generated old cookbook (400 recipes,
// seed 5) left when every step still worked row by row. The index definitions and the
// changelog are compared on their own: the definition of zutaten.zutid and step 112 are new.
const std::map<QString, QByteArray> kOpenedBefore = {
#include "bench/db/samerows_opened.inc"
};

QByteArray digest(const QStringList& rows)
{
    return QCryptographicHash::hash(rows.join(u'\n').toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
}

TEST_F(SameRows, FirstOpeningOfAnOldCookbook)
{
    const QString folder = env.tempPath(QStringLiteral("alt")) + u'/';
    kv::bench::generateOldCookbook(folder, 400, 5);
    kv::savereg(kv::reg::loadeddir, folder);
    kv::test::ScriptedDialogs dialogs;
    dialogs.expect(QStringLiteral("Kelvor muß beim ersten Starten seine Suchindizes erstellen."), kv::ui::Answer::Ok);
    dialogs.expect(QStringLiteral("Die Suchindizes wurden erstellt"), kv::ui::Answer::Ok);
    kv::installStartHooks();

    kv::opendaten();

    Database& db = *kv::kochbuchdb;
    ASSERT_EQ(db.name(), file(folder));
    const QStringList separate = {QStringLiteral("-indizes"), QStringLiteral("-indexfelder"),
                                  QStringLiteral("changelog")};
    std::map<QString, QByteArray> digests;
    for (const QString& table : tablesOf(db))
        if (!separate.contains(table)) digests[table] = digest(rowsOf(db, table));
    if (qEnvironmentVariableIsSet("KELVOR_PRINT_DIGESTS"))
        for (const auto& [table, hash] : digests)
            std::printf("    {QStringLiteral(\"%s\"), \"%s\"},\n", qPrintable(table), hash.constData());
    for (const auto& [table, hash] : kOpenedBefore) {
        SCOPED_TRACE(table.toStdString());
        ASSERT_TRUE(digests.count(table));
        EXPECT_EQ(digests[table], hash);
    }
    EXPECT_EQ(digests.size(), kOpenedBefore.size());

    EXPECT_EQ(db.scalar(QStringLiteral("select group_concat(changed) from (select changed from changelog "
                                       "order by rowid)")).toString(),
              QStringLiteral("100,100,103,101,102,104,106,110,111,112"));
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from [-indizes] where tabelle='zutaten' and "
                                       "indexname='zutid'")).toLongLong(),
              0);
    QStringList zutaten;
    for (const kv::db::IndexDef& index : db.indexes(QStringLiteral("zutaten"))) zutaten << index.name;
    zutaten.sort();
    EXPECT_EQ(zutaten, (QStringList{QStringLiteral("rid"), QStringLiteral("zutidrid")}));
    kv::kochbuchdb.reset();
}

}  // namespace
