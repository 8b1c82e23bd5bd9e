// Both searches in the started program: opened through the main window's buttons, typed
// into and clicked as the user does, with what they leave in the main window's list.

#include "core/cookbookdb.h"
#include "platform/ui/look.h"
#include "search/suchen_window.h"
#include "search/zutatensuche_window.h"
#include "tests/mainwindow/startedprogram.h"
#include "tests/support/writedenied.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QListWidget>
#include <QTest>

namespace kv::test {
namespace {

using ui::Answer;

bool chosen(QLabel* option)
{
    return option->palette().color(QPalette::WindowText) == QColor::fromRgb(ui::kOptionChosen);
}

class SearchWindows : public StartedProgram {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(start()); }

    Suchen* suchen() { return ui::WindowRegistry::instance<Suchen>(QStringLiteral("suchen")); }
    Zutatensuche* zutatensuche() { return ui::WindowRegistry::instance<Zutatensuche>(QStringLiteral("zutatensuche")); }

    // Opens a search window through its button on the main window; `act` works in it as
    // the user would.
    void openWindow(const char* men, const QString& name, const std::function<void(QWidget*)>& act)
    {
        dialogs.expectModal(name, [&] {
            QWidget* w = ui::WindowRegistry::get(name);
            w->show();
            w->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(w));
            act(w);
            return 0;
        });
        button(men)->click();
    }
    void inSuchen(const std::function<void(QWidget*)>& act) { openWindow("men1", QStringLiteral("suchen"), act); }
    void inZutatensuche(const std::function<void(QWidget*)>& act)
    {
        openWindow("men2", QStringLiteral("zutatensuche"), act);
    }

