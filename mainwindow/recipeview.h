#pragma once
// What the main window's recipe view reads and writes, without a window: the ingredient
// table behind the unbound grid, the servings box, and the in-place edits of preparation,
// keywords and comment.

#include "platform/db/database.h"

#include <QAbstractTableModel>
#include <QString>
#include <QVariant>

#include <array>

namespace kv {

// The ingredient table behind the unbound grid: 257 rows of 7 cells. Null is an invalid
// QVariant. Rows beyond the count in use are stale.
enum ZutColumn : int {
    ZutNr = 0,        // line number; Null for a heading line
    ZutAmount = 1,    // the display amount for the servings wanted, as text
    ZutEname = 2,     // unit; Null when the line has none
    ZutZutat = 3,     // ingredient, or the heading text
    ZutMenge = 4,     // the amount as stored
    ZutPort = 5,      // servings the recipe is written for
    ZutEid = 6,       // unit id
};
using ZutTable = std::array<std::array<QVariant, 7>, 257>;
// The row count is 8 bit: lines of a recipe beyond this are not shown.
inline constexpr int kMaxZutRows = 255;

// Reads the lines of recipe `rid` into the table, amounts for `wanted` servings, and
// returns how many it read. A failing read leaves the lines read so far.
int getzutdata(db::Database& db, qint64 rid, qint16 wanted, ZutTable& table);
// The display amounts of the first `count` rows, again for `wanted` servings.
void recalcmenge(ZutTable& table, int count, qint16 wanted);
// Cell text of the grid's four columns: line number, amount, unit, ingredient.
QString zutCell(const ZutTable& table, int row, int column);

// The unbound ingredient grid's rows: the first `rows` of the table, four columns.
class ZutTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    ZutTableModel(const ZutTable* table, QObject* parent = nullptr);
    // How many rows the grid shows; every cell is read again.
    void setRows(int rows);
    int rows() const { return m_rows; }
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    const ZutTable* m_table;
    int m_rows = 0;
};

// The servings box holds text; it is read as a 16-bit number, rounded half to even.
enum class ServingsCheck { Ok, NotNumber, BelowOne, AboveMax };
struct Servings {
    ServingsCheck check = ServingsCheck::NotNumber;
    qint16 value = 0;   // valid only with Ok
};
inline constexpr qint16 kMaxServings = 32767;
Servings readServings(const QString& text);
// The message for a servings text that is no number in range; empty for Ok.
QString servingsMessage(ServingsCheck check);

QString zpersCaption(const QString& portText);

// The recipe's keywords as the box shows them: "A, B".
QString stichText(db::Database& db, qint64 rid);
// The recipe's preparation, empty when it has none.
QString zubText(db::Database& db, qint64 rid);
// Stores the preparation; a recipe without a preparation row gets one. Throws RecipeGone
// (recipegone.h), writing nothing, when the recipe is no longer there.
void saveZub(db::Database& db, qint64 rid, const QString& text);
void saveMbesch(db::Database& db, qint64 mid, const QString& text);

struct NewComment {
    qint64 komid = 0;
    QString text;       // as stored, cut to the column's 49 characters
};
inline constexpr int kCommentLength = 49;
// A typed comment text always becomes a new comment, even when an equal one exists.
NewComment addComment(db::Database& db, const QString& text);
// Sets (or with Null clears) a recipe's comment, also in the selection lists' copies.
// Throws RecipeGone, writing nothing, when the recipe is no longer there.
void setRecipeComment(db::Database& db, qint64 rid, const QVariant& komid);
// A typed comment text as a new comment, set for the recipe, in one transaction; throws
// RecipeGone, making no comment, when the recipe is no longer there.
NewComment addRecipeComment(db::Database& db, qint64 rid, const QString& text);

}  // namespace kv
