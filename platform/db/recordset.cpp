// Recordsets. A table, or a query that reads one table, is keyset-driven: only the
// rowids are read when it opens (in the query's order), the row values are fetched
// in small pages by rowid when someone looks at them, and edits address rows by rowid.
// Any other query (joins, grouping) is a read-only snapshot read forward on demand.

#include "platform/db/database.h"

#include "platform/db/dbinternal.h"
#include "platform/db/sortedcolumn.h"
#include "platform/db/sqltext.h"
#include "platform/db/tablechanges.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QSet>

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace kv::db::detail {

namespace {

quint64 nextVersion()
{
    static quint64 version = 0;
    return ++version;
}

struct FieldInfo {
    QString name;
    QString column;  // the table column it reads; empty for an expression
    std::optional<FieldType> type;
};

[[noreturn]] void noCurrentRecord()
{
    throwError(errNoCurrentRecord, QStringLiteral("Kein aktueller Datensatz."));
}

[[noreturn]] void closedRecordset()
{
    throwError(errObjectClosed, QStringLiteral("Objekt ungültig oder nicht mehr festgelegt (Recordset geschlossen)."));
}

[[noreturn]] void recordDeleted()
{
    throwError(errRecordDeleted, QStringLiteral("Datensatz ist gelöscht."));
}

[[noreturn]] void invalidPosition(qint64 position)
{
    throwError(errInvalidArgument, QStringLiteral("Ungültige Position %1.").arg(position));
}

[[noreturn]] void readOnlyRecordset(const QString& source)
{
    throwError(errReadOnly, QStringLiteral("Aktualisierung nicht möglich; Datenbank oder Objekt ist schreibgeschützt."), source);
}

QVariant readColumn(sqlite3_stmt* st, int column, const FieldInfo& f)
{
    QVariant v = columnVariant(st, column);
    if (!v.isValid() || !f.type) return v;
    const int storage = sqlite3_column_type(st, column);
    if (*f.type == FieldType::Boolean && (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT))
        return v.toDouble() != 0;
    if (*f.type == FieldType::Single && storage == SQLITE_FLOAT) return roundToSingle(v.toDouble());
    return v;
}

std::optional<double> numberOf(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool() ? 1.0 : 0.0;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        return v.toDouble();
    default:
        break;
    }
    const QString s = v.toString().trimmed();
    if (s.isEmpty()) return std::nullopt;
    bool ok = false;
    double d = QLocale::c().toDouble(s, &ok);
    if (!ok) d = QLocale::c().toDouble(QString(s).replace(u',', u'.'), &ok);  // a German decimal comma
    if (!ok) return std::nullopt;
    return d;
}

[[noreturn]] void typeMismatch(const FieldInfo& f, const QVariant& v)
{
    throwError(errTypeMismatch,
               QStringLiteral("Datentypkonvertierungsfehler: '%1' passt nicht in das Feld '%2'.").arg(v.toString(), f.name));
}

// The value as the field stores it: yes/no as 1/0, Single rounded to single precision,
// whole numbers rounded (a half to the even neighbour), dates as ISO text.
QVariant toStorage(const FieldInfo& f, const QVariant& v)
{
    if (!v.isValid() || v.isNull()) return {};
    if (!f.type) return v;
    switch (*f.type) {
    case FieldType::Text:
    case FieldType::Memo:
        if (v.typeId() == QMetaType::Bool) return v.toBool() ? QStringLiteral("Wahr") : QStringLiteral("Falsch");
        if (v.typeId() == QMetaType::QDate) return v.toDate().toString(Qt::ISODate);
        if (v.typeId() == QMetaType::QDateTime) return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        return v.toString();
    case FieldType::Boolean: {
        if (v.typeId() == QMetaType::QString) {
            const QString s = v.toString().trimmed().toLower();
            if (s == u"true" || s == u"wahr" || s == u"ja" || s == u"yes") return 1;
            if (s == u"false" || s == u"falsch" || s == u"nein" || s == u"no") return 0;
        }
        const auto n = numberOf(v);
        if (!n) typeMismatch(f, v);
        return *n != 0 ? 1 : 0;
    }
    case FieldType::Byte:
    case FieldType::Integer:
    case FieldType::Long: {
        const auto n = numberOf(v);
        if (!n || !std::isfinite(*n)) typeMismatch(f, v);
        const double r = std::nearbyint(*n);
        const double lo = *f.type == FieldType::Byte ? 0 : *f.type == FieldType::Integer ? -32768 : -9.2e18;
        const double hi = *f.type == FieldType::Byte ? 255 : *f.type == FieldType::Integer ? 32767 : 9.2e18;
        if (r < lo || r > hi) typeMismatch(f, v);
        return qlonglong(r);
    }
    case FieldType::Single: {
        const auto n = numberOf(v);
        if (!n) typeMismatch(f, v);
        return roundToSingle(*n);
    }
    case FieldType::Double: {
        const auto n = numberOf(v);
        if (!n) typeMismatch(f, v);
        return *n;
    }
    case FieldType::Currency: {
        const auto n = numberOf(v);
        if (!n) typeMismatch(f, v);
        return std::round(*n * 10000.0) / 10000.0;
    }
    case FieldType::Date: {
        if (v.typeId() == QMetaType::QDate) return v.toDate().toString(Qt::ISODate);
        if (v.typeId() == QMetaType::QDateTime) return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        const QString s = v.toString().trimmed();
        if (QDate::fromString(s, Qt::ISODate).isValid()) return s;
        for (const char* format : {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-ddTHH:mm:ss", "d.M.yyyy H:mm:ss", "d.M.yyyy H:mm"}) {
            const QDateTime dt = QDateTime::fromString(s, QLatin1String(format));
            if (dt.isValid()) return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        }
        for (const char* format : {"d.M.yyyy", "d.M.yy"}) {
            const QDate date = QDate::fromString(s, QLatin1String(format));
            if (date.isValid()) return date.toString(Qt::ISODate);
        }
        typeMismatch(f, v);
    }
    }
    return v;
}

int findField(const std::vector<FieldInfo>& fields, const QString& name)
{
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0) return int(i);
    const int dot = name.lastIndexOf(u'.');
    if (dot >= 0) return findField(fields, unquoteName(name.mid(dot + 1)));
    const QString unquoted = unquoteName(name);
    if (unquoted != name) return findField(fields, unquoted);
    return -1;
}

// Field types of the columns a statement reads, from the tables they come from.
class TypeLookup {
public:
    explicit TypeLookup(Database& db) : m_db(db) {}

    std::optional<FieldType> typeOf(sqlite3_stmt* st, int column)
    {
        const char* table = sqlite3_column_table_name(st, column);
        const char* origin = sqlite3_column_origin_name(st, column);
        if (!table || !origin) return std::nullopt;
        const char* schema = sqlite3_column_database_name(st, column);
        const QString key = QString::fromUtf8(schema ? schema : "main") + u'.' + QString::fromUtf8(table);
        auto it = m_tables.find(key);
        if (it == m_tables.end()) {
            std::vector<FieldDef> defs;
            if (!schema || qstrcmp(schema, "main") == 0) {
                try {
                    defs = m_db.fields(QString::fromUtf8(table));
                } catch (const DbError&) {
                }
            }
            it = m_tables.insert(key, defs);
        }
        for (const auto& f : *it)
            if (f.name.compare(QString::fromUtf8(origin), Qt::CaseInsensitive) == 0) return f.type;
        const char* decl = sqlite3_column_decltype(st, column);
        if (!decl) return std::nullopt;
        return fieldFromDeclaration({}, QString::fromUtf8(decl), false, false).type;
    }

private:
    Database& m_db;
    QHash<QString, std::vector<FieldDef>> m_tables;
};

std::vector<FieldInfo> fieldsOf(Database& db, sqlite3_stmt* st, int first)
{
    TypeLookup types(db);
    std::vector<FieldInfo> out;
    for (int i = first; i < sqlite3_column_count(st); ++i) {
        FieldInfo f;
        f.name = QString::fromUtf8(sqlite3_column_name(st, i));
        if (const char* origin = sqlite3_column_origin_name(st, i)) f.column = QString::fromUtf8(origin);
        f.type = types.typeOf(st, i);
        out.push_back(std::move(f));
    }
    return out;
}

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

// Tables and one-table queries keep only the rowids of their rows and read the rows a page
// at a time, so a list of 250,000 recipes opens without reading them all.

class KeysetRecordset;

constexpr int pageSize = 64;
constexpr size_t cacheLimit = 4096;

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

struct KeysetData {
    KeysetConfig cfg;
    std::vector<FieldInfo> fields;
    int rowidField = -1;
    bool autoIncrement = false;

    std::vector<qint64> ids;
    bool loaded = false;
    std::unordered_map<qint64, std::vector<QVariant>> cache;
    qint64 cacheStamp = -1;
    int servedSinceFetch = 0;
    bool writesBetweenReads = false;
    Stmt pageStmt;
    std::vector<KeysetRecordset*> cursors;
    quint64 version = nextVersion();
    qint64 fetched = 0;

    TableStamp loadStamp;

    QString findCriteria;
    qint64 findStamp = -1;
    quint64 findVersion = 0;
    std::unordered_set<qint64> findMatches;

    explicit KeysetData(const KeysetConfig& config) : cfg(config)
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

    qint64 size() const { return qint64(ids.size()); }

    // A query that reads nothing but its table and gives the same rows for the same table,
    // whose state at the last load tells whether the rows can have changed since.
    bool readsItsTableOnly() const
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

    // Reads the rowids again; `sizeHint` is how many there were.
    void load(size_t sizeHint = 0)
    {
        // Taken before the rows are read: a change after it is a change since the load.
        const TableStamp stamp = readsItsTableOnly() ? stampTables(*cfg.db, {cfg.table}) : TableStamp{};
        QString sql;
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
            ids = std::move(*found);
            loaded = true;
            loadStamp = stamp;
            cache.clear();
            version = nextVersion();
            return;
        } else {
            sql = QStringLiteral("SELECT %1.rowid FROM %2 %3").arg(cfg.rowidRef, cfg.fromClause, cfg.tail);
        }
        Stmt st(cfg.db->handle(), sql);
        sqlite3_stmt* raw = st.get();
        const int column = sqlite3_column_count(raw) - 1;
        // A list read again is about as long as before; every row of it passes this loop.
        std::vector<qint64> fresh;
        fresh.reserve(std::max(sizeHint, ids.size()));
        int rc;
        while ((rc = sqlite3_step(raw)) == SQLITE_ROW) fresh.push_back(sqlite3_column_int64(raw, column));
        if (rc != SQLITE_DONE) throwSqlite(cfg.db->handle(), sql);
        ids = std::move(fresh);
        loaded = true;
        loadStamp = stamp;
        cache.clear();
        version = nextVersion();
    }

    qint64 indexOf(qint64 id) const
    {
        const auto it = std::find(ids.begin(), ids.end(), id);
        return it == ids.end() ? -1 : qint64(it - ids.begin());
    }

    // The row at keyset position `index`; an empty vector when it no longer exists.
    const std::vector<QVariant>& row(qint64 index)
    {
        const qint64 stamp = sqlite3_total_changes64(cfg.db->handle());
        if (stamp != cacheStamp) {
            // Any write may have changed a cached row. When writes come between almost
            // every read (a delete loop), fetch small pages instead of refetching 64 rows.
            if (!cache.empty()) {
                writesBetweenReads = servedSinceFetch < 8;
                cache.clear();
            }
            cacheStamp = stamp;
        }
        const qint64 id = ids[size_t(index)];
        if (auto it = cache.find(id); it != cache.end()) {
            ++servedSinceFetch;
            return it->second;
        }
        fetchPage(index);
        return cache[id];
    }

    void fetchPage(qint64 index)
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

    const std::unordered_set<qint64>& matches(const QString& criteria)
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

    qint64 reserveId()
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

    void erase(qint64 index);
    void append(qint64 id)
    {
        if (loaded) ids.push_back(id);
        version = nextVersion();
    }
};

