#include "core/settings.h"
#include "platform/settings/regstore.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testenv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QSettings>

using namespace kv;

namespace {

class Settings : public ::testing::Test {
protected:
    // Every value the store holds, read straight from the file.
    QStringList storedNames() const
    {
        return QSettings(env.settingsFile(), QSettings::IniFormat).allKeys();
    }

    kv::test::TestEnvironment env;
};

}  // namespace

TEST_F(Settings, FirstStartDefaultsAreWrittenOnce)
{
    setdefaults();
    EXPECT_EQ(getreg("wizard"), "on");
    EXPECT_EQ(getreg("suchtreffer"), "50");
    EXPECT_EQ(storedNames().size(), 8);

    // The maintenance window switched the wizard off and the user changed the hit limit.
    savereg("wizard", "off");
    savereg("suchtreffer", "200");
    setdefaults();
    EXPECT_EQ(getreg("wizard"), "off");
    EXPECT_EQ(getreg("suchtreffer"), "200");
}

TEST_F(Settings, PrintDefaultsOverwriteAll29Values)
{
    savereg("printfont0name", "Courier");
    savereg("printorient", "quer");
    defaultprint();
    EXPECT_EQ(storedNames().size(), 29);
    EXPECT_EQ(getreg("printfont0name"), "Arial Narrow");
    EXPECT_EQ(getreg("printorient"), "hoch");
    EXPECT_EQ(getreg("wizard"), "") << "print defaults are not the first-start defaults";
}

TEST_F(Settings, CookbookPrefixFollowsLoadeddir)
{
    EXPECT_EQ(kochbuchprefix(), "kelvor");
    savereg("loadeddir", "/daten/kochbuch/");
    EXPECT_EQ(kochbuchprefix(), "/daten/kochbuch/kelvor");
    savereg("loadeddir", "  /mit blank/  ");
    EXPECT_EQ(kochbuchprefix(), "/mit blank/kelvor");
}

TEST_F(Settings, FailedWriteIsNotReportedAsSuccess)
{
    EXPECT_TRUE(savereg("wizard", "on"));
    // A regular file where the folder should be: no store can be made there, whoever runs the test.
    kv::test::writeFileBytes(env.tempPath("blocker"), "kein Ordner");
    kv::settings::setStoreFile(env.tempPath("blocker/Version2.ini"));
    EXPECT_FALSE(savereg("wizard", "on"));
    setdefaults();
    EXPECT_EQ(getreg("wizard"), "");
    EXPECT_EQ(kv::test::fileBytes(env.tempPath("blocker")), "kein Ordner");
}

TEST_F(Settings, BrokenStoreIsKeptAsDefektTheUserToldOnceAndTheValueStored)
{
    const QString store = env.settingsFile();
    static const char raw[] = "\x00\x07\xff[Drucken\nsuchtreffer 50\n\xfe\xfd";
    const QByteArray garbage(raw, sizeof raw - 1);
    QDir().mkpath(QFileInfo(store).absolutePath());
    kv::test::writeFileBytes(store, garbage);
    kv::test::writeFileBytes(store + ".defekt", "ein älterer Rest");
    EXPECT_EQ(getreg("suchtreffer"), "");

    kv::test::ScriptedDialogs dialogs;
    dialogs.expect(store + ".defekt", kv::ui::Answer::Ok)
        .withTitle(" ")
        .withStyle(kv::ui::OkOnly | kv::ui::Exclamation);
    EXPECT_TRUE(savereg("wizard", "off"));
    EXPECT_TRUE(savereg("suchtreffer", "200"));
    dialogs.verify();
    EXPECT_EQ(dialogs.shownTexts().size(), 1);
    EXPECT_TRUE(dialogs.shownTexts().value(0).contains("beschädigt"));

    EXPECT_EQ(getreg("suchtreffer"), "200");
    EXPECT_EQ(storedNames().size(), 2);
    EXPECT_EQ(kv::test::fileBytes(store + ".defekt"), garbage);
}

TEST_F(Settings, AStoreThatCannotBeWrittenIsToldOncePerRunWithItsPath)
{
    // Version2.ini is a folder: no write can succeed, whoever runs the test.
    const QString store = env.settingsFile();
    QDir().mkpath(store + "/inhalt");
    kv::test::ScriptedDialogs dialogs;
    dialogs.expect("Die Einstellungen können nicht in der Datei " + store + " gespeichert werden", kv::ui::Answer::Ok)
        .withTitle(" ")
        .withStyle(kv::ui::OkOnly | kv::ui::Exclamation);

    EXPECT_FALSE(savereg("wizard", "off"));
    EXPECT_FALSE(savereg("suchtreffer", "200"));
    defaultprint();
    dialogs.verify();
    EXPECT_EQ(dialogs.shownTexts().size(), 1);
    EXPECT_TRUE(QFileInfo(store).isDir());

    // A second store that fails is a second file to tell of.
    kv::test::writeFileBytes(env.tempPath("blocker"), "kein Ordner");
    const QString blocked = env.tempPath("blocker/Version2.ini");
    kv::settings::setStoreFile(blocked);
    dialogs.expect(blocked, kv::ui::Answer::Ok);
    EXPECT_FALSE(savereg("wizard", "off"));
    EXPECT_FALSE(savereg("wizard", "on"));
    dialogs.verify();
    EXPECT_EQ(dialogs.shownTexts().size(), 2);
}
