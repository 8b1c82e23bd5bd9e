#include "search/namesearch.h"

#include "tests/search/searchfixture.h"

namespace kv::test {
namespace {

using ui::Answer;

class NameSearch : public SearchTest {
protected:
    qint64 sidOf(const QString& stext)
    {
        return kochbuchdb->scalar(QStringLiteral("select sid from letztsuch where stext=?"), {stext}).toLongLong();
    }
};

TEST_F(NameSearch, FindsThePartAnywhereInAnyCaseAndRecordsTheList)
{
    for (const QString& typed : {QStringLiteral("lachs"), QStringLiteral("LACHS")}) {
        ASSERT_TRUE(nameSearch(0, false, typed));
        EXPECT_EQ(view->titles(), QStringList{QStringLiteral("Lachs aus dem Ofen mit Gemüse")});
        EXPECT_TRUE(view->source().contains(QStringLiteral("where rname like '*") + typed + QStringLiteral("*' order by")));
        EXPECT_EQ(view->gesucht(), QStringLiteral("> Gericht : ") + typed);
        EXPECT_EQ(view->rezzahl, QStringLiteral("1"));
    }
    EXPECT_EQ(rows(QStringLiteral("letztsuch")).size(), 2);
    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuchrids where rid=5")), 2);
}

TEST_F(NameSearch, BeginningAndEndOfTheTitle)
{
    ASSERT_TRUE(nameSearch(1, false, QStringLiteral("apfel")));
    EXPECT_EQ(view->titles(), (QStringList{"Apfelkuchen aus der Springform", "Apfelpunsch ohne Alkohol"}));
    ASSERT_TRUE(nameSearch(1, false, QStringLiteral("kuchen")));
    EXPECT_TRUE(view->titles().isEmpty());
    EXPECT_EQ(view->rezzahl, QString());
    ASSERT_TRUE(nameSearch(2, false, QStringLiteral("ZOPF")));
    EXPECT_EQ(view->titles(), QStringList{"Hefezopf"});
    ASSERT_TRUE(nameSearch(2, false, QStringLiteral("hefe")));
    EXPECT_TRUE(view->titles().isEmpty());
}

TEST_F(NameSearch, EmptiedBoxFindsEveryRecipeOrEveryOneShown)
{
    ASSERT_TRUE(nameSearch(0, false, QString()));
    EXPECT_EQ(view->titles().size(), 14);
    EXPECT_TRUE(view->source().contains(QStringLiteral("rname like '**'")));
    EXPECT_EQ(view->rezzahl, QStringLiteral("14"));

    ASSERT_TRUE(nameSearch(0, false, QStringLiteral("mit")));
    const QStringList withMit = view->titles();
    ASSERT_TRUE(nameSearch(1, true, QString()));
    EXPECT_EQ(view->titles(), withMit);
    EXPECT_EQ(view->gesucht(), QStringLiteral("> Gericht : mit, Gericht : "));
}

TEST_F(NameSearch, RefinementStandsFirstAndNarrowsTheListShown)
{
    ASSERT_TRUE(nameSearch(0, false, QStringLiteral("mit")));
    ASSERT_TRUE(nameSearch(0, true, QStringLiteral("GEMÜSE")));
    EXPECT_EQ(view->titles(), (QStringList{"Gebratener Reis mit Gemüse und Ei", "Lachs aus dem Ofen mit Gemüse"}));
    EXPECT_TRUE(view->source().contains(QStringLiteral("where rname like '*GEMÜSE*' and rname like '*mit*' order by")));
    EXPECT_EQ(view->gesucht(), QStringLiteral("> Gericht : mit, Gericht : GEMÜSE"));
    EXPECT_EQ(view->rezzahl, QStringLiteral("2"));

    // A new search starts from every recipe again.
    ASSERT_TRUE(nameSearch(0, false, QStringLiteral("zopf")));
    EXPECT_EQ(view->titles(), QStringList{"Hefezopf"});
    EXPECT_EQ(view->gesucht(), QStringLiteral("> Gericht : zopf"));
}

TEST_F(NameSearch, UmlautsAndSharpSIgnoreCase)
{
    addRecipe(QStringLiteral("Bratäpfel mit Vanillesauce"));
    addRecipe(QStringLiteral("Süßkartoffel-Gratin"));
    addRecipe(QStringLiteral("Apfelstrudel"));
    for (const QString& typed : {QStringLiteral("äpfel"), QStringLiteral("ÄPFEL")}) {
        ASSERT_TRUE(nameSearch(0, false, typed));
        EXPECT_EQ(view->titles(), QStringList{"Bratäpfel mit Vanillesauce"}) << typed.toStdString();
    }
    for (const QString& typed : {QStringLiteral("süß"), QStringLiteral("SÜSS"), QStringLiteral("süss")}) {
        ASSERT_TRUE(nameSearch(1, false, typed));
        EXPECT_EQ(view->titles(), QStringList{"Süßkartoffel-Gratin"}) << typed.toStdString();
    }
    ASSERT_TRUE(nameSearch(0, false, QStringLiteral("KRÄUTER")));
    EXPECT_EQ(view->titles(), (QStringList{"Hähnchenbrust mit Zitronen-Kräuter-Marinade", "Kräuterquark"}));
}

TEST_F(NameSearch, ApostropheIsTextAndTypedWildcardsKeepTheirMeaning)
{
    addRecipe(QStringLiteral("Oma's Apfelkuchen"));
    addRecipe(QStringLiteral("3-Minuten-Ei"));
    ASSERT_TRUE(nameSearch(0, false, QStringLiteral("oma's")));
    EXPECT_EQ(view->titles(), QStringList{"Oma's Apfelkuchen"});
    EXPECT_EQ(view->gesucht(), QStringLiteral("> Gericht : oma's"));
    EXPECT_EQ(rows(QStringLiteral("letztsuch")).size(), 1);
    EXPECT_TRUE(rows(QStringLiteral("letztsuch")).constFirst().endsWith(QStringLiteral("|Gericht : oma's")));

    ASSERT_TRUE(nameSearch(1, false, QStringLiteral("?pfel")));
    EXPECT_EQ(view->titles(), (QStringList{"Apfelkuchen aus der Springform", "Apfelpunsch ohne Alkohol"}));
    ASSERT_TRUE(nameSearch(1, false, QStringLiteral("#")));
    EXPECT_EQ(view->titles(), QStringList{"3-Minuten-Ei"});
    ASSERT_TRUE(nameSearch(1, false, QStringLiteral("[hk]")));
    EXPECT_EQ(view->titles(), (QStringList{"Hähnchenbrust mit Zitronen-Kräuter-Marinade", "Hefezopf", "Kaiserschmarrn",
                                           "Kartoffelsuppe mit Majoran", "Kräuterquark"}));
    ASSERT_TRUE(nameSearch(0, false, QStringLiteral("[!a-z ]ei")));
    EXPECT_EQ(view->titles(), QStringList{"3-Minuten-Ei"});
}

TEST_F(NameSearch, HistoryEntryLoadsInTitleOrderAndStays)
{
    ASSERT_TRUE(nameSearch(0, false, QStringLiteral("mit")));
    const QStringList found = view->titles();
    ASSERT_TRUE(nameSearch(0, false, QStringLiteral("zopf")));
    const QStringList before = rows(QStringLiteral("letztsuch")) + rows(QStringLiteral("letztsuchrids"));

    ASSERT_TRUE(loadHistoryEntry({sidOf(QStringLiteral("Gericht : mit")), QStringLiteral("Gericht : mit")}));
    EXPECT_EQ(view->titles(), found);
    EXPECT_TRUE(std::is_sorted(found.begin(), found.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    }));
    EXPECT_EQ(view->rezzahl, QString::number(found.size()));
    EXPECT_EQ(view->gesucht(), QStringLiteral("> Gericht : mit"));
    EXPECT_EQ(rows(QStringLiteral("letztsuch")) + rows(QStringLiteral("letztsuchrids")), before);
}

TEST_F(NameSearch, EntryWhoseRecipesAreGoneIsSaidAndRemoved)
{
    ASSERT_TRUE(nameSearch(0, false, QStringLiteral("zopf")));
    ASSERT_TRUE(nameSearch(0, false, QStringLiteral("lachs")));
    const qint64 sid = sidOf(QStringLiteral("Gericht : zopf"));
    kochbuchdb->execute(QStringLiteral("delete from rezepte where rid=14"));

    dialogs.expect(QStringLiteral("Alle Rezepte aus dem gespeicherten Suchergebnis wurden gelöscht. Die Liste ist leer."),
                   Answer::Ok).withTitle(QStringLiteral(" ")).withStyle(ui::Information | ui::OkOnly);
    ASSERT_TRUE(loadHistoryEntry({sid, QStringLiteral("Gericht : zopf")}));
    dialogs.verify();
    EXPECT_TRUE(view->titles().isEmpty());
    EXPECT_EQ(view->rezzahl, QString());
    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuch where sid=%1").arg(sid)), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuchrids where sid=%1").arg(sid)), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuch")), 1);
}

