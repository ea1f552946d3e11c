#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <memory>
#include <random>
#include <string>

#include "store/Connection.h"
#include "store/ExactSum.h"
#include "store/SqlDialect.h"
#include "store/StoreTestSupport.h"
#include "support/TempDir.h"

namespace vesk::store {
namespace {

using test::errorOf;

// One database for the whole suite: keying a file costs a key derivation per open.
class DialectFunctions : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_dir = std::make_unique<test::TempDir>();
        s_db = std::make_unique<Connection>();
        s_db->open(s_dir->file("dialect.db"));
    }
    static void TearDownTestSuite() {
        s_db.reset();
        s_dir.reset();
    }
    static Value eval(const std::string& expr) { return s_db->scalar("SELECT " + expr); }

    static std::unique_ptr<test::TempDir> s_dir;
    static std::unique_ptr<Connection> s_db;
};
std::unique_ptr<test::TempDir> DialectFunctions::s_dir;
std::unique_ptr<Connection> DialectFunctions::s_db;

// An expression and its value, or the failure it raises when `number` is set.
struct DialectCase {
    std::string expr;
    Value expected;
    long number = 0;
    const char* description = "";
};

void runCases(const std::vector<DialectCase>& cases, Value (*eval)(const std::string&)) {
    for (const DialectCase& c : cases) {
        SCOPED_TRACE(c.expr);
        if (c.number != 0) {
            Error e = errorOf([&] { eval(c.expr); });
            EXPECT_EQ(e.number(), c.number);
            EXPECT_NE(e.description().find(c.description), std::string::npos) << e.description();
            continue;
        }
        try {
            EXPECT_EQ(eval(c.expr), c.expected);
        } catch (const Error& e) {
            ADD_FAILURE() << "Error " << e.number() << ": " << e.description();
        }
    }
}

TEST_F(DialectFunctions, ValReadsTheLeadingNumber) {
    runCases(
        {
            {"Val('1,250.00')", 1250.0},
            {"Val('1,25,000.00')", 125000.0},
            {"Val(',5')", 0.0},     // a comma before any digit groups nothing
            {"Val('1.5,0')", 1.5},  // nor one after the decimal point
            {"Val('12.50 Rs')", 12.5},
            {"Val('-  5')", -5.0},
            {"Val('1 2 3')", 123.0},
            {"Val('1.2.3')", 1.2},
            {"Val('1e3')", 1000.0},
            {"Val('2D2')", 200.0},
            {"Val('1e-999')", 0.0},
            {"Val(NULL)", 0.0},
            {"Val('" + std::string(200, '0') + "7.25')", 7.25},  // longer than the stack buffer
            {"Val('0.' || '" + std::string(150, '0') + "' || '1e150')", 0.1},
            {"Val('1e999')", {}, errc::kDatabaseBase + 1, "Overflow"},
        },
        eval);
}

TEST_F(DialectFunctions, CDateGivesIsoTextOrATypeMismatch) {
    runCases(
        {
            {"CDate('05/04/2025')", "2025-04-05"},
            {"CDate('05-Apr-2025 10:30 PM')", "2025-04-05 22:30:00"},
            {"CDate(45757)", "2025-04-10"},  // a spreadsheet day number
            {"CDate(45757.99999999)", "2025-04-11"},
            {"CDate(-1.5)", "1899-12-29 12:00:00"},
            {"CDate('29/02/2024') < CDate('01/03/2024')", 1},  // ISO text sorts by date
            {"CDate('31/04/2025')", {}, errc::kTypeMismatch, "Type mismatch"},
            {"CDate('45757')", {}, errc::kTypeMismatch, "Type mismatch"},
            {"CDate(3000000)", {}, errc::kTypeMismatch, "Type mismatch"},
            {"CDate(NULL)", {}, errc::kDatabaseBase + 20, "Invalid use of Null"},
        },
        eval);
}

