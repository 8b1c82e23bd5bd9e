#pragma once
// A large cookbook for measurements: the delivered cookbook with many generated
// recipes added and its indexes built, as it stands after the first start.

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
void generateCookbook(const QString& folder, int recipes = 250000, unsigned seed = 1,
                      const QString& source = deliveredCookbook());

}  // namespace kv::bench
