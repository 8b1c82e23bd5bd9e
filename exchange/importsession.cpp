#include "exchange/importsession.h"

#include "core/indizieren.h"
#include "core/mainmod.h"
#include "exchange/importui.h"
#include "platform/paths.h"
#include "platform/textreplace/textfile.h"
#include "platform/ui/dialogs.h"

#include <QFile>
#include <QScopeGuard>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace kv::exchange {

qint64 lasterrid = 0;

namespace {

constexpr qsizetype kTextWidth = 255;
// The page cache while an import writes: the title index and the lookup tables' pages
// stay in memory.
const QString kImportCacheSize = QStringLiteral("-32768");
// Recipes handed from the reading thread to the writer at a time.
constexpr std::size_t kBundle = 16;
// The recipe tables whose secondary indexes a large import leaves out: each row costs a
// seek into every index of its table, also where the keys only grow. The title index
// stays, since the import seeks titles.
const QStringList kBulkTables = {QStringLiteral("rezepte"), QStringLiteral("zutaten"), QStringLiteral("zubereit"),
                                 QStringLiteral("rezstich")};
const QStringList kBulkKeeps = {QStringLiteral("rnam")};

std::function<void(const char*)> g_fault;

void fault(const char* step)
{
    if (g_fault) g_fault(step);
}

// The lines of a file, through the reader of unknown code pages.
class FileLineSource : public LineSource {
public:
    FileLineSource(QIODevice& device, text::Encoding encoding) : m_reader(device, encoding, kMaxLineBytes) {}
    bool next(text::TextLine& line) override { return m_reader.next(line); }
    bool failed() const { return m_reader.failed(); }
    QString errorString() const { return m_reader.errorString(); }

private:
    text::LineReader m_reader;
};

// The recipes of one file, read on a thread of their own and taken by the writer in
// their order. They pass in small bundles, so the two threads seldom wait for each other
// to hand one over; the reader waits while the queue is full. Once the writer stops
// taking (a cancel, a failure), the reader stops at its next recipe.
class RecipeQueue {
public:
    using Bundle = std::vector<MmRecipe>;

    // False once the writer takes no more. Bundles the writer is done with are freed
    // here, on the thread that made them: memory goes back where it came from.
    bool push(Bundle&& bundle)
    {
        std::vector<Bundle> spent;
        std::unique_lock lock(m_mutex);
        m_notFull.wait(lock, [this] { return m_queue.size() < kBundlesAhead || m_stopped; });
        if (m_stopped) return false;
        m_queue.push_back(std::move(bundle));
        spent.swap(m_spent);
        m_notEmpty.notify_one();
        lock.unlock();
        return true;
    }
    // A bundle the writer has stored, to be freed by the reader.
    void recycle(Bundle&& bundle)
    {
        std::lock_guard lock(m_mutex);
        if (!m_done) m_spent.push_back(std::move(bundle));
    }
    // An empty bundle once the reader is done and every recipe was taken.
    Bundle pop()
    {
        std::unique_lock lock(m_mutex);
        m_notEmpty.wait(lock, [this] { return !m_queue.empty() || m_done; });
        if (m_queue.empty()) return {};
        Bundle bundle = std::move(m_queue.front());
        m_queue.pop_front();
        m_notFull.notify_one();
        return bundle;
    }
    void done()
    {
        std::lock_guard lock(m_mutex);
        m_done = true;
        m_notEmpty.notify_all();
    }
    void stop()
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
        m_notFull.notify_all();
    }
    bool stopped()
    {
        std::lock_guard lock(m_mutex);
        return m_stopped;
    }

private:
    static constexpr std::size_t kBundlesAhead = 8;
    std::mutex m_mutex;
    std::condition_variable m_notFull;
    std::condition_variable m_notEmpty;
    std::deque<Bundle> m_queue;
    std::vector<Bundle> m_spent;
    bool m_done = false;
    bool m_stopped = false;
};

