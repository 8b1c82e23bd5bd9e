#include "app/starthooks.h"
#include "core/cookbookdb.h"
#include "core/mainmod.h"
#include "core/settings.h"
#include "platform/paths.h"
#include "printing/printsettingsdb.h"
#include "tests/core/opening/oldcookbook.h"
#include "tests/support/readonlymedium.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testenv.h"
#include "tests/support/writedenied.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

using kv::kochbuchdb;
using kv::ui::Answer;

namespace {

const QString damagedText = QStringLiteral(
    "Die Datei, aus der Kelvor Rezepte anzeigen möchte, ist zerstört oder es handelt sich nicht um ein Kochbuch. "
    "Bitte wählen Sie ein Verzeichnis mit einem anderen Kochbuch aus.");

class Opening : public ::testing::Test {
protected:
    void SetUp() override { kv::installStartHooks(); }

    // A folder with an old cookbook; `prepare` runs on it before it is closed.
    QString oldCookbook(const QString& name, const std::function<void(kv::db::Database&)>& prepare = {})
    {
        const QString folder = env.tempPath(name) + u'/';
        QDir().mkpath(folder);
        auto db = kv::test::createOldCookbook(folder + kv::kochbuchdatei);
        if (prepare) prepare(*db);
        db->close();
        return folder;
    }
    QString doneCookbook(const QString& name)
    {
        return oldCookbook(name, [](kv::db::Database& db) { kv::test::markAllStepsDone(db); });
    }
    QStringList snapshotOf(const QString& file)
    {
        auto db = kv::db::Database::open(file);
        return kv::test::snapshot(*db);
    }
    void expectIndexMessages()
    {
        dialogs.expect(QStringLiteral("Suchindizes erstellen"), Answer::Ok);
        dialogs.expect(QStringLiteral("Suchindizes wurden erstellt"), Answer::Ok);
    }
    // Files below `folder` may not be read, as if their permissions said so.
    void forbidReading(const QString& folder)
    {
        kv::paths::setAccessCheck([folder](const QString& path, kv::paths::Access access) -> std::optional<bool> {
            if (access == kv::paths::Access::Read && path.startsWith(folder)) return false;
            return std::nullopt;
        });
    }
    void removeDeliveredCookbook()
    {
        ASSERT_TRUE(QFile::remove(env.programFolder() + QStringLiteral("/kochbuch/") + kv::kochbuchdatei));
    }

