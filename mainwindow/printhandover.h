#pragma once
// The print hand-over of the main window: each print button empties the table
// `rep-korbliste` of the print hand-over database (printing/handoverdb.h) and fills it
// with what is to be printed from the cookbook, one row per ingredient line, the amounts
// already written as kitchen fractions for the servings to print; the print window then
// lays out whatever the table holds. The cookbook is only read, so a cookbook that may
// not be written prints all the same.
//
// `db` is the hand-over database and `cookbook` the open cookbook, attached to it for
// reading while a hand-over runs.
//
// The rows of a recipe are inserted through the one lenient call: a row whose key (`rid`,
// `tid`, `nr`) is already there is dropped, so a recipe that stands twice in a list or
// menu is printed once. A recipe without a preparation is printed without one.
//
// Each function works in one transaction of the hand-over database: a failure leaves the
// tables as they were and reaches the caller. True when the print window is to be shown.

#include "platform/db/database.h"

#include <QDate>
#include <QString>

#include <optional>

namespace kv {

// The current selection list (`menu` false, `id` its aid) or menu (`id` its mid), or none.
// In menu mode `description` is the menu's description as the window shows it; it is
// printed first, as a block of its own.
//
// Asks for the print log (when `printlogging` is "1") before anything is written, and logs
// the start and the hand-over. Without a list or menu the table is emptied and nothing is
// printed; so it is when no recipe of the list has an ingredient line.
bool handOverList(db::Database& db, const db::Database& cookbook, bool menu, std::optional<qint64> id,
                  const QString& description);

// One recipe for `servings` (already checked to be 1 to 32767), dated `today`. Asks
// nothing and logs nothing: the print log keeps the answer given last. Throws RecipeGone
// (recipegone.h), keeping the last print's rows, when the recipe is no longer there.
bool handOverRecipe(db::Database& db, const db::Database& cookbook, qint64 rid, qint16 servings,
                    const QDate& today);

// The shopping list of a selection list or menu: its ingredient lines scaled to the
// servings of each entry and added up per unit and ingredient name, numbered from 1 under
// "Zutaten :" (with an amount) and "Sowie :" (without), and its dishes under "Gerichte :".
// Heading lines are left out. A recipe written for 0 servings gives its lines no amount.
// With nothing to buy `rep-korbliste` keeps its rows and nothing is printed.
bool handOverShoppingList(db::Database& db, const db::Database& cookbook, bool menu, std::optional<qint64> id);

// The amount of every row of `rep-korbliste` in `db` as kitchen-fraction text, scaled from the
// recipe's servings `port` to the servings printed `p`; no amount and 0 become " ".
void writeKitchenAmounts(db::Database& db);

}  // namespace kv
