#include "platform/db/sqlfunctions.h"

#include <QChar>

#include <sqlite3.h>

#include <cstring>
#include <memory>
#include <vector>

namespace kv::db::detail {

namespace {

constexpr char32_t sharpS = 0xDF;
constexpr char32_t capitalSharpS = 0x1E9E;

// Lenient UTF-8 decoding: a broken sequence yields its first byte as a code point,
// so damaged text compares consistently instead of failing.
char32_t decode(const unsigned char*& p, const unsigned char* end)
{
    const unsigned char c = *p;
    if (c < 0x80) {
        ++p;
        return c;
    }
    int len = 0;
    char32_t cp = 0;
    if ((c & 0xE0) == 0xC0) {
        len = 2;
        cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        len = 3;
        cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        len = 4;
        cp = c & 0x07;
    } else {
        ++p;
        return c;
    }
    if (end - p < len) {
        ++p;
        return c;
    }
    for (int k = 1; k < len; ++k) {
        if ((p[k] & 0xC0) != 0x80) {
            ++p;
            return c;
        }
        cp = (cp << 6) | (p[k] & 0x3F);
    }
    p += len;
    return cp;
}

// Base letters of U+00C0..U+00FF for the primary weight; 0 = keep the (lower-case) letter.
constexpr char latin1Base[64] = {
    'a', 'a', 'a', 'a', 'a', 'a', 0, 'c', 'e', 'e', 'e', 'e', 'i', 'i', 'i', 'i',  // C0-CF
    0,   'n', 'o', 'o', 'o', 'o', 'o', 0, 'o', 'u', 'u', 'u', 'u', 'y', 0,   0,    // D0-DF
    'a', 'a', 'a', 'a', 'a', 'a', 0, 'c', 'e', 'e', 'e', 'e', 'i', 'i', 'i', 'i',  // E0-EF
    0,   'n', 'o', 'o', 'o', 'o', 'o', 0, 'o', 'u', 'u', 'u', 'u', 'y', 0,   'y',  // F0-FF
};

char32_t foldCase(char32_t cp)
{
    if (cp < 0x80) return (cp >= 'A' && cp <= 'Z') ? cp + 32 : cp;
    if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) return cp + 32;
    if (cp < 0x100) return cp;
    if (cp == capitalSharpS) return sharpS;
    return QChar::toCaseFolded(cp);
}

// Collation weights of one string: primary (base letter, no case) and secondary
// (which accent). ß yields two primary 's' without an accent.
struct WeightReader {
    const unsigned char* p;
    const unsigned char* end;
    bool pendingS = false;

