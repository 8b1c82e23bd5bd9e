// The recipe view and the selection-list panel of the main window on the delivered
// cookbook, started the way the program starts. The view shows what the user chose and
// keeps what the user typed: it follows every move of the two lists, and typed text
// survives the window's close box.

#include "core/cookbookdb.h"
#include "core/mainmod.h"
#include "core/rezsource.h"
#include "mainwindow/hm_window.h"
#include "mainwindow/neu_auswahl_window.h"
#include "mainwindow/neu_menue_window.h"
#include "mainwindow/neu_portion_window.h"
#include "mainwindow/recipeview.h"
#include "platform/ui/closinghooks.h"
#include "platform/ui/look.h"
#include "platform/ui/windows.h"
#include "tests/mainwindow/startedprogram.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

namespace kv::test {
namespace {

using ui::Answer;

class HmView : public StartedProgram {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(start());
        hm->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(hm));
        focus(rezgrid());
    }

    QString text(const QString& sql) { return db().scalar(sql).toString(); }

    void focus(QWidget* w)
    {
        w->setFocus(Qt::OtherFocusReason);
        QCoreApplication::processEvents();
    }

    // Moves the recipe list to a recipe, as a search or a key in the list does.
    void showRecipe(qint64 rid)
    {
        ASSERT_TRUE(rez()->recordset()->findFirst(QStringLiteral("rid=%1").arg(rid)));
        hm->rezauswahl();
    }

