#pragma once
// The ingredient search behind the window `zutatensuche`: terms of three columns (any of,
// all of, none of) matched against the ingredient names, worked out in the cookbook's
// tables suchzutat, suchrids and suchfound; the recipes found become the main window's list.

#include "platform/db/database.h"

#include <QList>
#include <QString>

#include <array>
#include <functional>

namespace kv {

struct IngredientFields {
    std::array<QString, 7> z;  // any of these
    std::array<QString, 7> m;  // all of these
    std::array<QString, 7> n;  // none of these
};

enum class TermColumn { AnyOf, AllOf, NoneOf };

// One filled field, in the order the search takes them: z, then m, then n.
struct IngredientTerm {
    QString text;          // as typed, blanks and all
    TermColumn column = TermColumn::AnyOf;
    bool tooShort = false; // one or two characters: said and left out
    int group = 0;         // the search group of a term
};

QList<IngredientTerm> ingredientTerms(const IngredientFields& fields);

enum class TermsCheck { Ok, NoTerm, OnlyNoneOf };
TermsCheck checkTerms(const QList<IngredientTerm>& terms);

// "apfel|birne + zimt - nuss": any-of terms, all-of terms, none-of terms.
QString describeSearch(const QList<IngredientTerm>& terms);

// Before each step of the series: step runs from 1 to total (terms + 4).
using SearchProgress = std::function<void(int step, int total)>;
// What the window shows of it.
QString searchProgressText(int step, int total);

// The series on `db`: the matched names into suchzutat, the pairs of group and recipe into
// suchrids (each once), the recipes that satisfy every group and hold no none-of
// ingredient into suchfound. suchzutat and suchrids end empty. Too-short fields are said
// as their turn comes. Returns the number of recipes found. Throws db::DbError.
qint64 runIngredientSeries(db::Database& db, const QList<IngredientTerm>& terms, const SearchProgress& progress);

// The list of a search's result.
inline const QString suchfoundSource = QStringLiteral(
    "select rezepte.rid,kid,port,rname,komid from rezepte INNER JOIN suchfound ON rezepte.rid = suchfound.rid "
    "order by rname;");

// The whole search: the checks with their messages, the series, the description and count
// over the list, the result recorded in the history when it has fewer recipes than
// `suchtreffer`, the list showing it. A failure is rolled back and reported, and leaves the
// list as it was. False when nothing was searched or the search failed.
bool suchliste(const IngredientFields& fields, const SearchProgress& progress);

}  // namespace kv
