#include "platform/ui/events.h"

#include "platform/ui/dialogs.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSpinBox>
#include <QTextEdit>
#include <QWindow>

#include <exception>
#include <stdexcept>
#include <vector>

namespace kv::ui {

namespace {

// A handler's failure must not unwind through Qt's event dispatch, which is not
// exception-safe; it goes to the error box instead.
template <class Fn>
void guarded(const QObject* control, const char* event, Fn&& fn)
{
    try {
        fn();
    } catch (const std::exception& e) {
        const QString where = control->objectName() + u'_' + QLatin1String(event);
        try {
            msgbox(where + QStringLiteral(" : ") + QString::fromStdString(e.what()), Critical,
                   QStringLiteral(" F E H L E R"));
        } catch (const std::exception& boxFailure) {
            qWarning("%s: %s (%s)", qPrintable(where), e.what(), boxFailure.what());
        }
    }
}

int shiftOf(Qt::KeyboardModifiers m)
{
    int shift = 0;
    if (m & Qt::ShiftModifier)
        shift |= 1;
    if (m & Qt::ControlModifier)
        shift |= 2;
    if (m & Qt::AltModifier)
        shift |= 4;
    return shift;
}

int asciiOf(const QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
        return 0;
    default:
        break;
    }
    const QString text = e->text();
    if (text.size() != 1)
        return 0;
    const char16_t c = text.at(0).unicode();
    return c == 127 ? 0 : c;
}

int qtKeyOfAscii(int ascii)
{
    switch (ascii) {
    case 13:
        return Qt::Key_Return;
    case 27:
        return Qt::Key_Escape;
    case 8:
        return Qt::Key_Backspace;
    default:
        return QChar(ascii).toUpper().unicode();
    }
}

QWidget* finalFocusProxy(QWidget* w)
{
    while (QWidget* p = w->focusProxy())
        w = p;
    return w;
}

class EventHelper;

// Focus changes come from QApplication::focusChanged rather than from each widget's
// FocusIn/FocusOut: a change within a window is one LostFocus then one GotFocus, as the
// system had it, while window activation, popups and message boxes move the focus
// between windows without any of them.
class FocusDispatcher : public QObject {
public:
    static FocusDispatcher& instance();
    void add(EventHelper* helper);

private:
    void focusChanged(QWidget* now);
    std::vector<QPointer<EventHelper>> m_helpers;
};

class EventHelper : public QObject {
public:
    explicit EventHelper(QWidget* w) : QObject(w), m_widget(w)
    {
        setObjectName(QStringLiteral("kv_ui_events"));
        w->installEventFilter(this);
    }

    static EventHelper* of(QWidget* w)
    {
        if (!w)
            throw std::logic_error("event handler for a null widget");
        for (QObject* child : w->children())
            if (auto* h = dynamic_cast<EventHelper*>(child))
                return h;
        return new EventHelper(w);
    }

    void addFocusHandler(bool got, std::function<void()> handler)
    {
        if (!m_focusWatched) {
            m_focusWatched = true;
            m_focused = contains(QApplication::focusWidget());
            FocusDispatcher::instance().add(this);
        }
        (got ? m_gotFocus : m_lostFocus).push_back(std::move(handler));
    }

    void addKeyDown(std::function<void(int&, int)> handler)
    {
        watchKeys();
        m_keyDown.push_back(std::move(handler));
    }

    void addKeyPress(std::function<void(int&)> handler)
    {
        watchKeys();
        m_keyPress.push_back(std::move(handler));
    }

    void addMouseDown(std::function<void(int, int)> handler)
    {
        watchMouse(false);
        m_mouseDown.push_back(std::move(handler));
    }

    void addMouseMove(std::function<void()> handler)
    {
        watchMouse(true);
        m_mouseMove.push_back(std::move(handler));
    }

    void addDblClick(std::function<void()> handler)
    {
        watchMouse(false);
        m_dblClick.push_back(std::move(handler));
    }

    void addPlainClick(std::function<void()> handler)
    {
        m_plainClick.push_back(std::move(handler));
    }

