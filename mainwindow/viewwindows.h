#pragma once
// The windows of the recipe view and the selection-list panel: the servings dialog and the
// two naming dialogs, with the look they share.

class QDialog;
class QLabel;
class QPushButton;
class QString;
class QWidget;

namespace kv {

// Registers "neu_portion", "neu_auswahl" and "neu_menue" with the window registry.
void registerViewWindows();

void setNamingDialogLook(QDialog* dialog);
QLabel* namingDialogCaption(const QString& text, QWidget* parent);
QPushButton* namingDialogButton(const QString& name, const QString& text, QWidget* parent);
// An option label acts as a radio button: the chosen one white, the others grey.
void setOptionChosen(QLabel* option, bool chosen);

}  // namespace kv