    kv::test::TestEnvironment env;
    kv::test::ScriptedDialogs dialogs;
    kv::test::RecordingStartup startup;
};

TEST_F(Opening, OldCookbookRunsEveryStepInOrderAndEndsCurrent)
{
    const QString folder = oldCookbook(QStringLiteral("alt"));
    kv::savereg(kv::reg::loadeddir, folder);
    expectIndexMessages();

    kv::opendaten();

    EXPECT_EQ(kv::test::changelogInOrder(*kochbuchdb), (QList<int>{100, 100, 103, 101, 102, 104, 106, 110, 111, 112}));
    EXPECT_EQ(startup.calls.count(QStringLiteral("showWait")), 9);
    EXPECT_EQ(startup.calls.count(QStringLiteral("doEvents")), 9);
    EXPECT_EQ(startup.calls.mid(startup.calls.size() - 4),
              (QStringList{QStringLiteral("unloadWait"), QStringLiteral("binddaten"), QStringLiteral("rezzahl=4"),
                           QStringLiteral("normal")}));

    kv::db::Database& db = *kochbuchdb;
    EXPECT_EQ(db.name(), folder + kv::kochbuchdatei);
    EXPECT_EQ(db.fields(QStringLiteral("einheiten")).size(), 10u);
    EXPECT_EQ(db.field(QStringLiteral("rep-korbliste"), QStringLiteral("nr"))->type, kv::db::FieldType::Integer);
    EXPECT_TRUE(db.field(QStringLiteral("rep-korbliste"), QStringLiteral("rnr")));
    EXPECT_EQ(db.field(QStringLiteral("importdateien"), QStringLiteral("did"))->attributes & kv::db::dbAutoIncrField, 0);
    EXPECT_NE(db.field(QStringLiteral("umlaute"), QStringLiteral("alt"))->size, 2);
    EXPECT_TRUE(db.hasTable(QStringLiteral("rep-mbesch")));
    EXPECT_TRUE(db.hasTable(QStringLiteral("importsubdirs")));
}

TEST_F(Opening, CookbookWithEveryStepRunsNone)
{
    const QString folder = doneCookbook(QStringLiteral("fertig"));
    kv::savereg(kv::reg::loadeddir, folder);
    const QStringList before = snapshotOf(folder + kv::kochbuchdatei);

    kv::opendaten();

    EXPECT_EQ(startup.waits, 0);
    EXPECT_TRUE(startup.calls.contains(QStringLiteral("unloadWait")));
    EXPECT_EQ(kv::test::snapshot(*kochbuchdb), before);
}

TEST_F(Opening, FailingStepLeavesTheFileUnchangedAndCancelEnds)
{
    const QString folder = oldCookbook(QStringLiteral("kaputt"), [](kv::db::Database& db) {
        kv::test::markAllStepsDone(db);
        db.execute(QStringLiteral("delete from changelog where changed=104"));
        db.execute(QStringLiteral("create trigger kaputt before insert on impeinheit "
                                  "begin select raise(abort, 'gesperrt'); end"));
    });
    kv::savereg(kv::reg::loadeddir, folder);
    const QStringList before = snapshotOf(folder + kv::kochbuchdatei);
    dialogs.expect(QStringLiteral("LOADDBS (updatedata) - "), Answer::Cancel)
        .withTitle(QStringLiteral(" F E H L E R"))
        .withStyle(kv::ui::RetryCancel | kv::ui::Critical);

    EXPECT_THROW(kv::opendaten(), kv::ProgramEnd);

    kochbuchdb.reset();
    EXPECT_EQ(snapshotOf(folder + kv::kochbuchdatei), before);
}

TEST_F(Opening, RetrySkipsTheFailedStepWhichRunsAtTheNextOpening)
{
    const QString folder = oldCookbook(QStringLiteral("kaputt"), [](kv::db::Database& db) {
        kv::test::markAllStepsDone(db);
        db.execute(QStringLiteral("delete from changelog where changed in (104,110)"));
        db.execute(QStringLiteral("create trigger kaputt before insert on impeinheit "
                                  "begin select raise(abort, 'gesperrt'); end"));
    });
    kv::savereg(kv::reg::loadeddir, folder);
    dialogs.expect(QStringLiteral("LOADDBS (updatedata) - "), Answer::Retry);

    kv::opendaten();

    // The steps after the failed one still ran; the failed one left nothing and no record.
    EXPECT_EQ(startup.waits, 2);
    EXPECT_EQ(kochbuchdb->scalar(QStringLiteral("select count(*) from changelog where changed=104")).toInt(), 0);
    EXPECT_EQ(kochbuchdb->scalar(QStringLiteral("select count(*) from changelog where changed=110")).toInt(), 1);
    EXPECT_EQ(kochbuchdb->fields(QStringLiteral("einheiten")).size(), 3u);
    EXPECT_TRUE(startup.calls.contains(QStringLiteral("rezzahl=4")));

    kochbuchdb->execute(QStringLiteral("drop trigger kaputt"));
    kochbuchdb.reset();
    kv::opendaten();

    EXPECT_EQ(kochbuchdb->scalar(QStringLiteral("select count(*) from changelog where changed=104")).toInt(), 1);
    EXPECT_EQ(kochbuchdb->fields(QStringLiteral("einheiten")).size(), 10u);
}

TEST_F(Opening, FirstStartOpensTheDeliveredCookbookAndBuildsItsIndexes)
{
    expectIndexMessages();

    kv::opendaten();

    const QString delivered = env.programFolder() + QStringLiteral("/kochbuch/");
    EXPECT_EQ(kv::getreg(kv::reg::loadeddir), delivered);
    EXPECT_EQ(kochbuchdb->name(), delivered + kv::kochbuchdatei);
    EXPECT_EQ(kv::getreg(kv::reg::printfont0name), QStringLiteral("Arial Narrow"));
    EXPECT_EQ(kv::getreg(kv::reg::printorient), QStringLiteral("hoch"));
    EXPECT_TRUE(kv::paths::fileExists(env.programFolder() + QStringLiteral("/kelvor-printsettings.mdb")));
    EXPECT_EQ(kochbuchdb->scalar(QStringLiteral("select count(*) from changelog where changed=102")).toInt(), 1);
    EXPECT_GT(kochbuchdb->indexCount(QStringLiteral("rezepte")), 0);
    EXPECT_EQ(kv::getreg(kv::reg::wizard), QStringLiteral("on"));
}

TEST_F(Opening, APrintSettingsFileLeftWithoutTablesIsCompleted)
{
    const QString folder = doneCookbook(QStringLiteral("fertig"));
    kv::savereg(kv::reg::loadeddir, folder);
    kv::test::writeFileBytes(kv::printsettingsPath(), {});

    kv::opendaten();

    EXPECT_TRUE(kv::printsettingsComplete());
}

// The opening makes nothing in the program folder of its own: only what the hook that the
// start installs makes, once per opening however often the opening passes.
TEST_F(Opening, TheProgramFilesComeFromTheHookOncePerOpening)
{
    const QString locked = doneCookbook(QStringLiteral("gesperrt"));
    const QString chosen = doneCookbook(QStringLiteral("gewaehlt"));
    forbidReading(locked);
    kv::savereg(kv::reg::loadeddir, locked);
    dialogs.expect(QStringLiteral("kann nicht geöffnet werden"), Answer::Ok);
    startup.onFinddir = [&] { kv::savereg(kv::reg::loadeddir, chosen); };
    int runs = 0;
    kv::setProgramFilesHook([&] { ++runs; });

    kv::opendaten();
    kv::paths::setAccessCheck({});

    EXPECT_EQ(startup.calls.count(QStringLiteral("finddir")), 1);
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(QFile::exists(kv::printsettingsPath()));

    kv::setProgramFilesHook({});
    kv::opendaten();
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(QFile::exists(kv::printsettingsPath()));
    EXPECT_EQ(kochbuchdb->name(), chosen + kv::kochbuchdatei);
}

// A hook that fails is an error of the opening's step: Retry goes on to the cookbook,
// Cancel ends the program.
TEST_F(Opening, AFailingProgramFilesHookIsReportedAsTheOpeningsStep)
{
    const QString folder = doneCookbook(QStringLiteral("fertig"));
    kv::savereg(kv::reg::loadeddir, folder);
    kv::setProgramFilesHook([] { throw kv::db::DbError(kv::db::errReadOnly, QStringLiteral("Ordner gesperrt")); });

    dialogs.expect(QStringLiteral("LOADDBS (datendb) - 3027 : Ordner gesperrt"), Answer::Retry);
    kv::opendaten();
    dialogs.verify();
    EXPECT_EQ(kochbuchdb->name(), folder + kv::kochbuchdatei);

    kochbuchdb.reset();
    dialogs.expect(QStringLiteral("LOADDBS (datendb) - 3027 : Ordner gesperrt"), Answer::Cancel);
    EXPECT_THROW(kv::opendaten(), kv::ProgramEnd);
    EXPECT_FALSE(kochbuchdb);
}

TEST_F(Opening, SharewareFolderIsTheSecondFallback)
{
    removeDeliveredCookbook();
    const QString shareware = env.programFolder() + QStringLiteral("/kochbuch_shareware/");
    QDir().mkpath(shareware);
    kv::test::markAllStepsDone(*kv::test::createOldCookbook(shareware + kv::kochbuchdatei));
    kv::savereg(kv::reg::loadeddir, env.tempPath(QStringLiteral("weg/")));

    kv::opendaten();

    EXPECT_EQ(kv::getreg(kv::reg::loadeddir), shareware);
    EXPECT_EQ(kochbuchdb->name(), shareware + kv::kochbuchdatei);
}

// Neither a foreign SQLite file, an empty file nor one that is no database is touched by a
// start that rejects it: no conversion, no journal, no database written into the empty file.
TEST_F(Opening, RejectedFilesStayByteForByteAsTheyWere)
{
    const QString foreign = env.tempPath(QStringLiteral("fremd/"));
    QDir().mkpath(foreign);
    kv::db::Database::create(foreign + kv::kochbuchdatei)->execute(QStringLiteral("create table adressen (name VARCHAR(50))"));
    const QString empty = env.tempPath(QStringLiteral("leer/"));
    QDir().mkpath(empty);
    kv::test::writeFileBytes(empty + kv::kochbuchdatei, {});
    const QString junk = env.tempPath(QStringLiteral("muell/"));
    QDir().mkpath(junk);
    kv::test::writeFileBytes(junk + kv::kochbuchdatei, QByteArray(4096, 'x'));
    const QString chosen = doneCookbook(QStringLiteral("gewaehlt"));

    for (const QString& rejected : {foreign, empty, junk}) {
        const QByteArray before = kv::test::fileBytes(rejected + kv::kochbuchdatei);
        const QStringList files = QDir(rejected).entryList(QDir::Files);
        kv::savereg(kv::reg::loadeddir, rejected);
        dialogs.expect(damagedText, Answer::Ok).withTitle(QString()).withStyle(kv::ui::Critical | kv::ui::OkOnly);
        startup.onFinddir = [&] { kv::savereg(kv::reg::loadeddir, chosen); };

        kv::opendaten();

        EXPECT_EQ(kochbuchdb->name(), chosen + kv::kochbuchdatei);
        EXPECT_EQ(kv::test::fileBytes(rejected + kv::kochbuchdatei), before) << rejected.toStdString();
        EXPECT_EQ(QDir(rejected).entryList(QDir::Files), files);
        kochbuchdb.reset();
    }
}

TEST_F(Opening, FileThatMayNotBeReadGetsItsOwnMessageAndTheDirectoryDialog)
{
    const QString locked = doneCookbook(QStringLiteral("gesperrt"));
    const QString chosen = doneCookbook(QStringLiteral("gewaehlt"));
    forbidReading(locked);
    kv::savereg(kv::reg::loadeddir, locked);
    dialogs.expect(QStringLiteral("kann nicht geöffnet werden: Kelvor darf sie nicht lesen"), Answer::Ok)
        .withStyle(kv::ui::Critical | kv::ui::OkOnly);
    startup.onFinddir = [&] {
        EXPECT_TRUE(kv::nocookbook);
        kv::savereg(kv::reg::loadeddir, chosen);
    };

    kv::opendaten();
    kv::paths::setAccessCheck({});

    EXPECT_EQ(startup.calls.count(QStringLiteral("finddir")), 1);
    EXPECT_EQ(kochbuchdb->name(), chosen + kv::kochbuchdatei);
}

TEST_F(Opening, RelativeFolderIsOpenedAndStoredAbsolute)
{
    const QString folder = doneCookbook(QStringLiteral("relativ"));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(env.tempPath(QString())));
    kv::savereg(kv::reg::loadeddir, QStringLiteral("relativ/"));

