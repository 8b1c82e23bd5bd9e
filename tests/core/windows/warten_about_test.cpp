#include "core/warten_window.h"
#include "mainwindow/about_window.h"
#include "platform/ui/windows.h"
#include "tests/core/windows/windowstest.h"
#include "tests/support/guitest.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

using kv::test::control;
using kv::ui::WindowRegistry;

namespace {

class SmallWindows : public kv::test::WindowsTest {};

// The dots grow by one every tick and fold into one more bar every forty.
TEST_F(SmallWindows, WaitWindowTicksEveryTwoSecondsIntoItsLabel)
{
    auto* warten = WindowRegistry::instance<kv::Warten>(QStringLiteral("warten"));
    ASSERT_TRUE(warten);
    EXPECT_EQ(warten->windowTitle(), QStringLiteral(" K e l v o r"));
    EXPECT_EQ(control<QLabel>(warten, "top")->text(), QStringLiteral("B i t t e   w a r t e n   . . ."));
    const QTimer* timer = control<QTimer>(warten, "Timer1");
    EXPECT_EQ(timer->interval(), 2000);
    EXPECT_TRUE(timer->isActive());

    const QLabel* wtime = control<QLabel>(warten, "wtime");
    EXPECT_EQ(wtime->text(), QStringLiteral(" ."));
    warten->Timer1_Timer();
    EXPECT_EQ(wtime->text(), QStringLiteral(" . ."));
    for (int tick = 1; tick < 40; ++tick) warten->Timer1_Timer();
    EXPECT_EQ(wtime->text(), QStringLiteral("|"));
    for (int tick = 0; tick < 40; ++tick) warten->Timer1_Timer();
    EXPECT_EQ(wtime->text(), QStringLiteral("||"));
}

TEST_F(SmallWindows, AboutBoxShowsVersionAndLogoAndIsBuiltAnewAfterClosing)
{
    QPointer<QWidget> first = WindowRegistry::get(QStringLiteral("about"));
    EXPECT_EQ(control<QLabel>(first, "version")->text(), QStringLiteral("2.3.7"));
    const QLabel* logo = control<QLabel>(first, "logo");
    EXPECT_FALSE(logo->pixmap().isNull());

    control<QPushButton>(first, "kreuz")->click();
    EXPECT_FALSE(WindowRegistry::isLoaded(QStringLiteral("about")));
    settle();
    EXPECT_TRUE(first.isNull());

    QWidget* second = WindowRegistry::get(QStringLiteral("about"));
    EXPECT_EQ(control<QLabel>(second, "version")->text(), QStringLiteral("2.3.7"));
}

}  // namespace
