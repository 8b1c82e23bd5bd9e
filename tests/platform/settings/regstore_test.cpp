#include "platform/settings/regstore.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testenv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>

using kv::settings::getregvalue;
using kv::settings::setregvalue;

namespace {

class RegStore : public ::testing::Test {
protected:
    kv::test::TestEnvironment env;
};

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
    ASSERT_TRUE(f.commit());
}

// Lines QSettings cannot parse, with bytes that are no text at all.
const QByteArray garbage("\x01\x02M\xc3\xbcll\xff\xfe\n[kaputt\nkeine Zuweisung\n");

}  // namespace

TEST_F(RegStore, MissingFileAndMissingValueReadEmpty)
{
    ASSERT_FALSE(QFile::exists(kv::settings::storeFile()));
    EXPECT_EQ(getregvalue("loadeddir"), "");
    ASSERT_EQ(setregvalue("wizard", "on"), "0");
    EXPECT_EQ(getregvalue("loadeddir"), "");
    EXPECT_EQ(getregvalue(""), "");
}

// Blanks around a value go; everything else, the INI syntax's own characters and values
// of 256 characters and more included, reads back as it was written.
TEST_F(RegStore, ValuesRoundTripWithOnlyTheirBlanksTrimmed)
{
    const QStringList values = {"a, b, c",     "\"zitiert\"", "@Variant(x)", ";kein Kommentar", "k=v",
                                "C:\\x\\y.txt", "Grüße ß €",  "[General]",   "%E4",
                                "\r\n  x  \r\n", "\tTab\t",  QString(256, u'y'), QString(5000, u'q')};
    for (int i = 0; i < values.size(); ++i)
        ASSERT_EQ(setregvalue(QStringLiteral("v%1").arg(i), values[i]), "0");
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(getregvalue(QStringLiteral("v%1").arg(i)), values[i]) << i;

    setregvalue("a", "   eins zwei   ");
    setregvalue("d", "     ");
    EXPECT_EQ(getregvalue("a"), "eins zwei");
    EXPECT_EQ(getregvalue("d"), "");
    ASSERT_EQ(setregvalue("änderrezept", "on"), "0");
    EXPECT_EQ(getregvalue("änderrezept"), "on");
    EXPECT_EQ(getregvalue("anderrezept"), "");
}

TEST_F(RegStore, NamesThatWouldBecomeIniGroupsAreRefused)
{
    EXPECT_NE(setregvalue("a/b", "x"), "0");
    EXPECT_NE(setregvalue("a\\b", "x"), "0");
    EXPECT_NE(setregvalue("", "x"), "0");
    EXPECT_EQ(getregvalue("a/b"), "");
}

TEST_F(RegStore, ValueNamesMatchWithoutRegardToCase)
{
    setregvalue("HTMLstart", "<HTML>");
    EXPECT_EQ(getregvalue("htmlstart"), "<HTML>");
    setregvalue("HTMLSTART", "<html>");
    EXPECT_EQ(getregvalue("HTMLstart"), "<html>");
    EXPECT_EQ(kv::test::fileBytes(kv::settings::storeFile()).count("=<"), 1) << "one value, not two differing in case";
}

TEST_F(RegStore, SeesWhatAnotherProcessWroteAndKeepsItsValues)
{
    ASSERT_EQ(setregvalue("suchtreffer", "50"), "0");
    EXPECT_EQ(getregvalue("suchtreffer"), "50");
    writeFile(kv::settings::storeFile(),
              "[General]\nsuchtreffer=120\nloadeddir=/daten/kochbuch/\n");
    EXPECT_EQ(getregvalue("suchtreffer"), "120");

    ASSERT_EQ(setregvalue("wizard", "off"), "0");
    EXPECT_EQ(getregvalue("loadeddir"), "/daten/kochbuch/");
    EXPECT_EQ(getregvalue("suchtreffer"), "120");
    EXPECT_EQ(getregvalue("wizard"), "off");
}

TEST_F(RegStore, StoreFileFollowsTheEnvironmentAtEachCall)
{
    kv::settings::setStoreFile({});
    EXPECT_EQ(kv::settings::storeFile(), env.homeFolder() + "/.config/Kelvor/Version2.ini");

    env.unsetEnv("XDG_CONFIG_HOME");
    env.setEnv("HOME", env.tempPath("anderes-home"));
    EXPECT_EQ(kv::settings::storeFile(), env.tempPath("anderes-home/.config/Kelvor/Version2.ini"));
    ASSERT_EQ(setregvalue("wizard", "on"), "0");
    EXPECT_TRUE(QFile::exists(env.tempPath("anderes-home/.config/Kelvor/Version2.ini")));

    env.setEnv("KELVOR_SETTINGS", env.tempPath("portabel.ini"));
    EXPECT_EQ(kv::settings::storeFile(), env.tempPath("portabel.ini"));
    EXPECT_EQ(getregvalue("wizard"), "");

    kv::settings::setStoreFile(env.tempPath("gesetzt.ini"));
    EXPECT_EQ(kv::settings::storeFile(), env.tempPath("gesetzt.ini"));
}

TEST_F(RegStore, BrokenStoreIsSetAsideAndReplacedWithoutADialogHost)
{
    const QString store = kv::settings::storeFile();
    writeFile(store, garbage);
    ASSERT_EQ(QSettings(store, QSettings::IniFormat).status(), QSettings::FormatError);

    ASSERT_EQ(setregvalue("wizard", "on"), "0");
    EXPECT_EQ(getregvalue("wizard"), "on");
    EXPECT_EQ(kv::test::fileBytes(store + ".defekt"), garbage);
    EXPECT_EQ(QSettings(store, QSettings::IniFormat).allKeys(), QStringList{"wizard"});
}

TEST_F(RegStore, StoreThatCannotBeReadOrSetAsideIsNeverReplaced)
{
    // Nothing is set aside; the only boxes say that the settings cannot be stored.
    kv::test::ScriptedDialogs dialogs;

    // A folder where the store file should be cannot be read as a file, whoever runs
    // the test; it must not count as a malformed file.
    const QString folder = env.tempPath("ordner.ini");
    writeFile(folder + "/inhalt", "bleibt");
    kv::settings::setStoreFile(folder);
    dialogs.expect("können nicht in der Datei " + folder + " gespeichert werden", kv::ui::Answer::Ok);
    EXPECT_NE(setregvalue("wizard", "on"), "0");
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(kv::test::fileBytes(folder + "/inhalt"), "bleibt");
    EXPECT_FALSE(QFileInfo::exists(folder + ".defekt"));

    // A malformed file whose copy cannot be made (a folder holds its name) stays as it is.
    const QString store = env.tempPath("kaputt.ini");
    writeFile(store, garbage);
    writeFile(store + ".defekt/inhalt", "bleibt");
    kv::settings::setStoreFile(store);
    dialogs.expect("können nicht in der Datei " + store + " gespeichert werden", kv::ui::Answer::Ok);
    EXPECT_NE(setregvalue("wizard", "on"), "0");
    EXPECT_EQ(kv::test::fileBytes(store), garbage);
    EXPECT_EQ(kv::test::fileBytes(store + ".defekt/inhalt"), "bleibt");
}
