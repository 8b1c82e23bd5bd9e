#include "search/ingredientsearch.h"

#include "search/namesearch.h"
#include "tests/search/searchfixture.h"

#include <QSet>

#include <random>

namespace kv::test {
namespace {

using ui::Answer;

IngredientFields fields(const QStringList& any, const QStringList& all = {}, const QStringList& none = {})
{
    IngredientFields f;
    for (int i = 0; i < any.size(); ++i) f.z[i] = any[i];
    for (int i = 0; i < all.size(); ++i) f.m[i] = all[i];
    for (int i = 0; i < none.size(); ++i) f.n[i] = none[i];
    return f;
}

QString described(const IngredientFields& f)
{
    return describeSearch(ingredientTerms(f));
}

// The group of each term, 0 for one left out as too short.
QList<int> groups(const IngredientFields& f)
{
    QList<int> out;
    for (const IngredientTerm& term : ingredientTerms(f)) out << (term.tooShort ? 0 : term.group);
    return out;
}

class IngredientSearch : public SearchTest {
protected:
    bool search(const IngredientFields& f)
    {
        steps.clear();
        return suchliste(f, [this](int step, int total) {
            steps << QStringLiteral("%1/%2").arg(step).arg(total);
            messagesAtStep << int(dialogs.shown().size());
        });
    }
    QSet<qint64> found()
    {
        QSet<qint64> rids;
        db::Statement st(*kochbuchdb, QStringLiteral("select rid from suchfound"));
        while (st.step()) rids.insert(st.int64(0));
        return rids;
    }
    // Everything a search may change.
    QStringList state()
    {
        return rows(QStringLiteral("suchfound")) + rows(QStringLiteral("suchrids")) + rows(QStringLiteral("suchzutat")) +
               rows(QStringLiteral("letztsuch")) + rows(QStringLiteral("letztsuchrids")) +
               QStringList{view->source(), view->gesucht(), view->rezzahl};
    }

