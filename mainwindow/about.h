#pragma once
// The about box, opened from the main window's logo.

#include <QDialog>

class QCloseEvent;
class QLabel;
class QPushButton;

namespace kv {

class About : public QDialog {
    Q_OBJECT
public:
    explicit About(QWidget* parent = nullptr);

    void kreuz_Click();

    // Escape and the close box release the box like `kreuz`.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void wireEvents();

    QLabel* logo = nullptr;
    QLabel* titel = nullptr;
    QLabel* version = nullptr;
    QLabel* info = nullptr;
    QPushButton* kreuz = nullptr;
    bool m_leaving = false;
};

// Registers "about" with the window registry.
void registerAboutWindow();

}  // namespace kv
