#include "mainwindow/hm_window.h"

#include "core/cookbookdb.h"
#include "core/ende_window.h"
#include "core/mainmod.h"
#include "core/settings.h"
#include "mainwindow/recipegone.h"
#include "platform/paths.h"
#include "platform/texteditor.h"
#include "platform/ui/closinghooks.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/events.h"
#include "platform/ui/placement.h"
#include "platform/ui/windows.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>
#include <QUrl>

#include <stdexcept>

namespace kv {

namespace {

const QString kKochbuchCaption = QStringLiteral("K o c h b u c h :  ");

// Whether a window of that name can be made: a button leading to a window the program
// does not have stays disabled.
bool windowKnown(const QString& name)
{
    return ui::WindowRegistry::isRegistered(name);
}

void showModal(const QString& name)
{
    ui::runModal(name, [name] { return ui::execModal(ui::WindowRegistry::get(name)); });
}

void showModeless(const QString& name)
{
    QWidget* w = ui::WindowRegistry::get(name);
    w->show();
    w->raise();
    w->activateWindow();
}

// The title takes what the servings columns leave. The columns exist only once the grid's
// source is open, so their widths are set each time it is.
void stretchTitleColumn(QTableView* grid)
{
    QHeaderView* header = grid->horizontalHeader();
    header->hide();
    auto apply = [grid, header] {
        if (grid->model()->columnCount() == 0)
            return;
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        if (grid->model()->columnCount() > 1) {
            // The servings are edited in place: five digits stay readable in the editor.
            header->setSectionResizeMode(1, QHeaderView::Fixed);
            header->resizeSection(1, grid->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16);
        }
    };
    QObject::connect(grid->model(), &QAbstractItemModel::modelReset, grid, apply);
    apply();
}

}  // namespace

Hm::Hm(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("hm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Kelvor"));
    buildControls();
    buildLayout();
    bindModels();
    wireEvents();
    enableWindowButtons();
    m_listView = makeListView();
    setRecipeListView(m_listView.get());
    ui::onCookbookClosing(this, [this] { releaseData(); });

    // The load step reports a failure and goes on with its next step.
    auto step = [this](const std::function<void()>& work) { ui::guarded(QStringLiteral("HM_LOAD : "), work); };
    step([this] {
        filtermode = 0;
        menumode = false;
        m_viewSwitch = true;
    });
    step([this] { port->setText(QStringLiteral("4")); });
    step([this] {
        if (getreg(reg::aenderrezept).compare(QStringLiteral("on"), Qt::CaseInsensitive) == 0) {
            rezModel->setEditable(true);
            rezgrid->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
            gridedit = true;
        }
    });
}

Hm::~Hm()
{
    if (recipeListView() == m_listView.get())
        setRecipeListView(nullptr);
}

void Hm::bindModels()
{
    rezModel = new db::RecordsetTableModel(rez, this);
    rezModel->setColumns({QStringLiteral("rname")}, {QStringLiteral("Gericht")});
    rezgrid->setModel(rezModel);
    rezgrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);

    katModel = new db::RecordsetListModel(kat, QStringLiteral("kname"), QStringLiteral("kid"), this);
    katgrid->setModel(katModel);

    korbModel = new db::RecordsetListModel(korb, QStringLiteral("aname"), QStringLiteral("aid"), this);
    korbgrid->setModel(korbModel);

    auswahlModel = new db::RecordsetTableModel(auswahl, this);
    auswahlModel->setColumns({QStringLiteral("rname"), QStringLiteral("port"), QStringLiteral("tport")},
                             {QStringLiteral("Gericht"), QString(), QString()});
    // Names and servings of the entries (the menus' names in menu mode) are edited in place.
    auswahlModel->setEditable(true);
    auswahlModel->setEditableColumns({QStringLiteral("rname"), QStringLiteral("port")});
    ausgrid->setModel(auswahlModel);
    ausgrid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
    stretchTitleColumn(ausgrid);

    menuModel = new db::RecordsetTableModel(menu, this);
    menuModel->setColumns({QStringLiteral("rname"), QStringLiteral("port"), QStringLiteral("tport")},
                          {QStringLiteral("Gericht"), QString(), QString()});
    menugrid->setModel(menuModel);
    stretchTitleColumn(menugrid);
}