// What the reading thread asks of the import: the text replacement, which only that
// thread uses while files are read, and whether the writer still takes recipes.
class ReadingHost : public MmHost {
public:
    explicit ReadingHost(RecipeQueue& queue) : m_queue(queue) {}
    QString repstr(const QString& text) override { return exchange::repstr(text); }
    bool cancelled() override { return m_queue.stopped(); }

private:
    RecipeQueue& m_queue;
};

}  // namespace

// One file for the reading thread, and what became of it.
struct ImportSession::FileJob {
    QString shown;
    QByteArray native;
    bool utf8 = false;
    RecipeQueue queue;
    // Set by the reading thread before the queue is done.
    QString openError;       // the file could not be opened as a regular file
    QString readError;       // reading failed (before the first line when unreadable)
    bool unreadable = false;
    qint64 lastLine = 0;
    std::exception_ptr failure;
};

// The files of a run are read one after another on a thread of its own, the next one
// while the writer still stores the last: the writer waits for neither a file's opening
// nor its first recipes. Only this thread replaces texts while it runs.
class ImportSession::Reading {
public:
    Reading() : m_thread([this] { run(); }) {}
    ~Reading()
    {
        {
            std::lock_guard lock(m_mutex);
            m_ending = true;
            for (const auto& job : m_jobs) job->queue.stop();
        }
        m_wake.notify_all();
        m_thread.join();
    }

    std::shared_ptr<FileJob> submit(const QString& shown, const QByteArray& native, bool utf8)
    {
        auto job = std::make_shared<FileJob>();
        job->shown = shown;
        job->native = native;
        job->utf8 = utf8;
        {
            std::lock_guard lock(m_mutex);
            m_jobs.push_back(job);
        }
        m_wake.notify_all();
        return job;
    }

private:
    void run()
    {
        for (;;) {
            std::shared_ptr<FileJob> job;
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [this] { return m_ending || !m_jobs.empty(); });
                if (m_jobs.empty()) return;
                job = m_jobs.front();
            }
            read(*job);
            job->queue.done();
            std::lock_guard lock(m_mutex);
            m_jobs.pop_front();
        }
    }

    static void read(FileJob& job)
    {
        if (job.queue.stopped()) return;
        try {
            // Only a regular file is read: a pipe or a device would wait for ever, so the
            // file is opened without waiting and looked at before the first read.
            QFile file;
            const int fd = ::open(job.native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            struct stat st {};
            if (fd < 0) job.openError = errno == ENOENT ? QStringLiteral("keine Datei") : paths::refusal(errno);
            else if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) job.openError = QStringLiteral("keine Datei");
            else if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) job.openError = file.errorString();
            if (!job.openError.isEmpty()) {
                if (fd >= 0 && !file.isOpen()) ::close(fd);
                return;
            }
            text::Encoding encoding = text::Encoding::Utf8;
            if (!job.utf8 && !text::detectEncoding(file, encoding)) {
                job.unreadable = true;
                job.readError = file.errorString();
                return;
            }
            FileLineSource source(file, encoding);
            ReadingHost host(job.queue);
            MealMasterReader reader(source, host);
            RecipeQueue::Bundle bundle;
            bool taken = true;
            while (std::optional<MmRecipe> recipe = reader.next()) {
                bundle.push_back(std::move(*recipe));
                if (bundle.size() == kBundle && !(taken = job.queue.push(std::exchange(bundle, {})))) break;
            }
            if (taken && !bundle.empty()) job.queue.push(std::move(bundle));
            job.lastLine = reader.lastLine();
            if (source.failed()) job.readError = source.errorString();
        } catch (...) {
            job.failure = std::current_exception();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::shared_ptr<FileJob>> m_jobs;   // the first is being read
    bool m_ending = false;
    std::thread m_thread;
};

namespace {

void bindOptional(db::Statement& st, int index, const std::optional<qint64>& value)
{
    if (value) st.bindInt64(index, *value);
    else st.bindNull(index);
}

}  // namespace

void setImportFault(std::function<void(const char* step)> f)
{
    g_fault = std::move(f);
}

