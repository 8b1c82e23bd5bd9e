#include "core/finddir_window.h"

#include "core/cookbookdb.h"
#include "core/ende_window.h"
#include "core/mainmod.h"
#include "core/settings.h"
#include "platform/paths.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/folderlists.h"
#include "platform/ui/look.h"
#include "platform/ui/windows.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

#include <stdexcept>

namespace kv {

namespace {

const QString kName = QStringLiteral("finddir");

// The opening loop's modal show is running; the cross then leaves the decision to end the
// program to the loop (it throws ProgramEnd) instead of quitting under its feet.
int g_modalDepth = 0;
bool g_endRequested = false;

}  // namespace

Finddir::Finddir(QWidget* parent)
    : ui::Dialog(parent)
{
    setObjectName(kName);
    setWindowTitle(QStringLiteral(" "));

    top = new QLabel(QStringLiteral("K o c h b u c h   l a d e n"), this);
    top->setObjectName(QStringLiteral("top"));
    top->setFont(ui::narrowFont(16, true));

    Label2 = new QLabel(QStringLiteral("Jedes Kelvor-Kochbuch muß in einem separaten Verzeichnis "
                                       "untergebracht werden."),
                        this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(ui::narrowFont(10));
    Label2->setWordWrap(true);

    Label5 = new QLabel(QStringLiteral("1. Laufwerk"), this);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label5->setFont(ui::narrowFont(11, true));
    idrive = new QComboBox(this);
    idrive->setObjectName(QStringLiteral("idrive"));
    Label5->setBuddy(idrive);

    Label6 = new QLabel(QStringLiteral("2. Verzeichnis"), this);
    Label6->setObjectName(QStringLiteral("Label6"));
    Label6->setFont(ui::narrowFont(11, true));

    idir = new QTreeView(this);
    idir->setObjectName(QStringLiteral("idir"));
    Label6->setBuddy(idir);

    status = new QLabel(this);
    status->setObjectName(QStringLiteral("status"));
    status->setFont(ui::narrowFont(11, true));
    status->setWordWrap(true);
    status->setMinimumHeight(status->fontMetrics().height() * 2);

    start = new QPushButton(style()->standardIcon(QStyle::SP_DialogOpenButton),
                            QStringLiteral("Kochbuch laden"), this);
    start->setObjectName(QStringLiteral("start"));
    start->setToolTip(QStringLiteral("Das Kochbuch dieses Verzeichnisses laden"));
    start->setAutoDefault(false);
    kreuz = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton),
                            QStringLiteral("Schließen"), this);
    kreuz->setObjectName(QStringLiteral("kreuz"));
    kreuz->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(kreuz);
    buttons->addStretch();
    buttons->addWidget(start);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 14, 18, 14);
    layout->addWidget(top);
    layout->addWidget(Label2);
    layout->addSpacing(6);
    layout->addWidget(Label5);
    layout->addWidget(idrive);
    layout->addSpacing(6);
    layout->addWidget(Label6);
    layout->addWidget(idir, 1);
    layout->addWidget(status);
    layout->addLayout(buttons);
    resize(460, 540);

    start->hide();
    m_folders = new ui::FolderChooser(idrive, idir, [this] { idir_Change(); });
    wireEvents();
    Form_Load();
}

void Finddir::wireEvents()
{
    connect(idrive, &QComboBox::currentIndexChanged, this, &Finddir::idrive_Change);
    connect(start, &QPushButton::clicked, this, &Finddir::start_Click);
    connect(kreuz, &QPushButton::clicked, this, &Finddir::kreuz_Click);
}

void Finddir::Form_Load()
{
    m_folders->openAt(finddirStartFolder(getreg(reg::importpfad)));
}

QString Finddir::idirPath() const
{
    return m_folders->path();
}

void Finddir::setIdirPath(const QString& folder)
{
    m_folders->setPath(folder);
}

void Finddir::idrive_Change()
{
    m_folders->driveChosen();
}

void Finddir::idir_Change()
{
    const FolderCheck check = inspectFolder(idirPath());
    switch (check.kind) {
    case FolderKind::NoCookbook:
        status->setText(QStringLiteral("In diesem Verzeichnis ist kein Kochbuch."));
        start->hide();
        break;
    case FolderKind::OtherDatabase:
        status->setText(QStringLiteral(
            "In diesem Verzeichnis ist kein Kochbuch, sondern eine andere Datenbankdatei."));
        start->hide();
        break;
    case FolderKind::Unfinished:
        status->setText(check.reason);
        start->hide();
        break;
    case FolderKind::Cookbook:
        status->setText(QStringLiteral("Kochbuch : ") + check.bname);
        start->show();
        break;
    }
}

qint16 Finddir::checkload(const QString& folder)
{
    const FolderCheck check = inspectFolder(folder);
    switch (check.kind) {
    case FolderKind::Cookbook:
        return 1;
    case FolderKind::NoCookbook:
        ui::msgbox(QStringLiteral("In diesem Verzeichnis gibt es kein Kelvor-Kochbuch. Bitte wählen "
                                  "Sie ein Verzeichnis mit einem anderen Kochbuch aus."),
                   ui::Critical | ui::OkOnly, QString());
        return 0;
    case FolderKind::Unfinished:
        // Not destroyed: whole again once a program that may write has opened it.
        ui::msgbox(check.reason, ui::Critical | ui::OkOnly, QString());
        return 0;
    case FolderKind::OtherDatabase:
        break;
    }
    ui::msgbox(QStringLiteral("Die Datei, aus der Kelvor Rezepte anzeigen möchte, ist zerstört. "
                              "Bitte wählen Sie ein Verzeichnis mit einem anderen Kochbuch aus."),
               ui::Critical | ui::OkOnly, QString());
    return 0;
}

void Finddir::start_Click()
{
    const QString folder = idirPath();
    if (nocookbook) {
        // The opening loop checks the folder on its next pass and reads it from here.
        if (!storeLoadeddir(folder)) return;
        leave();
        ui::WindowRegistry::unload(kName);
        return;
    }
    if (checkload(folder) != 1) return;
    // A switch that fails keeps the old cookbook and this dialog, to choose again.
    if (!switchCookbook(folder)) return;
    leave();
    ui::WindowRegistry::unload(kName);
}

void Finddir::kreuz_Click()
{
    if (nocookbook) {
        const ui::Answer answer = ui::msgbox(
            QStringLiteral("Sie  m ü s s e n  ein Kochbuch laden, denn Kelvor kann ohne Kuchbuch "
                           "nicht existieren. Wollen Sie Kelvor beenden ?"),
            ui::YesNo, QStringLiteral(" "));
        if (answer != ui::Answer::Yes) return;
        leave();
        ui::WindowRegistry::unload(kName);
        if (g_modalDepth > 0)
            g_endRequested = true;
        else
            quitProgram();
        return;
    }
    leave();
    ui::WindowRegistry::unload(kName);
}

void showFinddirModal()
{
    QPointer<Finddir> dialog = ui::WindowRegistry::instance<Finddir>(kName);
    g_endRequested = false;
    ++g_modalDepth;
    struct Depth {
        ~Depth() { --g_modalDepth; }
    } depth;
    ui::runModal(kName, [dialog] { return dialog ? dialog->exec() : int(QDialog::Rejected); });
    // Unloaded, never hidden: each opening starts again from its load step.
    ui::WindowRegistry::unload(kName);
    if (g_endRequested) {
        g_endRequested = false;
        throw ProgramEnd{};
    }
}

}  // namespace kv