TEST_F(DialectFunctions, DatePartsAndFormat) {
    runCases(
        {
            {"Month('05/04/2025')", 4},
            {"Day('2025-04-05 13:00:00')", 5},
            {"Month(NULL)", nullptr},
            {"Format('05/04/2025', 'mmm')", "Apr"},
            {"Format('2025-04-05', 'dddd, d mmm')", "Saturday, 5 Apr"},
            {"Format('2024-02-29', 'ddd y')", "Thu 60"},
            {"Format('2025-04-05 09:07:03', 'h:nn')", "9:07"},
            {"Format('2025-04-05', '\"Year \"yyyy \\m')", "Year 2025 m"},
            {"Format('2025-04-05 09:07:03', '')", "2025-04-05 09:07:03"},
            {"Format(45757, 'dd/mm/yyyy')", "10/04/2025"},
            {"Format(NULL, 'yyyy')", nullptr},
            {"Format('not a date', 'yyyy')", "not a date"},
            {"Month('2025-02-29')", {}, errc::kTypeMismatch, "Type mismatch"},
            {"Year('0099-01-01')", {}, errc::kTypeMismatch, "Type mismatch"},
            {"Day('2025-04-05 24:00:00')", {}, errc::kTypeMismatch, "Type mismatch"},
        },
        eval);
}

TEST_F(DialectFunctions, ConditionsNullsAndText) {
    runCases(
        {
            {"IIf(NULL, 'a', 'b')", "b"},
            {"IIf(0.5, 'a', 'b')", "a"},
            {"IIf('0.0', 'a', 'b')", "b"},
            {"IIf(' True ', 'a', 'b')", "a"},
            {"IIf(1, NULL, 'b')", nullptr},
            {"IsNull$(NULL)", 1},
            {"UCase('abc Déf')", "ABC DéF"},
            {"Left$('ab', 5)", "ab"},
            {"Left$(NULL, 1)", nullptr},
            {"Left$('éa', 1)", "é"},  // characters, not bytes
            {"Abs(-2.5)", 2.5},
            {"Abs(-9223372036854775807 - 1)", 9223372036854775808.0},
            {"Trim('  a b  ')", "a b"},
            {"IIf('abc', 1, 2)", {}, errc::kTypeMismatch, "Type mismatch"},
            {"Left$('ab', -1)", {}, errc::kUsage, "Invalid procedure call"},
            {"Left$('ab', NULL)", {}, errc::kDatabaseBase + 20, "Invalid use of Null"},
            {"Abs('x')", {}, errc::kTypeMismatch, "Type mismatch"},
        },
        eval);
}

TEST_F(DialectFunctions, SumKeepsTheEngineTypesAndNullRules) {
    s_db->execute("CREATE TEMP TABLE s (g TEXT, v)");
    s_db->execute(
        "INSERT INTO s VALUES ('ints', 1), ('ints', 2), ('ints', NULL), ('mixed', 1), ('mixed', 0.25),"
        " ('text', '12abc'), ('text', '0.5'), ('text', '7'), ('nulls', NULL), ('nulls', NULL),"
        " ('grouped', '1,250.00'), ('grouped', '1,25,000.50'), ('grouped', ''), ('grouped', ' 10'),"
        " ('neg', -0.1), ('neg', 0.1), ('big', 9223372036854775807), ('big', 1), ('tenths', '0.1'), ('tenths', 0.2)");
    auto sumOf = [](const char* g) { return s_db->scalar(std::string("SELECT Sum(v) FROM s WHERE g = '") + g + "'"); };
    EXPECT_EQ(sumOf("ints"), Value(3));
    EXPECT_EQ(sumOf("mixed"), Value(1.25));
    EXPECT_EQ(sumOf("text"), Value(19.5));         // text counts by its leading number
    EXPECT_EQ(sumOf("grouped"), Value(126260.5));  // grouping commas skipped, empty text is 0
    EXPECT_EQ(sumOf("nulls"), Value());
    EXPECT_EQ(sumOf("none"), Value());
    EXPECT_EQ(sumOf("neg"), Value(0.0));
    // The decimal total, not 0.30000000000000004; Val's own sum too.
    EXPECT_EQ(sumOf("tenths"), Value(0.3));
    EXPECT_EQ(s_db->scalar("SELECT sum(Val(v)) FROM s WHERE g = 'tenths'"), Value(0.3));
    EXPECT_EQ(sumOf("big"), Value(9223372036854775808.0));  // past 64 bits: a real, not an overflow
    EXPECT_EQ(s_db->scalar("SELECT Sum(IIf(g = 'ints', 1, 0)) FROM s"), Value(3));
    s_db->execute("DROP TABLE s");
}

