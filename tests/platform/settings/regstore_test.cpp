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

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<nicht lesbar>");
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

TEST_F(RegStore, TrimsBlanksButKeepsLineEndsAndTabs)
{
    setregvalue("a", "   eins zwei   ");
    setregvalue("b", "\r\n  x  \r\n");
    setregvalue("c", "\tTab\t");
    setregvalue("d", "     ");
    EXPECT_EQ(getregvalue("a"), "eins zwei");
    EXPECT_EQ(getregvalue("b"), "\r\n  x  \r\n");
    EXPECT_EQ(getregvalue("c"), "\tTab\t");
    EXPECT_EQ(getregvalue("d"), "");
}

TEST_F(RegStore, TextsTheIniSyntaxWouldMangleRoundTrip)
{
    const QStringList values = {"a,b",      "a, b, c",  "\"zitiert\"", "@Variant(x)", ";kein Kommentar",
                                "#auch nicht", "k=v",   "c:\\",        "C:\\x\\y.txt", "@@",
                                "Grüße ß €", "[General]", "%E4"};
    for (int i = 0; i < values.size(); ++i)
        ASSERT_EQ(setregvalue(QStringLiteral("v%1").arg(i), values[i]), "0");
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(getregvalue(QStringLiteral("v%1").arg(i)), values[i]) << i;

    ASSERT_EQ(setregvalue("änderrezept", "on"), "0");
    EXPECT_EQ(getregvalue("änderrezept"), "on");
    EXPECT_EQ(getregvalue("anderrezept"), "");
}

TEST_F(RegStore, LongValuesReadBackWhole)
{
    const QString v255(255, QLatin1Char('x'));
    const QString v256 = QString(255, QLatin1Char('y')) + QStringLiteral("z");
    const QString v5000(5000, QLatin1Char('q'));
    setregvalue("v255", v255);
    setregvalue("v256", v256);
    setregvalue("v5000", v5000);
    EXPECT_EQ(getregvalue("v255"), v255);
    EXPECT_EQ(getregvalue("v256"), v256);
    EXPECT_EQ(getregvalue("v5000"), v5000);
}

TEST_F(RegStore, FailedWriteIsReportedAndNothingIsCreated)
{
    // A regular file where the folder should be: no store can be created there,
    // whoever runs the test.
    const QString blocker = env.tempPath("blocker");
    writeFile(blocker, "kein Ordner");
    kv::settings::setStoreFile(blocker + "/Kelvor/Version2.ini");
    EXPECT_NE(setregvalue("wizard", "on"), "0");
    EXPECT_EQ(getregvalue("wizard"), "");
    QFile f(blocker);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "kein Ordner");
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
    QFile f(kv::settings::storeFile());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().count("=<"), 1) << "one value, not two differing in case";
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
    EXPECT_EQ(readFile(store + ".defekt"), garbage);
    EXPECT_EQ(QSettings(store, QSettings::IniFormat).allKeys(), QStringList{"wizard"});
}

TEST_F(RegStore, StoreThatCannotBeReadOrSetAsideIsNeverReplaced)
{
    kv::test::ScriptedDialogs dialogs;  // no box is expected: nothing was set aside

    // A folder where the store file should be cannot be read as a file, whoever runs
    // the test; it must not count as a malformed file.
    const QString folder = env.tempPath("ordner.ini");
    writeFile(folder + "/inhalt", "bleibt");
    kv::settings::setStoreFile(folder);
    EXPECT_NE(setregvalue("wizard", "on"), "0");
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(readFile(folder + "/inhalt"), "bleibt");
    EXPECT_FALSE(QFileInfo::exists(folder + ".defekt"));

    // A malformed file whose copy cannot be made (a folder holds its name) stays as it is.
    const QString store = env.tempPath("kaputt.ini");
    writeFile(store, garbage);
    writeFile(store + ".defekt/inhalt", "bleibt");
    kv::settings::setStoreFile(store);
    EXPECT_NE(setregvalue("wizard", "on"), "0");
    EXPECT_EQ(readFile(store), garbage);
    EXPECT_EQ(readFile(store + ".defekt/inhalt"), "bleibt");
}
