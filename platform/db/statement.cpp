// The statement level of the database layer: SQLite's failures told as DbError with a
// German sentence, the quoting helper, values bound and columns read, and the prepared
// statements (Stmt inside the layer, Statement for callers).

#include "platform/db/database.h"

#include "platform/db/dbinternal.h"
#include "platform/db/sqltext.h"

#include <QDate>
#include <QDateTime>

#include <sqlite3.h>

#include <charconv>
#include <limits>
#include <utility>

namespace kv::db {

DbError::DbError(int number, const QString& text, const QString& sql)
    : std::runtime_error((sql.isEmpty() ? text : text + QStringLiteral(" [") + sql + u']').toStdString()),
      m_number(number), m_text(text), m_sql(sql)
{
}

QString sqlEscape(const QString& text)
{
    QString s = text;
    s.replace(u'\'', QLatin1String("''"));
    return s;
}

QString sqlQuote(const QString& text)
{
    return u'\'' + sqlEscape(text) + u'\'';
}

namespace detail {

void throwError(int number, const QString& text, const QString& sql)
{
    throw DbError(number, text, sql);
}

namespace {

// Whatever follows the first statement must be nothing but terminators: execute()
// runs one statement, and a second one smuggled in through a value must not run.
void requireSingleStatement(const char* tail, const QString& sql)
{
    if (!tail) return;
    for (const auto& t : tokenize(QString::fromUtf8(tail)))
        if (!t.isPunct(";")) throwError(SQLITE_MISUSE, QStringLiteral("Nur eine SQL-Anweisung erlaubt."), sql);
}

// The general error carries everything from a mistyped statement to a file from another
// program; the engine's text says which, so the common ones are told apart.
QString errorSentence(const QString& engineText)
{
    struct Known {
        const char* prefix;
        const char* sentence;  // %1: what follows the prefix
    };
    static const Known known[] = {
        {"no such table: ", "Die Tabelle %1 gibt es in der Datenbank nicht."},
        {"no such column: ", "Die Spalte %1 gibt es in der Datenbank nicht."},
        {"no such function: ", "Die Funktion %1 ist der Datenbank unbekannt."},
        {"no such index: ", "Den Index %1 gibt es in der Datenbank nicht."},
        {"no such collation sequence: ",
         "Die Sortierfolge %1 ist unbekannt; die Datenbankdatei ist beschädigt oder stammt aus einem anderen Programm."},
        {"unsupported file format",
         "Die Datenbankdatei hat ein Format, das Kelvor nicht lesen kann; sie ist beschädigt oder stammt aus einem "
         "anderen Programm."},
    };
    for (const Known& k : known) {
        const QLatin1String prefix(k.prefix);
        if (!engineText.startsWith(prefix)) continue;
        const QString sentence = QString::fromUtf8(k.sentence);
        return sentence.contains(QLatin1String("%1")) ? sentence.arg(engineText.mid(prefix.size())) : sentence;
    }
    if (engineText.contains(QLatin1String("syntax error")) || engineText.startsWith(QLatin1String("incomplete input")))
        return QStringLiteral("Die SQL-Anweisung ist fehlerhaft.");
    if (engineText.contains(QLatin1String("already exists")))
        return QStringLiteral("Eine Tabelle oder ein Index dieses Namens ist schon vorhanden.");
    return QStringLiteral("Die Datenbank hat die Anweisung abgelehnt.");
}

}  // namespace

QString sqliteText(int code, const QString& engineText)
{
    // Every code a user can meet gets a German sentence; SQLite's own code and text follow
    // for whoever has to find the cause.
    QString sentence;
    switch (code & 0xff) {
    case SQLITE_ERROR:
        sentence = errorSentence(engineText);
        break;
    case SQLITE_INTERNAL:
    case SQLITE_MISUSE:
        sentence = QStringLiteral("Interner Fehler der Datenbank.");
        break;
    case SQLITE_ABORT:
    case SQLITE_INTERRUPT:
        sentence = QStringLiteral("Die Datenbank hat die Anweisung abgebrochen.");
        break;
    case SQLITE_NOMEM:
        sentence = QStringLiteral("Für die Datenbank ist nicht genug Arbeitsspeicher frei.");
        break;
    case SQLITE_READONLY:
        sentence = QStringLiteral("Die Datenbank ist schreibgeschützt.");
        break;
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        sentence = QStringLiteral("Die Datenbankdatei kann nicht geöffnet werden.");
        break;
    case SQLITE_FULL:
        sentence = QStringLiteral("Der Datenträger ist voll.");
        break;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_FORMAT:
    case SQLITE_EMPTY:
        sentence = QStringLiteral("Die Datenbankdatei ist beschädigt.");
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_PROTOCOL:
        sentence = QStringLiteral("Die Datenbank wird gerade von einem anderen Programm benutzt.");
        break;
    case SQLITE_CONSTRAINT:
        sentence = QStringLiteral("Die Änderung verletzt eine Regel der Datenbank "
                                  "(ein Schlüssel doppelt oder ein Pflichtwert leer).");
        break;
    case SQLITE_IOERR:
        sentence = QStringLiteral("Die Datenbankdatei kann nicht gelesen oder geschrieben werden.");
        break;
    case SQLITE_TOOBIG:
        sentence = QStringLiteral("Ein Text oder Wert ist zu groß für die Datenbank; ist er in der Datei gespeichert, "
                                  "so ist die Datei beschädigt.");
        break;
    case SQLITE_NOLFS:
        sentence = QStringLiteral("Die Datenbankdatei ist zu groß für dieses Dateisystem.");
        break;
    case SQLITE_SCHEMA:
        sentence = QStringLiteral("Der Aufbau der Datenbank hat sich während der Anweisung geändert.");
        break;
    case SQLITE_MISMATCH:
        sentence = QStringLiteral("Ein Wert hat nicht den Typ, den die Datenbank verlangt.");
        break;
    case SQLITE_RANGE:
        sentence = QStringLiteral("Einer Anweisung wurde ein Wert zu viel übergeben.");
        break;
    default:
        sentence = QStringLiteral("Die Datenbank meldet einen Fehler.");
        break;
    }
    return sentence + QStringLiteral(" (SQLite %1: %2)").arg(code).arg(engineText);
}

DbError lastError(sqlite3* db, const QString& sql)
{
    const int code = sqlite3_extended_errcode(db);
    return DbError(code, sqliteText(code, QString::fromUtf8(sqlite3_errmsg(db))), sql);
}

void throwSqlite(sqlite3* db, const QString& sql)
{
    throw lastError(db, sql);
}

DbError openError(sqlite3* db, int rc)
{
    const int code = db ? sqlite3_extended_errcode(db) : rc;
    return DbError(code, sqliteText(code, db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc))));
}