    bool next(char32_t& primary, char32_t& secondary)
    {
        if (pendingS) {
            pendingS = false;
            primary = 's';
            secondary = 0;
            return true;
        }
        if (p >= end) return false;
        if (*p < 0x80) {
            const char32_t c = *p++;
            primary = (c >= 'A' && c <= 'Z') ? c + 32 : c;
            secondary = 0;
            return true;
        }
        const char32_t cp = foldCase(decode(p, end));
        if (cp == sharpS) {
            primary = 's';
            secondary = 0;
            pendingS = true;
            return true;
        }
        if (cp >= 0xC0 && cp <= 0xFF && latin1Base[cp - 0xC0]) {
            primary = static_cast<unsigned char>(latin1Base[cp - 0xC0]);
            secondary = cp;
            return true;
        }
        primary = cp;
        secondary = 0;
        return true;
    }
};

int collate(void*, int lengthA, const void* a, int lengthB, const void* b)
{
    return compareNoCaseDe(static_cast<const char*>(a), lengthA, static_cast<const char*>(b), lengthB);
}

struct PatternToken {
    enum Kind { Literal, AnyRun, AnyOne, Digit, Class };
    Kind kind = Literal;
    char32_t ch = 0;
    bool negate = false;
    std::vector<std::pair<char32_t, char32_t>> ranges;
};

struct CompiledPattern {
    QByteArray source;
    char32_t escape = 0;
    std::vector<PatternToken> tokens;
};

std::vector<char32_t> decodeFolded(const QByteArray& utf8)
{
    std::vector<char32_t> out;
    out.reserve(utf8.size());
    auto p = reinterpret_cast<const unsigned char*>(utf8.constData());
    const auto end = p + utf8.size();
    while (p < end) out.push_back(foldCase(decode(p, end)));
    return out;
}

void compile(CompiledPattern& cp)
{
    const std::vector<char32_t> s = decodeFolded(cp.source);
    const size_t n = s.size();
    for (size_t i = 0; i < n; ++i) {
        PatternToken t;
        const char32_t c = s[i];
        if (cp.escape && c == cp.escape && i + 1 < n) {
            t.ch = s[++i];
        } else if (c == '*') {
            if (!cp.tokens.empty() && cp.tokens.back().kind == PatternToken::AnyRun) continue;
            t.kind = PatternToken::AnyRun;
        } else if (c == '?') {
            t.kind = PatternToken::AnyOne;
        } else if (c == '#') {
            t.kind = PatternToken::Digit;
        } else if (c == '[') {
            // An unclosed '[' is taken literally: a typed search text must not fail.
            size_t close = i + 1;
            if (close < n && s[close] == '!') ++close;
            if (close < n && s[close] == ']') ++close;  // "[]]" holds a ']'
            while (close < n && s[close] != ']') ++close;
            if (close >= n) {
                t.ch = c;
            } else {
                t.kind = PatternToken::Class;
                size_t k = i + 1;
                if (s[k] == '!' && k + 1 < close) {
                    t.negate = true;
                    ++k;
                }
                for (; k < close; ++k) {
                    if (k + 2 < close && s[k + 1] == '-') {
                        t.ranges.emplace_back(std::min(s[k], s[k + 2]), std::max(s[k], s[k + 2]));
                        k += 2;
                    } else {
                        t.ranges.emplace_back(s[k], s[k]);
                    }
                }
                i = close;
            }
        } else {
            t.ch = c;
        }
        cp.tokens.push_back(std::move(t));
    }
}

bool classMatches(const PatternToken& t, char32_t c)
{
    bool in = false;
    for (const auto& [lo, hi] : t.ranges)
        if (c >= lo && c <= hi) {
            in = true;
            break;
        }
    return in != t.negate;
}

// Classic wildcard matching with backtracking to the last '*'. A literal ß matches
// "ss" in the text and a literal "ss" matches ß, as the collation has them equal.
bool matchTokens(const std::vector<PatternToken>& p, const std::vector<char32_t>& text)
{
    const size_t m = p.size();
    const size_t n = text.size();
    size_t pi = 0, ti = 0;
    size_t starP = SIZE_MAX, starT = 0;
    while (ti < n) {
        if (pi < m) {
            const PatternToken& tok = p[pi];
            const char32_t c = text[ti];
            bool ok = false;
            size_t dp = 1, dt = 1;
            switch (tok.kind) {
            case PatternToken::AnyRun:
                starP = pi++;
                starT = ti;
                continue;
            case PatternToken::AnyOne:
                ok = true;
                break;
            case PatternToken::Digit:
                ok = c >= '0' && c <= '9';
                break;
            case PatternToken::Class:
                ok = classMatches(tok, c);
                break;
            case PatternToken::Literal:
                if (tok.ch == c) {
                    ok = true;
                } else if (tok.ch == 's' && c == sharpS && pi + 1 < m && p[pi + 1].kind == PatternToken::Literal
                           && p[pi + 1].ch == 's') {
                    ok = true;
                    dp = 2;
                } else if (tok.ch == sharpS && c == 's' && ti + 1 < n && text[ti + 1] == 's') {
                    ok = true;
                    dt = 2;
                }
                break;
            }
            if (ok) {
                pi += dp;
                ti += dt;
                continue;
            }
        }
        if (starP == SIZE_MAX) return false;
        pi = starP + 1;
        ti = ++starT;
    }
    while (pi < m && p[pi].kind == PatternToken::AnyRun) ++pi;
    return pi == m;
}

void destroyPattern(void* p)
{
    delete static_cast<CompiledPattern*>(p);
}

void likeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL
        || (argc == 3 && sqlite3_value_type(argv[2]) == SQLITE_NULL)) {
        sqlite3_result_null(ctx);
        return;
    }
    char32_t escape = 0;
    if (argc == 3) {
        const QByteArray e(reinterpret_cast<const char*>(sqlite3_value_text(argv[2])), sqlite3_value_bytes(argv[2]));
        const auto chars = decodeFolded(e);
        if (chars.size() != 1) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = chars[0];
    }
    const auto patternText = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const int patternBytes = sqlite3_value_bytes(argv[0]);
    if (patternBytes > 50000) {
        sqlite3_result_error(ctx, "LIKE or GLOB pattern too complex", -1);
        return;
    }

    std::unique_ptr<CompiledPattern> fresh;
    auto* cached = static_cast<CompiledPattern*>(sqlite3_get_auxdata(ctx, 0));
    if (!cached || cached->escape != escape || cached->source.size() != patternBytes
        || std::memcmp(cached->source.constData(), patternText, patternBytes) != 0) {
        fresh = std::make_unique<CompiledPattern>();
        fresh->source = QByteArray(patternText, patternBytes);
        fresh->escape = escape;
        compile(*fresh);
        cached = fresh.get();
    }

    thread_local std::vector<char32_t> text;
    text.clear();
    auto p = sqlite3_value_text(argv[1]);
    const auto end = p + sqlite3_value_bytes(argv[1]);
    while (p < end) text.push_back(foldCase(decode(p, end)));

    sqlite3_result_int(ctx, matchTokens(cached->tokens, text) ? 1 : 0);
    if (fresh) sqlite3_set_auxdata(ctx, 0, fresh.release(), destroyPattern);
}

}  // namespace