    kv::opendaten();
    QDir::setCurrent(previous);

    EXPECT_EQ(kv::getreg(kv::reg::loadeddir), folder);
    EXPECT_EQ(kochbuchdb->name(), folder + kv::kochbuchdatei);
    EXPECT_EQ(kv::kochbuchprefix() + QStringLiteral("-daten.mdb"), folder + kv::kochbuchdatei);
}

// A compaction killed before its swap leaves its copy (as large as the cookbook) and the
// copy's journal beside the file; the next opening clears them unless someone holds the
// file or the folder may not be written.
class CompactionLeftovers : public Opening {
protected:
    QStringList leftovers(const QString& folder)
    {
        return QDir(folder).entryList({kv::kochbuchdatei + QStringLiteral(".tmp*")}, QDir::Files | QDir::Hidden);
    }
    void leaveCopy(const QString& folder)
    {
        const QString copy = folder + kv::kochbuchdatei + QStringLiteral(".tmp");
        ASSERT_TRUE(QFile::copy(folder + kv::kochbuchdatei, copy));
        kv::test::writeFileBytes(copy + QStringLiteral("-journal"), QByteArray(512, 'j'));
        ASSERT_EQ(leftovers(folder).size(), 2);
    }
};

TEST_F(CompactionLeftovers, TheOpeningRemovesTheCopyAndItsJournal)
{
    const QString folder = doneCookbook(QStringLiteral("komprimiert"));
    ASSERT_NO_FATAL_FAILURE(leaveCopy(folder));
    kv::savereg(kv::reg::loadeddir, folder);

    kv::opendaten();

    EXPECT_EQ(kochbuchdb->name(), folder + kv::kochbuchdatei);
    EXPECT_EQ(leftovers(folder), QStringList());
}

