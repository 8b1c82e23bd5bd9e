#include "exchange/import.h"

#include "core/mainmod.h"
#include "core/rezsource.h"
#include "core/settings.h"
#include "exchange/importsession.h"
#include "platform/db/datacontrol.h"
#include "platform/paths.h"
#include "platform/textreplace/excllist.h"
#include "platform/textreplace/replacer.h"
#include "platform/ui/dialogs.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <deque>
#include <set>
#include <stdexcept>
#include <utility>

namespace kv::exchange {

namespace {

ImportUi* g_ui = nullptr;
ImportStats g_lastStats;

// A path as the program shows it, and as the file system knows it: a name that the
// system's encoding cannot hold (Latin-1 bytes on a UTF-8 system) is shown with a
// stand-in character but reached by its bytes.
struct Place {
    QString shown;
    QByteArray native;

    static Place of(const QString& path) { return {path, QFile::encodeName(path)}; }
    Place operator+(const QByteArray& name) const { return {shown + QFile::decodeName(name), native + name}; }
};

struct Entry {
    Place path;
    bool folder = false;
    std::pair<dev_t, ino_t> id;
};

// A folder's entries in the order the file system lists them: regular files and folders
// (links followed) whose names do not begin with a dot. Pipes, sockets and devices are
// left out: reading one would wait for ever, and so are dangling links. False, with the
// reason, when the folder cannot be read.
bool listFolder(const Place& folder, std::vector<Entry>& entries, QString& why)
{
    DIR* dir = ::opendir(folder.native.constData());
    if (!dir) {
        why = paths::refusal(errno);
        return false;
    }
    while (const dirent* e = ::readdir(dir)) {
        const QByteArray name(e->d_name);
        if (name.startsWith('.')) continue;
        const Place path = folder + name;
        struct stat st {};
        if (::stat(path.native.constData(), &st) != 0) {
            // A link to nothing is passed over; anything else is read, and says why it cannot be.
            if (errno != ENOENT && errno != ELOOP) entries.push_back({path, false, {}});
            continue;
        }
        if (S_ISDIR(st.st_mode)) entries.push_back({path, true, {st.st_dev, st.st_ino}});
        else if (S_ISREG(st.st_mode)) entries.push_back({path, false, {st.st_dev, st.st_ino}});
    }
    ::closedir(dir);
    return true;
}

// The folder part of a path, ending with its separator.
QString folderOf(const QString& path)
{
    return path.left(path.lastIndexOf(u'/') + 1);
}

class Run {
public:
    Run(db::Database& db, ImportUi& ui) : m_db(db), m_ui(ui) {}

    // The whole run but for its end; the number of error rows.
    qint64 go(const QString& path, int typ)
    {
        const QString program = paths::programFolder();
        const QString excl = text::exclListPath();
        text::InitReplacer(excl.isEmpty() ? program + QStringLiteral("/ExclList.txt") : excl,
                           program + QStringLiteral("/RepList.txt"));
        m_db.execute(QStringLiteral("delete from importerrors"));
        m_db.execute(QStringLiteral("delete from importerrtexte"));

        ImportSession session(m_db, m_ui);
        m_session = &session;
        m_ui.showImportstatus();
        m_shown = true;
        m_ui.doEvents();

        if (m_db.scalar(QStringLiteral("select count(*) from importdateien")).toLongLong() == 0)
            m_db.execute(QStringLiteral("insert into importdateien (did,dname) select 0,'Alle'"));
        // Ids of imported files start above 300, clear of the cookbook's own.
        m_nextDid = m_db.scalar(QStringLiteral("select max(did) from importdateien")).toLongLong() + 1;
        if (m_nextDid < 300) m_nextDid += 300;

        switch (typ) {
        case 0:
            oneFile(path);
            break;
        case 1:
            oneFolder(folderOf(path));
            break;
        case 2:
            tree(folderOf(path));
            break;
        default:
            break;
        }
        session.finish();
        const qint64 errors = session.errorRows();
        g_lastStats = session.stats();
        m_session = nullptr;
        return errors;
    }

