#pragma once
// Cookbooks as older versions left them, for the upgrade and opening tests, and a
// recorder standing in for the start-up windows.

#include "core/mainmod.h"
#include "platform/db/database.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

namespace kv::test {

// A cookbook in the old shapes of tests/support/oldschema.h: a few recipes, old units
// with aliases, a "Personen" heading line, index definitions.
std::unique_ptr<db::Database> createOldCookbook(const QString& path);

// A cookbook whose `changelog` lists every step, in the current schema's shape.
void markAllStepsDone(db::Database& db);

// Installs itself as the start-up windows and records every call.
class RecordingStartup : public StartupUi {
public:
    RecordingStartup() : m_previous(startupUi()) { setStartupUi(this); }
    ~RecordingStartup() override { setStartupUi(m_previous); }

    void showWait() override
    {
        calls << QStringLiteral("showWait");
        ++waits;
    }
    void unloadWait() override { calls << QStringLiteral("unloadWait"); }
    void doEvents() override { calls << QStringLiteral("doEvents"); }
    void setBusy(bool busy) override { calls << (busy ? QStringLiteral("busy") : QStringLiteral("normal")); }
    void showFinddirModal() override;
    void setRecipeCount(const QString& text) override { calls << QStringLiteral("rezzahl=") + text; }
    void binddaten() override { calls << QStringLiteral("binddaten"); }
    void inithm() override
    {
        calls << QStringLiteral("inithm");
        if (onInithm) onInithm();
    }
    void loadEditorHidden() override { calls << QStringLiteral("loadEditorHidden"); }
    void showMain() override { calls << QStringLiteral("showMain"); }
    void beep() override { calls << QStringLiteral("beep"); }

    QStringList calls;
    int waits = 0;
    std::function<void()> onFinddir;   // the dialog's work; none = the test fails
    std::function<void()> onInithm;

private:
    StartupUi* m_previous = nullptr;
};

// Every row of a table as text, ordered, for before/after comparisons.
QStringList dumpTable(db::Database& db, const QString& table);
// Field names, types and widths of a table.
QStringList describeTable(db::Database& db, const QString& table);
// Every table's shape and rows: equal snapshots mean an unchanged file.
QStringList snapshot(db::Database& db);
QList<int> changelogInOrder(db::Database& db);

}  // namespace kv::test
