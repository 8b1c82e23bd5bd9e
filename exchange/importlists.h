#pragma once
// What the import's windows write, show and change: the clipboard's text handed to the
// import, the error list of the last import, the recipes without a category, and the
// imported-files entries with their merge.

#include "platform/db/database.h"

#include <QList>
#include <QString>

namespace kv::exchange {

// Replaces the hand-over file of the import with the text and a line break; false when
// it cannot be written.
bool writeHandOverText(const QString& text);

// One entry of a list: its id and the text shown.
struct ListEntry {
    qint64 id = 0;
    QString text;
    friend bool operator==(const ListEntry&, const ListEntry&) = default;
};

// The error list, one entry per error row: errid, " - " and the file's name without its
// folder (a newsgroup or clipboard import's name whole). A folder that could not be read
// is named by its path.
QList<ListEntry> importErrorEntries(db::Database& db);
// The detail of one error: the title line, the error line and, after an empty line, the
// raw text read, joined by the program's line break. Empty when the error is gone.
QString importErrorDetail(db::Database& db, qint64 errid);
// Empties both error tables.
void clearImportErrors(db::Database& db);

// What the error list can open for an error.
struct ErrorFile {
    enum Kind { None, NotAFile, Missing, File };
    Kind kind = None;      // None: the error is gone
    QString path;          // the imported file's full path, or the entry's name
};
ErrorFile importErrorFile(db::Database& db, qint64 errid);
// What the error list says when there is no file to open.
QString errorFileMessage(const ErrorFile& file);

// The recipes without a category, by title.
QList<ListEntry> recipesWithoutCategory(db::Database& db);
// The categories a recipe can be given, by name; the row 0 ("all categories") is none.
QList<ListEntry> categoriesOffered(db::Database& db);
void assignCategory(db::Database& db, qint64 rid, qint64 kid);
// The entry to select after the entry `removed` of a list of `count` entries was taken
// out: the one that followed it, or the new last one; -1 when the list is empty.
int nextSelection(int removed, int count);

// The imported-files entries a user can merge (every one but "Alle"), by name.
QList<ListEntry> importFileEntries(db::Database& db);
// Makes one new entry named `name` of the entries `dids`: their recipes move to it and
// their rows go. The new id is the largest + 1, so it can never be one in use. All in
// one transaction: a failure throws db::DbError and leaves everything as it was.
// Returns the new id.
qint64 mergeImportFiles(db::Database& db, const QString& name, const QList<qint64>& dids);

}  // namespace kv::exchange
