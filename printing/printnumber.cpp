#include "printing/printnumber.h"

#include <cmath>
#include <limits>
#include <stdexcept>

namespace kv {

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

}  // namespace

double readPrintNumber(const QString& text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text.at(i) == u' ' || text.at(i) == u'\t'))
        ++i;
    QString digits;
    if (i < n && (text.at(i) == u'+' || text.at(i) == u'-'))
        digits += text.at(i++);
    bool any = false;
    while (i < n && isDigit(text.at(i))) {
        digits += text.at(i++);
        any = true;
    }
    if (i < n && (text.at(i) == u',' || text.at(i) == u'.')) {
        ++i;
        digits += u'.';
        while (i < n && isDigit(text.at(i))) {
            digits += text.at(i++);
            any = true;
        }
    }
    if (!any)
        return 0.0;
    // An exponent counts only when digits follow it; "2e" is 2.
    if (i < n && (text.at(i) == u'e' || text.at(i) == u'E')) {
        qsizetype j = i + 1;
        QString exponent = QStringLiteral("e");
        if (j < n && (text.at(j) == u'+' || text.at(j) == u'-'))
            exponent += text.at(j++);
        const qsizetype first = j;
        while (j < n && isDigit(text.at(j)))
            exponent += text.at(j++);
        if (j > first)
            digits += exponent;
    }
    bool ok = false;
    const double value = digits.toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

QString writePrintNumber(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    // Fifteen digits give back the same pixels when read again, and never the binary
    // noise of a seventeenth digit.
    QString text = QString::number(value, 'g', 15);
    if (text.contains(u'e')) {
        text = QString::number(value, 'f', 15);
        while (text.contains(u'.') && (text.endsWith(u'0') || text.endsWith(u'.')))
            text.chop(1);
    }
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    text.replace(u'.', u',');
    return text;
}

std::optional<double> exactPrintNumber(const QString& text)
{
    int digits = 0;
    int separators = 0;
    for (const QChar c : text) {
        if (isDigit(c))
            ++digits;
        else if (c == u',' || c == u'.')
            ++separators;
        else
            return std::nullopt;
    }
    if (digits == 0 || separators > 1)
        return std::nullopt;
    return readPrintNumber(text);
}

std::optional<QString> marginEntry(const QString& typed)
{
    QString entry = typed.left(typed.indexOf(u' '));
    const qsizetype point = entry.indexOf(u'.');
    if (point >= 0)
        entry[point] = u',';
    if (!entry.isEmpty() && !exactPrintNumber(entry))
        return std::nullopt;
    return entry;
}

QString shownPrintNumber(const QString& stored)
{
    const std::optional<double> number = exactPrintNumber(stored);
    return number ? writePrintNumber(*number) : stored;
}

int whole(double value)
{
    if (!std::isfinite(value))
        throw std::range_error("Überlauf");
    // std::nearbyint in the default rounding mode: halves to the even neighbour.
    const double r = std::nearbyint(value);
    if (r < std::numeric_limits<int>::min() || r > std::numeric_limits<int>::max())
        throw std::range_error("Überlauf");
    return static_cast<int>(r);
}

}  // namespace kv
