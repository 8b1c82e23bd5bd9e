#pragma once
// The program started the way main starts it, on a fresh program folder: the delivered
// cookbook is copied there, and its first opening builds the indexes with its two messages.

#include "app/starthooks.h"
#include "app/windowlist.h"
#include "core/cookbookdb.h"
#include "core/ende_window.h"
#include "core/finddir_window.h"
#include "core/mainmod.h"
#include "mainwindow/about_window.h"
#include "mainwindow/hm_window.h"
#include "mainwindow/startup_window.h"
#include "platform/db/datacontrol.h"
#include "platform/ui/windows.h"
#include "tests/support/guitest.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testenv.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>

#include <functional>

namespace kv::test {

class StartedProgram : public ::testing::Test {
protected:
    // `registerMore` adds the windows of further subsystems before the start.
    void start(const std::function<void()>& registerMore = {})
    {
        expectIndexBuild();
        launch(registerMore);
    }

    // The two messages of a cookbook's first opening.
    void expectIndexBuild()
    {
        dialogs.expect(QStringLiteral("Kelvor muß beim ersten Starten seine Suchindizes erstellen."), ui::Answer::Ok)
            .withTitle(QStringLiteral(" A c h t u n g"));
        dialogs.expect(QStringLiteral("Die Suchindizes wurden erstellt"), ui::Answer::Ok)
            .withTitle(QStringLiteral(" O K"));
    }

    // Starts the program as main does, with whatever boxes the test expects.
    void launch(const std::function<void()>& registerMore = {})
    {
        guiApp();
        ui::WindowRegistry::reset();
        installStartHooks();
        registerAllWindows();
        if (registerMore) registerMore();
        setQuitHook([this] { ++quits; });
        setStartupUi(&startup);
        Main();
        dialogs.verify();
        hm = ui::WindowRegistry::instance<Hm>(QStringLiteral("hm"));
        ASSERT_NE(hm, nullptr);
    }

    // Ends the program's windows and closes the cookbook, as before a new start.
    void shutDown()
    {
        {
            NoClosingScreen quiet;
            ui::WindowRegistry::reset();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        kochbuchdb.reset();
        hm = nullptr;
    }

    void TearDown() override
    {
        shutDown();
        setStartupUi(nullptr);
        setQuitHook({});
    }

    // The main window's controls, found by name.
    QToolButton* button(const char* name) { return control<QToolButton>(hm, name); }
    QLabel* label(const char* name) { return control<QLabel>(hm, name); }
    db::DataControl* rez() { return control<db::DataControl>(hm, "rez"); }
    db::DataControl* korb() { return control<db::DataControl>(hm, "korb"); }
    QTableView* rezgrid() { return control<QTableView>(hm, "rezgrid"); }
    QTableView* ausgrid() { return control<QTableView>(hm, "ausgrid"); }
    QTableView* zutgrid() { return control<QTableView>(hm, "zutgrid"); }
    QTableView* menugrid() { return control<QTableView>(hm, "menugrid"); }
    QComboBox* katgrid() { return control<QComboBox>(hm, "katgrid"); }
    QComboBox* korbgrid() { return control<QComboBox>(hm, "korbgrid"); }
    QComboBox* komgrid() { return control<QComboBox>(hm, "komgrid"); }
    QLabel* rezzahl() { return label("rezzahl"); }
    QLabel* gesucht() { return label("gesucht"); }
    QLineEdit* reznam() { return control<QLineEdit>(hm, "reznam"); }
    QLineEdit* port() { return control<QLineEdit>(hm, "port"); }
    QLineEdit* stich() { return control<QLineEdit>(hm, "stich"); }
    QPlainTextEdit* zub() { return control<QPlainTextEdit>(hm, "zub"); }

    // The user chooses an entry of the filter combo.
    void chooseFilter(const QString& text)
    {
        const int i = katgrid()->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        katgrid()->setCurrentIndex(i);
        emit katgrid()->activated(i);
    }

    // The user loads the cookbook in `folder` through "Kochbuch laden" and its start button;
    // the cookbook is opened for the first time and builds its indexes.
    void loadThroughFinddir(const QString& folder)
    {
        button("loadkoch")->click();
        auto* finddir = ui::WindowRegistry::instance<Finddir>(QStringLiteral("finddir"));
        ASSERT_NE(finddir, nullptr);
        finddir->setIdirPath(folder);
        expectIndexBuild();
        control<QPushButton>(finddir, "start")->click();
        dialogs.verify();
        QCoreApplication::processEvents();
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
