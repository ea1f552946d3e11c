#include <gtest/gtest.h>

#include <filesystem>

#include "app/cli/CliRunner.h"
#include "compare/CompareWording.h"
#include "compare/OfficeLists.h"
#include "core/Platform.h"
#include "support/MonthDatabase.h"
#include "support/SheetRows.h"
#include "support/TempDir.h"

namespace vesk::compare {
namespace {

// A printed line of a verb as the workbook holds it: numbered, a red amount's mark and the
// empty cells at its end gone.
std::string asSheetRow(int serial, std::string line) {
    std::erase(line, '*');
    std::replace(line.begin(), line.end(), '\t', '|');
    while (!line.empty() && line.back() == '|') line.pop_back();
    return std::to_string(serial) + "|" + line;
}

class OfficeListsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::MonthDatabase db(path);
        db.configure("Hill HO");
        db.office("9", "Karwar Division", "PDN", "", "F9");
        db.office("8", "Hill HO", "HPO", "Hill HO", "F8");
        db.office("1", "Bay S.O", "SO", "Hill HO", "F1");
        db.deposit("F1", "03/04/2025", "10");  // only in VESK
        db.deposit("F1", "05/04/2025", "100");
        db.orv("1", "05/04/2025", "Receipt", "100");
        db.withdrawal("F1", "07/04/2025", "50");
        db.orv("1", "07/04/2025", "Payment", "45");  // amounts differ
        // Two names that agree once made safe for a file name.
        db.office("2", "A/B's SO", "SO", "Hill HO", "F2");
        db.deposit("F2", "04/04/2025", "20");
        db.office("3", "A:B's SO", "SO", "Hill HO", "F3");
        db.deposit("F3", "06/04/2025", "30");
        db.orv("3", "06/04/2025", "Receipt", "35");
        db.office("4", "Calm SO", "SO", "Hill HO", "F4");  // agrees: no list
        db.deposit("F4", "08/04/2025", "5");
        db.orv("4", "08/04/2025", "Receipt", "5");
    }
    cli::Outcome officeLists(std::vector<std::string> more = {}) {
        std::vector<std::string> args{"office-lists", "2025", "4", "--out", out};
        args.insert(args.end(), more.begin(), more.end());
        return cli::runCli(path, args);
    }
    std::string file(const std::string& name) const { return platform::joinPath(out, name); }

    test::TempDir dir;
    std::string path = dir.file("t.db");
    std::string out = dir.file("lists");
};

TEST_F(OfficeListsTest, EachWorkbookHoldsItsOfficesDatesAndRowsOfExplainAndTheSummaryListsThem) {
    const cli::Outcome o = officeLists();
    ASSERT_EQ(o.status, cli::kExitOk) << o.err;
    const std::string summary = file("Office_Lists_April_2025.xlsx");
    EXPECT_EQ(o.out, file("A_B's SO_April_2025_To_Explain.xlsx") + "\n" +
                         file("A_B's SO (2)_April_2025_To_Explain.xlsx") + "\n" +
                         file("Bay S.O_April_2025_To_Explain.xlsx") + "\n" + summary + "\n");
    const std::vector<std::string> lines = cli::textParts(o.out);
    const std::vector<std::string> offices = {"A/B's SO", "A:B's SO", "Bay S.O"};
    for (std::size_t k = 0; k < offices.size(); ++k) {
        SCOPED_TRACE(offices[k]);
        std::vector<std::string> expected = {"Karwar Division", "Hill HO",
                                             offices[k] + " \u2014 to explain, April 2025", "Differences by date"};
        const std::vector<std::string> dates =
            cli::textParts(cli::runCli(path, {"detail", "2025", "4", offices[k]}).out);
        expected.push_back("Sl.No|" + asSheetRow(0, dates[0]).substr(2));
        for (std::size_t i = 1; i < dates.size(); ++i) expected.push_back(asSheetRow(int(i), dates[i]));
        expected.insert(expected.end(), {"", "Rows to explain"});
        const std::vector<std::string> rows =
            cli::textParts(cli::runCli(path, {"explain", "2025", "4", offices[k]}).out);
        expected.push_back("Sl.No|" + asSheetRow(0, rows[0]).substr(2) + "|Office's reply");
        for (std::size_t i = 1; i < rows.size(); ++i) expected.push_back(asSheetRow(int(i), rows[i]));

        const std::vector<std::string> written = test::sheetRows(lines[k]);
        ASSERT_GT(written.size(), expected.size());
        EXPECT_EQ(std::vector<std::string>(written.begin(), written.begin() + std::ptrdiff_t(expected.size())),
                  expected);
        EXPECT_EQ(written[expected.size()], "");  // then the legend
    }
    // Bay S.O's differing rows carry their hint.
    EXPECT_EQ(test::sheetRows(lines[2])[11],
              "2|Bay S.O|Withdrawal|VESK|07/04/2025|T4|50.00|Amounts differ|1||||ORV A5 is 5.00 less");

    const std::vector<std::string> listed = test::sheetRows(summary);
    EXPECT_EQ(std::vector<std::string>(listed.begin() + 3, listed.end()),
              (std::vector<std::string>{"Sl.No|Office Name|Differing Dates|Rows to Explain|File",
                                        "1|A/B's SO|1|1|A_B's SO_April_2025_To_Explain.xlsx",
                                        "2|A:B's SO|1|2|A_B's SO (2)_April_2025_To_Explain.xlsx",
                                        "3|Bay S.O|2|3|Bay S.O_April_2025_To_Explain.xlsx"}));
}

