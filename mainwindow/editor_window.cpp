#include "mainwindow/editor_window.h"

#include "core/fraction.h"
#include "core/mainmod.h"
#include "mainwindow/einheiten_window.h"
#include "mainwindow/neu_portion_window.h"
#include "mainwindow/recipegone.h"
#include "mainwindow/recipeview.h"
#include "mainwindow/units.h"
#include "platform/ui/closinghooks.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/events.h"
#include "platform/ui/look.h"
#include "platform/ui/moveon.h"
#include "platform/ui/windows.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

namespace kv {

namespace {

enum Column { ColNr = 0, ColMenge = 1, ColEinheit = 2, ColZutat = 3 };

// The ingredient grid. A save finishes the cell still being typed in: the save button
// takes no focus, so the cell is never left.
class LineGrid : public QTableView {
public:
    using QTableView::QTableView;
    void finishEditing() { leaveEditor(true); }
    // The cell being typed in is left without storing what it holds.
    void dropEditing() { leaveEditor(false); }

private:
    void leaveEditor(bool store)
    {
        if (state() != EditingState) return;
        // The cell's editor is the grid's only open child of its viewport; it need not
        // hold the focus (a message box may have taken it).
        QWidget* editor = QApplication::focusWidget();
        if (!editor || !viewport()->isAncestorOf(editor)) {
            editor = nullptr;
            for (QWidget* child : viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (child->isVisible()) editor = child;
        }
        if (!editor) return;
        if (store) commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
};

QString einheitenName()
{
    return QStringLiteral("einheiten");
}

// The units window, when the program has one.
Einheiten* unitsWindow()
{
    if (!ui::WindowRegistry::isRegistered(einheitenName())) return nullptr;
    return ui::WindowRegistry::instance<Einheiten>(einheitenName());
}

}  // namespace

NeuRezept::NeuRezept(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("neu_rezept"));
    buildControls();
    wireEvents();
    // Loading the editor loads the units window, hidden.
    if (Einheiten* units = unitsWindow()) units->setUnitChosen([this](const QString& ename) { takeUnit(ename); });
    ui::onCookbookClosing(this, [this] {
        if (isVisible()) kreuz_Click();
        releaseData();
    });
}

NeuRezept::~NeuRezept() = default;

void NeuRezept::buildControls()
{
    setWindowTitle(QStringLiteral("  N e u e s   R e z e p t"));

    lebel = ui::caption(this, QStringLiteral("lebel"), QStringLiteral("N a m e :"));
    reznam = new QLineEdit(this);
    reznam->setObjectName(QStringLiteral("reznam"));
    reznam->setFont(ui::narrowFont(14, true));
    rezid = new QLineEdit(QStringLiteral("0"), this);
    rezid->setObjectName(QStringLiteral("rezid"));
    rezid->hide();

    ger = ui::caption(this, QStringLiteral("ger"), QStringLiteral("R u b r i k :"));
    kat = new db::DataControl(this);
    kat->setObjectName(QStringLiteral("kat"));
    kat->setRecordSource(QStringLiteral("select * from hauptkat order by kname"));
    katgrid = new QComboBox(this);
    katgrid->setObjectName(QStringLiteral("katgrid"));
    katgrid->setMaxVisibleItems(20);
    m_categories = new db::RecordsetListModel(kat, QStringLiteral("kname"), QStringLiteral("kid"), this);
    katgrid->setModel(m_categories);

    zpers = ui::caption(this, QStringLiteral("zpers"), QStringLiteral("Z u t a t e n   f ü r   4   P o r t i o n e n :"));
    port = new QLineEdit(QStringLiteral("4"), this);
    port->setObjectName(QStringLiteral("port"));
    port->setAlignment(Qt::AlignCenter);
    port->setMaximumWidth(port->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    minus = ui::pictureButton(this, QStringLiteral("minus"), QStringLiteral("minus"),
                              QStringLiteral("Eine Portion weniger"), 16);
    plus = ui::pictureButton(this, QStringLiteral("plus"), QStringLiteral("plus"), QStringLiteral("Eine Portion mehr"), 16);
    mehr = ui::pictureButton(this, QStringLiteral("mehr"), QStringLiteral("servings"),
                             QStringLiteral("Anzahl der Portionen eingeben"), 20);

    neu = new db::DataControl(this);
    neu->setObjectName(QStringLiteral("neu"));
    neu->setRecordSource(QStringLiteral("editzutat"));
    neu->setRecordsetType(db::RecordsetType::Table);
    neugrid = new LineGrid(this);
    neugrid->setObjectName(QStringLiteral("neugrid"));
    m_lines = new db::RecordsetTableModel(neu, this);
    m_lines->setColumns({QStringLiteral("nr"), QStringLiteral("men"), QStringLiteral("ename"), QStringLiteral("zut")},
                        {QStringLiteral("Nr"), QStringLiteral("Menge"), QStringLiteral("Einheit"), QStringLiteral("Zutat")});
    m_lines->setEditable(true);
    m_lines->setAllowAddNew(true);
    m_lines->setAllowDelete(true);
    // However a line is begun (typed, clicked into, pasted), it is never stored without a
    // number: the save would take it for a heading.
    m_lines->onAddNew = [this](db::Recordset& added) {
        if (added.value(QStringLiteral("nr")).isNull()) added.setValue(QStringLiteral("nr"), nextLineNumber());
    };
    neugrid->setModel(m_lines);
    neugrid->setItemDelegate(new ui::MoveOnDelegate(neugrid));
    neugrid->setSelectionBehavior(QAbstractItemView::SelectItems);
    neugrid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    neugrid->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                             QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    neugrid->setTabKeyNavigation(true);
    neugrid->setAlternatingRowColors(true);
    neugrid->setWordWrap(false);
    neugrid->setMouseTracking(true);
    neugrid->verticalHeader()->hide();
    neugrid->verticalHeader()->setDefaultSectionSize(neugrid->fontMetrics().height() + 8);
    neugrid->horizontalHeader()->setHighlightSections(false);
    neugrid->horizontalHeader()->setSectionsClickable(false);
    // The columns exist once the work table is open; their widths are set each time it is.
    connect(m_lines, &QAbstractItemModel::modelReset, neugrid, [this] {
        QHeaderView* header = neugrid->horizontalHeader();
        if (header->count() <= ColZutat) return;
        const QFontMetrics fm(neugrid->font());
        const auto fixed = [&](int column, const QString& widest) {
            header->setSectionResizeMode(column, QHeaderView::Interactive);
            header->resizeSection(column, fm.horizontalAdvance(widest) + 2 * fm.averageCharWidth() + 8);
        };
        fixed(ColNr, QStringLiteral("999"));
        fixed(ColMenge, QStringLiteral("49 15/16"));
        fixed(ColEinheit, QStringLiteral("1/100 gr"));
        header->setSectionResizeMode(ColZutat, QHeaderView::Stretch);
    });
    neugrid->setEnabled(false);

    Label1 = new QLabel(QStringLiteral("Tip : Menge unabhängig von der Portionenzahl : x als Einheit eingeben"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(ui::narrowFont(9));

    zubt = ui::caption(this, QStringLiteral("zubt"), QStringLiteral("Z u b e r e i t u n g :"));
    zub = ui::textArea(this, QStringLiteral("zub"));
    stichlabel = ui::caption(this, QStringLiteral("stichlabel"), QStringLiteral("S t i c h w o r t e :"));
    stich = new QLineEdit(this);
    stich->setObjectName(QStringLiteral("stich"));

    saveedit = ui::pictureButton(this, QStringLiteral("saveedit"), QStringLiteral("save"),
                                 QStringLiteral("Rezept speichern"), 28);
    kreuz = ui::pictureButton(this, QStringLiteral("kreuz"), QStringLiteral("close"),
                              QStringLiteral("Schließen ohne zu speichern"), 28);

    auto* head = new QGridLayout;
    head->setHorizontalSpacing(8);
    head->addWidget(lebel, 0, 0);
    head->addWidget(reznam, 0, 1, 1, 5);
    head->addWidget(ger, 1, 0);
    head->addWidget(katgrid, 1, 1);
    head->setColumnStretch(1, 1);
    head->addWidget(zpers, 1, 2);
    head->addWidget(minus, 1, 3);
    head->addWidget(port, 1, 4);
    auto* servingsButtons = new QHBoxLayout;
    servingsButtons->setSpacing(2);
    servingsButtons->addWidget(plus);
    servingsButtons->addWidget(mehr);
    head->addLayout(servingsButtons, 1, 5);

    auto* keywords = new QHBoxLayout;
    keywords->addWidget(stichlabel);
    keywords->addWidget(stich, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Label1, 1);
    buttons->addWidget(kreuz);
    buttons->addWidget(saveedit);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->setSpacing(6);
    layout->addLayout(head);
    layout->addWidget(neugrid, 3);
    layout->addWidget(zubt);
    layout->addWidget(zub, 2);
    layout->addLayout(keywords);
    layout->addLayout(buttons);
    resize(720, 640);
}

void NeuRezept::wireEvents()
{
    auto handler = ui::guardedHandlers(this);
    connect(plus, &QToolButton::clicked, this, handler("PLUS_CLICK : ", &NeuRezept::plus_Click));
    connect(minus, &QToolButton::clicked, this, handler("MINUS_CLICK : ", &NeuRezept::minus_Click));
    connect(mehr, &QToolButton::clicked, this, handler("MEHR_CLICK : ", &NeuRezept::mehr_Click));
    connect(saveedit, &QToolButton::clicked, this, handler("SAVEEDIT_CLICK : ", &NeuRezept::saveedit_Click));
    connect(kreuz, &QToolButton::clicked, this, handler("KREUZ_CLICK : ", &NeuRezept::kreuz_Click));
    ui::onGotFocus(neugrid, handler("NEUGRID_GOTFOCUS : ", &NeuRezept::neugrid_GotFocus));
    ui::onMouseMove(neugrid, handler("NEUGRID_MOUSEMOVE : ", &NeuRezept::neugrid_MouseMove));
    ui::onMouseDown(neugrid, [this](int, int) { neugrid_MouseDown(); });
    ui::onDblClick(neugrid, handler("NEUGRID_DBLCLICK : ", &NeuRezept::neugrid_DblClick));
    connect(neugrid, &QAbstractItemView::pressed, this, [this](const QModelIndex& index) {
        ui::guarded(QStringLiteral("NEUGRID_MOUSEDOWN : "), [&] { neugrid_Pressed(index); });
    });
    ui::onKeyDown(neugrid, [this](int& keyCode, int shift) {
        ui::guarded(QStringLiteral("NEUGRID_KEYDOWN : "), [&] { neugrid_KeyDown(keyCode, shift); });
    });
    connect(neugrid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current, const QModelIndex& previous) {
                if (m_moving) return;
                ui::guarded(QStringLiteral("NEUGRID_ROWCOLCHANGE : "), [&] { neugrid_RowColChange(current, previous); });
            });
    connect(m_lines, &db::RecordsetTableModel::editFailed, this,
            [](int number, const QString& text) { ui::errorbox(QStringLiteral("NEUGRID : "), number, text); });
    // The caption names the servings as they are typed; the box shows the whole number
    // once it is left, as after the buttons.
    connect(port, &QLineEdit::textEdited, this, [this] { showServings(); });
    connect(port, &QLineEdit::editingFinished, this, handler("PORT_LOSTFOCUS : ", &NeuRezept::ubport));
}

void NeuRezept::bindData()
{
    const QString file = cookbook().name();
    neu->setDatabaseName(file);
    kat->setDatabaseName(file);
    m_boundFile = file;
    if (Einheiten* units = unitsWindow()) units->fill(cookbook());
}

void NeuRezept::releaseData()
{
    neu->release();
    kat->release();
    m_boundFile.clear();
}

void NeuRezept::ubport()
{
    // The box shows the whole number the caption names, as the main window's does.
    const Servings s = readServings(port->text());
    if (s.check == ServingsCheck::Ok) port->setText(QString::number(s.value));
    showServings();
}

void NeuRezept::showServings()
{
    zpers->setText(QStringLiteral("Z u t a t e n   f ü r   ") + port->text() + QStringLiteral("   P o r t i o n e n :"));
}

void NeuRezept::emptyWorkTable()
{
    cookbook().execute(QStringLiteral("delete from editzutat"));
    m_stored.clear();
    m_numberedOnFocus = -1;
}

void NeuRezept::prepareNew(const QString& servings)
{
    setWindowTitle(QStringLiteral("  N e u e s   R e z e p t"));
    QPalette p = reznam->palette();
    p.setColor(QPalette::Text, Qt::black);
    p.setColor(QPalette::Base, Qt::white);
    reznam->setPalette(p);
    emptyWorkTable();
    rezid->setText(QStringLiteral("0"));
    port->setText(servings);
    ubport();
    zub->clear();
    // The category of the last new recipe stays chosen.
    m_kid.clear();
}

void NeuRezept::prepareEdit(const EditRecipe& recipe)
{
    setWindowTitle(QStringLiteral("  Ä n d e r n  :  ") + recipe.name);
    QPalette p = reznam->palette();
    p.setColor(QPalette::Text, Qt::white);
    p.setColor(QPalette::Base, Qt::black);
    reznam->setPalette(p);
    db::Database& db = cookbook();
    {
        db::Transaction tx(db);
        emptyWorkTable();
        db::Statement add(db, QStringLiteral("insert into editzutat (nr,men,ename,zut) values (?,?,?,?)"));
        for (const EditLine& line : recipe.lines) {
            add.bind(1, line.nr);
            add.bind(2, line.men);
            add.bind(3, line.ename);
            add.bind(4, line.zut);
            add.step();
            add.reset();
            if (line.stored) m_stored.insert(db.lastInsertId(), *line.stored);
        }
        tx.commit();
    }
    reznam->setText(recipe.name);
    reznam->setCursorPosition(0);
    zub->setPlainText(recipe.zub);
    stich->setText(recipe.stich);
    rezid->setText(QString::number(recipe.rid));
    port->setText(recipe.servings);
    ubport();
    m_kid = recipe.kid;
}

void NeuRezept::reloadnew()
{
    // A cookbook opened since the last time: the data controls and the units list follow it.
    if (m_boundFile != cookbook().name()) bindData();
    neugrid->setEnabled(true);
    neu->refresh();
    kat->refresh();
    // An edited recipe shows its own category; a new one keeps the last choice.
    if (!m_kid.isEmpty()) katgrid->setCurrentIndex(m_categories->rowOfBoundValue(m_kid.toLongLong()));
    if (Einheiten* units = unitsWindow()) units->bringBack(this);
    raise();
    activateWindow();
    reznam->setFocus();
}

void NeuRezept::plus_Click()
{
    const Servings s = readServings(port->text());
    if (s.check != ServingsCheck::Ok || s.value >= kMaxServings) return;
    port->setText(QString::number(s.value + 1));
    ubport();
}

void NeuRezept::minus_Click()
{
    const Servings s = readServings(port->text());
    if (s.check != ServingsCheck::Ok || s.value <= 1) return;
    port->setText(QString::number(s.value - 1));
    ubport();
}

void NeuRezept::mehr_Click()
{
    auto* dialog = ui::WindowRegistry::instance<NeuPortion>(QStringLiteral("neu_portion"));
    dialog->setTarget(portionTarget(port, [this] {
        if (isVisible()) ubport();
    }));
    // Beside the editor, not over it: the dialog is modeless here.
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

QVariant NeuRezept::cell(int row, int column) const
{
    return m_lines->index(row, column).data(Qt::EditRole);
}

void NeuRezept::setCell(int row, int column, const QVariant& value)
{
    m_lines->setData(m_lines->index(row, column), value, Qt::EditRole);
}

void NeuRezept::goToCell(int row, int column)
{
    QScopedValueRollback<bool> moving(m_moving, true);
    const QModelIndex index = m_lines->index(row, column);
    neugrid->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    neugrid->scrollTo(index);
}

void NeuRezept::neugrid_GotFocus()
{
    if (cookbook().scalar(QStringLiteral("select count(*) from editzutat")).toLongLong() > 0) return;
    // The first line gets its number, and the cursor waits in "Menge".
    setCell(0, ColNr, 1);
    goToCell(0, ColMenge);
    m_numberedOnFocus = 0;
}

void NeuRezept::neugrid_MouseMove()
{
    if (QApplication::focusWidget() != neugrid) neugrid->setFocus(Qt::MouseFocusReason);
}

void NeuRezept::neugrid_KeyDown(int& keyCode, int shift)
{
    Q_UNUSED(shift);
    m_numberedOnFocus = -1;
    if (keyCode == ui::KeyEnter) {
        // A cell left with Enter is finished, and the next one follows.
        keyCode = 0;
        const QModelIndex at = neugrid->currentIndex();
        if (!at.isValid()) return;
        const int next = at.column() + 1;
        if (next < m_lines->columnCount())
            neugrid->setCurrentIndex(m_lines->index(at.row(), next));
        else if (at.row() + 1 < m_lines->rowCount())
            neugrid->setCurrentIndex(m_lines->index(at.row() + 1, ColNr));
        return;
    }
    if (keyCode != ui::KeyDelete) return;
    keyCode = 0;
    QList<int> rows;
    for (const QModelIndex& index : neugrid->selectionModel()->selectedIndexes())
        if (!rows.contains(index.row()) && !m_lines->isNewRow(index.row())) rows << index.row();
    if (rows.isEmpty() && neugrid->currentIndex().isValid() && !m_lines->isNewRow(neugrid->currentIndex().row()))
        rows << neugrid->currentIndex().row();
    std::sort(rows.begin(), rows.end(), std::greater<>());
    for (int row : rows) m_lines->removeRows(row, 1);
}

qint64 NeuRezept::nextLineNumber()
{
    const QVariant last = cookbook().scalar(QStringLiteral("select nr from editzutat order by rowid desc limit 1"));
    return last.isValid() ? last.toLongLong() + 1 : 1;
}

bool NeuRezept::numberNewLine(int row)
{
    if (!m_lines->isNewRow(row) || !cell(row, ColNr).toString().isEmpty()) return false;
    setCell(row, ColNr, nextLineNumber());
    return true;
}

void NeuRezept::neugrid_RowColChange(const QModelIndex& current, const QModelIndex& previous)
{
    if (!current.isValid()) return;
    // Also a line begun with the mouse while the grid had no cell marked: the number shows
    // at once, as for one begun with the keys.
    if (numberNewLine(current.row()) && current.column() == ColNr) {
        m_begunByPress = current.row();
        moveOnToMenge(current.row());
    }
    if (previous.isValid() && previous.column() == ColEinheit && previous.row() < m_lines->rowCount() &&
        !m_lines->isNewRow(previous.row()))
        checkUnit(previous.row());
}

void NeuRezept::moveOnToMenge(int row)
{
    // Once the grid has finished its own move, which opens the number for typing.
    QMetaObject::invokeMethod(
        this,
        [this, row] {
            static_cast<LineGrid*>(neugrid)->dropEditing();
            goToCell(row, ColMenge);
            neugrid->edit(neugrid->currentIndex());
        },
        Qt::QueuedConnection);
}

void NeuRezept::neugrid_MouseDown()
{
    m_begunByPress = -1;
}

void NeuRezept::neugrid_Pressed(const QModelIndex& index)
{
    // A new recipe's first line got its number when the grid took the focus, which the
    // hand passing over it gives: the first click into that "Nr" begins the line as a
    // click begins the empty row under lines.
    const int row = std::exchange(m_numberedOnFocus, -1);
    if (index.row() != row || index.column() != ColNr) return;
    for (int column = ColMenge; column <= ColZutat; ++column)
        if (!cell(row, column).toString().isEmpty()) return;
    m_begunByPress = row;
    moveOnToMenge(row);
}

void NeuRezept::neugrid_DblClick()
{
    // The first click of this double click began the line in "Nr" and sent the cursor on;
    // the grid is about to open the number for typing all the same. The line goes on as
    // after a single click.
    if (m_begunByPress >= 0) moveOnToMenge(std::exchange(m_begunByPress, -1));
}

void NeuRezept::checkUnit(int row)
{
    const QString text = cell(row, ColEinheit).toString();
    if (text.isEmpty()) return;
    const UnitCheck check = checkUnitText(cookbook(), text);
    switch (check.verdict) {
    case UnitVerdict::AsTyped:
        return;
    case UnitVerdict::Replaced:
        setCell(row, ColEinheit, check.ename);
        return;
    case UnitVerdict::NoUnit:
        setCell(row, ColEinheit, QVariant());
        return;
    case UnitVerdict::Unknown:
        break;
    }
    ui::msgbox(unknownUnitMessage(text), ui::Information | ui::OkOnly, QStringLiteral(" "));
    setCell(row, ColEinheit, QString());
    // Back into "Einheit" once the grid has finished its own move to the next cell. The
    // keys go where the cell is marked, and the units list the message names is in sight.
    QMetaObject::invokeMethod(
        this,
        [this, row] {
            static_cast<LineGrid*>(neugrid)->dropEditing();
            goToCell(row, ColEinheit);
            if (!isVisible()) return;
            if (Einheiten* units = unitsWindow()) units->bringBack(this);
            activateWindow();
            neugrid->setFocus(Qt::OtherFocusReason);
            neugrid->edit(neugrid->currentIndex());
        },
        Qt::QueuedConnection);
}

void NeuRezept::takeUnit(const QString& ename)
{
    // What is open in a cell is stored first; the unit then takes its place in "Einheit".
    static_cast<LineGrid*>(neugrid)->finishEditing();
    QModelIndex at = neugrid->currentIndex();
    if (!at.isValid()) at = m_lines->index(m_lines->rowCount() - 1, ColEinheit);
    const int row = at.row();
    if (m_lines->isNewRow(row)) numberNewLine(row);
    setCell(row, ColEinheit, ename);
    activateWindow();
    neugrid->setFocus();
    {
        QScopedValueRollback<bool> moving(m_moving, true);
        neugrid->setCurrentIndex(m_lines->index(row, ColZutat));
    }
    // Leaving "Einheit" this way runs the unit check, as leaving it with a key does.
    checkUnit(row);
}

std::vector<EditLine> NeuRezept::workLines()
{
    std::vector<EditLine> lines;
    db::Statement st(cookbook(), QStringLiteral("select rowid,nr,men,ename,zut from editzutat order by rowid"));
    while (st.step()) {
        EditLine line{st.value(1), st.value(2), st.value(3), st.value(4), {}};
        if (auto found = m_stored.constFind(st.int64(0)); found != m_stored.cend()) line.stored = *found;
        lines.push_back(std::move(line));
    }
    return lines;
}

void NeuRezept::saveedit_Click()
{
    if (!cookbookWritable()) return;
    static_cast<LineGrid*>(neugrid)->finishEditing();
    if (cookbook().scalar(QStringLiteral("select count(*) from editzutat")).toLongLong() == 0) {
        ui::msgbox(QStringLiteral("Sie müssen mindestens eine Zutatenzeile eingeben."), ui::OkOnly, QStringLiteral(" "));
        return;
    }
    EditRecipe recipe;
    recipe.rid = rezid->text().toLongLong();
    recipe.name = reznam->text();
    recipe.servings = port->text();
    recipe.kid = katgrid->currentIndex() < 0 ? QString()
                                             : m_categories->boundValue(katgrid->currentIndex()).toString();
    recipe.zub = zub->toPlainText();
    recipe.stich = stich->text();
    recipe.lines = workLines();
    if (const std::optional<QString> refusal = saveRefusal(cookbook(), recipe)) {
        ui::msgbox(*refusal, ui::Exclamation | ui::OkOnly, QStringLiteral(" "));
        // The name typed next goes where it is asked for, not into the control that had the
        // focus (blanks typed on "−" would lower the servings).
        if (recipe.name.trimmed().isEmpty()) {
            activateWindow();
            reznam->setFocus(Qt::OtherFocusReason);
        }
        return;
    }
    qint64 rid = 0;
    try {
        // The emptied work table goes to the disk with the recipe: one commit, not two.
        db::Transaction tx(cookbook());
        rid = saverezept(cookbook(), recipe);
        cookbook().execute(QStringLiteral("delete from editzutat"));
        tx.commit();
    } catch (const RecipeGone& gone) {
        // Nothing was stored; the editor keeps all it holds, to be copied from.
        ui::msgbox(recipeGoneMessage(), ui::Exclamation | ui::OkOnly, QStringLiteral(" "));
        if (m_gone) m_gone(gone.rid());
        return;
    } catch (const db::DbError& e) {
        // Nothing was stored; the editor keeps all it holds.
        ui::msgbox(QStringLiteral("Das Rezept wurde nicht gespeichert.") + linebreak + e.text(), ui::Critical | ui::OkOnly,
                   QStringLiteral(" F E H L E R"));
        return;
    }
    m_stored.clear();
    neu->refresh();
    zub->clear();
    stich->clear();
    reznam->clear();
    const bool edited = recipe.rid != 0;
    if (edited) {
        hide();
        if (Einheiten* units = unitsWindow()) units->hide();
    }
    if (m_saved) m_saved(rid, !edited);
}

void NeuRezept::kreuz_Click()
{
    emptyWorkTable();
    neu->refresh();
    neugrid->setEnabled(false);
    zub->clear();
    stich->clear();
    reznam->clear();
    hide();
    if (Einheiten* units = unitsWindow()) units->hide();
}

void NeuRezept::closeEvent(QCloseEvent* event)
{
    // The close box is the cross; the editor is hidden, never unloaded before shut-down.
    if (event->spontaneous()) {
        event->ignore();
        ui::guarded(QStringLiteral("KREUZ_CLICK : "), [this] { kreuz_Click(); });
        return;
    }
    releaseData();
    QWidget::closeEvent(event);
}

}  // namespace kv
