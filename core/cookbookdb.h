#pragma once
// Program start and the opening of the cookbook: finding, validating and upgrading it.

#include <QString>

#include <functional>

namespace kv {

// The start procedure; also run again after a compaction closed everything.
void Main();
// Opens the cookbook named by `loadeddir` (or a fallback folder, or one the user
// chooses), runs its missing upgrade steps and writes the recipe count. Returns only
// with a valid cookbook open; throws ProgramEnd when the user ends the program.
void opendaten();
// Points the main window's Data controls at the open cookbook.
void binddaten();
// One statement of the binding: a failure is reported ("LOADDATA - ") and the binding
// goes on with the next one. For the main window's implementation of the binding.
void bindStatement(const std::function<void()>& statement);

}  // namespace kv
