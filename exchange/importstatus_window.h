#pragma once
// The progress window `importstatus` of an import, and the import's windows as the
// import driver reaches them.

#include "exchange/import.h"
#include "platform/ui/windows.h"

class QLabel;
class QToolButton;

namespace kv {

// Names the file being read and the recipes read so far; its cross asks the import to
// stop. While an import runs it is the one window that takes input: shown application-
// modal but without a loop of its own, as the driver runs in the handler that started it.
class Importstatus : public ui::Dialog {
    Q_OBJECT
public:
    explicit Importstatus(QWidget* parent = nullptr);

    void setIdat(const QString& path);
    void setIrez(const QString& count);
    void kreuz_Click() override;

private:
    QLabel* top = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* idat = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* irez = nullptr;
    QToolButton* kreuz = nullptr;
};

namespace exchange {

// The import driver's windows: `importstatus`, the event loop, the pointer and the
// windows that follow an import, `wizard_importerr` and `wizard_nachimport`.
class ImportWindows : public ImportUi {
public:
    void showImportstatus() override;
    void setIdat(const QString& path) override;
    void setIrez(const QString& count) override;
    void unloadImportstatus() override;
    void doEvents() override;
    void setBusy(bool busy) override;
    void beep() override;
    void showImportErrors() override;
    void showNachimport() override;

private:
    bool m_busy = false;
};

// The one instance the program installs with setImportUi.
ImportWindows& importWindows();

// Shows a window that follows an import without a modal loop, loaded anew.
void showModeless(const QString& name);

}  // namespace exchange

}  // namespace kv
