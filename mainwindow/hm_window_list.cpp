#include "mainwindow/hm_window.h"

#include "core/mainmod.h"
#include "core/rezsource.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/events.h"

#include <QApplication>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTableView>

namespace kv {

namespace {

struct FilterMode {
    const char* caption;
    const char* source;
    const char* condition;
    const char* part;
};

// The no-filter row (id 0) stands first whatever the names: import files are stored by
// their full path, and "/" sorts before "Alle". A refresh shows the first row, so the box
// then agrees with the whole list a switch or a mode change shows.
const FilterMode kFilterModes[] = {
    {"R u b r i k :", "select * from hauptkat order by kid<>0, kname", "kid=", "Rubrik '"},
    {"Kommentar :", "select komid as kid,komment as kname from komment order by komid<>0, komment", "komid=",
     "Kommentar '"},
    {"D a t e i :", "select did as kid,dname as kname from importdateien order by did<>0, dname", "did=",
     "Datei '"},
};

// The pointer comes back and the grid follows the view again however a long deletion ends.
class ListDeletion {
public:
    ListDeletion(QTableView* grid, bool& viewSwitch)
        : m_grid(grid), m_viewSwitch(viewSwitch)
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_grid->setEnabled(false);
        m_viewSwitch = false;
    }
    ~ListDeletion()
    {
        m_grid->setEnabled(true);
        m_viewSwitch = true;
        QApplication::restoreOverrideCursor();
    }
    ListDeletion(const ListDeletion&) = delete;
    ListDeletion& operator=(const ListDeletion&) = delete;

private:
    QTableView* m_grid;
    bool& m_viewSwitch;
};

}  // namespace

class Hm::ListView : public RecipeListView {
public:
    explicit ListView(Hm* hm)
        : m_hm(hm)
    {
    }
    db::DataControl* rez() override { return m_hm->rez; }
    db::DataControl* kat() override { return m_hm->kat; }
    void refreshKatgrid() override { m_hm->refreshKatgrid(); }
    QString gesucht() const override { return m_hm->gesucht->text(); }
    void setGesucht(const QString& text) override { m_hm->gesucht->setText(text); }
    void setRezzahl(const QString& text) override { m_hm->rezzahl->setText(text); }

private:
    Hm* m_hm;
};

std::unique_ptr<RecipeListView> Hm::makeListView()
{
    return std::make_unique<ListView>(this);
}

void Hm::refreshKatgrid()
{
    followCombo(katgrid, kat);
}

void Hm::rubmodechange_Click()
{
    filtermode = qint16(filtermode + 1);
    if (filtermode == 3)
        filtermode = 0;
    const FilterMode& mode = kFilterModes[filtermode];
    ger->setText(QString::fromUtf8(mode.caption));
    kat->setRecordSource(QString::fromUtf8(mode.source));
    kat->refresh();
    refreshKatgrid();
}

void Hm::katgrid_Change()
{
    const QString bound = katgridBoundText();
    // Only the user's choices reach here (the program's own moves of `kat` do not), so
    // a first choice of the row "0" is the user's too and shows every recipe.
    if (bound.isEmpty())
        return;
    // `kat` stands on the entry chosen: whatever reads the filter rows again (an import
    // adding its files) finds the choice there and keeps the box on it.
    if (db::Recordset* entries = kat->recordset(); entries && entries->absolutePosition() != katgrid->currentIndex())
        entries->setAbsolutePosition(katgrid->currentIndex());
    // A list that cannot be read with the new filter is shown again as it was.
    const QString shown = rez->recordSource();
    const QString description = gesucht->text();
    try {
        if (bound == u"0") {
            rez->setRecordSource(rezepteBasis);
            gesucht->setText(alleGerichte);
            rez->refresh();
            rezzahl->setText(formatCount(cookbook().recordCount(QStringLiteral("rezepte"))));
            return;
        }
        const FilterMode& mode = kFilterModes[filtermode];
        // The bound column is an id; written as digits it cannot carry anything else into the query.
        const QString id = QString::number(katModel->boundValue(katgrid->currentIndex()).toLongLong());
        rezfilter(QString::fromLatin1(mode.condition) + id, true);
        rezcaption(QString::fromLatin1(mode.part) + katgrid->currentText() + u'\'');
    } catch (const db::DbError&) {
        rez->setRecordSource(shown);
        gesucht->setText(description);
        try {
            rez->refresh();
        } catch (const db::DbError&) {
        }
        throw;
    }
}

