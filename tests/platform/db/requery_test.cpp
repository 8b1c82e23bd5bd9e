// A list read again after changes: its rows are kept only when nothing it reads has
// changed, so after each kind of change the list equals the rows SQLite gives anew.

#include "tests/platform/db/dbfixture.h"

#include <functional>

using kv::db::Database;
using kv::test::DbTest;

namespace {

class Requery : public DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        makeRecipes(40);
        exec(QStringLiteral("CREATE INDEX \"rezepte.rnam\" ON rezepte (rname)"));
        exec(QStringLiteral("CREATE TABLE zutaten (rid LONG, zutid LONG)"));
        exec(QStringLiteral("INSERT INTO zutaten SELECT rid, rid % 5 FROM rezepte"));
        exec(QStringLiteral("CREATE TABLE letztsuch (sid INTEGER PRIMARY KEY, stext VARCHAR(255))"));
    }

    static QList<qint64> rowsOf(kv::db::Recordset& rs)
    {
        QList<qint64> rids;
        for (qint64 i = 0; i < rs.recordCount(); ++i) rids << rs.valueAt(i, 0).toLongLong();
        return rids;
    }

    QList<qint64> bySqlite(const QString& sql)
    {
        kv::db::Statement st(*db, sql);
        QList<qint64> rids;
        while (st.step()) rids << st.int64(0);
        return rids;
    }

    // The list read, changed by `change`, read again: as SQLite gives it then, standing on
    // its first row.
    void expectReadAnew(const QString& sql, const std::function<void()>& change, const char* what)
    {
        SCOPED_TRACE(what);
        auto rs = db->openRecordset(sql);
        ASSERT_EQ(rowsOf(*rs), bySqlite(sql));
        rs->moveLast();
        change();
        rs->requery();
        EXPECT_EQ(rowsOf(*rs), bySqlite(sql));
        EXPECT_EQ(rs->absolutePosition(), rs->recordCount() > 0 ? 0 : -1);
    }
};

TEST_F(Requery, EveryChangeOfTheListsTableIsRead)
{
    const QString list = QStringLiteral("select rid, kid, rname from rezepte where kid=1 order by rname");
    expectReadAnew(list, [] {}, "nothing");
    expectReadAnew(list, [&] { exec(QStringLiteral("INSERT INTO letztsuch (stext) VALUES ('x')")); }, "another table");
    expectReadAnew(list, [&] { exec(QStringLiteral("DELETE FROM letztsuch")); }, "another table emptied");
    expectReadAnew(list, [&] { exec(QStringLiteral("UPDATE rezepte SET rname='A' || rname WHERE rid=7")); }, "a title");
    expectReadAnew(list, [&] { exec(QStringLiteral("UPDATE rezepte SET kid=1 WHERE rid=8")); }, "a category");
    expectReadAnew(list, [&] { exec(QStringLiteral("INSERT INTO rezepte (rname, kid) VALUES ('Aal', 1)")); }, "a recipe added");
    expectReadAnew(list, [&] { exec(QStringLiteral("DELETE FROM rezepte WHERE rid=10")); }, "a recipe removed");
    expectReadAnew(list, [&] {
        exec(QStringLiteral("DELETE FROM rezepte"));
        exec(QStringLiteral("INSERT INTO rezepte (rid, rname, kid) SELECT rid, 'Neu ' || (50 - rid), 1 FROM zutaten"));
    }, "emptied at one stroke and filled under the same row numbers");
    expectReadAnew(list, [&] { exec(QStringLiteral("INSERT OR REPLACE INTO rezepte (rid, rname, kid) VALUES (3, 'B', 1)")); },
                   "a row replaced");
    // Emptied however the statement is written.
    expectReadAnew(list, [&] { exec(QStringLiteral("/* alle */ -- weg\n  DeLeTe FROM main.\"rezepte\"")); },
                   "emptied by a statement behind comments");
    exec(QStringLiteral("INSERT INTO rezepte (rid, rname, kid) SELECT rid, 'Alt ' || rid, 1 FROM zutaten"));
    expectReadAnew(list, [&] { exec(QStringLiteral("WITH x AS (SELECT 1) DELETE FROM rezepte")); },
                   "emptied by a statement with a common table expression");
}

