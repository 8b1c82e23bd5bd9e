#pragma once
// A private world for the tests of the small windows: settings, program folder, scripted
// boxes, a recorder in place of the main window and a quit that does not end the test.

#include "core/mainmod.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testenv.h"

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

namespace kv::test {

// The main window's share of the start-up, recorded; the list and the name it would
// show are read from the open cookbook at the moment they are bound and initialised.
class RecordingMain : public StartupUi {
public:
    RecordingMain() : m_previous(startupUi()) { setStartupUi(this); }
    ~RecordingMain() override { setStartupUi(m_previous); }

    void showWait() override {}
    void unloadWait() override {}
    void doEvents() override {}
    void setBusy(bool) override {}
    void showFinddirModal() override;
    void setRecipeCount(const QString& text) override
    {
        calls << QStringLiteral("rezzahl=") + text;
        rezzahl = text;
    }
    void binddaten() override;
    void inithm() override;
    void loadEditorHidden() override {}
    void showMain() override {}
    void beep() override {}

    QStringList calls;
    QString rezzahl;
    QStringList recipeList;
    QString cookbookName;

private:
    StartupUi* m_previous = nullptr;
};

// A window standing in for one of another subsystem. Its unload step records the name
// and whether the cookbook was still open; with `closingScreen` it acts like the main
// window's unload and shows the closing screen.
class StandIn : public QWidget {
public:
    StandIn(const QString& name, QStringList& log, bool closingScreen = false);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QStringList& m_log;
    bool m_closingScreen;
};

class WindowsTest : public ::testing::Test {
protected:
    WindowsTest();
    ~WindowsTest() override;

    // Registers a stand-in under `name` (it is not loaded).
    void standIn(const QString& name, bool closingScreen = false);
    // A copy of the delivered cookbook with its own display name and only `keep` recipes.
    QString cookbookCopy(const QString& folderName, const QString& bname, int keep);
    // Opens the cookbook of `folder` the way the start does.
    void openCookbook(const QString& folder);
    // Lets the deferred deletions and queued calls run.
    static void settle();

    TestEnvironment env;
    ScriptedDialogs dialogs;
    RecordingMain main;
    QStringList unloads;
    int quits = 0;
};

}  // namespace kv::test
