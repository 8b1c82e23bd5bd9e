// The recipe editor and its units window on the started program: typing a recipe with
// the keys, the unit check, saving new and edited recipes, and what a failed save leaves.

#include "core/fraction.h"
#include "core/mainmod.h"
#include "core/rezsource.h"
#include "core/settings.h"
#include "mainwindow/editor_window.h"
#include "mainwindow/einheiten_window.h"
#include "mainwindow/panel.h"
#include "platform/paths.h"
#include "platform/ui/placement.h"
#include "platform/ui/windows.h"
#include "tests/mainwindow/startedprogram.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QScreen>
#include <QTest>
#include <QWindow>

namespace kv::test {
namespace {

using ui::Answer;

class Editor : public StartedProgram {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(start());
        hm->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(hm));
    }

    NeuRezept* editor() { return ui::WindowRegistry::instance<NeuRezept>(QStringLiteral("neu_rezept")); }
    Einheiten* units() { return ui::WindowRegistry::instance<Einheiten>(QStringLiteral("einheiten")); }
    QTableView* grid() { return control<QTableView>(editor(), "neugrid"); }
    QLineEdit* box(const char* name) { return control<QLineEdit>(editor(), name); }
    QComboBox* category() { return control<QComboBox>(editor(), "katgrid"); }
    QString text(const QString& sql) { return db().scalar(sql).toString(); }

    void focus(QWidget* w)
    {
        w->activateWindow();
        w->setFocus(Qt::OtherFocusReason);
        QCoreApplication::processEvents();
    }
    // Keys go where the focus is, as they do for a user: into the cell being edited.
    void type(const QString& keys)
    {
        QWidget* target = QApplication::focusWidget();
        // The key simulation knows Latin letters only; other letters arrive as typed text.
        auto* line = qobject_cast<QLineEdit*>(target);
        if (line && std::any_of(keys.begin(), keys.end(), [](QChar c) { return c.unicode() > 127; }))
            line->insert(keys);
        else
            QTest::keyClicks(target, keys);
        QCoreApplication::processEvents();
    }
    void press(Qt::Key key)
    {
        QTest::keyClick(QApplication::focusWidget(), key);
        QCoreApplication::processEvents();
    }
    QModelIndex at() { return grid()->currentIndex(); }
    // The user clicks into a cell and starts typing there; an empty cell left open by the
    // last Enter is closed first.
    void editCell(int row, int column)
    {
        focus(grid());
        if (QWidget* open = QApplication::focusWidget(); open && grid()->viewport()->isAncestorOf(open))
            press(Qt::Key_Escape);
        grid()->setCurrentIndex(grid()->model()->index(row, column));
        grid()->edit(at());
    }
    QString cell(int row, int column) { return grid()->model()->index(row, column).data().toString(); }
    void chooseCategory(const QString& name)
    {
        const int i = category()->findText(name);
        ASSERT_GE(i, 0) << name.toStdString();
        category()->setCurrentIndex(i);
    }
    void clickUnit(const QString& ename)
    {
        auto* list = control<QListWidget>(units(), "elist");
        for (int i = 0; i < list->count(); ++i) {
            if (list->item(i)->text().section(u'\t', 0, 0) != ename) continue;
            list->setCurrentRow(i);
            emit list->itemClicked(list->item(i));
            return;
        }
        ADD_FAILURE() << "no unit " << ename.toStdString();
    }
    // The keys of a line from the cell clicked on: "2", Tab, "EL", Tab, "Honig", Enter.
    void typeHoneyLineFrom(int column)
    {
        if (column <= 1) {
            type(QStringLiteral("2"));
            press(Qt::Key_Tab);
        }
        if (column <= 2) {
            type(QStringLiteral("EL"));
            press(Qt::Key_Tab);
        }
        type(QStringLiteral("Honig"));
        press(Qt::Key_Return);
    }
    // A double click as a window receives it from the system, the second press arriving as
    // the double click itself, with the program's own events run between the steps as they
    // are while a hand moves.
    void doubleClick(int row, int column)
    {
        const QModelIndex index = grid()->model()->index(row, column);
        grid()->scrollTo(index);
        QWidget* viewport = grid()->viewport();
        const QPoint point = grid()->visualRect(index).center();
        QTest::mouseMove(viewport, point);
        QTest::mousePress(viewport, Qt::LeftButton, {}, point);
        QCoreApplication::processEvents();
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, point);
        QCoreApplication::processEvents();
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, point);
        QCoreApplication::processEvents();
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, point);
        QCoreApplication::processEvents();
    }
    // The hand passing over a cell on its way to click it, as the window system reports it:
    // the grid takes the focus.
    void moveOver(int row, int column)
    {
        const QPoint point = grid()->visualRect(grid()->model()->index(row, column)).center();
        QTest::mouseMove(editor()->windowHandle(), grid()->viewport()->mapTo(editor(), point));
        QCoreApplication::processEvents();
    }
    void click(int row, int column)
    {
        QWidget* viewport = grid()->viewport();
        const QPoint point = grid()->visualRect(grid()->model()->index(row, column)).center();
        QTest::mousePress(viewport, Qt::LeftButton, {}, point);
        QCoreApplication::processEvents();
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, point);
        QCoreApplication::processEvents();
    }
    // A whole line typed with the keys, each cell finished with Enter.
    void typeLine(const QString& menge, const QString& einheit, const QString& zutat)
    {
        type(menge);
        press(Qt::Key_Return);
        type(einheit);
        press(Qt::Key_Return);
        type(zutat);
        press(Qt::Key_Return);
    }
};

