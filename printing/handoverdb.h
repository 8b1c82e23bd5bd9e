#pragma once
// The print hand-over database: the tables the print buttons fill for the print window
// (`rep-korbliste`, the shopping list's work table `rep-einkauf`, and `rep-mbesch`) in a
// database of this run of the program, in its private temp folder. A cookbook that may
// only be read (a CD, a read-only share) is printed all the same, and printing never
// writes to the cookbook file.
//
// The hand-over reads the cookbook through the same connection: while a
// CookbookForHandover lives, the cookbook's file is attached for reading only, so one
// transaction sees the cookbook's rows and writes the hand-over's, and names that are not
// the hand-over's own (`rezepte`, `zutaten`, ...) are the cookbook's.

#include "platform/db/database.h"

#include <QString>

#include <memory>

namespace kv {

// The columns of a recipe's handed-over lines, as a cookbook has them, so amounts, dates
// and titles are stored, compared and sorted the same way. `rep-korbliste` and the
// layout's `rezepte` add the recipe's place in the list, `rnr`.
inline const QString kHandoverColumns = QStringLiteral(
    "aname VARCHAR(255) COLLATE NOCASE_DE, adat DATETIME, rid LONG, rname VARCHAR(255) COLLATE NOCASE_DE, "
    "p SMALLINT, port SMALLINT, ungen BIT, ztext LONGTEXT COLLATE NOCASE_DE, tid SMALLINT, nr SMALLINT, "
    "eval LONG, ename VARCHAR(20) COLLATE NOCASE_DE, men VARCHAR(50) COLLATE NOCASE_DE, "
    "zname VARCHAR(255) COLLATE NOCASE_DE");

// The `nr` of a handed-over line that has none but is no heading (a heading's is 0): it is
// printed without a number.
inline constexpr int kUnnumberedLine = -1;

class HandoverDatabase {
public:
    // kelvor-druckuebergabe.db in the program's private temp folder; throws db::DbError when
    // that folder cannot be made.
    static QString path();

    // The open database with its tables, opened or made at first use and again when the
    // temp folder changed.
    db::Database& db();
    void close();

private:
    std::unique_ptr<db::Database> m_db;
    QString m_path;
};

// The program's one; it lives until the program ends, with its folder.
HandoverDatabase& printHandover();

// The name the cookbook's tables have in the hand-over database while it is attached.
inline const QString kHandoverCookbook = QStringLiteral("kochbuch");

// Attaches `cookbook` to `handover` for reading, for as long as it lives; no transaction
// may be open on `handover` when it is made or when it goes. Attached only for a
// hand-over, so the cookbook is never held open by it across a switch or a compaction.
class CookbookForHandover {
public:
    CookbookForHandover(db::Database& handover, const db::Database& cookbook);
    ~CookbookForHandover();
    CookbookForHandover(const CookbookForHandover&) = delete;
    CookbookForHandover& operator=(const CookbookForHandover&) = delete;

private:
    db::Database& m_handover;
};

}  // namespace kv
