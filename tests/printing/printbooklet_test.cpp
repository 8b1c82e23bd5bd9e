// Booklet pages as they print from the print window: half a sheet wide, their header texts
// keep apart, a title word longer than its column goes on over the next line, and an
// ingredient font too wide for its column still prints every ingredient name. Set
// KELVOR_PRINT_PDF_DIR to a folder to keep the PDF files printed here for looking at.

#include "core/settings.h"
#include "platform/db/database.h"
#include "printing/printjob.h"
#include "printing/printnumber.h"
#include "printing/printtext.h"
#include "printing/render.h"
#include "tests/printing/printwindowtest.h"
#include "tests/support/pdftext.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <map>

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

// The text of each column of a PDF's pages, top to bottom: the pieces of a page that start
// at one x, joined with blanks. A text block wrapped over lines comes back whole, as its lines
// start at its left edge. Ligatures ("ﬀ") are read as their letters.
QStringList pdfColumnTexts(const QString& path)
{
    QStringList texts;
    for (std::vector<PdfTextPiece> pieces : pdfTextPieces(path)) {
        std::stable_sort(pieces.begin(), pieces.end(),
                         [](const PdfTextPiece& a, const PdfTextPiece& b) { return a.y > b.y; });
        std::map<long, QStringList> columns;
        for (const PdfTextPiece& p : pieces)
            columns[std::lround(p.x * 10)] << p.text.normalized(QString::NormalizationForm_KC).simplified();
        for (const auto& [x, lines] : columns)
            texts << lines.join(u' ');
    }
    return texts;
}

// An ingredient font so wide that a booklet page's column has no room
// left for the name beside number, amount and unit.
TEST_F(BookletPrint, AWideIngredientFontInTwoColumnsPrintsEveryIngredientNameToPdf)
{
    const QString serif = QStringLiteral("DejaVu Serif");
    ASSERT_EQ(QFontInfo(QFont(serif)).family(), serif) << "install Debian's fonts-dejavu-core (scripts/setup.sh does)";
    db().execute(QStringLiteral("delete from rezinaus where aid=1"));
    db().execute(QStringLiteral("insert into rezinaus (aid,rid,rname,port) select 1,rid,rname,4 from rezepte"));
    savereg(reg::printfont2name, serif);
    savereg(reg::printfont2size, QStringLiteral("11"));
    savereg(reg::printbooklet, QStringLiteral("1"));
    savereg(reg::printspalten, QStringLiteral("2"));
    // The warning stays.
    dialogs.expect(QStringLiteral("Obacht ! Sie haben so viele Spalten, daß die Zutatenliste nicht mehr angenehm "
                                  "dargestellt werden kann !"),
                   ui::Answer::Ok);
    showForm();
    dialogs.verify();
    ASSERT_TRUE(form()->layout().booklet());
    const LayoutState& s = form()->layout().state();
    ASSERT_LE(whole(s.rezwidth) - 18 * s.zutchar, 0) << "rezwidth " << s.rezwidth << ", zutchar " << s.zutchar;

    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    const QString file = out.filePath(QStringLiteral("heft.pdf"));
    dialogs.expectFile(QStringLiteral("Druck als PDF-Datei speichern"), file);
    dialogs.expect(kBookletQuestion, ui::Answer::Yes);
    dialogs.expect(kBookletTurnOver, ui::Answer::Ok);
    formControl("printpreview")->click();
    dialogs.verify();
    keepForLooking(file);
    keepForLooking(out.filePath(QStringLiteral("heft-2.pdf")));
    const QStringList columns =
        pdfColumnTexts(file) + pdfColumnTexts(out.filePath(QStringLiteral("heft-2.pdf")));
    ASSERT_FALSE(columns.isEmpty());

    db::Statement names(db(), QStringLiteral("select distinct i.zutat from zutaten z join zutindex i on "
                                             "i.zutid=z.zutid where trim(i.zutat)<>'' order by i.zutat"));
    int checked = 0;
    while (names.step()) {
        const QString name = names.text(0).simplified();
        // The whole name, its lines broken at its blanks, and a word longer than the column's
        // line where the line ends.
        QString letters;
        for (QChar c : name)
            letters += c == u' ' ? QStringLiteral("\\s") : QRegularExpression::escape(c) + QStringLiteral("\\s?");
        const QRegularExpression pattern(QStringLiteral("(^|\\s)") + letters + QStringLiteral("(\\s|$)"));
        EXPECT_TRUE(std::any_of(columns.begin(), columns.end(),
                                [&](const QString& text) { return pattern.match(text).hasMatch(); }))
            << name.toStdString();
        ++checked;
    }
    EXPECT_GT(checked, 80);
}

}  // namespace
}  // namespace kv::test
