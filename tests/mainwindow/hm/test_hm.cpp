// The main window on the delivered cookbook, started the way the program starts.

#include "core/cookbookdb.h"
#include "core/ende.h"
#include "core/mainmod.h"
#include "core/rezsource.h"
#include "core/settings.h"
#include "mainwindow/hm.h"
#include "platform/paths.h"
#include "platform/ui/windows.h"
#include "tests/mainwindow/startedprogram.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSplitter>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QUrl>

namespace kv::test {
namespace {

using ui::Answer;

class UrlCatcher : public QObject {
    Q_OBJECT
public slots:
    void open(const QUrl& url) { opened = url; }

public:
    QUrl opened;
};

class HmTest : public StartedProgram {
protected:
    void SetUp() override { start(); }

    QStringList titles(const QString& sql)
    {
        QStringList list;
        db::Statement st(db(), sql);
        while (st.step())
            list << st.text(0);
        return list;
    }

    QStringList gridTitles()
    {
        QStringList list;
        QAbstractItemModel* model = hm->rezgrid->model();
        for (int r = 0; r < model->rowCount(); ++r)
            list << model->index(r, 0).data().toString();
        return list;
    }

    void chooseFilter(const QString& text)
    {
        const int i = hm->katgrid->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        hm->katgrid->setCurrentIndex(i);
        emit hm->katgrid->activated(i);
    }

    QStringList filterItems()
    {
        QStringList items;
        for (int i = 0; i < hm->katgrid->count(); ++i)
            items << hm->katgrid->itemText(i);
        return items;
    }

    qint64 currentRid()
    {
        db::Recordset* rs = hm->rez->recordset();
        return rs && !rs->eof() && !rs->bof() ? rs->value(QStringLiteral("rid")).toLongLong() : -1;
    }

    // A recipe with rows in every child table, also in the quick list and a search result.
    qint64 recipeWithRows()
    {
        const qint64 rid = count(QStringLiteral(
            "select min(rid) from rezepte where rid in (select rid from zutaten) "
            "and rid in (select rid from zubereit) and rid in (select rid from rezstich)"));
        db().execute(QStringLiteral("insert into rezinaus (aid,rid,rname,port) "
                                    "select 1,rid,rname,port from rezepte where rid=%1").arg(rid));
        db().execute(QStringLiteral("insert into letztsuch (ssql,stext) values ('x','y')"));
        db().execute(QStringLiteral("insert into letztsuchrids (sid,rid) "
                                    "select max(sid),%1 from letztsuch").arg(rid));
        return rid;
    }

