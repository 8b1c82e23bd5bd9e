#pragma once
// Reading the SQL text that the program hands to the layer: enough of a tokenizer to
// split a SELECT into its parts, tell a one-table query from a join or an aggregate,
// and take CREATE TABLE statements apart column by column for table rebuilds.

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace kv::db::detail {

struct Token {
    enum Kind { Word, QuotedName, String, Number, Param, Punct };
    Kind kind = Punct;
    int begin = 0;  // offsets into the text
    int end = 0;
    QString text;   // unquoted for names and strings, as written otherwise

    bool isName() const { return kind == Word || kind == QuotedName; }
    bool isKeyword(const char* word) const;  // a bare word, case-insensitive
    bool isPunct(const char* p) const { return kind == Punct && text == QLatin1String(p); }
};

std::vector<Token> tokenize(const QString& sql);

// "name" with inner double quotes doubled; safe for any table, column or index name.
QString quoteName(const QString& name);
// A table name as the program writes it ("[rep-korbliste]", "rezepte", "\"x\"") unquoted.
QString unquoteName(const QString& name);
// The text without a trailing ';' and surrounding blanks.
QString withoutTerminator(const QString& sql);

// A SELECT that reads one table of the database: no join, grouping, DISTINCT,
// aggregate or compound. Its rows can be addressed by rowid.
struct SingleTableSelect {
    QString selectList;     // as written
    QString fromText;       // the table reference as written, without alias
    QString fromClause;     // everything between FROM and the tail, alias included
    QString schema;         // "main" unless qualified
    QString table;          // unquoted table name
    QString rowidRef;       // what qualifies rowid: the alias or fromText
    QString tail;           // WHERE / ORDER BY / LIMIT part as written, may be empty
    // The tail names a select-list alias or orders by column number, so the rowids
    // must be read with the whole select list in front of them.
    bool needsSelectList = false;
};

std::optional<SingleTableSelect> parseSingleTableSelect(const QString& sql);
bool isSelect(const QString& sql);
// A bare table name ("zutaten", "[rep-korbliste]"): the source names a table, not a query.
std::optional<QString> bareTableName(const QString& source);

// One column of a CREATE TABLE statement.
struct ColumnSql {
    QString name;
    QString declaredType;  // e.g. "VARCHAR(50)"
    QString text;          // the whole definition as written
    bool primaryKey = false;
    bool autoIncrement = false;
    bool noZeroLength = false;  // carries CHECK ("name" <> '')
    int collateEnd = -1;        // offset in `text` just after "COLLATE x", -1 if none
    int checkBegin = -1;        // offset of the zero-length CHECK clause in `text`
    int checkEnd = -1;
};

struct TableSql {
    QString prefix;                     // "CREATE TABLE name ("
    std::vector<ColumnSql> columns;
    QStringList constraints;            // table constraints as written
    QString suffix;                     // ")" and options such as WITHOUT ROWID
};

std::optional<TableSql> parseCreateTable(const QString& sql);

}  // namespace kv::db::detail
