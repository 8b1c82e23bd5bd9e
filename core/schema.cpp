#include "core/schema.h"

#include "core/indizieren.h"
#include "core/mainmod.h"
#include "platform/db/database.h"
#include "platform/ui/dialogs.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace kv {

using db::FieldDef;
using db::FieldType;

const std::array<StandardUnit, 29> standardUnits = {{
    {u"sm", u"kl", u"kleine", 4, 1, 0.0f, 0.0f},
    {u"md", u"mittl", u"mittlere", 4, 2, 0.0f, 0.0f},
    {u"lg", u"gr", u"groß", 4, 3, 0.0f, 0.0f},
    {u"fl", u"fl oz", u"Fluid Ounze", 9, 1, 0.0f, 0.0f},
    {u"pt", u"pt", u"Pint 450 ml", 9, 2, 0.0f, 0.0f},
    {u"qt", u"qt", u"Quart 900 ml", 9, 3, 0.0f, 0.0f},
    {u"ga", u"gal", u"Gallon 4 Liter", 9, 4, 0.0f, 0.0f},
    {u"mg", u"mg", u"Milligramm", 1, 1, 0.1f, 0.0f},
    {u"cg", u"1/100 gr", u"100stel Gramm", 1, 2, 0.1f, 10.0f},
    {u"dg", u"1/10 gr ", u"10tel Gramm", 1, 3, 0.1f, 10.0f},
    {u"g", u"g", u"Gramm", 1, 4, 0.001f, 10.0f},
    {u"kg", u"kg", u"Kilogramm", 1, 5, 0.0f, 1000.0f},
    {u"ml", u"ml", u"Milliliter", 2, 1, 0.1f, 0.0f},
    {u"cl", u"cl", u"Centiliter", 2, 2, 0.1f, 10.0f},
    {u"dl", u"dl", u"Deziliter", 2, 3, 0.1f, 10.0f},
    {u"l", u"l", u"Liter", 2, 4, 0.0f, 10.0f},
    {u"bn", u"Bd", u"Bund", 5, 1, 0.0f, 0.0f},
    {u"sl", u"Sch", u"Scheibe", 5, 2, 0.0f, 0.0f},
    {u"c", u"Ts", u"Tasse", 5, 3, 0.0f, 0.0f},
    {u"pn", u"Pr", u"Prise", 7, 1, 0.0f, 0.0f},
    {u"ds", u"Sp", u"Spur, Schuss", 7, 2, 0.0f, 0.0f},
    {u"dr", u"Tr", u"Tropfen", 7, 3, 0.0f, 0.0f},
    {u"oz", u"oz", u"Ounze 30 g", 8, 1, 0.0f, 0.0f},
    {u"lb", u"pound", u"Pound 450 g", 8, 2, 0.0f, 0.0f},
    {u"cn", u"Ds", u"Dose", 6, 1, 0.0f, 0.0f},
    {u"pk", u"Pkg", u"Packung", 6, 2, 0.0f, 0.0f},
    {u"ct", u"Kt", u"Karton", 6, 3, 0.0f, 0.0f},
    {u"ts", u"TL", u"Teelöffel", 3, 1, 0.0f, 0.0f},
    {u"tb", u"EL", u"Esslöffel", 3, 2, 0.0f, 0.0f},
}};

namespace {

// Servings are a 16-bit number in the recipe table.
constexpr int maxServings = 32767;

}  // namespace

std::optional<int> servingsInText(const QString& text)
{
    qsizetype start = 0;
    while (start < text.size() && !text.at(start).isDigit()) ++start;
    if (start == text.size()) return std::nullopt;
    qsizetype end = start;
    while (end < text.size() && text.at(end).isDigit()) ++end;
    bool ok = false;
    const qlonglong number = QStringView(text).mid(start, end - start).toLongLong(&ok);
    // "Für 0 Personen" would leave the recipe without servings, and every amount empty.
    if (!ok || number < 1 || number > maxServings) return std::nullopt;
    return static_cast<int>(number);
}

