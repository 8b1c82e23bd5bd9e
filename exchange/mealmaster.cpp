#include "exchange/mealmaster.h"

#include "core/mainmod.h"
#include "exchange/lookups.h"
#include "exchange/mealmasterlines.h"
#include "platform/textreplace/leftchars.h"

#include <QBuffer>

#include <cmath>
#include <limits>

namespace kv::exchange {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
constexpr qsizetype kUsualRecipeChars = 2048;

}  // namespace

using namespace mmlines;

struct TextLineSource::Data {
    QByteArray bytes;
    QBuffer buffer;
    std::optional<text::LineReader> reader;
};

TextLineSource::TextLineSource(const QByteArray& bytes, text::Encoding encoding) : d(std::make_unique<Data>())
{
    d->bytes = bytes;
    d->buffer.setBuffer(&d->bytes);
    d->buffer.open(QIODevice::ReadOnly);
    d->reader.emplace(d->buffer, encoding, kMaxLineBytes);
}

TextLineSource::~TextLineSource() = default;

bool TextLineSource::next(text::TextLine& line)
{
    return d->reader->next(line);
}

MealMasterReader::MealMasterReader(LineSource& source, MmHost& host) : m_source(source), m_host(host) {}

// Whether a line is a recipe's header; a line is asked again and again as it is passed
// on, so the answer for the last one is kept.
bool MealMasterReader::header(const text::TextLine& line)
{
    if (line.number != m_headerLine || line.number == 0) {
        m_headerLine = line.number;
        m_isHeader = isHeader(line.text);
    }
    return m_isHeader;
}

// `again` tells whether the line was read before and put back.
bool MealMasterReader::read(text::TextLine& line, bool* again)
{
    if (!m_ahead.empty()) {
        line = std::move(m_ahead.front().line);
        if (again) *again = m_ahead.front().inRecipe;
        m_ahead.pop_front();
        return true;
    }
    if (again) *again = false;
    if (m_atEnd || !m_source.next(line)) {
        m_atEnd = true;
        return false;
    }
    m_lastLine = line.number;
    return true;
}

// The line is read again next; inRecipe: it was counted and kept as the recipe's already.
void MealMasterReader::pushBack(text::TextLine line, bool inRecipe)
{
    m_ahead.push_front({std::move(line), inRecipe});
}

// A line of the recipe: kept in its raw text; a line too long, or one more than a recipe
// may have, puts the recipe over the limits.
bool MealMasterReader::readInRecipe(text::TextLine& line)
{
    bool again = false;
    if (!read(line, &again)) return false;
    // A recipe ends with its newsgroup article as with its file; the end stays to be seen
    // by whatever reads next.
    if (line.articleEnd) {
        pushBack(line, false);
        return false;
    }
    if (again || header(line)) return true;
    ++m_recipeLines;
    if (line.cut) {
        cutOff(QStringLiteral("Zeile %1 ist zu lang.").arg(line.number), line.number);
        m_overLimit = true;
    } else if (m_recipeLines > kMaxRecipeLines || m_recipe.rawText.size() + line.text.size() > kMaxRecipeChars) {
        cutOff(QStringLiteral("Das Rezept ist zu lang (Zeile %1).").arg(line.number), line.number);
        m_overLimit = true;
    } else {
        m_recipe.rawText.append(line.text).append(kCrLf);
    }
    return true;
}

// A line of the recipe's head (categories, servings). False when the recipe was cut off
// there: by the file's end, the limits, or the next recipe's header.
bool MealMasterReader::readHeadLine(text::TextLine& line)
{
    if (!readInRecipe(line)) {
        cutOff(QStringLiteral("Die Datei endet mitten im Rezept (Zeile %1).").arg(m_lastLine), m_lastLine);
        return false;
    }
    if (m_overLimit) return false;
    if (header(line)) {
        pushBack(line, false);
        cutOff(QStringLiteral("Ein neues Rezept beginnt, bevor dieses vollständig ist (Zeile %1).").arg(line.number),
               line.number);
        return false;
    }
    return true;
}

void MealMasterReader::error(const QString& description, qint64 line)
{
    m_recipe.errors.push_back({m_step, description, line, m_recipe.rawText.size()});
}

void MealMasterReader::cutOff(const QString& description, qint64 line)
{
    error(description, line);
    m_recipe.complete = false;
}

