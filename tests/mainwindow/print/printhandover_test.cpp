// The print hand-over on the delivered cookbook: what the list, menu and recipe prints and
// the shopping list leave in `rep-korbliste` of the hand-over database for the print window.
//
// The delivered quick list holds Kartoffelsuppe (rid 1, written for 4) and Spaghetti
// (rid 6, for 4); the menu "Sonntagsessen im Herbst" (mid 1) holds Kartoffelsuppe (place 1)
// and Rinderrouladen (rid 3, for 4, place 2). The tests want them for 2, 20, 2 and 5.

#include "core/settings.h"
#include "mainwindow/printhandover.h"
#include "mainwindow/recipegone.h"
#include "platform/print/printlog.h"
#include "printing/handoverdb.h"
#include "tests/mainwindow/view/viewfixture.h"
#include "tests/printing/printtest.h"

#include <QFile>

namespace kv::test {
namespace {

using ui::Answer;

class PrintHandover : public CookbookTest {
protected:
    void SetUp() override
    {
        CookbookTest::SetUp();
        setPrintlogon(false);
        db->execute(QStringLiteral("update rezinaus set port=case rid when 1 then 2 else 20 end where aid=1"));
        db->execute(QStringLiteral("update rezinmen set port=case rid when 1 then 2 else 5 end where mid=1"));
    }
    void TearDown() override
    {
        setPrintlogon(false);
        handover.close();
    }

    db::Database& out() { return handover.db(); }
    // Queries of the hand-over tables, with the cookbook's tables beside them.
    QVariant value(const QString& sql)
    {
        const CookbookForHandover reading(out(), *db);
        return out().scalar(sql);
    }
    qint64 count(const QString& sql) { return value(sql).toLongLong(); }

    // "rid/tid/nr men|ename|zname" of every row, in the print's order.
    QStringList rows(const QString& where = QStringLiteral("1=1"))
    {
        QStringList list;
        db::Statement st(out(), QStringLiteral("select rid,tid,nr,men,ename,zname from [rep-korbliste] where %1 "
                                               "order by rnr,rname,rid,tid,nr").arg(where));
        while (st.step())
            list << QStringLiteral("%1/%2/%3 %4|%5|%6")
                       .arg(st.text(0), st.text(1), st.text(2), st.isNull(3) ? QStringLiteral("Null") : st.text(3),
                            st.text(4), st.text(5));
        return list;
    }
    QString amount(qint64 rid, const QString& zname)
    {
        return out().scalar(QStringLiteral("select men from [rep-korbliste] where rid=? and zname=?"), {rid, zname})
            .toString();
    }
    qint64 newRecipe(const QString& name, int port, const QList<std::tuple<QVariant, QVariant, QString>>& lines,
                     bool withPreparation = true)
    {
        db->execute(QStringLiteral("insert into rezepte (rname,port) values (?,?)"), {name, port});
        const qint64 rid = db->lastInsertId();
        int nr = 0;
        for (const auto& [menge, eid, zutat] : lines) {
            QVariant zutid = db->scalar(QStringLiteral("select zutid from zutindex where zutat=?"), {zutat});
            if (!zutid.isValid()) {
                db->execute(QStringLiteral("insert into zutindex (zutat) values (?)"), {zutat});
                zutid = db->lastInsertId();
            }
            db->execute(QStringLiteral("insert into zutaten (rid,tid,nr,eid,menge,zutid) values (?,1,?,?,?,?)"),
                        {rid, ++nr, eid, menge, zutid});
        }
        if (withPreparation)
            db->execute(QStringLiteral("insert into zubereit (rid,ztext) values (?,'Kochen.')"), {rid});
        return rid;
    }
    qint64 newList(const QString& name, const QList<std::pair<qint64, int>>& entries)
    {
        db->execute(QStringLiteral("insert into auswahlen (aname,adat) values (?,'2026-05-01')"), {name});
        const qint64 aid = db->lastInsertId();
        for (const auto& [rid, port] : entries)
            db->execute(QStringLiteral("insert into rezinaus (aid,rid,rname,port) select ?,rid,rname,? from rezepte "
                                       "where rid=?"),
                        {aid, port, rid});
        return aid;
    }

