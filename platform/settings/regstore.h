#pragma once
// The per-user store of named string values that stands in for the registry:
// QSettings with organisation "Kelvor" and application "Version2" (an INI file under
// the user's config folder on Linux). Values are read on every call, never cached.

#include <QString>

namespace kv::settings {

// Points the store at another file (tests, portable use); empty = the user's store.
// The environment variable KELVOR_SETTINGS does the same at start.
void setStoreFile(const QString& iniPath);
QString storeFile();

// Reads a value; a missing value or key reads as "". Blanks (U+0020) are trimmed at
// both ends, never line ends. Long values read back whole.
QString getregvalue(const QString& name);
// Writes a value; returns "0" on success, otherwise a non-zero result code as text.
// A store file that was read but cannot be parsed is first renamed to its name +
// ".defekt" (replacing an older one) and the user is told once per run through the
// dialog layer (silently skipped without a dialog host); the value then goes into a
// fresh file. A file that cannot be read at all is left alone and the write fails. A
// failed write is told to the user once per run and file, with the file's path (again
// silently skipped without a dialog host).
QString setregvalue(const QString& name, const QString& value);

}  // namespace kv::settings
