#pragma once
// The cookbook's housekeeping behind the maintenance window: removing duplicate recipes
// and compacting the cookbook file.

#include "platform/db/database.h"

#include <QString>

#include <functional>
#include <stdexcept>

namespace kv {

// Removes every recipe whose title another recipe carries too (titles compared as the
// cookbook compares them, case ignored), keeping of each title the recipe with the
// largest id — the one that repeated removals of the first of a group would keep. Their
// entries in selection lists and menus point at the kept recipe instead (a list holds it
// once: its own entry where it had one, else the first of the copies'); their other rows
// go from every table of `reztabellen`, and ingredient names no line, alias or plural
// uses any more go too. One transaction; returns how many recipes went. The work table
// `duprez` lists the groups while it runs and is left empty.
qint64 removeDuplicates(db::Database& db);

// The file work of the compaction, for a cookbook nobody has open in this program.
struct CompactionSizes {
    qint64 before = 0;
    qint64 after = 0;
};
// Another program (or a second copy of this one) has the file open: nothing was done.
struct CookbookInUse : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// Writes a compacted copy beside the file (a copy left by an interrupted run is removed
// first), syncs it, checks that it opens with every recipe, gives it the file's
// permissions and renames it over the file in one step; the file stays whole until then.
// Holds the file to itself throughout. Throws CookbookInUse, or std::runtime_error with a
// German text saying what failed; a failed run leaves no copy.
CompactionSizes compactCookbookFile(const QString& file);

// Test hook: called with the name of each step before it runs ("lock", "copy", "sync",
// "check", "permissions", "rename", "syncfolder"); it may throw to make the step fail.
void setCompactionFault(std::function<void(const char* step)> fault);

}  // namespace kv
