#pragma once
// The print surface stands where a device context stood: an active painter on a printer,
// a PDF or an image, with the device's resolution. Positions and sizes handed to the
// drawing procedures are pixels of that device.

#include <QImage>
#include <QPainter>

#include <memory>

namespace kv {

class PrintSurface {
public:
    // `painter` must be active on its device for as long as the surface is used.
    explicit PrintSurface(QPainter& painter) : m_painter(&painter) {}

    QPainter& painter() const { return *m_painter; }
    QPaintDevice* device() const { return m_painter->device(); }
    int dpix() const { return device()->logicalDpiX(); }
    int dpiy() const { return device()->logicalDpiY(); }

private:
    QPainter* m_painter;
};

// An image at a printer's resolution with its own painter, white to start with. Fonts on
// it get the printer's sizes and the metrics of Qt's PDF engine, which CUPS printing is
// built on, so the layout measures on one of these.
class ImageSurface {
public:
    explicit ImageSurface(int dpi, QSize size = QSize(1, 1));
    ~ImageSurface();
    ImageSurface(const ImageSurface&) = delete;
    ImageSurface& operator=(const ImageSurface&) = delete;

    PrintSurface& surface() { return m_surface; }
    // Ends the painting and hands out what was drawn; the surface draws nothing after it.
    QImage finish();

private:
    QImage m_image;
    std::unique_ptr<QPainter> m_painter;
    PrintSurface m_surface;
};

}  // namespace kv