    // The user picks a row of a grid.
    void pickRow(QTableView* grid, int row)
    {
        grid->selectionModel()->setCurrentIndex(grid->model()->index(row, 0),
                                                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

    int rowOf(QTableView* grid, const QString& title)
    {
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            if (grid->model()->index(r, 0).data().toString() == title) return r;
        return -1;
    }

    QString highlighted(QTableView* grid)
    {
        const QModelIndex i = grid->currentIndex();
        return i.isValid() ? grid->model()->index(i.row(), 0).data().toString() : QString();
    }

    // A new list or menu named through its dialog.
    template <class Dialog>
    void newEntry(const char* window, const QString& name)
    {
        button("neuaus")->click();
        auto* d = ui::WindowRegistry::instance<Dialog>(QString::fromLatin1(window));
        QTest::keyClicks(control<QLineEdit>(d, "aname"), name);
        control<QPushButton>(d, "start")->click();
    }
    void newList(const QString& name) { newEntry<NeuAuswahl>("neu_auswahl", name); }
    void newMenu(const QString& name) { newEntry<NeuMenue>("neu_menue", name); }

    QString amount(const QString& zutat)
    {
        QAbstractItemModel* m = zutgrid()->model();
        for (int r = 0; r < m->rowCount(); ++r)
            if (m->index(r, 3).data().toString() == zutat) return m->index(r, 1).data().toString();
        ADD_FAILURE() << "no line " << zutat.toStdString();
        return {};
    }

    void click(QToolButton* b)
    {
        ASSERT_TRUE(b->isVisible()) << b->objectName().toStdString();
        b->click();
    }
};

TEST_F(HmView, RecipeShowsItsIngredientsScaledToServingsThatStayInRange)
{
    showRecipe(9);  // Kaiserschmarrn, written for 2
    EXPECT_EQ(reznam()->text(), QStringLiteral("Kaiserschmarrn"));
    ASSERT_EQ(zutgrid()->model()->rowCount(), 11);
    EXPECT_EQ(amount(QStringLiteral("Milch")), QStringLiteral("2/3"));
    EXPECT_EQ(amount(QStringLiteral("Apfelmus")), QString());
    EXPECT_TRUE(zub()->toPlainText().startsWith(QStringLiteral("Die Eier trennen.")));
    EXPECT_EQ(stich()->text(), QStringLiteral("schnell"));
    EXPECT_EQ(komgrid()->currentIndex(), -1);

    click(button("plus"));
    EXPECT_EQ(port()->text(), QStringLiteral("5"));
    EXPECT_EQ(label("zpers")->text(), QStringLiteral("Z u t a t e n   f ü r   5   P o r t i o n e n  :"));
    EXPECT_EQ(amount(QStringLiteral("Milch")), QStringLiteral("0,83"));
    for (int i = 0; i < 4; ++i) click(button("minus"));
    EXPECT_EQ(port()->text(), QStringLiteral("1"));
    EXPECT_EQ(amount(QStringLiteral("Milch")), QStringLiteral("0,16"));

    // A wrong text or a zero is reported and the box goes back to the last valid number.
    port()->setText(QStringLiteral("vier"));
    dialogs.expect(QStringLiteral("Bitte geben Sie die Zahl der Portionen"), Answer::Ok).withTitle(QStringLiteral(" "));
    click(button("plus"));
    port()->setText(QStringLiteral("0"));
    dialogs.expect(QStringLiteral("Von nichts kommt nichts."), Answer::Ok);
    click(button("minus"));
    dialogs.verify();
    EXPECT_EQ(port()->text(), QStringLiteral("1"));
    EXPECT_EQ(amount(QStringLiteral("Eier")), QStringLiteral("1 1/2"));
    port()->setText(QStringLiteral("32767"));
    click(button("plus"));
    EXPECT_EQ(port()->text(), QStringLiteral("32767"));

    showRecipe(3);  // Rinderrouladen, with a comment
    EXPECT_EQ(komgrid()->currentText(), QStringLiteral("Familienrezept"));
}

TEST_F(HmView, PreparationAndKeywordsAreSavedOnLeavingOnlyAfterTyping)
{
    showRecipe(2);
    const QString before = text(QStringLiteral("select ztext from zubereit where rid=2"));
    db().execute(QStringLiteral("update zubereit set ztext='anders' where rid=2"));
    db().execute(QStringLiteral("delete from rezstich where rid=2"));
    // What the program wrote into the boxes is not saved back.
    focus(zub());
    focus(stich());
    focus(rezgrid());
    EXPECT_EQ(text(QStringLiteral("select ztext from zubereit where rid=2")), QStringLiteral("anders"));
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezstich where rid=2")), 0);

    focus(zub());
    zub()->moveCursor(QTextCursor::End);
    QTest::keyClicks(zub(), QStringLiteral(" Frisch."));
    EXPECT_EQ(text(QStringLiteral("select ztext from zubereit where rid=2")), QStringLiteral("anders"));
    focus(stich());
    EXPECT_EQ(text(QStringLiteral("select ztext from zubereit where rid=2")), before + QStringLiteral(" Frisch."));
    stich()->selectAll();
    QTest::keyClicks(stich(), QStringLiteral("Sommer, Picknick"));
    focus(rezgrid());
    EXPECT_EQ(stichText(db(), 2), QStringLiteral("Sommer, Picknick"));
    EXPECT_EQ(count(QStringLiteral("select count(*) from stichworte where stichwort='Picknick' and ebene=1")), 1);
}

TEST_F(HmView, TypedTextStaysOutOfAnotherCookbook)
{
    showRecipe(2);
    focus(zub());
    QTest::keyClicks(zub(), QStringLiteral("Fremd "));
    // Another cookbook is opened while the box still holds the typed text.
    ui::runCookbookClosing();
    kochbuchdb = db::Database::open(env.copyShippedCookbook(QStringLiteral("zweites")) +
                                    QStringLiteral("kelvor-daten.mdb"));
    const QString before = text(QStringLiteral("select ztext from zubereit where rid=2"));
    hm->binddaten();
    hm->inithm();
    showRecipe(2);
    focus(rezgrid());
    EXPECT_EQ(text(QStringLiteral("select ztext from zubereit where rid=2")), before);
}

TEST_F(HmView, AChosenOrClearedCommentIsStoredForTheRecipe)
{
    showRecipe(2);
    focus(komgrid());
    const int i = komgrid()->findText(QStringLiteral("gelingt immer"));
    komgrid()->setCurrentIndex(i);
    emit komgrid()->activated(i);
    focus(rezgrid());
    EXPECT_EQ(count(QStringLiteral("select komid from rezepte where rid=2")), 2);

    // Clearing the text removes the comment and makes no new one.
    focus(komgrid());
    komgrid()->lineEdit()->selectAll();
    QTest::keyClick(komgrid()->lineEdit(), Qt::Key_Backspace);
    focus(rezgrid());
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte where rid=2 and komid is null")), 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from komment")), 3);
}

