// Exports a selection list of a cookbook as a new cookbook, as the export wizard does, in a
// process of its own, for tests that kill it.
//   kelvor_exporttool COOKBOOK_FILE NEW_FOLDER SELECTION_ID
// Exit 0 when the new cookbook stands, 2 when the export failed (the reason is printed).

#include "exchange/export.h"
#include "exchange/kochbuchexport.h"
#include "platform/db/database.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: kelvor_exporttool COOKBOOK_FILE NEW_FOLDER SELECTION_ID\n");
        return 1;
    }
    try {
        auto source = kv::db::Database::open(args.at(1));
        QString info = QStringLiteral("Ausgezogen");
        kv::exportCookbook(*source, args.at(2), QStringLiteral("Auszug"), info, args.at(3).toLongLong());
    } catch (const kv::ExportError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.text()));
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    }
    return 0;
}
