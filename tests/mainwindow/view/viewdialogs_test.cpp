#include "app/windowlist.h"
#include "core/mainmod.h"
#include "mainwindow/neu_auswahl.h"
#include "mainwindow/neu_menue.h"
#include "mainwindow/neu_portion.h"
#include "mainwindow/panel.h"
#include "platform/ui/windows.h"
#include "tests/mainwindow/view/viewfixture.h"
#include "tests/support/guitest.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

using kv::test::CookbookTest;
using kv::test::control;
using kv::ui::Answer;
using kv::ui::WindowRegistry;

class ViewDialogs : public CookbookTest {
protected:
    void SetUp() override
    {
        kv::test::guiApp();
        CookbookTest::SetUp();
        kv::kochbuchdb = std::move(db);
        db.reset();
        kv::registerAllWindows();
        m_box = new QLineEdit(QStringLiteral("4"));
    }
    void TearDown() override
    {
        WindowRegistry::reset();
        delete m_box;
        kv::kochbuchdb.reset();
    }
    kv::db::Database& book() { return *kv::kochbuchdb; }
    qint64 count(const QString& sql) { return book().scalar(sql).toLongLong(); }

    kv::NeuPortion* openPortion()
    {
        auto* d = WindowRegistry::instance<kv::NeuPortion>(QStringLiteral("neu_portion"));
        d->setTarget(kv::portionTarget(m_box, [this] { ++m_ubport; }));
        d->show();
        return d;
    }

    QLineEdit* m_box = nullptr;
    int m_ubport = 0;
};

TEST_F(ViewDialogs, ServingsOutOfRangeAreRefusedAndTheBoxEmptied)
{
    kv::NeuPortion* d = openPortion();
    const struct {
        const char* typed;
        const char* message;
    } cases[] = {{"0", "Von nichts kommt nichts."},
                 {"-2", "Von nichts kommt nichts."},
                 {"0,4", "Von nichts kommt nichts."},
                 {"32768", "Wer soll das alles essen ?"},
                 {"vier", "Bitte geben Sie die Zahl der Portionen"}};
    for (const auto& c : cases) {
        control<QLineEdit>(d, "port")->setText(QString::fromUtf8(c.typed));
        dialogs.expect(QString::fromUtf8(c.message), Answer::Ok).withTitle(QStringLiteral(" ")).withStyle(kv::ui::OkOnly);
        control<QPushButton>(d, "start")->click();
        dialogs.verify();
        EXPECT_TRUE(control<QLineEdit>(d, "port")->text().isEmpty()) << c.typed;
        EXPECT_TRUE(d->isVisible()) << c.typed;
    }
    EXPECT_EQ(m_box->text(), QStringLiteral("4"));
    EXPECT_EQ(m_ubport, 0);
}

TEST_F(ViewDialogs, AcceptedServingsGoToTheWindowThatOpenedTheDialog)
{
    // The window gets the whole number its amounts will be scaled for.
    const std::pair<QString, QString> cases[] = {{QStringLiteral("1"), QStringLiteral("1")},
                                                 {QStringLiteral("32767"), QStringLiteral("32767")},
                                                 {QStringLiteral("2,5"), QStringLiteral("2")}};
    for (const auto& [typed, handed] : cases) {
        kv::NeuPortion* d = openPortion();
        EXPECT_TRUE(control<QLineEdit>(d, "port")->text().isEmpty());
        QTest::keyClicks(control<QLineEdit>(d, "port"), typed);
        control<QPushButton>(d, "start")->click();
        EXPECT_FALSE(d->isVisible());
        EXPECT_EQ(m_box->text(), handed);
    }
    EXPECT_EQ(m_ubport, 3);
    // Hidden, not unloaded: the one instance is used again.
    EXPECT_TRUE(WindowRegistry::isLoaded(QStringLiteral("neu_portion")));
}

TEST_F(ViewDialogs, EnterActsOnlyAfterTyping)
{
    kv::NeuPortion* d = openPortion();
    QTest::keyClick(control<QLineEdit>(d, "port"), Qt::Key_Return);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(m_ubport, 0);
    QTest::keyClicks(control<QLineEdit>(d, "port"), QStringLiteral("6"));
    QTest::keyClick(control<QLineEdit>(d, "port"), Qt::Key_Return);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(m_box->text(), QStringLiteral("6"));
    EXPECT_EQ(m_ubport, 1);
}

TEST_F(ViewDialogs, ClosingTheServingsDialogChangesNothing)
{
    kv::NeuPortion* d = openPortion();
    QTest::keyClicks(control<QLineEdit>(d, "port"), QStringLiteral("8"));
    control<QPushButton>(d, "kreuz")->click();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(m_box->text(), QStringLiteral("4"));
    EXPECT_EQ(m_ubport, 0);
}

QColor textColour(const QLabel* label)
{
    return label->palette().color(QPalette::WindowText);
}

