#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "CliRunner.h"
#include "sample/SampleSet.h"
#include "support/TempDir.h"

namespace vesk::cli {
namespace {

// An amount of paise as the history prints amounts: two decimals, no grouping.
std::string historyPlain(std::int64_t paise) {
    const std::string cents = std::to_string(paise % 100);
    return std::to_string(paise / 100) + "." + (cents.size() < 2 ? "0" : "") + cents;
}

// What the imports and deletions do and record is the reports' and the history's own tests' to
// check; here, that the verbs reach them and print what they show.
TEST(ReportVerbs, TheMonthlyReportsAndTheirHistoryFromTheCommandLine) {
    test::TempDir dir;
    sample::SampleOptions options;
    options.offices = 8;
    options.rows = 60;
    const sample::SampleSet set = sample::writeSampleSet(dir.file("month"), options);

    int deposits = 0;
    std::int64_t bankIn = 0, bankOut = 0;
    for (const auto& b : set.data.bankRows) {
        deposits += b.deposit ? 1 : 0;
        (b.deposit ? bankIn : bankOut) += b.paise;
    }
    const int rows = int(set.data.bankRows.size());
    const std::string bankSummary =
        "YEAR\tMONTH\tTOTAL ENTRIES\tDEP COUNT\tDEP AMOUNT\tWDL COUNT\tWDL AMOUNT\n2025\tApr\t" + std::to_string(rows) +
        "\t" + std::to_string(deposits) + "\t" + sample::groupedAmount(bankIn) + "\t" +
        std::to_string(rows - deposits) + "\t" + sample::groupedAmount(bankOut) + "\n";
    struct Step {
        std::vector<std::string> args;
        int status;
        std::optional<std::string> out;
    };
    const std::vector<Step> steps = {
        {{"history"}, kExitOk, ""},             // a new file has none, and says nothing
        {{"summary", "ctr"}, kExitFailed, ""},  // no office master yet
        {{"import-master", set.officeMasterPath, "--yes"}, kExitOk, std::nullopt},
        {{"import-ctr", set.ctrPath}, kExitFailed, ""},  // not confirmed without a terminal
        {{"import-ctr", set.ctrPath, "--yes"}, kExitOk, ""},
        {{"import-orv", set.orvReceiptsPath, "--yes"}, kExitOk, ""},
        {{"summary", "ctr"}, kExitOk, bankSummary},
        {{"delete-month", "orv", "2025", "Apr", "--yes"}, kExitOk, ""},
        {{"summary", "orv"}, kExitOk, ""},
        {{"history", "ctr", "orv"}, kExitUsage, ""},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::PrintToString(s.args));
        const Outcome o = runCli(dir.file("t.db"), s.args);
        EXPECT_EQ(o.status, s.status) << o.err;
        if (s.out) {
            EXPECT_EQ(o.out, *s.out);
        }
    }

    // Each change on a line of its own, newest first, the form's alone when one is named.
    const std::string bankLine = "Bank CTR import\tApril 2025\t" +
                                 std::filesystem::path(set.ctrPath).filename().string() + "\t" + std::to_string(rows) +
                                 "\t" + historyPlain(bankIn) + "\t" + historyPlain(bankOut);
    const std::regex time("^20[0-9]{2}-[01][0-9]-[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9]\t");
    for (const auto& [form, count] : {std::pair<std::string, std::size_t>{"", 5}, {"ctr", 1}, {"orv", 2}}) {
        SCOPED_TRACE(form);
        std::vector<std::string> args{"history"};
        if (!form.empty()) args.push_back(form);
        const Outcome o = runCli(dir.file("t.db"), args);
        EXPECT_EQ(o.status, kExitOk) << o.err;
        std::vector<std::string> lines;
        std::string previous = "9999";
        std::istringstream out(o.out);
        for (std::string line; std::getline(out, line);) {
            ASSERT_TRUE(std::regex_search(line, time)) << line;
            EXPECT_LE(line.substr(0, 19), previous);  // newest first
            previous = line.substr(0, 19);
            lines.push_back(line.substr(20));
        }
        ASSERT_EQ(lines.size(), count);
        if (form == "ctr") {
            EXPECT_EQ(lines[0], bankLine);
        }
    }
}

}  // namespace
}  // namespace vesk::cli