    // Types a title part and presses Enter; the window hides itself.
    void typeAndEnter(QWidget* w, const QString& text)
    {
        QTest::keyClicks(control<QLineEdit>(w, "suche"), text);
        QTest::keyClick(control<QLineEdit>(w, "suche"), Qt::Key_Return);
        EXPECT_FALSE(w->isVisible());
    }
    void searchName(const QString& text)
    {
        inSuchen([&](QWidget* w) { typeAndEnter(w, text); });
        dialogs.verify();
    }
    // Keys for what a keyboard types directly, the rest as a typed-in character would be.
    static void type(QLineEdit* edit, const QString& text)
    {
        for (const QChar c : text) {
            if (c.unicode() < 0x80) QTest::keyClicks(edit, QString(c));
            else edit->insert(QString(c));
        }
    }
    // The terms in the any-of column.
    void searchIngredients(const QStringList& any)
    {
        inZutatensuche([&](QWidget* w) {
            for (int i = 0; i < any.size(); ++i) type(control<QLineEdit>(w, QStringLiteral("z%1").arg(i)), any[i]);
            control<QToolButton>(w, "weiter")->click();
        });
        dialogs.verify();
    }
    QListWidget* bisher() { return control<QListWidget>(suchen(), "bisher"); }
    QStringList historyTexts()
    {
        QStringList texts;
        for (int i = 0; i < bisher()->count(); ++i) texts << bisher()->item(i)->text();
        return texts;
    }
    QStringList gridTitles()
    {
        QStringList list;
        for (int r = 0; r < rezgrid()->model()->rowCount(); ++r) list << rezgrid()->model()->index(r, 0).data().toString();
        return list;
    }
    // A name search, an ingredient search and the first history entry loaded.
    std::vector<std::pair<const char*, std::function<void()>>> eachKindOfSearch(const QString& name,
                                                                               const QStringList& ingredients)
    {
        return {{"name", [=, this] { searchName(name); }},
                {"ingredients", [=, this] { searchIngredients(ingredients); }},
                {"history", [this] {
                     inSuchen([&](QWidget*) { doubleClick(bisher(), 0); });
                     dialogs.verify();
                 }}};
    }
    void doubleClick(QListWidget* list, int row)
    {
        // The list lays out its items when the events of its showing are through.
        QApplication::processEvents();
        const QRect rect = list->visualItemRect(list->item(row));
        // A double click begins with a click, which chooses the entry.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }
};

TEST_F(SearchWindows, NameSearchFromTheMainWindowFillsTheList)
{
    EXPECT_TRUE(button("men1")->isEnabled());
    EXPECT_TRUE(button("men2")->isEnabled());
    inSuchen([&](QWidget* w) {
        // The typos are the program's own texts.
        EXPECT_EQ(control<QLabel>(w, "Label3")->text(), QStringLiteral("B i s h e r   g e s u c ht  :"));
        EXPECT_EQ(control<QLabel>(w, "teil0")->text(), QStringLiteral("Beliebiger Teil des Names"));
        EXPECT_TRUE(chosen(control<QLabel>(w, "teil0")));
        EXPECT_FALSE(chosen(control<QLabel>(w, "teil1")));
        EXPECT_TRUE(chosen(control<QLabel>(w, "fein0")));
        EXPECT_TRUE(control<QLineEdit>(w, "suche")->hasFocus());
        typeAndEnter(w, QStringLiteral("lachs"));
    });
    dialogs.verify();
    EXPECT_EQ(gridTitles(), QStringList{"Lachs aus dem Ofen mit Gemüse"});
    EXPECT_EQ(gesucht()->text(), QStringLiteral("> Gericht : lachs"));
    EXPECT_EQ(rezzahl()->text(), QStringLiteral("1"));
    EXPECT_EQ(reznam()->text(), QStringLiteral("Lachs aus dem Ofen mit Gemüse"));
}

TEST_F(SearchWindows, EnterOrSearchButtonWithoutTypingDoNothing)
{
    inSuchen([&](QWidget* w) {
        QTest::keyClick(control<QLineEdit>(w, "suche"), Qt::Key_Return);
        control<QToolButton>(w, "weiter")->click();
        EXPECT_TRUE(w->isVisible());
        control<QToolButton>(w, "kreuz")->click();
        EXPECT_FALSE(w->isVisible());
    });
    dialogs.verify();
    EXPECT_EQ(gesucht()->text(), alleGerichte);
    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuch")), 0);
    EXPECT_TRUE(ui::WindowRegistry::isLoaded(QStringLiteral("suchen")));
}

TEST_F(SearchWindows, OptionsStayChosenAndRefineTheListShown)
{
    inSuchen([&](QWidget* w) {
        QTest::mouseClick(control<QLabel>(w, "teil1"), Qt::LeftButton);
        EXPECT_TRUE(chosen(control<QLabel>(w, "teil1")));
        EXPECT_FALSE(chosen(control<QLabel>(w, "teil0")));
        typeAndEnter(w, QStringLiteral("APFEL"));
    });
    dialogs.verify();
    EXPECT_EQ(gridTitles(), (QStringList{"Apfelkuchen aus der Springform", "Apfelpunsch ohne Alkohol"}));

    inSuchen([&](QWidget* w) {
        EXPECT_TRUE(chosen(control<QLabel>(w, "teil1")));
        EXPECT_TRUE(control<QLineEdit>(w, "suche")->text().isEmpty());
        QTest::mouseClick(control<QLabel>(w, "teil2"), Qt::LeftButton);
        QTest::mouseClick(control<QLabel>(w, "fein1"), Qt::LeftButton);
        EXPECT_FALSE(chosen(control<QLabel>(w, "fein0")));
        QTest::keyClicks(control<QLineEdit>(w, "suche"), QStringLiteral("alkohol"));
        control<QToolButton>(w, "weiter")->click();
        EXPECT_FALSE(w->isVisible());
    });
    dialogs.verify();
    EXPECT_EQ(gridTitles(), QStringList{"Apfelpunsch ohne Alkohol"});
    EXPECT_EQ(gesucht()->text(), QStringLiteral("> Gericht : APFEL, Gericht : alkohol"));
}

TEST_F(SearchWindows, HistoryIsListedLoadedAndDeleted)
{
    searchName(QStringLiteral("mit"));
    const QStringList mit = gridTitles();
    searchName(QStringLiteral("zopf"));
    searchIngredients({QStringLiteral("zimt")});

    inSuchen([&](QWidget* w) {
        EXPECT_EQ(historyTexts(), (QStringList{"Gericht : mit", "Gericht : zopf", "Zutatensuche : zimt"}));
        doubleClick(bisher(), 0);
        EXPECT_FALSE(w->isVisible());
    });
    dialogs.verify();
    EXPECT_EQ(gridTitles(), mit);
    EXPECT_EQ(gesucht()->text(), QStringLiteral("> Gericht : mit"));
    EXPECT_EQ(rezzahl()->text(), QString::number(mit.size()));

    inSuchen([&](QWidget*) {
        bisher()->setCurrentRow(1);
        QTest::keyClick(bisher(), Qt::Key_Delete);
        EXPECT_EQ(historyTexts(), (QStringList{"Gericht : mit", "Zutatensuche : zimt"}));
        EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuch")), 2);

        dialogs.expect(QStringLiteral("Alle bisherigen Suchläufe löschen ?"), Answer::No);
        control<QToolButton>(suchen(), "loeschaus")->click();
        EXPECT_EQ(bisher()->count(), 2);
        dialogs.expect(QStringLiteral("Alle bisherigen Suchläufe löschen ?"), Answer::Yes);
        control<QToolButton>(suchen(), "loeschaus")->click();
        EXPECT_EQ(bisher()->count(), 0);
        control<QToolButton>(suchen(), "kreuz")->click();
    });
    dialogs.verify();
    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuch")), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuchrids")), 0);
}

