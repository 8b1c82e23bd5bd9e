#pragma once
// The program's dialog host: message boxes, input boxes and file dialogs as Qt widgets,
// with the program's German button texts set here rather than left to translations.

#include "platform/ui/dialogs.h"

namespace kv::ui {

class WidgetDialogHost : public DialogHost {
public:
    Answer msgbox(const QString& text, int style, const QString& title) override;
    std::optional<QString> inputbox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;
    QString openFileName(const QString& caption, const QString& startFolder,
                         const QString& filter) override;
    QString saveFileName(const QString& caption, const QString& startFolder,
                         const QString& filter, OverwriteQuestion overwrite) override;
    QString existingFolder(const QString& caption, const QString& startFolder) override;
    int runModal(const QString& name, const std::function<int()>& exec) override;
    bool printerSetup(PrinterChoice& choice) override;
    bool fontDialog(FontChoice& font) override;

    // A blank title shows the program's name.
    static QString windowTitle(const QString& title);
    // "OK", "Ja", "Nein", ... as the program labels its buttons.
    static QString buttonText(Answer answer);
};

// Installs one program-wide WidgetDialogHost; for main.
void installWidgetDialogHost();

}  // namespace kv::ui
