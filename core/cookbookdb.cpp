#include "core/cookbookdb.h"

#include "core/indizieren.h"
#include "core/mainmod.h"
#include "core/rezsource.h"
#include "core/schema.h"
#include "core/settings.h"
#include "platform/db/database.h"
#include "platform/paths.h"
#include "platform/ui/closinghooks.h"
#include "platform/ui/dialogs.h"
#include "printing/printsettingsdb.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <sqlite3.h>

#include <array>
#include <stdexcept>

namespace kv {

namespace {

const QString printSettingsFile = QStringLiteral("kelvor-printsettings.mdb");

// Without windows (a tool, a test that installs none) there is no one to choose a cookbook.
class NoWindows : public StartupUi {
public:
    void showWait() override {}
    void unloadWait() override {}
    void doEvents() override {}
    void setBusy(bool) override {}
    void showFinddirModal() override { throw ProgramEnd{}; }
    void setRecipeCount(const QString&) override {}
    void binddaten() override {}
    void inithm() override {}
    void loadEditorHidden() override {}
    void showMain() override {}
    void beep() override {}
};

StartupUi& windows()
{
    static NoWindows none;
    StartupUi* installed = startupUi();
    return installed ? *installed : none;
}

class BusyPointer {
public:
    ~BusyPointer() { set(false); }
    void set(bool busy)
    {
        if (busy != m_busy) windows().setBusy(busy);
        m_busy = busy;
    }

private:
    bool m_busy = false;
};

// Runs one phase of the opening; a failure asks Retry (the phase runs again) or Cancel
// (the program ends). The phase's name is read when the failure happens.
void withRetry(const QString& step, const std::function<void()>& phase)
{
    for (;;) {
        int number = 0;
        QString text;
        try {
            phase();
            return;
        } catch (const db::DbError& e) {
            number = e.number();
            text = e.text();
        } catch (const std::exception& e) {
            text = QString::fromLocal8Bit(e.what());
        }
        if (ui::errorbox(QStringLiteral("LOADDBS (") + step + QStringLiteral(") - "), number, text,
                         ui::RetryCancel) != ui::Answer::Retry)
            throw ProgramEnd{};
    }
}

struct OpenedState {
    bool changelog = false;
    QSet<int> steps;
};

void noCookbook(const QString& message, BusyPointer& busy)
{
    busy.set(false);
    ui::msgbox(message, ui::Critical | ui::OkOnly, QString());
    nocookbook = true;
    windows().showFinddirModal();
}

const QString damagedMessage = QStringLiteral(
    "Die Datei, aus der Kelvor Rezepte anzeigen möchte, ist zerstört oder es handelt sich nicht um ein Kochbuch. "
    "Bitte wählen Sie ein Verzeichnis mit einem anderen Kochbuch aus.");

bool isDamagedFile(const db::DbError& e)
{
    const int primary = e.number() & 0xff;
    return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT;
}

// One pass of the opening loop; true when a valid cookbook is open.
bool openingPass(QString& step, OpenedState& state, BusyPointer& busy)
{
    step = QStringLiteral("datendb");
    const QString file = (kochbuchprefix() + QStringLiteral("-daten.mdb")).trimmed();
    if (getreg(reg::printfont0name).isEmpty()) defaultprint();
    if (!printsettingsComplete()) createprintsettingsdb();

    // The name always has the length of the file name at least; the rule guards a store
    // edited by hand.
    if (!paths::fileExists(file) || file.size() < 12) {
        for (const QString& fallback : {QStringLiteral("kochbuch"), QStringLiteral("kochbuch_shareware")}) {
            const QString folder = paths::absoluteFolder(paths::programFolder() + u'/' + fallback);
            if (!paths::fileExists(folder + kochbuchdatei)) continue;
            // Without the stored folder the next pass would look in the same wrong place.
            if (!savereg(reg::loadeddir, folder))
                throw std::runtime_error("Der Ordner des Kochbuchs kann nicht in den Einstellungen gespeichert werden.");
            return false;
        }
        noCookbook(QStringLiteral("Es ist kein Kochbuch geladen oder die zuletzt geladene Kochbuchdatei gibt es "
                                  "nicht mehr. Bitte wählen Sie ein Verzeichnis mit einem anderen Kochbuch aus."),
                   busy);
        return false;
    }

    step = QStringLiteral("opendatabase");
    // Absolute, so a later change of the working folder cannot lose the cookbook.
    const QString path = QFileInfo(file).absoluteFilePath();
    std::unique_ptr<db::Database> opened;
    try {
        opened = db::Database::open(path);
    } catch (const db::DbError& e) {
        // A file that is no database at all can never open, so Retry would only repeat the
        // box and the stored folder would bring it back at every start: it is a damaged
        // cookbook, like a database without `kochbuchname`. Other failures (a locked or
        // unreadable file) may pass and keep Retry or Cancel.
        if (!isDamagedFile(e)) throw;
        noCookbook(damagedMessage, busy);
        return false;
    }
    // No window may keep a recordset on the file it replaces.
    if (kochbuchdb) ui::runCookbookClosing();
    kochbuchdb = std::move(opened);
    state = {};
    busy.set(true);

    const bool marker = kochbuchdb->hasTable(QStringLiteral("kochbuchname"));
    state.changelog = kochbuchdb->hasTable(QStringLiteral("changelog"));
    if (state.changelog) {
        db::Statement rows(*kochbuchdb, QStringLiteral("select changed from changelog"));
        while (rows.step())
            if (!rows.isNull(0)) state.steps.insert(static_cast<int>(rows.int64(0)));
    }

    if (!marker) {
        kochbuchdb->close();
        kochbuchdb.reset();
        noCookbook(damagedMessage, busy);
        return false;
    }

    const QString folder = paths::absoluteFolder(QFileInfo(path).absolutePath());
    if (getreg(reg::loadeddir) != folder) savereg(reg::loadeddir, folder);
    return true;
}

void createChangelog()
{
    db::Database& db = cookbook();
    db::Transaction tx(db);
    db.execute(QStringLiteral("create table changelog (changed LONG)"));
    db.execute(QStringLiteral("insert into changelog (changed) select 100;"));
    tx.commit();
}

// The upgrade steps in the order the opening runs them.
constexpr std::array<int, 8> upgradeSteps = {100, 103, 101, 102, 104, 106, 110, 111};

void runUpgradeStep(int number)
{
    switch (number) {
    case 100: update100(); break;
    case 101: update101(); break;
    case 102: indizieren(); break;
    case 103: update103(); break;
    case 104: update104(); break;
    case 106: update106(); break;
    case 110: update110(); break;
    case 111: update111(); break;
    default: break;
    }
}

}  // namespace

void opendaten()
{
    // There is no system database or workspace to set up on this engine: the opening
    // starts with the cookbook file. `step` names the phase in the error message.
    QString step = QStringLiteral("datendb");
    OpenedState state;
    BusyPointer busy;
    bool valid = false;
    while (!valid) withRetry(step, [&] { valid = openingPass(step, state, busy); });

    step = QStringLiteral("updatedata");
    if (!state.changelog) withRetry(step, createChangelog);
    for (int number : upgradeSteps) {
        if (state.steps.contains(number)) continue;
        withRetry(step, [&] {
            windows().showWait();
            windows().doEvents();
            runUpgradeStep(number);
        });
    }
    windows().unloadWait();

    if (!startingup) binddaten();
    withRetry(step, [] { windows().setRecipeCount(formatCount(cookbook().recordCount(QStringLiteral("rezepte")))); });
}

namespace {

QString cookbookFile(const QString& folder)
{
    // An empty folder would name a file in the working folder.
    return folder.isEmpty() ? QString() : QDir(folder).filePath(kochbuchdatei);
}

}  // namespace

FolderCheck inspectFolder(const QString& folder)
{
    const QString file = cookbookFile(folder);
    if (!paths::fileExists(file)) return {FolderKind::NoCookbook, {}};
    try {
        const auto db = db::Database::openCandidate(file);
        if (!db || !db->hasTable(QStringLiteral("kochbuchname")))
            return {FolderKind::OtherDatabase, {}};
        FolderCheck found{FolderKind::Cookbook, {}};
        try {
            found.bname = db->scalar(QStringLiteral("select bname from kochbuchname")).toString();
        } catch (const db::DbError&) {
            // A marker table without a readable name still marks a cookbook.
        }
        return found;
    } catch (const db::DbError&) {
        return {FolderKind::OtherDatabase, {}};
    }
}

QString finddirStartFolder(const QString& importpfad)
{
    // The stored path is tested with a file search, which finds files only: a folder
    // without a file of its own (empty, or only subfolders) is not taken.
    if (importpfad.size() >= 3) {
        const QFileInfo fi(paths::localPath(importpfad));
        if (fi.isFile()) return paths::absoluteFolder(fi.absolutePath());
        if (fi.isDir() && !QDir(fi.absoluteFilePath()).entryList(QDir::Files).isEmpty())
            return paths::absoluteFolder(fi.absoluteFilePath());
    }
    return paths::absoluteFolder(paths::homeFolder());
}

bool storeLoadeddir(const QString& folder)
{
    if (savereg(reg::loadeddir, folder)) return true;
    ui::msgbox(QStringLiteral("Der Ordner des Kochbuchs kann nicht in den Einstellungen gespeichert "
                              "werden."),
               ui::Critical | ui::OkOnly, QString());
    return false;
}

bool switchCookbook(const QString& folder)
{
    // The opening reads the folder from the settings; without it the old cookbook would
    // silently open again.
    if (!storeLoadeddir(folder)) return false;
    opendaten();
    binddaten();
    // The new cookbook is open by now; a window that cannot show its name or comments is
    // reported, not allowed to end the program.
    ui::guarded(QStringLiteral("START_CLICK : "), [] { windows().inithm(); });
    return true;
}

void bindStatement(const std::function<void()>& statement)
{
    ui::guarded(QStringLiteral("LOADDATA - "), statement);
}

void binddaten()
{
    bindStatement([] { windows().binddaten(); });
}

void Main()
{
    auto statement = [](const std::function<void()>& work) { ui::guarded(QStringLiteral("MAIN - "), work); };
    struct StartingUp {
        StartingUp() { startingup = true; }
        ~StartingUp() { startingup = false; }
    };

    reztabellen = {QStringLiteral("letztsuchrids"), QStringLiteral("rezinaus"), QStringLiteral("rezinmen"),
                   QStringLiteral("rezstich"),      QStringLiteral("zubereit"), QStringLiteral("zutaten")};
    linebreak = QStringLiteral("\n\r");
    {
        StartingUp flag;
        statement(opendaten);
    }
    binddaten();
    statement([] { windows().inithm(); });
    statement([] { windows().loadEditorHidden(); });
    statement([] { windows().showMain(); });
}

}  // namespace kv
