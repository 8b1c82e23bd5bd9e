#include "exchange/wizardimport_window.h"

#include "core/cookbookdb.h"
#include "core/mainmod.h"
#include "core/settings.h"
#include "exchange/import.h"
#include "exchange/importlists.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/events.h"
#include "platform/ui/folderlists.h"
#include "platform/ui/look.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QRadioButton>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace kv {

namespace {

const QString kName = QStringLiteral("wizard_import");

QLabel* label(QWidget* parent, const QString& name, const QString& text, int size = 10)
{
    auto* l = ui::caption(parent, name, text, size);
    l->setWordWrap(true);
    return l;
}

}  // namespace

WizardImport::WizardImport(QWidget* parent)
    : ui::Dialog(parent)
{
    top = ui::darkWindow(this, kName, QStringLiteral("M e a l M a s t e r - R e z e p t e    i m p o r t i e r e n"));
    Label2 = label(this, QStringLiteral("Label2"),
                   QStringLiteral("Kelvor kann Rezepte, die im MealMaster-Format gespeichert wurden, einlesen."), 10);
    Label2->setFont(ui::narrowFont(10));

    Label4 = label(this, QStringLiteral("Label4"), QStringLiteral("1. Importieren von"), 11);
    stypo = new QFrame(this);
    stypo->setObjectName(QStringLiteral("stypo"));
    stypo->setFrameShape(QFrame::StyledPanel);
    typ0 = label(stypo, QStringLiteral("typ0"), QStringLiteral("einer Datei"));
    Label1 = label(stypo, QStringLiteral("Label1"), QStringLiteral("ganzem Verzeichnis"));
    Label3 = label(stypo, QStringLiteral("Label3"), QStringLiteral("Verzeichnis mit Unterverzeichnissen"));
    auto* scope = new QGridLayout(stypo);
    QLabel* beside[3] = {typ0, Label1, Label3};
    for (int i = 0; i < 3; ++i) {
        styp[i] = new QRadioButton(stypo);
        styp[i]->setObjectName(QStringLiteral("styp%1").arg(i));
        scope->addWidget(styp[i], i, 0);
        scope->addWidget(beside[i], i, 1);
    }
    scope->setColumnStretch(1, 1);

    Label5 = label(this, QStringLiteral("Label5"), QStringLiteral("2. Laufwerk"), 11);
    idrive = new QComboBox(this);
    idrive->setObjectName(QStringLiteral("idrive"));
    Label6 = label(this, QStringLiteral("Label6"), QStringLiteral("3. Verzeichnis"), 11);
    idir = new QTreeView(this);
    idir->setObjectName(QStringLiteral("idir"));
    Label7 = label(this, QStringLiteral("Label7"), QStringLiteral("4. Datei"), 11);
    ifile = new QListWidget(this);
    ifile->setObjectName(QStringLiteral("ifile"));
    ifile->setSelectionMode(QAbstractItemView::SingleSelection);
    Label8 = label(this, QStringLiteral("Label8"), QStringLiteral("5. Start"), 11);
    start = ui::pictureButton(this, QStringLiteral("start"), QStringLiteral("import"), QStringLiteral("Start"), 32);

    Label9 = label(this, QStringLiteral("Label9"), QStringLiteral("Schon vorhandene Rezepte"), 11);
    vorhand0 = label(this, QStringLiteral("vorhand0"), QStringLiteral("ignorieren"), 11);
    vorhand1 = label(this, QStringLiteral("vorhand1"), QStringLiteral("einlesen"), 11);
    for (QLabel* option : {vorhand0, vorhand1}) option->setCursor(Qt::PointingHandCursor);
    Label10 = label(this, QStringLiteral("Label10"), QStringLiteral("Ist der Text in der Zwischenablage, hier klicken :"));
    Label10->setWordWrap(false);
    inclip = ui::pictureButton(this, QStringLiteral("inclip"), QStringLiteral("clipboard"), QStringLiteral("Start"), 32);
    kreuz = ui::pictureButton(this, QStringLiteral("kreuz"), QStringLiteral("close"), QStringLiteral("Ende"), 32);

    // Scope and skip choice on the left; drive, folders and files side by side.
    auto* left = new QVBoxLayout;
    left->addWidget(Label4);
    left->addWidget(stypo);
    left->addSpacing(10);
    left->addWidget(Label9);
    auto* skip = new QHBoxLayout;
    skip->addWidget(vorhand0);
    skip->addSpacing(12);
    skip->addWidget(vorhand1);
    skip->addStretch(1);
    left->addLayout(skip);
    left->addStretch(1);
    auto* startRow = new QHBoxLayout;
    startRow->addWidget(Label8);
    startRow->addWidget(start);
    startRow->addStretch(1);
    left->addLayout(startRow);

    auto* lists = new QGridLayout;
    lists->addWidget(Label5, 0, 0, 1, 2);
    lists->addWidget(idrive, 1, 0, 1, 2);
    lists->addWidget(Label6, 2, 0);
    lists->addWidget(Label7, 2, 1);
    lists->addWidget(idir, 3, 0);
    lists->addWidget(ifile, 3, 1);
    lists->setRowStretch(3, 1);
    lists->setColumnStretch(0, 1);
    lists->setColumnStretch(1, 1);

    auto* choices = new QWidget(this);
    choices->setLayout(left);
    left->setContentsMargins(0, 0, 0, 0);
    choices->setFixedWidth(230);
    auto* middle = new QHBoxLayout;
    middle->addWidget(choices);
    middle->addSpacing(14);
    middle->addLayout(lists, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(kreuz);
    bottom->addStretch(1);
    bottom->addWidget(Label10);
    bottom->addWidget(inclip);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 10, 14, 10);
    layout->addWidget(top);
    layout->addWidget(Label2);
    layout->addSpacing(6);
    layout->addLayout(middle, 1);
    layout->addLayout(bottom);
    resize(780, 500);

    m_folders = new ui::FolderChooser(idrive, idir, [this] { idir_Change(); });
    wireEvents();
    ui::guarded(QStringLiteral("WIZARD_IMPORT_LOAD : "), [this] { Form_Load(); });
}

