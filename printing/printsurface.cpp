#include "printing/printsurface.h"

#include <QtMath>

namespace kv {

namespace {

QImage whiteImage(int dpi, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    // QImage keeps dots per metre; this rounding gives back exactly `dpi` as its
    // logical resolution for every whole number a printer reports.
    const int dotsPerMetre = qRound(dpi / 0.0254);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    return image;
}

}  // namespace

ImageSurface::ImageSurface(int dpi, QSize size)
    : m_image(whiteImage(dpi, size)),
      m_painter(std::make_unique<QPainter>(&m_image)),
      m_surface(*m_painter)
{
}

ImageSurface::~ImageSurface() = default;

QImage ImageSurface::finish()
{
    if (m_painter->isActive())
        m_painter->end();
    return m_image;
}

}  // namespace kv
