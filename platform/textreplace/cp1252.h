#pragma once
// Windows-1252, the code page of the files the old program wrote on a German system
// (the umlaut exceptions, Meal-Master files): ä is the byte E4.

#include <QByteArray>
#include <QString>

#include <optional>

namespace kv::text {

QString fromWindows1252(const QByteArray& bytes);
// Nothing when the text holds a character the code page lacks.
std::optional<QByteArray> toWindows1252(const QString& text);
bool fitsWindows1252(const QString& text);

}  // namespace kv::text
