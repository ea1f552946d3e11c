#include <gtest/gtest.h>

#include <filesystem>

#include "TrendDatabase.h"
#include "app/cli/CliRunner.h"
#include "support/TempDir.h"

namespace vesk::cli {
namespace {

const std::string kHeader =
    "Month\tOffices\tDiffering\tVESK Dep\tORV Dep\tDiff Dep\tVESK Wdl\tORV Wdl\tDiff Wdl\tTo Explain\n";

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
    const std::string march = "2025-03\t0\t0\t0.00\t0.00\t0.00\t0.00\t0.00\t0.00\t0.00\n";
    const std::string april = "2025-04\t4\t3\t235.50\t225.00\t10.50\t73.00\t75.00\t-2.00\t18.50\n";
    struct Step {
        std::vector<std::string> args;
        int status;
        std::string out;
        std::string err = {};  // a part of what it says
    };
    const Step steps[] = {
        {{"trend"},
         kExitOk,
         kHeader + "2025-02\t3\t2\t5.00\t0.00\t5.00\t50.00\t40.00\t10.00\t15.00\n" + march + april +
             "2025-05\t0\t0\t0.00\t0.00\t0.00\t0.00\t0.00\t0.00\t0.00\n" +
             "2025-07\t2\t0\t0.00\t0.00\t0.00\t0.00\t0.00\t0.00\t0.00\n"},
        {{"trend", "2025-03", "2025-4"}, kExitOk, kHeader + march + april},
        {{"trend", "--offices"},
         kExitOk,
         "Office Name\t2025-02\t2025-03\t2025-04\t2025-05\t2025-07\n"
         "Alpha SO\t\t\t5.50\t\t\n"
         "Beta SO\t10.00\t\t10.00\t\t\n"
         "delta SO\t\t\t3.00\t\t\n"
         "Gamma SO\t5.00\t\t\t\t\n"},
        // The range's refusal passes through both verbs.
        {{"trend", "2025-05", "2025-04"}, kExitUsage, "", "FROM 2025-05 is after TO 2025-04."},
        {{"export", "trend", "2025-05", "2025-04"}, kExitUsage, "", "FROM 2025-05 is after TO 2025-04."},
        // Every month held, the file named for them.
        {{"export", "trend", "--out", out}, kExitOk, workbook + "\n"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::PrintToString(s.args));
        std::vector<std::string> args = s.args;
        args.insert(args.begin(), {"--db", path});
        const Outcome o = runCli(args);
        EXPECT_EQ(o.status, s.status) << o.err;
        EXPECT_EQ(o.out, s.out);
        EXPECT_NE(o.err.find(s.err), std::string::npos) << o.err;
    }
    EXPECT_TRUE(std::filesystem::exists(workbook));
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

}  // namespace
}  // namespace vesk::cli
