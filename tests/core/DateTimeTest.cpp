#include <gtest/gtest.h>

#include "core/DateTime.h"

using vesk::DateTime;
using vesk::parseDateText;

namespace {

struct DateCase {
    const char* text;
    const char* expected;  // nullptr: not a date
};

TEST(DateTimeParse, ReadsTheFormsTheImportsAndExportsUse) {
    const DateCase cases[] = {
        {"2025-04-05", "2025-04-05"},
        {"2025-04-05 13:45:10", "2025-04-05 13:45:10"},
        {"2025-04-05T13:45:10.250", "2025-04-05 13:45:10"},
        {"  2025-4-5  ", "2025-04-05"},
        {"05/04/2025", "2025-04-05"},  // day first
        {"5-4-2025", "2025-04-05"},
        {"05.04.25", "2025-04-05"},
        {"31/12/29", "2029-12-31"},
        {"01/01/30", "1930-01-01"},
        {"05-Apr-2025", "2025-04-05"},
        {"5 april 2025", "2025-04-05"},
        {"5 Sept 2025", "2025-09-05"},
        {"April 5, 2025", "2025-04-05"},
        {"05/04/2025 10:30:15 PM", "2025-04-05 22:30:15"},
        {"05/04/2025 12:00:00 AM", "2025-04-05"},
        {"05/04/2025 12:10 pm", "2025-04-05 12:10:00"},
        {"29/02/2024", "2024-02-29"},
        {"29/02/2025", nullptr},
        {"31/04/2025", nullptr},
        {"2025-13-01", nullptr},
        {"", nullptr},
        {"abc", nullptr},
        {"45757", nullptr},
        {"05/04", nullptr},
        {"05/04-2025", nullptr},
        {"05/04/2025 25:00", nullptr},
        {"05/04/2025 13:00 PM", nullptr},
        {"05/04/2025 10:30 xyz", nullptr},
        {"5 Foo 2025", nullptr},
        {"123/04/2025", nullptr},
    };
    for (const DateCase& c : cases) {
        SCOPED_TRACE(c.text);
        auto d = parseDateText(c.text);
        if (c.expected == nullptr) {
            EXPECT_FALSE(d.has_value()) << d->toText();
        } else {
            ASSERT_TRUE(d.has_value());
            EXPECT_EQ(d->toText(), c.expected);
        }
    }
}

TEST(DateTimeText, EachFormPadsItsFieldsAndShowsTheTimeAsAsked) {
    struct TextCase {
        DateTime t;
        const char *text, *iso, *dayFirstSeconds;  // day first with minutes and the date alone are its heads
    };
    const TextCase cases[] = {
        {{2025, 1, 9}, "2025-01-09", "2025-01-09 00:00:00", "09/01/2025 00:00:00"},
        {{2025, 1, 9, 0, 0, 1}, "2025-01-09 00:00:01", "2025-01-09 00:00:01", "09/01/2025 00:00:01"},
        {{2026, 12, 31, 23, 59, 58}, "2026-12-31 23:59:58", "2026-12-31 23:59:58", "31/12/2026 23:59:58"},
        {{999, 3, 4, 5, 6, 7}, "0999-03-04 05:06:07", "0999-03-04 05:06:07", "04/03/0999 05:06:07"},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string seconds = c.dayFirstSeconds;
        EXPECT_EQ(c.t.toText(), c.text);
        EXPECT_EQ(vesk::isoDateTime(c.t), c.iso);
        EXPECT_EQ(vesk::isoDate(c.t), std::string(c.iso).substr(0, 10));
        EXPECT_EQ(vesk::dayFirst(c.t), seconds.substr(0, 10));
        EXPECT_EQ(vesk::dayFirst(c.t, vesk::TimeShown::Minutes), seconds.substr(0, 16));
        EXPECT_EQ(vesk::dayFirst(c.t, vesk::TimeShown::Seconds), seconds);
    }
    EXPECT_EQ(vesk::monthKey(2025, 4), 202504);
    EXPECT_EQ(vesk::monthKey(1900, 12), 190012);
    EXPECT_EQ(vesk::monthName(4), "April");
    EXPECT_EQ(vesk::monthAbbrev(9), "Sep");
    EXPECT_EQ(vesk::monthAndYear({987, 12}), "December 987");
    EXPECT_EQ(vesk::daysInMonth(1900, 2), 28);
    EXPECT_EQ(vesk::daysInMonth(2000, 2), 29);
}

}  // namespace
