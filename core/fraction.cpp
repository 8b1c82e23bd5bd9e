#include "core/fraction.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace kv {

namespace {

const QString kSixteenths[16] = {
    QString(),
    QStringLiteral("1/16"), QStringLiteral("1/8"), QStringLiteral("3/16"), QStringLiteral("1/4"),
    QStringLiteral("5/16"), QStringLiteral("3/8"), QStringLiteral("7/16"), QStringLiteral("1/2"),
    QStringLiteral("9/16"), QStringLiteral("5/8"), QStringLiteral("11/16"), QStringLiteral("3/4"),
    QStringLiteral("13/16"), QStringLiteral("7/8"), QStringLiteral("15/16"),
};
const QString kThirds[3] = {QString(), QStringLiteral("1/3"), QStringLiteral("2/3")};

DisplayAmount asText(const QString& text)
{
    return {DisplayAmount::Text, text, 0.0};
}

DisplayAmount asNumber(double number)
{
    return {DisplayAmount::Number, QString(), number == 0.0 ? 0.0 : number};
}

DisplayAmount asFraction(bool negative, int whole, const QString& part)
{
    if (!negative && whole == 0)
        return asText(part);
    QString text;
    text.reserve(12);
    if (negative)
        text += QLatin1Char('-');
    if (whole > 0) {
        text += QString::number(whole);
        text += QLatin1Char(' ');
    }
    text += part;
    return asText(text);
}

// Cut, not rounded, to two places - but of the decimal the value stands for: an
// amount arrives as a float or as a quotient, so 0.7 is 0.69999998 and 0.29 is
// 0.28999999, and a plain floor(v * 100) would give 0.69 and 0.28. Six significant
// digits recover every amount typed with up to six digits before the cut.
double cutToCents(double magnitude)
{
    static constexpr double kScale[] = {1e4, 1e5, 1e6, 1e7, 1e8};
    static constexpr long long kDivisor[] = {100, 1000, 10000, 100000, 1000000};
    int step;
    if (magnitude >= 10)
        step = 0;
    else if (magnitude >= 1)
        step = 1;
    else if (magnitude >= 0.1)
        step = 2;
    else if (magnitude >= 0.01)
        step = 3;
    else if (magnitude >= 0.001)
        step = 4;
    else
        return 0.0;
    const long long digits = std::llround(magnitude * kScale[step]);
    return double(digits / kDivisor[step]) / 100.0;
}

// Every test and every step on the value runs in its own precision: float for
// scaled amounts, double for stored ones.
template <typename Real>
DisplayAmount format(Real value)
{
    // The sign is set apart so that -1.5 reads "-1 1/2", not "-2 1/2".
    const bool negative = value < 0;
    const Real magnitude = negative ? -value : value;
    if (magnitude > 50) {
        const double whole = std::nearbyint(double(magnitude));
        return asNumber(negative ? -whole : whole);
    }
    const Real whole = std::floor(magnitude);
    if (magnitude != whole) {
        const Real sixteenths = magnitude * 16;
        if (sixteenths == std::floor(sixteenths))
            return asFraction(negative, int(whole), kSixteenths[int(sixteenths) - int(whole) * 16]);
        const float thirds = float(double(magnitude) * 3.0);
        if (thirds == std::floor(thirds)) {
            const int part = int(thirds) - int(whole) * 3;
            if (part == 1 || part == 2)
                return asFraction(negative, int(whole), kThirds[part]);
            // Within rounding of a whole number: no "0/3" or "3/3".
            const double near = double(int(thirds) / 3);
            return asNumber(negative ? -near : near);
        }
    }
    const double cut = cutToCents(double(magnitude));
    return asNumber(negative ? -cut : cut);
}

}  // namespace

QString DisplayAmount::toText() const
{
    switch (kind) {
    case Empty:
        return {};
    case Text:
        return text;
    case Number:
        break;
    }
    if (!std::isfinite(number))
        return {};
    if (number == std::floor(number)) {
        if (std::fabs(number) < 1e15)
            return QString::number(static_cast<qint64>(number));
        return QString::number(number, 'f', 0);
    }
    const qint64 cents = std::llround(std::fabs(number) * 100);
    const qint64 fraction = cents % 100;
    QString result;
    if (number < 0 && cents != 0)
        result += QLatin1Char('-');
    result += QString::number(cents / 100);
    if (fraction != 0) {
        result += QLocale().decimalPoint();
        result += QLatin1Char(char('0' + fraction / 10));
        if (fraction % 10 != 0)
            result += QLatin1Char(char('0' + fraction % 10));
    }
    return result;
}

QString bruch(std::optional<double> amount)
{
    if (!amount || !std::isfinite(*amount))
        return {};
    return format<double>(*amount).toText();
}

DisplayAmount bruchmenge(std::optional<double> amount, int recipeServings, double servingsWanted,
                         std::optional<qint64> unitId)
{
    if (recipeServings == 0)
        return {};
    if (!amount)
        return asText(QString());
    const double scaled =
        unitId == kUnscaledUnit ? *amount : *amount / recipeServings * servingsWanted;
    if (!std::isfinite(scaled))
        return asText(QString());
    // Beyond the float range the cast is undefined; such a value is whole anyway.
    if (std::fabs(scaled) > double(std::numeric_limits<float>::max()))
        return asNumber(std::nearbyint(scaled));
    return format<float>(static_cast<float>(scaled));
}

}  // namespace kv
