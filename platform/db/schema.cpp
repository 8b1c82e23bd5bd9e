// Table definitions, fields and indexes in the terms of the old engine, over the
// SQLite schema laid down in the cookbook conventions.

#include "platform/db/database.h"

#include "platform/db/dbinternal.h"
#include "platform/db/sqltext.h"

#include <sqlite3.h>

#include <QRegularExpression>

namespace kv::db {

using detail::quoteName;

namespace {

struct SqliteIndex {
    QString sqlName;
    IndexDef def;
    bool ours = false;  // named "<table>.<name>"
};

const QString primarySuffix = QStringLiteral(".primary");

// A column of the table's row in the schema ("sql" or "name"), found without regard to case.
QString tableEntry(Database& db, const char* column, const QString& table)
{
    Statement st(db, QStringLiteral("select %1 from sqlite_master where type='table' and name=? collate nocase")
                         .arg(QLatin1String(column)));
    st.bind(1, table);
    if (!st.step()) detail::throwError(errTableNotFound, QStringLiteral("Tabelle '%1' nicht gefunden.").arg(table));
    return st.text(0);
}

QString tableSql(Database& db, const QString& table)
{
    return tableEntry(db, "sql", table);
}

// The table's name as stored, so that index names and rebuilds use its exact spelling.
QString storedTableName(Database& db, const QString& table)
{
    return tableEntry(db, "name", table);
}

std::vector<SqliteIndex> sqliteIndexes(Database& db, const QString& table)
{
    const QString stored = storedTableName(db, table);
    std::vector<SqliteIndex> out;
    Statement list(db, QStringLiteral("select name, \"unique\", origin from pragma_index_list(?) order by name"));
    list.bind(1, stored);
    while (list.step()) {
        SqliteIndex idx;
        idx.sqlName = list.text(0);
        if (list.text(2) != QLatin1String("c") || idx.sqlName.startsWith(QLatin1String("sqlite_autoindex_")))
            continue;
        QString name = idx.sqlName;
        const QString prefix = stored + u'.';
        if (name.startsWith(prefix, Qt::CaseInsensitive)) {
            idx.ours = true;
            name = name.mid(prefix.size());
            if (name.endsWith(primarySuffix, Qt::CaseInsensitive)) {
                idx.def.primary = true;
                name.chop(primarySuffix.size());
            }
        }
        idx.def.name = name;
        idx.def.unique = list.int64(1) != 0 || idx.def.primary;
        Statement cols(db, QStringLiteral("select name from pragma_index_info(?) order by seqno"));
        cols.bind(1, idx.sqlName);
        while (cols.step()) idx.def.fields << cols.text(0);
        out.push_back(std::move(idx));
    }
    return out;
}

QString createIndexSql(const QString& table, const IndexDef& index)
{
    const QString sqlName = table + u'.' + index.name + (index.primary ? primarySuffix : QString());
    QStringList cols;
    for (const QString& f : index.fields) cols << quoteName(f);
    return QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
        .arg(index.primary || index.unique ? QStringLiteral("UNIQUE ") : QString(), quoteName(sqlName),
             quoteName(table), cols.join(QStringLiteral(", ")));
}

// Re-creates a table from a changed definition, keeping its rows, its rowids, the
// AutoNumber counter and every index that survives the change.
void rebuildTable(Database& db, const QString& table, const std::function<void(detail::TableSql&)>& change,
                  const QString& droppedColumn = {})
{
    const QString stored = storedTableName(db, table);
    auto parsed = detail::parseCreateTable(tableSql(db, stored));
    if (!parsed) detail::throwError(errNotSupported, QStringLiteral("Tabelle '%1' kann nicht umgebaut werden.").arg(stored));
    const auto oldColumns = parsed->columns;
    change(*parsed);
    if (parsed->columns.empty())
        detail::throwError(errInvalidArgument, QStringLiteral("Eine Tabelle braucht mindestens ein Feld."));

    QStringList keep;
    bool newHasRowidAlias = false;
    for (const auto& c : parsed->columns) {
        if (c.primaryKey && c.declaredType.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0)
            newHasRowidAlias = true;
        for (const auto& o : oldColumns)
            if (o.name.compare(c.name, Qt::CaseInsensitive) == 0) keep << quoteName(c.name);
    }
    // Without an INTEGER PRIMARY KEY the rowid is hidden; copy it, since open
    // recordsets and bookmarks address rows by it.
    if (!newHasRowidAlias) keep.prepend(QStringLiteral("rowid"));

    struct SavedIndex {
        QString sql;
        QStringList fields;
    };
    std::vector<SavedIndex> saved;
    {
        Statement st(db, QStringLiteral("select name, sql from sqlite_master where type='index' and tbl_name=? and sql is not null"));
        st.bind(1, stored);
        while (st.step()) {
            SavedIndex s{st.text(1), {}};
            Statement cols(db, QStringLiteral("select name from pragma_index_info(?)"));
            cols.bind(1, st.text(0));
            while (cols.step()) s.fields << cols.text(0);
            saved.push_back(std::move(s));
        }
    }

    QStringList items;
    for (const auto& c : parsed->columns) items << c.text;
    items << parsed->constraints;
    const QString temp = stored + QStringLiteral("_kvumbau");
    const QString createSql =
        QStringLiteral("CREATE TABLE %1 (%2%3").arg(quoteName(temp), items.join(QStringLiteral(", ")), parsed->suffix);

    const bool counted = detail::hasAutoIncrement(db, QStringLiteral("main"), stored);
    detail::atomically(db, [&] {
        QVariant seq;
        if (counted) {
            Statement st(db, QStringLiteral("select seq from sqlite_sequence where name=?"));
            st.bind(1, stored);
            if (st.step()) seq = st.value(0);
        }
        db.execute(createSql);
        db.execute(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3")
                       .arg(quoteName(temp), keep.join(QStringLiteral(", ")), quoteName(stored)));
        db.execute(QStringLiteral("DROP TABLE ") + quoteName(stored));
        db.execute(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(quoteName(temp), quoteName(stored)));
        for (const auto& s : saved) {
            if (!droppedColumn.isEmpty() && s.fields.contains(droppedColumn, Qt::CaseInsensitive)) continue;
            db.execute(s.sql);
        }
        if (seq.isValid()) {
            // The copy counted only up to its largest id; ids of deleted rows stay used.
            Statement del(db, QStringLiteral("delete from sqlite_sequence where name=?"));
            del.bind(1, stored);
            del.step();
            Statement ins(db, QStringLiteral("insert into sqlite_sequence (name, seq) values (?, max(?, ifnull((select max(rowid) from %1), 0)))")
                                  .arg(quoteName(stored)));
            ins.bind(1, stored);
            ins.bind(2, seq);
            ins.step();
        }
    });
}

void requireWritable(const Database& db)
{
    if (db.readOnly())
        detail::throwError(errReadOnly, QStringLiteral("Die Datenbank ist schreibgeschützt geöffnet."), db.name());
}

}  // namespace

namespace detail {

FieldDef fieldFromDeclaration(const QString& name, const QString& declaredType, bool autoIncrement,
                              bool noZeroLength)
{
    FieldDef f;
    f.name = name;
    const QString decl = declaredType.trimmed().toUpper();
    static const QRegularExpression re(QStringLiteral("^([A-Z_ ]*[A-Z0-9_]*?)\\s*(?:\\(\\s*(\\d+)\\s*(?:,\\s*\\d+\\s*)?\\))?$"));
    const auto m = re.match(decl);
    const QString base = m.hasMatch() ? m.captured(1).trimmed() : decl;
    const int width = m.hasMatch() && !m.captured(2).isEmpty() ? m.captured(2).toInt() : 0;

    auto set = [&](FieldType type, int size, int attributes) {
        f.type = type;
        f.size = size;
        f.attributes = attributes;
    };
    auto is = [&](std::initializer_list<const char*> names) {
        for (const char* n : names)
            if (base == QLatin1String(n)) return true;
        return false;
    };
    if (autoIncrement) set(FieldType::Long, 4, dbAutoIncrField | dbFixedField);
    else if (is({"BIT", "BOOLEAN", "BOOL", "YESNO", "LOGICAL"})) set(FieldType::Boolean, 1, dbFixedField);
    else if (is({"BYTE", "TINYINT", "INTEGER1"})) set(FieldType::Byte, 1, dbFixedField);
    else if (is({"SMALLINT", "SHORT", "INTEGER2"})) set(FieldType::Integer, 2, dbFixedField);
    else if (is({"SINGLE", "FLOAT4", "IEEESINGLE"})) set(FieldType::Single, 4, dbFixedField);
    else if (is({"DOUBLE", "FLOAT", "FLOAT8", "REAL", "NUMERIC", "NUM", "NUMBER", "DECIMAL", "IEEEDOUBLE"}))
        set(FieldType::Double, 8, dbFixedField);
    else if (is({"CURRENCY", "MONEY"})) set(FieldType::Currency, 8, dbFixedField);
    else if (is({"DATETIME", "DATE", "TIME", "TIMESTAMP"})) set(FieldType::Date, 8, dbFixedField);
    else if (is({"LONGTEXT", "MEMO", "NOTE", "CLOB", "LONGCHAR", "NTEXT", "BLOB", "LONGBINARY"}))
        set(FieldType::Memo, 0, dbVariableField);
    else if (base.contains(QLatin1String("INT")) || base == QLatin1String("LONG") || base == QLatin1String("COUNTER"))
        set(FieldType::Long, 4, dbFixedField);
    else set(FieldType::Text, width > 0 ? width : 255, dbVariableField);

    const bool isText = f.type == FieldType::Text || f.type == FieldType::Memo;
    f.allowZeroLength = isText && !noZeroLength;
    return f;
}

QString columnDefinition(const FieldDef& field)
{
    const QString name = quoteName(field.name);
    if (field.attributes & dbAutoIncrField) return name + QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT");
    QString type;
    switch (field.type) {
    case FieldType::Boolean: type = QStringLiteral("BIT"); break;
    case FieldType::Byte: type = QStringLiteral("BYTE"); break;
    case FieldType::Integer: type = QStringLiteral("SMALLINT"); break;
    case FieldType::Long: type = QStringLiteral("LONG"); break;
    case FieldType::Currency: type = QStringLiteral("CURRENCY"); break;
    case FieldType::Single: type = QStringLiteral("SINGLE"); break;
    case FieldType::Double: type = QStringLiteral("DOUBLE"); break;
    case FieldType::Date: type = QStringLiteral("DATETIME"); break;
    case FieldType::Text:
        type = QStringLiteral("VARCHAR(%1) COLLATE NOCASE_DE").arg(field.size > 0 ? field.size : 255);
        break;
    case FieldType::Memo: type = QStringLiteral("LONGTEXT COLLATE NOCASE_DE"); break;
    }
    QString def = name + u' ' + type;
    if ((field.type == FieldType::Text || field.type == FieldType::Memo) && !field.allowZeroLength)
        def += QStringLiteral(" CHECK (%1 <> '')").arg(name);
    return def;
}

QString rowidAlias(Database& db, const QString& schema, const QString& table)
{
    Statement st(db, QStringLiteral("select name, type from pragma_table_info(?, ?) where pk > 0"));
    st.bind(1, table);
    st.bind(2, schema);
    QString name;
    int count = 0;
    while (st.step()) {
        ++count;
        if (st.text(1).compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0) name = st.text(0);
    }
    return count == 1 ? name : QString();
}

bool hasAutoIncrement(Database& db, const QString& schema, const QString& table)
{
    Statement st(db, QStringLiteral("select sql from %1.sqlite_master where type='table' and name=? collate nocase")
                         .arg(quoteName(schema)));
    st.bind(1, table);
    if (!st.step()) return false;
    const auto parsed = parseCreateTable(st.text(0));
    if (!parsed) return false;
    for (const auto& c : parsed->columns)
        if (c.autoIncrement) return true;
    return false;
}

}  // namespace detail

QStringList Database::tableNames() const
{
    auto& self = const_cast<Database&>(*this);
    Statement st(self, QStringLiteral("select name from sqlite_master where type='table' "
                                      "and lower(substr(name, 1, 7)) <> 'sqlite_' order by name collate NOCASE_DE"));
    QStringList names;
    while (st.step()) names << st.text(0);
    return names;
}

bool Database::hasTable(const QString& table) const
{
    auto& self = const_cast<Database&>(*this);
    Statement st(self, QStringLiteral("select 1 from sqlite_master where type='table' and name=? collate nocase"));
    st.bind(1, detail::unquoteName(table));
    return st.step();
}

qint64 Database::recordCount(const QString& table) const
{
    auto& self = const_cast<Database&>(*this);
    Statement st(self, QStringLiteral("select count(*) from ") + quoteName(detail::unquoteName(table)));
    st.step();
    return st.int64(0);
}

std::vector<FieldDef> Database::fields(const QString& table) const
{
    auto& self = const_cast<Database&>(*this);
    const QString name = detail::unquoteName(table);
    const auto parsed = detail::parseCreateTable(tableSql(self, name));
    std::vector<FieldDef> out;
    Statement st(self, QStringLiteral("select name, type from pragma_table_info(?)"));
    st.bind(1, name);
    while (st.step()) {
        const QString column = st.text(0);
        bool autoIncrement = false;
        bool noZeroLength = false;
        if (parsed)
            for (const auto& c : parsed->columns)
                if (c.name.compare(column, Qt::CaseInsensitive) == 0) {
                    autoIncrement = c.autoIncrement;
                    noZeroLength = c.noZeroLength;
                }
        out.push_back(detail::fieldFromDeclaration(column, st.text(1), autoIncrement, noZeroLength));
    }
    return out;
}

std::optional<FieldDef> Database::field(const QString& table, const QString& name) const
{
    for (auto& f : fields(table))
        if (f.name.compare(name, Qt::CaseInsensitive) == 0) return f;
    return std::nullopt;
}

void Database::createTable(const QString& table, const std::vector<FieldDef>& fields)
{
    requireWritable(*this);
    if (fields.empty()) detail::throwError(errInvalidArgument, QStringLiteral("Eine Tabelle braucht mindestens ein Feld."));
    QStringList defs;
    for (const auto& f : fields) defs << detail::columnDefinition(f);
    execute(QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteName(detail::unquoteName(table)), defs.join(QStringLiteral(", "))));
}

