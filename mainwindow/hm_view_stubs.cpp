// The recipe view, the selection lists and menus and the print hand-over of the main
// window, reduced to what the recipe list needs: the title of the recipe shown and the
// entries of the current selection list.

#include "mainwindow/hm.h"

#include "platform/db/database.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

namespace kv {

void Hm::rezauswahl()
{
    rezclick = false;
    if (!m_viewSwitch || menumode)
        return;
    db::Recordset* rs = rez->recordset();
    if (!rs || rs->eof() || rs->bof())
        return;
    reznam->setText(rs->value(QStringLiteral("rname")).toString());
    m_rid = rs->value(QStringLiteral("rid")).toInt();
}

void Hm::zutauswahl() {}

qint16 Hm::getzutdata(qint32 rid)
{
    Q_UNUSED(rid);
    return 0;
}

void Hm::recalcmenge(qint16 servings)
{
    Q_UNUSED(servings);
}

void Hm::ubport()
{
    zpers->setText(QStringLiteral("Z u t a t e n   f ü r   ") + port->text() +
                   QStringLiteral("   P o r t i o n e n  :"));
}

void Hm::showmenu() {}
void Hm::showaus() {}

void Hm::menuswap(bool mode)
{
    Q_UNUSED(mode);
}

void Hm::ausgrid_RowColChange(int lastRow, int lastCol)
{
    Q_UNUSED(lastRow);
    Q_UNUSED(lastCol);
}

void Hm::korbgrid_Change()
{
    const QString aid = korbgridBoundText();
    if (aid.isEmpty())
        return;
    auswahl->setRecordSource(QStringLiteral("select *,'Port.' as tport from rezinaus where aid=") +
                             QString::number(aid.toLongLong()) + QStringLiteral(" order by rname;"));
    auswahl->refresh();
}

void Hm::korbgrid_KeyDown(int& keyCode, int shift)
{
    Q_UNUSED(keyCode);
    Q_UNUSED(shift);
}

void Hm::ausgrid_KeyDown(int& keyCode, int shift)
{
    Q_UNUSED(keyCode);
    Q_UNUSED(shift);
}

void Hm::ausgrid_BeforeDelete(bool& cancel)
{
    cancel = true;
}

void Hm::ausgrid_BeforeUpdate(int column, const QVariant& value, bool& cancel)
{
    Q_UNUSED(column);
    Q_UNUSED(value);
    cancel = true;
}

void Hm::rezgrid_Click() {}
void Hm::rezgrid_DblClick() {}
void Hm::eininaus_Click() {}
void Hm::auswahlalle_Click() {}
void Hm::loeschsel_Click() {}
void Hm::neuaus_Click() {}
void Hm::men4_Click() {}
void Hm::ausgrid_GotFocus() {}
void Hm::ausgrid_MouseMove() {}
void Hm::plus_Click() {}
void Hm::minus_Click() {}
void Hm::mehr_Click() {}
void Hm::zub_Change() {}
void Hm::zub_GotFocus() {}
void Hm::zub_LostFocus() {}
void Hm::stich_Change() {}
void Hm::stich_GotFocus() {}
void Hm::stich_LostFocus() {}
void Hm::komgrid_Change() {}
void Hm::komgrid_Click() {}
void Hm::komgrid_GotFocus() {}
void Hm::komgrid_LostFocus() {}
void Hm::zutgrid_MouseMove() {}
void Hm::druckaus_Click() {}
void Hm::druckrez_Click() {}
void Hm::einkauf_Click() {}
void Hm::einkaufmen_Click() {}
void Hm::zutgridSetRows(int rows)
{
    Q_UNUSED(rows);
}

}  // namespace kv
