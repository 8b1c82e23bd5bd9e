#pragma once
// Margins (centimetres) and font sizes (points) are numbers kept as text in the settings.
// They are written with a decimal comma, but files carried over from other machines and
// values typed by hand hold points as well, so reading accepts either, whatever the
// locale of the machine says.

#include <QString>

#include <optional>

namespace kv {

// The number the text begins with: blanks before it are skipped, a sign, digits, one
// decimal separator ("," or "."), digits and an exponent ("E-3") are read; what follows is
// ignored. A text that does not begin with a number gives 0, as does an empty text.
double readPrintNumber(const QString& text);
// The number as the settings keep it: "2", "0,4233333333333" (a decimal comma, fifteen
// significant digits, no grouping, no exponent for the values margins and sizes take).
QString writePrintNumber(double value);

// The number when the whole text is one: digits with at most one decimal separator ("," or
// "."), at least one digit, nothing else. "1,5", "2", ",5" and "1.5" are numbers; "", ",",
// "1,2,3", "2,5x" and "-1" are not.
std::optional<double> exactPrintNumber(const QString& text);
// A margin as typed into the settings window, as it is stored: the text up to its first
// blank (so "1,5 cm" is 1,5), its first point made a comma. Nothing when that is neither
// empty nor a number; an empty entry is stored empty.
std::optional<QString> marginEntry(const QString& typed);
// A stored margin or size as the settings window shows it: a number with a decimal comma,
// anything else as it is stored.
QString shownPrintNumber(const QString& stored);

// A print position or size in whole pixels, rounded as a 32-bit integer takes a number: a
// half to the even neighbour. Throws std::range_error ("Überlauf") when it does not fit.
int whole(double value);

}  // namespace kv
