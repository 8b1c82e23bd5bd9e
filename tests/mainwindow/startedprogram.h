#pragma once
// The program started the way main starts it, on a fresh program folder: the delivered
// cookbook is copied there, and its first opening builds the indexes with its two messages.

#include "app/windowlist.h"
#include "core/cookbookdb.h"
#include "core/ende.h"
#include "core/mainmod.h"
#include "mainwindow/about.h"
#include "mainwindow/hm.h"
#include "mainwindow/startupui.h"
#include "platform/ui/windows.h"
#include "tests/support/guitest.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testenv.h"

#include <gtest/gtest.h>

#include <functional>

namespace kv::test {

class StartedProgram : public ::testing::Test {
protected:
    // `registerMore` adds the windows of further subsystems before the start.
    void start(const std::function<void()>& registerMore = {})
    {
        guiApp();
        ui::WindowRegistry::reset();
        registerAllWindows();
        if (registerMore) registerMore();
        setQuitHook([this] { ++quits; });
        setStartupUi(&startup);
        dialogs.expect(QStringLiteral("Kelvor muß beim ersten Starten seine Suchindizes erstellen."), ui::Answer::Ok)
            .withTitle(QStringLiteral(" A c h t u n g"));
        dialogs.expect(QStringLiteral("Die Suchindizes wurden erstellt"), ui::Answer::Ok)
            .withTitle(QStringLiteral(" O K"));
        Main();
        dialogs.verify();
        hm = ui::WindowRegistry::instance<Hm>(QStringLiteral("hm"));
        ASSERT_NE(hm, nullptr);
    }

    void TearDown() override
    {
        {
            NoClosingScreen quiet;
            ui::WindowRegistry::reset();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        kochbuchdb.reset();
        setStartupUi(nullptr);
        setQuitHook({});
    }

    db::Database& db() { return cookbook(); }
    qint64 count(const QString& sql) { return db().scalar(sql).toLongLong(); }

    TestEnvironment env;
    ScriptedDialogs dialogs;
    GuiStartupUi startup;
    Hm* hm = nullptr;
    int quits = 0;
};

}  // namespace kv::test
