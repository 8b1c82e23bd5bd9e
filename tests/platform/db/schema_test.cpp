#include "tests/platform/db/dbfixture.h"

#include <functional>
#include <utility>
#include <vector>

using kv::db::DbError;
using kv::db::FieldDef;
using kv::db::FieldType;
using kv::db::IndexDef;
using kv::test::DbTest;

namespace {

const IndexDef* findIndex(const std::vector<IndexDef>& list, const QString& name)
{
    for (const auto& i : list)
        if (i.name == name) return &i;
    return nullptr;
}

}  // namespace

class Schema : public DbTest {};

TEST_F(Schema, FieldsReportTheTypesOfTheConventions)
{
    exec("CREATE TABLE importdateien (did INTEGER PRIMARY KEY AUTOINCREMENT, dname VARCHAR(255) COLLATE NOCASE_DE, "
         "\"check\" BIT, mmorder BYTE, nr SMALLINT, sprache LONG, scaleup SINGLE, menge DOUBLE, preis CURRENCY, "
         "adat DATETIME, alt VARCHAR(2) COLLATE NOCASE_DE, men VARCHAR(20) COLLATE NOCASE_DE CHECK (\"men\" <> ''), "
         "mbesch LONGTEXT COLLATE NOCASE_DE)");
    const auto f = db->fields("importdateien");
    ASSERT_EQ(f.size(), 13u);
    EXPECT_EQ(f[0].type, FieldType::Long);
    EXPECT_EQ(f[0].attributes, 17);
    EXPECT_EQ(f[1].type, FieldType::Text);
    EXPECT_EQ(f[1].size, 255);
    EXPECT_TRUE(f[1].allowZeroLength);
    EXPECT_EQ(f[2].type, FieldType::Boolean);
    EXPECT_EQ(f[3].type, FieldType::Byte);
    EXPECT_EQ(f[4].type, FieldType::Integer);
    EXPECT_EQ(f[5].type, FieldType::Long);
    EXPECT_EQ(f[5].attributes, kv::db::dbFixedField);
    EXPECT_EQ(f[6].type, FieldType::Single);
    EXPECT_EQ(f[7].type, FieldType::Double);
    EXPECT_EQ(f[8].type, FieldType::Currency);
    EXPECT_EQ(f[9].type, FieldType::Date);
    EXPECT_EQ(f[10].size, 2);
    EXPECT_FALSE(f[11].allowZeroLength);
    EXPECT_EQ(f[12].type, FieldType::Memo);
    EXPECT_EQ(db->field("IMPORTDATEIEN", "DName")->name, "dname");
    EXPECT_FALSE(db->field("importdateien", "gibtsnicht"));
}

TEST_F(Schema, CreatedTablesFollowTheConventions)
{
    db->createTable("umlaute", {FieldDef{"alt", FieldType::Text, 3}, FieldDef{"neu", FieldType::Text, 1},
                                FieldDef{"id", FieldType::Long, 4, kv::db::dbAutoIncrField | kv::db::dbFixedField},
                                FieldDef{"pflicht", FieldType::Text, 0, kv::db::dbVariableField, false}});
    const auto f = db->fields("umlaute");
    EXPECT_EQ(f[0].size, 3);
    EXPECT_EQ(f[2].attributes, 17);
    EXPECT_EQ(f[3].size, 255);
    EXPECT_FALSE(f[3].allowZeroLength);
    exec("INSERT INTO umlaute (alt, pflicht) VALUES ('AE', 'x')");
    EXPECT_EQ(count("SELECT count(*) FROM umlaute WHERE alt='ae'"), 1);
    EXPECT_THROW(exec("INSERT INTO umlaute (alt, pflicht) VALUES ('x', '')"), DbError);

    db->appendField("umlaute", FieldDef{"alttext", FieldType::Text, 15});
    EXPECT_EQ(db->field("umlaute", "alttext")->size, 15);
    EXPECT_TRUE(db->tableNames().contains("umlaute"));
    EXPECT_FALSE(db->tableNames().contains("sqlite_sequence"));
}

