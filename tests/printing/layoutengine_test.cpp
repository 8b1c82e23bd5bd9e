// The layout with the real text engine: the delivered cookbook's recipes measured in Liberation
// Sans Narrow at 600 dpi, flowed over several columns and pages, and with an ingredient font
// too wide for its columns. Set KELVOR_LAYOUT_SHEET to a file name to keep the pages of the
// two-column layout as PNG files for looking at, and KELVOR_LAYOUT_NARROW_SHEET those of the
// narrow one.

#include "mainwindow/printhandover.h"
#include "printing/handoverdb.h"
#include "printing/printnumber.h"
#include "printing/printtext.h"
#include "printing/render.h"
#include "tests/printing/layoutfixture.h"
#include "tests/printing/recordingcanvas.h"

#include <QFontInfo>
#include <QRect>
#include <QSet>

#include <algorithm>
#include <map>
#include <tuple>

namespace kv::test {
namespace {

class RealLayoutTest : public LayoutTest {
protected:
    void SetUp() override
    {
        LayoutTest::SetUp();
        ASSERT_TRUE(arialNarrowIsLiberationSansNarrow());
        layout->setMeasure(nullptr);
        // A4 at 600 dpi with a border of 100 pixels on every side.
        layout->setGeometry({100, 100, 4761, 6816, 4961, 7016, 600, 600});
        // Every recipe in one list, one of them with a preparation long enough to be cut.
        book->execute(QStringLiteral("insert into auswahlen (aname) values ('Alles')"));
        const qint64 aid = book->lastInsertId();
        book->execute(QStringLiteral("insert into rezinaus (aid,rid,rname,port) select ?,rid,rname,4 from rezepte"),
                      {aid});
        book->execute(QStringLiteral("update zubereit set ztext=replace(hex(zeroblob(40)),'00',ztext||' ') where rid=3"));
        // Handed over as the print button does, into the program's hand-over database.
        layout->setHandoverSource([]() -> db::Database& { return printHandover().db(); });
        ASSERT_TRUE(handOverList(printHandover().db(), *book, false, aid, QString()));
    }

    struct Span {
        int top;
        int bottom;
        QString what;
    };

    // Every rectangle stays above the footer, and the rectangles of one column follow each
    // other without overlapping.
    void expectColumnsInOrderAboveTheFooter()
    {
        const double footery = layout->state().footery;
        std::map<std::pair<int, int>, std::vector<Span>> columns;
        db::Database& db = layout->layoutDatabase().db();
        const QString sources[] = {
            QStringLiteral("select page,col,gy,gy+gh+ph,'block '||rid from blockpos"),
            QStringLiteral("select page,col,zy,zy+zh,'line '||rid||'/'||tid||'/'||nr from zutpos"),
            QStringLiteral("select page,col,ty,ty+th,'piece '||rid||'/'||part from zubpos"),
        };
        for (const QString& sql : sources) {
            db::Statement st(db, sql);
            while (st.step()) {
                const Span span{int(st.int64(2)), int(st.int64(3)), st.text(4)};
                EXPECT_LE(span.bottom, footery) << span.what.toStdString();
                columns[{int(st.int64(0)), int(st.int64(1))}].push_back(span);
            }
        }
        for (auto& [place, spans] : columns) {
            std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) {
                return std::tie(a.top, a.bottom) < std::tie(b.top, b.bottom);
            });
            for (std::size_t i = 1; i < spans.size(); ++i)
                EXPECT_GE(spans[i].top, spans[i - 1].bottom)
                    << spans[i - 1].what.toStdString() << " overlaps " << spans[i].what.toStdString();
        }
    }

    // The blocks, their lines and their pieces in reading order (page, column, top) are
    // those of the hand-over.
    void expectHandOverOrder()
    {
        QVariantList handedOver;
        for (const QVariant& rid : column(QStringLiteral("select rid from rezepte order by rnr,rname,rid,tid,nr")))
            if (handedOver.isEmpty() || handedOver.last() != rid)
                handedOver << rid;
        EXPECT_EQ(column(QStringLiteral("select rid from blockpos order by page,col,gy")), handedOver);
        EXPECT_EQ(column(QStringLiteral("select rid||'/'||tid||'/'||nr from zutpos order by page,col,zy")),
                  column(QStringLiteral("select rid||'/'||tid||'/'||nr from rezepte order by rnr,rname,rid,tid,nr")));
        EXPECT_EQ(column(QStringLiteral("select rid||'/'||part from zubpos order by page,col,ty")),
                  column(QStringLiteral("select z.rid||'/'||part from zubpos z join blockpos b on b.rid=z.rid "
                                        "order by b.page,b.col,b.gy,part")));
    }

