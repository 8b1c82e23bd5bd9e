#include "tests/platform/db/dbfixture.h"
#include "tests/support/testenv.h"

#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <sqlite3.h>

using kv::db::Database;
using kv::db::DbError;
using kv::test::DbTest;

namespace {

// What the user may not do, told to the layer in place of the permission bits: the tests
// run as root, whom the system lets read and write everything.
class Denied {
public:
    Denied(const QString& place, kv::paths::Access what)
    {
        kv::paths::setAccessCheck([place, what](const QString& path, kv::paths::Access access) -> std::optional<bool> {
            if (access == what && QDir::cleanPath(path).startsWith(QDir::cleanPath(place))) return false;
            return std::nullopt;
        });
    }
    ~Denied() { kv::paths::setAccessCheck({}); }
    Denied(const Denied&) = delete;
    Denied& operator=(const Denied&) = delete;
};

// Whether another process could take the file to itself right now.
bool otherProcessGetsTheFile(const QString& path)
{
    QProcess flock;
    flock.start(QStringLiteral("flock"), {QStringLiteral("-n"), QStringLiteral("-x"), path, QStringLiteral("true")});
    flock.waitForFinished();
    return flock.exitStatus() == QProcess::NormalExit && flock.exitCode() == 0;
}

}  // namespace

class DatabaseFile : public DbTest {};

class ReadOnlyPlace : public DbTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ReadOnlyPlace, FileOpensReadOnlyAndNothingIsWrittenInOrBesideIt)
{
    exec("CREATE TABLE rezepte (rid INTEGER PRIMARY KEY, rname VARCHAR(255) COLLATE NOCASE_DE)");
    exec("INSERT INTO rezepte VALUES (1, 'Suppe')");
    exec(QStringLiteral("PRAGMA journal_mode=%1").arg(QLatin1String(GetParam())));
    db->close();
    const QByteArray before = kv::test::fileBytes(path());
    const QStringList files = QDir(dirPath("")).entryList(QDir::Files);
    const Denied denied(dirPath(""), kv::paths::Access::Write);

    auto ro = Database::open(path());
    EXPECT_TRUE(ro->readOnly());
    EXPECT_EQ(ro->scalar("SELECT rname FROM rezepte").toString(), "Suppe");
    try {
        ro->execute("INSERT INTO rezepte VALUES (2, 'Kuchen')");
        FAIL() << "wrote to a file in a read-only place";
    } catch (const DbError& e) {
        EXPECT_EQ(e.number() & 0xFF, SQLITE_READONLY);
        EXPECT_TRUE(e.text().startsWith("Die Datenbank ist schreibgeschützt.")) << e.text().toStdString();
    }
    ro.reset();
    EXPECT_EQ(kv::test::fileBytes(path()), before);
    EXPECT_EQ(QDir(dirPath("")).entryList(QDir::Files), files);
}

INSTANTIATE_TEST_SUITE_P(JournalModes, ReadOnlyPlace, ::testing::Values("DELETE", "WAL"));

TEST_F(DatabaseFile, FileThatMayNotBeReadIsReportedAsNotOpenable)
{
    db->close();
    const Denied denied(path(), kv::paths::Access::Read);
    try {
        Database::open(path());
        FAIL() << "opened a file that may not be read";
    } catch (const DbError& e) {
        EXPECT_EQ(e.number() & 0xFF, SQLITE_CANTOPEN);
        EXPECT_TRUE(e.text().startsWith("Die Datenbankdatei kann nicht geöffnet werden.")) << e.text().toStdString();
    }
    DbError why(0, {});
    EXPECT_EQ(Database::openCandidate(path(), &why), nullptr);
    EXPECT_EQ(why.number() & 0xFF, SQLITE_CANTOPEN);
}

TEST_F(DatabaseFile, OpenFileHoldsEveryCommitAndIsSeenInUse)
{
    exec("CREATE TABLE t (x LONG)");
    db->close();
    auto open = Database::open(path());
    EXPECT_FALSE(otherProcessGetsTheFile(path()));
    open->execute("INSERT INTO t VALUES (42)");

    // A plain copy taken while the program has the file open holds the committed row.
    const QString copy = dirPath("kopie.mdb");
    ASSERT_TRUE(QFile::copy(path(), copy));
    EXPECT_EQ(Database::open(copy)->scalar("SELECT x FROM t").toInt(), 42);

    open->close();
    EXPECT_TRUE(otherProcessGetsTheFile(path()));
}

