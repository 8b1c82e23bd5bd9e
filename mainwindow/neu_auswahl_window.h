#pragma once
// The naming dialog of a new selection list.

#include "mainwindow/naming_window.h"

#include <functional>

namespace kv {

class NeuAuswahl : public NamingDialog {
    Q_OBJECT
public:
    explicit NeuAuswahl(QWidget* parent = nullptr);

    // What the dialog needs of the main window: the bound text of its list combo, and what
    // it does once the new list `aid` is stored (refresh, make it current).
    void setHost(std::function<QString()> currentAid, std::function<void(qint64 aid)> saved);
    void saveaus();
    int savemodeValue() const { return savemode; }

protected:
    void save() override { saveaus(); }

private:
    void o1_Click();
    void o2_Click();
    void showOptions();

    QLabel* o1 = nullptr;
    QLabel* o2 = nullptr;
    int savemode = 2;     // 1 = move the current list's recipes into the new list, 2 = empty
    std::function<QString()> m_currentAid;
    std::function<void(qint64)> m_saved;
};

}  // namespace kv
