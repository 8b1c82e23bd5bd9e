#pragma once
// The start procedure's windows: the wait window, the directory dialog and the main window.

#include "core/mainmod.h"

class QWidget;

namespace kv {

class GuiStartupUi : public StartupUi {
public:
    ~GuiStartupUi() override;
    void showWait() override;
    void unloadWait() override;
    void doEvents() override;
    void setBusy(bool busy) override;
    void showFinddirModal() override;
    void setRecipeCount(const QString& text) override;
    void binddaten() override;
    void inithm() override;
    void loadEditorHidden() override;
    void showMain() override;
    void beep() override;
    void releaseData() override;

private:
    int m_busy = 0;
};

// Shows a window modally and returns its result: a dialog runs its own loop, any other
// window is waited for until it is hidden or gone. Meant as the `exec` of ui::runModal.
int execModal(QWidget* window);

}  // namespace kv
