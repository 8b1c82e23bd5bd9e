#include "platform/print/printdialog.h"

#include "platform/print/printdlgapi.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLineEdit>
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

// Qt's dialog asks on its own, past the dialog layer, whether a file that is there may be
// overwritten; the print job asks that again as it prints, for every file it writes. Its OK
// takes such a file without the question; a folder or a file that cannot be written Qt still
// refuses with its own message. Should Qt's names change, its question stays.
void leaveOverwriteToTheJob(QPrintDialog& dialog)
{
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    auto* file = dialog.findChild<QLineEdit*>(QStringLiteral("filename"));
    if (!buttons || !file)
        return;
    if (!QObject::disconnect(buttons, SIGNAL(accepted()), &dialog, SLOT(_q_checkFields())))
        return;
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&dialog, file] {
        const QFileInfo there(file->text());
        if (file->isEnabled() && there.isFile() && there.isWritable())
            dialog.accept();
        else
            QMetaObject::invokeMethod(&dialog, "_q_checkFields");
    });
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
    leaveOverwriteToTheJob(dialog);
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>())
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("OK"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    choice = choiceOf(*printer);
    return true;
}

}  // namespace kv
