// The keyword tree window on the started program: opened by the main window's keyword
// button, browsing into the recipe list, and every organize action through its controls,
// with the tree on screen checked against a fresh build after each. What the actions write
// into the tables is the logic tests' to prove.

#include "core/finddir_window.h"
#include "core/mainmod.h"
#include "core/rezsource.h"
#include "platform/ui/look.h"
#include "search/stichworte.h"
#include "search/stichwortsuche_window.h"
#include "tests/mainwindow/startedprogram.h"
#include "tests/search/keywordtables.h"
#include "tests/support/writedenied.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QMap>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace kv::test {
namespace {

using ui::Answer;

const QString kFehler = QStringLiteral(" F E H L E R");

class KeywordTree : public StartedProgram {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(start()); }

    Stichwortsuche* window() { return ui::WindowRegistry::instance<Stichwortsuche>(QStringLiteral("stichwortsuche")); }
    Stichwortsuche* open()
    {
        button("men3")->click();
        return window();
    }
    QTreeWidget* tree() { return control<QTreeWidget>(window(), "stich"); }
    QListView* listgrid() { return control<QListView>(window(), "listgrid"); }
    QListView* aliasgrid() { return control<QListView>(window(), "aliasgrid"); }
    QToolButton* windowButton(const char* name) { return control<QToolButton>(window(), name); }
    QLabel* windowLabel(const char* name) { return control<QLabel>(window(), name); }

    QTreeWidgetItem* node(qint64 sid)
    {
        const QString key = u'n' + QString::number(sid);
        for (QTreeWidgetItemIterator it(tree()); *it; ++it)
            if ((*it)->data(0, Stichwortsuche::KeyRole).toString() == key) return *it;
        return nullptr;
    }
    int image(qint64 sid) { return node(sid)->data(0, Stichwortsuche::ImageRole).toInt(); }
    qint64 sidOf(const QTreeWidgetItem* item)
    {
        return item->data(0, Stichwortsuche::KeyRole).toString().mid(1).toLongLong();
    }
    QRect rectOf(QTreeWidgetItem* item)
    {
        tree()->scrollToItem(item);
        return tree()->visualItemRect(item);
    }
    void select(qint64 sid) { tree()->setCurrentItem(sid < 0 ? nullptr : node(sid)); }
    // As the window system sends it: a click, then the double click.
    void doubleClick(qint64 sid)
    {
        const QPoint at = rectOf(node(sid)).center();
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(tree()->viewport(), Qt::LeftButton, {}, at);
    }
    // A click on a node that is not the current one (a click on the current one starts an edit).
    void click(qint64 sid)
    {
        ASSERT_NE(tree()->currentItem(), node(sid));
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, rectOf(node(sid)).center());
    }
    void press(QWidget* w, Qt::Key key) { QTest::keyClick(w, key); }
    // Enter in a label editor: the view stores and closes it once the key is handled.
    void enter(QLineEdit* editor)
    {
        press(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
    }
    QLineEdit* labelEditor()
    {
        for (QLineEdit* e : tree()->viewport()->findChildren<QLineEdit*>())
            if (e->isVisible()) return e;
        return nullptr;
    }

    // The rows of a list by their text; choosing one makes it the current row.
    QStringList texts(QListView* view)
    {
        QStringList out;
        for (int r = 0; r < view->model()->rowCount(); ++r) out << view->model()->index(r, 0).data().toString();
        return out;
    }
    void choose(QListView* view, const QString& text)
    {
        const int row = texts(view).indexOf(text);
        ASSERT_GE(row, 0) << text.toStdString();
        view->setCurrentIndex(view->model()->index(row, 0));
    }
    void doubleClickRow(QListView* view, const QString& text)
    {
        const int row = texts(view).indexOf(text);
        ASSERT_GE(row, 0) << text.toStdString();
        const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    }

    // sid -> "parent:text" on screen, and as a build of the cookbook would show it.
    QMap<qint64, QString> onScreen()
    {
        QMap<qint64, QString> nodes;
        for (QTreeWidgetItemIterator it(tree()); *it; ++it)
            if ((*it)->parent()) nodes.insert(sidOf(*it), QString::number(sidOf((*it)->parent())) + u':' + (*it)->text(0));
        return nodes;
    }
    void expectTreeAsBuilt() { EXPECT_EQ(onScreen(), builtTree(db())); }

    QStringList rows(const QString& sql) { return rowsOf(db(), sql); }
    QStringList tables() { return keywordTables(db()); }
    QVariant ebene(qint64 sid) { return ebeneOf(db(), sid); }
    QVariant subsid(qint64 sid) { return subsidOf(db(), sid); }
    qint64 freeKeyword(const QString& text) { return keywordRow(db(), text, QVariant(), QVariant()); }
    qint64 placedKeyword(const QString& text, qint64 parent) { return test::placedKeyword(db(), text, parent); }
    QStringList gridTitles()
    {
        QStringList list;
        for (int r = 0; r < rezgrid()->model()->rowCount(); ++r) list << rezgrid()->model()->index(r, 0).data().toString();
        return list;
    }
    QStringList titlesOf(const QString& source)
    {
        QStringList list;
        db::Statement st(db(), source);
        while (st.step()) list << st.value(3).toString();
        return list;
    }
    void failOn(const QString& when) { test::failOn(db(), when); }

    // The text typed over the old one in the open label editor, then Enter or Escape.
    void typeInEditor(const QString& text, Qt::Key end = Qt::Key_Return)
    {
        QLineEdit* editor = labelEditor();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        editor->insert(text);
        if (end == Qt::Key_Return)
            enter(editor);
        else
            press(editor, end);
    }
    // F2 on the selected node opens the editor.
    void typeLabel(const QString& text, Qt::Key end)
    {
        press(tree(), Qt::Key_F2);
        typeInEditor(text, end);
    }
    QString stored(qint64 sid)
    {
        return db().scalar(QStringLiteral("select stichwort from stichworte where sid=?"), {sid}).toString();
    }
};