void Database::appendField(const QString& table, const FieldDef& field)
{
    requireWritable(*this);
    if (field.attributes & dbAutoIncrField)
        detail::throwError(errNotSupported, QStringLiteral("Ein AutoWert-Feld kann nur mit der Tabelle angelegt werden."));
    execute(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2")
                .arg(quoteName(storedTableName(*this, detail::unquoteName(table))), detail::columnDefinition(field)));
}

void Database::deleteField(const QString& table, const QString& name)
{
    requireWritable(*this);
    const QString stored = storedTableName(*this, detail::unquoteName(table));
    const auto f = field(stored, name);
    if (!f) detail::throwError(errItemNotFound, QStringLiteral("Feld '%1' nicht gefunden.").arg(name));
    const QString dropSql = QStringLiteral("ALTER TABLE %1 DROP COLUMN %2").arg(quoteName(stored), quoteName(f->name));
    try {
        execute(dropSql);
        return;
    } catch (const DbError& e) {
        // SQLite refuses indexed, key and constrained columns; the rebuild below handles them.
        if ((e.number() & 0xFF) != SQLITE_ERROR) throw;
    }
    rebuildTable(*this, stored, [&](detail::TableSql& t) {
        std::erase_if(t.columns, [&](const detail::ColumnSql& c) { return c.name.compare(f->name, Qt::CaseInsensitive) == 0; });
    }, f->name);
}

