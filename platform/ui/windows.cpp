#include "platform/ui/windows.h"

#include "platform/ui/placement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QScopedValueRollback>
#include <QScreen>
#include <QEventLoop>
#include <QList>
#include <QTimer>

#include <algorithm>
#include <list>
#include <optional>
#include <stdexcept>
#include <vector>

namespace kv::ui {

namespace {

struct Entry {
    QString name;
    WindowRegistry::Factory factory;
    QPointer<QWidget> instance;
    quint64 loadedAt = 0;
    bool creating = false;
};

// A list, so that an entry stays put while a factory registers further windows.
std::list<Entry>& entries()
{
    static std::list<Entry> list;
    return list;
}

quint64 g_loadCounter = 0;

Entry* find(const QString& name)
{
    for (Entry& e : entries())
        if (e.name == name)
            return &e;
    return nullptr;
}

Entry& known(const QString& name)
{
    Entry* e = find(name);
    if (!e)
        throw std::logic_error("unknown window: " + name.toStdString());
    return *e;
}

// Close runs the window's unload step. A window that ignores the event is unloaded all
// the same: the program's unload steps never cancel, and shut-down must not stall on one.
void runUnloadStep(QWidget* w)
{
    QPointer<QWidget> guard(w);
    w->close();
    if (guard && guard->isVisible())
        guard->hide();
}

class HideWatcher : public QObject {
public:
    explicit HideWatcher(QEventLoop& loop)
        : m_loop(loop)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide)
            m_loop.quit();
        return QObject::eventFilter(watched, event);
    }

private:
    QEventLoop& m_loop;
};

class Centring : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!watched->isWidgetType()) return false;
        auto* w = static_cast<QWidget*>(watched);
        if (!m_placings.empty()) placeAgain(w, event->type());
        if (event->type() == QEvent::WindowActivate && w->isWindow()) {
            m_activated.removeAll(w);
            m_activated.append(w);
            return false;
        }
        if (event->type() != QEvent::Show) return false;
        const Qt::WindowType type = w->windowType();
        if (!w->isWindow() || (type != Qt::Window && type != Qt::Dialog) || w->testAttribute(Qt::WA_Moved) ||
            w->property(placedKey).toBool())
            return false;
        w->setProperty(placedKey, true);
        const QWidget* over = opener(w);
        const QScreen* screen = over ? over->screen() : w->screen();
        Placing placing;
        placing.window = w;
        placing.screen = screen ? screen->availableGeometry() : QRect();
        placing.area = over ? over->frameGeometry() : placing.screen;
        const std::optional<QMargins> frame = knownFrame(over);
        placing.frame = frame ? *frame : likelyFrame();
        placing.frameKnown = false;
        placing.shown.start();
        place(placing);
        m_placings.push_back(placing);
        QTimer::singleShot(0, this, [this, window = QPointer<QWidget>(w)] {
            for (Placing& p : m_placings)
                if (p.window == window) p.sizing = false;
        });
        return false;
    }

private:
    // The window the user works in: the one `w` belongs to, else the active one; right
    // after a box has closed the window system may not have handed the activation back
    // yet, so the last one active that is still shown counts as well. None at the start.
    const QWidget* opener(const QWidget* w)
    {
        const auto usable = [w](const QWidget* candidate) {
            return candidate && candidate != w && candidate->isVisible();
        };
        if (const QWidget* parent = w->parentWidget(); parent && usable(parent->window())) return parent->window();
        if (const QWidget* active = QApplication::activeWindow(); usable(active)) return active;
        m_activated.removeAll(nullptr);
        for (auto it = m_activated.crbegin(); it != m_activated.crend(); ++it)
            if (usable(*it)) return *it;
        return nullptr;
    }

    struct Placing {
        QPointer<QWidget> window;
        QRect area;
        QRect screen;
        QMargins frame;
        bool sizing = true;       // its show event is not over yet
        bool frameKnown = false;  // placed by the frame the window system gave it
        QElapsedTimer shown;
    };

    // A message box takes its size only in its own show event, after this filter has seen
    // the event, so it is placed again as it grows. The frame of the first window shown is
    // not known before it is painted: then it is placed again by its frame. A window that
    // still has no frame after a second is left where it is.
    void placeAgain(QWidget* w, QEvent::Type type)
    {
        // Placing a window sends it events of its own, which come back here.
        if (m_placingAgain) return;
        const QScopedValueRollback busy(m_placingAgain, true);
        for (auto it = m_placings.begin(); it != m_placings.end();) {
            Placing& p = *it;
            if (p.window == w) {
                if (type == QEvent::Resize && p.sizing) {
                    place(p);
                } else if (type == QEvent::Paint && !p.frameKnown) {
                    if (const auto frame = knownFrame(w)) {
                        p.frameKnown = true;
                        if (*frame != p.frame) {
                            p.frame = *frame;
                            place(p);
                        }
                    }
                }
            }
            const bool done = !p.window || (!p.sizing && (p.frameKnown || p.shown.elapsed() > 1000));
            it = done ? m_placings.erase(it) : it + 1;
        }
    }

    static void place(const Placing& p)
    {
        QWidget* w = p.window;
        if (!w || !p.area.isValid()) return;
        QRect placed(QPoint(), w->size().grownBy(p.frame));
        placed.moveCenter(p.area.center());
        // Over a window near the screen's edge it stays on the screen.
        if (p.screen.isValid()) {
            placed.moveLeft(qBound(p.screen.left(), placed.left(), qMax(p.screen.left(), p.screen.right() + 1 - placed.width())));
            placed.moveTop(qBound(p.screen.top(), placed.top(), qMax(p.screen.top(), p.screen.bottom() + 1 - placed.height())));
        }
        // A window without its frame yet would be moved by its inside's corner, so the
        // inside is placed, below and right of the frame it will get; placing it does not
        // count as a size the program gave it.
        const bool resized = w->testAttribute(Qt::WA_Resized);
        w->setGeometry(QRect(placed.topLeft() + QPoint(p.frame.left(), p.frame.top()), w->size()));
        w->setAttribute(Qt::WA_Resized, resized);
    }

    static constexpr const char* placedKey = "kv_centred";
    QList<QPointer<QWidget>> m_activated;
    std::vector<Placing> m_placings;
    bool m_placingAgain = false;
};

