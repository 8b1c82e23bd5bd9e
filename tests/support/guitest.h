#pragma once
// Helpers for the tests that open windows. Header-only and in its own target, because
// the support library links no Qt Widgets.

#include <QApplication>
#include <QList>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <stdexcept>
#include <string>

namespace kv::test {

// One application object for the whole test program, made on first use so that listing
// the tests needs no display.
inline QApplication& guiApp()
{
    static QApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "kelvor-tests";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    return *app;
}

// Runs `act` on the modal widget as soon as one is open (a box shown by exec()).
inline void whenModal(std::function<void(QWidget*)> act)
{
    auto* timer = new QTimer(&guiApp());
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        }
    });
    timer->start();
}

// The control `name` of `window`, searched among all its descendants; a Data control is a
// named child object and is found the same way. Tests reach controls only by name, so they
// do not depend on how a window keeps them. A missing, mistyped or doubled name throws:
// the test fails with the name instead of crashing on a null pointer.
template <class T = QWidget>
T* control(const QObject* window, const QString& name)
{
    const auto describe = [&] {
        return name.toStdString() + " of type " + T::staticMetaObject.className();
    };
    if (!window) throw std::runtime_error("no window to find control " + describe() + " in");
    const QList<T*> found = window->findChildren<T*>(name);
    if (found.isEmpty())
        throw std::runtime_error("no control " + describe() + " in " +
                                 window->objectName().toStdString());
    if (found.size() > 1)
        throw std::runtime_error(std::to_string(found.size()) + " controls " + describe() + " in " +
                                 window->objectName().toStdString());
    return found.first();
}

template <class T = QWidget>
T* control(const QObject* window, const char* name)
{
    return control<T>(window, QString::fromUtf8(name));
}

}  // namespace kv::test
