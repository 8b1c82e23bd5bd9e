#include "core/mainmod.h"

#include "platform/ui/dialogs.h"

namespace kv {

namespace {

// Filled here as well as by Main, so procedures that read them also work before Main ran.
QStringList startTables()
{
    return {QStringLiteral("letztsuchrids"), QStringLiteral("rezinaus"), QStringLiteral("rezinmen"),
            QStringLiteral("rezstich"),      QStringLiteral("zubereit"), QStringLiteral("zutaten")};
}

const QString kLinebreak = QStringLiteral("\n\r");

StartupUi* g_startupUi = nullptr;

}  // namespace

std::unique_ptr<db::Database> kochbuchdb;
QStringList reztabellen = startTables();
QString linebreak = kLinebreak;
bool startingup = false;
bool nocookbook = false;
bool bookletmode = false;
bool skipexisting = false;
bool importcancel = false;

void resetSharedState()
{
    kochbuchdb.reset();
    reztabellen = startTables();
    linebreak = kLinebreak;
    startingup = false;
    nocookbook = false;
    bookletmode = false;
    skipexisting = false;
    importcancel = false;
    g_startupUi = nullptr;
}

void setStartupUi(StartupUi* ui)
{
    g_startupUi = ui;
}

StartupUi* startupUi()
{
    return g_startupUi;
}

db::Database& cookbook()
{
    if (!kochbuchdb || !kochbuchdb->isOpen())
        throw db::DbError(0, QStringLiteral("Es ist kein Kochbuch geöffnet."));
    return *kochbuchdb;
}

bool cookbookWritable()
{
    if (!cookbook().readOnly()) return true;
    ui::msgbox(kSchreibgeschuetzt, ui::Exclamation | ui::OkOnly, QStringLiteral(" "));
    return false;
}

void delrezept(qint64 rid)
{
    db::Database& db = cookbook();
    // One commit for the six deletes: a recipe is never left half deleted, and deleting a
    // whole list does not pay for six synchronous commits per recipe.
    std::optional<db::Transaction> tx;
    if (!db.inTransaction()) tx.emplace(db);
    for (const QString& table : reztabellen) {
        db.execute(QStringLiteral("delete from %1 where rid=?").arg(table), {rid});
    }
    if (tx) tx->commit();
}

namespace {

// The ids go into a temporary table, so each table is cleared by one statement however
// many recipes go.
void fillDeletionIds(db::Database& db, const QList<qint64>& rids)
{
    db.execute(QStringLiteral("create temp table if not exists loeschrids (rid integer primary key)"));
    db.execute(QStringLiteral("delete from temp.loeschrids"));
    db::Statement insert(db, QStringLiteral("insert or ignore into temp.loeschrids (rid) values (?)"));
    for (qint64 rid : rids) {
        insert.bind(1, rid);
        insert.step();
        insert.reset();
    }
}

void deleteFilledIds(db::Database& db, const QStringList& tables)
{
    for (const QString& table : tables)
        db.execute(QStringLiteral("delete from %1 where rid in (select rid from temp.loeschrids)").arg(table));
}

}  // namespace

void delrezepte(db::Database& db, const QList<qint64>& rids)
{
    db::Transaction tx(db);
    fillDeletionIds(db, rids);
    deleteFilledIds(db, reztabellen);
    db.execute(QStringLiteral("delete from temp.loeschrids"));
    tx.commit();
}

void deleteRecipes(db::Database& db, const QList<qint64>& rids)
{
    db::Transaction tx(db);
    fillDeletionIds(db, rids);
    deleteFilledIds(db, reztabellen + QStringList{QStringLiteral("rezepte")});
    db.execute(QStringLiteral("delete from temp.loeschrids"));
    tx.commit();
}

void deleteEmptyImportFiles(db::Database& db)
{
    db.execute(QStringLiteral("delete from importdateien where did>0 and not exists "
                              "(select 1 from rezepte where rezepte.did=importdateien.did)"));
}

}  // namespace kv
