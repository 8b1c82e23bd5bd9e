#include "core/fraction.h"
#include "tests/support/testenv.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <limits>
#include <optional>

using kv::bruch;
using kv::bruchmenge;
using kv::DisplayAmount;

namespace {

class Fraction : public ::testing::Test {
protected:
    static QString scaled(std::optional<double> amount, int servings, double wanted,
                          std::optional<qint64> unit = std::nullopt)
    {
        return bruchmenge(amount, servings, wanted, unit).toText();
    }
    static QString shown(double amount) { return scaled(amount, 4, 4); }

    kv::test::TestEnvironment env;
};

}  // namespace

TEST_F(Fraction, WorkedValues)
{
    struct Case {
        double amount;
        int servings;
        double wanted;
        std::optional<qint64> unit;
        const char* text;
    };
    const Case cases[] = {
        {0.25, 4, 4, {}, "1/4"},       {1.5, 4, 4, {}, "1 1/2"},       {0.333, 4, 4, {}, "0,33"},
        {2.66, 4, 4, {}, "2,66"},      {75, 4, 4, {}, "75"},           {1.0 / 3, 4, 4, {}, "1/3"},
        {8.0 / 3, 4, 4, {}, "2 2/3"},  {49.75, 4, 4, {}, "49 3/4"},    {0.7, 4, 4, {}, "0,7"},
        {0.129, 4, 4, {}, "0,12"},     {50, 4, 4, {}, "50"},           {50.5, 4, 4, {}, "50"},
        {0, 4, 4, {}, "0"},            {3, 4, 2, {}, "1 1/2"},         {3, 4, 2, 115, "3"},
        {1, 3, 7, {}, "2 1/3"},        {200, 4, 1, {}, "50"},
        // Only unit 115 is left unscaled.
        {3, 4, 2, 114, "1 1/2"},       {100, 2, 8, 115, "100"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.amount << " for " << c.servings << " wanted " << c.wanted);
        EXPECT_EQ(scaled(c.amount, c.servings, c.wanted, c.unit), c.text);
        if (c.servings == c.wanted && !c.unit) {
            EXPECT_EQ(bruch(c.amount), c.text);
        }
    }
}

TEST_F(Fraction, AboveFiftyIsWholeWithHalvesToEven)
{
    EXPECT_EQ(shown(50.25), "50");
    EXPECT_EQ(shown(51.5), "52");
    EXPECT_EQ(shown(52.5), "52");
    EXPECT_EQ(shown(1234.4), "1234") << "no digit grouping";
    EXPECT_EQ(bruch(51.5), "52");
    EXPECT_EQ(bruch(1e20), "100000000000000000000");
    EXPECT_EQ(bruchmenge(75.0, 4, 4, {}).kind, DisplayAmount::Number);
}

TEST_F(Fraction, SixteenthsUseTheKitchenNames)
{
    const char* names[] = {"1/16", "1/8", "3/16", "1/4", "5/16", "3/8", "7/16", "1/2",
                           "9/16", "5/8", "11/16", "3/4", "13/16", "7/8", "15/16"};
    for (int n = 1; n < 16; ++n) {
        EXPECT_EQ(shown(n / 16.0), names[n - 1]);
        EXPECT_EQ(shown(7 + n / 16.0), QStringLiteral("7 ") + names[n - 1]);
    }
    EXPECT_EQ(shown(1.0625), "1 1/16");
    EXPECT_EQ(shown(1.07), "1,07");
    EXPECT_EQ(bruchmenge(0.5, 4, 4, {}).kind, DisplayAmount::Text);
}

TEST_F(Fraction, ThirdsKeepTheirWholePart)
{
    EXPECT_EQ(scaled(8, 3, 4), "10 2/3");
    EXPECT_EQ(scaled(37, 3, 4), "49 1/3");
    EXPECT_EQ(scaled(2, 3, 1), "2/3");
    EXPECT_EQ(bruch(10 + 2.0 / 3), "10 2/3");
}

// Rounded thirds are no thirds, and the two places are cut from the value's decimal
// text: a float or a division that cannot hold 0.29 exactly must not give "0,28".
TEST_F(Fraction, DecimalsAreCutNotRoundedAndRoundedThirdsStayDecimals)
{
    EXPECT_EQ(shown(2.33), "2,33");
    EXPECT_EQ(shown(0.666), "0,66");
    EXPECT_EQ(bruchmenge(0.33, 4, 4, {}).kind, DisplayAmount::Number);
    EXPECT_EQ(shown(0.999), "0,99");
    EXPECT_EQ(shown(0.005), "0");
    EXPECT_EQ(shown(49.29), "49,29");
    EXPECT_EQ(scaled(0.87, 3, 3), "0,87");
    EXPECT_EQ(bruch(0.29), "0,29");
    EXPECT_EQ(bruch(0.1 + 0.2), "0,3");
    EXPECT_EQ(bruch(double(0.29f)), "0,29") << "an amount stored from single precision";
}

TEST_F(Fraction, DecimalSeparatorFollowsTheLocale)
{
    const DisplayAmount amount = bruchmenge(1.07, 4, 4, {});
    ASSERT_EQ(amount.kind, DisplayAmount::Number);
    EXPECT_DOUBLE_EQ(amount.number, 1.07);
    EXPECT_EQ(amount.toText(), "1,07");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(amount.toText(), "1.07");
    EXPECT_EQ(bruch(0.29), "0.29");
}

TEST_F(Fraction, MissingAmountsAndServings)
{
    EXPECT_EQ(bruch(std::nullopt), "");
    EXPECT_EQ(bruch(std::numeric_limits<double>::quiet_NaN()), "");
    EXPECT_EQ(bruch(std::numeric_limits<double>::infinity()), "");
    const DisplayAmount noAmount = bruchmenge(std::nullopt, 4, 2, 115);
    EXPECT_EQ(noAmount.kind, DisplayAmount::Text);
    EXPECT_EQ(noAmount.toText(), "");

    EXPECT_EQ(bruchmenge(3.0, 0, 2, {}).kind, DisplayAmount::Empty);
    EXPECT_EQ(bruchmenge(3.0, 0, 2, 115).kind, DisplayAmount::Empty);
    EXPECT_EQ(bruchmenge(std::nullopt, 0, 2, {}).toText(), "");
}

TEST_F(Fraction, NegativeAmountsKeepTheirSign)
{
    EXPECT_EQ(shown(-1.5), "-1 1/2");
    EXPECT_EQ(shown(-2.0 / 3), "-2/3");
    EXPECT_EQ(shown(-0.7), "-0,7");
    EXPECT_EQ(shown(-75.5), "-76");
    EXPECT_EQ(shown(-0.001), "0");
    EXPECT_EQ(bruch(-1.5), "-1 1/2");
}

TEST_F(Fraction, BruchAndBruchmengeAgreeOnUnscaledAmounts)
{
    std::vector<double> amounts;
    for (int i = 0; i <= 6000; ++i)
        amounts.push_back(i / 100.0);
    for (int i = 0; i <= 16 * 60; ++i)
        amounts.push_back(i / 16.0);
    for (int i = 0; i <= 3 * 60; ++i)
        amounts.push_back(i / 3.0);
    for (int i = 0; i <= 2000; ++i)
        amounts.push_back(i / 1000.0);
    for (double a : amounts) {
        const QString text = bruch(a);
        ASSERT_EQ(shown(a), text) << a;
        ASSERT_EQ(scaled(a, 3, 3), text) << a;
    }
}
