#pragma once
// The numbered upgrade steps that bring an older cookbook to the current schema. Each
// step runs on the cookbook it is given, in one transaction with the row that records it
// in `changelog`: a step that fails leaves the file as it was and runs again at the next
// opening.

#include "platform/db/database.h"

#include <QString>

#include <array>
#include <optional>

namespace kv {

// Servings from "personen" heading lines; the converted lines and their now unused
// texts are deleted.
void update100(db::Database& db);
// A placeholder line "-" for every recipe without ingredient lines.
void update101(db::Database& db);
// Hand-over column, keyword root, umlaut table, imported files, unit index.
void update103(db::Database& db);
// Unit columns, the standard units and the merging of older units into them.
void update104(db::Database& db);
// The hand-over table's line number as a 16-bit integer in its primary key.
void update106(db::Database& db);
// The directory list of the tree import.
void update110(db::Database& db);
// Moves ingredient lines of an old unit numbering to the ids they belong to.
void update111(db::Database& db);
// Drops the ingredient lines' index on `zutid` alone where the index on (zutid, rid)
// exists, which answers the same seeks, and its definition: every change of a line then
// maintains one index less.
void update112(db::Database& db);

// The two unit procedures of step 104. The ingredient lines of the units they merge are
// moved once, by applyUnitMoves, when all units are merged: each line is visited once,
// not once per unit.
void addeinheit(db::Database& db, const QString& ekurz, const QString& ename, const QString& elang, qint32 sprache,
                quint8 mmscale, quint8 mmorder, float scaleup, float scaledown);
void mergeeinheit(db::Database& db, const QString& aliasEkurz, const QString& aliasEname, const QString& targetEkurz);
void applyUnitMoves(db::Database& db);

struct StandardUnit {
    const char16_t* ekurz;
    const char16_t* ename;
    const char16_t* elang;
    quint8 mmscale;
    quint8 mmorder;
    float scaleup;
    float scaledown;
};
extern const std::array<StandardUnit, 29> standardUnits;

// The number of servings in a heading line: the first run of digits. Nothing when there
// is none or when it is too large for servings.
std::optional<int> servingsInText(const QString& text);

}  // namespace kv
