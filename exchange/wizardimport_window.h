#pragma once
// The import wizard `wizard_import`: a Meal-Master file, every file of a folder or a
// folder tree, or the text on the clipboard, handed to the import driver; and whether
// recipes whose title already exists are skipped. Modal; it closes when the import is
// done.

#include "platform/ui/windows.h"

class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QRadioButton;
class QToolButton;
class QTreeView;

namespace kv {

namespace ui {
class FolderChooser;
}

class WizardImport : public ui::Dialog {
    Q_OBJECT
public:
    explicit WizardImport(QWidget* parent = nullptr);

    void idrive_Change();
    void idir_Change();
    void vorhand0_Click();
    void vorhand1_Click();
    void inclip_Click();
    void start_Click();
    void kreuz_Click() override;

private:
    void wireEvents();
    void Form_Load();
    // The folder shown in `ifile`, ending with '/'.
    QString ifilePath() const;
    // "ignorieren" (skip) or "einlesen" chosen: the chosen one white, the other grey.
    void chooseSkip(bool skip);
    void runImport(const QString& path, int typ);
    void unloadSelf();

    QLabel* top = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label4 = nullptr;
    QFrame* stypo = nullptr;
    QRadioButton* styp[3] = {};
    QLabel* typ0 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label5 = nullptr;
    QComboBox* idrive = nullptr;
    QLabel* Label6 = nullptr;
    QTreeView* idir = nullptr;
    ui::FolderChooser* m_folders = nullptr;
    QLabel* Label7 = nullptr;
    QListWidget* ifile = nullptr;
    QLabel* Label8 = nullptr;
    QToolButton* start = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* vorhand0 = nullptr;
    QLabel* vorhand1 = nullptr;
    QLabel* Label10 = nullptr;
    QToolButton* inclip = nullptr;
    QToolButton* kreuz = nullptr;
};

}  // namespace kv