TEST_F(CompactionLeftovers, ACopyStaysWhileAnotherProgramHoldsTheCookbook)
{
    const QString folder = doneCookbook(QStringLiteral("offen"));
    ASSERT_NO_FATAL_FAILURE(leaveCopy(folder));
    kv::savereg(kv::reg::loadeddir, folder);
    // The other program's connection: its compaction may be writing that copy.
    auto other = kv::db::Database::open(folder + kv::kochbuchdatei);

    kv::opendaten();

    EXPECT_EQ(leftovers(folder).size(), 2);
    kochbuchdb.reset();
    other.reset();
    kv::opendaten();
    EXPECT_EQ(leftovers(folder), QStringList());
}

TEST_F(CompactionLeftovers, NothingIsRemovedBesideACookbookThatMayOnlyBeRead)
{
    const QString folder = doneCookbook(QStringLiteral("nurlesen"));
    ASSERT_NO_FATAL_FAILURE(leaveCopy(folder));
    kv::savereg(kv::reg::loadeddir, folder);
    dialogs.expect(kv::kSchreibgeschuetzt, Answer::Ok);
    {
        const kv::test::WriteDenied denied(folder);
        kv::opendaten();
    }

    EXPECT_TRUE(kochbuchdb->readOnly());
    EXPECT_EQ(leftovers(folder).size(), 2);
}

