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

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <sqlite3.h>

#include <array>
#include <stdexcept>

namespace kv {

namespace {

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

std::function<void()>& programFilesHook()
{
    static std::function<void()> hook;
    return hook;
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

// Cancel in the opening's error box: the start ends the program, a switch keeps the
// cookbook that is open.
struct OpeningCancelled {};

// Runs one statement of the opening. A failure asks Retry, which goes on with the next
// statement (the failed one is skipped: a step is left undone and unrecorded and runs at
// the next opening), or Cancel. The step's name is read when the failure happens.
void statement(const QString& step, const std::function<void()>& work)
{
    int number = 0;
    QString text;
    try {
        work();
        return;
    } catch (const db::DbError& e) {
        number = e.number();
        text = e.text();
    } catch (const std::exception& e) {
        text = QString::fromLocal8Bit(e.what());
    }
    if (ui::errorbox(QStringLiteral("LOADDBS (") + step + QStringLiteral(") - "), number, text, ui::RetryCancel) !=
        ui::Answer::Retry)
        throw OpeningCancelled{};
}

const QString damagedMessage = QStringLiteral(
    "Die Datei, aus der Kelvor Rezepte anzeigen möchte, ist zerstört oder es handelt sich nicht um ein Kochbuch. "
    "Bitte wählen Sie ein Verzeichnis mit einem anderen Kochbuch aus.");

QString cannotOpenMessage(const QString& file, const QString& reason)
{
    return QStringLiteral("Die Kochbuchdatei %1 kann nicht geöffnet werden: Kelvor darf sie nicht lesen, oder ihr "
                          "Pfad ist zu lang. Bitte wählen Sie ein Verzeichnis mit einem anderen Kochbuch aus.")
               .arg(QDir::toNativeSeparators(file)) +
           linebreak + reason;
}

QString heldMessage(const QString& file)
{
    return QStringLiteral("Das Kochbuch %1 wird gerade von einem anderen Programm für einen großen Import oder eine "
                          "Komprimierung benutzt: Klicken Sie auf Wiederholen, sobald es damit fertig ist, oder auf "
                          "Abbrechen, um ein anderes Kochbuch zu wählen.")
        .arg(QDir::toNativeSeparators(file));
}

// A program killed while it wrote the cookbook left its journal, and only an opening that
// may write puts the file back to its last committed state: read as it stands, it would
// show the half-written change.
QString unfinishedChange(const QString& file)
{
    return QStringLiteral("Im Kochbuch %1 steht noch eine unvollendete Änderung eines Programms, das beim Schreiben "
                          "beendet wurde; erst das nächste Öffnen durch ein Programm, das in seinen Ordner schreiben "
                          "darf, nimmt sie zurück")
        .arg(QDir::toNativeSeparators(file));
}

// The way out that needs nobody else's program: what the user may write, holding the
// journal beside its file, is put right by the opening.
QString writableCopy()
{
    return QStringLiteral("eine Kopie des ganzen Ordners mit allen seinen Dateien an einem Ort, an dem Sie schreiben "
                          "dürfen");
}

QString unfinishedMessage(const QString& file)
{
    return unfinishedChange(file) +
           QStringLiteral(": Klicken Sie auf Wiederholen, sobald das geschehen ist, oder auf Abbrechen, um ein "
                          "anderes Kochbuch zu wählen, etwa ") +
           writableCopy() + u'.';
}

// Where there is no opening to try again.
QString unfinishedReason(const QString& file)
{
    return unfinishedChange(file) + QStringLiteral(". Wählen Sie ") + writableCopy() + u'.';
}

bool unfinished(const db::DbError& e)
{
    return e.number() == SQLITE_READONLY_ROLLBACK;
}

// A cookbook that may open later, as it is: Retry tries the next pass, Cancel leads to the
// directory dialog.
void tryAgainOrChoose(const QString& message, BusyPointer& busy)
{
    busy.set(false);
    if (ui::msgbox(message, ui::Exclamation | ui::RetryCancel, QStringLiteral(" ")) == ui::Answer::Retry) return;
    nocookbook = true;
    windows().showFinddirModal();
}

void noCookbook(const QString& message, BusyPointer& busy)
{
    busy.set(false);
    ui::msgbox(message, ui::Critical | ui::OkOnly, QString());
    nocookbook = true;
    windows().showFinddirModal();
}

QString cookbookFile(const QString& folder)
{
    // An empty folder would name a file in the working folder.
    return folder.isEmpty() ? QString() : QDir(folder).filePath(kochbuchdatei);
}

enum class Verdict { Missing, Damaged, CannotOpen, Unfinished, Cookbook };

// What a file is, read without writing anything to it or beside it: a foreign database
// or a file that is none is rejected exactly as it was found.
Verdict examine(const QString& file, QString* reason = nullptr, QString* bname = nullptr)
{
    if (!paths::fileExists(file)) return Verdict::Missing;
    db::DbError why(0, {});
    const auto candidate = db::Database::openCandidate(file, &why);
    if (!candidate) {
        const int primary = why.number() & 0xff;
        if (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT) return Verdict::Damaged;
        if (unfinished(why)) {
            if (reason) *reason = unfinishedReason(file);
            return Verdict::Unfinished;
        }
        if (reason) *reason = why.text();
        return Verdict::CannotOpen;
    }
    try {
        if (!candidate->hasTable(QStringLiteral("kochbuchname"))) return Verdict::Damaged;
        if (bname) *bname = candidate->scalar(QStringLiteral("select bname from kochbuchname")).toString();
    } catch (const db::DbError&) {
        // A marker table without a readable name still marks a cookbook.
    }
    return Verdict::Cookbook;
}

// The upgrade steps in the order the opening runs them.
constexpr std::array<int, 9> upgradeSteps = {100, 103, 101, 102, 104, 106, 110, 111, 112};

void runUpgradeStep(db::Database& db, int number)
{
    switch (number) {
    case 100: update100(db); break;
    case 101: update101(db); break;
    case 102: indizieren(db); break;
    case 103: update103(db); break;
    case 104: update104(db); break;
    case 106: update106(db); break;
    case 110: update110(db); break;
    case 111: update111(db); break;
    case 112: update112(db); break;
    default: break;
    }
}

QSet<int> recordedSteps(db::Database& db)
{
    QSet<int> steps;
    db::Statement rows(db, QStringLiteral("select changed from changelog"));
    while (rows.step())
        if (!rows.isNull(0)) steps.insert(static_cast<int>(rows.int64(0)));
    return steps;
}

// Brings an accepted cookbook up to date. A cookbook that can only be read is said so
// once and left as it is: its steps run at an opening that may write.
void upgrade(db::Database& db, QString& step)
{
    if (db.readOnly()) {
        // The first-start settings are the user's, not the cookbook's.
        setdefaults();
        ui::msgbox(kSchreibgeschuetzt, ui::Information | ui::OkOnly, QStringLiteral(" "));
        return;
    }
    step = QStringLiteral("updatedata");
    bool changelog = false;
    QSet<int> steps;
    statement(step, [&] {
        changelog = db.hasTable(QStringLiteral("changelog"));
        if (changelog) steps = recordedSteps(db);
    });
    // Made empty in a commit of its own: the row that marks its making goes with step 100,
    // so a step 100 cut short runs again.
    if (!changelog) statement(step, [&] { db.execute(QStringLiteral("create table changelog (changed LONG)")); });
    for (int number : upgradeSteps) {
        if (steps.contains(number)) continue;
        statement(step, [&] {
            windows().showWait();
            windows().doEvents();
            runUpgradeStep(db, number);
        });
    }
}

// The cookbook of one pass of the start's loop, opened; none when the user was sent to
// the directory dialog.
std::unique_ptr<db::Database> openingPass(QString& step, BusyPointer& busy, bool& programFilesTried)
{
    step = QStringLiteral("datendb");
    QString file = (kochbuchprefix() + QStringLiteral("-daten.mdb")).trimmed();
    statement(step, [] {
        if (getreg(reg::printfont0name).isEmpty()) defaultprint();
    });
    // Tried once per opening: a program folder that cannot take the files is reported,
    // not asked about at every pass.
    if (!programFilesTried) {
        programFilesTried = true;
        if (const auto& make = programFilesHook()) statement(step, make);
    }

    // The name always has the length of the file name at least; the rule guards a store
    // edited by hand.
    if (!paths::fileExists(file) || file.size() < 12) {
        file.clear();
        for (const QString& fallback : {QStringLiteral("kochbuch"), QStringLiteral("kochbuch_shareware")}) {
            const QString folder = paths::absoluteFolder(paths::programFolder() + u'/' + fallback);
            if (!paths::fileExists(folder + kochbuchdatei)) continue;
            // Stored for the next start; this pass opens it either way.
            savereg(reg::loadeddir, folder);
            file = folder + kochbuchdatei;
            break;
        }
        if (file.isEmpty()) {
            noCookbook(QStringLiteral("Es ist kein Kochbuch geladen oder die zuletzt geladene Kochbuchdatei gibt es "
                                      "nicht mehr. Bitte wählen Sie ein Verzeichnis mit einem anderen Kochbuch aus."),
                       busy);
            return nullptr;
        }
    }

    step = QStringLiteral("opendatabase");
    // Absolute, so a later change of the working folder cannot lose the cookbook.
    const QString path = QFileInfo(file).absoluteFilePath();
    QString reason;
    switch (examine(path, &reason)) {
    case Verdict::Missing:
        return nullptr;
    case Verdict::Damaged:
        noCookbook(damagedMessage, busy);
        return nullptr;
    case Verdict::CannotOpen:
        noCookbook(cannotOpenMessage(path, reason), busy);
        return nullptr;
    case Verdict::Unfinished:
        tryAgainOrChoose(unfinishedMessage(path), busy);
        return nullptr;
    case Verdict::Cookbook:
        break;
    }
    // Before our own connection holds the file, or the test would find it in use.
    db::removeCompactionLeftovers(path);
    db::removeColdJournal(path);
    std::unique_ptr<db::Database> opened;
    try {
        opened = db::Database::open(path);
    } catch (const db::DbError& e) {
        if ((e.number() & 0xff) == SQLITE_BUSY) {
            // Held to itself by another program for a while (a large import, a compaction):
            // worth waiting for, and no fault of the file or of the user's rights.
            tryAgainOrChoose(heldMessage(path), busy);
            return nullptr;
        }
        // Its writer was killed after the file was looked at.
        if (unfinished(e)) {
            tryAgainOrChoose(unfinishedMessage(path), busy);
            return nullptr;
        }
        noCookbook(cannotOpenMessage(path, e.text()), busy);
        return nullptr;
    }
    busy.set(true);
    const QString folder = paths::absoluteFolder(QFileInfo(path).absolutePath());
    if (getreg(reg::loadeddir) != folder) savereg(reg::loadeddir, folder);
    return opened;
}

void writeRecipeCount(const QString& step)
{
    statement(step, [] { windows().setRecipeCount(formatCount(cookbook().recordCount(QStringLiteral("rezepte")))); });
}

}  // namespace

void setProgramFilesHook(std::function<void()> make)
{
    programFilesHook() = std::move(make);
}

void opendaten()
{
    // There is no system database or workspace to set up on this engine: the opening
    // starts with the cookbook file. `step` names the phase in the error message.
    QString step = QStringLiteral("datendb");
    BusyPointer busy;
    bool programFilesTried = false;
    try {
        std::unique_ptr<db::Database> opened;
        while (!opened) opened = openingPass(step, busy, programFilesTried);
        // No window may keep a recordset on the file it replaces.
        if (kochbuchdb) ui::runCookbookClosing();
        kochbuchdb = std::move(opened);
        upgrade(*kochbuchdb, step);
        windows().unloadWait();
        if (!startingup) binddaten();
        writeRecipeCount(step);
    } catch (const OpeningCancelled&) {
        windows().unloadWait();
        throw ProgramEnd{};
    }
}


FolderCheck inspectFolder(const QString& folder)
{
    FolderCheck check;
    QString reason;
    switch (examine(cookbookFile(folder), &reason, &check.bname)) {
    case Verdict::Missing:
        check.kind = FolderKind::NoCookbook;
        break;
    case Verdict::Damaged:
    case Verdict::CannotOpen:
        check.kind = FolderKind::OtherDatabase;
        break;
    case Verdict::Unfinished:
        check.kind = FolderKind::Unfinished;
        check.reason = reason;
        break;
    case Verdict::Cookbook:
        check.kind = FolderKind::Cookbook;
        break;
    }
    return check;
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
    const QString file = QFileInfo(cookbookFile(folder)).absoluteFilePath();
    QString reason;
    switch (examine(file, &reason)) {
    case Verdict::Missing:
        ui::msgbox(QStringLiteral("In diesem Verzeichnis gibt es kein Kelvor-Kochbuch. Das bisherige Kochbuch bleibt "
                                  "geöffnet."),
                   ui::Critical | ui::OkOnly, QString());
        return false;
    case Verdict::Damaged:
        ui::msgbox(QStringLiteral("Die Datei in diesem Verzeichnis ist zerstört oder kein Kochbuch. Das bisherige "
                                  "Kochbuch bleibt geöffnet."),
                   ui::Critical | ui::OkOnly, QString());
        return false;
    case Verdict::CannotOpen:
    case Verdict::Unfinished:
        ui::msgbox(QStringLiteral("Die Kochbuchdatei %1 kann nicht geöffnet werden. Das bisherige Kochbuch bleibt "
                                  "geöffnet.")
                           .arg(QDir::toNativeSeparators(file)) +
                       linebreak + reason,
                   ui::Critical | ui::OkOnly, QString());
        return false;
    case Verdict::Cookbook:
        break;
    }

    // The new cookbook is opened and brought up to date beside the old one, which stays
    // open and shown until the new one is ready.
    BusyPointer busy;
    QString step = QStringLiteral("opendatabase");
    db::removeCompactionLeftovers(file);
    std::unique_ptr<db::Database> opened;
    try {
        opened = db::Database::open(file);
        busy.set(true);
        upgrade(*opened, step);
        windows().unloadWait();
    } catch (const db::DbError& e) {
        busy.set(false);
        ui::msgbox(QStringLiteral("Die Kochbuchdatei %1 kann nicht geöffnet werden. Das bisherige Kochbuch bleibt "
                                  "geöffnet.")
                           .arg(QDir::toNativeSeparators(file)) +
                       linebreak + e.text(),
                   ui::Critical | ui::OkOnly, QString());
        return false;
    } catch (const OpeningCancelled&) {
        windows().unloadWait();
        return false;
    }
    busy.set(false);
    if (!storeLoadeddir(paths::absoluteFolder(folder))) return false;

    ui::runCookbookClosing();
    kochbuchdb = std::move(opened);
    binddaten();
    ui::guarded(QStringLiteral("START_CLICK : "), [] {
        showAllRecipes();
        windows().setRecipeCount(formatCount(cookbook().recordCount(QStringLiteral("rezepte"))));
    });
    ui::guarded(QStringLiteral("START_CLICK : "), [] { windows().inithm(); });
    return true;
}

bool bindStatement(const std::function<void()>& statement)
{
    return ui::guarded(QStringLiteral("LOADDATA - "), statement);
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
    // What killed runs left in the temp folder (a clipboard's text, print hand-overs).
    paths::removeStalePrivateTempFolders();
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
