#include "platform/ui/look.h"

#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>

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
class Grid : public QTableView {
public:
    using QTableView::QTableView;
    void keyboardSearch(const QString&) override {}
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
    auto* b = new QToolButton(parent);
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

void setOptionChosen(QLabel* option, bool chosen)
{
    QPalette p = option->palette();
    p.setColor(QPalette::WindowText, QColor::fromRgb(chosen ? kOptionChosen : kOptionOther));
    option->setPalette(p);
}

void setDarkDialogLook(QWidget* dialog)
{
    // White and grey option texts need a dark ground.
    QPalette p = dialog->palette();
    p.setColor(QPalette::Window, QColor(0x3A, 0x4A, 0x5C));
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

}  // namespace kv::ui
