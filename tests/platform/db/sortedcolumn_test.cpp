// A list filtered by like() on its sort column is answered from the column's values kept in
// memory. Each case compares the list with the rows SQLite gives for the same query, after
// the changes a kept copy could miss.

#include "tests/platform/db/dbfixture.h"

#include <QStringList>

#include <random>

using kv::db::Database;
using kv::test::DbTest;

namespace {

class SortedColumn : public DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        makeRecipes(0);
        exec(QStringLiteral("CREATE INDEX \"rezepte.rnam\" ON rezepte (rname)"));
    }

    void add(const QVariant& name) { db->execute(QStringLiteral("INSERT INTO rezepte (rname, kid) VALUES (?, 1)"), {name}); }

    // The list as the main window reads it, by its rowids.
    QList<qint64> listed(const QString& where)
    {
        auto rs = db->openRecordset(QStringLiteral("select rid,kid,port,rname,komid from rezepte where %1 order by rname;").arg(where));
        QList<qint64> rids;
        for (qint64 i = 0; i < rs->recordCount(); ++i) rids << rs->valueAt(i, 0).toLongLong();
        return rids;
    }

    // The same rows as SQLite gives them, like() called on every row.
    QList<qint64> bySqlite(const QString& where)
    {
        kv::db::Statement st(*db, QStringLiteral("select rezepte.rowid from rezepte where %1 order by rname").arg(where));
        QList<qint64> rids;
        while (st.step()) rids << st.int64(0);
        return rids;
    }

    void expectSame(const QString& where)
    {
        SCOPED_TRACE(where.toStdString());
        EXPECT_EQ(listed(where), bySqlite(where));
    }

    void expectListed(const QString& where, const QStringList& names)
    {
        SCOPED_TRACE(where.toStdString());
        QStringList got;
        for (qint64 rid : listed(where)) got << db->scalar(QStringLiteral("select rname from rezepte where rid=?"), {rid}).toString();
        EXPECT_EQ(got, names);
        EXPECT_EQ(listed(where), bySqlite(where));
    }
};

TEST_F(SortedColumn, FiltersAsLikeDoesInTheIndexOrder)
{
    const QStringList words = {"Lachs", "lachs", "LACHS", "Äpfel", "äpfel", "Apfel", "Soße", "Sosse", "SOSSE", "Grieß",
                               "Kräuter", "Torte", "mit", "Mit", "Omas", "é", "Crème", "Zwiebel", " ", "", "1/2", "50%",
                               "a_b", "[x]", "Straße"};
    std::mt19937 random(3);
    for (int i = 0; i < 600; ++i) {
        QString name;
        for (int w = int(random() % 4) + 1; w > 0; --w) name += words[random() % words.size()] + u' ';
        add(i % 7 == 0 ? name.trimmed() : name);
        if (i % 50 == 0) add(QVariant());        // no name
        if (i % 80 == 0) add(qlonglong(i));      // a number where a name belongs
        if (i % 90 == 0) add(QStringLiteral("Lachs "));  // the same name more than once
    }
    const QStringList patterns = {"*lachs*", "lachs*", "*lachs", "Lachs ", "*äpfel*", "*ÄPFEL*", "*apfel*", "*sosse*",
                                  "*soße*", "*ss*", "*ß*", "*grie?*", "*[a-c]*", "*[!a-z]*", "*#*", "*", "**", "",
                                  "*1/2*", "*50%*", "*a_b*", "*[x]*", "*e*e*e*", "?", "*80*", "*crème*", "*creme*",
                                  "*é*", "*' '*"};
    for (const QString& p : patterns) {
        QString quoted = p;
        quoted.replace(u'\'', QStringLiteral("''"));
        expectSame(QStringLiteral("rname like '%1'").arg(quoted));
    }
    // Conditions on the same column combine; a condition on another column goes to SQLite.
    expectSame(QStringLiteral("rname like '*lachs*' and rname like '*torte*'"));
    expectSame(QStringLiteral("rname like '*a*' and rezepte.rname like '*e*' and rname like '*i*'"));
    expectSame(QStringLiteral("kid=1 and rname like '*lachs*'"));
    expectSame(QStringLiteral("rname like '*lachs*' or rname like '*torte*'"));
    // The old engine's like knows no % or _: they match only themselves.
    EXPECT_TRUE(listed(QStringLiteral("rname like '%'")).isEmpty());
}

