// The main window on the delivered cookbook, started the way the program starts.

#include "core/cookbookdb.h"
#include "core/ende_window.h"
#include "core/mainmod.h"
#include "core/rezsource.h"
#include "core/settings.h"
#include "mainwindow/hm_window.h"
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
#include <QPushButton>
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
        for (db::Statement st(db(), sql); st.step();) list << st.text(0);
        return list;
    }
    QStringList gridTitles()
    {
        QStringList list;
        for (int r = 0; r < rezgrid()->model()->rowCount(); ++r) list << rezgrid()->model()->index(r, 0).data().toString();
        return list;
    }

    qint64 currentRid()
    {
        db::Recordset* rs = rez()->recordset();
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

    // Ends the main window and starts it again on the same cookbook, as main does.
    void restart(const std::function<void()>& before = {})
    {
        {
            NoClosingScreen quiet;
            ui::WindowRegistry::unload(QStringLiteral("hm"));
        }
        kochbuchdb->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (before) before();
        Main();
        hm = ui::WindowRegistry::instance<Hm>(QStringLiteral("hm"));
        ASSERT_NE(hm, nullptr);
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
    EXPECT_EQ(rezzahl()->text(), formatCount(recipes));
    EXPECT_EQ(gesucht()->text(), QStringLiteral("> alle Gerichte"));
    EXPECT_EQ(label("bname")->text(), QStringLiteral("K o c h b u c h :  Kelvor-Kochbuch"));
    EXPECT_EQ(port()->text(), QStringLiteral("4"));
    EXPECT_EQ(gridTitles(), titles(QStringLiteral("select rname from rezepte order by rname")));
    EXPECT_EQ(katgrid()->count(), count(QStringLiteral("select count(*) from hauptkat")));
    EXPECT_EQ(korbgrid()->currentText(), QStringLiteral("Schnellauswahl"));
    EXPECT_EQ(hm->korbgridBoundText(), QStringLiteral("1"));

    // Every window a button leads to is registered, so none may stay disabled.
    for (const char* name : {"men1", "men2", "men3", "men5", "men6", "men7", "export", "editrez", "neurez",
                             "druckaus", "druckrez", "einkauf", "loadkoch", "kelvorlogo", "hilf", "loeschaus"})
        EXPECT_TRUE(button(name)->isEnabled()) << name;
    // The editor is loaded at the start, hidden, so its first opening is quick.
    QWidget* editor = ui::WindowRegistry::loadedWindow(QStringLiteral("neu_rezept"));
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(editor->isVisible());
}

TEST_F(HmTest, CategoryNarrowsTheListWithCountAndDescription)
{
    const qint64 all = count(QStringLiteral("select count(*) from rezepte"));
    const qint64 soups = count(QStringLiteral("select count(*) from rezepte where kid=2"));
    ASSERT_GT(soups, 0);
    ASSERT_LT(soups, all);

    chooseFilter(QStringLiteral("Suppen"));
    EXPECT_EQ(gridTitles(), titles(QStringLiteral("select rname from rezepte where kid=2 order by rname")));
    EXPECT_EQ(rezzahl()->text(), formatCount(soups));
    EXPECT_EQ(gesucht()->text(), QStringLiteral("> Rubrik 'Suppen'"));

    // A comment replaces the category, in the list and in its description.
    button("rubmodechange")->click();
    EXPECT_EQ(katgrid()->count(), count(QStringLiteral("select count(*) from komment")));
    EXPECT_EQ(rezgrid()->model()->rowCount(), soups) << "switching the mode keeps the list";
    chooseFilter(QStringLiteral("Familienrezept"));
    EXPECT_EQ(gridTitles(), titles(QStringLiteral("select rname from rezepte where komid=1 order by rname")));
    EXPECT_EQ(gesucht()->text(), QStringLiteral("> Kommentar 'Familienrezept'"));

    // The user's first choice of the no-filter row shows every recipe.
    chooseFilter(QStringLiteral("- alle Kommentare -"));
    EXPECT_EQ(gesucht()->text(), QStringLiteral("> alle Gerichte"));
    EXPECT_EQ(rezgrid()->model()->rowCount(), all);
    EXPECT_EQ(rezzahl()->text(), formatCount(all));
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
    EXPECT_EQ(rezgrid()->model()->rowCount(), all);
    EXPECT_EQ(gesucht()->text(), QStringLiteral("> alle Gerichte"));
    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuchrids")), recorded);
}

TEST_F(HmTest, KeysMoveThroughTheList)
{
    const QStringList all = titles(QStringLiteral("select rname from rezepte order by rname"));
    hm->activateWindow();
    rezgrid()->setFocus();

    QTest::keyClick(rezgrid(), Qt::Key_End);
    EXPECT_EQ(rezgrid()->currentIndex().row(), all.size() - 1);
    EXPECT_EQ(reznam()->text(), all.last());

    QTest::keyClick(rezgrid(), Qt::Key_Home);
    EXPECT_EQ(rezgrid()->currentIndex().row(), 0);
    EXPECT_EQ(reznam()->text(), all.first());

    // A letter jumps to the first title with it, in either case.
    const QChar letter = all[all.size() / 2].at(0).toUpper();
    ASSERT_TRUE(letter >= u'A' && letter <= u'Z');
    const QStringList m = titles(
        QStringLiteral("select rname from rezepte where rname like '%1*' order by rname").arg(letter.toLower()));
    ASSERT_FALSE(m.isEmpty());
    QTest::keyClick(rezgrid(), Qt::Key(Qt::Key_A + (letter.unicode() - 'A')));
    EXPECT_EQ(reznam()->text(), m.first());
    EXPECT_EQ(rezgrid()->currentIndex().data().toString(), m.first());
}

TEST_F(HmTest, DeleteKeyAsksAndDeletesOneRecipeWithItsRows)
{
    const qint64 rid = recipeWithRows();
    control<db::DataControl>(hm, "auswahl")->refresh();
    const QString title = db().scalar(QStringLiteral("select rname from rezepte where rid=%1").arg(rid)).toString();
    const qint64 before = count(QStringLiteral("select count(*) from rezepte"));
    ASSERT_TRUE(rez()->recordset()->findFirst(QStringLiteral("rid=%1").arg(rid)));
    ASSERT_EQ(rezgrid()->currentIndex().data().toString(), title);
    const qint64 quickList = count(QStringLiteral("select count(*) from rezinaus where aid=1"));
    const qint64 entries = count(QStringLiteral("select count(*) from rezinaus where aid=1 and rid=%1").arg(rid));
    ASSERT_EQ(ausgrid()->model()->rowCount(), quickList);

    dialogs.expect(QStringLiteral("Rezept ") + title + QStringLiteral(" löschen ?"), Answer::No)
        .withTitle(QStringLiteral(" "));
    QTest::keyClick(rezgrid(), Qt::Key_Delete);
    dialogs.verify();
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte")), before);

    dialogs.expect(QStringLiteral("Rezept ") + title + QStringLiteral(" löschen ?"), Answer::Yes);
    QTest::keyClick(rezgrid(), Qt::Key_Delete);
    dialogs.verify();
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte where rid=%1").arg(rid)), 0);
    EXPECT_EQ(childRows(rid), 0);
    EXPECT_FALSE(gridTitles().contains(title));
    EXPECT_EQ(rezzahl()->text(), formatCount(before - 1));
    EXPECT_EQ(ausgrid()->model()->rowCount(), quickList - entries) << "the quick list lost its entries";
    EXPECT_NE(currentRid(), rid);
    EXPECT_EQ(reznam()->text(), rezgrid()->currentIndex().data().toString());
}

TEST_F(HmTest, DeleteWithSeveralRowsSelectedDeletesNothing)
{
    const qint64 before = count(QStringLiteral("select count(*) from rezepte"));
    rezgrid()->selectionModel()->select(
        QItemSelection(rezgrid()->model()->index(0, 0), rezgrid()->model()->index(2, 0)),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    dialogs.expect(QStringLiteral("Sie können nur einzelne Rezepte löschen."), Answer::Ok);
    QTest::keyClick(rezgrid(), Qt::Key_Delete);
    dialogs.verify();
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte")), before);
    EXPECT_EQ(rez()->recordset()->absolutePosition(), 1) << "the list moves one row on";
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
    button("rubmodechange")->click();
    button("rubmodechange")->click();
    chooseFilter(QStringLiteral("Testdatei"));
    ASSERT_EQ(rezgrid()->model()->rowCount(), 2);

    // Either question answered No stops it.
    dialogs.expect(QStringLiteral("Wollen Sie wirklich alle 2 Rezepte löschen ?"), Answer::No)
        .withTitle(QStringLiteral(" "));
    button("loeschaus")->click();
    dialogs.expect(QStringLiteral("Wollen Sie wirklich alle 2 Rezepte löschen ?"), Answer::Yes);
    dialogs.expect(QStringLiteral("Die Rezeptliste wird dann leer ! Sind Sie sicher ? "), Answer::No)
        .withTitle(QStringLiteral(" "));
    button("loeschaus")->click();
    dialogs.verify();
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte")), before);

    dialogs.expect(QStringLiteral("Wollen Sie wirklich alle 2 Rezepte löschen ?"), Answer::Yes);
    dialogs.expect(QStringLiteral("Die Rezeptliste wird dann leer !"), Answer::Yes);
    button("loeschaus")->click();
    dialogs.verify();
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte")), before - 2);
    for (qint64 rid : rids)
        EXPECT_EQ(childRows(rid), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from zutaten")), rowsOfOthers);
    EXPECT_EQ(rezgrid()->model()->rowCount(), 0);
    EXPECT_EQ(rezzahl()->text(), QString()) << "the emptied list shows no count";
    EXPECT_TRUE(rezgrid()->isEnabled());
    EXPECT_EQ(count(QStringLiteral("select count(*) from importdateien where did=7")), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from importdateien where did=0")), 1);
    EXPECT_EQ(katgrid()->findText(QStringLiteral("Testdatei")), -1);
    EXPECT_NE(katgrid()->findText(QStringLiteral("Beispielrezepte")), -1);
}

// Deleting a filtered list is this program's own deletion: the view shows nothing that is
// gone, the filter box names the filter the list still has, and nothing is said afterwards
// of another program or of a closed cookbook.
TEST_F(HmTest, LoeschausUnderACategoryEmptiesTheViewAndKeepsTheFilterShown)
{
    hm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(hm));
    chooseFilter(QString::fromUtf8("Getränke"));
    ASSERT_EQ(gridTitles(), QStringList({"Apfelpunsch ohne Alkohol"}));
    rezgrid()->setCurrentIndex(rezgrid()->model()->index(0, 0));
    ASSERT_EQ(reznam()->text(), QStringLiteral("Apfelpunsch ohne Alkohol"));

    dialogs.expect(QStringLiteral("Wollen Sie wirklich alle 1 Rezepte löschen ?"), Answer::Yes);
    dialogs.expect(QStringLiteral("Die Rezeptliste wird dann leer !"), Answer::Yes);
    button("loeschaus")->click();
    dialogs.verify();
    EXPECT_EQ(rezgrid()->model()->rowCount(), 0);
    EXPECT_EQ(reznam()->text(), QString());
    EXPECT_EQ(zub()->toPlainText(), QString());
    EXPECT_EQ(zutgrid()->model()->rowCount(), 0);
    EXPECT_EQ(katgrid()->currentText(), QString::fromUtf8("Getränke"));
    EXPECT_EQ(gesucht()->text(), QString::fromUtf8("> Rubrik 'Getränke'"));

    // The empty view takes no text, so nothing is stored and nothing is said.
    zub()->setFocus();
    QTest::keyClicks(zub(), QStringLiteral("Heiss servieren."));
    rezgrid()->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(zub()->toPlainText(), QString());

    button("men7")->click();
    QWidget* weiteres = ui::WindowRegistry::loadedWindow(QStringLiteral("weiteres"));
    ASSERT_NE(weiteres, nullptr);
    dialogs.expect(QStringLiteral("Fertig. Das Kochbuch wurde komprimiert."), Answer::Ok);
    control<QPushButton>(weiteres, "komprim")->click();
    QCoreApplication::processEvents();
    dialogs.verify();
}

TEST_F(HmTest, FailedDeletesShowTheErrorAndKeepEveryRecipe)
{
    const qint64 kid = count(QStringLiteral("select kid from rezepte group by kid order by count(*) desc limit 1"));
    chooseFilter(db().scalar(QStringLiteral("select kname from hauptkat where kid=%1").arg(kid)).toString());
    const qint64 shown = rezgrid()->model()->rowCount();
    ASSERT_GT(shown, 1);
    const qint64 before = count(QStringLiteral("select count(*) from rezepte"));
    const qint64 lines = count(QStringLiteral("select count(*) from zutaten"));
    // The last recipe of the list cannot be deleted; whatever went before it must come back.
    const qint64 last = count(QStringLiteral("select rid from rezepte where kid=%1 order by rname desc limit 1").arg(kid));
    db().execute(QStringLiteral("insert into rezinaus (aid,rid,rname,port) select 1,rid,rname,port from rezepte "
                                "where rid=%1").arg(last));
    const qint64 rows = childRows(last);
    db().execute(QStringLiteral("create trigger gesperrt before delete on rezepte when old.rid = %1 "
                                "begin select raise(abort, 'Tabelle gesperrt'); end").arg(last));

    ASSERT_TRUE(rez()->recordset()->findFirst(QStringLiteral("rid=%1").arg(last)));
    dialogs.expect(QStringLiteral("Rezept "), Answer::Yes);
    dialogs.expect(QStringLiteral("REZGRID_KEYDOWN : "), Answer::Ok).withTitle(QStringLiteral(" F E H L E R"));
    QTest::keyClick(rezgrid(), Qt::Key_Delete);
    dialogs.verify();
    EXPECT_EQ(currentRid(), last);
    EXPECT_EQ(rezzahl()->text(), formatCount(shown));

    dialogs.expect(QStringLiteral("Wollen Sie wirklich alle "), Answer::Yes);
    dialogs.expect(QStringLiteral("Die Rezeptliste wird dann leer !"), Answer::Yes);
    dialogs.expect(QStringLiteral("LOESCHAUS_CLICK : "), Answer::Ok).withTitle(QStringLiteral(" F E H L E R"));
    button("loeschaus")->click();
    dialogs.verify();
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte")), before);
    EXPECT_EQ(count(QStringLiteral("select count(*) from zutaten")), lines);
    EXPECT_EQ(childRows(last), rows);
    EXPECT_EQ(rezgrid()->model()->rowCount(), shown);
    EXPECT_TRUE(rezgrid()->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(HmTest, InithmRestoresCommentsAndTheStoredRecipeOrElseShowsTheFirst)
{
    const qint64 rid = count(QStringLiteral("select max(rid) from rezepte"));
    const QString title = db().scalar(QStringLiteral("select rname from rezepte where rid=%1").arg(rid)).toString();
    savereg(reg::currentrez, QString::number(rid));
    db().execute(QStringLiteral("delete from kochbuchname"));
    komgrid()->clear();

    hm->inithm();
    EXPECT_EQ(label("bname")->text(), QStringLiteral("K o c h b u c h :  "));
    EXPECT_EQ(komgrid()->count(), count(QStringLiteral("select count(*) from komment")));
    EXPECT_EQ(currentRid(), rid);
    EXPECT_EQ(reznam()->text(), title);

    savereg(reg::currentrez, QStringLiteral("999999"));
    rez()->refresh();
    hm->inithm();
    EXPECT_EQ(rez()->recordset()->absolutePosition(), 0);
    EXPECT_EQ(reznam()->text(), gridTitles().first());
}

TEST_F(HmTest, ClosingStoresListRecipeAndWindowState)
{
    rezgrid()->setCurrentIndex(rezgrid()->model()->index(3, 0));
    const qint64 rid = currentRid();
    hm->showMaximized();
    hm->close();
    EXPECT_EQ(getreg(reg::currentauswahl), QStringLiteral("1"));
    EXPECT_EQ(getreg(reg::currentrez), QString::number(rid));
    EXPECT_EQ(getreg(reg::bildmode), QStringLiteral("vollbild"));
    EXPECT_TRUE(ui::WindowRegistry::isLoaded(QStringLiteral("ende")));
    EXPECT_EQ(quits, 0);
}

TEST_F(HmTest, ClosingWithAnEmptyListKeepsTheStoredRecipeAndMinimisedStoresNormalbild)
{
    savereg(reg::currentrez, QStringLiteral("5"));
    rez()->setRecordSource(QStringLiteral("select rid,kid,port,rname,komid from rezepte where rid<0;"));
    rez()->refresh();
    // Minimised from maximised, the window is not shown maximised.
    hm->setWindowState(Qt::WindowMaximized | Qt::WindowMinimized);
    hm->close();
    EXPECT_EQ(getreg(reg::currentrez), QStringLiteral("5"));
    EXPECT_EQ(getreg(reg::bildmode), QStringLiteral("normalbild"));
}

TEST_F(HmTest, RestartShowsTheCookbookAgainAndEditableTitlesTakeLettersAsText)
{
    rezgrid()->setCurrentIndex(rezgrid()->model()->index(4, 0));
    const QString title = reznam()->text();
    ASSERT_NO_FATAL_FAILURE(restart([] { savereg(reg::aenderrezept, QStringLiteral("ON")); }));
    EXPECT_TRUE(hm->isVisible());
    EXPECT_EQ(rezzahl()->text(), formatCount(count(QStringLiteral("select count(*) from rezepte"))));
    EXPECT_EQ(reznam()->text(), title) << "the recipe shown at the close comes back";

    rezgrid()->setCurrentIndex(rezgrid()->model()->index(1, 0));
    EXPECT_TRUE(rezgrid()->model()->flags(rezgrid()->currentIndex()) & Qt::ItemIsEditable);
    QTest::keyClick(rezgrid(), Qt::Key_Z);
    EXPECT_EQ(rezgrid()->currentIndex().row(), 1) << "the letter does not jump";
    auto* editor = rezgrid()->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr) << "the letter starts editing the title";
    EXPECT_EQ(editor->text(), QStringLiteral("z"));
}

TEST_F(HmTest, MaximiseToggles)
{
    hm->showNormal();
    button("makevoll")->click();
    EXPECT_TRUE(hm->windowState() & Qt::WindowMaximized);
    button("makevoll")->click();
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

    auto* splitterAus = control<QSplitter>(hm, "splitter_aus");
    auto* splitterRez = control<QSplitter>(hm, "splitter_rez");
    QLabel* stichlabel = label("stichlabel");

    const int countTop = top(rezzahl());
    const int keywordTop = top(stich());
    QList<int> sizes = splitterAus->sizes();
    splitterAus->setSizes({sizes[0] + 60, sizes[1] - 60});
    emit splitterAus->splitterMoved(sizes[0] + 60, 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(top(rezzahl()) - countTop, 60);
    EXPECT_EQ(top(stich()) - keywordTop, 60) << "the keyword line moves with the bar";
    EXPECT_EQ(top(gesucht()), top(rezzahl()));
    EXPECT_EQ(top(stichlabel) + stichlabel->height() / 2, top(stich()) + stich()->height() / 2);

    sizes = splitterRez->sizes();
    splitterRez->setSizes({sizes[0] + 80, sizes[1] - 80});
    QCoreApplication::processEvents();
    EXPECT_EQ(left(gesucht()), left(rezgrid()));
    EXPECT_EQ(left(rezzahl()), left(gesucht()) + gesucht()->width() + 4);
    EXPECT_LE(left(rezzahl()) + rezzahl()->width(), left(rezgrid()) + rezgrid()->width());
    EXPECT_EQ(rezgrid()->horizontalHeader()->sectionSize(0), rezgrid()->viewport()->width());
    EXPECT_EQ(left(stichlabel), left(zutgrid()));
    EXPECT_EQ(left(stich()) + stich()->width(), left(zutgrid()) + zutgrid()->width());
}

TEST_F(HmTest, HelpOpensTheShippedPage)
{
    // A desktop with a browser chosen for web pages.
    QDir().mkpath(env.homeFolder() + QStringLiteral("/.local/share/applications"));
    QDir().mkpath(env.homeFolder() + QStringLiteral("/.config"));
    writeFileBytes(env.homeFolder() + QStringLiteral("/.local/share/applications/web.desktop"),
                   "[Desktop Entry]\nType=Application\nName=Web\nExec=web %u\n");
    writeFileBytes(env.homeFolder() + QStringLiteral("/.config/mimeapps.list"),
                   "[Default Applications]\ntext/html=web.desktop\n");
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    button("hilf")->click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_EQ(catcher.opened,
              QUrl::fromLocalFile(QDir(paths::programFolder()).filePath(QStringLiteral("kelvor-hilfe.html"))));
    EXPECT_TRUE(QFile::exists(catcher.opened.toLocalFile()));
}

TEST_F(HmTest, HelpWithoutABrowserSaysSo)
{
    // Nothing chosen for web pages, no browser on the path; the page opener itself would
    // start all the same and fail where nobody sees it.
    const QString empty = env.tempPath(QStringLiteral("leer"));
    QDir().mkpath(empty);
    env.setEnv("PATH", empty);
    env.setEnv("XDG_DATA_DIRS", empty);
    env.setEnv("XDG_CONFIG_DIRS", empty);
    env.unsetEnv("BROWSER");
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    const QString help = QDir(paths::programFolder()).filePath(QStringLiteral("kelvor-hilfe.html"));
    dialogs.expect(QStringLiteral("Es wurde kein Browser gefunden, der die Hilfe '") + help + QStringLiteral("' öffnen kann."),
                   Answer::Ok)
        .withTitle(QStringLiteral(" "));
    button("hilf")->click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    dialogs.verify();
    EXPECT_TRUE(catcher.opened.isEmpty());
}

TEST_F(HmTest, LogoOpensTheAboutBoxModally)
{
    dialogs.expectModal(QStringLiteral("about"), [] { return 0; });
    button("kelvorlogo")->click();
    dialogs.verify();
}

}  // namespace
}  // namespace kv::test

#include "hm_test.moc"
