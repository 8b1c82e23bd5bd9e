#pragma once
// Where the program keeps its files. The program folder must be
// writable, so on Linux it is a per-user data folder, filled on first use from
// what the program ships. The process's current directory is never changed.

#include <QString>

#include <functional>
#include <optional>

namespace kv::paths {

// The program folder: $KELVOR_HOME when set, else the user's data folder
// ($XDG_DATA_HOME or ~/.local/share, then "kelvor"). Created and filled from the
// shipped files (cookbook folder `kochbuch`, ExclList.txt, RepList.txt, the logo,
// the help) on first use; files already there are never overwritten. Absolute, with
// no trailing '/': callers append "/kochbuch/" where the program appends "\kochbuch\".
QString programFolder();
// The folder of the files the program ships (next to the executable, or
// $KELVOR_SHIPPED when set).
QString shippedFolder();
// Test hook: forget the cached program folder so the next call reads the environment again.
void resetForTests();

QString homeFolder();     // stands for the program's "c:\" and "C:\"; no trailing '/'
QString tempFolder();     // stands for TEMP; no trailing '/'
// A folder under the temp folder that only this run of the program uses, readable by
// nobody else (mode 0700), made on first use and removed when the program ends: files
// handed from one part of the program to another (the newsgroup text for the import)
// cannot be read or replaced by another user of a shared temp folder. No trailing '/'.
// Empty when it cannot be made. The run holds a lock on a file in it while it lives.
QString privateTempFolder();
// Removes the private temp folders that runs of this program left when they were killed:
// the user's own, whose run no longer holds its lock. A living run's folder, and one
// without the lock file (whose run cannot be told from a living one), are left alone.
void removeStalePrivateTempFolders();
// Maps a path as the program writes it ("c:\", "C:\news$$$$.txt") to a local path:
// a drive root becomes the home folder, backslashes become '/'. A path that ends
// with a separator keeps one ("c:\" gives the home folder followed by '/').
QString localPath(const QString& systemPath);
// Absolute, cleaned path; a folder path keeps one trailing '/'.
QString absoluteFolder(const QString& folder);
// True for an existing file, not for a folder (the program's file search finds files only).
bool fileExists(const QString& path);
bool folderExists(const QString& path);

// Why the system refused a file or folder (an errno value), in a few German words.
QString refusal(int error);

// What the user may do with a file or folder, asked of the system (access(2)), so the
// answer holds for the user running the program, not only for its permission bits.
enum class Access { Read, Write };
bool mayAccess(const QString& path, Access access);
// Test hook: answers in place of the system where it gives a value (tests run as root,
// whom the system lets do everything); an empty function restores the system's answer.
void setAccessCheck(std::function<std::optional<bool>(const QString& path, Access access)> check);
// Whether nothing on the medium that holds `path` can be written, by any program (a CD, a
// read-only mount).
bool readOnlyMedium(const QString& path);
// Test hook: answers in place of the system where it gives a value (not every test may
// mount a medium read-only); an empty function restores the system's answer.
void setMediumCheck(std::function<std::optional<bool>(const QString& path)> check);

}  // namespace kv::paths