TEST_F(KeywordTree, ThePointerIsNormalAfterEveryShowAndAFailedBuild)
{
    db().execute(QStringLiteral("alter table rezstich rename to rezstich_weg"));
    dialogs.expect(QStringLiteral("FORM_LOAD : "), Answer::Ok).withTitle(kFehler);
    open();
    dialogs.verify();
    EXPECT_TRUE(window()->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // A second click on the window showing brings no activation; the build that failed is
    // tried again and the pointer taken back all the same.
    dialogs.expect(QStringLiteral("FORM_LOAD : "), Answer::Ok).withTitle(kFehler);
    open();
    dialogs.verify();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    db().execute(QStringLiteral("alter table rezstich_weg rename to rezstich"));
    windowButton("kreuz")->click();
    EXPECT_FALSE(window()->isVisible());
    open();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    expectTreeAsBuilt();
    // Shown again without a build: one pointer taken back, none too many.
    QApplication::setOverrideCursor(Qt::BusyCursor);
    open();
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
    QApplication::restoreOverrideCursor();
}

TEST_F(KeywordTree, DoubleClickListsTheRecipesOfTheSubtreeOrOfTheKeywordAlone)
{
    open();
    const QString before = rez()->recordSource();
    doubleClick(0);
    EXPECT_EQ(rez()->recordSource(), before) << "the root lists nothing";
    EXPECT_EQ(gesucht()->text(), alleGerichte);

    node(kAnlass)->setExpanded(true);
    doubleClick(kAnlass);
    const QString subtree = keywordRecipesSource(kAnlass, kGanzerPfad);
    EXPECT_EQ(rez()->recordSource(), subtree);
    EXPECT_EQ(gridTitles(), titlesOf(subtree));
    EXPECT_EQ(rezzahl()->text(), formatCount(gridTitles().size()));
    EXPECT_EQ(gesucht()->text(), QStringLiteral(">  Stichwort 'Anlass'"));

    // The choice applies from the next double click on.
    QTest::mouseClick(windowLabel("swort"), Qt::LeftButton);
    EXPECT_EQ(rez()->recordSource(), subtree);
    EXPECT_EQ(windowLabel("swort")->palette().color(QPalette::WindowText), QColor::fromRgb(ui::kOptionChosen));
    doubleClick(kWeihnachten);
    const QString alone = keywordRecipesSource(kWeihnachten, kNurGewaehltes);
    EXPECT_EQ(rez()->recordSource(), alone);
    EXPECT_EQ(gridTitles(), titlesOf(alone));

    // None: an empty list, no count, the description all the same.
    doubleClick(kEigene);
    EXPECT_EQ(rezgrid()->model()->rowCount(), 0);
    EXPECT_EQ(rezzahl()->text(), QString());
    EXPECT_EQ(gesucht()->text(), QStringLiteral(">  Stichwort 'Eigene Stichworte'"));
    QTest::mouseClick(windowLabel("sganz"), Qt::LeftButton);
    doubleClick(kJahreszeit);
    EXPECT_EQ(rez()->recordSource(), keywordRecipesSource(kJahreszeit, kGanzerPfad));
}

TEST_F(KeywordTree, TheMarkKeepsTheSavedImageAndGivesItBack)
{
    open();
    node(kJahreszeit)->setExpanded(true);
    doubleClick(kSommer);
    EXPECT_EQ(image(kSommer), 1);
    doubleClick(kSommer);
    EXPECT_EQ(image(kSommer), 1);
    doubleClick(kEigene);
    EXPECT_EQ(image(kSommer), 3) << "the repeated double click kept the image saved first";
    EXPECT_EQ(image(kEigene), 1);
    doubleClick(kHerbst);
    EXPECT_EQ(image(kEigene), 0);
}

TEST_F(KeywordTree, HidingAndShowingKeepsTheTreeAndItsState)
{
    open();
    node(kJahreszeit)->setExpanded(true);
    doubleClick(kSommer);
    windowButton("organ")->click();
    placedKeyword(QStringLiteral("Neu vom Editor"), kEigene);

    windowButton("kreuz")->click();
    EXPECT_FALSE(window()->isVisible());
    open();
    EXPECT_TRUE(window()->isVisible());
    EXPECT_EQ(window()->width(), Stichwortsuche::organizeWidth());
    EXPECT_EQ(image(kSommer), 1);
    EXPECT_EQ(onScreen().size(), builtTree(db()).size() - 1) << "no rebuild";
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(KeywordTree, OpensNarrowWithTheTreeBuiltAndOrganizeModeWidensIt)
{
    freeKeyword(QStringLiteral("Picknick"));
    ASSERT_TRUE(button("men3")->isEnabled());
    Stichwortsuche* w = open();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->width(), Stichwortsuche::browseWidth());
    ASSERT_EQ(tree()->topLevelItemCount(), 1);
    QTreeWidgetItem* root = tree()->topLevelItem(0);
    EXPECT_EQ(root->text(0), QStringLiteral("Stichworte"));
    EXPECT_EQ(root->data(0, Stichwortsuche::KeyRole).toString(), QStringLiteral("n0"));
    EXPECT_TRUE(root->isExpanded());
    QStringList top;
    for (int i = 0; i < root->childCount(); ++i) top << root->child(i)->text(0);
    EXPECT_EQ(top, (QStringList{QStringLiteral("Anlass"), QStringLiteral("Eigene Stichworte"),
                                QStringLiteral("Eigenschaften"), QStringLiteral("Jahreszeit"), QStringLiteral("Küche")}));
    expectTreeAsBuilt();
    EXPECT_EQ(image(kSommer), 3);
    EXPECT_EQ(image(kAnlass), 0);

    for (int organize : {1, 0}) {
        SCOPED_TRACE(organize);
        windowButton(organize ? "organ" : "zurück")->click();
        EXPECT_EQ(w->width(), organize ? Stichwortsuche::organizeWidth() : Stichwortsuche::browseWidth());
        EXPECT_EQ(windowButton("organ")->isVisible(), !organize);
        EXPECT_EQ(windowButton("zurück")->isVisible(), bool(organize));
        EXPECT_EQ(listgrid()->isVisible(), bool(organize));
        EXPECT_EQ(windowLabel("anzlabel")->text(), organize ? QStringLiteral("Neues Stichwort : Doppelklick")
                                                            : QStringLiteral("Anzeigen : Doppelklick"));
    }
    windowButton("organ")->click();
    EXPECT_EQ(texts(listgrid()), QStringList{QStringLiteral("Picknick")});
    EXPECT_FALSE(aliasgrid()->isEnabled()) << "empty until a keyword is clicked";
}

TEST_F(KeywordTree, TheFilterListsFreeKeywordsBeginningWithItsTextWildcardsIncluded)
{
    for (const char* text : {"Frikadelle", "fruchtig", "Obst", "Fr*sch", "O'Neil", "Ofenkartoffel"})
        freeKeyword(QString::fromUtf8(text));
    open();
    windowButton("organ")->click();
    auto* filter = control<QLineEdit>(window(), "filter");
    QTest::keyClicks(filter, QStringLiteral("fr"));
    EXPECT_EQ(texts(listgrid()), (QStringList{QStringLiteral("Fr*sch"), QStringLiteral("Frikadelle"), QStringLiteral("fruchtig")}));
    // The wildcards work as in the name search.
    const QStringList fr{QStringLiteral("Fr*sch"), QStringLiteral("Frikadelle"), QStringLiteral("fruchtig")};
    QTest::keyClicks(filter, QStringLiteral("*"));
    EXPECT_EQ(texts(listgrid()), fr);
    QTest::keyClicks(filter, QStringLiteral("del"));
    EXPECT_EQ(texts(listgrid()), QStringList{QStringLiteral("Frikadelle")});
    filter->clear();
    QTest::keyClicks(filter, QStringLiteral("?b"));
    EXPECT_EQ(texts(listgrid()), QStringList{QStringLiteral("Obst")});
    // An apostrophe is a letter of the text, not the end of it.
    filter->clear();
    QTest::keyClicks(filter, QStringLiteral("O'"));
    EXPECT_EQ(texts(listgrid()), QStringList{QStringLiteral("O'Neil")});
}

TEST_F(KeywordTree, PlacingAFreeKeywordUnderEigeneStichworte)
{
    const qint64 picknick = freeKeyword(QStringLiteral("Picknick"));
    freeKeyword(QStringLiteral("Brunch"));
    open();
    node(kJahreszeit)->setExpanded(true);
    doubleClick(kSommer);
    windowButton("organ")->click();
    click(kEigene);
    doubleClickRow(listgrid(), QStringLiteral("Picknick"));

    ASSERT_NE(node(picknick), nullptr);
    EXPECT_EQ(node(picknick)->parent(), node(kEigene));
    EXPECT_EQ(tree()->currentItem(), node(picknick));
    EXPECT_EQ(image(picknick), 1);
    EXPECT_EQ(image(kEigene), 2) << "the old mark shows the plain image";
    EXPECT_EQ(texts(listgrid()), QStringList{QStringLiteral("Brunch")});
    expectTreeAsBuilt();
    // The new node got no saved image of its own: the mark moving on gives it Eigene's.
    click(kSommer);
    EXPECT_EQ(image(picknick), 0);
}

TEST_F(KeywordTree, HidingMergingAndFreeingAliasesFromTheLists)
{
    const qint64 sonstiges = freeKeyword(QStringLiteral("Sonstiges"));
    const qint64 summer = freeKeyword(QStringLiteral("Sommerküche"));
    // Recipe 4 carries Sommer already: after the merge it is linked once.
    db().execute(QStringLiteral("insert into rezstich (rid,sid) values (4,?),(7,?)"), {summer, summer});
    open();
    windowButton("organ")->click();
    node(kJahreszeit)->setExpanded(true);

    choose(listgrid(), QStringLiteral("Sonstiges"));
    press(listgrid(), Qt::Key_Delete);
    EXPECT_EQ(ebene(sonstiges).toInt(), 255);
    EXPECT_EQ(texts(listgrid()), QStringList{QStringLiteral("Sommerküche")});

    click(kSommer);
    EXPECT_EQ(texts(aliasgrid()), QStringList{QStringLiteral("Summer")});
    choose(listgrid(), QStringLiteral("Sommerküche"));
    press(listgrid(), Qt::Key_Space);
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezstich where sid=9 and rid in (4,7)")), 2);
    EXPECT_TRUE(texts(listgrid()).isEmpty());
    EXPECT_EQ(texts(aliasgrid()), (QStringList{QStringLiteral("Sommerküche"), QStringLiteral("Summer")}));

    choose(aliasgrid(), QStringLiteral("Sommerküche"));
    press(aliasgrid(), Qt::Key_Delete);
    EXPECT_EQ(texts(aliasgrid()), QStringList{QStringLiteral("Summer")});
    EXPECT_EQ(texts(listgrid()), QStringList{QStringLiteral("Sommerküche")});
    expectTreeAsBuilt();
}

TEST_F(KeywordTree, ANewKeywordIsNamedAtOnceWithoutApostrophe)
{
    open();
    windowButton("organ")->click();
    node(kAnlass)->setExpanded(true);
    doubleClick(kWeihnachten);
    QTreeWidgetItem* added = tree()->currentItem();
    ASSERT_NE(added, node(kWeihnachten));
    EXPECT_EQ(added->text(0), kNeuesStichwort);
    EXPECT_EQ(added->parent(), node(kWeihnachten));
    EXPECT_EQ(image(sidOf(added)), 1);
    ASSERT_NE(labelEditor(), nullptr) << "the text is open for typing";
    typeInEditor(QStringLiteral("Plätzchen"));
    EXPECT_EQ(added->text(0), QStringLiteral("Plätzchen"));

    doubleClick(kWeihnachten);
    QTreeWidgetItem* second = tree()->currentItem();
    dialogs.expect(QStringLiteral("Sie dürfen - leider - das ' nicht verwenden:"), Answer::Ok)
        .withTitle(QStringLiteral("Kelvor"));
    typeInEditor(QStringLiteral("Omas Plätzchen's"));
    dialogs.verify();
    EXPECT_EQ(second->text(0), kNeuesStichwort);
    expectTreeAsBuilt();
}

TEST_F(KeywordTree, F2RenamesAndEscapeKeepsTheStoredText)
{
    open();
    node(kJahreszeit)->setExpanded(true);
    select(kSommer);
    typeLabel(QStringLiteral("Hochsommer"), Qt::Key_Escape);
    EXPECT_EQ(node(kSommer)->text(0), QStringLiteral("Sommer"));
    EXPECT_EQ(stored(kSommer), QStringLiteral("Sommer"));

    typeLabel(QStringLiteral("Hochsommer"), Qt::Key_Return);
    EXPECT_EQ(node(kSommer)->text(0), QStringLiteral("Hochsommer"));
    EXPECT_EQ(stored(kSommer), QStringLiteral("Hochsommer"));

    // A click on the selected node opens the text too, once no double click can follow.
    select(kHerbst);
    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, rectOf(node(kHerbst)).center());
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    QLineEdit* clicked = labelEditor();
    ASSERT_NE(clicked, nullptr);
    press(clicked, Qt::Key_Escape);

    // The root is never edited.
    select(0);
    press(tree(), Qt::Key_F2);
    EXPECT_EQ(labelEditor(), nullptr);
}

