#pragma once
// Amounts as a cook reads them: a whole part and sixteenths or thirds ("1 1/2",
// "3/4", "2 1/3"), a decimal cut to two places where no such fraction fits, and a
// whole number above 50.

#include <QString>

#include <optional>

namespace kv {

// Amounts in this unit are never scaled to the servings wanted.
inline constexpr int kUnscaledUnit = 115;

// What `bruchmenge` gives: nothing, a fraction text, or a number (whole, or a
// decimal with at most two places) that the caller writes in the user's locale.
struct DisplayAmount {
    enum Kind { Empty, Text, Number };
    Kind kind = Empty;
    QString text;
    double number = 0.0;

    // Numbers with the locale's decimal separator and no digit grouping ("0,29",
    // "1234"); Empty gives "".
    QString toText() const;
    bool isEmpty() const { return kind == Empty; }
    bool operator==(const DisplayAmount&) const = default;
};

// A stored amount as text; Null gives "".
QString bruch(std::optional<double> amount);
// The amount scaled from the recipe's servings to the servings wanted (never for
// kUnscaledUnit), in single precision as the layout and the export expect. Recipe
// servings of 0 give Empty; a Null amount gives the text "".
DisplayAmount bruchmenge(std::optional<double> amount, int recipeServings, double servingsWanted,
                         std::optional<qint64> unitId);

}  // namespace kv
