#include "tests/support/oldschema.h"

#include "platform/db/database.h"

namespace kv::test {

namespace {

const char* const oldSchema[] = {
    "CREATE TABLE kochbuchname (bname VARCHAR(100) COLLATE NOCASE_DE, binfo VARCHAR(255) COLLATE NOCASE_DE)",
    "CREATE TABLE rezepte (rid INTEGER PRIMARY KEY AUTOINCREMENT, rname VARCHAR(255) COLLATE NOCASE_DE,"
    " port SMALLINT, ungenau BIT, kid LONG, komid LONG, did LONG)",
    "CREATE TABLE zutaten (rid LONG, tid SMALLINT, nr SMALLINT, eid LONG, menge DOUBLE, zutid LONG)",
    "CREATE TABLE zubereit (rid LONG, ztext LONGTEXT COLLATE NOCASE_DE)",
    "CREATE TABLE zutindex (zutid INTEGER PRIMARY KEY AUTOINCREMENT, zutat VARCHAR(150) COLLATE NOCASE_DE)",
    "CREATE TABLE zutimp (zutat VARCHAR(150) COLLATE NOCASE_DE, zutid LONG)",
    "CREATE TABLE zutmehrzahl (zutid LONG, mehrzahl VARCHAR(150) COLLATE NOCASE_DE)",
    "CREATE TABLE einheiten (eid INTEGER PRIMARY KEY AUTOINCREMENT, ename VARCHAR(20) COLLATE NOCASE_DE,"
    " ekurz VARCHAR(10) COLLATE NOCASE_DE)",
    "CREATE TABLE impeinheit (eid LONG, ename VARCHAR(20) COLLATE NOCASE_DE, ekurz VARCHAR(10) COLLATE NOCASE_DE)",
    "CREATE TABLE hauptkat (kid LONG, kname VARCHAR(50) COLLATE NOCASE_DE)",
    "CREATE TABLE impkat (kimport VARCHAR(50) COLLATE NOCASE_DE, kid LONG)",
    "CREATE TABLE komment (komid LONG, komment VARCHAR(50) COLLATE NOCASE_DE)",
    "CREATE TABLE stichworte (sid INTEGER PRIMARY KEY AUTOINCREMENT, stichwort VARCHAR(50) COLLATE NOCASE_DE,"
    " subsid LONG, ebene SMALLINT)",
    "CREATE TABLE substich (sid LONG, subsid LONG)",
    "CREATE TABLE rezstich (rid LONG, sid LONG)",
    "CREATE TABLE impstich (sid LONG, istich VARCHAR(50) COLLATE NOCASE_DE)",
    "CREATE TABLE auswahlen (aid INTEGER PRIMARY KEY AUTOINCREMENT, aname VARCHAR(50) COLLATE NOCASE_DE,"
    " adat DATETIME)",
    "CREATE TABLE rezinaus (aid LONG, rid LONG, rname VARCHAR(255) COLLATE NOCASE_DE, katego LONG,"
    " port SMALLINT, komid LONG)",
    "CREATE TABLE menues (mid INTEGER PRIMARY KEY AUTOINCREMENT, mname VARCHAR(50) COLLATE NOCASE_DE,"
    " mdat DATETIME, mbesch LONGTEXT COLLATE NOCASE_DE)",
    "CREATE TABLE rezinmen (mid LONG, rid LONG, nr SMALLINT, rname VARCHAR(50) COLLATE NOCASE_DE,"
    " katego LONG, port SMALLINT)",
    "CREATE TABLE importdateien (did INTEGER PRIMARY KEY AUTOINCREMENT, dname VARCHAR(255) COLLATE NOCASE_DE,"
    " \"check\" BIT)",
    "CREATE TABLE importerrors (errid INTEGER PRIMARY KEY AUTOINCREMENT, did LONG, rid LONG,"
    " rname VARCHAR(255) COLLATE NOCASE_DE, etext VARCHAR(255) COLLATE NOCASE_DE)",
    "CREATE TABLE importerrtexte (errid LONG, rtext LONGTEXT COLLATE NOCASE_DE)",
    "CREATE TABLE erfasser (erfid LONG, erfasser VARCHAR(100) COLLATE NOCASE_DE)",
    "CREATE TABLE quellen (qid LONG, quelle VARCHAR(255) COLLATE NOCASE_DE)",
    "CREATE TABLE letztsuch (sid INTEGER PRIMARY KEY AUTOINCREMENT, ssql LONGTEXT COLLATE NOCASE_DE,"
    " stext VARCHAR(255) COLLATE NOCASE_DE)",
    "CREATE TABLE letztsuchrids (sid LONG, rid LONG)",
    "CREATE TABLE suchzutat (zid LONG, typ SMALLINT)",
    "CREATE TABLE suchrids (typ SMALLINT, rid LONG)",
    "CREATE TABLE suchfound (rid LONG)",
    "CREATE TABLE editzutat (nr SMALLINT, men VARCHAR(20) COLLATE NOCASE_DE CHECK (\"men\" <> ''),"
    " ename VARCHAR(20) COLLATE NOCASE_DE CHECK (\"ename\" <> ''), zut VARCHAR(150) COLLATE NOCASE_DE)",
    "CREATE TABLE [rep-korbliste] (aname VARCHAR(255) COLLATE NOCASE_DE, adat DATETIME, rid LONG,"
    " rname VARCHAR(255) COLLATE NOCASE_DE, p SMALLINT, port SMALLINT, ungen BIT,"
    " ztext LONGTEXT COLLATE NOCASE_DE, tid SMALLINT, nr BYTE, eval LONG, ename VARCHAR(20) COLLATE NOCASE_DE,"
    " men VARCHAR(50) COLLATE NOCASE_DE, zname VARCHAR(255) COLLATE NOCASE_DE)",
    "CREATE TABLE [rep-einkauf] (aname VARCHAR(255) COLLATE NOCASE_DE, rid LONG, tid SMALLINT, nr SMALLINT,"
    " ename VARCHAR(20) COLLATE NOCASE_DE, men VARCHAR(50) COLLATE NOCASE_DE, zname VARCHAR(255) COLLATE NOCASE_DE)",
    "CREATE TABLE [rep-einkaufsliste] (aname VARCHAR(255) COLLATE NOCASE_DE, rid LONG)",
    "CREATE TABLE umlaute (alt VARCHAR(2) COLLATE NOCASE_DE, neu VARCHAR(1) COLLATE NOCASE_DE,"
    " alttext VARCHAR(15) COLLATE NOCASE_DE)",
    "CREATE TABLE [-indizes] (indid LONG, tabelle VARCHAR(64) COLLATE NOCASE_DE,"
    " indexname VARCHAR(64) COLLATE NOCASE_DE, \"Primary\" BIT)",
    "CREATE TABLE [-indexfelder] (indid LONG, feldname VARCHAR(64) COLLATE NOCASE_DE, fnr SMALLINT)",
    "CREATE TABLE html (hid LONG, kopf LONGTEXT COLLATE NOCASE_DE, fuss LONGTEXT COLLATE NOCASE_DE)",
    "CREATE TABLE [-löschtabellen] (tabelle VARCHAR(64) COLLATE NOCASE_DE)",
};

}  // namespace

void createOldTables(db::Database& db)
{
    for (const char* sql : oldSchema) db.execute(QString::fromUtf8(sql));
    db.createIndex(QStringLiteral("einheiten"), {QStringLiteral("PrimaryKey"), {QStringLiteral("eid")}, true, true});
    db.createIndex(QStringLiteral("rep-korbliste"),
                   {QStringLiteral("PrimaryKey"),
                    {QStringLiteral("rid"), QStringLiteral("tid"), QStringLiteral("nr")},
                    true,
                    true});
}

void insertOldUnits(db::Database& db)
{
    db.execute(QStringLiteral("INSERT INTO einheiten (eid, ename, ekurz) VALUES (1, 'g', 'g'), (2, 'ccm', 'cb'),"
                              " (3, 'Stück', 'ea'), (4, 'EL', 'tb')"));
    db.execute(QStringLiteral("INSERT INTO impeinheit (eid, ename, ekurz) VALUES (1, 'Gramm', 'gr'),"
                              " (4, 'Essl', 'es')"));
}

}  // namespace kv::test