class KeysetRecordset final : public RecordsetBase {
public:
    KeysetRecordset(std::shared_ptr<KeysetData> data) : m_d(std::move(data)), m_db(m_d->cfg.db)
    {
        m_d->cursors.push_back(this);
        m_db->registerRecordset(this);
        m_at = At::Row;  // on the first row; an empty set shows as BOF and EOF
    }

    ~KeysetRecordset() override { close(); }

    QString source() const override { return m_d ? m_d->cfg.source : QString(); }
    RecordsetType type() const override { return m_type; }
    bool updatable() const override { return m_d && m_d->cfg.updatable && !m_db->readOnly(); }
    bool isOpen() const override { return bool(m_d); }
    Database* database() const override { return m_d ? m_db : nullptr; }

    void close() override
    {
        if (!m_d) return;
        m_mode = Mode::None;
        std::erase(m_d->cursors, this);
        m_d.reset();
        m_db->unregisterRecordset(this);
    }

    void detach() override { close(); }

    bool eof() const override
    {
        ensureLoaded();
        return m_d->ids.empty() || m_at == At::Eof;
    }

    bool bof() const override
    {
        ensureLoaded();
        return m_d->ids.empty() || m_at == At::Bof;
    }

    void moveFirst() override
    {
        ensureLoaded();
        if (m_d->ids.empty()) noCurrentRecord();
        place(0);
    }

