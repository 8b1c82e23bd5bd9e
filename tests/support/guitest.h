#pragma once
// Helpers for the tests that open windows. Header-only and in its own target, because
// the support library links no Qt Widgets.

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

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

}  // namespace kv::test
