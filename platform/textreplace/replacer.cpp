#include "platform/textreplace/replacer.h"

#include <QFile>

#include <algorithm>
#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// A resource in a static library is linked only when something names its initialiser;
// Q_INIT_RESOURCE may not stand in a namespace.
static void initWordListResource()
{
    Q_INIT_RESOURCE(textreplace);
}

namespace kv::text {

namespace {

// Endings a short word may carry and still count as itself ("Oelen" is Öl).
const QStringList kEndings = {QString(),          QStringLiteral("e"),   QStringLiteral("en"),
                              QStringLiteral("er"), QStringLiteral("es"), QStringLiteral("em"),
                              QStringLiteral("ern"), QStringLiteral("n"),  QStringLiteral("s"),
                              QStringLiteral("t"),  QStringLiteral("te"), QStringLiteral("ten"),
                              QStringLiteral("st")};

// Up to this many pairs are looked for eight characters at a time.
constexpr std::size_t kMostPairLetters = 16;

// Parts shorter than this count only as the whole word: "Noel" must not become "Nöl".
constexpr qsizetype kShortPart = 4;
// Beyond this many pairs in one word only all of them together are tried.
constexpr int kMostPairsTried = 6;
// The cache holds words seen before; a text of many distinct words must not grow it
// without end.
constexpr qsizetype kCacheLimit = 200000;
constexpr qsizetype kLongestCached = 64;

bool letterAt(const QString& text, qsizetype i)
{
    const char16_t c = text.at(i).unicode();
    if (c < 0x80) return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
    return text.at(i).isLetter();
}

QStringList linesOf(const QByteArray& utf8)
{
    QStringList lines = QString::fromUtf8(utf8).split(u'\n');
    for (QString& line : lines)
        if (line.endsWith(u'\r')) line.chop(1);
    return lines;
}

bool counts(const QString& line)
{
    return !line.isEmpty() && !line.startsWith(u'#');
}

}  // namespace

void Replacer::setReplacements(const QByteArray& repList)
{
    m_pairs.clear();
    for (const QString& line : linesOf(repList)) {
        if (!counts(line)) continue;
        const qsizetype tab = line.indexOf(u'\t');
        if (tab <= 0) continue;
        Pair pair;
        pair.from = line.left(tab);
        pair.to = line.mid(tab + 1);
        if (pair.to.size() > pair.from.size()) continue;
        m_pairs.push_back(pair);
    }
    link();
}

void Replacer::setExclusions(const std::vector<ExclWord>& words)
{
    m_exclusions = words;
    link();
}

void Replacer::link()
{
    m_latinPairs.fill(0);
    m_otherPairs = false;
    m_pairLetters.clear();
    std::size_t pairLetters = 0;
    for (const Pair& pair : m_pairs) {
        const char16_t first = pair.from.at(0).unicode();
        if (pair.from.size() == 2 && first < 256 && pair.from.at(1).unicode() < 256) {
            const unsigned key = unsigned(first) << 8 | pair.from.at(1).unicode();
            m_latinPairs[key >> 6] |= quint64(1) << (key & 63);
            const char16_t second = pair.from.at(1).unicode();
            auto group = std::find_if(m_pairLetters.begin(), m_pairLetters.end(),
                                      [second](const PairsEndingIn& g) { return g.second[0] == second; });
            if (group == m_pairLetters.end()) {
                group = m_pairLetters.insert(m_pairLetters.end(), PairsEndingIn{});
                group->second.fill(second);
            }
            group->firsts.emplace_back().fill(first);
            ++pairLetters;
        } else {
            m_otherPairs = true;
        }
    }
    if (m_otherPairs || pairLetters > kMostPairLetters) m_pairLetters.clear();
    for (Pair& pair : m_pairs) {
        pair.exceptions.clear();
        pair.exceptionAt.clear();
        for (const ExclWord& w : m_exclusions) {
            if (pairOf(w.alt) != pair.from) continue;
            qsizetype at = w.alttext.indexOf(pair.from);
            if (at < 0) at = w.alttext.indexOf(pair.from, 0, Qt::CaseInsensitive);
            if (at < 0) continue;
            pair.exceptions << w.alttext.toLower();
            pair.exceptionAt.push_back(at);
        }
    }
    m_cache.clear();
}

void Replacer::setWords(const QByteArray& wordList)
{
    m_words.clear();
    m_longest = 0;
    for (const QString& line : linesOf(wordList)) {
        const QString word = line.trimmed().toLower();
        if (!counts(word)) continue;
        m_words.insert(word);
        m_longest = std::max(m_longest, word.size());
        // Old spelling and Swiss texts write ss for ß: "Kloesse" are Klöße.
        if (word.contains(u'ß')) m_words.insert(QString(word).replace(u'ß', QStringLiteral("ss")));
    }
    m_cache.clear();
}

bool Replacer::german(const QString& candidate, const std::vector<qsizetype>& umlauts) const
{
    const QString lower = candidate.toLower();
    const qsizetype n = lower.size();
    for (const qsizetype u : umlauts) {
        bool covered = false;
        // No part is longer than the longest listed word, which bounds the work in a
        // word of any length.
        for (qsizetype s = std::max<qsizetype>(0, u + 1 - m_longest); s <= u && !covered; ++s) {
            for (qsizetype e = u + 1; e <= std::min(n, s + m_longest) && !covered; ++e) {
                const qsizetype length = e - s;
                if (length < kShortPart && s != 0) continue;
                if (!m_words.contains(lower.mid(s, length))) continue;
                covered = length >= kShortPart || kEndings.contains(lower.mid(e));
            }
        }
        if (!covered) return false;
    }
    return true;
}

QString Replacer::replaceWord(const QString& word) const
{
    std::vector<Hit> hits;
    QString lower;
    for (qsizetype i = 0; i < word.size();) {
        int found = -1;
        for (std::size_t p = 0; p < m_pairs.size() && found < 0; ++p)
            if (QStringView(word).mid(i).startsWith(m_pairs[p].from)) found = int(p);
        if (found < 0) {
            ++i;
            continue;
        }
        const Pair& pair = m_pairs[std::size_t(found)];
        bool excepted = false;
        for (qsizetype k = 0; k < pair.exceptions.size() && !excepted; ++k) {
            if (lower.isEmpty()) lower = word.toLower();
            const qsizetype start = i - pair.exceptionAt[std::size_t(k)];
            excepted = start >= 0 && QStringView(lower).mid(start).startsWith(pair.exceptions.at(k));
        }
        if (!excepted) hits.push_back({i, found});
        i += pair.from.size();
    }
    if (hits.empty()) return word;

    // Most pairs replaced first; among as many, the earlier pairs first.
    const std::size_t k = hits.size();
    std::vector<std::vector<bool>> choices;
    if (k > kMostPairsTried) {
        choices.emplace_back(k, true);
    } else {
        for (unsigned mask = (1u << k) - 1; mask > 0; --mask) {
            std::vector<bool> chosen(k);
            for (std::size_t h = 0; h < k; ++h) chosen[h] = mask & (1u << (k - 1 - h));
            choices.push_back(std::move(chosen));
        }
        std::stable_sort(choices.begin(), choices.end(), [](const auto& a, const auto& b) {
            return std::count(a.begin(), a.end(), true) > std::count(b.begin(), b.end(), true);
        });
    }
    for (const std::vector<bool>& chosen : choices) {
        QString candidate;
        std::vector<qsizetype> umlauts;
        qsizetype from = 0;
        for (std::size_t h = 0; h < k; ++h) {
            if (!chosen[h]) continue;
            const Pair& pair = m_pairs[std::size_t(hits[h].pair)];
            const qsizetype at = hits[h].at;
            candidate += QStringView(word).mid(from, at - from);
            if (!pair.to.isEmpty()) umlauts.push_back(candidate.size());
            candidate += pair.to;
            from = at + pair.from.size();
        }
        candidate += QStringView(word).mid(from);
        if (german(candidate, umlauts)) return candidate;
    }
    return word;
}

bool Replacer::pairAt(const char16_t* text, qsizetype n, qsizetype i) const
{
    const QStringView rest(text + i, n - i);
    for (const Pair& pair : m_pairs)
        if (pair.from.at(0) == rest.front() && rest.startsWith(pair.from)) return true;
    return false;
}

#if defined(__SSE2__)
namespace {

__m128i lanes(const std::array<char16_t, 8>& letter)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(letter.data()));
}

}  // namespace
#endif