// A program killed in the middle of a change leaves part of it written into the file and
// what those pages held in the journal beside it. Where this program may not write, it
// can neither put them back nor show the file as it stands.
class UnfinishedChange : public Opening {
protected:
    void leaveUnfinishedChange(const QString& folder)
    {
        kv::test::leaveUnfinishedChange(folder + kv::kochbuchdatei, env.tempPath(QStringLiteral("schreiber.mdb")));
    }
    void expectUnfinished(const QString& folder, Answer answer, std::function<void()> meanwhile = {})
    {
        auto& box = dialogs
                        .expect(QStringLiteral("Im Kochbuch %1 steht noch eine unvollendete Änderung eines Programms, "
                                               "das beim Schreiben beendet wurde; erst das nächste Öffnen durch ein "
                                               "Programm, das in seinen Ordner schreiben darf, nimmt sie zurück: "
                                               "Klicken Sie auf Wiederholen")
                                    .arg(folder + kv::kochbuchdatei),
                                answer)
                        .withTitle(QStringLiteral(" "))
                        .withStyle(kv::ui::Exclamation | kv::ui::RetryCancel);
        if (meanwhile) box.whileShown(std::move(meanwhile));
    }
    static QString preparations(kv::db::Database& db)
    {
        return db
            .scalar(QStringLiteral("select group_concat(ztext, '|') from (select ztext from zubereit order by ztext)"))
            .toString();
    }
};

TEST_F(UnfinishedChange, OnAMediumNobodyCanWriteItIsNeverShownAndACopyOfItsFolderOpensAsLastCommitted)
{
    const QString folder = doneCookbook(QStringLiteral("stick"));
    const QString other = doneCookbook(QStringLiteral("anderes"));
    ASSERT_NO_FATAL_FAILURE(leaveUnfinishedChange(folder));
    const QString file = folder + kv::kochbuchdatei;
    const QByteArray before = kv::test::fileBytes(file);
    kv::savereg(kv::reg::loadeddir, folder);
    {
        const kv::test::ReadOnlyMedium medium(folder);
        RecordProperty("medium", medium.mounted() ? "read-only mount" : "test hook");
        expectUnfinished(folder, Answer::Retry);
        expectUnfinished(folder, Answer::Cancel);
        startup.onFinddir = [&] { kv::savereg(kv::reg::loadeddir, other); };

        kv::opendaten();

        dialogs.verify();
        EXPECT_EQ(kochbuchdb->name(), other + kv::kochbuchdatei);
        kochbuchdb.reset();
    }
    EXPECT_EQ(kv::test::fileBytes(file), before);
    EXPECT_TRUE(QFile::exists(file + QStringLiteral("-journal")));

    // The way out the message names: the whole folder copied to where the user may write.
    const QString copy = env.tempPath(QStringLiteral("kopie/"));
    ASSERT_TRUE(QDir().mkpath(copy));
    for (const QString& name : QDir(folder).entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(folder + name, copy + name));
    kv::savereg(kv::reg::loadeddir, copy);
    kv::opendaten();
    EXPECT_EQ(kochbuchdb->name(), copy + kv::kochbuchdatei);
    EXPECT_EQ(preparations(*kochbuchdb), QStringLiteral("Mischen.|Schmoren."));
    EXPECT_FALSE(QFile::exists(copy + kv::kochbuchdatei + QStringLiteral("-journal")));
}

