#pragma once
// The imported-files list `weiteres_dateien`: the entries of the files recipes were
// imported from, several of which can be merged into one new, named entry. Modal over
// the maintenance window.

#include "platform/ui/windows.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QToolButton;

namespace kv {

class WeiteresDateien : public ui::Dialog {
    Q_OBJECT
public:
    explicit WeiteresDateien(QWidget* parent = nullptr);

    void hinueber_Click();
    void newlist_Click();
    void weiter_Click();
    void kreuz_Click() override;

private:
    void wireEvents();
    void Form_Load();

    QLabel* top = nullptr;
    QLabel* l_imp = nullptr;
    QListWidget* implist = nullptr;
    QLabel* l_klick1 = nullptr;
    QToolButton* hinueber = nullptr;
    QLabel* l_new = nullptr;
    QListWidget* newlist = nullptr;
    QLabel* l_klick2 = nullptr;
    QLabel* l_neunam = nullptr;
    QLineEdit* neunam = nullptr;
    QLabel* zusamm = nullptr;
    QToolButton* weiter = nullptr;
    QToolButton* kreuz = nullptr;
};

}  // namespace kv
