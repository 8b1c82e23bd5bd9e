#pragma once
// The start procedure's windows: the wait window, the directory dialog and the main window.

#include "core/mainmod.h"

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

private:
    int m_busy = 0;
};

}  // namespace kv
