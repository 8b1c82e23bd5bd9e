// The drawing primitives of the print device, on images at printer resolution: text blocks,
// bitmaps and lines, and a test sheet with all of them. Set KELVOR_TEST_SHEET to a file name
// to keep the sheet as a PNG for looking at.

#include "printing/printbitmaps.h"
#include "printing/printtext.h"

#include "tests/printing/printtest.h"
#include "tests/support/testenv.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>

#include <climits>

using namespace kv;
using kv::test::inkBounds;
using kv::test::inkedBands;
using kv::test::isInk;

namespace {

const QString arialNarrow = QStringLiteral("Arial Narrow");
constexpr int dpi = 600;

class PrintText : public ::testing::Test {
protected:
    static void SetUpTestSuite() { kv::test::ensureFontApplication(); }
    void SetUp() override { ASSERT_TRUE(kv::test::arialNarrowIsLiberationSansNarrow()); }

    int lineHeight(double size = 12)
    {
        ImageSurface s(dpi);
        return measuretextblock(s.surface(), QStringLiteral("x"), arialNarrow, size, false, false,
                                0, 0, 10000, 0);
    }
};

}  // namespace

TEST_F(PrintText, CellHeightIsSizeTimesResolutionOver72WithHalvesToEven)
{
    EXPECT_EQ(fontCellHeight(12, dpi), 100);
    EXPECT_EQ(fontCellHeight(0.3, dpi), 2);   // 2.5
    EXPECT_EQ(fontCellHeight(0.42, dpi), 4);  // 3.5
    EXPECT_EQ(fontCellHeight(9, dpi), 75);
    // A line is one cell: ascent + descent of the face, not its em.
    EXPECT_EQ(lineHeight(12), 100);
    // A size whose cell rounds to nothing measures with the cell of the default size.
    ImageSurface s(dpi);
    EXPECT_EQ(lineHeight(0.01), lineHeight(defaultFontSize));
    EXPECT_EQ(gettextmetric(s.surface(), arialNarrow, 0.01, false, false),
              gettextmetric(s.surface(), arialNarrow, defaultFontSize, false, false));
}

TEST_F(PrintText, BoldIsWiderAndItalicIsTheItalicFaceOfTheSameWidth)
{
    ImageSurface s(dpi);
    const int regular = gettextmetric(s.surface(), arialNarrow, 9, false, false);
    const int bold = gettextmetric(s.surface(), arialNarrow, 9, true, false);
    const int italic = gettextmetric(s.surface(), arialNarrow, 9, false, true);
    EXPECT_GT(regular, 0);
    EXPECT_GT(bold, regular);
    EXPECT_EQ(italic, regular);

    const QFontInfo boldFace(printFont(s.surface(), arialNarrow, 9, true, false));
    EXPECT_EQ(boldFace.weight(), QFont::Bold);
    const QFontInfo italicFace(printFont(s.surface(), arialNarrow, 9, false, true));
    EXPECT_EQ(italicFace.family(), kv::test::narrowFace);
    EXPECT_TRUE(italicFace.italic());
    EXPECT_EQ(italicFace.styleName(), QStringLiteral("Italic"));
}

