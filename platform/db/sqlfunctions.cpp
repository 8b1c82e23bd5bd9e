#include "platform/db/sqlfunctions.h"

#include <QChar>

#include <sqlite3.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
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

// A pattern that is one literal, bare or with a '*' at either end, is matched as bytes of
// case-folded UTF-8: most searches are of this shape, and decoding every title into code
// points costs more than the search itself.
enum class Shape { Tokens, Exact, Prefix, Suffix, Contains };

struct CompiledPattern {
    QByteArray source;
    char32_t escape = 0;
    std::vector<PatternToken> tokens;
    Shape shape = Shape::Tokens;
    std::string literal;         // folded UTF-8 of a literal shape
    bool literalHasS = false;    // an 's' that a ß in the text might match as "ss"
    bool literalAscii = false;
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

// Writes the UTF-8 of `cp` at `out`; returns the end.
char* writeUtf8(char* out, char32_t cp)
{
    if (cp < 0x80) {
        *out++ = char(cp);
    } else if (cp < 0x800) {
        *out++ = char(0xC0 | (cp >> 6));
        *out++ = char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out++ = char(0xE0 | (cp >> 12));
        *out++ = char(0x80 | ((cp >> 6) & 0x3F));
        *out++ = char(0x80 | (cp & 0x3F));
    } else {
        *out++ = char(0xF0 | (cp >> 18));
        *out++ = char(0x80 | ((cp >> 12) & 0x3F));
        *out++ = char(0x80 | ((cp >> 6) & 0x3F));
        *out++ = char(0x80 | (cp & 0x3F));
    }
    return out;
}

// A literal with ß stays with the tokens: it matches "ss" in the text, which bytes cannot.
void classify(CompiledPattern& cp)
{
    const std::vector<PatternToken>& t = cp.tokens;
    size_t begin = 0;
    size_t end = t.size();
    const bool lead = begin < end && t[begin].kind == PatternToken::AnyRun;
    if (lead) ++begin;
    const bool trail = end > begin && t[end - 1].kind == PatternToken::AnyRun;
    if (trail) --end;
    std::string literal;
    bool hasS = false;
    for (size_t i = begin; i < end; ++i) {
        if (t[i].kind != PatternToken::Literal || t[i].ch == sharpS) return;
        hasS = hasS || t[i].ch == 's';
        char utf8[4];
        literal.append(utf8, size_t(writeUtf8(utf8, t[i].ch) - utf8));
    }
    cp.literal = std::move(literal);
    cp.literalHasS = hasS;
    cp.literalAscii = std::all_of(cp.literal.begin(), cp.literal.end(), [](char c) { return (c & 0x80) == 0; });
    cp.shape = lead && trail ? Shape::Contains : lead ? Shape::Suffix : trail ? Shape::Prefix : Shape::Exact;
}

// The text case-folded as the matcher folds it, as UTF-8, in a buffer kept between calls.
// False for text that is not valid UTF-8 (the lenient decoding reads it otherwise); `sharp`
// tells whether it holds ß.
bool foldUtf8(const unsigned char* p, const unsigned char* end, std::string_view& folded, bool& sharp)
{
    thread_local std::vector<char> buffer;
    // A folded character takes at most twice the bytes of the character.
    const size_t need = size_t(end - p) * 2 + 4;
    if (buffer.size() < need) buffer.resize(need);
    char* out = buffer.data();
    sharp = false;
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            *out++ = char(unsigned(c - 'A') < 26u ? c + 32 : c);
            ++p;
            continue;
        }
        const unsigned char* start = p;
        const char32_t raw = decode(p, end);
        if (p - start == 1) return false;
        const char32_t cp = foldCase(raw);
        if (cp == sharpS) sharp = true;
        if (cp == raw) {
            std::memcpy(out, start, size_t(p - start));
            out += p - start;
        } else {
            out = writeUtf8(out, cp);
        }
    }
    folded = std::string_view(buffer.data(), size_t(out - buffer.data()));
    return true;
}

