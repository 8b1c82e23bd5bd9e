#include "tests/platform/db/dbfixture.h"

using kv::db::DbError;
using kv::db::Recordset;
using kv::db::RecordsetType;
using kv::test::DbTest;

namespace {

int errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const DbError& e) {
        return e.number();
    }
    return 0;
}

}  // namespace

class Recordsets : public DbTest {};

TEST_F(Recordsets, NavigationKnowsBofEofCountAndPosition)
{
    makeRecipes(5);
    auto rs = db->openRecordset("select rid, rname from rezepte order by rname desc;");
    EXPECT_FALSE(rs->bof());
    EXPECT_EQ(rs->value("rname").toString(), "Rezept 00005");
    EXPECT_EQ(rs->absolutePosition(), 0);
    rs->moveLast();
    EXPECT_EQ(rs->value(0).toInt(), 1);
    EXPECT_EQ(rs->recordCount(), 5);
    EXPECT_EQ(rs->absolutePosition(), 4);
    rs->moveNext();
    EXPECT_TRUE(rs->eof());
    EXPECT_EQ(rs->absolutePosition(), -1);
    EXPECT_EQ(errorOf([&] { rs->moveNext(); }), kv::db::errNoCurrentRecord);
    EXPECT_EQ(errorOf([&] { rs->value("rid"); }), kv::db::errNoCurrentRecord);
    rs->movePrevious();
    EXPECT_EQ(rs->value("RID").toInt(), 1);
    rs->moveFirst();
    rs->movePrevious();
    EXPECT_TRUE(rs->bof());
    rs->setAbsolutePosition(2);
    EXPECT_EQ(rs->value("rname").toString(), "Rezept 00003");
    EXPECT_EQ(rs->valueAt(4, 1).toString(), "Rezept 00001");
    EXPECT_EQ(rs->absolutePosition(), 2);  // valueAt does not move
    EXPECT_EQ(errorOf([&] { rs->value("gibtsnicht"); }), kv::db::errItemNotFound);

    auto none = db->openRecordset("select * from rezepte where kid = 99");
    EXPECT_TRUE(none->bof());
    EXPECT_TRUE(none->eof());
    EXPECT_EQ(none->recordCount(), 0);
    EXPECT_EQ(errorOf([&] { none->moveFirst(); }), kv::db::errNoCurrentRecord);
}

TEST_F(Recordsets, DeletedRowStaysCurrentUntilTheNextMove)
{
    makeRecipes(4);
    auto rs = db->openRecordset("select * from rezepte order by rid");
    rs->moveNext();
    rs->deleteCurrent();
    EXPECT_EQ(errorOf([&] { rs->value("rid"); }), kv::db::errRecordDeleted);
    EXPECT_EQ(rs->recordCount(), 3);
    rs->moveNext();
    EXPECT_EQ(rs->value("rid").toInt(), 3);
    rs->movePrevious();
    EXPECT_EQ(rs->value("rid").toInt(), 1);

    // The delete-all loop of the recipe list: delete, move on, until the end.
    rs->moveFirst();
    int deleted = 0;
    while (!rs->eof()) {
        rs->deleteCurrent();
        rs->moveNext();
        ++deleted;
    }
    EXPECT_EQ(deleted, 3);
    EXPECT_EQ(db->recordCount("rezepte"), 0);
}

TEST_F(Recordsets, BookmarksAndClonesShareRowsButNotPosition)
{
    makeRecipes(6);
    auto rs = db->openRecordset("select rid, rname from rezepte order by rname");
    auto copy = rs->clone();
    copy->moveLast();
    EXPECT_EQ(rs->value("rid").toInt(), 1);
    const QVariant mark = copy->bookmark();
    rs->setBookmark(mark);
    EXPECT_EQ(rs->value("rid").toInt(), 6);

    copy->moveFirst();
    copy->moveNext();  // rid 2
    copy->deleteCurrent();
    EXPECT_EQ(rs->recordCount(), 5);
    EXPECT_EQ(rs->value("rid").toInt(), 6);  // its row moved up one place but stays current
    EXPECT_EQ(rs->absolutePosition(), 4);
    rs->moveFirst();
    rs->moveNext();
    EXPECT_EQ(rs->value("rid").toInt(), 3);
    EXPECT_EQ(errorOf([&] { rs->setBookmark(qlonglong(2)); }), kv::db::errRecordDeleted);
}

