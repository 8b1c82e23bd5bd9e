#include "printing/layout.h"

#include "core/mainmod.h"
#include "core/settings.h"
#include "platform/print/printlog.h"
#include "printing/handoverdb.h"
#include "printing/printnumber.h"
#include "printing/printtext.h"

#include <QScopeGuard>
#include <QVariant>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <vector>

namespace kv {

namespace {

// Centimetres of a margin in pixels, rounded down. The settings keep fifteen digits, so a
// border written back may come back a hair below its whole pixel (99.99999999999992).
int centimetresToPixels(double cm, int dpi)
{
    return static_cast<int>(std::floor(cm * dpi / 2.54 + 1e-6));
}

bool isOn(const QString& setting)
{
    return readPrintNumber(setting) != 0;
}

const QString kObacht = QStringLiteral(
    "Obacht ! Sie haben so viele Spalten, daß die Zutatenliste nicht mehr angenehm dargestellt "
    "werden kann !");

// Where `t` can be cut, shortest first: before each of its blanks from its second
// character on (a blank at the end cuts off only itself), and before everything.
std::vector<qsizetype> cutPoints(const QString& t)
{
    std::vector<qsizetype> cuts{0};
    for (qsizetype i = 1; i < t.size(); ++i)
        if (t.at(i) == u' ')
            cuts.push_back(i);
    return cuts;
}

bool hasWord(const QString& t)
{
    for (QChar c : t)
        if (c != u' ')
            return true;
    return false;
}

}  // namespace

IngredientColumns ingredientColumns(int zw, int zutchar)
{
    const double c = zutchar;
    IngredientColumns k;
    k.narrow = c > 0 && zw - 18 * c < IngredientColumns::minNameChars * c;
    // Too narrow for number, amount and unit as well: the three shrink alike.
    const double f = k.narrow ? std::min(1.0, zw / (17 * c)) : 1.0;
    k.numberW = 2.5 * c * f;
    k.amountX = 3 * c * f;
    k.amountW = 7 * c * f;
    k.unitX = 11 * c * f;
    k.unitW = 6 * c * f;
    k.nameX = k.narrow ? k.amountX : 18 * c;
    k.nameW = k.narrow ? whole(zw - k.amountX) : zw - 18 * c;
    return k;
}

bool IngredientColumns::nameBelow(const QVariant& men, const QVariant& ename) const
{
    // The hand-over gives a line without amount a blank one.
    const auto shows = [](const QVariant& v) { return !v.isNull() && !v.toString().trimmed().isEmpty(); };
    return narrow && (shows(men) || shows(ename));
}

PrintFontDef printFontSetting(int font)
{
    PrintFontDef def;
    def.name = getreg(reg::printfontname(font));
    def.size = readPrintNumber(getreg(reg::printfontsize(font)));
    if (font == 0)
        def.size = std::nearbyint(def.size);
    def.bold = isOn(getreg(reg::printfontbold(font)));
    def.italic = isOn(getreg(reg::printfontitalic(font)));
    return def;
}

int SurfaceTextMeasure::textHeight(const QString& text, const PrintFontDef& font, int width)
{
    return measuretextblock(m_image.surface(), text, font.name, font.size, font.bold, font.italic, 0, 0,
                            width, 0);
}

int SurfaceTextMeasure::averageCharWidth(const PrintFontDef& font)
{
    return gettextmetric(m_image.surface(), font.name, font.size, font.bold, font.italic);
}

// One hand-over row, as the layout reads it.
struct PrintLayout::Row {
    qint64 rid = 0;
    QString rname;
    QVariant p;
    QString zname;
    QVariant tid;
    QVariant nr;
    QVariant ztext;
    QVariant men;
    QVariant ename;
};

struct PrintLayout::Block {
    struct Line {
        QVariant tid, nr;
        int page = 0, col = 0, zx = 0, zy = 0, zw = 0, zh = 0;
    };
    struct Piece {
        int part = 1, startchar = 1;
        QVariant endchar;
        int page = 0, col = 0, tx = 0, ty = 0, th = 0, tw = 0;
    };
    qint64 rid = 0;
    int page = 0, col = 0, gx = 0, gy = 0, gw = 0, gh = 0, ph = 0;
    std::vector<Line> lines;
    std::vector<Piece> pieces;
};

// The inserts of one run, prepared once.
class PrintLayout::Writer {
public:
    explicit Writer(db::Database& db)
        : m_block(db, QStringLiteral("insert into blockpos (rid,page,col,gx,gy,gw,gh,ph) values (?,?,?,?,?,?,?,?)")),
          m_line(db, QStringLiteral("insert into zutpos (rid,tid,nr,page,col,zx,zy,zw,zh) values (?,?,?,?,?,?,?,?,?)")),
          m_piece(db, QStringLiteral("insert into zubpos (rid,part,startchar,endchar,page,col,tx,ty,th,tw) "
                                     "values (?,?,?,?,?,?,?,?,?,?)"))
    {
    }

