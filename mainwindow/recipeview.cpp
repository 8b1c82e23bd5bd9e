#include "mainwindow/recipeview.h"

#include "core/fraction.h"
#include "core/mainmod.h"
#include "mainwindow/recipegone.h"

#include <QLocale>

#include <cmath>
#include <optional>

namespace kv {

namespace {

// The servings column may hold anything a cookbook stored; what is not a 16-bit number
// counts as 0, which the fraction rule shows as no amount.
qint16 recipeServings(const QVariant& v)
{
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (v.isNull() || !ok) return 0;
    const double r = std::nearbyint(d);
    if (r < -32768 || r > 32767) return 0;
    return static_cast<qint16>(r);
}

// A number as a cook types it: optional sign, digits, one decimal comma or point.
bool parseNumber(const QString& text, double& out)
{
    QString t = text.trimmed();
    if (t.isEmpty()) return false;
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    out = QLocale::c().toDouble(t, &ok);
    return ok && std::isfinite(out);
}

QString displayAmount(const std::array<QVariant, 7>& row, qint16 wanted)
{
    const QVariant& menge = row[ZutMenge];
    const QVariant& eid = row[ZutEid];
    std::optional<double> amount;
    if (!menge.isNull()) amount = menge.toDouble();
    std::optional<qint64> unit;
    if (!eid.isNull()) unit = eid.toLongLong();
    return bruchmenge(amount, row[ZutPort].toInt(), wanted, unit).toText();
}

}  // namespace

int getzutdata(db::Database& db, qint64 rid, qint16 wanted, ZutTable& table)
{
    int n = 0;
    try {
        db::Statement st(db, QStringLiteral(
            "SELECT zutaten.tid, zutaten.nr, einheiten.eid, einheiten.ename, zutaten.menge, zutindex.zutat, "
            "rezepte.port FROM zutaten INNER JOIN rezepte ON rezepte.rid = zutaten.rid "
            "LEFT JOIN einheiten ON einheiten.eid = zutaten.eid "
            "INNER JOIN zutindex ON zutaten.zutid = zutindex.zutid "
            "where rezepte.rid=? ORDER BY zutaten.tid, zutaten.nr"));
        st.bind(1, rid);
        while (n < kMaxZutRows && st.step()) {
            auto& row = table[n];
            const QVariant nr = st.value(1);
            row[ZutNr] = (nr.isNull() || nr.toLongLong() == 0) ? QVariant() : nr;
            row[ZutEid] = st.value(2);
            row[ZutEname] = st.value(3);
            row[ZutMenge] = st.value(4);
            row[ZutZutat] = st.value(5);
            row[ZutPort] = recipeServings(st.value(6));
            row[ZutAmount] = displayAmount(row, wanted);
            ++n;
        }
    } catch (const db::DbError&) {
        // The view shows what it could read; a broken row must not block the window.
    }
    return n;
}

void recalcmenge(ZutTable& table, int count, qint16 wanted)
{
    for (int i = 0; i < count && i < int(table.size()); ++i)
        table[i][ZutAmount] = displayAmount(table[i], wanted);
}

QString zutCell(const ZutTable& table, int row, int column)
{
    if (row < 0 || row >= int(table.size()) || column < ZutNr || column > ZutZutat) return {};
    const QVariant& v = table[row][column];
    return v.isNull() ? QString() : v.toString();
}

ZutTableModel::ZutTableModel(const ZutTable* table, QObject* parent)
    : QAbstractTableModel(parent)
    , m_table(table)
{
}

void ZutTableModel::setRows(int rows)
{
    beginResetModel();
    m_rows = qBound(0, rows, int(m_table->size()));
    endResetModel();
}

int ZutTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int ZutTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 4;
}

QVariant ZutTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows) return {};
    if (role == Qt::DisplayRole) return zutCell(*m_table, index.row(), index.column());
    if (role == Qt::TextAlignmentRole && index.column() <= ZutAmount)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

