// The first opening of an old cookbook, as a user upgrading from an old version
// meets it: every upgrade step, the conversion of the servings headings and the
// index build. Each size is generated once; every iteration opens a fresh copy,
// and only kv::opendaten is timed.
//   KELVOR_BENCH_OPEN_RECIPES  sizes, comma-separated (default 20000,100000)

#include "app/starthooks.h"
#include "bench/db/gencookbook.h"
#include "core/cookbookdb.h"
#include "core/mainmod.h"
#include "core/settings.h"
#include "platform/db/database.h"
#include "platform/settings/regstore.h"
#include "platform/ui/dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

namespace {

std::unique_ptr<QTemporaryDir> g_temp;

const QStringList kIndexMessages = {QStringLiteral("Kelvor muß beim ersten Starten seine Suchindizes erstellen."),
                                    QStringLiteral("Die Suchindizes wurden erstellt")};

// Answers every box with Ok, as a user who waits for the index build does, and keeps
// the texts: a box other than the two index messages means the opening went wrong.
class OkDialogs : public kv::ui::DialogHost {
public:
    kv::ui::Answer msgbox(const QString& text, int, const QString&) override
    {
        shown << text;
        return kv::ui::Answer::Ok;
    }
    std::optional<QString> inputbox(const QString& prompt, const QString&, const QString&) override
    {
        shown << prompt;
        return {};
    }
    QString openFileName(const QString& caption, const QString&, const QString&) override { return other(caption); }
    QString saveFileName(const QString& caption, const QString&, const QString&, kv::ui::OverwriteQuestion) override { return other(caption); }
    QString existingFolder(const QString& caption, const QString&) override { return other(caption); }
    int runModal(const QString& name, const std::function<int()>&) override
    {
        shown << name;
        return 0;
    }
    bool fontDialog(kv::ui::FontChoice& font) override
    {
        shown << font.name;
        return false;
    }

    // The first box that is not one of the index messages in their order, or "".
    QString unexpected() const
    {
        for (int i = 0; i < shown.size(); ++i)
            if (i >= kIndexMessages.size() || !shown[i].startsWith(kIndexMessages[i])) return shown[i];
        return shown.size() == kIndexMessages.size() ? QString() : QStringLiteral("(keine Meldung zum Index)");
    }

    QStringList shown;

private:
    QString other(const QString& caption)
    {
        shown << caption;
        return {};
    }
};

void removeCookbook(const QString& file)
{
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) QFile::remove(file + QLatin1String(suffix));
}

std::vector<int> sizes()
{
    const QString given = qEnvironmentVariable("KELVOR_BENCH_OPEN_RECIPES", QStringLiteral("20000,100000"));
    std::vector<int> result;
    for (const QString& part : given.split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int n = part.trimmed().toInt(&ok);
        if (!ok || n < 0) {
            std::fprintf(stderr, "bench_open: not a number of recipes: %s\n", qPrintable(part));
            return {};
        }
        result.push_back(n);
    }
    return result;
}

void firstOpening(benchmark::State& state, const QString& source)
{
    const QString folder = QFileInfo(source).absolutePath() + QStringLiteral("/offen/");
    const QString file = folder + kv::kochbuchdatei;
    QDir().mkpath(folder);
    kv::savereg(kv::reg::loadeddir, folder);
    OkDialogs dialogs;
    kv::ui::setDialogHost(&dialogs);
    for (auto _ : state) {
        kv::kochbuchdb.reset();
        removeCookbook(file);
        if (!QFile::copy(source, file)) {
            state.SkipWithError("the cookbook cannot be copied");
            break;
        }
        dialogs.shown.clear();

        const auto start = std::chrono::steady_clock::now();
        try {
            kv::opendaten();
        } catch (const std::exception& e) {
            state.SkipWithError(e.what());
            break;
        } catch (const kv::ProgramEnd&) {
            state.SkipWithError(("the opening ended the program: " + dialogs.shown.join(u'|')).toStdString().c_str());
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());

        const QString wrong = dialogs.unexpected();
        if (!wrong.isEmpty()) {
            state.SkipWithError(("unexpected box: " + wrong).toStdString().c_str());
            break;
        }
    }
    if (kv::kochbuchdb) state.counters["recipes"] = double(kv::kochbuchdb->recordCount(QStringLiteral("rezepte")));
    kv::kochbuchdb.reset();
    kv::ui::setDialogHost(nullptr);
    removeCookbook(file);
}

bool registerSizes()
{
    const std::vector<int> wanted = sizes();
    if (wanted.empty()) return false;
    for (int recipes : wanted) {
        const QString folder = g_temp->filePath(QStringLiteral("alt-%1").arg(recipes));
        QElapsedTimer timer;
        timer.start();
        try {
            kv::bench::generateOldCookbook(folder, recipes, 1);
        } catch (const kv::db::DbError& e) {
            std::fprintf(stderr, "bench_open: %s\n%s\n", qPrintable(e.text()), qPrintable(e.sql()));
            return false;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "bench_open: %s\n", e.what());
            return false;
        }
        const QString source = QDir(folder).filePath(kv::kochbuchdatei);
        std::fprintf(stderr, "bench_open: old cookbook of %d recipes, %.1f MB, generated in %.1f s\n", recipes,
                     double(QFileInfo(source).size()) / 1e6, double(timer.elapsed()) / 1000.0);
        const std::string name = "BM_FirstOpeningOfAnOldCookbook/" + std::to_string(recipes);
        benchmark::RegisterBenchmark(name.c_str(), firstOpening, source)
            ->Unit(benchmark::kSecond)
            ->UseManualTime();
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    g_temp = std::make_unique<QTemporaryDir>();
    if (!g_temp->isValid()) return 1;
    qputenv("KELVOR_HOME", g_temp->filePath(QStringLiteral("programm")).toLocal8Bit());
    qputenv("KELVOR_SHIPPED", KELVOR_SHIPPED_DIR);
    kv::settings::setStoreFile(g_temp->filePath(QStringLiteral("settings.ini")));
    kv::installStartHooks();
    if (!registerSizes()) return 1;

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_temp.reset();
    return 0;
}
