#include "platform/ui/translations.h"
#include "platform/ui/widgethost.h"
#include "platform/ui/windows.h"
#include "tests/support/guitest.h"

#include <QFontDatabase>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using kv::test::guiApp;
using kv::test::whenModal;
using kv::ui::Answer;

struct SeenBox {
    QStringList buttons;
    QString defaultButton;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Opens the box through the host, records what it shows and clicks the button `click`.
Answer showAndClick(const QString& text, int style, const QString& title, const QString& click,
                    SeenBox& seen)
{
    whenModal([&seen, click](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        // In the order the box lays them out.
        QList<QAbstractButton*> buttons = box->buttons();
        std::sort(buttons.begin(), buttons.end(),
                  [](QAbstractButton* a, QAbstractButton* b) { return a->x() < b->x(); });
        for (QAbstractButton* b : buttons)
            seen.buttons << b->text();
        if (box->defaultButton())
            seen.defaultButton = box->defaultButton()->text();
        for (QAbstractButton* b : buttons)
            if (b->text() == click)
                b->click();
        if (box->isVisible())
            box->reject();
    });
    kv::ui::WidgetDialogHost host;
    return host.msgbox(text, style, title);
}

class WidgetHost : public ::testing::Test {
protected:
    static void SetUpTestSuite() { guiApp(); }
};

// Each button set with the system's German texts, its first button the default, the icon
// its style asks for, and a blank title turned into the program's name.
TEST_F(WidgetHost, EveryButtonSetSpeaksGermanAndAnswersTheClickedButton)
{
    struct Case {
        int style;
        QStringList texts;
        QString click;
        Answer answer;
        QMessageBox::Icon icon;
    };
    const std::vector<Case> cases = {
        {kv::ui::YesNo | kv::ui::Question, {"Ja", "Nein"}, "Nein", Answer::No, QMessageBox::Question},
        {kv::ui::OkOnly, {"OK"}, "OK", Answer::Ok, QMessageBox::NoIcon},
        {kv::ui::OkCancel | kv::ui::Information, {"OK", "Abbrechen"}, "Abbrechen", Answer::Cancel,
         QMessageBox::Information},
        {kv::ui::AbortRetryIgnore | kv::ui::Exclamation, {"Beenden", "Wiederholen", "Ignorieren"}, "Ignorieren",
         Answer::Ignore, QMessageBox::Warning},
        {kv::ui::YesNoCancel, {"Ja", "Nein", "Abbrechen"}, "Ja", Answer::Yes, QMessageBox::NoIcon},
        {kv::ui::RetryCancel, {"Wiederholen", "Abbrechen"}, "Wiederholen", Answer::Retry, QMessageBox::NoIcon},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        SeenBox seen;
        EXPECT_EQ(showAndClick("Frage", c.style, " ", c.click, seen), c.answer);
        QStringList sortedSeen = seen.buttons;
        QStringList sortedWanted = c.texts;
        sortedSeen.sort();
        sortedWanted.sort();
        EXPECT_EQ(sortedSeen, sortedWanted);
        EXPECT_EQ(seen.defaultButton, c.texts.front());
        EXPECT_EQ(seen.icon, c.icon);
        EXPECT_EQ(seen.title, "Kelvor");
    }
}

TEST_F(WidgetHost, ErrorBoxKeepsItsLetterSpacedTitleAndShowsTheTextPlain)
{
    SeenBox seen;
    showAndClick(QStringLiteral("MAIN - 5 : <b>kaputt</b>\n\rzweite Zeile"), kv::ui::Critical,
                 QStringLiteral(" F E H L E R"), QStringLiteral("OK"), seen);
    EXPECT_EQ(seen.title, QStringLiteral(" F E H L E R"));
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.text, QStringLiteral("MAIN - 5 : <b>kaputt</b>\nzweite Zeile"));
}

TEST_F(WidgetHost, ClosingAQuestionWithoutAButtonAnswersNo)
{
    whenModal([](QWidget* w) { w->close(); });
    kv::ui::WidgetDialogHost host;
    EXPECT_EQ(host.msgbox(QStringLiteral("Beenden ?"), kv::ui::YesNo, QStringLiteral(" ")),
              Answer::No);
}