qsizetype Replacer::nextPair(const char16_t* text, qsizetype n, qsizetype from) const
{
    qsizetype i = from;
#if defined(__SSE2__)
    // Most texts hold no pair, and pair letters are common: eight places are tested at
    // once against every pair, and only a block with a hit is looked at closer.
    if (!m_pairLetters.empty()) {
        for (; i + 9 <= n; i += 8) {
            const __m128i firsts = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
            const __m128i seconds = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + 1));
            __m128i hit = _mm_setzero_si128();
            for (const PairsEndingIn& group : m_pairLetters) {
                __m128i first = _mm_setzero_si128();
                for (const Lanes& letter : group.firsts)
                    first = _mm_or_si128(first, _mm_cmpeq_epi16(firsts, lanes(letter)));
                hit = _mm_or_si128(hit, _mm_and_si128(first, _mm_cmpeq_epi16(seconds, lanes(group.second))));
            }
            if (const int mask = _mm_movemask_epi8(hit)) return i + std::countr_zero(unsigned(mask)) / 2;
        }
    }
#endif
    if (m_otherPairs) {
        while (i < n && !startsPair(text, n, i)) ++i;
        return i;
    }
    for (; i + 1 < n; ++i)
        if (latinPair(text[i], text[i + 1])) return i;
    return n;
}

