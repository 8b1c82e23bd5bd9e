#pragma once
// The keyword tree without a window: what the tree shows, the recipes of a keyword, and
// the organize actions. Every action runs in one transaction and throws db::DbError with
// the cookbook as it was; an action that has nothing to act on (the root, no keyword, a
// drop into its own subtree) changes nothing and says so by its result.

#include "platform/db/database.h"

#include <QList>
#include <QString>

#include <optional>
#include <vector>

namespace kv {

// The root node "n0" stands for no keyword row; top-level keywords carry it as subsid.
inline constexpr qint64 kStichRoot = 0;
// Depths from here on are kept but not shown; 255 hides a free keyword.
inline constexpr int kEbeneUnsichtbar = 200;
inline constexpr int kEbeneVersteckt = 255;
inline const QString kNeuesStichwort = QStringLiteral("Neues Stichwort");

// `showmode`: the keyword with the keywords paired with it, or the keyword alone.
inline constexpr qint16 kGanzerPfad = 0;
inline constexpr qint16 kNurGewaehltes = 1;

// One node of the tree.
struct KeywordNode {
    qint64 sid = 0;
    qint64 parent = kStichRoot;
    QString text;
    bool withRecipes = false;   // image 3: depth 1 or more and at least one recipe
};

// Frees every placed keyword below the top level whose parent row is missing or is free
// itself, with its pairs; one generation per call, as the children of a keyword freed now
// still have a placed parent. Returns the ids freed.
QList<qint64> detachOrphans(db::Database& db);

// The nodes of the tree, read in one statement: from the root down along `subsid`, a
// keyword is shown when its parent is and its own depth is below 200, so a keyword under
// a parent without a node (a cycle, a grandchild of a keyword just taken out) is left
// out rather than breaking the tree. Parents come before their children, children in
// alphabetical order.
std::vector<KeywordNode> shownKeywords(db::Database& db);

// Whether a keyword stands before another among the children of one parent, as a build
// orders them: by text as the cookbook compares it, then by id.
bool keywordBefore(const QString& text, qint64 sid, const QString& otherText, qint64 otherSid);

// The recipe list's source for a keyword: title order, the main list's columns. In
// whole-subtree mode a recipe of two keywords paired with `sid` is listed twice.
QString keywordRecipesSource(qint64 sid, qint16 showmode);
// Shows the keyword's recipes in the main window's list, with their count and the
// description "> " & " Stichwort '" & text & "'". A source that fails leaves the list,
// its count and its description as they were (throws db::DbError).
void showKeywordRecipes(qint64 sid, const QString& text, qint16 showmode);

// The free keywords beginning with `filter`, whose wildcards (* ? # [ ]) keep their
// meaning, in alphabetical order; the source of the list `list`.
QString freeKeywordsSource(const QString& filter = {});
// The aliases of a keyword; the source of the list `alias`.
QString aliasesSource(qint64 sid);

// Whether `candidate` is `sid` or lies below it, following `subsid`.
bool inSubtree(db::Database& db, qint64 sid, qint64 candidate);

// Places the free keyword `sid` below the placed keyword `parent` with both pairs.
// False when `parent` is the root or not placed, or `sid` is not free.
bool placeFreeKeyword(db::Database& db, qint64 parent, qint64 sid);
// Hides a free keyword (its recipe links stay). False when it is not free.
bool hideFreeKeyword(db::Database& db, qint64 sid);
// Merges the free keyword `sid` into the placed keyword `target` as an alias: its recipes
// carry `target` (a recipe that had both keeps one link), its text becomes an alias of
// `target`, its row goes. False when either is missing or not what it should be.
bool mergeAsAlias(db::Database& db, qint64 sid, qint64 target);
// Takes an alias from `sid` and makes its text a new free keyword; the recipes stay with
// `sid`. The new keyword's id, none when `sid` has no such alias.
std::optional<qint64> freeAlias(db::Database& db, qint64 sid, const QString& alias);
// A new keyword "Neues Stichwort" below the placed keyword `parent`, with both pairs.
std::optional<qint64> addKeyword(db::Database& db, qint64 parent);
// Gives a keyword a new text. An apostrophe cannot be stored; the window refuses it first.
bool renameKeyword(db::Database& db, qint64 sid, const QString& text);
// Takes a keyword out of the tree: it becomes free with its recipe links, and every pair
// naming it goes, so no subtree lists its recipes any more. The keywords below it keep
// their rows; the builds free them one generation at a time.
bool takeOutOfTree(db::Database& db, qint64 sid);
// Hangs `sid` below `target`: the pair with the old parent goes, the pair with the new
// one is written once, and `sid` and every keyword below it shift their depth by the
// change. False for the root, a target that is not placed, or a target in its own subtree.
bool moveKeyword(db::Database& db, qint64 sid, qint64 target);
// Copies `sid` and every keyword shown below it under `target`: new ids, the same texts,
// depths following the new parents, the pairs (parent, copy) and (copy, copy); recipe
// links and aliases are not copied. The copies, parents first; none when refused as for
// moveKeyword.
std::vector<KeywordNode> copyKeyword(db::Database& db, qint64 sid, qint64 target);

}  // namespace kv
