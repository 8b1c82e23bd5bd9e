#include "search/stichworte.h"

#include "core/mainmod.h"
#include "core/rezsource.h"
#include "platform/db/datacontrol.h"
#include "platform/db/sqlfunctions.h"

#include <QHash>
#include <QSet>

#include <deque>

namespace kv {

namespace {

// Keywords whose parent row is missing or free. Top-level keywords (subsid 0) have no
// parent row by design and stay where they are, whatever depth they carry.
const QString kOrphans = QStringLiteral(
    "SELECT stichworte.sid FROM stichworte LEFT JOIN stichworte AS stichworte_1 ON "
    "stichworte.subsid = stichworte_1.sid GROUP BY stichworte.sid, stichworte.ebene "
    "HAVING Count(stichworte_1.subsid)=0 AND stichworte.ebene Is Not Null And stichworte.ebene<>255 "
    "And stichworte.ebene<>0 And stichworte.subsid<>0");

// A keyword in the tree: it has a parent (0 for the top level) and a depth that is shown
// or kept; a free keyword has neither, a hidden one 255.
const QString kPlaced = QStringLiteral("subsid is not null and ebene is not null and ebene <> 255");

struct Placed {
    qint64 parent = kStichRoot;
    int ebene = 0;
    QString text;
};

std::optional<Placed> placed(db::Database& db, qint64 sid)
{
    if (sid == kStichRoot) return std::nullopt;
    db::Statement st(db, QStringLiteral("select subsid, ebene, stichwort from stichworte where sid=? and ") + kPlaced);
    st.bind(1, sid);
    if (!st.step()) return std::nullopt;
    return Placed{st.int64(0), int(st.int64(1)), st.text(2)};
}

bool isFree(db::Database& db, qint64 sid)
{
    return db.scalar(QStringLiteral("select count(*) from stichworte where sid=? and ebene is null"), {sid})
               .toLongLong() > 0;
}

// The pair that lets `sid`'s subtree list the recipes of `below`; written once.
void writePair(db::Database& db, qint64 sid, qint64 below)
{
    db.execute(QStringLiteral("insert into substich (sid,subsid) select ?,? "
                              "where not exists (select 1 from substich where sid=? and subsid=?)"),
               {sid, below, sid, below});
}

// A keyword that leaves the tree takes every pair naming it along, so no subtree lists
// its recipes any more.
void dropPairs(db::Database& db, qint64 sid)
{
    db.execute(QStringLiteral("delete from substich where sid=? or subsid=?"), {sid, sid});
}

// The children the tree shows below `sid`, alphabetically.
std::vector<std::pair<qint64, QString>> shownChildren(db::Database& db, qint64 sid)
{
    std::vector<std::pair<qint64, QString>> children;
    db::Statement st(db, QStringLiteral("select sid, stichwort from stichworte where subsid=? and ebene is not null "
                                        "and ebene < 200 order by stichwort, sid"));
    st.bind(1, sid);
    while (st.step()) children.emplace_back(st.int64(0), st.text(1));
    return children;
}

void copyBelow(db::Database& db, qint64 source, qint64 parent, int ebene, const QString& text,
               QSet<qint64>& visited, std::vector<KeywordNode>& copies)
{
    if (visited.contains(source)) return;
    visited.insert(source);
    db.execute(QStringLiteral("insert into stichworte (stichwort, subsid, ebene) values (?,?,?)"), {text, parent, ebene});
    const qint64 copy = db.lastInsertId();
    writePair(db, parent, copy);
    writePair(db, copy, copy);
    copies.push_back(KeywordNode{copy, parent, text, false});
    for (const auto& [child, childText] : shownChildren(db, source))
        copyBelow(db, child, copy, ebene + 1, childText, visited, copies);
}

// The checks a move and a copy share: two placed keywords, the target outside the
// keyword's own subtree.
bool dropAllowed(db::Database& db, qint64 sid, qint64 target)
{
    if (sid == kStichRoot || target == kStichRoot || sid == target) return false;
    if (!placed(db, sid) || !placed(db, target)) return false;
    return !inSubtree(db, sid, target);
}

}  // namespace

QList<qint64> detachOrphans(db::Database& db)
{
    QList<qint64> orphans;
    {
        db::Statement st(db, kOrphans);
        while (st.step()) orphans << st.int64(0);
    }
    if (orphans.isEmpty()) return orphans;
    db::Transaction tx(db);
    for (qint64 sid : orphans) {
        db.execute(QStringLiteral("update stichworte set ebene=null,subsid=null where sid=?"), {sid});
        dropPairs(db, sid);
    }
    tx.commit();
    return orphans;
}

std::vector<KeywordNode> shownKeywords(db::Database& db)
{
    std::vector<KeywordNode> rows;
    QHash<qint64, std::vector<size_t>> children;
    {
        // One statement for the whole tree: a count query per keyword took over half a
        // second on a large cookbook.
        db::Statement st(db, QStringLiteral(
                                 "select sid, stichwort, subsid, case when ebene >= 1 then exists "
                                 "(select 1 from rezstich where rezstich.sid = stichworte.sid) else 0 end "
                                 "from stichworte where ebene is not null and ebene < 200 and subsid is not null "
                                 "order by stichwort, sid"));
        while (st.step()) {
            const qint64 sid = st.int64(0);
            if (sid == kStichRoot) continue;
            children[st.int64(2)].push_back(rows.size());
            rows.push_back(KeywordNode{sid, st.int64(2), st.text(1), st.int64(3) != 0});
        }
    }
    std::vector<KeywordNode> shown;
    shown.reserve(rows.size());
    QSet<qint64> visited;
    std::deque<qint64> parents{kStichRoot};
    while (!parents.empty()) {
        const qint64 parent = parents.front();
        parents.pop_front();
        const auto it = children.constFind(parent);
        if (it == children.cend()) continue;
        for (size_t i : *it) {
            const KeywordNode& node = rows[i];
            if (visited.contains(node.sid)) continue;
            visited.insert(node.sid);
            shown.push_back(node);
            parents.push_back(node.sid);
        }
    }
    return shown;
}

QString keywordRecipesSource(qint64 sid, qint16 showmode)
{
    if (showmode == kNurGewaehltes)
        return QStringLiteral("SELECT rezepte.rid, rezepte.kid, rezepte.port, rezepte.rname, rezepte.komid "
                              "FROM rezepte INNER JOIN rezstich ON rezepte.rid = rezstich.rid WHERE "
                              "rezstich.sid = %1 ORDER BY rezepte.rname;")
            .arg(sid);
    return QStringLiteral("SELECT rezepte.rid, rezepte.kid, rezepte.port, rezepte.rname, rezepte.komid "
                          "FROM substich INNER JOIN (rezepte INNER JOIN rezstich ON rezepte.rid = rezstich.rid) "
                          "ON substich.subsid = rezstich.sid WHERE substich.sid= %1 ORDER BY rezepte.rname;")
        .arg(sid);
}

void showKeywordRecipes(qint64 sid, const QString& text, qint16 showmode)
{
    RecipeListView* view = recipeListView();
    if (!view) return;
    const QString source = keywordRecipesSource(sid, showmode);
    // Compiled first: the list control drops its rows when a new source fails.
    { db::Statement probe(cookbook(), source); }
    db::DataControl* rez = view->rez();
    const QString before = rez->recordSource();
    rez->setRecordSource(source);
    try {
        rez->refresh();
    } catch (const db::DbError&) {
        rez->setRecordSource(before);
        try {
            rez->refresh();
        } catch (const db::DbError&) {
            // The list stays empty; the first failure is the one to report.
        }
        throw;
    }
    db::Recordset* rs = rez->recordset();
    view->setRezzahl(formatCount(rs ? rs->recordCount() : 0));
    view->setGesucht(QStringLiteral("> ") + QStringLiteral(" Stichwort '") + text + u'\'');
}

QString freeKeywordsSource(const QString& filter)
{
    if (filter.isEmpty()) return QStringLiteral("select * from stichworte where ebene is null order by stichwort;");
    // The wildcards typed keep their meaning, as in the name search; quoted, an apostrophe
    // stays a letter of the text.
    return QStringLiteral("select * from stichworte where ebene is null and stichwort like '%1*' order by stichwort")
        .arg(db::sqlEscape(filter));
}

bool keywordBefore(const QString& text, qint64 sid, const QString& otherText, qint64 otherSid)
{
    const int order = db::detail::compareNoCaseDe(text.toUtf8(), otherText.toUtf8());
    return order != 0 ? order < 0 : sid < otherSid;
}

QString aliasesSource(qint64 sid)
{
    return QStringLiteral("SELECT sid, istich FROM impstich where sid=%1 ORDER BY istich;").arg(sid);
}

bool inSubtree(db::Database& db, qint64 sid, qint64 candidate)
{
    QSet<qint64> seen;
    db::Statement up(db, QStringLiteral("select subsid from stichworte where sid=?"));
    for (qint64 at = candidate; at != kStichRoot && !seen.contains(at);) {
        if (at == sid) return true;
        seen.insert(at);
        up.reset();
        up.bind(1, at);
        if (!up.step() || up.isNull(0)) return false;
        at = up.int64(0);
    }
    return false;
}

bool placeFreeKeyword(db::Database& db, qint64 parent, qint64 sid)
{
    db::Transaction tx(db);
    const std::optional<Placed> p = placed(db, parent);
    if (!p || !isFree(db, sid)) return false;
    db.execute(QStringLiteral("update stichworte set subsid=?, ebene=? where sid=?"), {parent, p->ebene + 1, sid});
    writePair(db, parent, sid);
    writePair(db, sid, sid);
    tx.commit();
    return true;
}

bool hideFreeKeyword(db::Database& db, qint64 sid)
{
    db.execute(QStringLiteral("update stichworte set ebene=255 where sid=? and ebene is null"), {sid});
    return db.changes() > 0;
}

bool mergeAsAlias(db::Database& db, qint64 sid, qint64 target)
{
    if (sid == target) return false;
    db::Transaction tx(db);
    if (!placed(db, target)) return false;
    QString text;
    {
        db::Statement st(db, QStringLiteral("select stichwort from stichworte where sid=? and ebene is null"));
        st.bind(1, sid);
        if (!st.step()) return false;
        text = st.text(0);
    }
    db.execute(QStringLiteral("insert into rezstich (rid,sid) select distinct rid, ? from rezstich where sid=? "
                              "and rid not in (select rid from rezstich where sid=?)"),
               {target, sid, target});
    db.execute(QStringLiteral("delete from rezstich where sid=?"), {sid});
    db.execute(QStringLiteral("insert into impstich (sid,istich) values (?,?)"), {target, text});
    dropPairs(db, sid);
    db.execute(QStringLiteral("delete from stichworte where sid=?"), {sid});
    tx.commit();
    return true;
}

std::optional<qint64> freeAlias(db::Database& db, qint64 sid, const QString& alias)
{
    db::Transaction tx(db);
    db.execute(QStringLiteral("delete from impstich where sid=? and istich=?"), {sid, alias});
    if (db.changes() == 0) return std::nullopt;
    db.execute(QStringLiteral("insert into stichworte (stichwort) values (?)"), {alias});
    const qint64 added = db.lastInsertId();
    tx.commit();
    return added;
}

std::optional<qint64> addKeyword(db::Database& db, qint64 parent)
{
    db::Transaction tx(db);
    const std::optional<Placed> p = placed(db, parent);
    if (!p) return std::nullopt;
    db.execute(QStringLiteral("insert into stichworte (stichwort, subsid, ebene) values (?,?,?)"),
               {kNeuesStichwort, parent, p->ebene + 1});
    const qint64 added = db.lastInsertId();
    writePair(db, parent, added);
    writePair(db, added, added);
    tx.commit();
    return added;
}

bool renameKeyword(db::Database& db, qint64 sid, const QString& text)
{
    if (sid == kStichRoot || text.contains(u'\'')) return false;
    db.execute(QStringLiteral("update stichworte set stichwort=? where sid=?"), {text, sid});
    return db.changes() > 0;
}

bool takeOutOfTree(db::Database& db, qint64 sid)
{
    db::Transaction tx(db);
    if (!placed(db, sid)) return false;
    db.execute(QStringLiteral("update stichworte set subsid=null, ebene=null where sid=?"), {sid});
    dropPairs(db, sid);
    tx.commit();
    return true;
}

bool moveKeyword(db::Database& db, qint64 sid, qint64 target)
{
    db::Transaction tx(db);
    if (!dropAllowed(db, sid, target)) return false;
    const Placed from = *placed(db, sid);
    const int ebene = placed(db, target)->ebene + 1;
    db.execute(QStringLiteral("delete from substich where sid=? and subsid=?"), {from.parent, sid});
    db.execute(QStringLiteral("update stichworte set subsid=?, ebene=? where sid=?"), {target, ebene, sid});
    writePair(db, target, sid);
    writePair(db, sid, sid);
    if (ebene != from.ebene) {
        // Union, not union all: a cycle below the keyword ends the walk instead of looping.
        db.execute(QStringLiteral("with recursive below(sid) as ("
                                  "select sid from stichworte where subsid=? and ebene is not null and ebene<>255 "
                                  "union select s.sid from stichworte s join below b on s.subsid=b.sid "
                                  "where s.ebene is not null and s.ebene<>255) "
                                  "update stichworte set ebene=ebene+? where sid in (select sid from below) and sid<>?"),
                   {sid, ebene - from.ebene, sid});
    }
    tx.commit();
    return true;
}

std::vector<KeywordNode> copyKeyword(db::Database& db, qint64 sid, qint64 target)
{
    std::vector<KeywordNode> copies;
    db::Transaction tx(db);
    if (!dropAllowed(db, sid, target)) return copies;
    QSet<qint64> visited;
    copyBelow(db, sid, target, placed(db, target)->ebene + 1, placed(db, sid)->text, visited, copies);
    tx.commit();
    return copies;
}

}  // namespace kv
