#include "exchange/weiteresdateien_window.h"

#include "core/mainmod.h"
#include "exchange/importlists.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/events.h"
#include "platform/ui/look.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

namespace {

const QString kName = QStringLiteral("weiteres_dateien");

void addEntry(QListWidget* list, const QString& text, const QVariant& did)
{
    auto* item = new QListWidgetItem(text, list);
    item->setData(Qt::UserRole, did);
}

}  // namespace

WeiteresDateien::WeiteresDateien(QWidget* parent)
    : ui::Dialog(parent)
{
    top = ui::darkWindow(this, kName, QStringLiteral("I m p o r t i e r t e   D a t e i e n"));
    l_imp = ui::caption(this, QStringLiteral("l_imp"),
                        QStringLiteral("In dieses Kochbuch wurden folgende Dinge importiert :"));
    implist = new QListWidget(this);
    implist->setObjectName(QStringLiteral("implist"));
    implist->setSelectionMode(QAbstractItemView::ExtendedSelection);
    l_klick1 = ui::caption(this, QStringLiteral("l_klick1"), QStringLiteral("Markieren mit STRG | Umschalt möglich"), 9,
                           false);
    hinueber = ui::pictureButton(this, QStringLiteral("hinueber"), QStringLiteral("onein"),
                                 QStringLiteral("Markierte Einträge übernehmen"), 28);
    l_new = ui::caption(this, QStringLiteral("l_new"),
                        QStringLiteral("Diese Einträge werden zu einem neuen zusammengefaßt :"));
    newlist = new QListWidget(this);
    newlist->setObjectName(QStringLiteral("newlist"));
    newlist->setSelectionMode(QAbstractItemView::SingleSelection);
    l_klick2 = ui::caption(this, QStringLiteral("l_klick2"), QStringLiteral("Klick : Eintrag aus Liste entfernen"), 9,
                           false);
    l_neunam = ui::caption(this, QStringLiteral("l_neunam"), QStringLiteral("Name des neuen Eintrags :"));
    neunam = new QLineEdit(this);
    neunam->setObjectName(QStringLiteral("neunam"));
    // The column holds 255 characters.
    neunam->setMaxLength(255);
    zusamm = ui::caption(this, QStringLiteral("zusamm"), QStringLiteral("Zusammenfassung durchführen"));
    weiter = ui::pictureButton(this, QStringLiteral("weiter"), QStringLiteral("allin"),
                               QStringLiteral("Zusammenfassung durchführen"), 28);
    kreuz = ui::pictureButton(this, QStringLiteral("kreuz"), QStringLiteral("close"), QStringLiteral("Schließen"), 32);

    auto* grid = new QGridLayout;
    grid->addWidget(l_imp, 0, 0);
    grid->addWidget(l_new, 0, 2);
    grid->addWidget(implist, 1, 0, 3, 1);
    grid->addWidget(hinueber, 2, 1);
    grid->addWidget(newlist, 1, 2);
    grid->addWidget(l_klick2, 2, 2);
    grid->addWidget(l_neunam, 3, 2, Qt::AlignBottom);
    grid->addWidget(l_klick1, 4, 0);
    grid->addWidget(neunam, 4, 2);
    auto* merge = new QHBoxLayout;
    merge->addStretch(1);
    merge->addWidget(zusamm);
    merge->addWidget(weiter);
    grid->addLayout(merge, 5, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 10, 14, 10);
    layout->addWidget(top);
    layout->addLayout(grid, 1);
    layout->addWidget(kreuz, 0, Qt::AlignLeft);
    resize(760, 480);

    wireEvents();
    ui::guarded(QStringLiteral("WEITERES_DATEIEN_LOAD : "), [this] { Form_Load(); });
}

void WeiteresDateien::wireEvents()
{
    ui::onClick(hinueber, [this] { hinueber_Click(); });
    ui::onClick(newlist, [this] { newlist_Click(); });
    ui::onClick(weiter, [this] { weiter_Click(); });
    ui::onClick(kreuz, [this] { kreuz_Click(); });
}

void WeiteresDateien::Form_Load()
{
    implist->clear();
    for (const exchange::ListEntry& entry : exchange::importFileEntries(cookbook()))
        addEntry(implist, entry.text, entry.id);
}

void WeiteresDateien::hinueber_Click()
{
    // In list order, whatever order they were marked in.
    for (int row = 0; row < implist->count();) {
        QListWidgetItem* item = implist->item(row);
        if (!item->isSelected()) {
            ++row;
            continue;
        }
        addEntry(newlist, item->text(), item->data(Qt::UserRole));
        delete implist->takeItem(row);
    }
}

void WeiteresDateien::newlist_Click()
{
    QListWidgetItem* item = newlist->currentItem();
    if (!item) return;
    addEntry(implist, item->text(), item->data(Qt::UserRole));
    delete newlist->takeItem(newlist->row(item));
}

void WeiteresDateien::weiter_Click()
{
    const QString name = neunam->text();
    if (name.isEmpty()) return;
    if (!cookbookWritable()) return;
    QList<qint64> dids;
    for (int row = 0; row < newlist->count(); ++row) dids << newlist->item(row)->data(Qt::UserRole).toLongLong();
    try {
        exchange::mergeImportFiles(cookbook(), name, dids);
    } catch (const db::DbError& e) {
        // Rolled back whole: nothing is left to go on with.
        ui::msgbox(QStringLiteral("Fehler : ") + e.text(), ui::Critical | ui::OkOnly, QStringLiteral(" F E H L E R"));
        return;
    }
    ui::msgbox(QStringLiteral("Fertig."), ui::OkOnly, QStringLiteral(" "));
    newlist->clear();
    neunam->clear();
    Form_Load();
}

void WeiteresDateien::kreuz_Click()
{
    leave();
    ui::WindowRegistry::unload(kName);
}

}  // namespace kv
