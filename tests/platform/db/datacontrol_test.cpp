#include "platform/db/datamodels.h"

#include "tests/platform/db/dbfixture.h"

#include <QDir>

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
    rez.recordset()->moveNext();
    EXPECT_EQ(changed, 1);

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
