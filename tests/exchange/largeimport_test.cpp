// A large import writes without the recipe tables' secondary indexes and builds them at
// its end, only where no other program has the cookbook open; and no write stays open
// while the import's first error is said.

#include "core/indizieren.h"
#include "tests/exchange/importfixture.h"

namespace kv::test {

namespace {

class LargeImport : public ImportTest {
protected:
    void SetUp() override
    {
        ImportTest::SetUp();
        // As the first start leaves the cookbook: with its indexes, and their record.
        dialogs.expect(QStringLiteral("Suchindizes"), ui::Answer::Ok);
        dialogs.expect(QStringLiteral("Suchindizes"), ui::Answer::Ok);
        indizieren(db());
        dialogs.verify();
        m_indexes = indexes();
        exchange::setImportFault([this](const char* step) { m_steps << QString::fromLatin1(step); });
    }
    void TearDown() override
    {
        exchange::setImportFault({});
        ImportTest::TearDown();
    }

    QStringList indexes()
    {
        QStringList out;
        db::Statement st(db(), QStringLiteral("select name, sql from sqlite_master where type='index' order by name"));
        while (st.step()) out << st.text(0) + u' ' + st.text(1);
        return out;
    }
    // More recipes than a large import needs, in one file.
    QString manyRecipes()
    {
        QByteArray text;
        for (qint64 i = 0; i < exchange::kBulkRecipes + 50; ++i) text += mmRecipe("Rezept " + QByteArray::number(i));
        return write(QStringLiteral("viele.mmf"), text);
    }
    qint64 recordedIndexBuild() { return count(QStringLiteral("select count(*) from changelog where changed=102")); }

    QStringList m_indexes;
    QStringList m_steps;
};

}  // namespace

TEST_F(LargeImport, LeavesTheRecipeIndexesOutWhileItWritesAndBuildsThemAgain)
{
    import(manyRecipes());
    EXPECT_EQ(m_steps, QStringList({QStringLiteral("bulk"), QStringLiteral("indexes")}));
    EXPECT_EQ(indexes(), m_indexes);
    EXPECT_EQ(recordedIndexBuild(), 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte where did>1")), exchange::kBulkRecipes + 50);
}

TEST_F(LargeImport, KeepsTheIndexesWhileAnotherProgramHasTheCookbookOpen)
{
    auto other = db::Database::open(db().name());
    import(manyRecipes());
    EXPECT_TRUE(m_steps.isEmpty()) << m_steps.join(u',').toStdString();
    EXPECT_EQ(indexes(), m_indexes);
    EXPECT_EQ(recordedIndexBuild(), 1);
    // Once the other program has gone, a large import takes its way again.
    m_steps.clear();
    other.reset();
    skipexisting = false;
    dialogs.expect(QStringLiteral("wurde schon einmal importiert"), ui::Answer::Yes);
    import(files() + QStringLiteral("viele.mmf"));
    EXPECT_EQ(m_steps, QStringList({QStringLiteral("bulk"), QStringLiteral("indexes")}));
}

TEST_F(LargeImport, NoWriteStaysOpenWhileTheFirstErrorIsSaid)
{
    // Another program (a second connection) may write while the box stands.
    const auto other = db::Database::open(db().name());
    bool looked = false;
    dialogs.expect(QStringLiteral("In der MealMaster-Datei wurde ein Fehler entdeckt"), ui::Answer::Ok)
        .whileShown([&] {
            looked = true;
            EXPECT_FALSE(db().inTransaction());
            EXPECT_NO_THROW(other->execute(QStringLiteral("insert into komment (komment) values ('von nebenan')")));
        });
    import(write(QStringLiteral("fehler.mmf"),
                 mmRecipe("Vorher") + QByteArray(mmRecipe("Bruch")).replace("1 c  Mehl", "1/0 c  Mehl") +
                     mmRecipe("Danach")));
    EXPECT_TRUE(looked);
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte where rname in ('Vorher', 'Bruch', 'Danach')")), 3);
    EXPECT_EQ(count(QStringLiteral("select count(*) from komment where komment='von nebenan'")), 1);
}

}  // namespace kv::test
