// Imports a folder tree into a cookbook the way the program's import does, without
// windows, and ends: an import in a process of its own, for the test that kills it.
//   kelvor_importtool COOKBOOK_FILE PROGRAM_FOLDER SETTINGS_FILE FOLDER
// A file read before is read again (the recipes already stored are skipped by title).
// Exit 0 when the import ran to its end; 2 when it asked something unexpected.
// KELVOR_IMPORT_KILL_AT names a step of a large import's index handling ("bulk",
// "indexes") at which the tool kills itself, as a crash there would end it.

#include "bench/exchange/importhost.h"
#include "core/mainmod.h"
#include "exchange/import.h"
#include "exchange/importsession.h"
#include "platform/db/database.h"
#include "platform/settings/regstore.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5) {
        std::fprintf(stderr, "usage: kelvor_importtool COOKBOOK_FILE PROGRAM_FOLDER SETTINGS_FILE FOLDER\n");
        return 1;
    }
    qputenv("KELVOR_HOME", args.at(2).toLocal8Bit());
    kv::settings::setStoreFile(args.at(3));
    kv::bench::ImportAnswers answers;
    kv::ui::setDialogHost(&answers);
    kv::bench::QuietImportUi ui;
    kv::exchange::setImportUi(&ui);
    if (const QByteArray step = qgetenv("KELVOR_IMPORT_KILL_AT"); !step.isEmpty())
        kv::exchange::setImportFault([step](const char* at) {
            if (step == at) std::raise(SIGKILL);
        });
    kv::kochbuchdb = kv::db::Database::open(args.at(1));
    kv::skipexisting = true;
    kv::exchange::startimport(args.at(4) + u'/', 2);
    kv::kochbuchdb.reset();
    return answers.unexpected.isEmpty() ? 0 : 2;
}
