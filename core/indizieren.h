#pragma once
// The first-start work: the first-start settings and the search indexes a cookbook is
// delivered without, built from its tables `-indizes` and `-indexfelder`.

namespace kv {

namespace db {
class Database;
}

// Builds every listed index the cookbook lacks, all in one transaction with the row
// that records the step; between two messages when there is anything to build.
void indizieren(db::Database& db);

}  // namespace kv
