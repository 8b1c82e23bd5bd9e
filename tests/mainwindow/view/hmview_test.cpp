// The recipe view and the selection-list panel of the main window on the delivered
// cookbook, started the way the program starts.

#include "core/cookbookdb.h"
#include "core/mainmod.h"
#include "mainwindow/hm.h"
#include "mainwindow/neu_auswahl.h"
#include "mainwindow/neu_menue.h"
#include "mainwindow/neu_portion.h"
#include "mainwindow/recipeview.h"
#include "platform/ui/closinghooks.h"
#include "platform/ui/windows.h"
#include "tests/mainwindow/startedprogram.h"

#include <gtest/gtest.h>

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

const QString kVonNichts = QStringLiteral("Von nichts kommt nichts.");
const QString kZuViel = QStringLiteral("Wer soll das alles essen ?");

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

    QString cell(int row, int column) { return zutgrid()->model()->index(row, column).data().toString(); }

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

TEST_F(HmView, RecipeShowsItsIngredientsScaledToTheServings)
{
    showRecipe(9);  // Kaiserschmarrn, written for 2
    EXPECT_EQ(reznam()->text(), QStringLiteral("Kaiserschmarrn"));
    ASSERT_EQ(zutgrid()->model()->rowCount(), 11);
    EXPECT_EQ(cell(0, 0), QString());
    EXPECT_EQ(cell(0, 1), QString());
    EXPECT_EQ(cell(0, 3), QStringLiteral("Für den Teig"));
    EXPECT_EQ(cell(1, 0), QStringLiteral("1"));
    EXPECT_EQ(cell(1, 2), QStringLiteral("l"));
    EXPECT_EQ(amount(QStringLiteral("Milch")), QStringLiteral("2/3"));
    EXPECT_EQ(amount(QStringLiteral("Eier")), QStringLiteral("6"));
    EXPECT_EQ(amount(QStringLiteral("Apfelmus")), QString());
    EXPECT_TRUE(zub()->toPlainText().startsWith(QStringLiteral("Die Eier trennen.")));
    EXPECT_EQ(stich()->text(), QStringLiteral("schnell"));
    EXPECT_EQ(komgrid()->currentIndex(), -1);

    click(button("plus"));
    EXPECT_EQ(port()->text(), QStringLiteral("5"));
    EXPECT_EQ(label("zpers")->text(), QStringLiteral("Z u t a t e n   f ü r   5   P o r t i o n e n  :"));
    EXPECT_EQ(amount(QStringLiteral("Milch")), QStringLiteral("0,83"));
    for (int i = 0; i < 3; ++i) click(button("minus"));
    EXPECT_EQ(port()->text(), QStringLiteral("2"));
    EXPECT_EQ(amount(QStringLiteral("Milch")), QStringLiteral("1/3"));
    click(button("minus"));
    click(button("minus"));
    EXPECT_EQ(port()->text(), QStringLiteral("1"));
    EXPECT_EQ(amount(QStringLiteral("Milch")), QStringLiteral("0,16"));

    showRecipe(3);  // Rinderrouladen, with a comment
    EXPECT_EQ(komgrid()->currentText(), QStringLiteral("Familienrezept"));
    EXPECT_EQ(amount(QStringLiteral("Rinderrouladen (je etwa 180 g)")), QStringLiteral("1"));
}

TEST_F(HmView, ServingsDialogHandsItsNumberToTheMainWindow)
{
    showRecipe(9);
    dialogs.expectModal(QStringLiteral("neu_portion"), [] {
        auto* d = ui::WindowRegistry::instance<NeuPortion>(QStringLiteral("neu_portion"));
        d->show();
        for (const char* typed : {"0", "40000", "6"}) {
            QTest::keyClicks(control<QLineEdit>(d, "port"), QString::fromLatin1(typed));
            control<QPushButton>(d, "start")->click();
        }
        return 1;
    });
    dialogs.expect(kVonNichts, Answer::Ok).withTitle(QStringLiteral(" "));
    dialogs.expect(kZuViel, Answer::Ok).withTitle(QStringLiteral(" "));
    click(button("mehr"));
    dialogs.verify();
    EXPECT_EQ(port()->text(), QStringLiteral("6"));
    EXPECT_EQ(label("zpers")->text(), QStringLiteral("Z u t a t e n   f ü r   6   P o r t i o n e n  :"));
    EXPECT_EQ(amount(QStringLiteral("Milch")), QStringLiteral("1"));
}

