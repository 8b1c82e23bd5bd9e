#include "platform/ui/translations.h"
#include "platform/ui/widgethost.h"
#include "tests/support/guitest.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

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
        const auto* buttonBox = box->findChild<QDialogButtonBox*>();
        ASSERT_NE(buttonBox, nullptr);
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

TEST_F(WidgetHost, QuestionBoxSpeaksGermanAndAnswersTheClickedButton)
{
    SeenBox seen;
    EXPECT_EQ(showAndClick(QStringLiteral("Rezept löschen ?"), kv::ui::YesNo | kv::ui::Question,
                           QStringLiteral(" "), QStringLiteral("Nein"), seen),
              Answer::No);
    EXPECT_EQ(seen.buttons.size(), 2);
    EXPECT_TRUE(seen.buttons.contains(QStringLiteral("Ja")));
    EXPECT_TRUE(seen.buttons.contains(QStringLiteral("Nein")));
    EXPECT_EQ(seen.defaultButton, QStringLiteral("Ja"));
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_EQ(seen.title, QStringLiteral("Kelvor"));
}

TEST_F(WidgetHost, EveryButtonSetHasTheSystemsTexts)
{
    struct Case {
        int style;
        QStringList texts;
        QString click;
        Answer answer;
    };
    const std::vector<Case> cases = {
        {kv::ui::OkOnly, {QStringLiteral("OK")}, QStringLiteral("OK"), Answer::Ok},
        {kv::ui::OkCancel,
         {QStringLiteral("OK"), QStringLiteral("Abbrechen")},
         QStringLiteral("Abbrechen"),
         Answer::Cancel},
        {kv::ui::AbortRetryIgnore,
         {QStringLiteral("Beenden"), QStringLiteral("Wiederholen"), QStringLiteral("Ignorieren")},
         QStringLiteral("Ignorieren"),
         Answer::Ignore},
        {kv::ui::YesNoCancel,
         {QStringLiteral("Ja"), QStringLiteral("Nein"), QStringLiteral("Abbrechen")},
         QStringLiteral("Ja"),
         Answer::Yes},
        {kv::ui::RetryCancel,
         {QStringLiteral("Wiederholen"), QStringLiteral("Abbrechen")},
         QStringLiteral("Wiederholen"),
         Answer::Retry},
    };
    for (const Case& c : cases) {
        SeenBox seen;
        EXPECT_EQ(showAndClick(QStringLiteral("Frage"), c.style, QStringLiteral("T i t e l"),
                               c.click, seen),
                  c.answer)
            << c.style;
        QStringList sortedSeen = seen.buttons;
        QStringList sortedWanted = c.texts;
        sortedSeen.sort();
        sortedWanted.sort();
        EXPECT_EQ(sortedSeen, sortedWanted) << c.style;
        EXPECT_EQ(seen.defaultButton, c.texts.front()) << c.style;
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

TEST_F(WidgetHost, IconsFollowTheStyle)
{
    const std::vector<std::pair<int, QMessageBox::Icon>> icons = {
        {kv::ui::Exclamation, QMessageBox::Warning},
        {kv::ui::Information, QMessageBox::Information},
        {kv::ui::OkOnly, QMessageBox::NoIcon},
    };
    for (const auto& [style, icon] : icons) {
        SeenBox seen;
        showAndClick(QStringLiteral("x"), style, QStringLiteral(" O B A C H T"),
                     QStringLiteral("OK"), seen);
        EXPECT_EQ(seen.icon, icon) << style;
    }
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
