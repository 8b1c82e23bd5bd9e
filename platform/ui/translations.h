#pragma once
// Qt's own dialogs (file dialogs, context menus of text boxes) in German.

class QApplication;

namespace kv::ui {

// Loads Qt's German translations into the application; false when they are not installed
// (the program then runs with Qt's English texts in those dialogs).
bool installGermanTranslations(QApplication& app);

}  // namespace kv::ui
