#include "search/stichwortsuche_window.h"

#include "core/mainmod.h"
#include "platform/db/datacontrol.h"
#include "platform/db/datamodels.h"
#include "platform/ui/closinghooks.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/events.h"
#include "platform/ui/look.h"
#include "search/stichworte.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace kv {

namespace {

const QString kName = QStringLiteral("stichwortsuche");
const QString kAnzeigen = QStringLiteral("Anzeigen : Doppelklick");
const QString kNeu = QStringLiteral("Neues Stichwort : Doppelklick");
const QString kApostroph = QStringLiteral("Sie dürfen - leider - das ' nicht verwenden:");

// The main window was laid out at 12 twips a pixel; this window follows it.
constexpr int kTwipsPerPixel = 12;
constexpr int kIconSize = 16;

qint64 sidOf(const QTreeWidgetItem* node)
{
    return node->data(0, Stichwortsuche::KeyRole).toString().mid(1).toLongLong();
}

QString keyOf(qint64 sid)
{
    return u'n' + QString::number(sid);
}

int shiftOf(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

// ImageList1: none, the current keyword, the plain image, a keyword with recipes.
std::array<QIcon, 4> drawImages()
{
    const auto draw = [](const std::function<void(QPainter&)>& paint) {
        QPixmap pixmap(kIconSize * 2, kIconSize * 2);
        pixmap.setDevicePixelRatio(2);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        if (paint) paint(p);
        p.end();
        return QIcon(pixmap);
    };
    const auto tag = [](QPainter& p, const QColor& fill) {
        QPainterPath path;
        path.moveTo(2, 3);
        path.lineTo(8, 3);
        path.lineTo(14, 9);
        path.lineTo(9, 14);
        path.lineTo(2, 7.5);
        path.closeSubpath();
        p.setPen(QPen(ui::kInk, 1.2));
        p.setBrush(fill);
        p.drawPath(path);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(5, 6), 1.2, 1.2);
    };
    return {draw({}), draw([&](QPainter& p) { tag(p, ui::kAccent); }),
            draw([](QPainter& p) {
                p.setPen(QPen(QColor(0x80, 0x80, 0x80), 1.2));
                p.setBrush(Qt::NoBrush);
                p.drawEllipse(QPointF(8, 8), 3.5, 3.5);
            }),
            draw([&](QPainter& p) { tag(p, ui::kWarm); })};
}

// A label edit asks the window before it opens and hands the typed text over only
// once the editor is closed, so a message about the text never runs inside the editor's
// own commit.
class LabelDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    std::function<bool(const QModelIndex&)> opening;
    std::function<void(const QString&)> typed;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override
    {
        if (opening && !opening(index)) return nullptr;
        return QStyledItemDelegate::createEditor(parent, option, index);
    }

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex&) const override
    {
        if (auto* line = qobject_cast<QLineEdit*>(editor); line && typed) typed(line->text());
    }
};

// A keyword's node sorts among its siblings as a build orders them, so a keyword added,
// renamed or moved takes its place at once.
class KeywordItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;

    bool operator<(const QTreeWidgetItem& other) const override
    {
        return keywordBefore(text(0), sidOf(this), other.text(0), sidOf(&other));
    }
};

void sortSiblings(QTreeWidgetItem* node)
{
    if (QTreeWidgetItem* parent = node->parent()) parent->sortChildren(0, Qt::AscendingOrder);
}

}  // namespace

// The tree control: label edits and drags go to the window's handlers; the tree never
// moves or removes its own items on a drop.
class StichTree : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;

    std::function<bool(QTreeWidgetItem*)> dragStarting;
    std::function<bool(QTreeWidgetItem*)> draggedOver;
    std::function<void(QTreeWidgetItem*, int)> dropped;
    std::function<void(bool committed, const QString& text)> editClosed;
    // What the editor held when it was committed; handed over when it closes.
    QString typedText;

private:
    bool m_committed = false;

