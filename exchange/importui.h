#pragma once
// The import's view of its windows, for the driver that installs them and the session that
// reports to them.

#include <QString>

namespace kv::exchange {

// What the import needs of the windows: the progress window `importstatus` (its labels
// `idat` and `irez`), the event loop while it runs, and the two windows that follow an
// import. The GUI implements it over the real windows; tests script it.
class ImportUi {
public:
    virtual ~ImportUi() = default;
    virtual void showImportstatus() = 0;      // loaded and shown without a modal loop
    virtual void setIdat(const QString& path) = 0;
    virtual void setIrez(const QString& count) = 0;
    virtual void unloadImportstatus() = 0;
    virtual void doEvents() = 0;              // one pass of pending events
    virtual void setBusy(bool busy) = 0;      // hourglass pointer
    virtual void beep() = 0;
    virtual void showImportErrors() = 0;      // wizard_importerr, without a modal loop
    virtual void showNachimport() = 0;        // wizard_nachimport, without a modal loop
};

}  // namespace kv::exchange
