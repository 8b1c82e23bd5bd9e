#include "core/ende_window.h"
#include "core/mainmod.h"
#include "platform/db/database.h"
#include "platform/ui/windows.h"
#include "tests/core/windows/windowstest.h"
#include "tests/support/guitest.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

using kv::kochbuchdb;
using kv::test::control;
using kv::ui::WindowRegistry;

namespace {

class EndeTest : public kv::test::WindowsTest {
protected:
    kv::Ende* ende() { return WindowRegistry::instance<kv::Ende>(QStringLiteral("ende")); }
    QString zahl() { return control<QLabel>(ende(), "zahl")->text(); }
    bool loaded(const QString& name) { return WindowRegistry::isLoaded(name); }
};

TEST_F(EndeTest, CountsDownOnceASecondAndEndsAtZero)
{
    const QTimer* closeme = control<QTimer>(ende(), "closeme");
    ASSERT_TRUE(closeme);
    EXPECT_EQ(closeme->interval(), 1000);
    EXPECT_TRUE(closeme->isActive());
    EXPECT_EQ(zahl(), QStringLiteral("5"));

    QStringList shown;
    for (int tick = 0; tick < 4; ++tick) {
        ende()->closeme_Timer();
        shown << zahl();
    }
    EXPECT_EQ(shown, (QStringList{QStringLiteral("4"), QStringLiteral("3"), QStringLiteral("2"),
                                  QStringLiteral("1")}));
    EXPECT_EQ(quits, 0);

    ende()->closeme_Timer();
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(loaded(QStringLiteral("ende")));
}

// With no cookbook open, endit still quits.
TEST_F(EndeTest, ContinueAndCrossBothEndTheProgramAtOnce)
{
    control<QPushButton>(ende(), "weiter")->click();
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(loaded(QStringLiteral("ende")));
    settle();

    // Closing only the screen would leave a process without a window.
    control<QPushButton>(ende(), "kreuz")->click();
    EXPECT_EQ(quits, 2);
    EXPECT_FALSE(loaded(QStringLiteral("ende")));
}

TEST_F(EndeTest, EnditReleasesTheWindowsAroundClosingTheCookbook)
{
    const QString folder = cookbookCopy(QStringLiteral("buch"), QStringLiteral("Buch"), 3);
    openCookbook(folder);
    const QString file = kochbuchdb->name();
    const auto held = kochbuchdb->openRecordset(QStringLiteral("select * from rezepte"));
    for (const QString& name : {QStringLiteral("hm"), QStringLiteral("neu_rezept"),
                                QStringLiteral("zutatensuche"), QStringLiteral("weiteres"),
                                QStringLiteral("einheiten"), QStringLiteral("suchen")})
        standIn(name, name == QStringLiteral("hm"));
    // The main window is still there (as when endit runs before its unload) and the
    // editor is loaded hidden; the name search was never opened.
    for (const QString& name : {QStringLiteral("hm"), QStringLiteral("weiteres"),
                                QStringLiteral("neu_rezept"), QStringLiteral("einheiten"),
                                QStringLiteral("zutatensuche")})
        WindowRegistry::get(name);
    WindowRegistry::get(QStringLiteral("hm"))->show();
    WindowRegistry::get(QStringLiteral("weiteres"))->show();
    WindowRegistry::get(QStringLiteral("about"));

    ende()->endit();

    EXPECT_EQ(unloads, (QStringList{QStringLiteral("hm:offen"), QStringLiteral("neu_rezept:offen"),
                                    QStringLiteral("zutatensuche:offen"), QStringLiteral("weiteres:offen"),
                                    QStringLiteral("einheiten:zu")}));
    EXPECT_TRUE(WindowRegistry::loadedNames().isEmpty());
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(kochbuchdb);
    EXPECT_FALSE(held->isOpen());
    EXPECT_EQ(kv::db::Database::byName(file), nullptr);
    EXPECT_TRUE(QFile::remove(file));
    EXPECT_TRUE(QDir(folder).entryList(QDir::Files).isEmpty());
}

TEST_F(EndeTest, UnloadForARestartShowsNoClosingScreen)
{
    standIn(QStringLiteral("hm"), true);

    WindowRegistry::get(QStringLiteral("hm"));
    {
        kv::NoClosingScreen restart;
        WindowRegistry::unload(QStringLiteral("hm"));
    }
    EXPECT_FALSE(loaded(QStringLiteral("ende")));

    WindowRegistry::get(QStringLiteral("hm"));
    WindowRegistry::unload(QStringLiteral("hm"));
    ASSERT_TRUE(loaded(QStringLiteral("ende")));
    EXPECT_TRUE(ende()->isVisible());

    kv::cancelClosingScreen();
    EXPECT_FALSE(loaded(QStringLiteral("ende")));
    EXPECT_EQ(quits, 0);
}

}  // namespace
