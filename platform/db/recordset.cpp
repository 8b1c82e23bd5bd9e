// Opening a recordset: a table, or a query that reads one table with rowids, is a keyset
// recordset; any other query a snapshot. And what the database asks of every recordset
// while it closes or alters tables.

#include "platform/db/recordsetbase.h"

#include "platform/db/sqltext.h"

#include <optional>

namespace kv::db::detail {

namespace {

// The table a source names when it is no query: "zutaten", "[rep-korbliste]" or rep-korbliste.
std::optional<QString> tableNameOf(Database& db, const QString& source)
{
    if (const auto name = bareTableName(source); name && db.hasTable(*name)) return name;
    if (!isSelect(source) && db.hasTable(source.trimmed())) return source.trimmed();
    return std::nullopt;
}

bool isRowidTable(Database& db, const QString& schema, const QString& table)
{
    Stmt st(db.handle(), QStringLiteral("SELECT type, sql FROM %1.sqlite_master WHERE name=?1 COLLATE NOCASE AND type IN ('table','view')")
                             .arg(quoteName(schema)));
    st.bind(1, table);
    if (!st.step()) return false;
    const QString type = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)));
    const QString sql = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 1)));
    if (type != QLatin1String("table")) return false;
    const auto tokens = tokenize(sql);
    for (size_t i = 0; i + 1 < tokens.size(); ++i)
        if (tokens[i].isKeyword("without") && tokens[i + 1].isKeyword("rowid")) return false;
    return true;
}

}  // namespace

void detachRecordset(Recordset& rs)
{
    if (auto* base = dynamic_cast<RecordsetBase*>(&rs)) base->detach();
    else rs.close();
}

void finishReading(Recordset& rs)
{
    if (auto* base = dynamic_cast<RecordsetBase*>(&rs)) base->finishReading();
}

std::unique_ptr<Recordset> openRecordsetOn(Database& db, const QString& source, RecordsetType type)
{
    if (type == RecordsetType::Table) {
        const auto name = tableNameOf(db, source);
        if (!name || !isRowidTable(db, QStringLiteral("main"), *name))
            throwError(errTableNotFound, QStringLiteral("Tabelle '%1' nicht gefunden.").arg(source.trimmed()), source);
        KeysetConfig cfg;
        cfg.db = &db;
        cfg.type = type;
        cfg.updatable = true;
        cfg.source = source;
        cfg.schema = QStringLiteral("main");
        cfg.table = *name;
        cfg.tableRef = quoteName(*name);
        cfg.rowidRef = cfg.tableRef;
        cfg.selectList = QStringLiteral("*");
        cfg.fromClause = cfg.tableRef;
        return openKeyset(cfg);
    }

    QString sql = source;
    if (const auto name = tableNameOf(db, source)) sql = QStringLiteral("SELECT * FROM ") + quoteName(*name);

    if (const auto sel = parseSingleTableSelect(sql); sel && isRowidTable(db, sel->schema, sel->table)) {
        KeysetConfig cfg;
        cfg.db = &db;
        cfg.type = type;
        cfg.updatable = type == RecordsetType::Dynaset;
        cfg.source = source;
        cfg.schema = sel->schema;
        cfg.table = sel->table;
        cfg.tableRef = quoteName(sel->schema) + u'.' + quoteName(sel->table);
        cfg.rowidRef = sel->rowidRef;
        cfg.selectList = sel->selectList;
        cfg.fromClause = sel->fromClause;
        cfg.tail = sel->tail;
        cfg.needsSelectList = sel->needsSelectList;
        return openKeyset(cfg);
    }
    return openSnapshot(db, sql);
}

}  // namespace kv::db::detail