// Ids beyond 32 bits, as a cookbook filled by many imports reaches them: cut to 32 bits the
// id 2^32 + 1 would name recipe 1.
TEST_F(HmView, RecipeIdsBeyondThirtyTwoBitsReachOnlyTheirOwnRecipe)
{
    const qint64 big = (Q_INT64_C(1) << 32) + 1;
    const auto snapshot = [this](qint64 rid) {
        QStringList rows;
        for (const QString& table : reztabellen) {
            db::Statement st(db(), QStringLiteral("select * from %1 where rid=%2 order by 1,2").arg(table).arg(rid));
            while (st.step()) {
                QStringList values;
                for (int i = 0; i < st.columnCount(); ++i) values << st.text(i);
                rows << table + u':' + values.join(u'|');
            }
        }
        return rows << text(QStringLiteral("select komid from rezepte where rid=%1").arg(rid));
    };
    db().execute(QStringLiteral("insert into rezepte (rid,rname,port,kid,komid,did) "
                                "select %1,'Zebrakuchen',4,kid,komid,did from rezepte where rid=1").arg(big));
    db().execute(QStringLiteral("insert into zutaten (rid,tid,nr,eid,menge,zutid) "
                                "select %1,tid,nr,eid,menge,zutid from zutaten where rid=1").arg(big));
    db().execute(QStringLiteral("insert into zubereit (rid,ztext) values (%1,'Backen.')").arg(big));
    const QStringList recipeOne = snapshot(1);
    rez()->refresh();
    showRecipe(big);
    ASSERT_EQ(reznam()->text(), QStringLiteral("Zebrakuchen"));

    focus(zub());
    QTest::keyClicks(zub(), QStringLiteral(" Dann essen."));
    focus(stich());
    QTest::keyClicks(stich(), QStringLiteral("Kuchen"));
    focus(komgrid());
    QTest::keyClicks(komgrid()->lineEdit(), QStringLiteral("gestreift"));
    focus(rezgrid());
    EXPECT_EQ(text(QStringLiteral("select ztext from zubereit where rid=%1").arg(big)), QStringLiteral(" Dann essen.Backen."));
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezstich where rid=%1").arg(big)), 1);
    EXPECT_EQ(text(QStringLiteral("select komment from komment k join rezepte r on r.komid=k.komid where r.rid=%1").arg(big)),
              QStringLiteral("gestreift"));
    click(button("eininaus"));
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinaus where aid=1 and rid=%1").arg(big)), 1);

    dialogs.expect(QStringLiteral("Rezept Zebrakuchen löschen ?"), Answer::Yes);
    QTest::keyClick(rezgrid(), Qt::Key_Delete);
    dialogs.verify();
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte where rid=%1").arg(big)), 0);
    EXPECT_TRUE(snapshot(big).first().isEmpty()) << snapshot(big).join(u'\n').toStdString();
    EXPECT_EQ(snapshot(1), recipeOne);
}

TEST_F(HmView, RecipesAreAddedToTheListOnceAndAllAfterAQuestionAboveFifty)
{
    showRecipe(9);
    click(button("eininaus"));
    click(button("eininaus"));
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinaus where aid=1 and rid=9 and port=4")), 1);
    EXPECT_GE(rowOf(ausgrid(), QStringLiteral("Kaiserschmarrn")), 0);

    db().execute(QStringLiteral("insert into rezepte (rname,port,kid) select 'Probe ' || rname,4,kid from rezepte"));
    db().execute(QStringLiteral("insert into rezepte (rname,port,kid) select 'Noch ' || rname,4,kid from rezepte"));
    rez()->refresh();
    ASSERT_EQ(rez()->recordset()->recordCount(), 56);
    const qint64 before = count(QStringLiteral("select count(*) from rezinaus where aid=1"));
    const QString question =
        QStringLiteral("Wollen Sie wirklich über 50 Gerichte zur Auswahl Schnellauswahl hinzufügen ?");
    dialogs.expect(question, Answer::No).withTitle(QStringLiteral(" ")).withStyle(ui::YesNo);
    click(button("auswahlalle"));
    dialogs.verify();
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinaus where aid=1")), before);

    port()->setText(QStringLiteral("2"));
    dialogs.expect(question, Answer::Yes);
    click(button("auswahlalle"));
    dialogs.verify();
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinaus where aid=1")), before + 56);
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinaus where aid=1 and port=2")), 56);
    EXPECT_EQ(ausgrid()->model()->rowCount(), before + 56);
}

