#include "exchange/mealmasterlines.h"

#include <QRegularExpression>

#include <algorithm>
#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kv::exchange::mmlines {

qsizetype indexOfWord(QStringView text, QLatin1StringView upperWord, qsizetype from)
{
    const qsizetype w = upperWord.size();
    const qsizetype n = text.size();
    const char16_t* d = text.utf16();
    const char16_t first = char16_t(upperWord[0].unicode() | 0x20);
    const auto restMatches = [&](qsizetype i) {
        for (qsizetype k = 1; k < w; ++k) {
            char16_t c = d[i + k];
            if (c >= 'a' && c <= 'z') c -= 32;
            if (c != char16_t(upperWord[k].unicode())) return false;
        }
        return true;
    };
    qsizetype i = std::max<qsizetype>(from, 0);
#if defined(__SSE2__)
    const __m128i lower = _mm_set1_epi16(0x20);
    const __m128i wanted = _mm_set1_epi16(short(first));
    for (; i + 8 + w - 1 <= n; i += 8) {
        const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        unsigned mask = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_or_si128(chars, lower), wanted)));
        for (; mask != 0; mask &= mask - 1) {
            const qsizetype at = i + std::countr_zero(mask) / 2;
            if (restMatches(at)) return at;
            mask &= mask - 1;  // the second byte of the same place
        }
    }
#endif
    for (; i + w <= n; ++i)
        if (char16_t(d[i] | 0x20) == first && restMatches(i)) return i;
    return -1;
}

void appendItems(QStringList& out, QStringView text)
{
    for (const QStringView item : text.split(u','))
        if (!item.trimmed().isEmpty()) out << item.trimmed().toString();
}

bool blanksAround(QStringView line, QStringView word)
{
    qsizetype k = 0;
    for (const QChar c : line) {
        if (c == u' ') continue;
        if (k == word.size() || c != word[k]) return false;
        ++k;
    }
    return k == word.size();
}

QString closingLineOf(QStringView header)
{
    const QStringView t = header.trimmed();
    if (t.startsWith(u"MMMMM")) return QStringLiteral("MMMMM");
    if (t.startsWith(u"-----")) return QStringLiteral("-----");
    return {};
}

bool namesOldLayout(QStringView header)
{
    const QStringView t = header.trimmed();
    return t.startsWith(u"-----") && !t.contains(u"MMMMM") &&
           indexOfWord(t, QLatin1StringView("RECIPE EXTRACTED")) >= 0;
}

bool isLongRule(QStringView trimmed)
{
    constexpr qsizetype kLongRule = 40;
    if (trimmed.size() < kLongRule) return false;
    for (const QChar c : trimmed)
        if (c != u'-') return false;
    return true;
}

bool hasLetter(QStringView line)
{
    for (const QChar c : line)
        if (c.isLetter()) return true;
    return false;
}

std::optional<QString> sectionHeading(const QString& line)
{
    if (!startsWithMarker(line) || indexOfWord(line, QLatin1StringView("MEAL-MASTER")) >= 0) return std::nullopt;
    QStringView text(line);
    if (text.startsWith(u"MMMMM")) text = text.mid(5);
    while (text.startsWith(u'-')) text = text.mid(1);
    if (const qsizetype again = text.indexOf(u"-----"); again >= 0) text = text.left(again);
    while (!text.isEmpty() && (text.back() == u'-' || text.back() == u' ')) text.chop(1);
    text = text.trimmed();
    if (text.isEmpty()) return std::nullopt;
    return text.toString();
}

bool isUnitCode(QStringView two)
{
    if (two.isEmpty() || !isAsciiLetter(two.at(0))) return false;
    return two.size() == 1 || two.at(1) == u' ' || isAsciiLetter(two.at(1));
}

bool isRange(QStringView field)
{
    // Most amounts are no range; the pattern is asked only where one could be.
    if (!field.contains(u'-')) return false;
    static const QRegularExpression range(
        QStringLiteral("^\\d[\\d./,]*( \\d[\\d./,]*)?-\\d[\\d./,]*( \\d[\\d./,]*)?$"));
    return range.match(field.toString()).hasMatch();
}

bool amountOrRange(QStringView field)
{
    bool digit = false;
    for (const QChar c : field) {
        if (isDigit(c)) digit = true;
        else if (c != u'/' && c != u'.' && c != u',' && c != u'-' && c != u' ') return false;
    }
    return digit;
}

bool digitsAndSlashes(QStringView word)
{
    if (word.isEmpty()) return false;
    for (const QChar c : word)
        if (!isDigit(c) && c != u'/') return false;
    return true;
}

bool isTwoColumn(const QString& line)
{
    if (line.size() < 53) return false;
    if (line.at(39) != u' ' || line.at(40) != u' ' || line.at(48) != u' ' || line.at(51) != u' ') return false;
    if (line.at(52) == u' ') return false;
    const QStringView amount = QStringView(line).mid(40, 8);
    if (!isBlank(amount) && (line.at(47) == u' ' || !amountOrRange(amount))) return false;
    const QStringView unit = QStringView(line).mid(49, 2);
    return isBlank(unit) || isUnitCode(unit);
}

double leadingNumber(QStringView s)
{
    qsizetype i = 0;
    qint64 mantissa = 0;
    int digits = 0;
    int decimals = 0;
    const auto digit = [&] {
        if (++digits <= 15) mantissa = mantissa * 10 + (s.at(i).unicode() - '0');
        ++i;
    };
    while (i < s.size() && isDigit(s.at(i))) digit();
    if (i < s.size() && s.at(i) == u'.') {
        ++i;
        while (i < s.size() && isDigit(s.at(i))) {
            digit();
            ++decimals;
        }
    }
    if (digits == 0) return 0.0;
    // Up to 15 digits the mantissa and the power of ten are exact, and one division
    // rounds as a parser would; longer numbers go to the parser.
    if (digits <= 15) {
        static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                             1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        return double(mantissa) / kPowers[decimals];
    }
    return s.left(i).toString().toDouble();
}

QString upperCase(const QString& text)
{
    // Character by character: ß stays ß, the text keeps its length.
    QString upper = text;
    for (QChar& c : upper) c = c.toUpper();
    return upper;
}

bool keywordLine(QStringView line)
{
    qsizetype p = 0;
    while (p < line.size() && line.at(p) == u' ') ++p;
    return line.mid(p).startsWith(u"Stichworte:", Qt::CaseInsensitive);
}

}  // namespace kv::exchange::mmlines