QString Replacer::replace(const QString& text) const
{
    if (m_pairs.empty() || m_words.isEmpty()) return text;
    // Only a word (a run of letters) in which a pair begins is looked at; the text between
    // two such words is passed over whole.
    const qsizetype n = text.size();
    const char16_t* data = reinterpret_cast<const char16_t*>(text.constData());
    QString out;
    qsizetype copied = 0;
    for (qsizetype from = 0;;) {
        const qsizetype at = nextPair(data, n, from);
        if (at >= n) break;
        if (!letterAt(text, at)) {
            from = at + 1;
            continue;
        }
        // `from` is the start of the text or follows a place that is no letter.
        qsizetype start = at;
        while (start > from && letterAt(text, start - 1)) --start;
        qsizetype end = at + 1;
        while (end < n && letterAt(text, end)) ++end;
        from = end;

        const QStringView word(data + start, end - start);
        const QString* replaced = nullptr;
        QString uncached;
        if (word.size() > kLongestCached) {
            uncached = replaceWord(word.toString());
            if (uncached != word) replaced = &uncached;
        } else {
            auto cached = m_cache.find(word);
            if (cached == m_cache.end()) {
                if (qsizetype(m_cache.size()) > kCacheLimit) m_cache.clear();
                const QString whole = word.toString();
                QString result = replaceWord(whole);
                const bool changed = result != whole;
                cached = m_cache.emplace(whole, CachedWord{std::move(result), changed}).first;
            }
            if (cached->second.changed) replaced = &cached->second.replaced;
        }
        if (replaced) {
            out += QStringView(text).mid(copied, start - copied);
            out += *replaced;
            copied = end;
        }
    }
    if (copied == 0) return text;
    out += QStringView(text).mid(copied);
    return out;
}

QByteArray shippedWordList()
{
    initWordListResource();
    QFile file(QStringLiteral(":/textreplace/wortliste.txt"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

namespace {

Replacer& loaded()
{
    static Replacer replacer;
    return replacer;
}

}  // namespace

int InitReplacer(const QString& exclListPath, const QString& repListPath)
{
    QFile rep(repListPath);
    QFile excl(exclListPath);
    const bool repRead = rep.open(QIODevice::ReadOnly);
    const bool exclRead = excl.open(QIODevice::ReadOnly);
    Replacer& r = loaded();
    r.setReplacements(repRead ? rep.readAll() : QByteArray());
    r.setExclusions(exclRead ? readExclList(excl.readAll()) : std::vector<ExclWord>());
    r.setWords(shippedWordList());
    return repRead || exclRead ? 1 : 0;
}

void DoSimpleReplace(QString& buffer)
{
    const QString replaced = loaded().replace(buffer);
    // The contract of the buffer: the text may get shorter, never longer.
    if (replaced.size() <= buffer.size()) buffer = replaced;
}

}  // namespace kv::text