TEST_F(HmView, EntriesListsAndTheQuickListAreDeleted)
{
    // A new list through its dialog becomes the current one.
    newList(QStringLiteral("Grillabend"));
    EXPECT_EQ(korbgrid()->currentText(), QStringLiteral("Grillabend"));
    EXPECT_EQ(ausgrid()->model()->rowCount(), 0);
    showRecipe(4);
    click(button("eininaus"));
    showRecipe(10);
    click(button("eininaus"));
    ASSERT_EQ(ausgrid()->model()->rowCount(), 2);

    // One entry with the Delete key.
    pickRow(ausgrid(), rowOf(ausgrid(), QStringLiteral("Ratatouille")));
    QTest::keyClick(ausgrid(), Qt::Key_Delete);
    EXPECT_EQ(ausgrid()->model()->rowCount(), 1);
    const qint64 aid = hm->korbgridBoundText().toLongLong();
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinaus where aid=%1 and rid=10").arg(aid)), 0);

    dialogs.expect(QStringLiteral("Wollen Sie die Auswahl Grillabend löschen ?"), Answer::No);
    click(button("loeschsel"));
    EXPECT_EQ(count(QStringLiteral("select count(*) from auswahlen where aid=%1").arg(aid)), 1);

    // Deleted while the menus are shown: the list goes, the menus stay on screen.
    click(button("men4"));
    dialogs.expect(QStringLiteral("Wollen Sie die Auswahl Grillabend löschen ?"), Answer::Yes)
        .withTitle(QStringLiteral(" "))
        .withStyle(ui::YesNo);
    click(button("loeschsel"));
    dialogs.verify();
    EXPECT_EQ(count(QStringLiteral("select count(*) from auswahlen where aid=%1").arg(aid)), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinaus where aid=%1").arg(aid)), 0);
    EXPECT_EQ(rowOf(ausgrid(), QStringLiteral("Sonntagsessen im Herbst")), 0);
    click(button("men4"));
    EXPECT_EQ(korbgrid()->currentText(), QStringLiteral("Schnellauswahl"));
    EXPECT_EQ(ausgrid()->model()->rowCount(), 2);

    // The quick list is emptied in its place.
    dialogs.expect(QStringLiteral("Die Schnellauswahl kann nicht gelöscht werden. Möchten Sie sie stattdessen leeren ?"),
                   Answer::Yes)
        .withTitle(QStringLiteral(" "))
        .withStyle(ui::YesNo);
    click(button("loeschsel"));
    dialogs.verify();
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinaus where aid=1")), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from auswahlen where aid=1")), 1);
    EXPECT_EQ(ausgrid()->model()->rowCount(), 0);
}

TEST_F(HmView, MenusShowTheirDishesAndGoWithThem)
{
    click(button("men4"));
    EXPECT_EQ(label("men4t")->text(), QStringLiteral("A u s w a h l"));
    EXPECT_FALSE(korbgrid()->isVisible());
    EXPECT_FALSE(zutgrid()->isVisible());
    EXPECT_TRUE(menugrid()->isVisible());
    ASSERT_EQ(ausgrid()->model()->rowCount(), 1);
    pickRow(ausgrid(), 0);
    focus(ausgrid());
    EXPECT_EQ(reznam()->text(), QStringLiteral("Sonntagsessen im Herbst"));
    EXPECT_TRUE(zub()->toPlainText().startsWith(QStringLiteral("Vorweg die Kartoffelsuppe")));
    EXPECT_EQ(menugrid()->model()->rowCount(), 2);

    ASSERT_TRUE(rez()->recordset()->findFirst(QStringLiteral("rid=7")));
    click(button("eininaus"));
    EXPECT_EQ(count(QStringLiteral("select nr from rezinmen where mid=1 and rid=7")), 3);
    EXPECT_EQ(menugrid()->model()->rowCount(), 3);

    pickRow(ausgrid(), 0);
    QTest::keyClick(ausgrid(), Qt::Key_Delete);
    EXPECT_EQ(count(QStringLiteral("select count(*) from menues")), 0);
    // The menu goes with its dishes.
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinmen")), 0);
    EXPECT_EQ(menugrid()->model()->rowCount(), 0);

    dialogs.expect(QStringLiteral("Es ist kein Menü ausgewählt"), Answer::Ok).withTitle(QStringLiteral(" K E L V O R"));
    click(button("eininaus"));
    dialogs.verify();

    click(button("men4"));
    EXPECT_EQ(label("men4t")->text(), QStringLiteral("M e n ü"));
    EXPECT_TRUE(korbgrid()->isVisible());
    EXPECT_TRUE(zutgrid()->isVisible());
}

