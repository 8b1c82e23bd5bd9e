#include "exchange/wizardnachimport_window.h"

#include "core/mainmod.h"
#include "exchange/import.h"
#include "exchange/importlists.h"
#include "platform/ui/closinghooks.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/events.h"
#include "platform/ui/look.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

namespace {

const QString kName = QStringLiteral("wizard_nachimport");

QListWidget* list(QWidget* parent, const QString& name)
{
    auto* l = new QListWidget(parent);
    l->setObjectName(name);
    l->setSelectionMode(QAbstractItemView::SingleSelection);
    return l;
}

void fill(QListWidget* list, const QList<exchange::ListEntry>& entries)
{
    list->clear();
    for (const exchange::ListEntry& entry : entries) {
        auto* item = new QListWidgetItem(entry.text, list);
        item->setData(Qt::UserRole, entry.id);
    }
    list->setCurrentRow(-1);
}

// The selected entry; null when there is none.
QListWidgetItem* selected(const QListWidget* list)
{
    QListWidgetItem* item = list->currentItem();
    return item && item->isSelected() ? item : nullptr;
}

}  // namespace

WizardNachimport::WizardNachimport(QWidget* parent)
    : ui::Dialog(parent)
{
    top = ui::darkWindow(this, kName, QStringLiteral("N e u e   R e z e p t e"));
    infotext = ui::caption(this, QStringLiteral("infotext"),
                           QStringLiteral("Die hier angezeigten Rezepte konnten keiner Rubrik zugeordnet werden. Klicken "
                                          "Sie links auf das Rezept, rechts auf die Rubrik. Ein Doppelklick auf Rezept "
                                          "oder Rubrik entfernt das Rezept aus der Liste und speichert die neue Rubrik."),
                           10, false);
    infotext->setWordWrap(true);
    Label1 = ui::caption(this, QStringLiteral("Label1"), QStringLiteral("Rezepte :"));
    neurezgrid = list(this, QStringLiteral("neurezgrid"));
    Label2 = ui::caption(this, QStringLiteral("Label2"), QStringLiteral("Rubriken :"));
    rublist = list(this, QStringLiteral("rublist"));
    kreuz = ui::pictureButton(this, QStringLiteral("kreuz"), QStringLiteral("close"), QStringLiteral("Schließen"), 32);

    auto* lists = new QGridLayout;
    lists->addWidget(Label1, 0, 0);
    lists->addWidget(Label2, 0, 1);
    lists->addWidget(neurezgrid, 1, 0);
    lists->addWidget(rublist, 1, 1);
    lists->setColumnStretch(0, 3);
    lists->setColumnStretch(1, 2);
    lists->setRowStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 10, 14, 10);
    layout->addWidget(top);
    layout->addWidget(infotext);
    layout->addLayout(lists, 1);
    layout->addWidget(kreuz, 0, Qt::AlignLeft);
    resize(640, 480);

    wireEvents();
    // A double click after a switch would write the old cookbook's ids into the new one.
    ui::onCookbookClosing(this, [] { ui::WindowRegistry::unload(kName); });
    ui::guarded(QStringLiteral("WIZARD_NACHIMPORT_LOAD : "), [this] { Form_Load(); });
}

void WizardNachimport::wireEvents()
{
    // After the view has handled the double click: the entry it was on may then go.
    connect(neurezgrid, &QListWidget::itemDoubleClicked, this,
            [this] { ui::guarded(QStringLiteral("NEUREZGRID_DBLCLICK : "), [this] { neurezgrid_DblClick(); }); });
    connect(rublist, &QListWidget::itemDoubleClicked, this,
            [this] { ui::guarded(QStringLiteral("RUBLIST_DBLCLICK : "), [this] { rublist_DblClick(); }); });
    ui::onClick(kreuz, [this] { kreuz_Click(); });
}

void WizardNachimport::Form_Load()
{
    fill(neurezgrid, exchange::recipesWithoutCategory(cookbook()));
    fill(rublist, exchange::categoriesOffered(cookbook()));
}

void WizardNachimport::neurezgrid_DblClick()
{
    assign();
}

void WizardNachimport::rublist_DblClick()
{
    assign();
}

void WizardNachimport::assign()
{
    QListWidgetItem* recipe = selected(neurezgrid);
    const QListWidgetItem* category = selected(rublist);
    if (!recipe || !category) return;
    if (!cookbookWritable()) return;
    exchange::assignCategory(cookbook(), recipe->data(Qt::UserRole).toLongLong(),
                             category->data(Qt::UserRole).toLongLong());
    exchange::recipesRecategorized();
    const int row = neurezgrid->row(recipe);
    const int next = exchange::nextSelection(row, neurezgrid->count());
    delete neurezgrid->takeItem(row);
    if (next < 0) {
        kreuz_Click();
        return;
    }
    neurezgrid->setCurrentRow(next);
}

void WizardNachimport::kreuz_Click()
{
    leave();
    ui::WindowRegistry::unload(kName);
}

}  // namespace kv
