#include "core/mainmod.h"

namespace kv {

std::unique_ptr<db::Database> kochbuchdb;
// Filled here as well as by Main, so procedures that read them also work before Main ran.
QStringList reztabellen = {QStringLiteral("letztsuchrids"), QStringLiteral("rezinaus"),
                           QStringLiteral("rezinmen"),      QStringLiteral("rezstich"),
                           QStringLiteral("zubereit"),      QStringLiteral("zutaten")};
QString linebreak = QStringLiteral("\n\r");
bool startingup = false;
bool nocookbook = false;

namespace {
StartupUi* g_startupUi = nullptr;
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

void delrezept(qint32 rid)
{
    db::Database& db = cookbook();
    // One commit for the six deletes: a recipe is never left half deleted, and deleting a
    // whole list does not pay for six synchronous commits per recipe.
    std::optional<db::Transaction> tx;
    if (!db.inTransaction()) tx.emplace(db);
    for (const QString& table : reztabellen) {
        db::Statement st(db, QStringLiteral("delete from %1 where rid=?").arg(table));
        st.bind(1, rid);
        st.step();
    }
    if (tx) tx->commit();
}

}  // namespace kv
