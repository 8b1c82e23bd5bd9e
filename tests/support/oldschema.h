#pragma once
// The tables and units of a cookbook as older versions left it, shared by the
// opening tests' small fixture and the generator of large old cookbooks. No gtest
// here: the benchmark library links it.

namespace kv::db {
class Database;
}

namespace kv::test {

// Creates the tables in their old shapes: no `changelog`, `rep-mbesch` and
// `importsubdirs`; `einheiten` with three fields and one index, `importdateien` with
// an AutoNumber `did`, `rep-korbliste` with a byte `nr`, 14 fields and its key,
// `umlaute.alt` 2 wide, `editzutat` refusing empty text. Every other index is left
// to the first start's build.
void createOldTables(db::Database& db);

// The units an old cookbook knew (g, ccm, Stück, EL) and two import aliases.
void insertOldUnits(db::Database& db);

}  // namespace kv::test
