// The page renderer on a recording canvas, over layouts worked out from the sheet and
// metrics of layoutfixture.h: margleft 160, margright 140, contenttop 330, footery 2715,
// rezwidth 765, zutchar 10, s = 20.

#include "core/mainmod.h"
#include "printing/printnumber.h"
#include "tests/printing/layoutfixture.h"
#include "tests/printing/recordingcanvas.h"

#include <QFile>

namespace kv::test {
namespace {

class RenderTest : public LayoutTest {
protected:
    void SetUp() override
    {
        LayoutTest::SetUp();
        // A face of its own for each role, a bold title and an italic preparation, so each
        // item shows which font it was given.
        const char* faces[] = {"Kopf", "Titel", "Zutat", "Zubereitung", "Fuss"};
        for (int font = 0; font < 5; ++font)
            savereg(reg::printfontname(font), QString::fromLatin1(faces[font]));
        savereg(reg::printfont1bold, QStringLiteral("-1"));
        savereg(reg::printfont3italic, QStringLiteral("-1"));
    }

    QStringList draw(int page, bool preview = false, int width = 2000, int dpiy = 254)
    {
        RecordingCanvas canvas(width, dpiy);
        printpage(*layout, preview, page, canvas);
        return canvas.calls;
    }

    // A soup with a servings line, an amount and a unit, a heading line and an "&"; a
    // bread without servings, unit or preparation, which sorts first.
    void soupAndBread()
    {
        addRecipe(1, QStringLiteral("Suppe & Brot"), 4,
                  {QStringLiteral("Wasser"), QStringLiteral("#Einlage"), QStringLiteral("Nudeln")},
                  QStringLiteral("Kochen & rühren"));
        addRecipe(2, QStringLiteral("Brot"), QVariant(), {QStringLiteral("Mehl")});
        book->execute(QStringLiteral("update [rep-korbliste] set men='1/2', ename='l' where zname='Wasser'"));
        book->execute(QStringLiteral("update [rep-korbliste] set men='500 g' where zname='Mehl'"));
    }
};

TEST_F(RenderTest, EveryItemIsDrawnInItsRectangleFontAndFlagsInTheGivenOrder)
{
    soupAndBread();
    run();
    const QStringList expected = {
        // The logo: a fifteenth of the printable width, its right edge at the right margin,
        // standing on the printable area's bottom edge.
        QStringLiteral("bitmap|kelvor-logo.bmp|1726.67,3000,133.333"),
        // Header "LA" and footer "RSRG": left, centre and right in the band's rectangle, a
        // text alone in the whole band, each fitted to its room.
        QStringLiteral("text|Liste |Kopf|12|0|0|160,150,1700,180|34816"),
        QStringLiteral("text||Kopf|12|0|0|160,150,1700,180|34817"),
        QStringLiteral("text||Kopf|12|0|0|160,150,1700,180|34818"),
        QStringLiteral("text||Fuss|9|0|0|160,2715,1700,135|34816"),
        QStringLiteral("text||Fuss|9|0|0|160,2715,1700,135|34817"),
        QStringLiteral("text| Seite 1 von 1 |Fuss|9|0|0|160,2715,1700,135|34818"),
        // Titles wrapped at the left; the servings line right-aligned in `ph` below the
        // title's `gh`; none for a recipe without servings.
        QStringLiteral("text|Brot|Titel|10|1|0|160,330,765,140|2064"),
        QStringLiteral("text|Suppe & Brot|Titel|10|1|0|160,710,765,140|2064"),
        QStringLiteral("text|4 Portionen|Zutat|9|0|0|160,850,765,130|2066"),
        // Number (0 to 2.5 characters, at 0.6 of the size), amount (3 to 10), unit (11 to
        // 17), name (from 18); a heading line has no number, a line without unit no unit.
        QStringLiteral("text|1|Zutat|5.4|0|0|160,510,25,180|2066"),
        QStringLiteral("text|500 g|Zutat|9|0|0|190,510,70,180|2066"),
        QStringLiteral("text|Mehl|Zutat|9|0|0|340,510,585,180|2064"),
        QStringLiteral("text|1|Zutat|5.4|0|0|160,980,25,140|2066"),
        QStringLiteral("text|1/2|Zutat|9|0|0|190,980,70,140|2066"),
        QStringLiteral("text|l|Zutat|9|0|0|270,980,60,140|2064"),
        QStringLiteral("text|Wasser|Zutat|9|0|0|340,980,585,140|2064"),
        QStringLiteral("text|Einlage|Zutat|9|0|0|340,1120,585,100|2064"),
        QStringLiteral("text|1|Zutat|5.4|0|0|160,1220,25,180|2066"),
        QStringLiteral("text|Nudeln|Zutat|9|0|0|340,1220,585,180|2064"),
        // The preparation, "&" as it is; the bread has none and draws none.
        QStringLiteral("text|Kochen & rühren|Zubereitung|9|0|1|160,1400,765,110|2064"),
    };
    EXPECT_EQ(draw(1), expected);
}

TEST_F(RenderTest, InAColumnTooNarrowForTheNameItStandsUnderAmountAndUnitInTheRoomTheLayoutMeasured)
{
    narrowColumnRecipe();
    // Columns of 153 pixels: number, amount and unit shrink to nine tenths (0 to 22.5, 27
    // to 90, 99 to 153); the name takes 126 pixels from 27 on. zutline is 90.
    dialogs.expect(QStringLiteral("Obacht !"), ui::Answer::Ok);
    run();
    dialogs.verify();
    const QStringList expected = {
        // Amount and unit in the first line, the name below them to the line's end.
        QStringLiteral("text|1|Zutat|5.4|0|0|160,510,22,90|2066"),
        QStringLiteral("text|500|Zutat|9|0|0|187,510,63,90|2066"),
        QStringLiteral("text|g|Zutat|9|0|0|259,510,54,90|2064"),
        QStringLiteral("text|Mehl|Zutat|9|0|0|187,600,126,140|2064"),
        // Nothing above a heading or a line without amount and unit: the name beside them.
        QStringLiteral("text| |Zutat|9|0|0|187,740,63,190|2066"),
        QStringLiteral("text|Für die Füllung|Zutat|9|0|0|187,740,126,190|2064"),
        QStringLiteral("text|1|Zutat|5.4|0|0|160,930,22,90|2066"),
        QStringLiteral("text|1|Zutat|9|0|0|187,930,63,90|2066"),
        QStringLiteral("text|kg|Zutat|9|0|0|259,930,54,90|2064"),
        QStringLiteral("text|Kartoffeln, mehlig kochend, geschält|Zutat|9|0|0|187,1020,126,370|2064"),
        QStringLiteral("text|2|Zutat|5.4|0|0|160,1390,22,270|2066"),
        QStringLiteral("text| |Zutat|9|0|0|187,1390,63,270|2066"),
        QStringLiteral("text|Salz und Pfeffer|Zutat|9|0|0|187,1390,126,270|2064"),
    };
    EXPECT_EQ(draw(1).filter(QStringLiteral("|Zutat|")), expected);
}

TEST_F(RenderTest, PreparationPiecesAreTheTextFromStartcharToEndchar)
{
    // Long enough to be cut over the next columns and pages.
    const QString ztext = words(900);
    addRecipe(1, QStringLiteral("Eintopf"), 4, {QStringLiteral("Bohnen")}, ztext);
    run();
    ASSERT_GT(layout->pagecount(), 1);
    QString drawn;
    int pieces = 0;
    for (int page = 1; page <= layout->pagecount(); ++page)
        for (const QString& call : draw(page).filter(QStringLiteral("|Zubereitung|"))) {
            const QString text = call.section(u'|', 1, 1);
            // Every piece after the first begins with the blank it was cut at.
            EXPECT_EQ(text.startsWith(u' '), pieces > 0) << text.left(20).toStdString();
            drawn += text;
            ++pieces;
        }
    EXPECT_GT(pieces, 2);
    EXPECT_EQ(drawn, ztext);

    // A piece of one character.
    layout->layoutDatabase().db().execute(QStringLiteral("update zubpos set startchar=4, endchar=4 where part=1"));
    EXPECT_EQ(draw(1).filter(QStringLiteral("|Zubereitung|")).first().section(u'|', 1, 1), QStringLiteral("0"));
}

TEST_F(RenderTest, LogosStandOnTheBottomOfThePrintableAreaAtTheMarginsAsTheLayoutWasMade)
{
    savereg(reg::printmarg0, QStringLiteral("3"));
    savereg(reg::printmarg1, QStringLiteral("1"));
    savereg(reg::printmarg3, QStringLiteral("5"));
    soupAndBread();
    run();
    // The page is drawn as it was laid out, whatever the booklet box says since.
    bookletmode = true;
    // margleft 300 - 40 = 260, margright 100 - 60 = 40: the logo's right edge at 1960,
    // where the header ends; its bottom on 3000 whatever the bottom margin.
    EXPECT_EQ(draw(1).filter(QStringLiteral("bitmap|")),
              QStringList{QStringLiteral("bitmap|kelvor-logo.bmp|1826.67,3000,133.333")});

    // A booklet's sheet side has a second one, its left edge at the left margin.
    run();
    bookletmode = false;
    EXPECT_EQ(draw(1).filter(QStringLiteral("bitmap|")),
              (QStringList{QStringLiteral("bitmap|kelvor-logo.bmp|1826.67,3000,133.333"),
                           QStringLiteral("bitmap|kelvor-logo.bmp|260,3000,133.333")}));
}

TEST_F(RenderTest, APageWithoutRowsDrawsOnlyTheLogos)
{
    soupAndBread();
    run();
    EXPECT_EQ(draw(7), QStringList{QStringLiteral("bitmap|kelvor-logo.bmp|1726.67,3000,133.333")});
    // The blank pages a booklet is filled up with.
    layout->setColumncount(1);
    bookletmode = true;
    savereg(reg::printbookletfirsttitle, QStringLiteral("yes"));
    run();
    ASSERT_EQ(layout->pagecount(), 2);
    for (const QString& call : draw(2))
        EXPECT_TRUE(call.startsWith(QStringLiteral("bitmap|"))) << call.toStdString();
}

TEST_F(RenderTest, ThePreviewDrawsThePaperPageScaledWithFontsTrueToPaper)
{
    soupAndBread();
    run();
    const QStringList onPaper = draw(1);
    // A preview 500 pixels wide at 96 dpi: positions at a quarter, fonts at a quarter of
    // the printer's 254 dpi in the preview's 96, so a line is a quarter of its paper height.
    const double ratio = 0.25;
    const double fontratio = 254.0 / 96.0;
    const QStringList inPreview = draw(1, true, 500, 96);
    ASSERT_EQ(inPreview.size(), onPaper.size());
    for (qsizetype i = 0; i < onPaper.size(); ++i) {
        const QStringList paper = onPaper[i].split(u'|');
        const QStringList shown = inPreview[i].split(u'|');
        ASSERT_EQ(shown.size(), paper.size()) << inPreview[i].toStdString();
        if (paper[0] == u"text") {
            // Text, face, bold, italic and flags as on paper; the rectangle in whole pixels.
            for (int f : {1, 2, 4, 5, 7})
                EXPECT_EQ(shown[f], paper[f]) << inPreview[i].toStdString();
            EXPECT_NEAR(shown[3].toDouble(), paper[3].toDouble() * ratio * fontratio, 1e-4);
            const QStringList rect = paper[6].split(u',');
            QStringList scaled;
            for (const QString& v : rect)
                scaled << QString::number(whole(v.toInt() * ratio));
            EXPECT_EQ(shown[6], scaled.join(u','));
        } else {
            EXPECT_EQ(shown[1], paper[1]);
            const QStringList place = paper[2].split(u',');
            const QStringList placed = shown[2].split(u',');
            for (int k = 0; k < 3; ++k)
                EXPECT_NEAR(placed[k].toDouble(), place[k].toDouble() * ratio, 1e-2);
        }
    }
}

TEST_F(RenderTest, AFailingSectionIsLoggedAndTheNextOnesAreDrawn)
{
    soupAndBread();
    run();
    setPrintlogon(true);
    QFile::remove(printlogPath());
    layout->layoutDatabase().db().execute(QStringLiteral("drop table footpos"));
    const QStringList calls = draw(1);
    EXPECT_EQ(calls.filter(QStringLiteral("|Fuss|")).size(), 0);
    EXPECT_EQ(calls.filter(QStringLiteral("|Titel|")).size(), 2);
    EXPECT_EQ(calls.filter(QStringLiteral("|Zubereitung|")).size(), 1);
    EXPECT_TRUE(logText().contains(QStringLiteral("printpage : footer\r\nprintpage Error ")));

    // Without a layout database nothing but the logo is drawn, and nothing fails.
    layout->cookbookClosing();
    EXPECT_EQ(draw(1).size(), 1);
}

}  // namespace
}  // namespace kv::test
