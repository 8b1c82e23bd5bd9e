#pragma once
// One instance per window, created on first use and released on unload, through one
// registry, so that shut-down can release windows in the order the program gives and
// "is it loaded" can be answered without creating the window.

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

namespace kv::ui {

class WindowRegistry {
public:
    using Factory = std::function<QWidget*()>;

    // Each window registers how it is made, once, under its system name ("hm", "ende").
    // A name that was never registered is a wiring fault: every call below throws
    // std::logic_error for it.
    static void registerWindow(const QString& name, Factory factory);
    // The instance; made (and its load step run) on first use. A window deleted by other
    // means (Qt::WA_DeleteOnClose, a parent's deletion) is released with it, so the next
    // get makes a new one. Set WA_DeleteOnClose on a window whose closing by the user
    // should unload it. Whenever the program shows the window, it opens on the screen
    // (keepOnScreen), wherever it was kept.
    static QWidget* get(const QString& name);
    template <class T>
    static T* instance(const QString& name)
    {
        return qobject_cast<T*>(get(name));
    }
    // Whether a window of that name exists in this program; a button that leads to a
    // window the program does not have stays disabled.
    static bool isRegistered(const QString& name);
    // Null when not loaded; never creates.
    static QWidget* loadedWindow(const QString& name);
    // The loaded window as T; null when it is not loaded or the program has no such window.
    template <class T>
    static T* loaded(const QString& name)
    {
        return isRegistered(name) ? qobject_cast<T*>(loadedWindow(name)) : nullptr;
    }
    static bool isLoaded(const QString& name);
    // Runs the window's unload step (its closeEvent, which may not cancel) and releases
    // the instance at once; nothing when not loaded. The widget itself is deleted by the
    // event loop (deleteLater), as windows unload themselves from their own handlers.
    static void unload(const QString& name);
    // In the order they were loaded.
    static QStringList loadedNames();
    // Test hook: unloads everything, deletes the windows at once and forgets the factories.
    static void reset();
};

// Unloads a window by its name; a name no window has registered is not loaded.
void unloadIfKnown(const QString& name);

// From now on a window shown for the first time appears centred over the window the user
// works in, or on the screen when there is none yet. A window its own code has placed
// (moved before it is shown) keeps its place. For the program's start.
void centreNewWindows();

// Shows a window modally and returns its result: a dialog runs its own loop, any other
// window is waited for until it is hidden or gone. Meant as the `exec` of ui::runModal.
int execModal(QWidget* window);

// The pointer is the hourglass while a long action runs, however it ends.
class BusyPointer {
public:
    BusyPointer();
    ~BusyPointer();
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

// A dialog whose cross button (`kreuz`), Escape and window close box all mean the same:
// the window's own kreuz_Click. The close that unloading sends is no click of the user.
class Dialog : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

    virtual void kreuz_Click() = 0;
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    // Before a window unloads or hides itself: the close or reject that follows is its
    // own, not the user's.
    void leave() { m_leaving = true; }
    bool leaving() const { return m_leaving; }

private:
    bool m_leaving = false;
};

}  // namespace kv::ui
