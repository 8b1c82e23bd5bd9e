#pragma once
// One import run's writing: the imported-files rows, each file's recipes, the error
// rows, and the commits. A file is read on a thread of its own while its recipes are
// written here; each recipe is written inside a savepoint, so a recipe the database
// refuses goes whole and is reported instead, and the rest of its batch stays. Batches
// are committed when they hold many recipes or have been open a while, and at the end:
// a kill loses at most the batch not yet committed, files' rows included, which the next
// run imports again.
//
// A large import into a cookbook no other program has open leaves the recipe tables'
// secondary indexes out while it writes and builds them once at its end. The indexes go
// in the same transaction as the opening's record of its index build, so whatever a kill
// leaves missing the next opening builds again.

#include "exchange/lookups.h"
#include "exchange/mealmaster.h"
#include "platform/db/database.h"

#include <QElapsedTimer>
#include <QSet>
#include <QString>

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace kv::exchange {

class ImportUi;

// Where an import's time goes, for the benchmark.
struct ImportStats {
    qint64 recipes = 0;      // stored
    qint64 cutOff = 0;       // read but not stored (each reported)
    qint64 readNs = 0;       // waiting for the reading thread (reading, splitting, replacing)
    qint64 rowsNs = 0;       // the recipes' rows, with the lookups and the rows they add
    qint64 commitNs = 0;
    qint64 indexNs = 0;      // the indexes a large import builds at its end
};

// A batch is committed once it holds this many recipes, or has been open this long.
constexpr qint64 kBatchRecipes = 20000;
constexpr qint64 kBatchMilliseconds = 2000;
// An import of at least this many recipes, and of at least a quarter of what the
// cookbook held, writes without the secondary indexes and builds them at its end.
constexpr qint64 kBulkRecipes = 2000;

class ImportSession {
public:
    ImportSession(db::Database& db, ImportUi& ui);
    // An open batch is rolled back; indexes left out are built when that can be done.
    ~ImportSession();
    ImportSession(const ImportSession&) = delete;
    ImportSession& operator=(const ImportSession&) = delete;

    // Adds the imported-files row of a file; shownName is what the list shows.
    void addFile(qint64 did, const QString& shownName);
    // A statement of the driver's, in the open batch.
    void execute(const QString& sql);
    // A directory of a tree import, in the work table `importsubdirs`.
    void addSubdir(const QString& subdir);
    // One error row that belongs to no recipe (a file or directory that cannot be read).
    void reportError(qint64 did, const QString& name, const QString& step, const QString& description);

    // Reads one file (the Meal-Master reader): asks before a file read before, stores
    // every complete recipe and reports every failure. The file is UTF-8 when told so,
    // else its code page is found from its bytes. `path` names it to the user, `native`
    // to the file system.
    void importmmfile(const QString& path, const QByteArray& native, qint64 did, bool utf8);
    // A file the driver will read next, in this order: it is read ahead while the files
    // before it are written.
    void readAhead(const QString& path, const QByteArray& native);

    // Commits the open batch and builds what a large import left out.
    void finish();
    // Shows the count and lets the window's events run, at most every 50 ms unless forced.
    void serveUi(bool force = false);

    // The error rows of this run.
    qint64 errorRows();
    const ImportStats& stats() const { return m_stats; }

private:
    struct FileJob;
    class Reading;

    void begin();
    void commit();
    void commitWhenDue();
    void storeRecipe(const MmRecipe& recipe, qint64 did);
    void writeRecipe(const MmRecipe& recipe, qint64 did);
    void writeLines(qint64 rid);
    void writeError(qint64 did, std::optional<qint64> rid, const QString& rname, const QString& step,
                    const QString& description, const QString& rawText);
    void reportRecipeErrors(const MmRecipe& recipe, qint64 did, std::optional<qint64> rid);
    // The first error of the program's run is said once what is written so far is
    // committed: no write transaction stays open while a box waits for the user.
    void announceFirstError();
    bool skipTitle(const QString& title);
    void enterBulk();
    void leaveBulk();

    db::Database& m_db;
    ImportUi& m_ui;
    ImportLookups m_lookups;
    // Declared before the reading thread, which is ended first.
    std::deque<std::shared_ptr<FileJob>> m_ahead;
    std::unique_ptr<Reading> m_reading;
    bool m_open = false;
    qint64 m_batchRecipes = 0;
    QElapsedTimer m_batchOpen;
    bool m_firstError = false;
    qint64 m_bulkFrom = 0;           // the recipes after which the bulk path is tried
    bool m_bulkTried = false;
    bool m_bulk = false;
    bool m_indexed = false;          // the opening had built the indexes before the bulk path
    QStringList m_dropped;           // the indexes the bulk path left out, as "table.index"
    ImportStats m_stats;
    QElapsedTimer m_sinceServed;
    QString m_oldCacheSize;
    QSet<size_t> m_titles;   // hashes of the stored titles' keys
    QString m_writeStep;     // the step whose rows are being written, for a failure's row

    db::Statement m_insertRecipe;
    // Ingredient lines of the recipe being written, and statements for 1 to
    // kLinesAtOnce of them.
    struct Line {
        qint64 tid = 0;
        qint64 nr = 0;
        std::optional<qint64> eid;
        std::optional<double> menge;
        qint64 zutid = 0;
    };
    static constexpr std::size_t kLinesAtOnce = 16;
    std::vector<Line> m_lines;
    std::array<std::unique_ptr<db::Statement>, kLinesAtOnce> m_insertLines;
    db::Statement m_insertPreparation;
    db::Statement m_insertError;
    db::Statement m_insertErrorText;
    db::Statement m_titleExists;
    db::Statement m_savepoint;
    db::Statement m_release;
    db::Statement m_rollbackTo;
};

// The errid of the last error row written since the program started; 0 before the
// first, which is announced with a message.
extern qint64 lasterrid;

// Test hook: called with the name of each step of a large import's index handling
// ("bulk": the indexes are left out; "indexes": they are being built, not yet committed);
// it may end the process to show what a kill there leaves.
void setImportFault(std::function<void(const char* step)> fault);

}  // namespace kv::exchange
