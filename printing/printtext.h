#pragma once
// printer_via_gdi, its text part: print fonts given as face, size in points, bold and
// italic, and one text engine behind drawing and measuring, so a block is always drawn
// in exactly the height the layout measured for it.

#include "printing/printsurface.h"

#include <QFont>
#include <QString>

namespace kv {

// The format flags the callers pass, with the values of the DrawText flags they stand
// for. Bits: 1 centred, 2 right-aligned, 16 word break, 32768 fitted (a line wider than the
// rectangle is drawn smaller, down to `smallestFit` of its size, and what still does not fit
// ends in "…"); "&" is always drawn as it is.
namespace textflags {
inline constexpr int left = 2048;            // DT_NOPREFIX
inline constexpr int center = 2049;          // DT_NOPREFIX + DT_CENTER
inline constexpr int right = 2050;           // DT_NOPREFIX + DT_RIGHT
inline constexpr int wordbreak = 2064;       // DT_NOPREFIX + DT_WORDBREAK
inline constexpr int wordbreakRight = 2066;  // DT_NOPREFIX + DT_WORDBREAK + DT_RIGHT
inline constexpr int measure = 3088;         // DT_CALCRECT + DT_WORDBREAK + DT_NOPREFIX
inline constexpr int fitted = 32768;         // DT_END_ELLIPSIS
inline constexpr double smallestFit = 0.75;
}  // namespace textflags

// The font's cell height (ascent + descent) in pixels: size × dpiy / 72, a half going to
// the even neighbour.
int fontCellHeight(double size, int dpiy);
// The size a cell height of 0 is measured with: there is no font mapper to ask for a
// default height, so one fixed size serves measuring and the average width alike.
inline constexpr double defaultFontSize = 12.0;

// The font for one call on `surface`: weight 700 when bold; the cell height fixed, not the
// em, so the pixel size is derived from the face's own ascent + descent. A cell height
// that rounds to 0 takes `defaultFontSize`, or 1 pixel when `drawing`.
QFont printFont(const PrintSurface& surface, const QString& fontname, double size, bool bold,
                bool italic, bool drawing = false);

// Draws `text` in black into the rectangle, clipped to it. Lines break at CR, LF, CR LF and
// LF CR, and with the word-break flag at blanks; a word wider than the rectangle is broken
// where the rectangle ends, after a hyphen in it where one fits. Logs "drawtextblock: " and
// the text.
void drawtextblock(PrintSurface& surface, const QString& text, const QString& fontname,
                   double size, bool bold, bool italic, int x, int y, int width, int height,
                   int flags);
// The height of `text` laid out with word break in `width`: lines × line height, 0 for an
// empty text. A width of 0 or less puts every word on its own line. x, y and height do
// not change the result.
int measuretextblock(PrintSurface& surface, const QString& text, const QString& fontname,
                     double size, bool bold, bool italic, int x, int y, int width, int height);
// The font's average character width in pixels.
int gettextmetric(PrintSurface& surface, const QString& fontname, double size, bool bold,
                  bool italic);

}  // namespace kv