void update100(db::Database& db)
{
    db::Transaction tx(db);

    // Every "personen" text with the servings it names, read from each text once, not from
    // every line that uses it: the old import stored one text for all recipes with the
    // same heading. A text without a usable number names none.
    db.execute(QStringLiteral("create temp table if not exists personentexte100 (zutid integer primary key, "
                              "port integer)"));
    db.execute(QStringLiteral("delete from temp.personentexte100"));
    {
        db::Statement text(db, QStringLiteral("insert into temp.personentexte100 (zutid, port) values (?, ?)"));
        db::Statement texts(db, QStringLiteral("select zutid, zutat from zutindex where zutat like '*personen*'"));
        while (texts.step()) {
            const std::optional<int> servings = servingsInText(texts.text(1));
            text.bind(1, texts.int64(0));
            text.bind(2, servings ? QVariant(*servings) : QVariant());
            text.step();
            text.reset();
        }
    }

    // Their lines, in one pass over all lines. A heading line (nr 0) of an existing recipe
    // whose text names servings is converted; every other line keeps its text.
    db.execute(QStringLiteral("create temp table if not exists personen100 (zeile integer primary key, rid integer, "
                              "zutid integer, port integer, umgestellt integer)"));
    db.execute(QStringLiteral("delete from temp.personen100"));
    db.execute(QStringLiteral(
        "insert into temp.personen100 (zeile, rid, zutid, port, umgestellt) "
        "select zutaten.rowid, zutaten.rid, zutaten.zutid, t.port, "
        "case when zutaten.nr = 0 and t.port is not null and zutaten.rid in (select rid from rezepte) "
        "then 1 else 0 end from zutaten inner join temp.personentexte100 t on t.zutid = zutaten.zutid"));
    // Of several headings of one recipe the last line counts, as when each was applied in
    // turn in the lines' order.
    db.execute(QStringLiteral("create temp table if not exists port100 (rid integer primary key, port integer)"));
    db.execute(QStringLiteral("delete from temp.port100"));
    db.execute(QStringLiteral("insert or replace into temp.port100 (rid, port) select rid, port from temp.personen100 "
                              "where umgestellt = 1 order by zeile"));
    db.execute(QStringLiteral("update rezepte set port = n.port from temp.port100 n "
                              "where n.rid = rezepte.rid and n.port is not rezepte.port"));
    db.execute(QStringLiteral("delete from zutaten where rowid in (select zeile from temp.personen100 "
                              "where umgestellt = 1)"));
    // Texts that a line still uses stay.
    db.execute(QStringLiteral("delete from zutindex where zutid in (select zutid from temp.personentexte100) and "
                              "zutid not in (select zutid from temp.personen100 where umgestellt = 0)"));
    for (const char* table : {"personentexte100", "personen100", "port100"})
        db.execute(QStringLiteral("delete from temp.%1").arg(QLatin1String(table)));

    // The row that marked the making of an empty `changelog` belongs with this step.
    if (db.scalar(QStringLiteral("select count(*) from changelog")).toLongLong() == 0)
        db.execute(QStringLiteral("insert INTO changelog (changed) select 100;"));
    db.execute(QStringLiteral("insert INTO changelog (changed) select 100;"));
    tx.commit();
}

void update101(db::Database& db)
{
    try {
        db::Transaction tx(db);
        db.execute(QStringLiteral("insert into zutindex (zutat) select '-';"));
        const QVariant zutid = db.scalar(QStringLiteral("select zutid from zutindex where zutat='-' order by zutid;"));
        // The recipes without lines in one pass over the lines, in the order of their ids.
        db.execute(QStringLiteral("insert into zutaten (rid,tid,nr,eid,menge,zutid) "
                                  "select rid,1,0,null,null,? from rezepte "
                                  "where rid not in (select rid from zutaten where rid is not null) order by rid"),
                   {zutid});
        db.execute(QStringLiteral("insert into changelog (changed) select  101;"));
        tx.commit();
    } catch (const db::DbError& e) {
        ui::errorbox(QStringLiteral("MAKESUREZUTAT (allgemein) - "), e.number(), e.text());
    }
}