ImportSession::ImportSession(db::Database& db, ImportUi& ui)
    : m_db(db)
    , m_ui(ui)
    , m_lookups(db)
    , m_insertRecipe(db, QStringLiteral("insert into rezepte (rname, port, ungenau, did, kid, komid) "
                                        "values (?, ?, ?, ?, ?, null)"))
    , m_insertPreparation(db, QStringLiteral("insert into zubereit (rid, ztext) values (?, ?)"))
    , m_insertError(db, QStringLiteral("insert into importerrors (did, rid, rname, etext) values (?, ?, ?, ?)"))
    , m_insertErrorText(db, QStringLiteral("insert into importerrtexte (errid, rtext) values (?, ?)"))
    , m_titleExists(db, QStringLiteral("select 1 from rezepte where rname=? limit 1"))
    , m_savepoint(db, QStringLiteral("SAVEPOINT kv_rezept"))
    , m_release(db, QStringLiteral("RELEASE kv_rezept"))
    , m_rollbackTo(db, QStringLiteral("ROLLBACK TO kv_rezept"))
{
    // The titles the cookbook holds, as hashes: most recipes of an import are new, and a
    // title whose hash is unknown needs no query.
    qint64 held = 0;
    db::Statement titles(db, QStringLiteral("select rname from rezepte"));
    while (titles.step()) {
        m_titles.insert(qHash(foldKey(titles.text(0))));
        ++held;
    }
    // Building the indexes again costs what the whole cookbook holds; it pays where the
    // import adds a good part of that.
    m_bulkFrom = std::max(kBulkRecipes, held / 4);
    m_oldCacheSize = m_db.scalar(QStringLiteral("PRAGMA cache_size")).toString();
    m_db.execute(QStringLiteral("PRAGMA cache_size=") + kImportCacheSize);
}

ImportSession::~ImportSession()
{
    try {
        if (m_open) m_db.rollback();
        m_open = false;
        m_lookups.rolledBack();
        // What was committed keeps its indexes when they can be built; else the next
        // opening builds them.
        if (m_bulk) leaveBulk();
    } catch (const db::DbError&) {
        m_db.shareAgain();
    }
    try {
        if (!m_oldCacheSize.isEmpty()) m_db.execute(QStringLiteral("PRAGMA cache_size=") + m_oldCacheSize);
    } catch (const db::DbError&) {
        // The cookbook stays as it was last committed.
    }
}

void ImportSession::begin()
{
    if (m_open) return;
    m_db.beginTrans();
    m_open = true;
    m_batchOpen.start();
}

void ImportSession::commit()
{
    if (!m_open) return;
    QElapsedTimer clock;
    clock.start();
    m_db.commitTrans();
    m_open = false;
    m_lookups.committed();
    m_batchRecipes = 0;
    m_stats.commitNs += clock.nsecsElapsed();
}

void ImportSession::commitWhenDue()
{
    if (m_batchRecipes >= kBatchRecipes || (m_open && m_batchOpen.elapsed() >= kBatchMilliseconds)) commit();
    if (!m_bulkTried && m_stats.recipes >= m_bulkFrom) {
        commit();
        enterBulk();
    }
}

void ImportSession::finish()
{
    commit();
    if (m_bulk) leaveBulk();
}

// Only where no other program has the cookbook open: it would see the tables without
// their indexes, and its opening would build them while this import writes.
void ImportSession::enterBulk()
{
    m_bulkTried = true;
    if (!m_db.holdAlone()) return;
    try {
        db::Transaction tx(m_db);
        m_indexed = forgetIndexesBuilt(m_db);
        m_dropped = dropListedIndexes(m_db, kBulkTables, kBulkKeeps);
        tx.commit();
    } catch (...) {
        m_db.shareAgain();
        throw;
    }
    m_bulk = true;
    fault("bulk");
}

void ImportSession::leaveBulk()
{
    m_bulk = false;
    QElapsedTimer clock;
    clock.start();
    const auto shared = qScopeGuard([this] { m_db.shareAgain(); });
    // What was dropped comes back; a cookbook whose first opening has not built its
    // indexes yet is left to that opening.
    {
        const IndexBuildCache cache(m_db);
        db::Transaction tx(m_db);
        buildMissingIndexes(m_db, m_dropped);
        if (m_indexed) recordIndexesBuilt(m_db);
        fault("indexes");
        tx.commit();
    }
    m_stats.indexNs += clock.nsecsElapsed();
}

