// The print buttons of the started program: each hands over and shows the print window,
// which lays the rows out.

#include "core/settings.h"
#include "mainwindow/recipeview.h"
#include "platform/print/printlog.h"
#include "printing/handoverdb.h"
#include "printing/print_rezept_window.h"
#include "tests/mainwindow/startedprogram.h"
#include "tests/printing/printtest.h"

#include <gtest/gtest.h>


namespace kv::test {
namespace {

using ui::Answer;

class PrintButtons : public StartedProgram {
protected:
    void SetUp() override
    {
        setPrintlogon(false);
        start();
    }
    void TearDown() override
    {
        StartedProgram::TearDown();
        setPrintlogon(false);
    }

    PrintRezept* printWindow()
    {
        return qobject_cast<PrintRezept*>(ui::WindowRegistry::loadedWindow(QStringLiteral("print_rezept")));
    }
    bool printWindowShown() { return printWindow() && printWindow()->isVisible(); }
    // The user closes the print window.
    void closePrintWindow()
    {
        if (printWindow())
            printWindow()->hide();
    }
    // Queries of the hand-over tables.
    QString value(const QString& sql) { return printHandover().db().scalar(sql).toString(); }
    qint64 handedOver() { return value(QStringLiteral("select count(*) from [rep-korbliste]")).toLongLong(); }
    qint64 laidOutBlocks()
    {
        return printWindow()->layout().layoutDatabase().db().scalar(QStringLiteral("select count(*) from blockpos"))
            .toLongLong();
    }
};

TEST_F(PrintButtons, EachButtonHandsOverAndShowsThePrintWindowWhichLaysItOutAndLogsAfterOneYes)
{
    savereg(reg::printlogging, QStringLiteral("1"));
    dialogs.expect(QStringLiteral("Soll ein Logfile während des Druckvorgangs erstellt werden ?"), Answer::Yes);
    button("druckaus")->click();
    dialogs.verify();
    ASSERT_TRUE(printWindowShown());
    EXPECT_EQ(printWindow()->parentWidget(), nullptr);
    EXPECT_EQ(handedOver(), count(QStringLiteral("select count(*) from zutaten where rid in (1,6)")));
    EXPECT_EQ(laidOutBlocks(), 2);
    EXPECT_TRUE(logText().startsWith(QStringLiteral("main.druckaus start\r\nmain.druckaus ende -> print_rezept.show\r\n"
                                                    "print_rezept.form_load Start\r\n")));

    closePrintWindow();
    port()->setText(QStringLiteral("6"));
    button("druckrez")->click();
    ASSERT_TRUE(printWindowShown());
    EXPECT_EQ(value(QStringLiteral("select distinct rid||'/'||p from [rep-korbliste]")),
              QStringLiteral("%1/6").arg(hm->shownRecipe()));
    EXPECT_EQ(laidOutBlocks(), 1);

    closePrintWindow();
    button("einkauf")->click();
    ASSERT_TRUE(printWindowShown());
    EXPECT_EQ(value(QStringLiteral("select count(*) from [rep-korbliste] where rname='Gerichte :'")).toInt(), 2);
    EXPECT_EQ(laidOutBlocks(), 3) << "dishes, ingredients with and without an amount";
    // The recipe print and the shopping list asked nothing and logged all the same.
    EXPECT_EQ(logText().count(QStringLiteral("calcrezsizes Ende.")), 3);
    EXPECT_EQ(logText().count(QStringLiteral("main.druckaus start")), 1);
}

TEST_F(PrintButtons, TheShoppingListGivesTheSameKitchenFractionAsTheListPrint)
{
    // Kaiserschmarrn is written for 2 with 1/3 l milk; for 3 that is half a litre.
    db().execute(QStringLiteral("delete from rezinaus where aid=1"));
    db().execute(QStringLiteral("insert into rezinaus (aid,rid,rname,port) select 1,rid,rname,3 from rezepte "
                                "where rname='Kaiserschmarrn'"));
    button("druckaus")->click();
    ASSERT_TRUE(printWindowShown());
    EXPECT_EQ(value(QStringLiteral("select men||' '||ename from [rep-korbliste] where zname='Milch'")),
              QStringLiteral("1/2 l"));

    closePrintWindow();
    button("einkauf")->click();
    ASSERT_TRUE(printWindowShown());
    EXPECT_EQ(value(QStringLiteral("select men||' '||ename from [rep-korbliste] where zname='o  Milch'")),
              QStringLiteral("1/2 l"));
    EXPECT_EQ(laidOutBlocks(), 3) << "dishes, ingredients with and without an amount";
}

TEST_F(PrintButtons, ServingsThatAreNoNumberFromOneTo32767PrintNothing)
{
    button("druckaus")->click();
    closePrintWindow();
    const qint64 before = handedOver();
    const std::pair<const char*, ServingsCheck> refused[] = {
        {"abc", ServingsCheck::NotNumber}, {"0", ServingsCheck::BelowOne}, {"40000", ServingsCheck::AboveMax}};
    for (const auto& [text, check] : refused) {
        port()->setText(QString::fromLatin1(text));
        dialogs.expect(servingsMessage(check), Answer::Ok);
        button("druckrez")->click();
        dialogs.verify();
        EXPECT_FALSE(printWindowShown()) << text;
        EXPECT_EQ(handedOver(), before) << text;
    }
}

TEST_F(PrintButtons, InMenuModeTheRecipeButtonPrintsTheMenuWithItsDescription)
{
    button("men4")->click();
    ASSERT_FALSE(zub()->toPlainText().isEmpty());
    savereg(reg::printlogging, QStringLiteral("1"));
    dialogs.expect(QStringLiteral("Soll ein Logfile"), Answer::No);
    button("druckrez")->click();
    dialogs.verify();
    ASSERT_TRUE(printWindowShown());
    EXPECT_EQ(value(QStringLiteral("select ztext from [rep-korbliste] where rid=0")), zub()->toPlainText() + u' ');
    EXPECT_EQ(value(QStringLiteral("select group_concat(rnr) from (select distinct rnr from [rep-korbliste] order by rnr)")), QStringLiteral("0,1,2"));
    EXPECT_EQ(laidOutBlocks(), 3);

    closePrintWindow();
    button("einkaufmen")->click();
    ASSERT_TRUE(printWindowShown());
    EXPECT_EQ(value(QStringLiteral("select group_concat(distinct aname) from [rep-korbliste]")),
              QStringLiteral("Einkaufsliste Sonntagsessen im Herbst"));
}

TEST_F(PrintButtons, AFailingHandOverShowsTheErrorAndKeepsTheTablesAsTheyWere)
{
    button("druckaus")->click();
    closePrintWindow();
    const qint64 before = handedOver();
    printHandover().db().execute(QStringLiteral("drop table [rep-mbesch]"));
    hm->activateWindow();
    // Another list: its rows would replace the quick list's.
    db().execute(QStringLiteral("delete from rezinaus where aid=1 and rid=6"));
    dialogs.expect(QStringLiteral("DRUCKAUS_CLICK : "), Answer::Ok).withTitle(QStringLiteral(" F E H L E R"));
    button("druckaus")->click();
    dialogs.verify();
    EXPECT_FALSE(printWindowShown());
    EXPECT_EQ(handedOver(), before);
}

}  // namespace
}  // namespace kv::test
