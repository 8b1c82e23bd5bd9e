#pragma once
// The keyword tables as the keyword tree's tests prepare and compare them.

#include "platform/db/database.h"
#include "search/stichworte.h"

#include <QMap>
#include <QStringList>

namespace kv::test {

// The delivered cookbook's keywords: top level Eigene Stichworte (1), Anlass (2) with
// Weihnachten (3), Ostern (4), Geburtstag (5), Grillfest (6); Jahreszeit (7) with
// Frühling (8), Sommer (9), Herbst (10), Winter (11); Küche (12) with 13..16;
// Eigenschaften (17) with 18..20.
inline constexpr qint64 kEigene = 1;
inline constexpr qint64 kAnlass = 2;
inline constexpr qint64 kWeihnachten = 3;
inline constexpr qint64 kOstern = 4;
inline constexpr qint64 kJahreszeit = 7;
inline constexpr qint64 kSommer = 9;
inline constexpr qint64 kHerbst = 10;
inline constexpr qint64 kKueche = 12;

// The rows of a query, each its fields joined by '|', Null as "NULL".
inline QStringList rowsOf(db::Database& db, const QString& sql)
{
    QStringList out;
    db::Statement st(db, sql);
    while (st.step()) {
        QStringList fields;
        for (int i = 0; i < st.columnCount(); ++i) fields << (st.isNull(i) ? QStringLiteral("NULL") : st.text(i));
        out << fields.join(u'|');
    }
    return out;
}

// sid -> "parent:text" of the nodes a build of the tree shows.
inline QMap<qint64, QString> builtTree(db::Database& db)
{
    QMap<qint64, QString> nodes;
    for (const KeywordNode& node : shownKeywords(db)) nodes.insert(node.sid, QString::number(node.parent) + u':' + node.text);
    return nodes;
}

// Every row of the four keyword tables, to compare before and after an action.
inline QStringList keywordTables(db::Database& db)
{
    return rowsOf(db, QStringLiteral("select 'k', sid, stichwort, subsid, ebene from stichworte order by sid")) +
           rowsOf(db, QStringLiteral("select 'p', sid, subsid from substich order by sid, subsid")) +
           rowsOf(db, QStringLiteral("select 'r', rid, sid from rezstich order by rid, sid")) +
           rowsOf(db, QStringLiteral("select 'a', sid, istich from impstich order by sid, istich"));
}

// The statements that match `when` ("before insert on substich", with a condition if need
// be) fail from now on, until the trigger "gesperrt" is dropped.
inline void failOn(db::Database& db, const QString& when)
{
    db.execute(QStringLiteral("create trigger gesperrt %1 begin select raise(abort, 'gesperrt'); end").arg(when));
}

inline QVariant ebeneOf(db::Database& db, qint64 sid)
{
    return db.scalar(QStringLiteral("select ebene from stichworte where sid=?"), {sid});
}

inline QVariant subsidOf(db::Database& db, qint64 sid)
{
    return db.scalar(QStringLiteral("select subsid from stichworte where sid=?"), {sid});
}

// How often the pair (sid, below) stands in substich.
inline qint64 pairCount(db::Database& db, qint64 sid, qint64 below)
{
    return db.scalar(QStringLiteral("select count(*) from substich where sid=? and subsid=?"), {sid, below}).toLongLong();
}

inline qint64 keywordRow(db::Database& db, const QString& text, const QVariant& parent, const QVariant& depth)
{
    db.execute(QStringLiteral("insert into stichworte (stichwort, subsid, ebene) values (?,?,?)"), {text, parent, depth});
    return db.lastInsertId();
}

// A keyword below `parent` as the tree places one: the depth after its parent's, both pairs.
inline qint64 placedKeyword(db::Database& db, const QString& text, qint64 parent)
{
    const QVariant depth = db.scalar(QStringLiteral("select ebene + 1 from stichworte where sid=?"), {parent});
    const qint64 sid = keywordRow(db, text, parent, depth);
    db.execute(QStringLiteral("insert into substich (sid,subsid) values (?,?),(?,?)"), {parent, sid, sid, sid});
    return sid;
}

}  // namespace kv::test
