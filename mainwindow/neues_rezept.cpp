#include "mainwindow/neues_rezept.h"

#include "platform/ui/dialogs.h"

#include <QSet>

#include <optional>

namespace kv {

namespace {

bool stichCharAllowed(QChar c)
{
    static const QString extra = QStringLiteral(" äöüÄÖÜßéèêâàá0123456789,-");
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || extra.contains(c);
}

std::optional<qint64> findStichwort(db::Database& db, const QString& stichwort)
{
    // The text column compares without regard to case, as the keyword index did.
    db::Statement st(db, QStringLiteral("select sid from stichworte where stichwort = ? order by sid"));
    st.bind(1, stichwort);
    if (st.step()) return st.int64(0);
    return std::nullopt;
}

void insertPair(db::Database& db, qint64 sid, qint64 subsid)
{
    db.execute(QStringLiteral("insert into substich (sid,subsid) values (?,?)"), {sid, subsid});
}

qint64 eigeneStichworteRoot(db::Database& db)
{
    {
        db::Statement st(db, QStringLiteral("select sid from stichworte where ebene=0 and stichwort=? order by sid"));
        st.bind(1, eigeneStichworte);
        if (st.step()) return st.int64(0);
    }
    db.execute(QStringLiteral("insert into stichworte (stichwort,subsid,ebene) values (?,0,0)"), {eigeneStichworte});
    const qint64 root = db.lastInsertId();
    insertPair(db, root, root);
    return root;
}

qint64 newUserStichwort(db::Database& db, const QString& stichwort)
{
    const qint64 root = eigeneStichworteRoot(db);
    db.execute(QStringLiteral("insert into stichworte (stichwort,subsid,ebene) values (?,?,1)"), {stichwort, root});
    const qint64 sid = db.lastInsertId();
    insertPair(db, sid, sid);
    // Without the pair below its parent the subtree search of "Eigene Stichworte" would
    // not find the recipes of this keyword.
    insertPair(db, root, sid);
    return sid;
}

}  // namespace

bool stichTextAllowed(const QString& text)
{
    for (QChar c : text)
        if (!stichCharAllowed(c)) return false;
    return true;
}

bool savestich(db::Database& db, qint64 rid, bool keep, const QString& text)
{
    if (text.isEmpty()) return true;
    if (!stichTextAllowed(text)) {
        ui::msgbox(QStringLiteral("Bitte verwenden Sie nur Buchstaben und Zahlen als Stichworte und trennen "
                                  "Sie einzelne Stichworte durch Kommata."),
                   ui::Critical, QStringLiteral(" "));
        return false;
    }
    try {
        std::optional<db::Transaction> tx;
        if (!db.inTransaction()) tx.emplace(db);
        if (!keep) {
            db.execute(QStringLiteral("delete from rezstich where rid=?"), {rid});
        }
        QSet<qint64> linked;
        const QStringList pieces = text.split(QLatin1Char(','));
        for (const QString& piece : pieces) {
            const QString stichwort = piece.trimmed();
            if (stichwort.size() < 2) continue;
            const std::optional<qint64> found = findStichwort(db, stichwort);
            const qint64 sid = found ? *found : newUserStichwort(db, stichwort);
            if (linked.contains(sid)) continue;
            linked.insert(sid);
            db::Statement link(db, QStringLiteral(
                "insert into rezstich (rid,sid) select ?1,?2 "
                "where not exists (select 1 from rezstich where rid=?1 and sid=?2)"));
            link.bind(1, rid);
            link.bind(2, sid);
            link.step();
        }
        if (tx) tx->commit();
        return true;
    } catch (const db::DbError& e) {
        ui::msgbox(QStringLiteral("Fehler bei der Verarbeitung der Stichworte. Bitte geben Sie ein oder mehrere "
                                  "Stichworte durch ein Komma getrennt ein. [%1 : %2]")
                       .arg(e.number())
                       .arg(e.text()),
                   ui::Critical, QStringLiteral(" F E H L E R"));
        return false;
    }
}

}  // namespace kv
