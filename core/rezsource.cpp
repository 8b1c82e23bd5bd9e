#include "core/rezsource.h"

#include "core/mainmod.h"
#include "core/settings.h"
#include "platform/db/datacontrol.h"

#include <optional>

namespace kv {

namespace {

RecipeListView* g_view = nullptr;

// Position of `needle` at or after `from`, skipping quoted literals (a doubled quote
// inside a literal closes and reopens it, which skips it just the same).
qsizetype findOutsideQuotes(const QString& text, const QString& needle, qsizetype from = 0)
{
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'\'') {
            quoted = !quoted;
            continue;
        }
        if (!quoted && i >= from && QStringView(text).mid(i).startsWith(needle))
            return i;
    }
    return -1;
}

bool isCategoryType(const QString& filter)
{
    return filter.startsWith(u"komid") || filter.startsWith(u"did") || filter.startsWith(u"kid");
}

// Drops the category-type condition standing in the query together with the "and"
// that joined it.
void removeCategoryCondition(QString& query, qsizetype where)
{
    qsizetype k = findOutsideQuotes(query, QStringLiteral("kid="), where);
    if (k < 0) k = findOutsideQuotes(query, QStringLiteral("komid="), where);
    if (k < 0) k = findOutsideQuotes(query, QStringLiteral("did="), where);
    if (k < 0) return;

    qsizetype end = query.indexOf(u' ', k);
    if (end < 0) end = query.size();
    query.remove(k, end - k);

    const qsizetype a = query.indexOf(QStringLiteral("and"), k);
    if (a >= 0 && a <= k + 4) {
        query.remove(k, a + 4 - k);
    } else if (k >= 5 && QStringView(query).mid(k - 5, 5) == u" and ") {
        query.remove(k - 5, 5);
    }
}

// Where a part of the description begins: at its start or after ", ".
qsizetype findPartStart(const QString& caption, const QString& head)
{
    for (qsizetype r = caption.indexOf(head); r >= 0; r = caption.indexOf(head, r + 1)) {
        if (r == 0 || (r >= 2 && (QStringView(caption).mid(r - 2, 2) == u", " ||
                                  QStringView(caption).mid(r - 2, 2) == u"> ")))
            return r;
    }
    return -1;
}

}  // namespace

void setRecipeListView(RecipeListView* view)
{
    g_view = view;
}

RecipeListView* recipeListView()
{
    return g_view;
}

bool refreshFilterEntries(RecipeListView& view)
{
    bool kept = true;
    if (db::Recordset* entries = view.kat()->recordset()) {
        const bool chosen = entries->isOpen() && !entries->eof() && !entries->bof();
        const qint64 kid = chosen ? entries->value(QStringLiteral("kid")).toLongLong() : 0;
        entries->requery();
        if (chosen && kid != 0) kept = entries->findFirst(QStringLiteral("kid=%1").arg(kid));
    }
    view.refreshKatgrid();
    return kept;
}

QString spliceFilter(const QString& query, const QString& filter)
{
    QString q = query;
    qsizetype p = findOutsideQuotes(q, QStringLiteral("where"));
    if (p < 0) p = findOutsideQuotes(q, QStringLiteral("WHERE"));

    if (p < 0) {
        const qsizetype o = findOutsideQuotes(q, QStringLiteral("order"));
        if (o < 0) return q.left(q.size() - 1) + QStringLiteral(" where ") + filter + u';';
        return q.left(o) + QStringLiteral(" where ") + filter + u' ' + q.mid(o);
    }

    const bool category = isCategoryType(filter);
    if (category) removeCategoryCondition(q, p);

    if (category) {
        const QString kind = filter.left(filter.indexOf(u'=') + 1);
        const qsizetype c = findOutsideQuotes(q, kind, p);
        if (c >= 0) {
            qsizetype rest = q.indexOf(u' ', c);
            if (rest < 0) rest = q.size() - 1;
            return q.left(c) + filter + q.mid(rest);
        }
    }

    qsizetype other = findOutsideQuotes(q, QStringLiteral("="), p);
    if (other < 0) other = findOutsideQuotes(q, QStringLiteral("like"), p);
    const QString joint = other >= 0 ? QStringLiteral(" and ") : QStringLiteral(" ");
    return q.left(p + 6) + filter + joint + q.mid(p + 6);
}

