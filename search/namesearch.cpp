#include "search/namesearch.h"

#include "core/mainmod.h"
#include "core/rezsource.h"
#include "platform/db/datacontrol.h"
#include "platform/ui/dialogs.h"
#include "search/shownlist.h"

namespace kv {

QString nameCondition(int teilmode, const QString& typed)
{
    // Quoted, so that an apostrophe stays text; wildcards the user types keep their meaning.
    const QString t = db::sqlEscape(typed);
    switch (teilmode) {
    case 1:
        return QStringLiteral("rname like '") + t + QStringLiteral("*'");
    case 2:
        return QStringLiteral("rname like '*") + t + u'\'';
    default:
        return QStringLiteral("rname like '*") + t + QStringLiteral("*'");
    }
}

bool nameSearch(int teilmode, bool refine, const QString& typed)
{
    return changeRecipeList(QStringLiteral("STARTSUCH : "), [&] {
        rezfilter(nameCondition(teilmode, typed), refine);
        rezcaption(QStringLiteral("Gericht : ") + typed);
    });
}

QString historySource(qint64 sid)
{
    return QStringLiteral("select rezepte.rid,kid,port,rname,komid from rezepte INNER JOIN letztsuchrids ON "
                          "rezepte.rid = letztsuchrids.rid WHERE sid=%1 order by rname;")
        .arg(sid);
}

bool loadHistoryEntry(const HistoryEntry& entry)
{
    return changeRecipeList(QStringLiteral("BISHER_DBLCLICK : "), [&] {
        RecipeListView* view = recipeListView();
        view->rez()->setRecordSource(historySource(entry.sid));
        view->rez()->refresh();
        db::Recordset* list = view->rez()->recordset();
        const qint64 count = list ? list->recordCount() : 0;
        if (count == 0) {
            ui::msgbox(QStringLiteral("Alle Rezepte aus dem gespeicherten Suchergebnis wurden gelöscht. Die Liste ist "
                                      "leer."),
                       ui::Information | ui::OkOnly, QStringLiteral(" "));
            deleteHistoryEntry(entry.sid);
        }
        view->setRezzahl(formatCount(count));
        view->setGesucht(QStringLiteral("> ") + entry.stext);
    });
}

bool deleteHistoryEntry(qint64 sid)
{
    if (!cookbookWritable()) return false;
    db::Database& db = cookbook();
    db::Transaction tx(db);
    db.execute(QStringLiteral("delete from letztsuchrids where sid=?"), {sid});
    db.execute(QStringLiteral("delete from letztsuch where sid=?"), {sid});
    tx.commit();
    return true;
}

bool deleteWholeHistory()
{
    if (!cookbookWritable()) return false;
    if (ui::msgbox(QStringLiteral("Alle bisherigen Suchläufe löschen ?"), ui::YesNo, QStringLiteral(" ")) != ui::Answer::Yes)
        return false;
    db::Database& db = cookbook();
    db::Transaction tx(db);
    db.execute(QStringLiteral("delete from letztsuchrids"));
    db.execute(QStringLiteral("delete from letztsuch"));
    tx.commit();
    return true;
}

}  // namespace kv