    QStringList steps;
    QList<int> messagesAtStep;
};

TEST(IngredientTerms, GroupsAndDescriptionFollowTheColumns)
{
    const IngredientFields mixed = fields({"apfel", "birne"}, {"zimt", "ab"}, {"nuss"});
    EXPECT_EQ(groups(mixed), (QList<int>{1, 1, 2, 0, 3}));
    EXPECT_EQ(described(mixed), QStringLiteral("apfel|birne + zimt - nuss"));
    EXPECT_EQ(groups(fields({}, {"eis", "zimt"}, {"sahne", "nuss"})), (QList<int>{1, 2, 3, 3}));
    EXPECT_EQ(described(fields({}, {"eis"}, {"sahne"})), QStringLiteral("eis - sahne"));
    EXPECT_EQ(described(fields({"beere"})), QStringLiteral("beere"));
    EXPECT_EQ(described(fields({"ab", "x"}, {"zimt"})), QStringLiteral("zimt"));

    // Blanks are kept: three of them are a term; a field's position does not matter.
    IngredientFields spaced;
    spaced.z[4] = QStringLiteral("   ");
    spaced.m[6] = QStringLiteral(" ei");
    EXPECT_EQ(groups(spaced), (QList<int>{1, 2}));
    EXPECT_EQ(checkTerms(ingredientTerms(spaced)), TermsCheck::Ok);
    EXPECT_EQ(checkTerms(ingredientTerms(fields({"ei"}, {"ei"}, {"zwiebel"}))), TermsCheck::OnlyNoneOf);
}

TEST_F(IngredientSearch, ShortTermsEverywhereGetOnlyTheFirstMessage)
{
    const QStringList before = state();
    dialogs.expect(QStringLiteral("Sie müssen mindestens einen Begriff eingeben."), Answer::Ok).withTitle(QStringLiteral(" ")).withStyle(ui::OkOnly);
    IngredientFields f;
    for (int i = 0; i < 7; ++i) f.z[i] = f.m[i] = f.n[i] = QStringLiteral("ei");
    EXPECT_FALSE(search(f));
    dialogs.verify();
    EXPECT_TRUE(steps.isEmpty());

    dialogs.expect(QStringLiteral("Die Zutatensuche funktioniert nicht, wenn Sie nur Zutaten eingeben, die NICHT vorkommen."),
                   Answer::Ok).withTitle(QStringLiteral(" O B A C H T")).withStyle(ui::Information);
    EXPECT_FALSE(search(fields({"ei"}, {}, {"zwiebel"})));
    dialogs.verify();
    EXPECT_EQ(state(), before);
}

TEST_F(IngredientSearch, ProgressCountsOneStepBeforeTheTermsOnePerTermAndThreeAfter)
{
    dialogs.expect(QStringLiteral("Der Begriff 'ab' wird übergangen, da er zu kurz ist."), Answer::Ok)
        .withTitle(QStringLiteral(" "))
        .withStyle(ui::OkOnly);
    ASSERT_TRUE(search(fields({"zwiebel", "knob"}, {"ab", "salz"}, {"speck"})));
    dialogs.verify();
    EXPECT_EQ(steps, (QStringList{"1/8", "2/8", "3/8", "4/8", "5/8", "6/8", "7/8", "8/8"}));
    // The short field is said in its turn: after the any-of terms, before the next term.
    EXPECT_EQ(messagesAtStep, (QList<int>{0, 0, 0, 1, 1, 1, 1, 1}));
}

TEST_F(IngredientSearch, PartOfANameFindsEveryNameHoldingIt)
{
    const qint64 himbeeren = addRecipe(QStringLiteral("Himbeertorte"), {"Himbeeren", "Zucker"});
    const qint64 erdbeeren = addRecipe(QStringLiteral("Erdbeerbowle"), {"Erdbeeren, frisch", "Sekt"});
    addRecipe(QStringLiteral("Birnenkompott"), {"Birnen", "Zucker"});

    ASSERT_TRUE(search(fields({"beere"})));
    EXPECT_EQ(view->titles(), (QStringList{"Erdbeerbowle", "Himbeertorte"}));
    EXPECT_EQ(view->gesucht(), QStringLiteral("> beere"));
    EXPECT_EQ(view->rezzahl, QStringLiteral("2"));
    EXPECT_EQ(rows(QStringLiteral("letztsuch")), QStringList{"1||Zutatensuche : beere"});
    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuchrids where sid=1 and rid in (%1,%2)").arg(himbeeren).arg(erdbeeren)),
              2);
    // Three blanks are a term like any other.
    const qint64 coarse = addRecipe(QStringLiteral("Brezeln"), {"Salz   grob", "Mehl"});
    ASSERT_TRUE(search(fields({"   "})));
    EXPECT_EQ(found(), QSet<qint64>{coarse});
    EXPECT_EQ(view->gesucht(), QStringLiteral(">    "));

