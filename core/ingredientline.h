#pragma once
// Which stored ingredient lines are headings of a recipe's ingredient list. Print, shopping
// list and exports ask alike, so a line reads the same wherever it goes.

#include <QString>
#include <QVariant>

namespace kv {

// A heading opens a part of the ingredient list: its number is 0, or it has no number and
// holds neither an amount nor a unit. A line without a number that holds an amount or a
// unit is one to cook with: editors before this one stored a line begun with the mouse so.
bool isHeadingLine(const QVariant& nr, const QVariant& menge, const QVariant& eid);

// The same test in SQL over the columns `nr`, `menge` and `eid` of `zutaten` as `table`
// (its name or alias) names them.
QString headingLineSql(const QString& table);

}  // namespace kv