TEST_F(HmView, ServingsStayWithinTheirRange)
{
    showRecipe(9);
    port()->setText(QStringLiteral("32767"));
    click(button("plus"));
    EXPECT_EQ(port()->text(), QStringLiteral("32767"));
    port()->setText(QStringLiteral("6"));
    click(button("plus"));
    EXPECT_EQ(port()->text(), QStringLiteral("7"));
    // A wrong text is reported and the box goes back to the last valid number.
    port()->setText(QStringLiteral("vier"));
    dialogs.expect(QStringLiteral("Bitte geben Sie die Zahl der Portionen"), Answer::Ok).withTitle(QStringLiteral(" "));
    click(button("plus"));
    dialogs.verify();
    EXPECT_EQ(port()->text(), QStringLiteral("7"));
    EXPECT_EQ(amount(QStringLiteral("Eier")), QStringLiteral("10 1/2"));
    port()->setText(QStringLiteral("0"));
    dialogs.expect(kVonNichts, Answer::Ok);
    click(button("minus"));
    dialogs.verify();
    EXPECT_EQ(port()->text(), QStringLiteral("7"));
}

TEST_F(HmView, PreparationIsSavedOnLeavingOnlyAfterTyping)
{
    showRecipe(2);
    const QString before = text(QStringLiteral("select ztext from zubereit where rid=2"));
    db().execute(QStringLiteral("update zubereit set ztext='anders' where rid=2"));
    // The text the program wrote is not saved back.
    focus(zub());
    focus(stich());
    EXPECT_EQ(text(QStringLiteral("select ztext from zubereit where rid=2")), QStringLiteral("anders"));

    focus(zub());
    zub()->moveCursor(QTextCursor::End);
    QTest::keyClicks(zub(), QStringLiteral(" Frisch."));
    EXPECT_EQ(text(QStringLiteral("select ztext from zubereit where rid=2")), QStringLiteral("anders"));
    focus(rezgrid());
    EXPECT_EQ(text(QStringLiteral("select ztext from zubereit where rid=2")), before + QStringLiteral(" Frisch."));

    // A recipe without a preparation row gets one.
    db().execute(QStringLiteral("delete from zubereit where rid=5"));
    showRecipe(5);
    EXPECT_TRUE(zub()->toPlainText().isEmpty());
    focus(zub());
    QTest::keyClicks(zub(), QStringLiteral("Neu"));
    focus(rezgrid());
    EXPECT_EQ(text(QStringLiteral("select ztext from zubereit where rid=5")), QStringLiteral("Neu"));
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

TEST_F(HmView, KeywordsAreSavedOnLeavingOnlyAfterTyping)
{
    showRecipe(1);
    focus(stich());
    focus(rezgrid());
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezstich where rid=1")), 3);

    showRecipe(2);
    focus(stich());
    stich()->selectAll();
    QTest::keyClicks(stich(), QStringLiteral("Sommer, Picknick"));
    focus(rezgrid());
    EXPECT_EQ(stichText(db(), 2), QStringLiteral("Sommer, Picknick"));
    EXPECT_EQ(count(QStringLiteral("select count(*) from stichworte where stichwort='Picknick' and ebene=1")), 1);
}

TEST_F(HmView, TypedCommentBecomesANewCommentOfTheRecipe)
{
    showRecipe(2);
    focus(komgrid());
    QTest::keyClicks(komgrid()->lineEdit(), QStringLiteral("Lieblingsrezept"));
    focus(rezgrid());
    EXPECT_EQ(text(QStringLiteral("select komment from komment where komid=3")), QStringLiteral("Lieblingsrezept"));
    EXPECT_EQ(count(QStringLiteral("select komid from rezepte where rid=2")), 3);
    EXPECT_EQ(komgrid()->currentText(), QStringLiteral("Lieblingsrezept"));
    EXPECT_EQ(komgrid()->currentData().toInt(), 3);

    // Choosing a comment from the list.
    focus(komgrid());
    const int i = komgrid()->findText(QStringLiteral("gelingt immer"));
    komgrid()->setCurrentIndex(i);
    emit komgrid()->activated(i);
    focus(rezgrid());
    EXPECT_EQ(count(QStringLiteral("select komid from rezepte where rid=2")), 2);

    // Clearing the text removes the comment.
    focus(komgrid());
    komgrid()->lineEdit()->selectAll();
    QTest::keyClick(komgrid()->lineEdit(), Qt::Key_Backspace);
    focus(rezgrid());
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte where rid=2 and komid is null")), 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from komment")), 4);
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

