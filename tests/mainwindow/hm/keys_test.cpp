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

}  // namespace
}  // namespace kv::test