    void keepPages(const char* variable)
    {
        const QByteArray keep = qgetenv(variable);
        if (!keep.isEmpty())
            for (int page = 1; page <= layout->pagecount(); ++page)
                keepPage(page, QString::fromLocal8Bit(keep).replace(QStringLiteral(".png"),
                                                                    QStringLiteral("-%1.png").arg(page)));
    }

    void keepPage(int page, const QString& file)
    {
        const PageGeometry& g = layout->geometry();
        ImageSurface image(g.dpiy, QSize(g.printareahorz, g.printareavert));
        SurfaceCanvas canvas(image.surface());
        printpage(*layout, false, page, canvas);
        image.finish().save(file, "PNG");
    }
};

TEST_F(RealLayoutTest, BlocksKeepTheirOrderStayAboveTheFooterAndNeverOverlap)
{
    for (quint8 columns : {1, 2, 3}) {
        SCOPED_TRACE(columns);
        layout->setColumncount(columns);
        run();
        EXPECT_GT(layout->pagecount(), 1);
        expectColumnsInOrderAboveTheFooter();
        expectHandOverOrder();
        EXPECT_GT(value(QStringLiteral("select max(part) from zubpos where rid=3")).toInt(), 1)
            << "the long preparation is cut";
        if (columns == 2)
            keepPages("KELVOR_LAYOUT_SHEET");
    }
}

// DejaVu Serif 11 for the ingredients, in columns too narrow for the name beside number,
// amount and unit: every name is drawn whole in the room the layout measured for it, and no
// text drawn on a page covers another.
TEST_F(RealLayoutTest, AnIngredientFontTooWideForItsColumnsDrawsEveryNameWholeAndNothingOverlaps)
{
    const QString serif = QStringLiteral("DejaVu Serif");
    ASSERT_EQ(QFontInfo(QFont(serif)).family(), serif) << "install Debian's fonts-dejavu-core (scripts/setup.sh does)";
    savereg(reg::printfont2name, serif);
    savereg(reg::printfont2size, QStringLiteral("11"));
    QSet<QString> names;
    {
        db::Statement st(printHandover().db(), QStringLiteral("select distinct zname from [rep-korbliste] "
                                                              "where trim(zname)<>''"));
        while (st.step())
            names << st.text(0);
    }
    ASSERT_GT(names.size(), 80);
    for (quint8 columns : {5, 6}) {
        SCOPED_TRACE(columns);
        layout->setColumncount(columns);
        dialogs.expect(QStringLiteral("Obacht !"), ui::Answer::Ok);
        run();
        dialogs.verify();
        const LayoutState& s = layout->state();
        ASSERT_LT(whole(s.rezwidth) - 18 * s.zutchar, IngredientColumns::minNameChars * s.zutchar)
            << "rezwidth " << s.rezwidth << ", zutchar " << s.zutchar;
        expectColumnsInOrderAboveTheFooter();
        expectHandOverOrder();

        ImageSurface measuring(layout->geometry().dpiy);
        QSet<QString> drawn;
        for (int page = 1; page <= layout->pagecount(); ++page) {
            RecordingCanvas canvas(layout->geometry().printareahorz, layout->geometry().dpiy);
            printpage(*layout, false, page, canvas);
            QList<std::pair<QRect, QString>> texts;
            for (const QString& call : canvas.calls) {
                const QStringList f = call.split(u'|');
                if (f[0] != u"text" || f[1].trimmed().isEmpty())
                    continue;
                const QStringList r = f[6].split(u',');
                const QRect rect(r[0].toInt(), r[1].toInt(), r[2].toInt(), r[3].toInt());
                texts << std::pair{rect, call};
                if (f[2] != serif || f[3] != QStringLiteral("11") || !names.contains(f[1]))
                    continue;
                drawn << f[1];
                EXPECT_GE(rect.width(), std::min(IngredientColumns::minNameChars * s.zutchar, whole(s.rezwidth)))
                    << call.toStdString();
                EXPECT_LE(measuretextblock(measuring.surface(), f[1], serif, 11, false, false, 0, 0, rect.width(), 0),
                          rect.height())
                    << call.toStdString();
            }
            for (qsizetype i = 0; i < texts.size(); ++i)
                for (qsizetype j = i + 1; j < texts.size(); ++j)
                    EXPECT_FALSE(texts[i].first.intersects(texts[j].first))
                        << texts[i].second.toStdString() << " covers " << texts[j].second.toStdString();
        }
        EXPECT_EQ(drawn, names);
        if (columns == 5)
            keepPages("KELVOR_LAYOUT_NARROW_SHEET");
    }
}

}  // namespace
}  // namespace kv::test
