#pragma once
// The naming dialog of a new selection list.

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kv {

class NeuAuswahl : public QDialog {
    Q_OBJECT
public:
    explicit NeuAuswahl(QWidget* parent = nullptr);

    // What the dialog needs of the main window: the bound text of its list combo, and what
    // it does once the new list `aid` is stored (refresh, make it current).
    void setHost(std::function<QString()> currentAid, std::function<void(qint64 aid)> saved);
    void saveaus();
    int savemodeValue() const { return savemode; }

private:
    QLabel* caption = nullptr;
    QLabel* namelabel = nullptr;
    QLineEdit* aname = nullptr;
    QLabel* o1 = nullptr;
    QLabel* o2 = nullptr;
    QPushButton* start = nullptr;
    QPushButton* kreuz = nullptr;

    void wireEvents();
    void aname_Change();
    void aname_GotFocus();
    void aname_KeyPress(int& keyAscii);
    void o1_Click();
    void o2_Click();
    void start_Click();
    void kreuz_Click();
    void showOptions();

    int savemode = 2;     // 1 = move the current list's recipes into the new list, 2 = empty
    bool typed = false;
    std::function<QString()> m_currentAid;
    std::function<void(qint64)> m_saved;
};

}  // namespace kv