    void moveLast() override
    {
        ensureLoaded();
        if (m_d->ids.empty()) noCurrentRecord();
        place(m_d->size() - 1);
    }

    // Moving on from a deleted row is always allowed, also when it was the last one.
    void moveNext() override
    {
        ensureLoaded();
        const bool fromDeleted = m_at == At::Row && m_deleted;
        if (!fromDeleted && eof()) noCurrentRecord();
        qint64 next = 0;
        if (m_at == At::Row) next = m_deleted ? m_index : m_index + 1;
        if (next < m_d->size()) place(next);
        else setEnd(At::Eof);
    }

    void movePrevious() override
    {
        ensureLoaded();
        const bool fromDeleted = m_at == At::Row && m_deleted;
        if (!fromDeleted && bof()) noCurrentRecord();
        qint64 previous = m_d->size() - 1;
        if (m_at == At::Row) previous = m_index - 1;
        if (previous >= 0) place(previous);
        else setEnd(At::Bof);
    }

    qint64 recordCount() override
    {
        ensureLoaded();
        return m_d->size();
    }

    qint64 absolutePosition() const override { return hasCurrent() ? m_index : -1; }

    void setAbsolutePosition(qint64 position) override
    {
        ensureLoaded();
        if (position < 0 || position >= m_d->size()) invalidPosition(position);
        place(position);
    }

    QVariant bookmark() const override
    {
        requireCurrent();
        return qlonglong(m_d->ids[size_t(m_index)]);
    }

    void setBookmark(const QVariant& bookmark) override
    {
        ensureLoaded();
        bool ok = false;
        const qint64 id = bookmark.toLongLong(&ok);
        const qint64 index = ok ? m_d->indexOf(id) : -1;
        if (index < 0) recordDeleted();
        place(index);
    }

    std::unique_ptr<Recordset> clone() const override
    {
        checkOpen();
        auto copy = std::make_unique<KeysetRecordset>(m_d);
        copy->m_type = m_type;
        return copy;
    }

