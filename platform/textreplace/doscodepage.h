#pragma once
// The DOS code pages of German Meal-Master files: 850 (Western Europe) and 437 (the
// first PC's). Both put ä, ö, ü, Ä, Ö, Ü and ß on the same bytes (ä is 84 hex) and differ
// in accented capitals and signs.

#include <QByteArray>
#include <QString>

#include <optional>

namespace kv::text {

enum class DosCodePage { Cp850, Cp437 };

QString fromDos(const QByteArray& bytes, DosCodePage page);
// Nothing when the text holds a character the code page lacks.
std::optional<QByteArray> toDos(const QString& text, DosCodePage page);

// The character of one byte, for readers that decode byte by byte.
char16_t dosChar(unsigned char byte, DosCodePage page);

}  // namespace kv::text
