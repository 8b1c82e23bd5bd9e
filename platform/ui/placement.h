#pragma once
// Where a window opens: whole on the free area of a screen, and, when it first opens
// beside another one, beside it, so that neither hides what the user works on in the other.

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

class QWidget;

namespace kv::ui {

// `frame` moved onto `area`, and no larger than the area in either direction.
QRect onArea(const QRect& frame, const QRect& area);
// Moves a window whose frame lies partly off the screen onto the free area of the screen
// that shows most of it (the nearest, when none does), and fits one larger than that area
// to it: a place kept from a larger screen, or from one no longer there, opens where the
// user reaches the whole window. A maximised, full-screen or minimised window is the
// window system's.
void keepOnScreen(QWidget* window);

// The frame the window system gave a shown window; one it has not reported yet reads as
// nothing, or as nonsense.
std::optional<QMargins> knownFrame(const QWidget* window);
// A window not yet shown has no frame; the window system will give it one like those of
// the windows already shown.
QMargins likelyFrame();

// The top left corners of a window's frame of `size` beside the frame `anchor`, within
// `area`, `gap` pixels apart: right of the anchor, else left of it; else the two side
// by side, the anchor moved across to make room; when even that does not fit, at the
// edge of the area where the window hides least of the anchor. The window's top is the
// anchor's, kept inside the area.
struct BesidePlaces {
    QPoint window;
    QPoint anchor;   // where the anchor's frame stands afterwards; moved only to make room
};
BesidePlaces placesBeside(const QRect& anchor, const QSize& size, const QRect& area, int gap);

// Moves `window` beside the frame of the window `anchor` on that window's screen, and the
// anchor as well when only that makes room; an anchor partly off the screen is first kept
// on it, and both end on the screen. A window moved before it is shown keeps that place
// when it is.
void placeBeside(QWidget* window, QWidget* anchor, int gap = 8);
// Moves `window` beside `part`, a part of the window `owner` in global coordinates, and
// keeps it on the screen; the owner does not move.
void placeBeside(QWidget* window, const QRect& part, const QWidget* owner, int gap = 8);

}  // namespace kv::ui
