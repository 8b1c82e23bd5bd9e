#include "platform/print/printlog.h"

#include "core/settings.h"
#include "platform/settings/regstore.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testenv.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace kv;
using kv::ui::Answer;

namespace {

const QString question = QStringLiteral("Soll ein Logfile während des Druckvorgangs erstellt werden ?");

class PrintLog : public ::testing::Test {
protected:
    // Each case is a fresh program run: logging off.
    void SetUp() override { setPrintlogon(false); }
    void TearDown() override { setPrintlogon(false); }

    void expectQuestion(Answer answer)
    {
        dialogs.expect(question, answer).withTitle(QStringLiteral("Kelvor")).withStyle(ui::YesNo);
    }

    QByteArray logged() const
    {
        QFile f(printlogPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    void writeOldLog()
    {
        QFile f(printlogPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("alter Lauf\r\n");
    }

    kv::test::TestEnvironment env;
    kv::test::ScriptedDialogs dialogs;
};

}  // namespace

TEST_F(PrintLog, WithoutTheSettingNothingIsAskedAndTheFileNeitherMadeNorTouched)
{
    EXPECT_EQ(printlogPath(), env.homeFolder() + QStringLiteral("/kelvor-printlog.txt"));
    initprintlog();
    printlog(QStringLiteral("main.druckaus start"));
    savereg(reg::printlogging, QStringLiteral("0"));
    initprintlog();
    printlog(QStringLiteral("main.druckaus start"));
    EXPECT_FALSE(QFile::exists(printlogPath()));

    writeOldLog();
    const QDateTime past = QDateTime::currentDateTime().addDays(-3);
    {
        QFile f(printlogPath());
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(past, QFileDevice::FileModificationTime));
    }
    printlog(QStringLiteral("niemals"));
    EXPECT_EQ(logged(), QByteArray("alter Lauf\r\n"));
    EXPECT_EQ(QFileInfo(printlogPath()).lastModified().toSecsSinceEpoch(), past.toSecsSinceEpoch());
}

TEST_F(PrintLog, NoWritesNothingForThatRunEvenAfterALoggedOne)
{
    savereg(reg::printlogging, QStringLiteral("1"));
    expectQuestion(Answer::Yes);
    initprintlog();
    printlog(QStringLiteral("erster Lauf"));
    expectQuestion(Answer::No);
    initprintlog();
    printlog(QStringLiteral("zweiter Lauf"));
    EXPECT_FALSE(printlogon());
    EXPECT_EQ(logged(), QByteArray("erster Lauf\r\n"));
}

TEST_F(PrintLog, YesStartsTheFileAfreshAndLaterPrintsOfTheRunLogTooInUtf8)
{
    writeOldLog();
    savereg(reg::printlogging, QStringLiteral(" 1 "));  // read trimmed
    expectQuestion(Answer::Yes);
    initprintlog();
    EXPECT_FALSE(QFile::exists(printlogPath()));
    printlog(QStringLiteral("main.druckaus start"));
    // Printing one recipe later asks nothing and still logs.
    printlog(QStringLiteral("drawtextblock: Käse, Öl & süße Brötchen"));
    EXPECT_EQ(QString::fromUtf8(logged()), QStringLiteral("main.druckaus start\r\ndrawtextblock: Käse, Öl & süße Brötchen\r\n"));
}

TEST_F(PrintLog, AnUnwritableLogIsSaidOnceAndPrintingGoesOn)
{
    // A folder where the file should be: no user, not even root, can write it.
    ASSERT_TRUE(QDir().mkpath(printlogPath()));
    savereg(reg::printlogging, QStringLiteral("1"));
    expectQuestion(Answer::Yes);
    dialogs.expect(QStringLiteral("kann nicht geschrieben werden"), Answer::Ok)
        .withTitle(QStringLiteral("Kelvor"))
        .withStyle(ui::Exclamation);
    initprintlog();
    printlog(QStringLiteral("getprinters start."));
    printlog(QStringLiteral("fillpdevmode openprinter : printer.devicename "));
    EXPECT_FALSE(printlogon());
}

// The log sits beneath the program's settings and reads its switch from the store itself:
// a value written there by name, as a user edits the file, is the one it asks about.
TEST_F(PrintLog, TheSwitchIsTheStoresValuePrintlogging)
{
    EXPECT_EQ(printlogSetting, QStringLiteral("printlogging"));
    EXPECT_EQ(reg::printlogging, printlogSetting);
    ASSERT_EQ(settings::setregvalue(QStringLiteral("printlogging"), QStringLiteral("1")), QStringLiteral("0"));
    expectQuestion(Answer::Yes);
    initprintlog();
    EXPECT_TRUE(printlogon());
    dialogs.verify();
}
