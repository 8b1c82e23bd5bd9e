#include "mainwindow/printhandover.h"

#include "core/fraction.h"
#include "core/ingredientline.h"
#include "mainwindow/recipegone.h"
#include "platform/print/printlog.h"
#include "printing/handoverdb.h"
#include "printing/printnumber.h"

#include <functional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace kv {

namespace {

const QString kColumns =
    QStringLiteral("aname,adat, rid, rname, p, port, ungen, ztext, tid, nr, eval, ename, men, zname");

// Each ingredient line of a recipe with its unit, if it has one. Written as a right join
// of the units, the same rows cost a pass over every ingredient line of the cookbook:
// SQLite plans a right join by materialising its right side.
const QString kRecipeLines = QStringLiteral(
    "((rezepte INNER JOIN zutaten ON rezepte.rid = zutaten.rid) LEFT JOIN einheiten "
    "ON einheiten.eid = zutaten.eid)");
// A line without a number is handed over as a heading (0) or as a line printed without
// its number (kUnnumberedLine): so the print tells them apart, and each keeps a key of its
// own, as the editor's save gives no part two lines without a number.
const QString kLineColumns = QStringLiteral(
    "rezepte.rid, rezepte.rname, %1 AS p, rezepte.port, rezepte.ungenau AS ungen, zubereit.ztext, "
    "zutaten.tid, case when coalesce(trim(zutaten.nr),'')<>'' then zutaten.nr when %2 then 0 else %3 end, "
    "einheiten.eid, einheiten.ename, zutaten.menge AS men, zutindex.zutat AS zname")
    .arg(QStringLiteral("%1"), headingLineSql(QStringLiteral("zutaten")), QString::number(kUnnumberedLine));

// The raw lines of every recipe of list or menu `id`, under the name the expression `name`
// gives, in the columns of kColumns; `withPlace` adds each dish's place in the menu. The
// preparation is joined as optional: a recipe without one is printed all the same.
QString linesOfList(bool menu, qint64 id, const QString& name, bool withPlace, const QString& moreWhere = {})
{
    const QString entries = menu ? QStringLiteral("rezinmen") : QStringLiteral("rezinaus");
    const QString list = menu ? QStringLiteral("menues ON rezinmen.mid = menues.mid")
                              : QStringLiteral("auswahlen ON rezinaus.aid = auswahlen.aid");
    const QString date = menu ? QStringLiteral("mdat") : QStringLiteral("adat");
    const QString key = menu ? QStringLiteral("rezinmen.mid") : QStringLiteral("rezinaus.aid");
    const QString place = withPlace ? QStringLiteral("rezinmen.nr,") : QString();
    return QStringLiteral("SELECT ") + name + u',' + date + QStringLiteral(", ") +
           kLineColumns.arg(entries + QStringLiteral(".port")) +
           (withPlace ? QStringLiteral(", rezinmen.nr") : QString()) + QStringLiteral(" FROM (((") + kRecipeLines +
           QStringLiteral(" INNER JOIN ") + entries + QStringLiteral(" ON rezepte.rid = ") + entries +
           QStringLiteral(".rid) LEFT JOIN zubereit ON rezepte.rid = zubereit.rid) INNER JOIN ") + list +
           QStringLiteral(") INNER JOIN zutindex ON zutaten.zutid = zutindex.zutid WHERE ") + key + u'=' +
           QString::number(id) + moreWhere + QStringLiteral(" ORDER BY ") + place +
           QStringLiteral("zutaten.tid, zutaten.nr");
}

// A number as the amount columns hold it: the text begins with it (a comma or a point
// before the decimals); no amount reads as nothing.
std::optional<double> amountOf(const QVariant& men)
{
    if (men.isNull())
        return std::nullopt;
    const QString text = men.toString();
    if (text.trimmed().isEmpty())
        return std::nullopt;
    return readPrintNumber(text);
}

// The blank that stands for no amount and for 0.
const QString kBlank = QStringLiteral(" ");

// A line's amount as the shopping list adds it up: `raw` as the recipe stores it, scaled
// from the recipe's servings `port` to the entry's `p`. Units that are never scaled keep
// their amount, and a recipe written for 0 servings says nothing about the amount needed.
std::optional<double> shoppingAmount(const QVariant& raw, int port, const QVariant& p, std::optional<qint64> unit)
{
    // A stored number is taken whole; a text, as an old cookbook may hold, is read.
    const bool number = raw.typeId() == QMetaType::Double || raw.typeId() == QMetaType::LongLong;
    const std::optional<double> x = number ? std::optional(raw.toDouble()) : amountOf(raw);
    if (!x)
        return std::nullopt;
    if (unit == kUnscaledUnit)
        return *x;
    if (port == 0 || p.isNull())
        return std::nullopt;
    return *x * p.toDouble() / port;
}

// The columns rewriteAmounts hands over.
enum AmountColumn { kMen = 1, kPort = 2, kP = 3, kEval = 4 };

// Gives `men` of every row of `table` the value `amount` makes of the row.
void rewriteAmounts(db::Database& db, const QString& table,
                    const std::function<QVariant(const db::Statement& row)>& amount)
{
    std::vector<std::pair<qint64, QVariant>> rows;
    {
        db::Statement st(db, QStringLiteral("select rowid, men, port, p, eval from [%1]").arg(table));
        while (st.step())
            rows.emplace_back(st.int64(0), amount(st));
    }
    db::Statement update(db, QStringLiteral("update [%1] set men=? where rowid=?").arg(table));
    for (const auto& [row, men] : rows) {
        update.bind(1, men);
        update.bind(2, row);
        update.step();
        update.reset();
    }
}

}  // namespace

