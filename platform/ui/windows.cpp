#include "platform/ui/windows.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QScreen>
#include <QEventLoop>
#include <QList>
#include <QTimer>

#include <algorithm>
#include <list>
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
        // A message box takes its size only in its own show event, after this filter has
        // seen the event: it is placed again as it grows.
        if (event->type() == QEvent::Resize && w == m_placing) {
            place(w);
            return false;
        }
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
        m_screen = screen ? screen->availableGeometry() : QRect();
        m_area = over ? over->frameGeometry() : m_screen;
        m_frame = frameMargins(over);
        m_placing = w;
        place(w);
        QTimer::singleShot(0, this, [this] { m_placing = nullptr; });
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

    // A window not yet shown has no frame; the window system will give it one like those
    // of the windows already shown.
    static QMargins frameMargins(const QWidget* like)
    {
        const auto of = [](const QWidget* w) {
            const QRect frame = w->frameGeometry();
            const QRect inner = w->geometry();
            return QMargins(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                            frame.bottom() - inner.bottom());
        };
        if (like && like->isVisible() && like->frameGeometry() != like->geometry()) return of(like);
        for (const QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->frameGeometry() != w->geometry()) return of(w);
        return {};
    }

    void place(QWidget* w) const
    {
        if (!m_area.isValid()) return;
        QRect placed(QPoint(), w->size().grownBy(m_frame));
        placed.moveCenter(m_area.center());
        // Over a window near the screen's edge it stays on the screen.
        if (m_screen.isValid()) {
            placed.moveLeft(qBound(m_screen.left(), placed.left(), qMax(m_screen.left(), m_screen.right() + 1 - placed.width())));
            placed.moveTop(qBound(m_screen.top(), placed.top(), qMax(m_screen.top(), m_screen.bottom() + 1 - placed.height())));
        }
        // For a window, move takes the top left of its frame.
        w->move(placed.topLeft());
    }

    static constexpr const char* placedKey = "kv_centred";
    QPointer<QWidget> m_placing;
    QList<QPointer<QWidget>> m_activated;
    QRect m_area;
    QRect m_screen;
    QMargins m_frame;
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
