#include "platform/ui/placement.h"

#include <QApplication>
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

// The free area of the screen that shows the most of `frame`; for a frame beyond every
// screen, of the nearest one.
QRect areaAround(const QRect& frame, const QWidget* window)
{
    const QScreen* best = nullptr;
    qint64 bestShown = -1;
    qint64 bestAway = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->geometry();
        const QRect common = area.intersected(frame);
        const qint64 shown = common.isEmpty() ? 0 : qint64(common.width()) * common.height();
        const qint64 dx = std::max({area.left() - frame.right(), frame.left() - area.right(), 0});
        const qint64 dy = std::max({area.top() - frame.bottom(), frame.top() - area.bottom(), 0});
        const qint64 away = dx * dx + dy * dy;
        if (shown > bestShown || (shown == 0 && bestShown == 0 && away < bestAway)) {
            best = screen;
            bestShown = shown;
            bestAway = away;
        }
    }
    if (!best) best = window->screen();
    return best ? best->availableGeometry() : QRect();
}

int topWithin(int top, int height, const QRect& area)
{
    return std::max(area.top(), std::min(top, area.bottom() + 1 - height));
}

bool placedByTheSystem(const QWidget* window)
{
    return window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized);
}

}  // namespace

QRect onArea(const QRect& frame, const QRect& area)
{
    QRect placed(frame.topLeft(), frame.size().boundedTo(area.size()));
    placed.moveLeft(std::clamp(placed.left(), area.left(), area.right() + 1 - placed.width()));
    placed.moveTop(std::clamp(placed.top(), area.top(), area.bottom() + 1 - placed.height()));
    return placed;
}

void keepOnScreen(QWidget* window)
{
    if (!window->isWindow() || placedByTheSystem(window)) return;
    const QMargins frame = knownFrame(window).value_or(likelyFrame());
    const QRect outer = window->geometry().marginsAdded(frame);
    const QRect area = areaAround(outer, window);
    if (!area.isValid() || area.contains(outer)) return;
    const QRect placed = onArea(outer, area);
    if (placed.size() == outer.size()) {
        window->move(placed.topLeft());
        return;
    }
    window->setGeometry(placed.marginsRemoved(frame));
}

std::optional<QMargins> knownFrame(const QWidget* window)
{
    if (!window || !window->isVisible()) return std::nullopt;
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    const QMargins m(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                     frame.bottom() - inner.bottom());
    const auto sane = [](int side) { return side >= 0 && side < 100; };
    if (m.isNull() || !sane(m.left()) || !sane(m.top()) || !sane(m.right()) || !sane(m.bottom())) return std::nullopt;
    return m;
}

QMargins likelyFrame()
{
    for (const QWidget* w : QApplication::topLevelWidgets())
        if (const auto m = knownFrame(w)) return *m;
    return {};
}

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
    // Beside where the anchor shows, not where a larger screen had room for it.
    keepOnScreen(anchor);
    const QRect frame = anchor->frameGeometry();
    const QRect area = areaAround(frame, window);
    if (!area.isValid()) return;
    const BesidePlaces places = placesBeside(frame, frameSizeOf(window, anchor), area, gap);
    if (places.anchor != frame.topLeft()) anchor->move(places.anchor);
    window->move(places.window);
    keepOnScreen(window);
}

void placeBeside(QWidget* window, const QRect& part, const QWidget* owner, int gap)
{
    const QRect area = areaAround(part, window);
    if (!area.isValid()) return;
    window->move(placesBeside(part, frameSizeOf(window, owner), area, gap).window);
    keepOnScreen(window);
}

}  // namespace kv::ui