// Reads on to the next recipe's header, which is in `line` when it returns true. False at
// the file's end, or with the lines passed over in `skipped` when they are not to pass
// without a word; the line that ended them is read again next.
bool MealMasterReader::toHeader(text::TextLine& line, std::optional<MmRecipe>& skipped)
{
    for (;;) {
        const bool more = read(line);
        if (more && !line.articleEnd && !header(line)) {
            Stretch& s = m_stretch;
            if (s.first == 0) s.first = line.number;
            s.last = line.number;
            if (s.quiet) continue;
            if (!s.closing.isEmpty() && s.words && !s.title && QStringView(line.text).trimmed() == s.closing) {
                s.closedLast = line.number - 1;
                s.closedRaw = s.raw;
            }
            if (s.raw.size() + line.text.size() <= kMaxRecipeChars) s.raw.append(line.text).append(kCrLf);
            // "MMMMM" is a line's end, not a word.
            if (!s.words) s.words = hasLetter(line.text) && !isEndLine(line.text);
            if (!s.title) s.title = indexOfWord(line.text, QLatin1StringView("TITLE:")) >= 0;
            continue;
        }
        if (m_stretch.first > 0 && m_stretch.named()) {
            skipped = stretchError();
            if (more) pushBack(line, false);
            m_stretch = Stretch();
            return false;
        }
        m_stretch = Stretch();
        if (!more) return false;
        if (!line.articleEnd) return true;
    }
}

MmRecipe MealMasterReader::stretchError()
{
    MmRecipe skipped;
    skipped.skipped = true;
    skipped.title = m_stretch.before;
    skipped.rname = m_stretch.before;
    // Text closed again by the recipe's closing line is named up to there; what follows
    // that line lies between recipes.
    const bool closed = !m_stretch.title && !(m_stretch.afterRule && m_stretch.words);
    skipped.rawText = std::move(closed ? m_stretch.closedRaw : m_stretch.raw);
    const qint64 last = closed ? m_stretch.closedLast : m_stretch.last;
    const bool one = m_stretch.first == last;
    const QString lines = one ? QStringLiteral("Zeile %1").arg(m_stretch.first)
                              : QStringLiteral("Zeilen %1 bis %2").arg(m_stretch.first).arg(last);
    MmError error;
    error.line = m_stretch.first;
    error.rawLength = skipped.rawText.size();
    if (m_stretch.title) {
        error.step = QStringLiteral("Titel");
        error.description = one ? QStringLiteral("Die %1 enthält ein Rezept, dessen Kopfzeile nicht erkannt wurde, "
                                                 "und wurde nicht gelesen.").arg(lines)
                                : QStringLiteral("Die %1 enthalten ein Rezept, dessen Kopfzeile nicht erkannt wurde, "
                                                 "und wurden nicht gelesen.").arg(lines);
    } else {
        error.step = QStringLiteral("Rezeptende");
        error.description = one ? QStringLiteral("Die %1 steht hinter einer Linie, die das Rezept davor beendet hat, "
                                                 "und wurde nicht gelesen.").arg(lines)
                                : QStringLiteral("Die %1 stehen hinter einer Linie, die das Rezept davor beendet hat, "
                                                 "und wurden nicht gelesen.").arg(lines);
    }
    skipped.errors.push_back(std::move(error));
    return skipped;
}

// The recipe read is handed out; what follows it up to the next header is looked at as
// what it left.
MmRecipe MealMasterReader::finished()
{
    m_stretch = Stretch();
    m_stretch.quiet = !m_recipe.complete;
    m_stretch.afterRule = m_recipe.complete && m_endedAtRule;
    if (m_recipe.complete) m_stretch.closing = m_closedBy;
    m_stretch.before = m_recipe.title;
    return std::move(m_recipe);
}

