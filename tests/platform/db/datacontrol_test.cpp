#include "platform/db/datamodels.h"

#include "tests/platform/db/dbfixture.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QItemSelectionModel>

using kv::db::DataControl;
using kv::db::DbError;
using kv::db::RecordsetListModel;
using kv::db::RecordsetTableModel;
using kv::test::DbTest;

namespace {

// Counts what a model announces to its views.
struct ModelSignals {
    explicit ModelSignals(QAbstractItemModel& m)
    {
        QObject::connect(&m, &QAbstractItemModel::modelReset, [this] { ++resets; });
        QObject::connect(&m, &QAbstractItemModel::rowsInserted, [this] { ++inserts; });
        QObject::connect(&m, &QAbstractItemModel::rowsRemoved, [this] { ++removes; });
        QObject::connect(&m, &QAbstractItemModel::dataChanged, [this] { ++changes; });
    }
    int resets = 0, inserts = 0, removes = 0, changes = 0;
};

}  // namespace

class DataControls : public DbTest {};

TEST_F(DataControls, RefreshBindsToTheOpenConnectionByFileName)
{
    makeRecipes(3);
    DataControl rez;
    int refreshed = 0, changed = 0;
    QObject::connect(&rez, &DataControl::refreshed, [&] { ++refreshed; });
    QObject::connect(&rez, &DataControl::changed, [&] { ++changed; });
    rez.setDatabaseName(dirPath("./kelvor-daten.mdb"));
    rez.setRecordSource("select rid,kid,port,rname,komid from rezepte order by rname;");

    // Only the cookbook's own connection sees a row of its open transaction.
    db->beginTrans();
    exec("INSERT INTO rezepte (rname) VALUES ('Aal grün')");
    rez.refresh();
    ASSERT_NE(rez.recordset(), nullptr);
    EXPECT_EQ(rez.recordset()->recordCount(), 4);
    EXPECT_EQ(rez.recordset()->value("rname").toString(), QString::fromUtf8("Aal grün"));
    db->rollback();
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(changed, 0);
    // A move, a stored edit and a delete are changes; editing the buffer is none yet.
    auto* rs = rez.recordset();
    rs->moveNext();
    EXPECT_EQ(changed, 1);
    rs->edit();
    rs->setValue("port", 8);
    EXPECT_EQ(changed, 1);
    rs->update();
    rs->deleteCurrent();
    EXPECT_EQ(changed, 3);

    rez.setRecordSource("select * from gibtsnicht");
    EXPECT_THROW(rez.refresh(), DbError);
    EXPECT_EQ(rez.recordset(), nullptr);

    rez.setRecordSource("rezepte");
    rez.refresh();
    db->close();
    EXPECT_EQ(rez.recordset(), nullptr);
    EXPECT_THROW(rez.refresh(), DbError);
}

TEST_F(DataControls, TableModelReadsOnlyTheRowsItShows)
{
    makeRecipes(5000);
    DataControl rez;
    rez.setDatabaseName(path());
    rez.setRecordSource("select rid,kid,port,rname,komid from rezepte order by rname;");
    RecordsetTableModel model(&rez);
    model.setColumns({"rname", "port"}, {"Gericht"});
    EXPECT_EQ(model.rowCount(), 0);
    rez.refresh();
    EXPECT_EQ(model.rowCount(), 5000);
    EXPECT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "Gericht");
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "port");
    for (int row = 0; row < 25; ++row) EXPECT_TRUE(model.data(model.index(row, 0)).isValid());
    EXPECT_EQ(model.data(model.index(4999, 0)).toString(), "Rezept 05000");
    EXPECT_LE(rez.recordset()->rowsFetched(), 128);

    model.setEditable(true);
    model.setAllowAddNew(true);
    EXPECT_EQ(model.rowCount(), 5001);
    EXPECT_TRUE(model.isNewRow(5000));
    EXPECT_FALSE(model.data(model.index(5000, 0)).isValid());
    EXPECT_LE(rez.recordset()->rowsFetched(), 128);
}

