// What every recordset shares: the failures they report alike, and the fields of their
// rows: their types, looked up by name, and values converted for storing.

#include "platform/db/recordsetbase.h"

#include "platform/db/sqltext.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QLocale>

#include <cmath>

namespace kv::db::detail {

quint64 nextVersion()
{
    static quint64 version = 0;
    return ++version;
}

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

namespace {

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

}  // namespace

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

namespace {

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

}  // namespace

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
}  // namespace kv::db::detail