void update103(db::Database& db)
{
    db::Transaction tx(db);

    if (!db.field(QStringLiteral("rep-korbliste"), QStringLiteral("rnr")))
        db.appendField(QStringLiteral("rep-korbliste"), {QStringLiteral("rnr"), FieldType::Long});

    if (!db.hasTable(QStringLiteral("rep-mbesch"))) {
        db.createTable(QStringLiteral("rep-mbesch"), {{QStringLiteral("aname"), FieldType::Text, 255}});
        db.execute(QStringLiteral("insert into [rep-mbesch] (aname) select 'NEU';"));
        db.appendField(QStringLiteral("rep-mbesch"), {QStringLiteral("mbesch"), FieldType::Memo});
    }

    const QVariant root = db.scalar(
        QStringLiteral("select sid from stichworte where ebene=0 and stichwort='Eigene Stichworte';"));
    if (root.isNull()) {
        db.execute(QStringLiteral("insert into stichworte (stichwort,subsid,ebene) "
                                  "values ('Eigene Stichworte',0,0);"));
        const qint64 sid = db.lastInsertId();
        db.execute(QStringLiteral("insert into substich (sid,subsid) values (?,?)"), {sid, sid});
    }

    if (!db.hasTable(QStringLiteral("umlaute"))) {
        db.createTable(QStringLiteral("umlaute"), {{QStringLiteral("alt"), FieldType::Text, 3},
                                                   {QStringLiteral("neu"), FieldType::Text, 1},
                                                   {QStringLiteral("alttext"), FieldType::Text, 15}});
    } else if (const auto alt = db.field(QStringLiteral("umlaute"), QStringLiteral("alt")); alt && alt->size == 2) {
        db.deleteField(QStringLiteral("umlaute"), QStringLiteral("alt"));
        db.appendField(QStringLiteral("umlaute"), {QStringLiteral("alt"), FieldType::Text});
    }

    if (const auto did = db.field(QStringLiteral("importdateien"), QStringLiteral("did"));
        did && did->attributes == (db::dbAutoIncrField | db::dbFixedField)) {
        db.createTable(QStringLiteral("importdateien1"), {{QStringLiteral("did"), FieldType::Long},
                                                          {QStringLiteral("dname"), FieldType::Text, 255},
                                                          {QStringLiteral("check"), FieldType::Boolean}});
        db.createIndex(QStringLiteral("importdateien1"),
                       {QStringLiteral("PrimaryKey"), {QStringLiteral("did")}, true, true});
        db.execute(QStringLiteral("insert into importdateien1 (did,dname,\"check\") "
                                  "select did,dname,\"check\" from importdateien"));
        db.deleteTable(QStringLiteral("importdateien"));
        db.renameTable(QStringLiteral("importdateien1"), QStringLiteral("importdateien"));
        // An old cookbook may hold the row already; it is kept, as the old engine kept it.
        db.executeDroppingRepeatedKeys(QStringLiteral("insert into importdateien (did,dname) select 0,'Alle';"));
    }

    if (db.indexCount(QStringLiteral("einheiten")) == 1)
        db.createIndex(QStringLiteral("einheiten"), {QStringLiteral("ekurz"), {QStringLiteral("ekurz")}});

    if (const auto men = db.field(QStringLiteral("editzutat"), QStringLiteral("men")); men && !men->allowZeroLength) {
        db.setAllowZeroLength(QStringLiteral("editzutat"), QStringLiteral("men"), true);
        db.setAllowZeroLength(QStringLiteral("editzutat"), QStringLiteral("ename"), true);
    }

    db.execute(QStringLiteral("insert into changelog (changed) select  103;"));
    tx.commit();
}

namespace {

// Records that the lines of the units `fromUnits` (a query of eids with its values) now
// belong to `target`; a unit merged earlier into one of them follows it.
void recordUnitMove(db::Database& db, const QString& fromUnits, const QVariantList& values, const QVariant& target)
{
    db.execute(QStringLiteral("create temp table if not exists einheitwechsel (alt integer primary key, neu integer)"));
    db.execute(QStringLiteral("update temp.einheitwechsel set neu=? where neu in ") + fromUnits,
               QVariantList{target} + values);
    db.execute(QStringLiteral("insert or replace into temp.einheitwechsel (alt,neu) select eid,? from einheiten "
                              "where eid in ") + fromUnits,
               QVariantList{target} + values);
}

}  // namespace

void addeinheit(db::Database& db, const QString& ekurz, const QString& ename, const QString& elang, qint32 sprache,
                quint8 mmscale, quint8 mmorder, float scaleup, float scaledown)
{
    const qint64 eid = db.scalar(QStringLiteral("select max(eid) as maxeid from einheiten")).toLongLong() + 1;
    db.execute(
        QStringLiteral("insert into einheiten (eid,ekurz,ename,elang,mmorder,mmscale,scaleup,scaledown,"
                       "mmunit,sprache) values (?,?,?,?,?,?,?,?,1,?)"),
        {eid, ekurz, ename, elang, mmorder, mmscale, double(scaleup), double(scaledown), sprache});

    for (const QString& column : {QStringLiteral("ekurz"), QStringLiteral("ename")}) {
        const QString older = QStringLiteral("(select eid from einheiten where %1=? and eid<>?)").arg(column);
        const QString value = column == u"ekurz" ? ekurz : ename;
        recordUnitMove(db, older, {value, eid}, eid);
        // Aliases follow their unit, or they would name a unit that no longer exists.
        db.execute(QStringLiteral("update impeinheit set eid=? where eid in ") + older, {eid, value, eid});
        db.execute(QStringLiteral("delete from einheiten where %1=? and eid<>?").arg(column), {value, eid});
    }
}