std::optional<MmRecipe> MealMasterReader::next()
{
    text::TextLine line;
    for (;;) {
        if (m_host.cancelled()) return std::nullopt;
        // A header: passes over whatever stands between recipes, or names it.
        std::optional<MmRecipe> skipped;
        if (!toHeader(line, skipped)) return skipped;
        // The title; a second header before it starts the search again, and so does the
        // end of a newsgroup article.
        QString headerText = line.text;
        qsizetype at = -1;
        while (at < 0 && !line.articleEnd) {
            if (!read(line)) return std::nullopt;
            if (header(line)) headerText = line.text;
            else at = indexOfWord(line.text, QLatin1StringView("TITLE:"));
        }
        if (at < 0) continue;
        m_recipe = MmRecipe();
        m_oldLayout = namesOldLayout(headerText);
        m_closing = m_oldLayout ? QString() : closingLineOf(headerText);
        m_closedBy.clear();
        m_endedAtRule = false;
        m_closingAt = 0;
        m_part = MmPart();
        m_left.reset();
        m_right.reset();
        m_recipeLines = 1;
        m_overLimit = false;
        m_step = QStringLiteral("Titel");
        m_recipe.titleLine = line.number;
        if (line.cut) {
            cutOff(QStringLiteral("Zeile %1 ist zu lang.").arg(line.number), line.number);
            return finished();
        }
        // Room for a recipe of usual length, so that its lines are not copied over and
        // over as it grows.
        m_recipe.rawText.reserve(kUsualRecipeChars);
        m_recipe.rawText.append(line.text).append(kCrLf);
        m_recipe.title = line.text.mid(at + 6).trimmed();
        m_recipe.rname = m_host.repstr(m_recipe.title);
        m_recipe.titleRead = true;

        m_step = QStringLiteral("Kategorien");
        if (!readHeadLine(line)) return finished();
        const qsizetype colon = line.text.indexOf(u':');
        const QString categories = m_host.repstr(colon < 0 ? line.text : line.text.mid(colon + 1));
        appendItems(m_recipe.categories, categories);

        m_step = QStringLiteral("Servings");
        for (;;) {
            do {
                if (!readHeadLine(line)) return finished();
            } while (line.text.isEmpty());
            if (!tagsLine(line.text)) break;
        }
        servings(line.text, line.number);

        m_step = QStringLiteral("Zutaten");
        QString firstPreparationLine;
        if (!readIngredients(line, firstPreparationLine)) return finished();
        m_recipe.complete = true;
        m_step = QStringLiteral("Zubereitung");
        if (!firstPreparationLine.isNull()) readPreparation(firstPreparationLine);
        if (m_overLimit) m_recipe.complete = false;
        m_recipe.zubereitung = m_host.repstr(m_recipe.zubereitung).trimmed();
        for (QString& keyword : m_recipe.keywords) keyword = m_host.repstr(keyword);
        return finished();
    }
}

// At an end line: whether the recipe ends here, or the line divides it.
bool MealMasterReader::endsHere(const text::TextLine& line)
{
    const QStringView trimmed = QStringView(line.text).trimmed();
    if (closes(trimmed)) {
        m_closedBy = trimmed.toString();
        return true;
    }
    switch (closingLineAhead()) {
    case AheadOfRule::Divider:
        return false;
    case AheadOfRule::Closing: {
        // A rule drawn above the closing line: the two end the recipe together.
        text::TextLine next;
        while (readInRecipe(next) && !m_overLimit) {
            const QStringView ahead = QStringView(next.text).trimmed();
            if (!closes(ahead)) continue;
            m_closedBy = ahead.toString();
            break;
        }
        return true;
    }
    case AheadOfRule::Nothing:
        break;
    }
    // An old-layout recipe cut before its long rule ends at any rule of dashes, and what
    // follows passes as text between recipes (posting lines, signatures); every other
    // recipe names the text after a rule that is not its own closing line.
    m_endedAtRule = !m_oldLayout || trimmed.contains(u'M');
    return true;
}

// Whether a line, trimmed, is the recipe's own closing line.
bool MealMasterReader::closes(QStringView trimmed) const
{
    if (m_oldLayout) return isLongRule(trimmed);
    return !m_closing.isEmpty() && trimmed == m_closing;
}

