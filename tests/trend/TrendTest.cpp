#include <gtest/gtest.h>

#include <cmath>

#include "TrendDatabase.h"
#include "core/Amount.h"
#include "sample/SampleData.h"
#include "support/SampleStore.h"
#include "support/TempDir.h"
#include "trend/Trend.h"
#include "trend/TrendWording.h"

namespace vesk::trend {
namespace {

using test::errorOf;

std::vector<std::string> monthLines(const Trend& t) {
    std::vector<std::string> out;
    for (const TrendMonth& m : t.months) {
        std::string line = monthText(m.month) + " | " + std::to_string(m.offices) + " | " + std::to_string(m.differing);
        for (double amount : m.sums) line += " | " + formatAmount(amount);
        out.push_back(line + " | " + formatAmount(m.toExplain));
    }
    return out;
}

std::vector<std::string> officeLines(const Trend& t) {
    std::vector<std::string> out;
    for (const OfficeTrend& o : t.offices) {
        std::string line = o.name;
        for (const auto& amount : o.toExplain) line += " | " + (amount ? formatAmount(*amount) : std::string("-"));
        out.push_back(line);
    }
    return out;
}

std::optional<MonthRange> range(const char* from, const char* to) {
    return MonthRange{*parseMonth(from), *parseMonth(to)};
}

class TrendTest : public ::testing::Test {
  protected:
    void SetUp() override { test::fillTrendDatabase(db); }

    Trend trend(const std::optional<MonthRange>& r = {}) {
        return trendOf(db.connection(), compare::comparisonScope(db.connection()), r);
    }

