#include "platform/ui/placement.h"
#include "platform/ui/windows.h"
#include "tests/support/guitest.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QScreen>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using kv::test::guiApp;
using kv::ui::WindowRegistry;

int g_made = 0;
int g_unloadSteps = 0;

class Probe : public QWidget {
public:
    explicit Probe(bool refuseClose = false) : m_refuseClose(refuseClose) { ++g_made; }

protected:
    void closeEvent(QCloseEvent* e) override
    {
        ++g_unloadSteps;
        if (m_refuseClose)
            e->ignore();
    }

private:
    bool m_refuseClose;
};

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class Registry : public ::testing::Test {
protected:
    static void SetUpTestSuite() { guiApp(); }
    void SetUp() override
    {
        g_made = 0;
        g_unloadSteps = 0;
        WindowRegistry::registerWindow(QStringLiteral("hm"), [] { return new Probe; });
        WindowRegistry::registerWindow(QStringLiteral("ende"), [] { return new Probe; });
    }
    void TearDown() override { WindowRegistry::reset(); }
};

TEST_F(Registry, OneInstanceMadeOnFirstUseAndAskingNeverMakesOne)
{
    EXPECT_FALSE(WindowRegistry::isLoaded(QStringLiteral("hm")));
    EXPECT_EQ(WindowRegistry::loadedWindow(QStringLiteral("hm")), nullptr);
    WindowRegistry::unload(QStringLiteral("hm"));
    EXPECT_EQ(g_made, 0);

    QWidget* first = WindowRegistry::get(QStringLiteral("hm"));
    EXPECT_EQ(WindowRegistry::get(QStringLiteral("hm")), first);
    EXPECT_EQ(WindowRegistry::instance<QWidget>(QStringLiteral("hm")), first);
    EXPECT_EQ(g_made, 1);
    EXPECT_TRUE(WindowRegistry::isLoaded(QStringLiteral("hm")));
    EXPECT_EQ(first->objectName(), QStringLiteral("hm"));

    WindowRegistry::get(QStringLiteral("ende"));
    EXPECT_EQ(WindowRegistry::loadedNames(),
              QStringList({QStringLiteral("hm"), QStringLiteral("ende")}));
}

// Shown or not, and even when its close event refuses, an unloaded window runs its
// unload step once, is released and deleted; the next use makes a fresh one.
TEST_F(Registry, UnloadRunsTheUnloadStepAndTheNextUseMakesAFreshWindow)
{
    QPointer<QWidget> first = WindowRegistry::get(QStringLiteral("hm"));
    first->show();
    WindowRegistry::unload(QStringLiteral("hm"));
    EXPECT_EQ(g_unloadSteps, 1);
    EXPECT_FALSE(WindowRegistry::isLoaded(QStringLiteral("hm")));
    EXPECT_FALSE(first->isVisible());
    flushDeletes();
    EXPECT_TRUE(first.isNull());
    EXPECT_NE(WindowRegistry::get(QStringLiteral("hm")), nullptr);
    EXPECT_EQ(g_made, 2);
    WindowRegistry::unload(QStringLiteral("hm"));
    EXPECT_EQ(g_unloadSteps, 2);

    WindowRegistry::registerWindow(QStringLiteral("neu_rezept"), [] { return new Probe(true); });
    QPointer<QWidget> refusing = WindowRegistry::get(QStringLiteral("neu_rezept"));
    refusing->show();
    WindowRegistry::unload(QStringLiteral("neu_rezept"));
    EXPECT_EQ(g_unloadSteps, 3);
    EXPECT_FALSE(WindowRegistry::isLoaded(QStringLiteral("neu_rezept")));
    flushDeletes();
    EXPECT_TRUE(refusing.isNull());
}

TEST_F(Registry, AWindowDeletedOnCloseIsReleased)
{
    QWidget* w = WindowRegistry::get(QStringLiteral("hm"));
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->show();
    w->close();
    flushDeletes();
    EXPECT_FALSE(WindowRegistry::isLoaded(QStringLiteral("hm")));
    WindowRegistry::get(QStringLiteral("hm"));
    EXPECT_EQ(g_made, 2);
}

TEST_F(Registry, AWindowMayUnloadItselfFromItsOwnHandler)
{
    auto* w = WindowRegistry::get(QStringLiteral("ende"));
    auto* kreuz = new QPushButton(w);
    QObject::connect(kreuz, &QPushButton::clicked, kreuz, [kreuz] {
        WindowRegistry::unload(QStringLiteral("ende"));
        // Still alive here: the handler goes on touching its window.
        kreuz->setText(QStringLiteral("zu"));
    });
    w->show();
    kreuz->click();
    EXPECT_FALSE(WindowRegistry::isLoaded(QStringLiteral("ende")));
    flushDeletes();
}