TEST_F(SortedColumn, EveryChangeToTheTableIsSeen)
{
    for (const char* name : {"Lachsforelle", "Lachs in Blätterteig", "Fischterrine mit Lachs", "Apfelkuchen"}) add(QString::fromUtf8(name));
    const QString lachs = QStringLiteral("rname like '*lachs*'");
    expectListed(lachs, {"Fischterrine mit Lachs", "Lachs in Blätterteig", "Lachsforelle"});

    // Rows the search history or a recipe's lines take change nothing here.
    exec(QStringLiteral("CREATE TABLE letztsuch (sid INTEGER PRIMARY KEY, stext VARCHAR(255))"));
    exec(QStringLiteral("INSERT INTO letztsuch (stext) VALUES ('Gericht : lachs')"));
    expectListed(lachs, {"Fischterrine mit Lachs", "Lachs in Blätterteig", "Lachsforelle"});

    exec(QStringLiteral("UPDATE rezepte SET rname='Apfellachs' WHERE rname='Apfelkuchen'"));
    expectListed(lachs, {"Apfellachs", "Fischterrine mit Lachs", "Lachs in Blätterteig", "Lachsforelle"});
    exec(QStringLiteral("UPDATE rezepte SET port=2"));  // a column the list does not filter by
    expectListed(lachs, {"Apfellachs", "Fischterrine mit Lachs", "Lachs in Blätterteig", "Lachsforelle"});
    add(QStringLiteral("Zander statt Lachs"));
    expectListed(lachs, {"Apfellachs", "Fischterrine mit Lachs", "Lachs in Blätterteig", "Lachsforelle", "Zander statt Lachs"});
    exec(QStringLiteral("DELETE FROM rezepte WHERE rname LIKE 'lachs*'"));
    expectListed(lachs, {"Apfellachs", "Fischterrine mit Lachs", "Zander statt Lachs"});

    // Emptied at one stroke (SQLite drops the rows without naming them), then filled again
    // under the same row numbers.
    exec(QStringLiteral("DELETE FROM rezepte"));
    exec(QStringLiteral("DELETE FROM sqlite_sequence"));
    expectListed(lachs, {});
    add(QStringLiteral("Lachs vom Grill"));
    expectListed(lachs, {"Lachs vom Grill"});
    exec(QStringLiteral("DELETE FROM rezepte"));
    exec(QStringLiteral("DELETE FROM sqlite_sequence"));
    add(QStringLiteral("Hecht vom Grill"));
    expectListed(lachs, {});

    // A row replaced through a conflict of its key.
    exec(QStringLiteral("INSERT OR REPLACE INTO rezepte (rid, rname) VALUES (1, 'Lachs auf Hecht')"));
    expectListed(lachs, {"Lachs auf Hecht"});
}

