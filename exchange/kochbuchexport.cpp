#include "exchange/kochbuchexport.h"

#include "core/mainmod.h"
#include "platform/db/database.h"
#include "platform/paths.h"

#include <QDir>
#include <QFileInfo>

namespace kv {

namespace {

// Copied whole, in this order.
const QStringList kReferenztabellen = {
    QStringLiteral("einheiten"),    QStringLiteral("hauptkat"),      QStringLiteral("html"),
    QStringLiteral("impeinheit"),   QStringLiteral("impkat"),        QStringLiteral("impstich"),
    QStringLiteral("-indexfelder"), QStringLiteral("-indizes"),      QStringLiteral("komment"),
    QStringLiteral("-löschtabellen"), QStringLiteral("stichworte"),  QStringLiteral("substich"),
};

// Table names come from the open cookbook's schema, never from what the user typed.
QString tableRef(const QString& schema, const QString& table)
{
    return schema + QStringLiteral(".[") + table + u']';
}

void copyWhole(db::Database& target, const QString& table)
{
    target.execute(QStringLiteral("insert into %1 select * from %2")
                       .arg(tableRef(QStringLiteral("main"), table), tableRef(kQuelle, table)));
}

}  // namespace

void copytabledef(const db::Database& source, db::Database& target, const QString& table)
{
    target.createTable(table, source.fields(table));
    for (const db::IndexDef& index : source.indexes(table)) target.createIndex(table, index);
}

void createcookbook(db::Database& source, db::Database& target, const QString& name, QString& info)
{
    for (const QString& table : source.tableNames())
        if (!table.startsWith(QLatin1String("MSys"), Qt::CaseSensitive)) copytabledef(source, target, table);
    if (info.isEmpty()) info = QStringLiteral("-");
    target.execute(QStringLiteral("insert into kochbuchname (bname, binfo) values (?, ?)"), {name, info});
    target.execute(QStringLiteral("insert into auswahlen (aname) values ('Schnellauswahl')"));
    for (const QString& table : kReferenztabellen)
        if (target.hasTable(table)) copyWhole(target, table);
    copyWhole(target, QStringLiteral("changelog"));
}

void copyselection(db::Database& target, qint64 aid)
{
    // Each recipe once, even when the list holds it twice.
    const QString recipes = QStringLiteral("(select rid from quelle.rezinaus where aid = ?1)");
    const QString names = QStringLiteral("(select zutid from quelle.zutaten where rid in %1)").arg(recipes);
    for (const char* table : {"rezepte", "zutaten", "zubereit", "rezstich"})
        target.execute(QStringLiteral("insert into main.%1 select * from quelle.%1 where rid in %2")
                           .arg(QLatin1String(table), recipes),
                       {aid});
    target.execute(QStringLiteral("insert into main.zutindex select * from quelle.zutindex where zutid in ") + names,
                   {aid});
    for (const char* table : {"zutimp", "zutmehrzahl"})
        target.execute(QStringLiteral("insert into main.%1 select distinct * from quelle.%1 where zutid in %2")
                           .arg(QLatin1String(table), names),
                       {aid});
}

void exportCookbook(db::Database& source, const QString& folder, const QString& name, QString& info, qint64 aid)
{
    const QString shown = QDir::toNativeSeparators(QDir::cleanPath(folder));
    if (QFileInfo::exists(folder))
        throw ExportError(
            QStringLiteral("Das Verzeichnis '%1' gibt es schon. Jedes Kelvor-Kochbuch benötigt ein eigenes, neues "
                           "Verzeichnis.")
                .arg(shown));
    const QString parent = QFileInfo(QDir::cleanPath(folder)).absolutePath();
    if (!paths::mayAccess(parent, paths::Access::Write) || !QDir().mkdir(folder))
        throw ExportError(QStringLiteral("Das Verzeichnis '%1' kann nicht angelegt werden.").arg(shown));
    if (info.isEmpty()) info = QStringLiteral("-");
    try {
        auto target = db::Database::create(QDir(folder).filePath(kochbuchdatei));
        target->attach(source.name(), kQuelle);
        {
            db::Transaction tx(*target);
            createcookbook(source, *target, name, info);
            copyselection(*target, aid);
            tx.commit();
        }
        target->detach(kQuelle);
        target->close();
    } catch (const std::exception& e) {
        // The folder is ours, made above: a half-built cookbook must not stay behind.
        QDir(folder).removeRecursively();
        const auto* dbError = dynamic_cast<const db::DbError*>(&e);
        const QString why = dbError ? dbError->text() : QString::fromLocal8Bit(e.what());
        throw ExportError(QStringLiteral("Das Kochbuch in '%1' konnte nicht angelegt werden (%2). Es wurde "
                                                 "nichts angelegt.")
                                      .arg(shown, why));
    }
}

}  // namespace kv
