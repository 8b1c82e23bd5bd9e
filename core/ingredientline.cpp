#include "core/ingredientline.h"

namespace kv {

bool isHeadingLine(const QVariant& nr, const QVariant& menge, const QVariant& eid)
{
    if (!nr.isNull() && !nr.toString().trimmed().isEmpty()) return nr.toLongLong() == 0;
    return menge.isNull() && eid.isNull();
}

QString headingLineSql(const QString& table)
{
    // Definite for every line: a Null would turn "not" of the test into no answer.
    return QStringLiteral("(ifnull(%1.nr,1)=0 or (coalesce(trim(%1.nr),'')='' and %1.menge is null and %1.eid is null))")
        .arg(table);
}

}  // namespace kv
