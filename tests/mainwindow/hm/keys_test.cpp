// The main window and the editor worked with the keyboard and the mouse, on the started
// program: Tab goes from control to control and types nothing, the keys that move a list
// move its highlight along, and a click on a list always shows the entry clicked.

#include "mainwindow/editor_window.h"
#include "mainwindow/recipeview.h"
#include "platform/ui/windows.h"
#include "tests/mainwindow/startedprogram.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QItemSelectionModel>
#include <QTest>

namespace kv::test {
namespace {

class Keys : public StartedProgram {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(start());
        hm->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(hm));
    }

    QString text(const QString& sql) { return db().scalar(sql).toString(); }

    void focus(QWidget* w)
    {
        w->activateWindow();
        w->setFocus(Qt::OtherFocusReason);
        QCoreApplication::processEvents();
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
        QCoreApplication::processEvents();
    }
    // The control the focus is in, by its name; the line of an editable combo is the combo.
    QString focused()
    {
        for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
            if (!w->objectName().isEmpty() && !w->objectName().startsWith(u"qt_")) return w->objectName();
        return {};
    }

    int rowOf(QTableView* grid, const QString& title)
    {
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            if (grid->model()->index(r, 0).data().toString() == title) return r;
        ADD_FAILURE() << "no row " << title.toStdString();
        return -1;
    }
    QString current(QTableView* grid) { return grid->currentIndex().siblingAtColumn(0).data().toString(); }
    // The rows the list shows highlighted.
    QStringList highlighted(QTableView* grid)
    {
        QStringList titles;
        for (const QModelIndex& i : grid->selectionModel()->selectedRows()) titles << i.data().toString();
        return titles;
    }
    // The key moves the list to another row, highlighted and shown, and keeps the focus.
    void expectMoved(QTableView* grid, Qt::Key key, Qt::KeyboardModifiers modifiers, const char* name)
    {
        SCOPED_TRACE(name);
        const QString before = current(grid);
        press(key, modifiers);
        EXPECT_EQ(focused(), grid->objectName());
        EXPECT_NE(current(grid), before);
        EXPECT_EQ(highlighted(grid), QStringList{current(grid)});
        EXPECT_EQ(reznam()->text(), current(grid));
    }
    // The user moves the mouse onto an entry and clicks it.
    void clickEntry(QTableView* grid, const QString& title)
    {
        const QModelIndex index = grid->model()->index(rowOf(grid, title), 0);
        grid->scrollTo(index);
        const QPoint point = grid->visualRect(index).center();
        QTest::mouseMove(grid->viewport(), point);
        QCoreApplication::processEvents();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, point);
        QCoreApplication::processEvents();
    }
};

// Tab typed into the preparation would stand there unseen and be stored with the text.
TEST_F(Keys, TabAndShiftTabLeaveThePreparationBoxesAndTheTextStaysAsItWas)
{
    clickEntry(rezgrid(), QStringLiteral("Kaiserschmarrn"));
    const QString stored = text(QStringLiteral("select ztext from zubereit where rid=9"));
    ASSERT_EQ(zub()->toPlainText(), stored);
    focus(zub());
    press(Qt::Key_Tab);
    EXPECT_EQ(focused(), QStringLiteral("komgrid"));
    focus(zub());
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focused(), QStringLiteral("stich"));
    EXPECT_EQ(zub()->toPlainText(), stored);
    EXPECT_EQ(text(QStringLiteral("select ztext from zubereit where rid=9")), stored);

    // The editor's preparation box, and what its save stores.
    button("editrez")->click();
    auto* editor = ui::WindowRegistry::instance<NeuRezept>(QStringLiteral("neu_rezept"));
    ASSERT_TRUE(editor->isVisible());
    auto* box = control<QPlainTextEdit>(editor, "zub");
    ASSERT_EQ(box->toPlainText(), stored);
    focus(box);
    press(Qt::Key_Tab);
    EXPECT_EQ(focused(), QStringLiteral("stich"));
    focus(box);
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_NE(QApplication::focusWidget(), box);
    EXPECT_EQ(box->toPlainText(), stored);
    control<QToolButton>(editor, "saveedit")->click();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(text(QStringLiteral("select ztext from zubereit where rid=9")), stored);
}

