#include "exchange/exportwizard_window.h"

#include "core/mainmod.h"
#include "core/settings.h"
#include "exchange/export.h"
#include "exchange/kochbuchexport.h"
#include "platform/paths.h"
#include "platform/ui/closinghooks.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/events.h"
#include "platform/ui/folderlists.h"
#include "platform/ui/look.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace kv {

namespace {

const QString kName = QStringLiteral("wizard_export");
const QString kTitel = QStringLiteral("E X P O R T");

// The window's height on each page, in the proportions of the old window's twips.
int pageHeight(int typ)
{
    constexpr int twips[] = {5676, 7056, 4428};
    return twips[typ - 1] / 11;
}

QLabel* label(QWidget* parent, const QString& name, const QString& text)
{
    auto* l = ui::caption(parent, name, text, 10);
    l->setWordWrap(true);
    return l;
}

QLineEdit* textBox(QWidget* parent, const QString& name)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    return box;
}

QPlainTextEdit* textArea(QWidget* parent, const QString& name)
{
    QPlainTextEdit* box = ui::textArea(parent, name);
    // The Meal-Master columns line up only in a fixed-width face.
    box->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setMinimumHeight(40);
    return box;
}

// A box shows lines broken by "\n"; files and the clipboard get CR LF.
QString boxText(const QPlainTextEdit* box)
{
    return box->toPlainText().replace(u'\n', QStringLiteral("\r\n"));
}

// An open dialog used to name the file to write; here it is the save dialog, so a
// new name can be typed. The wizard asks before it replaces a file, so the dialog does not.
QString openfiledlg(const QString& filterName, const QString& pattern, const QString& title,
                    const QString& initialDir)
{
    return ui::saveFileName(title, paths::localPath(initialDir), filterName + QStringLiteral(" (") + pattern + u')',
                            ui::OverwriteQuestion::Skip);
}

}  // namespace

