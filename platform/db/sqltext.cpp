#include "platform/db/sqltext.h"

namespace kv::db::detail {

namespace {

bool isWordStart(QChar c)
{
    return c.isLetter() || c == u'_' || c.unicode() >= 0x80;
}

bool isWordChar(QChar c)
{
    return isWordStart(c) || c.isDigit() || c == u'$';
}

// Reads a quoted run starting at `i` (the opening quote); a doubled closing quote
// stands for itself. Returns the offset after the closing quote.
int readQuoted(const QString& s, int i, QChar close, QString& out)
{
    const int n = s.size();
    ++i;
    while (i < n) {
        if (s[i] == close) {
            if (close != u']' && i + 1 < n && s[i + 1] == close) {
                out += close;
                i += 2;
                continue;
            }
            return i + 1;
        }
        out += s[i++];
    }
    return n;  // unterminated: SQLite reports it when the statement is prepared
}

const char* const clauseWords[] = {"where", "group", "having", "order", "limit", "window",
                                   "union", "except", "intersect"};
const char* const aggregateWords[] = {"count", "sum", "avg", "min", "max", "total", "group_concat"};

bool isClauseWord(const Token& t)
{
    for (const char* w : clauseWords)
        if (t.isKeyword(w)) return true;
    return false;
}

bool isAggregate(const Token& t)
{
    for (const char* w : aggregateWords)
        if (t.isKeyword(w)) return true;
    return false;
}

// Tokens without trailing ';'.
std::vector<Token> statementTokens(const QString& sql)
{
    auto tokens = tokenize(sql);
    while (!tokens.empty() && tokens.back().isPunct(";")) tokens.pop_back();
    return tokens;
}

QStringList selectListAliases(const std::vector<Token>& t, size_t begin, size_t end)
{
    QStringList aliases;
    int depth = 0;
    size_t itemBegin = begin;
    auto closeItem = [&](size_t itemEnd) {
        const size_t len = itemEnd - itemBegin;
        if (len >= 2 && t[itemEnd - 1].isName()) {
            const Token& prev = t[itemEnd - 2];
            if (prev.isKeyword("as") || prev.isName() || prev.isPunct(")") || prev.kind == Token::String
                || prev.kind == Token::Number)
                aliases << t[itemEnd - 1].text;
        }
    };
    for (size_t i = begin; i < end; ++i) {
        if (t[i].isPunct("(")) ++depth;
        else if (t[i].isPunct(")")) --depth;
        else if (depth == 0 && t[i].isPunct(",")) {
            closeItem(i);
            itemBegin = i + 1;
        }
    }
    closeItem(end);
    return aliases;
}

}  // namespace

bool Token::isKeyword(const char* word) const
{
    return kind == Word && text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

std::vector<Token> tokenize(const QString& s)
{
    std::vector<Token> out;
    const int n = s.size();
    int i = 0;
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (c == u'-' && i + 1 < n && s[i + 1] == u'-') {
            while (i < n && s[i] != u'\n') ++i;
            continue;
        }
        if (c == u'/' && i + 1 < n && s[i + 1] == u'*') {
            const int close = s.indexOf(QLatin1String("*/"), i + 2);
            i = close < 0 ? n : close + 2;
            continue;
        }
        Token t;
        t.begin = i;
        if (c == u'\'') {
            t.kind = Token::String;
            i = readQuoted(s, i, u'\'', t.text);
        } else if (c == u'"' || c == u'`' || c == u'[') {
            t.kind = Token::QuotedName;
            i = readQuoted(s, i, c == u'[' ? QChar(u']') : c, t.text);
        } else if (c.isDigit() || (c == u'.' && i + 1 < n && s[i + 1].isDigit())) {
            t.kind = Token::Number;
            while (i < n && (s[i].isLetterOrNumber() || s[i] == u'.'
                             || ((s[i] == u'+' || s[i] == u'-') && (s[i - 1] == u'e' || s[i - 1] == u'E'))))
                ++i;
            t.text = s.mid(t.begin, i - t.begin);
        } else if (isWordStart(c)) {
            t.kind = Token::Word;
            while (i < n && isWordChar(s[i])) ++i;
            t.text = s.mid(t.begin, i - t.begin);
        } else if (c == u'?' || c == u':' || c == u'@' || c == u'$') {
            t.kind = Token::Param;
            ++i;
            while (i < n && isWordChar(s[i])) ++i;
            t.text = s.mid(t.begin, i - t.begin);
        } else {
            t.kind = Token::Punct;
            static const char* const twoChar[] = {"<>", "<=", ">=", "!=", "==", "||", "<<", ">>", "->"};
            int len = 1;
            if (i + 1 < n) {
                const QString two = s.mid(i, 2);
                for (const char* op : twoChar)
                    if (two == QLatin1String(op)) len = 2;
            }
            t.text = s.mid(i, len);
            i += len;
        }
        t.end = i;
        out.push_back(std::move(t));
    }
    return out;
}

QString quoteName(const QString& name)
{
    QString inner = name;
    inner.replace(u'"', QLatin1String("\"\""));
    return u'"' + inner + u'"';
}

QString unquoteName(const QString& name)
{
    const auto tokens = tokenize(name);
    if (tokens.size() == 1 && tokens[0].isName()) return tokens[0].text;
    return name.trimmed();
}

QString withoutTerminator(const QString& sql)
{
    QString s = sql.trimmed();
    while (s.endsWith(u';')) {
        s.chop(1);
        s = s.trimmed();
    }
    return s;
}

bool isSelect(const QString& sql)
{
    const auto tokens = tokenize(sql);
    return !tokens.empty() && (tokens[0].isKeyword("select") || tokens[0].isKeyword("with")
                               || tokens[0].isKeyword("values"));
}

std::optional<QString> bareTableName(const QString& source)
{
    const auto tokens = statementTokens(source);
    if (tokens.size() == 1 && tokens[0].isName() && !tokens[0].isKeyword("select"))
        return tokens[0].text;
    return std::nullopt;
}

std::optional<SingleTableSelect> parseSingleTableSelect(const QString& sql)
{
    const auto t = statementTokens(sql);
    if (t.empty() || !t[0].isKeyword("select")) return std::nullopt;
    size_t i = 1;
    if (i < t.size() && t[i].isKeyword("distinct")) return std::nullopt;
    if (i < t.size() && t[i].isKeyword("all")) ++i;
    const size_t listBegin = i;

    int depth = 0;
    size_t from = t.size();
    for (; i < t.size(); ++i) {
        if (t[i].isPunct("(")) ++depth;
        else if (t[i].isPunct(")")) --depth;
        else if (isAggregate(t[i]) && i + 1 < t.size() && t[i + 1].isPunct("(")) return std::nullopt;
        else if (depth == 0 && t[i].isKeyword("from")) {
            from = i;
            break;
        }
    }
    if (from == t.size() || from == listBegin) return std::nullopt;

    SingleTableSelect r;
    r.selectList = sql.mid(t[listBegin].begin, t[from - 1].end - t[listBegin].begin);

    size_t j = from + 1;
    size_t refEnd = j;
    while (refEnd < t.size() && !isClauseWord(t[refEnd])) ++refEnd;
    // name | schema . name, then [AS] alias
    std::vector<const Token*> ref;
    for (size_t k = j; k < refEnd; ++k) ref.push_back(&t[k]);
    size_t nameLen = 0;
    if (ref.size() >= 3 && ref[0]->isName() && ref[1]->isPunct(".") && ref[2]->isName()) {
        r.schema = ref[0]->text;
        r.table = ref[2]->text;
        nameLen = 3;
    } else if (!ref.empty() && ref[0]->isName()) {
        r.schema = QStringLiteral("main");
        r.table = ref[0]->text;
        nameLen = 1;
    } else {
        return std::nullopt;
    }
    r.fromText = sql.mid(ref[0]->begin, ref[nameLen - 1]->end - ref[0]->begin);
    r.fromClause = sql.mid(ref[0]->begin, ref.back()->end - ref[0]->begin);
    const size_t rest = ref.size() - nameLen;
    if (rest == 0) {
        r.rowidRef = r.fromText;
    } else if (rest == 1 && ref[nameLen]->isName()) {
        r.rowidRef = quoteName(ref[nameLen]->text);
    } else if (rest == 2 && ref[nameLen]->isKeyword("as") && ref[nameLen + 1]->isName()) {
        r.rowidRef = quoteName(ref[nameLen + 1]->text);
    } else {
        return std::nullopt;  // a join, a subquery or a table list
    }
    for (const Token* tok : ref)
        if (tok->isKeyword("join") || tok->isKeyword("natural") || tok->isKeyword("indexed")
            || tok->isKeyword("not"))
            return std::nullopt;

    depth = 0;
    for (size_t k = refEnd; k < t.size(); ++k) {
        if (t[k].isPunct("(")) ++depth;
        else if (t[k].isPunct(")")) --depth;
        else if (depth == 0
                 && (t[k].isKeyword("group") || t[k].isKeyword("having") || t[k].isKeyword("window")
                     || t[k].isKeyword("union") || t[k].isKeyword("except") || t[k].isKeyword("intersect")))
            return std::nullopt;
    }
    if (refEnd < t.size()) r.tail = sql.mid(t[refEnd].begin, t.back().end - t[refEnd].begin);

    const QStringList aliases = selectListAliases(t, listBegin, from);
    bool inOrder = false;
    for (size_t k = refEnd; k < t.size() && !r.needsSelectList; ++k) {
        if (t[k].isKeyword("order")) inOrder = true;
        if (t[k].isName() && aliases.contains(t[k].text, Qt::CaseInsensitive)) r.needsSelectList = true;
        if (inOrder && t[k].kind == Token::Number && (t[k - 1].isKeyword("by") || t[k - 1].isPunct(",")))
            r.needsSelectList = true;
    }
    return r;
}

std::optional<TableSql> parseCreateTable(const QString& sql)
{
    const auto t = statementTokens(sql);
    size_t i = 0;
    if (i >= t.size() || !t[i].isKeyword("create")) return std::nullopt;
    ++i;
    while (i < t.size() && !t[i].isPunct("(")) {
        if (t[i].isKeyword("as")) return std::nullopt;
        ++i;
    }
    if (i >= t.size()) return std::nullopt;
    const size_t open = i;

    TableSql r;
    r.prefix = sql.left(t[open].end);
    int depth = 0;
    size_t itemBegin = open + 1;
    size_t close = t.size();
    std::vector<std::pair<size_t, size_t>> items;
    for (size_t k = open + 1; k < t.size(); ++k) {
        if (t[k].isPunct("(")) {
            ++depth;
        } else if (t[k].isPunct(")")) {
            if (depth == 0) {
                items.emplace_back(itemBegin, k);
                close = k;
                break;
            }
            --depth;
        } else if (depth == 0 && t[k].isPunct(",")) {
            items.emplace_back(itemBegin, k);
            itemBegin = k + 1;
        }
    }
    if (close == t.size()) return std::nullopt;
    r.suffix = sql.mid(t[close].begin);

    for (auto [b, e] : items) {
        if (b >= e) return std::nullopt;
        const int textBegin = t[b].begin;
        const QString text = sql.mid(textBegin, t[e - 1].end - textBegin);
        if (t[b].isKeyword("constraint") || t[b].isKeyword("primary") || t[b].isKeyword("unique")
            || t[b].isKeyword("check") || t[b].isKeyword("foreign")) {
            r.constraints << text;
            continue;
        }
        ColumnSql c;
        c.name = t[b].text;
        c.text = text;
        size_t k = b + 1;
        static const char* const constraintWords[] = {"constraint", "primary", "not", "null", "unique", "check",
                                                      "default", "collate", "references", "generated", "as"};
        auto isConstraintWord = [&](const Token& tok) {
            for (const char* w : constraintWords)
                if (tok.isKeyword(w)) return true;
            return false;
        };
        const size_t typeBegin = k;
        while (k < e && t[k].kind == Token::Word && !isConstraintWord(t[k])) ++k;
        if (k < e && k > typeBegin && t[k].isPunct("(")) {
            while (k < e && !t[k].isPunct(")")) ++k;
            if (k < e) ++k;
        }
        if (k > typeBegin) c.declaredType = sql.mid(t[typeBegin].begin, t[k - 1].end - t[typeBegin].begin);
        for (; k < e; ++k) {
            if (t[k].isKeyword("primary")) c.primaryKey = true;
            else if (t[k].isKeyword("autoincrement")) c.autoIncrement = true;
            else if (t[k].isKeyword("collate") && k + 1 < e) c.collateEnd = t[k + 1].end - textBegin;
            else if (t[k].isKeyword("check") && k + 4 < e && t[k + 1].isPunct("(")) {
                const Token& col = t[k + 2];
                const Token& op = t[k + 3];
                const Token& lit = t[k + 4];
                if (k + 5 < e && t[k + 5].isPunct(")") && col.isName()
                    && col.text.compare(c.name, Qt::CaseInsensitive) == 0 && (op.isPunct("<>") || op.isPunct("!="))
                    && lit.kind == Token::String && lit.text.isEmpty()) {
                    c.noZeroLength = true;
                    c.checkBegin = t[k].begin - textBegin;
                    c.checkEnd = t[k + 5].end - textBegin;
                }
            }
        }
        r.columns.push_back(std::move(c));
    }
    return r;
}

}  // namespace kv::db::detail
