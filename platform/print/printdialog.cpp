#include "platform/print/printdialog.h"

#include "platform/print/printdlgapi.h"

#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>

namespace kv {

namespace {

// Qt's dialog offers no option to leave out the copies; its tab of page range, page set
// and copies is found by the names Qt gives it. Should they change, the tab shows and
// what is entered there is ignored: the choice carries no copies.
void hideJobTab(QPrintDialog& dialog)
{
    auto* tabs = dialog.findChild<QTabWidget*>(QStringLiteral("tabs"));
    auto* copies = dialog.findChild<QWidget*>(QStringLiteral("copiesTab"));
    if (tabs && copies && tabs->indexOf(copies) >= 0)
        tabs->setTabVisible(tabs->indexOf(copies), false);
}

}  // namespace

bool execPrinterDialog(PrinterChoice& choice, QWidget* owner)
{
    const std::unique_ptr<QPrinter> printer = makePrinter(choice);
    QPrintDialog dialog(printer.get(), owner);
    dialog.setObjectName(QStringLiteral("printersetup"));
    dialog.setWindowTitle(QStringLiteral("Druckeinrichtung"));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    hideJobTab(dialog);
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>())
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("OK"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    choice = choiceOf(*printer);
    return true;
}

}  // namespace kv
