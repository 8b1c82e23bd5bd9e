#pragma once
// The cookbook export: a new folder with a cookbook of its own holding the tables and
// indexes of the open cookbook, its reference rows and exactly the recipes of one
// selection list.

#include "exchange/export.h"

#include <QString>

namespace kv {

namespace db {
class Database;
}

// The whole export in one transaction: builds the cookbook file with createcookbook and
// copyselection in a hidden folder beside `folder` (which must not exist) and renames that
// folder to `folder` once the cookbook is complete, so `folder` appears whole or not at
// all. Build folders that an earlier export left in the same parent (a kill, a power cut)
// are removed first. An empty `info` becomes "-", in the caller's variable too. A failure
// removes the build folder and throws ExportError. The open cookbook is only read; it may
// be read-only.
void exportCookbook(db::Database& source, const QString& folder, const QString& name, QString& info, qint64 aid);

// Why `name` cannot name the new cookbook's folder, in German, or empty when it can: the
// folder goes inside the one the user chose, and a separator, "." or ".." would lead out
// of it; blanks alone would look like no name in every list. An empty name is the
// caller's to ask for.
QString refusedFolderName(const QString& name);

// The names of the build folders, which no folder of the user's ever gets.
inline const QString kBauordnerPrefix = QStringLiteral(".kelvor-export-");

// The steps, on the new cookbook `target`, which has the open cookbook's file attached as
// kQuelle. Every table of `source` but the engine's own and those whose name begins with
// "MSys", the marker row, the quick list, the reference tables whole and the `changelog`
// rows (so that opening the new cookbook runs no step again on current recipes).
void createcookbook(db::Database& source, db::Database& target, const QString& name, QString& info);
// The rows of the selection's recipes and the distinct ingredient names they use.
void copyselection(db::Database& target, qint64 aid);
// One table with the source table's fields and indexes.
void copytabledef(const db::Database& source, db::Database& target, const QString& table);

inline const QString kQuelle = QStringLiteral("quelle");

}  // namespace kv