int compareNoCaseDe(const char* a, int lengthA, const char* b, int lengthB)
{
    auto ba = reinterpret_cast<const unsigned char*>(a);
    auto bb = reinterpret_cast<const unsigned char*>(b);
    const auto ea = ba + lengthA;
    const auto eb = bb + lengthB;
    // Plain ASCII decides most comparisons of titles; it has one weight per byte and no
    // accents, so the first difference settles the order.
    while (ba < ea && bb < eb && *ba < 0x80 && *bb < 0x80) {
        const unsigned ca = (*ba >= 'A' && *ba <= 'Z') ? *ba + 32u : *ba;
        const unsigned cb = (*bb >= 'A' && *bb <= 'Z') ? *bb + 32u : *bb;
        if (ca != cb) return ca < cb ? -1 : 1;
        ++ba;
        ++bb;
    }
    WeightReader ra{ba, ea};
    WeightReader rb{bb, eb};
    int tie = 0;
    for (;;) {
        char32_t pa, sa, pb, sb;
        const bool ha = ra.next(pa, sa);
        const bool hb = rb.next(pb, sb);
        if (!ha || !hb) {
            if (ha) return 1;
            if (hb) return -1;
            return tie;
        }
        if (pa != pb) return pa < pb ? -1 : 1;
        if (!tie && sa != sb) tie = sa < sb ? -1 : 1;
    }
}

int compareNoCaseDe(const QByteArray& a, const QByteArray& b)
{
    return compareNoCaseDe(a.constData(), int(a.size()), b.constData(), int(b.size()));
}

bool likeMatches(const QByteArray& pattern, const QByteArray& text, char32_t escape)
{
    CompiledPattern cp;
    cp.source = pattern;
    cp.escape = escape ? foldCase(escape) : 0;
    compile(cp);
    return matchTokens(cp.tokens, decodeFolded(text));
}

int registerFunctions(sqlite3* db)
{
    int rc = sqlite3_create_collation_v2(db, "NOCASE_DE", SQLITE_UTF8, nullptr, collate, nullptr);
    if (rc != SQLITE_OK) return rc;
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    rc = sqlite3_create_function_v2(db, "like", 2, flags, nullptr, likeFunction, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) return rc;
    return sqlite3_create_function_v2(db, "like", 3, flags, nullptr, likeFunction, nullptr, nullptr, nullptr);
}

}  // namespace kv::db::detail
