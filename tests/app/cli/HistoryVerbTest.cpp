#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "CliRunner.h"
#include "sample/SampleSet.h"
#include "support/TempDir.h"

namespace vesk::cli {
namespace {

// An amount of paise as the command line prints amounts: two decimals, no grouping.
std::string plain(std::int64_t paise) {
    const std::string cents = std::to_string(paise % 100);
    return std::to_string(paise / 100) + "." + (cents.size() < 2 ? "0" : "") + cents;
}

std::string fileName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

TEST(HistoryVerb, PrintsEveryChangeNewestFirstAndOneFormsWhenAsked) {
    test::TempDir dir;
    sample::SampleOptions options;
    options.offices = 6;
    options.rows = 40;
    const sample::SampleSet set = sample::writeSampleSet(dir.file("month"), options);
    std::int64_t bankIn = 0, bankOut = 0, orvIn = 0, orvOut = 0;
    int receipts = 0;
    for (const auto& b : set.data.bankRows) (b.deposit ? bankIn : bankOut) += b.paise;
    for (const auto& r : set.data.orvRows) {
        receipts += r.receipt ? 1 : 0;
        (r.receipt ? orvIn : orvOut) += r.paise;
    }
    const int orvRows = int(set.data.orvRows.size());

    const auto cli = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--db", dir.file("t.db")});
        return runCli(args);
    };
    EXPECT_EQ(cli({"history"}).out, "");  // a new file has none, and says nothing
    for (const std::string& file : {set.officeMasterPath, set.ctrPath, set.orvReceiptsPath, set.orvPaymentsPath}) {
        const std::string verb = file == set.officeMasterPath ? "import-master"
                                 : file == set.ctrPath        ? "import-ctr"
                                                              : "import-orv";
        ASSERT_EQ(cli({verb, file, "--yes"}).status, kExitOk) << verb;
    }
    ASSERT_EQ(cli({"import-ctr", set.ctrPath}).status, kExitFailed);  // not confirmed: nothing recorded
    const Outcome again = cli({"import-ctr", set.ctrPath, "--yes"});
    ASSERT_EQ(again.status, kExitOk);
    EXPECT_TRUE(std::regex_search(
        again.err, std::regex("for: \r?\n\r?\nApril 2025\r?\n\r?\nThis file was already imported on "
                              "[0-3][0-9]/[01][0-9]/20[0-9][0-9] [0-2][0-9]:[0-5][0-9]\\.\r?\nAre you sure")))
        << again.err;
    ASSERT_EQ(cli({"delete-month", "orv", "2025", "Apr", "--yes"}).status, kExitOk);

    const std::string ctr = "Bank CTR import\tApril 2025\t" + fileName(set.ctrPath) + "\t" +
                            std::to_string(set.data.bankRows.size()) + "\t" + plain(bankIn) + "\t" + plain(bankOut);
    const std::vector<std::string> all = {
        "ORV month deletion\tApril 2025\t\t" + std::to_string(orvRows) + "\t" + plain(orvIn) + "\t" + plain(orvOut),
        ctr,
        "ORV payments import\tApril 2025\t" + fileName(set.orvPaymentsPath) + "\t" +
            std::to_string(orvRows - receipts) + "\t0.00\t" + plain(orvOut),
        "ORV receipts import\tApril 2025\t" + fileName(set.orvReceiptsPath) + "\t" + std::to_string(receipts) + "\t" +
            plain(orvIn) + "\t0.00",
        ctr,
        "Configured office change\t\t" + set.data.divisionOffice + "\t1\t\t",
        "Office master import\t\t" + fileName(set.officeMasterPath) + "\t" + std::to_string(options.offices) + "\t\t",
    };
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> lines;  // without their times
    };
    const Case cases[] = {
        {{"history"}, all},
        {{"history", "ctr"}, {all[1], all[4]}},
        {{"history", "orv"}, {all[0], all[2], all[3]}},
        {{"history", "master"}, {all[5], all[6]}},
    };
    const std::regex time("^20[0-9]{2}-[01][0-9]-[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9]\t");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.back());
        const Outcome o = cli(c.args);
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
    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"history", "bank"}, {"history", "ctr", "orv"}})
        EXPECT_EQ(cli(wrong).status, kExitUsage);
}

}  // namespace
}  // namespace vesk::cli