    test::TempDir dir;
    test::MonthDatabase db{dir.file("ZETTools.db")};
};

// A head office's scope is the comparison's; the trend against it is the last test's.
TEST_F(TrendTest, EachHeldMonthSumsItsListedOfficesAsTheComparisonDoes) {
    const Trend t = trend();
    EXPECT_EQ(monthLines(t), (std::vector<std::string>{
                                 "2025-02 | 3 | 2 | 5.00 | 0.00 | 5.00 | 50.00 | 40.00 | 10.00 | 15.00",
                                 "2025-03 | 0 | 0 | 0.00 | 0.00 | 0.00 | 0.00 | 0.00 | 0.00 | 0.00",  // ORV only
                                 "2025-04 | 4 | 3 | 235.50 | 225.00 | 10.50 | 73.00 | 75.00 | -2.00 | 18.50",
                                 "2025-05 | 0 | 0 | 0.00 | 0.00 | 0.00 | 0.00 | 0.00 | 0.00 | 0.00",  // a value date
                                 "2025-07 | 2 | 0 | 0.00 | 0.00 | 0.00 | 0.00 | 0.00 | 0.00 | 0.00",  // 0.01 agrees
                             }));
    // By name whatever the letter case; where an office agrees or has no bank rows, nothing.
    EXPECT_EQ(officeLines(t),
              (std::vector<std::string>{"Alpha SO | - | - | 5.50 | - | -", "Beta SO | 10.00 | - | 10.00 | - | -",
                                        "delta SO | - | - | 3.00 | - | -", "Gamma SO | 5.00 | - | - | - | -"}));
}

TEST_F(TrendTest, ARangeTakesTheHeldMonthsFromItsFirstToItsLastMonth) {
    struct Case {
        const char* from;
        const char* to;
        std::vector<std::string> months;
        std::vector<std::string> offices;
    };
    const Case cases[] = {
        {"2025-03",
         "2025-05",
         {"2025-03", "2025-04", "2025-05"},
         {"Alpha SO | - | 5.50 | -", "Beta SO | - | 10.00 | -", "delta SO | - | 3.00 | -"}},
        {"2025-04", "2025-04", {"2025-04"}, {"Alpha SO | 5.50", "Beta SO | 10.00", "delta SO | 3.00"}},
        {"2025-05", "2025-07", {"2025-05", "2025-07"}, {}},  // months held, nobody differs
        {"1900-01", "2025-02", {"2025-02"}, {"Beta SO | 10.00", "Gamma SO | 5.00"}},
        {"2025-06", "2025-06", {}, {}},  // a gap between held months
        {"2025-08", "9999-12", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " to " + c.to);
        const Trend t = trend(range(c.from, c.to));
        std::vector<std::string> months;
        for (const TrendMonth& m : t.months) months.push_back(monthText(m.month));
        EXPECT_EQ(months, c.months);
        EXPECT_EQ(officeLines(t), c.offices);
    }
}

TEST_F(TrendTest, ARangeThatEndsBeforeItBeginsIsRefused) {
    const Error e = errorOf([&] { trend(range("2025-05", "2025-04")); });
    EXPECT_EQ(e.number(), errc::kUsage);
    EXPECT_EQ(e.description(), "FROM 2025-05 is after TO 2025-04.");
}

TEST_F(TrendTest, ARowWithoutATransactionDateFailsTheTrendAsItFailsEveryComparison) {
    db.bank("F10", "03/06/2025", "31/02/2025", "DEPOSIT", "5");  // imports refuse such rows; old files may hold them
    const long expected =
        errorOf([&] {
            compare::compareMonth(db.connection(), {2025, 4}, compare::comparisonScope(db.connection()));
        }).number();
    EXPECT_EQ(expected, errc::kTypeMismatch);
    EXPECT_EQ(errorOf([&] { trend(); }).number(), expected);
}

TEST(ParseMonth, ReadsYearDashMonthAndNothingElse) {
    struct Case {
        const char* text;
        std::optional<std::pair<int, int>> month;
    };
    const Case cases[] = {
        {"2025-04", std::pair{2025, 4}},  {"2025-4", std::pair{2025, 4}}, {"1900-01", std::pair{1900, 1}},
        {"9999-12", std::pair{9999, 12}}, {"2025-13", std::nullopt},      {"2025-00", std::nullopt},
        {"1899-12", std::nullopt},        {"2025-04-01", std::nullopt},   {"2025/04", std::nullopt},
        {"25-04", std::nullopt},          {"2025-4x", std::nullopt},      {" 2025-04", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<Period> m = parseMonth(c.text);
        ASSERT_EQ(m.has_value(), c.month.has_value());
        if (m) {
            EXPECT_EQ(std::pair(m->year, m->month), *c.month);
        }
    }
}

// Months of the sample generator, with bookings late across the month's end, against the
// month's own comparison: every count, sum and office to the bit, whatever the scope.
TEST(TrendAgainstTheComparison, EveryMonthIsExactlyWhatComparingItFinds) {
    test::TempDir dir;
    test::MonthDatabase db(dir.file("ZETTools.db"));
    for (int month = 3; month <= 5; ++month) {
        sample::SampleOptions o;
        o.offices = 40;
        o.rows = 600;
        o.year = 2025;
        o.month = month;
        o.seed = 7;
        test::storeSampleMonth(db.connection(), sample::generateSample(o), month == 3);
    }
    store::Connection& c = db.connection();
    // Amounts of four decimals, and a row booked under the next month's value date.
    const auto facility = [&](int n) {
        return c.scalar("SELECT qal_facility_id FROM mastertable ORDER BY rowid LIMIT 1 OFFSET ?", {n}).toText();
    };
    db.bank(facility(5), "01/06/2025", "31/05/2025", "DEPOSIT", "1234.5678");
    db.bank(facility(6), "2025-04-12", "2025-04-12", "WITHDRAWAL", "0.0049");
    const std::string head =
        c.scalar("SELECT office_name FROM mastertable WHERE office_type_code LIKE '%HPO%'").toText();
    ASSERT_FALSE(head.empty());
    for (const std::string& configured : {c.scalar("SELECT ooffice_name FROM Youroffice").toText(), head}) {
        SCOPED_TRACE(configured);
        c.execute("DELETE FROM Youroffice");
        db.configure(configured);
        const compare::Scope scope = compare::comparisonScope(c);
        const Trend t = trendOf(c, scope);
        ASSERT_EQ(t.months.size(), 4u);  // March to May, and June by a value date
        for (std::size_t m = 0; m < t.months.size(); ++m) {
            const TrendMonth& month = t.months[m];
            SCOPED_TRACE(monthText(month.month));
            const compare::MonthComparison compared = compare::compareMonth(c, month.month, scope);
            EXPECT_EQ(month.offices > 0, compared.anyRows);
            EXPECT_EQ(month.differing, int(compared.offices.size()));
            for (std::size_t k = 0; k < month.sums.size(); ++k) {
                EXPECT_EQ(month.sums[k], compared.total[k]) << k;
            }
            std::vector<std::pair<std::string, double>> listed, mapped;
            for (const compare::OfficeDifference& o : compared.offices)
                listed.emplace_back(o.name, std::fabs(o.amounts[compare::kDepositDifference]) +
                                                std::fabs(o.amounts[compare::kWithdrawalDifference]));
            for (const OfficeTrend& o : t.offices)
                if (o.toExplain[m]) mapped.emplace_back(o.name, *o.toExplain[m]);
            std::sort(listed.begin(), listed.end());
            std::sort(mapped.begin(), mapped.end());
            ASSERT_EQ(mapped.size(), listed.size());
            for (std::size_t i = 0; i < listed.size(); ++i) {
                EXPECT_EQ(mapped[i].first, listed[i].first);
                EXPECT_NEAR(mapped[i].second, listed[i].second, 1e-9);
            }
        }
        EXPECT_GT(t.months[1].differing, 0);  // the planted differences
    }
}

}  // namespace
}  // namespace vesk::trend