void ImportSession::addFile(qint64 did, const QString& shownName)
{
    begin();
    m_db.execute(QStringLiteral("insert into importdateien (did, dname) values (?, ?)"), {did, shownName});
}

void ImportSession::execute(const QString& sql)
{
    begin();
    m_db.execute(sql);
}

void ImportSession::addSubdir(const QString& subdir)
{
    begin();
    m_db.execute(QStringLiteral("insert into importsubdirs (subdir) values (?)"), {subdir});
}

void ImportSession::reportError(qint64 did, const QString& name, const QString& step, const QString& description)
{
    begin();
    writeError(did, std::nullopt, name, step, description, QString());
    announceFirstError();
}

void ImportSession::writeError(qint64 did, std::optional<qint64> rid, const QString& rname, const QString& step,
                               const QString& description, const QString& rawText)
{
    const QString etext = step + QStringLiteral(" : Fehler '") + description + u'\'';
    m_insertError.reset();
    m_insertError.bindInt64(1, did);
    bindOptional(m_insertError, 2, rid);
    m_insertError.bindText(3, leftChars(rname, kTextWidth));
    m_insertError.bindText(4, leftChars(etext, kTextWidth));
    m_insertError.step();
    const qint64 errid = m_db.lastInsertId();
    m_insertErrorText.reset();
    m_insertErrorText.bindInt64(1, errid);
    m_insertErrorText.bindText(2, rawText);
    m_insertErrorText.step();
    if (lasterrid == 0) m_firstError = true;
    lasterrid = errid;
}

void ImportSession::announceFirstError()
{
    if (!m_firstError) return;
    m_firstError = false;
    commit();
    ui::msgbox(QStringLiteral("In der MealMaster-Datei wurde ein Fehler entdeckt. Die Beschreibung aller Fehler "
                              "sehen Sie am Ende."),
               ui::OkOnly, QStringLiteral(" "));
}

void ImportSession::reportRecipeErrors(const MmRecipe& recipe, qint64 did, std::optional<qint64> rid)
{
    for (const MmError& e : recipe.errors)
        writeError(did, rid, recipe.title, e.step, e.description, recipe.rawText.left(e.rawLength));
}

bool ImportSession::skipTitle(const QString& title)
{
    if (!skipexisting) return false;
    // The title as it would be stored: a replaced one is found again.
    const QString stored = leftChars(title, kTextWidth);
    if (!m_titles.contains(qHash(foldKey(stored)))) return false;
    m_titleExists.reset();
    m_titleExists.bindText(1, stored);
    const bool found = m_titleExists.step();
    m_titleExists.reset();
    return found;
}

// In a savepoint of its own: a recipe the database refuses goes whole, with what the
// lookups learnt from it, and is reported; the rest of the batch stays.
void ImportSession::storeRecipe(const MmRecipe& recipe, qint64 did)
{
    begin();
    const std::size_t mark = m_lookups.mark();
    m_savepoint.reset();
    m_savepoint.step();
    m_writeStep = QStringLiteral("Titel");
    try {
        writeRecipe(recipe, did);
        m_release.reset();
        m_release.step();
        ++m_stats.recipes;
        ++m_batchRecipes;
    } catch (const db::DbError& error) {
        // SQLite may have ended the whole transaction (a full disk): the batch is gone, and
        // the run ends with what was committed.
        if (!m_db.inTransaction()) {
            m_open = false;
            m_lookups.rolledBack();
            throw;
        }
        m_rollbackTo.reset();
        m_rollbackTo.step();
        m_release.reset();
        m_release.step();
        m_lookups.rolledBackTo(mark);
        ++m_stats.cutOff;
        reportRecipeErrors(recipe, did, std::nullopt);
        writeError(did, std::nullopt, recipe.title, m_writeStep,
                   QStringLiteral("Das Rezept wurde nicht gespeichert (Zeile %1): %2 %3")
                       .arg(recipe.titleLine)
                       .arg(error.number())
                       .arg(error.text()),
                   recipe.rawText);
    }
}