    void requery() override
    {
        checkOpen();
        m_mode = Mode::None;
        auto fresh = std::make_shared<KeysetData>(m_d->cfg);
        const std::shared_ptr<KeysetData> before = m_d;
        std::erase(m_d->cursors, this);
        m_d = std::move(fresh);
        m_d->cursors.push_back(this);
        if (m_type != RecordsetType::Table) {
            // A table none of whose rows has changed gives the same rowids: 250,000 of them
            // are not read again after a save that left the recipe's title as it was.
            if (before->loaded && unchangedSince(*before)) {
                m_d->ids = before->ids;
                m_d->loaded = true;
                m_d->loadStamp = before->loadStamp;
            } else {
                m_d->load(before->ids.size());
            }
        }
        m_at = At::Row;
        m_index = 0;
        m_deleted = false;
        m_noMatch = false;
        notifyChanged();
    }

    bool findFirst(const QString& criteria) override { return find(criteria, 0, +1); }
    bool findLast(const QString& criteria) override
    {
        ensureLoaded();
        return find(criteria, m_d->size() - 1, -1);
    }
    bool findNext(const QString& criteria) override
    {
        ensureLoaded();
        qint64 start = 0;
        if (m_at == At::Eof) start = m_d->size();
        else if (m_at == At::Row) start = m_deleted ? m_index : m_index + 1;
        return find(criteria, start, +1);
    }
    bool findPrevious(const QString& criteria) override
    {
        ensureLoaded();
        qint64 start = -1;
        if (m_at == At::Eof) start = m_d->size() - 1;
        else if (m_at == At::Row) start = m_index - 1;
        return find(criteria, start, -1);
    }
    bool noMatch() const override { return m_noMatch; }

    void setIndex(const QString& indexName) override
    {
        checkOpen();
        if (m_type != RecordsetType::Table)
            throwError(errNotSupported, QStringLiteral("Index nur bei Tabellen-Recordsets."));
        KeysetConfig cfg = m_d->cfg;
        cfg.indexColumns.clear();
        cfg.indexName.clear();
        if (!indexName.isEmpty()) {
            bool found = false;
            for (const auto& idx : m_db->indexes(cfg.table))
                if (idx.name.compare(indexName, Qt::CaseInsensitive) == 0) {
                    cfg.indexColumns = idx.fields;
                    cfg.indexName = idx.name;
                    found = true;
                }
            if (!found)
                throwError(errItemNotFound, QStringLiteral("'%1' ist kein Index der Tabelle '%2'.").arg(indexName, cfg.table));
        }
        m_mode = Mode::None;
        auto fresh = std::make_shared<KeysetData>(cfg);
        std::erase(m_d->cursors, this);
        m_d = std::move(fresh);
        m_d->cursors.push_back(this);
        m_d->load();
        m_at = At::Row;
        m_index = 0;
        m_deleted = false;
        notifyChanged();
    }

    bool seek(const QString& op, const QVariantList& keys) override
    {
        checkOpen();
        if (m_type != RecordsetType::Table)
            throwError(errNotSupported, QStringLiteral("Seek nur bei Tabellen-Recordsets."));
        const QStringList& cols = m_d->cfg.indexColumns;
        if (cols.isEmpty()) throwError(errNoCurrentIndex, QStringLiteral("Operation ohne aktuellen Index ungültig."));
        static const QStringList ops = {QStringLiteral("="), QStringLiteral("<"), QStringLiteral("<="),
                                        QStringLiteral(">"), QStringLiteral(">=")};
        const QString o = op.trimmed();
        if (!ops.contains(o) || keys.isEmpty() || keys.size() > cols.size())
            throwError(errInvalidArgument, QStringLiteral("Ungültiger Seek: %1 mit %2 Werten.").arg(op).arg(keys.size()));
        QStringList left, right, order;
        const bool backwards = o.startsWith(u'<');
        for (int i = 0; i < keys.size(); ++i) {
            left << quoteName(cols[i]);
            right << QStringLiteral("?%1").arg(i + 1);
        }
        for (const QString& c : cols) order << quoteName(c) + (backwards ? QStringLiteral(" DESC") : QString());
        order << (backwards ? QStringLiteral("rowid DESC") : QStringLiteral("rowid"));
        const QString sql = QStringLiteral("SELECT rowid FROM %1 WHERE (%2) %3 (%4) ORDER BY %5 LIMIT 1")
                                .arg(m_d->cfg.tableRef, left.join(u','), o, right.join(u','), order.join(u','));
        Stmt st(m_db->handle(), sql);
        for (int i = 0; i < keys.size(); ++i) st.bind(i + 1, keys[i]);
        if (!st.step()) {
            m_noMatch = true;
            return false;
        }
        const qint64 id = sqlite3_column_int64(st.get(), 0);
        ensureLoaded();
        qint64 index = m_d->indexOf(id);
        if (index < 0) {
            // Added by SQL after the table was opened: a table recordset sees every row.
            reloadKeepingPosition();
            index = m_d->indexOf(id);
        }
        if (index < 0) {
            m_noMatch = true;
            return false;
        }
        m_noMatch = false;
        place(index);
        return true;
    }

