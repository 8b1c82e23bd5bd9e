#include "exchange/importsession.h"

#include "core/mainmod.h"
#include "exchange/import.h"
#include "platform/paths.h"
#include "platform/textreplace/textfile.h"
#include "platform/ui/dialogs.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace kv::exchange {

qint64 lasterrid = 0;

namespace {

constexpr qsizetype kTextWidth = 255;
// A batch written again after a failure may fail again; after this many more the run ends.
constexpr int kMostReplays = 3;
// The page cache while an import writes: the new rows' index pages stay in memory.
const QString kImportCacheSize = QStringLiteral("-65536");

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

QVariant orNull(const std::optional<qint64>& value)
{
    return value ? QVariant(*value) : QVariant();
}

}  // namespace

class ImportSession::Host : public MmHost {
public:
    explicit Host(ImportSession& session) : m_session(session) {}
    QString repstr(const QString& text) override { return exchange::repstr(text); }
    bool skipTitle(const QString& title) override { return m_session.skipTitle(title); }
    bool cancelled() override { return importcancel; }

private:
    ImportSession& m_session;
};

ImportSession::ImportSession(db::Database& db, ImportUi& ui)
    : m_db(db)
    , m_ui(ui)
    , m_lookups(db)
    , m_insertRecipe(db, QStringLiteral("insert into rezepte (rname, port, ungenau, did, kid, komid) "
                                        "values (?, ?, ?, ?, ?, null)"))
    , m_insertLine(db, QStringLiteral("insert into zutaten (rid, tid, nr, eid, menge, zutid) values (?, ?, ?, ?, ?, ?)"))
    , m_insertPreparation(db, QStringLiteral("insert into zubereit (rid, ztext) values (?, ?)"))
    , m_insertError(db, QStringLiteral("insert into importerrors (did, rid, rname, etext) values (?, ?, ?, ?)"))
    , m_insertErrorText(db, QStringLiteral("insert into importerrtexte (errid, rtext) values (?, ?)"))
    , m_titleExists(db, QStringLiteral("select 1 from rezepte where rname=? limit 1"))
{
    // The titles the cookbook holds, as hashes: most recipes of an import are new, and a
    // title whose hash is unknown needs no query (which without its index reads the table).
    db::Statement titles(db, QStringLiteral("select rname from rezepte"));
    while (titles.step()) m_titles.insert(qHash(foldKey(titles.text(0))));
    m_oldCacheSize = m_db.scalar(QStringLiteral("PRAGMA cache_size")).toString();
    m_db.execute(QStringLiteral("PRAGMA cache_size=") + kImportCacheSize);
}

