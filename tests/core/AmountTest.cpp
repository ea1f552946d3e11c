#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/Amount.h"

namespace vesk {
namespace {

TEST(AmountFormat, TwoDecimalsRoundedOnTheDecimalTheAmountStandsFor) {
    struct Case {
        double amount;
        Grouping grouping;
        const char* text;
    };
    const Case cases[] = {
        {1234.5, Grouping::None, "1234.50"},
        {0, Grouping::None, "0.00"},
        {-0.001, Grouping::None, "0.00"},  // never "-0.00"
        {1.005, Grouping::None, "1.01"},   // halfway, away from zero, though the double is below
        {-2.675, Grouping::None, "-2.68"},
        {100.01 - 100.0, Grouping::None, "0.01"},
        {9.995, Grouping::None, "10.00"},
        {2e15, Grouping::None, "2000000000000000.00"},
        {999.999, Grouping::Thousands, "1,000.00"},
        {-1234567.891, Grouping::Thousands, "-1,234,567.89"},
        {123456.0, Grouping::Thousands, "123,456.00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.amount << (c.grouping == Grouping::Thousands ? " grouped" : ""));
        EXPECT_EQ(formatAmount(c.amount, c.grouping), c.text);
    }
}

TEST(AmountUnits, SumsAndTheToleranceAreExactInTenThousandths) {
    EXPECT_EQ(amountUnits(123456789.12), 1234567891200);
    EXPECT_EQ(amountUnits(std::nan("")), 0);
    // Amounts far beyond any real one are held at a limit, so that sums of a few do not overflow.
    EXPECT_EQ(amountUnits(1e300), amountUnits(1e200));
    EXPECT_GT(amountUnits(1e300), 0);
    EXPECT_LT(amountUnits(-std::numeric_limits<double>::infinity()), 0);
    struct Case {
        double a, b;
        bool equal;
    };
    const Case cases[] = {
        {0.1 + 0.2, 0.31, true},       {100.00, 100.011, false},       {-5.005, -4.995, true}, {100.00, 100.01, true},
        {1000000.01, 1000000.0, true}, {1000000.0, 1000000.02, false}, {-0.005, 0.005, true},  {0, 0.0101, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << " and " << c.b);
        EXPECT_EQ(amountsEqual(amountUnits(c.a), amountUnits(c.b)), c.equal);
    }
}

}  // namespace
}  // namespace vesk
