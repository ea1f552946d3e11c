#include <gtest/gtest.h>

#include <filesystem>

#include "app/cli/CliRunner.h"
#include "core/Platform.h"
#include "support/MonthDatabase.h"
#include "support/TempDir.h"

namespace vesk::cli {
namespace {

const std::string kVerbsHeader =
    "Office ID\tFacility ID\tOffice Name\tVESK Dep\tORV Dep\tDiff Dep\tVESK Wdl\tORV Wdl\tDiff Wdl\n";

// The verbs print the grids the form shows (their rules are checked on the form's logic);
// here each verb reaches them, and any year of 1900 to 9999 is compared, not only the form's list.
TEST(CompareVerbs, PrintTheGridsAndWriteTheirWorkbooks) {
    test::TempDir dir;
    const std::string path = dir.file("t.db");
    {
        test::MonthDatabase db(path);
        db.configure("Hill HO");
        db.office("1", "Hill HO", "HPO", "Hill HO", "F1");
        db.office("2", "Bay S.O", "SO", "Hill HO", "F2");
        db.deposit("F1", "03/04/2025", "10");
        db.orv("1", "03/04/2025", "Receipt", "10");
        db.withdrawal("F2", "04/04/2025 11:00:00", "5.5");
        db.deposit("F2", "01/01/1900", "1");
    }
    struct VerbCase {
        std::vector<std::string> args;
        int status;
        std::string out;
    };
    const std::string total = "\t\tTOTAL (1)\t0.00\t0.00\t0.00\t5.50\t0.00\t5.50\n";
    const std::vector<VerbCase> cases = {
        {{"compare", "2025", "april"},
         kExitOk,
         kVerbsHeader + "2\tF2\tBay S.O\t0.00\t0.00\t0.00\t5.50\t0.00\t5.50*\n" + total},
        {{"detail", "2025", "April", "bay s.o"},
         kExitOk,
         "Date\tOffice Name\tVESK Dep\tORV Dep\tDiff Dep\tVESK Wdl\tORV Wdl\tDiff Wdl\n"
         "04/04/2025\tBay S.O\t0.00\t0.00\t0.00\t5.50\t0.00\t5.50*\n"},
        {{"compare", "1900", "1"},
         kExitOk,
         kVerbsHeader + "2\tF2\tBay S.O\t1.00\t0.00\t1.00*\t0.00\t0.00\t0.00\n\t\tTOTAL "
                        "(1)\t1.00\t0.00\t1.00\t0.00\t0.00\t0.00\n"},
        {{"compare", "10000", "1"}, kExitUsage, ""},
    };
    for (const VerbCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        std::vector<std::string> args{"--db", path};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Outcome o = runCli(args);
        EXPECT_EQ(o.status, c.status) << o.err;
        EXPECT_EQ(o.out, c.out);
    }

    // export writes the workbook where it is told, prints its path and names that folder.
    const std::string out = dir.file("elsewhere");
    for (const auto& [how, file] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"consolidated", "--filter", "b"}, "April_2025_Consolidated_Difference.xlsx"},
             {{"detailed", "--office", "All"}, "April_2025_Detailed_Difference.xlsx"}}) {
        SCOPED_TRACE(how[0]);
        std::vector<std::string> args{"--db", path, "export", how[0], "2025", "4", how[1], how[2], "--out", out};
        const Outcome e = runCli(args);
        EXPECT_EQ(e.status, kExitOk) << e.err;
        EXPECT_EQ(e.out, platform::joinPath(out, file) + "\n");
        EXPECT_TRUE(std::filesystem::exists(out + "/" + file));
        EXPECT_NE(e.err.find("Folder : " + out), std::string::npos) << e.err;
    }
    EXPECT_EQ(runCli({"--db", path, "export", "detailed", "2025", "4", "--office", "Nowhere", "--out", out}).status,
              kExitFailed);

    // A taken name is kept, byte for byte, unless --yes replaces it.
    const std::string taken = platform::joinPath(out, "April_2025_Consolidated_Difference.xlsx");
    test::writeBytes(taken, "the clerk's notes");
    const std::vector<std::string> again{"--db", path, "export", "consolidated", "2025", "4", "--out", out};
    const Outcome kept = runCli(again);
    EXPECT_EQ(kept.status, kExitFailed);
    EXPECT_EQ(kept.out, "");
    EXPECT_NE(kept.err.find("Replace it?"), std::string::npos) << kept.err;
    EXPECT_EQ(test::fileBytes(taken), "the clerk's notes");
    std::vector<std::string> replacing = again;
    replacing.push_back("--yes");
    EXPECT_EQ(runCli(replacing).status, kExitOk);
    EXPECT_NE(test::fileBytes(taken), "the clerk's notes");
}

}  // namespace
}  // namespace vesk::cli