// The owner's program was killed in a shared folder that this user may only read: the
// opening says why, and Retry, once the owner's program has opened the cookbook again,
// shows the last committed state.
TEST_F(UnfinishedChange, AReaderWhoMayNotWriteIsToldWhyAndRetryShowsWhatTheOwnersNextOpeningLeft)
{
    const QString folder = doneCookbook(QStringLiteral("geteilt"));
    ASSERT_NO_FATAL_FAILURE(leaveUnfinishedChange(folder));
    const QString file = folder + kv::kochbuchdatei;
    kv::savereg(kv::reg::loadeddir, folder);
    auto denied = std::make_unique<kv::test::WriteDenied>(folder);
    expectUnfinished(folder, Answer::Retry, [&] {
        denied.reset();
        kv::db::Database::open(file)->close();
        denied = std::make_unique<kv::test::WriteDenied>(folder);
    });
    dialogs.expect(kv::kSchreibgeschuetzt, Answer::Ok);

    kv::opendaten();

    dialogs.verify();
    ASSERT_EQ(kochbuchdb->name(), file);
    EXPECT_TRUE(kochbuchdb->readOnly());
    EXPECT_EQ(preparations(*kochbuchdb), QStringLiteral("Mischen.|Schmoren."));
    EXPECT_FALSE(QFile::exists(file + QStringLiteral("-journal")));
}

class Start : public Opening {};

TEST_F(Start, MainOpensBindsInitialisesAndShowsInOrder)
{
    kv::savereg(kv::reg::loadeddir, doneCookbook(QStringLiteral("main")));
    kv::reztabellen.clear();

    kv::Main();

    EXPECT_EQ(startup.calls.filter(QRegularExpression(QStringLiteral("^(rezzahl|binddaten|inithm|loadEditor|showMain)"))),
              (QStringList{QStringLiteral("rezzahl=4"), QStringLiteral("binddaten"), QStringLiteral("inithm"),
                           QStringLiteral("loadEditorHidden"), QStringLiteral("showMain")}));
    EXPECT_FALSE(kv::startingup);
    EXPECT_EQ(kv::reztabellen.size(), 6);
}

TEST_F(Start, ErrorsAreReportedAndTheStartGoesOn)
{
    kv::savereg(kv::reg::loadeddir, doneCookbook(QStringLiteral("main")));
    startup.onInithm = [] { throw kv::db::DbError(3021, QStringLiteral("Kein aktueller Datensatz.")); };
    dialogs.expect(QStringLiteral("MAIN - 3021 : Kein aktueller Datensatz."), Answer::Ok)
        .withTitle(QStringLiteral(" F E H L E R"));

    kv::Main();

    EXPECT_TRUE(startup.calls.contains(QStringLiteral("showMain")));
}

TEST_F(Start, BindingErrorsAreReportedStatementByStatement)
{
    dialogs.expect(QStringLiteral("LOADDATA - 3078 : Tabelle fehlt"), Answer::Ok).withTitle(QStringLiteral(" F E H L E R"));
    bool next = false;

    kv::bindStatement([] { throw kv::db::DbError(3078, QStringLiteral("Tabelle fehlt")); });
    kv::bindStatement([&] { next = true; });

    EXPECT_TRUE(next);
}

}  // namespace