void Hm::rezgrid_KeyDown(int& keyCode, int shift)
{
    Q_UNUSED(shift);
    db::Recordset* rs = rez->recordset();
    if (!rs)
        return;
    ui::guarded(QStringLiteral("REZGRID_KEYDOWN : "), [&] {
        if (keyCode == ui::KeyHome) {
            keyCode = 0;
            rs->moveFirst();
            rezauswahl();
        } else if (keyCode == ui::KeyEnd) {
            keyCode = 0;
            rs->moveLast();
            rezauswahl();
        } else if (keyCode == ui::KeyDelete) {
            keyCode = 0;
            deleteCurrentRecipe();
        } else if (keyCode >= 'A' && keyCode <= 'Z' && !gridedit) {
            const QChar letter(keyCode);
            keyCode = 0;
            rs->findFirst(QStringLiteral("rname like '") + db::sqlEscape(letter) + QStringLiteral("*'"));
            rezauswahl();
        }
    });
}

void Hm::deleteCurrentRecipe()
{
    db::Recordset* rs = rez->recordset();
    if (rezgrid->selectionModel()->selectedRows().size() > 1) {
        rs->moveNext();
        if (rs->eof() && rs->recordCount() > 0)
            rs->moveLast();
        ui::msgbox(QStringLiteral("Sie können nur einzelne Rezepte löschen."), ui::OkOnly);
        return;
    }
    // An empty list has no recipe to ask about.
    if (rs->eof() || rs->bof())
        return;
    if (!cookbookWritable())
        return;
    const QString title = rezgrid->currentIndex().isValid()
                              ? rezgrid->currentIndex().siblingAtColumn(0).data().toString()
                              : rs->value(QStringLiteral("rname")).toString();
    if (ui::msgbox(QStringLiteral("Rezept ") + title + QStringLiteral(" löschen ?"), ui::YesNo,
                   QStringLiteral(" ")) != ui::Answer::Yes)
        return;

    const qint64 rid = rs->value(QStringLiteral("rid")).toLongLong();
    db::Database& db = cookbook();
    try {
        // The recipe goes with all its rows or not at all.
        db::Transaction tx(db);
        delrezept(rid);
        rs->deleteCurrent();
        tx.commit();
    } catch (const db::DbError&) {
        restoreList(rid);
        throw;
    }
    if (auswahl->recordset())
        auswahl->recordset()->requery();
    rs->moveNext();
    if (rs->eof() && rs->recordCount() > 0)
        rs->moveLast();
    rezzahl->setText(formatCount(rs->recordCount()));
    rezauswahl();
}

void Hm::restoreList(qint64 rid)
{
    try {
        rez->refresh();
        if (db::Recordset* rs = rez->recordset(); rs && !rs->eof() && rid != 0)
            rs->findFirst(QStringLiteral("rid=%1").arg(rid));
    } catch (const db::DbError&) {
    }
}

void Hm::rezgrid_RowColChange(int lastRow, int lastCol)
{
    Q_UNUSED(lastRow);
    Q_UNUSED(lastCol);
    rezauswahl();
}

void Hm::rezgrid_MouseMove()
{
    if (typingInView()) return;
    QWidget* active = focusWidget();
    if (!active || active->objectName().compare(QStringLiteral("rezgrid"), Qt::CaseInsensitive) != 0)
        rezgrid->setFocus(Qt::MouseFocusReason);
}

void Hm::rezgrid_MouseDown()
{
    rezclick = false;
}

void Hm::loeschaus_Click()
{
    db::Recordset* rs = rez->recordset();
    if (!rs || rs->eof() || !cookbookWritable())
        return;
    if (ui::msgbox(QStringLiteral("Wollen Sie wirklich alle ") + QString::number(rs->recordCount()) +
                       QStringLiteral(" Rezepte löschen ?"),
                   ui::YesNo, QStringLiteral(" ")) != ui::Answer::Yes)
        return;
    if (ui::msgbox(QStringLiteral("Die Rezeptliste wird dann leer ! Sind Sie sicher ? "), ui::YesNo,
                   QStringLiteral(" ")) != ui::Answer::Yes)
        return;

    {
        ListDeletion deletion(rezgrid, m_viewSwitch);
        try {
            QList<qint64> rids;
            {
                // The grid must not follow the walk over the list; it is shown afresh below.
                const QSignalBlocker quiet(rez);
                for (rs->moveFirst(); !rs->eof(); rs->moveNext())
                    rids << rs->value(QStringLiteral("rid")).toLongLong();
            }
            db::Database& db = cookbook();
            db::Transaction tx(db);
            deleteRecipes(db, rids);
            deleteEmptyImportFiles(db);
            tx.commit();
        } catch (const db::DbError&) {
            restoreList(0);
            throw;
        }
    }
    // The view and the panel leave the recipes that are gone; the list keeps its filter,
    // and the filter box goes on naming it.
    recipesRemoved();
    if (!refreshFilterEntries(*m_listView)) {
        QScopedValueRollback<bool> syncing(m_syncing, true);
        katgrid->setCurrentIndex(-1);
    }
}

}  // namespace kv