QString captionWithPart(const QString& current, const QString& part)
{
    QString caption = current == alleGerichte ? QStringLiteral("> ") : current + QStringLiteral(", ");
    for (const QString& word : {QStringLiteral("Rubrik"), QStringLiteral("Datei"),
                                QStringLiteral("Kommentar")}) {
        const QString head = word + QStringLiteral(" '");
        const qsizetype r = findPartStart(caption, head);
        if (r < 0) continue;
        // The part ends at its closing quote followed by the separator, so a name with an
        // apostrophe inside stays whole.
        const qsizetype q = caption.indexOf(QStringLiteral("', "), r + head.size());
        if (q >= 0) caption.remove(r, q + 3 - r);
    }
    return caption + part;
}

QString formatCount(qint64 count, const QLocale& locale)
{
    if (count == 0) return {};
    QLocale grouped = locale;
    grouped.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return grouped.toString(count);
}

qint64 regNumber(const QString& name)
{
    bool ok = false;
    const qint64 value = getreg(name).trimmed().toLongLong(&ok);
    return ok ? value : 0;
}

void recordSearch(db::Database& db, const QString& ssql, const QString& stext,
                  const QList<qint64>& rids, qint64 keep)
{
    std::optional<db::Transaction> tx;
    if (!db.inTransaction()) tx.emplace(db);

    if (db.scalar(QStringLiteral("select count(*) from letztsuch")).toLongLong() > keep) {
        const QVariant oldest = db.scalar(QStringLiteral("select min(sid) from letztsuch"));
        db.execute(QStringLiteral("delete from letztsuch where sid=?"), {oldest});
        db.execute(QStringLiteral("delete from letztsuchrids where sid=?"), {oldest});
    }

    db.execute(QStringLiteral("insert into letztsuch (ssql,stext) values (?,?)"), {ssql, stext});
    const qint64 sid = db.lastInsertId();

    db::Statement addRid(db, QStringLiteral("insert into letztsuchrids (sid,rid) values (?,?)"));
    for (qint64 rid : rids) {
        addRid.reset();
        addRid.bind(1, sid);
        addRid.bind(2, rid);
        addRid.step();
    }
    if (tx) tx->commit();
}

namespace {

void showWholeListCaption(RecipeListView* view)
{
    view->setGesucht(alleGerichte);
    if (db::Recordset* kat = view->kat()->recordset(); kat && kat->recordCount() > 0) kat->moveFirst();
    view->refreshKatgrid();
}

}  // namespace

void rezfilter(const QString& filter, bool keep)
{
    RecipeListView* view = recipeListView();
    QString query;
    if (!keep) {
        query = rezepteBasis;
        showWholeListCaption(view);
    } else {
        query = view->rez()->recordSource();
    }
    view->rez()->setRecordSource(spliceFilter(query, filter));
    view->rez()->refresh();
}

void showAllRecipes()
{
    RecipeListView* view = recipeListView();
    if (!view) return;
    showWholeListCaption(view);
    view->rez()->setRecordSource(rezepteBasis);
    view->rez()->refresh();
}

void rezcaption(const QString& part)
{
    RecipeListView* view = recipeListView();
    view->setGesucht(captionWithPart(view->gesucht(), part));

    db::Recordset* list = view->rez()->recordset();
    const qint64 count = list ? list->recordCount() : 0;
    view->setRezzahl(formatCount(count));
    // A cookbook that can only be read keeps no history.
    if (count < 1 || count >= regNumber(reg::suchtreffer) || cookbook().readOnly()) return;

    QList<qint64> rids;
    rids.reserve(count);
    const std::unique_ptr<db::Recordset> copy = list->clone();
    for (copy->moveFirst(); !copy->eof(); copy->moveNext())
        rids.append(copy->value(QStringLiteral("rid")).toLongLong());
    recordSearch(cookbook(), view->rez()->recordSource(), part, rids, regNumber(reg::zuletztgesucht));
}

}  // namespace kv