TEST_F(Editor, ANewRecipeIsTypedWithTheKeysAndSaved)
{
    const qint64 recipes = count(QStringLiteral("select count(*) from rezepte"));
    button("neurez")->click();
    ASSERT_TRUE(editor()->isVisible());
    EXPECT_TRUE(units()->isVisible());
    focus(box("reznam"));
    type(QStringLiteral("Zwiebelkuchen"));
    chooseCategory(QStringLiteral("Gemüse"));

    // The first focus numbers the first line and waits in "Menge".
    focus(grid());
    EXPECT_EQ(cell(0, 0), QStringLiteral("1"));
    EXPECT_EQ(at().row(), 0);
    EXPECT_EQ(at().column(), 1);
    grid()->edit(at());
    typeLine(QStringLiteral("250"), QStringLiteral("g"), QStringLiteral("Mehl"));
    // Enter after "Zutat" goes on to the next line, numbered, and waits in "Menge".
    EXPECT_EQ(at().row(), 1);
    EXPECT_EQ(at().column(), 1);
    EXPECT_EQ(cell(1, 0), QStringLiteral("2"));
    typeLine(QStringLiteral("200"), QStringLiteral("ccm"), QStringLiteral("Milch"));
    EXPECT_EQ(cell(1, 2), QStringLiteral("ml")) << "the alias becomes its unit";
    typeLine(QStringLiteral("1"), QStringLiteral("Stück"), QStringLiteral("Ei"));
    EXPECT_EQ(cell(2, 2), QString()) << "an alias of no unit empties the cell";

    // A heading opens the second part: its number is 0.
    editCell(3, 0);
    type(QStringLiteral("0"));
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    grid()->edit(at());
    type(QStringLiteral("Belag"));
    press(Qt::Key_Return);
    ASSERT_EQ(at().row(), 4);
    typeLine(QStringLiteral("3"), QStringLiteral(""), QStringLiteral("Zwiebeln"));

    // A unit chosen in the units window; a unit nobody knows is refused; "x" stands.
    editCell(4, 2);
    clickUnit(QStringLiteral("EL"));
    EXPECT_EQ(cell(4, 2), QStringLiteral("EL"));
    EXPECT_EQ(at().column(), 3);
    editCell(5, 1);
    type(QStringLiteral("1"));
    press(Qt::Key_Return);
    dialogs.expect(QStringLiteral("Die Einheit 'abc' existiert nicht. Wählen Sie eine Einheit aus der Einheitenliste."),
                   Answer::Ok)
        .withTitle(QStringLiteral(" "));
    type(QStringLiteral("abc"));
    press(Qt::Key_Return);
    dialogs.verify();
    EXPECT_EQ(cell(5, 2), QString());
    EXPECT_EQ(at().column(), 2);
    EXPECT_TRUE(grid()->isAncestorOf(QApplication::focusWidget())) << "the keys go into the cell marked";
    EXPECT_TRUE(units()->isVisible()) << "the units window offers its units";
    editCell(5, 2);
    type(QStringLiteral("x"));
    press(Qt::Key_Return);
    type(QStringLiteral("Salz"));
    press(Qt::Key_Return);
    EXPECT_EQ(cell(5, 2), QStringLiteral("x"));

    focus(control<QLineEdit>(editor(), "stich"));
    type(QStringLiteral("Herbst, Zwiebeln"));
    control<QToolButton>(editor(), "saveedit")->click();

    const qint64 rid = count(QStringLiteral("select rid from rezepte where rname='Zwiebelkuchen'"));
    ASSERT_GT(rid, 0);
    EXPECT_EQ(count(QStringLiteral("select did from rezepte where rid=%1").arg(rid)),
              count(QStringLiteral("select did from importdateien where dname='Selbst eingegeben'")));
    QStringList lines;
    db::Statement st(db(), QStringLiteral("select z.tid, z.nr, coalesce(e.ename,'-'), z.menge, i.zutat from zutaten z "
                                          "left join einheiten e on e.eid=z.eid join zutindex i on i.zutid=z.zutid "
                                          "where z.rid=? order by z.tid, z.nr"));
    st.bind(1, rid);
    while (st.step()) lines << QStringLiteral("%1|%2|%3|%4|%5").arg(st.text(0), st.text(1), st.text(2), st.text(3), st.text(4));
    EXPECT_EQ(lines, (QStringList{QStringLiteral("1|1|g|250.0|Mehl"), QStringLiteral("1|2|ml|200.0|Milch"),
                                  QStringLiteral("1|3|-|1.0|Ei"), QStringLiteral("2|0|-||Belag"),
                                  QStringLiteral("2|1|EL|3.0|Zwiebeln"), QStringLiteral("2|2|x|1.0|Salz")}));
    EXPECT_EQ(count(QStringLiteral("select eid from zutaten where rid=%1 and nr=2 and tid=2").arg(rid)), kUnscaledUnit);
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezstich where rid=%1").arg(rid)), 2);
    EXPECT_EQ(rezzahl()->text(), formatCount(recipes + 1));
    // Open for the next recipe, empty, with category and servings kept.
    EXPECT_TRUE(editor()->isVisible());
    EXPECT_TRUE(box("reznam")->text().isEmpty());
    EXPECT_EQ(grid()->model()->rowCount(), 1) << "only the new row";
    EXPECT_EQ(category()->currentText(), QStringLiteral("Gemüse"));
    EXPECT_EQ(box("port")->text(), QStringLiteral("4"));
}

