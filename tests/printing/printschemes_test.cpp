// The print settings schemes in the print-settings file of a private program folder, with
// the name box scripted.

#include "core/settings.h"
#include "platform/db/database.h"
#include "printing/printsettingsdb.h"
#include "tests/printing/printtest.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testenv.h"

#include <gtest/gtest.h>

namespace kv::test {
namespace {

using Rows = QList<QPair<qint64, QString>>;

class PrintSchemes : public ::testing::Test {
protected:
    void SetUp() override
    {
        createprintsettingsdb();
        m_file = db::Database::open(printsettingsPath());
    }

    db::Database& file() { return *m_file; }

    // The list's rows by number.
    Rows choices()
    {
        Rows rows;
        db::Statement st(file(), QStringLiteral("select cid, cname from choices order by cid"));
        while (st.step())
            rows.append({st.int64(0), st.text(1)});
        return rows;
    }
    qint64 count(const QString& table)
    {
        return file().scalar(QStringLiteral("select count(*) from ") + table).toLongLong();
    }
    std::optional<qint64> save(const QString& name)
    {
        dialogs.expectInput(QStringLiteral("Bitte geben Sie einen Namen für diese Einstellungen ein :"), name)
            .withTitle(QStringLiteral(" "));
        return saveprintsettings();
    }

    TestEnvironment env;
    ScriptedDialogs dialogs;
    std::unique_ptr<db::Database> m_file;
};

TEST_F(PrintSchemes, ANewFileListsTheCurrentSettingsAndTheFirstSchemeIsNumberOne)
{
    EXPECT_EQ(choices(), (Rows{{0, QStringLiteral("aktuelle Einstellungen")}}));
    EXPECT_EQ(count(QStringLiteral("settings")), 0);

    EXPECT_EQ(save(QStringLiteral("Heft")), 1);
    EXPECT_EQ(choices(), (Rows{{0, QStringLiteral("aktuelle Einstellungen")}, {1, QStringLiteral("Heft")}}));
    EXPECT_EQ(count(QStringLiteral("settings")), 1);
}

TEST_F(PrintSchemes, ANewSchemeIsNumberedOneAboveTheHighest)
{
    file().execute(QStringLiteral("delete from choices"));
    EXPECT_EQ(save(QStringLiteral("erstes")), 1);

    file().execute(QStringLiteral("delete from choices"));
    file().execute(QStringLiteral("delete from settings"));
    file().execute(QStringLiteral("insert into choices (cid, cname) values (0,'a'),(1,'b'),(2,'c'),(5,'d')"));
    EXPECT_EQ(save(QStringLiteral("sechs")), 6);
    // The highest one deleted, its number is given again.
    deleteprintsettings(6);
    EXPECT_EQ(save(QStringLiteral("wieder sechs")), 6);
    EXPECT_EQ(count(QStringLiteral("settings where cid=6")), 1);
    EXPECT_EQ(count(QStringLiteral("choices where cid=6")), 1);
}

TEST_F(PrintSchemes, CancelSavesNothingAndAnEmptyNameIsKept)
{
    dialogs.expectInput(QStringLiteral("Namen"), std::nullopt);
    EXPECT_EQ(saveprintsettings(), std::nullopt);
    EXPECT_EQ(choices().size(), 1);
    EXPECT_EQ(count(QStringLiteral("settings")), 0);

    EXPECT_EQ(save(QString()), 1);
    EXPECT_EQ(choices().last(), (QPair<qint64, QString>{1, QString()}));
}

TEST_F(PrintSchemes, ASchemeGivesBackEveryValueAsItWasSaved)
{
    defaultprint();
    savereg(reg::printfontbold(1), QStringLiteral("-1"));
    savereg(reg::printfontsize(3), QStringLiteral("10,5"));
    savereg(reg::printmarg(2), QString());
    savereg(reg::printtitleorder, QStringLiteral("LARD"));
    savereg(reg::printbooklet, QStringLiteral("1"));
    savereg(reg::printorient, QStringLiteral("quer"));
    savereg(reg::printspalten, QStringLiteral("3"));
    const QMap<QString, QString> saved = printValues();
    const std::optional<qint64> cid = save(QStringLiteral("quer mit Heft"));
    ASSERT_TRUE(cid);

    // The own texts are no part of a scheme.
    savereg(reg::printtitleextra, QStringLiteral("Omas Rezepte"));
    defaultprint();
    ASSERT_NE(printValues(), saved);
    EXPECT_TRUE(loadprintsettings(*cid));
    EXPECT_EQ(printValues(), saved);
    EXPECT_EQ(getreg(reg::printfontbold(1)), QStringLiteral("-1"));
    EXPECT_EQ(getreg(reg::printtitleextra), QStringLiteral("Omas Rezepte"));
}

TEST_F(PrintSchemes, ASaveOrDeleteThatFailsHalfwayLeavesTheSchemesAsTheyWere)
{
    file().execute(QStringLiteral("create trigger refuse before insert on settings begin "
                                  "select raise(abort, 'Datenträger voll'); end"));
    dialogs.expectInput(QStringLiteral("Namen"), QStringLiteral("halb"));
    EXPECT_THROW(saveprintsettings(), db::DbError);
    EXPECT_EQ(choices().size(), 1);
    file().execute(QStringLiteral("drop trigger refuse"));

    ASSERT_EQ(save(QStringLiteral("ganz")), 1);
    file().execute(QStringLiteral("create trigger refuse before delete on choices begin "
                                  "select raise(abort, 'gesperrt'); end"));
    EXPECT_THROW(deleteprintsettings(1), db::DbError);
    EXPECT_EQ(count(QStringLiteral("settings where cid=1")), 1);
    EXPECT_EQ(count(QStringLiteral("choices where cid=1")), 1);
}

TEST_F(PrintSchemes, ASchemeWithoutValuesOrMissingOneChangesNothing)
{
    defaultprint();
    const QMap<QString, QString> before = printValues();
    file().execute(QStringLiteral("insert into choices (cid, cname) values (3, 'leer')"));
    EXPECT_FALSE(loadprintsettings(3));
    EXPECT_EQ(printValues(), before);

    // A file whose scheme lacks a column: nothing is written before that is found.
    ASSERT_EQ(save(QStringLiteral("alt")), 4);
    file().execute(QStringLiteral("update settings set printspalten='5', printfont0name='Serif' where cid=4"));
    file().deleteField(QStringLiteral("settings"), QStringLiteral("printorient"));
    EXPECT_THROW(loadprintsettings(4), db::DbError);
    EXPECT_EQ(printValues(), before);
}

}  // namespace
}  // namespace kv::test
