#include "platform/db/keysetrows.h"

#include "platform/db/sortedcolumn.h"
#include "platform/db/sqltext.h"

namespace kv::db::detail {

namespace {

constexpr int pageSize = 64;
constexpr size_t cacheLimit = 4096;

}  // namespace

KeysetData::KeysetData(const KeysetConfig& config) : cfg(config)
{
    sqlite3* h = cfg.db->handle();
    QStringList params;
    for (int i = 1; i <= pageSize; ++i) params << QStringLiteral("?%1").arg(i);
    pageStmt = Stmt(h, QStringLiteral("SELECT %1.rowid, %2 FROM %3 WHERE %1.rowid IN (%4)")
                           .arg(cfg.rowidRef, cfg.selectList, cfg.fromClause, params.join(u',')));
    fields = fieldsOf(*cfg.db, pageStmt.get(), 1);
    const QString alias = rowidAlias(*cfg.db, cfg.schema, cfg.table);
    if (!alias.isEmpty())
        for (size_t i = 0; i < fields.size() && rowidField < 0; ++i)
            if (fields[i].column.compare(alias, Qt::CaseInsensitive) == 0) rowidField = int(i);
    autoIncrement = hasAutoIncrement(*cfg.db, cfg.schema, cfg.table);
}

bool KeysetData::readsItsTableOnly() const
{
    if (cfg.type == RecordsetType::Table || cfg.schema != QLatin1String("main")) return false;
    static const char* const others[] = {"select", "random", "randomblob", "changes", "total_changes",
                                         "last_insert_rowid", "date", "time", "datetime", "julianday", "strftime",
                                         "unixepoch", "current_date", "current_time", "current_timestamp"};
    for (const QString& part : {cfg.selectList, cfg.tail})
        for (const Token& t : tokenize(part))
            for (const char* word : others)
                if (t.isKeyword(word)) return false;
    return true;
}

void KeysetData::load(size_t sizeHint)
{
    // Taken before the rows are read: a change after it is a change since the load.
    const TableStamp stamp = readsItsTableOnly() ? stampTables(*cfg.db, {cfg.table}) : TableStamp{};
    QString sql;
    std::vector<qint64> fresh;
    if (cfg.type == RecordsetType::Table) {
        QStringList order;
        for (const QString& c : cfg.indexColumns) order << quoteName(c);
        order << QStringLiteral("rowid");
        sql = QStringLiteral("SELECT rowid FROM %1 ORDER BY %2").arg(cfg.tableRef, order.join(QStringLiteral(", ")));
    } else if (cfg.needsSelectList) {
        sql = QStringLiteral("SELECT %1, %2.rowid FROM %3 %4").arg(cfg.selectList, cfg.rowidRef, cfg.fromClause, cfg.tail);
    } else if (std::optional<std::vector<qint64>> found = cfg.schema == QLatin1String("main") && cfg.fromClause == cfg.rowidRef
                                                            ? likeFilteredKeyset(*cfg.db, cfg.table, cfg.fromClause, cfg.tail)
                                                            : std::nullopt) {
        fresh = std::move(*found);
    } else {
        sql = QStringLiteral("SELECT %1.rowid FROM %2 %3").arg(cfg.rowidRef, cfg.fromClause, cfg.tail);
    }
    if (!sql.isEmpty()) {
        Stmt st(cfg.db->handle(), sql);
        sqlite3_stmt* raw = st.get();
        const int column = sqlite3_column_count(raw) - 1;
        // A list read again is about as long as before; every row of it passes this loop.
        fresh.reserve(std::max(sizeHint, ids.size()));
        int rc;
        while ((rc = sqlite3_step(raw)) == SQLITE_ROW) fresh.push_back(sqlite3_column_int64(raw, column));
        if (rc != SQLITE_DONE) throwSqlite(cfg.db->handle(), sql);
    }
    ids = std::move(fresh);
    loaded = true;
    loadStamp = stamp;
    cache.clear();
    version = nextVersion();
}

void KeysetData::fetchPage(qint64 index)
{
    if (cache.size() > cacheLimit) cache.clear();
    const qint64 block = writesBetweenReads ? 8 : pageSize;
    const qint64 start = index - index % block;
    const qint64 end = std::min(size(), start + block);
    sqlite3_stmt* st = pageStmt.get();
    pageStmt.reset();
    std::vector<qint64> wanted;
    for (qint64 i = start; i < end; ++i) {
        const qint64 id = ids[size_t(i)];
        if (i == index || !cache.count(id)) wanted.push_back(id);
    }
    for (size_t k = 0; k < wanted.size(); ++k) check(cfg.db->handle(), sqlite3_bind_int64(st, int(k) + 1, wanted[k]), pageStmt.sql());
    try {
        while (pageStmt.step()) {
            std::vector<QVariant> values;
            values.reserve(fields.size());
            for (size_t f = 0; f < fields.size(); ++f) values.push_back(readColumn(st, int(f) + 1, fields[f]));
            cache[sqlite3_column_int64(st, 0)] = std::move(values);
            ++fetched;
        }
    } catch (...) {
        pageStmt.reset();
        throw;
    }
    pageStmt.reset();
    for (qint64 id : wanted) cache.try_emplace(id);
    servedSinceFetch = 0;
}

const std::unordered_set<qint64>& KeysetData::matches(const QString& criteria)
{
    const qint64 stamp = sqlite3_total_changes64(cfg.db->handle());
    if (criteria == findCriteria && stamp == findStamp && version == findVersion) return findMatches;
    // Against the recordset's own columns, so that criteria may name its aliases; a
    // criterion qualified with the table name needs the table itself.
    Stmt st;
    try {
        st = Stmt(cfg.db->handle(), QStringLiteral("SELECT kv_rowid FROM (SELECT %1.rowid AS kv_rowid, %2 FROM %3) WHERE (%4)")
                                        .arg(cfg.rowidRef, cfg.selectList, cfg.fromClause, criteria));
    } catch (const DbError&) {
        st = Stmt(cfg.db->handle(), QStringLiteral("SELECT %1.rowid FROM %2 WHERE (%3)").arg(cfg.rowidRef, cfg.fromClause, criteria));
    }
    std::unordered_set<qint64> found;
    while (st.step()) found.insert(sqlite3_column_int64(st.get(), 0));
    findMatches = std::move(found);
    findCriteria = criteria;
    findStamp = stamp;
    findVersion = version;
    return findMatches;
}

qint64 KeysetData::reserveId()
{
    Database& db = *cfg.db;
    const QString seq = autoIncrement
                            ? QStringLiteral("ifnull((SELECT seq FROM %1.sqlite_sequence WHERE name=?1), 0)").arg(quoteName(cfg.schema))
                            : QStringLiteral("0");
    Stmt st(db.handle(), QStringLiteral("SELECT max(%1, ifnull((SELECT max(rowid) FROM %2), 0))").arg(seq, cfg.tableRef));
    if (autoIncrement) st.bind(1, cfg.table);
    st.step();
    qint64& reserved = DatabaseAccess::d(db).reservedIds[cfg.schema.toLower() + u'.' + cfg.table.toLower()];
    reserved = std::max(reserved, qint64(sqlite3_column_int64(st.get(), 0))) + 1;
    return reserved;
}

}  // namespace kv::db::detail