// Whichever cell of the empty row under the last line is double-clicked, the line is begun
// as a single click begins it: numbered at once, and the keys go into the cell marked,
// "Menge" for a click into "Nr".
TEST_F(Editor, ADoubleClickIntoTheEmptyRowBeginsTheLineWhereTheCursorStands)
{
    const qint64 rid = count(QStringLiteral("select rid from rezepte where rname='Kartoffelsuppe mit Majoran'"));
    const qint64 lastTid = count(QStringLiteral("select max(tid) from zutaten where rid=%1").arg(rid));
    for (int column = 0; column <= 3; ++column) {
        const qint64 nr =
            count(QStringLiteral("select max(nr) from zutaten where rid=%1 and tid=%2").arg(rid).arg(lastTid)) + 1;
        rez()->recordset()->findFirst(QStringLiteral("rid=%1").arg(rid));
        button("editrez")->click();
        ASSERT_TRUE(editor()->isVisible());
        ASSERT_FALSE(at().isValid()) << "the grid has no cell marked yet";
        const int row = grid()->model()->rowCount() - 1;
        doubleClick(row, column);
        EXPECT_EQ(cell(row, 0), QString::number(nr)) << "numbered at once, column " << column;
        EXPECT_EQ(at().column(), std::max(column, 1)) << column;
        typeHoneyLineFrom(column);
        control<QToolButton>(editor(), "saveedit")->click();
        ASSERT_FALSE(editor()->isVisible()) << "saved, column " << column;

        const QString expected = QStringLiteral("%1|%2|%3|%4")
                                     .arg(lastTid)
                                     .arg(nr)
                                     .arg(column <= 1 ? QStringLiteral("2.0") : QString())
                                     .arg(column <= 2 ? QStringLiteral("EL") : QString());
        EXPECT_EQ(text(QStringLiteral("select group_concat(z.tid||'|'||z.nr||'|'||ifnull(z.menge,'')||'|'||"
                                      "ifnull(e.ename,''), ';') from zutaten z join zutindex i on i.zutid=z.zutid "
                                      "left join einheiten e on e.eid=z.eid where z.rid=%1 and i.zutat='Honig' "
                                      "and z.nr=%2").arg(rid).arg(nr)),
                  expected)
            << "in the last part, column " << column;
    }
}

// The first row of a new recipe is numbered as the grid takes the focus, before the click
// lands: a double click into any of its cells, and a click into "Nr", begin it all the
// same as on the empty row under lines, whether the hand passed over the grid or not.
TEST_F(Editor, ADoubleClickIntoTheFirstRowOfANewRecipeBeginsTheLineWhereTheCursorStands)
{
    struct Case {
        int column;
        bool twice;
        bool passingOver;
    };
    for (const Case c : {Case{0, true, true}, Case{0, true, false}, Case{1, true, true}, Case{2, true, true},
                         Case{3, true, true}, Case{0, false, true}}) {
        const int column = c.column;
        const QString name = QStringLiteral("Honigbrot %1%2%3")
                                 .arg(column)
                                 .arg(c.twice ? QStringLiteral(" doppelt") : QString())
                                 .arg(c.passingOver ? QStringLiteral(" vorbei") : QString());
        SCOPED_TRACE(name.toStdString());
        button("neurez")->click();
        ASSERT_TRUE(editor()->isVisible());
        focus(box("reznam"));
        type(name);
        chooseCategory(QStringLiteral("Gemüse"));
        if (c.passingOver) {
            moveOver(0, column);
            ASSERT_EQ(cell(0, 0), QStringLiteral("1")) << "numbered as the grid took the focus";
        }
        if (c.twice)
            doubleClick(0, column);
        else
            click(0, column);
        EXPECT_EQ(cell(0, 0), QStringLiteral("1")) << "numbered at once";
        EXPECT_EQ(at().row(), 0);
        EXPECT_EQ(at().column(), std::max(column, 1));
        typeHoneyLineFrom(column);
        control<QToolButton>(editor(), "saveedit")->click();

        const qint64 rid = db().scalar(QStringLiteral("select rid from rezepte where rname=?"), {name}).toLongLong();
        ASSERT_GT(rid, 0) << "saved";
        const QString expected = QStringLiteral("1|%1|%2|Honig")
                                     .arg(column <= 1 ? QStringLiteral("2.0") : QString())
                                     .arg(column <= 2 ? QStringLiteral("EL") : QString());
        EXPECT_EQ(text(QStringLiteral("select group_concat(z.nr||'|'||ifnull(z.menge,'')||'|'||ifnull(e.ename,'')||'|'||"
                                      "i.zutat, ';') from zutaten z join zutindex i on i.zutid=z.zutid "
                                      "left join einheiten e on e.eid=z.eid where z.rid=%1").arg(rid)),
                  expected);
    }
}

