#pragma once
// Page headers and footers: an order string of letter pairs says which items go to the
// left, centre and right text of a band.
//
// The first letter of a pair is the position ("L", "C", "R"; any other keeps the position
// of the pair before, left for the first), the second the item: "A" the name of the list
// or menu, "D" today's date, "S" " Seite " and the page number, "G" "von " and the page
// count, "X" the band's own text. Each item is followed by one blank; a final single
// letter appends nothing. Letters are compared in upper case only.

#include <QDate>
#include <QString>

namespace kv {

struct HeadFootTexts {
    QString left;
    QString centre;
    QString right;

    bool operator==(const HeadFootTexts&) const = default;
};

struct HeadFootItems {
    QString aname;  // empty when the hand-over has no named row
    QDate today;
    int page = 0;
    int pagecount = 0;
    QString extra;  // the band's own text
};

HeadFootTexts headfoottext(const QString& order, const HeadFootItems& items);

// "6.Dezember 2026": German month names, whatever the machine's locale is.
QString headFootDate(const QDate& date);

}  // namespace kv