void mergeeinheit(db::Database& db, const QString& aliasEkurz, const QString& aliasEname, const QString& targetEkurz)
{
    const QVariant target = db.scalar(QStringLiteral("select eid from einheiten where ekurz=?"), {targetEkurz});
    db.execute(QStringLiteral("delete from impeinheit where ekurz=? or ename=?"), {aliasEkurz, aliasEname});
    db.execute(QStringLiteral("insert into impeinheit (eid,ename,ekurz) values (?,?,?)"),
        {target, aliasEname, aliasEkurz});
    const QString aliasUnits = QStringLiteral("(select eid from einheiten where ekurz=?)");
    recordUnitMove(db, aliasUnits, {aliasEkurz}, target);
    db.execute(QStringLiteral("update impeinheit set eid=? where eid in ") + aliasUnits, {target, aliasEkurz});
    db.execute(QStringLiteral("delete from einheiten where ekurz=?"), {aliasEkurz});
}

void applyUnitMoves(db::Database& db)
{
    db.execute(QStringLiteral("create temp table if not exists einheitwechsel (alt integer primary key, neu integer)"));
    // The few moves are written into the statement, so each line is only compared with
    // numbers, not looked up in the table of moves.
    QStringList cases;
    QStringList from;
    {
        db::Statement moves(db, QStringLiteral("select alt, neu from temp.einheitwechsel order by alt"));
        while (moves.step()) {
            const QString alt = QString::number(moves.int64(0));
            cases << QStringLiteral("when %1 then %2").arg(alt, moves.isNull(1) ? QStringLiteral("null")
                                                                               : QString::number(moves.int64(1)));
            from << alt;
        }
    }
    if (!from.isEmpty())
        db.execute(QStringLiteral("update zutaten set eid = case eid %1 end where eid in (%2)")
                       .arg(cases.join(u' '), from.join(u',')));
    db.execute(QStringLiteral("delete from temp.einheitwechsel"));
}

void update104(db::Database& db)
{
    db::Transaction tx(db);

    if (db.fields(QStringLiteral("einheiten")).size() == 3) {
        const QString t = QStringLiteral("einheiten");
        db.appendField(t, {QStringLiteral("mmunit"), FieldType::Boolean});
        db.appendField(t, {QStringLiteral("mmorder"), FieldType::Byte});
        db.appendField(t, {QStringLiteral("elang"), FieldType::Text, 40});
        db.appendField(t, {QStringLiteral("sprache"), FieldType::Long});
        db.appendField(t, {QStringLiteral("mmscale"), FieldType::Byte});
        db.appendField(t, {QStringLiteral("scaleup"), FieldType::Single});
        db.appendField(t, {QStringLiteral("scaledown"), FieldType::Single});
    }

    for (const StandardUnit& u : standardUnits)
        addeinheit(db, QString::fromUtf16(u.ekurz), QString::fromUtf16(u.ename), QString::fromUtf16(u.elang), 1,
                   u.mmscale, u.mmorder, u.scaleup, u.scaledown);

    mergeeinheit(db, QStringLiteral("cb"), QStringLiteral("ccm"), QStringLiteral("ml"));
    mergeeinheit(db, QStringLiteral("ea"), QStringLiteral("each"), QStringLiteral(" "));
    mergeeinheit(db, QStringLiteral("St"), QStringLiteral("Stück"), QStringLiteral(" "));
    applyUnitMoves(db);

    db.execute(QStringLiteral("insert into changelog (changed) select  104;"));
    tx.commit();
}

void update106(db::Database& db)
{
    const QString t = QStringLiteral("rep-korbliste");
    auto report = [](const db::DbError& e) {
        ui::msgbox(QStringLiteral("ZNRCHANGE : %1 : %2").arg(e.number()).arg(e.text()), ui::OkOnly);
    };
    // Emptying the work tables and dropping the old key may fail harmlessly (a cookbook
    // without `rep-einkaufsliste`): reported, and the conversion goes on. A failure of the
    // conversion itself undoes the step.
    auto tolerated = [&](const std::function<void()>& statement) {
        try {
            statement();
        } catch (const db::DbError& e) {
            report(e);
        }
    };
    try {
        db::Transaction tx(db);
        const auto nr = db.field(t, QStringLiteral("nr"));
        if (nr && nr->type == FieldType::Byte) {
            tolerated([&] { db.execute(QStringLiteral("delete from [rep-korbliste]")); });
            tolerated([&] { db.execute(QStringLiteral("delete from [rep-einkaufsliste]")); });
            tolerated([&] { db.deleteIndex(t, QStringLiteral("PrimaryKey")); });
            db.deleteField(t, QStringLiteral("nr"));
            db.appendField(t, {QStringLiteral("nr"), FieldType::Integer});
            db.createIndex(t, {QStringLiteral("PrimaryKey"),
                               {QStringLiteral("rid"), QStringLiteral("tid"), QStringLiteral("nr")},
                               true,
                               true});
        }
        db.execute(QStringLiteral("insert INTO changelog (changed) select 106;"));
        tx.commit();
    } catch (const db::DbError& e) {
        report(e);
    }
}