TEST_F(Editor, EveryUnitOfTheListPassesTheCheckAndIsSavedWithItsOwnId)
{
    button("neurez")->click();
    focus(box("reznam"));
    type(QStringLiteral("Einheitenprobe"));
    chooseCategory(QStringLiteral("Gemüse"));
    auto* list = control<QListWidget>(units(), "elist");
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        if (!list->item(i)->text().isEmpty()) names << list->item(i)->text().section(u'\t', 0, 0);
    ASSERT_EQ(names.size(), count(QStringLiteral("select count(*) from einheiten where mmunit=1")));
    ASSERT_TRUE(names.contains(QStringLiteral("1/10 gr "))) << "names are kept whole, trailing blank included";
    focus(grid());
    for (int row = 0; row < names.size(); ++row) {
        editCell(row, 1);
        type(QStringLiteral("1"));
        press(Qt::Key_Tab);
        clickUnit(names[row]);
        grid()->edit(at());
        type(QStringLiteral("Zutat"));
        press(Qt::Key_Return);
    }
    control<QToolButton>(editor(), "saveedit")->click();

    const qint64 rid = count(QStringLiteral("select rid from rezepte where rname='Einheitenprobe'"));
    ASSERT_GT(rid, 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from zutaten where rid=%1").arg(rid)), names.size());
    EXPECT_EQ(count(QStringLiteral("select count(*) from zutaten z join einheiten e on e.eid=z.eid "
                                   "where z.rid=%1 and e.mmunit=1").arg(rid)),
              names.size());
    EXPECT_EQ(count(QStringLiteral("select count(distinct eid) from zutaten where rid=%1").arg(rid)), names.size());
    EXPECT_EQ(count(QStringLiteral("select count(*) from einheiten where ekurz='$$' and eid<>115")), 0) << "no unit added";
}

TEST_F(Editor, AnEditSavedUnchangedKeepsEveryAmountAndTheViewShowsWhatWasStored)
{
    const qint64 rid = count(QStringLiteral("select rid from rezepte where rname='Apfelkuchen aus der Springform'"));
    const qint64 mehl = count(QStringLiteral("select zutid from zutindex where zutat='Mehl'"));
    // A second "g", not in the units list: its line keeps it though a lookup by name would
    // find the standard "g".
    db().execute(QStringLiteral("insert into einheiten (eid,ename,ekurz,mmunit) values (200,'g','$$',0)"));
    int nr = 10;
    for (const auto& [amount, eid] : {std::pair{"62.5", 11}, {"0.129", 200}, {"0.004", 11}})
        db().execute(QStringLiteral("insert into zutaten (rid,tid,nr,eid,menge,zutid) values (?,2,?,?,?,?)"),
                     {rid, nr++, eid, QString::fromLatin1(amount).toDouble(), mehl});
    const auto lines = [&] {
        QStringList rows;
        db::Statement st(db(), QStringLiteral("select nr,coalesce(eid,-1),coalesce(menge,-1),zutid from zutaten "
                                              "where rid=? order by tid,nr"));
        st.bind(1, rid);
        while (st.step()) rows << QStringLiteral("%1|%2|%3|%4").arg(st.text(0), st.text(1), st.text(2), st.text(3));
        return rows;
    };
    const QStringList before = lines();
    const qint64 units = count(QStringLiteral("select count(*) from einheiten"));
    rez()->recordset()->findFirst(QStringLiteral("rid=%1").arg(rid));
    const int listRow = rezgrid()->currentIndex().row();

    button("editrez")->click();
    EXPECT_EQ(editor()->windowTitle(), QStringLiteral("  Ä n d e r n  :  Apfelkuchen aus der Springform"));
    EXPECT_EQ(category()->currentText(), text(QStringLiteral("select kname from hauptkat h join rezepte r on r.kid=h.kid "
                                                             "where r.rid=%1").arg(rid)));
    focus(control<QPlainTextEdit>(editor(), "zub"));
    control<QPlainTextEdit>(editor(), "zub")->setPlainText(QStringLiteral("Neu geschrieben."));
    control<QToolButton>(editor(), "saveedit")->click();

    EXPECT_FALSE(editor()->isVisible());
    EXPECT_EQ(lines(), before);
    EXPECT_EQ(count(QStringLiteral("select count(*) from einheiten")), units);
    EXPECT_EQ(zub()->toPlainText(), QStringLiteral("Neu geschrieben.")) << "the view shows what was stored";
    EXPECT_EQ(rezgrid()->currentIndex().row(), listRow) << "the list stays where it was";

    // A second edit starts from what was stored.
    button("editrez")->click();
    EXPECT_EQ(control<QPlainTextEdit>(editor(), "zub")->toPlainText(), QStringLiteral("Neu geschrieben."));
    control<QToolButton>(editor(), "kreuz")->click();
    EXPECT_FALSE(editor()->isVisible());
    EXPECT_EQ(count(QStringLiteral("select count(*) from editzutat")), 0);
}

// The recipe and the emptied work table are stored together: when the work table cannot
// be emptied, the recipe stays as it was and the editor keeps its lines with the amounts
// they hold, so that the next save stores them exactly.
TEST_F(Editor, ASaveWhoseWorkTableCannotBeEmptiedStoresNothing)
{
    const qint64 rid = count(QStringLiteral("select rid from rezepte where rname='Apfelkuchen aus der Springform'"));
    const qint64 mehl = count(QStringLiteral("select zutid from zutindex where zutat='Mehl'"));
    db().execute(QStringLiteral("insert into zutaten (rid,tid,nr,eid,menge,zutid) values (?,2,10,11,62.5,?)"), {rid, mehl});
    const auto stored = [&] {
        QStringList rows;
        // The save numbers the parts anew, so a line is its number, unit, amount and ingredient.
        for (const QString& sql : {QStringLiteral("select nr,eid,menge,zutid from zutaten where rid=? order by tid,nr"),
                                   QStringLiteral("select * from zubereit where rid=?"),
                                   QStringLiteral("select * from rezstich where rid=? order by rowid"),
                                   QStringLiteral("select * from rezepte where rid=?")}) {
            db::Statement st(db(), sql);
            st.bind(1, rid);
            while (st.step()) {
                QStringList values;
                for (int i = 0; i < st.columnCount(); ++i) values << st.text(i);
                rows << sql.section(u' ', 3, 3) + u':' + values.join(u'|');
            }
        }
        return rows;
    };
    const QStringList before = stored();
    rez()->recordset()->findFirst(QStringLiteral("rid=%1").arg(rid));
    button("editrez")->click();
    const int lines = grid()->model()->rowCount();
    control<QPlainTextEdit>(editor(), "zub")->setPlainText(QStringLiteral("Neu geschrieben."));

    db().execute(QStringLiteral("create trigger festgehalten before delete on editzutat "
                                "begin select raise(abort, 'festgehalten'); end"));
    dialogs.expect(QStringLiteral("Das Rezept wurde nicht gespeichert."), Answer::Ok);
    control<QToolButton>(editor(), "saveedit")->click();
    dialogs.verify();
    EXPECT_EQ(stored(), before);
    EXPECT_TRUE(editor()->isVisible());
    EXPECT_EQ(grid()->model()->rowCount(), lines);
    EXPECT_FALSE(db().inTransaction());

    db().execute(QStringLiteral("drop trigger festgehalten"));
    control<QToolButton>(editor(), "saveedit")->click();
    EXPECT_FALSE(editor()->isVisible());
    EXPECT_EQ(count(QStringLiteral("select count(*) from editzutat")), 0);
    EXPECT_EQ(text(QStringLiteral("select ztext from zubereit where rid=%1").arg(rid)), QStringLiteral("Neu geschrieben."));
    // The amount shown as "62" is stored as it was.
    EXPECT_EQ(text(QStringLiteral("select menge from zutaten where rid=%1 and nr=10").arg(rid)),
              QStringLiteral("62.5"));
    QStringList after = stored();
    QStringList expected = before;
    after.removeIf([](const QString& row) { return row.startsWith(u"zubereit:"); });
    expected.removeIf([](const QString& row) { return row.startsWith(u"zubereit:"); });
    EXPECT_EQ(after, expected);
}

TEST_F(Editor, ARecipeEditedFromAListEntryKeepsItsOwnValuesAndItsCopiesFollow)
{
    // Spaghetti in the quick list at 4 servings; the recipe list stands on another recipe.
    const qint64 rid = count(QStringLiteral("select rid from rezepte where rname='Spaghetti mit Tomatensauce'"));
    const QString ownServings = text(QStringLiteral("select port from rezepte where rid=%1").arg(rid));
    db().execute(QStringLiteral("insert into menues (mid,mname) values (7,'Italienisch')"));
    db().execute(QStringLiteral("insert into rezinmen (mid,rid,nr,rname,port) values (7,?,1,'Spaghetti',2)"), {rid});
    db().execute(QStringLiteral("update rezepte set komid=1 where rid=?"), {rid});
    db().execute(QStringLiteral("update rezinaus set komid=2 where rid=?"), {rid});
    db().execute(QStringLiteral("update rezinaus set port=9 where rid<>?"), {rid});  // servings chosen for the entry
    const QString others = QStringLiteral("select group_concat(rname || '/' || ifnull(port,'') || '/' || ifnull(katego,''))"
                                          " from (select rname, port, katego from rezinaus where rid<>%1 union all "
                                          "select rname, port, katego from rezinmen where rid<>%1)").arg(rid);
    const QString othersBefore = text(others);
    rez()->recordset()->moveFirst();
    focus(ausgrid());
    ausgrid()->setCurrentIndex(ausgrid()->model()->index(1, 0));
    ASSERT_EQ(reznam()->text(), QStringLiteral("Spaghetti mit Tomatensauce"));

    button("editrez")->click();
    EXPECT_EQ(box("port")->text(), ownServings);
    EXPECT_EQ(category()->currentText(), text(QStringLiteral("select kname from hauptkat h join rezepte r on r.kid=h.kid "
                                                             "where r.rid=%1").arg(rid)));
    box("reznam")->setText(QStringLiteral("Spaghetti mit einer sehr langen Tomatensoße nach Art des Hauses Napoli"));
    box("port")->setText(QStringLiteral("6"));
    chooseCategory(QStringLiteral("Nudeln & Reis"));
    control<QToolButton>(editor(), "saveedit")->click();

    EXPECT_EQ(text(QStringLiteral("select rname from rezinaus where aid=1 and rid=%1").arg(rid)),
              QStringLiteral("Spaghetti mit einer sehr langen Tomatensoße nach Art des Hauses Napoli"));
    EXPECT_EQ(text(QStringLiteral("select rname from rezinmen where mid=7")),
              QStringLiteral("Spaghetti mit einer sehr langen Tomatensoße nach Art").left(kMenuNameLength));
    EXPECT_EQ(count(QStringLiteral("select port from rezinaus where aid=1 and rid=%1").arg(rid)), 6);
    EXPECT_EQ(count(QStringLiteral("select port from rezinmen where mid=7")), 6);
    EXPECT_EQ(count(QStringLiteral("select katego from rezinmen where mid=7")), 20);
    EXPECT_EQ(count(QStringLiteral("select komid from rezinaus where rid=%1").arg(rid)), 1);
    EXPECT_EQ(text(others), othersBefore);
}

TEST_F(Editor, ASaveThatCannotBeMadeSaysWhyAndChangesNothing)
{
    const qint64 rid = count(QStringLiteral("select rid from rezepte where rname='Kaiserschmarrn'"));
    const auto state = [&] {
        QStringList rows;
        for (const QString& table : reztabellen + QStringList{QStringLiteral("rezepte")}) {
            db::Statement st(db(), QStringLiteral("select * from %1 where rid=%2 order by 1,2").arg(table).arg(rid));
            while (st.step()) {
                QStringList values;
                for (int i = 0; i < st.columnCount(); ++i) values << st.text(i);
                rows << table + u':' + values.join(u'|');
            }
        }
        for (const char* sql : {"select count(*) from zutindex", "select count(*) from einheiten",
                                "select count(*) from stichworte"})
            rows << QString::number(count(QString::fromLatin1(sql)));
        return rows;
    };
    const QStringList before = state();
    rez()->recordset()->findFirst(QStringLiteral("rid=%1").arg(rid));
    button("editrez")->click();
    grid()->model()->setData(grid()->model()->index(1, 3), QStringLiteral("Milch, frisch"));
    box("stich")->setText(QStringLiteral("Neu, Ganz neu"));

    const auto refused = [&](const QString& expected) {
        dialogs.expect(expected, Answer::Ok);
        control<QToolButton>(editor(), "saveedit")->click();
        dialogs.verify();
        EXPECT_TRUE(editor()->isVisible());
        EXPECT_EQ(cell(1, 3), QStringLiteral("Milch, frisch")) << "the editor keeps what it holds";
        EXPECT_EQ(state(), before) << expected.toStdString();
    };
    for (const auto& [servings, message] : {std::pair{"abc", "Bitte geben Sie die Zahl der Portionen"},
                                            {"0", "Von nichts kommt nichts."},
                                            {"40000", "Wer soll das alles essen ?"}}) {
        box("port")->setText(QString::fromLatin1(servings));
        refused(QString::fromUtf8(message));
    }
    box("port")->setText(QStringLiteral("2"));
    const int chosen = category()->currentIndex();
    category()->setCurrentIndex(-1);
    refused(QStringLiteral("Rubrik"));
    category()->setCurrentIndex(chosen);
    grid()->model()->setData(grid()->model()->index(1, 1), QStringLiteral("1/0"));
    refused(QStringLiteral("1/0"));
    grid()->model()->setData(grid()->model()->index(1, 1), QStringLiteral("1/2"));
    box("stich")->setText(QStringLiteral("Grill;Sommer"));
    refused(QStringLiteral("Bitte verwenden Sie nur Buchstaben und Zahlen als Stichworte"));
    box("stich")->setText(QStringLiteral("Neu, Ganz neu"));
    db().execute(QStringLiteral("create trigger voll before insert on zutaten begin select raise(abort, 'voll'); end"));
    refused(QStringLiteral("Das Rezept wurde nicht gespeichert."));
}

TEST_F(Editor, ACookbookSwitchClosesTheEditorWhichThenWorksOnTheNewCookbook)
{
    button("neurez")->click();
    ASSERT_TRUE(editor()->isVisible());
    focus(grid());
    const QString second = env.copyShippedCookbook(QStringLiteral("zweites"));
    {
        auto book = db::Database::open(second + kochbuchdatei);
        book->execute(QStringLiteral("insert into einheiten (eid,ekurz,ename,elang,mmunit,mmscale,mmorder) "
                                     "values (200,'bc','Becher','Becher',1,6,4)"));
    }
    expectIndexBuild();
    ASSERT_TRUE(switchCookbook(second));
    dialogs.verify();
    EXPECT_FALSE(editor()->isVisible());
    EXPECT_FALSE(units()->isVisible());

    button("neurez")->click();
    EXPECT_TRUE(editor()->isVisible());
    auto* list = control<QListWidget>(units(), "elist");
    EXPECT_FALSE(list->findItems(QStringLiteral("Becher\tBecher"), Qt::MatchExactly).isEmpty());
    focus(grid());
    editCell(0, 2);
    type(QStringLiteral("Becher"));
    press(Qt::Key_Tab);
    EXPECT_EQ(cell(0, 2), QStringLiteral("Becher")) << "the new cookbook's unit passes the check";
}


// What the user sees after each step: the units window, the focus after a refused unit,
// the servings caption, the name, and the recipe list after a save.
class EditorAsSeen : public Editor {
protected:
    QLabel* caption() { return control<QLabel>(editor(), "zpers"); }
    QToolButton* editorButton(const char* name) { return control<QToolButton>(editor(), name); }
    QVariant valueWith(const QString& sql, const QString& bound) { return db().scalar(sql, {bound}); }
    // The user types into the box, replacing what it shows.
    void typeOver(QLineEdit* line, const QString& keys)
    {
        focus(line);
        line->selectAll();
        QTest::keyClicks(line, keys);
        QCoreApplication::processEvents();
    }
    QStringList listTitles()
    {
        QStringList list;
        for (int r = 0; r < rezgrid()->model()->rowCount(); ++r) list << rezgrid()->model()->index(r, 0).data().toString();
        return list;
    }
    QString currentTitle()
    {
        const QModelIndex at = rezgrid()->currentIndex();
        return at.isValid() ? at.siblingAtColumn(0).data().toString() : QString();
    }
    // A new recipe with one line, ready to be saved.
    void typeNewRecipe(const QString& name)
    {
        button("neurez")->click();
        focus(box("reznam"));
        box("reznam")->setText(name);
        chooseCategory(QStringLiteral("Gemüse"));
        focus(grid());
        grid()->edit(at());
        typeLine(QStringLiteral("1"), QStringLiteral("kg"), QStringLiteral("Zwiebeln"));
    }
};

TEST_F(EditorAsSeen, TheUnitsWindowComesBackShownAndNormalWheneverTheEditorOpensIt)
{
    button("neurez")->click();
    ASSERT_TRUE(units()->isVisible());
    control<QToolButton>(units(), "dreieck")->click();
    ASSERT_TRUE(units()->isMinimized());

    // Opened again while it is open: a new recipe after the one typed.
    button("neurez")->click();
    EXPECT_TRUE(units()->isVisible());
    EXPECT_FALSE(units()->isMinimized());

    // Closed and opened for an edit.
    control<QToolButton>(units(), "dreieck")->click();
    editorButton("kreuz")->click();
    EXPECT_FALSE(units()->isVisible());
    button("editrez")->click();
    EXPECT_TRUE(units()->isVisible());
    EXPECT_FALSE(units()->isMinimized());
}

TEST_F(EditorAsSeen, AfterAnUnknownUnitTheKeysGoIntoTheEinheitCellAndTheUnitsAreShown)
{
    button("neurez")->click();
    focus(box("reznam"));
    type(QStringLiteral("Probe"));
    control<QToolButton>(units(), "dreieck")->click();
    focus(grid());
    grid()->edit(at());
    type(QStringLiteral("1"));
    press(Qt::Key_Return);
    dialogs.expect(QStringLiteral("Die Einheit 'abc' existiert nicht."), Answer::Ok);
    type(QStringLiteral("abc"));
    press(Qt::Key_Return);
    dialogs.verify();

    EXPECT_EQ(at().row(), 0);
    EXPECT_EQ(at().column(), 2);
    QWidget* focused = QApplication::focusWidget();
    EXPECT_TRUE(focused == grid() || (focused && grid()->isAncestorOf(focused))) << "the keys go where the cell is marked";
    EXPECT_TRUE(units()->isVisible());
    EXPECT_FALSE(units()->isMinimized()) << "the message sends the user to the units list";

    type(QStringLiteral("EL"));
    press(Qt::Key_Return);
    EXPECT_EQ(cell(0, 2), QStringLiteral("EL"));
    EXPECT_TRUE(control<QPlainTextEdit>(editor(), "zub")->toPlainText().isEmpty()) << "nothing lands in the preparation";
}

TEST_F(EditorAsSeen, TheCaptionNamesTheServingsTypedAndSaved)
{
    typeNewRecipe(QStringLiteral("Zwiebelsuppe"));
    typeOver(box("port"), QStringLiteral("6"));
    EXPECT_EQ(caption()->text(), QStringLiteral("Z u t a t e n   f ü r   6   P o r t i o n e n :"));
    editorButton("plus")->click();
    EXPECT_EQ(caption()->text(), QStringLiteral("Z u t a t e n   f ü r   7   P o r t i o n e n :"));
    typeOver(box("port"), QStringLiteral("12"));
    EXPECT_EQ(caption()->text(), QStringLiteral("Z u t a t e n   f ü r   12   P o r t i o n e n :"));
    editorButton("saveedit")->click();
    EXPECT_EQ(count(QStringLiteral("select port from rezepte where rname='Zwiebelsuppe'")), 12);
    EXPECT_EQ(caption()->text(), QStringLiteral("Z u t a t e n   f ü r   12   P o r t i o n e n :"))
        << "the editor stays open for the next recipe with the servings kept";
    EXPECT_EQ(box("port")->text(), QStringLiteral("12"));
}

TEST_F(EditorAsSeen, ARecipeWithoutANameIsRefusedAndNothingChanges)
{
    const qint64 recipes = count(QStringLiteral("select count(*) from rezepte"));
    typeNewRecipe(QString());
    for (const QString& name : {QString(), QStringLiteral("   ")}) {
        box("reznam")->setText(name);
        dialogs.expect(QStringLiteral("Bitte geben Sie einen Namen für das Rezept ein."), Answer::Ok)
            .withTitle(QStringLiteral(" "));
        editorButton("saveedit")->click();
        dialogs.verify();
        EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte")), recipes);
        EXPECT_TRUE(editor()->isVisible());
        EXPECT_EQ(cell(0, 3), QStringLiteral("Zwiebeln")) << "the editor keeps what was typed";
    }
    EXPECT_FALSE(listTitles().contains(QString()));

    // An edited recipe cannot lose its name either.
    control<QToolButton>(editor(), "kreuz")->click();
    rez()->recordset()->moveFirst();
    const QString first = reznam()->text();
    button("editrez")->click();
    box("reznam")->clear();
    dialogs.expect(QStringLiteral("Bitte geben Sie einen Namen für das Rezept ein."), Answer::Ok);
    editorButton("saveedit")->click();
    dialogs.verify();
    EXPECT_EQ(valueWith(QStringLiteral("select count(*) from rezepte where rname=?"), first).toLongLong(), 1);
}

TEST_F(EditorAsSeen, AfterARefusedEmptyNameTheKeysGoIntoTheNameBox)
{
    typeNewRecipe(QString());
    typeOver(box("port"), QStringLiteral("6"));
    for (QWidget* before : {static_cast<QWidget*>(control<QPlainTextEdit>(editor(), "zub")),
                            static_cast<QWidget*>(editorButton("minus"))}) {
        box("reznam")->clear();
        focus(before);
        dialogs.expect(QStringLiteral("Bitte geben Sie einen Namen für das Rezept ein."), Answer::Ok);
        editorButton("saveedit")->click();
        dialogs.verify();
        QCoreApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), box("reznam")) << before->objectName().toStdString();
        type(QStringLiteral("  Zwiebelkuchen"));
        EXPECT_EQ(box("reznam")->text(), QStringLiteral("  Zwiebelkuchen"));
        EXPECT_TRUE(control<QPlainTextEdit>(editor(), "zub")->toPlainText().isEmpty());
        EXPECT_EQ(box("port")->text(), QStringLiteral("6")) << "blanks typed on the minus button lower the servings";
    }
}

