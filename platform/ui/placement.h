#pragma once
// Where a window first opens beside another one, on the free area of the screen: beside,
// so that neither hides what the user works on in the other.

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace kv::ui {

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
// anchor as well when only that makes room. A window moved before it is shown keeps that
// place when it is.
void placeBeside(QWidget* window, QWidget* anchor, int gap = 8);
// Moves `window` beside `part`, a part of the window `owner` in global coordinates; the
// owner does not move.
void placeBeside(QWidget* window, const QRect& part, const QWidget* owner, int gap = 8);

}  // namespace kv::ui