    void write(const Block& b)
    {
        run(m_block, {b.rid, b.page, b.col, b.gx, b.gy, b.gw, b.gh, b.ph});
        for (const Block::Line& l : b.lines)
            run(m_line, {b.rid, l.tid, l.nr, l.page, l.col, l.zx, l.zy, l.zw, l.zh});
        for (const Block::Piece& p : b.pieces)
            run(m_piece, {b.rid, p.part, p.startchar, p.endchar, p.page, p.col, p.tx, p.ty, p.th, p.tw});
    }

private:
    static void run(db::Statement& st, const QVariantList& values)
    {
        for (int i = 0; i < values.size(); ++i)
            st.bind(i + 1, values.at(i));
        st.step();
        st.reset();
    }

    db::Statement m_block;
    db::Statement m_line;
    db::Statement m_piece;
};

PrintLayout::PrintLayout(LayoutWindow& window)
    : m_window(window), m_source([]() -> db::Database& { return printHandover().db(); })
{
}

PrintLayout::~PrintLayout() = default;

void PrintLayout::setHandoverSource(std::function<db::Database&()> source)
{
    m_source = std::move(source);
}

void PrintLayout::setMeasure(TextMeasure* measure)
{
    m_measure = measure;
}

QString PrintLayout::pagesCaption() const
{
    return QStringLiteral("Seite : %1 von %2").arg(m_currentpage).arg(m_pagecount);
}

void PrintLayout::cookbookClosing()
{
    m_layoutDb.close();
    m_layoutdbopen = false;
    m_printable = false;
}

int PrintLayout::measure(const QString& text, int font, int width)
{
    return m_activeMeasure->textHeight(text, m_state.fonts[font], width);
}

int PrintLayout::columnTop() const
{
    return whole(m_state.contenttop);
}

PrintLayout::Run PrintLayout::calcrezsizes()
{
    if (m_running)
        return Run::Refused;
    m_running = true;
    const auto done = qScopeGuard([this] {
        m_running = false;
        m_runMeasure.reset();
        m_activeMeasure = nullptr;
    });

    bool busy = false;
    try {
        printlog(QStringLiteral("calcrezsizes start"));
        m_window.waitmess(true);
        if (m_geometry.dpix <= 0 || m_geometry.dpiy <= 0)
            throw db::DbError(11, QStringLiteral("Die Seitengröße des Druckers ist nicht bekannt."));
        if (m_measure) {
            m_activeMeasure = m_measure;
        } else {
            m_runMeasure = std::make_unique<SurfaceTextMeasure>(m_geometry.dpiy);
            m_activeMeasure = m_runMeasure.get();
        }
        m_booklet = bookletmode;
        readFonts();
        m_window.setBusy(true);
        busy = true;

        computeMargins();
        computeColumns();

        // A first run makes the file; every later one empties it, in the same transaction
        // as the rows it then writes.
        const bool made = !m_layoutdbopen || !m_layoutDb.isOpen();
        if (made)
            m_layoutDb.create();
        db::Database& layout = m_layoutDb.db();
        db::Transaction tx(layout);
        if (!made)
            m_layoutDb.empty();
        m_layoutDb.copyHandover(m_source());

        LayoutState& s = m_state;
        const int columns = std::max<int>(m_columncount, 1);
        s.colgap = columns > 1 ? whole((s.printwidth - columns * s.rezwidth) / (columns - 1)) : 10;
        s.headerheight = whole(1.5 * measure(QStringLiteral("FUMP"), 0, s.printwidth));
        s.headery = s.margtop;
        s.footerheight = whole(1.5 * measure(QStringLiteral("FUMP"), 4, s.printwidth));
        const double printheight = m_geometry.printareavert - s.margtop - s.margbottom;
        s.footery = s.margtop + printheight - s.footerheight;
        s.contenttop = s.headery + s.headerheight;
        s.contentheight = printheight - s.headerheight - s.footerheight;
        pagetitleandfooter(1);

        m_x = whole(s.margleft);
        m_y = whole(s.contenttop);
        m_page = 1;
        m_col = 1;
        s.spacing = 0.2 * measure(QStringLiteral("T"), 1, whole(s.rezwidth));
        s.zutline = measure(QStringLiteral("T"), 2, whole(s.rezwidth));

        std::vector<Row> rows;
        {
            db::Statement st(layout, QStringLiteral("select rid,rname,p,zname,tid,nr,ztext,men,ename from rezepte "
                                                    "order by rnr,rname,rid,tid,nr"));
            while (st.step())
                rows.push_back({st.int64(0), st.text(1), st.value(2), st.text(3), st.value(4), st.value(5),
                                st.value(6), st.value(7), st.value(8)});
        }
        Writer writer(layout);
        layOutRows(rows, writer);

        m_pagecount = m_page;
        if (m_currentpage > m_pagecount)
            m_currentpage = m_pagecount;
        m_layoutDb.indexBands();
        fillHeadFootTexts();
        printlog(QStringLiteral("calcrezsizes : calculated."));
        if (m_booklet)
            sortbooklet();
        m_layoutDb.indexBlocks();
        tx.commit();

        m_window.pagescapt();
        m_window.waitmess(false);
        printlog(QStringLiteral("calcrezsizes -> printpage true,") + QString::number(m_currentpage));
        m_window.printpage(m_currentpage);
        m_window.setBusy(false);
        m_layoutdbopen = true;
        m_printable = true;
        printlog(QStringLiteral("calcrezsizes Ende."));
        return Run::Done;
    } catch (const std::exception& e) {
        const auto [number, text] = printErrorOf(e);
        printlogError(QStringLiteral("calcrezsizes Error "), e);
        // Half a layout must not look finished: the next run starts from a new file, and
        // nothing is printed before a run succeeds.
        m_layoutdbopen = false;
        m_printable = false;
        m_window.waitmess(false);
        if (busy)
            m_window.setBusy(false);
        m_window.msgbox(QStringLiteral("Das Seitenlayout konnte nicht berechnet werden (%1 : %2). Gedruckt "
                                       "werden kann erst wieder, wenn ein Seitenlayout gelingt.")
                            .arg(QString::number(number), text),
                        ui::Critical, QStringLiteral(" F E H L E R"));
        return Run::Failed;
    }
}

void PrintLayout::readFonts()
{
    for (int font : {1, 2, 3, 0, 4})
        m_state.fonts[font] = printFontSetting(font);
}

void PrintLayout::computeMargins()
{
    const PageGeometry& g = m_geometry;
    // The unprintable border of each side, in pixels: left, right, top, bottom.
    const int border[4] = {g.marginleft, g.physwidth - g.marginleft - g.printareahorz, g.margintop,
                           g.physheight - g.margintop - g.printareavert};
    const int dpi[4] = {g.dpix, g.dpix, g.dpiy, g.dpiy};
    double margin[4];
    for (int side = 0; side < 4; ++side) {
        const QString name = reg::printmarg(side);
        // An empty margin is the printer's border, and stays so in the settings.
        if (getreg(name).isEmpty())
            savereg(name, writePrintNumber(double(border[side]) / dpi[side] * 2.54));
        margin[side] = centimetresToPixels(readPrintNumber(getreg(name)), dpi[side]);
    }
    const double bottomMinimum = border[3] + g.physwidth / 15.0 / 5.0;
    if (margin[3] < bottomMinimum)
        margin[3] = bottomMinimum;
    m_state.margleft = margin[0] - border[0];
    m_state.margright = margin[1] - border[1];
    m_state.margtop = margin[2] - border[2];
    m_state.margbottom = margin[3] - border[3];
}

void PrintLayout::computeColumns()
{
    LayoutState& s = m_state;
    s.printwidth = whole(m_geometry.printareahorz - s.margleft - s.margright);
    // Two pages side by side on one sheet.
    if (m_booklet)
        s.printwidth = whole(s.printwidth / 2.0 - s.margright);
    const double printheight = m_geometry.printareavert - s.margtop - s.margbottom;
    s.rezwidth = double(s.printwidth) / std::max<int>(m_columncount, 1) * 0.9;
    s.zutchar = m_activeMeasure->averageCharWidth(s.fonts[2]);
    if (34.0 * s.zutchar > s.rezwidth)
        m_window.msgbox(kObacht, ui::Critical, QStringLiteral(" "));
    printlog(QStringLiteral("calcrezsizes margleft=") + QString::number(s.margleft));
    printlog(QStringLiteral("calcrezsizes margright=") + QString::number(s.margright));
    printlog(QStringLiteral("calcrezsizes printwidth=") + QString::number(s.printwidth));
    printlog(QStringLiteral("calcrezsizes printheight=") + QString::number(printheight));
    printlog(QStringLiteral("calcrezsizes rezwidth=") + QString::number(s.rezwidth));
    printlog(QStringLiteral("calcrezsizes zutchar=") + QString::number(s.zutchar));
}

void PrintLayout::nextcol(quint8& col, int& page, int& x, int& y, double top)
{
    ++col;
    if (col <= m_columncount) {
        x = whole(x + m_state.rezwidth + m_state.colgap);
    } else {
        ++page;
        pagetitleandfooter(page);
        col = 1;
        x = whole(m_state.margleft);
    }
    y = whole(top);
}

void PrintLayout::pagetitleandfooter(int page)
{
    const LayoutState& s = m_state;
    db::Database& layout = m_layoutDb.db();
    layout.execute(QStringLiteral("insert into headpos (page,hx,hy,hh,hw) values (?,?,?,?,?)"),
                   {page, whole(s.margleft), whole(s.margtop), s.headerheight, s.printwidth});
    layout.execute(QStringLiteral("insert into footpos (page,fx,fy,fh,fw) values (?,?,?,?,?)"),
                   {page, whole(s.margleft), whole(s.footery), s.footerheight, s.printwidth});
}

HeadFootTexts PrintLayout::headfoottext(int page, bool header)
{
    HeadFootItems items;
    items.aname = m_aname;
    items.today = QDate::currentDate();
    items.page = page;
    items.pagecount = m_pagecount;
    items.extra = getreg(header ? reg::printtitleextra : reg::printfootextra);
    return kv::headfoottext(getreg(header ? reg::printtitleorder : reg::printfootorder), items);
}

void PrintLayout::fillHeadFootTexts()
{
    db::Database& layout = m_layoutDb.db();
    // No named row (an empty hand-over, a Null name) gives an empty name.
    m_aname = layout.scalar(QStringLiteral("select aname from rezepte where rid<>0 order by rowid limit 1"))
                  .toString();
    db::Statement head(layout, QStringLiteral("update headpos set htextl=?,htextc=?,htextr=? where page=?"));
    db::Statement foot(layout, QStringLiteral("update footpos set ftextl=?,ftextc=?,ftextr=? where page=?"));
    for (int page = 1; page <= m_pagecount; ++page) {
        for (auto [st, header] : {std::pair{&head, true}, std::pair{&foot, false}}) {
            const HeadFootTexts t = headfoottext(page, header);
            st->bind(1, t.left);
            st->bind(2, t.centre);
            st->bind(3, t.right);
            st->bind(4, page);
            st->step();
            st->reset();
        }
    }
}

void PrintLayout::layOutRows(const std::vector<Row>& rows, Writer& writer)
{
    std::size_t first = 0;
    while (first < rows.size()) {
        std::size_t end = first + 1;
        while (end < rows.size() && rows[end].rid == rows[first].rid)
            ++end;
        layOutBlock(rows, first, end, writer);
        first = end;
    }
}

void PrintLayout::layOutBlock(const std::vector<Row>& rows, std::size_t first, std::size_t end, Writer& writer)
{
    const LayoutState& st = m_state;
    const double s = st.spacing;
    const int width = whole(st.rezwidth);
    // The page renderer draws the name in the same width, so it wraps as measured.
    const IngredientColumns columns = ingredientColumns(width, st.zutchar);
    const int nameWidth = whole(columns.nameW);
    const Row& head = rows[first];

    Block b;
    b.rid = head.rid;
    const int hTitle = measure(head.rname, 1, width);
    b.page = m_page;
    b.col = m_col;
    b.gx = m_x;
    b.gy = m_y;
    b.gw = width;
    m_y = whole(m_y + hTitle + 2 * s);
    const int hServ =
        head.p.isNull() ? 0 : measure(head.p.toString() + QStringLiteral(" Portionen"), 2, width);
    b.ph = whole(hServ + 2 * s);
    m_y = whole(m_y + hServ + 2 * s);
    b.gh = whole(hTitle + 2 * s);

    for (std::size_t i = first; i < end; ++i) {
        const Row& row = rows[i];
        const int h = measure(row.zname, 2, nameWidth) + (columns.nameBelow(row.men, row.ename) ? st.zutline : 0);
        Block::Line line{row.tid, row.nr, m_page, m_col, m_x, m_y, width, whole(h + 0.5 * s)};
        m_y = whole(m_y + h + 0.5 * s);
        // A heading line that follows gets room above it.
        if (i + 1 < rows.size() && !rows[i + 1].nr.isNull() && rows[i + 1].nr.toInt() == 0) {
            line.zh = whole(line.zh + 2 * s);
            m_y = whole(m_y + 2 * s);
        }
        b.lines.push_back(line);
    }
    b.lines.back().zh = whole(b.lines.back().zh + 4 * s);
    m_y = whole(m_y + 4 * s);

    const QVariant& ztext = rows[end - 1].ztext;
    const int hPrep = ztext.isNull() ? 0 : measure(ztext.toString(), 3, width);
    Block::Piece piece;
    piece.endchar = ztext.isNull() ? QVariant() : QVariant(int(ztext.toString().size()));
    piece.page = m_page;
    piece.col = m_col;
    piece.tx = m_x;
    piece.ty = m_y;
    piece.tw = width;
    piece.th = whole(hPrep + s);
    b.pieces.push_back(piece);
    m_y = whole(m_y + hPrep + s);

    overflow(b, ztext);
    writer.write(b);
}

void PrintLayout::overflow(Block& b, const QVariant& ztext)
{
    const double footery = m_state.footery;
    while (m_y > footery) {
        if (b.gy == columnTop()) {
            // Moving the block would not help: it starts at the top of its column.
            if (b.pieces.back().ty < footery) {
                cutPreparation(b, ztext.toString());
                return;
            }
            if (!moveLines(b))
                return;
            continue;
        }
        nextcol(m_col, m_page, m_x, m_y, m_state.contenttop);
        b.gx = m_x;
        b.gy = m_y;
        b.page = m_page;
        b.col = m_col;
        m_y = m_y + b.gh + b.ph;
        for (Block::Line& line : b.lines) {
            line.zx = m_x;
            line.zy = m_y;
            line.page = m_page;
            line.col = m_col;
            m_y += line.zh;
        }
        Block::Piece& piece = b.pieces.back();
        piece.tx = m_x;
        piece.ty = m_y;
        piece.page = m_page;
        piece.col = m_col;
        m_y += piece.th;
    }
}

// The ingredient list runs into the footer: the first line that does not fit starts the
// next column, and so does every later line that does not fit, unless it is the first
// line of its column (it stays there, clipped). The preparation follows the last line.
// False when nothing can move any more: what is left stays clipped where it stands.
bool PrintLayout::moveLines(Block& b)
{
    const double footery = m_state.footery;
    const int top = columnTop();
    Block::Piece& piece = b.pieces.back();
    std::size_t i = 0;
    while (i < b.lines.size() && (b.lines[i].zy + b.lines[i].zh < footery || b.lines[i].zy == top))
        ++i;
    if (i == b.lines.size()) {
        // Every line fits or heads its column: only the preparation moves on, unless it
        // already heads one.
        if (piece.ty == top)
            return false;
        nextcol(m_col, m_page, m_x, m_y, m_state.contenttop);
    } else {
        nextcol(m_col, m_page, m_x, m_y, m_state.contenttop);
        for (std::size_t j = i; j < b.lines.size(); ++j) {
            Block::Line& line = b.lines[j];
            if (j > i && m_y + line.zh >= footery && m_y != top)
                nextcol(m_col, m_page, m_x, m_y, m_state.contenttop);
            line.zx = m_x;
            line.zy = m_y;
            line.page = m_page;
            line.col = m_col;
            m_y += line.zh;
        }
    }
    piece.tx = m_x;
    piece.ty = m_y;
    piece.page = m_page;
    piece.col = m_col;
    m_y += piece.th;
    return true;
}

// The preparation starts above the footer: it is cut at blanks into pieces that continue
// at the top of the following columns. Each piece after the first starts with the blank at
// which the text was cut.
void PrintLayout::cutPreparation(Block& b, const QString& ztext)
{
    const double footery = m_state.footery;
    const int top = columnTop();
    const int width = whole(m_state.rezwidth);
    int pos = 1;
    QString t = ztext + u' ';
    for (;;) {
        Block::Piece* cur = &b.pieces.back();
        const bool atTop = cur->ty == top;
        // The longest piece ending before a blank that fits above the footer: words are
        // dropped from the end until it does. A text's height grows with its words, so the
        // cut points are searched by halves rather than measured one by one.
        const std::vector<qsizetype> cuts = cutPoints(t);
        std::size_t fits = 0;
        std::size_t fitsNot = cuts.size();
        while (fitsNot - fits > 1) {
            const std::size_t mid = (fits + fitsNot) / 2;
            if (cur->ty + measure(t.left(cuts[mid]), 3, width) < footery)
                fits = mid;
            else
                fitsNot = mid;
        }
        // A column top keeps its first word even where it does not fit.
        if (atTop && !hasWord(t.left(cuts[fits])))
            while (fits + 1 < cuts.size() && !hasWord(t.left(cuts[fits])))
                ++fits;
        t = t.left(cuts[fits]);
        const int h = measure(t, 3, width);
        if (!cur->endchar.isNull())
            cur->endchar = pos + int(t.size()) - 1;
        cur->th = h;
        pos += int(t.size());

        // Only blanks left: no further piece.
        const QString rest = ztext.mid(pos - 1);
        if (!hasWord(rest)) {
            m_y = cur->ty + cur->th;
            return;
        }
        t = rest + u' ';
        const int hRest = measure(t, 3, width);
        Block::Piece next;
        next.part = cur->part + 1;
        next.startchar = pos;
        next.endchar = int(ztext.size());
        nextcol(m_col, m_page, m_x, m_y, m_state.contenttop);
        next.tx = m_x;
        next.ty = m_y;
        next.th = hRest;
        next.tw = width;
        next.page = m_page;
        next.col = m_col;
        b.pieces.push_back(next);
        if (next.ty + next.th < footery) {
            m_y = next.ty + next.th;
            return;
        }
    }
}

}  // namespace kv
