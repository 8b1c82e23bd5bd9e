#pragma once
// The import driver: reads one Meal-Master file, every file of a directory, or a whole
// directory tree into the open cookbook, records each file in `importdateien`, and ends
// by refreshing the recipe list and leading on to the error list or the category
// assignment.

#include "exchange/importui.h"

#include <QString>

namespace kv::exchange {

// The windows every run reports to; the program installs them at its start.
void setImportUi(ImportUi* ui);
ImportUi* importUi();

// The file through which the newsgroup reader and the clipboard import hand their text
// over, as the program names it ...
inline const QString kHandOverName = QStringLiteral("c:\\news$$$$.txt");
// ... and where it lives: in the program's private temp folder, UTF-8.
QString handOverFile();

// typ 0: the one file `path`; 1: every file of path's directory (path is a file in it,
// or the directory ending with a separator); 2: that directory and every one below it.
// Files read are regular and not hidden; no hidden directory is searched, none twice.
// A failure of the driver's own steps ends the run with a message; failures in a file
// become rows of the error list.
void startimport(const QString& path, int typ);

// After recipes were given a category: the main window's list and count read the
// cookbook again (a list filtered by that category gains them), standing on the recipe
// they stood on. Throws db::DbError.
void recipesRecategorized();

struct ImportStats;
// Counts and times of the last run, for measurements.
const ImportStats& lastImportStats();

}  // namespace kv::exchange