// A window the program opens (not one the window system shows again after minimising)
// opens on the screen, wherever it was kept.
class OnScreen : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && !event->spontaneous() && watched == parent())
            keepOnScreen(static_cast<QWidget*>(watched));
        return false;
    }
};

}  // namespace

void WindowRegistry::registerWindow(const QString& name, Factory factory)
{
    if (!factory)
        throw std::logic_error("window registered without factory: " + name.toStdString());
    if (Entry* e = find(name)) {
        e->factory = std::move(factory);
        return;
    }
    entries().push_back(Entry{name, std::move(factory), {}, 0, false});
}

QWidget* WindowRegistry::get(const QString& name)
{
    Entry& e = known(name);
    if (e.instance)
        return e.instance;
    // The constructor is the load step; a load step that reaches for its own window
    // through the registry would make a second instance.
    if (e.creating)
        throw std::logic_error("window used during its own creation: " + name.toStdString());
    e.creating = true;
    const Factory factory = e.factory;
    QWidget* w = nullptr;
    try {
        w = factory();
    } catch (...) {
        e.creating = false;
        throw;
    }
    e.creating = false;
    if (!w)
        throw std::logic_error("window factory returned nothing: " + name.toStdString());
    if (w->objectName().isEmpty())
        w->setObjectName(name);
    // Every window of the program, so none can miss it: the place a window keeps, stored
    // or left from a larger screen, may lie beyond the screen it opens on.
    w->installEventFilter(new OnScreen(w));
    e.instance = w;
    e.loadedAt = ++g_loadCounter;
    return w;
}

bool WindowRegistry::isRegistered(const QString& name)
{
    return find(name) != nullptr;
}

QWidget* WindowRegistry::loadedWindow(const QString& name)
{
    const Entry& e = known(name);
    return e.instance.data();
}

bool WindowRegistry::isLoaded(const QString& name)
{
    return loadedWindow(name) != nullptr;
}

void WindowRegistry::unload(const QString& name)
{
    Entry& e = known(name);
    QPointer<QWidget> w = e.instance;
    if (!w)
        return;
    runUnloadStep(w);
    // Released before the deletion, which waits for the event loop: windows unload
    // themselves from their own handlers (a close button, the closing screen's endit),
    // and deleting them under their running handler would crash.
    e.instance.clear();
    if (w)
        w->deleteLater();
}

QStringList WindowRegistry::loadedNames()
{
    std::vector<const Entry*> loaded;
    for (const Entry& e : entries())
        if (e.instance)
            loaded.push_back(&e);
    std::sort(loaded.begin(), loaded.end(),
              [](const Entry* a, const Entry* b) { return a->loadedAt < b->loadedAt; });
    QStringList names;
    for (const Entry* e : loaded)
        names << e->name;
    return names;
}

void WindowRegistry::reset()
{
    // Tests call this outside any window handler, so the windows go at once rather than
    // lingering into the next test.
    const QStringList names = loadedNames();
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        Entry* e = find(*it);
        if (!e || !e->instance)
            continue;
        QPointer<QWidget> w = e->instance;
        runUnloadStep(w);
        e->instance.clear();
        delete w.data();
    }
    entries().clear();
    g_loadCounter = 0;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void unloadIfKnown(const QString& name)
{
    // A window that is not registered does not exist in this build, so it is not loaded.
    if (WindowRegistry::isRegistered(name))
        WindowRegistry::unload(name);
}

void centreNewWindows()
{
    static Centring* centring = nullptr;
    if (centring || !qApp) return;
    centring = new Centring(qApp);
    qApp->installEventFilter(centring);
}

int execModal(QWidget* window)
{
    if (auto* dialog = qobject_cast<QDialog*>(window))
        return dialog->exec();
    QPointer<QWidget> guard(window);
    window->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    HideWatcher watcher(loop);
    window->installEventFilter(&watcher);
    QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
    window->show();
    loop.exec(QEventLoop::DialogExec);
    if (guard) {
        guard->removeEventFilter(&watcher);
        guard->setWindowModality(Qt::NonModal);
    }
    return 0;
}

BusyPointer::BusyPointer()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyPointer::~BusyPointer()
{
    QApplication::restoreOverrideCursor();
}

void Dialog::reject()
{
    if (m_leaving) {
        QDialog::reject();
        return;
    }
    // Deferred: the cross may ask a question and release this dialog, neither of which
    // belongs inside the key or close event that asked for it.
    QTimer::singleShot(0, this, [this] {
        if (!m_leaving) kreuz_Click();
    });
}

void Dialog::closeEvent(QCloseEvent* event)
{
    // Only the window system's close box is the user's; any other close is an unload.
    if (!event->spontaneous()) m_leaving = true;
    QDialog::closeEvent(event);
}

}  // namespace kv::ui
