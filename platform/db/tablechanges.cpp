#include "platform/db/tablechanges.h"

#include "platform/db/database.h"
#include "platform/db/dbinternal.h"
#include "platform/db/sqltext.h"

#include <sqlite3.h>

#include <array>
#include <cctype>
#include <cstring>
#include <map>

namespace kv::db::detail {

// The update hook sees every row changed in a table with rowids, by a statement, a trigger
// or a foreign key, with one exception that matters here: a DELETE without WHERE that
// SQLite carries out by emptying the table. Every DELETE statement therefore counts for
// its table as it starts. Inside a trigger such a DELETE is seen by neither: while the
// database has triggers, no stamp holds.
struct TableChanges {
    std::map<QByteArray, qint64> tables;  // lower-case name: changes
    // The tables changed last, so that a run of rows of one table finds its count at once.
    std::array<std::pair<QByteArray, qint64*>, 4> recent{};
    size_t nextRecent = 0;

    void count(const char* table)
    {
        for (auto& [name, n] : recent)
            if (n && sqlite3_stricmp(name.constData(), table) == 0) {
                ++*n;
                return;
            }
        const QByteArray key = QByteArray(table).toLower();
        qint64& n = tables[key];
        ++n;
        recent[nextRecent] = {key, &n};
        nextRecent = (nextRecent + 1) % recent.size();
    }
};

namespace {

void countRow(void* changes, int, const char*, const char* table, sqlite3_int64)
{
    static_cast<TableChanges*>(changes)->count(table);
}

// Whether a statement's text begins with the word (after blanks and comments).
bool beginsWith(const char* sql, const char* word)
{
    for (;;) {
        while (*sql == ' ' || *sql == '\t' || *sql == '\n' || *sql == '\r' || *sql == '\f') ++sql;
        if (sql[0] == '-' && sql[1] == '-') {
            while (*sql && *sql != '\n') ++sql;
        } else if (sql[0] == '/' && sql[1] == '*') {
            const char* end = strstr(sql + 2, "*/");
            if (!end) return false;
            sql = end + 2;
        } else {
            break;
        }
    }
    const size_t n = strlen(word);
    return sqlite3_strnicmp(sql, word, int(n)) == 0 && !(isalnum(static_cast<unsigned char>(sql[n])) || sql[n] == '_');
}

// The tables a statement deletes from: "[with ...] delete from [schema.]table". It runs
// for every statement executed (an import runs millions), so others are let go at once.
int countDelete(unsigned, void* changes, void* stmt, void* sqlText)
{
    const char* sql = static_cast<const char*>(sqlText);
    if (!sql || !(beginsWith(sql, "delete") || beginsWith(sql, "with"))
        || sqlite3_stmt_readonly(static_cast<sqlite3_stmt*>(stmt)))
        return 0;
    const std::vector<Token> t = tokenize(QString::fromUtf8(sql));
    for (size_t i = 0; i + 2 < t.size(); ++i) {
        if (!t[i].isKeyword("delete") || !t[i + 1].isKeyword("from")) continue;
        size_t name = i + 2;
        if (name + 2 < t.size() && t[name + 1].isPunct(".")) name += 2;
        if (t[name].isName()) static_cast<TableChanges*>(changes)->count(t[name].text.toUtf8().constData());
    }
    return 0;
}

qint64 pragmaValue(Database& db, const char* pragma)
{
    Stmt st(db.handle(), QString::fromLatin1(pragma));
    return st.step() ? sqlite3_column_int64(st.get(), 0) : -1;
}

qint64 changesOf(const TableChanges& c, const QByteArray& table)
{
    const auto it = c.tables.find(table);
    return it == c.tables.end() ? 0 : it->second;
}

// Triggers that could empty a table unseen: those of the main database and the temporary
// ones, which may work on any table.
bool hasTriggers(Database& db)
{
    return pragmaValue(db, "SELECT (SELECT count(*) FROM main.sqlite_master WHERE type='trigger') + "
                           "(SELECT count(*) FROM temp.sqlite_master WHERE type='trigger')") != 0;
}

}  // namespace

TableStamp stampTables(Database& db, const QStringList& tables)
{
    TableStamp s;
    const TableChanges* c = DatabaseAccess::d(db).tableChanges.get();
    if (!c || !sqlite3_get_autocommit(db.handle()) || hasTriggers(db)) return s;
    for (const QString& table : tables) {
        const QByteArray key = table.toUtf8().toLower();
        s.tables.append({key, changesOf(*c, key)});
    }
    s.dataVersion = pragmaValue(db, "PRAGMA main.data_version");
    s.schemaVersion = pragmaValue(db, "PRAGMA main.schema_version");
    s.tempSchemaVersion = pragmaValue(db, "PRAGMA temp.schema_version");
    s.valid = true;
    return s;
}

bool stampHolds(Database& db, const TableStamp& s)
{
    const TableChanges* c = DatabaseAccess::d(db).tableChanges.get();
    if (!s.valid || !c) return false;
    for (const auto& [table, count] : s.tables)
        if (changesOf(*c, table) != count) return false;
    return pragmaValue(db, "PRAGMA main.data_version") == s.dataVersion
           && pragmaValue(db, "PRAGMA main.schema_version") == s.schemaVersion
           && pragmaValue(db, "PRAGMA temp.schema_version") == s.tempSchemaVersion && !hasTriggers(db);
}

void watchTableChanges(Database& db)
{
    auto& c = DatabaseAccess::d(db).tableChanges;
    c = std::make_shared<TableChanges>();
    sqlite3_update_hook(db.handle(), countRow, c.get());
    sqlite3_trace_v2(db.handle(), SQLITE_TRACE_STMT, countDelete, c.get());
}

void forgetTableChanges(Database& db)
{
    sqlite3_update_hook(db.handle(), nullptr, nullptr);
    sqlite3_trace_v2(db.handle(), 0, nullptr, nullptr);
    DatabaseAccess::d(db).tableChanges.reset();
}

}  // namespace kv::db::detail