TEST_F(EditorAsSeen, ANewRecipeSavedIsTheOneTheListStandsOnAndShows)
{
    const qint64 recipes = count(QStringLiteral("select count(*) from rezepte"));
    rez()->recordset()->moveFirst();
    typeNewRecipe(QStringLiteral("Linsensuppe"));
    editorButton("saveedit")->click();

    EXPECT_EQ(currentTitle(), QStringLiteral("Linsensuppe"));
    EXPECT_EQ(rez()->recordset()->value(QStringLiteral("rname")).toString(), QStringLiteral("Linsensuppe"));
    EXPECT_EQ(reznam()->text(), QStringLiteral("Linsensuppe")) << "the view shows the recipe the list stands on";
    EXPECT_EQ(rezzahl()->text(), formatCount(recipes + 1));
}

TEST_F(EditorAsSeen, AnEditThatMovesARecipeOutOfTheChosenCategoryLeavesListAndCountAlike)
{
    // A category with two recipes: one of them goes elsewhere.
    const QString kname = text(QStringLiteral("select kname from hauptkat where kid in (select kid from rezepte "
                                              "group by kid having count(*)=2) order by kname limit 1"));
    ASSERT_FALSE(kname.isEmpty());
    chooseFilter(kname);
    ASSERT_EQ(listTitles().size(), 2);
    ASSERT_EQ(rezzahl()->text(), formatCount(2));
    const QString other =
        valueWith(QStringLiteral("select kname from hauptkat where kname<>? and kid<>0 order by kname limit 1"), kname)
            .toString();
    const auto moveOut = [&] {
        button("editrez")->click();
        chooseCategory(other);
        editorButton("saveedit")->click();
    };

    moveOut();
    EXPECT_EQ(listTitles().size(), 1);
    EXPECT_EQ(rezzahl()->text(), formatCount(1));
    moveOut();
    EXPECT_TRUE(listTitles().isEmpty());
    EXPECT_EQ(rezzahl()->text(), formatCount(0));
}