    bool statusShown() const { return m_shown; }

private:
    void readFile(const Place& file, const QString& shownName, bool utf8)
    {
        const qint64 did = m_nextDid++;
        m_session->addFile(did, shownName);
        m_ui.setIdat(file.shown);
        m_session->importmmfile(file.shown, file.native, did, utf8);
    }

    void oneFile(const QString& path)
    {
        // The newsgroup reader and the clipboard import hand their text over in a file of
        // their own; the list names it by the time of the import.
        const bool handOver = path == kHandOverName;
        const QString file = handOver ? handOverFile() : path;
        m_ui.setIdat(file);
        savereg(reg::importpfad, handOver ? paths::homeFolder() + u'/' : folderOf(path));
        if (!handOver && (file.isEmpty() || QFileInfo(file).isDir())) {
            // A folder is no file to read: it gets no entry in the list of imported files.
            m_session->reportError(0, file, QStringLiteral("Datei"),
                                   QStringLiteral("Die Datei kann nicht geöffnet werden: %1 (keine Datei)").arg(file));
            m_ui.beep();
            return;
        }
        const QString shown = handOver ? QStringLiteral("Newsgroup-Import ") +
                                             QLocale().toString(QDateTime::currentDateTime(),
                                                                QStringLiteral("dd.MM.yyyy HH:mm:ss"))
                                       : file;
        readFile(Place::of(file), shown, handOver);
        m_ui.beep();
    }

    bool list(const Place& folder, std::vector<Entry>& entries)
    {
        QString why;
        if (listFolder(folder, entries, why)) return true;
        m_session->reportError(
            0, folder.shown, QStringLiteral("Verzeichnis"),
            QStringLiteral("Das Verzeichnis %1 kann nicht gelesen werden (%2).").arg(folder.shown, why));
        return false;
    }

    // Every file of a folder; false once the user cancelled.
    bool filesOf(const std::vector<Entry>& entries)
    {
        for (const Entry& entry : entries)
            if (!entry.folder) m_session->readAhead(entry.path.shown, entry.path.native);
        for (const Entry& entry : entries) {
            if (entry.folder) continue;
            m_session->serveUi();
            if (importcancel) return false;
            readFile(entry.path, entry.path.shown, false);
            if (importcancel) return false;
        }
        return true;
    }

    void oneFolder(const QString& folder)
    {
        savereg(reg::importpfad, folder);
        std::vector<Entry> entries;
        if (list(Place::of(folder), entries)) filesOf(entries);
        m_ui.beep();
    }

    // Breadth first: a folder's files, then the folders found in it, level by level.
    void tree(const QString& top)
    {
        savereg(reg::importpfad, top);
        m_session->execute(QStringLiteral("delete from importsubdirs"));
        const Place root = Place::of(top.size() > 1 && top.endsWith(u'/') ? top.chopped(1) : top);
        m_session->addSubdir(root.shown);
        std::set<std::pair<dev_t, ino_t>> seen;
        struct stat st {};
        if (::stat(root.native.constData(), &st) == 0) seen.insert({st.st_dev, st.st_ino});
        std::deque<Place> queue{root};
        while (!queue.empty() && !importcancel) {
            const Place folder = queue.front().native.endsWith('/') ? queue.front() : queue.front() + "/";
            queue.pop_front();
            std::vector<Entry> entries;
            if (!list(folder, entries)) continue;
            // A link back up the tree, or a second link to a folder, is searched once.
            for (const Entry& entry : entries) {
                if (!entry.folder || !seen.insert(entry.id).second) continue;
                m_session->addSubdir(entry.path.shown);
                queue.push_back(entry.path);
            }
            if (!filesOf(entries)) break;
        }
        m_ui.beep();
    }