void Database::setAllowZeroLength(const QString& table, const QString& fieldName, bool allow)
{
    requireWritable(*this);
    const QString stored = storedTableName(*this, detail::unquoteName(table));
    const auto f = field(stored, fieldName);
    if (!f) detail::throwError(errItemNotFound, QStringLiteral("Feld '%1' nicht gefunden.").arg(fieldName));
    if (f->type != FieldType::Text && f->type != FieldType::Memo)
        detail::throwError(errInvalidArgument, QStringLiteral("Feld '%1' ist kein Textfeld.").arg(fieldName));
    if (f->allowZeroLength == allow) return;
    rebuildTable(*this, stored, [&](detail::TableSql& t) {
        for (auto& c : t.columns) {
            if (c.name.compare(f->name, Qt::CaseInsensitive) != 0) continue;
            if (allow && c.checkBegin >= 0) {
                c.text = (c.text.left(c.checkBegin).trimmed() + u' ' + c.text.mid(c.checkEnd).trimmed()).trimmed();
            } else if (!allow) {
                const QString check = QStringLiteral(" CHECK (%1 <> '')").arg(quoteName(c.name));
                if (c.collateEnd >= 0) c.text.insert(c.collateEnd, check);
                else c.text += check;
            }
        }
    });
}

void Database::renameTable(const QString& from, const QString& to)
{
    requireWritable(*this);
    const QString stored = storedTableName(*this, detail::unquoteName(from));
    const QString target = detail::unquoteName(to);
    if (hasTable(target) && target.compare(stored, Qt::CaseInsensitive) != 0)
        detail::throwError(errInvalidArgument, QStringLiteral("Tabelle '%1' ist bereits vorhanden.").arg(target));
    // SQLite cannot rename an index, and ours carry the table's name: re-create them.
    std::vector<IndexDef> ours;
    for (const auto& idx : sqliteIndexes(*this, stored))
        if (idx.ours) ours.push_back(idx.def);
    detail::atomically(*this, [&] {
        for (const auto& idx : sqliteIndexes(*this, stored))
            if (idx.ours) execute(QStringLiteral("DROP INDEX ") + quoteName(idx.sqlName));
        execute(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(quoteName(stored), quoteName(target)));
        for (const auto& def : ours) execute(createIndexSql(target, def));
    });
}