TEST_F(EditorAsSeen, TheUnitsWindowFirstOpensBesideTheEditorAndLaterWhereItWasLeft)
{
    ASSERT_TRUE(getreg(reg::einheit_top).isEmpty());
    // An editor that leaves room on the screen for the list beside it.
    editor()->resize(480, 480);
    button("neurez")->click();
    const QRect area = units()->screen()->availableGeometry();
    const QRect besides = units()->frameGeometry();
    EXPECT_FALSE(besides.intersects(editor()->frameGeometry())) << "not over the editor";
    EXPECT_TRUE(area.contains(besides));
    EXPECT_TRUE(area.contains(editor()->frameGeometry()));
    EXPECT_NE(besides.topLeft(), area.topLeft()) << "not in the corner of the screen";

    // The user moves it; the next start opens it there, editor or not.
    units()->move(besides.topLeft() + QPoint(-30, 40));
    const QPoint left = units()->pos();
    shutDown();
    EXPECT_EQ(getreg(reg::einheit_left), QString::number(left.x()));
    EXPECT_EQ(getreg(reg::einheit_top), QString::number(left.y()));
    ASSERT_NO_FATAL_FAILURE(launch());
    button("neurez")->click();
    EXPECT_EQ(units()->pos(), left);
}

// Used last on a larger screen: the units window's stored place lies partly or wholly
// beyond this one, and the editor was larger than it. Both open whole on the screen, and
// the units window's place on it is what the next start finds.
TEST_F(EditorAsSeen, WindowsKeptBeyondASmallerScreenOpenOnIt)
{
    const QRect area = hm->screen()->availableGeometry();
    for (const QPoint stored : {QPoint(area.right() - 20, area.top() + 40), QPoint(area.right() + 268, area.bottom())}) {
        savereg(reg::einheit_left, QString::number(stored.x()));
        savereg(reg::einheit_top, QString::number(stored.y()));
        shutDown();
        ASSERT_NO_FATAL_FAILURE(launch());
        editor()->resize(area.size() + QSize(200, 100));
        button("neurez")->click();
        ASSERT_TRUE(units()->isVisible());
        EXPECT_TRUE(area.contains(units()->frameGeometry())) << stored.x() << "," << stored.y();
        EXPECT_TRUE(area.contains(editor()->frameGeometry())) << stored.x() << "," << stored.y();
        EXPECT_LE(editor()->frameGeometry().width(), area.width());
        const QPoint shown = units()->pos();
        shutDown();
        EXPECT_EQ(getreg(reg::einheit_left), QString::number(shown.x()));
    }
}