void update110(db::Database& db)
{
    db::Transaction tx(db);
    if (!db.hasTable(QStringLiteral("importsubdirs"))) {
        try {
            db.createTable(QStringLiteral("importsubdirs"), {{QStringLiteral("subdir"), FieldType::Text, 255}});
        } catch (const db::DbError&) {
            // The table cannot be made; the import reports it when it needs the table.
        }
    }
    db.execute(QStringLiteral("insert into changelog (changed) select  110;"));
    tx.commit();
}

void update111(db::Database& db)
{
    db::Transaction tx(db);
    // The few units first: only the old numbering needs the pass over every line.
    const QVariant einheiten = db.scalar(QStringLiteral("select max(eid) as enumber from einheiten"));
    if (!einheiten.isNull() && einheiten.toLongLong() == 222) {
        const QVariant zutaten = db.scalar(QStringLiteral("select max(eid) as enumber from zutaten"));
        if (!zutaten.isNull() && zutaten.toLongLong() == 195)
            db.execute(QStringLiteral("update zutaten set eid=eid+27 where eid>=167"));
    }
    db.execute(QStringLiteral("insert into changelog (changed) select  111;"));
    tx.commit();
}

void update112(db::Database& db)
{
    const QString table = QStringLiteral("zutaten");
    const QString shorter = QStringLiteral("zutid");
    const QStringList fields = {shorter};
    db::Transaction tx(db);
    if (db.hasTable(table)) {
        const std::vector<db::IndexDef> indexes = db.indexes(table);
        const auto plainOnZutid = [&](const db::IndexDef& index) {
            return index.name.compare(shorter, Qt::CaseInsensitive) == 0 && !index.primary && !index.unique &&
                   index.fields.size() == 1 && index.fields[0].compare(shorter, Qt::CaseInsensitive) == 0;
        };
        const auto led = [&](const db::IndexDef& index) { return leadsIndex(fields, index.fields); };
        if (std::any_of(indexes.begin(), indexes.end(), plainOnZutid) &&
            std::any_of(indexes.begin(), indexes.end(), led))
            db.deleteIndex(table, shorter);
    }
    // The definition goes where a longer one on the same field is listed, so a later build
    // does not make it again.
    if (db.hasTable(QStringLiteral("-indizes")) && db.hasTable(QStringLiteral("-indexfelder"))) {
        const QString definitions = QStringLiteral(
            "(select i.indid from [-indizes] i where i.tabelle='zutaten' and i.indexname='zutid' and not i.\"Primary\" "
            "and (select count(*) from [-indexfelder] f where f.indid=i.indid)=1 "
            "and exists (select 1 from [-indexfelder] f where f.indid=i.indid and f.feldname='zutid') "
            "and exists (select 1 from [-indizes] l join [-indexfelder] f on f.indid=l.indid "
            "where l.tabelle='zutaten' and l.indid<>i.indid and f.fnr=(select min(fnr) from [-indexfelder] g "
            "where g.indid=l.indid) and f.feldname='zutid' and (select count(*) from [-indexfelder] g "
            "where g.indid=l.indid)>1))");
        db.execute(QStringLiteral("create temp table if not exists indizes112 (indid integer)"));
        db.execute(QStringLiteral("delete from temp.indizes112"));
        db.execute(QStringLiteral("insert into temp.indizes112 (indid) select indid from ") + definitions);
        db.execute(QStringLiteral("delete from [-indexfelder] where indid in (select indid from temp.indizes112)"));
        db.execute(QStringLiteral("delete from [-indizes] where indid in (select indid from temp.indizes112)"));
        db.execute(QStringLiteral("delete from temp.indizes112"));
    }
    db.execute(QStringLiteral("insert into changelog (changed) select  112;"));
    tx.commit();
}

}  // namespace kv
