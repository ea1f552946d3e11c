#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>

#include "core/Error.h"
#include "sheet/Cell.h"
#include "sheet/NumberFormat.h"
#include "sheet/SerialDate.h"
#include "store/StoreTestSupport.h"

namespace vesk::sheet {
namespace {

// A date read, or nothing when `expected` is null.
void expectCellDate(const std::optional<DateTime>& d, const char* expected) {
    if (!expected) {
        EXPECT_FALSE(d.has_value()) << d->toText();
    } else {
        ASSERT_TRUE(d.has_value());
        EXPECT_EQ(d->toText(), expected);
    }
}

TEST(NumberText, PlainDecimalWithFifteenSignificantDigitsAsRoundingGives) {
    struct Case {
        double value;
        std::string text;
    };
    const Case cases[] = {
        {1234.5599999999999, "1234.56"},
        {-0.0, "0"},
        {1e-7, "0.0000001"},
        {123456789012345678.0, "123456789012346000"},  // rounded at the 15th digit
        {999999999999999.9, "1000000000000000"},       // the rounding carries into a new digit
        {1.5e-300, "0." + std::string(299, '0') + "15"},
        // The largest doubles would round past the largest double, text no reader takes back.
        {std::numeric_limits<double>::max(), "179769313486231" + std::string(294, '0')},
        {-1.797693134862315e308, "-179769313486231" + std::string(294, '0')},
        {999999999999999.0, "999999999999999"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(numberText(c.value), c.text);
    }
    // Rounding a value to 15 digits and printing it again changes nothing.
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> exponent(-12, 16);
    for (int i = 0; i < 20000; ++i) {
        const double v = (random() % 2 ? -1 : 1) * std::pow(10.0, exponent(random));
        char sci[40];
        std::snprintf(sci, sizeof sci, "%.14e", v);
        const double rounded = std::strtod(sci, nullptr);
        ASSERT_EQ(numberText(v), numberText(rounded)) << sci;
        ASSERT_EQ(std::strtod(numberText(v).c_str(), nullptr), rounded) << sci;
    }
}

TEST(CellText, EachKindAsTheImportsStoreIt) {
    EXPECT_EQ(cellText(Cell{}), "");
    EXPECT_EQ(cellText(Cell::makeNumber(45757)), "45757");
    EXPECT_EQ(cellText(Cell::makeText("  O'Brien ")), "  O'Brien ");
    EXPECT_EQ(cellText(Cell::makeBoolean(true)), "True");
    EXPECT_EQ(cellText(Cell::makeDate({2025, 4, 10, 0, 0, 0})), "2025-04-10");
    EXPECT_EQ(cellText(Cell::makeDate({2025, 4, 10, 0, 0, 1})), "2025-04-10 00:00:01");
}

TEST(CellText, ErrorCellThrowsWithItsCode) {
    for (const char* code : {"#N/A", "#DIV/0!"}) {
        SCOPED_TRACE(code);
        const Error e = test::errorOf([&] { cellText(Cell::makeError(code)); });
        EXPECT_EQ(e.number(), errc::kCellError);
        EXPECT_NE(e.description().find(code), std::string::npos) << e.description();
    }
}

TEST(SerialDate, BothDateSystemsAndTheirEdges) {
    struct Case {
        double serial;
        bool date1904;
        const char* text;  // nullptr: not a date
    };
    const Case cases[] = {
        {1, false, "1900-01-01"},
        {60, false, "1900-02-29"},  // the day the 1900 system counts but the calendar lacks
        {45757, false, "2025-04-10"},
        {45757.99999999, false, "2025-04-11"},       // rounds up across midnight
        {45757 + 0.4 / 86400, false, "2025-04-10"},  // under half a second is dropped
        {45757 + 0.6 / 86400, false, "2025-04-10 00:00:01"},
        {59.9999999999, false, "1900-02-29"},  // rounded before the epoch is chosen
        {2958465.5, false, "9999-12-31 12:00:00"},
        {2958466, false, nullptr},
        {std::numeric_limits<double>::quiet_NaN(), false, nullptr},
        {44295, true, "2025-04-10"},
        {2958466 - 1462, true, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.serial << (c.date1904 ? " (1904)" : " (1900)"));
        expectCellDate(serialToDate(c.serial, c.date1904), c.text);
    }
}

// Date cells written as text: ISO 8601 in every form writers use, a time alone on the day a
// bare time serial gives, and the other spellings the imports read; nothing else.
TEST(SerialDate, DateCellsWrittenAsText) {
    struct Case {
        const char* text;
        const char* read;  // nullptr: not a date
    };
    const Case cases[] = {
        {"2025-04-10", "2025-04-10"},
        {"2025-04-10T13:30:05", "2025-04-10 13:30:05"},
        {"2025-04-10T13:30:05.999", "2025-04-10 13:30:05"},  // fractions are dropped, never rounded up
        {"2025-04-10T13:30:05,5Z", "2025-04-10 13:30:05"},
        {"2025-04-10T23:30:00+05:30", "2025-04-10 23:30:00"},  // the time as written, whatever its zone
        {"2025-04-10T23:30:00-0330", "2025-04-10 23:30:00"},
        {"10:10:10", "1899-12-30 10:10:10"},
        {"T10:10", "1899-12-30 10:10:00"},
        {" 00:00:00 ", "1899-12-30"},
        {"10/04/2025", "2025-04-10"},  // the imports' own spellings, day first
        {"24:00:00", nullptr},
        {"10:60", nullptr},
        {"1:30", nullptr},  // ISO hours have two digits; the import reader wants a date before
        {"10:10:10+24:00", nullptr},
        {"10:10:10+05:", nullptr},
        {"10:10:10.", nullptr},
        {"2025-02-29T10:00", nullptr},
        {"2025-04-10T10", nullptr},
        {"2025-04-10T10:10:10 Z", nullptr},
        {"0099-12-31", nullptr},
        {"", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        expectCellDate(cellDateText(c.text), c.read);
    }
}

TEST(NumberFormat, TellsDateFormatsFromNumberFormats) {
    struct Case {
        int id;
        const char* code;
        bool isDate;
    };
    const Case cases[] = {
        {14, "", true},
        {22, "", true},
        {47, "", true},
        {50, "", true},
        {0, "", false},
        {23, "", false},
        {59, "", false},
        {164, "General", false},
        {164, "DD-MMM-YYYY", true},
        {164, "[h]:mm:ss", true},
        {164, "0.00 \"days\"", false},
        {164, "[Red]0.00", false},
        {164, "\\d0", false},
        {164, "_-* #,##0.00_-;-* #,##0.00_-;_-* \"-\"??_-;_-@_-", false},
        {164, "yyyy\\-mm\\-dd", true},
        {164, "0;[Red]d", false},  // only the first section counts
        {164, "\"unclosed", false},
        {14, "0.00", false},  // a code given for a built-in id wins
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.id << " '" << c.code << "'");
        EXPECT_EQ(isDateFormat(c.id, c.code), c.isDate);
    }
}

}  // namespace
}  // namespace vesk::sheet
