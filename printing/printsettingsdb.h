#pragma once
// The print-settings database in the program folder: named schemes of the 29
// print values, table `choices` (cid, cname) and table `settings` (cid and one
// text column per print value).

#include <QString>

#include <optional>
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

// What the opening runs: creates the file when it is not complete. Throws kv::db::DbError
// naming the folder when the program folder cannot be written, without trying.
void ensureprintsettingsdb();

// The schemes are read and written through the connection the print window holds open,
// else through one of their own for the call. Each throws kv::db::DbError when the file
// is missing or refuses, and then has changed nothing.

// Asks for a name and stores the 29 print values of the settings as a new scheme numbered
// one above the highest (1 in an empty file), its row in `choices` and its values in one
// transaction. Cancel saves nothing (nullopt); an empty name is kept. Returns the number.
std::optional<qint64> saveprintsettings();
// Writes the 29 values of scheme `cid` into the settings, after reading them whole. False,
// with nothing written, when the scheme has no values.
bool loadprintsettings(qint64 cid);
// The value scheme `cid` holds for the print setting `name`; nullopt when the scheme has no
// values or `name` is no print setting.
std::optional<QString> printsettingsValue(qint64 cid, const QString& name);
// Removes scheme `cid`, its values and its row in `choices`, in one transaction.
void deleteprintsettings(qint64 cid);

}  // namespace kv
