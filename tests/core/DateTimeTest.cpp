#include <gtest/gtest.h>

#include "core/DateTime.h"

using vesk::DateTime;
using vesk::parseDateText;

namespace {

struct Case {
    const char* text;
    const char* expected;  // nullptr: not a date
};

TEST(DateTimeParse, ReadsTheFormsTheImportsAndExportsUse) {
    const Case cases[] = {
        {"2025-04-05", "2025-04-05"},
        {"2025-04-05 13:45:10", "2025-04-05 13:45:10"},
        {"2025-04-05T13:45:10.250", "2025-04-05 13:45:10"},
        {"  2025-4-5  ", "2025-04-05"},
        {"05/04/2025", "2025-04-05"},  // day first
        {"5-4-2025", "2025-04-05"},
        {"05.04.25", "2025-04-05"},
        {"05/04/75", "1975-04-05"},
        {"31/12/29", "2029-12-31"},
        {"01/01/30", "1930-01-01"},
        {"05-Apr-2025", "2025-04-05"},
        {"05-APR-2025", "2025-04-05"},
        {"5 april 2025", "2025-04-05"},
        {"5 Sept 2025", "2025-09-05"},
        {"April 5, 2025", "2025-04-05"},
        {"05/04/2025 10:30", "2025-04-05 10:30:00"},
        {"05/04/2025 10:30:15 PM", "2025-04-05 22:30:15"},
        {"05/04/2025 12:00:00 AM", "2025-04-05"},
        {"05/04/2025 12:10 pm", "2025-04-05 12:10:00"},
        {"29/02/2024", "2024-02-29"},
        {"29/02/2025", nullptr},
        {"31/04/2025", nullptr},
        {"13/13/2025", nullptr},
        {"2025-13-01", nullptr},
        {"", nullptr},
        {"   ", nullptr},
        {"abc", nullptr},
        {"12345", nullptr},
        {"45757", nullptr},
        {"05/04", nullptr},
        {"05/04-2025", nullptr},
        {"05/04/2025 25:00", nullptr},
        {"05/04/2025 13:00 PM", nullptr},
        {"05/04/2025 10:30 xyz", nullptr},
        {"5 Foo 2025", nullptr},
        {"05/04/2025abc", nullptr},
        {"123/04/2025", nullptr},
    };
    for (const Case& c : cases) {
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

TEST(DateTimeText, WritesTimeOnlyWhenThereIsOne) {
    EXPECT_EQ((DateTime{2025, 1, 9}).toText(), "2025-01-09");
    EXPECT_EQ((DateTime{2025, 1, 9, 0, 0, 1}).toText(), "2025-01-09 00:00:01");
    EXPECT_EQ(vesk::monthName(4), "April");
    EXPECT_EQ(vesk::monthAbbrev(9), "Sep");
    EXPECT_EQ(vesk::daysInMonth(1900, 2), 28);
    EXPECT_EQ(vesk::daysInMonth(2000, 2), 29);
}

}  // namespace