protected:
    void startDrag(Qt::DropActions) override
    {
        QTreeWidgetItem* dragged = currentItem();
        if (!dragged || !dragStarting || !dragStarting(dragged)) return;
        auto* drag = new QDrag(this);
        drag->setMimeData(mimeData({dragged}));
        drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
    }

    void dragEnterEvent(QDragEnterEvent* event) override
    {
        if (event->source() == this)
            event->acceptProposedAction();
        else
            event->ignore();
    }

    void dragMoveEvent(QDragMoveEvent* event) override
    {
        QTreeWidget::dragMoveEvent(event);
        QTreeWidgetItem* over = itemAt(event->position().toPoint());
        if (event->source() == this && draggedOver && draggedOver(over))
            event->acceptProposedAction();
        else
            event->ignore();
    }

    void dropEvent(QDropEvent* event) override
    {
        stopAutoScroll();
        setState(NoState);
        viewport()->update();
        QTreeWidgetItem* target = itemAt(event->position().toPoint());
        // Nothing for the drag to undo at its source: the window has moved the node itself.
        event->setDropAction(Qt::IgnoreAction);
        event->accept();
        if (event->source() == this && dropped) dropped(target, shiftOf(event->modifiers()));
    }

    void commitData(QWidget* editor) override
    {
        m_committed = true;
        QTreeWidget::commitData(editor);
    }

    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override
    {
        QTreeWidget::closeEditor(editor, hint);
        const bool committed = std::exchange(m_committed, false);
        const QString text = std::exchange(typedText, QString());
        if (editClosed) editClosed(committed, text);
    }
};

int Stichwortsuche::browseWidth()
{
    return 3144 / kTwipsPerPixel;
}

int Stichwortsuche::organizeWidth()
{
    return 7464 / kTwipsPerPixel;
}

Stichwortsuche::Stichwortsuche(QWidget* parent)
    : ui::Dialog(parent)
{
    setObjectName(kName);
    ImageList1 = drawImages();
    buildControls();
    wireEvents();
    resetWindow();
    // The tree and the lists hold rows of the cookbook: a switch or a compaction drops
    // them, and the next show builds the tree of the cookbook then open.
    ui::onCookbookClosing(this, [this] {
        hide();
        resetWindow();
    });
}

Stichwortsuche::~Stichwortsuche() = default;

