#include "core/cookbookdb.h"
#include "core/ende_window.h"
#include "core/finddir_window.h"
#include "core/settings.h"
#include "platform/db/database.h"
#include "platform/paths.h"
#include "platform/ui/closinghooks.h"
#include "platform/ui/windows.h"
#include "tests/core/windows/windowstest.h"
#include "tests/support/guitest.h"
#include "tests/support/readonlymedium.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

using kv::kochbuchdb;
using kv::test::control;
using kv::ui::Answer;
using kv::ui::WindowRegistry;

namespace {

const QString kein = QStringLiteral("In diesem Verzeichnis ist kein Kochbuch.");
const QString andere =
    QStringLiteral("In diesem Verzeichnis ist kein Kochbuch, sondern eine andere Datenbankdatei.");
const QString mussLaden = QStringLiteral(
    "Sie  m ü s s e n  ein Kochbuch laden, denn Kelvor kann ohne Kuchbuch nicht existieren. "
    "Wollen Sie Kelvor beenden ?");

class FinddirTest : public kv::test::WindowsTest {
protected:
    kv::Finddir* dialog() { return WindowRegistry::instance<kv::Finddir>(QStringLiteral("finddir")); }
    QString statusText() { return control<QLabel>(dialog(), "status")->text(); }
    bool startOffered() { return !control<QPushButton>(dialog(), "start")->isHidden(); }
    void click(const char* button) { control<QPushButton>(dialog(), button)->click(); }
    bool finddirLoaded() { return WindowRegistry::isLoaded(QStringLiteral("finddir")); }
    // Stands for a window holding rows of the open cookbook, as the keyword tree does: the
    // switch must let it drop them while the old file is still the open one. The names of
    // the files open when it was told.
    const QStringList& holdRowsOfTheOpenCookbook()
    {
        kv::ui::onCookbookClosing(&m_holder, [this] { m_closedOn << kochbuchdb->name(); });
        return m_closedOn;
    }

    // The opening as the start runs it, with the boxes the test expects.
    void openAtStart()
    {
        kv::startingup = true;
        kv::opendaten();
        kv::startingup = false;
        dialogs.verify();
    }