// A recipe's ingredient lines, several rows to a statement: the rows cost the engine
// little, each statement much.
void ImportSession::writeLines(qint64 rid)
{
    for (std::size_t from = 0; from < m_lines.size(); from += kLinesAtOnce) {
        const std::size_t count = std::min(kLinesAtOnce, m_lines.size() - from);
        std::unique_ptr<db::Statement>& st = m_insertLines[count - 1];
        if (!st) {
            QString sql = QStringLiteral("insert into zutaten (rid, tid, nr, eid, menge, zutid) values ");
            for (std::size_t i = 0; i < count; ++i) sql += i == 0 ? QStringLiteral("(?,?,?,?,?,?)") : QStringLiteral(",(?,?,?,?,?,?)");
            st = std::make_unique<db::Statement>(m_db, sql);
        }
        st->reset();
        int at = 1;
        for (std::size_t i = from; i < from + count; ++i) {
            const Line& line = m_lines[i];
            st->bindInt64(at++, rid);
            st->bindInt64(at++, line.tid);
            st->bindInt64(at++, line.nr);
            bindOptional(*st, at++, line.eid);
            if (line.menge) st->bindDouble(at++, *line.menge);
            else st->bindNull(at++);
            st->bindInt64(at++, line.zutid);
        }
        st->step();
    }
}

void ImportSession::writeRecipe(const MmRecipe& recipe, qint64 did)
{
    QElapsedTimer clock;
    clock.start();

    // The first category that maps gives the recipe's; those that do not map become its
    // keywords once the recipe has its id.
    m_writeStep = QStringLiteral("Kategorien");
    std::optional<qint64> kid;
    QStringList unmapped;
    for (const QString& category : recipe.categories) {
        const std::optional<qint64> mapped = m_lookups.kidOf(category);
        if (!mapped) unmapped << category;
        else if (!kid) kid = mapped;
    }

    m_writeStep = QStringLiteral("Titel");
    const QString rname = leftChars(recipe.rname, kTextWidth);
    m_insertRecipe.reset();
    m_insertRecipe.bindText(1, rname);
    bindOptional(m_insertRecipe, 2, recipe.port ? std::optional<qint64>(*recipe.port) : std::nullopt);
    m_insertRecipe.bindInt64(3, recipe.ungenau ? 1 : 0);
    m_insertRecipe.bindInt64(4, did);
    bindOptional(m_insertRecipe, 5, kid);
    m_insertRecipe.step();
    const qint64 rid = m_db.lastInsertId();
    // Kept also when the recipe is rolled back: the hashes only spare queries.
    m_titles.insert(qHash(foldKey(rname)));

    m_writeStep = QStringLiteral("Kategorien");
    for (const QString& category : unmapped) m_lookups.addKeyword(rid, category);

    m_writeStep = QStringLiteral("Zutaten");
    m_lines.clear();
    for (std::size_t p = 0; p < recipe.parts.size(); ++p) {
        const MmPart& part = recipe.parts[p];
        const qint64 tid = qint64(p) + 1;
        if (part.heading) m_lines.push_back({tid, 0, std::nullopt, std::nullopt, m_lookups.zutidOf(*part.heading)});
        qint64 nr = 1;
        for (const MmItem& item : part.items) {
            const std::optional<qint64> eid = item.unit ? m_lookups.eidOf(*item.unit) : std::nullopt;
            m_lines.push_back({tid, nr++, eid, item.menge, m_lookups.zutidOf(item.text)});
        }
    }
    writeLines(rid);

    m_writeStep = QStringLiteral("Zubereitung");
    m_insertPreparation.reset();
    m_insertPreparation.bindInt64(1, rid);
    m_insertPreparation.bindText(2, recipe.zubereitung);
    m_insertPreparation.step();
    for (const QString& keyword : recipe.keywords) m_lookups.addKeyword(rid, keyword);

    reportRecipeErrors(recipe, did, rid);

    m_stats.rowsNs += clock.nsecsElapsed();
}

