#include "printing/render.h"

#include "platform/paths.h"
#include "platform/print/printlog.h"
#include "printing/handoverdb.h"
#include "printing/layout.h"
#include "printing/printbitmaps.h"
#include "printing/printnumber.h"
#include "printing/printtext.h"

#include <QDir>

#include <algorithm>
#include <stdexcept>

namespace kv {

int SurfaceCanvas::width() const
{
    return m_surface.device()->width();
}

int SurfaceCanvas::dpiy() const
{
    return m_surface.dpiy();
}

void SurfaceCanvas::drawtextblock(const QString& text, const QString& fontname, double size, bool bold,
                                  bool italic, int x, int y, int width, int height, int flags)
{
    kv::drawtextblock(m_surface, text, fontname, size, bold, italic, x, y, width, height, flags);
}

void SurfaceCanvas::printbitmap(const QString& path, double x, double y, double width)
{
    kv::printbitmap(path, m_surface, x, y, width);
}

void SurfaceCanvas::printline(int x1, int y1, int x2, int y2)
{
    kv::printline(m_surface, x1, y1, x2, y2);
}

PreviewImage::PreviewImage(const PageGeometry& g, QSize size)
    : m_scale(g.printareahorz > 0 ? double(size.width()) / g.printareahorz : 0),
      m_image(g.dpiy, size),
      m_canvas(m_image.surface(), g.printareahorz)
{
    QPainter& painter = m_image.surface().painter();
    painter.scale(m_scale, m_scale);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
}

QString printLogoPath()
{
    return QDir(paths::programFolder()).filePath(QStringLiteral("kelvor-logo.bmp"));
}

BandRooms bandRooms(double width, bool left, bool centre, bool right)
{
    BandRooms rooms{{0, 0, 0}, {width, width, width}};
    const int shown = int(left) + int(centre) + int(right);
    if (shown < 2)
        return rooms;
    // A gap keeps neighbours apart even where each fills its room.
    const double gap = width / 40;
    if (centre) {
        const double third = width / 3;
        rooms.left = {0, third + gap / 2, 2 * third + gap / 2};
        rooms.width = {third - gap / 2, third - gap, third - gap / 2};
    } else {
        const double half = width / 2;
        rooms.left = {0, 0, half + gap / 2};
        rooms.width = {half - gap / 2, width, half - gap / 2};
    }
    return rooms;
}

namespace {

// One page's drawing: the layout's positions in printer pixels, scaled by `ratio` as they
// are drawn, and the fonts by `ratio` × `fontratio`.
class PageDrawing {
public:
    PageDrawing(PrintLayout& layout, int page, PageCanvas& canvas, double ratio, double fontratio)
        : m_db(layout.layoutDatabase()),
          m_state(layout.state()),
          m_geometry(layout.geometry()),
          m_booklet(layout.booklet()),
          m_page(page),
          m_canvas(canvas),
          m_ratio(ratio),
          m_fontratio(fontratio)
    {
    }

    // A section that fails is logged; the next one is drawn all the same.
    void section(const char* name, void (PageDrawing::*draw)())
    {
        printlog(QStringLiteral("printpage : ") + QLatin1String(name));
        try {
            (this->*draw)();
        } catch (const std::exception& e) {
            printlogError(QStringLiteral("printpage Error "), e);
        }
    }

    void logos()
    {
        const QString logo = printLogoPath();
        const double w = m_geometry.printareahorz / 15.0;
        const double y = m_geometry.printareavert * m_ratio;
        // The right one ends at the right margin, where headers and footers end.
        m_canvas.printbitmap(logo, (m_geometry.printareahorz - m_state.margright - w) * m_ratio, y, w * m_ratio);
        if (m_booklet)
            m_canvas.printbitmap(logo, m_state.margleft * m_ratio, y, w * m_ratio);
    }

    void headers() { bands(QStringLiteral("select htextl,htextc,htextr,hx,hy,hw,hh from headpos where page=?"), 0); }
    void footers() { bands(QStringLiteral("select ftextl,ftextc,ftextr,fx,fy,fw,fh from footpos where page=?"), 4); }

    void titles()
    {
        db::Statement st(m_db.db(), QStringLiteral("SELECT DISTINCT blockpos.*, rezepte.rname,rezepte.p FROM blockpos "
                                                   "INNER JOIN rezepte ON blockpos.rid = rezepte.rid where page = ?"));
        st.bind(1, m_page);
        const int gx = 3, gy = 4, gw = 5, gh = 6, ph = 7, rname = 8, p = 9;
        while (st.step()) {
            printlog(QStringLiteral("printpage : reztitel+port - ") + st.text(rname));
            text(st.text(rname), 1, st.int64(gx), st.int64(gy), st.int64(gw), st.int64(gh), textflags::wordbreak);
            if (!st.isNull(p))
                text(st.text(p) + QStringLiteral(" Portionen"), 2, st.int64(gx), st.int64(gy) + st.int64(gh),
                     st.int64(gw), st.int64(ph), textflags::wordbreakRight);
        }
    }

