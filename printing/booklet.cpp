// The booklet imposition of the layout: sheets printed on both sides, two pages side by
// side on each, folded in the middle and nested. Sheet side k carries the laid-out pages k
// and n + 1 - k; the odd one of the two stands in the right half.

#include "core/settings.h"
#include "platform/print/printlog.h"
#include "printing/layout.h"
#include "printing/printnumber.h"

#include <stdexcept>

namespace kv {

namespace {

// Each table with its page and x columns.
struct PageTable {
    const char* table;
    const char* x;
};
constexpr PageTable kPageTables[] = {
    {"blockpos", "gx"}, {"zutpos", "zx"}, {"zubpos", "tx"}, {"headpos", "hx"}, {"footpos", "fx"},
};

}  // namespace

void PrintLayout::sortbooklet()
{
    printlog(QStringLiteral("sortbooklet start"));
    try {
        db::Database& layout = m_layoutDb.db();
        const LayoutState& s = m_state;
        int n = m_pagecount;

        // Compared exactly, as it is stored: "Yes" still gets a title page.
        if (getreg(reg::printbookletfirsttitle) != u"yes") {
            ++n;
            for (const PageTable& t : kPageTables)
                layout.execute(QStringLiteral("update %1 set page=page+1").arg(QLatin1String(t.table)));
            // Named as the header's list name is: a menu's first row is its description,
            // whose name is blank.
            layout.execute(QStringLiteral("insert into headpos (page,hx,hy,hw,hh,htextc) values (1,?,?,?,?,?)"),
                           {whole(s.margleft), whole(s.contenttop), s.printwidth, whole(s.footery - s.contenttop),
                            m_aname});
        }
        if (n % 4 != 0)
            n = (n / 4 + 1) * 4;

        // The headers of the right-hand (odd) pages and the footers of the left-hand (even)
        // ones are mirrored, so page numbers stand on the outer edges.
        layout.execute(QStringLiteral("update headpos set htextl=htextr, htextr=htextl where page % 2 = 1"));
        layout.execute(QStringLiteral("update footpos set ftextl=ftextr, ftextr=ftextl where page % 2 = 0"));
        // Half a pixel cannot be stored: the shift is a whole pixel, a half to the even one.
        const int shift = whole(m_geometry.printareahorz / 2.0);
        for (const PageTable& t : kPageTables)
            layout.execute(QStringLiteral("update %1 set %2=%2+? where page % 2 = 1")
                               .arg(QLatin1String(t.table), QLatin1String(t.x)),
                           {shift});
        for (const PageTable& t : kPageTables)
            layout.execute(QStringLiteral("update %1 set page=?-page where page>?").arg(QLatin1String(t.table)),
                           {n + 1, n / 2});

        m_pagecount = n / 2;
        if (m_currentpage > m_pagecount)
            m_currentpage = m_pagecount;
    } catch (const std::exception& e) {
        // The run it belongs to ends with it: half an imposition must not be printed.
        printlogError(QStringLiteral("sortbooklet error "), e);
        throw;
    }
    printlog(QStringLiteral("sortbooklet end"));
}

}  // namespace kv
