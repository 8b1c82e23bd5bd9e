// The main window on a large cookbook: from the start procedure to the first screen of
// the recipe list, and from there to the list's end. The cookbook is generated once per
// run by kelvor_gencookbook in a separate process, so the memory figures show only what
// the program takes.
//   KELVOR_BENCH_RECIPES   number of recipes (default 250000)
//   KELVOR_BENCH_COOKBOOK  folder of an existing generated cookbook to use instead

#include "app/starthooks.h"
#include "app/windowlist.h"
#include "bench/support/silentdialogs.h"
#include "core/cookbookdb.h"
#include "core/ende_window.h"
#include "core/mainmod.h"
#include "core/settings.h"
#include "mainwindow/editor_window.h"
#include "mainwindow/hm_window.h"
#include "mainwindow/startup_window.h"
#include "platform/settings/regstore.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/windows.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

std::unique_ptr<QTemporaryDir> g_temp;
QString g_folder;
double g_rssBeforeStart = 0;

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

double currentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

// Nothing on the way asks a question on a generated cookbook; a box that shows up anyway
// is answered and reported rather than waited for.
class AnsweringHost : public kv::bench::SilentDialogs {
public:
    AnsweringHost() : SilentDialogs("bench_hm") {}
    kv::ui::Answer msgbox(const QString& text, int style, const QString&) override
    {
        messageAt = clock.isValid() ? clock.nsecsElapsed() : 0;
        if (!expected.isEmpty() && text.startsWith(expected))
            expected.clear();
        else
            std::fprintf(stderr, "bench_hm: unexpected message: %s\n", qPrintable(text));
        return (style & 7) == kv::ui::YesNo ? kv::ui::Answer::Yes : kv::ui::Answer::Ok;
    }
    // The message a measurement waits for, and when the last one came.
    QString expected;
    QElapsedTimer clock;
    qint64 messageAt = 0;
};

bool prepareCookbook()
{
    g_temp = std::make_unique<QTemporaryDir>();
    if (!g_temp->isValid())
        return false;
    qputenv("KELVOR_HOME", g_temp->filePath(QStringLiteral("programm")).toLocal8Bit());
    qputenv("KELVOR_SHIPPED", KELVOR_SHIPPED_DIR);
    kv::settings::setStoreFile(g_temp->filePath(QStringLiteral("settings.ini")));

    const QString given = qEnvironmentVariable("KELVOR_BENCH_COOKBOOK");
    if (!given.isEmpty()) {
        g_folder = QDir(given).absolutePath() + u'/';
    } else {
        bool ok = false;
        int recipes = qEnvironmentVariableIntValue("KELVOR_BENCH_RECIPES", &ok);
        if (!ok)
            recipes = 250000;
        g_folder = g_temp->filePath(QStringLiteral("kochbuch")) + u'/';
        QElapsedTimer timer;
        timer.start();
        QProcess gen;
        gen.setProcessChannelMode(QProcess::ForwardedChannels);
        gen.start(QStringLiteral(KELVOR_GENCOOKBOOK_TOOL), {g_folder, QString::number(recipes)});
        if (!gen.waitForFinished(-1) || gen.exitStatus() != QProcess::NormalExit || gen.exitCode() != 0) {
            std::fprintf(stderr, "bench_hm: generating the cookbook failed\n");
            return false;
        }
        std::fprintf(stderr, "bench_hm: cookbook of %d recipes generated in %.1f s\n", recipes,
                     double(timer.elapsed()) / 1000.0);
    }
    if (!QFileInfo::exists(g_folder + kv::kochbuchdatei)) {
        std::fprintf(stderr, "bench_hm: %s has no cookbook\n", qPrintable(g_folder));
        return false;
    }
    kv::savereg(kv::reg::loadeddir, g_folder);
    // The settings of a user who has started the program before.
    kv::setdefaults();
    return true;
}

kv::Hm* mainWindow()
{
    return kv::ui::WindowRegistry::instance<kv::Hm>(QStringLiteral("hm"));
}

// The recipe list, found by its name as any caller outside the window finds it.
QTableView* rezgrid()
{
    auto* grid = mainWindow()->findChild<QTableView*>(QStringLiteral("rezgrid"));
    if (!grid) {
        std::fprintf(stderr, "bench_hm: the main window has no rezgrid\n");
        std::exit(1);
    }
    return grid;
}