void WizardImport::wireEvents()
{
    connect(idrive, &QComboBox::currentIndexChanged, this,
            [this] { ui::guarded(QStringLiteral("IDRIVE_CHANGE : "), [this] { idrive_Change(); }); });
    ui::onClick(vorhand0, [this] { vorhand0_Click(); });
    ui::onClick(vorhand1, [this] { vorhand1_Click(); });
    ui::onClick(inclip, [this] { inclip_Click(); });
    ui::onClick(start, [this] { start_Click(); });
    ui::onClick(kreuz, [this] { kreuz_Click(); });
    // The texts beside the options choose them too.
    QLabel* beside[3] = {typ0, Label1, Label3};
    for (int i = 0; i < 3; ++i) ui::onClick(beside[i], [this, i] { styp[i]->setChecked(true); });
}

void WizardImport::Form_Load()
{
    m_folders->openAt(finddirStartFolder(getreg(reg::importpfad)));
    styp[0]->setChecked(true);
    vorhand0_Click();
}

QString WizardImport::ifilePath() const
{
    return m_folders->path();
}

void WizardImport::idrive_Change()
{
    m_folders->driveChosen();
}

void WizardImport::idir_Change()
{
    // The files as the import reads them: regular files (also through links), not hidden;
    // "*.*" of the program means every file, also one without a dot.
    ifile->clear();
    const QString folder = ifilePath();
    if (folder.isEmpty()) return;
    ifile->addItems(QDir(folder).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware));
}

void WizardImport::vorhand0_Click()
{
    chooseSkip(true);
}

void WizardImport::vorhand1_Click()
{
    chooseSkip(false);
}

void WizardImport::chooseSkip(bool skip)
{
    ui::setOptionChosen(vorhand0, skip);
    ui::setOptionChosen(vorhand1, !skip);
    skipexisting = skip;
}

void WizardImport::start_Click()
{
    int typ = 0;
    for (int i = 0; i < 3; ++i)
        if (styp[i]->isChecked()) {
            typ = i;
            break;
        }
    const QListWidgetItem* chosen = ifile->currentItem();
    const QString file = chosen && chosen->isSelected() ? chosen->text() : QString();
    if (typ == 0 && file.isEmpty()) {
        ui::msgbox(QStringLiteral("Bitte wählen Sie unter '4. Datei' die Datei aus, die eingelesen werden soll."),
                   ui::OkOnly, QStringLiteral(" "));
        return;
    }
    runImport(ifilePath() + file, typ);
}

void WizardImport::inclip_Click()
{
    // Without text the offscreen clipboard has no data at all.
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    const QString text = data && data->hasText() ? data->text() : QString();
    if (text.isEmpty()) {
        ui::msgbox(QStringLiteral("In der Zwischenablage befindet sich kein Text."), ui::OkOnly, QStringLiteral(" "));
        return;
    }
    if (!exchange::writeHandOverText(text)) {
        ui::msgbox(QStringLiteral("Der Text der Zwischenablage kann nicht zum Einlesen gespeichert werden."),
                   ui::Critical | ui::OkOnly, QStringLiteral(" F E H L E R"));
        return;
    }
    runImport(exchange::kHandOverName, 0);
}

void WizardImport::runImport(const QString& path, int typ)
{
    if (!cookbookWritable()) return;
    // Hidden, not closed, while the import runs inside this handler.
    hide();
    exchange::startimport(path, typ);
    unloadSelf();
}

void WizardImport::kreuz_Click()
{
    unloadSelf();
}

void WizardImport::unloadSelf()
{
    leave();
    ui::WindowRegistry::unload(kName);
}

}  // namespace kv