TEST_F(DialectFunctions, ATypeMismatchAbortsTheWholeStatement) {
    s_db->execute("CREATE TEMP TABLE d (id INTEGER, t TEXT, note TEXT)");
    s_db->execute(
        "INSERT INTO d VALUES (1, '05/04/2025', NULL), (2, '2025-04-06', NULL), (3, 'bad', NULL), "
        "(4, '07/04/2025', NULL)");
    Error e = errorOf([] { s_db->execute("UPDATE d SET note = CDate(t)"); });
    EXPECT_EQ(e.number(), errc::kTypeMismatch);
    EXPECT_NE(e.description().find("Type mismatch"), std::string::npos);
    // Rows before the bad one are not left changed.
    EXPECT_EQ(s_db->scalar("SELECT COUNT(*) FROM d WHERE note IS NOT NULL"), Value(0));
    e = errorOf([] { s_db->query("SELECT id FROM d WHERE Month(CDate(t)) = 4"); });
    EXPECT_EQ(e.number(), errc::kTypeMismatch);
    s_db->execute("DROP TABLE d");
}

// The number of a failure is the value its raiser gave, never read back from the message.
TEST_F(DialectFunctions, FailureNumbersComeFromTheFailureNotItsText) {
    s_db->execute("CREATE TEMP TABLE guarded (x)");
    s_db->execute(
        "CREATE TEMP TRIGGER refuse BEFORE INSERT ON guarded BEGIN SELECT RAISE(ABORT, 'Type mismatch here'); END");
    const std::vector<DialectCase> cases = {
        {"CDate('abc')", {}, errc::kTypeMismatch, "Type mismatch"},
        // A dialect failure already reported leaves the next engine failure its own number.
        {"* FROM nosuchtable", {}, errc::kDatabaseBase + 1, "no such table: nosuchtable"},
    };
    runCases(cases, eval);
    const Error raised = errorOf([] { s_db->execute("INSERT INTO guarded VALUES (1)"); });
    EXPECT_EQ(raised.number(), errc::kDatabaseBase + 19) << raised.description();
    EXPECT_EQ(raised.description(), "Type mismatch here");
    s_db->execute("DROP TABLE guarded");
}

// Plain decimals, as amounts are stored, read to the same double as the nearest one to the text,
// whatever their digits and the place of their point.
TEST(LeadingNumber, APlainDecimalIsTheNearestDouble) {
    std::mt19937_64 random(7);
    for (int n = 0; n < 20000; ++n) {
        std::string text = n % 3 == 0 ? "-" : "";
        const int digits = 1 + int(random() % 17);
        const int point = int(random() % std::uint64_t(digits + 2));  // past the end: none
        for (int d = 0; d < digits; ++d) {
            if (d == point) text += '.';
            text += char('0' + random() % 10);
        }
        if (point == digits) text += '.';
        double nearest = 0;
        std::from_chars(text.data(), text.data() + text.size(), nearest);
        if (nearest == 0.0) nearest = 0.0;
        const std::optional<double> read = parseLeadingNumber(text);
        ASSERT_TRUE(read.has_value()) << text;
        ASSERT_EQ(std::bit_cast<std::uint64_t>(*read), std::bit_cast<std::uint64_t>(nearest)) << text;
    }
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

TEST_F(DialectFunctions, AmountsBeyondFourDecimalsSumInTheEngineByGroup) {
    // Such amounts take the compensated path; its state once sat at an alignment the
    // engine's aggregate memory does not give, and every summary crashed from then on.
    Connection& db = *s_db;
    db.execute("DELETE FROM veskfinacle");
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
