#pragma once
// What windows do when the open cookbook is about to be closed or replaced: drop their
// recordsets, close themselves, forget rows of the old file. The opening runs the list
// before it replaces an open cookbook, the compaction before it closes one.
// No widget here: the opening, in the logic library, runs the list.

#include <QObject>

#include <functional>

namespace kv::ui {

// Adds a hook owned by `owner`; it goes when the owner is destroyed. Hooks run in the
// order they were added.
void onCookbookClosing(QObject* owner, std::function<void()> hook);
// Runs every hook; a hook that fails is skipped, so one window cannot keep the others
// on a closed file.
void runCookbookClosing();

}  // namespace kv::ui