TEST_F(HmView, AModeSwitchShowsTheCurrentMenuOrEntryAndTypingGoesThere)
{
    showRecipe(2);
    const QString description = text(QStringLiteral("select mbesch from menues where mid=1"));

    // In the menus the view shows the current menu, and typed text is its description.
    click(button("men4"));
    EXPECT_EQ(reznam()->text(), QStringLiteral("Sonntagsessen im Herbst"));
    EXPECT_EQ(zub()->toPlainText(), description);
    focus(zub());
    zub()->moveCursor(QTextCursor::End);
    QTest::keyClicks(zub(), QStringLiteral(" Dazu Wein."));
    focus(ausgrid());
    EXPECT_EQ(text(QStringLiteral("select mbesch from menues where mid=1")), description + QStringLiteral(" Dazu Wein."));

    // Back in the lists the view shows the list's current entry, never the menu's text.
    click(button("men4"));
    ASSERT_GT(ausgrid()->model()->rowCount(), 0);
    const QString entry = ausgrid()->model()->index(ausgrid()->currentIndex().row(), 0).data().toString();
    const qint64 rid = count(QStringLiteral("select rid from rezinaus where aid=1 and rname='%1'").arg(entry));
    const QString preparation = text(QStringLiteral("select ztext from zubereit where rid=%1").arg(rid));
    EXPECT_EQ(reznam()->text(), entry);
    EXPECT_EQ(zub()->toPlainText(), preparation);
    focus(zub());
    zub()->moveCursor(QTextCursor::End);
    QTest::keyClicks(zub(), QStringLiteral(" Heiß servieren."));
    focus(stich());
    stich()->selectAll();
    QTest::keyClicks(stich(), QStringLiteral("Sommer"));
    focus(rezgrid());
    EXPECT_EQ(text(QStringLiteral("select ztext from zubereit where rid=%1").arg(rid)),
              preparation + QStringLiteral(" Heiß servieren."));
    EXPECT_EQ(stichText(db(), rid), QStringLiteral("Sommer"));
    EXPECT_EQ(text(QStringLiteral("select mbesch from menues where mid=1")), description + QStringLiteral(" Dazu Wein."));
}

TEST_F(HmView, AddingWithoutACurrentListIsReported)
{
    showRecipe(9);
    korbgrid()->setCurrentIndex(-1);
    dialogs.expect(QStringLiteral("Es ist keine Auswahl gewählt"), Answer::Ok);
    click(button("eininaus"));
    dialogs.expect(QStringLiteral("Es ist keine Auswahl gewählt"), Answer::Ok);
    click(button("auswahlalle"));
    dialogs.verify();
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinaus")), 2);
}