TEST_F(DatabaseFile, RepeatedKeysAreDroppedOnlyWhereAsked)
{
    exec("CREATE TABLE importdateien (did LONG PRIMARY KEY, dname VARCHAR(255) COLLATE NOCASE_DE)");
    exec("INSERT INTO importdateien VALUES (0, 'Alle')");
    try {
        exec("insert into importdateien (did,dname) select 0,'Alle';");
        FAIL() << "a repeated key was dropped silently";
    } catch (const DbError& e) {
        EXPECT_EQ(e.number() & 0xFF, SQLITE_CONSTRAINT);
        EXPECT_TRUE(e.text().startsWith("Die Änderung verletzt eine Regel der Datenbank")) << e.text().toStdString();
    }
    db->executeDroppingRepeatedKeys("insert into importdateien (did,dname) select 0,'Alle';");
    db->executeDroppingRepeatedKeys("insert into importdateien (did,dname) values (1,'neu.mmf')");
    EXPECT_EQ(count("SELECT count(*) FROM importdateien"), 2);
    EXPECT_THROW(db->executeDroppingRepeatedKeys("delete from importdateien"), DbError);
}

// Neither open nor the read-only look at a candidate creates a missing file or alters a
// text file; create refuses a file that is there.
TEST_F(DatabaseFile, MissingAndForeignFilesAreRefusedAndNeverCreatedOrAltered)
{
    const QString missing = dirPath("fehlt.mdb");
    try {
        Database::open(missing);
        FAIL() << "opened a missing file";
    } catch (const DbError& e) {
        EXPECT_EQ(e.number(), kv::db::errFileNotFound);
    }
    EXPECT_EQ(Database::openCandidate(missing), nullptr);
    EXPECT_FALSE(QFileInfo::exists(missing));

    const QString text = dirPath("liesmich.txt");
    const QByteArray content = QByteArray("Dies ist keine Datenbank, sondern ein Text.\n").repeated(40);
    kv::test::writeFileBytes(text, content);
    try {
        Database::open(text);
        FAIL() << "opened a text file";
    } catch (const DbError& e) {
        EXPECT_EQ(e.number() & 0xFF, SQLITE_NOTADB);
        EXPECT_FALSE(e.text().isEmpty());
    }
    EXPECT_EQ(Database::openCandidate(text), nullptr);
    EXPECT_EQ(kv::test::fileBytes(text), content);
    EXPECT_THROW(Database::create(path()), DbError);
}

