// The keyword tree without a window: the nodes a build shows, the recipes of a keyword
// against a brute-force reading of the link tables, and the organize actions with the
// tables checked after each.

#include "platform/db/sqlfunctions.h"
#include "search/stichworte.h"
#include "tests/search/keywordtables.h"
#include "tests/search/searchfixture.h"

#include <QMap>

#include <algorithm>

namespace kv::test {
namespace {

class Keywords : public SearchTest {
protected:
    db::Database& db() { return *kochbuchdb; }
    qint64 number(const QString& sql, const QVariantList& values = {})
    {
        return db().scalar(sql, values).toLongLong();
    }
    QVariant ebene(qint64 sid) { return ebeneOf(db(), sid); }
    QVariant subsid(qint64 sid) { return subsidOf(db(), sid); }
    qint64 keyword(const QString& text, const QVariant& parent, const QVariant& depth)
    {
        return keywordRow(db(), text, parent, depth);
    }
    qint64 placedKeyword(const QString& text, qint64 parent) { return test::placedKeyword(db(), text, parent); }
    void link(qint64 rid, qint64 sid) { db().execute(QStringLiteral("insert into rezstich (rid,sid) values (?,?)"), {rid, sid}); }
    qint64 pairs(qint64 sid, qint64 below) { return pairCount(db(), sid, below); }
    QStringList query(const QString& sql) { return rowsOf(db(), sql); }
    QStringList tables() { return keywordTables(db()); }
    void failOn(const QString& when) { test::failOn(db(), when); }