TEST_F(Recordsets, AddNewReadsTheAutoNumberBeforeUpdate)
{
    makeRecipes(3);
    auto rs = db->openRecordset("select * from rezepte order by rname");
    rs->moveNext();
    rs->addNew();
    const int rid = rs->value("rid").toInt();
    EXPECT_EQ(rid, 4);
    rs->setValue("rname", "Zwiebelkuchen");
    rs->setValue("port", "6");
    rs->update();
    EXPECT_EQ(rs->value("rid").toInt(), 2);  // back on the row that was current
    EXPECT_EQ(rs->lastModified().toInt(), rid);
    EXPECT_EQ(rs->recordCount(), 4);
    rs->moveLast();
    EXPECT_EQ(rs->value("rname").toString(), "Zwiebelkuchen");  // appended at the end
    EXPECT_EQ(scalar("SELECT port FROM rezepte WHERE rid=4").toInt(), 6);

    // Ids of deleted rows are never handed out again, not even the last one.
    rs->deleteCurrent();
    rs->addNew();
    EXPECT_EQ(rs->value("rid").toInt(), 5);
    rs->cancelUpdate();
    exec("INSERT INTO rezepte (rname) VALUES ('per SQL')");
    rs->addNew();
    EXPECT_GT(rs->value("rid").toInt(), scalar("SELECT max(rid) FROM rezepte").toInt());
    rs->update();

    // Two pending AddNews on one table get different ids.
    auto a = db->openRecordset("rezepte", RecordsetType::Table);
    auto b = db->openRecordset("rezepte", RecordsetType::Table);
    a->addNew();
    b->addNew();
    EXPECT_NE(a->value("rid"), b->value("rid"));
    a->update();
    b->update();
}

TEST_F(Recordsets, ExplicitIdIsKeptOnAddNew)
{
    exec("CREATE TABLE einheiten (eid INTEGER PRIMARY KEY AUTOINCREMENT, ename VARCHAR(20) COLLATE NOCASE_DE)");
    auto rs = db->openRecordset("einheiten", RecordsetType::Table);
    rs->addNew();
    rs->setValue("eid", 223);
    rs->setValue("ename", "TL");
    rs->update();
    rs->addNew();
    EXPECT_EQ(rs->value("eid").toInt(), 224);
    rs->update();
    rs->moveFirst();
    rs->edit();
    EXPECT_EQ(errorOf([&] { rs->setValue("eid", 1); }), kv::db::errFieldNotUpdatable);
}

TEST_F(Recordsets, EditStoresValuesAsTheFieldTypesDemand)
{
    exec("CREATE TABLE einheiten (eid INTEGER PRIMARY KEY AUTOINCREMENT, ename VARCHAR(20) COLLATE NOCASE_DE, "
         "mmunit BIT, mmorder BYTE, scaleup SINGLE, adat DATETIME)");
    exec("INSERT INTO einheiten (ename) VALUES ('g')");
    auto rs = db->openRecordset("select * from einheiten");
    EXPECT_EQ(errorOf([&] { rs->setValue("ename", "kg"); }), kv::db::errNotEditing);
    rs->edit();
    rs->setValue("ename", "123");
    rs->setValue("mmunit", true);
    rs->setValue("mmorder", 2.5);
    rs->setValue("scaleup", 1.0 / 3.0);
    rs->setValue("adat", QDate(2024, 3, 9));
    EXPECT_EQ(errorOf([&] { rs->setValue("mmorder", "viel"); }), kv::db::errTypeMismatch);
    EXPECT_EQ(errorOf([&] { rs->setValue("mmorder", 300); }), kv::db::errTypeMismatch);
    EXPECT_EQ(rs->value("ename").toString(), "123");  // the edit buffer shows what was set
    rs->update();

    EXPECT_EQ(scalar("SELECT typeof(ename) || typeof(mmunit) FROM einheiten").toString(), "textinteger");
    EXPECT_EQ(scalar("SELECT mmunit FROM einheiten").toInt(), 1);
    EXPECT_EQ(scalar("SELECT mmorder FROM einheiten").toInt(), 2);
    EXPECT_EQ(scalar("SELECT scaleup FROM einheiten").toDouble(), 0.33333334);
    EXPECT_EQ(scalar("SELECT adat FROM einheiten").toString(), "2024-03-09");
    EXPECT_EQ(rs->value("mmunit").typeId(), QMetaType::Bool);
    EXPECT_EQ(rs->value("scaleup").toDouble(), 0.33333334);
    EXPECT_EQ(count("SELECT count(*) FROM einheiten WHERE mmunit=true"), 1);

    auto readOnly = db->openRecordset("select * from einheiten", RecordsetType::Snapshot);
    EXPECT_FALSE(readOnly->updatable());
    EXPECT_EQ(errorOf([&] { readOnly->edit(); }), kv::db::errReadOnly);
}