TEST_F(DatabaseFile, CandidateIsReadOnlyAndLeavesNoLogFiles)
{
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

// A caller's text runs through execute, a Statement or scalar: each refuses an empty text
// and a second statement the same way, with the text, before anything of it runs.
TEST_F(DatabaseFile, EveryWayToRunACallersTextRefusesItAlike)
{
    exec("CREATE TABLE t (x LONG)");
    const std::vector<std::pair<const char*, std::function<void(const QString&)>>> runners = {
        {"execute", [&](const QString& sql) { db->execute(sql); }},
        {"execute with values", [&](const QString& sql) { db->execute(sql, {}); }},
        {"Statement",
         [&](const QString& sql) {
             kv::db::Statement st(*db, sql);
             while (st.step()) {
             }
         }},
        {"scalar", [&](const QString& sql) { db->scalar(sql); }},
    };
    const struct {
        const char* sql;
        int number;
        const char* text;
    } refused[] = {
        {"", SQLITE_MISUSE, "Leere SQL-Anweisung."},
        {" ; ", SQLITE_MISUSE, "Leere SQL-Anweisung."},
        {"INSERT INTO t VALUES (1); DELETE FROM t", SQLITE_MISUSE, "Nur eine SQL-Anweisung erlaubt."},
        {"INSERT INTO t VALUES (1);; -- nur ein Kommentar\nSELECT 1", SQLITE_MISUSE, "Nur eine SQL-Anweisung erlaubt."},
        {"INSERT INTO gibtsnicht VALUES (1)", SQLITE_ERROR, "Die Tabelle gibtsnicht gibt es"},
    };
    for (const auto& [name, run] : runners) {
        for (const auto& r : refused) {
            SCOPED_TRACE(std::string(name) + ": " + r.sql);
            const QString sql = QString::fromUtf8(r.sql);
            try {
                run(sql);
                ADD_FAILURE() << "not refused";
            } catch (const DbError& e) {
                EXPECT_EQ(e.number() & 0xff, r.number);
                EXPECT_TRUE(e.text().startsWith(QString::fromUtf8(r.text))) << e.text().toStdString();
                EXPECT_EQ(e.sql(), sql);
            }
            EXPECT_EQ(count("SELECT count(*) FROM t"), 0);
        }
        // Terminators after the one statement are no second one.
        run(QStringLiteral("INSERT INTO t VALUES (7) ; ;"));
        EXPECT_EQ(count("SELECT count(*) FROM t WHERE x = 7"), 1) << name;
        exec("DELETE FROM t");
    }
}

// A closed connection refuses every call that would reach the engine with the same error.
TEST_F(DatabaseFile, AClosedConnectionRefusesEveryCallAlike)
{
    auto other = Database::create(dirPath("anderes.mdb"));
    other->close();
    exec("CREATE TABLE t (x LONG)");
    db->close();
    const std::vector<std::pair<const char*, std::function<void()>>> calls = {
        {"execute", [&] { db->execute("DELETE FROM t"); }},
        {"Statement", [&] { kv::db::Statement st(*db, "SELECT 1"); }},
        {"scalar", [&] { db->scalar("SELECT 1"); }},
        {"openRecordset", [&] { db->openRecordset("t"); }},
        {"beginTrans", [&] { db->beginTrans(); }},
        {"commitTrans", [&] { db->commitTrans(); }},
        {"rollback", [&] { db->rollback(); }},
        {"attachForReading a closed one", [&] { Database::create(dirPath("drittes.mdb"))->attachForReading(*other, "o"); }},
    };
    for (const auto& [name, call] : calls) {
        SCOPED_TRACE(name);
        try {
            call();
            ADD_FAILURE() << "not refused";
        } catch (const DbError& e) {
            EXPECT_EQ(e.number(), kv::db::errObjectClosed);
            EXPECT_EQ(e.text(), QStringLiteral("Die Datenbank ist geschlossen."));
        }
    }
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

TEST_F(DatabaseFile, ByNameFindsTheConnectionUntilCloseClosesItAndItsRecordsets)
{
    makeRecipes(3);
    auto rs = db->openRecordset("select * from rezepte");
    auto table = db->openRecordset("rezepte", kv::db::RecordsetType::Table);
    QDir(dirPath("")).mkdir("sub");
    EXPECT_EQ(Database::byName(dirPath("sub/../kelvor-daten.mdb")), db.get());
    EXPECT_EQ(db->name(), QFileInfo(path()).absoluteFilePath());
    EXPECT_EQ(Database::byName(dirPath("anderes.mdb")), nullptr);
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

// What SQLite says goes to the user in a box: a German sentence first, SQLite's own code
// and words after it for whoever looks for the cause.
TEST_F(DatabaseFile, EveryEngineFailureIsToldInGerman)
{
    makeRecipes(3);
    const struct {
        const char* sql;
        int code;
        const char* sentence;
    } failures[] = {
        {"SELECT * FROM gibtsnicht", SQLITE_ERROR, "Die Tabelle gibtsnicht gibt es in der Datenbank nicht."},
        {"SELECT nix FROM rezepte", SQLITE_ERROR, "Die Spalte nix gibt es in der Datenbank nicht."},
        {"SELECT gibtsnicht(1)", SQLITE_ERROR, "Die Funktion gibtsnicht ist der Datenbank unbekannt."},
        {"SELEC 1", SQLITE_ERROR, "Die SQL-Anweisung ist fehlerhaft."},
        {"CREATE TABLE rezepte (x LONG)", SQLITE_ERROR, "Eine Tabelle oder ein Index dieses Namens ist schon vorhanden."},
        {"SELECT abs(-9223372036854775807 - 1)", SQLITE_ERROR, "Die Datenbank hat die Anweisung abgelehnt."},
        {"SELECT zeroblob(2000000000)", SQLITE_TOOBIG, "Ein Text oder Wert ist zu groß für die Datenbank"},
        {"INSERT INTO rezepte (rid, rname) VALUES (1, 'doppelt')", SQLITE_CONSTRAINT, "Die Änderung verletzt eine Regel"},
    };
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.sql);
        try {
            exec(QString::fromUtf8(failure.sql));
            ADD_FAILURE() << "no failure";
        } catch (const DbError& e) {
            EXPECT_EQ(e.number() & 0xff, failure.code);
            EXPECT_TRUE(e.text().startsWith(QString::fromUtf8(failure.sentence))) << e.text().toStdString();
            EXPECT_TRUE(e.text().contains(QStringLiteral("(SQLite %1: ").arg(e.number()))) << e.text().toStdString();
        }
    }
}
