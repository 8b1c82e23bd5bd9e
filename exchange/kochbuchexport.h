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

// The whole export in one transaction: makes `folder` (which must not exist) with its
// cookbook file, then createcookbook and copyselection. An empty `info` becomes "-", in
// the caller's variable too. A failure removes the folder again and throws ExportError,
// so nothing half-built stays. The open cookbook is only read; it may be read-only.
void exportCookbook(db::Database& source, const QString& folder, const QString& name, QString& info, qint64 aid);

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