TEST_F(Recordsets, FindsMoveOnlyWhenTheyMatch)
{
    makeRecipes(9);
    exec("UPDATE rezepte SET rname = 'Äpfel im Schlafrock' WHERE rid = 4");
    exec("UPDATE rezepte SET rname = 'Omas ''beste'' Suppe' WHERE rid = 7");
    auto rs = db->openRecordset("select rid,kid,port,rname,komid from rezepte order by rname;");
    EXPECT_TRUE(rs->findFirst("rname like 'ä*'"));
    EXPECT_EQ(rs->value("rid").toInt(), 4);
    EXPECT_TRUE(rs->findFirst("rname='" + kv::db::sqlEscape("OMAS 'BESTE' SUPPE") + "'"));
    EXPECT_EQ(rs->value("rid").toInt(), 7);

    rs->moveFirst();
    EXPECT_TRUE(rs->findFirst("kid=1"));
    const int first = rs->value("rid").toInt();
    EXPECT_TRUE(rs->findNext("kid=1"));
    EXPECT_GT(rs->absolutePosition(), 0);
    EXPECT_NE(rs->value("rid").toInt(), first);
    const qint64 at = rs->absolutePosition();
    EXPECT_FALSE(rs->findFirst("kid=1 and rname like 'x*'"));
    EXPECT_TRUE(rs->noMatch());
    EXPECT_EQ(rs->absolutePosition(), at);

    EXPECT_TRUE(rs->findLast("kid=1"));
    EXPECT_FALSE(rs->noMatch());
    const qint64 last = rs->absolutePosition();
    EXPECT_TRUE(rs->findPrevious("kid=1"));
    EXPECT_LT(rs->absolutePosition(), last);
    EXPECT_FALSE(rs->findNext("rid=4"));  // Äpfel sorts before the current row
    EXPECT_THROW(rs->findFirst("gibtsnicht=1"), DbError);
}

TEST_F(Recordsets, FindUsesTheColumnNamesOfTheQuery)
{
    exec("CREATE TABLE komment (komid LONG, komment VARCHAR(255) COLLATE NOCASE_DE)");
    exec("INSERT INTO komment VALUES (0, 'kein'), (3, 'lecker'), (5, 'scharf')");
    auto rs = db->openRecordset("select komid as kid,komment as kname from komment order by komment");
    EXPECT_TRUE(rs->findFirst("kid=5"));
    EXPECT_EQ(rs->value("kname").toString(), "scharf");
    rs->edit();
    rs->setValue("kname", "sehr scharf");  // an alias writes its column
    rs->update();
    EXPECT_EQ(scalar("SELECT komment FROM komment WHERE komid=5").toString(), "sehr scharf");
}

TEST_F(Recordsets, SeekFindsKeysInIndexOrder)
{
    exec("CREATE TABLE zutindex (zutid INTEGER PRIMARY KEY AUTOINCREMENT, zutat VARCHAR(255) COLLATE NOCASE_DE)");
    exec("INSERT INTO zutindex (zutat) VALUES ('Zucker'), ('äpfel'), ('Mehl'), ('Straße'), ('Äpfel')");
    db->createIndex("zutindex", kv::db::IndexDef{"zutat", {"zutat"}});
    auto rs = db->openRecordset("zutindex", RecordsetType::Table);
    EXPECT_EQ(rs->value("zutat").toString(), "Zucker");  // stored order without an index
    EXPECT_EQ(errorOf([&] { rs->seek("=", {"Mehl"}); }), kv::db::errNoCurrentIndex);

    rs->setIndex("zutat");
    EXPECT_EQ(rs->value("zutat").toString(), QString::fromUtf8("äpfel"));
    EXPECT_TRUE(rs->seek("=", {QString::fromUtf8("ÄPFEL")}));
    EXPECT_EQ(rs->value("zutid").toInt(), 2);  // the first of the equal keys
    EXPECT_TRUE(rs->seek("=", {"STRASSE"}));
    EXPECT_EQ(rs->value("zutid").toInt(), 4);
    EXPECT_FALSE(rs->seek("=", {"Salz"}));
    EXPECT_TRUE(rs->noMatch());
    EXPECT_EQ(rs->value("zutid").toInt(), 4);
    EXPECT_TRUE(rs->seek(">=", {"N"}));
    EXPECT_EQ(rs->value("zutat").toString(), QString::fromUtf8("Straße"));
    EXPECT_TRUE(rs->seek("<", {"N"}));
    EXPECT_EQ(rs->value("zutat").toString(), "Mehl");

    // A table recordset sees rows that SQL added after it was opened.
    exec("INSERT INTO zutindex (zutat) VALUES ('Salz')");
    EXPECT_TRUE(rs->seek("=", {"salz"}));
    EXPECT_EQ(rs->value("zutid").toInt(), 6);
    EXPECT_EQ(errorOf([&] { rs->setIndex("gibtsnicht"); }), kv::db::errItemNotFound);
}

