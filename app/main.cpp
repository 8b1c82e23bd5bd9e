#include "app/starthooks.h"
#include "app/windowlist.h"
#include "core/cookbookdb.h"
#include "core/mainmod.h"
#include "mainwindow/startup_window.h"
#include "platform/ui/translations.h"
#include "platform/ui/widgethost.h"
#include "platform/ui/windows.h"

#include <QApplication>

namespace {

// Ending the program at once (Cancel in an error box of the opening) is an exception
// that unwinds to here; from inside an event handler it stops the event loop.
class KelvorApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const kv::ProgramEnd&) {
            QCoreApplication::exit(0);
            return true;
        }
    }
};

}  // namespace

int main(int argc, char** argv)
{
    KelvorApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Kelvor"));
    QCoreApplication::setApplicationName(QStringLiteral("Kelvor"));
    QCoreApplication::setApplicationVersion(QStringLiteral("2.3.7"));
    kv::ui::installGermanTranslations(app);
    kv::ui::installWidgetDialogHost();
    kv::ui::centreNewWindows();

    kv::installStartHooks();
    kv::registerAllWindows();

    kv::GuiStartupUi startup;
    kv::setStartupUi(&startup);
    try {
        kv::Main();
    } catch (const kv::ProgramEnd&) {
        return 0;
    }
    return app.exec();
}
