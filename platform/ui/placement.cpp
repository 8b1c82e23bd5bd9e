#include "platform/ui/placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace kv::ui {

namespace {

// A frame the window system has not drawn yet is as large as the window; the frames it
// has drawn show how much it adds.
QSize frameSizeOf(const QWidget* window, const QWidget* framed)
{
    QSize size = window->frameGeometry().size();
    if (size == window->size() && framed) {
        const QRect outer = framed->frameGeometry();
        const QRect inner = framed->geometry();
        size += QSize(outer.width() - inner.width(), outer.height() - inner.height());
    }
    return size;
}

QRect areaAround(const QRect& anchor, const QWidget* window)
{
    if (const QScreen* screen = QGuiApplication::screenAt(anchor.center())) return screen->availableGeometry();
    if (const QScreen* screen = window->screen()) return screen->availableGeometry();
    return {};
}

int topWithin(int top, int height, const QRect& area)
{
    return std::max(area.top(), std::min(top, area.bottom() + 1 - height));
}

}  // namespace

BesidePlaces placesBeside(const QRect& anchor, const QSize& size, const QRect& area, int gap)
{
    BesidePlaces places{{}, anchor.topLeft()};
    const int top = topWithin(anchor.top(), size.height(), area);
    const int rightOf = anchor.right() + 1 + gap;
    const int leftOf = anchor.left() - gap - size.width();
    if (rightOf + size.width() <= area.right() + 1) {
        places.window = {rightOf, top};
    } else if (leftOf >= area.left()) {
        places.window = {leftOf, top};
    } else if (anchor.width() + gap + size.width() <= area.width()) {
        const int start = area.left() + (area.width() - anchor.width() - gap - size.width()) / 2;
        places.anchor.setX(start);
        places.window = {start + anchor.width() + gap, top};
    } else {
        const int roomRight = area.right() + 1 - (anchor.right() + 1);
        const int roomLeft = anchor.left() - area.left();
        places.window = {roomRight >= roomLeft ? area.right() + 1 - size.width() : area.left(), top};
    }
    return places;
}

void placeBeside(QWidget* window, QWidget* anchor, int gap)
{
    const QRect frame = anchor->frameGeometry();
    const QRect area = areaAround(frame, window);
    if (!area.isValid()) return;
    const BesidePlaces places = placesBeside(frame, frameSizeOf(window, anchor), area, gap);
    if (places.anchor != frame.topLeft()) anchor->move(places.anchor);
    window->move(places.window);
}

void placeBeside(QWidget* window, const QRect& part, const QWidget* owner, int gap)
{
    const QRect area = areaAround(part, window);
    if (!area.isValid()) return;
    window->move(placesBeside(part, frameSizeOf(window, owner), area, gap).window);
}

}  // namespace kv::ui