TEST_F(SortedColumn, ChangesTakenBackTheSchemaAndOtherConnectionsAreSeen)
{
    for (const char* name : {"Lachsforelle", "Apfelkuchen", "Lachsbrötchen"}) add(QString::fromUtf8(name));
    const QString lachs = QStringLiteral("rname like '*lachs*'");
    expectListed(lachs, {"Lachsbrötchen", "Lachsforelle"});

    // Inside a transaction the list is SQLite's; what is taken back is gone again after.
    {
        kv::db::Transaction tx(*db);
        exec(QStringLiteral("UPDATE rezepte SET rname='Lachskuchen' WHERE rname='Apfelkuchen'"));
        expectListed(lachs, {"Lachsbrötchen", "Lachsforelle", "Lachskuchen"});
    }
    expectListed(lachs, {"Lachsbrötchen", "Lachsforelle"});

    // Another connection's commit.
    {
        auto other = Database::open(path());
        other->execute(QStringLiteral("INSERT INTO rezepte (rname) VALUES ('Räucherlachs')"));
    }
    expectListed(lachs, {"Lachsbrötchen", "Lachsforelle", "Räucherlachs"});

    // Without the index SQLite sorts the rows itself; with it again, it reads the index.
    exec(QStringLiteral("DROP INDEX \"rezepte.rnam\""));
    add(QStringLiteral("LACHS"));
    expectListed(lachs, {"LACHS", "Lachsbrötchen", "Lachsforelle", "Räucherlachs"});
    exec(QStringLiteral("CREATE INDEX \"rezepte.rnam\" ON rezepte (rname)"));
    expectListed(lachs, {"LACHS", "Lachsbrötchen", "Lachsforelle", "Räucherlachs"});

    // Names the collation holds equal come in the order of the index SQLite reads: an index
    // of the same name built the other way round gives them the other way round.
    for (const char* name : {"lachs", "Lachs"}) add(QString::fromUtf8(name));
    const QList<qint64> before = listed(lachs);
    exec(QStringLiteral("DROP INDEX \"rezepte.rnam\""));
    exec(QStringLiteral("CREATE INDEX \"rezepte.rnam\" ON rezepte (rname DESC)"));
    const QList<qint64> after = listed(lachs);
    EXPECT_EQ(after, bySqlite(lachs));
    EXPECT_NE(after, before);

    // A temporary table of the same name, empty, hides the cookbook's.
    exec(QStringLiteral("CREATE TEMP TABLE rezepte (rid INTEGER PRIMARY KEY, rname VARCHAR(255) COLLATE NOCASE_DE, "
                        "kid LONG, port LONG, komid LONG)"));
    exec(QStringLiteral("CREATE INDEX temp.rnam ON rezepte (rname)"));
    EXPECT_EQ(bySqlite(lachs), QList<qint64>{});
    EXPECT_EQ(listed(lachs), QList<qint64>{});
}

// Rows a trigger or a foreign key changes are seen as any others, also a table a trigger
// empties at one stroke.
TEST_F(SortedColumn, ChangesMadeByTriggersAndForeignKeysAreSeen)
{
    for (const char* name : {"Lachsforelle", "Apfelkuchen"}) add(QString::fromUtf8(name));
    const QString lachs = QStringLiteral("rname like '*lachs*'");
    expectListed(lachs, {"Lachsforelle"});
    exec(QStringLiteral("CREATE TABLE protokoll (n INTEGER)"));
    exec(QStringLiteral("CREATE TEMP TRIGGER mehr AFTER INSERT ON protokoll BEGIN "
                        "INSERT INTO protokoll SELECT NULL FROM (SELECT 1 UNION ALL SELECT 2) WHERE new.n IS NOT NULL; END"));
    expectListed(lachs, {"Lachsforelle"});
    exec(QStringLiteral("DELETE FROM rezepte"));
    exec(QStringLiteral("INSERT INTO protokoll VALUES (1)"));
    expectListed(lachs, {});
    // A trigger that empties the table.
    exec(QStringLiteral("CREATE TEMP TRIGGER leeren AFTER INSERT ON protokoll BEGIN DELETE FROM rezepte; END"));
    add(QStringLiteral("Lachs"));
    expectListed(lachs, {"Lachs"});
    exec(QStringLiteral("INSERT INTO protokoll VALUES (2)"));
    expectListed(lachs, {});
    exec(QStringLiteral("DROP TRIGGER leeren"));
    exec(QStringLiteral("DROP TRIGGER mehr"));
    add(QStringLiteral("Lachs"));
    expectListed(lachs, {"Lachs"});

    exec(QStringLiteral("PRAGMA foreign_keys=ON"));
    exec(QStringLiteral("CREATE TABLE zutaten (rid INTEGER REFERENCES rezepte(rid) ON UPDATE CASCADE, n INTEGER)"));
    exec(QStringLiteral("DELETE FROM rezepte"));
    expectListed(lachs, {});
}

}  // namespace