TEST_F(Requery, ChangesTakenBackOtherConnectionsAndTheSchemaAreRead)
{
    const QString list = QStringLiteral("select rid, rname from rezepte order by rname");
    expectReadAnew(list, [&] {
        kv::db::Transaction tx(*db);
        exec(QStringLiteral("UPDATE rezepte SET rname='A' WHERE rid=5"));
    }, "a change taken back");
    expectReadAnew(list, [&] { Database::open(path())->execute(QStringLiteral("UPDATE rezepte SET rname='B' WHERE rid=6")); },
                   "another connection");
    // Titles the collation holds equal follow the order of the index read.
    exec(QStringLiteral("UPDATE rezepte SET rname='Gleich' WHERE rid IN (11, 12, 13)"));
    expectReadAnew(list, [&] {
        exec(QStringLiteral("DROP INDEX \"rezepte.rnam\""));
        exec(QStringLiteral("CREATE INDEX \"rezepte.rnam\" ON rezepte (rname DESC)"));
    }, "an index built the other way round");
    expectReadAnew(list, [&] {
        exec(QStringLiteral("CREATE TEMP TABLE rezepte (rid INTEGER PRIMARY KEY, rname VARCHAR(255) COLLATE NOCASE_DE)"));
    }, "an empty temporary table hiding the list's");
    exec(QStringLiteral("DROP TABLE temp.rezepte"));
    expectReadAnew(list, [&] {
        exec(QStringLiteral("CREATE TEMP TRIGGER leeren AFTER INSERT ON letztsuch BEGIN DELETE FROM rezepte; END"));
        exec(QStringLiteral("INSERT INTO letztsuch (stext) VALUES ('x')"));
        exec(QStringLiteral("INSERT INTO rezepte (rid, rname) VALUES (1, 'Allein')"));
    }, "a trigger emptying the table");
}

// A list whose query reads another table as well is read again after any change.
TEST_F(Requery, AListThatReadsAnotherTableFollowsItsChanges)
{
    const QString list = QStringLiteral("select rid, rname from rezepte where rid in (select rid from zutaten where zutid=2) "
                                        "order by rname");
    expectReadAnew(list, [&] { exec(QStringLiteral("UPDATE zutaten SET zutid=2 WHERE rid=1")); }, "a line");
    expectReadAnew(list, [&] { exec(QStringLiteral("DELETE FROM zutaten")); }, "all lines");
}

// A list in an order of chance is drawn anew.
TEST_F(Requery, AListInAnOrderOfChanceIsDrawnAgain)
{
    auto rs = db->openRecordset(QStringLiteral("select rid from rezepte order by random()"));
    const QList<qint64> first = rowsOf(*rs);
    bool drawn = false;
    for (int i = 0; i < 5 && !drawn; ++i) {
        rs->requery();
        drawn = rowsOf(*rs) != first;
    }
    EXPECT_TRUE(drawn);
}

// The rows of a list read inside a transaction may be taken back with it.
TEST_F(Requery, AListReadInATransactionIsReadAgainAfterIt)
{
    const QString list = QStringLiteral("select rid, rname from rezepte order by rname");
    std::unique_ptr<kv::db::Recordset> rs;
    {
        kv::db::Transaction tx(*db);
        exec(QStringLiteral("UPDATE rezepte SET rname='A' WHERE rid=20"));
        rs = db->openRecordset(list);
        ASSERT_EQ(rowsOf(*rs).first(), 20);
    }
    rs->requery();
    EXPECT_EQ(rowsOf(*rs), bySqlite(list));
    EXPECT_NE(rowsOf(*rs).first(), 20);
}

}  // namespace