    bool contains(const QWidget* x) const
    {
        if (!x)
            return false;
        return x == m_widget || m_widget->isAncestorOf(x) || x == finalFocusProxy(m_widget);
    }

    // Called by the dispatcher in two passes, so every LostFocus runs before any GotFocus.
    bool takeLost(QWidget* now)
    {
        if (!m_focused || contains(now))
            return false;
        if (!m_widget->window()->isVisible()) {
            // A hidden window takes its focus along; it is given again when shown.
            m_focused = false;
            return false;
        }
        if (!now || now->window() != m_widget->window())
            return false;
        m_focused = false;
        return true;
    }

    bool takeGot(QWidget* now)
    {
        if (m_focused || !contains(now))
            return false;
        m_focused = true;
        return true;
    }

    void fireLost()
    {
        for (const auto& h : std::vector(m_lostFocus))
            guarded(m_widget, "LostFocus", h);
    }

    void fireGot()
    {
        for (const auto& h : std::vector(m_gotFocus))
            guarded(m_widget, "GotFocus", h);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
            if (watched == keyTarget())
                return keyPressed(watched, static_cast<QKeyEvent*>(event));
            break;
        case QEvent::MouseButtonPress:
            if (isMouseTarget(watched))
                mousePressed(static_cast<QMouseEvent*>(event));
            if (watched == m_widget && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                m_pressedInside = true;
            break;
        case QEvent::MouseButtonRelease:
            if (watched == m_widget)
                released(static_cast<QMouseEvent*>(event));
            break;
        case QEvent::MouseMove:
            if (isMouseTarget(watched))
                for (const auto& h : std::vector(m_mouseMove))
                    guarded(m_widget, "MouseMove", h);
            break;
        case QEvent::MouseButtonDblClick:
            if (isMouseTarget(watched))
                for (const auto& h : std::vector(m_dblClick))
                    guarded(m_widget, "DblClick", h);
            break;
        default:
            break;
        }
        return false;
    }

private:
    QWidget* keyTarget() const { return finalFocusProxy(m_widget); }

    // Item views and text edits get their mouse events on the viewport; an editable
    // combo box on its line edit. Events a child ignores travel on to the parent, so
    // only one object counts.
    bool isMouseTarget(QObject* watched) const
    {
        if (auto* area = qobject_cast<QAbstractScrollArea*>(m_widget))
            return watched == area->viewport();
        if (auto* combo = qobject_cast<QComboBox*>(m_widget))
            return watched == combo || (combo->lineEdit() && watched == combo->lineEdit());
        return watched == m_widget;
    }

    void watchKeys()
    {
        QWidget* target = keyTarget();
        if (target != m_widget)
            target->installEventFilter(this);
    }

    void watchMouse(bool tracking)
    {
        std::vector<QWidget*> targets;
        if (auto* area = qobject_cast<QAbstractScrollArea*>(m_widget))
            targets.push_back(area->viewport());
        else
            targets.push_back(m_widget);
        if (auto* combo = qobject_cast<QComboBox*>(m_widget); combo && combo->lineEdit())
            targets.push_back(combo->lineEdit());
        for (QWidget* t : targets) {
            if (t != m_widget)
                t->installEventFilter(this);
            // MouseMove handlers hear every move over a control, not only drags.
            if (tracking)
                t->setMouseTracking(true);
        }
    }

    bool keyPressed(QObject* watched, QKeyEvent* e)
    {
        if (m_resending)
            return false;
        if (!m_keyDown.empty()) {
            int code = keyCodeOf(e->key());
            if (code != 0) {
                const int shift = shiftOf(e->modifiers());
                for (const auto& h : std::vector(m_keyDown)) {
                    guarded(m_widget, "KeyDown", [&] { h(code, shift); });
                    if (code == 0)
                        return true;
                }
            }
        }
        if (!m_keyPress.empty()) {
            const int original = asciiOf(e);
            if (original == 0)
                return false;
            int ascii = original;
            for (const auto& h : std::vector(m_keyPress)) {
                guarded(m_widget, "KeyPress", [&] { h(ascii); });
                if (ascii == 0)
                    return true;
            }
            if (ascii != original) {
                // A handler may turn the key into another character (upper case, say).
                QKeyEvent replaced(QEvent::KeyPress, qtKeyOfAscii(ascii), e->modifiers(),
                                   QString(QChar(ascii)), e->isAutoRepeat(), e->count());
                m_resending = true;
                QCoreApplication::sendEvent(watched, &replaced);
                m_resending = false;
                return true;
            }
        }
        return false;
    }

