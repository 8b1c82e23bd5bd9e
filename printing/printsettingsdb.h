#pragma once
// The print-settings database in the program folder: named schemes of the 29
// print values, table `choices` (cid, cname) and table `settings` (cid and one
// text column per print value).

#include <QString>

#include <vector>

namespace kv {

struct PrintSettingColumn {
    const char* name;  // the column, named like the setting whose text it holds
    int width;         // characters
};

// The 29 value columns of `settings` in the order of the table's creation.
const std::vector<PrintSettingColumn>& printsettingsColumns();

// Full path of kelvor-printsettings.mdb in the program folder.
QString printsettingsPath();

// True when the file exists and opens with both tables.
bool printsettingsComplete();

// Creates the file with both tables and the row (0, 'aktuelle Einstellungen'),
// replacing an incomplete one. Throws kv::db::DbError when a complete (or an
// unreadable) file is there or the file cannot be written; the file appears whole
// or not at all.
void createprintsettingsdb();

}  // namespace kv