TEST_F(NameSearch, DeletingOneEntryAsksNothingDeletingAllAsks)
{
    for (const char* typed : {"zopf", "lachs", "mit"}) ASSERT_TRUE(nameSearch(0, false, QString::fromLatin1(typed)));
    ASSERT_TRUE(deleteHistoryEntry(sidOf(QStringLiteral("Gericht : lachs"))));
    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuch")), 2);
    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuchrids where rid=5")), 1) << "only the list of 'mit'";

    dialogs.expect(QStringLiteral("Alle bisherigen Suchläufe löschen ?"), Answer::No)
        .withTitle(QStringLiteral(" "))
        .withStyle(ui::YesNo);
    EXPECT_FALSE(deleteWholeHistory());
    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuch")), 2);
    dialogs.expect(QStringLiteral("Alle bisherigen Suchläufe löschen ?"), Answer::Yes);
    EXPECT_TRUE(deleteWholeHistory());
    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuch")), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuchrids")), 0);
}

TEST_F(NameSearch, FailedLoadKeepsListDescriptionAndCount)
{
    ASSERT_TRUE(nameSearch(0, false, QStringLiteral("mit")));
    const QString source = view->source();
    const QStringList shown = view->titles();
    kochbuchdb->execute(QStringLiteral("alter table letztsuchrids rename to weg"));

    dialogs.expect(QStringLiteral("BISHER_DBLCLICK : "), Answer::Ok).withTitle(QStringLiteral(" F E H L E R"));
    EXPECT_FALSE(loadHistoryEntry({1, QStringLiteral("Gericht : mit")}));
    dialogs.verify();
    EXPECT_EQ(view->source(), source);
    EXPECT_EQ(view->titles(), shown);
    EXPECT_EQ(view->gesucht(), QStringLiteral("> Gericht : mit"));
    EXPECT_EQ(view->rezzahl, QString::number(shown.size()));
}

}  // namespace
}  // namespace kv::test