TEST_F(HmView, EditsGoToTheRecipeTheViewShowsFromASelectionList)
{
    showRecipe(1);
    const int row = rowOf(ausgrid(), QStringLiteral("Spaghetti mit Tomatensauce"));
    ASSERT_GE(row, 0);
    pickRow(ausgrid(), row);
    EXPECT_EQ(reznam()->text(), QStringLiteral("Spaghetti mit Tomatensauce"));
    EXPECT_EQ(amount(QStringLiteral("Spaghetti")), QStringLiteral("500"));

    const QString soup = text(QStringLiteral("select ztext from zubereit where rid=1"));
    focus(zub());
    QTest::keyClicks(zub(), QStringLiteral("Al dente. "));
    focus(stich());
    QTest::keyClicks(stich(), QStringLiteral(", Sommer"));
    focus(ausgrid());
    EXPECT_TRUE(text(QStringLiteral("select ztext from zubereit where rid=6")).startsWith(QStringLiteral("Al dente. ")));
    EXPECT_EQ(text(QStringLiteral("select ztext from zubereit where rid=1")), soup);
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezstich where rid=6 and sid=9")), 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezstich where rid=1")), 3);
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

    port()->setText(QStringLiteral("zwei"));
    dialogs.expect(QStringLiteral("Bitte geben Sie die Zahl der Portionen"), Answer::Ok);
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
    click(button("neuaus"));
    auto* dialog = ui::WindowRegistry::instance<NeuAuswahl>(QStringLiteral("neu_auswahl"));
    QTest::keyClicks(control<QLineEdit>(dialog, "aname"), QStringLiteral("Grillabend"));
    control<QPushButton>(dialog, "start")->click();
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
    dialogs.expect(QStringLiteral("Wollen Sie die Auswahl Grillabend löschen ?"), Answer::Yes)
        .withTitle(QStringLiteral(" "))
        .withStyle(ui::YesNo);
    click(button("loeschsel"));
    dialogs.verify();
    EXPECT_EQ(count(QStringLiteral("select count(*) from auswahlen where aid=%1").arg(aid)), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinaus where aid=%1").arg(aid)), 0);
    EXPECT_EQ(korbgrid()->currentText(), QStringLiteral("Schnellauswahl"));
    EXPECT_EQ(ausgrid()->model()->rowCount(), 2);

    const QString quick =
        QStringLiteral("Die Schnellauswahl kann nicht gelöscht werden. Möchten Sie sie stattdessen leeren ?");
    dialogs.expect(quick, Answer::No);
    click(button("loeschsel"));
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinaus where aid=1")), 2);
    dialogs.expect(quick, Answer::Yes).withTitle(QStringLiteral(" ")).withStyle(ui::YesNo);
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
    EXPECT_EQ(label("ausw")->text(), QStringLiteral("M e n ü s :"));
    EXPECT_EQ(label("zubt")->text(), QStringLiteral("B e s c h r e i b u n g :"));
    EXPECT_FALSE(korbgrid()->isVisible());
    EXPECT_FALSE(zutgrid()->isVisible());
    EXPECT_TRUE(menugrid()->isVisible());
    ASSERT_EQ(ausgrid()->model()->rowCount(), 1);
    pickRow(ausgrid(), 0);
    focus(ausgrid());
    EXPECT_EQ(reznam()->text(), QStringLiteral("Sonntagsessen im Herbst"));
    EXPECT_TRUE(zub()->toPlainText().startsWith(QStringLiteral("Vorweg die Kartoffelsuppe")));
    EXPECT_EQ(menugrid()->model()->rowCount(), 2);

    // The description is the menu's.
    focus(zub());
    zub()->selectAll();
    QTest::keyClicks(zub(), QStringLiteral("Herbstlich"));
    focus(ausgrid());
    EXPECT_EQ(text(QStringLiteral("select mbesch from menues where mid=1")), QStringLiteral("Herbstlich"));

    ASSERT_TRUE(rez()->recordset()->findFirst(QStringLiteral("rid=7")));
    click(button("eininaus"));
    EXPECT_EQ(count(QStringLiteral("select nr from rezinmen where mid=1 and rid=7")), 3);
    EXPECT_EQ(menugrid()->model()->rowCount(), 3);

    pickRow(ausgrid(), 0);
    QTest::keyClick(ausgrid(), Qt::Key_Delete);
    EXPECT_EQ(count(QStringLiteral("select count(*) from menues")), 0);
    // Deleting a menu leaves its dishes; the grid no longer shows them.
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinmen")), 0);
    EXPECT_EQ(menugrid()->model()->rowCount(), 0);

    dialogs.expect(QStringLiteral("Es ist kein Menü ausgewählt"), Answer::Ok).withTitle(QStringLiteral(" K E L V O R"));
    click(button("eininaus"));
    dialogs.verify();

    click(button("neuaus"));
    auto* dialog = ui::WindowRegistry::instance<NeuMenue>(QStringLiteral("neu_menue"));
    QTest::keyClicks(control<QLineEdit>(dialog, "aname"), QStringLiteral("Brunch"));
    control<QPushButton>(dialog, "start")->click();
    EXPECT_EQ(rowOf(ausgrid(), QStringLiteral("Brunch")), 0);

    click(button("men4"));
    EXPECT_EQ(label("men4t")->text(), QStringLiteral("M e n ü"));
    EXPECT_TRUE(korbgrid()->isVisible());
    EXPECT_EQ(korbgrid()->currentText(), QStringLiteral("Schnellauswahl"));
    EXPECT_EQ(ausgrid()->model()->rowCount(), 2);
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
    focus(rezgrid());
    EXPECT_EQ(text(QStringLiteral("select ztext from zubereit where rid=%1").arg(rid)),
              preparation + QStringLiteral(" Heiß servieren."));
    EXPECT_EQ(text(QStringLiteral("select mbesch from menues where mid=1")), description + QStringLiteral(" Dazu Wein."));
}

TEST_F(HmView, AListDeletedInMenuModeLeavesTheMenusOnScreen)
{
    click(button("neuaus"));
    auto* dialog = ui::WindowRegistry::instance<NeuAuswahl>(QStringLiteral("neu_auswahl"));
    QTest::keyClicks(control<QLineEdit>(dialog, "aname"), QStringLiteral("Grillabend"));
    control<QPushButton>(dialog, "start")->click();
    ASSERT_EQ(korbgrid()->currentText(), QStringLiteral("Grillabend"));

    click(button("men4"));
    dialogs.expect(QStringLiteral("Wollen Sie die Auswahl Grillabend löschen ?"), Answer::Yes);
    click(button("loeschsel"));
    dialogs.verify();
    EXPECT_EQ(count(QStringLiteral("select count(*) from auswahlen")), 1);
    EXPECT_EQ(rowOf(ausgrid(), QStringLiteral("Sonntagsessen im Herbst")), 0);

    click(button("men4"));
    EXPECT_EQ(korbgrid()->currentText(), QStringLiteral("Schnellauswahl"));
    EXPECT_EQ(ausgrid()->model()->rowCount(), 2);
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

}  // namespace
}  // namespace kv::test
