#pragma once
// The user database kelvor-user.mdb of the program folder: the news servers
// (`newsserver`), their newsgroups with the next article to read and the reading mark
// (`newsgroups`), and the reader's work table (`newsimport`). It ships empty in the
// `kochbuch` subfolder and is moved into the program folder on first use.

#include "platform/db/database.h"

#include <QString>

#include <memory>

namespace kv::exchange {

inline const QString kUserDbName = QStringLiteral("kelvor-user.mdb");

// The file in the program folder.
QString userDbPath();

// Moves the shipped file from the `kochbuch` subfolder into the program folder when the
// program folder has none; false when neither place holds one. The file is readable and
// writable by its owner alone (0600), before and after the move.
bool provideUserDb();

// Makes the user database `file` readable and writable by its owner alone; its journal
// follows the file's mode. False when the mode could not be set.
bool keepUserDbPrivate(const QString& file);

// Files from before the reader counted articles kept `newsgroups.ldatum` as a date: the
// column is replaced by an integer column, every value Null. True when it was a date.
bool migrateLdatum(db::Database& userDb);

// The one connection to the user database, opened on first use and closed when the last
// holder lets it go; the newsgroup wizard and the reader share it. Throws db::DbError.
std::shared_ptr<db::Database> openUserDb();

}  // namespace kv::exchange
