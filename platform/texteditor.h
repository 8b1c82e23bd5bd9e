#pragma once
// Opening a file in the desktop's editor for text files: the application the desktop
// has chosen for "text/plain", started on its own without waiting for it.

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace kv::texteditor {

struct Command {
    QString program;
    QStringList arguments;
    friend bool operator==(const Command&, const Command&) = default;
};

// The command a desktop entry's Exec line gives for one file: quoted words kept whole,
// the file field codes (%f %F %u %U) replaced by the file as one argument, the others
// dropped; the file is added at the end when the line has no file code. Nothing for an
// empty line.
std::optional<Command> commandFor(const QString& execLine, const QString& file);

// The desktop entry named for "text/plain" in the [Default Applications] group of a
// mimeapps.list, or in the MIME cache of an applications folder (the first of the list).
QString defaultEntryIn(const QString& listText, const QString& type = QStringLiteral("text/plain"));

// Starts the editor on the file and returns at once; false when no editor was found or
// it could not be started.
bool open(const QString& file);

// Whether the desktop can show a web page: an application chosen for "text/html", or
// one of the browsers the desktop's page opener falls back on, on the path.
bool browserFound();

// Test hook: opens in place of the desktop; an empty function restores it.
void setOpenHook(std::function<bool(const QString& file)> hook);

}  // namespace kv::texteditor
