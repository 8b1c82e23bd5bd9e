#pragma once
// One import run's writing: the imported-files rows, each file's recipes, the error
// rows, and the commits. Recipes are read whole before their rows are written, and the
// rows of a few thousand recipes are committed together (and at each file's end), so a
// kill loses at most the batch not yet committed, which the next run imports again.
//
// A database failure while a recipe's rows are written rolls the batch back and writes
// it again without that recipe, which is reported instead: every recipe is stored whole
// or not at all.

#include "exchange/lookups.h"
#include "exchange/mealmaster.h"
#include "platform/db/database.h"

#include <QElapsedTimer>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace kv::exchange {

class ImportUi;

// Where an import's time goes, for the benchmark.
struct ImportStats {
    qint64 recipes = 0;      // stored
    qint64 cutOff = 0;       // read but not stored (each reported)
    qint64 readNs = 0;       // reading, splitting and the text replacement
    qint64 lookupNs = 0;     // the lookups, with the rows they add
    qint64 rowsNs = 0;       // the recipes' own rows
    qint64 commitNs = 0;
};

// How many recipes a batch holds at most before it is committed.
constexpr qint64 kBatchRecipes = 2000;

class ImportSession {
public:
    ImportSession(db::Database& db, ImportUi& ui);
    // An open batch is rolled back.
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

    // Commits the open batch.
    void commit();
    // Shows the count and lets the window's events run, at most every 50 ms unless forced.
    void serveUi(bool force = false);

    // The error rows of this run.
    qint64 errorRows();
    const ImportStats& stats() const { return m_stats; }

private:
    struct Pending {
        std::function<void()> write;
        // What a recipe's failure writes instead; none: the failure ends the run.
        std::function<void(const db::DbError&)> failed;
    };
    class Host;

    void run(Pending item);
    void recover(const db::DbError& error, Pending failed);
    void begin();
    void storeRecipe(const std::shared_ptr<const MmRecipe>& recipe, qint64 did);
    void writeRecipe(const MmRecipe& recipe, qint64 did);
    void writeError(qint64 did, std::optional<qint64> rid, const QString& rname, const QString& step,
                    const QString& description, const QString& rawText);
    void reportRecipeErrors(const std::shared_ptr<const MmRecipe>& recipe, qint64 did, std::optional<qint64> rid);
    bool skipTitle(const QString& title);

    db::Database& m_db;
    ImportUi& m_ui;
    ImportLookups m_lookups;
    std::vector<Pending> m_batch;
    qint64 m_batchRecipes = 0;
    bool m_open = false;
    bool m_replaying = false;
    ImportStats m_stats;
    QElapsedTimer m_sinceServed;
    QString m_oldCacheSize;
    QSet<size_t> m_titles;   // hashes of the stored titles' keys
    QString m_writeStep;     // the step whose rows are being written, for a failure's row

    db::Statement m_insertRecipe;
    db::Statement m_insertLine;
    db::Statement m_insertPreparation;
    db::Statement m_insertError;
    db::Statement m_insertErrorText;
    db::Statement m_titleExists;
};

// The errid of the last error row written since the program started; 0 before the
// first, which is announced with a message.
extern qint64 lasterrid;

}  // namespace kv::exchange