    // Where the tree places a keyword: below `parent` at `depth`, paired with both.
    void expectPlaced(qint64 sid, qint64 parent, int depth)
    {
        EXPECT_EQ(subsid(sid).toLongLong(), parent) << sid;
        EXPECT_EQ(ebene(sid).toInt(), depth) << sid;
        EXPECT_EQ(pairs(parent, sid), 1) << sid;
        EXPECT_EQ(pairs(sid, sid), 1) << sid;
    }
    QMap<qint64, QString> tree() { return builtTree(db()); }
    QStringList freeKeywords(const QString& filter = {})
    {
        QStringList list;
        db::Statement st(db(), freeKeywordsSource(filter));
        while (st.step()) list << st.value(st.columnCount() > 1 ? 1 : 0).toString();
        return list;
    }
    // The recipes the list shows for a keyword, in order.
    QList<qint64> listed(qint64 sid, qint16 mode)
    {
        QList<qint64> rids;
        db::Statement st(db(), keywordRecipesSource(sid, mode));
        while (st.step()) rids << st.int64(0);
        return rids;
    }
    // The same read straight from the link tables: the keyword's own links, or the links
    // of every keyword paired with it, one entry per link.
    QList<qint64> bruteForce(qint64 sid, qint16 mode)
    {
        QList<qint64> keywords{sid};
        if (mode == kGanzerPfad) {
            keywords.clear();
            for (const QString& below : query(QStringLiteral("select subsid from substich where sid=%1").arg(sid)))
                keywords << below.toLongLong();
        }
        QList<qint64> rids;
        for (const QString& row : query(QStringLiteral("select rid, sid from rezstich where rid in (select rid from rezepte)"))) {
            const QStringList f = row.split(u'|');
            for (qsizetype n = keywords.count(f[1].toLongLong()); n > 0; --n) rids << f[0].toLongLong();
        }
        std::sort(rids.begin(), rids.end());
        return rids;
    }
};

TEST_F(Keywords, OnlyEigeneStichworteGivesOneNode)
{
    db().execute(QStringLiteral("delete from stichworte where sid<>1"));
    EXPECT_EQ(tree(), (QMap<qint64, QString>{{kEigene, QStringLiteral("0:Eigene Stichworte")}}));
    EXPECT_TRUE(detachOrphans(db()).isEmpty());
}

TEST_F(Keywords, FreeHiddenAndDeepKeywordsGetNoNode)
{
    keyword(QStringLiteral("frei"), QVariant(), QVariant());
    keyword(QStringLiteral("versteckt"), kAnlass, 255);
    keyword(QStringLiteral("tief"), kAnlass, 200);
    const qint64 shown = keyword(QStringLiteral("gerade noch"), kAnlass, 199);
    const QMap<qint64, QString> nodes = tree();
    EXPECT_EQ(nodes.value(shown), QStringLiteral("2:gerade noch"));
    EXPECT_EQ(nodes.size(), 21) << "the delivered 20 and the one shown";
}

TEST_F(Keywords, OnlyKeywordsBelowTheTopLevelShowTheirRecipes)
{
    link(1, kAnlass);
    const qint64 empty = placedKeyword(QStringLiteral("leer"), kAnlass);
    std::map<qint64, bool> withRecipes;
    for (const KeywordNode& node : shownKeywords(db())) withRecipes[node.sid] = node.withRecipes;
    EXPECT_FALSE(withRecipes.at(kAnlass)) << "a top-level keyword never gets image 3";
    EXPECT_TRUE(withRecipes.at(kSommer));
    EXPECT_FALSE(withRecipes.at(empty));
}

TEST_F(Keywords, ParentsComeFirstAndChildrenAlphabetically)
{
    placedKeyword(QStringLiteral("Äpfelfest"), kAnlass);
    placedKeyword(QStringLiteral("zuletzt"), kAnlass);
    QStringList order;
    QSet<qint64> seen{kStichRoot};
    for (const KeywordNode& node : shownKeywords(db())) {
        EXPECT_TRUE(seen.contains(node.parent)) << node.text.toStdString();
        seen.insert(node.sid);
        if (node.parent == kAnlass) order << node.text;
    }
    EXPECT_EQ(order, (QStringList{QStringLiteral("Äpfelfest"), QStringLiteral("Geburtstag"), QStringLiteral("Grillfest"),
                                  QStringLiteral("Ostern"), QStringLiteral("Weihnachten"), QStringLiteral("zuletzt")}));
}

TEST_F(Keywords, AFreedParentFreesOneGenerationPerBuild)
{
    const qint64 grandchild = placedKeyword(QStringLiteral("Plätzchen"), kWeihnachten);
    const qint64 great = placedKeyword(QStringLiteral("Zimtsterne"), grandchild);
    ASSERT_TRUE(takeOutOfTree(db(), kAnlass));

    // Each build frees one generation and shows the rest of the tree.
    EXPECT_EQ(tree().size(), 15);
    QList<qint64> children = detachOrphans(db());
    std::sort(children.begin(), children.end());
    EXPECT_EQ(children, (QList<qint64>{3, 4, 5, 6}));
    EXPECT_FALSE(ebene(kWeihnachten).isValid());
    EXPECT_FALSE(subsid(kWeihnachten).isValid());
    EXPECT_EQ(ebene(grandchild).toInt(), 2);
    EXPECT_EQ(number(QStringLiteral("select count(*) from substich where sid=3 or subsid=3")), 0);
    EXPECT_EQ(tree().size(), 15);

    EXPECT_EQ(detachOrphans(db()), QList<qint64>{grandchild});
    EXPECT_EQ(ebene(great).toInt(), 3);
    EXPECT_EQ(detachOrphans(db()), QList<qint64>{great});
    EXPECT_TRUE(detachOrphans(db()).isEmpty());
    EXPECT_EQ(tree().size(), 15);
    EXPECT_EQ(freeKeywords().size(), 7);
}

TEST_F(Keywords, TreesWithoutTopLevelOrWithCyclesStillBuild)
{
    const qint64 a = keyword(QStringLiteral("Kreis A"), QVariant(), 1);
    const qint64 b = keyword(QStringLiteral("Kreis B"), a, 1);
    db().execute(QStringLiteral("update stichworte set subsid=? where sid=?"), {b, a});
    const qint64 self = keyword(QStringLiteral("selbst"), QVariant(), 2);
    db().execute(QStringLiteral("update stichworte set subsid=sid where sid=?"), {self});
    const qint64 skewed = keyword(QStringLiteral("schief"), kAnlass, 5);
    keyword(QStringLiteral("unter schief"), skewed, 1);

    QMap<qint64, QString> nodes = tree();
    EXPECT_EQ(nodes.value(skewed), QStringLiteral("2:schief")) << "a depth not following its parent's";
    EXPECT_EQ(nodes.size(), 22) << "the delivered 20, schief and the one below it; none of the cycle";
    // The cycle has placed parents, so no build frees it.
    EXPECT_TRUE(detachOrphans(db()).isEmpty());

    db().execute(QStringLiteral("update stichworte set subsid=99 where subsid=0"));
    EXPECT_TRUE(shownKeywords(db()).empty());
}

TEST_F(Keywords, ListedRecipesEqualTheLinkTablesInBothModes)
{
    // A recipe of Sommer and of Weihnachten, and a pair that is no direct child.
    const qint64 plaetzchen = placedKeyword(QStringLiteral("Plätzchen"), kWeihnachten);
    link(3, plaetzchen);
    link(8, kAnlass);
    link(4, kWeihnachten);
    db().execute(QStringLiteral("insert into substich (sid,subsid) values (2,?)"), {plaetzchen});

    for (qint64 sid = 1; sid <= plaetzchen; ++sid) {
        for (qint16 mode : {kGanzerPfad, kNurGewaehltes}) {
            QList<qint64> shown = listed(sid, mode);
            std::sort(shown.begin(), shown.end());
            EXPECT_EQ(shown, bruteForce(sid, mode)) << "keyword " << sid << " mode " << mode;
        }
    }
    // Recipe 4 carries Grillfest and Weihnachten: twice in Anlass's whole subtree.
    EXPECT_EQ(listed(kAnlass, kGanzerPfad).count(4), 2);
    EXPECT_EQ(listed(kAnlass, kNurGewaehltes), QList<qint64>{8});

    // Title order.
    QStringList titles;
    for (qint64 rid : listed(kAnlass, kGanzerPfad))
        titles << db().scalar(QStringLiteral("select rname from rezepte where rid=?"), {rid}).toString();
    EXPECT_TRUE(std::is_sorted(titles.begin(), titles.end(), [](const QString& x, const QString& y) {
        return db::detail::compareNoCaseDe(x.toUtf8(), y.toUtf8()) < 0;
    }));
}

TEST_F(Keywords, TheFilterKeepsItsWildcardsAndQuotesAnApostrophe)
{
    for (const char* text : {"Frikadelle", "fruchtig", "Obst", "Fr*sch", "O'Neil", "Fr?h", "Fr4nk"})
        keyword(QString::fromUtf8(text), QVariant(), QVariant());
    keyword(QStringLiteral("Früh versteckt"), QVariant(), 255);
    EXPECT_EQ(freeKeywords(), (QStringList{QStringLiteral("Fr*sch"), QStringLiteral("Fr4nk"), QStringLiteral("Fr?h"),
                                           QStringLiteral("Frikadelle"), QStringLiteral("fruchtig"),
                                           QStringLiteral("O'Neil"), QStringLiteral("Obst")}));
    EXPECT_EQ(freeKeywords(QStringLiteral("fr")), (QStringList{QStringLiteral("Fr*sch"), QStringLiteral("Fr4nk"),
                                                               QStringLiteral("Fr?h"), QStringLiteral("Frikadelle"),
                                                               QStringLiteral("fruchtig")}));
    EXPECT_EQ(freeKeywords(QStringLiteral("Fr*h")), (QStringList{QStringLiteral("Fr*sch"), QStringLiteral("Fr?h"),
                                                                 QStringLiteral("fruchtig")}));
    EXPECT_EQ(freeKeywords(QStringLiteral("Fr?k")), QStringList{QStringLiteral("Frikadelle")});
    EXPECT_EQ(freeKeywords(QStringLiteral("Fr#")), QStringList{QStringLiteral("Fr4nk")});
    EXPECT_EQ(freeKeywords(QStringLiteral("O'")), QStringList{QStringLiteral("O'Neil")});
    EXPECT_TRUE(freeKeywords(QStringLiteral("'")).isEmpty());
    EXPECT_TRUE(freeKeywords(QStringLiteral("'; drop table stichworte; --")).isEmpty());
    EXPECT_TRUE(freeKeywords(QStringLiteral("[")).isEmpty()) << "an open bracket is a letter";
    EXPECT_EQ(number(QStringLiteral("select count(*) from stichworte where stichwort='Obst'")), 1);
}

TEST_F(Keywords, SiblingsSortedOnScreenStandAsABuildOrdersThem)
{
    // Case, umlauts, ß, digits, signs, and two keywords of one text told apart by id.
    const QStringList names{QStringLiteral("äpfel"), QStringLiteral("Apfel"), QStringLiteral("Apfelmus"),
                            QStringLiteral("Straße"), QStringLiteral("Strasse"), QStringLiteral("strand"),
                            QStringLiteral("10 Minuten"), QStringLiteral("2 Personen"), QStringLiteral("Äpfel"),
                            QStringLiteral("Zimt"), QStringLiteral("zimt"), QStringLiteral("Öl"), QStringLiteral("Oliven"),
                            QStringLiteral("-frei"), QStringLiteral("Crème"), QStringLiteral("Creme")};
    std::vector<std::pair<QString, qint64>> mine;
    for (const QString& name : names) mine.emplace_back(name, placedKeyword(name, kAnlass));
    std::sort(mine.begin(), mine.end(), [](const auto& a, const auto& b) {
        return keywordBefore(a.first, a.second, b.first, b.second);
    });
    QList<qint64> sorted;
    for (const auto& entry : mine) sorted << entry.second;
    QList<qint64> built;
    const QSet<qint64> added(sorted.begin(), sorted.end());
    for (const KeywordNode& node : shownKeywords(db()))
        if (node.parent == kAnlass && added.contains(node.sid)) built << node.sid;
    EXPECT_EQ(sorted, built);
    EXPECT_FALSE(keywordBefore(QStringLiteral("Zimt"), 5, QStringLiteral("zimt"), 5)) << "a keyword is not before itself";
}

TEST_F(Keywords, PlacingHidingMergingAndFreeingAnAlias)
{
    const qint64 picknick = keyword(QStringLiteral("Picknick"), QVariant(), QVariant());
    ASSERT_TRUE(placeFreeKeyword(db(), kEigene, picknick));
    expectPlaced(picknick, kEigene, 1);
    EXPECT_TRUE(freeKeywords().isEmpty());

    const qint64 hidden = keyword(QStringLiteral("Sonstiges"), QVariant(), QVariant());
    link(5, hidden);
    ASSERT_TRUE(hideFreeKeyword(db(), hidden));
    EXPECT_EQ(ebene(hidden).toInt(), 255);
    EXPECT_EQ(number(QStringLiteral("select count(*) from rezstich where sid=?"), {hidden}), 1);
    EXPECT_TRUE(freeKeywords().isEmpty());

    // Recipe 4 carries both: one link to Sommer afterwards.
    const qint64 summer = keyword(QStringLiteral("Sommer's"), QVariant(), QVariant());
    link(4, summer);
    link(7, summer);
    link(7, summer);
    ASSERT_TRUE(mergeAsAlias(db(), summer, kSommer));
    EXPECT_EQ(query(QStringLiteral("select rid from rezstich where sid=9 and rid in (4,7) order by rid")),
              (QStringList{QStringLiteral("4"), QStringLiteral("7")}));
    EXPECT_EQ(number(QStringLiteral("select count(*) from rezstich where sid=?"), {summer}), 0);
    EXPECT_EQ(number(QStringLiteral("select count(*) from stichworte where sid=?"), {summer}), 0);
    EXPECT_EQ(query(QStringLiteral("select istich from impstich where sid=9 order by istich")),
              (QStringList{QStringLiteral("Sommer's"), QStringLiteral("Summer")}));

    const QStringList sommerLinks = query(QStringLiteral("select rid from rezstich where sid=9 order by rid"));
    const std::optional<qint64> freed = freeAlias(db(), kSommer, QStringLiteral("Sommer's"));
    ASSERT_TRUE(freed);
    EXPECT_GT(*freed, summer);
    EXPECT_EQ(freeKeywords(), QStringList{QStringLiteral("Sommer's")});
    EXPECT_EQ(query(QStringLiteral("select istich from impstich where sid=9")), QStringList{QStringLiteral("Summer")});
    EXPECT_EQ(query(QStringLiteral("select rid from rezstich where sid=9 order by rid")), sommerLinks);
}

TEST_F(Keywords, NewRenamedAndTakenOutKeywords)
{
    const std::optional<qint64> added = addKeyword(db(), kWeihnachten);
    ASSERT_TRUE(added);
    EXPECT_EQ(db().scalar(QStringLiteral("select stichwort from stichworte where sid=?"), {*added}).toString(),
              kNeuesStichwort);
    expectPlaced(*added, kWeihnachten, 2);

    ASSERT_TRUE(renameKeyword(db(), *added, QStringLiteral("Stollen")));
    EXPECT_EQ(tree().value(*added), QStringLiteral("3:Stollen"));
    EXPECT_FALSE(renameKeyword(db(), *added, QStringLiteral("Omas Stollen's")));
    EXPECT_EQ(tree().value(*added), QStringLiteral("3:Stollen"));

    // Taken out: free with its links, no pair names it, so Anlass no longer lists its
    // recipes, also once it is placed elsewhere. Recipe 8 carries Weihnachten alone.
    EXPECT_TRUE(listed(kAnlass, kGanzerPfad).contains(8));
    ASSERT_TRUE(takeOutOfTree(db(), kWeihnachten));
    EXPECT_FALSE(ebene(kWeihnachten).isValid());
    EXPECT_FALSE(subsid(kWeihnachten).isValid());
    EXPECT_EQ(number(QStringLiteral("select count(*) from substich where sid=3 or subsid=3")), 0);
    EXPECT_EQ(number(QStringLiteral("select count(*) from rezstich where sid=3")), 2);
    EXPECT_EQ(subsid(*added).toLongLong(), kWeihnachten) << "the keywords below keep their rows";
    EXPECT_FALSE(listed(kAnlass, kGanzerPfad).contains(8));
    ASSERT_TRUE(placeFreeKeyword(db(), kJahreszeit, kWeihnachten));
    EXPECT_FALSE(listed(kAnlass, kGanzerPfad).contains(8));
    EXPECT_TRUE(listed(kJahreszeit, kGanzerPfad).contains(8));
}

TEST_F(Keywords, AMoveKeepsPairsAndDepthsInLine)
{
    const qint64 plaetzchen = placedKeyword(QStringLiteral("Plätzchen"), kWeihnachten);
    const qint64 zimtsterne = placedKeyword(QStringLiteral("Zimtsterne"), plaetzchen);
    // Recipe 8 carries Weihnachten alone.
    EXPECT_TRUE(listed(kAnlass, kGanzerPfad).contains(8));

    ASSERT_TRUE(moveKeyword(db(), kWeihnachten, kSommer));
    expectPlaced(kWeihnachten, kSommer, 2);
    EXPECT_EQ(ebene(plaetzchen).toInt(), 3);
    EXPECT_EQ(ebene(zimtsterne).toInt(), 4);
    EXPECT_EQ(pairs(kAnlass, kWeihnachten), 0);
    EXPECT_FALSE(listed(kAnlass, kGanzerPfad).contains(8));
    EXPECT_TRUE(listed(kSommer, kGanzerPfad).contains(8));
    EXPECT_EQ(tree().value(kWeihnachten), QStringLiteral("9:Weihnachten"));

    // Back up to the top level's children: the depths shift the other way, and the pair
    // is written once however often the keyword comes back.
    ASSERT_TRUE(moveKeyword(db(), kWeihnachten, kAnlass));
    ASSERT_TRUE(moveKeyword(db(), kWeihnachten, kAnlass));
    expectPlaced(kWeihnachten, kAnlass, 1);
    EXPECT_EQ(ebene(plaetzchen).toInt(), 2);
    EXPECT_EQ(ebene(zimtsterne).toInt(), 3);
    EXPECT_EQ(pairs(kSommer, kWeihnachten), 0);
}

TEST_F(Keywords, ACopyGetsNewIdsDepthsAndPairsButNoLinks)
{
    const qint64 plaetzchen = placedKeyword(QStringLiteral("Plätzchen"), kWeihnachten);
    placedKeyword(QStringLiteral("Zimtsterne"), plaetzchen);
    keyword(QStringLiteral("nicht gezeigt"), plaetzchen, 200);
    link(2, plaetzchen);
    db().execute(QStringLiteral("insert into impstich (sid,istich) values (?,'Cookies')"), {plaetzchen});
    const QStringList before = query(QStringLiteral("select * from stichworte"));
    const qint64 last = number(QStringLiteral("select max(sid) from stichworte"));

    const std::vector<KeywordNode> copies = copyKeyword(db(), plaetzchen, kSommer);
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_GT(copies[0].sid, last);
    EXPECT_EQ(copies[0].parent, kSommer);
    EXPECT_EQ(copies[0].text, QStringLiteral("Plätzchen"));
    EXPECT_EQ(copies[1].parent, copies[0].sid);
    EXPECT_EQ(copies[1].text, QStringLiteral("Zimtsterne"));
    expectPlaced(copies[0].sid, kSommer, 2);
    expectPlaced(copies[1].sid, copies[0].sid, 3);
    EXPECT_EQ(number(QStringLiteral("select count(*) from rezstich where sid>?"), {last}), 0);
    EXPECT_EQ(number(QStringLiteral("select count(*) from impstich where sid>?"), {last}), 0);
    // The originals stay as they were.
    EXPECT_EQ(query(QStringLiteral("select * from stichworte where sid<=%1").arg(last)), before);
}

TEST_F(Keywords, RefusedActionsChangeNothing)
{
    const qint64 plaetzchen = placedKeyword(QStringLiteral("Plätzchen"), kWeihnachten);
    const qint64 free = keyword(QStringLiteral("frei"), QVariant(), QVariant());
    const QStringList before = tables();

    EXPECT_FALSE(placeFreeKeyword(db(), kStichRoot, free));
    EXPECT_FALSE(placeFreeKeyword(db(), kAnlass, kSommer)) << "only free keywords are placed";
    EXPECT_FALSE(hideFreeKeyword(db(), kSommer));
    EXPECT_FALSE(mergeAsAlias(db(), free, kStichRoot));
    EXPECT_FALSE(mergeAsAlias(db(), kOstern, kSommer));
    EXPECT_FALSE(freeAlias(db(), kSommer, QStringLiteral("nicht da")));
    EXPECT_FALSE(addKeyword(db(), kStichRoot));
    EXPECT_FALSE(addKeyword(db(), free));
    EXPECT_FALSE(renameKeyword(db(), kStichRoot, QStringLiteral("Wurzel")));
    EXPECT_FALSE(takeOutOfTree(db(), kStichRoot));
    for (qint64 target : {kWeihnachten, plaetzchen, kStichRoot}) {
        EXPECT_FALSE(moveKeyword(db(), kWeihnachten, target)) << target;
        EXPECT_TRUE(copyKeyword(db(), kWeihnachten, target).empty()) << target;
    }
    EXPECT_FALSE(moveKeyword(db(), kStichRoot, kSommer));
    EXPECT_FALSE(moveKeyword(db(), free, kSommer));
    EXPECT_FALSE(moveKeyword(db(), kSommer, free));
    EXPECT_TRUE(inSubtree(db(), kAnlass, plaetzchen));
    EXPECT_FALSE(inSubtree(db(), plaetzchen, kAnlass));
    EXPECT_EQ(tables(), before);
}

TEST_F(Keywords, AFailureInAnyActionLeavesTheTablesAsTheyWere)
{
    const qint64 plaetzchen = placedKeyword(QStringLiteral("Plätzchen"), kWeihnachten);
    const qint64 zimtsterne = placedKeyword(QStringLiteral("Zimtsterne"), plaetzchen);
    const qint64 free = keyword(QStringLiteral("frei"), QVariant(), QVariant());
    link(4, free);
    link(6, free);
    const QStringList before = tables();

    struct Case {
        const char* name;
        QString when;
        std::function<void()> act;
    };
    const std::vector<Case> cases = {
        {"place", QStringLiteral("before insert on substich"), [&] { placeFreeKeyword(db(), kEigene, free); }},
        {"hide", QStringLiteral("before update on stichworte"), [&] { hideFreeKeyword(db(), free); }},
        {"merge", QStringLiteral("before delete on stichworte"), [&] { mergeAsAlias(db(), free, kSommer); }},
        {"free alias", QStringLiteral("before insert on stichworte"),
         [&] { freeAlias(db(), kSommer, QStringLiteral("Summer")); }},
        {"new", QStringLiteral("before insert on substich when new.sid = new.subsid"), [&] { addKeyword(db(), kSommer); }},
        {"rename", QStringLiteral("before update on stichworte"),
         [&] { renameKeyword(db(), kSommer, QStringLiteral("Hochsommer")); }},
        {"take out", QStringLiteral("before delete on substich"), [&] { takeOutOfTree(db(), kWeihnachten); }},
        {"move", QStringLiteral("before update on stichworte when old.sid = %1").arg(zimtsterne),
         [&] { moveKeyword(db(), kWeihnachten, kSommer); }},
        {"copy", QStringLiteral("before insert on stichworte when new.stichwort = 'Zimtsterne'"),
         [&] { copyKeyword(db(), kWeihnachten, kSommer); }},
    };
    for (const Case& c : cases) {
        failOn(c.when);
        EXPECT_THROW(c.act(), db::DbError) << c.name;
        db().execute(QStringLiteral("drop trigger gesperrt"));
        EXPECT_EQ(tables(), before) << c.name;
        EXPECT_FALSE(db().inTransaction()) << c.name;
    }
}

}  // namespace
}  // namespace kv::test
