#include "printing/printtext.h"

#include "tests/printing/printtest.h"

#include <QFontInfo>
#include <QFontMetricsF>

#include <climits>

using namespace kv;
using kv::test::inkBounds;
using kv::test::inkedBands;

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

TEST_F(PrintText, ASizeRoundingToNothingMeasuresWithTheFixedDefaultSize)
{
    ImageSurface s(dpi);
    const QString text = QStringLiteral("Salz und Pfeffer");
    EXPECT_EQ(measuretextblock(s.surface(), text, arialNarrow, 0.01, false, false, 0, 0, 5000, 0),
              measuretextblock(s.surface(), text, arialNarrow, defaultFontSize, false, false, 0,
                               0, 5000, 0));
    EXPECT_EQ(gettextmetric(s.surface(), arialNarrow, 0.01, false, false),
              gettextmetric(s.surface(), arialNarrow, defaultFontSize, false, false));
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
        {"lone LF", QStringLiteral("Zwiebeln\nKarotten"), 3000, {0, 1}, 2},
        {"two breaks, an empty line", QStringLiteral("Zwiebeln\r\n\r\nKarotten"), 3000, {0, 2}, 3},
        {"LF CR LF CR is two breaks", QStringLiteral("Zwiebeln\n\r\n\rKarotten"), 3000, {0, 2}, 3},
        {"a final break opens no line", QStringLiteral("Zwiebeln\r\n"), 3000, {0}, 1},
        {"wrapped at blanks", QStringLiteral("Zwiebeln schälen und würfeln"), twoWords, {0, 1, 2},
         3},
        {"a word wider than the width", QStringLiteral("Schweinelendchen in Blätterteig"), 200,
         {0, 1, 2}, 3},
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
        // Clipped to the rectangle: a word wider than it is cut, not spilled.
        const QRect ink = inkBounds(image);
        if (!ink.isEmpty()) {
            EXPECT_GE(ink.left(), x);
            EXPECT_LT(ink.right(), x + std::max(c.width, 0));
        }
    }
}

TEST_F(PrintText, AWidthOfZeroOrLessGivesEveryWordALine)
{
    ImageSurface s(dpi);
    const QString text = QStringLiteral("eins zwei drei");
    const int lh = lineHeight();
    for (int width : {0, -1, -500})
        EXPECT_EQ(measuretextblock(s.surface(), text, arialNarrow, 12, false, false, 0, 0, width, 0),
                  3 * lh)
            << "width " << width;
    EXPECT_EQ(measuretextblock(s.surface(), text, arialNarrow, 12, false, false, 0, 0, 5000, 0), lh);
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
