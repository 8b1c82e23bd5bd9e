#pragma once
// What the recordsets of the layer share, for their implementation files only: the fields
// a recordset's rows carry with their types, a value converted for storing, the failures
// every recordset reports alike, and the base class the database reaches them through.
// A table, or a query that reads one table, is a keyset recordset (keysetrecordset.cpp);
// any other query a snapshot (snapshotrecordset.cpp); recordset.cpp tells which.

#include "platform/db/database.h"

#include "platform/db/dbinternal.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <sqlite3.h>

#include <memory>
#include <optional>
#include <vector>

namespace kv::db::detail {

// A new stamp for rows that changed, never handed out twice in a run.
quint64 nextVersion();

// A field of a recordset's rows.
struct FieldInfo {
    QString name;
    QString column;  // the table column it reads; empty for an expression
    std::optional<FieldType> type;
};

[[noreturn]] void noCurrentRecord();
[[noreturn]] void closedRecordset();
[[noreturn]] void recordDeleted();
[[noreturn]] void invalidPosition(qint64 position);
[[noreturn]] void readOnlyRecordset(const QString& source);

// A column of the current row of `st` as the field's type reads: yes/no as bool, a Single
// at single precision. Inline: every value a recordset fetches passes here.
inline QVariant readColumn(sqlite3_stmt* st, int column, const FieldInfo& f)
{
    QVariant v = columnVariant(st, column);
    if (!v.isValid() || !f.type) return v;
    const int storage = sqlite3_column_type(st, column);
    if (*f.type == FieldType::Boolean && (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT))
        return v.toDouble() != 0;
    if (*f.type == FieldType::Single && storage == SQLITE_FLOAT) return roundToSingle(v.toDouble());
    return v;
}

// The value as the field stores it: yes/no as 1/0, Single rounded to single precision,
// whole numbers rounded (a half to the even neighbour), dates as ISO text.
QVariant toStorage(const FieldInfo& f, const QVariant& v);
// The field named `name` (case-insensitive; a table prefix or quotes are passed over); -1
// for none.
int findField(const std::vector<FieldInfo>& fields, const QString& name);
// The fields of the columns `st` reads from column `first` on, typed from their tables.
std::vector<FieldInfo> fieldsOf(Database& db, sqlite3_stmt* st, int first);

// What every recordset of the layer shares: what the database asks of it while it
// closes or alters tables, and the field lookups over the fields its rows carry.
class RecordsetBase : public Recordset {
public:
    // The database is closing: drop statements and data, stop working.
    virtual void detach() = 0;
    // Read the rest of a pending statement so that tables can be altered or dropped.
    virtual void finishReading() {}

    int fieldCount() const override { return int(fields().size()); }

    QString fieldName(int index) const override
    {
        checkField(index);
        return fields()[size_t(index)].name;
    }

    int fieldIndex(const QString& name) const override { return findField(fields(), name); }

    using Recordset::value;
    QVariant value(const QString& name) const override { return value(requireField(name)); }

protected:
    // Throws errObjectClosed once the recordset is closed.
    virtual const std::vector<FieldInfo>& fields() const = 0;

    void checkOpen() const
    {
        if (!isOpen()) closedRecordset();
    }

    void checkField(int index) const
    {
        if (index < 0 || index >= int(fields().size()))
            throwError(errItemNotFound, QStringLiteral("Feld Nr. %1 nicht gefunden.").arg(index));
    }

    int requireField(const QString& name) const
    {
        const int index = findField(fields(), name);
        if (index < 0) throwError(errItemNotFound, QStringLiteral("Feld '%1' nicht gefunden.").arg(name), source());
        return index;
    }
};

// How a keyset recordset reads its table.
struct KeysetConfig {
    Database* db = nullptr;
    RecordsetType type = RecordsetType::Dynaset;
    bool updatable = false;
    QString source;
    QString schema;
    QString table;         // unquoted
    QString tableRef;      // "schema"."table" for writes
    QString rowidRef;      // qualifies rowid in the query
    QString selectList;
    QString fromClause;
    QString tail;          // WHERE/ORDER BY of a query; empty for a table
    bool needsSelectList = false;
    QStringList indexColumns;  // table recordsets: the current index; empty = stored order
    QString indexName;
};

// A keyset recordset over `config`: a table reads its rowids when it is first looked at,
// a query at once.
std::unique_ptr<Recordset> openKeyset(const KeysetConfig& config);
// A read-only snapshot of the query `sql`.
std::unique_ptr<Recordset> openSnapshot(Database& db, const QString& sql);

}  // namespace kv::db::detail
