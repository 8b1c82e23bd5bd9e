#include "tests/platform/db/dbfixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using kv::db::Database;
using kv::db::DbError;
using kv::test::DbTest;

namespace {

void writeFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

}  // namespace

class DatabaseFile : public DbTest {};

TEST_F(DatabaseFile, OpenRefusesMissingAndForeignFiles)
{
    const QString missing = dirPath("fehlt.mdb");
    try {
        Database::open(missing);
        FAIL() << "opened a missing file";
    } catch (const DbError& e) {
        EXPECT_EQ(e.number(), kv::db::errFileNotFound);
    }
    EXPECT_FALSE(QFileInfo::exists(missing));

    const QString text = dirPath("liesmich.txt");
    writeFile(text, QByteArray("Dies ist keine Datenbank, sondern ein Text mit genug Zeichen.\n").repeated(20));
    try {
        Database::open(text);
        FAIL() << "opened a text file";
    } catch (const DbError& e) {
        EXPECT_EQ(e.number() & 0xFF, 26);  // SQLITE_NOTADB
        EXPECT_FALSE(e.text().isEmpty());
    }
}

TEST_F(DatabaseFile, CandidateIsReadOnlyAndNeverCreatesOrAltersAFile)
{
    const QString missing = dirPath("fehlt.mdb");
    EXPECT_EQ(Database::openCandidate(missing), nullptr);
    EXPECT_FALSE(QFileInfo::exists(missing));

    const QString text = dirPath("liesmich.txt");
    const QByteArray content = QByteArray("kein SQLite, nur Text\n").repeated(40);
    writeFile(text, content);
    EXPECT_EQ(Database::openCandidate(text), nullptr);
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), content);

    exec("CREATE TABLE kochbuchname (bname VARCHAR(50) COLLATE NOCASE_DE)");
    auto candidate = Database::openCandidate(path());
    ASSERT_NE(candidate, nullptr);
    EXPECT_TRUE(candidate->readOnly());
    EXPECT_TRUE(candidate->hasTable("KochbuchName"));
    EXPECT_THROW(candidate->execute("INSERT INTO kochbuchname VALUES ('x')"), DbError);

    // A cookbook nobody has open is read without leaving log files behind.
    candidate.reset();
    db->close();
    auto quiet = Database::openCandidate(path());
    ASSERT_NE(quiet, nullptr);
    EXPECT_TRUE(quiet->hasTable("kochbuchname"));
    quiet.reset();
    EXPECT_FALSE(QFileInfo::exists(path() + "-wal"));
    EXPECT_FALSE(QFileInfo::exists(path() + "-shm"));
}

TEST_F(DatabaseFile, CreateRefusesAnExistingFile)
{
    EXPECT_THROW(Database::create(path()), DbError);
}

TEST_F(DatabaseFile, WritableConnectionsUseTheRollbackJournalWithFullSync)
{
    EXPECT_EQ(scalar("PRAGMA journal_mode").toString(), "delete");
    EXPECT_EQ(scalar("PRAGMA synchronous").toInt(), 2);
    // A file left in WAL mode goes back to the journal when it is opened for writing.
    exec("PRAGMA journal_mode=WAL");
    exec("CREATE TABLE t (x LONG)");
    db->close();
    auto again = Database::open(path());
    EXPECT_EQ(again->scalar("PRAGMA journal_mode").toString(), "delete");
    EXPECT_EQ(again->scalar("PRAGMA synchronous").toInt(), 2);
    EXPECT_TRUE(again->hasTable("t"));
    EXPECT_FALSE(QFileInfo::exists(path() + "-wal"));
}

TEST_F(DatabaseFile, ExecuteRunsExactlyOneStatementAndReportsFailures)
{
    exec("CREATE TABLE t (x LONG)");
    EXPECT_THROW(exec("INSERT INTO t VALUES (1); DROP TABLE t"), DbError);
    EXPECT_TRUE(db->hasTable("t"));
    EXPECT_EQ(count("SELECT count(*) FROM t"), 0);

    exec("INSERT INTO t VALUES (1);");
    exec("INSERT INTO t SELECT x + 1 FROM t");
    exec("UPDATE t SET x = x * 10");
    EXPECT_EQ(db->changes(), 2);

    const QString bad = "DELETE FROM gibtsnicht WHERE x=1";
    try {
        exec(bad);
        FAIL();
    } catch (const DbError& e) {
        EXPECT_EQ(e.sql(), bad);
        EXPECT_TRUE(e.text().contains("gibtsnicht"));
    }
    EXPECT_FALSE(scalar("SELECT x FROM t WHERE x > 100").isValid());
}

