#include "platform/ui/look.h"

#include <QDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTableView>
#include <QToolButton>

#include <algorithm>
#include <cmath>

// The icons are compiled into a static library, whose resource the linker would drop
// unless something names its initialiser; Q_INIT_RESOURCE may not stand in a namespace.
static void initIconResource()
{
    Q_INIT_RESOURCE(icons);
}

namespace kv::ui {

namespace {

// The grids find by their own key handlers; the view's type-ahead would read every row of
// a long list to find one.
//
// A grid is a list of one entry per row, a control among the others of its window: Tab
// and Shift+Tab go on to the next control, also from a cell being typed in, and Ctrl+Tab
// steps from row to row as Down and Up do. A grid typed into cell by cell turns Tab
// navigation back on. Whatever key moves the current row moves the highlight with it,
// so the row highlighted is always the one a window shows.
class Grid : public QTableView {
public:
    explicit Grid(QWidget* parent)
        : QTableView(parent)
    {
        setTabKeyNavigation(false);
    }
    void keyboardSearch(const QString&) override {}

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (isTab(event->key()) && (event->modifiers() & Qt::ControlModifier) && !tabKeyNavigation()) {
            const bool back = event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
            QKeyEvent step(QEvent::KeyPress, back ? Qt::Key_Up : Qt::Key_Down, Qt::NoModifier);
            QTableView::keyPressEvent(&step);
            event->setAccepted(step.isAccepted());
            return;
        }
        QTableView::keyPressEvent(event);
    }

    // Ctrl with a key that moves the current row would leave the highlight behind.
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override
    {
        if (event && event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<const QKeyEvent*>(event);
            if ((key->modifiers() & Qt::ControlModifier) && movesCurrent(key->key())) {
                const QKeyEvent plain(QEvent::KeyPress, key->key(), key->modifiers() & ~Qt::ControlModifier);
                return QTableView::selectionCommand(index, &plain);
            }
        }
        return QTableView::selectionCommand(index, event);
    }

    // The cell's editor is the viewport's one shown child. Its keys come here before the
    // delegate, which would take Tab for a move into the next cell.
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override
    {
        if (!QTableView::edit(index, trigger, event)) return false;
        for (QWidget* child : viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (!child->isHidden()) child->installEventFilter(this);
        return true;
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && !tabKeyNavigation() && state() == EditingState &&
            watched->parent() == viewport()) {
            const auto* key = static_cast<const QKeyEvent*>(event);
            if (isTab(key->key()) && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
                const bool back = key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
                auto* editor = static_cast<QWidget*>(watched);
                commitData(editor);
                closeEditor(editor, QAbstractItemDelegate::NoHint);
                focusNextPrevChild(!back);
                return true;
            }
        }
        return QTableView::eventFilter(watched, event);
    }

private:
    static bool isTab(int key) { return key == Qt::Key_Tab || key == Qt::Key_Backtab; }
    static bool movesCurrent(int key)
    {
        switch (key) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return true;
        default:
            return false;
        }
    }
};

// A flat picture button shows the keyboard's focus as a frame in the highlight colour:
// the style's own mark on a flat button is a faint raised edge, easily missed by a user
// walking the window with Tab.
class PictureButton : public QToolButton {
public:
    using QToolButton::QToolButton;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QToolButton::paintEvent(event);
        if (!hasFocus()) return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 3, 3);
    }
};

}  // namespace

QFont narrowFont(int pointSize, bool bold)
{
    QFont f;
    f.setFamilies({QStringLiteral("Arial Narrow"), QStringLiteral("Liberation Sans Narrow"),
                   QStringLiteral("Nimbus Sans Narrow"), QStringLiteral("DejaVu Sans Condensed")});
    f.setStretch(QFont::Condensed);
    f.setPointSize(pointSize);
    f.setBold(bold);
    return f;
}

QIcon icon(const QString& name)
{
    [[maybe_unused]] static const bool registered = (initIconResource(), true);
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(name));
}

