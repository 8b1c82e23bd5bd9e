#pragma once
// The list of umlaut exceptions, ExclList.txt in the program folder: words in which the
// import must not turn a letter pair into an umlaut. Windows-1252, CR LF; after a line
// "/////" each group has the pair ("ae", "Ae", ... "sz"), the umlaut, and one line per
// word with the pair's first occurrence written as "/" ("Isr/l" for Israel).

#include <QByteArray>
#include <QString>

#include <vector>

namespace kv::text {

// One word as the table `umlaute` holds it: the capital pairs stored with a leading "g"
// ("gAe"), the umlaut, the whole word.
struct ExclWord {
    QString alt;
    QString neu;
    QString alttext;
};

// Never fails: lines before the first "/////" are passed over, a group cut short ends
// the list, a word line without "/" is kept as the word it is, long words whole.
std::vector<ExclWord> readExclList(const QByteArray& file);
// The words in the order given (sorted by `alt`), one group per run of equal `alt`. A
// word that does not hold its pair is written as it is, so it reads back as itself.
// Characters the code page lacks become "?" (the editor refuses them).
QByteArray writeExclList(const std::vector<ExclWord>& words);

// The pair as the file writes it: "gAe" is written "Ae".
QString pairOf(const QString& alt);

// The file in the program folder, its name matched without regard to case; empty when
// there is none.
QString exclListPath();

}  // namespace kv::text
