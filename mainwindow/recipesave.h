#pragma once
// Writing a recipe's parts into the cookbook.

#include "platform/db/database.h"

#include <QString>
#include <QVariant>

#include <optional>
#include <vector>

namespace kv {

inline const QString eigeneStichworte = QStringLiteral("Eigene Stichworte");

// Stores the comma-separated keywords of `text` as the links of recipe `rid`; keywords the
// cookbook lacks are created under "Eigene Stichworte". With keep false the recipe's old
// links are replaced; an empty text changes nothing (blanks alone do: they hold no keyword). Reports a refused text or a failure
// by message box and returns false; nothing of a failed save stays behind. A recipe that
// is no longer there is not reported here: RecipeGone (recipegone.h) reaches the caller.
bool savestich(db::Database& db, qint64 rid, bool keep, const QString& text);

// The characters a keyword text may hold (the comma separates keywords).
bool stichTextAllowed(const QString& text);
// Whether a keyword text may be stored: each of its keywords holds only those characters,
// or is one the cookbook has already (an imported "Omi's Beste" passes as it stands).
bool stichTextAllowed(db::Database& db, const QString& text);
// What is said of a keyword text with a character it may not hold.
QString stichMessage();
// Says stichMessage() as the keyword save does.
void sayStichRefused();

// One line of the work table `editzutat`, as the editor holds it.
struct EditLine {
    QVariant nr;      // whole number, or Null / "" for a heading line
    QVariant men;     // the amount as the cook reads it ("1 1/2", "0,75"), or Null / ""
    QVariant ename;   // a unit's short name, "x", or Null / ""
    QVariant zut;     // the ingredient; Null (or an empty text) skips the line
    // What the line held when the recipe was read into the editor. An amount or unit text
    // the user left as it was keeps the stored amount or unit id: the text of an amount
    // is rounded ("62" for 62.5) and must not change the recipe when it is saved back.
    struct Stored {
        QString menText;
        QVariant menge;
        QString enameText;
        QVariant eid;
    };
    std::optional<Stored> stored;
};

// A recipe as the editor shows it.
struct EditRecipe {
    qint64 rid = 0;        // 0: a new recipe
    QString name;
    QString servings;      // the text of the servings box
    QString kid;           // the category combo's bound value; empty when none is chosen
    QString zub;
    QString stich;
    std::vector<EditLine> lines;   // in the work table's stored order
};

// Reads recipe `rid` as the editor shows it: name, servings, category, preparation,
// keywords, and its lines ordered by part and number with the amount as `bruch` writes
// it (an amount of "0" as Null) and the unit's short name, each line with what it held.
// Throws RecipeGone (recipegone.h) when the recipe is gone.
EditRecipe loadRecipeForEdit(db::Database& db, qint64 rid);

// The amount of an amount text: "1 1/2", "3/4", "0,75", "2 Stück"; a comma reads as a
// point; blanks around it do not count; a text without leading digits gives 0. Nothing
// when a fraction divides by 0.
std::optional<double> readAmount(const QString& text);
// The part (`tid`) of each line from the sequence of line numbers: a heading line (Null
// or 0) or a number that does not rise opens a part; the counter starts at 1.
std::vector<int> partNumbers(const std::vector<QVariant>& nrs);

// What keeps a recipe from being saved, said in one German sentence; nothing when it may.
// Checks the name (not blank), the servings (1 to 32767), the category, every amount (no
// fraction of 0) and the keyword text, before anything is written.
std::optional<QString> saveRefusal(db::Database& db, const EditRecipe& recipe);

// Stores the recipe from the editor in one transaction and returns its id: a new
// `rezepte` row for rid 0 (under the imported file "Selbst eingegeben"), or the rows of
// recipe rid replaced; its copies in selection lists and menus follow its name, category
// and servings; new ingredient texts and units are added once; the keywords are stored. A
// line with an amount or a unit but no number is stored with the number after the line
// before it in its part (1 first in a part); a line with its text alone and no number
// stays a heading.
// Throws db::DbError (German text) when anything fails or saveRefusal refuses it, and
// RecipeGone when an edited recipe is gone, leaving the cookbook as it was. Check saveRefusal first, to say why; the
// work table is not touched here.
qint64 saverezept(db::Database& db, const EditRecipe& recipe);

// Adds a unit the cookbook does not know (`ekurz` "$$", not offered in the units list)
// and returns its id; "x" (in either case) takes the id kUnscaledUnit when that is free.
qint64 neueinheit(db::Database& db, const QString& ename);

}  // namespace kv
