// Compacts a cookbook file as the maintenance window does, in a process of its own, for
// tests that kill it.
//   kelvor_compacttool COOKBOOK_FILE
// Exit 0 when the file was compacted, 2 when it failed (the reason is printed).

#include "mainwindow/maintenance.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (app.arguments().size() != 2) {
        std::fprintf(stderr, "usage: kelvor_compacttool COOKBOOK_FILE\n");
        return 1;
    }
    try {
        const kv::CompactionSizes sizes = kv::compactCookbookFile(app.arguments().at(1));
        std::printf("%lld %lld\n", sizes.before, sizes.after);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    }
    return 0;
}