TEST_F(WidgetHost, InputBoxReturnsTheTypedTextOrNothingOnCancel)
{
    kv::ui::WidgetDialogHost host;
    QString okText;
    whenModal([&okText](QWidget* w) {
        auto* dlg = qobject_cast<QInputDialog*>(w);
        ASSERT_NE(dlg, nullptr);
        okText = dlg->okButtonText();
        EXPECT_EQ(dlg->cancelButtonText(), QStringLiteral("Abbrechen"));
        EXPECT_EQ(dlg->textValue(), QStringLiteral("alt"));
        EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Kelvor"));
        dlg->setTextValue(QStringLiteral("Heftdruck"));
        dlg->accept();
    });
    EXPECT_EQ(host.inputbox(QStringLiteral("Name :"), QStringLiteral(" "), QStringLiteral("alt")),
              QStringLiteral("Heftdruck"));
    EXPECT_EQ(okText, QStringLiteral("OK"));

    whenModal([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
    EXPECT_EQ(host.inputbox(QStringLiteral("Name :"), QStringLiteral(" "), {}), std::nullopt);
}

TEST_F(WidgetHost, FontDialogOpensOnTheFontGivenAndOkReturnsTheChoice)
{
    kv::ui::WidgetDialogHost host;
    // A face that is not installed opens on the one that stands in for it; the dialog's
    // whole points show 10.5 as 11, and a size left so keeps its fraction.
    kv::ui::FontChoice font{QStringLiteral("Kein Solcher Font"), 10.5, true, false};
    QFont opened;
    whenModal([&opened](QWidget* w) {
        auto* dlg = qobject_cast<QFontDialog*>(w);
        ASSERT_NE(dlg, nullptr);
        opened = dlg->currentFont();
        dlg->accept();
    });
    ASSERT_TRUE(host.fontDialog(font));
    EXPECT_TRUE(QFontDatabase::hasFamily(opened.family())) << opened.family().toStdString();
    EXPECT_EQ(opened.pointSize(), 11);
    EXPECT_TRUE(opened.bold());
    EXPECT_EQ(font.name, opened.family());
    EXPECT_EQ(font.size, 10.5);
    EXPECT_TRUE(font.bold);

    whenModal([](QWidget* w) {
        auto* dlg = qobject_cast<QFontDialog*>(w);
        dlg->setCurrentFont(QFont(QStringLiteral("Liberation Sans"), 14));
        dlg->accept();
    });
    ASSERT_TRUE(host.fontDialog(font));
    EXPECT_EQ(font.name, QStringLiteral("Liberation Sans"));
    EXPECT_EQ(font.size, 14);
    EXPECT_FALSE(font.bold);

    whenModal([](QWidget* w) {
        auto* dlg = qobject_cast<QFontDialog*>(w);
        QFont other = dlg->currentFont();
        other.setPointSize(30);
        dlg->setCurrentFont(other);
        dlg->reject();
    });
    EXPECT_FALSE(host.fontDialog(font));
    EXPECT_EQ(font.size, 14);
}

// Where a box stands once it is up: the centre of its frame.
QPoint centreOfBox(const QString& text)
{
    QPoint centre;
    whenModal([&centre](QWidget* w) {
        centre = w->frameGeometry().center();
        w->close();
    });
    kv::ui::WidgetDialogHost host;
    host.msgbox(text, kv::ui::OkOnly | kv::ui::Critical, QStringLiteral(" "));
    return centre;
}

TEST_F(WidgetHost, AMessageBoxStandsCentredOverTheWindowThatOpenedItOrElseOverTheScreen)
{
    kv::ui::centreNewWindows();
    const QString text = QStringLiteral("Die Datei, aus der Kelvor Rezepte anzeigen möchte, ist zerstört oder es "
                                        "handelt sich nicht um ein Kochbuch. Bitte wählen Sie ein Verzeichnis mit "
                                        "einem anderen Kochbuch aus.");
    // At the start no window is shown yet.
    ASSERT_EQ(QApplication::activeWindow(), nullptr);
    const QPoint screen = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((centreOfBox(text) - screen).manhattanLength(), 2) << "over the screen";

    QWidget owner;
    owner.setGeometry(30, 40, 560, 420);
    owner.show();
    owner.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));
    const QPoint over = owner.frameGeometry().center();
    EXPECT_LE((centreOfBox(text) - over).manhattanLength(), 2) << "over the window";
    EXPECT_LE((centreOfBox(QStringLiteral("Fertig.")) - over).manhattanLength(), 2) << "a short one too";
}

TEST_F(WidgetHost, InstalledHostAnswersTheLayer)
{
    kv::ui::installWidgetDialogHost();
    whenModal([](QWidget* w) {
        for (QAbstractButton* b : qobject_cast<QMessageBox*>(w)->buttons())
            if (b->text() == QStringLiteral("Ja"))
                b->click();
    });
    EXPECT_EQ(kv::ui::msgbox(QStringLiteral("Weiter ?"), kv::ui::YesNo), Answer::Yes);
    kv::ui::setDialogHost(nullptr);
}

TEST_F(WidgetHost, QtsOwnTextsTurnGerman)
{
    ASSERT_TRUE(kv::ui::installGermanTranslations(guiApp()));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Abbrechen"));
}

}  // namespace