void ImportSession::readAhead(const QString& path, const QByteArray& native)
{
    if (!m_reading) m_reading = std::make_unique<Reading>();
    m_ahead.push_back(m_reading->submit(path, native, false));
}

void ImportSession::importmmfile(const QString& path, const QByteArray& native, qint64 did, bool utf8)
{
    std::shared_ptr<FileJob> job;
    if (!m_ahead.empty() && m_ahead.front()->native == native && m_ahead.front()->utf8 == utf8) {
        job = m_ahead.front();
        m_ahead.pop_front();
    }
    if (m_lookups.dnameexists(path, did)) {
        commit();
        const ui::Answer answer = ui::msgbox(
            QStringLiteral("Die Datei '") + path +
                QStringLiteral("' wurde schon einmal importiert. Soll Sie nochmals importiert werden, klicken Sie "
                               "auf Ja. Falls sie übersprungen werden soll, klicken Sie auf Nein."),
            ui::YesNo, QStringLiteral(" "));
        if (answer != ui::Answer::Yes) {
            if (job) job->queue.stop();
            return;
        }
        begin();
        m_db.execute(QStringLiteral("update importdateien set \"check\"=0 where dname=?"), {path});
    }
    if (!job) {
        if (!m_reading) m_reading = std::make_unique<Reading>();
        job = m_reading->submit(path, native, utf8);
    }
    const auto stopped = qScopeGuard([&] { job->queue.stop(); });

    QElapsedTimer clock;
    RecipeQueue::Bundle bundle;
    std::size_t next = 0;
    // A cancel is seen between recipes: the one stored before it is the last.
    while (!importcancel) {
        if (next == bundle.size()) {
            if (!bundle.empty()) job->queue.recycle(std::move(bundle));
            clock.start();
            bundle = job->queue.pop();
            next = 0;
            m_stats.readNs += clock.nsecsElapsed();
            if (bundle.empty()) break;
        }
        const MmRecipe& recipe = bundle[next++];
        // A title the cookbook holds is skipped whole, whatever its lines hold.
        if (recipe.titleRead && skipTitle(recipe.rname)) continue;
        if (recipe.complete) {
            storeRecipe(recipe, did);
            announceFirstError();
            commitWhenDue();
            serveUi();
        } else {
            if (!recipe.skipped) ++m_stats.cutOff;
            begin();
            reportRecipeErrors(recipe, did, std::nullopt);
            announceFirstError();
        }
    }
    if (importcancel) {
        // Nothing more is read, of this file or the next.
        for (const auto& ahead : m_ahead) ahead->queue.stop();
        m_ahead.clear();
        return;
    }
    // The reading of the file is done (its queue said so): what it left is safe to look at.
    if (job->failure) std::rethrow_exception(job->failure);
    if (!job->openError.isEmpty())
        reportError(did, QString(), QStringLiteral("Datei"),
                    QStringLiteral("Die Datei kann nicht geöffnet werden: %1 (%2)").arg(path, job->openError));
    else if (job->unreadable)
        reportError(did, QString(), QStringLiteral("Datei"),
                    QStringLiteral("Die Datei kann nicht gelesen werden: %1 (%2)").arg(path, job->readError));
    else if (!job->readError.isEmpty())
        reportError(did, QString(), QStringLiteral("Datei"),
                    QStringLiteral("Die Datei konnte nach Zeile %1 nicht weiter gelesen werden: %2 (%3)")
                        .arg(job->lastLine)
                        .arg(path, job->readError));
    serveUi(true);
}

qint64 ImportSession::errorRows()
{
    return m_db.scalar(QStringLiteral("select count(*) from importerrors")).toLongLong();
}

void ImportSession::serveUi(bool force)
{
    if (!force && m_sinceServed.isValid() && m_sinceServed.elapsed() < 50) return;
    m_ui.setIrez(QString::number(m_stats.recipes));
    m_ui.doEvents();
    m_sinceServed.start();
}

}  // namespace kv::exchange
