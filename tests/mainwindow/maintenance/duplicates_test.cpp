// Duplicate removal on the delivered cookbook, without windows: the selection lists and
// menus keep their dishes, and a removal that fails leaves everything as it was.

#include "core/mainmod.h"
#include "mainwindow/maintenance.h"
#include "platform/db/database.h"
#include "tests/support/testenv.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace kv::test {
namespace {

class DuplicateRemoval : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_db = db::Database::open(env.copyShippedCookbook(QStringLiteral("kochbuch")) + kochbuchdatei);
        m_db->execute(QStringLiteral("delete from rezinaus"));
        m_db->execute(QStringLiteral("delete from rezinmen"));
    }

    db::Database& db() { return *m_db; }
    qint64 number(const QString& sql) { return db().scalar(sql).toLongLong(); }
    qint64 recipe(const QString& title, int kid, const QVariant& komid = {})
    {
        db().execute(QStringLiteral("insert into rezepte (rname,port,kid,komid) values (?,4,?,?)"), {title, kid, komid});
        const qint64 rid = db().lastInsertId();
        db().execute(QStringLiteral("insert into zutaten (rid,tid,nr,zutid) values (?,1,1,1)"), {rid});
        return rid;
    }
    void inList(qint64 aid, qint64 rid, int port)
    {
        db().execute(QStringLiteral("insert into rezinaus (aid,rid,rname,katego,port,komid) "
                                    "select ?,rid,rname,kid,?,komid from rezepte where rid=?"),
                     {aid, port, rid});
    }
    void inMenu(qint64 mid, qint64 rid, int nr, int port)
    {
        db().execute(QStringLiteral("insert into rezinmen (mid,rid,nr,rname,katego,port) "
                                    "select ?,rid,?,rname,kid,? from rezepte where rid=?"),
                     {mid, nr, port, rid});
    }
    // One text per entry: list or menu, recipe, place, servings, title, category, comment.
    QStringList entries(const QString& sql)
    {
        QStringList rows;
        db::Statement st(db(), sql);
        while (st.step()) {
            QStringList row;
            for (int i = 0; i < st.columnCount(); ++i) row << (st.isNull(i) ? QStringLiteral("-") : st.text(i));
            rows << row.join(u'|');
        }
        return rows;
    }
    QStringList lists()
    {
        return entries(QStringLiteral("select aid,rid,port,rname,katego,komid from rezinaus order by aid,rid,port"));
    }
    QStringList menus()
    {
        return entries(QStringLiteral("select mid,rid,nr,port,rname,katego from rezinmen order by mid,nr,rid"));
    }

    TestEnvironment env;
    std::unique_ptr<db::Database> m_db;
};

