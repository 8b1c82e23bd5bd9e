// Two programs on one cookbook: the other deletes a recipe that this one still shows or
// lists, and every write this one then makes for that recipe writes nothing, says so in
// one sentence and keeps what the user typed. The lists drop the recipe once the view
// leaves it.

#include "core/mainmod.h"
#include "core/settings.h"
#include "mainwindow/editor_window.h"
#include "printing/handoverdb.h"
#include "tests/mainwindow/startedprogram.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>
#include <QToolButton>

namespace kv::test {
namespace {

using ui::Answer;

const QString kGone = QStringLiteral(
    "Das Rezept wurde inzwischen gelöscht, wohl von einem anderen Kelvor, das dasselbe Kochbuch geöffnet hat.");
constexpr qint64 kSpaghetti = 6;  // in the quick list, in no menu

class DeletedElsewhere : public StartedProgram {
protected:
    // Titles are edited in the list, as the setting allows after the first start.
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(start());
        shutDown();
        savereg(reg::aenderrezept, QStringLiteral("on"));
        ASSERT_NO_FATAL_FAILURE(launch());
        hm->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(hm));
        focus(rezgrid());
        ASSERT_TRUE(rez()->recordset()->findFirst(QStringLiteral("rid=%1").arg(kSpaghetti)));
        ASSERT_EQ(hm->shownRecipe(), kSpaghetti);
        // Opened after this program's connection, which the Data controls bind to.
        other = db::Database::open(cookbook().name());
        ASSERT_EQ(orphans(), QStringList());
        made = madeRows();
        handedOver = handOverRows();
    }

    void TearDown() override
    {
        other.reset();
        StartedProgram::TearDown();
    }

    void focus(QWidget* w)
    {
        w->setFocus(Qt::OtherFocusReason);
        QCoreApplication::processEvents();
    }

    // The other program deletes the recipe with all its rows.
    void deleteElsewhere(qint64 rid) { deleteRecipes(*other, {rid}); }

    // Each table that names a recipe, with its rows of recipes that are not there.
    QStringList orphans()
    {
        QStringList found;
        for (const QString& table : reztabellen) {
            const qint64 n = count(QStringLiteral("select count(*) from %1 where rid not in (select rid from rezepte)")
                                       .arg(table));
            if (n) found << QStringLiteral("%1: %2").arg(table).arg(n);
        }
        return found;
    }
    // The rows a write could make besides a recipe's own: comments, keywords and their
    // pairs, ingredient names, units, imported files, lists and menus.
    QStringList madeRows()
    {
        QStringList rows;
        for (const char* table :
             {"komment", "stichworte", "substich", "zutindex", "einheiten", "importdateien", "auswahlen", "menues"})
            rows << QStringLiteral("%1: %2").arg(QLatin1String(table)).arg(count(QStringLiteral("select count(*) from %1")
                                                                                     .arg(QLatin1String(table))));
        return rows;
    }
    QString handOverRows()
    {
        return printHandover()
            .db()
            .scalar(QStringLiteral("select count(*)||'/'||coalesce(group_concat(distinct rid),'') from [rep-korbliste]"))
            .toString();
    }
    void expectNothingWritten()
    {
        EXPECT_EQ(orphans(), QStringList());
        EXPECT_EQ(madeRows(), made);
        EXPECT_EQ(handOverRows(), handedOver);
    }

    void expectGone() { dialogs.expect(kGone, Answer::Ok).withTitle(QStringLiteral(" ")); }

    int rowOf(QTableView* grid, const QString& title)
    {
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            if (grid->model()->index(r, 0).data().toString() == title) return r;
        return -1;
    }
    QStringList listed()
    {
        QStringList titles;
        for (int r = 0; r < rezgrid()->model()->rowCount(); ++r)
            titles << rezgrid()->model()->index(r, 0).data().toString();
        return titles;
    }

    std::unique_ptr<db::Database> other;
    QStringList made;
    QString handedOver;
};