TEST_F(PrintText, MeasuredHeightIsTheHeightOfTheLinesDrawn)
{
    const int lh = lineHeight();
    ASSERT_EQ(lh, 100);
    ImageSurface measuring(dpi);
    const QFontMetricsF metrics(printFont(measuring.surface(), arialNarrow, 12, false, false),
                                measuring.surface().device());
    // Just too narrow for the first two words, wide enough for the next two.
    const int twoWords = int(metrics.horizontalAdvance(QStringLiteral("Zwiebeln schälen"))) - 1;
    struct Case {
        const char* what;
        QString text;
        int width;
        QList<int> inkedLines;  // the lines that hold ink, counted from 0
        int lines;              // the lines laid out, empty ones included
    };
    const QList<Case> cases = {
        {"CR LF", QStringLiteral("Zwiebeln\r\nKarotten"), 3000, {0, 1}, 2},
        {"LF CR, the program's own break", QStringLiteral("Zwiebeln\n\rKarotten"), 3000, {0, 1}, 2},
        {"lone CR", QStringLiteral("Zwiebeln\rKarotten"), 3000, {0, 1}, 2},
        {"LF CR LF CR is two breaks, an empty line", QStringLiteral("Zwiebeln\n\r\n\rKarotten"), 3000, {0, 2}, 3},
        {"a final break opens no line", QStringLiteral("Zwiebeln\r\n"), 3000, {0}, 1},
        {"wrapped at blanks", QStringLiteral("Zwiebeln schälen und würfeln"), twoWords, {0, 1, 2},
         3},
        {"a word wider than the width is broken where the width ends",
         QStringLiteral("Schweinelendchen in Blätterteig"), 200, {0, 1, 2, 3, 4, 5}, 6},
        {"an ampersand", QStringLiteral("Salz & Pfeffer"), 3000, {0}, 1},
        {"a width under one character", QStringLiteral("Salz und Pfeffer"), 20, {0, 1, 2}, 3},
        {"an empty text", QString(), 3000, {}, 0},
    };
    const int x = 200, y = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ImageSurface s(dpi, QSize(4000, 800));
        const int measured = measuretextblock(s.surface(), c.text, arialNarrow, 12, false, false,
                                              x, y, c.width, 0);
        drawtextblock(s.surface(), c.text, arialNarrow, 12, false, false, x, y, c.width, 600,
                      textflags::wordbreak);
        const QImage image = s.finish();
        EXPECT_EQ(measured, c.lines * lh);
        EXPECT_EQ(inkedBands(image, y, lh), c.inkedLines);
        // Within the rectangle: a word wider than it is broken, not spilled.
        const QRect ink = inkBounds(image);
        if (!ink.isEmpty()) {
            EXPECT_GE(ink.left(), x);
            EXPECT_LT(ink.right(), x + std::max(c.width, 0));
        }
    }
}

// A title word longer than its column goes on over the next line, broken after a hyphen
// where one fits, instead of being cut off at the column's edge.
TEST_F(PrintText, AWordLongerThanTheWidthBreaksAfterAHyphenOntoTheNextLine)
{
    const int lh = lineHeight();
    ImageSurface s(dpi, QSize(4000, 800));
    const QFontMetricsF metrics(printFont(s.surface(), arialNarrow, 12, false, false), s.surface().device());
    const QString title = QStringLiteral("Zitronen-Kräuter-Marinade");
    const int width = int(metrics.horizontalAdvance(QStringLiteral("Zitronen-Kräuter-Mari")));
    const int x = 200, y = 100;
    EXPECT_EQ(measuretextblock(s.surface(), title, arialNarrow, 12, false, false, x, y, width, 0), 2 * lh);
    drawtextblock(s.surface(), title, arialNarrow, 12, false, false, x, y, width, 600, textflags::wordbreak);
    const QImage image = s.finish();
    ASSERT_EQ(inkedBands(image, y, lh), (QList<int>{0, 1}));
    const QRect first = inkBounds(image, QRect(0, y, image.width(), lh));
    const QRect second = inkBounds(image, QRect(0, y + lh, image.width(), lh));
    EXPECT_LE(first.right(), x + metrics.horizontalAdvance(QStringLiteral("Zitronen-Kräuter-")) + 2);
    // Ink is narrower than the advance by the side bearings; "Mari" alone is half of it.
    EXPECT_NEAR(second.width(), metrics.horizontalAdvance(QStringLiteral("Marinade")), 15);
}

TEST_F(PrintText, AWidthOfZeroOrLessGivesEveryWordALine)
{
    ImageSurface s(dpi);
    for (int width : {0, -500})
        EXPECT_EQ(measuretextblock(s.surface(), QStringLiteral("eins zwei drei"), arialNarrow, 12, false, false,
                                   0, 0, width, 0),
                  3 * lineHeight())
            << "width " << width;
}