TEST_F(KeywordTree, DeleteAsksFirstAndDoesNothingWhileEditing)
{
    const qint64 kuerbis = placedKeyword(QStringLiteral("Kürbis"), kHerbst);
    open();
    windowButton("organ")->click();
    node(kJahreszeit)->setExpanded(true);
    const QStringList before = tables();

    select(kHerbst);
    press(tree(), Qt::Key_F2);
    QLineEdit* editor = labelEditor();
    ASSERT_NE(editor, nullptr);
    press(editor, Qt::Key_Delete);
    press(tree(), Qt::Key_Delete);
    press(editor, Qt::Key_Escape);
    EXPECT_EQ(tables(), before);

    dialogs.expect(QStringLiteral("Soll 'Herbst' wirklich aus der Stichwortliste gelöscht werden ?"), Answer::No)
        .withTitle(QStringLiteral(" "))
        .withStyle(ui::YesNo);
    press(tree(), Qt::Key_Delete);
    dialogs.verify();
    EXPECT_EQ(tables(), before);
    ASSERT_NE(node(kHerbst), nullptr);

    click(kSommer);
    click(kHerbst);
    ASSERT_EQ(image(kHerbst), 1);
    dialogs.expect(QStringLiteral("Soll 'Herbst' wirklich"), Answer::Yes);
    press(tree(), Qt::Key_Delete);
    dialogs.verify();
    EXPECT_EQ(node(kHerbst), nullptr);
    EXPECT_EQ(node(kuerbis), nullptr);
    EXPECT_FALSE(ebene(kHerbst).isValid());
    EXPECT_TRUE(texts(listgrid()).contains(QStringLiteral("Herbst")));
    expectTreeAsBuilt();
    // The mark went with its node: the next mark gives no image back to a removed node.
    click(kAnlass);
    EXPECT_EQ(image(kAnlass), 1);
}

