#pragma once
// One instance per window, created on first use and released on unload, through one
// registry, so that shut-down can release windows in the order the system gives and
// "is it loaded" can be answered without creating the window.

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
    static void registerWindow(const QString& name, Factory factory);
    // The instance; made (and its load step run) on first use.
    static QWidget* get(const QString& name);
    template <class T>
    static T* instance(const QString& name)
    {
        return qobject_cast<T*>(get(name));
    }
    // Null when not loaded; never creates.
    static QWidget* loadedWindow(const QString& name);
    static bool isLoaded(const QString& name);
    // Runs the window's unload step (its closeEvent, which may not cancel) and deletes
    // the instance; nothing when not loaded.
    static void unload(const QString& name);
    static QStringList loadedNames();
    // Test hook: unloads everything and forgets the factories.
    static void reset();
};

}  // namespace kv::ui
