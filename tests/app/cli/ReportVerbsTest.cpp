#include <gtest/gtest.h>

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

TEST(ReportVerbs, TheMonthlyReportsFromTheCommandLine) {
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
        {{"summary", "ctr"}, kExitFailed, ""},  // no office master yet
        {{"import-ctr", set.ctrPath, "--yes"}, kExitFailed, ""},
        {{"import-master", set.officeMasterPath, "--yes"}, kExitOk, std::nullopt},
        {{"import-ctr", set.ctrPath}, kExitFailed, ""},  // not confirmed without a terminal
        {{"import-ctr", set.ctrPath, "--yes"}, kExitOk, ""},
        {{"import-orv", set.ctrPath, "--yes"}, kExitFailed, ""},  // B1 is not try_posting_date
        {{"import-orv", set.orvReceiptsPath, "--yes"}, kExitOk, ""},
        {{"import-orv", set.orvPaymentsPath, "--yes"}, kExitOk, ""},
        {{"summary", "ctr"}, kExitOk, bankSummary},
        {{"summary", "orv"}, kExitOk, orvSummary},
        {{"delete-month", "orv", "2025", "Apr"}, kExitFailed, ""},
        {{"delete-month", "ctr", "2025", "Mar", "--yes"}, kExitFailed, ""},
        {{"delete-month", "orv", "2025", "Apr", "--yes"}, kExitOk, ""},
        {{"summary", "orv"}, kExitOk, ""},
        {{"summary", "ctr"}, kExitOk, bankSummary},
        {{"summary", "bank"}, kExitUsage, ""},
        {{"import-orv"}, kExitUsage, ""},
    };
    for (const Step& s : steps) {
        std::vector<std::string> args{"--db", dir.file("t.db")};
        args.insert(args.end(), s.args.begin(), s.args.end());
        SCOPED_TRACE(testing::PrintToString(s.args));
        Outcome o = runCli(args);
        EXPECT_EQ(o.status, s.status) << o.err;
        if (s.out) {
            EXPECT_EQ(o.out, *s.out);
        }
    }
}

}  // namespace
}  // namespace vesk::cli
