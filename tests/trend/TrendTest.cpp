#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "TrendDatabase.h"
#include "app/cli/CliRunner.h"
#include "compare/CompareStatements.h"
#include "core/Amount.h"
#include "core/Platform.h"
#include "ctr/BankReport.h"
#include "orv/OrvReport.h"
#include "pairs/HandPairs.h"
#include "report/ReportFiles.h"
#include "report/ReportMonths.h"
#include "report/SummaryRows.h"
#include "review/ReviewDatabase.h"
#include "sample/SampleData.h"
#include "store/Schema.h"
#include "store/StoreTestSupport.h"
#include "support/PackagePart.h"
#include "support/SampleStore.h"
#include "support/ScriptedPrompter.h"
#include "support/SheetRows.h"
#include "support/TempDir.h"
#include "trend/Trend.h"
#include "trend/TrendScreen.h"
#include "trend/TrendWording.h"
#include "trend/TrendWorkbook.h"

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
    // Each office's open items as the month counts them (Alpha's March receipt too, where it
    // has no bank rows), then over the months.
    std::vector<std::string> open;
    for (const OfficeTrend& o : t.offices) {
        std::string line = o.name;
        for (double amount : o.open) line += " | " + formatAmount(amount);
        open.push_back(line + " | " + formatAmount(o.openTotal));
    }
    EXPECT_EQ(open, (std::vector<std::string>{"Alpha SO | 0.00 | 30.00 | 545.50 | 0.00 | 0.00 | 575.50",
                                              "Beta SO | 90.00 | 0.00 | 10.00 | 0.00 | 0.00 | 100.00",
                                              "delta SO | 0.00 | 0.00 | 3.00 | 0.00 | 0.00 | 3.00",
                                              "Gamma SO | 5.00 | 0.00 | 0.00 | 0.00 | 0.01 | 5.01"}));
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