// Whether the recipe's own closing line follows the end line just read, before the next
// header, the file's or the article's end, and within the recipe's limits; and whether a
// line of text stands between. No line between may hold "Title:": a recipe whose header
// was not recognised is never joined to this one. The lines looked at are read again.
MealMasterReader::AheadOfRule MealMasterReader::closingLineAhead()
{
    if (m_closing.isEmpty() && !m_oldLayout) return AheadOfRule::Nothing;
    std::vector<Ahead> seen;
    qint64 lines = m_recipeLines;
    qsizetype chars = m_recipe.rawText.size();
    bool text = false;
    AheadOfRule found = AheadOfRule::Nothing;
    Ahead ahead;
    while (read(ahead.line, &ahead.inRecipe)) {
        seen.push_back(ahead);
        const text::TextLine& line = seen.back().line;
        if (line.articleEnd || line.cut || header(line)) break;
        if (!seen.back().inRecipe) {
            if (++lines > kMaxRecipeLines || chars + line.text.size() > kMaxRecipeChars) break;
            chars += line.text.size() + kCrLf.size();
        }
        if (closes(QStringView(line.text).trimmed())) {
            found = text ? AheadOfRule::Divider : AheadOfRule::Closing;
            if (text) m_closingAt = line.number;
            break;
        }
        if (indexOfWord(line.text, QLatin1StringView("TITLE:")) >= 0) break;
        if (!isBlank(line.text) && !isEndLine(line.text)) text = true;
        // An earlier divider found the closing line with no "Title:" up to it: the rest
        // of the way is known.
        if (text && line.number < m_closingAt) {
            found = AheadOfRule::Divider;
            break;
        }
    }
    for (auto it = seen.rbegin(); it != seen.rend(); ++it) pushBack(std::move(it->line), it->inRecipe);
    return found;
}

// A line where the servings are looked for that lists keywords instead, as other programs
// write them between the categories and the servings: its items become the recipe's.
bool MealMasterReader::tagsLine(const QString& line)
{
    const QStringView text = QStringView(line).trimmed();
    for (const QLatin1StringView word : {QLatin1StringView("Tags:"), QLatin1StringView("Keywords:"),
                                          QLatin1StringView("Stichworte:")}) {
        if (!text.startsWith(word, Qt::CaseInsensitive)) continue;
        appendItems(m_recipe.keywords, text.mid(word.size()));
        return true;
    }
    return false;
}

void MealMasterReader::servings(const QString& line, qint64 number)
{
    qsizetype first = 0;
    while (first < line.size() && !isDigit(line.at(first))) ++first;
    qsizetype end = first;
    while (end < line.size() && isDigit(line.at(end))) ++end;
    const QStringView digits = QStringView(line).mid(first, end - first);
    // A line without a number counts as 0: four servings, not known exactly.
    qint64 value = 0;
    bool overflow = false;
    if (!digits.isEmpty()) {
        bool ok = false;
        value = digits.toLongLong(&ok);
        overflow = !ok || value > std::numeric_limits<qint16>::max();
    }
    if (line.contains(QLatin1String("keine Anga")) || (!overflow && value == 0)) {
        m_recipe.port = 4;
        m_recipe.ungenau = true;
    } else if (overflow) {
        // The column refuses the number; the servings stay empty.
        error(QStringLiteral("Überlauf (Zeile %1)").arg(number), number);
    } else {
        m_recipe.port = qint16(value);
    }
}

// Reads the ingredient list up to its end. False when the recipe was cut off (the file
// ended inside it, or it went over the limits). Otherwise the preparation's first line is
// in firstPreparationLine, or it is null when the list ended with the recipe.
bool MealMasterReader::readIngredients(text::TextLine& line, QString& firstPreparationLine)
{
    for (;;) {
        if (!readInRecipe(line)) {
            closePart();
            cutOff(QStringLiteral("Die Datei endet in der Zutatenliste (Zeile %1).").arg(m_lastLine), m_lastLine);
            return false;
        }
        if (m_overLimit) return false;
        const QString& text = line.text;
        if (isBlank(text) || blanksAround(text, u"=20")) {
            m_left.open = m_right.open = false;
            continue;
        }
        // A header in the list ends this recipe (its list has ended) and starts the next.
        if (header(line)) {
            pushBack(line, false);
            break;
        }
        if (isEndLine(text)) {
            if (endsHere(line)) break;
            // A divider in the list carries no text.
            m_left.open = m_right.open = false;
            continue;
        }
        if (const std::optional<QString> heading = sectionHeading(text)) {
            sectionLine(*heading, line.number);
            continue;
        }
        if (!ingredientLine(line, firstPreparationLine)) break;
    }
    closePart();
    return true;
}

// False when the line is no ingredient line but the preparation's first line.
bool MealMasterReader::ingredientLine(const text::TextLine& line, QString& firstPreparationLine)
{
    const QString& text = line.text;
    if (isTwoColumn(text)) {
        const Parsed left = parse(text.left(39), m_left);
        if (left.kind != Classified::Preparation) {
            apply(m_left, false, left, line.number);
            apply(m_right, true, parse(text.mid(41), m_right), line.number);
            return true;
        }
    } else if (!startsPreparation(text)) {
        const Parsed parsed = parse(text, m_left);
        if (parsed.kind != Classified::Preparation) {
            apply(m_left, false, parsed, line.number);
            m_right.open = false;
            return true;
        }
    }
    firstPreparationLine = text.trimmed();
    return false;
}