// The grid shows the Data control's current row, and a row the user picks becomes the
// control's current row. Moves made by the program do not count as the user's row change.
void Hm::bindGrid(QTableView* grid, db::DataControl* control,
                  std::function<void(int lastRow, int lastCol)> rowColChange)
{
    auto follow = [this, grid, control] { followRecordset(grid, control); };
    connect(control, &db::DataControl::refreshed, grid, follow);
    connect(control, &db::DataControl::changed, grid, follow);
    connect(grid->selectionModel(), &QItemSelectionModel::currentChanged, grid,
            [this, grid, control, rowColChange](const QModelIndex& current, const QModelIndex& previous) {
                if (m_syncing)
                    return;
                db::Recordset* rs = control->recordset();
                if (rs && current.isValid() && rs->absolutePosition() != current.row()) {
                    QScopedValueRollback<bool> syncing(m_syncing, true);
                    if (!ui::guarded(grid->objectName().toUpper() + QStringLiteral("_ROWCOLCHANGE : "),
                                     [&] { rs->setAbsolutePosition(current.row()); }))
                        return;
                }
                if (rowColChange && current.row() != previous.row())
                    rowColChange(previous.row(), previous.column());
            });
}

void Hm::followRecordset(QTableView* grid, db::DataControl* control)
{
    db::Recordset* rs = control->recordset();
    const qint64 position = rs && rs->isOpen() ? rs->absolutePosition() : -1;
    QScopedValueRollback<bool> syncing(m_syncing, true);
    if (position < 0 || position >= grid->model()->rowCount()) {
        if (grid->currentIndex().isValid())
            grid->selectionModel()->clear();
        return;
    }
    if (grid->currentIndex().row() == position)
        return;
    const QModelIndex index = grid->model()->index(int(position), qMax(0, grid->currentIndex().column()));
    grid->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    grid->scrollTo(index);
}

// The selection-list combo is bound to the current row of its own source: moving `korb`
// chooses the list, and choosing a list moves `korb`; both run korbgrid_Change.
void Hm::bindCombo(QComboBox* combo, db::DataControl* control)
{
    auto follow = [this, combo, control] { followCombo(combo, control); };
    connect(control, &db::DataControl::refreshed, combo, follow);
    connect(control, &db::DataControl::changed, combo, follow);
    connect(combo, &QComboBox::currentIndexChanged, combo, [this, control](int index) {
        if (!m_syncing && index >= 0) {
            ui::guarded(QStringLiteral("KORBGRID_CHANGE : "), [&] {
                if (db::Recordset* rs = control->recordset(); rs && rs->absolutePosition() != index) {
                    QScopedValueRollback<bool> syncing(m_syncing, true);
                    rs->setAbsolutePosition(index);
                }
            });
        }
        ui::guarded(QStringLiteral("KORBGRID_CHANGE : "), [this] { korbgrid_Change(); });
    });
}

void Hm::followCombo(QComboBox* combo, db::DataControl* control)
{
    db::Recordset* rs = control->recordset();
    const qint64 position = rs && rs->isOpen() ? rs->absolutePosition() : -1;
    QScopedValueRollback<bool> syncing(m_syncing, true);
    combo->setCurrentIndex(position < combo->count() ? int(position) : -1);
}

QString Hm::korbgridBoundText() const
{
    const int row = korbgrid->currentIndex();
    return row < 0 ? QString() : korbModel->boundValue(row).toString();
}

QString Hm::katgridBoundText() const
{
    const int row = katgrid->currentIndex();
    return row < 0 ? QString() : katModel->boundValue(row).toString();
}

