#pragma once
// Program start and the opening of the cookbook: finding, validating and upgrading it.

#include <QString>

#include <functional>

namespace kv {

// What the opening makes in the program folder beside the cookbooks when it is missing or
// incomplete (the print-settings file): the layers above set it at the program's start,
// the opening runs it once, as a step of its own whose failure is reported and passed.
// Without one the opening makes nothing there.
void setProgramFilesHook(std::function<void()> make);

// The start procedure; also run again after a compaction closed everything.
void Main();
// Opens the cookbook named by `loadeddir` (or a fallback folder, or one the user
// chooses), runs its missing upgrade steps and writes the recipe count. Returns only
// with a valid cookbook open; throws ProgramEnd when the user ends the program.
void opendaten();
// Points the main window's Data controls at the open cookbook.
void binddaten();
// One statement of the binding: a failure is reported ("LOADDATA - ") and the binding
// goes on with the next one; false after a failure. For the main window's implementation
// of the binding.
bool bindStatement(const std::function<void()>& statement);

// Unfinished: a cookbook beside the journal of a writer killed in the middle of a change,
// where this program may not write and so cannot undo it.
enum class FolderKind { NoCookbook, OtherDatabase, Unfinished, Cookbook };

struct FolderCheck {
    FolderKind kind = FolderKind::NoCookbook;
    QString bname;   // the cookbook's display name
    QString reason;  // Unfinished: what the opening says of it, and the way out
};

// What a folder holds. Opens the file read-only and never creates anything, so looking
// at a folder leaves no trace in it.
FolderCheck inspectFolder(const QString& folder);

// The folder the directory dialog starts in: `importpfad` when it exists and has at least
// three characters, otherwise the home folder. Always an absolute folder ending with '/'.
QString finddirStartFolder(const QString& importpfad);

// Stores the cookbook folder as `loadeddir`; a store that cannot be written is reported
// and false returned.
bool storeLoadeddir(const QString& folder);

// The directory dialog's switch to the cookbook in `folder`, which the caller has checked:
// stores `loadeddir`, opens the cookbook, binds the main window and shows its name,
// comments and last list. False when nothing was switched (the folder could not be
// stored). Throws ProgramEnd when the user ends the program in the opening's error box.
bool switchCookbook(const QString& folder);

}  // namespace kv