TEST_F(KeywordTree, DropsMoveOrCopyTheDraggedKeyword)
{
    const qint64 plaetzchen = placedKeyword(QStringLiteral("Plätzchen"), kWeihnachten);
    open();
    windowButton("organ")->click();
    Stichwortsuche* w = window();
    node(kAnlass)->setExpanded(true);
    node(kJahreszeit)->setExpanded(true);
    click(kHerbst);   // the current keyword is not the one dragged

    ASSERT_TRUE(w->stich_OLEStartDrag(node(kWeihnachten)));
    EXPECT_TRUE(w->stich_OLEDragOver(node(kSommer)));
    w->stich_OLEDragDrop(node(kSommer), 0);
    EXPECT_EQ(subsid(kWeihnachten).toLongLong(), kSommer);
    EXPECT_EQ(ebene(plaetzchen).toInt(), 3);
    EXPECT_EQ(subsid(kHerbst).toLongLong(), kJahreszeit) << "the marked keyword stays";
    EXPECT_EQ(node(kWeihnachten)->parent(), node(kSommer));
    EXPECT_EQ(node(plaetzchen)->parent(), node(kWeihnachten));
    EXPECT_EQ(image(kWeihnachten), 1);
    expectTreeAsBuilt();

    const QStringList originals = rows(QStringLiteral("select * from stichworte"));
    const qint64 last = count(QStringLiteral("select max(sid) from stichworte"));
    ASSERT_TRUE(w->stich_OLEStartDrag(node(kWeihnachten)));
    w->stich_OLEDragDrop(node(kKueche), 1);
    EXPECT_EQ(rows(QStringLiteral("select * from stichworte where sid<=%1").arg(last)), originals);
    EXPECT_EQ(rows(QStringLiteral("select stichwort, ebene from stichworte where sid>%1 order by sid").arg(last)),
              (QStringList{QStringLiteral("Weihnachten|1"), QStringLiteral("Plätzchen|2")}));
    const qint64 copy = last + 1;
    EXPECT_EQ(node(copy)->parent(), node(kKueche));
    EXPECT_EQ(node(copy + 1)->parent(), node(copy));
    expectTreeAsBuilt();
}

