#pragma once
// What the two naming dialogs (a new selection list, a new menu) share: a caption, the
// name box that stores on Enter only after typing, OK and close.

#include <QDialog>

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kv {

class NamingDialog : public QDialog {
    Q_OBJECT
public:
    // `name` is the window's name in the registry; rows of its own go between the name
    // box and the buttons (addRow).
    NamingDialog(const QString& name, const QString& captionText, QWidget* parent);

protected:
    // Stores the typed name and unloads the dialog; nothing for an empty name.
    virtual void save() = 0;
    QString typedName() const;
    void setNameTip(const QString& tip);
    void addRow(QWidget* left, QWidget* right);
    void unloadSelf();

private:
    void aname_Change();
    void aname_GotFocus();
    void aname_KeyPress(int& keyAscii);
    void start_Click();
    void kreuz_Click();

    QLabel* caption = nullptr;
    QLabel* namelabel = nullptr;
    QLineEdit* aname = nullptr;
    QPushButton* start = nullptr;
    QPushButton* kreuz = nullptr;
    QGridLayout* m_layout = nullptr;
    bool typed = false;
};

}  // namespace kv
