// Booklet pages as they print from the print window: half a sheet wide, their header texts
// keep apart, and a title word longer than its column goes on over the next line.

#include "core/settings.h"
#include "platform/db/database.h"
#include "printing/printtext.h"
#include "printing/render.h"
#include "tests/printing/printwindowtest.h"

#include <QFontMetricsF>

namespace kv::test {
namespace {

class BookletPrint : public PrintWindowTest {
protected:
    // The print window in booklet mode, printing at 300 dpi, so a page fits into an image:
    // on landscape sheets two A5 pages of two columns each, on upright ones two narrow pages
    // of one column.
    void showBooklet(QPageLayout::Orientation orientation)
    {
        const bool landscape = orientation == QPageLayout::Landscape;
        savereg(reg::printbooklet, QStringLiteral("1"));
        savereg(reg::printorient, landscape ? QStringLiteral("quer") : QStringLiteral("hoch"));
        savereg(reg::printspalten, landscape ? QStringLiteral("2") : QStringLiteral("1"));
        showForm();
        dialogs.expectPrinterSetup([orientation](PrinterChoice& c) {
            c.resolution = 300;
            c.orientation = orientation;
            return true;
        });
        formControl("druckaus")->click();
        dialogs.verify();
        ASSERT_TRUE(form()->layout().booklet());
        ASSERT_EQ(form()->layout().geometry().dpiy, 300);
    }
    db::Database& layoutDb() { return form()->layout().layoutDatabase().db(); }
};

// The blank runs between inked columns of `area`, left to right, in pixels.
QList<int> blankRuns(const QImage& image, QRect area)
{
    QList<int> runs;
    int run = -1;  // no ink seen yet
    for (int x = area.left(); x <= area.right(); ++x) {
        const bool inked = !inkBounds(image, QRect(x, area.top(), 1, area.height())).isEmpty();
        if (inked) {
            if (run > 0)
                runs << run;
            run = 0;
        } else if (run >= 0) {
            ++run;
        }
    }
    return runs;
}

TEST_F(BookletPrint, TheLeftCentreAndRightHeaderTextsKeepApart)
{
    ASSERT_TRUE(arialNarrowIsLiberationSansNarrow());
    savereg(reg::printtitleorder, QStringLiteral("LACDRX"));
    savereg(reg::printtitleextra, QStringLiteral("Omas Küche"));
    showBooklet(QPageLayout::Portrait);
    db::Statement band(layoutDb(), QStringLiteral("select page,hx,hy,hw,hh from headpos where htextl<>'' and "
                                                  "htextc<>'' and htextr<>'' order by page limit 1"));
    ASSERT_TRUE(band.step());
    const QRect area(int(band.int64(1)), int(band.int64(2)), int(band.int64(3)), int(band.int64(4)));
    const QImage page = paperPage(int(band.int64(0)));
    // A blank wider than two word spaces stands only between two of the texts.
    ImageSurface measuring(300);
    const PrintFontDef& f = form()->layout().state().fonts[0];
    const double space = QFontMetricsF(printFont(measuring.surface(), f.name, f.size, f.bold, f.italic),
                                       measuring.surface().device())
                             .horizontalAdvance(u' ');
    int apart = 0;
    for (int run : blankRuns(page, area))
        apart += run > 2 * space ? 1 : 0;
    EXPECT_EQ(apart, 2) << "runs " << testing::PrintToString(blankRuns(page, area)) << ", space " << space;
    // Nothing of the header reaches beyond its band.
    const QRect ink = inkBounds(page, area.adjusted(-area.left(), 0, page.width() - area.right() - 1, 0));
    EXPECT_TRUE(area.contains(ink));
}

TEST_F(BookletPrint, ATitleWordLongerThanItsColumnGoesOnOverTheNextLine)
{
    ASSERT_TRUE(arialNarrowIsLiberationSansNarrow());
    const QString title = QStringLiteral("Zitronen-Kräuter-Marinadenfleischspießchenvariationen");
    db().execute(QStringLiteral("update rezepte set rname=? where rid=(select min(rid) from rezinaus where aid=1)"),
                 {title});
    db().execute(QStringLiteral("update rezinaus set rname=? where aid=1 and rid=(select min(rid) from rezinaus "
                                "where aid=1)"),
                 {title});
    showBooklet(QPageLayout::Landscape);
    db::Statement block(layoutDb(), QStringLiteral("select blockpos.page,gx,gy,gw,gh from blockpos inner join rezepte "
                                                   "on blockpos.rid=rezepte.rid where rezepte.rname=? limit 1"));
    block.bind(1, title);
    ASSERT_TRUE(block.step());
    const QRect box(int(block.int64(1)), int(block.int64(2)), int(block.int64(3)), int(block.int64(4)));
    const PrintFontDef& f = form()->layout().state().fonts[1];
    ImageSurface measuring(300);
    const QFontMetricsF metrics(printFont(measuring.surface(), f.name, f.size, f.bold, f.italic),
                                measuring.surface().device());
    ASSERT_GT(metrics.horizontalAdvance(title), box.width());
    const int lh = measuretextblock(measuring.surface(), QStringLiteral("T"), f.name, f.size, f.bold, f.italic, 0, 0,
                                    box.width(), 0);
    // The block is as high as the lines the title needs, and each holds ink.
    EXPECT_GE(box.height(), 2 * lh);
    const QImage page = paperPage(int(block.int64(0)));
    EXPECT_EQ(inkedBands(page.copy(box), 0, lh).size(), box.height() / lh);
}

}  // namespace
}  // namespace kv::test