TEST_F(Registry, UnknownNamesAndSelfUseDuringCreationAreErrors)
{
    EXPECT_THROW(WindowRegistry::get(QStringLiteral("gibtsnicht")), std::logic_error);
    EXPECT_THROW(WindowRegistry::isLoaded(QStringLiteral("gibtsnicht")), std::logic_error);
    EXPECT_THROW(WindowRegistry::unload(QStringLiteral("gibtsnicht")), std::logic_error);

    WindowRegistry::registerWindow(QStringLiteral("selbst"), [] {
        WindowRegistry::get(QStringLiteral("selbst"));
        return new Probe;
    });
    EXPECT_THROW(WindowRegistry::get(QStringLiteral("selbst")), std::logic_error);
    EXPECT_FALSE(WindowRegistry::isLoaded(QStringLiteral("selbst")));
}

TEST_F(Registry, AFactoryMayLoadOtherWindows)
{
    WindowRegistry::registerWindow(QStringLiteral("finddir"), [] {
        WindowRegistry::registerWindow(QStringLiteral("spaet"), [] { return new Probe; });
        WindowRegistry::get(QStringLiteral("hm"));
        return new Probe;
    });
    WindowRegistry::get(QStringLiteral("finddir"));
    EXPECT_TRUE(WindowRegistry::isLoaded(QStringLiteral("hm")));
    EXPECT_TRUE(WindowRegistry::isLoaded(QStringLiteral("finddir")));
    EXPECT_EQ(WindowRegistry::loadedNames(),
              QStringList({QStringLiteral("hm"), QStringLiteral("finddir")}));
}

// Whatever place a window of the program keeps, stored or left from a larger screen, it
// opens whole on the screen; one on the screen stays where it was.
TEST_F(Registry, EveryWindowOpensOnTheScreenWhereverItWasKept)
{
    // Shown first, as the main window is: the frames the window system gives are known.
    QWidget* main = WindowRegistry::get(QStringLiteral("ende"));
    main->setGeometry(40, 40, 200, 100);
    main->show();
    QWidget* w = WindowRegistry::get(QStringLiteral("hm"));
    const QRect area = main->screen()->availableGeometry();
    const auto reopen = [&](const QRect& kept) {
        w->hide();
        w->setGeometry(kept);
        w->show();
        return w->frameGeometry();
    };
    QRect shown = reopen(QRect(area.right() - 20, area.top() + 40, 300, 200));
    EXPECT_TRUE(area.contains(shown)) << "partly beyond the right edge";
    EXPECT_EQ(shown.right(), area.right());
    EXPECT_EQ(w->geometry().top(), area.top() + 40) << "moved no further than onto the screen";
    EXPECT_EQ(w->size(), QSize(300, 200));

    shown = reopen(QRect(area.left() - 900, area.bottom() + 300, 300, 200));
    EXPECT_TRUE(area.contains(shown)) << "beyond the screen's lower left corner";
    EXPECT_EQ(shown.bottomLeft(), area.bottomLeft());

    shown = reopen(QRect(area.topLeft() + QPoint(50, 50), area.size() + QSize(300, 200)));
    EXPECT_TRUE(area.contains(shown)) << "larger than the screen";
    EXPECT_EQ(shown.size(), area.size());

    reopen(QRect(area.topLeft() + QPoint(60, 70), QSize(300, 200)));
    EXPECT_EQ(w->geometry(), QRect(area.topLeft() + QPoint(60, 70), QSize(300, 200)));
}

// Where a window is kept on the free area of a screen, which need not begin at 0.
TEST(OnArea, MovedOnlyAsFarAsNeededAndNoLargerThanTheArea)
{
    const QRect area(1400, 24, 1024, 744);
    EXPECT_EQ(kv::ui::onArea(QRect(1500, 100, 400, 300), area), QRect(1500, 100, 400, 300));
    EXPECT_EQ(kv::ui::onArea(QRect(2400, 100, 400, 300), area), QRect(2024, 100, 400, 300));
    EXPECT_EQ(kv::ui::onArea(QRect(0, 0, 400, 300), area), QRect(1400, 24, 400, 300));
    EXPECT_EQ(kv::ui::onArea(QRect(1500, 700, 400, 300), area), QRect(1500, 468, 400, 300));
    EXPECT_EQ(kv::ui::onArea(QRect(1300, 0, 1200, 300), area), QRect(1400, 24, 1024, 300));
    EXPECT_EQ(kv::ui::onArea(QRect(2000, 500, 300, 900), area), QRect(2000, 24, 300, 744));
}

TEST_F(Registry, ResetUnloadsAndDeletesAtOnce)
{
    QPointer<QWidget> w = WindowRegistry::get(QStringLiteral("hm"));
    WindowRegistry::reset();
    EXPECT_TRUE(w.isNull());
    EXPECT_EQ(g_unloadSteps, 1);
    EXPECT_THROW(WindowRegistry::get(QStringLiteral("hm")), std::logic_error);
}

}  // namespace