TEST_F(Recordsets, SnapshotOfAJoinIsReadOnlyButNavigatesAndFinds)
{
    makeRecipes(10);
    exec("CREATE TABLE hauptkat (kid LONG, kname VARCHAR(50) COLLATE NOCASE_DE)");
    exec("INSERT INTO hauptkat VALUES (0, 'Alle'), (1, 'Suppen'), (2, 'Salate')");
    auto rs = db->openRecordset("SELECT rezepte.rid, rezepte.rname, hauptkat.kname FROM rezepte INNER JOIN hauptkat "
                                "ON rezepte.kid = hauptkat.kid ORDER BY rezepte.rid");
    EXPECT_EQ(rs->type(), RecordsetType::Snapshot);
    EXPECT_FALSE(rs->updatable());
    EXPECT_EQ(rs->recordCount(), 10);
    EXPECT_TRUE(rs->findFirst("kname='SALATE'"));
    EXPECT_EQ(rs->value("rid").toInt(), 2);
    EXPECT_TRUE(rs->findNext("kname like 's*' and rid > 2"));
    EXPECT_EQ(rs->value("rid").toInt(), 4);
    EXPECT_FALSE(rs->findNext("rid=1"));
    EXPECT_EQ(rs->value("rid").toInt(), 4);
    rs->moveLast();
    EXPECT_EQ(rs->value("rid").toInt(), 10);
    EXPECT_EQ(errorOf([&] { rs->deleteCurrent(); }), kv::db::errReadOnly);

    auto groups = db->openRecordset("select kid, count(*) as n from rezepte group by kid");
    EXPECT_EQ(groups->recordCount(), 3);
}

TEST_F(Recordsets, PendingSnapshotDoesNotBlockDroppingItsTable)
{
    makeRecipes(500);
    exec("CREATE TABLE hauptkat (kid LONG, kname VARCHAR(50) COLLATE NOCASE_DE)");
    exec("INSERT INTO hauptkat VALUES (0, 'a'), (1, 'b'), (2, 'c')");
    auto rs = db->openRecordset("select r.rid, k.kname from rezepte r, hauptkat k where r.kid = k.kid");
    rs->moveNext();
    exec("DROP TABLE hauptkat");
    rs->moveLast();
    EXPECT_EQ(rs->absolutePosition(), 499);
}

TEST_F(Recordsets, LargeKeysetReadsOnlyTheRowsLookedAt)
{
    makeRecipes(20000);
    auto rs = db->openRecordset("select rid,kid,port,rname,komid from rezepte order by rname;");
    EXPECT_EQ(rs->rowsFetched(), 0);
    EXPECT_EQ(rs->recordCount(), 20000);
    EXPECT_EQ(rs->valueAt(12345, 3).toString(), "Rezept 12346");
    EXPECT_LE(rs->rowsFetched(), 64);
    rs->moveLast();
    EXPECT_EQ(rs->value("rid").toInt(), 20000);
    EXPECT_LE(rs->rowsFetched(), 128);
    EXPECT_TRUE(rs->findFirst("rname like '*19999'"));
    EXPECT_EQ(rs->absolutePosition(), 19998);
}

TEST_F(Recordsets, ValuesChangedBySqlAreSeenAndRequeryReloads)
{
    makeRecipes(3);
    auto rs = db->openRecordset("select * from rezepte order by rid");
    EXPECT_EQ(rs->value("port").toInt(), 4);
    exec("UPDATE rezepte SET port = 2 WHERE rid = 1");
    EXPECT_EQ(rs->value("port").toInt(), 2);
    exec("INSERT INTO rezepte (rname) VALUES ('neu')");
    EXPECT_EQ(rs->recordCount(), 3);
    const auto before = rs->rowsVersion();
    rs->requery();
    EXPECT_EQ(rs->recordCount(), 4);
    EXPECT_NE(rs->rowsVersion(), before);
    exec("DELETE FROM rezepte WHERE rid = 2");
    rs->moveNext();
    EXPECT_FALSE(rs->value("rname").isValid());  // gone behind the recordset's back: reads as Null
}
