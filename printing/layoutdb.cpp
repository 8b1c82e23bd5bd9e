#include "printing/layoutdb.h"

#include "platform/paths.h"
#include "printing/handoverdb.h"

#include <QFile>
#include <QFileInfo>

namespace kv {

namespace {

// The hand-over columns, in the order of `rep-korbliste`.
const QString kCreateRezepte = QStringLiteral("create table rezepte (%1, rnr LONG)").arg(kHandoverColumns);
const QString kColumns =
    QStringLiteral("aname,adat,rid,rname,p,port,ungen,ztext,tid,nr,eval,ename,men,zname,rnr");
constexpr int kColumnCount = 15;

const QString kCreateTables[] = {
    QStringLiteral("create table blockpos (rid integer,page integer, col byte,gx integer,"
                   "gy integer, gw integer ,gh integer,ph integer)"),
    QStringLiteral("create table zutpos (rid integer,tid integer,nr integer,page integer,"
                   "col byte,zx integer,zy integer,zw integer,zh integer)"),
    QStringLiteral("create table zubpos (rid integer,part integer,startchar integer,"
                   "endchar integer,page integer,col integer,tx integer,ty integer,"
                   "th integer,tw integer)"),
    QStringLiteral("create table headpos (page integer,hx integer,hy integer,hw integer,"
                   "hh integer,htextl longtext,htextc longtext,htextr longtext)"),
    QStringLiteral("create table footpos (page integer,fx integer,fy integer,fw integer,"
                   "fh integer,ftextl longtext,ftextc longtext,ftextr longtext)"),
};

// What the statements run for each page or each recipe look their rows up by: a page's
// rows of every layout table, and a recipe's rows of `rezepte` by recipe, part and line
// (the ingredient lines join on all three). Without them SQLite builds an automatic index
// over a whole table for every page, and a list prints in a time that grows with the
// square of its length. Each is made after the bulk writes of its table in a layout, which
// costs less than keeping it up row by row through the writes.
struct Index {
    const char* name;
    const char* on;
};
constexpr Index kRezepteIndex = {"rezepte_rid", "rezepte (rid,tid,nr)"};
constexpr Index kBandIndexes[] = {
    {"headpos_page", "headpos (page)"},
    {"footpos_page", "footpos (page)"},
};
constexpr Index kBlockIndexes[] = {
    {"blockpos_page", "blockpos (page)"},
    {"zutpos_page", "zutpos (page)"},
    {"zubpos_page", "zubpos (page)"},
};

void makeIndex(db::Database& layout, const Index& index)
{
    layout.execute(QStringLiteral("create index %1 on %2").arg(QLatin1String(index.name), QLatin1String(index.on)));
}

void dropIndex(db::Database& layout, const Index& index)
{
    layout.execute(QStringLiteral("drop index if exists %1").arg(QLatin1String(index.name)));
}

}  // namespace

QString LayoutDatabase::path()
{
    const QString folder = paths::privateTempFolder();
    if (folder.isEmpty())
        throw db::DbError(db::errFileNotFound,
                          QStringLiteral("Im Ordner %1 kann kein Ordner für das Seitenlayout "
                                         "angelegt werden.")
                              .arg(paths::tempFolder()));
    return folder + QStringLiteral("/kelvor-printout-temp.mdb");
}

db::Database& LayoutDatabase::db()
{
    if (!m_db)
        throw db::DbError(db::errObjectClosed,
                          QStringLiteral("Die Datenbank des Seitenlayouts ist geschlossen."));
    return *m_db;
}

void LayoutDatabase::create()
{
    close();
    const QString file = path();
    for (const QString& leftover : {file, file + QStringLiteral("-journal"), file + QStringLiteral("-wal")})
        if (QFileInfo::exists(leftover) && !QFile::remove(leftover))
            throw db::DbError(db::errFileExists,
                              QStringLiteral("Die alte Datei %1 kann nicht gelöscht werden.").arg(leftover));
    std::unique_ptr<db::Database> made = db::Database::create(file);
    // A scratch file made again at every first layout: no commit of it needs to survive a
    // power cut, and syncing each one would slow every layout down.
    made->execute(QStringLiteral("PRAGMA synchronous=OFF"));
    db::Transaction tx(*made);
    made->execute(kCreateRezepte);
    for (const QString& sql : kCreateTables)
        made->execute(sql);
    tx.commit();
    m_db = std::move(made);
}

void LayoutDatabase::empty()
{
    db::Database& layout = db();
    for (const Index& index : kBandIndexes)
        dropIndex(layout, index);
    for (const Index& index : kBlockIndexes)
        dropIndex(layout, index);
    for (const char* table : {"blockpos", "zubpos", "zutpos", "footpos", "headpos"})
        layout.execute(QStringLiteral("delete from ") + QLatin1String(table));
}

void LayoutDatabase::copyHandover(db::Database& cookbook)
{
    db::Database& layout = db();
    dropIndex(layout, kRezepteIndex);
    layout.execute(QStringLiteral("delete from rezepte"));
    db::Statement read(cookbook, QStringLiteral("select %1 from [rep-korbliste] order by rowid").arg(kColumns));
    db::Statement write(layout, QStringLiteral("insert into rezepte (%1) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)")
                                    .arg(kColumns));
    while (read.step()) {
        for (int c = 0; c < kColumnCount; ++c)
            write.bind(c + 1, read.value(c));
        write.step();
        write.reset();
    }
}

void LayoutDatabase::indexBands()
{
    db::Database& layout = db();
    for (const Index& index : kBandIndexes)
        makeIndex(layout, index);
}

void LayoutDatabase::indexBlocks()
{
    db::Database& layout = db();
    makeIndex(layout, kRezepteIndex);
    for (const Index& index : kBlockIndexes)
        makeIndex(layout, index);
}

void LayoutDatabase::close()
{
    if (m_db)
        m_db->close();
    m_db.reset();
}

}  // namespace kv
