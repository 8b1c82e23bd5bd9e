#pragma once
// Recipes stored row by row and put into a selection list, as the export reads them.

#include "platform/db/database.h"

#include <QDate>
#include <QString>
#include <QVariant>

#include <optional>
#include <vector>

namespace kv::test {

// Units of the delivered cookbook, and the date the writers put in their header.
inline constexpr qint64 kEL = 29;  // ekurz "tb"
inline constexpr qint64 kGramm = 11;
inline constexpr qint64 kMilliliter = 13;
inline const QDate kHeute(2025, 2, 3);

// One row of `zutaten`; nr 0 is a heading of the ingredient list.
struct ExportLine {
    int tid;
    int nr;
    std::optional<qint64> eid;
    std::optional<double> menge;
    QString text;
};

inline qint64 newSelection(db::Database& db)
{
    db.execute(QStringLiteral("insert into auswahlen (aname) values ('Export')"));
    return db.lastInsertId();
}

inline qint64 zutidOf(db::Database& db, const QString& text)
{
    const QVariant id = db.scalar(QStringLiteral("select zutid from zutindex where zutat = ?"), {text});
    if (id.isValid()) return id.toLongLong();
    db.execute(QStringLiteral("insert into zutindex (zutat) values (?)"), {text});
    return db.lastInsertId();
}

// A unit typed in the editor.
inline qint64 addOwnUnit(db::Database& db, const QString& ename)
{
    db.execute(QStringLiteral("insert into einheiten (ename, ekurz, mmunit) values (?, '$$', 0)"), {ename});
    return db.lastInsertId();
}

// A recipe stored for `port` servings, in the selection `aid` with `p` servings (0: its own).
inline qint64 addRecipe(db::Database& db, qint64 aid, const QString& name, int port, const std::vector<ExportLine>& rows,
                        const std::optional<QString>& ztext, int p = 0, const QVariant& kid = {})
{
    db.execute(QStringLiteral("insert into rezepte (rname, port, ungenau, kid) values (?, ?, 0, ?)"), {name, port, kid});
    const qint64 rid = db.lastInsertId();
    for (const ExportLine& l : rows)
        db.execute(QStringLiteral("insert into zutaten (rid, tid, nr, eid, menge, zutid) values (?, ?, ?, ?, ?, ?)"),
                   {rid, l.tid, l.nr, l.eid ? QVariant(*l.eid) : QVariant(), l.menge ? QVariant(*l.menge) : QVariant(),
                    zutidOf(db, l.text)});
    if (ztext) db.execute(QStringLiteral("insert into zubereit (rid, ztext) values (?, ?)"), {rid, *ztext});
    db.execute(QStringLiteral("insert into rezinaus (aid, rid, rname, port) values (?, ?, ?, ?)"),
               {aid, rid, name, p > 0 ? p : port});
    return rid;
}

}  // namespace kv::test
