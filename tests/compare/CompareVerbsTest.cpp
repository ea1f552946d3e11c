#include <gtest/gtest.h>

#include <filesystem>

#include "app/cli/CliRunner.h"
#include "support/MonthDatabase.h"
#include "support/TempDir.h"

namespace vesk::cli {
namespace {

// A command line on the database, its exit status and what it prints.
struct VerbCase {
    std::vector<std::string> args;
    int status;
    std::string out;
};

const std::string kVerbsHeader =
    "Office ID\tFacility ID\tOffice Name\tVESK Dep\tORV Dep\tDiff Dep\tVESK Wdl\tORV Wdl\tDiff Wdl\n";
const std::string kVerbsDetailHeader = "Date\tOffice Name\tVESK Dep\tORV Dep\tDiff Dep\tVESK Wdl\tORV Wdl\tDiff Wdl\n";

void expectRuns(const std::string& path, const std::vector<VerbCase>& cases) {
    for (const VerbCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        std::vector<std::string> args{"--db", path};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Outcome o = runCli(args);
        EXPECT_EQ(o.status, c.status) << o.err;
        EXPECT_EQ(o.out, c.out);
    }
}

TEST(CompareVerbs, PrintTheGridsAsTheFormShowsThem) {
    test::TempDir dir;
    const std::string path = dir.file("t.db");
    {
        test::MonthDatabase db(path);
        db.configure("Hill HO");
        db.office("1", "Hill HO", "HPO", "Hill HO", "F1");
        db.office("2", "Bay S.O", "SO", "Hill HO", "F2");
        db.office("3", "Totalpur", "SO", "Hill HO", "F3");
        db.deposit("F1", "03/04/2025", "10");
        db.orv("1", "03/04/2025", "Receipt", "10");
        db.withdrawal("F2", "04/04/2025 11:00:00", "5.5");
        db.deposit("F3", "05/04/2025", "2");
        db.orv("3", "06/04/2025", "Receipt", "2");
    }
    const std::string bay = "2\tF2\tBay S.O\t0.00\t0.00\t0.00\t5.50\t0.00\t5.50*\n";
    const std::string total = "\t\tTOTAL (1)\t0.00\t0.00\t0.00\t5.50\t0.00\t5.50\n";

    const std::vector<VerbCase> cases = {
        {{"compare", "2025", "4"}, kExitOk, kVerbsHeader + bay + total},
        {{"compare", "2025", "april", "--filter", "tot"}, kExitOk, kVerbsHeader + total},
        {{"detail", "2025", "April", "bay s.o"},
         kExitOk,
         kVerbsDetailHeader + "04/04/2025\tBay S.O\t0.00\t0.00\t0.00\t5.50\t0.00\t5.50*\n"},
        {{"detail", "2025", "4", "Totalpur"}, kExitFailed, ""},  // agrees for the month: not listed
        {{"compare", "2025", "5"}, kExitFailed, ""},             // nothing in May
        {{"compare", "twenty", "4"}, kExitUsage, ""},
        {{"detail", "2025", "4"}, kExitUsage, ""},
    };
    expectRuns(path, cases);
    const Outcome o = runCli({"--db", path, "detail", "2025", "4", "All"});
    EXPECT_NE(o.err.find("Comparison Completed (Offices Under Hill HO). Differences found in 1 Offices."),
              std::string::npos)
        << o.err;
    EXPECT_NE(o.err.find("Data Fetched..."), std::string::npos);

    // export writes the workbook where it is told and prints its path.
    const std::string out = dir.file("out");
    struct ExportCase {
        std::vector<std::string> args;
        int status;
        std::string file;
    };
    const std::vector<ExportCase> exports = {
        {{"consolidated", "2025", "4", "--filter", "b"}, kExitOk, "April_2025_Consolidated_Difference.xlsx"},
        {{"detailed", "2025", "April", "--office", "All"}, kExitOk, "April_2025_Detailed_Difference.xlsx"},
        {{"detailed", "2025", "4", "--office", "Nowhere"}, kExitFailed, ""},
    };
    for (const ExportCase& c : exports) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        std::vector<std::string> args{"--db", path, "export"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.insert(args.end(), {"--out", out});
        const Outcome e = runCli(args);
        EXPECT_EQ(e.status, c.status) << e.err;
        if (c.status == kExitOk) {
            EXPECT_EQ(e.out, out + "/" + c.file + "\n");
            EXPECT_TRUE(std::filesystem::exists(out + "/" + c.file));
        }
    }
}

// Any year from 1900 to 9999 is compared, not only the years the form's list offers, and
// the saved workbook's message names the folder actually written.
TEST(CompareVerbs, AnyYearIsCompared) {
    test::TempDir dir;
    const std::string path = dir.file("t.db");
    {
        test::MonthDatabase db(path);
        db.configure("Division");
        db.office("1", "Division", "PDN", "", "F1");
        db.office("2", "Bay S.O", "SO", "", "F2");
        db.deposit("F2", "31/12/2024", "7.5");
        db.deposit("F2", "01/01/1900", "1");
    }
    const std::vector<VerbCase> cases = {
        {{"compare", "2024", "12"},
         kExitOk,
         kVerbsHeader + "2\tF2\tBay S.O\t7.50\t0.00\t7.50*\t0.00\t0.00\t0.00\n\t\tTOTAL "
                        "(1)\t7.50\t0.00\t7.50\t0.00\t0.00\t0.00\n"},
        {{"detail", "2024", "December", "All"},
         kExitOk,
         kVerbsDetailHeader + "31/12/2024\tBay S.O\t7.50\t0.00\t7.50*\t0.00\t0.00\t0.00\n"},
        {{"compare", "1900", "1"},
         kExitOk,
         kVerbsHeader + "2\tF2\tBay S.O\t1.00\t0.00\t1.00*\t0.00\t0.00\t0.00\n\t\tTOTAL "
                        "(1)\t1.00\t0.00\t1.00\t0.00\t0.00\t0.00\n"},
        {{"compare", "10000", "1"}, kExitUsage, ""},
    };
    expectRuns(path, cases);

    const std::string out = dir.file("elsewhere");
    const Outcome e = runCli({"--db", path, "export", "consolidated", "2024", "12", "--out", out});
    EXPECT_EQ(e.status, kExitOk) << e.err;
    EXPECT_NE(e.err.find("Folder : " + out), std::string::npos) << e.err;
    EXPECT_EQ(e.err.find("Folder : VESK - ORV Output"), std::string::npos) << e.err;
}

}  // namespace
}  // namespace vesk::cli