    using RecordsetBase::value;
    QVariant value(int index) const override
    {
        checkField(index);
        if (m_mode != Mode::None) return m_buffer[size_t(index)];
        requireCurrent();
        const auto& row = m_d->row(m_index);
        return row.empty() ? QVariant() : row[size_t(index)];
    }

    QVariant valueAt(qint64 position, int index) override
    {
        checkField(index);
        ensureLoaded();
        if (position < 0 || position >= m_d->size()) invalidPosition(position);
        const auto& row = m_d->row(position);
        return row.empty() ? QVariant() : row[size_t(index)];
    }

    void edit() override
    {
        requireUpdatable();
        requireCurrent();
        const auto& row = m_d->row(m_index);
        if (row.empty()) recordDeleted();
        m_buffer = row;
        m_dirty.assign(m_d->fields.size(), false);
        m_editId = m_d->ids[size_t(m_index)];
        m_mode = Mode::Edit;
    }

    void addNew() override
    {
        requireUpdatable();
        ensureLoaded();
        if (m_mode != Mode::AddNew) {
            m_savedAt = m_at;
            m_savedIndex = m_index;
            m_savedDeleted = m_deleted;
        }
        m_buffer.assign(m_d->fields.size(), QVariant());
        m_dirty.assign(m_d->fields.size(), false);
        m_editId = m_d->reserveId();
        if (m_d->rowidField >= 0) m_buffer[size_t(m_d->rowidField)] = qlonglong(m_editId);
        m_mode = Mode::AddNew;
    }

    void setValue(const QString& name, const QVariant& value) override
    {
        checkOpen();
        const int index = requireField(name);
        if (m_mode == Mode::None)
            throwError(errNotEditing, QStringLiteral("Update oder CancelUpdate ohne AddNew oder Edit."));
        const FieldInfo& f = m_d->fields[size_t(index)];
        if (f.column.isEmpty() || (m_mode == Mode::Edit && index == m_d->rowidField))
            throwError(errFieldNotUpdatable, QStringLiteral("Feld '%1' kann nicht aktualisiert werden.").arg(f.name));
        m_buffer[size_t(index)] = toStorage(f, value);
        m_dirty[size_t(index)] = true;
    }

    void update() override
    {
        checkOpen();
        if (m_mode == Mode::None)
            throwError(errNotEditing, QStringLiteral("Update oder CancelUpdate ohne AddNew oder Edit."));
        QStringList columns;
        QVariantList values;
        for (size_t i = 0; i < m_d->fields.size(); ++i) {
            if (!m_dirty[i] || int(i) == m_d->rowidField) continue;
            const QString& column = m_d->fields[i].column;
            const int existing = columns.indexOf(column);
            if (existing >= 0) values[existing] = m_buffer[i];
            else {
                columns << column;
                values << m_buffer[i];
            }
        }
        if (m_mode == Mode::AddNew) insertRow(columns, values);
        else updateRow(columns, values);
    }

    void cancelUpdate() override
    {
        checkOpen();
        if (m_mode == Mode::AddNew) restoreSaved();
        m_mode = Mode::None;
    }

    void deleteCurrent() override
    {
        requireUpdatable();
        requireCurrent();
        m_mode = Mode::None;
        const qint64 id = m_d->ids[size_t(m_index)];
        Stmt st(m_db->handle(), QStringLiteral("DELETE FROM %1 WHERE rowid=?1").arg(m_d->cfg.tableRef));
        st.bind(1, qlonglong(id));
        st.step();
        m_d->erase(m_index);
        notifyChanged();
    }

    bool editing() const override { return m_mode != Mode::None; }

    QVariant lastModified() const override { return m_lastModified; }
    quint64 rowsVersion() const override { return m_d ? m_d->version : 0; }
    qint64 rowsFetched() const override { return m_d ? m_d->fetched : 0; }

    void setType(RecordsetType type) { m_type = type; }

    // Called by KeysetData::erase for every cursor on the same rows.
    void rowErased(qint64 index)
    {
        auto shift = [index](qint64& at, bool& deleted) {
            if (at > index) --at;
            else if (at == index) deleted = true;
        };
        if (m_at == At::Row) shift(m_index, m_deleted);
        if (m_mode == Mode::AddNew && m_savedAt == At::Row) shift(m_savedIndex, m_savedDeleted);
        if (m_mode == Mode::Edit && m_at == At::Row && m_deleted) m_mode = Mode::None;
    }

private:
    enum class At { Bof, Row, Eof };
    enum class Mode { None, Edit, AddNew };

    const std::vector<FieldInfo>& fields() const override
    {
        checkOpen();
        return m_d->fields;
    }

    bool unchangedSince(const KeysetData& loaded) const
    {
        try {
            return stampHolds(*m_db, loaded.loadStamp);
        } catch (const DbError&) {
            return false;  // reading again says what is wrong
        }
    }

    void ensureLoaded() const
    {
        checkOpen();
        if (m_d->loaded) return;
        m_d->load();
        for (KeysetRecordset* c : m_d->cursors)
            if (c->m_at == At::Row && c->m_index >= m_d->size()) c->m_at = At::Eof;
    }

