#pragma once
// The page renderer: draws one finished page of the layout database onto paper, a PDF or
// the preview. It measures nothing; every position and text was written by the layout.

#include "printing/printsurface.h"

#include <QString>

namespace kv {

class PrintLayout;

// What a page is drawn on: the drawing procedures in pixels of one device. The page
// renderer goes through this, so a test can record what it draws.
class PageCanvas {
public:
    virtual ~PageCanvas() = default;
    // The inner width in pixels (the preview's, for the preview's scale).
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