TEST_F(DataControls, TableModelAnnouncesRowChangesButNotMoves)
{
    makeRecipes(10);
    DataControl rez;
    rez.setDatabaseName(path());
    rez.setRecordSource("select rid, rname, port from rezepte order by rid");
    rez.refresh();
    RecordsetTableModel model(&rez);
    ModelSignals seen(model);
    auto* rs = rez.recordset();

    rs->moveNext();
    rs->moveLast();
    rs->findFirst("rid=3");
    EXPECT_EQ(seen.resets + seen.inserts + seen.removes + seen.changes, 0);

    rs->addNew();
    rs->setValue("rname", "Neu");
    rs->update();
    EXPECT_EQ(seen.inserts, 1);
    EXPECT_EQ(model.rowCount(), 11);
    EXPECT_EQ(model.data(model.index(10, 1)).toString(), "Neu");

    rs->deleteCurrent();
    EXPECT_EQ(seen.removes, 1);
    EXPECT_EQ(model.rowCount(), 10);
    EXPECT_EQ(seen.resets, 0);

    rez.refresh();
    EXPECT_EQ(seen.resets, 1);
}

TEST_F(DataControls, EditableModelWritesThroughTheRecordset)
{
    makeRecipes(3);
    DataControl rez;
    rez.setDatabaseName(path());
    rez.setRecordSource("select rid, rname, port from rezepte order by rid");
    rez.refresh();
    RecordsetTableModel model(&rez);
    EXPECT_FALSE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
    model.setEditable(true);
    EXPECT_TRUE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);

    EXPECT_TRUE(model.setData(model.index(1, 1), "Linsensuppe", Qt::EditRole));
    EXPECT_EQ(scalar("SELECT rname FROM rezepte WHERE rid=2").toString(), "Linsensuppe");

    model.beforeUpdate = [](int, int column, const QVariant&) { return column != 2; };
    EXPECT_FALSE(model.setData(model.index(1, 2), 8, Qt::EditRole));
    EXPECT_EQ(scalar("SELECT port FROM rezepte WHERE rid=2").toInt(), 4);

    model.beforeUpdate = nullptr;
    int failures = 0;
    QObject::connect(&model, &RecordsetTableModel::editFailed, [&](int number, const QString&) {
        EXPECT_EQ(number, kv::db::errTypeMismatch);
        ++failures;
    });
    EXPECT_FALSE(model.setData(model.index(1, 2), "viele", Qt::EditRole));
    EXPECT_EQ(failures, 1);
    EXPECT_FALSE(rez.recordset()->editing());
}

TEST_F(DataControls, ListModelShowsTheListFieldAndFindsBoundValues)
{
    exec("CREATE TABLE hauptkat (kid LONG, kname VARCHAR(50) COLLATE NOCASE_DE)");
    exec("INSERT INTO hauptkat VALUES (0, 'Alle'), (3, 'Suppen'), (1, 'Braten')");
    DataControl kat;
    kat.setDatabaseName(path());
    kat.setRecordSource("select * from hauptkat order by kname");
    RecordsetListModel list(&kat, "kname", "kid");
    kat.refresh();
    ASSERT_EQ(list.rowCount(), 3);
    EXPECT_EQ(list.data(list.index(1)).toString(), "Braten");
    EXPECT_EQ(list.boundValue(2).toInt(), 3);
    EXPECT_EQ(list.rowOfBoundValue("3"), 2);
    EXPECT_EQ(list.rowOfBoundValue(7), -1);

    ModelSignals seen(list);
    exec("INSERT INTO hauptkat VALUES (2, 'Aufläufe')");
    kat.recordset()->requery();
    EXPECT_EQ(list.rowCount(), 4);
    EXPECT_EQ(seen.resets, 0);
    kat.release();
    EXPECT_EQ(list.rowCount(), 0);
}

