// The print buttons of the main window: each fills the print hand-over and shows the print
// window, which lays the new rows out.

#include "mainwindow/hm_window.h"

#include "core/mainmod.h"
#include "mainwindow/printhandover.h"
#include "platform/ui/windows.h"
#include "printing/handoverdb.h"

#include <QDate>
#include <QPlainTextEdit>

namespace kv {

namespace {

// Modeless and without owner; a print window already open is shown again, which lays out
// the new rows.
void showPrintWindow()
{
    QWidget* window = ui::WindowRegistry::get(QStringLiteral("print_rezept"));
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace

// The list or menu to print: in menu mode the menu the panel stands on.
std::optional<qint64> Hm::printedList()
{
    if (!menumode)
        return selectedList();
    db::Recordset* rs = auswahl->recordset();
    if (!rs || !rs->isOpen() || rs->eof() || rs->bof())
        return std::nullopt;
    return rs->value(QStringLiteral("rid")).toLongLong();
}

// The hand-over tables are the program's own, never the cookbook's: a cookbook that may
// only be read is printed like any other.
void Hm::druckaus_Click()
{
    // What is still being typed belongs to the print.
    saveTypedEdits();
    if (handOverList(printHandover().db(), cookbook(), menumode, printedList(),
                     menumode ? zub->toPlainText() : QString()))
        showPrintWindow();
}

void Hm::druckrez_Click()
{
    if (menumode) {
        druckaus_Click();
        return;
    }
    qint16 servings = 0;
    if (m_rid <= 0 || !portServings(servings))
        return;
    saveTypedEdits();
    const qint64 rid = m_rid;
    bool shown = false;
    if (recipeBound(rid, [&] { shown = handOverRecipe(printHandover().db(), cookbook(), rid, servings,
                                                       QDate::currentDate()); }) &&
        shown)
        showPrintWindow();
}

void Hm::einkauf_Click()
{
    if (handOverShoppingList(printHandover().db(), cookbook(), menumode, printedList()))
        showPrintWindow();
}

void Hm::einkaufmen_Click()
{
    einkauf_Click();
}

}  // namespace kv