TEST_F(KeywordTree, EveryKeywordAddedNamedOrMovedStandsInOrderAmongItsSiblings)
{
    const qint64 plaetzchen = placedKeyword(QStringLiteral("Plätzchen"), kWeihnachten);
    const qint64 advent = freeKeyword(QStringLiteral("Advent"));
    open();
    windowButton("organ")->click();
    node(kAnlass)->setExpanded(true);
    node(kJahreszeit)->setExpanded(true);
    node(kWeihnachten)->setExpanded(true);
    // The children of a node on screen, in their order, against a fresh build's.
    const auto expectInOrder = [&](qint64 parent) {
        QStringList shown;
        for (int i = 0; i < node(parent)->childCount(); ++i) shown << node(parent)->child(i)->text(0);
        QStringList built;
        for (const KeywordNode& k : shownKeywords(db()))
            if (k.parent == parent) built << k.text;
        EXPECT_EQ(shown, built) << parent;
    };

    click(kAnlass);
    doubleClickRow(listgrid(), QStringLiteral("Advent"));
    ASSERT_NE(node(advent), nullptr);
    expectInOrder(kAnlass);
    EXPECT_EQ(tree()->currentItem(), node(advent));

    doubleClick(kAnlass);
    QTreeWidgetItem* added = tree()->currentItem();
    ASSERT_EQ(added->text(0), kNeuesStichwort);
    expectInOrder(kAnlass);
    typeInEditor(QStringLiteral("Abendessen"));
    expectInOrder(kAnlass);
    EXPECT_EQ(node(kAnlass)->child(0), added);
    EXPECT_EQ(tree()->currentItem(), added) << "the renamed keyword stays the selected one";

    // A renamed keyword moves with its subtree, which stays open.
    click(kWeihnachten);
    typeLabel(QStringLiteral("Christfest"), Qt::Key_Return);
    expectInOrder(kAnlass);
    EXPECT_TRUE(node(kWeihnachten)->isExpanded());
    EXPECT_EQ(node(plaetzchen)->parent(), node(kWeihnachten));
    EXPECT_EQ(tree()->currentItem(), node(kWeihnachten));

    Stichwortsuche* w = window();
    ASSERT_TRUE(w->stich_OLEStartDrag(node(kSommer)));
    w->stich_OLEDragDrop(node(kAnlass), 0);
    expectInOrder(kAnlass);
    expectInOrder(kJahreszeit);
    ASSERT_TRUE(w->stich_OLEStartDrag(node(kHerbst)));
    w->stich_OLEDragDrop(node(kAnlass), 1);
    expectInOrder(kAnlass);
    expectTreeAsBuilt();
}