    bool hasCurrent() const
    {
        ensureLoaded();
        return m_at == At::Row && !m_deleted && m_index < m_d->size();
    }

    void requireCurrent() const
    {
        if (hasCurrent()) return;
        if (m_at == At::Row && m_deleted) recordDeleted();
        noCurrentRecord();
    }

    void requireUpdatable() const
    {
        checkOpen();
        if (!updatable()) readOnlyRecordset(m_d->cfg.source);
    }

    // Moving ends a pending Edit or AddNew without storing it, as the old engine did.
    void place(qint64 index)
    {
        m_mode = Mode::None;
        m_at = At::Row;
        m_index = index;
        m_deleted = false;
        notifyChanged();
    }

    void setEnd(At at)
    {
        m_mode = Mode::None;
        m_at = at;
        m_deleted = false;
        notifyChanged();
    }

    void restoreSaved()
    {
        m_at = m_savedAt;
        m_index = m_savedIndex;
        m_deleted = m_savedDeleted;
    }

    // Every cursor on these rows stays on its row; one whose row is gone goes to the start.
    void reloadKeepingPosition()
    {
        std::vector<std::pair<KeysetRecordset*, qint64>> current;
        for (KeysetRecordset* c : m_d->cursors)
            if (c->hasCurrent()) current.emplace_back(c, m_d->ids[size_t(c->m_index)]);
        m_d->load();
        for (KeysetRecordset* c : m_d->cursors) {
            c->m_index = 0;
            c->m_deleted = false;
            if (c->m_at == At::Row) c->m_at = m_d->ids.empty() ? At::Eof : At::Row;
        }
        for (auto [c, id] : current) {
            const qint64 index = m_d->indexOf(id);
            if (index >= 0) c->m_index = index;
        }
    }

    bool find(const QString& criteria, qint64 start, int step)
    {
        checkOpen();
        ensureLoaded();
        const auto& matches = m_d->matches(criteria);
        const qint64 at = matches.size() == 1 ? firstOf(*matches.begin(), start, step) : firstOf(matches, start, step);
        if (at >= 0) {
            m_noMatch = false;
            place(at);
            return true;
        }
        m_noMatch = true;
        return false;
    }

    // A find by key ("rid=12") has one match; comparing ids is cheaper than a hash look-up
    // for each of the rows it passes.
    qint64 firstOf(qint64 id, qint64 start, int step) const
    {
        const auto& ids = m_d->ids;
        for (qint64 i = start; i >= 0 && i < m_d->size(); i += step)
            if (ids[size_t(i)] == id) return i;
        return -1;
    }

    qint64 firstOf(const std::unordered_set<qint64>& matches, qint64 start, int step) const
    {
        if (matches.empty()) return -1;
        for (qint64 i = start; i >= 0 && i < m_d->size(); i += step)
            if (matches.count(m_d->ids[size_t(i)])) return i;
        return -1;
    }

    void insertRow(const QStringList& columns, const QVariantList& values)
    {
        qint64 id = m_editId;
        if (m_d->rowidField >= 0 && m_dirty[size_t(m_d->rowidField)]) {
            bool ok = false;
            const qint64 explicitId = m_buffer[size_t(m_d->rowidField)].toLongLong(&ok);
            if (ok) id = explicitId;
        }
        QStringList names{QStringLiteral("rowid")};
        QStringList params{QStringLiteral("?1")};
        for (int i = 0; i < columns.size(); ++i) {
            names << quoteName(columns[i]);
            params << QStringLiteral("?%1").arg(i + 2);
        }
        Stmt st(m_db->handle(), QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                    .arg(m_d->cfg.tableRef, names.join(QStringLiteral(", ")), params.join(QStringLiteral(", "))));
        st.bind(1, qlonglong(id));
        for (int i = 0; i < values.size(); ++i) st.bind(i + 2, values[i]);
        st.step();
        qint64& reserved =
            DatabaseAccess::d(*m_db).reservedIds[m_d->cfg.schema.toLower() + u'.' + m_d->cfg.table.toLower()];
        reserved = std::max(reserved, id);
        m_lastModified = qlonglong(id);
        m_mode = Mode::None;
        restoreSaved();
        m_d->append(id);
        notifyChanged();
    }

    void updateRow(const QStringList& columns, const QVariantList& values)
    {
        if (columns.isEmpty()) {
            m_mode = Mode::None;
            return;
        }
        QStringList sets;
        for (int i = 0; i < columns.size(); ++i) sets << QStringLiteral("%1=?%2").arg(quoteName(columns[i])).arg(i + 1);
        const int idParam = int(columns.size()) + 1;
        Stmt st(m_db->handle(), QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?%3")
                                    .arg(m_d->cfg.tableRef, sets.join(QStringLiteral(", ")))
                                    .arg(idParam));
        for (int i = 0; i < values.size(); ++i) st.bind(i + 1, values[i]);
        st.bind(idParam, qlonglong(m_editId));
        st.step();
        if (sqlite3_changes(m_db->handle()) == 0) {
            m_mode = Mode::None;
            recordDeleted();
        }
        m_lastModified = qlonglong(m_editId);
        m_mode = Mode::None;
        m_d->version = nextVersion();
        notifyChanged();
    }

