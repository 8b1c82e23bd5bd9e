// The recipe view of the main window: the recipe or menu shown, its ingredients scaled to
// the servings, and the in-place edits of preparation, keywords and comment.

#include "mainwindow/hm_window.h"

#include "core/mainmod.h"
#include "core/rezsource.h"
#include "mainwindow/editor_window.h"
#include "mainwindow/neu_portion_window.h"
#include "mainwindow/recipesave.h"
#include "mainwindow/panel.h"
#include "mainwindow/recipegone.h"
#include "mainwindow/recipeview.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/events.h"
#include "platform/ui/windows.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QTableView>

namespace kv {

bool Hm::portServings(qint16& out)
{
    const Servings s = readServings(port->text());
    if (s.check == ServingsCheck::Ok) {
        m_servings = s.value;
        out = s.value;
        return true;
    }
    // The box goes back to the last valid number, so the message comes once.
    port->setText(QString::number(m_servings));
    ui::msgbox(servingsMessage(s.check), ui::OkOnly, QStringLiteral(" "));
    return false;
}

qint16 Hm::servings()
{
    qint16 s = m_servings;
    portServings(s);
    return s;
}

void Hm::zutgridSetRows(int rows)
{
    if (!m_zutModel) {
        m_zutModel = new ZutTableModel(&m_zut, this);
        zutgrid->setModel(m_zutModel);
        // Fixed widths for the widest texts the columns hold, so the columns do not jump
        // from one recipe to the next.
        QHeaderView* header = zutgrid->horizontalHeader();
        const QFontMetrics fm(zutgrid->font());
        const int pad = 2 * fm.averageCharWidth() + 4;
        const auto fixed = [&](int column, const QString& widest) {
            header->setSectionResizeMode(column, QHeaderView::Fixed);
            header->resizeSection(column, fm.horizontalAdvance(widest) + pad);
        };
        fixed(ZutNr, QStringLiteral("99"));
        fixed(ZutAmount, QStringLiteral("49 15/16"));
        fixed(ZutEname, QStringLiteral("1/100 gr"));
        header->setSectionResizeMode(ZutZutat, QHeaderView::Stretch);
    }
    m_zutModel->setRows(rows);
}

qint16 Hm::getzutdata(qint64 rid)
{
    return static_cast<qint16>(kv::getzutdata(cookbook(), rid, servings(), m_zut));
}

void Hm::recalcmenge(qint16 wanted)
{
    kv::recalcmenge(m_zut, m_zutCount, wanted);
}

void Hm::ubport()
{
    // The box and the caption show the whole number the amounts are scaled for.
    const qint16 s = servings();
    {
        QScopedValueRollback<bool> writing(m_viewWriting, true);
        port->setText(QString::number(s));
    }
    m_portMarker = false;
    zpers->setText(zpersCaption(port->text()));
    recalcmenge(s);
    zutgridSetRows(m_zutCount);
}

void Hm::port_Change()
{
    if (!m_viewWriting) m_portMarker = true;
}

void Hm::port_KeyPress(int& keyAscii)
{
    if (keyAscii != ui::KeyEnter) return;
    keyAscii = 0;
    commitPort();
}

void Hm::port_LostFocus()
{
    if (m_portMarker) commitPort();
}

void Hm::commitPort()
{
    m_portMarker = false;
    qint16 s = 0;
    if (portServings(s)) ubport();
}

// Text the program writes is never saved back as if the user had typed it.
void Hm::writeZub(const QString& text)
{
    QScopedValueRollback<bool> writing(m_viewWriting, true);
    zub->setPlainText(text);
}

void Hm::writeStich(const QString& text)
{
    QScopedValueRollback<bool> writing(m_viewWriting, true);
    stich->setText(text);
}

// Typed text is saved only into the cookbook it was typed in: another cookbook may be
// opened while a box still holds it, and its ids name other recipes.
bool Hm::editBookOpen()
{
    return kochbuchdb && kochbuchdb->isOpen() && kochbuchdb->name() == m_editBook;
}

void Hm::rememberEditBook()
{
    m_editBook = kochbuchdb ? kochbuchdb->name() : QString();
}

void Hm::setViewEditable()
{
    // Text typed with nothing on screen would belong to nothing; a cookbook that can only
    // be read takes none.
    const bool shown = menumode ? m_menuShown > 0 : m_rid > 0;
    const bool readOnly = !shown || !kochbuchdb || !kochbuchdb->isOpen() || kochbuchdb->readOnly();
    zub->setReadOnly(readOnly);
    stich->setReadOnly(readOnly);
    komgrid->lineEdit()->setReadOnly(readOnly);
}

void Hm::saveTypedEdits()
{
    // A box that still holds typed text keeps it for the recipe it was typed for, also
    // when another recipe is shown before the box lost the focus.
    if (m_zubEdit.typed) zub_LostFocus();
    if (m_stichEdit.typed) storeStich(false);
    if (m_komEdit.typed) komgrid_LostFocus();
}

void Hm::showTitle(const QString& title)
{
    reznam->setText(title);
    // A long title is read from its start.
    reznam->setCursorPosition(0);
}

void Hm::showRecipe(qint64 rid, const QString& title)
{
    saveTypedEdits();
    db::Database& db = cookbook();
    showTitle(title);
    m_rid = rid;
    const int n = getzutdata(m_rid);
    writeZub(zubText(db, rid));
    m_zubHoldsMenu = false;
    writeStich(stichText(db, rid));
    m_zutCount = static_cast<quint8>(n);
    zutgridSetRows(n);
    showComment();
    setViewEditable();
    viewShows(rid);
}

void Hm::showComment()
{
    // The comment as the recipe has it now; the copy in a list entry may be older.
    const QVariant komid = cookbook().scalar(QStringLiteral("select komid from rezepte where rid=%1").arg(m_rid));
    QScopedValueRollback<bool> writing(m_viewWriting, true);
    komgrid->setCurrentIndex(komid.isNull() ? -1 : komgrid->findData(komid.toLongLong()));
    if (komgrid->currentIndex() < 0) komgrid->setEditText(QString());
}

void Hm::showRecipeAgain(qint64 rid)
{
    const QVariant title = cookbook().scalar(QStringLiteral("select rname from rezepte where rid=%1").arg(rid));
    if (title.isNull()) return;
    showRecipe(rid, title.toString());
}

void Hm::clearView()
{
    saveTypedEdits();
    viewShows(0);
    showTitle(QString());
    if (menumode) {
        m_menuShown = 0;
        writeZub(QString());
        m_zubHoldsMenu = true;
        menu->setRecordSource(menuDishesSource(0));
        menu->refresh();
        setViewEditable();
        return;
    }
    m_rid = 0;
    m_zutCount = 0;
    zutgridSetRows(0);
    writeZub(QString());
    m_zubHoldsMenu = false;
    writeStich(QString());
    setViewEditable();
    QScopedValueRollback<bool> writing(m_viewWriting, true);
    komgrid->setCurrentIndex(-1);
    komgrid->setEditText(QString());
}

namespace {

// The list's current recipe, -1 for none; nothing while the list stands on a row just
// deleted, as the move that follows the deletion tells where it goes.
std::optional<qint64> currentRid(db::Recordset* rs)
{
    if (!rs || !rs->isOpen() || rs->eof() || rs->bof()) return -1;
    try {
        return rs->value(QStringLiteral("rid")).toLongLong();
    } catch (const db::DbError& e) {
        if (e.number() == db::errRecordDeleted) return std::nullopt;
        throw;
    }
}

// An entry of a list and a menu are told apart, and two entries of one recipe too.
QString entryOf(db::Recordset* rs, bool menumode)
{
    if (!rs || !rs->isOpen() || rs->eof() || rs->bof()) return {};
    return (menumode ? u'm' : u'a') + rs->bookmark().toString();
}

}  // namespace

void Hm::rezRowMoved()
{
    if (m_rereading) return;
    const std::optional<qint64> row = currentRid(rez->recordset());
    if (!row || *row == m_rezRow || !m_viewSwitch) return;
    m_rezRow = *row;
    rezauswahl();
}

void Hm::auswahlRowMoved()
{
    if (m_rereading) return;
    const QString row = entryOf(auswahl->recordset(), menumode);
    if (row == m_ausRow) return;
    m_ausRow = row;
    if (row.isEmpty())
        clearView();
    else
        zutauswahl();
}

void Hm::rezauswahl()
{
    rezclick = false;
    if (!m_viewSwitch || menumode) return;
    db::Recordset* rs = rez->recordset();
    const std::optional<qint64> row = currentRid(rs);
    if (!row) return;
    m_rezRow = *row;
    if (m_rezRow < 0) {
        clearView();
        return;
    }
    showRecipe(m_rezRow, rs->value(QStringLiteral("rname")).toString());
}

void Hm::zutauswahl()
{
    db::Recordset* rs = auswahl->recordset();
    if (!rs || !rs->isOpen() || rs->eof() || rs->bof()) return;
    m_ausRow = entryOf(rs, menumode);
    if (menumode) {
        saveTypedEdits();
        const qint64 mid = rs->value(QStringLiteral("rid")).toLongLong();
        writeZub(rs->value(QStringLiteral("mbesch")).toString());
        showTitle(rs->value(QStringLiteral("rname")).toString());
        m_menuShown = mid;
        m_zubHoldsMenu = true;
        menu->setRecordSource(menuDishesSource(mid));
        menu->refresh();
        setViewEditable();
        viewShows(0);
        return;
    }
    showRecipe(rs->value(QStringLiteral("rid")).toLongLong(), rs->value(QStringLiteral("rname")).toString());
}

void Hm::plus_Click()
{
    qint16 s = 0;
    if (!portServings(s) || s >= kMaxServings) return;
    port->setText(QString::number(s + 1));
    ubport();
}

void Hm::minus_Click()
{
    qint16 s = 0;
    if (!portServings(s) || s <= 1) return;
    port->setText(QString::number(s - 1));
    ubport();
}

void Hm::mehr_Click()
{
    auto* dialog = ui::WindowRegistry::instance<NeuPortion>(QStringLiteral("neu_portion"));
    dialog->setTarget(portionTarget(port, [this] { ubport(); }));
    ui::runModal(QStringLiteral("neu_portion"), [dialog] { return ui::execModal(dialog); });
}

void Hm::zub_Change()
{
    if (m_viewWriting) return;
    // The owner is what the box shows: a menu's description never lands in a recipe's
    // preparation, and among the menus nothing typed lands in a recipe.
    m_zubMenu = m_zubHoldsMenu || menumode;
    m_zubEdit.change(m_zubHoldsMenu ? m_menuShown : m_rid);
    rememberEditBook();
}

void Hm::zub_GotFocus()
{
    m_zubEdit.focusIn();
}

void Hm::zub_LostFocus()
{
    if (!m_zubEdit.due(editBookOpen())) return;
    const qint64 owner = m_zubEdit.owner;
    m_zubEdit.store([&] {
        // A recipe that is gone takes nothing more; the text stays in the box.
        if (m_zubMenu)
            saveMbesch(cookbook(), owner, zub->toPlainText());
        else
            recipeBound(owner, [&] { saveZub(cookbook(), owner, zub->toPlainText()); });
        return true;
    });
}

void Hm::stich_Change()
{
    if (m_viewWriting) return;
    m_stichEdit.change(m_rid);
    rememberEditBook();
}

void Hm::stich_GotFocus()
{
    m_stichEdit.focusIn();
}

void Hm::stich_LostFocus()
{
    storeStich(true);
}

void Hm::storeStich(bool leaving)
{
    if (!m_stichEdit.due(editBookOpen())) return;
    const qint64 rid = m_stichEdit.owner;
    // Refused keywords are said once and are no longer the recipe's to store: the view
    // may move on, as the click that left the box asked, and show another recipe's
    // keywords in the box. The box leaves first, so that click is not lost to the message.
    if (!stichTextAllowed(cookbook(), stich->text())) {
        m_stichEdit = TypedEdit();
        if (leaving)
            QMetaObject::invokeMethod(this, [] { sayStichRefused(); }, Qt::QueuedConnection);
        else
            sayStichRefused();
        return;
    }
    // savestich reports its own failures and says so by returning false; a recipe that is
    // gone takes nothing more, and the text stays in the box.
    m_stichEdit.store([&] {
        bool saved = false;
        return !recipeBound(rid, [&] { saved = savestich(cookbook(), rid, false, stich->text()); }) || saved;
    });
}

void Hm::komgrid_GotFocus()
{
    m_komEdit.focusIn();
    m_komFocused = true;
}

void Hm::komgrid_Change()
{
    if (m_viewWriting) return;
    m_komEdit.change(m_rid);
    rememberEditBook();
}

void Hm::komgrid_Click()
{
    if (!m_komFocused || m_komEdit.typed || komgrid->currentIndex() < 0 || m_rid <= 0) return;
    if (!cookbookWritable()) {
        showComment();
        return;
    }
    const qint64 rid = m_rid;
    recipeBound(rid, [&] { setRecipeComment(cookbook(), rid, komgrid->currentData()); });
}

void Hm::komgrid_LostFocus()
{
    m_komFocused = false;
    if (!m_komEdit.due(editBookOpen())) return;
    db::Database& db = cookbook();
    const QString text = komgrid->currentText();
    const qint64 rid = m_komEdit.owner;
    m_komEdit.store([&] {
        if (text.isEmpty()) {
            recipeBound(rid, [&] { setRecipeComment(db, rid, QVariant()); });
            return true;
        }
        // The new comment and the recipe's link to it go together; a recipe that is gone
        // gets neither, and the text stays in the box.
        NewComment c;
        if (recipeBound(rid, [&] { c = addRecipeComment(db, rid, text); })) {
            QScopedValueRollback<bool> writing(m_viewWriting, true);
            komgrid->addItem(c.text, c.komid);
            if (rid == m_rid) komgrid->setCurrentIndex(komgrid->count() - 1);
        }
        return true;
    });
}

bool Hm::typingInView() const
{
    return m_zubEdit.typed || m_stichEdit.typed || m_komEdit.typed;
}

void Hm::zutgrid_MouseMove()
{
    if (typingInView()) return;
    if (QApplication::focusWidget() != zutgrid) zutgrid->setFocus();
}

NeuRezept* Hm::editor()
{
    auto* window = ui::WindowRegistry::instance<NeuRezept>(QStringLiteral("neu_rezept"));
    window->setHost([this](qint64 rid, bool isNew) { recipeSaved(rid, isNew); },
                    [this](qint64 rid) { recipeGone(rid); });
    return window;
}

void Hm::neurez_Click()
{
    startneu();
}

void Hm::editrez_Click()
{
    startedit();
}

void Hm::startneu()
{
    if (!cookbookWritable()) return;
    NeuRezept* window = editor();
    window->prepareNew(port->text());
    window->show();
    window->reloadnew();
}

void Hm::startedit()
{
    // Nothing to edit while the view shows no recipe.
    if (menumode || m_rid <= 0 || !cookbookWritable()) return;
    // What was typed here is the recipe's before the editor reads it.
    saveTypedEdits();
    const qint64 rid = m_rid;
    EditRecipe recipe;
    if (!recipeBound(rid, [&] { recipe = loadRecipeForEdit(cookbook(), rid); })) return;
    NeuRezept* window = editor();
    window->prepareEdit(recipe);
    window->show();
    window->reloadnew();
}

void Hm::recipeSaved(qint64 rid, bool isNew)
{
    db::Recordset* rs = rez->recordset();
    if (isNew) {
        // Listed at once, counted, and the list stands on it when its filter takes it in.
        rez->refresh();
        rs = rez->recordset();
        if (rs && rs->recordCount() > 0) rs->findFirst(QStringLiteral("rid=%1").arg(rid));
        rezzahl->setText(formatCount(rs ? rs->recordCount() : 0));
        return;
    }
    // The list reads the stored name again and stays on the recipe; the view shows what
    // was stored, so nothing older can be written back from its boxes. A recipe its new
    // category or name takes out of the list leaves it, and the count says so.
    if (rs) {
        rs->requery();
        if (rs->recordCount() > 0) rs->findFirst(QStringLiteral("rid=%1").arg(rid));
        followRecordset(rezgrid, rez);
        rezzahl->setText(formatCount(rs->recordCount()));
    }
    if (m_rid == rid) showRecipeAgain(rid);
}

bool Hm::recipeBound(qint64 rid, const std::function<void()>& work)
{
    try {
        work();
        return true;
    } catch (const RecipeGone&) {
        sayRecipeGone(rid);
        return false;
    }
}

void Hm::sayRecipeGone(qint64 rid)
{
    ui::msgbox(recipeGoneMessage(), ui::Exclamation | ui::OkOnly, QStringLiteral(" "));
    recipeGone(rid);
}

void Hm::recipeGone(qint64 rid)
{
    if (!menumode && rid > 0 && rid == m_rid)
        m_goneRid = rid;
    else
        queueReread();
}

void Hm::viewShows(qint64 rid)
{
    if (m_goneRid == 0 || rid == m_goneRid) return;
    m_goneRid = 0;
    queueReread();
}

void Hm::queueReread()
{
    // Not from within the move or the write that found the recipe gone: the lists'
    // recordsets are replaced.
    QMetaObject::invokeMethod(
        this,
        [this] {
            // A cookbook closed meanwhile (a compaction, another one loaded) is read afresh
            // when it opens.
            if (!kochbuchdb || !kochbuchdb->isOpen()) return;
            ui::guarded(QStringLiteral("REZAUSWAHL : "), [this] { rereadLists(); });
        },
        Qt::QueuedConnection);
}

void Hm::rereadLists()
{
    const qint64 shown = menumode ? 0 : m_rid;
    QScopedValueRollback<bool> quiet(m_rereading, true);
    rez->refresh();
    db::Recordset* rs = rez->recordset();
    if (rs && shown > 0 && rs->recordCount() > 0) rs->findFirst(QStringLiteral("rid=%1").arg(shown));
    if (const std::optional<qint64> row = currentRid(rs)) m_rezRow = *row;
    rezzahl->setText(formatCount(rs ? rs->recordCount() : 0));

    // The panel stays on its entry, or its menu, when that is still there.
    db::Recordset* entries = auswahl->recordset();
    const std::optional<qint64> entry = currentRid(entries);
    auswahl->refresh();
    entries = auswahl->recordset();
    if (entries && entry && *entry > 0 && entries->recordCount() > 0)
        entries->findFirst(QStringLiteral("rid=%1").arg(*entry));
    m_ausRow = entryOf(entries, menumode);
    if (menumode && m_menuShown) menu->refresh();
}

void Hm::recipesRemoved()
{
    const qint64 shown = m_rid;
    rez->refresh();
    if (db::Recordset* rs = rez->recordset(); rs && shown > 0) rs->findFirst(QStringLiteral("rid=%1").arg(shown));
    rezzahl->setText(formatCount(rez->recordset() ? rez->recordset()->recordCount() : 0));
    refreshPanel();
    // The view follows the rows the lists stand on now, unless the recipe it shows is still there.
    if (m_rid > 0 && !cookbook().scalar(QStringLiteral("select 1 from rezepte where rid=?"), {m_rid}).isValid())
        rezauswahl();
}

}  // namespace kv
