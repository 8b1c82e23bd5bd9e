#include "platform/db/sortedcolumn.h"

#include "platform/db/database.h"
#include "platform/db/dbinternal.h"
#include "platform/db/sqlfunctions.h"
#include "platform/db/sqltext.h"
#include "platform/db/tablechanges.h"

#include <sqlite3.h>

#include <algorithm>
#include <limits>
#include <string>

namespace kv::db::detail {

struct SortedColumn {
    QString table;
    QString column;
    QString index;
    TableStamp stamp;
    struct Row {
        qint64 rowid = 0;
        quint32 end = 0;  // where the value ends in `text`
        bool null = false;
    };
    std::vector<Row> rows;
    std::string text;
};

namespace {

// The index SQLite walks for a query when that is all it does: one full scan of a
// covering index, no sorting. Empty for any other plan.
QString scannedIndex(Database& db, const QString& sql)
{
    Stmt st(db.handle(), QStringLiteral("EXPLAIN QUERY PLAN ") + sql);
    QString index;
    int steps = 0;
    while (st.step()) {
        if (++steps > 1) return {};
        const QString detail = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 3)));
        static const QString marker = QStringLiteral(" USING COVERING INDEX ");
        const qsizetype at = detail.indexOf(marker);
        if (!detail.startsWith(QLatin1String("SCAN ")) || at < 0) return {};
        index = detail.mid(at + marker.size());
    }
    return index;
}

// The column of "[table.]column"; empty when the tokens at `i` are something else.
QString columnAt(const std::vector<Token>& t, size_t& i, const QString& table)
{
    if (i + 2 < t.size() && t[i].isName() && t[i + 1].isPunct(".") && t[i + 2].isName()) {
        if (t[i].text.compare(table, Qt::CaseInsensitive) != 0) return {};
        i += 3;
        return t[i - 1].text;
    }
    if (i < t.size() && t[i].isName()) return t[i++].text;
    return {};
}

struct LikeQuery {
    QString column;
    QList<QByteArray> patterns;
};

// "where c like 'p' [and c like 'p']... order by c [asc]", nothing else.
std::optional<LikeQuery> parseLikeTail(const QString& tail, const QString& table)
{
    std::vector<Token> t = tokenize(tail);
    while (!t.empty() && t.back().isPunct(";")) t.pop_back();
    size_t i = 0;
    if (i >= t.size() || !t[i++].isKeyword("where")) return std::nullopt;
    LikeQuery q;
    for (;;) {
        const QString column = columnAt(t, i, table);
        if (column.isEmpty() || (!q.column.isEmpty() && column.compare(q.column, Qt::CaseInsensitive) != 0))
            return std::nullopt;
        q.column = column;
        if (i + 1 >= t.size() || !t[i].isKeyword("like") || t[i + 1].kind != Token::String) return std::nullopt;
        q.patterns << t[i + 1].text.toUtf8();
        i += 2;
        if (i < t.size() && t[i].isKeyword("and")) {
            ++i;
            continue;
        }
        break;
    }
    if (i + 1 >= t.size() || !t[i].isKeyword("order") || !t[i + 1].isKeyword("by")) return std::nullopt;
    i += 2;
    const QString order = columnAt(t, i, table);
    if (order.compare(q.column, Qt::CaseInsensitive) != 0) return std::nullopt;
    if (i < t.size() && t[i].isKeyword("asc")) ++i;
    if (i != t.size()) return std::nullopt;
    for (const QByteArray& p : q.patterns)
        if (p.size() > maxLikePatternBytes) return std::nullopt;
    return q;
}

// Matches a value against every pattern of the search.
bool matchesAll(const std::vector<LikeMatcher>& matchers, const char* value, qsizetype length)
{
    return std::all_of(matchers.begin(), matchers.end(), [&](const LikeMatcher& m) { return m.matches(value, length); });
}

// Collects the values handed to kv_sortedcolumn() and matches them on the way.
struct Reading {
    SortedColumn* column = nullptr;
    const std::vector<LikeMatcher>* matchers = nullptr;
    std::vector<qint64>* found = nullptr;
    bool tooLong = false;
};

const char* const kReadingType = "kv_sortedcolumn";