void Hm::wireEvents()
{
    auto handler = ui::guardedHandlers(this);
    auto click = [this, handler](QToolButton* button, const char* tag, void (Hm::*body)()) {
        connect(button, &QToolButton::clicked, this, handler(tag, body));
    };
    click(makevoll, "MAKEVOLL_CLICK : ", &Hm::makevoll_Click);
    click(men1, "MEN1_CLICK : ", &Hm::men1_Click);
    click(men2, "MEN2_CLICK : ", &Hm::men2_Click);
    click(men3, "MEN3_CLICK : ", &Hm::men3_Click);
    click(men4, "MEN4_CLICK : ", &Hm::men4_Click);
    click(men5, "MEN5_CLICK : ", &Hm::men5_Click);
    click(men6, "MEN6_CLICK : ", &Hm::men6_Click);
    click(men7, "MEN7_CLICK : ", &Hm::men7_Click);
    click(export_, "EXPORT_CLICK : ", &Hm::export_Click);
    click(loadkoch, "LOADKOCH_CLICK : ", &Hm::loadkoch_Click);
    click(hilf, "HILF_CLICK : ", &Hm::hilf_Click);
    click(kelvorlogo, "KELVORLOGO_CLICK : ", &Hm::kelvorlogo_Click);

    click(rubmodechange, "RUBMODECHANGE_CLICK : ", &Hm::rubmodechange_Click);
    // Only a choice of the user filters: the program's own moves of `kat` leave the list.
    connect(katgrid, &QComboBox::activated, this, handler("KATGRID_CHANGE : ", &Hm::katgrid_Change));
    bindGrid(rezgrid, rez, [this](int lastRow, int lastCol) {
        ui::guarded(QStringLiteral("REZGRID_ROWCOLCHANGE : "), [&] { rezgrid_RowColChange(lastRow, lastCol); });
    });
    ui::onKeyDown(rezgrid, [this](int& keyCode, int shift) { rezgrid_KeyDown(keyCode, shift); });
    ui::onMouseMove(rezgrid, handler("REZGRID_MOUSEMOVE : ", &Hm::rezgrid_MouseMove));
    ui::onMouseDown(rezgrid, [this](int, int) { rezgrid_MouseDown(); });
    ui::onClick(rezgrid, handler("REZGRID_CLICK : ", &Hm::rezgrid_Click));
    ui::onDblClick(rezgrid, handler("REZGRID_DBLCLICK : ", &Hm::rezgrid_DblClick));
    click(loeschaus, "LOESCHAUS_CLICK : ", &Hm::loeschaus_Click);

    connect(splitter_aus, &QSplitter::splitterMoved, this, [this] { splitter_aus_Moved(); });
    connect(m_rightSplit, &QSplitter::splitterMoved, this, [this] { splitter_aus_rechts_Moved(); });

    bindCombo(korbgrid, korb);
    ui::onKeyDown(korbgrid, [this](int& keyCode, int shift) {
        ui::guarded(QStringLiteral("KORBGRID_KEYDOWN : "), [&] { korbgrid_KeyDown(keyCode, shift); });
    });
    click(loeschsel, "LOESCHSEL_CLICK : ", &Hm::loeschsel_Click);
    click(neuaus, "NEUAUS_CLICK : ", &Hm::neuaus_Click);
    click(auswahlalle, "AUSWAHLALLE_CLICK : ", &Hm::auswahlalle_Click);
    click(eininaus, "EININAUS_CLICK : ", &Hm::eininaus_Click);
    bindGrid(ausgrid, auswahl, [this](int lastRow, int lastCol) {
        // The row change of the entries ignores its failures.
        try {
            ausgrid_RowColChange(lastRow, lastCol);
        } catch (const std::exception&) {
        }
    });
    bindGrid(menugrid, menu, {});
    // After the grids have followed their recordsets, the view follows the list that moved.
    for (auto signal : {&db::DataControl::refreshed, &db::DataControl::changed}) {
        connect(rez, signal, this, [this] { ui::guarded(QStringLiteral("REZAUSWAHL : "), [this] { rezRowMoved(); }); });
        connect(auswahl, signal, this,
                [this] { ui::guarded(QStringLiteral("ZUTAUSWAHL : "), [this] { auswahlRowMoved(); }); });
    }
    ui::onGotFocus(ausgrid, handler("AUSGRID_GOTFOCUS : ", &Hm::ausgrid_GotFocus));
    ui::onClick(ausgrid, handler("AUSGRID_CLICK : ", &Hm::ausgrid_Click));
    ui::onMouseMove(ausgrid, handler("AUSGRID_MOUSEMOVE : ", &Hm::ausgrid_MouseMove));
    ui::onKeyDown(ausgrid, [this](int& keyCode, int shift) {
        if (keyCode != ui::KeyDelete) {
            ui::guarded(QStringLiteral("AUSGRID_KEYDOWN : "), [&] { ausgrid_KeyDown(keyCode, shift); });
            return;
        }
        keyCode = 0;
        ui::guarded(QStringLiteral("AUSGRID_BEFOREDELETE : "), [this] {
            bool cancel = false;
            ausgrid_BeforeDelete(cancel);
            if (cancel)
                return;
            // The grid's own deletion of its current row.
            if (db::Recordset* rs = auswahl->recordset(); rs && !rs->eof() && !rs->bof()) {
                rs->deleteCurrent();
                auswahl->refresh();
            }
        });
    });
    auswahlModel->beforeUpdate = [this](int row, int column, const QVariant& value) {
        bool cancel = true;
        ui::guarded(QStringLiteral("AUSGRID_BEFOREUPDATE : "), [&] {
            cancel = false;
            ausgrid_BeforeUpdate(row, column, value, cancel);
        });
        return !cancel;
    };
    // An edit the cookbook refuses keeps the stored text; the user is told why. A row that
    // is gone went with its recipe, deleted by another program on the cookbook.
    connect(auswahlModel, &db::RecordsetTableModel::editFailed, this, [this](int number, const QString& text) {
        if (number == db::errRecordDeleted && !menumode && m_gridEditRid > 0)
            sayRecipeGone(m_gridEditRid);
        else
            ui::errorbox(QStringLiteral("AUSGRID : "), number, text);
    });
    rezModel->beforeUpdate = [this](int row, int, const QVariant&) {
        bool go = false;
        ui::guarded(QStringLiteral("REZGRID_BEFOREUPDATE : "), [&] {
            m_gridEditRid = 0;
            if (!cookbookWritable()) return;
            if (db::Recordset* rs = rez->recordset(); rs && row >= 0 && row < rs->recordCount())
                m_gridEditRid = rs->valueAt(row, rs->fieldIndex(QStringLiteral("rid"))).toLongLong();
            const qint64 rid = m_gridEditRid;
            go = rid <= 0 || recipeBound(rid, [&] { requireRecipe(cookbook(), rid); });
        });
        return go;
    };
    connect(rezModel, &db::RecordsetTableModel::editFailed, this, [this](int number, const QString& text) {
        if (number == db::errRecordDeleted && m_gridEditRid > 0)
            sayRecipeGone(m_gridEditRid);
        else
            ui::errorbox(QStringLiteral("REZGRID : "), number, text);
    });

    connect(port, &QLineEdit::textEdited, this, handler("PORT_CHANGE : ", &Hm::port_Change));
    ui::onKeyPress(port, [this](int& keyAscii) {
        ui::guarded(QStringLiteral("PORT_KEYPRESS : "), [&] { port_KeyPress(keyAscii); });
    });
    ui::onLostFocus(port, handler("PORT_LOSTFOCUS : ", &Hm::port_LostFocus));
    click(plus, "PLUS_CLICK : ", &Hm::plus_Click);
    click(minus, "MINUS_CLICK : ", &Hm::minus_Click);
    click(mehr, "MEHR_CLICK : ", &Hm::mehr_Click);
    ui::onChange(zub, handler("ZUB_CHANGE : ", &Hm::zub_Change));
    ui::onGotFocus(zub, handler("ZUB_GOTFOCUS : ", &Hm::zub_GotFocus));
    ui::onLostFocus(zub, handler("ZUB_LOSTFOCUS : ", &Hm::zub_LostFocus));
    ui::onChange(stich, handler("STICH_CHANGE : ", &Hm::stich_Change));
    ui::onGotFocus(stich, handler("STICH_GOTFOCUS : ", &Hm::stich_GotFocus));
    ui::onLostFocus(stich, handler("STICH_LOSTFOCUS : ", &Hm::stich_LostFocus));
    // The comment box's Change is the user's typing, its Click the user's choice of an
    // item; selecting the recipe's comment from the program fires neither.
    connect(komgrid->lineEdit(), &QLineEdit::textEdited, this, handler("KOMGRID_CHANGE : ", &Hm::komgrid_Change));
    connect(komgrid, &QComboBox::activated, this, handler("KOMGRID_CLICK : ", &Hm::komgrid_Click));
    ui::onGotFocus(komgrid, handler("KOMGRID_GOTFOCUS : ", &Hm::komgrid_GotFocus));
    ui::onLostFocus(komgrid, handler("KOMGRID_LOSTFOCUS : ", &Hm::komgrid_LostFocus));
    ui::onMouseMove(zutgrid, handler("ZUTGRID_MOUSEMOVE : ", &Hm::zutgrid_MouseMove));
    click(neurez, "NEUREZ_CLICK : ", &Hm::neurez_Click);
    click(editrez, "EDITREZ_CLICK : ", &Hm::editrez_Click);
    click(druckaus, "DRUCKAUS_CLICK : ", &Hm::druckaus_Click);
    click(druckrez, "DRUCKREZ_CLICK : ", &Hm::druckrez_Click);
    click(einkauf, "EINKAUF_CLICK : ", &Hm::einkauf_Click);
    click(einkaufmen, "EINKAUFMEN_CLICK : ", &Hm::einkaufmen_Click);
}