    std::shared_ptr<KeysetData> m_d;
    Database* m_db;
    RecordsetType m_type = RecordsetType::Dynaset;
    At m_at = At::Row;
    qint64 m_index = 0;
    bool m_deleted = false;  // the current row was deleted; m_index is where the next one is now
    Mode m_mode = Mode::None;
    std::vector<QVariant> m_buffer;
    std::vector<bool> m_dirty;
    qint64 m_editId = 0;
    At m_savedAt = At::Row;
    qint64 m_savedIndex = 0;
    bool m_savedDeleted = false;
    bool m_noMatch = false;
    QVariant m_lastModified;
};

void KeysetData::erase(qint64 index)
{
    ids.erase(ids.begin() + index);
    for (KeysetRecordset* c : cursors) c->rowErased(index);
    version = nextVersion();
}

// Read-only snapshots of any other query, read forward as far as someone looks.

class SnapshotRecordset;

struct SnapshotData {
    Database* db;
    QString source;
    Stmt stmt;
    bool done = false;
    std::vector<std::vector<QVariant>> rows;
    std::vector<FieldInfo> fields;
    qint64 count = -1;
    quint64 version = nextVersion();

    SnapshotData(Database& database, const QString& sql) : db(&database), source(sql), stmt(database.handle(), sql)
    {
        fields = fieldsOf(database, stmt.get(), 0);
    }

    bool fetchTo(qint64 index)
    {
        while (!done && qint64(rows.size()) <= index) {
            if (stmt.step()) {
                std::vector<QVariant> values;
                values.reserve(fields.size());
                for (size_t f = 0; f < fields.size(); ++f) values.push_back(readColumn(stmt.get(), int(f), fields[f]));
                rows.push_back(std::move(values));
            } else {
                done = true;
                stmt.finalize();
            }
        }
        return index >= 0 && index < qint64(rows.size());
    }

    void finish() { fetchTo(std::numeric_limits<qint64>::max()); }

    qint64 total()
    {
        if (done) return qint64(rows.size());
        if (count < 0) {
            try {
                Stmt st(db->handle(), QStringLiteral("SELECT count(*) FROM (%1)").arg(withoutTerminator(source)));
                st.step();
                count = sqlite3_column_int64(st.get(), 0);
            } catch (const DbError&) {
                finish();
                return qint64(rows.size());
            }
        }
        return count;
    }
};

class SnapshotRecordset final : public RecordsetBase {
public:
    explicit SnapshotRecordset(Database& db, std::shared_ptr<SnapshotData> data) : m_d(std::move(data)), m_db(&db)
    {
        m_db->registerRecordset(this);
        m_at = m_d->fetchTo(0) ? At::Row : At::Eof;
    }

    ~SnapshotRecordset() override { close(); }

    QString source() const override { return m_d ? m_d->source : QString(); }
    RecordsetType type() const override { return RecordsetType::Snapshot; }
    bool updatable() const override { return false; }
    bool isOpen() const override { return bool(m_d); }
    Database* database() const override { return m_d ? m_db : nullptr; }

    void close() override
    {
        if (!m_d) return;
        m_d.reset();
        m_db->unregisterRecordset(this);
    }

    void detach() override { close(); }
    void finishReading() override
    {
        if (m_d) m_d->finish();
    }

    bool eof() const override
    {
        checkOpen();
        return empty() || m_at == At::Eof;
    }
    bool bof() const override
    {
        checkOpen();
        return empty() || m_at == At::Bof;
    }

    void moveFirst() override
    {
        checkOpen();
        if (!m_d->fetchTo(0)) noCurrentRecord();
        place(0);
    }

    void moveLast() override
    {
        checkOpen();
        m_d->finish();
        if (m_d->rows.empty()) noCurrentRecord();
        place(qint64(m_d->rows.size()) - 1);
    }

    void moveNext() override
    {
        if (eof()) noCurrentRecord();
        const qint64 next = m_at == At::Bof ? 0 : m_index + 1;
        if (m_d->fetchTo(next)) place(next);
        else setEnd(At::Eof);
    }

    void movePrevious() override
    {
        if (bof()) noCurrentRecord();
        if (m_at == At::Eof) m_d->finish();
        const qint64 previous = m_at == At::Eof ? qint64(m_d->rows.size()) - 1 : m_index - 1;
        if (previous >= 0) place(previous);
        else setEnd(At::Bof);
    }

    qint64 recordCount() override
    {
        checkOpen();
        return m_d->total();
    }

    qint64 absolutePosition() const override { return m_d && m_at == At::Row ? m_index : -1; }

    void setAbsolutePosition(qint64 position) override
    {
        checkOpen();
        if (!m_d->fetchTo(position)) invalidPosition(position);
        place(position);
    }

    QVariant bookmark() const override
    {
        requireCurrent();
        return qlonglong(m_index);
    }

    void setBookmark(const QVariant& bookmark) override
    {
        checkOpen();
        bool ok = false;
        const qint64 index = bookmark.toLongLong(&ok);
        if (!ok || !m_d->fetchTo(index)) throwError(errInvalidArgument, QStringLiteral("Ungültiges Lesezeichen."));
        place(index);
    }