// Called for every row of the index scan, in its order; false, so that SQLite hands no row
// back: stepping out for each of them costs more than the call.
void readValue(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    // The bound pointer is the same on every row; SQLite keeps it for us after the first.
    auto* r = static_cast<Reading*>(sqlite3_get_auxdata(ctx, 0));
    if (!r) {
        r = static_cast<Reading*>(sqlite3_value_pointer(argv[0], kReadingType));
        if (!r) {
            sqlite3_result_error(ctx, "kv_sortedcolumn() outside its reading", -1);
            return;
        }
        sqlite3_set_auxdata(ctx, 0, r, nullptr);
    }
    SortedColumn& c = *r->column;
    const qint64 rowid = sqlite3_value_int64(argv[1]);
    const bool null = sqlite3_value_type(argv[2]) == SQLITE_NULL;
    if (!null) {
        // The text like() is handed for the value, whatever its type.
        const auto value = reinterpret_cast<const char*>(sqlite3_value_text(argv[2]));
        const int length = sqlite3_value_bytes(argv[2]);
        c.text.append(value, size_t(length));
        if (c.text.size() > std::numeric_limits<quint32>::max()) r->tooLong = true;
        if (matchesAll(*r->matchers, value, length)) r->found->push_back(rowid);
    }
    c.rows.push_back({rowid, quint32(c.text.size()), null});
    sqlite3_result_int(ctx, 0);
}

// Reads the column in the order of `index` into `c` and gives the rowids whose values
// match. The buffers of a column read before are filled again: fresh memory of this size
// costs more to touch than to copy into.
bool readColumn(Database& db, SortedColumn& c, const QString& table, const QString& from, const QString& column,
                const QString& index, const TableStamp& stamp, const std::vector<LikeMatcher>& matchers,
                std::vector<qint64>& found)
{
    const QString sql = QStringLiteral("SELECT 1 FROM %1 WHERE kv_sortedcolumn(?1, %1.rowid, %1.%2) ORDER BY %1.%2")
                            .arg(from, quoteName(column));
    // The same index in the same direction as the filtered query, so the same order; with
    // no sorting the condition meets the rows in that order.
    if (scannedIndex(db, sql) != index) return false;
    c.table = table;
    c.column = column;
    c.index = index;
    c.stamp = stamp;
    c.rows.clear();
    c.text.clear();
    if (c.rows.capacity() == 0) {
        // Read first, the column has about as many rows as the highest rowid says.
        const qint64 rows = db.scalar(QStringLiteral("SELECT max(rowid) FROM %1").arg(from)).toLongLong();
        c.rows.reserve(size_t(std::clamp<qint64>(rows, 0, 10'000'000)));
        c.text.reserve(c.rows.capacity() * 32);
    }
    Reading reading{&c, &matchers, &found};
    Stmt st(db.handle(), sql);
    check(db.handle(), sqlite3_bind_pointer(st.get(), 1, &reading, kReadingType, nullptr), sql);
    while (st.step()) {
    }
    return !reading.tooLong;
}

}  // namespace

std::optional<std::vector<qint64>> likeFilteredKeyset(Database& db, const QString& table, const QString& from,
                                                      const QString& tail)
{
    const std::optional<LikeQuery> q = parseLikeTail(tail, table);
    if (!q || !sqlite3_get_autocommit(db.handle())) return std::nullopt;
    std::vector<LikeMatcher> matchers;
    for (const QByteArray& p : q->patterns) matchers.emplace_back(p);
    std::shared_ptr<SortedColumn>& cached = DatabaseAccess::d(db).sortedColumn;
    try {
        const QString keysetSql = QStringLiteral("SELECT %1.rowid FROM %1 %2").arg(from, tail);
        const QString index = scannedIndex(db, keysetSql);
        if (index.isEmpty()) return std::nullopt;
        const bool sameColumn = cached && cached->index == index && cached->table.compare(table, Qt::CaseInsensitive) == 0
                                && cached->column.compare(q->column, Qt::CaseInsensitive) == 0;
        if (!sameColumn || !stampHolds(db, cached->stamp)) {
            std::shared_ptr<SortedColumn> reading = std::move(cached);
            const TableStamp stamp = stampTables(db, {table});
            if (!stamp.valid) return std::nullopt;
            if (!reading) reading = std::make_shared<SortedColumn>();
            std::vector<qint64> found;
            if (!readColumn(db, *reading, table, from, q->column, index, stamp, matchers, found)) return std::nullopt;
            cached = std::move(reading);
            return found;
        }
    } catch (const DbError&) {
        // The query itself says what is wrong.
        cached.reset();
        return std::nullopt;
    }

    const SortedColumn& c = *cached;
    std::vector<qint64> ids;
    quint32 begin = 0;
    for (const SortedColumn::Row& row : c.rows) {
        if (!row.null && matchesAll(matchers, c.text.data() + begin, qsizetype(row.end - begin))) ids.push_back(row.rowid);
        begin = row.end;
    }
    return ids;
}

int registerSortedColumn(Database& db)
{
    return sqlite3_create_function_v2(db.handle(), "kv_sortedcolumn", 3, SQLITE_UTF8 | SQLITE_DIRECTONLY, nullptr,
                                      readValue, nullptr, nullptr, nullptr);
}

}  // namespace kv::db::detail
