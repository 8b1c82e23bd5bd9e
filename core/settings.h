#pragma once
// The settings of the system: the store's procedures and every value with its default.

#include <QString>

namespace kv {

QString getreg(const QString& name);
// Returns false when the write failed (the store is not writable).
bool savereg(const QString& name, const QString& value);
// `loadeddir` followed by "kelvor"; callers append "-daten.mdb".
QString kochbuchprefix();
// First-start defaults, written only while `wizard` is empty.
void setdefaults();
// The 29 print defaults, written unconditionally.
void defaultprint();

namespace reg {
// Value names.
inline const QString loadeddir = QStringLiteral("loadeddir");
inline const QString importpfad = QStringLiteral("importpfad");
inline const QString exportpfad = QStringLiteral("exportpfad");
inline const QString HTMLstart = QStringLiteral("HTMLstart");
inline const QString HTMLstop = QStringLiteral("HTMLstop");
inline const QString wizard = QStringLiteral("wizard");
inline const QString suchtreffer = QStringLiteral("suchtreffer");
inline const QString zuletztgesucht = QStringLiteral("zuletztgesucht");
inline const QString aenderrezept = QStringLiteral("änderrezept");
inline const QString currentauswahl = QStringLiteral("currentauswahl");
inline const QString currentrez = QStringLiteral("currentrez");
inline const QString bildmode = QStringLiteral("bildmode");
inline const QString einheit_top = QStringLiteral("einheit_top");
inline const QString einheit_left = QStringLiteral("einheit_left");
inline const QString printspalten = QStringLiteral("printspalten");
inline const QString printfont0name = QStringLiteral("printfont0name");
inline const QString printtitleorder = QStringLiteral("printtitleorder");
inline const QString printfootorder = QStringLiteral("printfootorder");
inline const QString printbooklet = QStringLiteral("printbooklet");
inline const QString printorient = QStringLiteral("printorient");
inline const QString printtitleextra = QStringLiteral("printtitleextra");
inline const QString printfootextra = QStringLiteral("printfootextra");
inline const QString printbookletfirsttitle = QStringLiteral("printbookletfirsttitle");
inline const QString printlogging = QStringLiteral("printlogging");
}  // namespace reg

}  // namespace kv
