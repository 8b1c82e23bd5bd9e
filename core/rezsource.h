#pragma once
// The recipe list's query, its description and count, and the search history.

#include "platform/db/database.h"

#include <QList>
#include <QLocale>
#include <QString>

namespace kv {

namespace db {
class DataControl;
}

// What the recipe-list procedures need of the main window. The main window implements
// it; tests supply their own.
class RecipeListView {
public:
    virtual ~RecipeListView() = default;
    virtual db::DataControl* rez() = 0;        // the list; its record source is the query
    virtual db::DataControl* kat() = 0;        // the filter combo's source
    virtual void refreshKatgrid() = 0;
    virtual QString gesucht() const = 0;       // the list's description
    virtual void setGesucht(const QString& text) = 0;
    virtual void setRezzahl(const QString& text) = 0;
};

void setRecipeListView(RecipeListView* view);
RecipeListView* recipeListView();

// Reads the filter combo's rows again and shows them; the entry chosen stays chosen. False
// when it is gone (an import file whose last recipe was deleted): the combo then shows none.
bool refreshFilterEntries(RecipeListView& view);

inline const QString rezepteBasis =
    QStringLiteral("select rid,kid,port,rname,komid from rezepte order by rname;");
inline const QString alleGerichte = QStringLiteral("> alle Gerichte");

// keep = false starts from the base query and resets the filter combo; keep = true
// refines the list shown. Throws db::DbError from the list's refresh.
void rezfilter(const QString& filter, bool keep);
// Describes the list just filtered, writes its count and records small lists in the
// search history.
void rezcaption(const QString& part);
// The list shows every recipe again under "> alle Gerichte", the filter combo its first
// entry; nothing when no list is shown.
void showAllRecipes();

// The query with one more condition spliced in: a category-type condition ("kid=",
// "komid=", "did=") replaces the one standing, any other condition goes first after
// "where". Text inside quoted literals is never taken for a keyword.
QString spliceFilter(const QString& query, const QString& filter);
// The description after appending `part`, without an earlier category, file or comment part.
QString captionWithPart(const QString& current, const QString& part);
// "#,###": grouped digits in the locale, nothing for 0.
QString formatCount(qint64 count, const QLocale& locale = QLocale());
// Adds one list to the history; pushes out the oldest first when the history holds more
// than `keep` lists.
void recordSearch(db::Database& db, const QString& ssql, const QString& stext,
                  const QList<qint64>& rids, qint64 keep);
// A setting read as a number; empty or not a number counts as 0.
qint64 regNumber(const QString& name);

}  // namespace kv