// From the list after the start, Tab reaches every control of the window that takes the
// focus, column by column from the top, and comes round to the list again.
TEST_F(Keys, TabLeavesTheRecipeListAndWalksTheWindowInReadingOrder)
{
    clickEntry(rezgrid(), QStringLiteral("Kaiserschmarrn"));
    ASSERT_EQ(focused(), QStringLiteral("rezgrid"));
    press(Qt::Key_Tab);
    EXPECT_EQ(focused(), QStringLiteral("loeschaus"));
    // A flat button shows the focus along its edge, in the highlight colour.
    const QImage drawn = button("loeschaus")->grab().toImage();
    EXPECT_EQ(drawn.pixelColor(1, drawn.height() / 2), button("loeschaus")->palette().color(QPalette::Highlight));
    EXPECT_EQ(reznam()->text(), QStringLiteral("Kaiserschmarrn"));
    EXPECT_EQ(highlighted(rezgrid()), QStringList{QStringLiteral("Kaiserschmarrn")});

    const QStringList readingOrder = {
        QStringLiteral("makevoll"), QStringLiteral("rubmodechange"), QStringLiteral("katgrid"),
        QStringLiteral("rezgrid"), QStringLiteral("loeschaus"), QStringLiteral("korbgrid"), QStringLiteral("men4"),
        QStringLiteral("ausgrid"), QStringLiteral("eininaus"), QStringLiteral("auswahlalle"), QStringLiteral("neuaus"),
        QStringLiteral("loeschsel"), QStringLiteral("reznam"), QStringLiteral("minus"), QStringLiteral("port"),
        QStringLiteral("plus"), QStringLiteral("mehr"), QStringLiteral("zutgrid"), QStringLiteral("stich"),
        QStringLiteral("zub"), QStringLiteral("komgrid"), QStringLiteral("druckrez"), QStringLiteral("druckaus"),
        QStringLiteral("einkauf"), QStringLiteral("editrez"), QStringLiteral("neurez"), QStringLiteral("export"),
        QStringLiteral("kelvorlogo"), QStringLiteral("men1"), QStringLiteral("men2"), QStringLiteral("men3"),
        QStringLiteral("men5"), QStringLiteral("men6"), QStringLiteral("men7"), QStringLiteral("loadkoch"),
        QStringLiteral("hilf")};
    QStringList walked{focused()};
    for (int i = 0; i < readingOrder.size(); ++i) {
        press(Qt::Key_Tab);
        walked << focused();
    }
    const qsizetype start = readingOrder.indexOf(QStringLiteral("loeschaus"));
    EXPECT_EQ(walked, readingOrder.mid(start) + readingOrder.mid(0, start + 1));

    focus(rezgrid());
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focused(), QStringLiteral("katgrid"));

    // A button the focus is on is pressed with Space.
    focus(rezgrid());
    while (focused() != QStringLiteral("eininaus") && walked.size() < 100) {
        press(Qt::Key_Tab);
        walked << focused();
    }
    ASSERT_EQ(focused(), QStringLiteral("eininaus"));
    press(Qt::Key_Space);
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinaus where aid=1 and rid=9")), 1);
}

