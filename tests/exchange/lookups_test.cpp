// The import's lookups on the delivered cookbook: aliases before names, texts cut before
// they are looked up, units by their exact code first, categories by their first eight
// characters, keywords, file names with quotes, and maps that forget what was rolled back.

#include "core/fraction.h"
#include "exchange/lookups.h"
#include "platform/db/sqlfunctions.h"
#include "tests/exchange/importfixture.h"

namespace kv::test {

namespace {

class Lookups : public ImportTest {
protected:
    void SetUp() override
    {
        ImportTest::SetUp();
        lookups = std::make_unique<exchange::ImportLookups>(db());
    }
    void TearDown() override
    {
        lookups.reset();
        ImportTest::TearDown();
    }
    qint64 id(const QString& sql) { return db().scalar(sql).toLongLong(); }
    std::unique_ptr<exchange::ImportLookups> lookups;
};

}  // namespace

TEST_F(Lookups, AnAliasWinsAndALongNameIsStoredCutAndFoundAgain)
{
    EXPECT_EQ(lookups->getzutid("Zwiebeln"), id("select zutid from zutindex where zutat='Zwiebel'"));
    EXPECT_EQ(lookups->getzutid("  zwiebel "), id("select zutid from zutindex where zutat='Zwiebel'"));

    const QString longName = QString(160, u'x');
    const qint64 first = lookups->getzutid(longName);
    EXPECT_EQ(db().scalar("select zutat from zutindex where zutid=?", {first}).toString(), QString(150, u'x'));
    EXPECT_EQ(lookups->getzutid(longName), first);
    EXPECT_EQ(exchange::ImportLookups(db()).getzutid(longName), first) << "a later run finds it too";
}

TEST_F(Lookups, UnitsByExactCodeFirstAndTeaspoonApartFromTablespoon)
{
    EXPECT_FALSE(lookups->geteid(""));
    EXPECT_FALSE(lookups->geteid("  "));
    EXPECT_EQ(lookups->geteid("ts"), id("select eid from einheiten where ekurz='ts'"));
    EXPECT_EQ(lookups->geteid("TS"), id("select eid from einheiten where ekurz='ts'")) << "case only: the same unit";
    const auto teaspoon = lookups->geteid("t");
    const auto tablespoon = lookups->geteid("T");
    ASSERT_TRUE(teaspoon && tablespoon);
    EXPECT_NE(*teaspoon, *tablespoon);
    EXPECT_EQ(lookups->geteid("t"), teaspoon);
    EXPECT_EQ(lookups->geteid("T"), tablespoon);
    EXPECT_EQ(db().scalar("select ename from einheiten where eid=?", {*tablespoon}).toString(), "T");
    EXPECT_TRUE(db().scalar("select elang from einheiten where eid=?", {*tablespoon}).isNull());
}

TEST_F(Lookups, AUnitIsFoundByItsCodeThenByItsShortNameAndGrStaysAUnitOfItsOwn)
{
    const auto unit = [this](const char* ekurz) {
        return id(QStringLiteral("select eid from einheiten where ekurz='%1'").arg(QLatin1String(ekurz)));
    };
    const qint64 before = count(QStringLiteral("select count(*) from einheiten"));
    // The short names of German files; the codes of Meal-Master keep their units.
    EXPECT_EQ(lookups->geteid("EL"), unit("tb"));
    EXPECT_EQ(lookups->geteid("el"), unit("tb"));
    EXPECT_EQ(lookups->geteid("TL"), unit("ts"));
    EXPECT_EQ(lookups->geteid("Pr"), unit("pn"));
    EXPECT_EQ(lookups->geteid("Bd"), unit("bn"));
    EXPECT_EQ(lookups->geteid("Ts"), unit("c"));
    EXPECT_EQ(lookups->geteid("Ds"), unit("cn"));
    EXPECT_EQ(lookups->geteid("ds"), unit("ds"));
    EXPECT_EQ(lookups->geteid("x"), kUnscaledUnit);
    EXPECT_EQ(count(QStringLiteral("select count(*) from einheiten")), before);
    // "gr" of a German file is Gramm, not the cookbook's groß.
    const auto gr = lookups->geteid("gr");
    ASSERT_TRUE(gr);
    EXPECT_NE(*gr, unit("lg"));
    EXPECT_EQ(db().scalar("select ekurz from einheiten where eid=?", {*gr}).toString(), "gr");

    // A second "EL" an earlier import made keeps being found by its code.
    db().execute(QStringLiteral("insert into einheiten (ekurz, ename) values ('EL', 'EL')"));
    const qint64 second = db().lastInsertId();
    EXPECT_EQ(exchange::ImportLookups(db()).geteid("EL"), second);
}

TEST_F(Lookups, CategoriesByTheirFirstEightCharactersOrElseAKeyword)
{
    EXPECT_EQ(lookups->getkid("Appetizers", 7), 1);
    EXPECT_EQ(lookups->getkid("Appetizers and dips", 7), 1);
    EXPECT_EQ(lookups->getkid("Main dish", 7), 4);
    // Without a match the text is a keyword of the recipe.
    EXPECT_FALSE(lookups->getkid("Geburtstag", 7));
    EXPECT_EQ(count("select count(*) from rezstich where rid=7 and sid=5"), 1);
}

TEST_F(Lookups, KeywordsThroughAliasesOrStoredCutAndFoundAgain)
{
    lookups->addstich(3, "BBQ");
    EXPECT_EQ(count("select count(*) from rezstich where rid=3 and sid=6"), 1);

    const QString keyword = QStringLiteral("Fuenfundzwanzig Zeichen!!");
    ASSERT_EQ(keyword.size(), 25);
    lookups->addstich(3, keyword);
    lookups->addstich(4, keyword);
    EXPECT_EQ(count("select count(*) from stichworte where stichwort like 'Fünfundzwanzig*'"), 1);
    EXPECT_EQ(db().scalar("select stichwort from stichworte where stichwort like 'Fünf*'").toString(),
              QString::fromUtf8("Fünfundzwanzig Zeich"));
    EXPECT_EQ(count("select count(*) from rezstich r join stichworte s on s.sid=r.sid "
                    "where s.stichwort like 'Fünf*'"),
              2);
    const qint64 links = count("select count(*) from rezstich where rid=3");
    lookups->addstich(3, QString());
    EXPECT_EQ(count("select count(*) from rezstich where rid=3"), links) << "an empty keyword adds nothing";
}

TEST_F(Lookups, FileNamesWithQuotesAreComparedWhole)
{
    db().execute("insert into importdateien (did, dname) values (400, '/home/o''brien/rezepte.txt')");
    EXPECT_FALSE(lookups->dnameexists("/home/o'brien/rezepte.txt", 400));
    EXPECT_TRUE(lookups->dnameexists("/home/o'brien/rezepte.txt", 401));
    EXPECT_FALSE(lookups->dnameexists("/home/o'brien/andere.txt", 401));
}

TEST_F(Lookups, WhatARolledBackBatchAddedIsForgottenAndACommittedOneKept)
{
    db().beginTrans();
    lookups->getzutid("Sternanis");
    lookups->geteid("qq");
    lookups->addstich(1, "Neues Wort");
    db().rollback();
    lookups->rolledBack();

    db().beginTrans();
    const qint64 kept = lookups->getzutid("Sternanis");
    ASSERT_TRUE(lookups->geteid("qq"));
    lookups->addstich(1, "Neues Wort");
    db().commitTrans();
    lookups->committed();
    EXPECT_EQ(lookups->getzutid("Sternanis"), kept);
    EXPECT_EQ(db().scalar("select zutat from zutindex where zutid=?", {kept}).toString(), "Sternanis");
    EXPECT_EQ(count("select count(*) from einheiten where ekurz='qq'"), 1);
    EXPECT_EQ(count("select count(*) from stichworte where stichwort='Neues Wort'"), 1);
    EXPECT_EQ(count("select count(*) from rezstich r left join stichworte s on s.sid=r.sid where s.sid is null"), 0);
}

TEST(FoldKey, TextsAreEqualExactlyWhenTheCollationHoldsThemEqual)
{
    const QStringList texts = {"Käse",   "KÄSE",   "käse",  "Kase",   "Kaese",  "Straße", "STRASSE", "strasse",
                               "Strase", "ẞ",      "ss",    "crème",  "CRÈME",  "creme",  "Œuf",    "œuf",
                               "Ölé",    "ÖLÉ",    "Øl",    "øl",     "İ",      "i",      "x",     "",
                               "Ab c",   "ab  c",  "Ǆ",     "ǆ",      "Ĳ",      "ĳ",      "Σ",     "σ"};
    for (const QString& a : texts)
        for (const QString& b : texts) {
            const bool collationEqual = db::detail::compareNoCaseDe(a.toUtf8(), b.toUtf8()) == 0;
            EXPECT_EQ(exchange::foldKey(a) == exchange::foldKey(b), collationEqual)
                << a.toStdString() << " / " << b.toStdString();
        }
}

TEST_F(Lookups, TheReplacementLeavesOtherTextsAsTheyAreAndStopsAtANul)
{
    EXPECT_EQ(exchange::repstr("Tomatoes, Queso"), "Tomatoes, Queso");
    EXPECT_EQ(exchange::repstr(QStringLiteral("Kaese") + QChar(0) + QStringLiteral("Rest")), QString::fromUtf8("Käse"));
}

}  // namespace kv::test