// Open follows the month's work, where To Explain, the offices' net differences, cannot.
TEST(TrendOpen, AHandPairTakesItsRowsOutOfTheMonthsOpenAmount) {
    test::TempDir dir;
    test::ReviewDatabase db(dir);
    db.importBank({test::ReviewDatabase::entry("T1", "09/04/2025", "100"),
                   test::ReviewDatabase::entry("T2", "09/04/2025", "50")});
    db.importOrv({test::ReviewDatabase::entry("A1", "20/04/2025", "100")});
    const auto april = [&] {
        const Trend t = trendOf(db.connection(), compare::comparisonScope(db.connection()));
        return std::make_pair(formatAmount(t.months.at(0).toExplain), formatAmount(t.months.at(0).open));
    };
    EXPECT_EQ(april(), std::make_pair(std::string("50.00"), std::string("250.00")));
    ASSERT_TRUE(
        pairs::makePair(db.connection(), pairs::PairRequest::named({"T1"}, {"A1"}), "ravi", DateTime{2025, 5, 1}).pair);
    EXPECT_EQ(april(), std::make_pair(std::string("50.00"), std::string("50.00")));
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
        {"1899-12", std::nullopt},        {"2025-04-01", std::nullopt},   {"2025-4x", std::nullopt},
        {" 2025-04", std::nullopt},
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

// Each match of the pattern's first group, in order.
std::vector<std::string> trendMatches(const std::string& text, const std::string& pattern) {
    std::vector<std::string> out;
    const std::regex re(pattern);
    for (std::sregex_iterator i(text.begin(), text.end(), re), end; i != end; ++i) out.push_back((*i)[1]);
    return out;
}

TEST(TrendWorkbook, HoldsTheMonthsWithTheirChartAndTheMapShaded) {
    test::TempDir dir;
    test::MonthDatabase db(dir.file("ZETTools.db"));
    test::fillTrendDatabase(db);
    const Trend t = trendOf(db.connection(), compare::comparisonScope(db.connection()));
    const std::string path = writeTrendWorkbook(t, {{{2025, 2}, {2025, 7}}, "Hill Division"}, dir.file("out"));
    EXPECT_EQ(path, platform::joinPath(dir.file("out"), "Trend_2025-02_2025-07.xlsx"));

    EXPECT_EQ(test::sheetRows(path, 0),
              (std::vector<std::string>{
                  "VESK - ORV Comparison - Trend of the Differences",
                  "Period : February 2025 to July 2025",
                  "Offices Under Hill Division",
                  "",
                  "Month|Offices|Differing|VESK Dep|ORV Dep|Diff Dep|VESK Wdl|ORV Wdl|Diff Wdl|To Explain|Open",
                  "2025-02|3|2|5|0|5|50|40|10|15|95",
                  "2025-03|0|0|0|0|0|0|0|0|0|30",
                  "2025-04|4|3|235.5|225|10.5|73|75|-2|18.5|558.5",
                  "2025-05|0|0|0|0|0|0|0|0|0|0",
                  "2025-07|2|0|0|0|0|0|0|0|0|0.01",
              }));
    EXPECT_EQ(test::sheetRows(path, 1), (std::vector<std::string>{
                                            "VESK - ORV Comparison - To Explain by Office and Month",
                                            "Period : February 2025 to July 2025",
                                            "Offices Under Hill Division",
                                            "",
                                            "Office Name|2025-02|2025-03|2025-04|2025-05|2025-07|Open",
                                            "Alpha SO|||5.5|||575.5",
                                            "Beta SO|10||10|||100",
                                            "delta SO|||3|||3",
                                            "Gamma SO|5|||||5.01",
                                        }));

    // The chart is one of the sheet's, reading the table's cells: To Explain as columns,
    // Differing as a line. How the two plots' axes stand is the chart writer's test.
    EXPECT_NE(test::packagePart(path, "xl/drawings/_rels/drawing1.xml.rels").find("../charts/chart1.xml"),
              std::string::npos);
    const std::string chart = test::packagePart(path, "xl/charts/chart1.xml");
    for (const auto& [kind, values] : {std::pair{"barChart", "Trend!$J$6:$J$10"}, {"lineChart", "Trend!$C$6:$C$10"}}) {
        SCOPED_TRACE(kind);
        const std::vector<std::string> plot =
            trendMatches(chart, std::string("<c:") + kind + ">(.*?)</c:" + kind + ">");
        ASSERT_EQ(plot.size(), 1u);
        EXPECT_EQ(trendMatches(plot[0], "<c:val>.*?<c:f>([^<]*)</c:f>"), std::vector<std::string>{values});
        EXPECT_EQ(trendMatches(plot[0], "<c:cat>.*?<c:f>([^<]*)</c:f>"), std::vector<std::string>{"Trend!$A$6:$A$10"});
    }
    EXPECT_EQ(trendMatches(chart, "<c:delete val=\"(1)\"/>").size(), 1u);  // the line's months axis, hidden

    // The map's amounts are shaded by a colour scale from white to the differences' red.
    const std::string offices = test::packagePart(path, "xl/worksheets/sheet2.xml");
    EXPECT_NE(offices.find("<conditionalFormatting sqref=\"B6:F9\"><cfRule type=\"colorScale\""), std::string::npos);
    EXPECT_NE(offices.find("<color rgb=\"FFFFFFFF\"/><color rgb=\"FFFF0000\"/>"), std::string::npos);
    // A4 is the writer's default and its test's; landscape is the trend's own choice.
    for (const char* sheet : {"xl/worksheets/sheet1.xml", "xl/worksheets/sheet2.xml"})
        EXPECT_NE(test::packagePart(path, sheet).find("orientation=\"landscape\""), std::string::npos) << sheet;
}

TEST(TrendWorkbook, ATrendWithoutMonthsIsNotWritten) {
    test::TempDir dir;
    const Error e = test::errorOf([&] { writeTrendWorkbook({}, {{{2025, 1}, {2025, 2}}, "X"}, dir.file("out")); });
    EXPECT_EQ(e.number(), errc::kUsage);
    EXPECT_FALSE(std::filesystem::exists(dir.file("out") + "/Trend_2025-01_2025-02.xlsx"));
}

const std::string kTrendHeader =
    "Month\tOffices\tDiffering\tVESK Dep\tORV Dep\tDiff Dep\tVESK Wdl\tORV Wdl\tDiff Wdl\tTo Explain\tOpen\n";

// What the trend holds is the trend's tests'; here, that the verbs reach it and print it. The
// usage lines are the command line's tests.
TEST(TrendVerbs, PrintTheMonthsAndTheMapOfOfficesAndExportThem) {
    test::TempDir dir;
    const std::string path = dir.file("ZETTools.db");
    {
        test::MonthDatabase db(path);
        test::fillTrendDatabase(db);
    }
    const std::string out = dir.file("out");
    const std::string workbook = (std::filesystem::path(out) / "Trend_2025-02_2025-07.xlsx").string();
    struct Step {
        std::vector<std::string> args;
        int status;
        std::string out;
        std::string err = {};  // a part of what it says
    };
    const Step steps[] = {
        {{"trend", "2025-03", "2025-4"},
         cli::kExitOk,
         kTrendHeader + "2025-03\t0\t0\t0.00\t0.00\t0.00\t0.00\t0.00\t0.00\t0.00\t30.00\n" +
             "2025-04\t4\t3\t235.50\t225.00\t10.50\t73.00\t75.00\t-2.00\t18.50\t558.50\n"},
        {{"trend", "--offices"},
         cli::kExitOk,
         "Office Name\t2025-02\t2025-03\t2025-04\t2025-05\t2025-07\tOpen\n"
         "Alpha SO\t\t\t5.50\t\t\t575.50\n"
         "Beta SO\t10.00\t\t10.00\t\t\t100.00\n"
         "delta SO\t\t\t3.00\t\t\t3.00\n"
         "Gamma SO\t5.00\t\t\t\t\t5.01\n"},
        // The range's refusal passes through both verbs.
        {{"trend", "2025-05", "2025-04"}, cli::kExitUsage, "", "FROM 2025-05 is after TO 2025-04."},
        {{"export", "trend", "2025-05", "2025-04"}, cli::kExitUsage, "", "FROM 2025-05 is after TO 2025-04."},
        // Every month held, the file named for them.
        {{"export", "trend", "--out", out}, cli::kExitOk, workbook + "\n"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::PrintToString(s.args));
        std::vector<std::string> args = s.args;
        args.insert(args.begin(), {"--db", path});
        const cli::Outcome o = cli::runCli(args);
        EXPECT_EQ(o.status, s.status) << o.err;
        EXPECT_EQ(o.out, s.out);
        EXPECT_NE(o.err.find(s.err), std::string::npos) << o.err;
    }
    EXPECT_TRUE(std::filesystem::exists(workbook));
}

// An empty file: the verbs print the headers alone and say why; the screen shows no months.
TEST(TrendOnNothing, VerbsPrintTheHeadersAloneAndTheScreenHasNothingToExport) {
    test::TempDir dir;
    const std::string path = dir.file("empty.db");
    const cli::Outcome o = cli::runCli({"--db", path, "trend"});
    EXPECT_EQ(o.status, cli::kExitOk);
    EXPECT_EQ(o.out, kTrendHeader);
    EXPECT_EQ(o.err, "No bank or ORV data in these months.\n");
    const cli::Outcome exported = cli::runCli({"--db", path, "export", "trend", "--out", dir.file("out")});
    EXPECT_EQ(exported.status, cli::kExitFailed);
    EXPECT_NE(exported.err.find("No data to export."), std::string::npos) << exported.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("out")));

    test::ScriptedPrompter prompter;
    TrendScreen screen(path, prompter);
    const TrendScreen::Job job = screen.load();
    screen.finished(job.ticket, job.run());
    EXPECT_TRUE(screen.view().months.empty());
    EXPECT_EQ(std::pair(screen.view().from, screen.view().to), std::pair(-1, -1));
    EXPECT_EQ(screen.view().emptyText, kNoDataText);
    EXPECT_EQ(screen.view().statusText, kNoDataText);
    EXPECT_FALSE(screen.view().exportEnabled);
    EXPECT_FALSE(screen.chooseFrom(0));
    EXPECT_TRUE(prompter.messages().empty());
}

