#include "printing/printbitmaps.h"

#include "platform/print/printlog.h"

#include <QImage>
#include <QPen>

#include <cmath>

namespace kv {

void printbitmap(const QString& path, PrintSurface& surface, double x, double y, double width)
{
    const QImage bitmap(path);
    const int w = bitmap.width();
    const int h = bitmap.height();
    printlog(QStringLiteral("printbitmap origwidth from file:") + QString::number(w));
    printlog(QStringLiteral("printbitmap origheight from file:") + QString::number(h));
    if (w == 0)
        return;
    const double scale = width / w;
    printlog(QStringLiteral("printbitmap pscale:") + QString::number(scale));
    const QRect target(int(std::floor(x)), int(std::floor(y - scale * h)), int(std::floor(width)),
                       int(std::floor(scale * h)));
    QPainter& painter = surface.painter();
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, bitmap);
    painter.restore();
}

void printline(PrintSurface& surface, int x1, int y1, int x2, int y2)
{
    QPainter& painter = surface.painter();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    // Flat caps: the line ends at its end point as a pen stroke on a printer does.
    painter.setPen(QPen(Qt::black, 1, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(x1, y1, x2, y2);
    painter.restore();
}

}  // namespace kv