TEST_F(OfficeListsTest, ATakenNameIsKeptWithoutYesAndTheOthersAreWritten) {
    const std::string taken = file("Bay S.O_April_2025_To_Explain.xlsx");
    std::filesystem::create_directories(platform::fsPath(out));
    test::writeBytes(taken, "the office's reply");
    const cli::Outcome kept = officeLists();
    EXPECT_EQ(kept.status, cli::kExitFailed);
    EXPECT_NE(kept.err.find("kept " + taken + ": nothing written (--yes replaces it)"), std::string::npos) << kept.err;
    EXPECT_EQ(test::fileBytes(taken), "the office's reply");
    EXPECT_EQ(cli::textParts(kept.out).size(), 3u);  // the two others and the summary, which lists them only
    EXPECT_EQ(test::sheetRows(file("Office_Lists_April_2025.xlsx")).size(), 6u);

    const cli::Outcome one = officeLists({"--office", "bay s.o", "--yes"});
    EXPECT_EQ(one.status, cli::kExitOk) << one.err;
    EXPECT_EQ(one.out, taken + "\n" + file("Office_Lists_April_2025.xlsx") + "\n");
    EXPECT_NE(test::fileBytes(taken), "the office's reply");
    EXPECT_EQ(officeLists({"--office", "Calm SO"}).status, cli::kExitFailed);  // agrees: not in the office list
}

TEST(OfficeListFileNames, AreSafeOnWindowsAndLinuxAndNeverShared) {
    const std::vector<std::pair<std::string, std::string>> cases = {{"A/B's SO", "A_B's SO"},
                                                                    {"x\\y:z*?\"<>|", "x_y_z______"},
                                                                    {"Tab\tRoad\x7f", "Tab_Road_"},
                                                                    {" Bay S.O. . ", "Bay S.O"},
                                                                    {"CON", "_CON"},
                                                                    {"nul.x", "_nul.x"},
                                                                    {"Com1 ", "_Com1"},
                                                                    {"CONSUL", "CONSUL"},
                                                                    {"...", "_"}};
    for (const auto& [name, safe] : cases) EXPECT_EQ(fileNamePart(name), safe) << name;

    OfficeListsMonth month;
    month.context = exportContext({2025, 4}, "Hill HO");
    month.offices = {"A/B", "a:b", "A_B", "C"};
    std::vector<std::string> names;
    for (const OfficeList& list : officeLists(month)) names.push_back(list.fileName);
    EXPECT_EQ(names, (std::vector<std::string>{"A_B_April_2025_To_Explain.xlsx", "a_b (2)_April_2025_To_Explain.xlsx",
                                               "A_B (3)_April_2025_To_Explain.xlsx", "C_April_2025_To_Explain.xlsx"}));
}

}  // namespace
}  // namespace vesk::compare
