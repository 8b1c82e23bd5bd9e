#include "core/settings.h"
#include "platform/settings/regstore.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testenv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
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
    EXPECT_EQ(getreg("HTMLstart"),
              "<HTML>\r\n<HEAD>\r\n  <META NAME=\"GENERATOR\" CONTENT=\"Kelvor 2.0\">\r\n"
              "  <TITLE>Rezepte</TITLE>\r\n</HEAD>\r\n"
              "<BODY BGCOLOR=\"#ffffff\" LINK=\"#0000d9\" VLINK=\"#808080\">\r\n");
    EXPECT_EQ(getreg("HTMLstop"), "</BODY>\r\n</HTML>");
    EXPECT_EQ(getreg("exportpfad"), "c:\\");
    EXPECT_EQ(getreg("importpfad"), "c:\\");
    EXPECT_EQ(getreg("wizard"), "on");
    EXPECT_EQ(getreg("suchtreffer"), "50");
    EXPECT_EQ(getreg("zuletztgesucht"), "50");
    EXPECT_EQ(getreg("änderrezept"), "off");
    EXPECT_EQ(storedNames().size(), 8);

    // The maintenance window switched the wizard off and the user changed the hit limit.
    savereg("wizard", "off");
    savereg("suchtreffer", "200");
    savereg("HTMLstop", "</HTML>");
    setdefaults();
    EXPECT_EQ(getreg("wizard"), "off");
    EXPECT_EQ(getreg("suchtreffer"), "200");
    EXPECT_EQ(getreg("HTMLstop"), "</HTML>");
}

TEST_F(Settings, PrintDefaultsOverwriteAll29Values)
{
    savereg("printfont0name", "Courier");
    savereg("printorient", "quer");
    defaultprint();
    EXPECT_EQ(storedNames().size(), 29);
    EXPECT_EQ(reg::printdefaults().size(), 29);
    EXPECT_EQ(getreg("printspalten"), "2");
    EXPECT_EQ(getreg("printfont0size"), "12");
    EXPECT_EQ(getreg("printfont1size"), "10");
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(getreg(QStringLiteral("printfont%1name").arg(i)), "Arial Narrow");
        EXPECT_EQ(getreg(QStringLiteral("printfont%1bold").arg(i)), "0");
        EXPECT_EQ(getreg(QStringLiteral("printfont%1italic").arg(i)), "0");
    }
    for (int i = 2; i < 5; ++i)
        EXPECT_EQ(getreg(QStringLiteral("printfont%1size").arg(i)), "9");
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(getreg(QStringLiteral("printmarg%1").arg(i)), "2");
    EXPECT_EQ(getreg("printtitleorder"), "LA");
    EXPECT_EQ(getreg("printfootorder"), "RSRG");
    EXPECT_EQ(getreg("printbooklet"), "0");
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
    QFile blocker(env.tempPath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    kv::settings::setStoreFile(env.tempPath("blocker/Version2.ini"));
    EXPECT_FALSE(savereg("wizard", "on"));
    setdefaults();
    EXPECT_EQ(getreg("wizard"), "");
}

TEST_F(Settings, BrokenStoreIsKeptAsDefektTheUserToldOnceAndTheValueStored)
{
    const QString store = env.settingsFile();
    static const char raw[] = "\x00\x07\xff[Drucken\nsuchtreffer 50\n\xfe\xfd";
    const QByteArray garbage(raw, sizeof raw - 1);
    auto write = [](const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    QDir().mkpath(QFileInfo(store).absolutePath());
    write(store, garbage);
    write(store + ".defekt", "ein älterer Rest");
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

    EXPECT_EQ(getreg("wizard"), "off");
    EXPECT_EQ(getreg("suchtreffer"), "200");
    EXPECT_EQ(storedNames().size(), 2);
    QFile kept(store + ".defekt");
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), garbage);
}