TEST_F(HmView, EntriesAndMenusAreRenamedInTheGridButNeverToNothing)
{
    QAbstractItemModel* m = ausgrid()->model();
    ASSERT_EQ(m->rowCount(), 2);
    const QString before = m->index(0, 0).data().toString();
    EXPECT_FALSE(m->flags(m->index(0, 2)) & Qt::ItemIsEditable);

    EXPECT_TRUE(m->setData(m->index(0, 1), 6, Qt::EditRole));
    EXPECT_EQ(count(QStringLiteral("select port from rezinaus where aid=1 and rname=") +
                    db::sqlQuote(before)),
              6);

    dialogs.expect(QStringLiteral("Leere Namen sind nicht erlaubt"), Answer::Ok);
    EXPECT_FALSE(m->setData(m->index(0, 0), QString(), Qt::EditRole));
    dialogs.verify();
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinaus where aid=1 and rname=") + db::sqlQuote(before)),
              1);

    // In menu mode the grid lists the menus: their names can be edited, their constant
    // servings column cannot.
    click(button("men4"));
    ASSERT_EQ(m->rowCount(), 1);
    EXPECT_FALSE(m->flags(m->index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_TRUE(m->setData(m->index(0, 0), QStringLiteral("Herbstmenü"), Qt::EditRole));
    EXPECT_EQ(text(QStringLiteral("select mname from menues where mid=1")), QStringLiteral("Herbstmenü"));
}

// Whatever moves a list, the view shows its highlighted row; typed text is never lost.
class ViewRule : public HmView {};

// Each move the program makes, then what the view must show.
TEST_F(ViewRule, TheViewShowsTheRowEveryMoveLeavesHighlighted)
{
    // The first start shows the first recipe, with its lines and its comment.
    EXPECT_FALSE(reznam()->text().isEmpty());
    EXPECT_EQ(reznam()->text(), highlighted(rezgrid()));
    const qint64 shownFirst = rez()->recordset()->value(QStringLiteral("rid")).toLongLong();
    EXPECT_EQ(zutgrid()->model()->rowCount(),
              count(QStringLiteral("select count(*) from zutaten where rid=%1").arg(shownFirst)));
    EXPECT_EQ(komgrid()->currentText(),
              text(QStringLiteral("select komment from komment k join rezepte r on r.komid=k.komid where r.rid=%1")
                       .arg(shownFirst)));

    rez()->recordset()->moveLast();
    ASSERT_NE(reznam()->text(), text(QStringLiteral("select rname from rezepte where komid=1")));
    button("rubmodechange")->click();
    chooseFilter(QStringLiteral("Familienrezept"));
    ASSERT_EQ(rezgrid()->model()->rowCount(), 1);
    EXPECT_EQ(reznam()->text(), text(QStringLiteral("select rname from rezepte where komid=1")));

    // Back to the categories; the user's first choice of the row "0" shows every recipe.
    button("rubmodechange")->click();
    button("rubmodechange")->click();
    chooseFilter(QStringLiteral("- alle Rubriken -"));
    EXPECT_EQ(gesucht()->text(), alleGerichte);
    EXPECT_EQ(rezgrid()->model()->rowCount(), count(QStringLiteral("select count(*) from rezepte")));
    EXPECT_EQ(reznam()->text(), highlighted(rezgrid()));

    // "Gewähltes Rezept in Auswahl" adds the recipe on screen.
    const QString shown = reznam()->text();
    button("eininaus")->click();
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinaus r join rezepte z on z.rid=r.rid "
                                   "where r.aid=1 and z.rname='%1'").arg(shown)), 1);

    // A deleted recipe leaves the next one on screen.
    rez()->recordset()->moveFirst();
    const QString first = reznam()->text();
    dialogs.expect(QStringLiteral("Rezept ") + first + QStringLiteral(" löschen ?"), Answer::Yes);
    QTest::keyClick(rezgrid(), Qt::Key_Delete);
    dialogs.verify();
    EXPECT_NE(reznam()->text(), first);
    EXPECT_EQ(reznam()->text(), highlighted(rezgrid()));

    // A new, empty list has no entry to show.
    newList(QStringLiteral("Grillabend"));
    ASSERT_EQ(korbgrid()->currentText(), QStringLiteral("Grillabend"));
    EXPECT_TRUE(reznam()->text().isEmpty());
    EXPECT_EQ(zutgrid()->model()->rowCount(), 0);

    // The menus: the current one is shown; a new one, highlighted, is shown too.
    button("men4")->click();
    EXPECT_EQ(reznam()->text(), highlighted(ausgrid()));
    newMenu(QStringLiteral("Brunch"));
    ASSERT_EQ(highlighted(ausgrid()), QStringLiteral("Brunch"));
    EXPECT_EQ(reznam()->text(), QStringLiteral("Brunch"));
    EXPECT_EQ(menugrid()->model()->rowCount(), 0);
    // A double click puts the dish into the menu on screen.
    rez()->recordset()->moveFirst();
    button("eininaus")->click();
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinmen m join menues n on n.mid=m.mid where n.mname='Brunch'")), 1);
    EXPECT_EQ(menugrid()->model()->rowCount(), 1);

    // Back to the lists: the list's entry, not the menu.
    korb()->recordset()->findFirst(QStringLiteral("aid=1"));
    button("men4")->click();
    EXPECT_EQ(reznam()->text(), highlighted(ausgrid()));
    EXPECT_FALSE(reznam()->text().isEmpty());
}

TEST_F(ViewRule, TypedTextSurvivesTheCloseBox)
{
    rez()->recordset()->findFirst(QStringLiteral("rid=2"));
    const qint64 comments = count(QStringLiteral("select count(*) from komment"));
    focus(zub());
    zub()->moveCursor(QTextCursor::End);
    QTest::keyClicks(zub(), QStringLiteral(" Kalt servieren."));
    // Typed without leaving the boxes: no LostFocus comes before the window closes.
    QTest::keyClicks(stich(), QStringLiteral(", Sommer"));
    QTest::keyClicks(komgrid()->lineEdit(), QStringLiteral("fuer Gaeste"));

    hm->close();

    EXPECT_TRUE(text(QStringLiteral("select ztext from zubereit where rid=2")).endsWith(QStringLiteral(" Kalt servieren.")));
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezstich r join stichworte s on s.sid=r.sid "
                                   "where r.rid=2 and s.stichwort='Sommer'")), 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from komment")), comments + 1);
    EXPECT_EQ(text(QStringLiteral("select k.komment from komment k join rezepte r on r.komid=k.komid where r.rid=2")),
              QStringLiteral("fuer Gaeste"));
}

TEST_F(ViewRule, ASaveThatFailedIsTriedAgainOnLeavingTheBoxAgain)
{
    rez()->recordset()->findFirst(QStringLiteral("rid=2"));
    db().execute(QStringLiteral("create trigger voll before update on zubereit begin select raise(abort, 'voll'); end"));
    focus(zub());
    zub()->moveCursor(QTextCursor::End);
    QTest::keyClicks(zub(), QStringLiteral(" Noch einmal."));
    dialogs.expect(QStringLiteral("ZUB_LOSTFOCUS : "), Answer::Ok).withTitle(QStringLiteral(" F E H L E R"));
    focus(rezgrid());
    dialogs.verify();
    EXPECT_FALSE(text(QStringLiteral("select ztext from zubereit where rid=2")).endsWith(QStringLiteral(" Noch einmal.")));

    db().execute(QStringLiteral("drop trigger voll"));
    focus(zub());
    focus(rezgrid());
    EXPECT_TRUE(text(QStringLiteral("select ztext from zubereit where rid=2")).endsWith(QStringLiteral(" Noch einmal.")));
}

