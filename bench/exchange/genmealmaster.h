#pragma once
// Meal-Master files for measuring and for the kill test: the whole recipes of the
// project's own Meal-Master files (tests/data/mealmaster), again and again under titles
// of their own, with German lines added, in a folder tree of files in mixed code pages
// (UTF-8, Windows-1252, DOS 850) and line ends (CR LF, LF, CR), one- and two-column; a
// small share of the recipes is broken.

#include <QString>

namespace kv::bench {

struct GeneratedFiles {
    qint64 recipes = 0;   // all written, broken ones included
    qint64 broken = 0;    // each cut off: one error row, not stored
    qint64 files = 0;
};

// The folder of Meal-Master files in the source tree whose recipes are the templates.
QString mealMasterTemplates();

// Writes `recipes` recipes into `folder` (created when missing): `perFile` a file, the
// files spread over subfolders two levels deep. The same seed writes the same files.
// Throws std::runtime_error when the templates cannot be read or a file not written.
GeneratedFiles generateMealMaster(const QString& folder, qint64 recipes, qint64 perFile = 1000,
                                  unsigned seed = 1, const QString& templateFolder = mealMasterTemplates());

}  // namespace kv::bench
