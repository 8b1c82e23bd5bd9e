#pragma once
// Large cookbooks for measurements: the delivered cookbook with many generated
// recipes added and its indexes built, as it stands after the first start; or an
// old cookbook that has never been opened by this version.

#include <QString>

namespace kv::bench {

// The delivered cookbook of this build.
QString deliveredCookbook();

// Copies `source` (the delivered cookbook) as kelvor-daten.mdb into `folder`,
// which is created when missing, and adds `recipes` recipes with ingredient lines,
// preparation texts, categories, keywords, comments and import files, chosen by a
// generator seeded with `seed` (the same seed gives the same cookbook). Builds the
// indexes of [-indizes] and records the index build in changelog. Throws
// std::runtime_error (or kv::db::DbError) when the folder already holds a cookbook
// or the file cannot be written; a file it could not complete is removed.
// With `keywords`, that many keywords more stand in the tree at the depths 0 to 3 (one in
// a hundred on the top level, then 9, 30 and 60 in a hundred), each below a keyword one
// depth higher with its pairs, and the recipes' links spread over them.
void generateCookbook(const QString& folder, int recipes = 250000, unsigned seed = 1,
                      const QString& source = deliveredCookbook(), int keywords = 0);

// Writes kelvor-daten.mdb into `folder` (created when missing) as an old version left
// it: the tables of tests/support/oldschema.h, no `changelog`, no index but the two
// old keys, the old units, and the delivered cookbook's categories, keywords,
// comments and index definitions (read from `source`). Of the `recipes` recipes,
// about one in a hundred has no ingredient lines; every other one begins its first
// part with a heading line naming the servings: "Für N Personen" or "N Personen"
// (N from 1 to 12), a few "Für 0 Personen", a few without a number; a few more carry
// a normal line that names persons and a number. Heading texts are shared rows of
// zutindex. The same seed gives the same cookbook. Throws like generateCookbook.
void generateOldCookbook(const QString& folder, int recipes = 100000, unsigned seed = 1,
                         const QString& source = deliveredCookbook());

}  // namespace kv::bench