void Stichwortsuche::buildControls()
{
    setWindowTitle(QStringLiteral(" "));
    ui::setDarkDialogLook(this);

    titel = ui::caption(this, QStringLiteral("titel"), QStringLiteral("S t i c h w o r t e"), 12);

    stich = new StichTree(this);
    stich->setObjectName(QStringLiteral("stich"));
    stich->setHeaderHidden(true);
    stich->setColumnCount(1);
    stich->setIconSize(QSize(kIconSize, kIconSize));
    stich->setUniformRowHeights(true);
    stich->setSelectionMode(QAbstractItemView::SingleSelection);
    stich->setAcceptDrops(true);
    stich->setDropIndicatorShown(true);
    stich->setDragDropMode(QAbstractItemView::DragDrop);
    stich->setDragEnabled(false);
    auto* labels = new LabelDelegate(stich);
    labels->opening = [this](const QModelIndex& index) {
        bool cancel = false;
        stich_BeforeLabelEdit(stich->itemFromIndex(index), cancel);
        return !cancel;
    };
    labels->typed = [this](const QString& text) { stich->typedText = text; };
    stich->setItemDelegate(labels);

    sganz = ui::caption(this, QStringLiteral("sganz"), QStringLiteral("Ganzer Pfad"), 10);
    swort = ui::caption(this, QStringLiteral("swort"), QStringLiteral("Nur gewähltes"), 10);
    anzlabel = ui::caption(this, QStringLiteral("anzlabel"), kAnzeigen, 9, false);
    organ = ui::pictureButton(this, QStringLiteral("organ"), QStringLiteral("edit"),
                              QStringLiteral("Stichworte organisieren"));
    zurueck = ui::pictureButton(this, QStringLiteral("zurück"), QStringLiteral("keywords"),
                                QStringLiteral("Organisieren beenden"));
    kreuz = ui::pictureButton(this, QStringLiteral("kreuz"), QStringLiteral("close"), QStringLiteral("Schließen"));

    m_organize = new QWidget(this);
    m_organize->setObjectName(QStringLiteral("organisieren"));
    orglabel = ui::caption(m_organize, QStringLiteral("orglabel"), QStringLiteral("o r g a n i s i e r e n"), 12);
    filterlabel = ui::caption(m_organize, QStringLiteral("filterlabel"), QStringLiteral("Filter :"), 10);
    filter = new QLineEdit(m_organize);
    filter->setObjectName(QStringLiteral("filter"));
    list = new db::DataControl(this);
    list->setObjectName(QStringLiteral("list"));
    list->setRecordSource(freeKeywordsSource());
    listgrid = new QListView(m_organize);
    listgrid->setObjectName(QStringLiteral("listgrid"));
    listgrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listgrid->setUniformItemSizes(true);
    m_listModel = new db::RecordsetListModel(list, QStringLiteral("stichwort"), QStringLiteral("sid"), this);
    listgrid->setModel(m_listModel);
    listhint = ui::caption(m_organize, QStringLiteral("listhint"), QStringLiteral("Doppelklick : in Hierarchie einfügen"),
                           9, false);
    aliashint = ui::caption(m_organize, QStringLiteral("aliashint"), QStringLiteral("Leertaste : als Alias"), 9, false);
    aliaslabel = ui::caption(m_organize, QStringLiteral("aliaslabel"), QStringLiteral("Als Alias gelten :"), 10);
    alias = new db::DataControl(this);
    alias->setObjectName(QStringLiteral("alias"));
    aliasgrid = new QListView(m_organize);
    aliasgrid->setObjectName(QStringLiteral("aliasgrid"));
    aliasgrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_aliasModel = new db::RecordsetListModel(alias, QStringLiteral("istich"), QStringLiteral("sid"), this);
    aliasgrid->setModel(m_aliasModel);

    // The dark ground's white text is the labels'; the tree's branch arrows and the lists
    // keep the ink they have on their white ground.
    for (QWidget* onWhite : std::initializer_list<QWidget*>{stich, filter, listgrid, aliasgrid}) {
        QPalette p = onWhite->palette();
        p.setColor(QPalette::WindowText, QApplication::palette().color(QPalette::WindowText));
        onWhite->setPalette(p);
    }

    auto* choices = new QHBoxLayout;
    choices->addWidget(sganz);
    choices->addStretch();
    choices->addWidget(swort);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(organ);
    buttons->addWidget(zurueck);
    buttons->addStretch();
    buttons->addWidget(kreuz);

    auto* tree = new QWidget(this);
    tree->setFixedWidth(browseWidth() - 12);
    auto* left = new QVBoxLayout(tree);
    left->setContentsMargins(0, 0, 0, 0);
    left->addWidget(titel);
    left->addWidget(stich, 1);
    left->addLayout(choices);
    left->addWidget(anzlabel);
    left->addLayout(buttons);

    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(filterlabel);
    filterRow->addWidget(filter, 1);
    auto* right = new QVBoxLayout(m_organize);
    right->setContentsMargins(0, 0, 0, 0);
    right->addWidget(orglabel);
    right->addLayout(filterRow);
    right->addWidget(listgrid, 3);
    right->addWidget(listhint);
    right->addWidget(aliashint);
    right->addSpacing(6);
    right->addWidget(aliaslabel);
    right->addWidget(aliasgrid, 2);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 8, 6, 8);
    layout->setSpacing(12);
    layout->addWidget(tree);
    layout->addWidget(m_organize, 1);
    resize(browseWidth(), 480);
}

