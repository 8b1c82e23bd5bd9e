#pragma once
// What the main window's lower-left panel of selection lists and menus writes, without a
// window. Ids and servings are numbers here; the window checks its text boxes first.

#include "platform/db/database.h"

#include <QString>

#include <optional>

namespace kv {

// The quick list, which can only be emptied.
inline constexpr qint64 kSchnellauswahl = 1;
inline constexpr int kMenuNameLength = 50;
// Adding more recipes than this at once is asked first.
inline constexpr qint64 kAuswahlalleFrage = 50;

// Record sources of the panel's Data controls.
QString auswahlSource(qint64 aid);
QString menuesSource();
QString menuDishesSource(qint64 mid);

// Adds the recipe to the list or menu; false when it is already there (nothing said).
// Throws RecipeGone (recipegone.h), adding nothing, when the recipe is no longer there.
bool addToAuswahl(db::Database& db, qint64 aid, qint64 rid, qint16 port);
bool addToMenu(db::Database& db, qint64 mid, qint64 rid, qint16 port);

// The statement that adds every recipe of the recipe list `recordSource` to list `aid`:
// it takes the list's filter, join and order from the source's first "from" on. Empty
// when the source has no "from".
QString auswahlalleSql(qint64 aid, qint16 port, const QString& recordSource);
// Runs it; false when the source has no "from".
bool auswahlalle(db::Database& db, qint64 aid, qint16 port, const QString& recordSource);

// Deletes a list with its entries; the quick list is only emptied.
void deleteAuswahl(db::Database& db, qint64 aid);
// Deletes a menu with its dishes.
void deleteMenu(db::Database& db, qint64 mid);

// A new list; with `moveFrom` set the entries of that list move into it. Returns the new aid.
qint64 saveaus(db::Database& db, const QString& name, std::optional<qint64> moveFrom);
qint64 savemen(db::Database& db, const QString& name);

// A number from a bound text of the panel ("5"); nullopt for anything else.
std::optional<qint64> idFromText(const QString& text);

}  // namespace kv