TEST_F(DatabaseFile, NestedTransactionsAreSavepoints)
{
    exec("CREATE TABLE t (x LONG)");
    db->beginTrans();
    exec("INSERT INTO t VALUES (1)");
    db->beginTrans();
    exec("INSERT INTO t VALUES (2)");
    db->rollback();
    db->beginTrans();
    exec("INSERT INTO t VALUES (3)");
    db->commitTrans();
    EXPECT_TRUE(db->inTransaction());
    db->commitTrans();
    EXPECT_FALSE(db->inTransaction());
    EXPECT_EQ(scalar("SELECT group_concat(x) FROM t").toString(), "1,3");
    EXPECT_THROW(db->commitTrans(), DbError);

    {
        kv::db::Transaction tx(*db);
        exec("INSERT INTO t VALUES (4)");
    }
    EXPECT_EQ(count("SELECT count(*) FROM t WHERE x = 4"), 0);

    // A transaction begun in SQL is nested into the same way.
    exec("BEGIN");
    db->beginTrans();
    exec("INSERT INTO t VALUES (5)");
    db->rollback();
    exec("INSERT INTO t VALUES (6)");
    exec("COMMIT");
    EXPECT_EQ(scalar("SELECT group_concat(x) FROM t").toString(), "1,3,6");
}

TEST_F(DatabaseFile, CloseClosesRecordsetsAndForgetsTheName)
{
    makeRecipes(3);
    auto rs = db->openRecordset("select * from rezepte");
    auto table = db->openRecordset("rezepte", kv::db::RecordsetType::Table);
    EXPECT_EQ(Database::byName(path()), db.get());
    db->close();
    EXPECT_FALSE(rs->isOpen());
    EXPECT_FALSE(table->isOpen());
    try {
        rs->moveNext();
        FAIL();
    } catch (const DbError& e) {
        EXPECT_EQ(e.number(), kv::db::errObjectClosed);
    }
    EXPECT_EQ(Database::byName(path()), nullptr);
    rs.reset();  // destroying a closed recordset after its database is harmless
}

TEST_F(DatabaseFile, ByNameFindsTheConnectionUnderAnySpellingOfItsPath)
{
    QDir(dirPath("")).mkdir("sub");
    const QString roundabout = dirPath("sub/../kelvor-daten.mdb");
    EXPECT_EQ(Database::byName(roundabout), db.get());
    EXPECT_EQ(db->name(), QFileInfo(path()).absoluteFilePath());
    EXPECT_EQ(Database::byName(dirPath("anderes.mdb")), nullptr);
}

TEST_F(DatabaseFile, CompactIntoWritesACompleteCopy)
{
    makeRecipes(50);
    exec("DELETE FROM rezepte WHERE rid > 10");
    const QString copy = path() + ".tmp";
    db->compactInto(copy);
    EXPECT_THROW(db->compactInto(copy), DbError);
    auto other = Database::open(copy);
    EXPECT_EQ(other->recordCount("rezepte"), 10);
    EXPECT_EQ(other->scalar("SELECT seq FROM sqlite_sequence WHERE name='rezepte'").toInt(), 50);
}

TEST_F(DatabaseFile, AttachedFileIsReadable)
{
    auto second = Database::create(dirPath("druck.mdb"));
    second->execute("CREATE TABLE choices (cid LONG, cname VARCHAR(50) COLLATE NOCASE_DE)");
    second->execute("INSERT INTO choices VALUES (0, 'aktuelle Einstellungen')");
    second->close();
    db->attach(dirPath("druck.mdb"), "druck");
    EXPECT_EQ(scalar("SELECT cname FROM druck.choices WHERE cid=0").toString(), "aktuelle Einstellungen");
    db->detach("druck");
    EXPECT_THROW(scalar("SELECT cname FROM druck.choices"), DbError);
}

TEST(SqlQuote, DoublesSingleQuotes)
{
    EXPECT_EQ(kv::db::sqlQuote("Omas 'beste' Suppe"), "'Omas ''beste'' Suppe'");
    EXPECT_EQ(kv::db::sqlEscape("it's"), "it''s");
}
