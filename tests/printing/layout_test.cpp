// The layout engine with fixed metrics: every number below is worked out from the sheet
// and metrics described in layoutfixture.h.

#include "platform/paths.h"
#include "platform/ui/closinghooks.h"
#include "tests/printing/layoutfixture.h"

#include <QFile>
#include <QLocale>
#include <QObject>

namespace kv::test {
namespace {

using ui::Answer;

const QString kObacht = QStringLiteral("Obacht ! Sie haben so viele Spalten, daß die Zutatenliste nicht mehr "
                                       "angenehm dargestellt werden kann !");

TEST_F(LayoutTest, PageAndColumnGeometryForOneAndSeveralColumnsAndABooklet)
{
    addRecipe(1, QStringLiteral("Suppe"), 4, {QStringLiteral("Wasser")});
    run();
    const LayoutState& s = layout->state();
    EXPECT_EQ(s.margleft, 160);
    EXPECT_EQ(s.margright, 140);
    EXPECT_EQ(s.margtop, 150);
    EXPECT_EQ(s.margbottom, 150);
    EXPECT_EQ(s.printwidth, 1700);
    EXPECT_EQ(s.rezwidth, 765);
    EXPECT_EQ(s.colgap, 170);
    EXPECT_EQ(s.headerheight, 180);
    EXPECT_EQ(s.footerheight, 135);
    EXPECT_EQ(s.footery, 2715);
    EXPECT_EQ(s.contenttop, 330);
    EXPECT_EQ(s.spacing, 20);

    // One column takes nine tenths of the width and keeps 10 pixels of gap.
    layout->setColumncount(1);
    run();
    EXPECT_EQ(layout->state().rezwidth, 1530);
    EXPECT_EQ(layout->state().colgap, 10);

    // With n columns the gaps share the remaining tenth.
    layout->setColumncount(3);
    run();
    EXPECT_EQ(layout->state().rezwidth, 510);
    EXPECT_EQ(layout->state().colgap, 85);

    // A booklet page is half the width between the margins, less the right margin once more.
    bookletmode = true;
    layout->setColumncount(1);
    run();
    EXPECT_EQ(layout->state().printwidth, 710);
    EXPECT_EQ(layout->state().rezwidth, 639);
    EXPECT_EQ(window.calls.count(QStringLiteral("msgbox")), 0);
}

TEST_F(LayoutTest, EmptyMarginsAreThePrintersBordersWrittenBackWithADecimalComma)
{
    for (int side = 0; side < 4; ++side)
        savereg(reg::printmarg(side), QString());
    run();
    EXPECT_EQ(getreg(reg::printmarg0), QStringLiteral("0,4"));
    EXPECT_EQ(getreg(reg::printmarg1), QStringLiteral("0,6"));
    EXPECT_EQ(getreg(reg::printmarg2), QStringLiteral("0,5"));
    EXPECT_EQ(getreg(reg::printmarg3), QStringLiteral("0,5"));
    EXPECT_EQ(layout->state().margleft, 0);
    EXPECT_EQ(layout->state().margright, 0);
    EXPECT_EQ(layout->state().margtop, 0);
    // 50 pixels is below the bottom minimum: the border plus a seventy-fifth of 2100.
    EXPECT_EQ(layout->state().margbottom, 28);
    EXPECT_EQ(layout->state().footery, 3000 - 28 - 135);

    // A border of 100 pixels at 600 dpi is 0,4233... cm, and comes back as 100 pixels.
    layout->setGeometry({100, 100, 4800, 6800, 5000, 7000, 600, 600});
    for (int side = 0; side < 4; ++side)
        savereg(reg::printmarg(side), QString());
    run();
    EXPECT_EQ(getreg(reg::printmarg0), QStringLiteral("0,423333333333333"));
    EXPECT_EQ(layout->state().margleft, 0);
}

TEST_F(LayoutTest, MarginsAndSizesReadACommaOrAPointWhateverTheLocale)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    savereg(reg::printmarg0, QStringLiteral("2.5"));
    savereg(reg::printmarg1, QStringLiteral("1,5"));
    savereg(reg::printmarg3, QStringLiteral("0,6"));
    savereg(reg::printfont1size, QStringLiteral("10,5"));
    savereg(reg::printfont0size, QStringLiteral("12,5"));
    run();
    const LayoutState& s = layout->state();
    EXPECT_EQ(s.margleft, 250 - 40);
    EXPECT_EQ(s.margright, 150 - 60);
    EXPECT_EQ(s.margbottom, 78 - 50) << "60 pixels are raised to the minimum of 78";
    EXPECT_EQ(s.fonts[1].size, 10.5);
    EXPECT_EQ(s.spacing, 21);
    EXPECT_EQ(s.fonts[0].size, 12) << "the header size is whole, a half going to the even neighbour";
}

TEST_F(LayoutTest, NarrowColumnsWarnOncePerRunAndAreLaidOutAllTheSame)
{
    for (int i = 1; i <= 3; ++i)
        addRecipe(i, QStringLiteral("R%1").arg(i), {}, {QStringLiteral("Mehl")});
    layout->setColumncount(5);
    dialogs.expect(kObacht, Answer::Ok).withStyle(ui::Critical).withTitle(QStringLiteral(" "));
    run();
    dialogs.verify();
    EXPECT_EQ(value(QStringLiteral("select count(*) from blockpos")).toInt(), 3);
    EXPECT_EQ(layout->state().rezwidth, 306);

    // A layout asked for while the box waits is refused; the running one goes on.
    PrintLayout::Run inner = PrintLayout::Run::Done;
    window.duringBox = [&] { inner = layout->calcrezsizes(); };
    dialogs.expect(kObacht, Answer::Ok);
    run();
    EXPECT_EQ(inner, PrintLayout::Run::Refused);
    EXPECT_EQ(value(QStringLiteral("select count(*) from blockpos")).toInt(), 3);
}

TEST_F(LayoutTest, InAColumnTooNarrowForTheNameBesideAmountAndUnitItsLinesAreMeasuredUnderThem)
{
    narrowColumnRecipe();
    dialogs.expect(kObacht, Answer::Ok);
    run();
    dialogs.verify();
    EXPECT_EQ(layout->state().rezwidth, 153);
    EXPECT_EQ(layout->state().zutline, 90);
    // The name is 126 pixels (12 characters) wide. Mehl: its line under "500 g", 90 + 90;
    // the heading beside its blank amount, two lines; the potatoes, four lines under
    // "1 kg"; salt and pepper beside their blank amount, two lines.
    EXPECT_EQ(column(QStringLiteral("select zy from zutpos where rid=1 order by tid,nr")),
              (QVariantList{510, 740, 930, 1390}));
    EXPECT_EQ(column(QStringLiteral("select zh from zutpos where rid=1 order by tid,nr")),
              (QVariantList{190 + 40, 190, 460, 190 + 80}));
}

TEST_F(LayoutTest, ABlockKeepsRoomForHeadingsTheLastLineAndThePreparation)
{
    addRecipe(7, QStringLiteral("Suppe"), 4,
              {QStringLiteral("Kartoffeln"), QStringLiteral("Zwiebel"), QStringLiteral("#Für die Einlage"),
               QStringLiteral("Petersilie")},
              QStringLiteral("Alles kochen."));
    // No servings value: 2 s are kept all the same. No preparation: one piece of s.
    addRecipe(8, QStringLiteral("Tee"), {}, {QStringLiteral("Wasser")});
    run();
    EXPECT_EQ(window.calls, (QStringList{"waitmess on", "busy", "pagescapt", "waitmess off", "printpage 1", "idle"}));
    EXPECT_TRUE(layout->printable());

    EXPECT_EQ(row(QStringLiteral("select rid,page,col,gx,gy,gw,gh,ph from blockpos where rid=7")),
              QStringLiteral("7,1,1,160,330,765,140,130"));
    EXPECT_EQ(column(QStringLiteral("select zy from zutpos where rid=7 order by tid,nr")),
              (QVariantList{600, 700, 840, 940}));
    // A line before a heading gets 2 s more, the last line 4 s more.
    EXPECT_EQ(column(QStringLiteral("select zh from zutpos where rid=7 order by tid,nr")),
              (QVariantList{100, 140, 100, 180}));
    EXPECT_EQ(row(QStringLiteral("select part,startchar,endchar,page,col,tx,ty,th,tw from zubpos where rid=7")),
              QStringLiteral("1,1,13,1,1,160,1120,110,765"));

    EXPECT_EQ(row(QStringLiteral("select gy,gh,ph from blockpos where rid=8")), QStringLiteral("1230,140,40"));
    EXPECT_EQ(row(QStringLiteral("select zy,zh from zutpos where rid=8")), QStringLiteral("1410,180"));
    EXPECT_EQ(row(QStringLiteral("select part,startchar,endchar,ty,th from zubpos where rid=8")),
              QStringLiteral("1,1,Null,1590,20"));
}

TEST_F(LayoutTest, RecipesOfEqualTitleStayWholeBlocksInIdOrder)
{
    addRecipe(9, QStringLiteral("Suppe"), 2, {QStringLiteral("Neun a"), QStringLiteral("Neun b")},
              QStringLiteral("Neun."));
    addRecipe(5, QStringLiteral("Suppe"), 2, {QStringLiteral("Fünf a"), QStringLiteral("Fünf b")},
              QStringLiteral("Fünf."));
    run();
    EXPECT_EQ(column(QStringLiteral("select rid from blockpos order by gy")), (QVariantList{5, 9}));
    EXPECT_EQ(column(QStringLiteral("select count(*) from zubpos group by rid order by rid")), (QVariantList{1, 1}));
}

TEST_F(LayoutTest, BlocksMoveWholeToTheNextColumnAndPageWithItsHeaderAndFooter)
{
    // Each block is 380 pixels: six fit into a column from 330 to 2715.
    for (int i = 1; i <= 13; ++i)
        addRecipe(100 + i, QStringLiteral("R%1").arg(i, 2, 10, QLatin1Char('0')), {}, {QStringLiteral("Mehl")});
    layout->setCurrentpage(5);
    run();
    EXPECT_EQ(layout->pagecount(), 2);
    EXPECT_EQ(layout->currentpage(), 2) << "a shorter layout shows its last page";
    EXPECT_EQ(window.calls.last(2), (QStringList{"printpage 2", "idle"}));
    EXPECT_EQ(layout->pagesCaption(), QStringLiteral("Seite : 2 von 2"));

    EXPECT_EQ(row(QStringLiteral("select page,col,gx,gy from blockpos where rid=106")), QStringLiteral("1,1,160,2230"));
    EXPECT_EQ(row(QStringLiteral("select page,col,gx,gy from blockpos where rid=107")), QStringLiteral("1,2,1095,330"));
    EXPECT_EQ(row(QStringLiteral("select page,col,gx,gy from blockpos where rid=113")), QStringLiteral("2,1,160,330"));

    EXPECT_EQ(row(QStringLiteral("select page,hx,hy,hw,hh,htextl,htextc,htextr from headpos where page=2")),
              QStringLiteral("2,160,150,1700,180,Liste ,,"));
    EXPECT_EQ(row(QStringLiteral("select page,fx,fy,fw,fh,ftextl,ftextc,ftextr from footpos where page=1")),
              QStringLiteral("1,160,2715,1700,135,,, Seite 1 von 2 "));
    EXPECT_EQ(value(QStringLiteral("select count(*) from headpos")).toInt(), 2);
    EXPECT_EQ(value(QStringLiteral("select count(*) from footpos")).toInt(), 2);
}

TEST_F(LayoutTest, AnEmptyHandOverLaysOutOnePageWithItsBands)
{
    savereg(reg::printtitleorder, QStringLiteral("LACX"));
    savereg(reg::printtitleextra, QStringLiteral("Kelvor"));
    run();
    EXPECT_EQ(layout->pagecount(), 1);
    EXPECT_EQ(value(QStringLiteral("select count(*) from blockpos")).toInt(), 0);
    EXPECT_EQ(row(QStringLiteral("select htextl,htextc from headpos")), QStringLiteral(" ,Kelvor "));

    // A Null name is an empty name too.
    addRecipe(1, QStringLiteral("Suppe"), 4, {QStringLiteral("Wasser")}, {}, {}, QString());
    book->execute(QStringLiteral("update [rep-korbliste] set aname=null"));
    run();
    EXPECT_EQ(row(QStringLiteral("select htextl,htextc from headpos")), QStringLiteral(" ,Kelvor "));
}

TEST_F(LayoutTest, APreparationStartingAtTheTopOfAColumnIsCutAtBlanks)
{
    // 210 words are 30 lines; 22 fit below the block's line, from 690 to the footer.
    const QString text = words(210);
    addRecipe(20, QStringLiteral("Lang"), {}, {QStringLiteral("Mehl")}, text);
    addRecipe(21, QStringLiteral("Nach"), {}, {QStringLiteral("Salz")});
    run();
    EXPECT_EQ(column(QStringLiteral("select part||','||startchar||','||endchar||','||page||','||col||','||tx||','||ty||','||th "
                                    "from zubpos where rid=20 order by part")),
              (QVariantList{"1,1,1539,1,1,160,690,1980", "2,1540,2099,1,2,1095,330,720"}));
    // The second piece starts with the blank at which the text was cut.
    EXPECT_EQ(text.mid(1539, 2), QStringLiteral(" w"));
    // The next recipe follows the last piece without a gap.
    EXPECT_EQ(row(QStringLiteral("select page,col,gy from blockpos where rid=21")), QStringLiteral("1,2,1050"));
}

TEST_F(LayoutTest, ABlankFreePreparationLeavesAnEmptyPieceAndHeadsTheNextColumnClipped)
{
    QStringList parts;
    for (int i = 1; i <= 30; ++i)
        parts << QStringLiteral("Zeile%1").arg(i, 2, 10, QLatin1Char('0'));
    const QString text = parts.join(QStringLiteral("\r\n"));
    ASSERT_EQ(text.size(), 268);
    addRecipe(30, QStringLiteral("Ohne"), {}, {QStringLiteral("Mehl")}, text);
    addRecipe(31, QStringLiteral("Zzz"), {}, {QStringLiteral("Salz")});
    run();
    // The text no column holds stays whole at the top of its column, clipped, instead of
    // moving on from column to column.
    EXPECT_EQ(column(QStringLiteral("select part||','||startchar||','||endchar||','||col||','||ty||','||th "
                                    "from zubpos where rid=30 order by part")),
              (QVariantList{"1,1,0,1,690,0", "2,1,268,2,330,2700"}));
    EXPECT_EQ(row(QStringLiteral("select page,col,gy from blockpos where rid=31")), QStringLiteral("2,1,330"));
}

TEST_F(LayoutTest, IngredientLinesRunningIntoTheFooterContinueInTheNextColumns)
{
    QStringList lines;
    for (int i = 1; i <= 60; ++i)
        lines << QStringLiteral("Zutat %1").arg(i, 2, 10, QLatin1Char('0'));
    addRecipe(40, QStringLiteral("Viele"), {}, lines, QStringLiteral("Fertig."));
    run();
    auto at = [&](int nr) {
        return row(QStringLiteral("select page,col,zx,zy from zutpos where rid=40 and nr=%1").arg(nr));
    };
    EXPECT_EQ(at(22), QStringLiteral("1,1,160,2610"));
    EXPECT_EQ(at(23), QStringLiteral("1,2,1095,330"));
    EXPECT_EQ(at(46), QStringLiteral("2,1,160,330"));
    EXPECT_EQ(row(QStringLiteral("select page,col,gy from blockpos")), QStringLiteral("1,1,330"));
    EXPECT_EQ(row(QStringLiteral("select page,col,tx,ty,th from zubpos")), QStringLiteral("2,1,160,1910,110"));
    EXPECT_EQ(layout->pagecount(), 2);
}

TEST_F(LayoutTest, ALineTallerThanAColumnStaysAtTheTopOfItsColumnClipped)
{
    QStringList tall;
    for (int i = 1; i <= 30; ++i)
        tall << QStringLiteral("Teil%1").arg(i);
    addRecipe(50, QStringLiteral("Hoch"), {}, {QStringLiteral("Mehl"), tall.join(u'\n')});
    run();
    EXPECT_EQ(row(QStringLiteral("select page,col,zy,zh from zutpos where nr=1")), QStringLiteral("1,1,510,100"));
    EXPECT_EQ(row(QStringLiteral("select page,col,zy,zh from zutpos where nr=2")), QStringLiteral("1,2,330,2790"));
    EXPECT_EQ(row(QStringLiteral("select page,col,ty,th from zubpos")), QStringLiteral("2,1,330,20"));
}

TEST_F(LayoutTest, TheLayoutDatabaseIsReplacedAtTheFirstLayoutAndEmptiedAfter)
{
    const QString file = LayoutDatabase::path();
    EXPECT_TRUE(file.startsWith(paths::privateTempFolder()));
    EXPECT_EQ(QFile::permissions(paths::privateTempFolder()) & (QFile::ReadOther | QFile::ReadGroup), 0);
    db::Database::create(file)->execute(QStringLiteral("create table alt (x integer)"));

    addRecipe(1, QStringLiteral("Suppe"), 4, {QStringLiteral("Wasser")});
    run();
    EXPECT_TRUE(layout->layoutdbopen());
    db::Database& layoutDb = layout->layoutDatabase().db();
    EXPECT_FALSE(layoutDb.hasTable(QStringLiteral("alt")));
    layoutDb.execute(QStringLiteral("create table merker (x integer)"));

    book->execute(QStringLiteral("delete from [rep-korbliste]"));
    addRecipe(2, QStringLiteral("Tee"), {}, {QStringLiteral("Wasser")});
    run();
    EXPECT_TRUE(layout->layoutDatabase().db().hasTable(QStringLiteral("merker"))) << "the file was made anew";
    EXPECT_EQ(column(QStringLiteral("select rid from blockpos")), (QVariantList{2}));
    EXPECT_EQ(column(QStringLiteral("select rid from rezepte")), (QVariantList{2}));
    EXPECT_EQ(value(QStringLiteral("select count(*) from headpos")).toInt(), 1);
}

TEST_F(LayoutTest, AFailingStepEndsTheRunSaysSoOnceAndKeepsPrintingOffUntilALayoutSucceeds)
{
    addRecipe(1, QStringLiteral("Suppe"), 4, {QStringLiteral("Wasser"), QStringLiteral("Salz")});
    setPrintlogon(true);
    run();
    EXPECT_TRUE(layout->printable());

    layout->layoutDatabase().db().execute(QStringLiteral("drop table zutpos"));
    window.calls.clear();
    dialogs.expect(QStringLiteral("Das Seitenlayout konnte nicht berechnet werden ("), Answer::Ok)
        .withStyle(ui::Critical)
        .withTitle(QStringLiteral(" F E H L E R"));
    EXPECT_EQ(layout->calcrezsizes(), PrintLayout::Run::Failed);
    dialogs.verify();
    EXPECT_FALSE(layout->printable());
    EXPECT_EQ(logText().count(QStringLiteral("calcrezsizes Error ")), 1);
    EXPECT_EQ(window.calls, (QStringList{"waitmess on", "busy", "waitmess off", "idle", "msgbox"}));

    window.calls.clear();
    run();
    EXPECT_TRUE(layout->printable());
    EXPECT_EQ(value(QStringLiteral("select count(*) from zutpos")).toInt(), 2);
}

TEST_F(LayoutTest, AfterACookbookSwitchTheNextLayoutShowsTheNewCookbooksRows)
{
    QObject printWindow;
    ui::onCookbookClosing(&printWindow, [this] { layout->cookbookClosing(); });
    addRecipe(1, QStringLiteral("Alt"), 4, {QStringLiteral("Wasser")});
    run();

    const QString second = env.copyShippedCookbook(QStringLiteral("zweites"));
    std::unique_ptr<db::Database> other = db::Database::open(second + QStringLiteral("kelvor-daten.mdb"));
    other->execute(QStringLiteral("delete from [rep-korbliste]"));
    ui::runCookbookClosing();
    EXPECT_FALSE(layout->layoutdbopen());
    EXPECT_FALSE(layout->layoutDatabase().isOpen());
    book = std::move(other);
    addRecipe(2, QStringLiteral("Neu"), 4, {QStringLiteral("Milch")});
    run();
    EXPECT_EQ(column(QStringLiteral("select rname from rezepte")), (QVariantList{"Neu"}));
    EXPECT_EQ(column(QStringLiteral("select rid from blockpos")), (QVariantList{2}));
}

}  // namespace
}  // namespace kv::test
