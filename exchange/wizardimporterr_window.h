#pragma once
// The error list `wizard_importerr` after an import: one entry per failure, the recipe's
// title, the error and the raw text of the selected one, the file opened in the text
// editor, and the list cleared. Modeless; closing it leads on to the category
// assignment. It closes without leading on when its cookbook is closed or replaced.

#include "platform/ui/windows.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QToolButton;

namespace kv {

class WizardImporterr : public ui::Dialog {
    Q_OBJECT
public:
    explicit WizardImporterr(QWidget* parent = nullptr);

    void fehlgrid_Click();
    void edit_Click();
    void abbruch_Click();
    void kreuz_Click() override;

private:
    void wireEvents();
    void Form_Load();
    // The errid of the selected entry; 0 for none.
    qint64 selectedErrid() const;

    QLabel* top = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QListWidget* fehlgrid = nullptr;
    QLabel* Label3 = nullptr;
    QPlainTextEdit* fehltext = nullptr;
    QToolButton* edit = nullptr;
    QLabel* Label4 = nullptr;
    QToolButton* abbruch = nullptr;
    QLabel* Label5 = nullptr;
    QToolButton* kreuz = nullptr;
};

}  // namespace kv
