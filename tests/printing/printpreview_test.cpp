// The print window's preview against the page as it prints: every text block ends in the
// preview where it ends on paper, at any window size, and the magnifier shows the page at
// its real size, whole.

#include "printing/printnumber.h"
#include "printing/render.h"
#include "tests/printing/printwindowtest.h"

#include <QFrame>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace kv::test {
namespace {

// A preparation of several paragraphs, each broken into many lines, that fills more than one
// column; the words vary in length, so every width breaks them differently.
QString longPreparation()
{
    // No word reaches below the line, so a piece's ink ends on its last line's baseline.
    const QStringList words = {QStringLiteral("Zwiebeln"), QStringLiteral("schälen"), QStringLiteral("und"),
                               QStringLiteral("fein"),     QStringLiteral("würfeln"), QStringLiteral("in"),
                               QStringLiteral("Butter"),   QStringLiteral("weich"),    QStringLiteral("dünsten."),
                               QStringLiteral("Mehl"),     QStringLiteral("darüberstäuben"), QStringLiteral("und"),
                               QStringLiteral("mit"),      QStringLiteral("Milch"),    QStringLiteral("ablöschen.")};
    QString text;
    for (int paragraph = 0; paragraph < 6; ++paragraph) {
        if (paragraph > 0)
            text += QStringLiteral("\r\n");
        for (int i = 0; i < 70; ++i)
            text += words[(i * 7 + paragraph) % words.size()] + u' ';
        text += QStringLiteral("Abschmecken.");
    }
    return text;
}

class PrintPreview : public PrintWindowTest {
protected:
    // The quick list's first recipe gets the long preparation; the printer prints at 300
    // dpi, so the page as it prints fits into an image.
    void showLongRecipe()
    {
        db().execute(QStringLiteral("update zubereit set ztext=? where rid=(select min(rid) from rezinaus where aid=1)"),
                     {longPreparation()});
        showForm();
        dialogs.expectPrinterSetup([](PrinterChoice& c) {
            c.resolution = 300;
            return true;
        });
        formControl("druckaus")->click();
        dialogs.verify();
        ASSERT_EQ(form()->layout().geometry().dpiy, 300);
    }


    // Each preparation piece of page 1 shows its first and last line in `shown`, whose
    // printable area starts at `origin` with `r` pixels to a printer pixel, where they are
    // in the page printed: the picture ends no piece early.
    void expectPiecesAsOnPaper(const QImage& paper, const QImage& shown, QPoint origin, double r)
    {
        const QList<Piece> pieces = preparationPieces(1);
        ASSERT_FALSE(pieces.isEmpty());
        for (const Piece& piece : pieces) {
            SCOPED_TRACE(testing::Message() << "piece " << piece.part << " at " << piece.rect.x() << ","
                                            << piece.rect.y());
            const QRect onPaper = inkBounds(paper, piece.rect);
            ASSERT_FALSE(onPaper.isEmpty());
            // The piece's rectangle in the picture, less its last row, which the next
            // block's first row may share.
            const QRect box(origin + QPoint(int(std::floor(piece.rect.left() * r)), int(std::floor(piece.rect.top() * r))),
                            origin + QPoint(int(std::ceil((piece.rect.right() + 1) * r)) - 1,
                                            int(std::floor((piece.rect.bottom() + 1) * r)) - 1));
            const QRect inPicture = inkBounds(shown, box & shown.rect());
            ASSERT_FALSE(inPicture.isEmpty());
            // Its first line starts and its last line ends where they do on paper.
            EXPECT_NEAR(inPicture.top() - origin.y(), onPaper.top() * r, 1.5);
            EXPECT_NEAR(inPicture.bottom() + 1 - origin.y(), (onPaper.bottom() + 1) * r, 1.5);
        }
    }

