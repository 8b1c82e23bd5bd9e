// Header and footer texts from their order strings, and the numbers of the print settings.

#include "printing/headfoot.h"
#include "printing/printnumber.h"
#include "tests/support/testenv.h"

#include <gtest/gtest.h>

#include <QLocale>

namespace kv::test {
namespace {

HeadFootItems items()
{
    HeadFootItems i;
    i.aname = QStringLiteral("Omas Rezepte");
    i.today = QDate(2026, 12, 6);
    i.page = 1;
    i.pagecount = 5;
    i.extra = QStringLiteral("Kelvor");
    return i;
}

TEST(HeadFootText, OrderStringsPlaceTheirItemsEachFollowedByABlank)
{
    EXPECT_EQ(headfoottext(QString(), items()), (HeadFootTexts{}));
    EXPECT_EQ(headfoottext(QStringLiteral("LARD"), items()),
              (HeadFootTexts{QStringLiteral("Omas Rezepte "), {}, QStringLiteral("6.Dezember 2026 ")}));
    EXPECT_EQ(headfoottext(QStringLiteral("LSLG"), items()),
              (HeadFootTexts{QStringLiteral(" Seite 1 von 5 "), {}, {}}));
    EXPECT_EQ(headfoottext(QStringLiteral("CXCX"), items()), (HeadFootTexts{{}, QStringLiteral("Kelvor Kelvor "), {}}));
    // A position letter in lower case keeps the position before it: left for the first.
    EXPECT_EQ(headfoottext(QStringLiteral("lA"), items()), (HeadFootTexts{QStringLiteral("Omas Rezepte "), {}, {}}));
    EXPECT_EQ(headfoottext(QStringLiteral("RSxA"), items()),
              (HeadFootTexts{{}, {}, QStringLiteral(" Seite 1 Omas Rezepte ")}));
    // A single letter at the end has no item; an unknown item appends nothing.
    EXPECT_EQ(headfoottext(QStringLiteral("RGC"), items()), (HeadFootTexts{{}, {}, QStringLiteral("von 5 ")}));
    EXPECT_EQ(headfoottext(QStringLiteral("LQCa"), items()), (HeadFootTexts{}));
}

TEST(HeadFootText, TheDateHasGermanMonthNamesWhateverTheLocale)
{
    TestEnvironment env;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(headFootDate(QDate(2026, 3, 1)), QStringLiteral("1.März 2026"));
}

TEST(PrintNumber, ReadsACommaOrAPointAndWhatTheTextBeginsWith)
{
    TestEnvironment env;
    for (const auto& locale : {QLocale(QLocale::German), QLocale(QLocale::English, QLocale::UnitedStates)}) {
        QLocale::setDefault(locale);
        EXPECT_EQ(readPrintNumber(QStringLiteral("10,5")), 10.5);
        EXPECT_EQ(readPrintNumber(QStringLiteral("10.5")), 10.5);
        EXPECT_EQ(readPrintNumber(QStringLiteral(" 2 cm")), 2);
        EXPECT_EQ(readPrintNumber(QStringLiteral(",5")), 0.5);
        EXPECT_EQ(readPrintNumber(QStringLiteral("1,5,7")), 1.5);
        EXPECT_EQ(readPrintNumber(QStringLiteral("1.5E2")), 150);
        EXPECT_EQ(readPrintNumber(QStringLiteral("abc")), 0);
        EXPECT_EQ(readPrintNumber(QStringLiteral(",")), 0);

        EXPECT_EQ(writePrintNumber(2), QStringLiteral("2"));
        EXPECT_EQ(writePrintNumber(0.4), QStringLiteral("0,4"));
        EXPECT_EQ(writePrintNumber(-0.0), QStringLiteral("0"));
        EXPECT_EQ(writePrintNumber(100.0 / 600 * 2.54), QStringLiteral("0,423333333333333"));
    }
}

}  // namespace
}  // namespace kv::test
