#include "platform/print/pagesize.h"

#include "platform/print/printdlgapi.h"
#include "platform/print/printlog.h"

#include <QPrinter>

namespace kv {

PageGeometry pageGeometryOf(const QPrinter& printer)
{
    const QRect sheet = printer.paperRect(QPrinter::DevicePixel).toRect();
    const QRect printable = printer.pageRect(QPrinter::DevicePixel).toRect();
    PageGeometry g;
    g.margintop = printable.top() - sheet.top();
    g.marginleft = printable.left() - sheet.left();
    g.printareahorz = printable.width();
    g.printareavert = printable.height();
    g.physwidth = sheet.width();
    g.physheight = sheet.height();
    g.dpix = printer.logicalDpiX();
    g.dpiy = printer.logicalDpiY();
    return g;
}

PageGeometry getpagesize()
{
    const QString driver = getdrivername();
    getdevicename();
    printlog(QStringLiteral("getpagesize pdevdrivername : ") + driver);
    const PageGeometry g = pageGeometryOf(*chosenPrinterDevice());
    const auto log = [](const char* label, int value) {
        printlog(QStringLiteral("getpagesize ") + QLatin1String(label) + QStringLiteral(" : ") +
                 QString::number(value));
    };
    log("dpix", g.dpix);
    log("dpiy", g.dpiy);
    log("marginleft", g.marginleft);
    log("margintop", g.margintop);
    log("printareahorz", g.printareahorz);
    log("printareavert", g.printareavert);
    log("physwidth", g.physwidth);
    log("physheight", g.physheight);
    return g;
}

}  // namespace kv
