// A test sheet at printer resolution with everything the pages are drawn with. Set
// KELVOR_TEST_SHEET to a file name to keep it as a PNG for looking at.

#include "printing/printbitmaps.h"
#include "printing/printtext.h"

#include "tests/printing/printtest.h"

#include <QPainter>

using namespace kv;

namespace {

struct SheetFont {
    const char* use;
    double size;
};

// The default print fonts, all "Arial Narrow", neither bold nor italic.
const SheetFont defaultFonts[] = {{"Seitenkopf", 12},
                                  {"Rezepttitel", 10},
                                  {"Portionen und Zutaten", 9},
                                  {"Zubereitung", 9},
                                  {"Seitenfuß", 9}};

const QString arialNarrow = QStringLiteral("Arial Narrow");
// Outlines in a colour light enough not to count as ink.
const QColor outline(120, 170, 255);

}  // namespace

TEST(TestSheet, EverythingIsDrawnAndTheWrappedBlockFillsItsMeasuredRectangle)
{
    kv::test::ensureFontApplication();
    ASSERT_TRUE(kv::test::arialNarrowIsLiberationSansNarrow());
    constexpr int dpi = 600;
    // An A4 PDF at 600 dpi: the whole sheet is printable.
    ImageSurface sheet(dpi, QSize(4958, 7017));
    PrintSurface& s = sheet.surface();
    QPainter& p = s.painter();
    const int left = 400, width = 4158;

    int y = 300;
    for (int i = 0; i < 5; ++i) {
        const SheetFont& f = defaultFonts[i];
        const QString text = QStringLiteral("Schrift %1 (%2): Arial Narrow %3 pt – Äpfel, Öl & Süßes")
                                 .arg(i)
                                 .arg(QString::fromUtf8(f.use))
                                 .arg(f.size);
        const int h = measuretextblock(s, text, arialNarrow, f.size, false, false, left, y, width, 0);
        drawtextblock(s, text, arialNarrow, f.size, false, false, left, y, width, h,
                      textflags::left);
        y += h + 40;
    }
    drawtextblock(s, QStringLiteral("fett und kursiv: Rinderbraten mit Klößen"), arialNarrow, 10,
                  true, true, left, y, width, 200, textflags::left);
    y += 200;

    const QString longText = QStringLiteral(
        "Die Zwiebeln schälen, fein würfeln und in Butter glasig dünsten; dann Mehl & Milch dazu.");
    const struct {
        int flags;
        QString text;
    } alignments[] = {
        {textflags::left, QStringLiteral("2048 links: Salz & Pfeffer")},
        {textflags::center, QStringLiteral("2049 zentriert: Salz & Pfeffer")},
        {textflags::right, QStringLiteral("2050 rechts: Salz & Pfeffer")},
        {textflags::wordbreak, QStringLiteral("2064 Umbruch links: ") + longText},
        {textflags::wordbreakRight, QStringLiteral("2066 Umbruch rechts: ") + longText}};
    for (const auto& a : alignments) {
        const QRect box(left, y, 2400, 230);
        p.setPen(outline);
        p.drawRect(box.adjusted(-1, -1, 0, 0));
        drawtextblock(s, a.text, arialNarrow, 9, false, false, box.x(), box.y(), box.width(),
                      box.height(), a.flags);
        y += 300;
    }

    const QString preparation = QStringLiteral(
        "Das Fleisch waschen, trockentupfen und mit Salz und Pfeffer einreiben.\n\r"
        "In einem Bräter das Öl erhitzen und das Fleisch von allen Seiten scharf anbraten. "
        "Zwiebeln, Karotten und Sellerie zugeben und kurz mitrösten, mit Rotwein ablöschen.\r\n"
        "Zugedeckt bei 160 °C etwa zwei Stunden schmoren lassen; dabei gelegentlich wenden & "
        "mit Bratensaft übergießen.");
    const int blockWidth = 1800;
    const int blockHeight =
        measuretextblock(s, preparation, arialNarrow, 9, false, false, left, y, blockWidth, 0);
    const QRect block(left, y + 50, blockWidth, blockHeight);
    drawtextblock(s, preparation, arialNarrow, 9, false, false, block.x(), block.y(),
                  block.width(), block.height(), textflags::wordbreak);
    p.setPen(outline);
    p.drawRect(block.adjusted(-1, -1, 0, 0));

    printbitmap(QStringLiteral(KELVOR_SHIPPED_DIR "/kelvor-logo.bmp"), s, 3000, block.bottom(), 1200);
    printline(s, left, block.bottom() + 200, left + width, block.bottom() + 200);

    const QImage image = sheet.finish();
    const QByteArray keep = qgetenv("KELVOR_TEST_SHEET");
    if (!keep.isEmpty())
        image.save(QString::fromLocal8Bit(keep), "PNG");

    // The block's ink lies inside the measured rectangle and reaches its last line.
    const QRect around = block.adjusted(-100, -49, 100, 100);
    const QRect ink = kv::test::inkBounds(image, around);
    EXPECT_TRUE(block.contains(ink)) << "ink " << ink.y() << ".." << ink.bottom() << ", block "
                                     << block.y() << ".." << block.bottom();
    const int lh = fontCellHeight(9, dpi);
    EXPECT_GT(ink.bottom(), block.bottom() - lh);
    // The logo stands on the block's baseline, right of it; the line lies below.
    const QRect logo = kv::test::inkBounds(image, QRect(2900, block.y(), 1400, block.height() + 100));
    EXPECT_FALSE(logo.isEmpty());
    EXPECT_LE(logo.bottom(), block.bottom());
    EXPECT_TRUE(kv::test::isInk(image.pixel(left + 100, block.bottom() + 200)));
}
