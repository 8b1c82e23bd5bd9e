#pragma once
// The window `suchen`: finds recipes by their title and lists the search history.

#include "platform/db/database.h"
#include "platform/ui/windows.h"

#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;
class QToolButton;

namespace kv {

class Suchen : public ui::Dialog {
    Q_OBJECT
public:
    explicit Suchen(QWidget* parent = nullptr);
    ~Suchen() override;

    // Runs the search with the text and options shown; the window hides itself.
    void startsuch();

    void kreuz_Click() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void wireEvents();
    void hideSelf();
    void chooseTeil(int mode);
    void chooseFein(int mode);

    void Form_Activate();
    void Form_Unload();
    void suche_Change();
    void suche_GotFocus();
    void suche_KeyPress(int& keyAscii);
    void weiter_Click();
    void teil0_Click();
    void teil1_Click();
    void teil2_Click();
    void fein0_Click();
    void fein1_Click();
    void bisher_DblClick();
    void bisher_KeyDown(int& keyCode, int shift);
    void loeschaus_Click();

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* suche = nullptr;
    QLabel* teil0 = nullptr;
    QLabel* teil1 = nullptr;
    QLabel* teil2 = nullptr;
    QLabel* fein0 = nullptr;
    QLabel* fein1 = nullptr;
    QLabel* Label3 = nullptr;
    QListWidget* bisher = nullptr;
    QToolButton* weiter = nullptr;
    QToolButton* loeschaus = nullptr;
    QToolButton* kreuz = nullptr;

    int teilmode = 0;   // 0 anywhere in the title, 1 at its start, 2 at its end
    int feinmode = 0;   // 0 all recipes, 1 the list shown
    bool typed = false;
    // Open only while `bisher` is filled.
    std::unique_ptr<db::Recordset> m_letztsuch;
};

}  // namespace kv