Servings readServings(const QString& text)
{
    double d = 0;
    if (!parseNumber(text, d)) return {ServingsCheck::NotNumber, 0};
    if (d < 1) return {ServingsCheck::BelowOne, 0};
    if (d > kMaxServings) return {ServingsCheck::AboveMax, 0};
    // Rounding to nearest, a half to the even neighbour (the default rounding mode).
    return {ServingsCheck::Ok, static_cast<qint16>(std::nearbyint(d))};
}

QString servingsMessage(ServingsCheck check)
{
    switch (check) {
    case ServingsCheck::Ok:
        return {};
    case ServingsCheck::NotNumber:
        return QStringLiteral("Bitte geben Sie die Zahl der Portionen als Zahl von 1 bis 32767 ein.");
    case ServingsCheck::BelowOne:
        return QStringLiteral("Von nichts kommt nichts.");
    case ServingsCheck::AboveMax:
        return QStringLiteral("Wer soll das alles essen ?");
    }
    return {};
}

QString zpersCaption(const QString& portText)
{
    return QStringLiteral("Z u t a t e n   f ü r   ") + portText + QStringLiteral("   P o r t i o n e n  :");
}

QString stichText(db::Database& db, qint64 rid)
{
    db::Statement st(db, QStringLiteral(
        "SELECT stichwort FROM rezstich INNER JOIN stichworte ON rezstich.sid = stichworte.sid "
        "where rid=? order by rezstich.rowid"));
    st.bind(1, rid);
    QStringList words;
    while (st.step()) words << st.text(0);
    return words.join(QStringLiteral(", "));
}

QString zubText(db::Database& db, qint64 rid)
{
    db::Statement st(db, QStringLiteral("select ztext from zubereit where rid=? order by rowid"));
    st.bind(1, rid);
    return st.step() ? st.text(0) : QString();
}

void saveZub(db::Database& db, qint64 rid, const QString& text)
{
    db::Transaction tx(db);
    requireRecipe(db, rid);
    const bool exists = db.scalar(QStringLiteral("select count(*) from zubereit where rid=?"), {rid}).toLongLong() > 0;
    db.execute(exists ? QStringLiteral("update zubereit set ztext=?1 where rid=?2")
                      : QStringLiteral("insert into zubereit (ztext,rid) values (?1,?2)"),
               {text, rid});
    tx.commit();
}

void saveMbesch(db::Database& db, qint64 mid, const QString& text)
{
    db.execute(QStringLiteral("update menues set mbesch=? where mid=?"), {text, mid});
}

NewComment addComment(db::Database& db, const QString& text)
{
    // The largest id, not the last stored row's: rows need not be stored in id order.
    // Comment 0 means "no filter", so a new comment never takes it.
    NewComment c;
    c.komid = db.scalar(QStringLiteral("select coalesce(max(komid),0)+1 from komment")).toLongLong();
    c.text = leftChars(text, kCommentLength);
    db.execute(QStringLiteral("insert into komment (komid,komment) values (?,?)"), {c.komid, c.text});
    return c;
}

void setRecipeComment(db::Database& db, qint64 rid, const QVariant& komid)
{
    db::Transaction tx(db);
    requireRecipe(db, rid);
    for (const QString& sql : {QStringLiteral("update rezepte set komid=? where rid=?"),
                               QStringLiteral("update rezinaus set komid=? where rid=?")}) {
        db::Statement st(db, sql);
        st.bind(1, komid);
        st.bind(2, rid);
        st.step();
    }
    tx.commit();
}

NewComment addRecipeComment(db::Database& db, qint64 rid, const QString& text)
{
    db::Transaction tx(db);
    // Checked first: a recipe that is gone gets no comment made for it.
    requireRecipe(db, rid);
    const NewComment c = addComment(db, text);
    setRecipeComment(db, rid, c.komid);
    tx.commit();
    return c;
}

}  // namespace kv