WizardExport::WizardExport(std::function<qint64()> chosenList, QWidget* parent)
    : ui::Dialog(parent), m_chosenList(std::move(chosenList))
{
    top = ui::darkWindow(this, kName, QStringLiteral("R e z e p t e   e x p o r t i e r e n"));
    exp1 = label(this, QStringLiteral("exp1"), QStringLiteral("Kelvor-Kochbuch"));
    exp2 = label(this, QStringLiteral("exp2"), QStringLiteral("HTML-Webseite"));
    exp3 = label(this, QStringLiteral("exp3"), QStringLiteral("MealMaster-Datei"));
    for (QLabel* option : {exp1, exp2, exp3}) {
        option->setFont(ui::narrowFont(12, true));
        option->setCursor(Qt::PointingHandCursor);
    }

    m_cookbookPage = new QWidget(this);
    l1 = label(m_cookbookPage, QStringLiteral("l1"), QStringLiteral("Pfad :"));
    l2 = new QComboBox(m_cookbookPage);
    l2->setObjectName(QStringLiteral("l2"));
    m_folders = new ui::FolderModel(this);
    l3 = new QTreeView(m_cookbookPage);
    l3->setObjectName(QStringLiteral("l3"));
    ui::setupFolderList(l3, m_folders);
    l3->setMinimumHeight(60);
    l4 = label(m_cookbookPage, QStringLiteral("l4"), QStringLiteral("Name des neuen Verzeichnisses :"));
    l5 = textBox(m_cookbookPage, QStringLiteral("l5"));
    l6 = label(m_cookbookPage, QStringLiteral("l6"), QStringLiteral("Jedes Kelvor-Kochbuch benötigt ein eigenes Verzeichnis."));
    l7 = label(m_cookbookPage, QStringLiteral("l7"), QStringLiteral("Name :"));
    l8 = textBox(m_cookbookPage, QStringLiteral("l8"));
    l9 = label(m_cookbookPage, QStringLiteral("l9"), QStringLiteral("Info :"));
    l10 = textBox(m_cookbookPage, QStringLiteral("l10"));
    auto* cookbookGrid = new QGridLayout(m_cookbookPage);
    cookbookGrid->setContentsMargins(0, 0, 0, 0);
    cookbookGrid->addWidget(l1, 0, 0, Qt::AlignTop);
    cookbookGrid->addWidget(l2, 0, 1);
    cookbookGrid->addWidget(l3, 1, 1);
    cookbookGrid->addWidget(l4, 2, 0);
    cookbookGrid->addWidget(l5, 2, 1);
    cookbookGrid->addWidget(l6, 3, 1);
    cookbookGrid->addWidget(l7, 4, 0);
    cookbookGrid->addWidget(l8, 4, 1);
    cookbookGrid->addWidget(l9, 5, 0);
    cookbookGrid->addWidget(l10, 5, 1);
    cookbookGrid->setRowStretch(1, 1);
    cookbookGrid->setColumnStretch(1, 1);

    m_filePage = new QWidget(this);
    dat = label(m_filePage, QStringLiteral("dat"), QStringLiteral("Datei :"));
    pname = textBox(m_filePage, QStringLiteral("pname"));
    r1 = label(m_filePage, QStringLiteral("r1"), QStringLiteral("Rezepte :"));
    rez = textArea(m_filePage, QStringLiteral("rez"));
    m_htmlPart = new QWidget(m_filePage);
    h1 = label(m_htmlPart, QStringLiteral("h1"), QStringLiteral("HTML-Kopf :"));
    hk = textArea(m_htmlPart, QStringLiteral("hk"));
    h2 = label(m_htmlPart, QStringLiteral("h2"), QStringLiteral("HTML-Fuß :"));
    hf = textArea(m_htmlPart, QStringLiteral("hf"));
    l12 = label(m_filePage, QStringLiteral("l12"), QStringLiteral("Hier klicken, um den Text in die Zwischenablage zu kopieren"));
    inclip = ui::pictureButton(m_filePage, QStringLiteral("inclip"), QStringLiteral("clipboard"),
                               QStringLiteral("In die Zwischenablage kopieren"));
    // Head and foot are a few lines; the preview takes what the page leaves.
    const int line = hk->fontMetrics().lineSpacing();
    hk->setFixedHeight(line * 6 + 10);
    hf->setFixedHeight(line * 2 + 10);
    auto* htmlGrid = new QGridLayout(m_htmlPart);
    htmlGrid->setContentsMargins(0, 0, 0, 0);
    htmlGrid->addWidget(h1, 0, 0, Qt::AlignTop);
    htmlGrid->addWidget(hk, 0, 1);
    htmlGrid->addWidget(h2, 1, 0, Qt::AlignTop);
    htmlGrid->addWidget(hf, 1, 1);
    htmlGrid->setColumnStretch(1, 1);
    auto* fileGrid = new QGridLayout(m_filePage);
    fileGrid->setContentsMargins(0, 0, 0, 0);
    fileGrid->addWidget(dat, 0, 0);
    fileGrid->addWidget(pname, 0, 1);
    fileGrid->addWidget(r1, 1, 0, Qt::AlignTop);
    fileGrid->addWidget(rez, 1, 1);
    fileGrid->addWidget(m_htmlPart, 2, 0, 1, 2);
    auto* clipRow = new QHBoxLayout;
    clipRow->addStretch(1);
    clipRow->addWidget(l12);
    clipRow->addWidget(inclip);
    fileGrid->addLayout(clipRow, 3, 0, 1, 2);
    fileGrid->setRowStretch(1, 1);
    fileGrid->setColumnStretch(1, 1);

    start = ui::pictureButton(this, QStringLiteral("start"), QStringLiteral("export"), QStringLiteral("Exportieren"), 32);
    kreuz = ui::pictureButton(this, QStringLiteral("kreuz"), QStringLiteral("close"), QStringLiteral("Schließen"), 32);

    auto* options = new QHBoxLayout;
    for (QLabel* option : {exp1, exp2, exp3}) options->addWidget(option);
    options->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(kreuz);
    buttons->addStretch(1);
    buttons->addWidget(start);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 10, 14, 10);
    layout->addWidget(top);
    layout->addLayout(options);
    layout->addWidget(m_cookbookPage, 1);
    layout->addWidget(m_filePage, 1);
    layout->addLayout(buttons);

    // Wide enough for a Meal-Master line of 80 characters in the preview.
    resize(760, pageHeight(1));
    ui::fillDriveList(l2);
    wireEvents();
    ui::onCookbookClosing(this, [] { ui::WindowRegistry::unload(kName); });
    ui::guarded(QStringLiteral("WIZARD_EXPORT_LOAD : "), [this] { Form_Load(); });
}

