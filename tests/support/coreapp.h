#pragma once
// The application object of a test program without windows, for logic that waits on
// events (sockets, timers). Made on first use, kept for the whole program.

#include <QCoreApplication>

namespace kv::test {

inline QCoreApplication& coreApp()
{
    static QCoreApplication* app = [] {
        if (QCoreApplication* existing = QCoreApplication::instance()) return existing;
        static int argc = 1;
        static char name[] = "kelvor-tests";
        static char* argv[] = {name, nullptr};
        return new QCoreApplication(argc, argv);
    }();
    return *app;
}

}  // namespace kv::test
