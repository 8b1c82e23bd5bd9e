// Ingredient lines on their way from the editor to paper and files: a line begun with the
// mouse is numbered like one typed with the keys, and a line an earlier editor stored
// without a number is printed, bought and exported by what it holds: with an amount or a
// unit it is an ingredient line, with its text alone a heading.

#include "exchange/export.h"
#include "mainwindow/editor_window.h"
#include "printing/handoverdb.h"
#include "tests/printing/printwindowtest.h"
#include "tests/support/pdftext.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

namespace kv::test {
namespace {

// The quick list: Kartoffelsuppe (rid 1) and Spaghetti (rid 6).
constexpr qint64 kSchnellauswahl = 1;

class UnnumberedLines : public PrintWindowTest {
protected:
    void SetUp() override
    {
        PrintWindowTest::SetUp();
        ASSERT_TRUE(out.isValid());
    }

    NeuRezept* editor() { return ui::WindowRegistry::instance<NeuRezept>(QStringLiteral("neu_rezept")); }
    QTableView* grid() { return control<QTableView>(editor(), "neugrid"); }

    // The user clicks the recipe in the list, and the view shows it.
    void showRecipe(const QString& name)
    {
        QAbstractItemModel* model = rezgrid()->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->index(row, 0).data().toString() != name) continue;
            rezgrid()->setCurrentIndex(model->index(row, 0));
            settle();
            ASSERT_EQ(reznam()->text(), name);
            return;
        }
        FAIL() << "no recipe " << name.toStdString();
    }
    void type(const QString& keys)
    {
        QTest::keyClicks(QApplication::focusWidget(), keys);
        QCoreApplication::processEvents();
    }
    void press(Qt::Key key)
    {
        QTest::keyClick(QApplication::focusWidget(), key);
        QCoreApplication::processEvents();
    }

    // The lines of the PDF the print window makes of what `button` handed over.
    QStringList printed(const char* button, const QString& name)
    {
        if (form()) form()->hide();
        this->button(button)->click();
        settle();
        if (!form() || !form()->isVisible() || !form()->layout().printable()) {
            ADD_FAILURE() << button << " shows nothing to print";
            return {};
        }
        const QString file = out.filePath(name);
        dialogs.expectFile(QStringLiteral("Druck als PDF-Datei speichern"), file);
        formControl("printpreview")->click();
        dialogs.verify();
        return pdfTextLines(file);
    }
    static bool anyMatches(const QStringList& lines, const QString& pattern)
    {
        const QRegularExpression re(pattern);
        return std::any_of(lines.begin(), lines.end(), [&](const QString& l) { return re.match(l).hasMatch(); });
    }
    static std::string shown(const QStringList& lines) { return lines.join(QStringLiteral("\n")).toStdString(); }

    QTemporaryDir out;
};

TEST_F(UnnumberedLines, ALineBegunWithADoubleClickIsNumberedAndReachesPrintShoppingListAndExports)
{
    ASSERT_NO_FATAL_FAILURE(showRecipe(QStringLiteral("Kartoffelsuppe mit Majoran")));
    const qint64 lastTid = count(QStringLiteral("select max(tid) from zutaten where rid=1"));
    const qint64 lastNr = count(QStringLiteral("select max(nr) from zutaten where rid=1 and tid=%1").arg(lastTid));
    button("editrez")->click();
    ASSERT_TRUE(editor()->isVisible());
    ASSERT_FALSE(grid()->currentIndex().isValid()) << "the grid has no cell marked yet";

    // A double click into "Menge" of the empty row under the last line.
    const int row = grid()->model()->rowCount() - 1;
    const QModelIndex menge = grid()->model()->index(row, 1);
    grid()->scrollTo(menge);
    const QPoint at = grid()->visualRect(menge).center();
    QTest::mouseMove(grid()->viewport(), at);
    QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, at);
    QCoreApplication::processEvents();
    EXPECT_EQ(grid()->model()->index(row, 0).data().toLongLong(), lastNr + 1) << "numbered at once";
    type(QStringLiteral("1"));
    press(Qt::Key_Tab);
    type(QStringLiteral("Pr"));
    press(Qt::Key_Tab);
    type(QStringLiteral("Zucker"));
    press(Qt::Key_Return);
    control<QToolButton>(editor(), "saveedit")->click();
    ASSERT_FALSE(editor()->isVisible()) << "saved";

    EXPECT_EQ(db().scalar(QStringLiteral("select z.tid||'|'||z.nr||'|'||z.menge||'|'||e.ename from zutaten z "
                                         "join zutindex i on i.zutid=z.zutid join einheiten e on e.eid=z.eid "
                                         "where z.rid=1 and i.zutat='Zucker'")).toString(),
              QStringLiteral("%1|%2|1.0|Pr").arg(lastTid).arg(lastNr + 1));

    const QStringList recipe = printed("druckrez", QStringLiteral("rezept.pdf"));
    EXPECT_TRUE(recipe.contains(QStringLiteral("%1 1 Pr Zucker").arg(lastNr + 1))) << shown(recipe);
    const QStringList shopping = printed("einkauf", QStringLiteral("einkauf.pdf"));
    EXPECT_TRUE(anyMatches(shopping, QStringLiteral("^\\d+ 1 Pr o Zucker$"))) << shown(shopping);

    const QString html = htmlstring(db(), kSchnellauswahl, false, {});
    EXPECT_TRUE(html.contains(QRegularExpression(QStringLiteral("\\n +1 +Pr Zucker\\r")))) << html.toStdString();
    EXPECT_FALSE(html.contains(QStringLiteral("<P>Zucker :</P>")));
    const QString mm = mmstring(db(), kSchnellauswahl, false, {});
    EXPECT_TRUE(mm.contains(QRegularExpression(QStringLiteral("\\n {6}1 \\S+ +Zucker\\r")))) << mm.toStdString();
    EXPECT_FALSE(mm.contains(QRegularExpression(QStringLiteral("-Zucker-"))));
}

