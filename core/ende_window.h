#pragma once
// The closing screen and the shut-down of the program.

#include <QWidget>

#include <array>
#include <functional>

class QCloseEvent;
class QLabel;
class QPushButton;
class QTimer;

namespace kv {

class Ende : public QWidget {
    Q_OBJECT
public:
    explicit Ende(QWidget* parent = nullptr);

    // Ends the program; the closing screen itself is released last, so nothing of this
    // object may be touched after the call.
    void endit();

    void closeme_Timer();
    void weiter_Click();
    void kreuz_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void wireEvents();

    QLabel* Image1 = nullptr;
    QLabel* wiederseh = nullptr;
    std::array<QLabel*, 3> info{};
    QLabel* zahl = nullptr;
    QPushButton* weiter = nullptr;
    QPushButton* kreuz = nullptr;
    QTimer* closeme = nullptr;
    bool m_leaving = false;
};

// Unloads every window, closes the cookbook and quits. Errors on the way are ignored so
// that nothing stops the shut-down.
void endit();

// How the program finally quits (QCoreApplication::exit by default). Tests install their
// own so that a shut-down can be checked without ending the test process; an empty
// function restores the default.
void setQuitHook(std::function<void()> hook);
void quitProgram();

// The main window's unload step shows the closing screen through this, so that the
// screen can be held back: its countdown ends the program, which must not happen when the
// unload is part of a restart (the compaction unloads the main window and starts again)
// or of the shut-down itself.
void showClosingScreen();

// While an instance lives, showClosingScreen() does nothing. Scoped so that a restart that
// fails half-way cannot leave the program without its closing screen for good.
class NoClosingScreen {
public:
    NoClosingScreen();
    ~NoClosingScreen();
    NoClosingScreen(const NoClosingScreen&) = delete;
    NoClosingScreen& operator=(const NoClosingScreen&) = delete;
};
bool closingScreenSuppressed();

// Stops a countdown already running (unloads the closing screen without ending anything);
// for a restart that follows an unload made without NoClosingScreen.
void cancelClosingScreen();

}  // namespace kv
