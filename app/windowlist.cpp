#include "app/windowlist.h"

#include "core/ende_window.h"
#include "core/finddir_window.h"
#include "core/warten_window.h"
#include "exchange/exportwizard_window.h"
#include "exchange/importstatus_window.h"
#include "exchange/newsreaderwork_window.h"
#include "exchange/newswizard_window.h"
#include "exchange/weiteresdateien_window.h"
#include "exchange/wizardimport_window.h"
#include "exchange/wizardimporterr_window.h"
#include "exchange/wizardnachimport_window.h"
#include "mainwindow/about_window.h"
#include "mainwindow/editor_window.h"
#include "mainwindow/einheiten_window.h"
#include "mainwindow/hm_window.h"
#include "mainwindow/neu_auswahl_window.h"
#include "mainwindow/neu_menue_window.h"
#include "mainwindow/neu_portion_window.h"
#include "mainwindow/weiteres_window.h"
#include "mainwindow/weiteres_umlaute_window.h"
#include "mainwindow/weiters_komment_window.h"
#include "platform/ui/windows.h"
#include "printing/print_rezept_window.h"
#include "printing/print_setup_window.h"
#include "search/stichwortsuche_window.h"
#include "search/suchen_window.h"
#include "search/zutatensuche_window.h"

namespace kv {

namespace {

template <class Window>
void add(const char* name)
{
    ui::WindowRegistry::registerWindow(QString::fromLatin1(name), [] { return new Window; });
}

// The selection list chosen in the main window; none while it is not loaded.
qint64 chosenSelectionList()
{
    const auto* hm = qobject_cast<const Hm*>(ui::WindowRegistry::loadedWindow(QStringLiteral("hm")));
    return hm ? hm->korbgridBoundText().toLongLong() : 0;
}

}  // namespace

void registerAllWindows()
{
    add<Warten>("warten");
    add<Ende>("ende");
    add<Finddir>("finddir");
    add<Hm>("hm");
    add<About>("about");
    add<NeuPortion>("neu_portion");
    add<NeuAuswahl>("neu_auswahl");
    add<NeuMenue>("neu_menue");
    add<NeuRezept>("neu_rezept");
    add<Einheiten>("einheiten");
    add<Weiteres>("weiteres");
    add<WeitersKomment>("weiters_komment");
    add<WeiteresUmlaute>("weiteres_umlaute");
    add<Stichwortsuche>("stichwortsuche");
    add<Suchen>("suchen");
    add<Zutatensuche>("zutatensuche");
    ui::WindowRegistry::registerWindow(QStringLiteral("wizard_export"),
                                       [] { return new WizardExport(chosenSelectionList); });
    add<WizardImport>("wizard_import");
    add<Importstatus>("importstatus");
    add<WizardImporterr>("wizard_importerr");
    add<WizardNachimport>("wizard_nachimport");
    add<WeiteresDateien>("weiteres_dateien");
    add<WizardNews>("wizard_news");
    add<Newsreaderwork>("newsreaderwork");
    add<PrintRezept>("print_rezept");
    add<PrintSetup>("print_setup");
    // The import driver reaches its windows through its interface.
    exchange::setImportUi(&exchange::importWindows());
}

}  // namespace kv
