#include "mainwindow/viewwindows.h"

#include "mainwindow/neu_auswahl.h"
#include "mainwindow/neu_menue.h"
#include "mainwindow/neu_portion.h"
#include "platform/ui/windows.h"

namespace kv {

void registerViewWindows()
{
    ui::WindowRegistry::registerWindow(QStringLiteral("neu_portion"), [] { return new NeuPortion; });
    ui::WindowRegistry::registerWindow(QStringLiteral("neu_auswahl"), [] { return new NeuAuswahl; });
    ui::WindowRegistry::registerWindow(QStringLiteral("neu_menue"), [] { return new NeuMenue; });
}

}  // namespace kv