    void mousePressed(const QMouseEvent* e)
    {
        int button = 0;
        switch (e->button()) {
        case Qt::LeftButton:
            button = 1;
            break;
        case Qt::RightButton:
            button = 2;
            break;
        case Qt::MiddleButton:
            button = 4;
            break;
        default:
            return;
        }
        const int shift = shiftOf(e->modifiers());
        for (const auto& h : std::vector(m_mouseDown))
            guarded(m_widget, "MouseDown", [&] { h(button, shift); });
    }

    void released(const QMouseEvent* e)
    {
        const bool click = m_pressedInside && e->button() == Qt::LeftButton &&
                           m_widget->rect().contains(e->position().toPoint());
        if (e->button() == Qt::LeftButton)
            m_pressedInside = false;
        if (click)
            for (const auto& h : std::vector(m_plainClick))
                guarded(m_widget, "Click", h);
    }

    QWidget* m_widget;
    bool m_focusWatched = false;
    bool m_focused = false;
    bool m_resending = false;
    bool m_pressedInside = false;
    std::vector<std::function<void()>> m_gotFocus;
    std::vector<std::function<void()>> m_lostFocus;
    std::vector<std::function<void(int&, int)>> m_keyDown;
    std::vector<std::function<void(int&)>> m_keyPress;
    std::vector<std::function<void(int, int)>> m_mouseDown;
    std::vector<std::function<void()>> m_mouseMove;
    std::vector<std::function<void()>> m_dblClick;
    std::vector<std::function<void()>> m_plainClick;
};

FocusDispatcher& FocusDispatcher::instance()
{
    // Parented to the application, so a test that makes a new application gets a new one.
    static QPointer<FocusDispatcher> dispatcher;
    if (!dispatcher) {
        auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
        if (!app)
            throw std::logic_error("focus events need a QApplication");
        dispatcher = new FocusDispatcher;
        dispatcher->setParent(app);
        connect(app, &QApplication::focusChanged, dispatcher.data(),
                [d = dispatcher.data()](QWidget*, QWidget* now) { d->focusChanged(now); });
    }
    return *dispatcher;
}

void FocusDispatcher::add(EventHelper* helper)
{
    std::erase_if(m_helpers, [](const QPointer<EventHelper>& h) { return h.isNull(); });
    m_helpers.emplace_back(helper);
}

void FocusDispatcher::focusChanged(QWidget* now)
{
    // The flags are settled before any handler runs: a handler that shows a message box
    // moves the focus again, and must not see a half-done change.
    std::vector<QPointer<EventHelper>> lost;
    std::vector<QPointer<EventHelper>> got;
    for (const auto& h : std::vector(m_helpers))
        if (h && h->takeLost(now))
            lost.push_back(h);
    for (const auto& h : std::vector(m_helpers))
        if (h && h->takeGot(now))
            got.push_back(h);
    for (const auto& h : lost)
        if (h)
            h->fireLost();
    for (const auto& h : got)
        if (h)
            h->fireGot();
}

}  // namespace

int keyCodeOf(int qtKey)
{
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return 65 + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return 48 + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 112 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return KeyEnter;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    case Qt::Key_Pause:
        return 19;
    case Qt::Key_Escape:
        return KeyEscape;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return KeyEnd;
    case Qt::Key_Home:
        return KeyHome;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return KeyDelete;
    default:
        return 0;
    }
}

void onGotFocus(QWidget* w, std::function<void()> handler)
{
    EventHelper::of(w)->addFocusHandler(true, std::move(handler));
}

void onLostFocus(QWidget* w, std::function<void()> handler)
{
    EventHelper::of(w)->addFocusHandler(false, std::move(handler));
}

void onKeyDown(QWidget* w, std::function<void(int& keyCode, int shift)> handler)
{
    EventHelper::of(w)->addKeyDown(std::move(handler));
}

