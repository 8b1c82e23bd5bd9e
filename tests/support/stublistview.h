#pragma once
// A recipe list in place of the main window's, on the open cookbook, for the logic that
// fills the list without a window: it shows the whole list at first, under "> alle
// Gerichte", and counts the refreshes of the category grid.

#include "core/mainmod.h"
#include "core/rezsource.h"
#include "platform/db/datacontrol.h"

#include <QStringList>

#include <memory>

namespace kv::test {

class StubListView : public RecipeListView {
public:
    StubListView()
    {
        m_rez.setDatabaseName(kochbuchdb->name());
        m_rez.setRecordSource(rezepteBasis);
        m_rez.refresh();
        m_kat.setDatabaseName(kochbuchdb->name());
        m_kat.setRecordSource(QStringLiteral("select * from hauptkat order by kname"));
        m_kat.refresh();
        setRecipeListView(this);
    }
    ~StubListView() override { setRecipeListView(nullptr); }

    db::DataControl* rez() override { return &m_rez; }
    db::DataControl* kat() override { return &m_kat; }
    void refreshKatgrid() override { ++katgridRefreshes; }
    QString gesucht() const override { return m_gesucht; }
    void setGesucht(const QString& text) override { m_gesucht = text; }
    void setRezzahl(const QString& text) override { rezzahl = text; }

    // The titles the list shows, in its order.
    QStringList titles()
    {
        QStringList out;
        db::Recordset* rs = m_rez.recordset();
        if (!rs || rs->recordCount() == 0) return out;
        const std::unique_ptr<db::Recordset> copy = rs->clone();
        for (copy->moveFirst(); !copy->eof(); copy->moveNext()) out << copy->value(QStringLiteral("rname")).toString();
        return out;
    }
    QString source() const { return m_rez.recordSource(); }

    // The delivered cookbook's count, as the main window shows it at the start.
    QString rezzahl = QStringLiteral("14");
    int katgridRefreshes = 0;

private:
    db::DataControl m_rez;
    db::DataControl m_kat;
    QString m_gesucht = alleGerichte;
};

}  // namespace kv::test
