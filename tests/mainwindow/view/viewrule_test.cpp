// The main window shows what the user chose and keeps what the user typed: the view
// follows every move of the two lists, and typed text survives the window's close box.

#include "core/mainmod.h"
#include "core/rezsource.h"
#include "mainwindow/neu_auswahl.h"
#include "mainwindow/neu_menue.h"
#include "mainwindow/neu_portion.h"
#include "platform/ui/windows.h"
#include "tests/mainwindow/startedprogram.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

namespace kv::test {
namespace {

using ui::Answer;

class ViewRule : public StartedProgram {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(start());
        hm->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(hm));
    }

    void focus(QWidget* w)
    {
        w->setFocus(Qt::OtherFocusReason);
        QCoreApplication::processEvents();
    }
    QString text(const QString& sql) { return db().scalar(sql).toString(); }
    QString highlighted(QTableView* grid)
    {
        const QModelIndex i = grid->currentIndex();
        return i.isValid() ? grid->model()->index(i.row(), 0).data().toString() : QString();
    }
    void newList(const QString& name)
    {
        button("neuaus")->click();
        auto* d = ui::WindowRegistry::instance<NeuAuswahl>(QStringLiteral("neu_auswahl"));
        QTest::keyClicks(control<QLineEdit>(d, "aname"), name);
        control<QPushButton>(d, "start")->click();
    }
    void newMenu(const QString& name)
    {
        button("neuaus")->click();
        auto* d = ui::WindowRegistry::instance<NeuMenue>(QStringLiteral("neu_menue"));
        QTest::keyClicks(control<QLineEdit>(d, "aname"), name);
        control<QPushButton>(d, "start")->click();
    }
};

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

}  // namespace
}  // namespace kv::test
