// The print window's preview against the page as it prints: every text block ends in the
// preview where it ends on paper, at any window size, and the magnifier shows the page at
// its real size, whole.

#include "printing/render.h"
#include "tests/printing/printwindowtest.h"

#include <QFrame>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>

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

    // Page `page` as it prints, drawn as the print job draws it.
    QImage paperPage(int page)
    {
        const PageGeometry& g = form()->layout().geometry();
        ImageSurface image(g.dpiy, QSize(g.printareahorz, g.printareavert));
        SurfaceCanvas canvas(image.surface());
        form()->printpage(false, page, &canvas);
        return image.finish();
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
    const QList<Piece> pieces = preparationPieces(1);
    ASSERT_GE(pieces.size(), 2) << "the preparation continues in the next column";
    const int printareahorz = form()->layout().geometry().printareahorz;
    QLabel* preview = formControl<QLabel>("preview");

    for (const QSize size : {QSize(760, 900), QSize(1390, 990), QSize(1000, 700), QSize(600, 1000)}) {
        form()->resize(size);
        settle();
        const QImage shown = preview->pixmap().toImage();
        ASSERT_EQ(shown.size(), preview->size());
        const double r = double(shown.width()) / printareahorz;
        for (const Piece& piece : pieces) {
            SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height() << ", piece " << piece.part);
            const QRect onPaper = inkBounds(paper, piece.rect);
            ASSERT_FALSE(onPaper.isEmpty());
            // The piece's rectangle in the preview, less its last row, which the next
            // block's first row may share.
            const QRect box(QPoint(int(std::floor(piece.rect.left() * r)), int(std::floor(piece.rect.top() * r))),
                            QPoint(int(std::ceil((piece.rect.right() + 1) * r)) - 1,
                                   int(std::floor((piece.rect.bottom() + 1) * r)) - 1));
            const QRect inPreview = inkBounds(shown, box & shown.rect());
            ASSERT_FALSE(inPreview.isEmpty());
            // Its first line starts and its last line ends where they do on paper.
            EXPECT_NEAR(inPreview.top(), onPaper.top() * r, 1.5);
            EXPECT_NEAR(inPreview.bottom() + 1, (onPaper.bottom() + 1) * r, 1.5);
        }
    }
}

}  // namespace
}  // namespace kv::test