TEST_F(ViewDialogs, NewListOptionsShowTheChosenOneWhite)
{
    auto* d = WindowRegistry::instance<kv::NeuAuswahl>(QStringLiteral("neu_auswahl"));
    d->show();
    EXPECT_EQ(d->savemodeValue(), 2);
    EXPECT_EQ(textColour(control<QLabel>(d, "o2")), QColor(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(textColour(control<QLabel>(d, "o1")), QColor(0x80, 0x80, 0x80));
    QTest::mouseClick(control<QLabel>(d, "o1"), Qt::LeftButton);
    EXPECT_EQ(d->savemodeValue(), 1);
    EXPECT_EQ(textColour(control<QLabel>(d, "o1")), QColor(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(textColour(control<QLabel>(d, "o2")), QColor(0x80, 0x80, 0x80));
    QTest::mouseClick(control<QLabel>(d, "o2"), Qt::LeftButton);
    EXPECT_EQ(d->savemodeValue(), 2);
    EXPECT_EQ(textColour(control<QLabel>(d, "o2")), QColor(0xFF, 0xFF, 0xFF));
}

TEST_F(ViewDialogs, NewListTakingTheRecipesEmptiesTheQuickList)
{
    auto* d = WindowRegistry::instance<kv::NeuAuswahl>(QStringLiteral("neu_auswahl"));
    qint64 saved = 0;
    d->setHost([] { return QStringLiteral("1"); }, [&saved](qint64 aid) { saved = aid; });
    d->show();
    control<QPushButton>(d, "start")->click();  // no name: nothing happens
    EXPECT_TRUE(WindowRegistry::isLoaded(QStringLiteral("neu_auswahl")));
    EXPECT_EQ(count(QStringLiteral("select count(*) from auswahlen")), 1);

    QTest::keyClicks(control<QLineEdit>(d, "aname"), QStringLiteral("Wochenende"));
    QTest::mouseClick(control<QLabel>(d, "o1"), Qt::LeftButton);
    control<QPushButton>(d, "start")->click();
    EXPECT_FALSE(WindowRegistry::isLoaded(QStringLiteral("neu_auswahl")));
    ASSERT_GT(saved, 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from auswahlen where aname='Wochenende' and aid=%1").arg(saved)), 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinaus where aid=1")), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinaus where aid=%1").arg(saved)), 2);
}

TEST_F(ViewDialogs, NewEmptyListOnEnterAfterTyping)
{
    auto* d = WindowRegistry::instance<kv::NeuAuswahl>(QStringLiteral("neu_auswahl"));
    qint64 saved = 0;
    d->setHost([] { return QStringLiteral("1"); }, [&saved](qint64 aid) { saved = aid; });
    d->show();
    QTest::keyClicks(control<QLineEdit>(d, "aname"), QStringLiteral("Grillabend"));
    QTest::keyClick(control<QLineEdit>(d, "aname"), Qt::Key_Return);
    ASSERT_GT(saved, 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinaus where aid=1")), 2);
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinaus where aid=%1").arg(saved)), 0);
}

TEST_F(ViewDialogs, ClosingTheNamingDialogsSavesNothing)
{
    auto* a = WindowRegistry::instance<kv::NeuAuswahl>(QStringLiteral("neu_auswahl"));
    a->show();
    QTest::keyClicks(control<QLineEdit>(a, "aname"), QStringLiteral("Verworfen"));
    control<QPushButton>(a, "kreuz")->click();
    auto* m = WindowRegistry::instance<kv::NeuMenue>(QStringLiteral("neu_menue"));
    m->show();
    QTest::keyClicks(control<QLineEdit>(m, "aname"), QStringLiteral("Verworfen"));
    control<QPushButton>(m, "kreuz")->click();
    EXPECT_FALSE(WindowRegistry::isLoaded(QStringLiteral("neu_auswahl")));
    EXPECT_FALSE(WindowRegistry::isLoaded(QStringLiteral("neu_menue")));
    EXPECT_EQ(count(QStringLiteral("select count(*) from auswahlen")), 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from menues")), 1);
}

TEST_F(ViewDialogs, NewMenuIsStoredAndTheMainWindowTold)
{
    auto* d = WindowRegistry::instance<kv::NeuMenue>(QStringLiteral("neu_menue"));
    qint64 saved = 0;
    d->setHost([&saved](qint64 mid) { saved = mid; });
    d->show();
    EXPECT_EQ(control<QLineEdit>(d, "aname")->toolTip(), QStringLiteral("Name des Menüs"));
    QTest::keyClicks(control<QLineEdit>(d, "aname"), QStringLiteral("Brunch"));
    control<QPushButton>(d, "start")->click();
    ASSERT_GT(saved, 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from menues where mname='Brunch' and mid=%1").arg(saved)), 1);
    EXPECT_FALSE(WindowRegistry::isLoaded(QStringLiteral("neu_menue")));
}

}  // namespace
