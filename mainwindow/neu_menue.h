#pragma once
// The naming dialog of a new menu.

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kv {

class NeuMenue : public QDialog {
    Q_OBJECT
public:
    explicit NeuMenue(QWidget* parent = nullptr);

    // What the main window does once the new menu is stored.
    void setHost(std::function<void(qint64 mid)> saved);
    void savemen();

private:
    QLabel* caption = nullptr;
    QLabel* namelabel = nullptr;
    QLineEdit* aname = nullptr;
    QPushButton* start = nullptr;
    QPushButton* kreuz = nullptr;

    void wireEvents();
    void aname_Change();
    void aname_GotFocus();
    void aname_KeyPress(int& keyAscii);
    void start_Click();
    void kreuz_Click();

    bool typed = false;
    std::function<void(qint64)> m_saved;
};

}  // namespace kv