// The recipe editor's ingredient grid: the work table through a Data control, every
// column editable, a new row to type into and rows the user may delete.
class IngredientGrid : public DbTest {
protected:
    // The ingredient first: the model tester compares the first column around every announcement.
    static constexpr int zut = 0;

    void SetUp() override
    {
        DbTest::SetUp();
        exec("CREATE TABLE editzutat (nr SMALLINT, men VARCHAR(20) COLLATE NOCASE_DE, "
             "ename VARCHAR(20) COLLATE NOCASE_DE, zut VARCHAR(150) COLLATE NOCASE_DE CHECK (zut <> 'kaputt'))");
    }

    void bind()
    {
        control.setDatabaseName(path());
        control.setRecordSource("editzutat");
        control.refresh();
        model = std::make_unique<RecordsetTableModel>(&control);
        model->setColumns({"zut", "men", "ename"});
        model->setEditable(true);
        model->setAllowAddNew(true);
        model->setAllowDelete(true);
    }

    bool type(int row, const QString& text) { return model->setData(model->index(row, zut), text, Qt::EditRole); }

    QStringList stored()
    {
        QStringList out;
        kv::db::Statement st(*db, "SELECT zut FROM editzutat ORDER BY rowid");
        while (st.step()) out << st.text(0);
        return out;
    }

    // What the grid shows above its new row; it must match what the control's recordset holds.
    QStringList shown()
    {
        QStringList out, inRecordset;
        for (int row = 0; row < model->rowCount() && !model->isNewRow(row); ++row)
            out << model->data(model->index(row, zut)).toString();
        auto* rs = control.recordset();
        for (qint64 i = 0; i < rs->recordCount(); ++i) inRecordset << rs->valueAt(i, rs->fieldIndex("zut")).toString();
        EXPECT_EQ(out, inRecordset);
        EXPECT_TRUE(model->isNewRow(int(out.size())));
        EXPECT_EQ(model->rowCount(), out.size() + 1);
        return out;
    }

    DataControl control;
    std::unique_ptr<RecordsetTableModel> model;
};

