#pragma once
// Writing a recipe's parts into the cookbook.

#include "platform/db/database.h"

#include <QString>

namespace kv {

inline const QString eigeneStichworte = QStringLiteral("Eigene Stichworte");

// Stores the comma-separated keywords of `text` as the links of recipe `rid`; keywords the
// cookbook lacks are created under "Eigene Stichworte". With keep false the recipe's old
// links are replaced; an empty text changes nothing (blanks alone do: they hold no keyword). Reports a refused text or a failure
// by message box and returns false; nothing of a failed save stays behind unless the
// caller runs its own transaction.
bool savestich(db::Database& db, qint64 rid, bool keep, const QString& text);

// The characters a keyword text may hold (the comma separates keywords).
bool stichTextAllowed(const QString& text);

}  // namespace kv
