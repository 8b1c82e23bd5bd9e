#include "platform/paths.h"
#include "platform/settings/regstore.h"
#include "tests/support/testenv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

namespace {

class Paths : public ::testing::Test {
protected:
    void SetUp() override
    {
        shipped = env.tempPath("shipped");
        put(shipped + "/kochbuch/kelvor-daten.mdb", "geliefertes Kochbuch");
        put(shipped + "/ExclList.txt", "geliefert");
        put(shipped + "/RepList.txt", "geliefert");
        put(shipped + "/hilfe/bilder/logo.bmp", "BM");
        env.setEnv("KELVOR_SHIPPED", shipped);
    }

    static void put(const QString& path, const QByteArray& content)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        kv::test::writeFileBytes(path, content);
    }

    kv::test::TestEnvironment env;
    QString shipped;
};

}  // namespace

TEST_F(Paths, FirstStartFillsTheDataFolderUnderAnEmptyHome)
{
    env.unsetEnv("KELVOR_HOME");
    env.unsetEnv("XDG_DATA_HOME");
    const QString cwd = QDir::currentPath();

    const QString folder = kv::paths::programFolder();
    EXPECT_EQ(folder, env.homeFolder() + "/.local/share/kelvor");
    EXPECT_EQ(kv::test::fileBytes(folder + "/kochbuch/kelvor-daten.mdb"), "geliefertes Kochbuch");
    EXPECT_EQ(kv::test::fileBytes(folder + "/ExclList.txt"), "geliefert");
    EXPECT_EQ(kv::test::fileBytes(folder + "/hilfe/bilder/logo.bmp"), "BM");
    EXPECT_EQ(QDir::currentPath(), cwd);
}

TEST_F(Paths, DataHomeAndKelvorHomeChooseTheFolderWhichIsKeptUntilReset)
{
    env.unsetEnv("KELVOR_HOME");
    env.setEnv("XDG_DATA_HOME", env.tempPath("daten"));
    EXPECT_EQ(kv::paths::programFolder(), env.tempPath("daten/kelvor"));

    env.setEnv("KELVOR_HOME", env.tempPath("eigen/../programm"));
    EXPECT_EQ(kv::paths::programFolder(), env.tempPath("daten/kelvor"));
    kv::paths::resetForTests();
    EXPECT_EQ(kv::paths::programFolder(), env.tempPath("programm"));
    EXPECT_TRUE(QFileInfo(env.tempPath("programm/RepList.txt")).isFile());
}

TEST_F(Paths, FillingNeverOverwritesAndAddsWhatIsNew)
{
    const QString folder = env.tempPath("kelvor");
    put(folder + "/ExclList.txt", "vom Benutzer bearbeitet");
    put(folder + "/kochbuch/kelvor-daten.mdb", "Rezepte des Benutzers");

    EXPECT_EQ(kv::paths::programFolder(), folder);
    EXPECT_EQ(kv::test::fileBytes(folder + "/ExclList.txt"), "vom Benutzer bearbeitet");
    EXPECT_EQ(kv::test::fileBytes(folder + "/kochbuch/kelvor-daten.mdb"), "Rezepte des Benutzers");
    EXPECT_EQ(kv::test::fileBytes(folder + "/RepList.txt"), "geliefert");

    // A later release ships one more file: the next start adds it.
    put(shipped + "/kelvor-hilfe.html", "<html>");
    kv::paths::resetForTests();
    kv::paths::programFolder();
    EXPECT_EQ(kv::test::fileBytes(folder + "/kelvor-hilfe.html"), "<html>");
    EXPECT_EQ(kv::test::fileBytes(folder + "/ExclList.txt"), "vom Benutzer bearbeitet");
}