// A line of one word outside the ingredient column that begins the preparation: a
// sentence ("Backen.", "Fertig!"), or a title ending in ":" that stands above text
// ("Zubereitung:"). Above an ingredient with an amount ("Teig:" above "200 g Mehl") it
// names a part of the list and stays there.
bool MealMasterReader::startsPreparation(const QString& text)
{
    qsizetype p = 0;
    while (p < text.size() && text.at(p) == u' ') ++p;
    if (p == 11) return false;
    const QStringView word = QStringView(text).mid(p).trimmed();
    if (word.isEmpty() || word.contains(u' ')) return false;
    if (word.endsWith(u'.') || word.endsWith(u'!')) return true;
    return word.endsWith(u':') && !amountLineFollows();
}

// Whether the next line that is not empty is an ingredient with an amount; the lines
// looked at are read again afterwards.
bool MealMasterReader::amountLineFollows()
{
    std::vector<std::pair<text::TextLine, bool>> seen;
    bool amount = false;
    text::TextLine line;
    while (readInRecipe(line)) {
        const bool isHead = header(line);
        seen.emplace_back(line, !isHead);
        if (m_overLimit || isHead) break;
        if (isBlank(line.text)) continue;
        if (isEndLine(line.text) || sectionHeading(line.text)) break;
        MmItem item;
        QStringList problems;
        amount = classify(isTwoColumn(line.text) ? line.text.left(39) : line.text, item, problems) ==
                     Classified::Item &&
                 item.menge.has_value();
        break;
    }
    for (auto it = seen.rbegin(); it != seen.rend(); ++it) pushBack(std::move(it->first), it->second);
    return amount;
}

MealMasterReader::Parsed MealMasterReader::parse(const QString& part, const Column& column)
{
    Parsed parsed;
    parsed.part = part;
    if (isBlank(part)) parsed.kind = Classified::Blank;
    else if (continuationOf(part) && column.open && !column.items.empty()) parsed.kind = Classified::Continuation;
    else parsed.kind = classify(part, parsed.item, parsed.problems);
    return parsed;
}

void MealMasterReader::apply(Column& column, bool right, const Parsed& parsed, qint64 number)
{
    switch (parsed.kind) {
    case Classified::Blank:
        column.open = false;
        return;
    case Classified::Continuation:
        column.items.back().text += u' ' + parsed.part.mid(12).trimmed();
        return;
    case Classified::Item:
    case Classified::Preparation:
        break;
    }
    // At the top of the right column a continuation belongs to the left column's last
    // line, which Meal-Master wrapped over into the right column.
    if (right && column.items.empty() && continuationOf(parsed.part)) {
        column.lead << parsed.part.mid(12).trimmed();
        return;
    }
    MmItem item = parsed.item;
    if (parsed.kind == Classified::Preparation) {
        // The right column of a two-column line holds an ingredient in any case.
        item = MmItem();
        item.text = parsed.part.trimmed();
    }
    if (item.menge) m_step = QStringLiteral("Quantity");
    for (const QString& problem : parsed.problems) error(problem.arg(number), number);
    item.line = number;
    column.items.push_back(std::move(item));
    column.open = true;
}