void Stichwortsuche::wireEvents()
{
    const auto handler = ui::guardedHandlers(this);
    const auto keys = [this](const char* tag, void (Stichwortsuche::*fn)(int&, int)) {
        return [this, tag, fn](int& keyCode, int shift) {
            ui::guarded(QString::fromUtf8(tag), [&] { (this->*fn)(keyCode, shift); });
        };
    };
    connect(kreuz, &QToolButton::clicked, this, handler("KREUZ_CLICK : ", &Stichwortsuche::kreuz_Click));
    connect(organ, &QToolButton::clicked, this, handler("ORGAN_CLICK : ", &Stichwortsuche::organ_Click));
    connect(zurueck, &QToolButton::clicked, this, handler("ZURÜCK_CLICK : ", &Stichwortsuche::zurueck_Click));
    ui::onClick(sganz, handler("SGANZ_CLICK : ", &Stichwortsuche::sganz_Click));
    ui::onClick(swort, handler("SWORT_CLICK : ", &Stichwortsuche::swort_Click));
    connect(stich, &QTreeWidget::itemDoubleClicked, this, handler("STICH_DBLCLICK : ", &Stichwortsuche::stich_DblClick));
    connect(stich, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* node) {
        ui::guarded(QStringLiteral("STICH_NODECLICK : "), [&] { stich_NodeClick(node); });
    });
    ui::onKeyDown(stich, keys("STICH_KEYDOWN : ", &Stichwortsuche::stich_KeyDown));
    ui::onChange(filter, handler("FILTER_CHANGE : ", &Stichwortsuche::filter_Change));
    connect(listgrid, &QListView::doubleClicked, this, handler("LISTGRID_DBLCLICK : ", &Stichwortsuche::listgrid_DblClick));
    ui::onKeyDown(listgrid, keys("LISTGRID_KEYDOWN : ", &Stichwortsuche::listgrid_KeyDown));
    ui::onKeyDown(aliasgrid, keys("ALIASGRID_KEYDOWN : ", &Stichwortsuche::aliasgrid_KeyDown));

    stich->dragStarting = [this](QTreeWidgetItem* node) { return stich_OLEStartDrag(node); };
    stich->draggedOver = [this](QTreeWidgetItem* node) { return stich_OLEDragOver(node); };
    stich->dropped = [this](QTreeWidgetItem* target, int shift) {
        ui::guarded(QStringLiteral("STICH_OLEDRAGDROP : "), [&] { stich_OLEDragDrop(target, shift); });
    };
    stich->editClosed = [this](bool committed, const QString& text) {
        ui::guarded(QStringLiteral("STICH_AFTERLABELEDIT : "), [&] { editEnded(committed, text); });
    };
}

void Stichwortsuche::setVisible(bool visible)
{
    // Built at the first show, and again at the first show after a cookbook closing.
    if (visible && !m_built) ui::guarded(QStringLiteral("FORM_LOAD : "), [this] { Form_Load(); });
    ui::Dialog::setVisible(visible);
    if (visible) Form_Activate();
}

void Stichwortsuche::resetWindow()
{
    m_editing = nullptr;
    m_dragged = nullptr;
    marknode = nullptr;
    markimage = 0;
    showmode = kGanzerPfad;
    editflag = false;
    m_nodes.clear();
    m_root = nullptr;
    stich->clear();
    releaseData();
    filter->blockSignals(true);
    filter->clear();
    filter->blockSignals(false);
    list->setRecordSource(freeKeywordsSource());
    ui::setOptionChosen(sganz, true);
    ui::setOptionChosen(swort, false);
    setOrganizing(false);
    m_built = false;
}

void Stichwortsuche::releaseData()
{
    list->release();
    alias->release();
}

void Stichwortsuche::Form_Load()
{
    resetWindow();
    db::Database& db = cookbook();
    // Freeing orphans writes; a cookbook that can only be read shows its tree as it is.
    if (!db.readOnly()) detachOrphans(db);
    list->setDatabaseName(db.name());
    alias->setDatabaseName(db.name());
    stich->setEditTriggers(db.readOnly() ? QAbstractItemView::EditKeyPressed
                                         : QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);

    // Built off screen and handed to the tree at once: thousands of nodes cost little then.
    auto* root = new QTreeWidgetItem(QStringList{QStringLiteral("Stichworte")});
    root->setData(0, KeyRole, keyOf(kStichRoot));
    root->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled);
    QHash<qint64, QTreeWidgetItem*> nodes;
    nodes.insert(kStichRoot, root);
    for (const KeywordNode& keyword : shownKeywords(db)) {
        auto* node = new KeywordItem(nodes.value(keyword.parent), QStringList{keyword.text});
        node->setData(0, KeyRole, keyOf(keyword.sid));
        node->setFlags(node->flags() | Qt::ItemIsEditable);
        node->setData(0, ImageRole, keyword.withRecipes ? 3 : 0);
        node->setIcon(0, ImageList1[keyword.withRecipes ? 3 : 0]);
        nodes.insert(keyword.sid, node);
    }
    root->setData(0, ImageRole, 0);
    root->setIcon(0, ImageList1[0]);
    stich->addTopLevelItem(root);
    nodes.remove(kStichRoot);
    m_nodes = std::move(nodes);
    m_root = root;
    if (root->childCount() > 0) {
        root->setExpanded(true);
        stich->scrollToItem(root->child(0));
    }
    m_built = true;
}