TEST_F(PrintText, EachAlignmentPlacesItsLinesInTheRectangle)
{
    const int x = 100, width = 2000;
    const auto drawn = [&](int flags, const QString& text) {
        ImageSurface s(dpi, QSize(2300, 400));
        drawtextblock(s.surface(), text, arialNarrow, 12, false, false, x, 50, width, 300, flags);
        return s.finish();
    };
    // Side bearings keep the ink a few pixels inside the line's advance.
    constexpr int bearing = 15;
    const QRect left = inkBounds(drawn(textflags::left, QStringLiteral("Salz")));
    EXPECT_NEAR(left.left(), x, bearing);
    const QRect right = inkBounds(drawn(textflags::right, QStringLiteral("Salz")));
    EXPECT_NEAR(right.right(), x + width, bearing);
    const QRect centre = inkBounds(drawn(textflags::center, QStringLiteral("Salz")));
    EXPECT_NEAR(centre.center().x(), x + width / 2, bearing);
    EXPECT_EQ(centre.width(), left.width());

    // Word break, left and right: every line keeps to its side.
    const QString text =
        QStringLiteral("Mehl Zucker Eier Butter Milch Salz Hefe Zimt Nelken Muskat Vanille Rosinen");
    const QImage wrappedLeft = drawn(textflags::wordbreak, text);
    const QImage wrappedRight = drawn(textflags::wordbreakRight, text);
    const QList<int> lines = inkedBands(wrappedLeft, 50, 100);
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(inkedBands(wrappedRight, 50, 100), lines);
    for (int line : lines) {
        const QRect band(0, 50 + line * 100, 2300, 100);
        EXPECT_NEAR(inkBounds(wrappedLeft, band).left(), x, bearing) << "line " << line;
        EXPECT_NEAR(inkBounds(wrappedRight, band).right(), x + width, bearing) << "line " << line;
    }
}

TEST_F(PrintText, AnOverflowingRectangleDrawsNothing)
{
    ImageSurface s(dpi, QSize(200, 200));
    drawtextblock(s.surface(), QStringLiteral("Salz"), arialNarrow, 12, false, false, INT_MAX - 5,
                  0, 100, 100, textflags::left);
    drawtextblock(s.surface(), QStringLiteral("Salz"), arialNarrow, 12, false, false, 10, 10, 100,
                  0, textflags::left);
    EXPECT_TRUE(inkBounds(s.finish()).isEmpty());
}

TEST(PrintBitmaps, BitmapIsScaledToTheWidthAndStandsOnTheBaselineAndAMissingOneDrawsNothing)
{
    kv::test::ensureFontApplication();
    kv::test::TestEnvironment env;
    QImage black(300, 100, QImage::Format_RGB32);
    black.fill(Qt::black);
    const QString path = env.tempPath(QStringLiteral("logo.bmp"));
    ASSERT_TRUE(black.save(path, "BMP"));

    ImageSurface s(600, QSize(1000, 1000));
    printbitmap(path, s.surface(), 10.7, 500, 150);
    printbitmap(env.tempPath(QStringLiteral("fehlt.bmp")), s.surface(), 500, 300, 150);
    const QImage image = s.finish();
    EXPECT_EQ(inkBounds(image), QRect(10, 450, 150, 50));
    EXPECT_TRUE(isInk(image.pixel(80, 475)));
}

TEST(PrintBitmaps, LineIsBlackAndOneDevicePixelWide)
{
    kv::test::ensureFontApplication();
    ImageSurface s(600, QSize(400, 400));
    printline(s.surface(), 200, 20, 200, 300);
    const QImage image = s.finish();
    const QRect line = inkBounds(image);
    EXPECT_EQ(line.width(), 1);
    EXPECT_NEAR(line.top(), 20, 1);
    EXPECT_NEAR(line.bottom(), 300, 1);
    EXPECT_EQ(image.pixel(200, 100), qRgb(0, 0, 0));
}

