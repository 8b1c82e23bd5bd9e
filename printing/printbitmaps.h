#pragma once
// printer_bitmaps: a bitmap file drawn scaled to a width, standing on a baseline (the logo
// of every page), and a straight line (the fold line of a booklet).

#include "printing/printsurface.h"

#include <QString>

namespace kv {

// Draws the image file `path` `width` pixels wide, keeping its aspect ratio, with its bottom
// edge on `y`; the rectangle is cut to whole pixels. A missing or unreadable file draws
// nothing.
void printbitmap(const QString& path, PrintSurface& surface, double x, double y, double width);
// A black line one device pixel wide from (x1, y1) to (x2, y2).
void printline(PrintSurface& surface, int x1, int y1, int x2, int y2);

}  // namespace kv
