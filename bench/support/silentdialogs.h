#pragma once
// A dialog host for benchmarks and tools that run without a user: no box is expected on
// their way, so one that shows up anyway is reported on stderr and answered with Ok, and
// every file dialog, font dialog and window is cancelled.

#include "platform/ui/dialogs.h"

#include <QString>

#include <cstdio>

namespace kv::bench {

class SilentDialogs : public ui::DialogHost {
public:
    explicit SilentDialogs(const char* program = "kelvor") : m_program(program) {}

    ui::Answer msgbox(const QString& text, int, const QString&) override
    {
        report("message", text);
        return ui::Answer::Ok;
    }
    std::optional<QString> inputbox(const QString&, const QString&, const QString&) override { return {}; }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&, ui::OverwriteQuestion) override { return {}; }
    QString existingFolder(const QString&, const QString&) override { return {}; }
    int runModal(const QString& name, const std::function<int()>&) override
    {
        report("window", name);
        return 0;
    }
    bool fontDialog(ui::FontChoice& font) override
    {
        report("font dialog", font.name);
        return false;
    }

protected:
    void report(const char* what, const QString& text) const
    {
        std::fprintf(stderr, "%s: unexpected %s: %s\n", m_program, what, qPrintable(text));
    }

private:
    const char* m_program;
};

}  // namespace kv::bench
