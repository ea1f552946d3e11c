#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "CliRunner.h"
#include "sample/SampleSet.h"
#include "support/TempDir.h"

namespace vesk::cli {
namespace {

// The summary line a sample month should give, amounts as the grid shows them.
std::string summaryLine(int rows, int deposits, std::int64_t depositPaise, int withdrawals,
                        std::int64_t withdrawalPaise) {
    return "2025\tApr\t" + std::to_string(rows) + "\t" + std::to_string(deposits) + "\t" +
           sample::groupedAmount(depositPaise) + "\t" + std::to_string(withdrawals) + "\t" +
           sample::groupedAmount(withdrawalPaise) + "\n";
}

// An amount of paise as the history prints amounts: two decimals, no grouping.
std::string historyPlain(std::int64_t paise) {
    const std::string cents = std::to_string(paise % 100);
    return std::to_string(paise / 100) + "." + (cents.size() < 2 ? "0" : "") + cents;
}

std::string historyFileName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

// What the imports and deletions do and record is the reports' and the history's own tests' to
// check; here, that the verbs reach them and print what they show.
TEST(ReportVerbs, TheMonthlyReportsAndTheirHistoryFromTheCommandLine) {
    test::TempDir dir;
    sample::SampleOptions options;
    options.offices = 8;
    options.rows = 60;
    const sample::SampleSet set = sample::writeSampleSet(dir.file("month"), options);

    int bankDeposits = 0, receipts = 0;
    std::int64_t bankIn = 0, bankOut = 0, orvIn = 0, orvOut = 0;
    for (const auto& b : set.data.bankRows) {
        bankDeposits += b.deposit ? 1 : 0;
        (b.deposit ? bankIn : bankOut) += b.paise;
    }
    for (const auto& r : set.data.orvRows) {
        receipts += r.receipt ? 1 : 0;
        (r.receipt ? orvIn : orvOut) += r.paise;
    }
    const int bankRows = int(set.data.bankRows.size()), orvRows = int(set.data.orvRows.size());
    const std::string header = "YEAR\tMONTH\tTOTAL ENTRIES\tDEP COUNT\tDEP AMOUNT\tWDL COUNT\tWDL AMOUNT\n";
    const std::string bankSummary =
        header + summaryLine(bankRows, bankDeposits, bankIn, bankRows - bankDeposits, bankOut);
    const std::string orvSummary = header + summaryLine(orvRows, receipts, orvIn, orvRows - receipts, orvOut);

    struct Step {
        std::vector<std::string> args;
        int status;
        std::optional<std::string> out;
    };
    const std::vector<Step> steps = {
        {{"history"}, kExitOk, ""},             // a new file has none, and says nothing
        {{"summary", "ctr"}, kExitFailed, ""},  // no office master yet
        {{"import-ctr", set.ctrPath, "--yes"}, kExitFailed, ""},
        {{"import-master", set.officeMasterPath, "--yes"}, kExitOk, std::nullopt},
        {{"import-ctr", set.ctrPath}, kExitFailed, ""},  // not confirmed without a terminal
        {{"import-ctr", set.ctrPath, "--yes"}, kExitOk, ""},
        {{"import-orv", set.orvReceiptsPath, "--yes"}, kExitOk, ""},
        {{"import-orv", set.orvPaymentsPath, "--yes"}, kExitOk, ""},
        {{"summary", "ctr"}, kExitOk, bankSummary},
        {{"summary", "orv"}, kExitOk, orvSummary},
        {{"delete-month", "orv", "2025", "Apr"}, kExitFailed, ""},
        {{"delete-month", "orv", "2025", "Apr", "--yes"}, kExitOk, ""},
        {{"summary", "orv"}, kExitOk, ""},
        {{"summary", "ctr"}, kExitOk, bankSummary},
        {{"summary", "bank"}, kExitUsage, ""},
        {{"import-orv"}, kExitUsage, ""},
        {{"history", "bank"}, kExitUsage, ""},
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
    const std::vector<std::string> all = {
        "ORV month deletion\tApril 2025\t\t" + std::to_string(orvRows) + "\t" + historyPlain(orvIn) + "\t" +
            historyPlain(orvOut),
        "ORV payments import\tApril 2025\t" + historyFileName(set.orvPaymentsPath) + "\t" +
            std::to_string(orvRows - receipts) + "\t0.00\t" + historyPlain(orvOut),
        "ORV receipts import\tApril 2025\t" + historyFileName(set.orvReceiptsPath) + "\t" + std::to_string(receipts) +
            "\t" + historyPlain(orvIn) + "\t0.00",
        "Bank CTR import\tApril 2025\t" + historyFileName(set.ctrPath) + "\t" + std::to_string(bankRows) + "\t" +
            historyPlain(bankIn) + "\t" + historyPlain(bankOut),
        "Configured office change\t\t" + set.data.divisionOffice + "\t1\t\t",
        "Office master import\t\t" + historyFileName(set.officeMasterPath) + "\t" + std::to_string(options.offices) +
            "\t\t",
    };
    struct Case {
        std::string form;
        std::vector<std::string> lines;  // without their times
    };
    const Case cases[] = {
        {"", all},
        {"ctr", {all[3]}},
        {"orv", {all[0], all[1], all[2]}},
        {"master", {all[4], all[5]}},
    };
    const std::regex time("^20[0-9]{2}-[01][0-9]-[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9]\t");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.form);
        std::vector<std::string> args{"history"};
        if (!c.form.empty()) args.push_back(c.form);
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
        EXPECT_EQ(lines, c.lines);
    }
}

}  // namespace
}  // namespace vesk::cli
