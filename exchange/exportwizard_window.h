#pragma once
// The export wizard `wizard_export`: the main window's current selection list as a new
// cookbook, an HTML page or a Meal-Master file, with a preview of the two texts that can
// go to the clipboard. Modeless; it closes when its cookbook is closed or replaced.

#include "platform/ui/windows.h"

#include <QString>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;
class QTreeView;

namespace kv {

namespace ui {
class FolderModel;
}

class WizardExport : public ui::Dialog {
    Q_OBJECT
public:
    // `chosenList` reads the number of the selection list chosen in the main window (0 for
    // none), which whoever registers the window knows; it is asked at each use, as the user
    // may choose another list while the wizard is open. Without it nothing is chosen.
    explicit WizardExport(std::function<qint64()> chosenList = {}, QWidget* parent = nullptr);

    void exp1_Click();
    void exp2_Click();
    void exp3_Click();
    void pname_Click();
    void l2_Change();
    void inclip_Click();
    void start_Click();
    void kreuz_Click() override;

private:
    void wireEvents();
    void Form_Load();
    // Shows the controls of the chosen export type and the window height that goes with it.
    void showPage();
    void choose(int typ);
    // The preview of the chosen text type, built on its first showing.
    void showPreview();
    void exportToFile();
    void exportToCookbook();
    // The selection list chosen in the main window, read when it is needed; 0 for none.
    qint64 auswahlId() const;

    std::function<qint64()> m_chosenList;
    // The folder chosen in `l3`, ending with '/'.
    QString l3Path() const;
    void unloadSelf();

    QLabel* top = nullptr;
    QLabel* exp1 = nullptr;
    QLabel* exp2 = nullptr;
    QLabel* exp3 = nullptr;

    QWidget* m_cookbookPage = nullptr;
    QLabel* l1 = nullptr;
    QComboBox* l2 = nullptr;
    QTreeView* l3 = nullptr;
    ui::FolderModel* m_folders = nullptr;
    QLabel* l4 = nullptr;
    QLineEdit* l5 = nullptr;
    QLabel* l6 = nullptr;
    QLabel* l7 = nullptr;
    QLineEdit* l8 = nullptr;
    QLabel* l9 = nullptr;
    QLineEdit* l10 = nullptr;

    QWidget* m_filePage = nullptr;
    QWidget* m_htmlPart = nullptr;
    QLabel* dat = nullptr;
    QLineEdit* pname = nullptr;
    QLabel* r1 = nullptr;
    QPlainTextEdit* rez = nullptr;
    QLabel* h1 = nullptr;
    QPlainTextEdit* hk = nullptr;
    QLabel* h2 = nullptr;
    QPlainTextEdit* hf = nullptr;
    QLabel* l12 = nullptr;
    QToolButton* inclip = nullptr;

    QToolButton* start = nullptr;
    QToolButton* kreuz = nullptr;

    // 1 cookbook, 2 HTML page, 3 Meal-Master file.
    int m_typ = 1;
    // Built on the first choice of their type, kept while the window is loaded.
    QString m_htmlVorschau;
    QString m_mmVorschau;
    QString m_pfad;
};

}  // namespace kv
