#pragma once
// The layout engine of the print window: it turns the print hand-over rows into positioned
// rectangles on numbered pages. It reads the print settings, measures every title,
// servings line, ingredient line and preparation text in the printer's fonts, flows the
// recipes top to bottom through the columns of each page and writes every rectangle into
// the layout database, with a header and a footer row per page.
//
// A recipe is a block: its title and servings line (`blockpos`), one row per ingredient
// line (`zutpos`) and one or more pieces of its preparation (`zubpos`). A block that does
// not fit below the previous one moves whole to the next column. A block that already
// starts at the top of a column and is too long for it keeps its title where it is: its
// ingredient lines continue in the next column, or its preparation is cut at blanks into
// pieces that continue at the top of the following columns. A column top always keeps at
// least one line or word, clipped where it must be, so nothing moves on without end.
//
// An ingredient line's name is measured in the width the page renderer draws it in
// (IngredientColumns): beside number, amount and unit where that leaves it eight average
// characters, otherwise on a line of its own under them, so a column too narrow for the
// ingredient font still prints every name.
//
// PrintLayout is the state the print window holds: everything here stays valid from one
// run to the next, for the page drawing and the print job.

#include "platform/print/pagegeometry.h"
#include "platform/ui/dialogs.h"
#include "printing/headfoot.h"
#include "printing/layoutdb.h"
#include "printing/printsurface.h"

#include <QString>
#include <QVariant>

#include <array>
#include <functional>
#include <memory>

namespace kv {

// One of the five print fonts: 0 page header, 1 recipe title, 2 servings and ingredient
// lines, 3 preparation, 4 page footer.
struct PrintFontDef {
    QString name;
    double size = 0;
    bool bold = false;
    bool italic = false;

    bool operator==(const PrintFontDef&) const = default;
};

// The print font `font` as the settings hold it. The page header's size is a whole number
// of points (a half to the even neighbour); the others keep their fractions.
PrintFontDef printFontSetting(int font);

// What the layout measures with: the height of a text word-wrapped to a width, and a
// font's average character width, as the chosen printer gives them.
class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    virtual int textHeight(const QString& text, const PrintFontDef& font, int width) = 0;
    virtual int averageCharWidth(const PrintFontDef& font) = 0;
};

// measuretextblock and gettextmetric on an image at the printer's resolution, which
// measures as the printer prints.
class SurfaceTextMeasure : public TextMeasure {
public:
    explicit SurfaceTextMeasure(int dpi) : m_image(dpi) {}
    int textHeight(const QString& text, const PrintFontDef& font, int width) override;
    int averageCharWidth(const PrintFontDef& font) override;

private:
    ImageSurface m_image;
};

// What the layout asks of the print window.
class LayoutWindow {
public:
    virtual ~LayoutWindow() = default;
    // The label `waitmess`; when shown it is painted at once, before the measuring starts.
    virtual void waitmess(bool visible) = 0;
    // The hourglass pointer for the rest of the run.
    virtual void setBusy(bool busy) = 0;
    // The page caption from currentpage() and pagecount().
    virtual void pagescapt() = 0;
    // Draws `page` into the preview.
    virtual void printpage(int page) = 0;
    // The layout's message boxes: the narrow-column warning and a failed run. A box runs
    // its own event loop, in which a further layout is refused.
    virtual ui::Answer msgbox(const QString& text, int style, const QString& title)
    {
        return ui::msgbox(text, style, title);
    }
};

// What one run computed, in printer pixels from the printable area's top left corner.
struct LayoutState {
    double margleft = 0;
    double margright = 0;
    double margtop = 0;
    double margbottom = 0;
    int printwidth = 0;     // the text width of one page
    double rezwidth = 0;    // one column
    int colgap = 0;
    int zutchar = 0;        // average character width of font 2
    int zutline = 0;        // one line of font 2: amount and unit above a name of its own
    double headery = 0;
    int headerheight = 0;
    double footery = 0;
    int footerheight = 0;
    double contenttop = 0;  // top of every column
    double contentheight = 0;
    double spacing = 0;     // the spacing unit s: a fifth of a title line
    std::array<PrintFontDef, 5> fonts;
};

// Where the items of an ingredient line `zw` wide stand, in pixels from its left edge: the
// item number, the amount, the unit and the name, in columns of `zutchar` (0 to 2.5 average
// characters, 3 to 10, 11 to 17, from 18 to the end). Where that would leave the name less
// than `minNameChars`, the name takes the rest of the line from the amount's left edge on,
// on a line of its own under amount and unit where they show something; and number, amount
// and unit shrink alike in a line narrower than their 17 characters.
struct IngredientColumns {
    static constexpr int minNameChars = 8;

