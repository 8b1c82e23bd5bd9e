#include "mainwindow/recipegone.h"

namespace kv {

QString recipeGoneMessage()
{
    return QStringLiteral("Das Rezept wurde inzwischen gelöscht, wohl von einem anderen Kelvor, das dasselbe "
                          "Kochbuch geöffnet hat.");
}

RecipeGone::RecipeGone(qint64 rid)
    : db::DbError(db::errRecordDeleted, recipeGoneMessage())
    , m_rid(rid)
{
}

void requireRecipe(db::Database& db, qint64 rid)
{
    if (!db.scalar(QStringLiteral("select 1 from rezepte where rid=?"), {rid}).isValid())
        throw RecipeGone(rid);
}

}  // namespace kv