TEST_F(ViewRule, ACommentTypedIsTakenAsTypedNotCompleted)
{
    rez()->recordset()->findFirst(QStringLiteral("rid=2"));
    ASSERT_GE(komgrid()->findText(QStringLiteral("gelingt immer")), 0);
    const int items = komgrid()->count();
    focus(komgrid());
    QTest::keyClicks(komgrid()->lineEdit(), QStringLiteral("gel"));
    EXPECT_EQ(komgrid()->currentText(), QStringLiteral("gel"));
    focus(rezgrid());
    EXPECT_EQ(text(QStringLiteral("select k.komment from komment k join rezepte r on r.komid=k.komid where r.rid=2")),
              QStringLiteral("gel"));
    EXPECT_EQ(count(QStringLiteral("select count(*) from komment where komment='gelingt immer'")), 1);
    EXPECT_EQ(komgrid()->count(), items + 1);
    EXPECT_EQ(komgrid()->currentData().toLongLong(), count(QStringLiteral("select komid from rezepte where rid=2")));
}

TEST_F(ViewRule, ServingsTypedOrChosenAreTheServingsShown)
{
    rez()->recordset()->findFirst(QStringLiteral("rid=9"));  // Kaiserschmarrn, written for 2
    focus(port());
    port()->selectAll();
    QTest::keyClicks(port(), QStringLiteral("8"));
    QTest::keyClick(port(), Qt::Key_Return);
    EXPECT_EQ(label("zpers")->text(), QStringLiteral("Z u t a t e n   f ü r   8   P o r t i o n e n  :"));
    EXPECT_EQ(zutgrid()->model()->index(1, 1).data().toString(), QStringLiteral("1 1/3"));  // 1/3 l Milch for 2

    // Leaving the box after typing rescales too.
    port()->selectAll();
    QTest::keyClicks(port(), QStringLiteral("4"));
    focus(rezgrid());
    EXPECT_EQ(label("zpers")->text(), QStringLiteral("Z u t a t e n   f ü r   4   P o r t i o n e n  :"));

    dialogs.expectModal(QStringLiteral("neu_portion"), [] {
        auto* d = ui::WindowRegistry::instance<NeuPortion>(QStringLiteral("neu_portion"));
        d->show();
        QTest::keyClicks(control<QLineEdit>(d, "port"), QStringLiteral("2,5"));
        control<QPushButton>(d, "start")->click();
        return 1;
    });
    button("mehr")->click();
    dialogs.verify();
    EXPECT_EQ(port()->text(), QStringLiteral("2"));
    EXPECT_EQ(label("zpers")->text(), QStringLiteral("Z u t a t e n   f ü r   2   P o r t i o n e n  :"));
    EXPECT_EQ(zutgrid()->model()->index(1, 1).data().toString(), QStringLiteral("1/3"));
}

TEST_F(ViewRule, ATitleIsShownFromItsStart)
{
    db().execute(QStringLiteral("update rezepte set rname='Zwiebelrostbraten mit Bratkartoffeln, Speckbohnen und "
                                "einer kräftigen Soße aus dem Bratensatz' where rid=2"));
    rez()->refresh();
    rez()->recordset()->findFirst(QStringLiteral("rid=2"));
    EXPECT_TRUE(reznam()->text().startsWith(QStringLiteral("Zwiebelrostbraten")));
    EXPECT_EQ(reznam()->cursorPosition(), 0);
}

TEST_F(ViewRule, ALongTitleEndsInAnEllipsisBeforeTheLogoAndShowsWholeAsTheTip)
{
    const QString title = QStringLiteral("Apfelkuchen aus der Springform mit Streuseln, Mandelblättchen und einer "
                                         "Haube aus Sahne nach Großmutters Art");
    db().execute(QStringLiteral("update rezepte set rname=? where rid=2"), {title});
    rez()->refresh();
    rez()->recordset()->findFirst(QStringLiteral("rid=2"));
    auto* line = control<ui::ElidingLineEdit>(hm, "reznam");
    ASSERT_EQ(line->text(), title) << "the line keeps the whole title";
    const QString shown = line->shownText();
    EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
    EXPECT_TRUE(title.startsWith(shown.chopped(1)));
    EXPECT_LE(line->fontMetrics().horizontalAdvance(shown), line->contentsRect().width());
    const QWidget* logo = control<QToolButton>(hm, "kelvorlogo");
    EXPECT_LT(line->mapTo(hm, line->rect().topRight()).x(), logo->mapTo(hm, QPoint(0, 0)).x());
    EXPECT_EQ(line->toolTip(), title);
}

