#pragma once
// The page renderer: draws one finished page of the layout database onto paper, a PDF or
// the preview. It measures nothing; every position and text was written by the layout.

#include "platform/print/pagegeometry.h"
#include "printing/printsurface.h"

#include <QString>

#include <array>

namespace kv {

class PrintLayout;

// What a page is drawn on: the drawing procedures in pixels of one device. The page
// renderer goes through this, so a test can record what it draws.
class PageCanvas {
public:
    virtual ~PageCanvas() = default;
    // The width in the pixels it takes positions in; the preview is scaled by it.
    virtual int width() const = 0;
    virtual int dpiy() const = 0;
    virtual void drawtextblock(const QString& text, const QString& fontname, double size, bool bold,
                               bool italic, int x, int y, int width, int height, int flags) = 0;
    virtual void printbitmap(const QString& path, double x, double y, double width) = 0;
    virtual void printline(int x1, int y1, int x2, int y2) = 0;
};

// The drawing procedures of printtext.h and printbitmaps.h on a print surface.
class SurfaceCanvas : public PageCanvas {
public:
    explicit SurfaceCanvas(PrintSurface& surface) : m_surface(surface) {}
    int width() const override;
    int dpiy() const override;
    void drawtextblock(const QString& text, const QString& fontname, double size, bool bold, bool italic,
                       int x, int y, int width, int height, int flags) override;
    void printbitmap(const QString& path, double x, double y, double width) override;
    void printline(int x1, int y1, int x2, int y2) override;

private:
    PrintSurface& m_surface;
};

// The preview's picture of a page, `size` pixels large. The page is drawn on it as on
// paper, in printer pixels and with the fonts at the printer's resolution, and only the
// finished drawing is scaled down to the picture: so every text block breaks into the
// lines the layout measured and ends where it ends on paper. Scaled block by block
// instead, each text is laid out anew at a few pixels a line, where rounding and hinting
// make its lines taller or break them elsewhere, and the block's rectangle cuts the rest.
class PreviewImage {
public:
    // The printable area of `g` fills the picture's width.
    PreviewImage(const PageGeometry& g, QSize size);
    // Takes positions in printer pixels: its width is the printable area's.
    PageCanvas& canvas() { return m_canvas; }
    // Printer pixels to the picture's pixels.
    double scale() const { return m_scale; }
    QImage finish() { return m_image.finish(); }

private:
    class Canvas : public SurfaceCanvas {
    public:
        Canvas(PrintSurface& surface, int width) : SurfaceCanvas(surface), m_width(width) {}
        int width() const override { return m_width; }

    private:
        int m_width;
    };

    double m_scale;
    ImageSurface m_image;
    Canvas m_canvas;
};

// Where the left, centre and right text of a header or footer `width` wide stand, from the
// band's left edge: a text alone has the whole band; with the centre text each has its third,
// without it the left and right one each a half, so none runs into another.
struct BandRooms {
    std::array<double, 3> left;
    std::array<double, 3> width;
};
BandRooms bandRooms(double width, bool left, bool centre, bool right);

// The logo drawn on every page: kelvor-logo.bmp in the program folder.
QString printLogoPath();

// Draws page `page` of the last layout of `layout`: the logo (two on a booklet's sheet
// side), the header and footer texts, the recipe titles with their servings lines, the
// ingredient lines and the preparation pieces, in that order. On paper positions are drawn
// as stored; in the preview they are scaled to the canvas's width, and the fonts with them,
// so the preview shows the page as it prints. A failing section is logged and the next
// one drawn.
void printpage(PrintLayout& layout, bool preview, int page, PageCanvas& canvas);

}  // namespace kv