void Database::deleteTable(const QString& table)
{
    requireWritable(*this);
    execute(QStringLiteral("DROP TABLE ") + quoteName(storedTableName(*this, detail::unquoteName(table))));
}

std::vector<IndexDef> Database::indexes(const QString& table) const
{
    std::vector<IndexDef> out;
    for (auto& idx : sqliteIndexes(const_cast<Database&>(*this), detail::unquoteName(table))) out.push_back(idx.def);
    return out;
}

int Database::indexCount(const QString& table) const
{
    return int(indexes(table).size());
}

void Database::createIndex(const QString& table, const IndexDef& index)
{
    requireWritable(*this);
    const QString stored = storedTableName(*this, detail::unquoteName(table));
    if (index.name.isEmpty() || index.fields.isEmpty())
        detail::throwError(errInvalidArgument, QStringLiteral("Ein Index braucht einen Namen und mindestens ein Feld."));
    for (const auto& idx : sqliteIndexes(*this, stored)) {
        if (idx.def.name.compare(index.name, Qt::CaseInsensitive) == 0)
            detail::throwError(errIndexExists, QStringLiteral("Index '%1' ist bereits vorhanden.").arg(index.name));
        if (index.primary && idx.def.primary)
            detail::throwError(errPrimaryKeyExists, QStringLiteral("Primärschlüssel ist bereits vorhanden."));
    }
    for (const QString& f : index.fields)
        if (!field(stored, f)) detail::throwError(errItemNotFound, QStringLiteral("Feld '%1' nicht gefunden.").arg(f));
    execute(createIndexSql(stored, index));
}

void Database::deleteIndex(const QString& table, const QString& name)
{
    requireWritable(*this);
    for (const auto& idx : sqliteIndexes(*this, detail::unquoteName(table)))
        if (idx.def.name.compare(name, Qt::CaseInsensitive) == 0) {
            execute(QStringLiteral("DROP INDEX ") + quoteName(idx.sqlName));
            return;
        }
    detail::throwError(errItemNotFound, QStringLiteral("Index '%1' nicht gefunden.").arg(name));
}

}  // namespace kv::db