// The trend window's screen over the five months of TrendDatabase.h (Feb, Mar, Apr, May and
// Jul 2025), its loads run here as the window's thread would run them.
class TrendScreenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::MonthDatabase db(path());
        test::fillTrendDatabase(db);
        screen.setOutputFolder(dir.file("out"));
        screen.setOpenWhenSaved(false);
    }
    std::string path() const { return dir.file("ZETTools.db"); }
    void run(TrendScreen::Job job) {
        EXPECT_TRUE(screen.view().loading);
        EXPECT_EQ(screen.view().statusText, kLoadingText);
        screen.finished(job.ticket, job.run());
    }
    std::vector<std::string> shownMonths() const { return screen.view().categories; }

    test::TempDir dir;
    test::ScriptedPrompter prompter;
    TrendScreen screen{path(), prompter};
};

TEST_F(TrendScreenTest, OnlyTheLatestLoadIsShownAndAStaleFailureSaysNothing) {
    run(screen.load());
    const TrendScreen::Job aprilOn = *screen.chooseFrom(2);
    const TrendScreen::Job mayOn = *screen.chooseFrom(3);
    // The earlier load's outcome, or its failure, comes after the later one was asked for.
    screen.finished(aprilOn.ticket, aprilOn.run());
    screen.failed(aprilOn.ticket, Error(5, "unreadable"));
    EXPECT_TRUE(screen.view().loading);
    EXPECT_TRUE(prompter.messages().empty());
    EXPECT_EQ(shownMonths(), (std::vector<std::string>{"Feb 2025", "Mar 2025", "Apr 2025", "May 2025", "Jul 2025"}));
    screen.finished(mayOn.ticket, mayOn.run());
    EXPECT_FALSE(screen.view().loading);
    EXPECT_EQ(shownMonths(), (std::vector<std::string>{"May 2025", "Jul 2025"}));
    EXPECT_EQ(screen.view().months.size(), 5u);  // every month held stays to choose from
}

