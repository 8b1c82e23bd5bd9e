#include "mainwindow/startupui.h"

#include "core/finddir.h"
#include "mainwindow/hm.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/windows.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QPointer>

namespace kv {

namespace {

Hm* hm()
{
    return ui::WindowRegistry::instance<Hm>(QStringLiteral("hm"));
}

class HideWatcher : public QObject {
public:
    explicit HideWatcher(QEventLoop& loop)
        : m_loop(loop)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide)
            m_loop.quit();
        return QObject::eventFilter(watched, event);
    }

private:
    QEventLoop& m_loop;
};

}  // namespace

int execModal(QWidget* window)
{
    if (auto* dialog = qobject_cast<QDialog*>(window))
        return dialog->exec();
    QPointer<QWidget> guard(window);
    window->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    HideWatcher watcher(loop);
    window->installEventFilter(&watcher);
    QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
    window->show();
    loop.exec(QEventLoop::DialogExec);
    if (guard) {
        guard->removeEventFilter(&watcher);
        guard->setWindowModality(Qt::NonModal);
    }
    return 0;
}

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
    hm()->rezzahl->setText(text);
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

void GuiStartupUi::releaseData()
{
    if (auto* w = qobject_cast<Hm*>(ui::WindowRegistry::loadedWindow(QStringLiteral("hm"))))
        w->releaseData();
}

}  // namespace kv
