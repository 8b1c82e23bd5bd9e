#pragma once
// debug_log: the optional print log "c:\kelvor-printlog.txt" (in the home folder). The
// question is asked only where the setting `printlogging` is "1", which the program never
// writes itself; the answer holds for the rest of the run.

#include <QString>

#include <exception>

namespace kv {

// The name of the setting in the store.
inline const QString printlogSetting = QStringLiteral("printlogging");

// Asks "Soll ein Logfile ..." when `printlogging` is "1"; Yes starts the file afresh.
void initprintlog();
// Appends `text` and CR LF in UTF-8 while logging is on, opening and closing the file for
// each line. A file that cannot be written is reported once and logging goes off: the
// print itself must never stop for its trace.
void printlog(const QString& text);

// On after a Yes, off after a No; off at program start.
bool printlogon();
// Tests start each case from a fresh program run.
void setPrintlogon(bool on);

// Where the log lies on this machine.
QString printlogPath();

// A failure as the print log writes it: a database error with its number and text, an
// overflow of a position as number 6, anything else as 0 with its message.
struct PrintError {
    int number = 0;
    QString text;
};
PrintError printErrorOf(const std::exception& e);
// Logs `tag`, the number, " : " and the text of `e`.
void printlogError(const QString& tag, const std::exception& e);

}  // namespace kv