void writeKitchenAmounts(db::Database& db)
{
    rewriteAmounts(db, QStringLiteral("rep-korbliste"), [](const db::Statement& row) {
        const double x = amountOf(row.value(kMen)).value_or(0.0);
        const std::optional<qint64> unit = row.isNull(kEval) ? std::nullopt : std::optional(row.int64(kEval));
        const QString men = bruchmenge(x, int(row.int64(kPort)), row.value(kP).toDouble(), unit).toText();
        return QVariant(men == QLatin1String("0") ? kBlank : men);
    });
}

bool handOverList(db::Database& db, const db::Database& cookbook, bool menu, std::optional<qint64> id,
                  const QString& description)
{
    initprintlog();
    printlog(QStringLiteral("main.druckaus start"));
    const CookbookForHandover reading(db, cookbook);
    db::Transaction tx(db);
    db.execute(QStringLiteral("delete from [rep-korbliste]"));
    if (!id) {
        tx.commit();
        return false;
    }
    db.executeDroppingRepeatedKeys(QStringLiteral("INSERT INTO [rep-korbliste] ( ") + kColumns +
                                   (menu ? QStringLiteral(",rnr") : QString()) + QStringLiteral(" ) ") +
                                   linesOfList(menu, *id, menu ? QStringLiteral("mname") : QStringLiteral("aname"),
                                               menu));
    if (db.recordCount(QStringLiteral("rep-korbliste")) == 0) {
        tx.commit();
        return false;
    }
    writeKitchenAmounts(db);
    db.execute(QStringLiteral("delete from [rep-mbesch]"));
    if (menu && !description.isEmpty())
        db.execute(QStringLiteral("insert into [rep-korbliste] (rid,nr,tid,aname,ztext,rname,rnr) "
                                  "values (0,0,0,' ',?,'       ',0)"),
                   {description + kBlank});
    tx.commit();
    printlog(QStringLiteral("main.druckaus ende -> print_rezept.show"));
    return true;
}

bool handOverRecipe(db::Database& db, const db::Database& cookbook, qint64 rid, qint16 servings,
                    const QDate& today)
{
    const CookbookForHandover reading(db, cookbook);
    db::Transaction tx(db);
    // The last print's rows stay when the recipe is gone.
    requireRecipe(db, rid);
    db.execute(QStringLiteral("delete from [rep-korbliste]"));
    db.executeDroppingRepeatedKeys(
        QStringLiteral("INSERT INTO [rep-korbliste] ( %1 ) SELECT ' ', NULL, %2 FROM (%3 LEFT JOIN zubereit "
                       "ON rezepte.rid = zubereit.rid) INNER JOIN zutindex ON zutaten.zutid = zutindex.zutid "
                       "WHERE rezepte.rid=%4 ORDER BY zutaten.tid, zutaten.nr")
            .arg(kColumns, kLineColumns.arg(QStringLiteral("NULL")), kRecipeLines, QString::number(rid)));
    if (db.recordCount(QStringLiteral("rep-korbliste")) == 0) {
        tx.commit();
        return false;
    }
    // The lenient insert takes no values: the date and the servings follow bound.
    db.execute(QStringLiteral("update [rep-korbliste] set adat=?, p=?"), {today, servings});
    writeKitchenAmounts(db);
    tx.commit();
    return true;
}