void Hm::enableWindowButtons()
{
    men1->setEnabled(windowKnown(QStringLiteral("suchen")));
    men2->setEnabled(windowKnown(QStringLiteral("zutatensuche")));
    men3->setEnabled(windowKnown(QStringLiteral("stichwortsuche")));
    men5->setEnabled(windowKnown(QStringLiteral("wizard_news")));
    men6->setEnabled(windowKnown(QStringLiteral("wizard_import")));
    men7->setEnabled(windowKnown(QStringLiteral("weiteres")));
    export_->setEnabled(windowKnown(QStringLiteral("wizard_export")));
    const bool editor = windowKnown(QStringLiteral("neu_rezept"));
    editrez->setEnabled(editor);
    neurez->setEnabled(editor);
    const bool printing = windowKnown(QStringLiteral("print_rezept"));
    for (QToolButton* b : {druckaus, druckrez, einkauf, einkaufmen})
        b->setEnabled(printing);
    loadkoch->setEnabled(windowKnown(QStringLiteral("finddir")));
    kelvorlogo->setEnabled(windowKnown(QStringLiteral("about")));
    for (auto [button, caption] : {std::pair{men1, men1t}, {men2, men2t}, {men3, men3t},
                                   {men5, men5t}, {men6, men6t}, {men7, men7t}})
        caption->setEnabled(button->isEnabled());
}