void WizardExport::wireEvents()
{
    auto handler = ui::guardedHandlers(this);
    ui::onClick(exp1, handler("EXP1_CLICK : ", &WizardExport::exp1_Click));
    ui::onClick(exp2, handler("EXP2_CLICK : ", &WizardExport::exp2_Click));
    ui::onClick(exp3, handler("EXP3_CLICK : ", &WizardExport::exp3_Click));
    ui::onClick(pname, handler("PNAME_CLICK : ", &WizardExport::pname_Click));
    connect(l2, &QComboBox::currentIndexChanged, this, handler("L2_CHANGE : ", &WizardExport::l2_Change));
    connect(l3->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
        if (current.isValid()) m_pfad = paths::absoluteFolder(m_folders->filePath(current));
    });
    ui::onClick(inclip, handler("INCLIP_CLICK : ", &WizardExport::inclip_Click));
    ui::onClick(start, handler("START_CLICK : ", &WizardExport::start_Click));
    ui::onClick(kreuz, handler("KREUZ_CLICK : ", &WizardExport::kreuz_Click));
}

void WizardExport::Form_Load()
{
    m_typ = 1;
    m_htmlVorschau.clear();
    m_mmVorschau.clear();
    hk->setPlainText(ui::displayText(getreg(reg::HTMLstart)));
    hf->setPlainText(ui::displayText(getreg(reg::HTMLstop)));
    rez->clear();
    const QString home = paths::absoluteFolder(paths::homeFolder());
    ui::showDrive(l3, m_folders, ui::chooseDriveOf(l2, home));
    l3->setCurrentIndex(m_folders->indexOf(home.chopped(1)));
    m_pfad = home;
    ui::setOptionChosen(exp1, true);
    ui::setOptionChosen(exp2, false);
    ui::setOptionChosen(exp3, false);
    showPage();
}

void WizardExport::showPage()
{
    m_cookbookPage->setVisible(m_typ == 1);
    m_filePage->setVisible(m_typ != 1);
    m_htmlPart->setVisible(m_typ == 2);
    // The hidden controls' minimum heights must be gone before the window shrinks to the page.
    layout()->activate();
    resize(width(), pageHeight(m_typ));
}

void WizardExport::choose(int typ)
{
    m_typ = typ;
    ui::setOptionChosen(exp1, typ == 1);
    ui::setOptionChosen(exp2, typ == 2);
    ui::setOptionChosen(exp3, typ == 3);
    showPage();
}

void WizardExport::exp1_Click()
{
    if (m_typ == 1) return;
    choose(1);
}

void WizardExport::exp2_Click()
{
    if (m_typ == 2) return;
    choose(2);
    showPreview();
}

void WizardExport::exp3_Click()
{
    if (m_typ == 3) return;
    choose(3);
    showPreview();
}

void WizardExport::showPreview()
{
    QString& preview = m_typ == 2 ? m_htmlVorschau : m_mmVorschau;
    if (preview.isEmpty()) {
        ui::BusyPointer busy;
        preview = m_typ == 2 ? htmlstring(cookbook(), auswahlId(), false, {}) : mmstring(cookbook(), auswahlId(), false, {});
    }
    rez->setPlainText(ui::displayText(preview));
}

void WizardExport::l2_Change()
{
    const QString root = l2->currentData().toString();
    ui::showDrive(l3, m_folders, root);
    l3->setCurrentIndex(m_folders->indexOf(root.size() > 1 ? root.chopped(1) : root));
    m_pfad = root;
}

void WizardExport::pname_Click()
{
    if (m_typ == 1) return;
    const QString path =
        m_typ == 2 ? openfiledlg(QStringLiteral("HTML-Dateien"), QStringLiteral("*"),
                                 QStringLiteral("HTML-Datei angeben"), getreg(reg::exportpfad))
                   : openfiledlg(QStringLiteral("MealMaster-Dateien"), QStringLiteral("*"),
                                 QStringLiteral("MealMaster-Datei angeben"), getreg(reg::exportpfad));
    // A cancelled dialog answers nothing; a name that short is none either.
    if (path.size() < 5) return;
    pname->setText(path);
    pname->setFocus();
    pname->end(false);
}

