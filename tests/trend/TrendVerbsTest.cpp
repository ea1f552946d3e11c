#include <gtest/gtest.h>

#include <filesystem>

#include "TrendDatabase.h"
#include "app/cli/CliRunner.h"
#include "support/TempDir.h"

namespace vesk::cli {
namespace {

const std::string kHeader =
    "Month\tOffices\tDiffering\tVESK Dep\tORV Dep\tDiff Dep\tVESK Wdl\tORV Wdl\tDiff Wdl\tTo Explain\n";

class TrendVerbsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::MonthDatabase db(path);
        test::fillTrendDatabase(db);
    }
    Outcome run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--db", path});
        return runCli(args);
    }

    test::TempDir dir;
    std::string path = dir.file("ZETTools.db");
};

TEST_F(TrendVerbsTest, PrintTheMonthsAndTheMapOfOffices) {
    struct Case {
        std::vector<std::string> args;
        std::string out;
    };
    const std::string february = "2025-02\t3\t2\t5.00\t0.00\t5.00\t50.00\t40.00\t10.00\t15.00\n";
    const std::string march = "2025-03\t0\t0\t0.00\t0.00\t0.00\t0.00\t0.00\t0.00\t0.00\n";
    const std::string april = "2025-04\t4\t3\t235.50\t225.00\t10.50\t73.00\t75.00\t-2.00\t18.50\n";
    const std::string may = "2025-05\t0\t0\t0.00\t0.00\t0.00\t0.00\t0.00\t0.00\t0.00\n";
    const std::string july = "2025-07\t2\t0\t0.00\t0.00\t0.00\t0.00\t0.00\t0.00\t0.00\n";
    const Case cases[] = {
        {{"trend"}, kHeader + february + march + april + may + july},
        {{"trend", "2025-03", "2025-4"}, kHeader + march + april},
        {{"trend", "--offices"},
         "Office Name\t2025-02\t2025-03\t2025-04\t2025-05\t2025-07\n"
         "Alpha SO\t\t\t5.50\t\t\n"
         "Beta SO\t10.00\t\t10.00\t\t\n"
         "delta SO\t\t\t3.00\t\t\n"
         "Gamma SO\t5.00\t\t\t\t\n"},
        {{"trend", "--offices", "2025-06", "2025-06"}, "Office Name\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const Outcome o = run(c.args);
        EXPECT_EQ(o.status, kExitOk) << o.err;
        EXPECT_EQ(o.out, c.out);
    }
}

// The usage lines of every verb are the command line's tests'; these are the trend's own.
TEST_F(TrendVerbsTest, WrongMonthsAreWrongUsage) {
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    const Case cases[] = {
        {{"trend", "2025-01", "2025-02", "2025-03"}, "give FROM and TO"},
        {{"trend", "2025-01", "April"}, "TO must be a month as YYYY-MM"},
        {{"trend", "2025-05", "2025-04"}, "FROM 2025-05 is after TO 2025-04."},
        {{"trend", "--offices=yes"}, "takes no value"},
        {{"export", "trend", "2025-05", "2025-04"}, "FROM 2025-05 is after TO 2025-04."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const Outcome o = run(c.args);
        EXPECT_EQ(o.status, kExitUsage);
        EXPECT_EQ(o.out, "");
        EXPECT_NE(o.err.find(c.says), std::string::npos) << o.err;
    }
}

TEST(TrendVerbsOnNothing, AnEmptyDatabasePrintsTheHeadersAloneAndSaysWhy) {
    test::TempDir dir;
    const std::string path = dir.file("empty.db");
    for (const char* offices : {"", "--offices"}) {
        std::vector<std::string> args{"--db", path, "trend"};
        if (*offices) args.push_back(offices);
        const Outcome o = runCli(args);
        EXPECT_EQ(o.status, kExitOk);
        EXPECT_EQ(o.out, *offices ? "Office Name\n" : kHeader);
        EXPECT_EQ(o.err, "No bank or ORV data in these months.\n");
    }
    const Outcome exported = runCli({"--db", path, "export", "trend", "--out", dir.file("out")});
    EXPECT_EQ(exported.status, kExitFailed);
    EXPECT_NE(exported.err.find("No data to export."), std::string::npos) << exported.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("out")));
}

TEST_F(TrendVerbsTest, ExportWritesTheWorkbookNamedForItsMonths) {
    struct Case {
        std::vector<std::string> months;
        std::string file;
    };
    const Case cases[] = {
        {{}, "Trend_2025-02_2025-07.xlsx"},  // every month held
        {{"2025-01", "2025-04"}, "Trend_2025-01_2025-04.xlsx"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::vector<std::string> args{"export", "trend"};
        args.insert(args.end(), c.months.begin(), c.months.end());
        args.insert(args.end(), {"--out", dir.file("out")});
        const Outcome o = run(args);
        EXPECT_EQ(o.status, kExitOk) << o.err;
        const std::string expected = (std::filesystem::path(dir.file("out")) / c.file).string();
        EXPECT_EQ(o.out, expected + "\n");
        EXPECT_TRUE(std::filesystem::exists(expected));
    }
}

}  // namespace
}  // namespace vesk::cli
