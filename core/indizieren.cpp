#include "core/indizieren.h"

#include "core/mainmod.h"
#include "core/settings.h"
#include "platform/db/database.h"
#include "platform/ui/dialogs.h"

#include <vector>

namespace kv {

namespace {

struct PlannedIndex {
    QString table;
    db::IndexDef index;
};

bool hasIndex(const std::vector<PlannedIndex>& planned, const std::vector<db::IndexDef>& existing,
              const QString& table, const QString& name)
{
    for (const db::IndexDef& index : existing)
        if (index.name.compare(name, Qt::CaseInsensitive) == 0) return true;
    for (const PlannedIndex& p : planned)
        if (p.table.compare(table, Qt::CaseInsensitive) == 0 &&
            p.index.name.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool isPlain(const db::IndexDef& index)
{
    return !index.primary && !index.unique;
}

// A plain index whose fields lead a longer one of the same table, listed or existing.
bool covered(const PlannedIndex& p, const std::vector<PlannedIndex>& listed, db::Database& db)
{
    if (!isPlain(p.index)) return false;
    for (const PlannedIndex& other : listed)
        if (other.table.compare(p.table, Qt::CaseInsensitive) == 0 && leadsIndex(p.index.fields, other.index.fields))
            return true;
    for (const db::IndexDef& index : db.indexes(p.table))
        if (leadsIndex(p.index.fields, index.fields)) return true;
    return false;
}

// The listed indexes that are missing. Decided per index, so a build that was cut short
// is completed; a definition without fields cannot be built and is left out.
std::vector<PlannedIndex> missingIndexes(db::Database& db)
{
    std::vector<PlannedIndex> listed;
    std::vector<PlannedIndex> planned;
    {
        const auto defs = db.openRecordset(QStringLiteral("-indizes"), db::RecordsetType::Table);
        for (; !defs->eof(); defs->moveNext()) {
            const QString table = defs->value(QStringLiteral("tabelle")).toString();
            const QString name = defs->value(QStringLiteral("indexname")).toString();
            if (!db.hasTable(table))
                throw db::DbError(0, QStringLiteral("Die Tabelle '%1' für den Suchindex '%2' fehlt.").arg(table, name));

            db::IndexDef index;
            index.name = name;
            index.primary = defs->value(QStringLiteral("Primary")).toBool();
            index.unique = index.primary;
            const auto fields = db.openRecordset(
                QStringLiteral("select * from [-indexfelder] where indid=%1 order by fnr;")
                    .arg(defs->value(QStringLiteral("indid")).toLongLong()),
                db::RecordsetType::Snapshot);
            for (; !fields->eof(); fields->moveNext())
                index.fields.append(fields->value(QStringLiteral("feldname")).toString());
            if (index.fields.isEmpty()) continue;
            const PlannedIndex p{table, index};
            listed.push_back(p);
            if (!hasIndex(planned, db.indexes(table), table, name)) planned.push_back(p);
        }
    }
    std::vector<PlannedIndex> needed;
    for (const PlannedIndex& p : planned)
        if (!covered(p, listed, db)) needed.push_back(p);
    return needed;
}

}  // namespace

bool leadsIndex(const QStringList& fields, const QStringList& longer)
{
    if (fields.isEmpty() || fields.size() >= longer.size()) return false;
    for (qsizetype i = 0; i < fields.size(); ++i)
        if (fields[i].compare(longer[i], Qt::CaseInsensitive) != 0) return false;
    return true;
}

IndexBuildCache::IndexBuildCache(db::Database& db) : m_db(db)
{
    m_before = db.scalar(QStringLiteral("PRAGMA cache_size")).toLongLong();
    // 2 MB, the engine's own default; and a second thread for merging the sorted runs.
    db.execute(QStringLiteral("PRAGMA cache_size=-2000"));
    db.execute(QStringLiteral("PRAGMA threads=1"));
}

IndexBuildCache::~IndexBuildCache()
{
    try {
        m_db.execute(QStringLiteral("PRAGMA cache_size=%1").arg(m_before));
        m_db.execute(QStringLiteral("PRAGMA threads=0"));
    } catch (const db::DbError&) {
        // A connection that cannot take a pragma keeps the small cache; it still works.
    }
}

void indizieren(db::Database& db)
{
    setdefaults();

    const std::vector<PlannedIndex> planned = missingIndexes(db);
    if (!planned.empty())
        ui::msgbox(QStringLiteral("Kelvor muß beim ersten Starten seine Suchindizes erstellen.") + linebreak +
                       QStringLiteral("Es gibt sie bisher noch nicht, um Speicherplatz und Übertragungszeit zu "
                                      "sparen.") +
                       linebreak +
                       QStringLiteral("Bitte haben Sie jetzt etwas Geduld; nach Beendigung der Indizierung "
                                      "erscheint eine weitere Meldung."),
                   ui::OkOnly, QStringLiteral(" A c h t u n g"));

    db::Transaction tx(db);
    {
        IndexBuildCache cache(db);
        for (const PlannedIndex& p : planned) db.createIndex(p.table, p.index);
    }
    recordIndexesBuilt(db);
    tx.commit();

    if (!planned.empty()) {
        if (StartupUi* startup = startupUi()) startup->beep();
        ui::msgbox(QStringLiteral("Die Suchindizes wurden erstellt. Danke für Ihre Geduld"), ui::OkOnly,
                   QStringLiteral(" O K"));
    }
}

void recordIndexesBuilt(db::Database& db)
{
    db.execute(QStringLiteral("insert into changelog (changed) select  102;"));
}

bool forgetIndexesBuilt(db::Database& db)
{
    db.execute(QStringLiteral("delete from changelog where changed=102"));
    return db.changes() > 0;
}

void buildMissingIndexes(db::Database& db, const QStringList& only)
{
    for (const PlannedIndex& p : missingIndexes(db))
        if (only.contains(p.table + u'.' + p.index.name, Qt::CaseInsensitive))
            db.createIndex(p.table, p.index);
}

QStringList dropListedIndexes(db::Database& db, const QStringList& tables, const QStringList& keep)
{
    db::Statement listed(db, QStringLiteral("select tabelle, indexname from [-indizes] where coalesce(\"Primary\", 0)=0"));
    std::vector<std::pair<QString, QString>> drop;
    while (listed.step()) {
        const QString table = listed.text(0);
        const QString name = listed.text(1);
        if (!tables.contains(table, Qt::CaseInsensitive) || keep.contains(name, Qt::CaseInsensitive)) continue;
        for (const db::IndexDef& index : db.indexes(table))
            if (index.name.compare(name, Qt::CaseInsensitive) == 0 && !index.primary) drop.emplace_back(table, index.name);
    }
    QStringList dropped;
    for (const auto& [table, name] : drop) {
        db.deleteIndex(table, name);
        dropped << table + u'.' + name;
    }
    return dropped;
}

}  // namespace kv