TEST_F(IngredientGrid, TypingIntoTheNewRowAddsARecordAndTheCursorStaysOnIt)
{
    exec("INSERT INTO editzutat VALUES (1, '500', 'g', 'Mehl')");
    bind();
    QAbstractItemModelTester tester(model.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    RecordsetListModel otherView(&control, "zut", "nr");
    QItemSelectionModel cursor(model.get());
    ModelSignals seen(*model);
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_TRUE(model->flags(model->index(1, zut)) & Qt::ItemIsEditable);
    EXPECT_FALSE(model->data(model->index(1, zut), Qt::EditRole).isValid());

    for (const QString zutat : {"Zucker", "Eier", "Milch"}) {
        const int newRow = model->rowCount() - 1;
        cursor.setCurrentIndex(model->index(newRow, zut), QItemSelectionModel::NoUpdate);
        ASSERT_TRUE(type(newRow, zutat));
        EXPECT_EQ(cursor.currentIndex().row(), newRow);
        EXPECT_EQ(cursor.currentIndex().data().toString(), zutat);
        EXPECT_TRUE(model->isNewRow(newRow + 1));
        EXPECT_EQ(control.recordset()->value("zut").toString(), zutat);
    }
    const QStringList expected{"Mehl", "Zucker", "Eier", "Milch"};
    EXPECT_EQ(stored(), expected);
    EXPECT_EQ(shown(), expected);
    EXPECT_EQ(otherView.rowCount(), 4);
    EXPECT_EQ(seen.inserts, 3);
    EXPECT_EQ(seen.resets, 0);

    // The rest of the record is typed into the same row; an editor left empty on the new row adds nothing.
    EXPECT_TRUE(model->setData(model->index(3, 1), "1", Qt::EditRole));
    EXPECT_EQ(scalar("SELECT men FROM editzutat WHERE zut='Milch'").toString(), "1");
    EXPECT_FALSE(model->setData(model->index(4, 1), QString(), Qt::EditRole));
    EXPECT_EQ(count("SELECT count(*) FROM editzutat"), 4);
}

TEST_F(IngredientGrid, DeletedRowsLeaveTheRestInGridAndRecordset)
{
    exec("INSERT INTO editzutat (zut) VALUES ('Mehl'), ('Zucker'), ('Eier')");
    bind();
    QAbstractItemModelTester tester(model.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    ModelSignals seen(*model);
    control.recordset()->setAbsolutePosition(1);

    EXPECT_FALSE(model->removeRows(3, 1));  // the new row is no record
    EXPECT_FALSE(model->removeRows(2, 5));
    ASSERT_TRUE(model->removeRows(0, 2));
    EXPECT_EQ(stored(), QStringList{"Eier"});
    EXPECT_EQ(shown(), QStringList{"Eier"});
    EXPECT_EQ(seen.removes, 1);
    EXPECT_EQ(seen.resets, 0);
    // The control stood on a deleted record; it now stands on one that exists.
    EXPECT_EQ(control.recordset()->value("zut").toString(), "Eier");

    // A range reaching into the new row deletes the records before it.
    ASSERT_TRUE(type(1, "Salz"));
    EXPECT_TRUE(model->removeRows(1, 2));
    EXPECT_EQ(shown(), QStringList{"Eier"});

    model->setAllowDelete(false);
    EXPECT_FALSE(model->removeRows(0, 1));
    EXPECT_EQ(stored(), QStringList{"Eier"});
}

TEST_F(IngredientGrid, RefusedOrFailedChangesLeaveTheRowsAsStored)
{
    exec("INSERT INTO editzutat (zut) VALUES ('Mehl'), ('Salz'), ('Eier')");
    exec("CREATE TRIGGER salzbleibt BEFORE DELETE ON editzutat WHEN old.zut = 'Salz' "
         "BEGIN SELECT RAISE(ABORT, 'Salz bleibt'); END");
    bind();
    ModelSignals seen(*model);
    QList<int> failures;
    QObject::connect(model.get(), &RecordsetTableModel::editFailed,
                     [&](int number, const QString&) { failures << number; });
    const QStringList all{"Mehl", "Salz", "Eier"};

    int asked = -1;
    model->beforeUpdate = [&](int row, int, const QVariant&) {
        asked = row;
        return false;
    };
    EXPECT_FALSE(type(3, "Zimt"));
    EXPECT_EQ(asked, 3);
    EXPECT_TRUE(failures.isEmpty());
    model->beforeUpdate = nullptr;

    EXPECT_FALSE(type(3, "kaputt"));
    EXPECT_EQ(failures.size(), 1);
    EXPECT_FALSE(control.recordset()->editing());

    // Mehl goes first, Salz refuses: the transaction brings Mehl back.
    EXPECT_FALSE(model->removeRows(0, 2));
    EXPECT_EQ(failures.size(), 2);
    EXPECT_EQ(stored(), all);
    EXPECT_EQ(shown(), all);
    EXPECT_EQ(seen.inserts + seen.removes + seen.resets, 0);

    // Inside the caller's transaction only the grid's own part is undone.
    db->beginTrans();
    exec("INSERT INTO editzutat (zut) VALUES ('Zimt')");
    EXPECT_FALSE(model->removeRows(0, 2));
    EXPECT_TRUE(db->inTransaction());
    db->commitTrans();
    EXPECT_EQ(stored(), (QStringList{"Mehl", "Salz", "Eier", "Zimt"}));

    // Afterwards the grid still adds.
    const int newRow = model->rowCount() - 1;
    EXPECT_TRUE(type(newRow, "Pfeffer"));
    EXPECT_EQ(stored().last(), "Pfeffer");
    EXPECT_EQ(shown().size(), stored().size());
}