// What the user sees first: the window painted with the rows of its first screen.
void paintFirstScreen()
{
    QCoreApplication::processEvents();
    benchmark::DoNotOptimize(mainWindow()->grab());
}

void closeProgram()
{
    {
        kv::NoClosingScreen quiet;
        kv::ui::WindowRegistry::unload(QStringLiteral("hm"));
    }
    if (kv::kochbuchdb)
        kv::kochbuchdb->close();
    kv::kochbuchdb.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void BM_StartToFirstScreen(benchmark::State& state)
{
    qint64 rows = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        kv::Main();
        paintFirstScreen();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        rows = rezgrid()->model()->rowCount();
        closeProgram();
    }
    state.counters["rows"] = double(rows);
    state.counters["rss_before_MB"] = g_rssBeforeStart;
    state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_StartToFirstScreen)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

void BM_ScrollToEnd(benchmark::State& state)
{
    kv::Main();
    paintFirstScreen();
    QTableView* grid = rezgrid();
    for (auto _ : state) {
        grid->scrollToBottom();
        benchmark::DoNotOptimize(grid->viewport()->grab());
        state.PauseTiming();
        grid->scrollToTop();
        benchmark::DoNotOptimize(grid->viewport()->grab());
        state.ResumeTiming();
    }
    state.counters["peak_MB"] = peakMegabytes();
    closeProgram();
}
BENCHMARK(BM_ScrollToEnd)->Unit(benchmark::kMillisecond);

// The End key moves the list's recordset to its last row and shows that recipe.
void BM_EndKey(benchmark::State& state)
{
    kv::Main();
    paintFirstScreen();
    QTableView* grid = rezgrid();
    for (auto _ : state) {
        QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::NoModifier);
        QCoreApplication::sendEvent(grid, &end);
        benchmark::DoNotOptimize(grid->viewport()->grab());
        state.PauseTiming();
        QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier);
        QCoreApplication::sendEvent(grid, &home);
        state.ResumeTiming();
    }
    state.counters["peak_MB"] = peakMegabytes();
    closeProgram();
}
BENCHMARK(BM_EndKey)->Unit(benchmark::kMillisecond);

// The recipe editor on a recipe of 60 ingredient lines: opened from the main window's
// edit button, saved edited, and a new recipe of 60 lines saved with the list read again.
QToolButton* button(QWidget* window, const char* name)
{
    auto* b = window->findChild<QToolButton*>(QString::fromLatin1(name));
    if (!b) {
        std::fprintf(stderr, "bench_hm: no button %s\n", name);
        std::exit(1);
    }
    return b;
}

qint64 sixtyLineRecipe()
{
    kv::db::Database& db = kv::cookbook();
    const qint64 rid = db.scalar(QStringLiteral("select max(rid) from rezepte")).toLongLong();
    db.execute(QStringLiteral("delete from zutaten where rid=?"), {rid});
    kv::db::Transaction tx(db);
    for (int nr = 1; nr <= 60; ++nr)
        db.execute(QStringLiteral("insert into zutaten (rid,tid,nr,eid,menge,zutid) "
                                  "select ?,1,?,11,?,min(zutid)+? from zutindex"),
                   {rid, nr, 10.0 * nr + 0.5, nr});
    tx.commit();
    return rid;
}

kv::NeuRezept* editor()
{
    return kv::ui::WindowRegistry::instance<kv::NeuRezept>(QStringLiteral("neu_rezept"));
}

// The program started and showing a new recipe of sixty lines.
void startOnASixtyLineRecipe()
{
    kv::Main();
    paintFirstScreen();
    const qint64 rid = sixtyLineRecipe();
    mainWindow()->findChild<kv::db::DataControl*>(QStringLiteral("rez"))->recordset()->findFirst(
        QStringLiteral("rid=%1").arg(rid));
}

void BM_EditorOpensOnASixtyLineRecipe(benchmark::State& state)
{
    startOnASixtyLineRecipe();
    for (auto _ : state) {
        button(mainWindow(), "editrez")->click();
        benchmark::DoNotOptimize(editor()->grab());
        state.PauseTiming();
        button(editor(), "kreuz")->click();
        state.ResumeTiming();
    }
    closeProgram();
}
BENCHMARK(BM_EditorOpensOnASixtyLineRecipe)->Unit(benchmark::kMillisecond);

