#include "platform/print/printerchoice.h"
#include "platform/ui/widgethost.h"

#include "tests/support/guitest.h"
#include "tests/support/testenv.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPushButton>
#include <QTabWidget>

#include <gtest/gtest.h>

using namespace kv;
using kv::test::control;
using kv::test::whenModal;

namespace {

class PrinterDialog : public ::testing::Test {
protected:
    static void SetUpTestSuite() { kv::test::guiApp(); }

    struct Seen {
        QString title;
        bool jobTabShown = true;
        QString okText;
    };

    // Opens the printer dialog through the widget host on a PDF choice, types `file` into
    // its file field and leaves it with OK or Cancel.
    bool runDialog(PrinterChoice& choice, const QString& file, bool ok, Seen& seen)
    {
        whenModal([&seen, file, ok](QWidget* w) {
            auto* dialog = qobject_cast<QPrintDialog*>(w);
            ASSERT_NE(dialog, nullptr);
            seen.title = dialog->windowTitle();
            auto* tabs = control<QTabWidget>(dialog, "tabs");
            seen.jobTabShown = tabs->isTabVisible(tabs->indexOf(control(dialog, "copiesTab")));
            auto* buttons = dialog->findChild<QDialogButtonBox*>();
            ASSERT_NE(buttons, nullptr);
            seen.okText = buttons->button(QDialogButtonBox::Ok)->text();
            control<QLineEdit>(dialog, "filename")->setText(file);
            if (ok)
                buttons->button(QDialogButtonBox::Ok)->click();
            else
                dialog->reject();
        });
        kv::ui::WidgetDialogHost host;
        return host.printerSetup(choice);
    }

    kv::test::TestEnvironment env;
};

}  // namespace

TEST_F(PrinterDialog, SetupFormTakesThePdfFileOnOkAndNothingOnCancel)
{
    PrinterChoice choice;
    choice.orientation = QPageLayout::Landscape;
    const PrinterChoice before = choice;
    Seen seen;
    EXPECT_FALSE(runDialog(choice, env.tempPath(QStringLiteral("verworfen.pdf")), false, seen));
    EXPECT_EQ(choice, before);
    EXPECT_EQ(seen.title, QStringLiteral("Druckeinrichtung"));
    EXPECT_FALSE(seen.jobTabShown);
    EXPECT_EQ(seen.okText, QStringLiteral("OK"));

    const QString file = env.tempPath(QStringLiteral("rezepte.pdf"));
    EXPECT_TRUE(runDialog(choice, file, true, seen));
    EXPECT_TRUE(choice.isPdf());
    EXPECT_EQ(choice.outputFile, file);
    EXPECT_EQ(choice.orientation, QPageLayout::Landscape);
    EXPECT_EQ(choice.paper, QPageSize(QPageSize::A4));
    EXPECT_EQ(choice.resolution, 1200);
}