void throwClosed(const QString& sql)
{
    throwError(errObjectClosed, QStringLiteral("Die Datenbank ist geschlossen."), sql);
}

sqlite3_stmt* prepare(sqlite3* db, const QString& sql, Rest rest)
{
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &stmt, &tail) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        throwSqlite(db, sql);
    }
    if (!stmt) throwError(SQLITE_MISUSE, QStringLiteral("Leere SQL-Anweisung."), sql);
    if (rest == Rest::MustBeEmpty) {
        try {
            requireSingleStatement(tail, sql);
        } catch (...) {
            sqlite3_finalize(stmt);
            throw;
        }
    }
    return stmt;
}

void check(sqlite3* db, int rc, const QString& sql)
{
    if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE) throwSqlite(db, sql);
}

double roundToSingle(double value)
{
    const float f = static_cast<float>(value);
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, f);
    double shortest = f;
    std::from_chars(buffer, written.ptr, shortest);
    return shortest;
}

void bindVariant(sqlite3* db, sqlite3_stmt* stmt, int index, const QVariant& value, const QString& sql)
{
    int rc = SQLITE_OK;
    if (!value.isValid() || value.isNull()) {
        rc = sqlite3_bind_null(stmt, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Bool:
            rc = sqlite3_bind_int(stmt, index, value.toBool() ? 1 : 0);
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::Long:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
            rc = sqlite3_bind_int64(stmt, index, value.toLongLong());
            break;
        case QMetaType::ULongLong:
        case QMetaType::ULong:
            rc = sqlite3_bind_int64(stmt, index, static_cast<sqlite3_int64>(value.toULongLong()));
            break;
        case QMetaType::Float:
            rc = sqlite3_bind_double(stmt, index, roundToSingle(value.toFloat()));
            break;
        case QMetaType::Double:
            rc = sqlite3_bind_double(stmt, index, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray b = value.toByteArray();
            rc = sqlite3_bind_blob64(stmt, index, b.constData(), b.size(), SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::QDate:
            rc = sqlite3_bind_text(stmt, index, value.toDate().toString(Qt::ISODate).toUtf8().constData(), -1,
                                   SQLITE_TRANSIENT);
            break;
        case QMetaType::QDateTime:
            rc = sqlite3_bind_text(stmt, index,
                                   value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8().constData(),
                                   -1, SQLITE_TRANSIENT);
            break;
        default: {
            const QByteArray t = value.toString().toUtf8();
            rc = sqlite3_bind_text64(stmt, index, t.constData(), t.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
            break;
        }
        }
    }
    check(db, rc, sql);
}

QVariant columnVariant(sqlite3_stmt* stmt, int column)
{
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER: {
        const qint64 v = sqlite3_column_int64(stmt, column);
        if (v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max()) return int(v);
        return qlonglong(v);
    }
    case SQLITE_FLOAT:
        return sqlite3_column_double(stmt, column);
    case SQLITE_TEXT:
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                                 sqlite3_column_bytes(stmt, column));
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, column)),
                          sqlite3_column_bytes(stmt, column));
    default:
        return {};
    }
}

