#include "exchange/importlists.h"

#include "core/mainmod.h"
#include "exchange/import.h"

#include <QFile>
#include <QFileInfo>

namespace kv::exchange {

namespace {

QList<ListEntry> entries(db::Database& db, const QString& sql)
{
    QList<ListEntry> list;
    db::Statement st(db, sql);
    while (st.step()) list.push_back({st.int64(0), st.text(1)});
    return list;
}

}  // namespace

bool writeHandOverText(const QString& text)
{
    const QString path = handOverFile();
    if (path.isEmpty()) return false;
    QFile::remove(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    const QByteArray bytes = (text + QStringLiteral("\r\n")).toUtf8();
    return file.write(bytes) == bytes.size() && file.flush();
}

QList<ListEntry> importErrorEntries(db::Database& db)
{
    QList<ListEntry> list;
    db::Statement st(db, QStringLiteral("select e.errid, e.did, d.dname, e.rname from importerrors e "
                                        "inner join importdateien d on e.did = d.did order by e.errid"));
    while (st.step()) {
        // Row 0 stands for no file: the error is a folder's, whose path is its name. A
        // folder started as one file keeps its own name with its separator.
        const QString dname = st.text(2);
        const QString name = st.int64(1) == 0 ? st.text(3) : dname.mid(dname.lastIndexOf(u'/', -2) + 1);
        list.push_back({st.int64(0), QString::number(st.int64(0)) + QStringLiteral(" - ") + name});
    }
    return list;
}

QString importErrorDetail(db::Database& db, qint64 errid)
{
    db::Statement st(db, QStringLiteral("select e.rname, e.etext, t.rtext from importerrors e "
                                        "left join importerrtexte t on t.errid = e.errid where e.errid = ?"));
    st.bind(1, errid);
    if (!st.step()) return {};
    return QStringLiteral("Rezept : ") + st.text(0) + linebreak + QStringLiteral("Fehler : ") + st.text(1) + linebreak +
           linebreak + st.text(2);
}

void clearImportErrors(db::Database& db)
{
    db::Transaction tx(db);
    db.execute(QStringLiteral("delete from importerrors"));
    db.execute(QStringLiteral("delete from importerrtexte"));
    tx.commit();
}

ErrorFile importErrorFile(db::Database& db, qint64 errid)
{
    db::Statement st(db, QStringLiteral("select e.did, d.dname from importerrors e "
                                        "inner join importdateien d on e.did = d.did where e.errid = ?"));
    st.bind(1, errid);
    if (!st.step()) return {};
    const QString name = st.text(1);
    // The hand-over file of a newsgroup or clipboard import is gone with its run; its
    // entry is named by the time, and a folder's error has no file.
    const QFileInfo info(name);
    if (st.int64(0) == 0 || !info.isAbsolute() || info.isDir()) return {ErrorFile::NotAFile, name};
    if (!info.isFile()) return {ErrorFile::Missing, name};
    return {ErrorFile::File, name};
}

QString errorFileMessage(const ErrorFile& file)
{
    switch (file.kind) {
    case ErrorFile::NotAFile:
        return QStringLiteral("Dieser Fehler stammt nicht aus einer Datei (Newsgroup- oder Zwischenablage-Import "
                              "oder ein Verzeichnis). Es gibt keine Datei zum Bearbeiten.");
    case ErrorFile::Missing:
        return QStringLiteral("Die Datei '") + file.path + QStringLiteral("' gibt es nicht mehr.");
    case ErrorFile::None:
    case ErrorFile::File:
        break;
    }
    return {};
}

QList<ListEntry> recipesWithoutCategory(db::Database& db)
{
    return entries(db, QStringLiteral("select rid, rname from rezepte where kid is null order by rname"));
}

QList<ListEntry> categoriesOffered(db::Database& db)
{
    return entries(db, QStringLiteral("select kid, kname from hauptkat where kid > 0 order by kname"));
}

void assignCategory(db::Database& db, qint64 rid, qint64 kid)
{
    db.execute(QStringLiteral("update rezepte set kid = ? where rid = ?"), {kid, rid});
}

int nextSelection(int removed, int count)
{
    if (count <= 1) return -1;
    return removed == count - 1 ? removed - 1 : removed;
}

QList<ListEntry> importFileEntries(db::Database& db)
{
    return entries(db, QStringLiteral("select did, dname from importdateien where did > 0 order by dname"));
}

qint64 mergeImportFiles(db::Database& db, const QString& name, const QList<qint64>& dids)
{
    db::Transaction tx(db);
    const qint64 did = db.scalar(QStringLiteral("select coalesce(max(did), 0) + 1 from importdateien")).toLongLong();
    db.execute(QStringLiteral("insert into importdateien (did, dname, \"check\") values (?, ?, 1)"), {did, name});
    for (const qint64 old : dids) {
        db.execute(QStringLiteral("update rezepte set did = ? where did = ?"), {did, old});
        db.execute(QStringLiteral("delete from importdateien where did = ?"), {old});
    }
    tx.commit();
    return did;
}

}  // namespace kv::exchange