TEST_F(EditorAsSeen, AProgramThatNeverShowedTheUnitsStoresNoPlaceForThem)
{
    shutDown();
    EXPECT_TRUE(getreg(reg::einheit_top).isEmpty()) << "the corner of the screen would be stored";
    EXPECT_TRUE(getreg(reg::einheit_left).isEmpty());
}

// The place beside another window, as the units window and the keyword tree get it.
TEST(PlacesBeside, RightLeftSideBySideOrAtTheRoomierEdge)
{
    const QRect screen(0, 0, 1400, 1000);
    const QSize list(230, 480);
    // Room on the right.
    ui::BesidePlaces p = ui::placesBeside(QRect(340, 150, 722, 662), list, screen, 8);
    EXPECT_EQ(p.window, QPoint(1070, 150));
    EXPECT_EQ(p.anchor, QPoint(340, 150));
    // Only on the left.
    p = ui::placesBeside(QRect(600, 150, 722, 662), list, screen, 8);
    EXPECT_EQ(p.window, QPoint(362, 150));
    EXPECT_EQ(p.anchor, QPoint(600, 150));
    // Neither side, but both fit side by side: the anchor moves across.
    const QRect small(0, 0, 1024, 768);
    p = ui::placesBeside(QRect(152, 60, 722, 662), list, small, 8);
    EXPECT_FALSE(QRect(p.window, list).intersects(QRect(p.anchor, QSize(722, 662))));
    EXPECT_TRUE(small.contains(QRect(p.window, list)));
    EXPECT_TRUE(small.contains(QRect(p.anchor, QSize(722, 662))));
    EXPECT_EQ(p.anchor.y(), 60);
    // Too narrow even for that: at the edge with more room, the anchor where it was.
    const QRect narrow(0, 0, 800, 600);
    p = ui::placesBeside(QRect(20, 0, 722, 600), list, narrow, 8);
    EXPECT_EQ(p.window, QPoint(570, 0));
    EXPECT_EQ(p.anchor, QPoint(20, 0));
    // The top follows the anchor but stays on the screen; a screen need not start at 0.
    p = ui::placesBeside(QRect(100, 700, 400, 200), list, screen, 8);
    EXPECT_EQ(p.window, QPoint(508, 520));
    const QRect second(1400, 24, 1280, 1000);
    p = ui::placesBeside(QRect(1410, 0, 300, 300), list, second, 8);
    EXPECT_EQ(p.window, QPoint(1718, 24));
}

}  // namespace
}  // namespace kv::test