TEST(TestSheet, EverythingIsDrawnAndTheWrappedBlockFillsItsMeasuredRectangle)
{
    kv::test::ensureFontApplication();
    ASSERT_TRUE(kv::test::arialNarrowIsLiberationSansNarrow());
    // An A4 PDF at 600 dpi: the whole sheet is printable.
    ImageSurface sheet(dpi, QSize(4958, 7017));
    PrintSurface& s = sheet.surface();
    // Outlines in a colour light enough not to count as ink.
    s.painter().setPen(QColor(120, 170, 255));
    const int left = 400, width = 4158;

    // The default print fonts, all "Arial Narrow", neither bold nor italic.
    int y = 300;
    const std::pair<const char*, double> fonts[] = {
        {"Seitenkopf", 12}, {"Rezepttitel", 10}, {"Portionen und Zutaten", 9}, {"Zubereitung", 9}, {"Seitenfuß", 9}};
    for (const auto& [use, size] : fonts) {
        const QString text = QStringLiteral("%1: Arial Narrow %2 pt – Äpfel, Öl & Süßes").arg(QString::fromUtf8(use)).arg(size);
        const int h = measuretextblock(s, text, arialNarrow, size, false, false, left, y, width, 0);
        drawtextblock(s, text, arialNarrow, size, false, false, left, y, width, h, textflags::left);
        y += h + 40;
    }
    drawtextblock(s, QStringLiteral("fett und kursiv: Rinderbraten mit Klößen"), arialNarrow, 10, true, true, left,
                  y, width, 200, textflags::left);
    y += 200;
    for (int flags : {textflags::left, textflags::center, textflags::right, textflags::wordbreak,
                      textflags::wordbreakRight}) {
        const QRect box(left, y, 1800, 230);
        s.painter().drawRect(box.adjusted(-1, -1, 0, 0));
        const QString text = flags < textflags::wordbreak
                                 ? QStringLiteral("%1: Salz & Pfeffer").arg(flags)
                                 : QStringLiteral("%1: Die Zwiebeln schälen, fein würfeln und in Butter glasig "
                                                  "dünsten; dann Mehl & Milch dazu.").arg(flags);
        drawtextblock(s, text, arialNarrow, 9, false, false, box.x(), box.y(), box.width(), box.height(), flags);
        y += 300;
    }

    const QString preparation = QStringLiteral(
        "Das Fleisch waschen, trockentupfen und mit Salz und Pfeffer einreiben.\n\r"
        "In einem Bräter das Öl erhitzen und das Fleisch von allen Seiten scharf anbraten. "
        "Zwiebeln, Karotten und Sellerie zugeben und kurz mitrösten, mit Rotwein ablöschen.\r\n"
        "Zugedeckt bei 160 °C etwa zwei Stunden schmoren lassen; dabei gelegentlich wenden & "
        "mit Bratensaft übergießen.");
    const QRect block(left, y + 50, 1800, measuretextblock(s, preparation, arialNarrow, 9, false, false, 0, 0, 1800, 0));
    drawtextblock(s, preparation, arialNarrow, 9, false, false, block.x(), block.y(), block.width(), block.height(),
                  textflags::wordbreak);
    s.painter().drawRect(block.adjusted(-1, -1, 0, 0));
    printbitmap(QStringLiteral(KELVOR_SHIPPED_DIR "/kelvor-logo.bmp"), s, 3000, block.bottom(), 1200);
    printline(s, left, block.bottom() + 200, left + width, block.bottom() + 200);

    const QImage image = sheet.finish();
    const QByteArray keep = qgetenv("KELVOR_TEST_SHEET");
    if (!keep.isEmpty())
        image.save(QString::fromLocal8Bit(keep), "PNG");

    // The block's ink lies inside the measured rectangle and reaches its last line.
    const QRect ink = inkBounds(image, block.adjusted(-100, -49, 100, 100));
    EXPECT_TRUE(block.contains(ink)) << "ink " << ink.y() << ".." << ink.bottom() << ", block " << block.y() << ".."
                                     << block.bottom();
    EXPECT_GT(ink.bottom(), block.bottom() - fontCellHeight(9, dpi));
}
