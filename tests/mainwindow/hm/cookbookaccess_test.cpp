// Cookbooks that can only be read, and switches that fail, on the started program: the
// user is told why, keeps a working program, and no file changes that should not.

#include "core/cookbookdb.h"
#include "core/finddir_window.h"
#include "core/mainmod.h"
#include "core/rezsource.h"
#include "core/settings.h"
#include "platform/paths.h"
#include "tests/mainwindow/startedprogram.h"
#include "tests/support/writedenied.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>

namespace kv::test {
namespace {

using ui::Answer;

QByteArray digest(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

class CookbookAccess : public StartedProgram {
protected:
    QString deliveredFolder() { return env.programFolder() + QStringLiteral("/kochbuch/"); }
    QString deliveredFile() { return deliveredFolder() + kochbuchdatei; }
    QStringList gridTitles()
    {
        QStringList list;
        for (int r = 0; r < rezgrid()->model()->rowCount(); ++r) list << rezgrid()->model()->index(r, 0).data().toString();
        return list;
    }
    QStringList titles(db::Database& book)
    {
        QStringList list;
        db::Statement st(book, QStringLiteral("select rname from rezepte order by rname"));
        while (st.step()) list << st.text(0);
        return list;
    }
    // Every write the main window offers, refused with the one sentence: in the window
    // itself, the recipe editor and the maintenance window.
    void expectEveryWriteRefused()
    {
        const qint64 recipes = count(QStringLiteral("select count(*) from rezepte"));
        EXPECT_TRUE(zub()->isReadOnly());
        EXPECT_TRUE(stich()->isReadOnly());
        EXPECT_TRUE(komgrid()->lineEdit()->isReadOnly());
        dialogs.expect(kSchreibgeschuetzt, Answer::Ok);
        QTest::keyClick(rezgrid(), Qt::Key_Delete);
        for (const char* name : {"eininaus", "neuaus", "neurez", "editrez"}) {
            dialogs.expect(kSchreibgeschuetzt, Answer::Ok);
            button(name)->click();
        }
        for (const char* action : {"komprim", "deldup", "komment", "umlaut"}) {
            dialogs.expect(kSchreibgeschuetzt, Answer::Ok);
            button("men7")->click();
            control<QPushButton>(ui::WindowRegistry::loadedWindow(QStringLiteral("weiteres")), action)->click();
        }
        dialogs.verify();
        EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte")), recipes);
        EXPECT_FALSE(ui::WindowRegistry::get(QStringLiteral("neu_rezept"))->isVisible());
        EXPECT_FALSE(ui::WindowRegistry::isLoaded(QStringLiteral("weiters_komment")));
    }
};

class ReadOnlyCookbook : public CookbookAccess, public ::testing::WithParamInterface<const char*> {};

// A cookbook opened before, now in a folder the user may not write to.
TEST_P(ReadOnlyCookbook, OpensListsFiltersAndRefusesEveryWrite)
{
    ASSERT_NO_FATAL_FAILURE(start());
    shutDown();
    db::Database::open(deliveredFile())->execute(QStringLiteral("PRAGMA journal_mode=%1").arg(QLatin1String(GetParam())));
    const QByteArray before = digest(deliveredFile());
    const WriteDenied denied(deliveredFolder());

    dialogs.expect(kSchreibgeschuetzt, Answer::Ok);
    ASSERT_NO_FATAL_FAILURE(launch());

    EXPECT_TRUE(cookbook().readOnly());
    EXPECT_EQ(gridTitles(), titles(cookbook()));
    const qint64 searches = count(QStringLiteral("select count(*) from letztsuch"));
    chooseFilter(QStringLiteral("Suppen"));
    EXPECT_EQ(gesucht()->text(), QStringLiteral("> Rubrik 'Suppen'"));
    EXPECT_EQ(rezgrid()->model()->rowCount(), count(QStringLiteral("select count(*) from rezepte where kid=2")));
    EXPECT_EQ(count(QStringLiteral("select count(*) from letztsuch")), searches) << "a search was recorded";
    expectEveryWriteRefused();

    shutDown();
    EXPECT_EQ(digest(deliveredFile()), before);
    EXPECT_FALSE(QFile::exists(deliveredFile() + QStringLiteral("-journal")));
}

INSTANTIATE_TEST_SUITE_P(JournalModes, ReadOnlyCookbook, ::testing::Values("DELETE", "WAL"));

TEST_F(CookbookAccess, DeliveredCookbookInAReadOnlyProgramFolderOpensWithoutIndexes)
{
    const WriteDenied denied(env.programFolder());
    // The print-settings file cannot be made there: said once, and the start goes on.
    dialogs.expect(QStringLiteral("LOADDBS (datendb) - "), Answer::Retry);
    dialogs.expect(kSchreibgeschuetzt, Answer::Ok);

    ASSERT_NO_FATAL_FAILURE(launch());

    EXPECT_TRUE(cookbook().readOnly());
    EXPECT_EQ(cookbook().indexCount(QStringLiteral("rezepte")), 0);
    EXPECT_EQ(gridTitles(), titles(cookbook()));
    EXPECT_EQ(getreg(reg::wizard), QStringLiteral("on"));
    expectEveryWriteRefused();
}

TEST_F(CookbookAccess, SwitchUnderACategoryShowsTheWholeNewList)
{
    ASSERT_NO_FATAL_FAILURE(start());
    const QString second = env.copyShippedCookbook(QStringLiteral("zweites"));
    {
        auto book = db::Database::open(second + kochbuchdatei);
        book->execute(QStringLiteral("insert into rezepte (rname,port,kid) values ('Zitronenkuchen',4,5)"));
    }
    chooseFilter(QStringLiteral("Suppen"));
    ASSERT_LT(rezgrid()->model()->rowCount(), count(QStringLiteral("select count(*) from rezepte")));

    expectIndexBuild();
    ASSERT_TRUE(switchCookbook(second));
    dialogs.verify();

    EXPECT_EQ(cookbook().name(), second + kochbuchdatei);
    EXPECT_EQ(getreg(reg::loadeddir), second);
    EXPECT_EQ(gesucht()->text(), alleGerichte);
    EXPECT_EQ(katgrid()->currentIndex(), 0);
    EXPECT_EQ(gridTitles(), titles(cookbook()));
    EXPECT_EQ(rezzahl()->text(), formatCount(count(QStringLiteral("select count(*) from rezepte"))));
}

TEST_F(CookbookAccess, SwitchUnderAnImportFileShowsTheNoFilterEntryFirstAndChosen)
{
    ASSERT_NO_FATAL_FAILURE(start());
    // Import files are stored by their full path, which sorts before "Alle".
    db().execute(QStringLiteral("insert into importdateien (did, dname, \"check\") values (2, '/home/anna/fleisch.mmf', 0)"));
    const QString second = env.copyShippedCookbook(QStringLiteral("zweites"));
    {
        auto book = db::Database::open(second + kochbuchdatei);
        book->execute(QStringLiteral("insert into importdateien (did, dname, \"check\") values "
                                     "(2, '/home/bert/suppen.mmf', 0), (3, '/home/bert/kuchen.mmf', 0)"));
    }
    button("rubmodechange")->click();
    button("rubmodechange")->click();
    ASSERT_EQ(label("ger")->text(), QStringLiteral("D a t e i :"));
    EXPECT_EQ(katgrid()->itemText(0), QStringLiteral("Alle")) << "the no-filter entry stands first";
    chooseFilter(QStringLiteral("Beispielrezepte"));
    ASSERT_NE(gesucht()->text(), alleGerichte);

    ASSERT_NO_FATAL_FAILURE(loadThroughFinddir(second));

    ASSERT_EQ(cookbook().name(), second + kochbuchdatei);
    EXPECT_EQ(gesucht()->text(), alleGerichte);
    EXPECT_EQ(gridTitles(), titles(cookbook()));
    EXPECT_EQ(katgrid()->currentText(), QStringLiteral("Alle")) << "the box says what the list shows";
    EXPECT_EQ(katgrid()->itemText(0), QStringLiteral("Alle"));
    EXPECT_EQ(katgrid()->itemText(1), QStringLiteral("/home/bert/kuchen.mmf"));
}

TEST_F(CookbookAccess, FailedOrCancelledSwitchKeepsTheOldCookbookOpenShownAndStored)
{
    ASSERT_NO_FATAL_FAILURE(start());
    const QString first = deliveredFolder();
    const QStringList shown = gridTitles();

    // A step of the new cookbook fails and the user cancels.
    const QString failing = env.copyShippedCookbook(QStringLiteral("kaputt"));
    {
        auto book = db::Database::open(failing + kochbuchdatei);
        book->execute(QStringLiteral("create trigger gesperrt before insert on changelog "
                                     "begin select raise(abort, 'gesperrt'); end"));
    }
    const QByteArray failingBefore = digest(failing + kochbuchdatei);
    dialogs.expect(QStringLiteral("Kelvor muß beim ersten Starten seine Suchindizes erstellen."), Answer::Ok);
    dialogs.expect(QStringLiteral("LOADDBS (updatedata) - "), Answer::Cancel);
    EXPECT_FALSE(switchCookbook(failing));

    // A file the user may not read.
    const QString unreadable = env.copyShippedCookbook(QStringLiteral("gesperrt"));
    paths::setAccessCheck([unreadable](const QString& path, paths::Access access) -> std::optional<bool> {
        if (access == paths::Access::Read && path.startsWith(unreadable)) return false;
        return std::nullopt;
    });
    dialogs.expect(QStringLiteral("kann nicht geöffnet werden. Das bisherige Kochbuch bleibt geöffnet."), Answer::Ok);
    EXPECT_FALSE(switchCookbook(unreadable));
    paths::setAccessCheck({});
    dialogs.verify();

    EXPECT_EQ(cookbook().name(), first + kochbuchdatei);
    EXPECT_EQ(getreg(reg::loadeddir), first);
    EXPECT_EQ(gridTitles(), shown);
    EXPECT_EQ(digest(failing + kochbuchdatei), failingBefore);
    // Still usable: another row shows its recipe.
    rez()->recordset()->moveLast();
    hm->rezauswahl();
    EXPECT_EQ(reznam()->text(), shown.last());
}

}  // namespace
}  // namespace kv::test
