#pragma once
// The windows of the recipe view and the selection-list panel: the servings dialog and the
// two naming dialogs.

namespace kv {

// Registers "neu_portion", "neu_auswahl" and "neu_menue" with the window registry.
void registerViewWindows();

}  // namespace kv