TEST_F(UnnumberedLines, AStoredLineWithoutANumberIsPrintedBoughtAndExportedByWhatItHolds)
{
    // Spaghetti, as the editor saved a line begun with the mouse and a heading typed without
    // a number: each opens a part of its own.
    const auto zutid = [&](const QString& zutat) {
        db().execute(QStringLiteral("insert into zutindex (zutat) values (?)"), {zutat});
        return db().lastInsertId();
    };
    const qint64 tl = count(QStringLiteral("select eid from einheiten where ename='TL'"));
    db().execute(QStringLiteral("insert into zutaten (rid,tid,nr,eid,menge,zutid) values (6,2,NULL,?,1,?)"),
                 {tl, zutid(QStringLiteral("Chiliflocken"))});
    db().execute(QStringLiteral("insert into zutaten (rid,tid,nr,eid,menge,zutid) values (6,3,NULL,NULL,NULL,?)"),
                 {zutid(QStringLiteral("Zum Servieren"))});
    db().execute(QStringLiteral("insert into zutaten (rid,tid,nr,eid,menge,zutid) values (6,3,1,NULL,4,?)"),
                 {zutid(QStringLiteral("Basilikumblätter"))});
    ASSERT_NO_FATAL_FAILURE(showRecipe(QStringLiteral("Spaghetti mit Tomatensauce")));

    const QStringList recipe = printed("druckrez", QStringLiteral("rezept.pdf"));
    EXPECT_TRUE(recipe.contains(QStringLiteral("1 TL Chiliflocken"))) << "without a number\n" << shown(recipe);
    EXPECT_TRUE(recipe.contains(QStringLiteral("Zum Servieren"))) << "a heading\n" << shown(recipe);
    EXPECT_TRUE(recipe.contains(QStringLiteral("1 4 Basilikumblätter"))) << shown(recipe);

    const QStringList shopping = printed("einkauf", QStringLiteral("einkauf.pdf"));
    EXPECT_TRUE(anyMatches(shopping, QStringLiteral("^\\d+ 1 TL o Chiliflocken$"))) << shown(shopping);
    EXPECT_FALSE(anyMatches(shopping, QStringLiteral("Servieren"))) << "a heading is nothing to buy";

    const QString html = htmlstring(db(), kSchnellauswahl, false, {});
    EXPECT_TRUE(html.contains(QRegularExpression(QStringLiteral("\\n +1 +TL Chiliflocken\\r")))) << html.toStdString();
    EXPECT_TRUE(html.contains(QStringLiteral("<P>Zum Servieren :</P>")));
    EXPECT_FALSE(html.contains(QStringLiteral("<P>Chiliflocken :</P>")));
    const QString mm = mmstring(db(), kSchnellauswahl, false, {});
    EXPECT_TRUE(mm.contains(QRegularExpression(QStringLiteral("\\n {6}1 \\S+ +Chiliflocken\\r")))) << mm.toStdString();
    EXPECT_TRUE(mm.contains(QRegularExpression(QStringLiteral("\\nMMMMM-+Zum Servieren-+\\r"))));
    EXPECT_FALSE(mm.contains(QStringLiteral("-Chiliflocken-")));
}

}  // namespace
}  // namespace kv::test