TEST_F(KeywordTree, TheWindowOpensBesideTheRecipeListAndLeavesTheCountVisible)
{
    Stichwortsuche* w = open();
    ASSERT_TRUE(w->isVisible());
    const QRect placed = w->frameGeometry();
    const QRect list(rezgrid()->mapToGlobal(QPoint(0, 0)), rezgrid()->size());
    const QRect counted(rezzahl()->mapToGlobal(QPoint(0, 0)), rezzahl()->size());
    EXPECT_FALSE(placed.intersects(list)) << "the list stays in sight";
    EXPECT_FALSE(placed.intersects(counted)) << "the count stays in sight";
    EXPECT_GE(placed.left(), list.right()) << "beside the list";
    EXPECT_TRUE(w->screen()->availableGeometry().contains(placed));

    // Moved by the user, it keeps its place at the next show.
    w->move(placed.topLeft() + QPoint(10, 20));
    windowButton("kreuz")->click();
    open();
    EXPECT_EQ(w->frameGeometry().topLeft(), placed.topLeft() + QPoint(10, 20));
}

TEST_F(KeywordTree, OrganizeModeWidensTheWindowWithinTheScreen)
{
    Stichwortsuche* w = open();
    const QRect area = w->screen()->availableGeometry();
    w->move(area.right() + 1 - w->frameGeometry().width(), area.top() + 40);
    windowButton("organ")->click();
    EXPECT_EQ(w->width(), Stichwortsuche::organizeWidth());
    EXPECT_TRUE(area.contains(w->frameGeometry())) << "the lists end inside the screen";
    EXPECT_EQ(w->frameGeometry().top(), area.top() + 40);
}

TEST_F(KeywordTree, BackFromOrganizeModeTheWindowStandsBesideTheCountAgain)
{
    Stichwortsuche* w = open();
    const QRect placed = w->frameGeometry();
    const QRect counted(rezzahl()->mapToGlobal(QPoint(0, 0)), rezzahl()->size());
    ASSERT_FALSE(placed.intersects(counted));
    ASSERT_GT(placed.left() + Stichwortsuche::organizeWidth(), w->screen()->availableGeometry().right())
        << "organize mode must shift the window for this test";

    windowButton("organ")->click();
    ASSERT_LT(w->frameGeometry().left(), placed.left());
    windowButton("zurück")->click();
    EXPECT_EQ(w->frameGeometry().topLeft(), placed.topLeft());
    windowButton("kreuz")->click();
    open();
    EXPECT_EQ(w->frameGeometry().topLeft(), placed.topLeft()) << "also at the next show";
    EXPECT_FALSE(w->frameGeometry().intersects(counted));

    // Moved by the user while organizing, it stays where he put it.
    windowButton("organ")->click();
    const QPoint put = w->frameGeometry().topLeft() + QPoint(-30, 10);
    w->move(put);
    windowButton("zurück")->click();
    EXPECT_EQ(w->frameGeometry().topLeft(), put);
}

TEST_F(KeywordTree, AfterADropTheAliasesShownAreThoseOfTheDraggedKeyword)
{
    db().execute(QStringLiteral("insert into impstich (sid,istich) values (?,'Fall')"), {kHerbst});
    open();
    windowButton("organ")->click();
    Stichwortsuche* w = window();
    node(kJahreszeit)->setExpanded(true);
    click(kSommer);
    ASSERT_EQ(texts(aliasgrid()), QStringList{QStringLiteral("Summer")});

    ASSERT_TRUE(w->stich_OLEStartDrag(node(kHerbst)));
    w->stich_OLEDragDrop(node(kAnlass), 0);
    ASSERT_EQ(node(kHerbst)->parent(), node(kAnlass));
    EXPECT_EQ(texts(aliasgrid()), QStringList{QStringLiteral("Fall")});
    EXPECT_TRUE(aliasgrid()->isEnabled());

    ASSERT_TRUE(w->stich_OLEStartDrag(node(kSommer)));
    w->stich_OLEDragDrop(node(kKueche), 2);
    EXPECT_EQ(texts(aliasgrid()), QStringList{QStringLiteral("Summer")}) << "a copy marks the dragged keyword too";
}

