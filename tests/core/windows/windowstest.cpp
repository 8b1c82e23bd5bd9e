#include "tests/core/windows/windowstest.h"

#include "app/starthooks.h"
#include "app/windowlist.h"
#include "core/cookbookdb.h"
#include "core/ende_window.h"
#include "core/finddir_window.h"
#include "core/settings.h"
#include "mainwindow/about_window.h"
#include "platform/db/database.h"
#include "platform/ui/windows.h"
#include "tests/support/guitest.h"

#include <QCloseEvent>

namespace kv::test {

void RecordingMain::showFinddirModal()
{
    calls << QStringLiteral("finddir");
    kv::showFinddirModal();
}

void RecordingMain::binddaten()
{
    calls << QStringLiteral("binddaten");
    recipeList.clear();
    db::Statement st(cookbook(), QStringLiteral("select rname from rezepte order by rname"));
    while (st.step()) recipeList << st.text(0);
}

void RecordingMain::inithm()
{
    calls << QStringLiteral("inithm");
    cookbookName = cookbook().scalar(QStringLiteral("select bname from kochbuchname")).toString();
}

StandIn::StandIn(const QString& name, QStringList& log, bool closingScreen)
    : m_log(log)
    , m_closingScreen(closingScreen)
{
    setObjectName(name);
}

void StandIn::closeEvent(QCloseEvent* event)
{
    const bool open = kochbuchdb && kochbuchdb->isOpen();
    m_log << objectName() + (open ? QStringLiteral(":offen") : QStringLiteral(":zu"));
    if (m_closingScreen) showClosingScreen();
    event->accept();
}

WindowsTest::WindowsTest()
{
    guiApp();
    ui::WindowRegistry::reset();
    installStartHooks();
    registerAllWindows();
    setQuitHook([this] { ++quits; });
}

WindowsTest::~WindowsTest()
{
    ui::WindowRegistry::reset();
    setQuitHook({});
}

void WindowsTest::standIn(const QString& name, bool closingScreen)
{
    ui::WindowRegistry::registerWindow(name, [this, name, closingScreen] {
        return new StandIn(name, unloads, closingScreen);
    });
}

QString WindowsTest::cookbookCopy(const QString& folderName, const QString& bname, int keep)
{
    const QString folder = env.copyShippedCookbook(folderName);
    auto db = db::Database::open(folder + kochbuchdatei);
    {
        db::Statement name(*db, QStringLiteral("update kochbuchname set bname = ?"));
        name.bind(1, bname);
        name.step();
        db::Statement trim(*db, QStringLiteral(
            "delete from rezepte where rid not in (select rid from rezepte order by rid limit ?)"));
        trim.bind(1, keep);
        trim.step();
    }
    // The first-start index build has its own tests; here it would only ask its questions.
    db->execute(QStringLiteral("insert into changelog (changed) select 102 "
                               "where not exists (select 1 from changelog where changed = 102)"));
    db->close();
    return folder;
}

void WindowsTest::openCookbook(const QString& folder)
{
    savereg(reg::loadeddir, folder);
    startingup = true;
    opendaten();
    startingup = false;
    main.calls.clear();
}

void WindowsTest::settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace kv::test
