#include <gtest/gtest.h>

#include "compare/Amounts.h"
#include "compare/CompareScreen.h"
#include "support/MonthDatabase.h"
#include "support/SampleStore.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

namespace vesk::compare {
namespace {

using test::rowText;

class ConsolidatedTest : public ::testing::Test {
  protected:
    void SetUp() override { db.configure("Division"); }

    // Loads the form on 10 May 2025 (so April 2025 is chosen) and compares.
    bool compareApril() {
        logic.load();
        return logic.compare();
    }
    std::vector<std::string> rows() const {
        std::vector<std::string> out;
        for (const GridRow& r : logic.consolidated().rows) out.push_back(rowText(r));
        return out;
    }

    test::TempDir dir;
    test::MonthDatabase db{dir.file("ZETTools.db")};
    test::ScriptedPrompter prompter;
    CompareScreen logic{dir.file("ZETTools.db"), prompter, [] { return DateTime{2025, 5, 10}; }};
};

TEST_F(ConsolidatedTest, ListsTheDifferingOfficesAndTheirTotal) {
    db.office("1", "Division", "PDN", "", "F1");
    db.office("10", "Agree SO", "SO", "Hill HO", "F10");
    db.deposit("f10", "05/04/2025", "100.01");  // 0.01 and -0.01 agree; the facility's letter case differs
    db.orv("10", "05/04/2025", "Receipt", "100.00");
    db.withdrawal("F10", "06/04/2025", "50");
    db.orv("10", "06/04/2025", "payment", "50.01");
    db.office("11", "Bank Only SO", "SO", "Hill HO", "F11");
    db.deposit("F11", "2025-04-07 10:15:00", "10");
    db.office("12", "Orv Only SO", "SO", "Hill HO", "F12");
    db.orv("12", "07/04/2025", "Receipt", "500");
    db.office("13", "Deposit Off SO", "SO", "Hill HO", "F13");
    db.deposit("F13", "08/04/2025", "100.011");
    db.orv("13", "08/04/2025", "receipt", "100");
    db.withdrawal("F13", "08/04/2025", "20");
    db.orv("13", "08/04/2025", "Payment", "20");
    db.deposit("F13", "01/05/2025", "5");  // another month
    db.office("14", "Negative SO", "SO", "Hill HO", "F14");
    db.withdrawal("F14", "09/04/2025", "40");
    db.orv("14", "09/04/2025", "P", "45");
    db.office("15", "O'Neil SO", "SO", "Hill HO", "F15");
    db.deposit("F15", "10/04/2025", "1,250.00");  // grouping commas, empty and missing amounts
    db.deposit("F15", "10/04/2025", "");
    db.orv("15", "10/04/2025", "Receipt", "1,000.50");
    db.orv("15", "10/04/2025", "Receipt", nullptr);
    db.orv("15", "10/04/2025", "Receipt", "");
    db.office("16", "Totalpur", "SO", "Hill HO", "F16");
    db.withdrawal("F16", "11/04/2025", "3");
    db.deposit("F99", "11/04/2025", "777");  // no office has this facility

    ASSERT_TRUE(compareApril());
    EXPECT_EQ(rows(), (std::vector<std::string>{
                          "11 | F11 | Bank Only SO | 10.00 | 0.00 | 10.00* | 0.00 | 0.00 | 0.00",
                          "13 | F13 | Deposit Off SO | 100.01 | 100.00 | 0.01* | 20.00 | 20.00 | 0.00",
                          "14 | F14 | Negative SO | 0.00 | 0.00 | 0.00 | 40.00 | 45.00 | -5.00*",
                          "15 | F15 | O'Neil SO | 1250.00 | 1000.50 | 249.50* | 0.00 | 0.00 | 0.00",
                          "16 | F16 | Totalpur | 0.00 | 0.00 | 0.00 | 3.00 | 0.00 | 3.00*",
                          " |  | TOTAL (5) | 1360.01 | 1100.50 | 259.51 | 63.00 | 65.00 | -2.00",
                      }));

    const CompareView& v = logic.view();
    EXPECT_EQ(v.offices.size(), 6u);  // All and the five
    EXPECT_EQ(v.countText, "5 Offices");
    EXPECT_FALSE(v.wait.visible);
    EXPECT_TRUE(v.resetVisible && v.exportVisible);
    EXPECT_FALSE(v.runVisible || v.frameVisible || v.periodEnabled);
    EXPECT_EQ(prompter.lastMessage().text, "Comparison Completed (Division). Differences found in 5 Offices.");
    EXPECT_EQ(prompter.lastMessage().title, "Result");
}

TEST_F(ConsolidatedTest, TheConfiguredOfficeSetsTheScope) {
    db.connection().execute("DELETE FROM Youroffice");
    db.office("1", "Division", "PDN", "", "F1");
    db.office("2", "St. John's HO", " hpo ", "St. John's HO", "F2");
    db.office("3", "Bay SO", "SO", "St. John's HO", "F3");
    db.office("4", "Far SO", "SO", "Other HO", "F4");
    for (const char* f : {"F2", "F3", "F4"}) db.deposit(f, "15/04/2025", "10");

    struct Case {
        std::vector<std::string> configured;  // rows of Youroffice
        std::string scopeText;
        std::vector<std::string> offices;
    };
    const std::vector<std::string> all = {"All", "Bay SO", "Far SO", "St. John's HO"};
    const std::vector<Case> cases = {
        {{}, " ()", all},
        {{"Division", "St. John's HO"}, " (Division)", all},
        {{"Far SO"}, " (Far SO)", all},
        {{" st. john's ho "}, " (Offices Under st. john's ho)", {"All", "Bay SO", "St. John's HO"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scopeText);
        db.connection().execute("DELETE FROM Youroffice");
        for (const auto& name : c.configured) db.configure(name);
        ASSERT_TRUE(compareApril());
        EXPECT_EQ(logic.view().offices, c.offices);
        EXPECT_EQ(prompter.lastMessage().text, "Comparison Completed" + c.scopeText + ". Differences found in " +
                                                   std::to_string(c.offices.size() - 1) + " Offices.");
    }
}

TEST_F(ConsolidatedTest, EveryOfficeAgreeing) {
    db.office("10", "Agree SO", "SO", "", "F10");
    db.deposit("F10", "05/04/2025", "0.1");
    db.deposit("F10", "05/04/2025", "0.2");
    db.orv("10", "05/04/2025", "Receipt", "0.3");

    ASSERT_TRUE(compareApril());
    EXPECT_TRUE(logic.consolidated().rows.empty());
    EXPECT_EQ(logic.view().offices, std::vector<std::string>{"All"});
    EXPECT_EQ(logic.view().countText, "");
    EXPECT_FALSE(logic.view().runVisible);
    EXPECT_EQ(prompter.lastMessage().text, "Comparison Completed (Division). No Differences found.");
}

TEST_F(ConsolidatedTest, RefusalsAndFailuresLeaveTheFormReady) {
    db.office("10", "Some SO", "SO", "", "F10");
    db.deposit("F10", "05/04/2025", "10");
    db.orv("10", "05/06/2025", "Receipt", "10");  // June: ORV rows only

    struct Case {
        const char* name;
        int year, month;  // list positions
        const char* badDate;
        Message message;
    };
    const std::string noData = std::string("No records found.") + kCrLf +
                               "Please ensure that the ORV and VESK data are imported for the selected month.";
    const std::vector<Case> cases = {
        {"no year", -1, 3, nullptr, {"Please select both Year and Month.", "", Icon::Exclamation}},
        {"nothing in May", 0, 4, nullptr, {noData, "No Data", Icon::Information}},
        {"ORV only in June", 0, 5, nullptr, {noData, "No Data", Icon::Information}},
        {"a date that is no date", 0, 3, "31/02/2025", {"Error: Type mismatch", "", Icon::Critical}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.badDate) db.deposit("F10", c.badDate, "1");
        logic.load();
        logic.chooseYear(c.year);
        logic.chooseMonth(c.month);
        EXPECT_FALSE(logic.compare());
        EXPECT_EQ(prompter.lastMessage().text, c.message.text);
        EXPECT_EQ(prompter.lastMessage().title, c.message.title);
        EXPECT_EQ(prompter.lastMessage().icon, c.message.icon);
        EXPECT_FALSE(logic.view().wait.visible);
        EXPECT_TRUE(logic.view().runVisible && logic.view().periodEnabled);
        EXPECT_FALSE(logic.view().resetVisible);
    }
}

TEST_F(ConsolidatedTest, TheDefaultPeriodIsTheMonthBeforeToday) {
    struct Case {
        DateTime today;
        int year, month;  // list positions; -1: none
    };
    // The list offers today's year and the next besides 2025 to 2030 (and the data's years):
    // January 2031 is offered in 2031, December 2031 not in 2032.
    for (const Case& c : {Case{{2026, 1, 31}, 0, 11}, Case{{2025, 1, 1}, -1, 11}, Case{{2031, 1, 5}, 5, 11},
                          Case{{2031, 2, 5}, 6, 0}, Case{{2032, 1, 5}, -1, 11}}) {
        SCOPED_TRACE(c.today.toText());
        CompareScreen form(dir.file("ZETTools.db"), prompter, [&] { return c.today; });
        form.load();
        EXPECT_EQ(form.view().year, c.year);
        EXPECT_EQ(form.view().month, c.month);
    }
}

TEST_F(ConsolidatedTest, TheYearListHoldsTheDataYearsAndTodaysSoDecember2024IsComparedIn2031) {
    db.office("10", "Old SO", "SO", "", "F10");
    db.deposit("F10", "31/12/2024", "10");
    db.orv("10", "31/12/2024", "Receipt", "4");
    db.orv("10", "02/06/2035", "Receipt", "1");  // a stray entry far ahead is a year of the data too
    CompareScreen form(dir.file("ZETTools.db"), prompter, [] { return DateTime{2031, 1, 5}; });
    form.load();
    EXPECT_EQ(form.view().years, (std::vector<std::string>{"2024", "2025", "2026", "2027", "2028", "2029", "2030",
                                                           "2031", "2032", "2035"}));
    EXPECT_EQ(form.view().year, 6);  // December 2030, the month before today, as ever
    form.chooseYear(0);
    form.chooseMonth(11);
    ASSERT_TRUE(form.compare());
    EXPECT_EQ(rowText(form.consolidated().rows[0]), "10 | F10 | Old SO | 10.00 | 4.00 | 6.00* | 0.00 | 0.00 | 0.00");
}

TEST_F(ConsolidatedTest, ASampleMonthShowsExactlyThePlantedDifferences) {
    const sample::SampleData data = sample::generateSample({.offices = 40, .rows = 3000, .seed = 7});
    test::storeSampleMonth(db.connection(), data, true);
    ASSERT_TRUE(compareApril());

    std::vector<std::string> expected;
    for (const auto& d : sample::expectedDifferences(data)) {
        expected.push_back(d.officeName + " " + formatAmount(double(d.depositPaise) / 100) + " " +
                           formatAmount(double(d.withdrawalPaise) / 100));
    }
    ASSERT_GE(expected.size(), 3u);
    std::vector<std::string> got;
    const auto& grid = logic.consolidated().rows;
    for (std::size_t r = 0; r + 1 < grid.size(); ++r)
        got.push_back(grid[r].cells[2].text + " " + grid[r].cells[5].text + " " + grid[r].cells[8].text);
    EXPECT_EQ(got, expected);
    EXPECT_EQ(grid.back().cells[2].text, "TOTAL (" + std::to_string(expected.size()) + ")");
}

TEST_F(ConsolidatedTest, AMonthOpenedFromElsewhereIsComparedWithItsOfficePicked) {
    db.office("1", "Division", "PDN", "", "F1");
    db.office("10", "Bay SO", "SO", "", "F10");
    db.office("11", "Cape SO", "SO", "", "F11");
    db.deposit("F10", "05/04/2025", "10");
    db.deposit("F11", "06/04/2025", "3");
    db.orv("11", "06/04/2025", "Receipt", "3");  // Cape agrees in April
    logic.load();
    logic.blinker().setDuration(std::chrono::milliseconds(0));
    db.deposit("F11", "03/03/2019", "7");  // since the form opened: its year is not offered
    ASSERT_EQ(std::count(logic.view().years.begin(), logic.view().years.end(), "2019"), 0);
    struct Case {
        Period month;
        std::string office;
        bool picked;
        std::string year, chosen;  // the lists' selections afterwards
    };
    const Case cases[] = {
        {{2025, 4}, "bay so", true, "2025", "Bay SO"},    // in another letter case
        {{2025, 4}, "Cape SO", false, "2025", ""},        // agrees: compared, nothing picked
        {{2019, 3}, "Cape SO", true, "2019", "Cape SO"},  // the year added in its place
        {{2025, 5}, "Bay SO", false, "2025", ""},         // no bank rows: not compared
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.office + " " + std::to_string(c.month.year));
        EXPECT_EQ(logic.openMonth(c.month, c.office), c.picked);
        const CompareView& v = logic.view();
        ASSERT_GE(v.year, 0);
        EXPECT_EQ(v.years[std::size_t(v.year)], c.year);
        EXPECT_EQ(v.month, c.month.month - 1);
        EXPECT_TRUE(std::is_sorted(v.years.begin(), v.years.end()));
        EXPECT_EQ(v.office >= 0 ? v.offices[std::size_t(v.office)] : std::string(), c.chosen);
        if (c.picked) {
            EXPECT_FALSE(v.runVisible);
            ASSERT_FALSE(logic.detailed().rows.empty());
            EXPECT_EQ(logic.detailed().rows[0].cells[1].text, c.chosen);
        }
    }
    EXPECT_EQ(prompter.lastMessage().title, "No Data");
}

}  // namespace
}  // namespace vesk::compare
