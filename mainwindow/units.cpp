#include "mainwindow/units.h"

namespace kv {

std::vector<UnitListRow> unitListRows(db::Database& db)
{
    std::vector<UnitListRow> rows;
    db::Statement st(db, QStringLiteral("select ename,elang,mmscale from einheiten where mmunit=true "
                                        "order by mmscale,mmorder"));
    QVariant group;
    bool first = true;
    while (st.step()) {
        const QVariant scale = st.value(2);
        if (!first && scale != group) rows.push_back({});
        first = false;
        group = scale;
        const QString ename = st.text(0);
        rows.push_back({ename + u'\t' + st.text(1), ename});
    }
    return rows;
}

UnitCheck checkUnitText(db::Database& db, const QString& text)
{
    if (text == u"x") return {UnitVerdict::AsTyped, text};
    const QVariant listed = db.scalar(QStringLiteral("select ename from einheiten where mmunit=true and ename=?"), {text});
    if (listed.isValid()) return {UnitVerdict::AsTyped, text};
    db::Statement alias(db, QStringLiteral("select eid from impeinheit where ename=?"));
    alias.bind(1, text);
    if (!alias.step()) return {};
    if (alias.isNull(0)) return {UnitVerdict::NoUnit, {}};
    const QVariant unit = db.scalar(QStringLiteral("select ename from einheiten where mmunit=true and eid=?"),
                                    {alias.value(0)});
    if (!unit.isValid()) return {};
    return {UnitVerdict::Replaced, unit.toString()};
}

QString unknownUnitMessage(const QString& text)
{
    return QStringLiteral("Die Einheit '") + text +
           QStringLiteral("' existiert nicht. Wählen Sie eine Einheit aus der Einheitenliste.");
}

}  // namespace kv