TEST_F(Schema, IndexNamesArePerTable)
{
    exec("CREATE TABLE zutindex (zutid INTEGER PRIMARY KEY AUTOINCREMENT, zutat VARCHAR(255) COLLATE NOCASE_DE)");
    exec("CREATE TABLE zutimp (zutat VARCHAR(255) COLLATE NOCASE_DE UNIQUE, zutid LONG)");
    EXPECT_EQ(db->indexCount("zutindex"), 0);  // the AutoNumber key is no index of its own
    EXPECT_EQ(db->indexCount("zutimp"), 0);    // nor is SQLite's automatic one

    db->createIndex("zutindex", IndexDef{"zutat", {"zutat"}});
    db->createIndex("zutimp", IndexDef{"zutat", {"zutat"}});
    db->createIndex("zutindex", IndexDef{"PrimaryKey", {"zutid"}, true});
    EXPECT_THROW(db->createIndex("zutindex", IndexDef{"ZUTAT", {"zutid"}}), DbError);
    EXPECT_THROW(db->createIndex("zutindex", IndexDef{"zweiter", {"zutat"}, true}), DbError);

    const auto idx = db->indexes("zutindex");
    ASSERT_EQ(idx.size(), 2u);
    const IndexDef* primary = findIndex(idx, "PrimaryKey");
    ASSERT_NE(primary, nullptr);
    EXPECT_TRUE(primary->primary);
    EXPECT_TRUE(primary->unique);
    const IndexDef* zutat = findIndex(idx, "zutat");
    ASSERT_NE(zutat, nullptr);
    EXPECT_FALSE(zutat->unique);
    EXPECT_EQ(zutat->fields, QStringList{"zutat"});

    db->deleteIndex("zutimp", "zutat");
    EXPECT_EQ(db->indexCount("zutimp"), 0);
    EXPECT_EQ(db->indexCount("zutindex"), 2);
    EXPECT_THROW(db->deleteIndex("zutimp", "zutat"), DbError);
}

TEST_F(Schema, PrimaryIndexOnDuplicateKeysFailsWithoutTrace)
{
    exec("CREATE TABLE hauptkat (kid LONG, kname VARCHAR(50) COLLATE NOCASE_DE)");
    exec("INSERT INTO hauptkat VALUES (1, 'Suppen'), (1, 'Salate')");
    EXPECT_THROW(db->createIndex("hauptkat", IndexDef{"PrimaryKey", {"kid"}, true}), DbError);
    EXPECT_EQ(db->indexCount("hauptkat"), 0);
    EXPECT_EQ(db->recordCount("hauptkat"), 2);
}

TEST_F(Schema, DeletingAnIndexedFieldRebuildsTheTableKeepingRowsAndOtherIndexes)
{
    exec("CREATE TABLE [rep-korbliste] (id INTEGER PRIMARY KEY AUTOINCREMENT, rid LONG, tid LONG, nr BYTE, "
         "zname VARCHAR(255) COLLATE NOCASE_DE)");
    exec("INSERT INTO [rep-korbliste] (rid, tid, nr, zname) VALUES (7, 1, 1, 'Mehl'), (7, 1, 2, 'Salz'), (8, 1, 1, 'Ei')");
    exec("DELETE FROM [rep-korbliste] WHERE zname = 'Ei'");
    db->createIndex("rep-korbliste", IndexDef{"PrimaryKey", {"rid", "tid", "nr"}, true});
    db->createIndex("rep-korbliste", IndexDef{"zn", {"zname"}});

    db->deleteField("rep-korbliste", "nr");

    EXPECT_FALSE(db->field("rep-korbliste", "nr"));
    EXPECT_EQ(db->recordCount("rep-korbliste"), 2);
    EXPECT_EQ(scalar("SELECT group_concat(zname) FROM (SELECT zname FROM [rep-korbliste] ORDER BY id)").toString(), "Mehl,Salz");
    const auto idx = db->indexes("rep-korbliste");
    ASSERT_EQ(idx.size(), 1u);
    EXPECT_EQ(idx[0].name, "zn");
    EXPECT_EQ(db->field("rep-korbliste", "id")->attributes, 17);
    exec("INSERT INTO [rep-korbliste] (rid, zname) VALUES (9, 'neu')");
    EXPECT_EQ(scalar("SELECT id FROM [rep-korbliste] WHERE zname='neu'").toInt(), 4);  // 3 was used before

    db->deleteField("rep-korbliste", "tid");  // plain column: SQLite drops it itself
    EXPECT_EQ(db->fields("rep-korbliste").size(), 3u);
    EXPECT_THROW(db->deleteField("rep-korbliste", "gibtsnicht"), DbError);
}