void Stichwortsuche::Form_Activate()
{
    // The main window's button pushes a wait pointer on every click; it is taken back
    // here, once per show: an activation comes neither with every show (a second click
    // on the active window) nor with a build that failed.
    if (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

void Stichwortsuche::resizeEvent(QResizeEvent* event)
{
    ui::Dialog::resizeEvent(event);
    Form_Resize();
}

void Stichwortsuche::Form_Resize()
{
    setWindowTitle(QStringLiteral(" "));
}

void Stichwortsuche::closeEvent(QCloseEvent* event)
{
    ui::Dialog::closeEvent(event);
    if (event->isAccepted() && leaving()) Form_Unload();
}

void Stichwortsuche::Form_Unload()
{
    m_editing = nullptr;
    m_dragged = nullptr;
    marknode = nullptr;
    releaseData();
}

void Stichwortsuche::kreuz_Click()
{
    hide();
}

int Stichwortsuche::imageOf(const QTreeWidgetItem* node) const
{
    return node->data(0, ImageRole).toInt();
}

void Stichwortsuche::setImage(QTreeWidgetItem* node, int image)
{
    node->setData(0, ImageRole, image);
    node->setIcon(0, ImageList1[size_t(image)]);
}

void Stichwortsuche::markNode(QTreeWidgetItem* node)
{
    if (marknode) setImage(marknode, markimage);
    markimage = imageOf(node);
    setImage(node, 1);
    marknode = node;
}

QTreeWidgetItem* Stichwortsuche::addNode(QTreeWidgetItem* parent, qint64 sid, const QString& text)
{
    auto* node = new KeywordItem(QStringList{text});
    node->setData(0, KeyRole, keyOf(sid));
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    setImage(node, 0);
    parent->addChild(node);
    sortSiblings(node);
    m_nodes.insert(sid, node);
    return node;
}

void Stichwortsuche::removeNode(QTreeWidgetItem* node)
{
    std::vector<QTreeWidgetItem*> gone{node};
    for (size_t i = 0; i < gone.size(); ++i)
        for (int c = 0; c < gone[i]->childCount(); ++c) gone.push_back(gone[i]->child(c));
    for (QTreeWidgetItem* n : gone) {
        m_nodes.remove(sidOf(n));
        if (n == marknode) {
            marknode = nullptr;
            markimage = 0;
        }
        if (n == m_dragged) m_dragged = nullptr;
        if (n == m_editing) m_editing = nullptr;
    }
    delete node;
}

QTreeWidgetItem* Stichwortsuche::selectedKeyword() const
{
    QTreeWidgetItem* node = stich->currentItem();
    return node && node != m_root ? node : nullptr;
}

bool Stichwortsuche::isBelow(const QTreeWidgetItem* node, const QTreeWidgetItem* ancestor) const
{
    for (const QTreeWidgetItem* at = node; at; at = at->parent())
        if (at == ancestor) return true;
    return false;
}

bool Stichwortsuche::chosenRow(QListView* view, qint64& sid, QString& text) const
{
    const QModelIndex index = view->currentIndex();
    if (!index.isValid()) return false;
    const QVariant bound = index.data(db::RecordsetListModel::BoundRole);
    if (!bound.isValid()) return false;
    sid = bound.toLongLong();
    text = index.data().toString();
    return true;
}

void Stichwortsuche::refreshList()
{
    if (orgmode) list->refresh();
}

void Stichwortsuche::refreshAlias()
{
    if (aliasgrid->isEnabled() && !alias->recordSource().isEmpty()) alias->refresh();
}

void Stichwortsuche::setOrganizing(bool on)
{
    orgmode = on ? 1 : 0;
    setFixedWidth(on ? organizeWidth() : browseWidth());
    // Widened to the right, the lists must not end beyond the screen's edge.
    if (const QScreen* here = screen(); on && isVisible() && here) {
        const QRect area = here->availableGeometry();
        const QRect frame = frameGeometry();
        if (frame.right() > area.right()) {
            const QPoint shifted(std::max(area.left(), frame.left() - (frame.right() - area.right())), frame.top());
            move(shifted);
            m_shift = {frame.topLeft(), shifted};
        }
    }
    // Narrow again, the window goes back where it stood beside the recipe list: left where
    // the widening put it, it would hide the list's count, now and at every later show.
    // A window the user moved meanwhile stays where he put it.
    if (!on && m_shift) {
        if (frameGeometry().topLeft() == m_shift->second) move(m_shift->first);
        m_shift.reset();
    }
    m_organize->setVisible(on);
    organ->setVisible(!on);
    zurueck->setVisible(on);
    anzlabel->setText(on ? kNeu : kAnzeigen);
    stich->setDragEnabled(on);
}

void Stichwortsuche::stich_DblClick()
{
    QTreeWidgetItem* node = selectedKeyword();
    if (!node) return;
    // A repeated double click keeps the image the node had before it was marked.
    if (node != marknode) markNode(node);
    if (orgmode) {
        neustich();
        return;
    }
    showKeywordRecipes(sidOf(node), node->text(0), showmode);
}

void Stichwortsuche::sganz_Click()
{
    showmode = kGanzerPfad;
    ui::setOptionChosen(sganz, true);
    ui::setOptionChosen(swort, false);
}

void Stichwortsuche::swort_Click()
{
    showmode = kNurGewaehltes;
    ui::setOptionChosen(sganz, false);
    ui::setOptionChosen(swort, true);
}

void Stichwortsuche::organ_Click()
{
    setOrganizing(true);
    list->refresh();
    listgrid->setEnabled(true);
    aliasgrid->setEnabled(false);
}

void Stichwortsuche::zurueck_Click()
{
    setOrganizing(false);
    alias->release();
    list->release();
    aliasgrid->setEnabled(false);
}

void Stichwortsuche::filter_Change()
{
    list->setRecordSource(freeKeywordsSource(filter->text()));
    refreshList();
}

void Stichwortsuche::stich_NodeClick(QTreeWidgetItem* node)
{
    if (!orgmode || !node || node == m_root) return;
    aliasgrid->setEnabled(true);
    alias->setRecordSource(aliasesSource(sidOf(node)));
    alias->refresh();
    markNode(node);
}

void Stichwortsuche::listgrid_DblClick()
{
    QTreeWidgetItem* parent = selectedKeyword();
    qint64 sid = 0;
    QString text;
    if (!parent || !chosenRow(listgrid, sid, text)) return;
    if (!cookbookWritable()) return;
    if (!placeFreeKeyword(cookbook(), sidOf(parent), sid)) return;
    QTreeWidgetItem* node = addNode(parent, sid, text);
    // Placing has always left the images so: the old mark shows the plain image, and the
    // image saved for it is the one the new node gets back when the mark moves on.
    if (marknode) setImage(marknode, 2);
    stich->scrollToItem(node);
    stich->setCurrentItem(node);
    setImage(node, 1);
    marknode = node;
    refreshList();
    refreshAlias();
}

void Stichwortsuche::listgrid_KeyDown(int& keyCode, int)
{
    if (keyCode != ui::KeyDelete && keyCode != 32) return;
    const bool merge = keyCode == 32;
    keyCode = 0;
    qint64 sid = 0;
    QString text;
    if (!chosenRow(listgrid, sid, text)) return;
    QTreeWidgetItem* target = selectedKeyword();
    if (merge && !target) return;
    if (!cookbookWritable()) return;
    if (merge) {
        if (!mergeAsAlias(cookbook(), sid, sidOf(target))) return;
        refreshList();
        refreshAlias();
        return;
    }
    if (hideFreeKeyword(cookbook(), sid)) refreshList();
}

void Stichwortsuche::aliasgrid_KeyDown(int& keyCode, int)
{
    if (keyCode != ui::KeyDelete) return;
    qint64 sid = 0;
    QString text;
    if (!chosenRow(aliasgrid, sid, text)) return;
    if (!cookbookWritable()) return;
    if (!freeAlias(cookbook(), sid, text)) return;
    refreshAlias();
    refreshList();
}

void Stichwortsuche::neustich()
{
    QTreeWidgetItem* parent = selectedKeyword();
    if (!parent) return;
    if (!cookbookWritable()) return;
    const std::optional<qint64> added = addKeyword(cookbook(), sidOf(parent));
    if (!added) return;
    QTreeWidgetItem* node = addNode(parent, *added, kNeuesStichwort);
    stich->scrollToItem(node);
    stich->setCurrentItem(node);
    markNode(node);
    stich->editItem(node);
}

void Stichwortsuche::stich_BeforeLabelEdit(QTreeWidgetItem* node, bool& cancel)
{
    if (!node || node == m_root || !cookbookWritable()) {
        cancel = true;
        return;
    }
    editflag = true;
    m_editing = node;
}

void Stichwortsuche::editEnded(bool committed, const QString& text)
{
    QTreeWidgetItem* node = std::exchange(m_editing, nullptr);
    editflag = false;
    // Escape closes the editor without a commit: the stored text stays.
    if (!committed || !node) return;
    bool cancel = false;
    stich_AfterLabelEdit(node, cancel, text);
}

void Stichwortsuche::stich_AfterLabelEdit(QTreeWidgetItem* node, bool& cancel, const QString& newString)
{
    if (newString.contains(u'\'')) {
        ui::msgbox(kApostroph, ui::OkOnly, QStringLiteral("Kelvor"));
        cancel = true;
        return;
    }
    if (newString.trimmed().isEmpty() || newString == node->text(0)) {
        cancel = true;
        return;
    }
    if (!renameKeyword(cookbook(), sidOf(node), newString)) {
        cancel = true;
        return;
    }
    node->setText(0, newString);
    sortSiblings(node);
}

void Stichwortsuche::stich_KeyDown(int& keyCode, int)
{
    if (keyCode != ui::KeyDelete || editflag) return;
    QTreeWidgetItem* node = selectedKeyword();
    if (!node) return;
    if (!cookbookWritable()) return;
    const ui::Answer answer =
        ui::msgbox(QStringLiteral("Soll '") + node->text(0) + QStringLiteral("' wirklich aus der Stichwortliste gelöscht werden ?"),
                   ui::YesNo, QStringLiteral(" "));
    if (answer != ui::Answer::Yes) return;
    if (!takeOutOfTree(cookbook(), sidOf(node))) return;
    removeNode(node);
    refreshList();
}

bool Stichwortsuche::stich_OLEStartDrag(QTreeWidgetItem* dragged)
{
    m_dragged = nullptr;
    if (!orgmode || !dragged || dragged == m_root || editflag) return false;
    m_dragged = dragged;
    return true;
}

bool Stichwortsuche::stich_OLEDragOver(QTreeWidgetItem* over)
{
    return orgmode && m_dragged && over && over != m_root && !isBelow(over, m_dragged);
}

void Stichwortsuche::stich_OLEDragDrop(QTreeWidgetItem* target, int shift)
{
    if (!stich_OLEDragOver(target)) {
        m_dragged = nullptr;
        return;
    }
    QTreeWidgetItem* dragged = std::exchange(m_dragged, nullptr);
    if (!cookbookWritable()) return;
    if (shift != 0) {
        if (!copystich(sidOf(dragged), sidOf(target))) return;
    } else {
        if (!moveKeyword(cookbook(), sidOf(dragged), sidOf(target))) return;
        dragged->parent()->removeChild(dragged);
        target->addChild(dragged);
        sortSiblings(dragged);
    }
    target->setExpanded(true);
    stich->scrollToItem(dragged);
    stich->setCurrentItem(dragged);
    markNode(dragged);
    // The dragged keyword is the marked one now: the aliases shown are its own.
    aliasgrid->setEnabled(true);
    alias->setRecordSource(aliasesSource(sidOf(dragged)));
    alias->refresh();
}

bool Stichwortsuche::copystich(qint64 sid, qint64 target)
{
    const std::vector<KeywordNode> copies = copyKeyword(cookbook(), sid, target);
    for (const KeywordNode& copy : copies)
        if (QTreeWidgetItem* parent = m_nodes.value(copy.parent)) addNode(parent, copy.sid, copy.text);
    return !copies.empty();
}

}  // namespace kv
