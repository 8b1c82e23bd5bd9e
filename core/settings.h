#pragma once
// The program's settings: the store's procedures and every value with its default.

#include "platform/print/printlog.h"

#include <QList>
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
// Named by the print log, which reads it from the store itself.
inline const QString& printlogging = printlogSetting;
inline const QString printfont1name = QStringLiteral("printfont1name");
inline const QString printfont2name = QStringLiteral("printfont2name");
inline const QString printfont3name = QStringLiteral("printfont3name");
inline const QString printfont4name = QStringLiteral("printfont4name");
inline const QString printfont0size = QStringLiteral("printfont0size");
inline const QString printfont1size = QStringLiteral("printfont1size");
inline const QString printfont2size = QStringLiteral("printfont2size");
inline const QString printfont3size = QStringLiteral("printfont3size");
inline const QString printfont4size = QStringLiteral("printfont4size");
inline const QString printfont0bold = QStringLiteral("printfont0bold");
inline const QString printfont1bold = QStringLiteral("printfont1bold");
inline const QString printfont2bold = QStringLiteral("printfont2bold");
inline const QString printfont3bold = QStringLiteral("printfont3bold");
inline const QString printfont4bold = QStringLiteral("printfont4bold");
inline const QString printfont0italic = QStringLiteral("printfont0italic");
inline const QString printfont1italic = QStringLiteral("printfont1italic");
inline const QString printfont2italic = QStringLiteral("printfont2italic");
inline const QString printfont3italic = QStringLiteral("printfont3italic");
inline const QString printfont4italic = QStringLiteral("printfont4italic");
inline const QString printmarg0 = QStringLiteral("printmarg0");
inline const QString printmarg1 = QStringLiteral("printmarg1");
inline const QString printmarg2 = QStringLiteral("printmarg2");
inline const QString printmarg3 = QStringLiteral("printmarg3");

// The print values by font (0 page header, 1 recipe title, 2 ingredients and
// servings, 3 preparation, 4 page footer) and by margin (0 left, 1 right, 2 top, 3 bottom).
QString printfontname(int font);
QString printfontsize(int font);
QString printfontbold(int font);
QString printfontitalic(int font);
QString printmarg(int margin);

// What is written when a value is first set, and what a reader assumes when it is empty.
namespace defaults {
inline const QString HTMLstart = QStringLiteral(
    "<HTML>\r\n"
    "<HEAD>\r\n"
    "  <META NAME=\"GENERATOR\" CONTENT=\"Kelvor 2.0\">\r\n"
    "  <TITLE>Rezepte</TITLE>\r\n"
    "</HEAD>\r\n"
    "<BODY BGCOLOR=\"#ffffff\" LINK=\"#0000d9\" VLINK=\"#808080\">\r\n");
inline const QString HTMLstop = QStringLiteral("</BODY>\r\n</HTML>");
// As the program stores them; readers map them with kv::paths::localPath.
inline const QString exportpfad = QStringLiteral("c:\\");
inline const QString importpfad = QStringLiteral("c:\\");
// Where the import wizard and the directory dialog start when `importpfad` is
// shorter than 3 characters or names no existing folder.
inline const QString importStartFallback = QStringLiteral("C:\\");
inline const QString wizard = QStringLiteral("on");
inline const QString wizardOff = QStringLiteral("off");
inline const QString suchtreffer = QStringLiteral("50");
inline const QString zuletztgesucht = QStringLiteral("50");
inline const QString aenderrezept = QStringLiteral("off");
inline const QString bildmodeMaximized = QStringLiteral("vollbild");
inline const QString bildmodeNormal = QStringLiteral("normalbild");

inline const QString printspalten = QStringLiteral("2");
inline const QString printfontname = QStringLiteral("Arial Narrow");
inline const QString printfont0size = QStringLiteral("12");
inline const QString printfont1size = QStringLiteral("10");
inline const QString printfont2size = QStringLiteral("9");
inline const QString printfont3size = QStringLiteral("9");
inline const QString printfont4size = QStringLiteral("9");
inline const QString printfontbold = QStringLiteral("0");
inline const QString printfontitalic = QStringLiteral("0");
inline const QString printmarg = QStringLiteral("2");
inline const QString printtitleorder = QStringLiteral("LA");
inline const QString printfootorder = QStringLiteral("RSRG");
inline const QString printbooklet = QStringLiteral("0");
inline const QString printorient = QStringLiteral("hoch");
inline const QString printorientLandscape = QStringLiteral("quer");
}  // namespace defaults

struct Default {
    QString name;
    QString value;
};
// The first-start values in the order `setdefaults` writes them.
const QList<Default>& firststartdefaults();
// The 29 print values in the order `defaultprint` writes them; a print scheme
// saves and loads exactly these.
const QList<Default>& printdefaults();
}  // namespace reg

}  // namespace kv
