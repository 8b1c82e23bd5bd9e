#include "mainwindow/startup_window.h"

#include "core/finddir_window.h"
#include "core/rezsource.h"
#include "mainwindow/hm_window.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/windows.h"

#include <QApplication>
#include <QLabel>

namespace kv {

namespace {

Hm* hm()
{
    return ui::WindowRegistry::instance<Hm>(QStringLiteral("hm"));
}

}  // namespace

GuiStartupUi::~GuiStartupUi()
{
    while (m_busy-- > 0)
        QApplication::restoreOverrideCursor();
}

void GuiStartupUi::showWait()
{
    QWidget* w = ui::WindowRegistry::get(QStringLiteral("warten"));
    w->show();
    w->raise();
}

void GuiStartupUi::unloadWait()
{
    ui::WindowRegistry::unload(QStringLiteral("warten"));
}

void GuiStartupUi::doEvents()
{
    QCoreApplication::processEvents();
}

void GuiStartupUi::setBusy(bool busy)
{
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++m_busy;
    } else if (m_busy > 0) {
        QApplication::restoreOverrideCursor();
        --m_busy;
    }
}

void GuiStartupUi::showFinddirModal()
{
    kv::showFinddirModal();
}

void GuiStartupUi::setRecipeCount(const QString& text)
{
    // The main window is made here when it is not loaded yet; its load step installs the
    // list view the count goes to.
    hm();
    recipeListView()->setRezzahl(text);
}

void GuiStartupUi::binddaten()
{
    hm()->binddaten();
}

void GuiStartupUi::inithm()
{
    hm()->inithm();
}

void GuiStartupUi::loadEditorHidden()
{
    // Builds without the editor have nothing to load.
    if (ui::WindowRegistry::isRegistered(QStringLiteral("neu_rezept")))
        ui::WindowRegistry::get(QStringLiteral("neu_rezept"));
}

void GuiStartupUi::showMain()
{
    Hm* w = hm();
    w->show();
    w->raise();
    w->activateWindow();
}

void GuiStartupUi::beep()
{
    QApplication::beep();
}

}  // namespace kv