    db::Database& m_db;
    ImportUi& m_ui;
    ImportSession* m_session = nullptr;
    qint64 m_nextDid = 0;
    bool m_shown = false;
};

// A cancelled run is not done: the user learns what it stored.
QString cancelledText(qint64 stored)
{
    return stored == 1 ? QStringLiteral("Der Import wurde abgebrochen; bis dahin wurde 1 Rezept gespeichert.")
                       : QStringLiteral("Der Import wurde abgebrochen; bis dahin wurden %1 Rezepte gespeichert.")
                             .arg(QLocale().toString(stored));
}

void showRecipeCount(RecipeListView* view)
{
    db::Recordset* list = view->rez()->recordset();
    view->setRezzahl(formatCount(list ? list->recordCount() : 0));
}

// The count changes with the list: a count read later stands wrong beside the new rows
// while the closing box waits.
void refreshRecipeList()
{
    RecipeListView* view = recipeListView();
    if (!view) return;
    ui::guarded(QStringLiteral("STARTIMPORT : "), [view] {
        view->rez()->refresh();
        showRecipeCount(view);
    });
}

// A run may add import files (and nothing else) to the filter box's rows; the entry
// chosen stays chosen, as the list keeps its filter.
void refreshFilterList()
{
    RecipeListView* view = recipeListView();
    if (!view) return;
    ui::guarded(QStringLiteral("STARTIMPORT : "), [view] { refreshFilterEntries(*view); });
}

}  // namespace

void recipesRecategorized()
{
    RecipeListView* view = recipeListView();
    if (!view) return;
    db::Recordset* list = view->rez()->recordset();
    const bool onRecipe = list && list->isOpen() && !list->eof() && !list->bof();
    const qint64 rid = onRecipe ? list->value(QStringLiteral("rid")).toLongLong() : 0;
    view->rez()->refresh();
    list = view->rez()->recordset();
    // The main window still shows the recipe it showed: the list stands on it again.
    if (list && onRecipe) list->findFirst(QStringLiteral("rid=%1").arg(rid));
    showRecipeCount(view);
}

void setImportUi(ImportUi* ui)
{
    g_ui = ui;
}

ImportUi* importUi()
{
    return g_ui;
}

const ImportStats& lastImportStats()
{
    return g_lastStats;
}

QString handOverFile()
{
    const QString folder = paths::privateTempFolder();
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/news$$$$.txt");
}

void startimport(const QString& path, int typ)
{
    ImportUi* ui = importUi();
    if (!ui) throw std::logic_error("startimport: no import windows installed");
    importcancel = false;
    ui->setBusy(true);

    qint64 errors = 0;
    QString failure;
    bool shown = false;
    try {
        Run run(cookbook(), *ui);
        try {
            errors = run.go(path, typ);
        } catch (...) {
            shown = run.statusShown();
            throw;
        }
        shown = run.statusShown();
    } catch (const db::DbError& e) {
        failure = QStringLiteral("Fehler %1: %2").arg(e.number()).arg(e.text());
    } catch (const std::exception& e) {
        failure = QString::fromLocal8Bit(e.what());
    }

    // The end: whatever was stored shows in the list, and the program is free again.
    if (shown) ui->unloadImportstatus();
    refreshRecipeList();
    if (!failure.isEmpty()) {
        refreshFilterList();
        ui->setBusy(false);
        ui::msgbox(QStringLiteral("Der Import wurde wegen eines Fehlers beendet. Was bis dahin eingelesen war, "
                                  "ist gespeichert.") +
                       linebreak + failure,
                   ui::Critical | ui::OkOnly, QStringLiteral(" F E H L E R"));
        return;
    }
    ui->setBusy(false);
    ui::msgbox(importcancel ? cancelledText(g_lastStats.recipes) : QStringLiteral("Fertig."), ui::OkOnly,
               QStringLiteral(" "));
    refreshFilterList();
    if (errors != 0) ui->showImportErrors();
    else ui->showNachimport();
}

}  // namespace kv::exchange
