#include "printing/headfoot.h"

#include <QLocale>

namespace kv {

QString headFootDate(const QDate& date)
{
    static const QLocale german(QLocale::German, QLocale::Germany);
    return german.toString(date, QStringLiteral("d.MMMM yyyy"));
}

HeadFootTexts headfoottext(const QString& order, const HeadFootItems& items)
{
    HeadFootTexts texts;
    QString* position = &texts.left;
    for (qsizetype i = 0; i + 1 < order.size(); i += 2) {
        switch (order.at(i).unicode()) {
        case u'L':
            position = &texts.left;
            break;
        case u'C':
            position = &texts.centre;
            break;
        case u'R':
            position = &texts.right;
            break;
        default:
            break;
        }
        switch (order.at(i + 1).unicode()) {
        case u'A':
            *position += items.aname + u' ';
            break;
        case u'D':
            *position += headFootDate(items.today) + u' ';
            break;
        case u'S':
            *position += QStringLiteral(" Seite ") + QString::number(items.page) + u' ';
            break;
        case u'G':
            *position += QStringLiteral("von ") + QString::number(items.pagecount) + u' ';
            break;
        case u'X':
            *position += items.extra + u' ';
            break;
        default:
            break;
        }
    }
    return texts;
}

}  // namespace kv
