#pragma once
// What an import outside the program needs in place of its windows: a progress window
// that shows nothing, and a host that answers the import's questions (the first error's
// message, "Fertig.", a file read before: read it again) and refuses anything else.

#include "bench/support/silentdialogs.h"
#include "exchange/import.h"
#include "platform/ui/dialogs.h"

#include <QStringList>

#include <cstdio>

namespace kv::bench {

class QuietImportUi : public exchange::ImportUi {
public:
    void showImportstatus() override {}
    void setIdat(const QString&) override {}
    void setIrez(const QString&) override {}
    void unloadImportstatus() override {}
    void doEvents() override {}
    void setBusy(bool) override {}
    void beep() override {}
    void showImportErrors() override {}
    void showNachimport() override {}
};

class ImportAnswers : public SilentDialogs {
public:
    ui::Answer msgbox(const QString& text, int, const QString&) override
    {
        if (text.contains(QStringLiteral("wurde schon einmal importiert"))) return ui::Answer::Yes;
        for (const char* expected : {"Fehler entdeckt", "Fertig.", "Suchindizes"})
            if (text.contains(QLatin1String(expected))) return ui::Answer::Ok;
        std::fprintf(stderr, "%s\n", qPrintable(text));
        unexpected << text;
        return ui::Answer::Cancel;
    }

    QStringList unexpected;
};

}  // namespace kv::bench
