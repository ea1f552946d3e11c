#include <gtest/gtest.h>

#include <charconv>

#include "store/Connection.h"
#include "store/ExactSum.h"
#include "support/TempDir.h"

namespace vesk::store {
namespace {

// The double nearest to a decimal total given in cents.
double fromCents(long long cents) {
    std::string text = std::to_string(cents / 100) + "." + (cents % 100 < 10 ? "0" : "") + std::to_string(cents % 100);
    double d = 0;
    std::from_chars(text.data(), text.data() + text.size(), d);
    return d;
}

TEST(ExactSum, GivesTheDecimalTotalNotTheTotalOfTheBinaryApproximations) {
    // Even an exactly rounded sum of the doubles gives 0.30000000000000004 for 0.1 + 0.2, and the
    // comparison would then see a difference between 0.1 + 0.2 on one side and 0.3 on the other.
    struct Case {
        const char* name;
        std::vector<double> values;
        double expected;
    };
    const std::vector<Case> cases = {
        {"tenths", {0.1, 0.2}, 0.3},
        {"to zero", {0.1, 0.2, -0.3}, 0.0},
        {"rounding to cents", {1234.5678, 0.0022}, 1234.57},
        {"cancelling giants", {1e16, 1.0, -1e16}, 1.0},
        {"giants beyond the fixed range", {1e100, 0.25, -1e100}, 0.25},
        {"thirds", {1.0 / 3, 1.0 / 3, 1.0 / 3}, 1.0},
        {"sub-cent fractions", {0.00005, 0.00005, 1.0}, 1.0001},
        {"one ulp off a decimal", {0.1 + 0.2, -0.3}, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExactSum sum;
        for (double v : c.values) sum.add(v);
        EXPECT_FALSE(sum.isInteger());
        EXPECT_EQ(sum.total(), c.expected);
    }
}

TEST(ExactSum, StaysIntegerUntilItCannot) {
    ExactSum sum;
    sum.add(std::int64_t{9223372036854775807});
    EXPECT_TRUE(sum.isInteger());
    EXPECT_EQ(sum.integerTotal(), 9223372036854775807);
    sum.add(std::int64_t{1});
    EXPECT_FALSE(sum.isInteger());
    EXPECT_EQ(sum.total(), 9223372036854775808.0);
    sum.add(std::int64_t{-2});
    EXPECT_TRUE(sum.isInteger());
    EXPECT_EQ(sum.integerTotal(), 9223372036854775806);
}

TEST(ExactSum, TheDatabaseSumIsExactOverAHundredThousandAmounts) {
    test::TempDir dir;
    Connection db;
    db.open(dir.file("sum.db"));
    {
        Transaction tx = db.begin();
        Statement insert = db.prepare("INSERT INTO veskfinacle (tran_id, TRAN_AMT) VALUES (?, ?)");
        for (int i = 0; i < 100000; ++i) insert.execute({std::to_string(i), i % 2 ? "1234.57" : "99999999.99"});
        tx.commit();
    }
    const double exact = fromCents(50000LL * 123457 + 50000LL * 9999999999);
    EXPECT_EQ(db.scalar("SELECT Sum(TRAN_AMT) FROM veskfinacle"), Value(exact));
    EXPECT_EQ(db.scalar("SELECT sum(Val(TRAN_AMT)) FROM veskfinacle"), Value(exact));
    // The engine's own summation, still reachable as total(), is the one that drifts.
    EXPECT_GT(std::abs(db.scalar("SELECT total(TRAN_AMT) FROM veskfinacle").toNumber() - exact), 0.01);
}

}  // namespace
}  // namespace vesk::store