// A cookbook without menus (as the cookbook export makes one): the menu side shows no
// recipe, and nothing typed there reaches a recipe.
TEST_F(ViewRule, WithoutAMenuTheMenuSideShowsNoRecipeAndTakesNoText)
{
    dialogs.expect(QStringLiteral("Die Schnellauswahl kann nicht gelöscht werden"), Answer::Yes);
    click(button("loeschsel"));
    dialogs.verify();
    db().execute(QStringLiteral("delete from rezinmen"));
    db().execute(QStringLiteral("delete from menues"));
    pickRow(rezgrid(), rowOf(rezgrid(), QStringLiteral("Hefezopf")));
    ASSERT_EQ(reznam()->text(), QStringLiteral("Hefezopf"));
    const QString preparation = text(QStringLiteral("select ztext from zubereit where rid=14"));

    click(button("men4"));
    EXPECT_EQ(reznam()->text(), QString());
    EXPECT_EQ(zub()->toPlainText(), QString());
    EXPECT_EQ(menugrid()->model()->rowCount(), 0);
    focus(zub());
    QTest::keyClicks(zub(), QStringLiteral("Ein Menue ohne Namen."));
    focus(ausgrid());
    EXPECT_EQ(text(QStringLiteral("select ztext from zubereit where rid=14")), preparation);
    EXPECT_EQ(count(QStringLiteral("select count(*) from zubereit where ztext like '%Menue ohne Namen%'")), 0);

    // A menu made then takes its description.
    newMenu(QStringLiteral("Brunch"));
    hm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(hm));
    ASSERT_EQ(reznam()->text(), QStringLiteral("Brunch"));
    focus(zub());
    QTest::keyClicks(zub(), QStringLiteral("Am Sonntag."));
    focus(ausgrid());
    EXPECT_EQ(text(QStringLiteral("select mbesch from menues where mname='Brunch'")), QStringLiteral("Am Sonntag."));
    EXPECT_EQ(text(QStringLiteral("select ztext from zubereit where rid=14")), preparation);
}

// Keywords refused on leaving the box: the message comes once, the click that left the
// box still counts, and the view and the lists agree on what is shown.
TEST_F(ViewRule, AfterRefusedKeywordsTheClickedEntryIsShown)
{
    pickRow(rezgrid(), rowOf(rezgrid(), QStringLiteral("Hefezopf")));
    ASSERT_EQ(reznam()->text(), QStringLiteral("Hefezopf"));
    const QString keywords = stichText(db(), 14);
    focus(stich());
    stich()->end(false);
    QTest::keyClicks(stich(), QStringLiteral(", Oma's"));

    // The mouse passing over the list on its way leaves the box alone.
    const int row = rowOf(ausgrid(), QStringLiteral("Spaghetti mit Tomatensauce"));
    ASSERT_GE(row, 0);
    const QPoint spaghetti = ausgrid()->visualRect(ausgrid()->model()->index(row, 0)).center();
    QTest::mouseMove(ausgrid()->viewport(), spaghetti);
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), stich());

    dialogs.expect(QStringLiteral("Bitte verwenden Sie nur Buchstaben und Zahlen als Stichworte"), Answer::Ok);
    QTest::mouseClick(ausgrid()->viewport(), Qt::LeftButton, {}, spaghetti);
    QCoreApplication::processEvents();
    dialogs.verify();
    EXPECT_EQ(reznam()->text(), QStringLiteral("Spaghetti mit Tomatensauce"));
    EXPECT_EQ(highlighted(ausgrid()), QStringLiteral("Spaghetti mit Tomatensauce"));
    EXPECT_EQ(stich()->text(), stichText(db(), 6));
    EXPECT_EQ(stichText(db(), 14), keywords);

    // Keywords typed now are the clicked recipe's.
    focus(stich());
    stich()->selectAll();
    QTest::keyClicks(stich(), QStringLiteral("Nudeln"));
    focus(ausgrid());
    EXPECT_EQ(stichText(db(), 6), QStringLiteral("Nudeln"));
    EXPECT_EQ(stichText(db(), 14), keywords);
}

}  // namespace
}  // namespace kv::test