void Hm::binddaten()
{
    setViewEditable();
    const QString file = cookbook().name();
    for (db::DataControl* control : {rez, korb, kat, auswahl, menu})
        bindStatement([&] { control->setDatabaseName(file); });
    bindStatement([this] { menu->refresh(); });
    bindStatement([this] { auswahl->refresh(); });
    bindStatement([this] { followRecordset(ausgrid, auswahl); });
    // The count was read from the table; rows the list cannot read are no rows it shows.
    if (!bindStatement([this] { rez->refresh(); })) rezzahl->clear();
    bindStatement([this] { followRecordset(rezgrid, rez); });
    bindStatement([this] { kat->refresh(); });
    bindStatement([this] { refreshKatgrid(); });
    bindStatement([this] { korb->refresh(); });
    bindStatement([this] { followCombo(korbgrid, korb); });
}

void Hm::inithm()
{
    db::Database& db = cookbook();
    // A cookbook without its name row, or with an empty name, still gets the rest of the
    // window restored: the name is only shown.
    temprs = db.openRecordset(QStringLiteral("kochbuchname"), db::RecordsetType::Table);
    QString name;
    if (!temprs->eof())
        name = temprs->value(QStringLiteral("bname")).toString();
    bname->setText(kKochbuchCaption + name);
    temprs->close();
    temprs.reset();

    gesucht->setText(alleGerichte);

    // Blank lines only where no recipe is shown: the binding has already shown the
    // list's recipe, which stays.
    if (m_rid <= 0) {
        for (int r = 0; r <= 255; ++r)
            for (int c = 0; c <= 4; ++c)
                m_zut[r][c] = QStringLiteral(" ");
        zutgridSetRows(20);
        m_zutCount = 20;
    }

    fillComments();
    if (m_rid > 0) showComment();

    // The stored ids only ever name a row; anything but a number finds nothing.
    bool ok = false;
    const qint64 aid = getreg(reg::currentauswahl).toLongLong(&ok);
    if (ok && korb->recordset())
        korb->recordset()->findFirst(QStringLiteral("aid=%1").arg(aid));
    const qint64 rid = getreg(reg::currentrez).toLongLong(&ok);
    if (ok && rez->recordset()) {
        rez->recordset()->findFirst(QStringLiteral("rid=%1").arg(rid));
        rezauswahl();
    }
}

