#include "mainwindow/panel.h"

#include "mainwindow/recipegone.h"

namespace kv {

namespace {

bool exists(db::Database& db, const QString& sql, qint64 a, qint64 b)
{
    db::Statement st(db, sql);
    st.bind(1, a);
    st.bind(2, b);
    return st.step();
}

}  // namespace

QString auswahlSource(qint64 aid)
{
    return QStringLiteral("select *,'Port.' as tport from rezinaus where aid=%1 order by rname;").arg(aid);
}

QString menuesSource()
{
    return QStringLiteral("select mid as rid,mname as rname,'' as port, '' as tport,mbesch from menues order by mname");
}

QString menuDishesSource(qint64 mid)
{
    return QStringLiteral("select *,'Portionen' as tport from rezinmen where mid=%1 order by nr;").arg(mid);
}

bool addToAuswahl(db::Database& db, qint64 aid, qint64 rid, qint16 port)
{
    db::Transaction tx(db);
    requireRecipe(db, rid);
    if (exists(db, QStringLiteral("select 1 from rezinaus where aid=? and rid=?"), aid, rid)) return false;
    db::Statement st(db, QStringLiteral(
        "insert into rezinaus (aid,rid,rname,katego,port,komid) "
        "select ?1,rid,rname,kid,?3,komid from rezepte where rid=?2"));
    st.bind(1, aid);
    st.bind(2, rid);
    st.bind(3, port);
    st.step();
    tx.commit();
    return true;
}

bool addToMenu(db::Database& db, qint64 mid, qint64 rid, qint16 port)
{
    db::Transaction tx(db);
    requireRecipe(db, rid);
    if (exists(db, QStringLiteral("select 1 from rezinmen where mid=? and rid=?"), mid, rid)) return false;
    db::Statement st(db, QStringLiteral(
        "insert into rezinmen (mid,rid,rname,katego,port,nr) "
        "select ?1,rid,substr(rname,1,?4),kid,?3,"
        "(select coalesce(max(nr),0)+1 from rezinmen where mid=?1) from rezepte where rid=?2"));
    st.bind(1, mid);
    st.bind(2, rid);
    st.bind(3, port);
    st.bind(4, kMenuNameLength);
    st.step();
    tx.commit();
    return true;
}

QString auswahlalleSql(qint64 aid, qint16 port, const QString& recordSource)
{
    const qsizetype from = recordSource.indexOf(QStringLiteral("from"), 0, Qt::CaseInsensitive);
    if (from < 0) return {};
    return QStringLiteral("insert into rezinaus (aid,rid,rname,katego,port,komid) select %1,rezepte.rid,rname,kid,%2,komid ")
               .arg(aid)
               .arg(port)
           + recordSource.mid(from);
}

bool auswahlalle(db::Database& db, qint64 aid, qint16 port, const QString& recordSource)
{
    const QString sql = auswahlalleSql(aid, port, recordSource);
    if (sql.isEmpty()) return false;
    db.execute(sql);
    return true;
}

void deleteAuswahl(db::Database& db, qint64 aid)
{
    db::Transaction tx(db);
    db.execute(QStringLiteral("delete from rezinaus where aid=?"), {aid});
    if (aid != kSchnellauswahl) db.execute(QStringLiteral("delete from auswahlen where aid=?"), {aid});
    tx.commit();
}

void deleteMenu(db::Database& db, qint64 mid)
{
    db::Transaction tx(db);
    db.execute(QStringLiteral("delete from rezinmen where mid=?"), {mid});
    db.execute(QStringLiteral("delete from menues where mid=?"), {mid});
    tx.commit();
}

qint64 saveaus(db::Database& db, const QString& name, std::optional<qint64> moveFrom)
{
    db::Transaction tx(db);
    db.execute(QStringLiteral("insert into auswahlen (aname) values (?)"), {name});
    const qint64 aid = db.lastInsertId();
    if (moveFrom) db.execute(QStringLiteral("update rezinaus set aid=? where aid=?"), {aid, *moveFrom});
    tx.commit();
    return aid;
}

qint64 savemen(db::Database& db, const QString& name)
{
    db.execute(QStringLiteral("insert into menues (mname) values (?)"), {name});
    return db.lastInsertId();
}

std::optional<qint64> idFromText(const QString& text)
{
    bool ok = false;
    const qint64 id = text.trimmed().toLongLong(&ok);
    if (!ok) return std::nullopt;
    return id;
}

}  // namespace kv