void BM_EditorSavesAnEditedSixtyLineRecipe(benchmark::State& state)
{
    startOnASixtyLineRecipe();
    for (auto _ : state) {
        state.PauseTiming();
        button(mainWindow(), "editrez")->click();
        state.ResumeTiming();
        button(editor(), "saveedit")->click();
        QCoreApplication::processEvents();
    }
    closeProgram();
}
BENCHMARK(BM_EditorSavesAnEditedSixtyLineRecipe)->Unit(benchmark::kMillisecond);

void BM_EditorSavesANewSixtyLineRecipe(benchmark::State& state)
{
    kv::Main();
    paintFirstScreen();
    auto* name = editor()->findChild<QLineEdit*>(QStringLiteral("reznam"));
    auto* category = editor()->findChild<QComboBox*>(QStringLiteral("katgrid"));
    int made = 0;
    for (auto _ : state) {
        state.PauseTiming();
        button(mainWindow(), "neurez")->click();
        name->setText(QStringLiteral("Neues Rezept %1").arg(++made));
        category->setCurrentIndex(1);
        kv::db::Database& db = kv::cookbook();
        for (int nr = 1; nr <= 60; ++nr)
            db.execute(QStringLiteral("insert into editzutat (nr,men,ename,zut) values (?,?,'g',?)"),
                       {nr, QStringLiteral("%1 1/2").arg(nr), QStringLiteral("Zutat Nummer %1").arg(nr)});
        state.ResumeTiming();
        button(editor(), "saveedit")->click();
        benchmark::DoNotOptimize(rezgrid()->viewport()->grab());
    }
    closeProgram();
}
BENCHMARK(BM_EditorSavesANewSixtyLineRecipe)->Unit(benchmark::kMillisecond);

AnsweringHost* g_host = nullptr;

// The maintenance window's two actions on the whole cookbook. Both change it, so each
// runs once, the duplicate removal first (its removed recipes make the compaction's work).
void BM_DuplicateRemoval(benchmark::State& state)
{
    kv::Main();
    paintFirstScreen();
    qint64 removed = 0;
    for (auto _ : state) {
        const qint64 before = kv::cookbook().recordCount(QStringLiteral("rezepte"));
        button(mainWindow(), "men7")->click();
        QWidget* weiteres = kv::ui::WindowRegistry::loadedWindow(QStringLiteral("weiteres"));
        g_host->expected = QStringLiteral("Die Löschung");
        weiteres->findChild<QPushButton*>(QStringLiteral("deldup"))->click();
        removed = before - kv::cookbook().recordCount(QStringLiteral("rezepte"));
        kv::ui::WindowRegistry::unload(QStringLiteral("weiteres"));
    }
    state.counters["removed"] = double(removed);
    closeProgram();
}
BENCHMARK(BM_DuplicateRemoval)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Compaction(benchmark::State& state)
{
    kv::Main();
    paintFirstScreen();
    double toMessage = 0;
    double toWindow = 0;
    for (auto _ : state) {
        button(mainWindow(), "men7")->click();
        QWidget* weiteres = kv::ui::WindowRegistry::loadedWindow(QStringLiteral("weiteres"));
        g_host->expected = QStringLiteral("Fertig.");
        g_host->clock.start();
        weiteres->findChild<QPushButton*>(QStringLiteral("komprim"))->click();
        paintFirstScreen();
        const qint64 end = g_host->clock.nsecsElapsed();
        toMessage = double(g_host->messageAt) / 1e9;
        toWindow = double(end - g_host->messageAt) / 1e9;
    }
    state.counters["click_to_message_s"] = toMessage;
    state.counters["ok_to_window_s"] = toWindow;
    closeProgram();
}
BENCHMARK(BM_Compaction)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (!prepareCookbook())
        return 1;

    AnsweringHost host;
    g_host = &host;
    kv::ui::setDialogHost(&host);
    kv::installStartHooks();
    kv::registerAllWindows();
    kv::setQuitHook([] {});
    kv::GuiStartupUi startup;
    kv::setStartupUi(&startup);
    g_rssBeforeStart = currentMegabytes();

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    kv::ui::WindowRegistry::reset();
    kv::setStartupUi(nullptr);
    kv::ui::setDialogHost(nullptr);
    return 0;
}
