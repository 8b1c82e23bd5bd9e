// The lower-left panel of the main window: selection lists and menus, adding recipes to
// them, deleting entries, lists and menus, and the two naming dialogs.

#include "mainwindow/hm_window.h"

#include "core/mainmod.h"
#include "mainwindow/neu_auswahl_window.h"
#include "mainwindow/neu_menue_window.h"
#include "mainwindow/panel.h"
#include "mainwindow/recipegone.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/events.h"
#include "platform/ui/windows.h"

#include <QApplication>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTableView>
#include <QToolButton>

namespace kv {

namespace {

const QString kKeinMenu = QStringLiteral(
    "Es ist kein Menü ausgewählt, zu dem das Gericht hinzugefügt werden kann. Wenn die Liste der Menüs "
    "(unten links) leer ist, können Sie durch einen Klick auf den Stern daneben ein neues Menü anlegen. "
    "Auswählen können Sie ein Menü, indem Sie einfach in die Zeile mit dem Namen klicken.");
const QString kKeineAuswahl = QStringLiteral(
    "Es ist keine Auswahl gewählt, zu der das Rezept hinzugefügt werden kann. Bitte wählen Sie oben "
    "eine Auswahl oder legen Sie mit dem Stern eine neue an.");

bool hasCurrentRow(db::Recordset* rs)
{
    return rs && rs->isOpen() && !rs->eof() && !rs->bof();
}

}  // namespace

std::optional<qint64> Hm::selectedList() const
{
    return idFromText(korbgridBoundText());
}

qint64 Hm::currentAuswahl()
{
    const std::optional<qint64> aid = selectedList();
    if (!aid) ui::msgbox(kKeineAuswahl, ui::OkOnly, QStringLiteral(" "));
    return aid.value_or(0);
}

void Hm::refreshPanel()
{
    auswahl->refresh();
    if (menumode && m_menuShown) menu->refresh();
}

void Hm::showmenu()
{
    men4t->setText(QStringLiteral("A u s w a h l"));
    ausw->setText(QStringLiteral("M e n ü s :"));
    neuaus->setToolTip(QStringLiteral("Neues Menü"));
    menuswap(false);
    korbgrid->setVisible(false);
    auswahlsql = auswahl->recordSource();
    auswahl->setRecordSource(menuesSource());
    // The menus' servings column is a constant of the query.
    auswahlModel->setEditableColumns({QStringLiteral("rname")});
    // The mode is set before the menus come, so the view shows the current one as a menu.
    menumode = true;
    zubt->setText(QStringLiteral("B e s c h r e i b u n g :"));
    auswahl->refresh();
    // Without a menu the view shows none, and no recipe either.
    if (!hasCurrentRow(auswahl->recordset())) clearView();
}

void Hm::showaus()
{
    men4t->setText(QStringLiteral("M e n ü"));
    ausw->setText(QStringLiteral("A u s w a h l :"));
    neuaus->setToolTip(QStringLiteral("Neue Auswahl"));
    menuswap(true);
    korbgrid->setVisible(true);
    auswahl->setRecordSource(auswahlsql);
    auswahlModel->setEditableColumns({QStringLiteral("rname"), QStringLiteral("port")});
    menumode = false;
    zubt->setText(QStringLiteral("Z u b e r e i t u n g :"));
    auswahl->refresh();
    if (!hasCurrentRow(auswahl->recordset())) clearView();
}

void Hm::menuswap(bool mode)
{
    for (QWidget* w : std::initializer_list<QWidget*>{stich, stichlabel, druckaus, editrez, einkauf, plus, mehr,
                                                      minus, neurez})
        w->setVisible(mode);
    menugrid->setVisible(!mode);
    zutgrid->setVisible(mode);
    zpers->setVisible(mode);
    menlabel->setVisible(!mode);
    komt->setVisible(mode);
    komgrid->setVisible(mode);
    einkaufmen->setVisible(!mode);
}

void Hm::men4_Click()
{
    if (men4t->text().compare(QStringLiteral("M e n ü"), Qt::CaseInsensitive) == 0)
        showmenu();
    else
        showaus();
}

void Hm::korbgrid_Change()
{
    const std::optional<qint64> aid = idFromText(korbgridBoundText());
    if (!aid) return;
    // The hidden list combo may move in menu mode (a list deleted there): the list comes
    // back when the panel shows lists again, the menus stay on screen.
    if (menumode) {
        auswahlsql = auswahlSource(*aid);
        return;
    }
    auswahl->setRecordSource(auswahlSource(*aid));
    auswahl->refresh();
}

void Hm::korbgrid_KeyDown(int& keyCode, int shift)
{
    Q_UNUSED(shift);
    if (keyCode != ui::KeyDelete) return;
    const std::optional<qint64> aid = idFromText(korbgridBoundText());
    if (!aid || !cookbookWritable()) return;
    const bool quick = *aid == kSchnellauswahl;
    const QString question =
        quick ? QStringLiteral("Die Schnellauswahl kann nicht gelöscht werden. Möchten Sie sie stattdessen leeren ?")
              : QStringLiteral("Wollen Sie die Auswahl ") + korbgrid->currentText() + QStringLiteral(" löschen ?");
    if (ui::msgbox(question, ui::YesNo, QStringLiteral(" ")) != ui::Answer::Yes) return;
    deleteAuswahl(cookbook(), *aid);
    if (quick) {
        if (!menumode) auswahl->refresh();
        return;
    }
    korb->refresh();
    // The first list may sit where the deleted one sat, so the combo need not move.
    korbgrid_Change();
}

void Hm::loeschsel_Click()
{
    int keyCode = ui::KeyDelete;
    korbgrid_KeyDown(keyCode, 0);
}

void Hm::auswahlalle_Click()
{
    db::Recordset* rs = rez->recordset();
    if (!rs || !rs->isOpen() || !cookbookWritable()) return;
    const qint64 aid = currentAuswahl();
    qint16 wanted = 0;
    if (!aid || !portServings(wanted)) return;
    if (rs->recordCount() > kAuswahlalleFrage &&
        ui::msgbox(QStringLiteral("Wollen Sie wirklich über 50 Gerichte zur Auswahl ") + korbgrid->currentText() +
                       QStringLiteral(" hinzufügen ?"),
                   ui::YesNo, QStringLiteral(" ")) != ui::Answer::Yes)
        return;
    kv::auswahlalle(cookbook(), aid, wanted, rez->recordSource());
    if (!menumode) auswahl->refresh();
}

void Hm::eininaus_Click()
{
    rezgrid_DblClick();
}

void Hm::rezgrid_Click()
{
    // The recipe clicked is shown also when the list already stood on it: the view may
    // show an entry of the selection list meanwhile, and what is typed next is meant for
    // the recipe clicked.
    db::Recordset* rs = rez->recordset();
    if (!menumode && hasCurrentRow(rs) && rs->value(QStringLiteral("rid")).toLongLong() != m_rid) rezauswahl();
    if (rezclick)
        rezgrid_DblClick();
    else
        rezclick = true;
}

void Hm::rezgrid_DblClick()
{
    rezclick = false;
    db::Recordset* rs = rez->recordset();
    if (!hasCurrentRow(rs) || !cookbookWritable()) return;
    const qint64 rid = rs->value(QStringLiteral("rid")).toLongLong();
    qint16 wanted = 0;
    if (menumode) {
        db::Recordset* menus = auswahl->recordset();
        if (!hasCurrentRow(menus)) {
            ui::msgbox(kKeinMenu, ui::OkOnly, QStringLiteral(" K E L V O R"));
            return;
        }
        const qint64 mid = menus->value(QStringLiteral("rid")).toLongLong();
        if (!portServings(wanted)) return;
        bool added = false;
        if (recipeBound(rid, [&] { added = addToMenu(cookbook(), mid, rid, wanted); }) && added && mid == m_menuShown)
            menu->refresh();
        return;
    }
    const qint64 aid = currentAuswahl();
    if (!aid || !portServings(wanted)) return;
    bool added = false;
    if (recipeBound(rid, [&] { added = addToAuswahl(cookbook(), aid, rid, wanted); }) && added) auswahl->refresh();
}

void Hm::neuaus_Click()
{
    if (!cookbookWritable()) return;
    if (menumode) {
        auto* dialog = ui::WindowRegistry::instance<NeuMenue>(QStringLiteral("neu_menue"));
        dialog->setHost([this](qint64) {
            if (menumode) auswahl->refresh();
        });
        dialog->show();
        dialog->raise();
        dialog->activateWindow();
        return;
    }
    auto* dialog = ui::WindowRegistry::instance<NeuAuswahl>(QStringLiteral("neu_auswahl"));
    dialog->setHost([this] { return korbgridBoundText(); },
                    [this](qint64 aid) {
                        korb->refresh();
                        if (!menumode) auswahl->refresh();
                        if (db::Recordset* lists = korb->recordset())
                            lists->findFirst(QStringLiteral("aid=%1").arg(aid));
                        korbgrid_Change();
                    });
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void Hm::ausgrid_GotFocus()
{
    if (hasCurrentRow(auswahl->recordset())) zutauswahl();
}

// The entry clicked is shown also when the list already stood on it, and kept the focus
// while the recipe list moved the view to another recipe (a search, say).
void Hm::ausgrid_Click()
{
    db::Recordset* rs = auswahl->recordset();
    if (!hasCurrentRow(rs)) return;
    const qint64 id = rs->value(QStringLiteral("rid")).toLongLong();
    if (id != (menumode ? m_menuShown : m_rid)) zutauswahl();
}

void Hm::ausgrid_RowColChange(int lastRow, int lastCol)
{
    Q_UNUSED(lastRow);
    Q_UNUSED(lastCol);
    if (hasCurrentRow(auswahl->recordset())) zutauswahl();
}

void Hm::ausgrid_KeyDown(int& keyCode, int shift)
{
    Q_UNUSED(shift);
    const int key = keyCode;
    if (key != ui::KeyHome && key != ui::KeyEnd) return;
    db::Recordset* rs = auswahl->recordset();
    if (!rs || !rs->isOpen() || rs->recordCount() == 0) return;
    // The grid's own move would show the entry a second time.
    keyCode = 0;
    if (key == ui::KeyHome)
        rs->moveFirst();
    else
        rs->moveLast();
    zutauswahl();
}

void Hm::ausgrid_MouseMove()
{
    if (typingInView()) return;
    if (QApplication::focusWidget() != ausgrid) ausgrid->setFocus();
}

void Hm::ausgrid_BeforeDelete(bool& cancel)
{
    db::Recordset* rs = auswahl->recordset();
    if (!rs || !rs->isOpen()) return;
    QList<int> rows;
    for (const QModelIndex& index : ausgrid->selectionModel()->selectedRows()) rows << index.row();
    if (rows.isEmpty() && hasCurrentRow(rs)) rows << int(rs->absolutePosition());
    cancel = true;
    if (rows.isEmpty() || !cookbookWritable()) return;
    // Bookmarks first: positions move as rows go.
    QVariantList marks;
    for (int row : rows) {
        rs->setAbsolutePosition(row);
        marks << rs->bookmark();
    }
    db::Database& db = cookbook();
    {
        // The rows go together or not at all, and the view follows only the list as it
        // stands afterwards, not each row being deleted.
        const QSignalBlocker quiet(auswahl);
        db::Transaction tx(db);
        for (const QVariant& mark : marks) {
            rs->setBookmark(mark);
            if (menumode)
                deleteMenu(db, rs->value(QStringLiteral("rid")).toLongLong());
            else
                rs->deleteCurrent();
        }
        tx.commit();
    }
    // The menu or entry on screen may be gone: the view shows the list's current row,
    // or nothing.
    m_ausRow = QStringLiteral("gelöscht");
    auswahl->refresh();
}

void Hm::ausgrid_BeforeUpdate(int row, int column, const QVariant& value, bool& cancel)
{
    if (!cookbookWritable()) {
        cancel = true;
        return;
    }
    if (column == 0 && value.toString().isEmpty()) {
        ui::msgbox(QStringLiteral("Leere Namen sind nicht erlaubt"), ui::OkOnly, QStringLiteral("Kelvor"));
        cancel = true;
        return;
    }
    // An entry's name and servings belong to its recipe. The entry goes with the recipe,
    // and its row is written only while it is there (a row gone fails the edit).
    m_gridEditRid = 0;
    if (menumode) return;
    db::Recordset* rs = auswahl->recordset();
    if (!rs || row < 0 || row >= rs->recordCount()) return;
    m_gridEditRid = rs->valueAt(row, rs->fieldIndex(QStringLiteral("rid"))).toLongLong();
    const qint64 rid = m_gridEditRid;
    if (!recipeBound(rid, [&] { requireRecipe(cookbook(), rid); })) cancel = true;
}

}  // namespace kv