TEST_F(SearchWindows, IngredientSearchFromTheMainWindowKeepsItsFields)
{
    inZutatensuche([&](QWidget* w) {
        EXPECT_TRUE(control<QLabel>(w, "status")->text().endsWith(QStringLiteral("der Begriff 'ei' empfielt sich hingegen nicht.")));
        QTest::keyClicks(control<QLineEdit>(w, "z0"), QStringLiteral("zwiebel"));
        QTest::keyClicks(control<QLineEdit>(w, "z3"), QStringLiteral("knoblauch"));
        type(control<QLineEdit>(w, "m6"), QStringLiteral("öl"));
        QTest::keyClicks(control<QLineEdit>(w, "n2"), QStringLiteral("TOMATE"));
        dialogs.expect(QStringLiteral("Der Begriff 'öl' wird übergangen, da er zu kurz ist."), Answer::Ok);
        control<QToolButton>(w, "weiter")->click();
        EXPECT_FALSE(w->isVisible());
        EXPECT_EQ(w->focusWidget(), control<QLineEdit>(w, "z0"));
        EXPECT_EQ(control<QLabel>(w, "status")->text(),
                  QStringLiteral("Die Zutatensuche ist ein umfangreicher Vorgang. Kelvor verarbeitet gerade Schritt 7 von 7."));
    });
    dialogs.verify();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(gridTitles(), (QStringList{"Gebratener Reis mit Gemüse und Ei", "Hähnchenbrust mit Zitronen-Kräuter-Marinade",
                                         "Kartoffelsuppe mit Majoran", "Kräuterquark"}));
    EXPECT_EQ(gesucht()->text(), QStringLiteral("> zwiebel|knoblauch - TOMATE"));
    EXPECT_EQ(rezzahl()->text(), QStringLiteral("4"));

    inZutatensuche([&](QWidget* w) {
        EXPECT_EQ(control<QLineEdit>(w, "z3")->text(), QStringLiteral("knoblauch"));
        control<QToolButton>(w, "loesch")->click();
        for (const char* column : {"z", "m", "n"})
            for (int i = 0; i < 7; ++i)
                EXPECT_TRUE(control<QLineEdit>(w, QString::fromLatin1(column) + QString::number(i))->text().isEmpty());
        control<QToolButton>(w, "kreuz")->click();
        EXPECT_FALSE(w->isVisible());
    });
    dialogs.verify();
}

TEST_F(SearchWindows, FailureInTheSeriesOnlyShowsTheBox)
{
    searchName(QStringLiteral("mit"));
    const QStringList shown = gridTitles();
    db().execute(QStringLiteral("create trigger kaputt before insert on suchfound begin select raise(abort, 'kaputt'); end"));
    inZutatensuche([&](QWidget* w) {
        QTest::keyClicks(control<QLineEdit>(w, "m0"), QStringLiteral("zwiebel"));
        dialogs.expect(QStringLiteral("SUCHLISTE : "), Answer::Ok).withTitle(QStringLiteral(" F E H L E R"));
        control<QToolButton>(w, "weiter")->click();
        EXPECT_TRUE(w->isVisible());
        control<QToolButton>(w, "kreuz")->click();
    });
    dialogs.verify();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(gridTitles(), shown);
    EXPECT_EQ(gesucht()->text(), QStringLiteral("> Gericht : mit"));
    EXPECT_EQ(rezzahl()->text(), QString::number(shown.size()));
    EXPECT_EQ(count(QStringLiteral("select count(*) from suchzutat")), 0);
}

// After each kind of search the list's own tools work on what it shows: the category
// filter, a refinement, and adding the whole list to the quick list.
TEST_F(SearchWindows, FilterRefinementAndAddAllActOnTheListOfEachSearch)
{
    searchName(QStringLiteral("mit"));  // recorded for the history below
    for (const auto& [kind, run] : eachKindOfSearch(QStringLiteral("mit"), {QStringLiteral("zwiebel"), QStringLiteral("knoblauch")})) {
        SCOPED_TRACE(kind);
        run();
        ASSERT_GT(rezgrid()->model()->rowCount(), 2);
        chooseFilter(QStringLiteral("Nudeln & Reis"));
        EXPECT_EQ(gridTitles(), (QStringList{"Gebratener Reis mit Gemüse und Ei", "Spaghetti mit Tomatensauce"}));
        inSuchen([&](QWidget* w) {
            QTest::mouseClick(control<QLabel>(w, "fein1"), Qt::LeftButton);
            typeAndEnter(w, QStringLiteral("reis"));
            QTest::mouseClick(control<QLabel>(w, "fein0"), Qt::LeftButton);
        });
        dialogs.verify();
        EXPECT_EQ(gridTitles(), QStringList{"Gebratener Reis mit Gemüse und Ei"});
        const qint64 before = count(QStringLiteral("select count(*) from rezinaus where aid=1 and rid=11"));
        button("auswahlalle")->click();
        EXPECT_EQ(count(QStringLiteral("select count(*) from rezinaus where aid=1 and rid=11")), before + 1);
        EXPECT_EQ(count(QStringLiteral("select count(*) from rezinaus where aid=1")), 2 + before + 1);
    }
}

