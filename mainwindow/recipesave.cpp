#include "mainwindow/recipesave.h"

#include "core/fraction.h"
#include "mainwindow/panel.h"
#include "mainwindow/recipegone.h"
#include "mainwindow/recipeview.h"
#include "platform/ui/dialogs.h"

#include <QLocale>
#include <QSet>

#include <cmath>
#include <optional>

namespace kv {

namespace {

bool stichCharAllowed(QChar c)
{
    static const QString extra = QStringLiteral(" äöüÄÖÜßéèêâàá0123456789,-");
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || extra.contains(c);
}

std::optional<qint64> findStichwort(db::Database& db, const QString& stichwort)
{
    // The text column compares without regard to case, as the keyword index did.
    db::Statement st(db, QStringLiteral("select sid from stichworte where stichwort = ? order by sid"));
    st.bind(1, stichwort);
    if (st.step()) return st.int64(0);
    return std::nullopt;
}

void insertPair(db::Database& db, qint64 sid, qint64 subsid)
{
    db.execute(QStringLiteral("insert into substich (sid,subsid) values (?,?)"), {sid, subsid});
}

qint64 eigeneStichworteRoot(db::Database& db)
{
    {
        db::Statement st(db, QStringLiteral("select sid from stichworte where ebene=0 and stichwort=? order by sid"));
        st.bind(1, eigeneStichworte);
        if (st.step()) return st.int64(0);
    }
    db.execute(QStringLiteral("insert into stichworte (stichwort,subsid,ebene) values (?,0,0)"), {eigeneStichworte});
    const qint64 root = db.lastInsertId();
    insertPair(db, root, root);
    return root;
}

qint64 newUserStichwort(db::Database& db, const QString& stichwort)
{
    const qint64 root = eigeneStichworteRoot(db);
    db.execute(QStringLiteral("insert into stichworte (stichwort,subsid,ebene) values (?,?,1)"), {stichwort, root});
    const qint64 sid = db.lastInsertId();
    insertPair(db, sid, sid);
    // Without the pair below its parent the subtree search of "Eigene Stichworte" would
    // not find the recipes of this keyword.
    insertPair(db, root, sid);
    return sid;
}

// What savestich stores, in the caller's transaction, throwing on failure so that the
// caller can take the whole save back with the engine's own error.
void storeStichworte(db::Database& db, qint64 rid, bool keep, const QString& text)
{
    if (!keep) {
        db.execute(QStringLiteral("delete from rezstich where rid=?"), {rid});
    }
    QSet<qint64> linked;
    // The unary + keeps the look-up on the recipe's few links: through the index on sid
    // it would read every recipe a common keyword has.
    db::Statement link(db, QStringLiteral(
        "insert into rezstich (rid,sid) select ?1,?2 "
        "where not exists (select 1 from rezstich where rid=?1 and +sid=?2)"));
    const QStringList pieces = text.split(QLatin1Char(','));
    for (const QString& piece : pieces) {
        const QString stichwort = piece.trimmed();
        if (stichwort.size() < 2) continue;
        const std::optional<qint64> found = findStichwort(db, stichwort);
        const qint64 sid = found ? *found : newUserStichwort(db, stichwort);
        if (linked.contains(sid)) continue;
        linked.insert(sid);
        link.reset();
        link.bind(1, rid);
        link.bind(2, sid);
        link.step();
    }
}

const QString kSelbstEingegeben = QStringLiteral("Selbst eingegeben");

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

// The leading number of a text: blanks are skipped anywhere ("1 000" is 1000), then an
// optional sign, digits and one decimal point; it stops at any other character, and a
// text without leading digits is 0.
double leadingNumber(const QString& text)
{
    QString number;
    bool digits = false;
    bool point = false;
    for (QChar c : text) {
        if (isBlank(c)) continue;
        if (number.isEmpty() && (c == QLatin1Char('+') || c == QLatin1Char('-'))) {
            number += c;
        } else if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            number += c;
            digits = true;
        } else if (c == QLatin1Char('.') && !point) {
            number += c;
            point = true;
        } else {
            break;
        }
    }
    if (!digits) return 0.0;
    bool ok = false;
    const double value = QLocale::c().toDouble(number, &ok);
    return ok ? value : 0.0;
}

// "a/b" with the divisor read as 0 has no value.
std::optional<double> quotient(const QString& text, qsizetype slash)
{
    const double divisor = leadingNumber(text.mid(slash + 1));
    if (divisor == 0.0) return std::nullopt;
    return leadingNumber(text.left(slash)) / divisor;
}

QString textOf(const QVariant& v)
{
    return v.isNull() ? QString() : v.toString();
}

// A line number as typed: Null, an empty text or anything but a whole number is none.
std::optional<int> lineNumber(const QVariant& nr)
{
    if (nr.isNull()) return std::nullopt;
    bool ok = false;
    const int n = nr.toString().trimmed().toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

bool writesLine(const EditLine& line)
{
    return !line.zut.isNull() && !line.zut.toString().isEmpty();
}

// The numbers the lines are stored with. A line with an amount or a unit but no number
// (the grid may leave one unnumbered) follows the line before it in its part, 1 first in
// a part: without a number it would open a part and be read as a heading.
std::vector<QVariant> numbersToStore(const std::vector<const EditLine*>& lines)
{
    std::vector<QVariant> nrs;
    nrs.reserve(lines.size());
    int previous = 0;
    for (const EditLine* line : lines) {
        std::optional<int> nr = lineNumber(line->nr);
        // An amount of 0 is stored as none.
        const QString men = textOf(line->men).trimmed();
        const std::optional<double> amount = men.isEmpty() ? std::optional<double>(0.0) : readAmount(men);
        const bool cooked = !amount || *amount != 0.0 || !textOf(line->ename).trimmed().isEmpty();
        if (!nr && cooked) nr = previous + 1;
        nrs.push_back(nr ? QVariant(*nr) : QVariant());
        previous = nr ? *nr : 0;
    }
    return nrs;
}

std::optional<qint64> categoryId(const QString& kid)
{
    bool ok = false;
    const qint64 id = kid.trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(id) : std::nullopt;
}

QString amountMessage(const QString& men)
{
    return QStringLiteral("Die Menge '%1' ist keine Zahl, die Kelvor lesen kann.").arg(men);
}

// The imported file new recipes are filed under; made on first use, with row 0 "Alle"
// first in a cookbook that has no imported file at all, as the opening and the import
// make it.
qint64 selbstEingegebenDid(db::Database& db)
{
    const QVariant found = db.scalar(
        QStringLiteral("select did from importdateien where dname=? order by did"), {kSelbstEingegeben});
    if (!found.isNull()) return found.toLongLong();
    if (db.scalar(QStringLiteral("select count(*) from importdateien")).toLongLong() == 0)
        db.execute(QStringLiteral("insert into importdateien (did,dname) values (0,?)"), {QStringLiteral("Alle")});
    const qint64 did = db.scalar(QStringLiteral("select coalesce(max(did),-1)+1 from importdateien")).toLongLong();
    db.execute(QStringLiteral("insert into importdateien (did,dname,\"check\") values (?,?,1)"),
               {did, kSelbstEingegeben});
    return did;
}

// The look-ups and inserts of the line loop, prepared once for all lines of a save.
class LineWriter {
public:
    explicit LineWriter(db::Database& db)
        : m_db(db),
          m_findUnit(db, QStringLiteral("select eid from einheiten where ename=? order by eid")),
          m_findZutat(db, QStringLiteral("select zutid from zutindex where zutat=? order by zutid")),
          m_addZutat(db, QStringLiteral("insert into zutindex (zutat) values (?)")),
          m_addLine(db, QStringLiteral("insert into zutaten (rid,tid,nr,eid,menge,zutid) values (?,?,?,?,?,?)"))
    {
    }

    QVariant unitId(const EditLine& line)
    {
        const QString ename = textOf(line.ename);
        if (ename.isEmpty()) return {};
        if (line.stored && ename == line.stored->enameText) return line.stored->eid;
        m_findUnit.reset();
        m_findUnit.bind(1, ename);
        if (m_findUnit.step()) return m_findUnit.value(0);
        return neueinheit(m_db, ename);
    }

    qint64 ingredientId(const QString& zutat)
    {
        m_findZutat.reset();
        m_findZutat.bind(1, zutat);
        if (m_findZutat.step()) return m_findZutat.int64(0);
        m_addZutat.reset();
        m_addZutat.bind(1, zutat);
        m_addZutat.step();
        return m_db.lastInsertId();
    }

    void addLine(const QVariantList& values)
    {
        m_addLine.reset();
        for (int i = 0; i < values.size(); ++i) m_addLine.bind(i + 1, values.at(i));
        m_addLine.step();
    }

private:
    db::Database& m_db;
    db::Statement m_findUnit;
    db::Statement m_findZutat;
    db::Statement m_addZutat;
    db::Statement m_addLine;
};

QVariant storedAmount(const EditLine& line)
{
    const QString men = textOf(line.men);
    if (line.stored && men == line.stored->menText) return line.stored->menge;
    const std::optional<double> amount = readAmount(men);
    // saveRefusal turns such a text away before anything is written.
    if (!amount) throw db::DbError(db::errInvalidArgument, amountMessage(men));
    if (*amount == 0.0) return {};
    return *amount;
}

}  // namespace

bool stichTextAllowed(const QString& text)
{
    for (QChar c : text)
        if (!stichCharAllowed(c)) return false;
    return true;
}

bool stichTextAllowed(db::Database& db, const QString& text)
{
    if (stichTextAllowed(text)) return true;
    for (const QString& piece : text.split(QLatin1Char(','))) {
        const QString stichwort = piece.trimmed();
        if (!stichTextAllowed(stichwort) && !findStichwort(db, stichwort)) return false;
    }
    return true;
}

QString stichMessage()
{
    return QStringLiteral("Bitte verwenden Sie nur Buchstaben und Zahlen als Stichworte und trennen "
                          "Sie einzelne Stichworte durch Kommata.");
}

void sayStichRefused()
{
    ui::msgbox(stichMessage(), ui::Critical, QStringLiteral(" "));
}

bool savestich(db::Database& db, qint64 rid, bool keep, const QString& text)
{
    if (text.isEmpty()) return true;
    if (!stichTextAllowed(db, text)) {
        sayStichRefused();
        return false;
    }
    try {
        db::Transaction tx(db);
        // No keyword is made, and no link written, for a recipe that is gone.
        requireRecipe(db, rid);
        storeStichworte(db, rid, keep, text);
        tx.commit();
        return true;
    } catch (const RecipeGone&) {
        throw;
    } catch (const db::DbError& e) {
        ui::msgbox(QStringLiteral("Fehler bei der Verarbeitung der Stichworte. Bitte geben Sie ein oder mehrere "
                                  "Stichworte durch ein Komma getrennt ein. [%1 : %2]")
                       .arg(e.number())
                       .arg(e.text()),
                   ui::Critical, QStringLiteral(" F E H L E R"));
        return false;
    }
}

std::optional<double> readAmount(const QString& text)
{
    // A blank before or after the amount would otherwise read as an empty whole part.
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    double amount = 0.0;
    const qsizetype blank = t.indexOf(QLatin1Char(' '));
    if (blank >= 0) {
        amount = leadingNumber(t.left(blank));
        const QString rest = t.mid(blank + 1);
        const qsizetype slash = rest.indexOf(QLatin1Char('/'));
        if (slash >= 0) {
            const std::optional<double> part = quotient(rest, slash);
            if (!part) return std::nullopt;
            amount += *part;
        }
    } else if (const qsizetype slash = t.indexOf(QLatin1Char('/')); slash >= 0) {
        const std::optional<double> part = quotient(t, slash);
        if (!part) return std::nullopt;
        amount = *part;
    } else {
        amount = leadingNumber(t);
    }
    if (!std::isfinite(amount)) return std::nullopt;
    return amount;
}

std::vector<int> partNumbers(const std::vector<QVariant>& nrs)
{
    std::vector<int> tids;
    tids.reserve(nrs.size());
    int part = 1;
    int previous = -1;
    for (const QVariant& v : nrs) {
        const std::optional<int> nr = lineNumber(v);
        if (!nr || *nr == 0 || *nr <= previous) ++part;
        tids.push_back(part);
        previous = nr ? *nr : -1;
    }
    return tids;
}

std::optional<QString> saveRefusal(db::Database& db, const EditRecipe& recipe)
{
    // A recipe without a name is a blank row in every list.
    if (recipe.name.trimmed().isEmpty()) return QStringLiteral("Bitte geben Sie einen Namen für das Rezept ein.");
    const Servings servings = readServings(recipe.servings);
    if (servings.check != ServingsCheck::Ok) return servingsMessage(servings.check);
    if (!categoryId(recipe.kid)) return QStringLiteral("Bitte wählen Sie eine Rubrik für das Rezept aus.");
    for (const EditLine& line : recipe.lines) {
        if (!writesLine(line)) continue;
        const QString men = textOf(line.men);
        if (!men.isEmpty() && !readAmount(men)) return amountMessage(men);
    }
    if (!stichTextAllowed(db, recipe.stich)) return stichMessage();
    return std::nullopt;
}

qint64 neueinheit(db::Database& db, const QString& ename)
{
    // The unit column compares without regard to case, so "X" is the same unit as "x".
    const bool unscaled = ename.compare(QStringLiteral("x"), Qt::CaseInsensitive) == 0
                          && db.scalar(QStringLiteral("select count(*) from einheiten where eid=?"),
                                       {kUnscaledUnit}).toLongLong() == 0;
    if (unscaled) {
        db.execute(QStringLiteral("insert into einheiten (eid,ename,ekurz,mmunit) values (?,?,?,0)"),
                   {kUnscaledUnit, ename, QStringLiteral("$$")});
    } else {
        db.execute(QStringLiteral("insert into einheiten (ename,ekurz,mmunit) values (?,?,0)"),
                   {ename, QStringLiteral("$$")});
    }
    return db.lastInsertId();
}

EditRecipe loadRecipeForEdit(db::Database& db, qint64 rid)
{
    EditRecipe recipe;
    recipe.rid = rid;
    {
        db::Statement st(db, QStringLiteral("select rname, port, kid from rezepte where rid=?"));
        st.bind(1, rid);
        if (!st.step()) throw RecipeGone(rid);
        recipe.name = textOf(st.value(0));
        recipe.servings = textOf(st.value(1));
        recipe.kid = textOf(st.value(2));
    }
    recipe.zub = zubText(db, rid);
    recipe.stich = stichText(db, rid);

    // zutaten.eid besides einheiten.eid: a line whose unit row is gone keeps its id. Written
    // with LEFT JOIN from the lines, as the view reads them: the index on the recipe id
    // then finds the lines, where the RIGHT JOIN form scans every line of the cookbook.
    db::Statement st(db, QStringLiteral(
        "SELECT zutaten.tid, zutaten.nr, einheiten.eid, einheiten.ename, zutaten.menge, zutindex.zutat, "
        "rezepte.port, zutaten.eid FROM zutaten INNER JOIN rezepte ON rezepte.rid = zutaten.rid "
        "LEFT JOIN einheiten ON einheiten.eid = zutaten.eid "
        "INNER JOIN zutindex ON zutaten.zutid = zutindex.zutid "
        "where rezepte.rid=? ORDER BY zutaten.tid, zutaten.nr"));
    st.bind(1, rid);
    while (st.step()) {
        EditLine line;
        line.nr = st.value(1);
        const QVariant menge = st.value(4);
        const QString men = bruch(menge.isNull() ? std::nullopt : std::optional<double>(menge.toDouble()));
        if (!men.isEmpty() && men != QStringLiteral("0")) line.men = men;
        line.ename = st.value(3);
        line.zut = st.value(5);
        line.stored = EditLine::Stored{textOf(line.men), menge, textOf(line.ename), st.value(7)};
        recipe.lines.push_back(std::move(line));
    }
    return recipe;
}

qint64 saverezept(db::Database& db, const EditRecipe& recipe)
{
    if (const std::optional<QString> refusal = saveRefusal(db, recipe))
        throw db::DbError(db::errInvalidArgument, *refusal);
    const qint16 port = readServings(recipe.servings).value;
    const qint64 kid = *categoryId(recipe.kid);

    db::Transaction tx(db);
    qint64 rid = recipe.rid;
    if (rid != 0) {
        requireRecipe(db, rid);
        for (const QString& table : {QStringLiteral("zubereit"), QStringLiteral("zutaten"), QStringLiteral("rezstich")})
            db.execute(QStringLiteral("delete from %1 where rid=?").arg(table), {rid});
        // A row that would only get its own values again is left alone: the recipe list
        // then knows that none of its rows has changed and need not read them again.
        db.execute(QStringLiteral("update rezepte set port=?1, rname=?2, ungenau=0, kid=?3 where rid=?4 and "
                                  "(port is not ?1 or rname is not ?2 collate binary or ungenau is not 0 or kid is not ?3)"),
                   {port, recipe.name, kid, rid});
    } else {
        const qint64 did = selbstEingegebenDid(db);
        db.execute(QStringLiteral("insert into rezepte (rname,port,ungenau,kid,did) values (?,?,0,?,?)"),
                   {recipe.name, port, kid, did});
        rid = db.lastInsertId();
    }

    db.execute(QStringLiteral(
                   "update rezinaus set (rname,katego,port,komid) = "
                   "(select rname,kid,port,komid from rezepte where rezepte.rid=rezinaus.rid) where rid=?"),
               {rid});
    // substr counts characters, so a title with umlauts is cut where the menu's column ends.
    db.execute(QStringLiteral(
                   "update rezinmen set (rname,katego,port) = "
                   "(select substr(rname,1,?),kid,port from rezepte where rezepte.rid=rezinmen.rid) where rid=?"),
               {kMenuNameLength, rid});

    db.execute(QStringLiteral("insert into zubereit (rid,ztext) values (?,?)"), {rid, recipe.zub});

    std::vector<const EditLine*> lines;
    for (const EditLine& line : recipe.lines)
        if (writesLine(line)) lines.push_back(&line);
    const std::vector<QVariant> nrs = numbersToStore(lines);
    const std::vector<int> tids = partNumbers(nrs);
    {
        LineWriter writer(db);
        for (size_t i = 0; i < lines.size(); ++i) {
            const EditLine& line = *lines[i];
            const QVariant eid = writer.unitId(line);
            const qint64 zutid = writer.ingredientId(line.zut.toString());
            const QVariant menge = storedAmount(line);
            writer.addLine({rid, tids[i], nrs[i], eid, menge, zutid});
        }
    }

    storeStichworte(db, rid, true, recipe.stich);
    tx.commit();
    return rid;
}

}  // namespace kv
