#pragma once
// The layout database: a private SQLite file that carries a finished page layout from the
// layout engine to everything that works on pages afterwards (headers and footers, the
// booklet, the page drawing), together with a copy of the print hand-over rows under the
// name `rezepte`.
//
// The hand-over rows are copied at every layout, never linked: a link would hold the
// cookbook open across a switch or a compaction and block its commits, and would keep
// the rows of a cookbook that is no longer open.

#include "platform/db/database.h"

#include <QString>

#include <memory>

namespace kv {

class LayoutDatabase {
public:
    // kelvor-printout-temp.mdb in the program's private temp folder; throws db::DbError
    // when that folder cannot be made.
    static QString path();

    bool isOpen() const { return m_db != nullptr; }
    // The open database; throws db::DbError when it is closed.
    db::Database& db();

    // A new file with `rezepte` and the five layout tables, made in the order blockpos,
    // zutpos, zubpos, headpos, footpos; a file of that name left from before is deleted.
    void create();
    // Empties the five layout tables and drops their indexes, keeping the file.
    void empty();
    // Replaces the rows of `rezepte` with the hand-over rows `rep-korbliste` of `cookbook`,
    // dropping its index.
    void copyHandover(db::Database& cookbook);

    // The indexes the statements of each page look their rows up by, made once the rows
    // are written: a layout writes its header and footer rows, indexes them, writes their
    // texts page by page, and indexes `rezepte` and the block tables after its last bulk
    // write to them (the booklet's renumbering included). A new file has none.
    void indexBands();
    void indexBlocks();
    void close();

private:
    std::unique_ptr<db::Database> m_db;
};

}  // namespace kv