void onKeyPress(QWidget* w, std::function<void(int& keyAscii)> handler)
{
    EventHelper::of(w)->addKeyPress(std::move(handler));
}

void onMouseDown(QWidget* w, std::function<void(int button, int shift)> handler)
{
    EventHelper::of(w)->addMouseDown(std::move(handler));
}

void onMouseMove(QWidget* w, std::function<void()> handler)
{
    EventHelper::of(w)->addMouseMove(std::move(handler));
}

void onDblClick(QWidget* w, std::function<void()> handler)
{
    EventHelper::of(w)->addDblClick(std::move(handler));
}

void onChange(QWidget* w, std::function<void()> handler)
{
    QObject* context = EventHelper::of(w);
    auto fire = [w, h = std::move(handler)] { guarded(w, "Change", h); };
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        QObject::connect(edit, &QLineEdit::textChanged, context, fire);
    } else if (auto* text = qobject_cast<QTextEdit*>(w)) {
        QObject::connect(text, &QTextEdit::textChanged, context, fire);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
        QObject::connect(plain, &QPlainTextEdit::textChanged, context, fire);
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        // An editable combo reports a new current item through its edit text too; each
        // change counts once whatever the combo's mode.
        QObject::connect(combo, &QComboBox::editTextChanged, context, [combo, fire] {
            if (combo->isEditable())
                fire();
        });
        QObject::connect(combo, &QComboBox::currentIndexChanged, context, [combo, fire] {
            if (!combo->isEditable())
                fire();
        });
    } else if (auto* spin = qobject_cast<QSpinBox*>(w)) {
        QObject::connect(spin, &QSpinBox::textChanged, context, fire);
    } else if (auto* dspin = qobject_cast<QDoubleSpinBox*>(w)) {
        QObject::connect(dspin, &QDoubleSpinBox::textChanged, context, fire);
    } else {
        throw std::logic_error("no Change event for " + w->objectName().toStdString() + " (" +
                               w->metaObject()->className() + ")");
    }
}

void onClick(QWidget* w, std::function<void()> handler)
{
    EventHelper* helper = EventHelper::of(w);
    auto* button = qobject_cast<QAbstractButton*>(w);
    auto* combo = qobject_cast<QComboBox*>(w);
    auto* view = qobject_cast<QAbstractItemView*>(w);
    if (!button && !combo && !view) {
        helper->addPlainClick(std::move(handler));
        return;
    }
    auto fire = [w, h = std::move(handler)] { guarded(w, "Click", h); };
    if (button)
        QObject::connect(button, &QAbstractButton::clicked, helper, fire);
    else if (combo)
        QObject::connect(combo, &QComboBox::activated, helper, fire);
    else
        QObject::connect(view, &QAbstractItemView::clicked, helper, fire);
}

namespace {

// Follows the program's active window, so that an activation can tell where it came from.
class ActivationWatcher : public QObject {
public:
    ActivationWatcher(QWidget* window, std::function<void(QWidget*)> handler)
        : QObject(window), m_window(window), m_handler(std::move(handler)), m_last(QApplication::activeWindow())
    {
        connect(qApp, &QGuiApplication::focusWindowChanged, this, &ActivationWatcher::focusWindowChanged);
    }

private:
    static QWidget* widgetOf(const QWindow* w)
    {
        if (!w)
            return nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->windowHandle() == w)
                return top;
        return nullptr;
    }

    void focusWindowChanged(QWindow* focus)
    {
        QWidget* top = widgetOf(focus);
        // A combo's list or a menu is part of the window it opens from.
        if (top && (top->windowType() == Qt::Popup || top->windowType() == Qt::ToolTip))
            return;
        const QPointer<QWidget> from = m_last;
        m_last = top;
        if (top == m_window && from != m_window)
            guarded(m_window, "Activate", [&] { m_handler(from); });
    }

    QWidget* m_window;
    std::function<void(QWidget*)> m_handler;
    QPointer<QWidget> m_last;
};

}  // namespace

void onActivate(QWidget* window, std::function<void(QWidget* from)> handler)
{
    new ActivationWatcher(window, std::move(handler));
}

}  // namespace kv::ui