bool matchLiteral(const CompiledPattern& cp, std::string_view text)
{
    const std::string_view lit = cp.literal;
    switch (cp.shape) {
    case Shape::Exact:
        return text == lit;
    case Shape::Prefix:
        return text.substr(0, lit.size()) == lit;
    case Shape::Suffix:
        return text.size() >= lit.size() && text.substr(text.size() - lit.size()) == lit;
    case Shape::Contains:
        return text.find(lit) != std::string_view::npos;
    case Shape::Tokens:
        break;
    }
    return false;
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

unsigned char lowerAscii(unsigned char c)
{
    return unsigned(c - 'A') < 26u ? c + 32 : c;
}

bool equalsFolded(const unsigned char* text, std::string_view literal)
{
    for (size_t k = 0; k < literal.size(); ++k)
        if (lowerAscii(text[k]) != static_cast<unsigned char>(literal[k])) return false;
    return true;
}

constexpr quint64 kOnes = 0x0101010101010101ull;
constexpr quint64 kHighs = 0x8080808080808080ull;

quint64 load8(const unsigned char* p)
{
    quint64 word;
    std::memcpy(&word, p, 8);
    return word;
}

bool hasHighBytes(const unsigned char* p, const unsigned char* end)
{
    quint64 seen = 0;
    for (; end - p >= 8; p += 8) seen |= load8(p);
    for (; p < end; ++p) seen |= *p;
    return (seen & kHighs) != 0;
}

// An ASCII literal anywhere in the text, eight bytes at a time: a byte that may begin the
// literal is found without a branch per byte. When it is not found, `high` tells whether
// the text holds bytes beyond ASCII.
bool asciiContains(const unsigned char* text, size_t n, std::string_view lit, bool& high)
{
    const unsigned char first = static_cast<unsigned char>(lit[0]);
    const bool letter = unsigned(first - 'a') < 26u;
    // Letters compare with the case bit set, so 'L' and 'l' both meet 'l'; other bytes
    // that the bit turns into 'l' are weeded out by the comparison of the whole literal.
    const quint64 caseBit = letter ? kOnes * 0x20 : 0;
    const quint64 target = kOnes * first;
    const size_t m = lit.size();
    quint64 seen = 0;
    auto found = [&](quint64 word, size_t at0) {
        seen |= word;
        const quint64 x = (word | caseBit) ^ target;
        quint64 hits = (x - kOnes) & ~x & kHighs;
        while (hits) {
            const int bit = std::endian::native == std::endian::little ? std::countr_zero(hits) : std::countl_zero(hits);
            const size_t at = at0 + size_t(bit >> 3);
            hits &= hits - 1;
            if (at + m <= n && equalsFolded(text + at, lit)) return true;
        }
        return false;
    };
    size_t i = 0;
    for (; i + 8 <= n; i += 8)
        if (found(load8(text + i), i)) return true;
    if (i < n) {
        // The last word overlaps the one before; looking at a byte twice changes nothing.
        if (n >= 8) {
            if (found(load8(text + n - 8), n - 8)) return true;
        } else {
            quint64 word = 0;
            std::memcpy(&word, text, n);
            if (found(word, 0)) return true;
        }
    }
    high = (seen & kHighs) != 0;
    return false;
}

// An ASCII literal against the text as it is: ASCII bytes stand for themselves however the
// rest of the text is encoded, so a match here is a match. `high` tells whether the text
// holds other bytes, which may match where these did not.
bool asciiLiteralMatch(const CompiledPattern& cp, const unsigned char* text, const unsigned char* end, bool& high)
{
    const std::string_view lit = cp.literal;
    const size_t n = size_t(end - text);
    const size_t m = lit.size();
    if (cp.shape == Shape::Contains && m > 0) return asciiContains(text, n, lit, high);
    high = hasHighBytes(text, end);
    if (m > n) return false;
    switch (cp.shape) {
    case Shape::Exact:
        return n == m && equalsFolded(text, lit);
    case Shape::Prefix:
        return equalsFolded(text, lit);
    case Shape::Suffix:
        return equalsFolded(end - m, lit);
    case Shape::Contains:
        return true;
    case Shape::Tokens:
        break;
    }
    return false;
}

// Whether characters beyond ASCII might give a match that the bytes did not. Latin-1
// letters (two bytes led by C2 or C3) never fold to ASCII; ß matches "ss".
bool needsFolding(const CompiledPattern& cp, const unsigned char* p, const unsigned char* end)
{
    for (; p < end; ++p) {
        if (*p < 0xC0 || *p == 0xC2) continue;
        if (*p != 0xC3) return true;
        if (cp.literalHasS && p + 1 < end && p[1] == 0x9F) return true;
    }
    return false;
}

bool matchText(const CompiledPattern& cp, const unsigned char* text, const unsigned char* end)
{
    if (cp.shape != Shape::Tokens) {
        if (cp.literalAscii) {
            bool high = false;
            if (asciiLiteralMatch(cp, text, end, high)) return true;
            if (!high || !needsFolding(cp, text, end)) return false;
        } else if (!hasHighBytes(text, end)) {
            // Plain ASCII text folds to ASCII, which no other literal can match.
            return false;
        }
        std::string_view folded;
        bool sharp = false;
        if (foldUtf8(text, end, folded, sharp) && !(sharp && cp.literalHasS)) return matchLiteral(cp, folded);
    }
    thread_local std::vector<char32_t> codePoints;
    codePoints.clear();
    while (text < end) codePoints.push_back(foldCase(decode(text, end)));
    return matchTokens(cp.tokens, codePoints);
}

void destroyPattern(void* p)
{
    delete static_cast<CompiledPattern*>(p);
}

void matchResult(sqlite3_context* ctx, const CompiledPattern& cp, sqlite3_value* textValue)
{
    const auto text = sqlite3_value_text(textValue);
    sqlite3_result_int(ctx, matchText(cp, text, text + sqlite3_value_bytes(textValue)) ? 1 : 0);
}

void likeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    // SQLite keeps the compiled pattern only while the pattern argument stays the same, so
    // on every row but the first the pattern needs no look at all.
    if (argc == 2) {
        if (const auto* cached = static_cast<const CompiledPattern*>(sqlite3_get_auxdata(ctx, 0))) {
            if (sqlite3_value_type(argv[1]) == SQLITE_NULL)
                sqlite3_result_null(ctx);
            else
                matchResult(ctx, *cached, argv[1]);
            return;
        }
    }
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
    if (patternBytes > maxLikePatternBytes) {
        sqlite3_result_error(ctx, "LIKE or GLOB pattern too complex", -1);
        return;
    }

    std::unique_ptr<CompiledPattern> fresh;
    auto* cached = static_cast<CompiledPattern*>(sqlite3_get_auxdata(ctx, 0));
    if (!cached || cached->escape != escape) {
        fresh = std::make_unique<CompiledPattern>();
        fresh->source = QByteArray(patternText, patternBytes);
        fresh->escape = escape;
        compile(*fresh);
        classify(*fresh);
        cached = fresh.get();
    }

    matchResult(ctx, *cached, argv[1]);
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

namespace {

CompiledPattern compiled(const QByteArray& pattern, char32_t escape)
{
    CompiledPattern cp;
    cp.source = pattern;
    cp.escape = escape ? foldCase(escape) : 0;
    compile(cp);
    return cp;
}

}  // namespace

bool likeMatches(const QByteArray& pattern, const QByteArray& text, char32_t escape)
{
    CompiledPattern cp = compiled(pattern, escape);
    classify(cp);
    const auto p = reinterpret_cast<const unsigned char*>(text.constData());
    return matchText(cp, p, p + text.size());
}

bool likeMatchesTokenwise(const QByteArray& pattern, const QByteArray& text, char32_t escape)
{
    return matchTokens(compiled(pattern, escape).tokens, decodeFolded(text));
}

struct LikeMatcher::Impl {
    CompiledPattern cp;
};

// As likeFunction compiles a pattern without escape.
LikeMatcher::LikeMatcher(const QByteArray& pattern) : d(std::make_unique<Impl>(Impl{compiled(pattern, 0)}))
{
    classify(d->cp);
}

LikeMatcher::~LikeMatcher() = default;
LikeMatcher::LikeMatcher(LikeMatcher&&) noexcept = default;
LikeMatcher& LikeMatcher::operator=(LikeMatcher&&) noexcept = default;

bool LikeMatcher::matches(const char* text, qsizetype length) const
{
    const auto p = reinterpret_cast<const unsigned char*>(text);
    return matchText(d->cp, p, p + length);
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
