#pragma once
// How the Meal-Master reader tells its lines apart: markers, rules and headers, headings,
// the columns of an ingredient line and its amounts. Each asks one line (or one column of
// it) and knows nothing of the lines around it.

#include <QLatin1StringView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace kv::exchange::mmlines {

// Where a word given in capitals (beginning with a letter) stands in a text, letter case
// ignored (ASCII); -1 if not. Every line passes here, so the places of the word's first
// letter are found eight characters at a time, and only there is the rest compared.
qsizetype indexOfWord(QStringView text, QLatin1StringView upperWord, qsizetype from = 0);

// The comma-separated items of a text, trimmed, empty ones left out.
void appendItems(QStringList& out, QStringView text);

inline bool hasFiveDashes(QStringView line)
{
    // A run of five covers a place whose index is 4 modulo 5: only those are looked at
    // first, and the run around a dash found there.
    const char16_t* d = line.utf16();
    const qsizetype n = line.size();
    for (qsizetype i = 4; i < n; i += 5) {
        if (d[i] != u'-') continue;
        qsizetype from = i;
        while (from > 0 && d[from - 1] == u'-') --from;
        qsizetype to = i + 1;
        while (to < n && d[to] == u'-') ++to;
        if (to - from >= 5) return true;
    }
    return false;
}

inline bool isHeader(const QString& line)
{
    return hasFiveDashes(line) && indexOfWord(line, QLatin1StringView("MEAL-MASTER")) >= 0;
}

inline bool isBlank(QStringView s)
{
    for (const QChar c : s)
        if (c != u' ') return false;
    return true;
}

// Whether the line is the word with blanks anywhere in it ("= 20 ").
bool blanksAround(QStringView line, QStringView word);

inline bool startsWithMarker(QStringView line)
{
    // Asked of every line: most begin with neither mark.
    if (line.size() < 5 || (line.front() != u'-' && line.front() != u'M')) return false;
    return line.startsWith(u"-----") || line.startsWith(u"MMMMM");
}

// The line that ends a recipe: once trimmed, five or more characters, each "-" or "M"
// ("MMMMM", "-----", a rule of dashes, "MMMMM-----").
inline bool isEndLine(QStringView line)
{
    const QStringView t = line.trimmed();
    if (t.size() < 5) return false;
    for (const QChar c : t)
        if (c != u'-' && c != u'M') return false;
    return true;
}

// The closing line a recipe's header promises, by the header's first marks: "MMMMM" or
// "-----"; none for another header.
QString closingLineOf(QStringView header);

// A header of dashes in the old layout ("------------- Recipe Extracted from Meal-Master
// (tm) v6.14 ---"): its recipes close with a long rule, never with "-----".
bool namesOldLayout(QStringView header);

// The old layout's closing line: a rule of dashes alone, longer than half a line. Shorter
// rules ("-----", "----------") divide its recipes.
bool isLongRule(QStringView trimmed);

bool hasLetter(QStringView line);

// In a preparation a line indented by three blanks is text of its own (the export writes
// a stored line that looks like a marker that way), so only a line starting further
// left ends it.
inline bool endsPreparation(QStringView line)
{
    return !line.startsWith(u"   ") && isEndLine(line);
}

// A heading inside a recipe: a line that begins with "-----" or "MMMMM" and holds a text
// after its leading marks, cut before a closing run of dashes; a header naming
// Meal-Master is none. Any length: short rules ("-----FOR THE SAUCE-----") are headings
// as much as the long centred ones.
std::optional<QString> sectionHeading(const QString& line);

inline bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

inline bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// A unit code of the Meal-Master columns: one or two letters, written from the left.
bool isUnitCode(QStringView two);

// An amount that runs from one number to another: "1-2", "1/2-1", "1-1 1/2", "8-10".
bool isRange(QStringView field);

bool amountOrRange(QStringView field);

bool digitsAndSlashes(QStringView word);

// A line of two ingredient columns as Meal-Master writes it: the right column is the
// left one moved by 41 columns (amount ending in 48, unit in 50-51, text from 53).
bool isTwoColumn(const QString& line);

// The leading number of a text with "." as the decimal point; 0 when it begins with none.
double leadingNumber(QStringView s);

QString upperCase(const QString& text);

// A line of keywords only, as the export writes it after the preparation.
bool keywordLine(QStringView line);

// A line that goes on with the ingredient above: nothing but blanks before the "-" in
// column 12. An amount of one or two digits, or a unit alone, leaves the first five
// columns blank too; such a line ("     12    -Eier") is an ingredient of its own.
inline bool continuationOf(QStringView part)
{
    return part.size() > 11 && part.at(11) == u'-' && isBlank(part.left(11));
}

}  // namespace kv::exchange::mmlines
