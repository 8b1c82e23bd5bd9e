// A cookbook that may only be read (a CD, a read-only share) prints like any other: each
// print button shows the print window with what it handed over, the list and the shopping
// list become PDF files, and the cookbook file keeps every byte. The folder is made
// read-only through the test hook, since the tests run as root.

#include "core/mainmod.h"
#include "printing/handoverdb.h"
#include "tests/printing/printwindowtest.h"
#include "tests/support/writedenied.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace kv::test {
namespace {

using ui::Answer;

QByteArray digest(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

class ReadOnlyPrint : public PrintWindowTest, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        PrintWindowTest::SetUp();
        ASSERT_TRUE(out.isValid());
    }

    qint64 handedOver(const QString& where = QStringLiteral("1=1"))
    {
        return printHandover()
            .db()
            .scalar(QStringLiteral("select count(*) from [rep-korbliste] where %1").arg(where))
            .toLongLong();
    }
    qint64 laidOutBlocks()
    {
        return form()->layout().layoutDatabase().db().scalar(QStringLiteral("select count(*) from blockpos")).toLongLong();
    }
    // The button shows the print window, which has laid the rows out.
    void press(const char* name)
    {
        if (form()) form()->hide();
        button(name)->click();
        ASSERT_TRUE(form() && form()->isVisible()) << name;
        settle();
        ASSERT_TRUE(form()->layout().printable()) << name;
    }
    // What the print window shows, printed to a PDF file.
    void printTo(const QString& file)
    {
        dialogs.expectFile(QStringLiteral("Druck als PDF-Datei speichern"), file);
        formControl("printpreview")->click();
        dialogs.verify();
        EXPECT_GE(pdfPages(file), 1) << file.toStdString();
    }

    QTemporaryDir out;
};

TEST_P(ReadOnlyPrint, EveryButtonPrintsAndTheCookbookKeepsEveryByte)
{
    const QString file = cookbook().name();
    const QString folder = QFileInfo(file).absolutePath();
    shutDown();
    db::Database::open(file)->execute(QStringLiteral("PRAGMA journal_mode=%1").arg(QLatin1String(GetParam())));
    const QByteArray before = digest(file);
    const WriteDenied denied(folder);
    dialogs.expect(kSchreibgeschuetzt, Answer::Ok);
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(cookbook().readOnly());

    // The quick list: Kartoffelsuppe and Spaghetti.
    ASSERT_NO_FATAL_FAILURE(press("druckaus"));
    EXPECT_EQ(handedOver(), count(QStringLiteral("select count(*) from zutaten where rid in (1,6)")));
    EXPECT_EQ(laidOutBlocks(), 2);
    printTo(out.filePath(QStringLiteral("liste.pdf")));

    ASSERT_NO_FATAL_FAILURE(press("druckrez"));
    EXPECT_EQ(handedOver(QStringLiteral("rid<>%1").arg(hm->shownRecipe())), 0);
    EXPECT_EQ(laidOutBlocks(), 1);

    ASSERT_NO_FATAL_FAILURE(press("einkauf"));
    EXPECT_EQ(handedOver(QStringLiteral("rname='Gerichte :'")), 2);
    EXPECT_EQ(laidOutBlocks(), 3) << "dishes, ingredients with and without an amount";
    printTo(out.filePath(QStringLiteral("einkauf.pdf")));

    // The menu's shopping list.
    button("men4")->click();
    ASSERT_NO_FATAL_FAILURE(press("einkaufmen"));
    EXPECT_EQ(printHandover().db().scalar(QStringLiteral("select group_concat(distinct aname) from [rep-korbliste]")),
              QStringLiteral("Einkaufsliste Sonntagsessen im Herbst"));

    shutDown();
    EXPECT_EQ(digest(file), before);
    for (const char* beside : {"-journal", "-wal", "-shm"})
        EXPECT_FALSE(QFile::exists(file + QLatin1String(beside))) << beside;
}

INSTANTIATE_TEST_SUITE_P(JournalModes, ReadOnlyPrint, ::testing::Values("DELETE", "WAL"));

}  // namespace
}  // namespace kv::test
