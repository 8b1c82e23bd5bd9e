#include "mainwindow/einheiten_window.h"

#include "core/settings.h"
#include "mainwindow/units.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/look.h"
#include "platform/ui/placement.h"
#include "platform/ui/windows.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <optional>

namespace kv {

namespace {

constexpr int ShortName = Qt::UserRole + 1;

std::optional<int> storedNumber(const QString& name)
{
    bool ok = false;
    const int value = getreg(name).toInt(&ok);
    if (!ok) return std::nullopt;
    return value;
}

}  // namespace

Einheiten::Einheiten(QWidget* parent)
    : QWidget(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("einheiten"));
    setWindowTitle(QStringLiteral(" Einheiten"));

    elist = new QListWidget(this);
    elist->setObjectName(QStringLiteral("elist"));
    elist->setFont(ui::narrowFont(10));
    eorganisier = ui::caption(this, QStringLiteral("eorganisier"), QStringLiteral("O r g a n i s i e r e n"), 9);
    dreieck = ui::pictureButton(this, QStringLiteral("dreieck"), QStringLiteral("triangle"),
                                QStringLiteral("Einheitenliste verkleinern"), 16);

    auto* foot = new QHBoxLayout;
    foot->addWidget(eorganisier, 1);
    foot->addWidget(dreieck);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(elist, 1);
    layout->addLayout(foot);
    resize(220, 460);
    // Where the user left it last time. Without a stored place it is put beside the editor
    // when that first shows it, not into the corner of the screen.
    const std::optional<int> left = storedNumber(reg::einheit_left);
    const std::optional<int> top = storedNumber(reg::einheit_top);
    if (left && top) {
        move(*left, *top);
        m_placed = true;
    }

    connect(elist, &QListWidget::itemClicked, this,
            [this] { ui::guarded(QStringLiteral("ELIST_CLICK : "), [this] { elist_Click(); }); });
    connect(dreieck, &QToolButton::clicked, this, &Einheiten::dreieck_Click);
}

void Einheiten::fill(db::Database& db)
{
    elist->clear();
    for (const UnitListRow& row : unitListRows(db)) {
        auto* item = new QListWidgetItem(row.text, elist);
        item->setData(ShortName, row.ename);
        if (row.ename.isEmpty()) item->setFlags(Qt::ItemIsEnabled);
    }
}

void Einheiten::bringBack(QWidget* editor)
{
    if (!m_placed) {
        ui::placeBeside(this, editor);
        m_placed = true;
    } else if (!m_besideEditor) {
        // The window system places the editor without regard to the list's stored place,
        // and on a small screen over the list's codes; the list stays where it was left.
        ui::placeBeside(editor, this);
    }
    m_besideEditor = true;
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
}

void Einheiten::elist_Click()
{
    const QListWidgetItem* item = elist->currentItem();
    if (!item) return;
    const QString ename = item->data(ShortName).toString();
    // An empty row only separates two groups.
    if (ename.isEmpty()) return;
    if (m_chosen) m_chosen(ename);
}

void Einheiten::dreieck_Click()
{
    showMinimized();
}

void Einheiten::closeEvent(QCloseEvent* event)
{
    // The close box makes the list small, like the triangle; only the shut-down unloads it.
    if (event->spontaneous()) {
        event->ignore();
        dreieck_Click();
        return;
    }
    if (m_placed) {
        savereg(reg::einheit_top, QString::number(y()));
        savereg(reg::einheit_left, QString::number(x()));
    }
    QWidget::closeEvent(event);
}

}  // namespace kv