TEST_F(Schema, AllowZeroLengthIsSwitchedByRebuildingTheTable)
{
    exec("CREATE TABLE editzutat (nr LONG, men VARCHAR(20) COLLATE NOCASE_DE CHECK (\"men\" <> ''), "
         "ename VARCHAR(20) COLLATE NOCASE_DE CHECK (\"ename\" <> ''), zut VARCHAR(255) COLLATE NOCASE_DE)");
    db->createIndex("editzutat", IndexDef{"nr", {"nr"}});
    exec("INSERT INTO editzutat VALUES (1, '1/2', 'TL', 'Salz')");
    const qint64 rowid = scalar("SELECT rowid FROM editzutat").toLongLong();
    EXPECT_THROW(exec("INSERT INTO editzutat VALUES (2, '', 'g', 'Mehl')"), DbError);

    db->setAllowZeroLength("editzutat", "men", true);

    EXPECT_TRUE(db->field("editzutat", "men")->allowZeroLength);
    EXPECT_FALSE(db->field("editzutat", "ename")->allowZeroLength);
    exec("INSERT INTO editzutat VALUES (2, '', 'g', 'Mehl')");
    EXPECT_EQ(scalar("SELECT rowid FROM editzutat WHERE nr=1").toLongLong(), rowid);
    EXPECT_EQ(db->indexCount("editzutat"), 1);
    EXPECT_EQ(count("SELECT count(*) FROM editzutat WHERE zut='SALZ'"), 1);  // collation kept

    // Forbidding empty text again fails on the row holding one, and changes nothing.
    EXPECT_THROW(db->setAllowZeroLength("editzutat", "men", false), DbError);
    EXPECT_TRUE(db->field("editzutat", "men")->allowZeroLength);
    EXPECT_EQ(db->recordCount("editzutat"), 2);
    EXPECT_FALSE(db->inTransaction());

    // Inside a transaction the rebuild is a savepoint: the caller's rollback undoes it.
    db->beginTrans();
    db->setAllowZeroLength("editzutat", "ename", true);
    EXPECT_TRUE(db->field("editzutat", "ename")->allowZeroLength);
    db->rollback();
    EXPECT_FALSE(db->field("editzutat", "ename")->allowZeroLength);
    EXPECT_EQ(db->recordCount("editzutat"), 2);
}

TEST_F(Schema, RenamedTableKeepsItsIndexes)
{
    db->createTable("importdateien1", {FieldDef{"did", FieldType::Long, 4}, FieldDef{"dname", FieldType::Text, 255},
                                       FieldDef{"check", FieldType::Boolean, 1}});
    db->createIndex("importdateien1", IndexDef{"PrimaryKey", {"did"}, true});
    exec("INSERT INTO importdateien1 (did, dname, \"check\") SELECT 0, 'Alle', 0");
    db->renameTable("importdateien1", "importdateien");
    EXPECT_FALSE(db->hasTable("importdateien1"));
    const auto idx = db->indexes("importdateien");
    ASSERT_EQ(idx.size(), 1u);
    EXPECT_EQ(idx[0].name, "PrimaryKey");
    EXPECT_TRUE(idx[0].primary);
    EXPECT_EQ(db->recordCount("importdateien"), 1);
    db->deleteTable("importdateien");
    EXPECT_FALSE(db->hasTable("importdateien"));
}

// The schema calls find a table in any spelling and work on it as stored; one that is not
// there is named in the same error by each.
TEST_F(Schema, TablesAreFoundInAnySpellingAndAMissingOneIsNamed)
{
    exec("CREATE TABLE Rezepte (rid INTEGER PRIMARY KEY AUTOINCREMENT, rname VARCHAR(50) COLLATE NOCASE_DE)");
    EXPECT_EQ(db->fields("REZEPTE").size(), 2u);
    db->appendField("rezepte", FieldDef{"port", FieldType::Long});
    db->createIndex("rezepte", IndexDef{"rname", {"rname"}});
    db->deleteField("REZEPTE", "port");
    EXPECT_EQ(db->fields("Rezepte").size(), 2u);
    EXPECT_EQ(scalar("select name from sqlite_master where type='table' and name like 'rezepte'").toString(), "Rezepte");
    EXPECT_EQ(db->indexCount("rezepte"), 1);

    const std::vector<std::pair<const char*, std::function<void()>>> calls = {
        {"fields", [&] { db->fields("gibtsnicht"); }},
        {"appendField", [&] { db->appendField("gibtsnicht", FieldDef{"x", FieldType::Long}); }},
        {"deleteField", [&] { db->deleteField("gibtsnicht", "x"); }},
        {"setAllowZeroLength", [&] { db->setAllowZeroLength("gibtsnicht", "x", false); }},
    };
    for (const auto& [name, call] : calls) {
        SCOPED_TRACE(name);
        try {
            call();
            ADD_FAILURE() << "no failure";
        } catch (const DbError& e) {
            EXPECT_EQ(e.number(), kv::db::errTableNotFound);
            EXPECT_EQ(e.text(), QStringLiteral("Tabelle 'gibtsnicht' nicht gefunden."));
        }
    }
}