    // The work tables: only the result stays.
    EXPECT_EQ(count(QStringLiteral("select count(*) from suchzutat")), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from suchrids")), 0);
}

TEST_F(IngredientSearch, EachGroupCountsOncePerRecipe)
{
    const qint64 twice = addRecipe(QStringLiteral("Zwiebelkuchen"), {"Zwiebel", "Gemüsezwiebel", "Zwiebeln, rot", "Speck"});
    const qint64 both = addRecipe(QStringLiteral("Zwiebelsuppe"), {"Zwiebel", "Gemüsezwiebel", "Knoblauchzehe"});
    qint64 pairs = -1;
    ASSERT_TRUE(suchliste(fields({}, {"zwiebel", "knoblauch"}), [&](int step, int total) {
        // The pairs are counted without being written to suchrids.
        if (step != total - 1) return;
        pairs = count(QStringLiteral("select count(*) from suchrids"));
    }));
    EXPECT_EQ(pairs, 0);
    // Zwiebelkuchen holds three zwiebel lines but no knoblauch. Of the delivered recipes,
    // 6, 10 and 13 (Knoblauchzehe) hold both.
    EXPECT_EQ(found(), (QSet<qint64>{6, 10, both}));

    // Rinderrouladen hold Speck and Zwiebel, but Tomatenmark too.
    ASSERT_TRUE(search(fields({"knoblauch", "speck"}, {"zwiebel"}, {"tomate"})));
    EXPECT_EQ(found(), (QSet<qint64>{twice, both}));
    EXPECT_EQ(view->gesucht(), QStringLiteral("> knoblauch|speck + zwiebel - tomate"));
}

TEST_F(IngredientSearch, EmptyResultIsShownEmptyAndRecorded)
{
    ASSERT_TRUE(search(fields({}, {"zwiebel"}, {"zwiebel"})));
    EXPECT_TRUE(view->titles().isEmpty());
    EXPECT_EQ(view->rezzahl, QString());
    EXPECT_EQ(view->gesucht(), QStringLiteral("> zwiebel - zwiebel"));
    EXPECT_EQ(rows(QStringLiteral("letztsuch")), QStringList{"1||Zutatensuche : zwiebel - zwiebel"});
    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuchrids")), 0);

    // Loaded later, it reads as a result whose recipes are gone.
    dialogs.expect(QStringLiteral("Alle Rezepte aus dem gespeicherten Suchergebnis wurden gelöscht."), Answer::Ok);
    ASSERT_TRUE(loadHistoryEntry({1, QStringLiteral("Zutatensuche : zwiebel - zwiebel")}));
    dialogs.verify();
    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuch")), 0);
}

TEST_F(IngredientSearch, OnlyResultsBelowTheHitLimitAreRecorded)
{
    const IngredientFields salz = fields({"salz"});  // in 12 of the 14 recipes
    savereg(reg::suchtreffer, QStringLiteral("12"));
    ASSERT_TRUE(search(salz));
    EXPECT_EQ(view->rezzahl, QStringLiteral("12"));
    savereg(reg::suchtreffer, QString());
    ASSERT_TRUE(search(fields({}, {"zwiebel"}, {"zwiebel"})));
    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuch")), 0);
    savereg(reg::suchtreffer, QStringLiteral("13"));
    ASSERT_TRUE(search(salz));
    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuchrids")), 12);
}

TEST_F(IngredientSearch, FullHistoryKeepsItsOldestEntry)
{
    savereg(reg::zuletztgesucht, QStringLiteral("2"));
    for (int i = 1; i <= 3; ++i) recordSearch(*kochbuchdb, rezepteBasis, QStringLiteral("Gericht : %1").arg(i), {i}, 2);
    ASSERT_TRUE(search(fields({"zimt"})));
    ASSERT_TRUE(search(fields({"dill"})));
    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuch")), 5);
    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuch where stext='Gericht : 1'")), 1);
}

TEST_F(IngredientSearch, ApostropheIsTextAndAFailureHalfWayChangesNothing)
{
    const qint64 oma = addRecipe(QStringLiteral("Lebkuchen"), {"Oma's Gewürzmischung", "Mehl"});
    ASSERT_TRUE(search(fields({"oma's"})));
    EXPECT_EQ(found(), QSet<qint64>{oma});
    EXPECT_EQ(view->gesucht(), QStringLiteral("> oma's"));

    const QStringList before = state();
    const QStringList shown = view->titles();
    kochbuchdb->execute(QStringLiteral(
        "create trigger kaputt before insert on suchfound begin select raise(abort, 'kaputt'); end"));
    dialogs.expect(QStringLiteral("SUCHLISTE : "), Answer::Ok).withTitle(QStringLiteral(" F E H L E R"));
    EXPECT_FALSE(search(fields({"zwiebel"}, {"salz"})));
    dialogs.verify();
    EXPECT_EQ(steps.size(), 5) << "it failed in the evaluation";
    EXPECT_EQ(state(), before);
    EXPECT_EQ(view->titles(), shown);
    EXPECT_FALSE(kochbuchdb->inTransaction());
}

// Random searches on recipes made of names that share parts, with umlauts and repeated
// lines, against the rule itself applied to each recipe's ingredient names.
TEST_F(IngredientSearch, RandomSearchesFindWhatTheRuleSays)
{
    kochbuchdb->execute(QStringLiteral("delete from zutaten"));
    kochbuchdb->execute(QStringLiteral("delete from rezepte"));
    const QStringList names = {"Zwiebel", "Gemüsezwiebel", "Zwiebeln, rot", "Knoblauchzehe", "Knoblauch",
                               "Äpfel", "Apfelmus", "Bratäpfel", "ÖL", "Olivenöl", "Rapsöl", "Sahne", "Schlagsahne",
                               "Sauerrahm", "Möhre", "Möhren", "Mehl", "Puderzucker", "Zucker", "Gemüsebrühe",
                               "Salz", "Butter", "Butterschmalz", "Eier", "Eigelb"};
    const QStringList parts = {"zwiebel", "ZWIE", "knob", "äpfel", "ÄPFEL", "apfel", "nöl", "SÖL", "sahne", "rahm",
                               "möhre", "mehl", "zucker", "brühe", "salz", "butter", "eier", "eig", "müse"};
    std::mt19937 random(15);
    QMap<qint64, QStringList> recipes;
    for (int r = 0; r < 80; ++r) {
        QStringList lines;
        const int n = int(random() % 7);
        for (int i = 0; i < n; ++i) lines << names[random() % names.size()];
        recipes.insert(addRecipe(QStringLiteral("Rezept %1").arg(r), lines), lines);
    }
    auto holds = [](const QStringList& lines, const QString& term) {
        for (const QString& line : lines)
            if (line.toCaseFolded().contains(term.toCaseFolded())) return true;
        return false;
    };
    auto pick = [&](int most) {
        QStringList out;
        const int n = int(random() % (most + 1));
        for (int i = 0; i < n; ++i) out << parts[random() % parts.size()];
        return out;
    };

    int searches = 0;
    int nonEmpty = 0;
    for (int round = 0; round < 150; ++round) {
        const QStringList any = pick(3);
        const QStringList all = pick(2);
        const QStringList none = pick(2);
        if (any.isEmpty() && all.isEmpty()) continue;
        QSet<qint64> expected;
        for (auto it = recipes.cbegin(); it != recipes.cend(); ++it) {
            bool ok = any.isEmpty() || std::any_of(any.begin(), any.end(), [&](const QString& t) { return holds(*it, t); });
            ok = ok && std::all_of(all.begin(), all.end(), [&](const QString& t) { return holds(*it, t); });
            ok = ok && std::none_of(none.begin(), none.end(), [&](const QString& t) { return holds(*it, t); });
            if (ok) expected.insert(it.key());
        }
        const qint64 n = runIngredientSeries(*kochbuchdb, ingredientTerms(fields(any, all, none)), [](int, int) {});
        ASSERT_EQ(found(), expected) << (any.join(u'|') + " + " + all.join(" + ") + " - " + none.join(u'|')).toStdString();
        EXPECT_EQ(n, expected.size());
        ++searches;
        nonEmpty += expected.isEmpty() ? 0 : 1;
    }
    EXPECT_GT(searches, 100);
    EXPECT_GT(nonEmpty, 30);
}

// The result table row by row (row number and recipe) as the grouping in the work tables
// wrote it, also where lines name no recipe or a recipe by a text, and where the none-of
// terms take recipes out of the middle of the result.
TEST_F(IngredientSearch, ResultRowsAreTheOnesTheGroupingInTablesWrites)
{
    auto reference = [this](const QList<IngredientTerm>& terms) {
        int noneGroup = 1;
        for (const IngredientTerm& t : terms)
            if (!t.tooShort && t.column != TermColumn::NoneOf) noneGroup = std::max(noneGroup, t.group + 1);
        db::Transaction tx(*kochbuchdb);
        runIngredientSeries(*kochbuchdb, terms, [](int, int) {});
        kochbuchdb->execute(QStringLiteral("delete from suchzutat"));
        db::Statement match(*kochbuchdb, QStringLiteral("insert into suchzutat (zid,typ) select zutid,? from zutindex where zutat like ?"));
        for (const IngredientTerm& t : terms) {
            if (t.tooShort) continue;
            match.reset();
            match.bind(1, t.group);
            match.bind(2, QStringLiteral("*") + t.text + u'*');
            match.step();
        }
        kochbuchdb->execute(QStringLiteral("delete from suchfound"));
        kochbuchdb->execute(QStringLiteral("insert into suchrids (typ,rid) select distinct suchzutat.typ,zutaten.rid from suchzutat "
                                           "cross join zutaten on zutaten.zutid = suchzutat.zid where suchzutat.typ<%1").arg(noneGroup));
        kochbuchdb->execute(QStringLiteral("insert into suchfound (rid) select rid from suchrids group by rid having count(typ)=%1")
                                .arg(noneGroup - 1));
        kochbuchdb->execute(QStringLiteral("delete from suchfound where exists (select 1 from zutaten where zutaten.rid = "
                                           "suchfound.rid and zutaten.zutid in (select zid from suchzutat where typ=%1))")
                                .arg(noneGroup));
        QStringList out;
        db::Statement st(*kochbuchdb, QStringLiteral("select rowid, quote(rid) from suchfound order by rowid"));
        while (st.step()) out << st.text(0) + u'|' + st.text(1);
        // tx rolls back: the reference leaves nothing behind.
        return out;
    };
    auto written = [this](const QList<IngredientTerm>& terms) {
        runIngredientSeries(*kochbuchdb, terms, [](int, int) {});
        QStringList out;
        db::Statement st(*kochbuchdb, QStringLiteral("select rowid, quote(rid) from suchfound order by rowid"));
        while (st.step()) out << st.text(0) + u'|' + st.text(1);
        return out;
    };

    const QStringList names = {"Zwiebel", "Gemüsezwiebel", "Knoblauch", "Speck", "Salz", "Apfel", "Zimt"};
    std::mt19937 random(7);
    for (int r = 0; r < 60; ++r) {
        QStringList lines;
        for (int i = int(random() % 5); i > 0; --i) lines << names[random() % names.size()];
        addRecipe(QStringLiteral("Rezept %1").arg(r), lines);
    }
    // Lines of no recipe: they group together, first, and no none-of term removes them.
    const QVariant zwiebel = kochbuchdb->scalar(QStringLiteral("select min(zutid) from zutindex where zutat='Zwiebel'"));
    const QVariant speck = kochbuchdb->scalar(QStringLiteral("select min(zutid) from zutindex where zutat='Speck'"));
    const QVariant zimt = kochbuchdb->scalar(QStringLiteral("select min(zutid) from zutindex where zutat='Zimt'"));
    for (const QVariant& zutid : {zwiebel, speck, zimt})
        kochbuchdb->execute(QStringLiteral("insert into zutaten (rid,tid,nr,zutid) values (null,1,1,?)"), {zutid});

    const QList<IngredientFields> searches = {
        fields({"zwiebel"}), fields({"zwiebel", "speck"}, {"salz"}), fields({}, {"zwiebel", "zimt"}, {"speck"}),
        fields({"apfel", "zimt"}, {}, {"salz", "knoblauch"}), fields({}, {"zwiebel"}, {"zwiebel"}),
        fields({"xyz"}), fields({}, {"salz", "zimt", "speck"})};
    bool nullFirst = false;
    bool gap = false;
    for (const IngredientFields& f : searches) {
        const QList<IngredientTerm> terms = ingredientTerms(f);
        SCOPED_TRACE(describeSearch(terms).toStdString());
        const QStringList expected = reference(terms);
        EXPECT_EQ(written(terms), expected);
        nullFirst = nullFirst || (!expected.isEmpty() && expected.first() == QStringLiteral("1|NULL"));
        for (int i = 0; i < expected.size(); ++i) gap = gap || !expected[i].startsWith(QStringLiteral("%1|").arg(i + 1));
    }
    // The searches above meet both.
    EXPECT_TRUE(nullFirst);
    EXPECT_TRUE(gap);

    // A recipe id stored as text is compared as SQL compares it.
    kochbuchdb->execute(QStringLiteral("insert into zutaten (rid,tid,nr,zutid) values ('x7',1,1,?),('x7',1,2,?)"),
                        {zwiebel, zimt});
    const QList<IngredientTerm> both = ingredientTerms(fields({}, {"zwiebel", "zimt"}));
    const QStringList withText = reference(both);
    EXPECT_TRUE(withText.last().endsWith(u"|'x7'"));
    EXPECT_EQ(written(both), withText);
    const QList<IngredientTerm> without = ingredientTerms(fields({"zwiebel"}, {}, {"zimt"}));
    const QStringList withoutText = reference(without);
    EXPECT_FALSE(withoutText.join(u' ').contains(u"'x7'"));
    EXPECT_EQ(written(without), withoutText);
}

}  // namespace
}  // namespace kv::test