TEST_F(TrendScreenTest, FromAndToKeepTheRangeInOrderAndAPickThatChangesNothingLoadsNothing) {
    struct Case {
        const char* pick;
        bool from;  ///< a pick in From; else in To
        int index;
        std::optional<std::pair<int, int>> range;  ///< the choices after it; none: no load
    };
    // Each case starts from every month: From Feb (0), To Jul (4).
    const Case cases[] = {
        {"From Jul: the last month alone", true, 4, std::pair{4, 4}},
        {"To Feb: the first month alone", false, 0, std::pair{0, 0}},
        {"From as it is", true, 0, std::nullopt},
        {"From past the list", true, 5, std::nullopt},
        {"To before the list", false, -1, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pick);
        run(screen.load());
        std::optional<TrendScreen::Job> job = c.from ? screen.chooseFrom(c.index) : screen.chooseTo(c.index);
        ASSERT_EQ(job.has_value(), c.range.has_value());
        if (!job) {
            EXPECT_FALSE(screen.view().loading);
            continue;
        }
        run(std::move(*job));
        EXPECT_EQ(std::pair(screen.view().from, screen.view().to), *c.range);
        const std::vector<std::string>& held = screen.view().months;
        EXPECT_EQ(shownMonths().front(), held[std::size_t(c.range->first)]);
        EXPECT_EQ(shownMonths().back(), held[std::size_t(c.range->second)]);
    }
    // A later From than To pulls To along, and the other way round.
    run(screen.load());
    run(*screen.chooseTo(1));
    run(*screen.chooseFrom(3));
    EXPECT_EQ(std::pair(screen.view().from, screen.view().to), std::pair(3, 3));
    run(*screen.chooseTo(2));
    EXPECT_EQ(std::pair(screen.view().from, screen.view().to), std::pair(2, 2));
}

TEST_F(TrendScreenTest, AFailedLoadIsSaidAndStaysInTheStatusLine) {
    const TrendScreen::Job job = screen.load();
    screen.failed(job.ticket, Error(26, "file is not a database"));
    EXPECT_FALSE(screen.view().loading);
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_EQ(prompter.lastMessage().icon, Icon::Critical);
    EXPECT_EQ(screen.view().statusText, prompter.lastMessage().text);
    EXPECT_EQ(screen.view().statusText, "Trend Error: file is not a database");
    EXPECT_FALSE(screen.view().exportEnabled);
}

TEST_F(TrendScreenTest, ACellLeadsToItsMonthsComparisonOnlyWhereItHasSomethingToExplain) {
    run(screen.load());
    // The map's offices: Alpha, Beta, delta, Gamma; its months: Feb to Jul.
    struct Case {
        int row, column;
        std::optional<std::pair<int, std::string>> target;  ///< month and office; none: nothing opens
    };
    const Case cases[] = {
        {0, 2, std::pair{4, std::string("Alpha SO")}},  // April
        {1, 0, std::pair{2, std::string("Beta SO")}},   // February
        {0, 1, std::nullopt},                           // nothing to explain: Alpha in March
        {4, 0, std::nullopt},                           // past the last office
        {0, 5, std::nullopt},                           // past the last month
        {-1, 0, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.row) + "," + std::to_string(c.column));
        const std::optional<TrendScreen::MapTarget> target = screen.comparisonAt(c.row, c.column);
        ASSERT_EQ(target.has_value(), c.target.has_value());
        if (!target) continue;
        EXPECT_EQ(target->month.year, 2025);
        EXPECT_EQ(target->month.month, c.target->first);
        EXPECT_EQ(target->office, c.target->second);
    }
    EXPECT_EQ(screen.hoverText(2), "Apr 2025\nTo Explain: 18.50\nOpen: 558.50\nDiffering: 3 of 4 offices");
    EXPECT_EQ(screen.view().map[0].cells[2].hover, "Alpha SO, Apr 2025: 5.50 to explain\nOpen: 545.50");
    EXPECT_EQ(screen.view().map[0].cells[1].hover, "Alpha SO, Mar 2025: agrees, or has no bank rows\nOpen: 30.00");
    EXPECT_EQ(screen.hoverText(5), "");
    EXPECT_EQ(screen.hoverText(-1), "");
}

