#pragma once
// A write that belongs to a recipe, made while another program on the same cookbook (the
// program started twice, a second user of a shared folder) may have deleted that recipe.
// Each such write checks, in the transaction that writes, that the recipe is still there;
// when it is not, nothing is written and the caller is told by RecipeGone, so that no row
// of a recipe that no longer exists is left in the cookbook.

#include "platform/db/database.h"

#include <QString>

namespace kv {

// What the user is told, in one sentence.
QString recipeGoneMessage();

class RecipeGone : public db::DbError {
public:
    explicit RecipeGone(qint64 rid);
    qint64 rid() const { return m_rid; }

private:
    qint64 m_rid;
};

// Throws RecipeGone when recipe `rid` is not in `db`. Call it inside the transaction of
// the write it guards.
void requireRecipe(db::Database& db, qint64 rid);

}  // namespace kv
