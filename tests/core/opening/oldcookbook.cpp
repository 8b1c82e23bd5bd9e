#include "tests/core/opening/oldcookbook.h"

#include "tests/support/oldschema.h"

#include <gtest/gtest.h>

namespace kv::test {

namespace {

const char* const oldRows[] = {
    "INSERT INTO kochbuchname (bname, binfo) VALUES ('Altes Kochbuch', '-')",
    "INSERT INTO rezepte (rid, rname, port, ungenau, kid, komid, did) VALUES"
    " (1, 'Gulasch', 2, 0, 1, 0, 1), (2, 'Nudelsalat', 4, 0, 2, 0, 1), (3, 'Leere Suppe', 4, 0, 1, 0, 2),"
    " (4, 'Blechkuchen', 1, 0, 0, 0, 2)",
    "INSERT INTO zutindex (zutid, zutat) VALUES (1, 'Für 4 Personen'), (2, 'Rindfleisch'), (3, 'Nudeln'),"
    " (4, '12 Personen'), (5, 'Personen nach Belieben'), (6, 'Zwiebeln')",
    "INSERT INTO zutaten (rid, tid, nr, eid, menge, zutid) VALUES"
    " (1, 1, 0, NULL, NULL, 1), (1, 1, 1, 1, 500, 2), (1, 1, 2, 3, 2, 6),"
    " (2, 1, 0, NULL, NULL, 5), (2, 1, 1, 2, 250, 3), (4, 1, 0, NULL, NULL, 4), (4, 1, 1, 4, 3, 3)",
    "INSERT INTO zubereit (rid, ztext) VALUES (1, 'Schmoren.'), (2, 'Mischen.')",
    "INSERT INTO hauptkat (kid, kname) VALUES (0, 'Alle'), (1, 'Fleisch'), (2, 'Salat')",
    "INSERT INTO komment (komid, komment) VALUES (0, '-')",
    "INSERT INTO stichworte (sid, stichwort, subsid, ebene) VALUES (1, 'Suppe', 0, 0)",
    "INSERT INTO substich (sid, subsid) VALUES (1, 1)",
    "INSERT INTO rezstich (rid, sid) VALUES (3, 1)",
    "INSERT INTO auswahlen (aid, aname, adat) VALUES (1, 'Schnellauswahl', '2001-05-01')",
    "INSERT INTO rezinaus (aid, rid, rname, katego, port, komid) VALUES (1, 1, 'Gulasch', 1, 2, 0)",
    "INSERT INTO importdateien (did, dname, \"check\") VALUES (1, 'alt.mmf', 1), (2, 'neu.mmf', 0)",
    "INSERT INTO [rep-korbliste] (aname, rid, rname, tid, nr) VALUES ('Liste', 1, 'Gulasch', 1, 1)",
    "INSERT INTO [rep-einkaufsliste] (aname, rid) VALUES ('Liste', 1)",
    "INSERT INTO umlaute (alt, neu, alttext) VALUES ('ae', 'ä', 'Israel')",
    "INSERT INTO editzutat (nr, men, ename, zut) VALUES (1, '2', 'EL', 'Mehl')",
    "INSERT INTO [-indizes] (indid, tabelle, indexname, \"Primary\") VALUES"
    " (1, 'rezepte', 'rnam', 0), (2, 'zutindex', 'zutat', 0), (3, 'stichworte', 'PrimaryKey', 1),"
    " (4, 'zutaten', 'zeile', 0), (5, 'impeinheit', 'en', 0), (6, 'rezepte', 'leer', 0)",
    // Stored out of key order on purpose: the build must follow fnr.
    "INSERT INTO [-indexfelder] (indid, feldname, fnr) VALUES (1, 'rname', 1), (2, 'zutat', 1),"
    " (3, 'sid', 1), (4, 'nr', 3), (4, 'rid', 1), (4, 'tid', 2), (5, 'ename', 1)",
};

}  // namespace

std::unique_ptr<db::Database> createOldCookbook(const QString& path)
{
    auto db = db::Database::create(path);
    createOldTables(*db);
    insertOldUnits(*db);
    for (const char* sql : oldRows) db->execute(QString::fromUtf8(sql));
    return db;
}

void markAllStepsDone(db::Database& db)
{
    db.execute(QStringLiteral("create table changelog (changed LONG)"));
    db.execute(QStringLiteral("insert into changelog (changed) values (100), (101), (102), (103), (104), (106), "
                              "(110), (111), (112)"));
}

void RecordingStartup::showFinddirModal()
{
    calls << QStringLiteral("finddir");
    if (!onFinddir) {
        ADD_FAILURE() << "the directory dialog was not expected";
        throw ProgramEnd{};
    }
    onFinddir();
}

QStringList dumpTable(db::Database& db, const QString& table)
{
    QStringList rows;
    db::Statement st(db, QStringLiteral("select * from [%1]").arg(table));
    while (st.step()) {
        QStringList values;
        for (int i = 0; i < st.columnCount(); ++i)
            values << (st.isNull(i) ? QStringLiteral("NULL") : st.text(i));
        rows << values.join(u'|');
    }
    rows.sort();
    return rows;
}

QStringList describeTable(db::Database& db, const QString& table)
{
    QStringList out;
    for (const db::FieldDef& f : db.fields(table))
        out << QStringLiteral("%1:%2:%3").arg(f.name).arg(int(f.type)).arg(f.size);
    for (const db::IndexDef& i : db.indexes(table))
        out << QStringLiteral("index %1(%2)%3").arg(i.name, i.fields.join(u','), i.primary ? QStringLiteral(" primary") : QString());
    return out;
}

QList<int> changelogInOrder(db::Database& db)
{
    QList<int> steps;
    db::Statement st(db, QStringLiteral("select changed from changelog order by rowid"));
    while (st.step()) steps << static_cast<int>(st.int64(0));
    return steps;
}

QStringList snapshot(db::Database& db)
{
    QStringList tables = db.tableNames();
    tables.sort();
    QStringList out;
    for (const QString& table : tables) {
        out << QStringLiteral("table ") + table;
        out << describeTable(db, table);
        out << dumpTable(db, table);
    }
    return out;
}

}  // namespace kv::test