    std::unique_ptr<Recordset> clone() const override
    {
        checkOpen();
        return std::make_unique<SnapshotRecordset>(*m_db, m_d);
    }

    void requery() override
    {
        checkOpen();
        m_d = std::make_shared<SnapshotData>(*m_db, m_d->source);
        m_at = m_d->fetchTo(0) ? At::Row : At::Eof;
        m_index = 0;
        m_noMatch = false;
        notifyChanged();
    }

    bool findFirst(const QString& criteria) override { return find(criteria, 0, +1); }
    bool findLast(const QString& criteria) override
    {
        checkOpen();
        m_d->finish();
        return find(criteria, qint64(m_d->rows.size()) - 1, -1);
    }
    bool findNext(const QString& criteria) override
    {
        checkOpen();
        if (m_at == At::Eof) {
            m_noMatch = true;
            return false;
        }
        return find(criteria, m_at == At::Bof ? 0 : m_index + 1, +1);
    }
    bool findPrevious(const QString& criteria) override
    {
        checkOpen();
        if (m_at == At::Eof) m_d->finish();
        return find(criteria, m_at == At::Eof ? qint64(m_d->rows.size()) - 1 : m_at == At::Bof ? -1 : m_index - 1, -1);
    }
    bool noMatch() const override { return m_noMatch; }

    void setIndex(const QString&) override
    {
        throwError(errNotSupported, QStringLiteral("Index nur bei Tabellen-Recordsets."));
    }
    bool seek(const QString&, const QVariantList&) override
    {
        throwError(errNotSupported, QStringLiteral("Seek nur bei Tabellen-Recordsets."));
    }

    using RecordsetBase::value;
    QVariant value(int index) const override
    {
        checkField(index);
        requireCurrent();
        return m_d->rows[size_t(m_index)][size_t(index)];
    }

    QVariant valueAt(qint64 position, int index) override
    {
        checkField(index);
        if (!m_d->fetchTo(position)) invalidPosition(position);
        return m_d->rows[size_t(position)][size_t(index)];
    }

    void edit() override { readOnly(); }
    void addNew() override { readOnly(); }
    void setValue(const QString&, const QVariant&) override { readOnly(); }
    void update() override { readOnly(); }
    void cancelUpdate() override {}
    void deleteCurrent() override { readOnly(); }
    bool editing() const override { return false; }

    quint64 rowsVersion() const override { return m_d ? m_d->version : 0; }
    qint64 rowsFetched() const override { return m_d ? qint64(m_d->rows.size()) : 0; }

private:
    enum class At { Bof, Row, Eof };

    const std::vector<FieldInfo>& fields() const override
    {
        checkOpen();
        return m_d->fields;
    }
    bool empty() const { return !m_d->fetchTo(0); }
    void requireCurrent() const
    {
        checkOpen();
        if (m_at != At::Row) noCurrentRecord();
    }
    [[noreturn]] void readOnly() const
    {
        checkOpen();
        readOnlyRecordset(m_d->source);
    }
    void place(qint64 index)
    {
        m_at = At::Row;
        m_index = index;
        notifyChanged();
    }
    void setEnd(At at)
    {
        m_at = at;
        notifyChanged();
    }

    // Each row is tested on its own: its values are bound into a one-row table named
    // like the fields, and the criteria run against it with the engine's rules.
    bool find(const QString& criteria, qint64 start, int step)
    {
        QStringList names, values;
        QSet<QString> seen;
        for (size_t i = 0; i < m_d->fields.size(); ++i) {
            QString name = m_d->fields[i].name;
            if (seen.contains(name.toLower())) name = QStringLiteral("kv_dup%1").arg(i);
            seen.insert(name.toLower());
            names << quoteName(name);
            values << QStringLiteral("?%1 COLLATE NOCASE_DE").arg(i + 1);
        }
        Stmt st(m_db->handle(), QStringLiteral("WITH kv_row(%1) AS (SELECT %2) SELECT 1 FROM kv_row WHERE (%3)")
                                    .arg(names.join(u','), values.join(u','), criteria));
        for (qint64 i = start; i >= 0 && m_d->fetchTo(i); i += step) {
            st.reset();
            const auto& row = m_d->rows[size_t(i)];
            for (size_t f = 0; f < row.size(); ++f) st.bind(int(f) + 1, row[f]);
            const bool hit = st.step();
            st.reset();
            if (hit) {
                m_noMatch = false;
                place(i);
                return true;
            }
        }
        m_noMatch = true;
        return false;
    }

    std::shared_ptr<SnapshotData> m_d;
    Database* m_db;
    At m_at = At::Bof;
    qint64 m_index = 0;
    bool m_noMatch = false;
};

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
        auto rs = std::make_unique<KeysetRecordset>(std::make_shared<KeysetData>(cfg));
        rs->setType(type);
        return rs;
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
        auto data = std::make_shared<KeysetData>(cfg);
        data->load();
        auto rs = std::make_unique<KeysetRecordset>(std::move(data));
        rs->setType(type);
        return rs;
    }
    return std::make_unique<SnapshotRecordset>(db, std::make_shared<SnapshotData>(db, sql));
}

}  // namespace kv::db::detail
