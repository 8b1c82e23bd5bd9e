// The layout with the real text engine: the delivered cookbook's recipes measured in Liberation
// Sans Narrow at 600 dpi, flowed over several columns and pages. Set KELVOR_LAYOUT_SHEET to a
// file name to keep the pages of the two-column layout as PNG files for looking at.

#include "mainwindow/printhandover.h"
#include "printing/handoverdb.h"
#include "printing/render.h"
#include "tests/printing/layoutfixture.h"

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
        const QByteArray keep = qgetenv("KELVOR_LAYOUT_SHEET");
        if (columns == 2 && !keep.isEmpty())
            for (int page = 1; page <= layout->pagecount(); ++page)
                keepPage(page, QString::fromLocal8Bit(keep).replace(QStringLiteral(".png"),
                                                                    QStringLiteral("-%1.png").arg(page)));
    }
}

}  // namespace
}  // namespace kv::test