// The row the list stands on is the one highlighted and the one on view, whichever key moved it.
TEST_F(Keys, KeysThatMoveAListMoveItsHighlightAndTheViewTogether)
{
    clickEntry(rezgrid(), QStringLiteral("Kaiserschmarrn"));
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* name;
    } moves[] = {
        {Qt::Key_Tab, Qt::ControlModifier, "Ctrl+Tab"},
        {Qt::Key_Down, Qt::NoModifier, "Down"},
        {Qt::Key_Down, Qt::ControlModifier, "Ctrl+Down"},
        {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, "Ctrl+Shift+Tab"},
        {Qt::Key_Up, Qt::ControlModifier, "Ctrl+Up"},
        {Qt::Key_PageDown, Qt::ControlModifier, "Ctrl+PageDown"},
        {Qt::Key_PageUp, Qt::NoModifier, "PageUp"},
        {Qt::Key_End, Qt::ControlModifier, "Ctrl+End"},
        {Qt::Key_Home, Qt::NoModifier, "Home"},
    };
    for (const auto& move : moves) expectMoved(rezgrid(), move.key, move.modifiers, move.name);

    // The selection list, its two entries.
    clickEntry(ausgrid(), QStringLiteral("Kartoffelsuppe mit Majoran"));
    for (const auto& move : {moves[0], moves[4], moves[2]}) expectMoved(ausgrid(), move.key, move.modifiers, move.name);
}

// A name typed into the selection list is finished by Tab like any other box: it is stored,
// and the focus goes on instead of into the next entry.
TEST_F(Keys, TabFinishesANameTypedIntoTheSelectionListAndLeavesIt)
{
    clickEntry(ausgrid(), QStringLiteral("Spaghetti mit Tomatensauce"));
    press(Qt::Key_F2);
    press(Qt::Key_End);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral(" al dente"));
    press(Qt::Key_Tab);
    EXPECT_EQ(focused(), QStringLiteral("eininaus"));
    EXPECT_EQ(text(QStringLiteral("select rname from rezinaus where aid=1 and rid=6")),
              QStringLiteral("Spaghetti mit Tomatensauce al dente"));
    EXPECT_EQ(current(ausgrid()), QStringLiteral("Spaghetti mit Tomatensauce al dente"));
}

// The view shows the entry clicked even when its list already stood on it, and what is
// typed then is that recipe's.
TEST_F(Keys, AClickOnTheRowAListStandsOnShowsThatEntry)
{
    const QString keywords = stichText(db(), 9);
    const QString spaghetti = stichText(db(), 6);
    clickEntry(rezgrid(), QStringLiteral("Kaiserschmarrn"));
    EXPECT_EQ(reznam()->text(), QStringLiteral("Kaiserschmarrn"));
    clickEntry(ausgrid(), QStringLiteral("Spaghetti mit Tomatensauce"));
    EXPECT_EQ(reznam()->text(), QStringLiteral("Spaghetti mit Tomatensauce"));
    clickEntry(rezgrid(), QStringLiteral("Kaiserschmarrn"));
    EXPECT_EQ(reznam()->text(), QStringLiteral("Kaiserschmarrn"));
    EXPECT_EQ(stich()->text(), keywords);

    focus(stich());
    stich()->end(false);
    QTest::keyClicks(stich(), QStringLiteral(", Omas"));
    focus(rezgrid());
    EXPECT_EQ(stichText(db(), 9), keywords + QStringLiteral(", Omas"));
    EXPECT_EQ(stichText(db(), 6), spaghetti);

    // The selection list keeps the focus while the recipe list moves, as a search moves it.
    clickEntry(ausgrid(), QStringLiteral("Spaghetti mit Tomatensauce"));
    ASSERT_TRUE(rez()->recordset()->findFirst(QStringLiteral("rid=2")));
    ASSERT_EQ(reznam()->text(), QStringLiteral("Gurkensalat mit Dill"));
    ASSERT_EQ(focused(), QStringLiteral("ausgrid"));
    clickEntry(ausgrid(), QStringLiteral("Spaghetti mit Tomatensauce"));
    EXPECT_EQ(reznam()->text(), QStringLiteral("Spaghetti mit Tomatensauce"));
}

}  // namespace
}  // namespace kv::test
