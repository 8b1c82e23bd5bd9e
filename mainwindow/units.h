#pragma once
// The units the recipe editor offers and accepts: the units list in its groups, and the
// check of a unit typed into an ingredient line.

#include "platform/db/database.h"

#include <QString>

#include <vector>

namespace kv {

// One row of the units list: a unit ("EL" and its long name) or an empty row between
// two groups.
struct UnitListRow {
    QString text;    // ename, a Tab and elang; empty for a separator
    QString ename;   // empty for a separator
};

// The units offered in the list (`mmunit` true), by group and order within the group, an
// empty row before each group but the first. Names are kept whole.
std::vector<UnitListRow> unitListRows(db::Database& db);

// What a unit typed into a line stands for.
enum class UnitVerdict {
    AsTyped,    // a unit of the list, or "x" (the amount does not change with the servings)
    Replaced,   // an alias of a list unit: `ename` is that unit's short name
    NoUnit,     // an alias of no unit at all ("Stück")
    Unknown,    // neither; an alias of a unit outside the list counts as unknown too
};
struct UnitCheck {
    UnitVerdict verdict = UnitVerdict::Unknown;
    QString ename;
};
UnitCheck checkUnitText(db::Database& db, const QString& text);

// The message for a unit the check does not know.
QString unknownUnitMessage(const QString& text);

}  // namespace kv