    void ingredients()
    {
        db::Statement st(m_db.db(),
                         QStringLiteral("SELECT zutpos.rid, zutpos.tid, zutpos.nr, zutpos.page, zutpos.zx, zutpos.zy, "
                                        "zutpos.zw, zutpos.zh, rezepte.men, rezepte.ename, rezepte.zname FROM "
                                        "zutpos INNER JOIN rezepte ON (zutpos.nr = rezepte.nr) AND (zutpos.tid = "
                                        "rezepte.tid) AND (zutpos.rid = rezepte.rid) where page=?"));
        st.bind(1, m_page);
        while (st.step()) {
            const double x = st.int64(4), y = st.int64(5), h = st.int64(7);
            const IngredientColumns k = ingredientColumns(int(st.int64(6)), m_state.zutchar);
            // A name of its own line starts below the line of amount and unit, as the layout
            // measured it.
            const bool below = k.nameBelow(st.value(8), st.value(9));
            const double top = below ? std::min<double>(m_state.zutline, h) : h;
            if (st.int64(2) != 0 && st.int64(2) != kUnnumberedLine)
                text(st.text(2), 2, x + k.numberX, y, k.numberW, top, textflags::wordbreakRight, 0.6);
            if (!st.isNull(8))
                text(st.text(8), 2, x + k.amountX, y, k.amountW, top, textflags::wordbreakRight);
            if (!st.isNull(9))
                text(st.text(9), 2, x + k.unitX, y, k.unitW, top, textflags::wordbreak);
            if (!st.isNull(10))
                text(st.text(10), 2, x + k.nameX, y + (below ? top : 0), k.nameW, h - (below ? top : 0),
                     textflags::wordbreak);
        }
    }

    void preparation()
    {
        db::Statement pieces(m_db.db(),
                             QStringLiteral("SELECT rid,startchar,endchar,tx,ty,tw,th from zubpos where page=?"));
        pieces.bind(1, m_page);
        db::Statement recipe(m_db.db(), QStringLiteral("select ztext from rezepte where rid=? order by rowid limit 1"));
        while (pieces.step()) {
            recipe.bind(1, pieces.value(0));
            // A piece whose recipe row is missing, or whose recipe has no preparation,
            // draws nothing.
            if (recipe.step() && !recipe.isNull(0) && !pieces.isNull(1) && !pieces.isNull(2)) {
                const qint64 start = pieces.int64(1);
                const QString piece = recipe.text(0).mid(start - 1, pieces.int64(2) - start + 1);
                text(piece, 3, pieces.int64(3), pieces.int64(4), pieces.int64(5), pieces.int64(6),
                     textflags::wordbreak);
            }
            recipe.reset();
        }
    }

private:
    void bands(const QString& sql, int font)
    {
        db::Statement st(m_db.db(), sql);
        st.bind(1, m_page);
        while (st.step()) {
            const double x = st.int64(3), y = st.int64(4), w = st.int64(5), h = st.int64(6);
            const int flags[] = {textflags::left, textflags::center, textflags::right};
            QString texts[3];
            for (int i = 0; i < 3; ++i)
                if (!st.isNull(i))
                    texts[i] = st.text(i);
            const BandRooms rooms = bandRooms(w, !texts[0].trimmed().isEmpty(), !texts[1].trimmed().isEmpty(),
                                              !texts[2].trimmed().isEmpty());
            for (int i = 0; i < 3; ++i)
                if (!st.isNull(i))
                    text(texts[i], font, x + rooms.left[i], y, rooms.width[i], h, flags[i] | textflags::fitted);
        }
    }

    void text(const QString& t, int font, double x, double y, double w, double h, int flags, double sizeFactor = 1)
    {
        const PrintFontDef& f = m_state.fonts[font];
        m_canvas.drawtextblock(t, f.name, f.size * m_ratio * m_fontratio * sizeFactor, f.bold, f.italic,
                               whole(x * m_ratio), whole(y * m_ratio), whole(w * m_ratio), whole(h * m_ratio), flags);
    }

    LayoutDatabase& m_db;
    const LayoutState& m_state;
    const PageGeometry& m_geometry;
    bool m_booklet;
    int m_page;
    PageCanvas& m_canvas;
    double m_ratio;
    double m_fontratio;
};

}  // namespace

void printpage(PrintLayout& layout, bool preview, int page, PageCanvas& canvas)
{
    printlog(QStringLiteral("printpage Start; page=") + QString::number(page));
    const PageGeometry& g = layout.geometry();
    double ratio = 1;
    double fontratio = 1;
    if (preview) {
        ratio = g.printareahorz > 0 ? double(canvas.width()) / g.printareahorz : 0;
        // Fonts scale with the positions, and the preview's points become pixels at its
        // own resolution: so its text is the page's text, made smaller, wrapped alike.
        fontratio = canvas.dpiy() > 0 ? double(g.dpiy) / canvas.dpiy() : 0;
    }
    printlog(QStringLiteral("printpage fontratio=") + QString::number(fontratio));
    printlog(QStringLiteral("printpage ratio=") + QString::number(ratio));

    PageDrawing drawing(layout, page, canvas, ratio, fontratio);
    drawing.section("bitmaps", &PageDrawing::logos);
    drawing.section("header", &PageDrawing::headers);
    drawing.section("footer", &PageDrawing::footers);
    drawing.section("reztitel+port", &PageDrawing::titles);
    drawing.section("zutaten", &PageDrawing::ingredients);
    drawing.section("zubereitung", &PageDrawing::preparation);
    printlog(QStringLiteral("printpage Ende"));
}

}  // namespace kv