TEST_F(TrendScreenTest, ExportWritesTheMonthsShownAndRefusesAnEmptyTrend) {
    // Before the first load is in there is nothing to write.
    const TrendScreen::Job job = screen.load();
    EXPECT_FALSE(screen.exportTrend());
    EXPECT_EQ(prompter.lastMessage().text, "No data to export.");
    screen.finished(job.ticket, job.run());

    run(*screen.chooseFrom(2));
    const std::optional<std::string> file = screen.exportTrend();
    ASSERT_TRUE(file);
    EXPECT_EQ(std::filesystem::path(*file).filename(), "Trend_2025-04_2025-07.xlsx");
    EXPECT_TRUE(std::filesystem::exists(*file));
    EXPECT_EQ(prompter.lastMessage().title, "Saved");
    EXPECT_TRUE(prompter.openedDocuments().empty());  // not asked to open it
}

using test::rowsOf;

constexpr const char* kStored =
    "SELECT report, month_key, upper(office_ref), compared_key, deposits, withdrawals FROM office_month_totals "
    "ORDER BY 1, 2, 3, 4";

class OfficeTotalsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::fillTrendDatabase(db);
        keep();  // built from the rows written above
    }
    // The summaries' month lines and the totals, as the forms and the trend read them.
    void keep() {
        for (const report::ReportDescription* r : reports) report::monthlySummary(c(), *r);
        report::keepOfficeTotals(c(), reports);
    }
    store::Connection& c() { return db.connection(); }
    // The totals as a rebuild from the rows leaves them.
    std::vector<std::string> rebuilt() {
        c().execute("DELETE FROM office_month_marks");
        keep();
        std::vector<std::string> out = rowsOf(c().query(kStored));
        EXPECT_NE(out, std::vector<std::string>{});
        return out;
    }
    // The month's comparison and the trend's, office by office, as text.
    std::pair<std::string, std::string> april() {
        const compare::Scope scope = compare::comparisonScope(c());
        std::string compared, trended;
        for (const auto& o : compare::compareMonth(c(), {2025, 4}, scope).offices) compared += o.name + " ";
        const Trend t = trendOf(c(), scope, MonthRange{{2025, 4}, {2025, 4}});
        for (const OfficeTrend& o : t.offices) trended += o.name + " ";
        return {compared, trended};
    }

    test::TempDir dir;
    test::MonthDatabase db{dir.file("ZETTools.db")};
    const std::vector<const report::ReportDescription*> reports{&ctr::bankReport(), &orv::orvReport()};
    report::ConfirmReplace yes = [](const report::MonthImport&, const std::optional<DateTime>&) { return true; };
};