TEST_F(KeywordTree, RefusedActionsChangeNeitherTablesNorTree)
{
    const qint64 plaetzchen = placedKeyword(QStringLiteral("Plätzchen"), kWeihnachten);
    freeKeyword(QStringLiteral("Picknick"));
    open();
    windowButton("organ")->click();
    Stichwortsuche* w = window();
    node(kAnlass)->setExpanded(true);
    const QStringList before = tables();
    const QMap<qint64, QString> shown = onScreen();

    for (qint64 selected : {qint64(0), qint64(-1)}) {
        select(selected);
        choose(listgrid(), QStringLiteral("Picknick"));
        press(listgrid(), Qt::Key_Space);
        doubleClickRow(listgrid(), QStringLiteral("Picknick"));
        press(tree(), Qt::Key_Delete);
        w->neustich();
    }
    doubleClick(0);
    // Nothing chosen in the lists.
    select(kSommer);
    listgrid()->setCurrentIndex({});
    press(listgrid(), Qt::Key_Space);
    press(listgrid(), Qt::Key_Delete);
    aliasgrid()->setCurrentIndex({});
    press(aliasgrid(), Qt::Key_Delete);

    EXPECT_FALSE(w->stich_OLEStartDrag(node(0))) << "the root is not dragged";
    for (int shift : {0, 1}) {
        for (QTreeWidgetItem* target : {node(kWeihnachten), node(plaetzchen), node(0)}) {
            w->stich_OLEStartDrag(node(kWeihnachten));
            EXPECT_FALSE(w->stich_OLEDragOver(target));
            w->stich_OLEDragDrop(target, shift);
        }
    }
    EXPECT_EQ(tables(), before);
    EXPECT_EQ(onScreen(), shown);
}

