#pragma once
// The recipe list of the main window as it stands before a search changes it.

#include <QString>

#include <functional>

namespace kv {

// Runs `change` on the recipe list. When it fails the list shows again what it showed,
// under its description and count, and then the error box under `tag` tells what went
// wrong. False when it failed.
bool changeRecipeList(const QString& tag, const std::function<void()>& change);

}  // namespace kv