// One ingredient (a line, or one column of a two-column line) in the columns of the left
// one: amount ending in column 7, unit in 9-10, text from 12. Problems of the amount are
// given back with "%1" for the line.
MealMasterReader::Classified MealMasterReader::classify(QString s, MmItem& item, QStringList& problems)
{
    qsizetype p = 0;
    while (p < s.size() && s.at(p) == u' ') ++p;
    if (p == s.size()) return Classified::Blank;
    qsizetype q = s.indexOf(u' ', p);

    // No amount: the text starts in the ingredient column, or the line is one word.
    if (q < 0 || p == 11) {
        item.text = QStringView(s).mid(p).trimmed().toString();
        return Classified::Item;
    }
    // A unit code after an empty amount field.
    if (p == 8 && isUnitCode(QStringView(s).mid(8, 2)) && s.size() > 11 && s.at(10) == u' ' && s.at(11) != u' ') {
        item.unit = QStringView(s).mid(8, 2).trimmed().toString();
        item.text = QStringView(s).mid(11).trimmed().toString();
        return Classified::Item;
    }
    // A range filling the amount field: no amount, the range before the text.
    if (s.size() >= 7 && s.at(6) != u' ' && (s.size() == 7 || s.at(7) == u' ')) {
        const QStringView field = QStringView(s).left(7).trimmed();
        if (isRange(field)) {
            QString rest;
            if (s.size() > 8 && isUnitCode(QStringView(s).mid(8, 2)) && (s.size() <= 10 || s.at(10) == u' ')) {
                item.unit = QStringView(s).mid(8, 2).trimmed().toString();
                rest = QStringView(s).mid(10).trimmed().toString();
            } else {
                rest = QStringView(s).mid(7).trimmed().toString();
            }
            item.text = rest.isEmpty() ? field.toString() : field.toString() + u' ' + rest;
            return Classified::Item;
        }
    }

    // A decimal comma is read as a point.
    bool other = false;
    bool comma = false;
    for (qsizetype i = p; i < q; ++i) {
        const QChar c = s.at(i);
        if (c == u',') comma = true;
        else if (!isDigit(c) && c != u'/' && c != u'.') other = true;
    }
    if (comma)
        for (qsizetype i = p; i < q; ++i)
            if (s.at(i) == u',') s[i] = u'.';
    // A word that is no number, or a numbered step ("1."), starts the preparation.
    if (other || (q >= 2 && QStringView(s).mid(q - 2, 2) == u"1.")) return Classified::Preparation;

    double amount = 0.0;
    for (;;) {
        amount += amountOf(QStringView(s).mid(p, q - p).trimmed(), problems);
        const qsizetype r = q + 1 < s.size() ? s.indexOf(u' ', q + 1) : -1;
        if (r < 0) {
            // The line's last word: another amount, a unit or the ingredient. No line is
            // dropped.
            const QStringView last = QStringView(s).mid(q + 1).trimmed();
            if (digitsAndSlashes(last)) amount += amountOf(last, problems);
            else if (last.size() <= 2 && !last.isEmpty()) item.unit = last.toString();
            else item.text = last.toString();
            break;
        }
        const QStringView word = QStringView(s).mid(q + 1, r - q).trimmed();
        if (digitsAndSlashes(word)) {
            p = q + 1;
            q = r;
            continue;
        }
        if (word.size() > 2) {
            item.text = QStringView(s).mid(q + 1).trimmed().toString();
        } else {
            if (!word.isEmpty()) item.unit = word.toString();
            item.text = QStringView(s).mid(r + 1).trimmed().toString();
        }
        break;
    }
    item.menge = amount;
    return Classified::Item;
}

// One amount word: "1", "0.5", "1/2"; a division by 0 adds nothing and is reported.
double MealMasterReader::amountOf(QStringView word, QStringList& problems)
{
    const qsizetype slash = word.indexOf(u'/');
    double value = 0.0;
    if (slash < 0 || slash >= word.size() - 1) {
        value = leadingNumber(word);
    } else {
        const double divisor = leadingNumber(word.mid(slash + 1));
        if (divisor == 0.0) {
            problems << QStringLiteral("Division durch Null (Zeile %1)");
            return 0.0;
        }
        value = leadingNumber(word.left(slash)) / divisor;
    }
    if (!std::isfinite(value)) {
        problems << QStringLiteral("Überlauf (Zeile %1)");
        return 0.0;
    }
    return value;
}

void MealMasterReader::sectionLine(const QString& text, qint64 number)
{
    const QString heading = m_host.repstr(text);
    m_left.open = m_right.open = false;

    // With servings that were not given, a heading "für 4 Personen" gives them.
    if (m_recipe.ungenau) {
        qsizetype word = heading.indexOf(QLatin1String("PERSON"), 0, Qt::CaseInsensitive);
        if (word < 0) word = heading.indexOf(QLatin1String("PORTION"), 0, Qt::CaseInsensitive);
        qsizetype end = word - 1;
        while (end >= 0 && !isDigit(heading.at(end))) --end;
        if (word >= 0 && end >= 0) {
            qsizetype start = end;
            while (start > 0 && isDigit(heading.at(start - 1))) --start;
            bool ok = false;
            const qint64 value = QStringView(heading).mid(start, end - start + 1).toLongLong(&ok);
            if (ok && value <= std::numeric_limits<qint16>::max()) {
                m_recipe.port = qint16(value);
                m_recipe.ungenau = false;
            } else {
                error(QStringLiteral("Überlauf (Zeile %1)").arg(number), number);
            }
            return;
        }
    }
    closePart();
    m_part.heading = leftChars(upperCase(heading), kZutatWidth);
    m_part.headingLine = number;
}