// What is kept per month is brought up to date in the change's own transaction.
TEST_F(OfficeTotalsTest, ImportsAndDeletionsKeepTheLinesAndTotalsInTheirOwnTransaction) {
    struct Step {
        const char* what;
        std::function<void()> run;
    };
    const std::string bankApril = dir.file("bank_april.xlsx"), orvApril = dir.file("orv_april.xlsx");
    const std::string bankJuly = dir.file("bank_july.xlsx");
    test::writeReport(bankApril, test::bankShape(),
                      {{"N1", "02/04/2025", true, "300", "", "F10"},
                       {"N2", "01/04/2025", false, "20", "", "F11", "31/03/2025"},  // compared in March
                       {"N3", "09/04/2025", true, "5", "", "f12"}});
    test::writeReport(orvApril, test::orvShape(), {{"R1", "02/04/2025", true, "300", "", "10"}});
    test::writeReport(bankJuly, test::bankShape(),
                      {{"J1", "07/07/2025", true, "0.02", "", "F13"},
                       {"J2", "30/06/2025", false, "8", "", "F12"}});  // a row of June in July's file
    const Step steps[] = {
        {"bank April imported", [&] { report::importMonth(c(), ctr::bankReport(), bankApril, yes); }},
        {"ORV receipts of April imported", [&] { report::importMonth(c(), orv::orvReport(), orvApril, yes); }},
        {"bank May deleted",
         [&] {
             EXPECT_EQ(report::deleteMonth(c(), ctr::bankReport(), {2025, 5}), 1);
         }},
        {"ORV March deleted",
         [&] {
             EXPECT_EQ(report::deleteMonth(c(), orv::orvReport(), {2025, 3}), 1);
         }},
        {"bank July imported", [&] { report::importMonth(c(), ctr::bankReport(), bankJuly, yes); }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.run();
        // Read before anything could rebuild them: the change itself brought them up to date.
        const std::vector<std::string> kept = rowsOf(c().query(kStored));
        for (const char* table : {"veskfinacle", "orvtable"})
            for (const char* marks : {"month_summary_marks", "office_month_marks", "row_marks"})
                EXPECT_EQ(
                    rowsOf(c().query(std::string("SELECT row_count, last_rowid FROM ") + marks + " WHERE report = ?",
                                     {table})),
                    rowsOf(c().query(std::string("SELECT COUNT(*), MAX(rowid) FROM ") + table)))
                    << table << " " << marks;
        for (const report::ReportDescription* r : reports)
            EXPECT_EQ(test::summaryRows(report::monthlySummary(c(), *r)), test::summaryFromRows(c(), *r));
        EXPECT_EQ(kept, rebuilt());
        const auto [compared, trended] = april();
        EXPECT_EQ(trended, compared);
    }
}

TEST_F(OfficeTotalsTest, AFailedImportLeavesTheTotalsAsTheyWere) {
    const std::vector<std::string> before = rowsOf(c().query(kStored));
    const std::string bad = dir.file("bad.xlsx");
    test::writeReport(bad, test::bankShape(),
                      {{"B1", "02/04/2025", true, "1", "", "F10"}, {"B2", "someday", true, "1", "", "F10"}});
    EXPECT_THROW(report::importMonth(c(), ctr::bankReport(), bad, yes), Error);
    EXPECT_EQ(rowsOf(c().query(kStored)), before);
}

// Rows written by another program are the row marks' test; an older version of the program
// keeps the month lines' marks, not the totals'.
TEST_F(OfficeTotalsTest, RowsDeletedByAnOlderVersionAreNoticedAndTheTotalsBuiltAnew) {
    c().execute("DELETE FROM veskfinacle WHERE FACILITY_ID = 'F11' AND Tran_Date = '04/04/2025'");
    c().execute(
        "UPDATE month_summary_marks SET row_count = (SELECT COUNT(*) FROM veskfinacle) WHERE report = 'veskfinacle'");
    const auto [compared, trended] = april();
    EXPECT_EQ(compared, "Alpha SO delta SO ");  // Beta's only row of April gone
    EXPECT_EQ(trended, compared);
}

TEST_F(OfficeTotalsTest, AFileOfAnOlderLayoutReadAsItIsGetsTotalsForItsConnectionOnly) {
    const auto months = [](store::Connection& on) {
        std::vector<std::string> lines;
        for (const TrendMonth& m : trendOf(on, compare::comparisonScope(on)).months)
            lines.push_back(std::to_string(m.offices) + "/" + std::to_string(m.differing) + "/" +
                            std::to_string(m.toExplain));
        return lines;
    };
    const std::vector<std::string> expected = months(c());
    c().execute("DROP TABLE office_month_totals");
    c().execute("DROP TABLE office_month_marks");
    c().execute("PRAGMA user_version = 2");
    c().close();

    store::Connection old;
    old.openWithoutUpgrade(dir.file("ZETTools.db"));
    for (int round = 0; round < 2; ++round) {  // the second read finds its own table and fills it again
        SCOPED_TRACE(round);
        EXPECT_EQ(months(old), expected);
    }
    EXPECT_EQ(old.scalar("SELECT COUNT(*) FROM sqlite_master WHERE name LIKE 'office_month%'").toInt(), 0);
    EXPECT_EQ(old.scalar("PRAGMA user_version").toInt(), 2);
}

}  // namespace
}  // namespace vesk::trend