void WizardExport::inclip_Click()
{
    if (m_typ == 2) {
        QGuiApplication::clipboard()->setText(boxText(hk) + linebreak + boxText(rez) + linebreak + boxText(hf));
        ui::msgbox(QStringLiteral("Der HTML-Text wurde in die Zwischenablage kopiert."), ui::OkOnly, QStringLiteral(" "));
    } else if (m_typ == 3) {
        QGuiApplication::clipboard()->setText(boxText(rez));
        ui::msgbox(QStringLiteral("Der MealMaster-Text wurde in die Zwischenablage kopiert."), ui::OkOnly,
                   QStringLiteral(" "));
    }
}

void WizardExport::start_Click()
{
    if (m_typ == 1)
        exportToCookbook();
    else
        exportToFile();
}

void WizardExport::exportToFile()
{
    const QString name = pname->text();
    if (name.size() < 2) {
        ui::msgbox(QStringLiteral("Bitte einen Dateinamen eingeben. Klicken Sie in das leere Feld."),
                   ui::Exclamation | ui::OkOnly, kTitel);
        return;
    }
    // A bare name typed into the box lands in the home folder, the program's "c:\".
    const QString file = QDir(paths::homeFolder()).absoluteFilePath(name);
    if (QFileInfo::exists(file) &&
        ui::msgbox(QStringLiteral("Die Datei '") + name + QStringLiteral("' gibt es schon. Soll sie überschrieben werden ?"),
                   ui::YesNo, kTitel) != ui::Answer::Yes)
        return;
    QString result;
    try {
        ui::BusyPointer busy;
        result = m_typ == 2 ? htmlstring(cookbook(), auswahlId(), true, file, boxText(hk), boxText(hf))
                            : mmstring(cookbook(), auswahlId(), true, file);
    } catch (const ExportError& e) {
        ui::msgbox(e.text(), ui::Exclamation | ui::OkOnly, kTitel);
        return;
    }
    if (result == kLeereAuswahl) {
        ui::msgbox(QStringLiteral("In der Auswahl ist kein Rezept. Es wurde nichts exportiert."),
                   ui::Exclamation | ui::OkOnly, kTitel);
        return;
    }
    // The whole name: the dialog's next start shows this file.
    savereg(reg::exportpfad, file);
    ui::msgbox(QStringLiteral("Fertig."), ui::OkOnly, QStringLiteral(" "));
    unloadSelf();
}

void WizardExport::exportToCookbook()
{
    // Before the length: "." is short, but it is refused for what it is.
    if (const QString refused = refusedFolderName(l5->text()); !refused.isEmpty()) {
        ui::msgbox(refused, ui::Exclamation | ui::OkOnly, kTitel);
        return;
    }
    if (l5->text().size() < 2 || l8->text().size() < 2) {
        ui::msgbox(QStringLiteral("Bitte Pfad und Name eingeben !"), ui::Exclamation | ui::OkOnly, kTitel);
        return;
    }
    if (l10->text().isEmpty()) l10->setText(QStringLiteral("-"));
    QString info = l10->text();
    try {
        ui::BusyPointer busy;
        exportCookbook(cookbook(), l3Path() + l5->text(), l8->text(), info, auswahlId());
    } catch (const ExportError& e) {
        ui::msgbox(e.text(), ui::Exclamation | ui::OkOnly, kTitel);
        return;
    }
    ui::msgbox(QStringLiteral("Fertig."), ui::OkOnly, QStringLiteral(" "));
    unloadSelf();
}

qint64 WizardExport::auswahlId() const
{
    return m_chosenList ? m_chosenList() : 0;
}

QString WizardExport::l3Path() const
{
    return m_pfad;
}

void WizardExport::kreuz_Click()
{
    unloadSelf();
}

void WizardExport::unloadSelf()
{
    leave();
    ui::WindowRegistry::unload(kName);
}

}  // namespace kv