TEST_F(SearchWindows, SwitchAfterEachSearchShowsTheWholeNewCookbook)
{
    searchName(QStringLiteral("zopf"));  // recorded for the history below
    int n = 0;
    for (const auto& [kind, run] : eachKindOfSearch(QStringLiteral("lachs"), {QStringLiteral("zimt")})) {
        SCOPED_TRACE(kind);
        const QString folder = env.copyShippedCookbook(QStringLiteral("anderes%1").arg(++n));
        {
            auto book = db::Database::open(folder + kochbuchdatei);
            book->execute(QStringLiteral("insert into rezepte (rname,port,kid) values ('Zitronenkuchen',4,13)"));
            book->execute(QStringLiteral("insert into letztsuch (ssql,stext) values ('','Gericht : zopf')"));
            book->execute(QStringLiteral("insert into letztsuchrids (sid,rid) values (1,14)"));
        }
        run();
        ASSERT_LT(rezgrid()->model()->rowCount(), 14);
        expectIndexBuild();
        ASSERT_TRUE(switchCookbook(folder));
        dialogs.verify();
        EXPECT_EQ(gesucht()->text(), alleGerichte);
        EXPECT_EQ(rezgrid()->model()->rowCount(), 15);
        EXPECT_EQ(rezzahl()->text(), QStringLiteral("15"));
    }
    // The name search reads the new cookbook's history at its next showing.
    inSuchen([&](QWidget* w) {
        EXPECT_EQ(historyTexts(), QStringList{"Gericht : zopf"});
        control<QToolButton>(w, "kreuz")->click();
    });
    dialogs.verify();
}

QByteArray digest(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

TEST_F(SearchWindows, ReadOnlyCookbookSearchesByNameAndChangesNothing)
{
    searchName(QStringLiteral("zopf"));
    searchIngredients({QStringLiteral("zimt")});
    db().execute(QStringLiteral("delete from rezepte where rid=14"));
    shutDown();
    const QString file = env.programFolder() + QStringLiteral("/kochbuch/") + kochbuchdatei;
    const QByteArray before = digest(file);
    const WriteDenied denied(env.programFolder() + QStringLiteral("/kochbuch/"));
    dialogs.expect(kSchreibgeschuetzt, Answer::Ok);
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(cookbook().readOnly());

    searchName(QStringLiteral("mit"));
    EXPECT_EQ(gesucht()->text(), QStringLiteral("> Gericht : mit"));
    EXPECT_EQ(rezgrid()->model()->rowCount(), 6);

    inZutatensuche([&](QWidget* w) {
        QTest::keyClicks(control<QLineEdit>(w, "z0"), QStringLiteral("zimt"));
        dialogs.expect(kSchreibgeschuetzt, Answer::Ok);
        control<QToolButton>(w, "weiter")->click();
        EXPECT_TRUE(w->isVisible());
        control<QToolButton>(w, "kreuz")->click();
    });
    dialogs.verify();
    EXPECT_EQ(gesucht()->text(), QStringLiteral("> Gericht : mit"));

    inSuchen([&](QWidget* w) {
        EXPECT_EQ(historyTexts(), (QStringList{"Gericht : zopf", "Zutatensuche : zimt"}));
        bisher()->setCurrentRow(1);
        dialogs.expect(kSchreibgeschuetzt, Answer::Ok);
        QTest::keyClick(bisher(), Qt::Key_Delete);
        dialogs.expect(kSchreibgeschuetzt, Answer::Ok);
        control<QToolButton>(w, "loeschaus")->click();
        EXPECT_EQ(bisher()->count(), 2);
        dialogs.expect(QStringLiteral("Alle Rezepte aus dem gespeicherten Suchergebnis wurden gelöscht."), Answer::Ok);
        dialogs.expect(kSchreibgeschuetzt, Answer::Ok);
        doubleClick(bisher(), 0);
    });
    dialogs.verify();
    EXPECT_EQ(rezgrid()->model()->rowCount(), 0);

    shutDown();
    EXPECT_EQ(digest(file), before);
}

}  // namespace
}  // namespace kv::test