    QString emptyFolder(const QString& name)
    {
        const QString folder = env.tempPath(name) + u'/';
        QDir().mkpath(folder);
        return folder;
    }
    // A folder whose "kelvor-daten.mdb" is some other SQLite database.
    QString foreignFolder(const QString& name)
    {
        const QString folder = emptyFolder(name);
        auto db = kv::db::Database::create(folder + kv::kochbuchdatei);
        db->execute(QStringLiteral("create table kunden (kid integer, kname text)"));
        db->close();
        return folder;
    }

private:
    QObject m_holder;
    QStringList m_closedOn;
};

TEST(FinddirStart, ImportFolderWhenAFileSearchFindsItElseHome)
{
    kv::test::TestEnvironment env;
    const QString home = kv::paths::absoluteFolder(kv::paths::homeFolder());
    const QString import = env.tempPath(QStringLiteral("import")) + u'/';
    QDir().mkpath(import);
    kv::test::writeFileBytes(import + QStringLiteral("rezepte.mmf"), {});

    EXPECT_EQ(kv::finddirStartFolder(QString()), home);
    EXPECT_EQ(kv::finddirStartFolder(env.tempPath(QStringLiteral("fehlt/"))), home);
    EXPECT_EQ(kv::finddirStartFolder(import), import);
    EXPECT_EQ(kv::finddirStartFolder(import.chopped(1)), import);
    EXPECT_EQ(kv::finddirStartFolder(import + QStringLiteral("rezepte.mmf")), import);

    // Folders only: the search finds no file there.
    const QString folders = env.tempPath(QStringLiteral("nurordner")) + u'/';
    QDir().mkpath(folders + QStringLiteral("unter"));
    EXPECT_EQ(kv::finddirStartFolder(folders), home);
}

TEST_F(FinddirTest, OpensOnTheImportFolderAndNamesItsCookbook)
{
    const QString folder = cookbookCopy(QStringLiteral("import"), QStringLiteral("Omas Küche"), 3);
    kv::savereg(kv::reg::importpfad, folder);

    EXPECT_EQ(dialog()->idirPath(), folder);
    EXPECT_EQ(statusText(), QStringLiteral("Kochbuch : Omas Küche"));
    EXPECT_TRUE(startOffered());

    auto* idrive = control<QComboBox>(dialog(), "idrive");
    ASSERT_EQ(idrive->itemData(0).toString(), QStringLiteral("/"));
    ASSERT_GT(idrive->count(), 1);  // the home folder follows
    if (idrive->currentIndex() == 0) idrive->setCurrentIndex(1);
    idrive->setCurrentIndex(0);
    EXPECT_EQ(dialog()->idirPath(), QStringLiteral("/"));
    EXPECT_FALSE(startOffered());
}

TEST_F(FinddirTest, StatusTellsWhatAFolderHoldsWithoutTouchingIt)
{
    const QString empty = emptyFolder(QStringLiteral("leer"));
    const QString foreign = foreignFolder(QStringLiteral("fremd"));
    const QString garbage = emptyFolder(QStringLiteral("kaputt"));
    kv::test::writeFileBytes(garbage + kv::kochbuchdatei, "kein SQLite, nur Text");
    const QString cookbook = cookbookCopy(QStringLiteral("buch"), QStringLiteral("Sonntagsessen"), 2);
    const QByteArray foreignBytes = kv::test::fileBytes(foreign + kv::kochbuchdatei);

    dialog()->setIdirPath(cookbook);
    EXPECT_EQ(statusText(), QStringLiteral("Kochbuch : Sonntagsessen"));
    EXPECT_TRUE(startOffered());

    dialog()->setIdirPath(empty);
    EXPECT_EQ(statusText(), kein);
    EXPECT_FALSE(startOffered());

    dialog()->setIdirPath(cookbook);
    dialog()->setIdirPath(foreign);
    EXPECT_EQ(statusText(), andere);
    EXPECT_FALSE(startOffered());

    dialog()->setIdirPath(garbage);
    EXPECT_EQ(statusText(), andere);
    EXPECT_FALSE(startOffered());

    // An empty cookbook file is no database yet, and looking at it does not make it one.
    const QString zero = emptyFolder(QStringLiteral("null"));
    kv::test::writeFileBytes(zero + kv::kochbuchdatei, {});
    dialog()->setIdirPath(zero);
    EXPECT_EQ(statusText(), andere);
    EXPECT_FALSE(startOffered());
    EXPECT_EQ(kv::test::fileBytes(zero + kv::kochbuchdatei), QByteArray());
    EXPECT_EQ(QDir(zero).entryList(QDir::Files), QStringList{kv::kochbuchdatei});

    EXPECT_TRUE(QDir(empty).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(kv::test::fileBytes(foreign + kv::kochbuchdatei), foreignBytes);
    EXPECT_EQ(QDir(foreign).entryList(QDir::Files), QStringList{kv::kochbuchdatei});
}

// The journal of a writer killed in the middle of a change, beside a cookbook where this
// program may not write (a medium nobody can write, a shared folder it may only read):
// the dialog says what the start says of it, and the way out, not that it is no cookbook.
TEST_F(FinddirTest, ACookbookWithAnUnfinishedChangeWhereNothingMayBeWrittenIsSaidSo)
{
    for (const bool medium : {true, false}) {
        const QString folder = cookbookCopy(medium ? QStringLiteral("stick") : QStringLiteral("geteilt"),
                                            QStringLiteral("Halb"), 2);
        const QString file = folder + kv::kochbuchdatei;
        ASSERT_NO_FATAL_FAILURE(kv::test::leaveUnfinishedChange(
            file, env.tempPath(medium ? QStringLiteral("schreiber1.mdb") : QStringLiteral("schreiber2.mdb"))));
        const QByteArray before = kv::test::fileBytes(file);
        const QString said =
            QStringLiteral("Im Kochbuch %1 steht noch eine unvollendete Änderung eines Programms, das beim Schreiben "
                           "beendet wurde; erst das nächste Öffnen durch ein Programm, das in seinen Ordner schreiben "
                           "darf, nimmt sie zurück. Wählen Sie eine Kopie des ganzen Ordners mit allen seinen Dateien "
                           "an einem Ort, an dem Sie schreiben dürfen.")
                .arg(file);
        {
            std::unique_ptr<kv::test::ReadOnlyMedium> readOnly;
            std::unique_ptr<kv::test::WriteDenied> reader;
            if (medium)
                readOnly = std::make_unique<kv::test::ReadOnlyMedium>(folder);
            else
                reader = std::make_unique<kv::test::WriteDenied>(folder);
            dialog()->setIdirPath(folder);
            EXPECT_EQ(statusText(), said) << (medium ? "medium" : "reader");
            EXPECT_FALSE(startOffered());

            // The start's own check, when the folder changed after the look.
            dialogs.expect(said, Answer::Ok).withStyle(kv::ui::Critical | kv::ui::OkOnly).withTitle(QString());
            EXPECT_EQ(dialog()->checkload(folder), 0);
            dialogs.verify();
        }
        EXPECT_EQ(kv::test::fileBytes(file), before);
        EXPECT_TRUE(QFile::exists(file + QStringLiteral("-journal")));
        WindowRegistry::unload(QStringLiteral("finddir"));
        settle();
    }
}

TEST_F(FinddirTest, CheckloadExplainsMissingAndForeignFolders)
{
    const QString empty = emptyFolder(QStringLiteral("leer"));
    const QString foreign = foreignFolder(QStringLiteral("fremd"));
    const QString cookbook = cookbookCopy(QStringLiteral("buch"), QStringLiteral("Buch"), 1);
    dialogs.expect(QStringLiteral("In diesem Verzeichnis gibt es kein Kelvor-Kochbuch. Bitte wählen Sie "
                                  "ein Verzeichnis mit einem anderen Kochbuch aus."),
                   Answer::Ok)
        .withStyle(kv::ui::Critical | kv::ui::OkOnly)
        .withTitle(QString());
    dialogs.expect(QStringLiteral("Die Datei, aus der Kelvor Rezepte anzeigen möchte, ist zerstört. Bitte "
                                  "wählen Sie ein Verzeichnis mit einem anderen Kochbuch aus."),
                   Answer::Ok)
        .withStyle(kv::ui::Critical | kv::ui::OkOnly);

    EXPECT_EQ(dialog()->checkload(empty), 0);
    EXPECT_EQ(dialog()->checkload(foreign), 0);
    EXPECT_EQ(dialog()->checkload(cookbook), 1);
}

TEST_F(FinddirTest, SwitchFromTheMainWindowShowsTheSecondCookbook)
{
    const QString first = cookbookCopy(QStringLiteral("erstes"), QStringLiteral("Erstes Buch"), 6);
    const QString second = cookbookCopy(QStringLiteral("zweites"), QStringLiteral("Zweites Buch"), 2);
    openCookbook(first);
    const QStringList& closedOn = holdRowsOfTheOpenCookbook();

    dialog()->setIdirPath(second);
    click("start");

    ASSERT_TRUE(kochbuchdb);
    EXPECT_EQ(kochbuchdb->name(), second + kv::kochbuchdatei);
    EXPECT_EQ(kv::getreg(kv::reg::loadeddir), second);
    EXPECT_EQ(main.rezzahl, QStringLiteral("2"));
    EXPECT_EQ(main.recipeList.size(), 2);
    EXPECT_EQ(main.cookbookName, QStringLiteral("Zweites Buch"));
    EXPECT_EQ(main.calls, (QStringList{QStringLiteral("binddaten"), QStringLiteral("rezzahl=2"),
                                       QStringLiteral("inithm")}));
    EXPECT_FALSE(finddirLoaded());
    EXPECT_EQ(closedOn, QStringList{first + kv::kochbuchdatei});
    EXPECT_EQ(quits, 0);
}

TEST_F(FinddirTest, SwitchWhoseWindowCannotBeRestoredIsReportedAndStillCompleted)
{
    const QString first = cookbookCopy(QStringLiteral("erstes"), QStringLiteral("Erstes Buch"), 3);
    const QString second = cookbookCopy(QStringLiteral("zweites"), QStringLiteral("Zweites Buch"), 2);
    {
        auto db = kv::db::Database::open(second + kv::kochbuchdatei);
        db->execute(QStringLiteral("alter table kochbuchname rename column bname to titel"));
        db->close();
    }
    openCookbook(first);
    const QStringList& closedOn = holdRowsOfTheOpenCookbook();
    dialogs.expect(QStringLiteral("START_CLICK : "), Answer::Ok).withTitle(QStringLiteral(" F E H L E R"));

    dialog()->setIdirPath(second);
    click("start");

    EXPECT_EQ(kochbuchdb->name(), second + kv::kochbuchdatei);
    EXPECT_EQ(main.rezzahl, QStringLiteral("2"));
    EXPECT_FALSE(finddirLoaded());
    EXPECT_EQ(closedOn, QStringList{first + kv::kochbuchdatei});
    EXPECT_EQ(quits, 0);
}

TEST_F(FinddirTest, FailedCheckFromTheMainWindowKeepsCookbookAndStoredFolder)
{
    const QString first = cookbookCopy(QStringLiteral("erstes"), QStringLiteral("Erstes Buch"), 3);
    const QString second = cookbookCopy(QStringLiteral("zweites"), QStringLiteral("Zweites Buch"), 2);
    openCookbook(first);
    dialog()->setIdirPath(second);
    ASSERT_TRUE(startOffered());
    // Gone between looking and choosing.
    ASSERT_TRUE(QFile::remove(second + kv::kochbuchdatei));
    dialogs.expect(QStringLiteral("gibt es kein Kelvor-Kochbuch"), Answer::Ok);

    click("start");

    EXPECT_EQ(kv::getreg(kv::reg::loadeddir), first);
    EXPECT_EQ(kochbuchdb->name(), first + kv::kochbuchdatei);
    EXPECT_TRUE(main.calls.isEmpty());
    EXPECT_TRUE(finddirLoaded());
}

TEST_F(FinddirTest, CrossAndEscapeFromTheMainWindowOnlyClose)
{
    const QString first = cookbookCopy(QStringLiteral("erstes"), QStringLiteral("Erstes Buch"), 3);
    openCookbook(first);

    dialog();
    click("kreuz");
    EXPECT_FALSE(finddirLoaded());

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(dialog(), &escape);
    settle();
    EXPECT_FALSE(finddirLoaded());

    EXPECT_EQ(kochbuchdb->name(), first + kv::kochbuchdatei);
    EXPECT_EQ(quits, 0);
}

TEST_F(FinddirTest, OpeningLoopOpensTheFolderChosenInTheDialog)
{
    ASSERT_TRUE(QFile::remove(env.programFolder() + QStringLiteral("/kochbuch/") + kv::kochbuchdatei));
    const QString chosen = cookbookCopy(QStringLiteral("gewählt"), QStringLiteral("Gewählt"), 4);
    const QString empty = emptyFolder(QStringLiteral("leer"));
    kv::savereg(kv::reg::loadeddir, empty);
    dialogs.expect(QStringLiteral("Es ist kein Kochbuch geladen"), Answer::Ok);
    dialogs.expectModal(QStringLiteral("finddir"), [&] {
        dialog()->setIdirPath(chosen);
        click("start");
        // The start only stores the folder; the loop opens it after the dialog closed.
        EXPECT_FALSE(kochbuchdb);
        EXPECT_FALSE(finddirLoaded());
        return 1;
    });

    kv::startingup = true;
    kv::opendaten();
    kv::startingup = false;

    ASSERT_TRUE(kochbuchdb);
    EXPECT_EQ(kochbuchdb->name(), chosen + kv::kochbuchdatei);
    EXPECT_EQ(main.rezzahl, QStringLiteral("4"));
    EXPECT_TRUE(kv::nocookbook);
}

TEST_F(FinddirTest, CrossInsideTheOpeningLoopAsksAndEndsOnYes)
{
    ASSERT_TRUE(QFile::remove(env.programFolder() + QStringLiteral("/kochbuch/") + kv::kochbuchdatei));
    kv::savereg(kv::reg::loadeddir, emptyFolder(QStringLiteral("leer")));
    dialogs.expect(QStringLiteral("Es ist kein Kochbuch geladen"), Answer::Ok);
    dialogs.expectModal(QStringLiteral("finddir"), [&] {
        click("kreuz");
        EXPECT_TRUE(finddirLoaded());
        click("kreuz");
        EXPECT_FALSE(finddirLoaded());
        return 0;
    });
    dialogs.expect(mussLaden, Answer::No).withStyle(kv::ui::YesNo).withTitle(QStringLiteral(" "));
    dialogs.expect(mussLaden, Answer::Yes);

    EXPECT_THROW(kv::opendaten(), kv::ProgramEnd);
    EXPECT_FALSE(kochbuchdb);
    // The opening loop ends the program; the dialog does not quit under its feet.
    EXPECT_EQ(quits, 0);
}

// A large import or a compaction of another program holds the cookbook to itself for a
// while: the opening says so, without a word about rights or path lengths, and tries again
// or lets the user choose another cookbook.
TEST_F(FinddirTest, ACookbookHeldByAnotherProgramIsSaidSoAndTriedAgainOrAnotherIsChosen)
{
    const QString held = cookbookCopy(QStringLiteral("belegt"), QStringLiteral("Belegt"), 3);
    const QString other = cookbookCopy(QStringLiteral("anderes"), QStringLiteral("Anderes"), 4);
    kv::savereg(kv::reg::loadeddir, held);
    auto lock = kv::db::ExclusiveFileLock::tryLock(held + kv::kochbuchdatei);
    ASSERT_TRUE(lock);
    const QString busy = QStringLiteral("wird gerade von einem anderen Programm für einen großen Import");
    dialogs.expect(busy, Answer::Retry).withStyle(kv::ui::Exclamation | kv::ui::RetryCancel);
    dialogs.expect(busy, Answer::Retry).whileShown([&] { lock.reset(); });
    openAtStart();
    ASSERT_TRUE(kochbuchdb);
    EXPECT_EQ(kochbuchdb->name(), held + kv::kochbuchdatei);

    kochbuchdb.reset();
    lock = kv::db::ExclusiveFileLock::tryLock(held + kv::kochbuchdatei);
    ASSERT_TRUE(lock);
    dialogs.expect(busy, Answer::Cancel);
    dialogs.expectModal(QStringLiteral("finddir"), [&] {
        dialog()->setIdirPath(other);
        click("start");
        return 1;
    });
    openAtStart();
    ASSERT_TRUE(kochbuchdb);
    EXPECT_EQ(kochbuchdb->name(), other + kv::kochbuchdatei);
}

// A writer killed before its journal's first sync leaves a journal with a zeroed header,
// which SQLite passes over: the opening removes it, unless another program holds the
// cookbook. A journal with something to roll back is SQLite's.
TEST_F(FinddirTest, TheOpeningRemovesAJournalWithNothingToRollBack)
{
    const QString folder = cookbookCopy(QStringLiteral("kalt"), QStringLiteral("Kalt"), 3);
    const QString journal = folder + kv::kochbuchdatei + QStringLiteral("-journal");
    kv::savereg(kv::reg::loadeddir, folder);

    // Held by another program: left as it is.
    kv::test::writeFileBytes(journal, QByteArray(4096, '\0'));
    {
        auto other = kv::db::Database::open(folder + kv::kochbuchdatei);
        openAtStart();
        EXPECT_TRUE(QFileInfo::exists(journal));
        kochbuchdb.reset();
    }
    openAtStart();
    ASSERT_TRUE(kochbuchdb);
    EXPECT_FALSE(QFileInfo::exists(journal));
    EXPECT_EQ(kochbuchdb->recordCount(QStringLiteral("rezepte")), 3);
    kochbuchdb.reset();

    kv::test::writeFileBytes(journal, QByteArray());
    openAtStart();
    EXPECT_FALSE(QFileInfo::exists(journal)) << "an empty journal is not hot either";
}

}  // namespace