TEST_F(DeletedElsewhere, EveryWriteOfTheViewAndThePanelWritesNothingAndKeepsWhatWasTyped)
{
    const QString spaghetti = reznam()->text();
    const QString preparation = zub()->toPlainText();
    // The print window holds the quick list; the user comes back to the main window.
    button("druckaus")->click();
    handedOver = handOverRows();
    ui::WindowRegistry::get(QStringLiteral("print_rezept"))->hide();
    hm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(hm));
    deleteElsewhere(kSpaghetti);

    // The preparation.
    focus(zub());
    zub()->moveCursor(QTextCursor::End);
    QTest::keyClicks(zub(), QStringLiteral(" Mit Parmesan."));
    expectGone();
    focus(stich());
    dialogs.verify();
    EXPECT_EQ(zub()->toPlainText(), preparation + QStringLiteral(" Mit Parmesan."));

    // The keywords: no keyword is made for the recipe that is gone.
    stich()->selectAll();
    QTest::keyClicks(stich(), QStringLiteral("Nudeln, Resteessen"));
    expectGone();
    focus(komgrid());
    dialogs.verify();
    EXPECT_EQ(stich()->text(), QStringLiteral("Nudeln, Resteessen"));

    // A comment typed: no comment is made.
    QTest::keyClicks(komgrid()->lineEdit(), QStringLiteral("fuer Gaeste"));
    expectGone();
    focus(rezgrid());
    dialogs.verify();
    EXPECT_EQ(komgrid()->currentText(), QStringLiteral("fuer Gaeste"));

    // A comment chosen.
    focus(komgrid());
    const int i = komgrid()->findText(QStringLiteral("gelingt immer"));
    komgrid()->setCurrentIndex(i);
    expectGone();
    emit komgrid()->activated(i);
    dialogs.verify();
    focus(rezgrid());

    // Leaving the boxes again says nothing more: nothing is left to save.
    focus(zub());
    focus(rezgrid());

    // Into the quick list, the title in the list, the entry's servings in the list, the
    // recipe print and the editor.
    expectGone();
    button("eininaus")->click();
    expectGone();
    const QModelIndex title = rezgrid()->currentIndex();
    EXPECT_FALSE(rezgrid()->model()->setData(title.siblingAtColumn(0), QStringLiteral("Nudeln"), Qt::EditRole));
    const int entry = rowOf(ausgrid(), spaghetti);
    ASSERT_GE(entry, 0);
    expectGone();
    EXPECT_FALSE(ausgrid()->model()->setData(ausgrid()->model()->index(entry, 1), 8, Qt::EditRole));
    expectGone();
    button("druckrez")->click();
    expectGone();
    button("editrez")->click();
    dialogs.verify();
    EXPECT_FALSE(ui::WindowRegistry::get(QStringLiteral("neu_rezept"))->isVisible());

    expectNothingWritten();
    // The view still shows the recipe and what was typed for it; the list still holds it.
    EXPECT_EQ(reznam()->text(), spaghetti);
    EXPECT_EQ(zub()->toPlainText(), preparation + QStringLiteral(" Mit Parmesan."));
    EXPECT_EQ(stich()->text(), QStringLiteral("Nudeln, Resteessen"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(listed().contains(spaghetti));

    // Leaving the recipe reads the lists again: the recipe and its entry are gone from them.
    rezgrid()->setCurrentIndex(rezgrid()->model()->index(0, 0));
    const QString first = reznam()->text();
    ASSERT_NE(first, spaghetti);
    QCoreApplication::processEvents();
    EXPECT_FALSE(listed().contains(spaghetti));
    EXPECT_EQ(rezgrid()->model()->rowCount(), count(QStringLiteral("select count(*) from rezepte")));
    EXPECT_EQ(rezzahl()->text(), formatCount(count(QStringLiteral("select count(*) from rezepte"))));
    EXPECT_EQ(rowOf(ausgrid(), spaghetti), -1);
    EXPECT_EQ(reznam()->text(), first) << "the view stays on the recipe chosen";
    EXPECT_EQ(hm->shownRecipe(), rez()->recordset()->value(QStringLiteral("rid")).toLongLong());
    expectNothingWritten();
}

TEST_F(DeletedElsewhere, TheEditorsSaveWritesNothingAndKeepsAllItHolds)
{
    button("editrez")->click();
    auto* editor = ui::WindowRegistry::instance<NeuRezept>(QStringLiteral("neu_rezept"));
    ASSERT_TRUE(editor->isVisible());
    deleteElsewhere(kSpaghetti);

    auto* name = control<QLineEdit>(editor, "reznam");
    name->setText(QStringLiteral("Spaghetti wie bei Oma"));
    control<QLineEdit>(editor, "stich")->setText(QStringLiteral("Nudeln, Familienessen"));
    auto* preparation = control<QPlainTextEdit>(editor, "zub");
    preparation->setPlainText(QStringLiteral("Alles neu."));
    expectGone();
    control<QToolButton>(editor, "saveedit")->click();
    dialogs.verify();

    expectNothingWritten();
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte where rname='Spaghetti wie bei Oma'")), 0);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(name->text(), QStringLiteral("Spaghetti wie bei Oma"));
    EXPECT_EQ(preparation->toPlainText(), QStringLiteral("Alles neu."));
    EXPECT_GT(count(QStringLiteral("select count(*) from editzutat")), 0) << "the lines stay in the editor";
}

TEST_F(DeletedElsewhere, AddingToAMenuWritesNothingAndTheListDropsTheRecipeAtOnce)
{
    const QString spaghetti = reznam()->text();
    button("men4")->click();  // the view shows the menu; the list stays on the recipe
    deleteElsewhere(kSpaghetti);
    expectGone();
    button("eininaus")->click();
    dialogs.verify();
    expectNothingWritten();
    // Not shown in the view, the recipe leaves the list at once.
    QCoreApplication::processEvents();
    EXPECT_FALSE(listed().contains(spaghetti));
    EXPECT_EQ(reznam()->text(), QStringLiteral("Sonntagsessen im Herbst"));
}

}  // namespace
}  // namespace kv::test