QToolButton* pictureButton(QWidget* parent, const QString& name, const QString& iconName, const QString& tip,
                           int iconSize)
{
    auto* b = new PictureButton(parent);
    b->setObjectName(name);
    b->setIcon(icon(iconName));
    b->setIconSize(QSize(iconSize, iconSize));
    b->setAutoRaise(true);
    b->setToolTip(tip);
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

QLabel* caption(QWidget* parent, const QString& name, const QString& text, int pointSize, bool bold)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setFont(narrowFont(pointSize, bold));
    return l;
}

QTableView* grid(QWidget* parent, const QString& name)
{
    auto* g = new Grid(parent);
    g->setObjectName(name);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setAlternatingRowColors(true);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setWordWrap(false);
    g->setCornerButtonEnabled(false);
    g->verticalHeader()->hide();
    // Fixed row heights let a list of a quarter million rows lay itself out without
    // asking every row for its size.
    g->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    g->verticalHeader()->setDefaultSectionSize(g->fontMetrics().height() + 6);
    g->horizontalHeader()->setHighlightSections(false);
    g->horizontalHeader()->setSectionsClickable(false);
    return g;
}

QPlainTextEdit* textArea(QWidget* parent, const QString& name)
{
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(name);
    box->setTabChangesFocus(true);
    return box;
}

double relativeLuminance(const QColor& colour)
{
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

double contrastRatio(const QColor& a, const QColor& b)
{
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

void setOptionChosen(QLabel* option, bool chosen)
{
    QPalette p = option->palette();
    p.setColor(QPalette::WindowText, QColor::fromRgb(chosen ? kOptionChosen : kOptionOther));
    option->setPalette(p);
    // Both greys are light enough to read, so the brightness alone no longer tells at a
    // glance which one is chosen.
    QFont f = option->font();
    f.setUnderline(chosen);
    option->setFont(f);
}

void setDarkDialogLook(QWidget* dialog)
{
    // White and grey option texts need a dark ground.
    QPalette p = dialog->palette();
    p.setColor(QPalette::Window, QColor::fromRgb(kDarkGround));
    p.setColor(QPalette::WindowText, Qt::white);
    dialog->setPalette(p);
    dialog->setAutoFillBackground(true);
}

QLabel* dialogCaption(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QStringLiteral("caption"));
    QFont f = label->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.3);
    label->setFont(f);
    return label;
}

QPushButton* dialogButton(const QString& name, const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    // Enter belongs to the name box, which acts on it only after typing.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QLabel* darkWindow(QWidget* window, const QString& name, const QString& caption)
{
    window->setObjectName(name);
    window->setWindowTitle(QStringLiteral(" "));
    setDarkDialogLook(window);
    QLabel* top = dialogCaption(caption, window);
    top->setObjectName(QStringLiteral("top"));
    return top;
}

ElidingLineEdit::ElidingLineEdit(QWidget* parent)
    : QLineEdit(parent)
{
    setReadOnly(true);
    connect(this, &QLineEdit::textChanged, this, &ElidingLineEdit::updateTip);
}

QString ElidingLineEdit::shownText() const
{
    return fontMetrics().elidedText(text(), Qt::ElideRight, textArea().width());
}

QRect ElidingLineEdit::textArea() const
{
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    // The line edit keeps two pixels of its own inside its contents on either side.
    return contents.marginsRemoved(textMargins()).adjusted(2, 0, -2, 0);
}

void ElidingLineEdit::paintEvent(QPaintEvent* event)
{
    const QString shown = shownText();
    if (hasFocus() || shown == text()) {
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOptionFrame option;
    initStyleOption(&option);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(textArea(), Qt::AlignLeft | Qt::AlignVCenter, shown);
}

void ElidingLineEdit::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    updateTip();
}

void ElidingLineEdit::updateTip()
{
    setToolTip(shownText() == text() ? QString() : text());
}

}  // namespace kv::ui
