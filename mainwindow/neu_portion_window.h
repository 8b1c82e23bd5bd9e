#pragma once
// The servings dialog: asks for a number of servings and hands it to the window that
// opened it.

#include <QDialog>
#include <QPointer>

#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kv {

// The window whose servings the dialog sets: the main window, or the recipe editor.
class PortionTarget {
public:
    virtual ~PortionTarget() = default;
    virtual void setPortText(const QString& text) = 0;
    virtual void ubport() = 0;
};

// A target made of a window's servings box and its ubport. Does nothing once the box is gone.
std::unique_ptr<PortionTarget> portionTarget(QLineEdit* port, std::function<void()> ubport);

class NeuPortion : public QDialog {
    Q_OBJECT
public:
    explicit NeuPortion(QWidget* parent = nullptr);
    ~NeuPortion() override;

    // Called by whoever opens the dialog, before showing it.
    void setTarget(std::unique_ptr<PortionTarget> target);
    void saveport();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* port = nullptr;
    QLabel* labelneu = nullptr;
    QPushButton* start = nullptr;
    QPushButton* kreuz = nullptr;

    void wireEvents();
    void Form_Activate();
    void port_Change();
    void port_GotFocus();
    void port_LostFocus();
    void port_KeyPress(int& keyAscii);
    void start_Click();
    void kreuz_Click();

    qint16 typed = 0;
    std::unique_ptr<PortionTarget> m_target;
};

}  // namespace kv