    qint64 childRows(qint64 rid)
    {
        qint64 n = 0;
        for (const QString& table : reztabellen)
            n += count(QStringLiteral("select count(*) from %1 where rid=%2").arg(table).arg(rid));
        return n;
    }
};

TEST_F(HmTest, StartShowsTheDeliveredCookbookOrderedByTitle)
{
    const qint64 recipes = count(QStringLiteral("select count(*) from rezepte"));
    ASSERT_GT(recipes, 10);
    EXPECT_TRUE(hm->isVisible());
    EXPECT_EQ(hm->rezzahl->text(), formatCount(recipes));
    EXPECT_EQ(hm->gesucht->text(), QStringLiteral("> alle Gerichte"));
    EXPECT_EQ(hm->bname->text(), QStringLiteral("K o c h b u c h :  Kelvor-Kochbuch"));
    EXPECT_EQ(hm->port->text(), QStringLiteral("4"));
    EXPECT_EQ(gridTitles(), titles(QStringLiteral("select rname from rezepte order by rname")));
    EXPECT_EQ(hm->korbgrid->currentText(), QStringLiteral("Schnellauswahl"));
    EXPECT_EQ(hm->korbgridBoundText(), QStringLiteral("1"));
    EXPECT_EQ(hm->ger->text(), QStringLiteral("R u b r i k :"));

    const QStringList comments = titles(QStringLiteral("select komment from komment order by komment"));
    ASSERT_EQ(hm->komgrid->count(), comments.size());
    for (int i = 0; i < comments.size(); ++i) {
        EXPECT_EQ(hm->komgrid->itemText(i), comments[i]);
        EXPECT_EQ(hm->komgrid->itemData(i).toLongLong(),
                  count(QStringLiteral("select komid from komment where komment='%1'").arg(comments[i])));
    }

    // Windows of later parts are not there yet; their buttons wait for them.
    for (QToolButton* b : {hm->men1, hm->men2, hm->men3, hm->men5, hm->men6, hm->men7, hm->export_,
                           hm->editrez, hm->neurez, hm->druckaus, hm->druckrez, hm->einkauf})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    for (QToolButton* b : {hm->loadkoch, hm->hilf, hm->kelvorlogo, hm->rubmodechange, hm->loeschaus})
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
}

TEST_F(HmTest, EveryControlCarriesItsName)
{
    for (const char* name :
         {"rezgrid", "katgrid", "ger", "rubmodechange", "gesucht", "rezzahl", "loeschaus", "ausw", "men4",
          "men4t", "korbgrid", "ausgrid", "neuaus", "loeschsel", "auswahlalle", "eininaus", "reznam", "zpers",
          "plus", "minus", "mehr", "port", "zutgrid", "menugrid", "menlabel", "zubt", "zub", "stichlabel",
          "stich", "komt", "komgrid", "druckaus", "druckrez", "einkauf", "einkaufmen", "editrez", "neurez",
          "export", "men1", "men1t", "men7", "men7t", "loadkoch", "hilf", "kelvorlogo", "bname", "makevoll",
          "splitter_rez", "splitter_aus", "rez", "korb", "kat", "auswahl", "menu"})
        EXPECT_NE(hm->findChild<QObject*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(hm->men3t->text(), QStringLiteral("S t i c h w o r t e"));
    EXPECT_EQ(hm->men4t->text(), QStringLiteral("M e n ü"));
}

TEST_F(HmTest, FilterModesCycleThroughCategoriesCommentsAndFiles)
{
    EXPECT_EQ(filterItems(), titles(QStringLiteral("select kname from hauptkat order by kname")));
    hm->rubmodechange->click();
    EXPECT_EQ(hm->ger->text(), QStringLiteral("Kommentar :"));
    EXPECT_EQ(filterItems(), titles(QStringLiteral("select komment from komment order by komment")));
    hm->rubmodechange->click();
    EXPECT_EQ(hm->ger->text(), QStringLiteral("D a t e i :"));
    EXPECT_EQ(filterItems(), titles(QStringLiteral("select dname from importdateien order by dname")));
    hm->rubmodechange->click();
    EXPECT_EQ(hm->ger->text(), QStringLiteral("R u b r i k :"));
    EXPECT_EQ(filterItems(), titles(QStringLiteral("select kname from hauptkat order by kname")));
    EXPECT_EQ(hm->rezgrid->model()->rowCount(), count(QStringLiteral("select count(*) from rezepte")));
}

TEST_F(HmTest, CategoryNarrowsTheListWithCountAndDescription)
{
    const qint64 all = count(QStringLiteral("select count(*) from rezepte"));
    const qint64 soups = count(QStringLiteral("select count(*) from rezepte where kid=2"));
    ASSERT_GT(soups, 0);
    ASSERT_LT(soups, all);

    chooseFilter(QStringLiteral("Suppen"));
    EXPECT_EQ(gridTitles(), titles(QStringLiteral("select rname from rezepte where kid=2 order by rname")));
    EXPECT_EQ(hm->rezzahl->text(), formatCount(soups));
    EXPECT_EQ(hm->gesucht->text(), QStringLiteral("> Rubrik 'Suppen'"));

    // A comment replaces the category, in the list and in its description.
    hm->rubmodechange->click();
    EXPECT_EQ(hm->rezgrid->model()->rowCount(), soups) << "switching the mode keeps the list";
    chooseFilter(QStringLiteral("Familienrezept"));
    EXPECT_EQ(gridTitles(), titles(QStringLiteral("select rname from rezepte where komid=1 order by rname")));
    EXPECT_EQ(hm->gesucht->text(), QStringLiteral("> Kommentar 'Familienrezept'"));

    // The first choice of the no-filter row after loading is taken for the combo's own start.
    chooseFilter(QStringLiteral("- alle Kommentare -"));
    EXPECT_EQ(hm->gesucht->text(), QStringLiteral("> Kommentar 'Familienrezept'"));
    chooseFilter(QStringLiteral("- alle Kommentare -"));
    EXPECT_EQ(hm->gesucht->text(), QStringLiteral("> alle Gerichte"));
    EXPECT_EQ(hm->rezgrid->model()->rowCount(), all);
    EXPECT_EQ(hm->rezzahl->text(), formatCount(all));
}

TEST_F(HmTest, FailedFilterShowsTheErrorAndKeepsTheList)
{
    const qint64 all = count(QStringLiteral("select count(*) from rezepte"));
    const qint64 recorded = count(QStringLiteral("select count(*) from letztsuchrids"));
    db().execute(QStringLiteral("create trigger gesperrt before insert on letztsuch "
                                "begin select raise(abort, 'Tabelle gesperrt'); end"));
    dialogs.expect(QStringLiteral("KATGRID_CHANGE : "), Answer::Ok).withTitle(QStringLiteral(" F E H L E R"));
    chooseFilter(QStringLiteral("Suppen"));
    dialogs.verify();
    EXPECT_EQ(hm->rezgrid->model()->rowCount(), all);
    EXPECT_EQ(hm->gesucht->text(), QStringLiteral("> alle Gerichte"));
    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuchrids")), recorded);
}

TEST_F(HmTest, KeysMoveThroughTheList)
{
    const QStringList all = titles(QStringLiteral("select rname from rezepte order by rname"));
    hm->activateWindow();
    hm->rezgrid->setFocus();

    QTest::keyClick(hm->rezgrid, Qt::Key_End);
    EXPECT_EQ(hm->rezgrid->currentIndex().row(), all.size() - 1);
    EXPECT_EQ(hm->reznam->text(), all.last());

    QTest::keyClick(hm->rezgrid, Qt::Key_Home);
    EXPECT_EQ(hm->rezgrid->currentIndex().row(), 0);
    EXPECT_EQ(hm->reznam->text(), all.first());

    // A letter jumps to the first title with it, in either case.
    const QChar letter = all[all.size() / 2].at(0).toUpper();
    ASSERT_TRUE(letter >= u'A' && letter <= u'Z');
    const QStringList m = titles(
        QStringLiteral("select rname from rezepte where rname like '%1*' order by rname").arg(letter.toLower()));
    ASSERT_FALSE(m.isEmpty());
    QTest::keyClick(hm->rezgrid, Qt::Key(Qt::Key_A + (letter.unicode() - 'A')));
    EXPECT_EQ(hm->reznam->text(), m.first());
    EXPECT_EQ(hm->rezgrid->currentIndex().data().toString(), m.first());

    const int row = hm->rezgrid->currentIndex().row();
    QTest::keyClick(hm->rezgrid, Qt::Key_7);
    EXPECT_EQ(hm->rezgrid->currentIndex().row(), row);

    // A row the user picks becomes the current recipe and is shown.
    hm->rezgrid->setCurrentIndex(hm->rezgrid->model()->index(2, 0));
    EXPECT_EQ(hm->reznam->text(), all[2]);
    EXPECT_EQ(hm->rez->recordset()->value(QStringLiteral("rname")).toString(), all[2]);
}

TEST_F(HmTest, DeleteKeyAsksAndDeletesOneRecipeWithItsRows)
{
    const qint64 rid = recipeWithRows();
    hm->auswahl->refresh();
    const QString title = db().scalar(QStringLiteral("select rname from rezepte where rid=%1").arg(rid)).toString();
    const qint64 before = count(QStringLiteral("select count(*) from rezepte"));
    ASSERT_TRUE(hm->rez->recordset()->findFirst(QStringLiteral("rid=%1").arg(rid)));
    ASSERT_EQ(hm->rezgrid->currentIndex().data().toString(), title);
    ASSERT_GT(childRows(rid), 3);
    const qint64 quickList = count(QStringLiteral("select count(*) from rezinaus where aid=1"));
    const qint64 entries = count(QStringLiteral("select count(*) from rezinaus where aid=1 and rid=%1").arg(rid));
    ASSERT_EQ(hm->ausgrid->model()->rowCount(), quickList);

    dialogs.expect(QStringLiteral("Rezept ") + title + QStringLiteral(" löschen ?"), Answer::No)
        .withTitle(QStringLiteral(" "));
    QTest::keyClick(hm->rezgrid, Qt::Key_Delete);
    dialogs.verify();
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte")), before);
    EXPECT_GT(childRows(rid), 3);

    dialogs.expect(QStringLiteral("Rezept ") + title + QStringLiteral(" löschen ?"), Answer::Yes);
    QTest::keyClick(hm->rezgrid, Qt::Key_Delete);
    dialogs.verify();
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte where rid=%1").arg(rid)), 0);
    EXPECT_EQ(childRows(rid), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte")), before - 1);
    EXPECT_FALSE(gridTitles().contains(title));
    EXPECT_EQ(hm->rezzahl->text(), formatCount(before - 1));
    EXPECT_EQ(hm->ausgrid->model()->rowCount(), quickList - entries) << "the quick list lost its entries";
    EXPECT_NE(currentRid(), rid);
    EXPECT_EQ(hm->reznam->text(), hm->rezgrid->currentIndex().data().toString());
}

TEST_F(HmTest, DeleteWithSeveralRowsSelectedDeletesNothing)
{
    const qint64 before = count(QStringLiteral("select count(*) from rezepte"));
    hm->rezgrid->selectionModel()->select(
        QItemSelection(hm->rezgrid->model()->index(0, 0), hm->rezgrid->model()->index(2, 0)),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    dialogs.expect(QStringLiteral("Sie können nur einzelne Rezepte löschen."), Answer::Ok);
    QTest::keyClick(hm->rezgrid, Qt::Key_Delete);
    dialogs.verify();
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte")), before);
    EXPECT_EQ(hm->rez->recordset()->absolutePosition(), 1) << "the list moves one row on";
}

TEST_F(HmTest, FailedDeleteShowsTheErrorAndKeepsTheRecipe)
{
    const qint64 rid = recipeWithRows();
    const qint64 rows = childRows(rid);
    const qint64 before = count(QStringLiteral("select count(*) from rezepte"));
    db().execute(QStringLiteral("create trigger gesperrt before delete on rezepte "
                                "begin select raise(abort, 'Tabelle gesperrt'); end"));
    ASSERT_TRUE(hm->rez->recordset()->findFirst(QStringLiteral("rid=%1").arg(rid)));

    dialogs.expect(QStringLiteral("Rezept "), Answer::Yes);
    dialogs.expect(QStringLiteral("REZGRID_KEYDOWN : "), Answer::Ok).withTitle(QStringLiteral(" F E H L E R"));
    QTest::keyClick(hm->rezgrid, Qt::Key_Delete);
    dialogs.verify();
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte")), before);
    EXPECT_EQ(childRows(rid), rows);
    EXPECT_EQ(hm->rezgrid->model()->rowCount(), before);
    EXPECT_EQ(currentRid(), rid);
    EXPECT_EQ(hm->rezzahl->text(), formatCount(before));
}

TEST_F(HmTest, LoeschausAsksTwiceAndDeletesTheShownListWithItsEmptyFile)
{
    // Two recipes from a file of their own, shown through the file filter.
    db().execute(QStringLiteral("insert into importdateien (did,dname,\"check\") values (7,'Testdatei',0)"));
    const QList<qint64> rids = {
        count(QStringLiteral("select min(rid) from rezepte where kid=2")),
        count(QStringLiteral("select max(rid) from rezepte where kid=3")),
    };
    for (qint64 rid : rids)
        db().execute(QStringLiteral("update rezepte set did=7 where rid=%1").arg(rid));
    const qint64 before = count(QStringLiteral("select count(*) from rezepte"));
    const qint64 rowsOfOthers = count(QStringLiteral("select count(*) from zutaten where rid not in (%1,%2)")
                                          .arg(rids[0])
                                          .arg(rids[1]));
    hm->rubmodechange->click();
    hm->rubmodechange->click();
    chooseFilter(QStringLiteral("Testdatei"));
    ASSERT_EQ(hm->rezgrid->model()->rowCount(), 2);

    dialogs.expect(QStringLiteral("Wollen Sie wirklich alle 2 Rezepte löschen ?"), Answer::No)
        .withTitle(QStringLiteral(" "));
    hm->loeschaus->click();
    dialogs.expect(QStringLiteral("Wollen Sie wirklich alle 2 Rezepte löschen ?"), Answer::Yes);
    dialogs.expect(QStringLiteral("Die Rezeptliste wird dann leer ! Sind Sie sicher ? "), Answer::No)
        .withTitle(QStringLiteral(" "));
    hm->loeschaus->click();
    dialogs.verify();
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte")), before);

    dialogs.expect(QStringLiteral("Wollen Sie wirklich alle 2 Rezepte löschen ?"), Answer::Yes);
    dialogs.expect(QStringLiteral("Die Rezeptliste wird dann leer !"), Answer::Yes);
    hm->loeschaus->click();
    dialogs.verify();
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte")), before - 2);
    for (qint64 rid : rids)
        EXPECT_EQ(childRows(rid), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from zutaten")), rowsOfOthers);
    EXPECT_EQ(hm->rezgrid->model()->rowCount(), 0);
    EXPECT_EQ(hm->rezzahl->text(), QString()) << "the emptied list shows no count";
    EXPECT_TRUE(hm->rezgrid->isEnabled());
    EXPECT_EQ(count(QStringLiteral("select count(*) from importdateien where did=7")), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from importdateien where did=0")), 1);
    EXPECT_EQ(hm->katgrid->findText(QStringLiteral("Testdatei")), -1);
    EXPECT_NE(hm->katgrid->findText(QStringLiteral("Beispielrezepte")), -1);
}

TEST_F(HmTest, FailedLoeschausKeepsEveryRecipe)
{
    const qint64 kid = count(QStringLiteral("select kid from rezepte group by kid order by count(*) desc limit 1"));
    chooseFilter(db().scalar(QStringLiteral("select kname from hauptkat where kid=%1").arg(kid)).toString());
    const qint64 shown = hm->rezgrid->model()->rowCount();
    ASSERT_GT(shown, 1);
    const qint64 before = count(QStringLiteral("select count(*) from rezepte"));
    const qint64 lines = count(QStringLiteral("select count(*) from zutaten"));
    // The last recipe cannot be deleted; the ones before it must come back.
    db().execute(QStringLiteral("create trigger gesperrt before delete on rezepte when old.rid = "
                                "(select rid from rezepte where kid=%1 order by rname desc limit 1) "
                                "begin select raise(abort, 'Tabelle gesperrt'); end")
                     .arg(kid));

    dialogs.expect(QStringLiteral("Wollen Sie wirklich alle "), Answer::Yes);
    dialogs.expect(QStringLiteral("Die Rezeptliste wird dann leer !"), Answer::Yes);
    dialogs.expect(QStringLiteral("LOESCHAUS_CLICK : "), Answer::Ok).withTitle(QStringLiteral(" F E H L E R"));
    hm->loeschaus->click();
    dialogs.verify();
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte")), before);
    EXPECT_EQ(count(QStringLiteral("select count(*) from zutaten")), lines);
    EXPECT_EQ(hm->rezgrid->model()->rowCount(), shown);
    EXPECT_TRUE(hm->rezgrid->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(HmTest, InithmRestoresCommentsAndRecipeWithoutACookbookName)
{
    const qint64 rid = count(QStringLiteral("select max(rid) from rezepte"));
    const QString title = db().scalar(QStringLiteral("select rname from rezepte where rid=%1").arg(rid)).toString();
    savereg(reg::currentrez, QString::number(rid));
    db().execute(QStringLiteral("delete from kochbuchname"));
    hm->komgrid->clear();

    hm->inithm();
    EXPECT_EQ(hm->bname->text(), QStringLiteral("K o c h b u c h :  "));
    EXPECT_EQ(hm->komgrid->count(), count(QStringLiteral("select count(*) from komment")));
    EXPECT_EQ(currentRid(), rid);
    EXPECT_EQ(hm->reznam->text(), title);

    db().execute(QStringLiteral("insert into kochbuchname (bname,binfo) values (null,'x')"));
    hm->komgrid->clear();
    hm->inithm();
    EXPECT_EQ(hm->bname->text(), QStringLiteral("K o c h b u c h :  "));
    EXPECT_EQ(hm->komgrid->count(), count(QStringLiteral("select count(*) from komment")));
}

TEST_F(HmTest, StoredRecipeThatIsGoneLeavesTheFirstShown)
{
    savereg(reg::currentrez, QStringLiteral("999999"));
    hm->rez->refresh();
    hm->inithm();
    EXPECT_EQ(hm->rez->recordset()->absolutePosition(), 0);
    EXPECT_EQ(hm->reznam->text(), gridTitles().first());
}

TEST_F(HmTest, ClosingStoresListRecipeAndWindowState)
{
    hm->rezgrid->setCurrentIndex(hm->rezgrid->model()->index(3, 0));
    const qint64 rid = currentRid();
    hm->showMaximized();
    hm->close();
    EXPECT_EQ(getreg(reg::currentauswahl), QStringLiteral("1"));
    EXPECT_EQ(getreg(reg::currentrez), QString::number(rid));
    EXPECT_EQ(getreg(reg::bildmode), QStringLiteral("vollbild"));
    EXPECT_TRUE(ui::WindowRegistry::isLoaded(QStringLiteral("ende")));
    EXPECT_EQ(quits, 0);
}

TEST_F(HmTest, ClosingANormalWindowWithAnEmptyListKeepsTheStoredRecipe)
{
    savereg(reg::currentrez, QStringLiteral("5"));
    hm->rez->setRecordSource(QStringLiteral("select rid,kid,port,rname,komid from rezepte where rid<0;"));
    hm->rez->refresh();
    hm->close();
    EXPECT_EQ(getreg(reg::currentrez), QStringLiteral("5"));
    EXPECT_EQ(getreg(reg::bildmode), QStringLiteral("normalbild"));
}

TEST_F(HmTest, ClosingAWindowMinimisedFromMaximisedStoresNormalbild)
{
    hm->setWindowState(Qt::WindowMaximized | Qt::WindowMinimized);
    hm->close();
    EXPECT_EQ(getreg(reg::bildmode), QStringLiteral("normalbild"));
}

TEST_F(HmTest, RestartShowsTheCookbookAgain)
{
    hm->rezgrid->setCurrentIndex(hm->rezgrid->model()->index(4, 0));
    const QString title = hm->reznam->text();
    {
        NoClosingScreen quiet;
        ui::WindowRegistry::unload(QStringLiteral("hm"));
    }
    kochbuchdb->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Main();
    hm = ui::WindowRegistry::instance<Hm>(QStringLiteral("hm"));
    ASSERT_NE(hm, nullptr);
    EXPECT_TRUE(hm->isVisible());
    EXPECT_EQ(hm->rezzahl->text(), formatCount(count(QStringLiteral("select count(*) from rezepte"))));
    EXPECT_EQ(hm->reznam->text(), title) << "the recipe shown at the close comes back";
    chooseFilter(QStringLiteral("Suppen"));
    EXPECT_EQ(hm->gesucht->text(), QStringLiteral("> Rubrik 'Suppen'"));
}

TEST_F(HmTest, EditableGridTakesLettersAsText)
{
    {
        NoClosingScreen quiet;
        ui::WindowRegistry::unload(QStringLiteral("hm"));
    }
    kochbuchdb->close();
    savereg(reg::aenderrezept, QStringLiteral("ON"));
    Main();
    hm = ui::WindowRegistry::instance<Hm>(QStringLiteral("hm"));
    ASSERT_NE(hm, nullptr);
    hm->rezgrid->setCurrentIndex(hm->rezgrid->model()->index(1, 0));
    EXPECT_TRUE(hm->rezgrid->model()->flags(hm->rezgrid->currentIndex()) & Qt::ItemIsEditable);
    QTest::keyClick(hm->rezgrid, Qt::Key_Z);
    EXPECT_EQ(hm->rezgrid->currentIndex().row(), 1) << "the letter does not jump";
    auto* editor = hm->rezgrid->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr) << "the letter starts editing the title";
    EXPECT_EQ(editor->text(), QStringLiteral("z"));
}

TEST_F(HmTest, MaximiseToggles)
{
    hm->showNormal();
    hm->makevoll->click();
    EXPECT_TRUE(hm->windowState() & Qt::WindowMaximized);
    hm->makevoll->click();
    EXPECT_FALSE(hm->windowState() & Qt::WindowMaximized);
    hm->showMinimized();
    hm->grossbild_Click();
    EXPECT_TRUE(hm->windowState() & Qt::WindowMaximized);
    EXPECT_FALSE(hm->windowState() & Qt::WindowMinimized);
    hm->setWindowState(Qt::WindowMaximized | Qt::WindowMinimized);
    hm->grossbild_Click();
    EXPECT_EQ(hm->windowState(), Qt::WindowStates(Qt::WindowMaximized)) << "minimised from maximised";
}

TEST_F(HmTest, BarsKeepTheLabelsBesideTheirGrids)
{
    hm->showNormal();
    hm->resize(1100, 800);
    QCoreApplication::processEvents();
    auto top = [this](QWidget* w) { return w->mapTo(hm, QPoint(0, 0)).y(); };
    auto left = [this](QWidget* w) { return w->mapTo(hm, QPoint(0, 0)).x(); };

    const int countTop = top(hm->rezzahl);
    const int keywordTop = top(hm->stich);
    QList<int> sizes = hm->splitter_aus->sizes();
    hm->splitter_aus->setSizes({sizes[0] + 60, sizes[1] - 60});
    emit hm->splitter_aus->splitterMoved(sizes[0] + 60, 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(top(hm->rezzahl) - countTop, 60);
    EXPECT_EQ(top(hm->stich) - keywordTop, 60) << "the keyword line moves with the bar";
    EXPECT_EQ(top(hm->gesucht), top(hm->rezzahl));
    EXPECT_EQ(top(hm->stichlabel) + hm->stichlabel->height() / 2, top(hm->stich) + hm->stich->height() / 2);

    sizes = hm->splitter_rez->sizes();
    hm->splitter_rez->setSizes({sizes[0] + 80, sizes[1] - 80});
    QCoreApplication::processEvents();
    EXPECT_EQ(left(hm->gesucht), left(hm->rezgrid));
    EXPECT_EQ(left(hm->rezzahl), left(hm->gesucht) + hm->gesucht->width() + 4);
    EXPECT_LE(left(hm->rezzahl) + hm->rezzahl->width(), left(hm->rezgrid) + hm->rezgrid->width());
    EXPECT_EQ(hm->rezgrid->horizontalHeader()->sectionSize(0), hm->rezgrid->viewport()->width());
    EXPECT_EQ(left(hm->stichlabel), left(hm->zutgrid));
    EXPECT_EQ(left(hm->stich) + hm->stich->width(), left(hm->zutgrid) + hm->zutgrid->width());
}

TEST_F(HmTest, HelpOpensTheShippedPage)
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    hm->hilf->click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_EQ(catcher.opened,
              QUrl::fromLocalFile(QDir(paths::programFolder()).filePath(QStringLiteral("kelvor-hilfe.html"))));
    EXPECT_TRUE(QFile::exists(catcher.opened.toLocalFile()));
}

class EditorAtStart : public StartedProgram {
protected:
    void SetUp() override
    {
        start([] { ui::WindowRegistry::registerWindow(QStringLiteral("neu_rezept"), [] { return new QWidget; }); });
    }
};

TEST_F(EditorAtStart, StartLoadsTheEditorWithoutShowingIt)
{
    QWidget* editor = ui::WindowRegistry::loadedWindow(QStringLiteral("neu_rezept"));
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_TRUE(hm->isVisible());
}

TEST_F(HmTest, LogoOpensTheAboutBoxModally)
{
    dialogs.expectModal(QStringLiteral("about"), [] { return 0; });
    hm->kelvorlogo->click();
    dialogs.verify();
}

}  // namespace
}  // namespace kv::test

#include "test_hm.moc"
