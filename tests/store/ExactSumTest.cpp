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
        {"giants beyond the fixed range", {1e100, 0.25, -1e100}, 0.25},
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

TEST(ExactSum, AmountsBeyondFourDecimalsSumInTheEngineByGroup) {
    // Such amounts take the compensated path; its state once sat at an alignment the
    // engine's aggregate memory does not give, and every summary crashed from then on.
    test::TempDir dir;
    Connection db;
    db.open(dir.file("sum.db"));
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"2025-04-01", "1234.56789"},
        {"2025-04-02", "1234.56789"},
        {"2025-05-01", "33.333333333333336"},
        {"2025-05-02", "33.333333333333336"},
        {"2025-05-03", "33.333333333333336"},
        {"2025-06-01", "950000000000000"},
        {"2025-06-02", "0.125"},
        {"2025-06-03", "1e-7"},
    };
    for (const auto& [date, amount] : rows)
        db.execute("INSERT INTO veskfinacle (Tran_Date, TRAN_AMT) VALUES (?, ?)", {date, amount});
    const ResultSet rs = db.query(
        "SELECT Month(Tran_Date), Sum(TRAN_AMT), Sum(Val(TRAN_AMT)) FROM veskfinacle GROUP BY Month(Tran_Date) "
        "ORDER BY Month(Tran_Date)");
    ASSERT_EQ(rs.rowCount(), 3u);
    const double expected[] = {2469.13578, 100.0, 950000000000000.125};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(rs.field(i, 1).toNumber(), expected[i], 1e-6);
        EXPECT_NEAR(rs.field(i, 2).toNumber(), expected[i], 1e-6);
    }
}

}  // namespace
}  // namespace vesk::store