bool handOverShoppingList(db::Database& db, const db::Database& cookbook, bool menu, std::optional<qint64> id)
{
    if (!id)
        return false;
    const CookbookForHandover reading(db, cookbook);
    db::Transaction tx(db);
    db.execute(QStringLiteral("delete from [rep-einkauf]"));
    // The raw lines go into `rep-einkauf` one by one, and each line's amount, scaled to the
    // servings of its entry, stays beside it as the number the recipe stores. Through the
    // text column `men` it would come back cut to fifteen digits: a third for 2 at 3
    // servings would no longer add up to exactly a half.
    std::unordered_map<qint64, double> amounts;  // by rowid in `rep-einkauf`
    {
        db::Statement lines(db, linesOfList(menu, *id,
                                            QStringLiteral("'Einkaufsliste ' || coalesce(%1,'')")
                                                .arg(menu ? QStringLiteral("mname") : QStringLiteral("aname")),
                                            false, QStringLiteral(" and not ") + headingLineSql(QStringLiteral("zutaten"))));
        db::Statement insert(db, QStringLiteral("INSERT INTO [rep-einkauf] ( ") + kColumns +
                                     QStringLiteral(" ) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
        // The places of kColumns.
        enum { kLineP = 4, kLinePort = 5, kLineEval = 10, kLineMen = 12, kLineColumns = 14 };
        while (lines.step()) {
            const std::optional<double> scaled = shoppingAmount(
                lines.value(kLineMen), int(lines.int64(kLinePort)), lines.value(kLineP),
                lines.isNull(kLineEval) ? std::nullopt : std::optional(lines.int64(kLineEval)));
            for (int i = 0; i < kLineColumns; ++i)
                insert.bind(i + 1, lines.value(i));
            // 0 is no amount to buy: it adds nothing and joins the lines without one.
            insert.bind(kLineMen + 1, !scaled ? QVariant() : *scaled == 0.0 ? QVariant(kBlank) : QVariant(*scaled));
            insert.step();
            insert.reset();
            if (scaled && *scaled != 0.0)
                amounts.emplace(db.lastInsertId(), *scaled);
        }
    }
    if (db.recordCount(QStringLiteral("rep-einkauf")) == 0) {
        tx.commit();
        return false;
    }

    db.execute(QStringLiteral("delete from [rep-korbliste]"));
    // One row per unit and ingredient name, numbered from 1 in each section in the order
    // of the names. The rows are written with their final keys, so no key is ever held
    // twice on the way.
    {
        db::Statement groups(db, QStringLiteral(
            "select aname, adat, ename, zname, group_concat(rowid) from [rep-einkauf] "
            "group by aname, adat, ename, zname order by zname, ename"));
        db::Statement insert(db, QStringLiteral(
            "insert into [rep-korbliste] (aname,adat,rid,rname,tid,nr,rnr,men,ename,zname) "
            "values (?,?,?,?,1,?,?,?,?,?)"));
        int z = 1;
        int s = 1;
        while (groups.step()) {
            std::optional<double> total;
            for (const QString& row : groups.text(4).split(u',')) {
                const auto amount = amounts.find(row.toLongLong());
                if (amount != amounts.end())
                    total = total.value_or(0.0) + amount->second;
            }
            const bool withAmount = total && *total != 0.0;
            insert.bind(1, groups.value(0));
            insert.bind(2, groups.value(1));
            insert.bind(3, withAmount ? 1 : 2);
            insert.bind(4, withAmount ? QStringLiteral("Zutaten :") : QStringLiteral("Sowie :"));
            insert.bind(5, withAmount ? z++ : s++);
            insert.bind(6, withAmount ? 1 : 2);
            insert.bind(7, withAmount ? QVariant(bruch(*total)) : (total ? QVariant(QStringLiteral("0")) : QVariant()));
            insert.bind(8, groups.value(2));
            insert.bind(9, QStringLiteral("o  ") + groups.text(3));
            insert.step();
            insert.reset();
        }
    }
    db.execute(QStringLiteral("delete from [rep-einkauf]"));

    const QString name =
        db.scalar(menu ? QStringLiteral("select mname from menues where mid=?")
                       : QStringLiteral("select aname from auswahlen where aid=?"),
                  {*id})
            .toString();
    db::Statement dishes(db, menu ? QStringLiteral("select rname,port from rezinmen Where rezinmen.mid=? order by rname")
                                  : QStringLiteral("select rname,port from rezinaus Where rezinaus.aid=? order by rname"));
    dishes.bind(1, *id);
    for (int n = 1; dishes.step(); ++n)
        db.execute(QStringLiteral("insert into [rep-korbliste] (aname,rid,rname,rnr,nr,tid,zname) "
                                  "select %1,0,'Gerichte :',0,%2,1,%3")
                       .arg(db::sqlQuote(QStringLiteral("Einkaufsliste ") + name), QString::number(n),
                            db::sqlQuote(dishes.text(0) + QStringLiteral(", ") + dishes.text(1) +
                                         QStringLiteral(" Portionen"))));
    tx.commit();
    return true;
}

}  // namespace kv