void Hm::fillComments()
{
    komgrid->clear();
    temprs = cookbook().openRecordset(QStringLiteral("select * from komment order by komment;"));
    for (; !temprs->eof(); temprs->moveNext())
        komgrid->addItem(temprs->value(QStringLiteral("komment")).toString(),
                         temprs->value(QStringLiteral("komid")).toLongLong());
    komgrid->setCurrentIndex(-1);
    temprs->close();
    temprs.reset();
}

void Hm::reloadComments()
{
    {
        QScopedValueRollback<bool> writing(m_viewWriting, true);
        fillComments();
    }
    if (m_rid > 0) showComment();
    kat->refresh();
    refreshKatgrid();
}

void Hm::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (m_unloaded)
        return;
    m_unloaded = true;
    // No LostFocus comes for a window that closes: what was typed is saved now.
    ui::guarded(QStringLiteral("HM_UNLOAD : "), [this] { saveTypedEdits(); });
    savereg(reg::currentauswahl, korbgridBoundText());
    try {
        if (db::Recordset* rs = rez->recordset(); rs && rs->isOpen() && !rs->eof())
            savereg(reg::currentrez, rs->value(QStringLiteral("rid")).toString());
    } catch (const std::exception&) {
    }
    // Minimised from maximised keeps both flags, but the window is minimised.
    const bool vollbild = (windowState() & Qt::WindowMaximized) && !(windowState() & Qt::WindowMinimized);
    savereg(reg::bildmode, vollbild ? QStringLiteral("vollbild") : QStringLiteral("normalbild"));
    try {
        showClosingScreen();
    } catch (const std::exception&) {
    }
    // The cookbook is closed before the window's deletion comes round; no recordset of
    // the window may outlive it.
    releaseData();
}

void Hm::releaseData()
{
    temprs.reset();
    for (db::DataControl* control : {rez, korb, kat, auswahl, menu})
        control->release();
}

void Hm::men1_Click()
{
    showModal(QStringLiteral("suchen"));
}

void Hm::men2_Click()
{
    showModal(QStringLiteral("zutatensuche"));
}

void Hm::men3_Click()
{
    // First shown beside the recipe list, whose list and count it fills: both stay in
    // sight. A place the user gave it stays.
    QWidget* tree = ui::WindowRegistry::get(QStringLiteral("stichwortsuche"));
    if (!tree->testAttribute(Qt::WA_Moved)) {
        const auto global = [](const QWidget* w) { return QRect(w->mapToGlobal(QPoint(0, 0)), w->size()); };
        ui::placeBeside(tree, global(rezgrid).united(global(rezzahl)).united(global(gesucht)), this);
    }
    // The keyword tree takes its time to build and puts the pointer back itself.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    showModeless(QStringLiteral("stichwortsuche"));
}

void Hm::men5_Click()
{
    showModal(QStringLiteral("wizard_news"));
}

void Hm::men6_Click()
{
    showModal(QStringLiteral("wizard_import"));
}

void Hm::men7_Click()
{
    showModeless(QStringLiteral("weiteres"));
}

void Hm::export_Click()
{
    showModeless(QStringLiteral("wizard_export"));
}

void Hm::loadkoch_Click()
{
    nocookbook = false;
    showModeless(QStringLiteral("finddir"));
}

void Hm::kelvorlogo_Click()
{
    showModal(QStringLiteral("about"));
}

void Hm::hilf_Click()
{
    const QString help = QDir(paths::programFolder()).filePath(QStringLiteral("kelvor-hilfe.html"));
    if (!QFileInfo::exists(help)) {
        ui::msgbox(QStringLiteral("Die Hilfe ist nicht zu finden. Sie gehört in den Programmordner als ") + help,
                   ui::Exclamation, QStringLiteral(" "));
        return;
    }
    // The page opener reports no failure of its own when it finds no browser: the user
    // would see nothing happen.
    if (!texteditor::browserFound()) {
        ui::msgbox(QStringLiteral("Es wurde kein Browser gefunden, der die Hilfe '") + help +
                       QStringLiteral("' öffnen kann."),
                   ui::Exclamation | ui::OkOnly, QStringLiteral(" "));
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(help)))
        ui::msgbox(QStringLiteral("Die Hilfe konnte nicht angezeigt werden. Bitte öffnen Sie die Datei ") +
                       help + QStringLiteral(" mit Ihrem Browser."),
                   ui::Exclamation, QStringLiteral(" "));
}

}  // namespace kv