Stmt::Stmt(sqlite3* db, const QString& sql) : m_db(db), m_stmt(prepare(db, sql, Rest::Ignored)), m_sql(sql)
{
}

Stmt::~Stmt()
{
    sqlite3_finalize(m_stmt);
}

Stmt::Stmt(Stmt&& other) noexcept
    : m_db(other.m_db), m_stmt(std::exchange(other.m_stmt, nullptr)), m_sql(std::move(other.m_sql))
{
}

Stmt& Stmt::operator=(Stmt&& other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_db = other.m_db;
        m_stmt = std::exchange(other.m_stmt, nullptr);
        m_sql = std::move(other.m_sql);
    }
    return *this;
}

void Stmt::bind(int index, const QVariant& value)
{
    bindVariant(m_db, m_stmt, index, value, m_sql);
}

bool Stmt::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    const DbError error = lastError(m_db, m_sql);
    sqlite3_reset(m_stmt);
    throw error;
}

void Stmt::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

void Stmt::finalize()
{
    sqlite3_finalize(m_stmt);
    m_stmt = nullptr;
}

}  // namespace detail

Statement::Statement(Database& db, const QString& sql) : m_db(db), m_sql(sql)
{
    if (!db.isOpen()) detail::throwClosed(sql);
    m_stmt = detail::prepare(db.handle(), sql, detail::Rest::MustBeEmpty);
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

void Statement::bind(int index, const QVariant& value)
{
    detail::bindVariant(m_db.handle(), m_stmt, index, value, m_sql);
}

void Statement::bindInt64(int index, qint64 value)
{
    detail::check(m_db.handle(), sqlite3_bind_int64(m_stmt, index, value), m_sql);
}

void Statement::bindDouble(int index, double value)
{
    detail::check(m_db.handle(), sqlite3_bind_double(m_stmt, index, value), m_sql);
}

void Statement::bindText(int index, const QString& value)
{
    // As bind() does: a null text is an empty one.
    const QByteArray t = value.toUtf8();
    detail::check(m_db.handle(),
                  sqlite3_bind_text64(m_stmt, index, t.constData(), t.size(), SQLITE_TRANSIENT, SQLITE_UTF8), m_sql);
}

void Statement::bindNull(int index)
{
    detail::check(m_db.handle(), sqlite3_bind_null(m_stmt, index), m_sql);
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    const DbError error = detail::lastError(m_db.handle(), m_sql);
    sqlite3_reset(m_stmt);
    throw error;
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
}

int Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

QString Statement::columnName(int index) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt, index));
}

QVariant Statement::value(int index) const
{
    return detail::columnVariant(m_stmt, index);
}

qint64 Statement::int64(int index) const
{
    return sqlite3_column_int64(m_stmt, index);
}

QString Statement::text(int index) const
{
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, index)),
                             sqlite3_column_bytes(m_stmt, index));
}

bool Statement::isNull(int index) const
{
    return sqlite3_column_type(m_stmt, index) == SQLITE_NULL;
}
}  // namespace kv::db
