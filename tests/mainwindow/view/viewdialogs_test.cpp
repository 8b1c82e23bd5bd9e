#include "app/windowlist.h"
#include "core/mainmod.h"
#include "mainwindow/neu_auswahl_window.h"
#include "mainwindow/neu_menue_window.h"
#include "mainwindow/neu_portion_window.h"
#include "mainwindow/panel.h"
#include "platform/ui/look.h"
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

TEST_F(ViewDialogs, EnterActsOnlyAfterTypingAndServingsOutsideTheRangeAreRefused)
{
    kv::NeuPortion* d = openPortion();
    QLineEdit* port = control<QLineEdit>(d, "port");
    QTest::keyClick(port, Qt::Key_Return);
    EXPECT_TRUE(d->isVisible());
    for (const auto& [typed, message] : {std::pair{"0", "Von nichts kommt nichts."},
                                         {"32768", "Wer soll das alles essen ?"},
                                         {"vier", "Bitte geben Sie die Zahl der Portionen"}}) {
        QTest::keyClicks(port, QString::fromUtf8(typed));
        dialogs.expect(QString::fromUtf8(message), Answer::Ok).withTitle(QStringLiteral(" ")).withStyle(kv::ui::OkOnly);
        QTest::keyClick(port, Qt::Key_Return);
        dialogs.verify();
        EXPECT_TRUE(port->text().isEmpty()) << typed;
        EXPECT_TRUE(d->isVisible()) << typed;
    }
    EXPECT_EQ(m_ubport, 0);
    QTest::keyClicks(port, QStringLiteral("6"));
    QTest::keyClick(port, Qt::Key_Return);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(m_box->text(), QStringLiteral("6"));
    EXPECT_EQ(m_ubport, 1);

    // The close box changes nothing.
    d = openPortion();
    QTest::keyClicks(control<QLineEdit>(d, "port"), QStringLiteral("8"));
    control<QPushButton>(d, "kreuz")->click();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(m_box->text(), QStringLiteral("6"));
    EXPECT_EQ(m_ubport, 1);
}

QColor textColour(kv::NeuAuswahl* d, const char* option)
{
    return control<QLabel>(d, option)->palette().color(QPalette::WindowText);
}

TEST_F(ViewDialogs, ANewListTakesTheQuickListsRecipesOrStartsEmpty)
{
    qint64 saved = 0;
    const auto open = [&saved] {
        auto* d = WindowRegistry::instance<kv::NeuAuswahl>(QStringLiteral("neu_auswahl"));
        d->setHost([] { return QStringLiteral("1"); }, [&saved](qint64 aid) { saved = aid; });
        d->show();
        return d;
    };
    // An empty list on Enter after typing; the quick list keeps its recipes.
    kv::NeuAuswahl* d = open();
    QTest::keyClicks(control<QLineEdit>(d, "aname"), QStringLiteral("Grillabend"));
    QTest::keyClick(control<QLineEdit>(d, "aname"), Qt::Key_Return);
    ASSERT_GT(saved, 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinaus where aid=1")), 2);
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinaus where aid=%1").arg(saved)), 0);

    d = open();
    EXPECT_EQ(textColour(d, "o2"), QColor(Qt::white)) << "the chosen option is white";
    EXPECT_EQ(textColour(d, "o1"), QColor::fromRgb(kv::ui::kOptionOther));
    control<QPushButton>(d, "start")->click();  // no name: nothing happens
    EXPECT_TRUE(WindowRegistry::isLoaded(QStringLiteral("neu_auswahl")));
    EXPECT_EQ(count(QStringLiteral("select count(*) from auswahlen")), 2);

    QTest::keyClicks(control<QLineEdit>(d, "aname"), QStringLiteral("Wochenende"));
    QTest::mouseClick(control<QLabel>(d, "o1"), Qt::LeftButton);
    EXPECT_EQ(textColour(d, "o1"), QColor(Qt::white));
    EXPECT_EQ(textColour(d, "o2"), QColor::fromRgb(kv::ui::kOptionOther));
    control<QPushButton>(d, "start")->click();
    EXPECT_FALSE(WindowRegistry::isLoaded(QStringLiteral("neu_auswahl")));
    EXPECT_EQ(count(QStringLiteral("select count(*) from auswahlen where aname='Wochenende' and aid=%1").arg(saved)), 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinaus where aid=1")), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinaus where aid=%1").arg(saved)), 2);
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

}  // namespace
