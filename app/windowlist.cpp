#include "app/windowlist.h"

#include "core/ende.h"
#include "core/finddir.h"
#include "core/warten.h"
#include "exchange/exportwizard.h"
#include "exchange/importstatus.h"
#include "exchange/newsreaderwork.h"
#include "exchange/newswizard.h"
#include "exchange/weiteresdateien.h"
#include "exchange/wizardimport.h"
#include "exchange/wizardimporterr.h"
#include "exchange/wizardnachimport.h"
#include "mainwindow/about.h"
#include "mainwindow/editor.h"
#include "mainwindow/einheiten.h"
#include "mainwindow/hm.h"
#include "mainwindow/neu_auswahl.h"
#include "mainwindow/neu_menue.h"
#include "mainwindow/neu_portion.h"
#include "mainwindow/weiteres.h"
#include "mainwindow/weiteres_umlaute.h"
#include "mainwindow/weiters_komment.h"
#include "platform/ui/windows.h"
#include "printing/print_rezept.h"
#include "printing/print_setup.h"
#include "search/stichwortsuche.h"
#include "search/suchen.h"
#include "search/zutatensuche.h"

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