TEST_F(DuplicateRemoval, ListsAndMenusKeepEveryDishOncePointingAtTheKeptCopy)
{
    const qint64 a = recipe(QStringLiteral("Hefezopf mit Rosinen"), 12, 2);
    const qint64 b = recipe(QStringLiteral("Hefezopf mit Rosinen"), 13);
    const qint64 d = recipe(QStringLiteral("Zwiebelkuchen"), 4);
    const qint64 c = recipe(QStringLiteral("HEFEZOPF MIT ROSINEN"), 14, 1);  // kept: the newest of the title, case aside
    const qint64 e = recipe(QStringLiteral("Zwiebelkuchen"), 5);
    const qint64 f = recipe(QStringLiteral("Einzelstück"), 6);
    db().execute(QStringLiteral("insert into auswahlen (aid,aname) values (2,'Feier'), (3,'Woche')"));
    inList(1, a, 2);
    inList(1, c, 8);  // the kept copy's own entry wins with its servings
    inList(1, d, 3);
    inList(1, f, 1);
    inList(2, b, 6);  // two copies that go: the first one added stays
    inList(2, a, 5);
    inList(3, b, 7);
    inMenu(1, b, 1, 2);
    inMenu(1, c, 2, 4);  // the kept copy's own dish keeps its place
    inMenu(2, a, 3, 9);
    inMenu(2, b, 1, 6);  // of two copies that go, the one placed first stays
    inMenu(2, d, 2, 3);
    db().execute(QStringLiteral("insert into letztsuchrids (sid,rid) values (1,?), (1,?)"), {a, c});
    const QString kept = QString::number(c);
    const QString zwiebel = QString::number(e);

    EXPECT_EQ(removeDuplicates(db()), 3);

    EXPECT_EQ(number(QStringLiteral("select count(*) from rezepte where rid in (%1,%2,%3)").arg(a).arg(b).arg(d)), 0);
    EXPECT_EQ(lists(), (QStringList{QStringLiteral("1|%1|8|HEFEZOPF MIT ROSINEN|14|1").arg(kept),
                                    QStringLiteral("1|%1|3|Zwiebelkuchen|5|-").arg(zwiebel),
                                    QStringLiteral("1|%1|1|Einzelstück|6|-").arg(f),
                                    QStringLiteral("2|%1|6|HEFEZOPF MIT ROSINEN|14|1").arg(kept),
                                    QStringLiteral("3|%1|7|HEFEZOPF MIT ROSINEN|14|1").arg(kept)}));
    EXPECT_EQ(menus(), (QStringList{QStringLiteral("1|%1|2|4|HEFEZOPF MIT ROSINEN|14").arg(kept),
                                    QStringLiteral("2|%1|1|6|HEFEZOPF MIT ROSINEN|14").arg(kept),
                                    QStringLiteral("2|%1|2|3|Zwiebelkuchen|5").arg(zwiebel)}));
    // The search history is no list of the user's: its entries of the copies go.
    EXPECT_EQ(entries(QStringLiteral("select rid from letztsuchrids")), QStringList{kept});
}

TEST_F(DuplicateRemoval, AFailureLeavesRecipesEntriesAndIndexesAsTheyWere)
{
    // Most recipes are copies, so the removal drops and rebuilds the indexes.
    db().execute(QStringLiteral("create index \"zutaten.zutidrid\" on zutaten (zutid, rid)"));
    db().execute(QStringLiteral("create index \"rezepte.rnam\" on rezepte (rname)"));
    for (int i = 0; i < 40; ++i) inList(1, recipe(QStringLiteral("Brot"), 15), i);
    inMenu(3, recipe(QStringLiteral("Brot"), 15), 1, 2);
    const auto schema = [&] {
        return entries(QStringLiteral("select name, sql from sqlite_master where type='index' order by name"));
    };
    const QStringList tables = schema();
    const QStringList listsBefore = lists();
    const QStringList menusBefore = menus();
    const qint64 lines = number(QStringLiteral("select count(*) from zutaten"));
    db().execute(QStringLiteral("create trigger gesperrt before delete on rezepte begin select raise(abort,'gesperrt'); end"));

    EXPECT_THROW(removeDuplicates(db()), db::DbError);

    EXPECT_EQ(number(QStringLiteral("select count(*) from rezepte where rname='Brot'")), 41);
    EXPECT_EQ(number(QStringLiteral("select count(*) from zutaten")), lines);
    EXPECT_EQ(lists(), listsBefore);
    EXPECT_EQ(menus(), menusBefore);
    db().execute(QStringLiteral("drop trigger gesperrt"));
    EXPECT_EQ(schema(), tables);

    const qint64 wiping = number(QStringLiteral("pragma secure_delete"));
    EXPECT_EQ(removeDuplicates(db()), 40);
    EXPECT_EQ(schema(), tables);
    // The connection wipes freed pages again as it did before.
    EXPECT_EQ(number(QStringLiteral("pragma secure_delete")), wiping);
    EXPECT_EQ(lists().size(), 1);
    EXPECT_EQ(number(QStringLiteral("select count(*) from rezinmen where rid=(select rid from rezepte where "
                                    "rname='Brot')")),
              1);
}

}  // namespace
}  // namespace kv::test