TEST_F(KeywordTree, AFailureInAnyActionLeavesTablesAndTreeAsTheyWere)
{
    const qint64 plaetzchen = placedKeyword(QStringLiteral("Plätzchen"), kWeihnachten);
    placedKeyword(QStringLiteral("Zimtsterne"), plaetzchen);
    freeKeyword(QStringLiteral("Picknick"));
    open();
    windowButton("organ")->click();
    Stichwortsuche* w = window();
    node(kAnlass)->setExpanded(true);
    node(kJahreszeit)->setExpanded(true);
    click(kSommer);
    const QStringList before = tables();
    const QMap<qint64, QString> shown = onScreen();
    // The drop handler reports as the tree reports it.
    const auto drop = [&](int shift) {
        ui::guarded(QStringLiteral("STICH_OLEDRAGDROP : "), [&] {
            w->stich_OLEStartDrag(node(kWeihnachten));
            w->stich_OLEDragDrop(node(kSommer), shift);
        });
    };

    struct Case {
        const char* tag;
        QString when;
        std::function<void()> act;
        QString question = {};
    };
    const std::vector<Case> cases = {
        {"LISTGRID_DBLCLICK : ", QStringLiteral("before insert on substich"),
         [&] { doubleClickRow(listgrid(), QStringLiteral("Picknick")); }},
        {"LISTGRID_KEYDOWN : ", QStringLiteral("before update on stichworte"),
         [&] { choose(listgrid(), QStringLiteral("Picknick")); press(listgrid(), Qt::Key_Delete); }},
        {"LISTGRID_KEYDOWN : ", QStringLiteral("before delete on stichworte"),
         [&] { choose(listgrid(), QStringLiteral("Picknick")); press(listgrid(), Qt::Key_Space); }},
        {"ALIASGRID_KEYDOWN : ", QStringLiteral("before insert on stichworte"),
         [&] { choose(aliasgrid(), QStringLiteral("Summer")); press(aliasgrid(), Qt::Key_Delete); }},
        {"STICH_DBLCLICK : ", QStringLiteral("before insert on substich when new.sid = new.subsid"),
         [&] { doubleClick(kHerbst); }},
        {"STICH_AFTERLABELEDIT : ", QStringLiteral("before update on stichworte"),
         [&] {
             select(kSommer);
             typeLabel(QStringLiteral("Hochsommer"), Qt::Key_Return);
         }},
        {"STICH_KEYDOWN : ", QStringLiteral("before delete on substich"),
         [&] {
             select(kWeihnachten);
             press(tree(), Qt::Key_Delete);
         },
         QStringLiteral("Soll 'Weihnachten'")},
        {"STICH_OLEDRAGDROP : ", QStringLiteral("before update on stichworte when old.stichwort = 'Zimtsterne'"),
         [&] { drop(0); }},
        {"STICH_OLEDRAGDROP : ", QStringLiteral("before insert on stichworte when new.stichwort = 'Zimtsterne'"),
         [&] { drop(2); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.when.toStdString());
        failOn(c.when);
        if (!c.question.isEmpty()) dialogs.expect(c.question, Answer::Yes);
        dialogs.expect(QString::fromUtf8(c.tag), Answer::Ok).withTitle(kFehler);
        c.act();
        dialogs.verify();
        if (QLineEdit* editor = labelEditor()) press(editor, Qt::Key_Escape);
        db().execute(QStringLiteral("drop trigger gesperrt"));
        EXPECT_EQ(tables(), before);
        EXPECT_EQ(onScreen(), shown);
        select(kSommer);
    }
}

TEST_F(KeywordTree, AFailingDoubleClickKeepsTheList)
{
    open();
    node(kJahreszeit)->setExpanded(true);
    doubleClick(kSommer);
    const QStringList shown = gridTitles();
    const QString count = rezzahl()->text();
    db().execute(QStringLiteral("alter table substich rename to substich_weg"));
    dialogs.expect(QStringLiteral("STICH_DBLCLICK : "), Answer::Ok).withTitle(kFehler);
    doubleClick(kJahreszeit);
    dialogs.verify();
    EXPECT_EQ(gridTitles(), shown);
    EXPECT_EQ(rezzahl()->text(), count);
    EXPECT_EQ(gesucht()->text(), QStringLiteral(">  Stichwort 'Sommer'"));
}

TEST_F(KeywordTree, ASwitchShowsTheWholeNewListAndTheNextShowItsTree)
{
    const QString second = env.copyShippedCookbook(QStringLiteral("zweites"));
    {
        auto book = db::Database::open(second + kochbuchdatei);
        book->execute(QStringLiteral("insert into stichworte (stichwort, subsid, ebene) values ('Nur im zweiten', 0, 0)"));
        book->execute(QStringLiteral("delete from rezepte where rid > 3"));
    }
    open();
    node(kJahreszeit)->setExpanded(true);
    doubleClick(kSommer);
    windowButton("organ")->click();

    ASSERT_NO_FATAL_FAILURE(loadThroughFinddir(second));

    ASSERT_EQ(cookbook().name(), second + kochbuchdatei);
    EXPECT_EQ(gesucht()->text(), alleGerichte);
    EXPECT_EQ(rezgrid()->model()->rowCount(), 3);
    ASSERT_NE(window(), nullptr);
    EXPECT_FALSE(window()->isVisible());

    open();
    EXPECT_EQ(window()->width(), Stichwortsuche::browseWidth()) << "built as at a first show";
    expectTreeAsBuilt();
    EXPECT_TRUE(onScreen().values().contains(QStringLiteral("0:Nur im zweiten")));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(KeywordTree, AReadOnlyCookbookBrowsesButRefusesEveryChange)
{
    // An orphan whose parent is gone, and a free keyword.
    db().execute(QStringLiteral("insert into stichworte (stichwort, subsid, ebene) values ('verwaist', 999, 1)"));
    freeKeyword(QStringLiteral("Picknick"));
    shutDown();
    const WriteDenied denied(env.programFolder() + QStringLiteral("/kochbuch"));
    dialogs.expect(kSchreibgeschuetzt, Answer::Ok);
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(cookbook().readOnly());
    const QStringList before = tables();

    open();
    EXPECT_TRUE(ebene(count(QStringLiteral("select sid from stichworte where stichwort='verwaist'"))).isValid())
        << "no orphan is freed";
    node(kJahreszeit)->setExpanded(true);
    doubleClick(kSommer);
    EXPECT_EQ(gesucht()->text(), QStringLiteral(">  Stichwort 'Sommer'"));

    windowButton("organ")->click();
    Stichwortsuche* w = window();
    EXPECT_EQ(texts(listgrid()), QStringList{QStringLiteral("Picknick")});
    click(kHerbst);
    const auto refused = [&](const std::function<void()>& act) {
        dialogs.expect(kSchreibgeschuetzt, Answer::Ok);
        act();
        dialogs.verify();
    };
    refused([&] { doubleClickRow(listgrid(), QStringLiteral("Picknick")); });
    refused([&] { choose(listgrid(), QStringLiteral("Picknick")); press(listgrid(), Qt::Key_Delete); });
    refused([&] { choose(listgrid(), QStringLiteral("Picknick")); press(listgrid(), Qt::Key_Space); });
    refused([&] { w->neustich(); });
    refused([&] { press(tree(), Qt::Key_F2); });
    EXPECT_EQ(labelEditor(), nullptr);
    refused([&] { press(tree(), Qt::Key_Delete); });
    refused([&] {
        w->stich_OLEStartDrag(node(kHerbst));
        w->stich_OLEDragDrop(node(kAnlass), 0);
    });
    click(kSommer);
    refused([&] { choose(aliasgrid(), QStringLiteral("Summer")); press(aliasgrid(), Qt::Key_Delete); });
    EXPECT_EQ(tables(), before);
    expectTreeAsBuilt();
}

}  // namespace
}  // namespace kv::test