    double numberX = 0, numberW = 0;
    double amountX = 0, amountW = 0;
    double unitX = 0, unitW = 0;
    // The name's width is whole, as it is measured.
    double nameX = 0, nameW = 0;
    // Too narrow for the name beside amount and unit.
    bool narrow = false;

    // Whether a line with this amount and unit has its name on a line of its own: only in a
    // narrow column, and only where amount or unit shows something to stand above it.
    bool nameBelow(const QVariant& men, const QVariant& ename) const;
};
IngredientColumns ingredientColumns(int zw, int zutchar);

class PrintLayout {
public:
    enum class Run {
        Done,
        Failed,   // ended at its first failure; said once, printing stays off
        Refused,  // a run was going on already
    };

    explicit PrintLayout(LayoutWindow& window);
    ~PrintLayout();
    PrintLayout(const PrintLayout&) = delete;
    PrintLayout& operator=(const PrintLayout&) = delete;

    // Where the hand-over rows are read: the program's print hand-over database.
    void setHandoverSource(std::function<db::Database&()> source);
    // What every run measures with; without one, each run measures on an image at the
    // printer's resolution. Not owned.
    void setMeasure(TextMeasure* measure);

    void setGeometry(const PageGeometry& geometry) { m_geometry = geometry; }
    const PageGeometry& geometry() const { return m_geometry; }
    // Columns per page, 1 to 24 (the print window keeps it in `printspalten`).
    void setColumncount(quint8 count) { m_columncount = count; }
    quint8 columncount() const { return m_columncount; }
    void setCurrentpage(int page) { m_currentpage = page; }
    int currentpage() const { return m_currentpage; }
    int pagecount() const { return m_pagecount; }
    const LayoutState& state() const { return m_state; }
    // "Seite : 1 von 5".
    QString pagesCaption() const;

    // Lays the hand-over rows out anew: the layout database is made at the first run and
    // emptied by later ones; ends by drawing the current page.
    Run calcrezsizes();
    // True after a run that succeeded, until a run fails or the cookbook closes.
    bool printable() const { return m_printable; }
    // Whether the last run laid out a booklet. The page drawing and the print job go by
    // this, not by the booklet box, which may have changed since.
    bool booklet() const { return m_booklet; }
    bool running() const { return m_running; }
    bool layoutdbopen() const { return m_layoutdbopen; }
    LayoutDatabase& layoutDatabase() { return m_layoutDb; }

    // One column on; past the last column of a page, the first column of a new page with
    // its header and footer rows. y goes to `top`.
    void nextcol(quint8& col, int& page, int& x, int& y, double top);
    // The header and footer rows of `page`, without texts.
    void pagetitleandfooter(int page);
    // The header's or footer's three texts for `page`, from the order string and own text
    // in the settings; the page count is that of the last run.
    HeadFootTexts headfoottext(int page, bool header);
    // Imposes the laid-out pages as a booklet of folded sheets: a title page first unless
    // `printbookletfirsttitle` is exactly "yes", blank pages up to a multiple of four, and
    // each sheet side carrying two pages side by side; pagecount becomes the sheet sides.
    // Run by calcrezsizes in booklet mode.
    void sortbooklet();

    // The cookbook is about to be closed or replaced: the layout database closes, nothing
    // is printed, and the next run makes it anew.
    void cookbookClosing();

private:
    struct Row;
    struct Block;
    class Writer;

    void readFonts();
    void computeMargins();
    void computeColumns();
    void layOutRows(const std::vector<Row>& rows, Writer& writer);
    void layOutBlock(const std::vector<Row>& rows, std::size_t first, std::size_t end, Writer& writer);
    void overflow(Block& block, const QVariant& ztext);
    bool moveLines(Block& block);
    void cutPreparation(Block& block, const QString& ztext);
    void fillHeadFootTexts();
    int measure(const QString& text, int font, int width);
    int columnTop() const;

    LayoutWindow& m_window;
    std::function<db::Database&()> m_source;
    TextMeasure* m_measure = nullptr;
    std::unique_ptr<TextMeasure> m_runMeasure;
    TextMeasure* m_activeMeasure = nullptr;

    PageGeometry m_geometry;
    quint8 m_columncount = 2;
    int m_currentpage = 1;
    int m_pagecount = 0;
    LayoutState m_state;
    LayoutDatabase m_layoutDb;
    bool m_layoutdbopen = false;
    bool m_printable = false;
    bool m_running = false;
    bool m_booklet = false;

    // The flow position of the run.
    int m_x = 0;
    int m_y = 0;
    int m_page = 1;
    quint8 m_col = 1;
    QString m_aname;
};

}  // namespace kv