// The part read so far goes into the recipe: its left column, then its right.
void MealMasterReader::closePart()
{
    if (!m_right.lead.isEmpty()) {
        const QString lead = m_right.lead.join(u' ');
        if (m_left.items.empty()) m_left.items.push_back(MmItem{std::nullopt, std::nullopt, lead, 0});
        else m_left.items.back().text += u' ' + lead;
    }
    m_part.items.reserve(m_part.items.size() + m_left.items.size() + m_right.items.size());
    for (Column* column : {&m_left, &m_right})
        for (MmItem& item : column->items) {
            if (item.text.startsWith(u';')) item.text.remove(0, 1);
            item.text = leftChars(m_host.repstr(item.text.trimmed()), kZutatWidth);
            if (item.unit) item.unit = item.unit->isEmpty() ? std::nullopt : std::optional(m_host.repstr(*item.unit));
            m_part.items.push_back(std::move(item));
        }
    // Lines before the first section make part 1, even when there are none.
    if (m_part.heading || !m_part.items.empty() || m_recipe.parts.empty()) m_recipe.parts.push_back(std::move(m_part));
    m_part = MmPart();
    m_left.reset();
    m_right.reset();
}

void MealMasterReader::readPreparation(const QString& firstLine)
{
    QString& text = m_recipe.zubereitung;
    // The first line is looked at for keywords only when it is a keyword line: a recipe
    // without preparation has the writer's "Stichworte:" line there.
    text = keywordLine(firstLine) ? examineKeywords(firstLine).value_or(QString()).trimmed() : firstLine;
    if (text.startsWith(u':')) text = text.mid(1).trimmed();
    text.reserve(kUsualRecipeChars);
    // A line of its own: after a break, or at the start.
    const auto onItsOwn = [&text](const QString& line) {
        if (!text.isEmpty() && !text.endsWith(u'\n')) text += kCrLf;
        text += line;
    };
    text::TextLine line;
    while (readInRecipe(line)) {
        if (m_overLimit) return;
        // The next recipe's header ends this one and is read again as that recipe's.
        if (header(line)) {
            pushBack(line, false);
            return;
        }
        if (endsPreparation(line.text)) {
            if (endsHere(line)) return;
            onItsOwn(line.text.trimmed());
            text += kCrLf;
            continue;
        }
        // A heading in the preparation stays, as a line of its own, and reading goes on.
        if (const std::optional<QString> heading = sectionHeading(line.text)) {
            onItsOwn(*heading);
            text += kCrLf;
            continue;
        }
        const std::optional<QString> joined = examineKeywords(line.text);
        if (!joined) continue;
        const QString trimmed = joined->trimmed();
        // A colon first is a break forced by the writer.
        if (trimmed.startsWith(u':')) {
            onItsOwn(trimmed.mid(1).trimmed());
        } else if (trimmed.isEmpty() || joined->startsWith(QLatin1String("   "))) {
            text += kCrLf;
            text += trimmed;
        } else {
            if (!text.endsWith(u'\n')) text += u' ';
            text += trimmed;
        }
    }
}

// "Stichworte: Kuchen, Backen" in the preparation gives keywords. A line that begins
// with "Stichworte:" is dropped from the text (nothing is returned), so that a recipe
// exported and read again does not gain one such line each time; any other line stays.
// A list ended by "*" gives none: the text after the "*" is looked at again.
std::optional<QString> MealMasterReader::examineKeywords(QString line)
{
    for (;;) {
        const qsizetype s = indexOfWord(line, QLatin1StringView("STICHWORT"));
        if (s < 0) return line;
        qsizetype c = line.indexOf(u':', s);
        if (c < 0) c = s + 11;
        const qsizetype star = line.indexOf(u'*', c);
        if (star < 0) {
            appendItems(m_recipe.keywords, QStringView(line).mid(c + 1));
            if (keywordLine(line)) return std::nullopt;
            return line;
        }
        line = line.mid(star + 1);
    }
}

}  // namespace kv::exchange
