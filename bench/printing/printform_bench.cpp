// The print window of the started program on a large cookbook, for a selection list of
// 100 recipes: from the main window's print button to the first page in the preview (the
// hand-over, the window's load, the layout and the page drawn; goal under 1 s), and the
// whole list printed to a PDF file (time and pages).
//   KELVOR_BENCH_COOKBOOK        folder of a generated cookbook to copy
//   KELVOR_BENCH_PRINT_RECIPES   recipes in the list instead of 100; the time to PDF grows
//                                with the pages (both in bench/printing/hundredrecipes.h)

#include "app/starthooks.h"
#include "app/windowlist.h"
#include "bench/printing/hundredrecipes.h"
#include "bench/support/silentdialogs.h"
#include "core/cookbookdb.h"
#include "core/ende_window.h"
#include "core/mainmod.h"
#include "core/settings.h"
#include "mainwindow/startup_window.h"
#include "platform/settings/regstore.h"
#include "platform/ui/windows.h"
#include "printing/print_rezept_window.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QToolButton>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

std::unique_ptr<QTemporaryDir> g_temp;

// The only file dialog on the way asks where the PDF goes.
class PdfHost : public kv::bench::SilentDialogs {
public:
    PdfHost() : SilentDialogs("bench_printform") {}
    QString saveFileName(const QString&, const QString&, const QString&, kv::ui::OverwriteQuestion) override
    {
        return pdf;
    }
    QString pdf;
};

PdfHost g_host;

QToolButton* button(QWidget* window, const char* name)
{
    auto* b = window ? window->findChild<QToolButton*>(QString::fromLatin1(name)) : nullptr;
    if (!b) {
        std::fprintf(stderr, "bench_printform: no button %s\n", name);
        std::exit(1);
    }
    return b;
}

QWidget* mainWindow()
{
    return kv::ui::WindowRegistry::get(QStringLiteral("hm"));
}

kv::PrintRezept* printWindow()
{
    return qobject_cast<kv::PrintRezept*>(kv::ui::WindowRegistry::loadedWindow(QStringLiteral("print_rezept")));
}

int pdfPages(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    return int(QString::fromLatin1(f.readAll()).count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))));
}

void BM_ButtonToFirstPreviewPage(benchmark::State& state)
{
    int pages = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        button(mainWindow(), "druckaus")->click();
        kv::PrintRezept* form = printWindow();
        if (!form || form->findChild<QLabel*>(QStringLiteral("preview"))->pixmap().isNull())
            state.SkipWithError("no preview page");
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        pages = form ? form->layout().pagecount() : 0;
        state.PauseTiming();
        kv::ui::WindowRegistry::unload(QStringLiteral("print_rezept"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    state.counters["pages"] = pages;
}
BENCHMARK(BM_ButtonToFirstPreviewPage)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

void BM_WholeListToPdf(benchmark::State& state)
{
    button(mainWindow(), "druckaus")->click();
    int pages = 0;
    qint64 bytes = 0;
    for (auto _ : state) {
        g_host.pdf = g_temp->filePath(QStringLiteral("liste.pdf"));
        QFile::remove(g_host.pdf);
        QElapsedTimer timer;
        timer.start();
        button(printWindow(), "printpreview")->click();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        pages = pdfPages(g_host.pdf);
        bytes = QFileInfo(g_host.pdf).size();
        if (pages != printWindow()->layout().pagecount())
            state.SkipWithError("the PDF has not the pages of the preview");
        state.PauseTiming();
        printWindow()->show();
        state.ResumeTiming();
    }
    state.counters["pages"] = pages;
    state.counters["pdf_kB"] = double(bytes) / 1024.0;
    kv::ui::WindowRegistry::unload(QStringLiteral("print_rezept"));
}
BENCHMARK(BM_WholeListToPdf)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

bool prepare()
{
    g_temp = std::make_unique<QTemporaryDir>();
    if (!g_temp->isValid())
        return false;
    qputenv("KELVOR_HOME", g_temp->filePath(QStringLiteral("programm")).toLocal8Bit());
    qputenv("KELVOR_SHIPPED", KELVOR_SHIPPED_DIR);
    kv::settings::setStoreFile(g_temp->filePath(QStringLiteral("settings.ini")));

    const QString folder = g_temp->filePath(QStringLiteral("kochbuch"));
    const QString file = kv::bench::printBenchCookbook(folder);
    if (file.isEmpty())
        return false;
    {
        auto book = kv::db::Database::open(file);
        const qint64 aid = kv::bench::addHundredRecipeList(*book);
        std::fprintf(stderr, "bench_printform: %lld recipes\n",
                     book->scalar(QStringLiteral("select count(*) from rezepte")).toLongLong());
        // The list the main window shows at its start.
        kv::savereg(kv::reg::currentauswahl, QString::number(aid));
    }
    kv::savereg(kv::reg::loadeddir, folder + u'/');
    // The settings of a user who has started the program before.
    kv::setdefaults();
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (!prepare())
        return 1;
    kv::ui::setDialogHost(&g_host);
    kv::installStartHooks();
    kv::registerAllWindows();
    kv::setQuitHook([] {});
    kv::GuiStartupUi startup;
    kv::setStartupUi(&startup);
    kv::Main();

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    {
        kv::NoClosingScreen quiet;
        kv::ui::WindowRegistry::reset();
    }
    kv::kochbuchdb.reset();
    kv::setStartupUi(nullptr);
    kv::ui::setDialogHost(nullptr);
    g_temp.reset();
    return 0;
}
