#include "exchange/wizardimporterr_window.h"

#include "core/mainmod.h"
#include "exchange/importlists.h"
#include "exchange/importstatus_window.h"
#include "platform/texteditor.h"
#include "platform/ui/closinghooks.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/events.h"
#include "platform/ui/look.h"

#include <QCoreApplication>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

namespace {

const QString kName = QStringLiteral("wizard_importerr");

}  // namespace

WizardImporterr::WizardImporterr(QWidget* parent)
    : ui::Dialog(parent)
{
    top = ui::darkWindow(this, kName, QStringLiteral("F e h l e r   b e i m   E i n l e s e n"));
    Label1 = ui::caption(this, QStringLiteral("Label1"),
                         QStringLiteral("Beim Import sind Fehler aufgetreten, da der Standard für MealMaster-Dateien "
                                        "nicht eingehalten wurde. Sie können Sie anhand der folgenden Angaben eventuell "
                                        "beheben :"),
                         10, false);
    Label1->setWordWrap(true);
    Label2 = ui::caption(this, QStringLiteral("Label2"), QStringLiteral("Fehlernummer und Datei :"));
    fehlgrid = new QListWidget(this);
    fehlgrid->setObjectName(QStringLiteral("fehlgrid"));
    fehlgrid->setSelectionMode(QAbstractItemView::SingleSelection);
    Label3 = ui::caption(this, QStringLiteral("Label3"), QStringLiteral("Fehlerbeschreibung und Fehlerstelle :"));
    fehltext = ui::textArea(this, QStringLiteral("fehltext"));
    // The raw Meal-Master text lines up only in a fixed-width face.
    QFont fixed;
    fixed.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")});
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setFixedPitch(true);
    fehltext->setFont(fixed);
    fehltext->setLineWrapMode(QPlainTextEdit::NoWrap);
    fehltext->setReadOnly(true);
    edit = ui::pictureButton(this, QStringLiteral("edit"), QStringLiteral("edit"),
                             QStringLiteral("Datei mit dem Texteditor bearbeiten"), 28);
    Label4 = ui::caption(this, QStringLiteral("Label4"), QStringLiteral("Datei mit dem Texteditor bearbeiten ..."));
    abbruch = ui::pictureButton(this, QStringLiteral("abbruch"), QStringLiteral("trash"),
                                QStringLiteral("Fehlerliste löschen"), 28);
    Label5 = ui::caption(this, QStringLiteral("Label5"), QStringLiteral("Fehlerliste löschen"));
    kreuz = ui::pictureButton(this, QStringLiteral("kreuz"), QStringLiteral("close"), QStringLiteral("Schließen"), 32);

    auto* lists = new QGridLayout;
    lists->addWidget(Label2, 0, 0);
    lists->addWidget(Label3, 0, 1);
    lists->addWidget(fehlgrid, 1, 0);
    lists->addWidget(fehltext, 1, 1);
    lists->setColumnStretch(0, 1);
    lists->setColumnStretch(1, 3);
    lists->setRowStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(kreuz);
    buttons->addStretch(1);
    buttons->addWidget(Label5);
    buttons->addWidget(abbruch);
    buttons->addSpacing(16);
    buttons->addWidget(Label4);
    buttons->addWidget(edit);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 10, 14, 10);
    layout->addWidget(top);
    layout->addWidget(Label1);
    layout->addLayout(lists, 1);
    layout->addLayout(buttons);
    // Wide enough for a Meal-Master line of 80 characters beside the list.
    resize(980, 520);

    wireEvents();
    // Its ids belong to the cookbook it was opened on.
    ui::onCookbookClosing(this, [] { ui::WindowRegistry::unload(kName); });
    ui::guarded(QStringLiteral("WIZARD_IMPORTERR_LOAD : "), [this] { Form_Load(); });
}

void WizardImporterr::wireEvents()
{
    // The selection, not the current row: the focus makes the first entry current without
    // selecting it, and a click on it then changes only the selection. Keys select too.
    connect(fehlgrid, &QListWidget::itemSelectionChanged, this,
            [this] { ui::guarded(QStringLiteral("FEHLGRID_CLICK : "), [this] { fehlgrid_Click(); }); });
    ui::onClick(edit, [this] { edit_Click(); });
    ui::onClick(abbruch, [this] { abbruch_Click(); });
    ui::onClick(kreuz, [this] { kreuz_Click(); });
}

void WizardImporterr::Form_Load()
{
    fehltext->clear();
    QSignalBlocker quiet(fehlgrid);
    fehlgrid->clear();
    for (const exchange::ListEntry& entry : exchange::importErrorEntries(cookbook())) {
        auto* item = new QListWidgetItem(entry.text, fehlgrid);
        item->setData(Qt::UserRole, entry.id);
    }
    fehlgrid->setCurrentRow(-1);
}

qint64 WizardImporterr::selectedErrid() const
{
    const QListWidgetItem* item = fehlgrid->currentItem();
    return item && item->isSelected() ? item->data(Qt::UserRole).toLongLong() : 0;
}

void WizardImporterr::fehlgrid_Click()
{
    const qint64 errid = selectedErrid();
    if (errid == 0) return;
    fehltext->setPlainText(ui::displayText(exchange::importErrorDetail(cookbook(), errid)));
}

void WizardImporterr::edit_Click()
{
    const qint64 errid = selectedErrid();
    if (errid == 0) return;
    const exchange::ErrorFile file = exchange::importErrorFile(cookbook(), errid);
    if (file.kind == exchange::ErrorFile::None) return;
    if (file.kind != exchange::ErrorFile::File) {
        ui::msgbox(exchange::errorFileMessage(file), ui::Exclamation | ui::OkOnly, QStringLiteral(" "));
        return;
    }
    if (!texteditor::open(file.path)) {
        ui::msgbox(QStringLiteral("Es wurde kein Texteditor gefunden, der die Datei '") + file.path +
                       QStringLiteral("' öffnen kann."),
                   ui::Exclamation | ui::OkOnly, QStringLiteral(" "));
        return;
    }
    QCoreApplication::processEvents();
}

void WizardImporterr::abbruch_Click()
{
    if (!cookbookWritable()) return;
    exchange::clearImportErrors(cookbook());
    kreuz_Click();
}

void WizardImporterr::kreuz_Click()
{
    leave();
    ui::WindowRegistry::unload(kName);
    exchange::showModeless(QStringLiteral("wizard_nachimport"));
}

}  // namespace kv
