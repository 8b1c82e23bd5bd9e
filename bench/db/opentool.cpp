// Opens a cookbook folder the way the program's start does, without windows, and ends:
// the upgrade of an old cookbook in a process of its own, for tests that kill it.
//   kelvor_opentool COOKBOOK_FOLDER PROGRAM_FOLDER SETTINGS_FILE
// Exit 0 when the cookbook is open and current; 2 when a box other than the index
// build's asked something (it is printed), 1 on wrong arguments.

#include "app/starthooks.h"
#include "bench/support/silentdialogs.h"
#include "core/cookbookdb.h"
#include "core/mainmod.h"
#include "core/settings.h"
#include "platform/settings/regstore.h"
#include "platform/ui/dialogs.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

class AnsweringHost : public kv::bench::SilentDialogs {
public:
    kv::ui::Answer msgbox(const QString& text, int, const QString&) override
    {
        if (text.contains(QStringLiteral("Suchindizes"))) return kv::ui::Answer::Ok;
        std::fprintf(stderr, "%s\n", qPrintable(text));
        unexpected = true;
        return kv::ui::Answer::Cancel;
    }

    bool unexpected = false;
};

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: kelvor_opentool COOKBOOK_FOLDER PROGRAM_FOLDER SETTINGS_FILE\n");
        return 1;
    }
    qputenv("KELVOR_HOME", args.at(2).toLocal8Bit());
    kv::settings::setStoreFile(args.at(3));
    kv::savereg(kv::reg::loadeddir, args.at(1));
    AnsweringHost host;
    kv::ui::setDialogHost(&host);
    kv::installStartHooks();
    try {
        kv::opendaten();
    } catch (const kv::ProgramEnd&) {
        return 2;
    }
    return host.unexpected ? 2 : 0;
}
