// The booklet imposition, over laid-out pages of one recipe each (the sheet and metrics of
// layoutfixture.h in one column: a booklet page is 710 pixels wide, from margleft 160;
// a right-hand page stands half the printable width, 1000 pixels, further right).

#include "core/mainmod.h"
#include "tests/printing/layoutfixture.h"

namespace kv::test {
namespace {

class BookletTest : public LayoutTest {
protected:
    void SetUp() override
    {
        LayoutTest::SetUp();
        layout->setColumncount(1);
        bookletmode = true;
    }

    // Each recipe's sheet side and x: "rid:page:gx", by rid.
    QString sides()
    {
        QStringList out;
        db::Statement st(layout->layoutDatabase().db(),
                         QStringLiteral("select rid,page,gx from blockpos where rid<>0 order by rid"));
        while (st.step())
            out << QStringLiteral("%1:%2:%3").arg(st.int64(0)).arg(st.int64(1)).arg(st.int64(2));
        return out.join(u',');
    }

    // The laid-out pages, before the imposition.
    int laidOut()
    {
        bookletmode = false;
        run();
        const int n = layout->pagecount();
        bookletmode = true;
        return n;
    }
};

TEST_F(BookletTest, FivePagesGetATitlePageAndBecomeFourSheetSides)
{
    onePagePerRecipe(5);
    ASSERT_EQ(laidOut(), 5);
    layout->setCurrentpage(5);
    run();
    EXPECT_EQ(layout->pagecount(), 4);
    // 5 + title = 6, filled up to 8: side k carries pages k and 9 - k, the odd one right.
    // Recipe p is page p + 1.
    EXPECT_EQ(sides(), QStringLiteral("1:2:160,2:3:1160,3:4:160,4:4:1160,5:3:160"));
    // The title page: the list's name alone, in the header font across the body, right
    // half of side 1; no footer.
    EXPECT_EQ(row(QStringLiteral("select page,hx,hy,hw,hh,htextl,htextc,htextr from headpos where hy<>150")),
              QStringLiteral("1,1160,330,710,2385,Null,Liste,Null"));
    EXPECT_EQ(value(QStringLiteral("select count(*) from footpos")).toInt(), 5);
    // The page shown is never beyond the sides.
    EXPECT_EQ(layout->currentpage(), 4);
    EXPECT_EQ(window.calls.filter(QStringLiteral("printpage")).last(), QStringLiteral("printpage 4"));
}

TEST_F(BookletTest, WithYesFourPagesGiveFourOneAndTwoThreeWithTheirNumbersOutside)
{
    savereg(reg::printbookletfirsttitle, QStringLiteral("yes"));
    savereg(reg::printtitleorder, QStringLiteral("LALS"));
    onePagePerRecipe(4);
    run();
    EXPECT_EQ(layout->pagecount(), 2);
    EXPECT_EQ(sides(), QStringLiteral("1:1:1160,2:2:160,3:2:1160,4:1:160"));
    EXPECT_EQ(value(QStringLiteral("select count(*) from headpos")).toInt(), 4);
    // Side 1 carries page 4 (left) and page 1 (right): the header is mirrored on the odd
    // page, the footer on the even one, so the numbers stand outside.
    const QString head = QStringLiteral("select coalesce(htextl,'-')||'|'||coalesce(htextr,'-') from headpos "
                                        "where page=1 and hx=%1");
    const QString foot = QStringLiteral("select coalesce(ftextl,'-')||'|'||coalesce(ftextr,'-') from footpos "
                                        "where page=1 and fx=%1");
    EXPECT_EQ(value(head.arg(160)).toString(), QStringLiteral("Liste  Seite 4 |"));
    EXPECT_EQ(value(head.arg(1160)).toString(), QStringLiteral("|Liste  Seite 1 "));
    EXPECT_EQ(value(foot.arg(160)).toString(), QStringLiteral(" Seite 4 von 4 |"));
    EXPECT_EQ(value(foot.arg(1160)).toString(), QStringLiteral("| Seite 1 von 4 "));
}

TEST_F(BookletTest, OnePageWithItsTitlePageMakesTwoSides)
{
    onePagePerRecipe(1);
    run();
    EXPECT_EQ(layout->pagecount(), 2);
    // Side 1: the blank page 4 | the title page; side 2: the recipe | the blank page 3.
    EXPECT_EQ(sides(), QStringLiteral("1:2:160"));
    EXPECT_EQ(row(QStringLiteral("select page,hx,htextc from headpos where htextc='Liste'")),
              QStringLiteral("1,1160,Liste"));
}

TEST_F(BookletTest, OnlyYesAsWrittenLeavesTheTitlePageOut)
{
    onePagePerRecipe(4);
    for (const char* answer : {"Yes", "YES", "ja", "yes.", ""}) {
        savereg(reg::printbookletfirsttitle, QString::fromLatin1(answer));
        run();
        EXPECT_EQ(layout->pagecount(), 4) << answer;
        EXPECT_EQ(value(QStringLiteral("select count(*) from headpos where htextc='Liste'")).toInt(), 1) << answer;
    }
}

TEST_F(BookletTest, EightPagesNestOnFourSheetSides)
{
    savereg(reg::printbookletfirsttitle, QStringLiteral("yes"));
    onePagePerRecipe(8);
    run();
    EXPECT_EQ(layout->pagecount(), 4);
    // Side 1 = 8 | 1, side 2 = 2 | 7, side 3 = 6 | 3, side 4 = 4 | 5.
    EXPECT_EQ(sides(), QStringLiteral("1:1:1160,2:2:160,3:3:1160,4:4:160,5:4:1160,6:3:160,7:2:1160,8:1:160"));
    // Every item of a page moves with it.
    for (const char* sql : {"select count(*) from zutpos z join blockpos b on z.rid=b.rid where z.page<>b.page "
                            "or z.zx<>b.gx",
                            "select count(*) from zubpos z join blockpos b on z.rid=b.rid where z.page<>b.page "
                            "or z.tx<>b.gx"})
        EXPECT_EQ(value(QString::fromLatin1(sql)).toInt(), 0) << sql;
}

TEST_F(BookletTest, AnOddPrintableWidthMovesRightHandPagesByItsHalfRoundedToEven)
{
    savereg(reg::printbookletfirsttitle, QStringLiteral("yes"));
    layout->setGeometry({50, 40, 9917, 3000, 10017, 3100, 254, 254});
    onePagePerRecipe(2);
    run();
    EXPECT_EQ(sides(), QStringLiteral("1:1:5118,2:2:160"));
    EXPECT_EQ(value(QStringLiteral("select min(hx) from headpos where page=1")).toInt(), 5118);
}

TEST_F(BookletTest, AMenusTitlePageIsNamedFromItsDishesNotItsDescription)
{
    // The description row comes first and has a blank name.
    book->execute(QStringLiteral("insert into [rep-korbliste] (rid,nr,tid,aname,ztext,rname,rnr) "
                                 "values (0,0,0,' ','Ein Essen im Herbst ','       ',0)"));
    onePagePerRecipe(1, QStringLiteral("Sonntagsessen"));
    book->execute(QStringLiteral("update [rep-korbliste] set rnr=1 where rid<>0"));
    run();
    EXPECT_EQ(value(QStringLiteral("select htextc from headpos where page=1 and hy=330")).toString(),
              QStringLiteral("Sonntagsessen"));
}

}  // namespace
}  // namespace kv::test
