// The set a deletion tests each row's recipe in must hold exactly the ids its query gave,
// whether they lie close together (a bitmap) or far apart (a sorted list), and must be
// gone from the connection with the set.

#include "tests/platform/db/dbfixture.h"

#include "platform/db/idset.h"

#include <limits>
#include <random>
#include <set>

using kv::test::DbTest;

namespace {

class IdSetTest : public DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        exec(QStringLiteral("create table ids (id integer)"));
    }

    void insertIds(const std::set<qint64>& ids)
    {
        kv::db::Transaction tx(*db);
        kv::db::Statement st(*db, QStringLiteral("insert into ids (id) values (?)"));
        for (const qint64 id : ids) {
            st.bindInt64(1, id);
            st.step();
            st.reset();
        }
        tx.commit();
    }
};

TEST_F(IdSetTest, HoldsExactlyTheIdsOfItsQueryCloseTogetherOrFarApart)
{
    std::mt19937_64 random(7);
    // Close together: a bitmap; spread over the whole range, negative ones too: a list.
    for (const qint64 spread : {qint64(1000), qint64(1) << 62}) {
        SCOPED_TRACE(spread);
        exec(QStringLiteral("delete from ids"));
        std::set<qint64> ids;
        std::uniform_int_distribution<qint64> pick(spread > 1000 ? -spread : 5, spread);
        while (ids.size() < 300) ids.insert(pick(random));
        insertIds(ids);
        exec(QStringLiteral("insert into ids (id) values (null)"));
        exec(QStringLiteral("insert into ids (id) select id from ids where id is not null limit 10"));  // twice

        kv::db::IdSet set(*db, QStringLiteral("select id from ids"));
        EXPECT_EQ(set.size(), 300);
        for (const qint64 id : ids) {
            ASSERT_TRUE(set.contains(id)) << id;
            for (const qint64 neighbour : {id - 1, id + 1}) {
                if (!ids.contains(neighbour)) {
                    ASSERT_FALSE(set.contains(neighbour)) << neighbour;
                }
            }
        }
        EXPECT_FALSE(set.contains(std::numeric_limits<qint64>::min()));
        EXPECT_FALSE(set.contains(std::numeric_limits<qint64>::max()));
    }
    // The widest range there is.
    exec(QStringLiteral("delete from ids"));
    insertIds({std::numeric_limits<qint64>::min(), 0, std::numeric_limits<qint64>::max()});
    kv::db::IdSet widest(*db, QStringLiteral("select id from ids"));
    EXPECT_EQ(widest.size(), 3);
    EXPECT_TRUE(widest.contains(std::numeric_limits<qint64>::min()));
    EXPECT_TRUE(widest.contains(std::numeric_limits<qint64>::max()));
    EXPECT_FALSE(widest.contains(1));
}

TEST_F(IdSetTest, ADeletionThroughTheSetTakesTheRowsOfItsIdsAndTheFunctionGoesWithIt)
{
    makeRecipes(50);
    exec(QStringLiteral("create table weg (rid integer primary key)"));
    exec(QStringLiteral("insert into weg (rid) select rid from rezepte where rid % 3 = 0"));
    exec(QStringLiteral("insert into rezepte (rname, kid) values ('ohne', null)"));
    {
        kv::db::IdSet copies(*db, QStringLiteral("select rid from weg"));
        exec(QStringLiteral("delete from rezepte where kv_idset(rid)"));
        EXPECT_EQ(scalar(QStringLiteral("select kv_idset(null) is null")).toInt(), 1);
    }
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte where rid % 3 = 0 and rid <= 50")), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte")), 51 - 16);
    EXPECT_THROW(exec(QStringLiteral("delete from rezepte where kv_idset(rid)")), kv::db::DbError);
}

}  // namespace