    HandoverDatabase handover;
};

constexpr qint64 kGramm = 11;

TEST_F(PrintHandover, AListPrintsEveryLineWithItsAmountForTheServingsOfItsEntry)
{
    // A recipe without a preparation is printed all the same.
    db->execute(QStringLiteral("delete from zubereit where rid=6"));
    ASSERT_TRUE(handOverList(out(), *db, false, 1, QString()));
    EXPECT_EQ(count(QStringLiteral("select count(*) from [rep-korbliste]")),
              count(QStringLiteral("select count(*) from zutaten where rid in (1,6)")));
    EXPECT_EQ(value(QStringLiteral("select count(distinct aname||adat) from [rep-korbliste] where "
                                   "aname='Schnellauswahl' and adat='2025-10-12'")).toInt(), 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from [rep-korbliste] where rnr is not null")), 0);
    EXPECT_EQ(amount(1, QStringLiteral("Kartoffeln, mehlig kochend")), QStringLiteral("375"));  // 750 for 4, 2 wanted
    EXPECT_EQ(amount(1, QStringLiteral("Knollensellerie")), QStringLiteral("1/8"));
    EXPECT_EQ(amount(1, QStringLiteral("Salz")), QStringLiteral(" "));                // no amount
    EXPECT_EQ(amount(6, QStringLiteral("Spaghetti")), QStringLiteral("2500"));
    EXPECT_EQ(value(QStringLiteral("select p from [rep-korbliste] where rid=6 limit 1")).toInt(), 20);
    EXPECT_EQ(value(QStringLiteral("select port from [rep-korbliste] where rid=6 limit 1")).toInt(), 4);
    EXPECT_TRUE(value(QStringLiteral("select ztext from [rep-korbliste] where rid=6 limit 1")).isNull());
    EXPECT_FALSE(value(QStringLiteral("select ztext from [rep-korbliste] where rid=1 limit 1")).isNull());
    EXPECT_EQ(count(QStringLiteral("select count(*) from [rep-mbesch]")), 0);
}

TEST_F(PrintHandover, AmountsFollowTheKitchenFractionRule)
{
    const qint64 rid = newRecipe(QStringLiteral("Probe"), 3,
                                 {{1.0, kGramm, QStringLiteral("Eins")},
                                  {0.0, kGramm, QStringLiteral("Null")},
                                  {1.5, 115, QStringLiteral("Ungeschnitten")},
                                  {1.0 / 3, QVariant(), QStringLiteral("Drittel")}});
    const qint64 none = newRecipe(QStringLiteral("Für niemand"), 0, {{2.0, kGramm, QStringLiteral("Zwei")}});
    const qint64 aid = newList(QStringLiteral("Proben"), {{rid, 7}, {none, 2}});
    ASSERT_TRUE(handOverList(out(), *db, false, aid, QString()));
    EXPECT_EQ(amount(rid, QStringLiteral("Eins")), QStringLiteral("2 1/3"));
    EXPECT_EQ(amount(rid, QStringLiteral("Null")), QStringLiteral(" "));
    EXPECT_EQ(amount(rid, QStringLiteral("Ungeschnitten")), QStringLiteral("1 1/2")) << "unit 115 is never scaled";
    EXPECT_EQ(amount(rid, QStringLiteral("Drittel")), QStringLiteral("0,77"));
    EXPECT_EQ(amount(none, QStringLiteral("Zwei")), QString()) << "a recipe written for 0 servings";
}

TEST_F(PrintHandover, AMenuPrintsItsDescriptionFirstThenEachDishOnceInMenuOrder)
{
    // Kartoffelsuppe a second time, at place 3: its lines repeat the key and are dropped.
    db->execute(QStringLiteral("insert into rezinmen (mid,rid,nr,rname,port) values (1,1,3,'Kartoffelsuppe mit Majoran',8)"));
    ASSERT_TRUE(handOverList(out(), *db, true, 1, QStringLiteral("Erst Suppe, dann Rouladen.")));
    EXPECT_EQ(count(QStringLiteral("select count(*) from [rep-korbliste] where rid=1")),
              count(QStringLiteral("select count(*) from zutaten where rid=1")));
    EXPECT_EQ(amount(1, QStringLiteral("Kartoffeln, mehlig kochend")), QStringLiteral("375")) << "the first copy stays";
    const QStringList printed = rows();
    ASSERT_FALSE(printed.isEmpty());
    EXPECT_EQ(printed.first(), QStringLiteral("0/0/0 Null||"));
    EXPECT_EQ(value(QStringLiteral("select ztext||'|'||rname||'|'||aname||'|'||rnr from [rep-korbliste] where rid=0")),
              QStringLiteral("Erst Suppe, dann Rouladen. |       | |0"));
    EXPECT_EQ(value(QStringLiteral("select group_concat(distinct rid) from (select rid from [rep-korbliste] "
                                   "order by rnr,rname,rid,tid,nr)")),
              QStringLiteral("0,1,3"));
    EXPECT_EQ(value(QStringLiteral("select distinct aname from [rep-korbliste] where rid=3")),
              QStringLiteral("Sonntagsessen im Herbst"));
    EXPECT_EQ(value(QStringLiteral("select distinct rnr from [rep-korbliste] where rid=3")).toInt(), 2);

    // Without a description there is no such row.
    ASSERT_TRUE(handOverList(out(), *db, true, 1, QString()));
    EXPECT_EQ(count(QStringLiteral("select count(*) from [rep-korbliste] where rid=0")), 0);
}

TEST_F(PrintHandover, NothingIsPrintedWithoutAListOrWithoutLines)
{
    ASSERT_TRUE(handOverList(out(), *db, false, 1, QString()));
    EXPECT_FALSE(handOverList(out(), *db, false, std::nullopt, QString()));
    EXPECT_EQ(count(QStringLiteral("select count(*) from [rep-korbliste]")), 0) << "emptied all the same";

    const qint64 empty = newList(QStringLiteral("Leer"), {});
    EXPECT_FALSE(handOverList(out(), *db, false, empty, QString()));
    EXPECT_THROW(handOverRecipe(out(), *db, 9999, 4, QDate(2026, 12, 6)), RecipeGone);

    // The shopping list of an empty list leaves the last print's rows.
    ASSERT_TRUE(handOverList(out(), *db, false, 1, QString()));
    const qint64 before = count(QStringLiteral("select count(*) from [rep-korbliste]"));
    EXPECT_FALSE(handOverShoppingList(out(), *db, false, empty));
    EXPECT_FALSE(handOverShoppingList(out(), *db, false, std::nullopt));
    EXPECT_EQ(count(QStringLiteral("select count(*) from [rep-korbliste]")), before);
    EXPECT_EQ(count(QStringLiteral("select count(*) from [rep-einkauf]")), 0);
}

TEST_F(PrintHandover, ARecipePrintsForTheServingsGivenAndToday)
{
    db->execute(QStringLiteral("delete from zubereit where rid=3"));
    ASSERT_TRUE(handOverRecipe(out(), *db, 3, 8, QDate(2026, 12, 6)));
    EXPECT_EQ(count(QStringLiteral("select count(*) from [rep-korbliste]")),
              count(QStringLiteral("select count(*) from zutaten where rid=3")));
    EXPECT_EQ(value(QStringLiteral("select distinct aname||'|'||adat||'|'||p||'|'||rname from [rep-korbliste]")),
              QStringLiteral(" |2026-12-06|8|Rinderrouladen"));
    // 4 for 4, 0,25 for 4 and 250 ml for 4, wanted for 8; heading lines have no amount.
    EXPECT_EQ(value(QStringLiteral("select men from [rep-korbliste] where tid=1 and nr=1")), QStringLiteral("8"));
    EXPECT_EQ(value(QStringLiteral("select men from [rep-korbliste] where tid=2 and nr=2")), QStringLiteral("1/2"));
    EXPECT_EQ(value(QStringLiteral("select men from [rep-korbliste] where tid=2 and nr=4")), QStringLiteral("500"));
    EXPECT_EQ(value(QStringLiteral("select men from [rep-korbliste] where tid=2 and nr=0")), QStringLiteral(" "));
}

TEST_F(PrintHandover, AShoppingListAddsUpEachIngredientPerUnitAndNumbersEverySection)
{
    // 200 g for 4 in an entry for 2, and 100 g for 2 in an entry for 2: 200 g in all.
    const qint64 a = newRecipe(QStringLiteral("Oma's Kuchen"), 4,
                               {{200.0, kGramm, QStringLiteral("Mehl")},
                                {0.75, QVariant(), QStringLiteral("Ei")},
                                {QVariant(), QVariant(), QStringLiteral("Salz")},
                                {1.0, 115, QStringLiteral("Prise Glück")}});
    const qint64 b = newRecipe(QStringLiteral("Brot"), 2,
                               {{100.0, kGramm, QStringLiteral("Mehl")},
                                {0.75, QVariant(), QStringLiteral("Ei")},
                                {0.0, QVariant(), QStringLiteral("Zucker")},
                                {5.0, 13, QStringLiteral("Mehl")}},
                               false);
    const qint64 none = newRecipe(QStringLiteral("Für niemand"), 0, {{3.0, kGramm, QStringLiteral("Butter")}});
    db->execute(QStringLiteral("insert into zutaten (rid,tid,nr,zutid) select ?,2,0,zutid from zutindex where zutat='Ei'"),
                {b});  // a heading line: left out
    const qint64 aid = newList(QStringLiteral("Wochenende"), {{a, 2}, {b, 2}, {none, 4}});

    ASSERT_TRUE(handOverShoppingList(out(), *db, false, aid));
    EXPECT_EQ(rows(QStringLiteral("rid<>0")),
              (QStringList{// Zutaten: with an amount, in name order (units apart), from 1
                           QStringLiteral("1/1/1 1 1/8||o  Ei"),  // 0,375 + 0,75 as numbers
                           QStringLiteral("1/1/2 200|g|o  Mehl"), QStringLiteral("1/1/3 5|ml|o  Mehl"),
                           QStringLiteral("1/1/4 1|x|o  Prise Glück"),
                           // Sowie: without one, again from 1
                           QStringLiteral("2/1/1 Null|g|o  Butter"), QStringLiteral("2/1/2 Null||o  Salz"),
                           QStringLiteral("2/1/3 Null||o  Zucker")}));
    EXPECT_EQ(value(QStringLiteral("select group_concat(s) from (select distinct rid||':'||rname||rnr s from "
                                   "[rep-korbliste] order by rid)")),
              QStringLiteral("0:Gerichte :0,1:Zutaten :1,2:Sowie :2"));
    // The dishes in title order, the title with its apostrophe as it is.
    EXPECT_EQ(rows(QStringLiteral("rid=0")),
              (QStringList{QStringLiteral("0/1/1 Null||Brot, 2 Portionen"),
                           QStringLiteral("0/1/2 Null||Für niemand, 4 Portionen"),
                           QStringLiteral("0/1/3 Null||Oma's Kuchen, 2 Portionen")}));
    EXPECT_EQ(value(QStringLiteral("select group_concat(distinct aname) from [rep-korbliste]")),
              QStringLiteral("Einkaufsliste Wochenende"));
    EXPECT_EQ(value(QStringLiteral("select distinct adat from [rep-korbliste] where rid<>0")),
              QStringLiteral("2026-05-01"));
    EXPECT_EQ(count(QStringLiteral("select count(*) from [rep-einkauf]")), 0);
}

TEST_F(PrintHandover, AShoppingListScalesAndAddsTheStoredAmountsWhole)
{
    // Thirds scaled to halves and sixths added up: exact only with every digit stored.
    const qint64 a = newRecipe(QStringLiteral("Schmarrn"), 2,
                               {{1.0 / 3, 16, QStringLiteral("Milch")}, {2.0 / 3, kGramm, QStringLiteral("Hefe")}});
    const qint64 b = newRecipe(QStringLiteral("Pfannkuchen"), 6,
                               {{1.0 / 3, 16, QStringLiteral("Milch")}, {1.0 / 3, kGramm, QStringLiteral("Hefe")}});
    // An old cookbook's amount stored as text is read as the list print reads it.
    const qint64 c = newRecipe(QStringLiteral("Waffeln"), 4, {{QStringLiteral("0,5"), kGramm, QStringLiteral("Zimt")}});
    const qint64 aid = newList(QStringLiteral("Süßes"), {{a, 3}, {b, 3}, {c, 4}});

    ASSERT_TRUE(handOverShoppingList(out(), *db, false, aid));
    // Milch: 1/3 × 3/2 + 1/3 × 3/6 = 1/2 + 1/6 = 2/3; Hefe: 2/3 × 3/2 + 1/3 × 1/2 = 1 1/6,
    // which is no sixteenth and no third: cut to two places.
    EXPECT_EQ(rows(QStringLiteral("rid<>0")),
              (QStringList{QStringLiteral("1/1/1 1,16|g|o  Hefe"), QStringLiteral("1/1/2 2/3|l|o  Milch"),
                           QStringLiteral("1/1/3 1/2|g|o  Zimt")}));

    // One recipe alone for 3: exactly a half.
    const qint64 one = newList(QStringLiteral("Nur Schmarrn"), {{a, 3}});
    ASSERT_TRUE(handOverShoppingList(out(), *db, false, one));
    EXPECT_EQ(amount(1, QStringLiteral("o  Milch")), QStringLiteral("1/2"));
    EXPECT_EQ(amount(1, QStringLiteral("o  Hefe")), QStringLiteral("1"));
}

TEST_F(PrintHandover, TheMenusShoppingListTakesItsDishesAndName)
{
    ASSERT_TRUE(handOverShoppingList(out(), *db, true, 1));
    EXPECT_EQ(rows(QStringLiteral("rid=0")), (QStringList{QStringLiteral("0/1/1 Null||Kartoffelsuppe mit Majoran, 2 Portionen"),
                                                          QStringLiteral("0/1/2 Null||Rinderrouladen, 5 Portionen")}));
    EXPECT_EQ(value(QStringLiteral("select group_concat(distinct aname) from [rep-korbliste]")),
              QStringLiteral("Einkaufsliste Sonntagsessen im Herbst"));
    // Kartoffelsuppe's 750 g potatoes for 4, wanted for 2.
    EXPECT_EQ(value(QStringLiteral("select men from [rep-korbliste] where zname='o  Kartoffeln, mehlig kochend'"))
                  .toString(),
              QStringLiteral("375"));
}

// A host that notes how many rows the hand-over table holds when the log question comes.
class CountingDialogs : public ScriptedDialogs {
public:
    explicit CountingDialogs(db::Database& db) : m_db(db) {}
    Answer msgbox(const QString& text, int style, const QString& title) override
    {
        rowsAtQuestion = m_db.scalar(QStringLiteral("select count(*) from [rep-korbliste]")).toLongLong();
        return ScriptedDialogs::msgbox(text, style, title);
    }
    qint64 rowsAtQuestion = -1;

private:
    db::Database& m_db;
};

TEST_F(PrintHandover, TheListPrintAsksForTheLogFirstAndLogsItsStartAndHandOver)
{
    ASSERT_TRUE(handOverList(out(), *db, false, 1, QString()));
    savereg(reg::printlogging, QStringLiteral("1"));
    const qint64 printed = count(QStringLiteral("select count(*) from [rep-korbliste]"));
    QFile::remove(printlogPath());
    {
        CountingDialogs asking(out());
        asking.expect(QStringLiteral("Soll ein Logfile während des Druckvorgangs erstellt werden ?"), Answer::Yes)
            .withTitle(QStringLiteral("Kelvor"));
        EXPECT_FALSE(handOverList(out(), *db, false, std::nullopt, QString()));
        EXPECT_EQ(asking.rowsAtQuestion, printed) << "asked before the table was emptied";
    }
    EXPECT_EQ(logText(), QStringLiteral("main.druckaus start\r\n"));

    // The recipe print and the shopping list ask nothing and keep the answer.
    ASSERT_TRUE(handOverRecipe(out(), *db, 3, 4, QDate(2026, 12, 6)));
    ASSERT_TRUE(handOverShoppingList(out(), *db, false, 1));
    EXPECT_TRUE(printlogon());
}

}  // namespace
}  // namespace kv::test