TEST_F(Paths, CopiesFromAReadOnlyInstallationAreWritable)
{
    const QString source = shipped + "/kochbuch/kelvor-daten.mdb";
    ASSERT_TRUE(QFile::setPermissions(source, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const QString copy = kv::paths::programFolder() + "/kochbuch/kelvor-daten.mdb";
    EXPECT_TRUE(QFile::permissions(copy) & QFile::WriteOwner);
}

TEST_F(Paths, ProgramFolderInsideTheShippedFolderIsNotCopiedIntoItself)
{
    env.setEnv("KELVOR_HOME", shipped + "/benutzer");
    const QString folder = kv::paths::programFolder();
    EXPECT_TRUE(QFileInfo(folder + "/ExclList.txt").isFile());
    EXPECT_FALSE(QFileInfo(folder + "/benutzer").exists());
}

TEST_F(Paths, ShippedFolderComesFromTheEnvironmentOrTheExecutable)
{
    EXPECT_EQ(kv::paths::shippedFolder(), shipped);
    env.unsetEnv("KELVOR_SHIPPED");
    const QString beside = kv::paths::shippedFolder();
    EXPECT_TRUE(QDir::isAbsolutePath(beside));
    EXPECT_TRUE(beside.endsWith("share/kelvor"));
}

TEST_F(Paths, DriveRootsStandForTheHomeFolder)
{
    const QString home = env.homeFolder();
    EXPECT_EQ(kv::paths::homeFolder(), home);
    EXPECT_EQ(kv::paths::localPath("c:\\"), home + "/");
    EXPECT_EQ(kv::paths::localPath("c:"), home);
    EXPECT_EQ(kv::paths::localPath("C:\\x\\y.txt"), home + "/x/y.txt");
    EXPECT_EQ(kv::paths::localPath("c:rezepte\\"), home + "/rezepte/");
    EXPECT_EQ(kv::paths::localPath("/daten/kochbuch/"), "/daten/kochbuch/");
    EXPECT_EQ(kv::paths::localPath("kochbuch\\liste.txt"), "kochbuch/liste.txt");
}

TEST_F(Paths, FoldersAreAbsoluteWithOneTrailingSlash)
{
    EXPECT_EQ(kv::paths::absoluteFolder("/daten//kochbuch/../rezepte"), "/daten/rezepte/");
    EXPECT_EQ(kv::paths::absoluteFolder("/daten/"), "/daten/");
    EXPECT_EQ(kv::paths::absoluteFolder("rel"), QDir::currentPath() + "/rel/");
    EXPECT_EQ(kv::paths::tempFolder(), env.tempPath("tmp"));
}

TEST_F(Paths, FileSearchFindsFilesOnly)
{
    const QString folder = kv::paths::programFolder();
    EXPECT_TRUE(kv::paths::fileExists(folder + "/ExclList.txt"));
    EXPECT_FALSE(kv::paths::fileExists(folder + "/kochbuch"));
    EXPECT_TRUE(kv::paths::folderExists(folder + "/kochbuch"));
    EXPECT_FALSE(kv::paths::folderExists(folder + "/ExclList.txt"));
}

TEST(TestEnvironmentTest, PutsHomeStoreAndLocaleBack)
{
    const QByteArray home = qgetenv("HOME");
    const QString store = kv::settings::storeFile();
    const QLocale locale;
    QString folder;
    {
        kv::test::TestEnvironment env;
        env.setEnv("HOME", env.tempPath("zweimal"));
        folder = env.programFolder();
        EXPECT_TRUE(folder.startsWith(env.tempPath("")));
        EXPECT_EQ(QLocale().decimalPoint(), ",");
        EXPECT_TRUE(kv::settings::storeFile().startsWith(env.tempPath("")));
    }
    EXPECT_EQ(qgetenv("HOME"), home);
    EXPECT_EQ(kv::settings::storeFile(), store);
    EXPECT_EQ(QLocale(), locale);
    EXPECT_FALSE(QFileInfo::exists(folder));
}

namespace {

// A private temp folder as a run of the program leaves it, with its lock file.
QString runFolder(const QString& name, bool withLock = true, QFile::Permissions mode = QFile::ReadOwner |
                                                                                      QFile::WriteOwner |
                                                                                      QFile::ExeOwner)
{
    const QString folder = kv::paths::tempFolder() + u'/' + name;
    EXPECT_TRUE(QDir().mkpath(folder));
    kv::test::writeFileBytes(folder + QStringLiteral("/kelvor-druckuebergabe.db"), "Übergabe");
    if (withLock) kv::test::writeFileBytes(folder + QStringLiteral("/.kelvor-lebt"), "");
    QFile::setPermissions(folder, mode);
    return folder;
}

}  // namespace

// What killed runs left is removed at the next start; a living run's folder, this run's
// own, one that cannot be told from a living one and one that is not ours as a run makes
// it are kept.
TEST(PrivateTempFolders, ADeadRunsFolderIsRemovedAndALivingRunsFolderKept)
{
    kv::test::TestEnvironment env;
    const QString own = kv::paths::privateTempFolder();
    ASSERT_FALSE(own.isEmpty());
    const QString dead = runFolder(QStringLiteral("kelvor-tot123"));
    const QString living = runFolder(QStringLiteral("kelvor-lebt12"));
    const QString unmarked = runFolder(QStringLiteral("kelvor-alt123"), false);
    const QString open = runFolder(QStringLiteral("kelvor-offen1"), true,
                                   QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                       QFile::ExeOther);
    // Another run: a process that holds the folder's lock.
    QProcess holder;
    holder.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("exec 9>>'%1/.kelvor-lebt' && flock -x 9 "
                                                                             "&& exec sleep 30").arg(living)});
    ASSERT_TRUE(holder.waitForStarted());
    const auto held = [&] {
        QProcess probe;
        probe.start(QStringLiteral("flock"), {QStringLiteral("-n"), QStringLiteral("-x"),
                                              living + QStringLiteral("/.kelvor-lebt"), QStringLiteral("true")});
        probe.waitForFinished();
        return probe.exitCode() != 0;
    };
    for (int tries = 0; tries < 250 && !held(); ++tries) QThread::msleep(20);
    ASSERT_TRUE(held());

    kv::paths::removeStalePrivateTempFolders();
    EXPECT_FALSE(QFileInfo::exists(dead));
    EXPECT_TRUE(QFileInfo::exists(living + QStringLiteral("/kelvor-druckuebergabe.db")));
    EXPECT_TRUE(QFileInfo::exists(own));
    EXPECT_TRUE(QFileInfo::exists(unmarked));
    EXPECT_TRUE(QFileInfo::exists(open));

    // Killed, it leaves its folder to the next start.
    holder.kill();
    holder.waitForFinished();
    kv::paths::removeStalePrivateTempFolders();
    EXPECT_FALSE(QFileInfo::exists(living));
    EXPECT_TRUE(QFileInfo::exists(own));
}
