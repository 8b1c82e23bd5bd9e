#include "exchange/importstatus_window.h"

#include "core/mainmod.h"
#include "platform/ui/events.h"
#include "platform/ui/look.h"
#include "platform/ui/placement.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace kv {

namespace {

const QString kName = QStringLiteral("importstatus");
constexpr int kBesideGap = 8;

Importstatus* loadedStatus()
{
    return qobject_cast<Importstatus*>(ui::WindowRegistry::loadedWindow(kName));
}

// A news run that failed keeps its log on screen; what follows its import opens beside
// it, narrowed where the screen holds both no other way, so the log stays readable.
void placeBesideNewsLog(QWidget* window)
{
    QWidget* reader = ui::WindowRegistry::loadedWindow(QStringLiteral("newsreaderwork"));
    const QScreen* screen = reader && reader->isVisible() ? reader->screen() : nullptr;
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const int frameWidth = reader->frameGeometry().width() - reader->width();
    const int room = area.width() - reader->frameGeometry().width() - kBesideGap - frameWidth;
    if (window->width() > room) window->resize(std::max(window->minimumSizeHint().width(), room), window->height());
    ui::placeBeside(window, reader, kBesideGap);
}

}  // namespace

Importstatus::Importstatus(QWidget* parent)
    : ui::Dialog(parent)
{
    top = ui::darkWindow(this, kName, QStringLiteral("I m p o r t i e r e n   . . ."));
    Label2 = ui::caption(this, QStringLiteral("Label2"), QStringLiteral("Verarbeitete Datei :"));
    idat = ui::caption(this, QStringLiteral("idat"), QString(), 10, false);
    // A long path must not widen the window; it wraps where it can and is cut where not.
    idat->setWordWrap(true);
    idat->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    idat->setMinimumHeight(idat->fontMetrics().lineSpacing() * 2);
    Label1 = ui::caption(this, QStringLiteral("Label1"), QStringLiteral("Eingelesene Rezepte :"));
    irez = ui::caption(this, QStringLiteral("irez"), QString(), 10, false);
    kreuz = ui::pictureButton(this, QStringLiteral("kreuz"), QStringLiteral("close"), QStringLiteral("Ende"), 32);

    auto* grid = new QGridLayout;
    grid->addWidget(Label2, 0, 0, Qt::AlignTop);
    grid->addWidget(idat, 0, 1);
    grid->addWidget(Label1, 1, 0);
    grid->addWidget(irez, 1, 1);
    grid->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 10, 14, 10);
    layout->addWidget(top);
    layout->addLayout(grid);
    layout->addWidget(kreuz, 0, Qt::AlignRight);
    resize(520, sizeHint().height());

    ui::onClick(kreuz, [this] { kreuz_Click(); });
}

void Importstatus::setIdat(const QString& path)
{
    idat->setText(path);
}

void Importstatus::setIrez(const QString& count)
{
    irez->setText(count);
}

void Importstatus::kreuz_Click()
{
    // The reader stops at its next look at the flag; the driver closes this window.
    importcancel = true;
}

namespace exchange {

void ImportWindows::showImportstatus()
{
    // The lists of the last import are gone with this one.
    ui::WindowRegistry::unload(QStringLiteral("wizard_importerr"));
    ui::WindowRegistry::unload(QStringLiteral("wizard_nachimport"));
    auto* status = ui::WindowRegistry::instance<Importstatus>(kName);
    status->setWindowModality(Qt::ApplicationModal);
    status->show();
    status->raise();
    status->activateWindow();
}

void ImportWindows::setIdat(const QString& path)
{
    if (Importstatus* status = loadedStatus()) status->setIdat(path);
}

void ImportWindows::setIrez(const QString& count)
{
    if (Importstatus* status = loadedStatus()) status->setIrez(count);
}

void ImportWindows::unloadImportstatus()
{
    ui::WindowRegistry::unload(kName);
}

void ImportWindows::doEvents()
{
    QCoreApplication::processEvents();
}

void ImportWindows::setBusy(bool busy)
{
    if (busy == m_busy) return;
    m_busy = busy;
    if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
    else QApplication::restoreOverrideCursor();
}

void ImportWindows::beep()
{
    QApplication::beep();
}

void ImportWindows::showImportErrors()
{
    showModeless(QStringLiteral("wizard_importerr"));
}

void ImportWindows::showNachimport()
{
    showModeless(QStringLiteral("wizard_nachimport"));
}

ImportWindows& importWindows()
{
    static ImportWindows windows;
    return windows;
}

void showModeless(const QString& name)
{
    // Loaded anew: an open one shows the rows of an earlier import, or ids since deleted.
    ui::WindowRegistry::unload(name);
    QWidget* window = ui::WindowRegistry::get(name);
    placeBesideNewsLog(window);
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace exchange

}  // namespace kv