ImportSession::~ImportSession()
{
    try {
        if (m_open) m_db.rollback();
        m_lookups.rolledBack();
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
}

void ImportSession::commit()
{
    if (!m_open) return;
    QElapsedTimer clock;
    clock.start();
    m_db.commitTrans();
    m_open = false;
    m_lookups.committed();
    m_batch.clear();
    m_batchRecipes = 0;
    m_stats.commitNs += clock.nsecsElapsed();
}

void ImportSession::run(Pending item)
{
    begin();
    try {
        item.write();
    } catch (const db::DbError& error) {
        recover(error, std::move(item));
        return;
    }
    m_batch.push_back(std::move(item));
}

// Rolls the batch back and writes it again without the recipe that failed (and without
// any other that fails now), then reports the recipes left out and commits.
void ImportSession::recover(const db::DbError& error, Pending failed)
{
    if (!failed.failed || m_replaying) throw error;
    m_replaying = true;
    std::vector<Pending> keep = std::move(m_batch);
    std::vector<std::pair<Pending, db::DbError>> dropped;
    dropped.emplace_back(std::move(failed), error);
    for (int attempt = 0;; ++attempt) {
        // SQLite may have ended the transaction itself (a full disk); rollback knows.
        m_db.rollback();
        m_open = false;
        m_lookups.rolledBack();
        m_batch.clear();
        begin();
        bool clean = true;
        for (std::size_t i = 0; i < keep.size() && clean; ++i) {
            try {
                keep[i].write();
                m_batch.push_back(keep[i]);
            } catch (const db::DbError& again) {
                if (!keep[i].failed || attempt >= kMostReplays) {
                    m_replaying = false;
                    throw;
                }
                dropped.emplace_back(std::move(keep[i]), again);
                keep.erase(keep.begin() + qsizetype(i));
                clean = false;
            }
        }
        if (clean) break;
    }
    m_replaying = false;
    m_batchRecipes = 0;
    for (auto& [item, why] : dropped) item.failed(why);
    commit();
}

void ImportSession::addFile(qint64 did, const QString& shownName)
{
    run({[this, did, shownName] {
             m_db.execute(QStringLiteral("insert into importdateien (did, dname) values (?, ?)"), {did, shownName});
         },
         {}});
}

void ImportSession::execute(const QString& sql)
{
    run({[this, sql] { m_db.execute(sql); }, {}});
}

void ImportSession::addSubdir(const QString& subdir)
{
    run({[this, subdir] { m_db.execute(QStringLiteral("insert into importsubdirs (subdir) values (?)"), {subdir}); },
         {}});
}

void ImportSession::reportError(qint64 did, const QString& name, const QString& step, const QString& description)
{
    run({[=, this] { writeError(did, std::nullopt, name, step, description, QString()); }, {}});
}

void ImportSession::writeError(qint64 did, std::optional<qint64> rid, const QString& rname, const QString& step,
                               const QString& description, const QString& rawText)
{
    const QString etext = step + QStringLiteral(" : Fehler '") + description + u'\'';
    m_insertError.reset();
    m_insertError.bind(1, did);
    m_insertError.bind(2, orNull(rid));
    m_insertError.bind(3, leftChars(rname, kTextWidth));
    m_insertError.bind(4, leftChars(etext, kTextWidth));
    m_insertError.step();
    const qint64 errid = m_db.lastInsertId();
    m_insertErrorText.reset();
    m_insertErrorText.bind(1, errid);
    m_insertErrorText.bind(2, rawText);
    m_insertErrorText.step();
    if (lasterrid == 0)
        ui::msgbox(QStringLiteral("In der MealMaster-Datei wurde ein Fehler entdeckt. Die Beschreibung aller Fehler "
                                  "sehen Sie am Ende."),
                   ui::OkOnly, QStringLiteral(" "));
    lasterrid = errid;
}

void ImportSession::reportRecipeErrors(const std::shared_ptr<const MmRecipe>& recipe, qint64 did,
                                       std::optional<qint64> rid)
{
    for (const MmError& e : recipe->errors)
        writeError(did, rid, recipe->title, e.step, e.description, recipe->rawText.left(e.rawLength));
}

bool ImportSession::skipTitle(const QString& title)
{
    if (!skipexisting) return false;
    // The title as it would be stored: a replaced one is found again.
    const QString stored = leftChars(title, kTextWidth);
    if (!m_titles.contains(qHash(foldKey(stored)))) return false;
    m_titleExists.reset();
    m_titleExists.bind(1, stored);
    const bool found = m_titleExists.step();
    m_titleExists.reset();
    return found;
}

void ImportSession::storeRecipe(const std::shared_ptr<const MmRecipe>& recipe, qint64 did)
{
    ++m_stats.recipes;
    auto step = std::make_shared<QString>();
    run({[this, recipe, did, step] {
             *step = QStringLiteral("Titel");
             try {
                 writeRecipe(*recipe, did);
             } catch (const db::DbError&) {
                 *step = m_writeStep;
                 throw;
             }
         },
         [this, recipe, did, step](const db::DbError& error) {
             --m_stats.recipes;
             ++m_stats.cutOff;
             run({[=, this] {
                      reportRecipeErrors(recipe, did, std::nullopt);
                      writeError(did, std::nullopt, recipe->title, *step,
                                 QStringLiteral("Das Rezept wurde nicht gespeichert (Zeile %1): %2 %3")
                                     .arg(recipe->titleLine)
                                     .arg(error.number())
                                     .arg(error.text()),
                                 recipe->rawText);
                  },
                  {}});
         }});
}

void ImportSession::writeRecipe(const MmRecipe& recipe, qint64 did)
{
    QElapsedTimer clock;
    clock.start();
    qint64 lookupNs = 0;
    const auto timed = [&](auto&& lookup) {
        const qint64 before = clock.nsecsElapsed();
        auto result = lookup();
        lookupNs += clock.nsecsElapsed() - before;
        return result;
    };

    // The first category that maps gives the recipe's; those that do not map become its
    // keywords once the recipe has its id.
    m_writeStep = QStringLiteral("Kategorien");
    std::optional<qint64> kid;
    QStringList unmapped;
    for (const QString& piece : recipe.categories.split(u',')) {
        const QString category = repstr(piece.trimmed());
        const std::optional<qint64> mapped = timed([&] { return m_lookups.kidOf(category); });
        if (!mapped) unmapped << category;
        else if (!kid) kid = mapped;
    }

    m_writeStep = QStringLiteral("Titel");
    m_insertRecipe.reset();
    m_insertRecipe.bind(1, leftChars(recipe.rname, kTextWidth));
    m_insertRecipe.bind(2, recipe.port ? QVariant(int(*recipe.port)) : QVariant());
    m_insertRecipe.bind(3, recipe.ungenau ? 1 : 0);
    m_insertRecipe.bind(4, did);
    m_insertRecipe.bind(5, orNull(kid));
    m_insertRecipe.step();
    const qint64 rid = m_db.lastInsertId();
    // Kept also when the batch is rolled back: the hashes only spare queries.
    m_titles.insert(qHash(foldKey(leftChars(recipe.rname, kTextWidth))));

    m_writeStep = QStringLiteral("Kategorien");
    for (const QString& category : unmapped) timed([&] { m_lookups.addstich(rid, category); return 0; });

    m_writeStep = QStringLiteral("Zutaten");
    for (std::size_t p = 0; p < recipe.parts.size(); ++p) {
        const MmPart& part = recipe.parts[p];
        const int tid = int(p) + 1;
        const auto line = [&](int nr, const std::optional<qint64>& eid, const QVariant& menge, qint64 zutid) {
            m_insertLine.reset();
            m_insertLine.bind(1, rid);
            m_insertLine.bind(2, tid);
            m_insertLine.bind(3, nr);
            m_insertLine.bind(4, orNull(eid));
            m_insertLine.bind(5, menge);
            m_insertLine.bind(6, zutid);
            m_insertLine.step();
        };
        if (part.heading) line(0, std::nullopt, QVariant(), timed([&] { return m_lookups.getzutid(*part.heading); }));
        int nr = 1;
        for (const MmItem& item : part.items) {
            const std::optional<qint64> eid =
                item.unit ? timed([&] { return m_lookups.geteid(*item.unit); }) : std::nullopt;
            const qint64 zutid = timed([&] { return m_lookups.getzutid(item.text); });
            line(nr++, eid, item.menge ? QVariant(*item.menge) : QVariant(), zutid);
        }
    }

    m_writeStep = QStringLiteral("Zubereitung");
    m_insertPreparation.reset();
    m_insertPreparation.bind(1, rid);
    m_insertPreparation.bind(2, recipe.zubereitung);
    m_insertPreparation.step();
    for (const QString& keyword : recipe.keywords) timed([&] { m_lookups.addstich(rid, keyword); return 0; });

    for (const MmError& e : recipe.errors)
        writeError(did, rid, recipe.title, e.step, e.description, recipe.rawText.left(e.rawLength));

    m_stats.lookupNs += lookupNs;
    m_stats.rowsNs += clock.nsecsElapsed() - lookupNs;
}

void ImportSession::importmmfile(const QString& path, const QByteArray& native, qint64 did, bool utf8)
{
    if (m_lookups.dnameexists(path, did)) {
        const ui::Answer answer = ui::msgbox(
            QStringLiteral("Die Datei '") + path +
                QStringLiteral("' wurde schon einmal importiert. Soll Sie nochmals importiert werden, klicken Sie "
                               "auf Ja. Falls sie übersprungen werden soll, klicken Sie auf Nein."),
            ui::YesNo, QStringLiteral(" "));
        if (answer != ui::Answer::Yes) return;
        run({[this, path] {
                 m_db.execute(QStringLiteral("update importdateien set \"check\"=0 where dname=?"), {path});
             },
             {}});
    }

    // Only a regular file is read: a pipe or a device would wait for ever, so the file is
    // opened without waiting and looked at before the first read.
    QFile file;
    QString why;
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    if (fd < 0) why = errno == ENOENT ? QStringLiteral("keine Datei") : paths::refusal(errno);
    else if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) why = QStringLiteral("keine Datei");
    else if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) why = file.errorString();
    if (!why.isEmpty()) {
        if (fd >= 0 && !file.isOpen()) ::close(fd);
        reportError(did, QString(), QStringLiteral("Datei"),
                    QStringLiteral("Die Datei kann nicht geöffnet werden: %1 (%2)").arg(path, why));
        return;
    }
    text::Encoding encoding = text::Encoding::Utf8;
    if (!utf8 && !text::detectEncoding(file, encoding)) {
        reportError(did, QString(), QStringLiteral("Datei"),
                    QStringLiteral("Die Datei kann nicht gelesen werden: %1 (%2)").arg(path, file.errorString()));
        return;
    }

    FileLineSource source(file, encoding);
    Host host(*this);
    MealMasterReader reader(source, host);
    QElapsedTimer clock;
    for (;;) {
        clock.start();
        std::optional<MmRecipe> read = reader.next();
        m_stats.readNs += clock.nsecsElapsed();
        if (!read) break;
        auto recipe = std::make_shared<const MmRecipe>(std::move(*read));
        if (recipe->complete) {
            storeRecipe(recipe, did);
            if (++m_batchRecipes >= kBatchRecipes) commit();
            serveUi();
        } else {
            ++m_stats.cutOff;
            run({[this, recipe, did] { reportRecipeErrors(recipe, did, std::nullopt); }, {}});
        }
    }
    if (source.failed())
        reportError(did, QString(), QStringLiteral("Datei"),
                    QStringLiteral("Die Datei konnte nach Zeile %1 nicht weiter gelesen werden: %2 (%3)")
                        .arg(reader.lastLine())
                        .arg(path, source.errorString()));
    commit();
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