    struct Piece {
        QRect rect;  // printer pixels
        int part;
    };
    QList<Piece> preparationPieces(int page)
    {
        db::Statement st(form()->layout().layoutDatabase().db(),
                         QStringLiteral("select tx,ty,tw,th,part from zubpos where page=? and endchar is not null"));
        st.bind(1, page);
        QList<Piece> pieces;
        while (st.step())
            pieces.append({QRect(int(st.int64(0)), int(st.int64(1)), int(st.int64(2)), int(st.int64(3))),
                           int(st.int64(4))});
        return pieces;
    }
};

TEST_F(PrintPreview, EveryPreparationPieceEndsInThePreviewWhereItEndsOnPaperAtEveryWindowSize)
{
    showLongRecipe();
    const QImage paper = paperPage(1);
    ASSERT_GE(preparationPieces(1).size(), 2) << "the preparation continues in the next column";
    QLabel* preview = formControl<QLabel>("preview");
    const PageGeometry& g = form()->layout().geometry();
    for (const QSize size : {QSize(760, 900), QSize(1390, 990), QSize(1000, 700), QSize(600, 1000)}) {
        SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
        form()->resize(size);
        settle();
        const QImage shown = preview->pixmap().toImage();
        ASSERT_EQ(shown.size(), preview->size());
        expectPiecesAsOnPaper(paper, shown, QPoint(0, 0), double(shown.width()) / g.printareahorz);
    }
}

TEST_F(PrintPreview, TheMagnifierShowsTheWholeSheetAtTheSizeItPrintsAndFollowsThePages)
{
    db().execute(QStringLiteral("delete from rezinaus where aid=1"));
    db().execute(QStringLiteral("insert into rezinaus (aid,rid,rname,port) select 1,rid,rname,4 from rezepte"));
    showLongRecipe();
    ASSERT_GE(form()->layout().pagecount(), 2);
    const PageGeometry& g = form()->layout().geometry();
    auto* lupe = formControl("lupe");
    auto* area = formControl<QScrollArea>("grossansicht");
    QLabel* sheet = formControl<QLabel>("grossbild");
    EXPECT_FALSE(area->isVisible());

    lupe->click();
    settle();
    ASSERT_TRUE(area->isVisible());
    // As large as the paper on this screen: an inch of paper is an inch of screen.
    const double s = double(form()->logicalDpiY()) / g.dpiy;
    EXPECT_EQ(sheet->pixmap().size(), QSize(whole(s * g.physwidth), whole(s * g.physheight)));
    // The whole sheet can be scrolled to, and the preview box lies under it.
    EXPECT_EQ(area->verticalScrollBar()->maximum(), std::max(0, sheet->height() - area->viewport()->height()));
    EXPECT_TRUE(area->geometry().contains(formControl<QLabel>("preview")->geometry()));
    const QPoint origin(whole(s * g.marginleft), whole(s * g.margintop));
    expectPiecesAsOnPaper(paperPage(1), sheet->pixmap().toImage(), origin,
                          double(whole(s * g.printareahorz)) / g.printareahorz);

    // The next page is magnified with it; a layout draws the page again.
    const qint64 first = sheet->pixmap().cacheKey();
    formControl("pageplus")->click();
    EXPECT_NE(sheet->pixmap().cacheKey(), first);
    const qint64 second = sheet->pixmap().cacheKey();
    formControl("minus")->click();
    EXPECT_NE(sheet->pixmap().cacheKey(), second);

    lupe->click();
    EXPECT_FALSE(area->isVisible());
    EXPECT_TRUE(formControl<QLabel>("preview")->isVisible());
}

// A page turned in the magnifier is read from its top, whichever way it is turned; the
// same page drawn again by a layout stays where the user scrolled to.
TEST_F(PrintPreview, ATurnedPageShowsInTheMagnifierFromItsTop)
{
    db().execute(QStringLiteral("delete from rezinaus where aid=1"));
    db().execute(QStringLiteral("insert into rezinaus (aid,rid,rname,port) select 1,rid,rname,4 from rezepte"));
    showLongRecipe();
    ASSERT_GE(form()->layout().pagecount(), 2);
    auto* area = formControl<QScrollArea>("grossansicht");
    formControl("lupe")->click();
    settle();
    QScrollBar* bar = area->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);

    bar->setValue(bar->maximum());
    formControl("pageplus")->click();
    settle();
    EXPECT_EQ(form()->layout().currentpage(), 2);
    EXPECT_EQ(bar->value(), 0);

    bar->setValue(bar->maximum() / 2);
    const int scrolled = bar->value();
    form()->resize(form()->width() + 20, form()->height());
    settle();
    EXPECT_EQ(bar->value(), scrolled);

    bar->setValue(bar->maximum());
    formControl("pageminus")->click();
    settle();
    EXPECT_EQ(form()->layout().currentpage(), 1);
    EXPECT_EQ(bar->value(), 0);
}

}  // namespace
}  // namespace kv::test
