#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>

#include "CliRunner.h"
#include "cli/VerbPrompter.h"
#include "office/OfficeWording.h"
#include "sample/SampleSet.h"
#include "store/Schema.h"
#include "support/RawXlsx.h"
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
        {{"import-ctr", set.ctrPath, "--yes"}, kExitOk, ""},
        {{"import-orv", set.orvReceiptsPath, "--yes"}, kExitOk, ""},
        {{"summary", "ctr"}, kExitOk, bankSummary},
        {{"delete-month", "orv", "2025", "Apr", "--yes"}, kExitOk, ""},
        {{"summary", "orv"}, kExitOk, ""},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::PrintToString(s.args));
        const Outcome o = runCli(dir.file("t.db"), s.args);
        EXPECT_EQ(o.status, s.status) << o.err;
        if (s.out) {
            EXPECT_EQ(o.out, *s.out);
        }
    }

    // Each change on a line of its own after its time, the form's alone when one is named; the
    // order and the choice are the history's own tests' to check.
    const std::string bankLine = "Bank CTR import\tApril 2025\t" +
                                 std::filesystem::path(set.ctrPath).filename().string() + "\t" + std::to_string(rows) +
                                 "\t" + historyPlain(bankIn) + "\t" + historyPlain(bankOut) + "\n";
    const Outcome o = runCli(dir.file("t.db"), {"history", "ctr"});
    EXPECT_EQ(o.status, kExitOk) << o.err;
    const std::regex time("^20[0-9]{2}-[01][0-9]-[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9]\t");
    EXPECT_TRUE(std::regex_search(o.out, time)) << o.out;
    EXPECT_EQ(o.out.substr(std::min<std::size_t>(20, o.out.size())), bankLine);
}

using test::RawCell;

// An office master of the division office, a head office and a sub office under it.
std::string officeMaster(const test::TempDir& dir) {
    std::vector<std::vector<RawCell>> rows(1);
    for (const auto& c : store::tableColumns(store::Table::Master)) rows[0].emplace_back(c);
    rows.push_back({"1", "Hill Division", "PDN", "", "F1"});
    rows.push_back({"2", "O'Neil Road H.O", "HPO", "O'Neil Road H.O", "F2"});
    rows.push_back({"3", "Bay S.O", "SO", "O'Neil Road H.O", "F3"});
    const std::string path = dir.file("master.xlsx");
    test::writeRawXlsx(path, rows);
    return path;
}

// What a verb run with --yes shows of the messages: each answered Yes on the terminal.
std::string officeShown(const std::vector<Message>& messages) {
    std::istringstream in;
    std::ostringstream err;
    TerminalPrompter terminal(in, err, false, false);
    VerbPrompter verb(terminal, true);
    for (const Message& m : messages) verb.message(m);
    return err.str();
}

// The office verbs run the office form's flows: they ask its questions and say its notices,
// in its words, and print what it shows; which the flows ask is the flows' own tests' to check.
TEST(OfficeVerbs, TheOfficeMasterCycleFromTheCommandLine) {
    test::TempDir dir;
    const std::string master = officeMaster(dir);
    struct Step {
        std::vector<std::string> args;
        int status;
        std::string out;                 // empty: not checked
        std::vector<Message> said = {};  // empty: not checked
    };
    const std::string none = "\nconfigured office\t\n";
    const std::string both = "Hill Division\nO'Neil Road H.O\n\nconfigured office\t";
    const std::string counted = "3 office details updated successfully.\n";
    namespace w = office;
    const std::vector<Step> steps = {
        {{"offices"}, kExitOk, none},
        {{"import-master", master}, kExitFailed, ""},  // not confirmed without a terminal
        {{"import-master", master, "--yes"}, kExitOk, counted, {w::masterOverwriteQuestion(), w::masterImported()}},
        {{"offices"}, kExitOk, both + "Hill Division\n"},
        {{"set-office", " o'neil road h.o ", "--yes"}, kExitOk, ""},
        {{"offices"}, kExitOk, both + "O'Neil Road H.O\n"},
        {{"set-office", "Nowhere", "--yes"},
         kExitFailed,
         "",
         {w::saveOfficeQuestion("Nowhere"), w::officeNotFound("Nowhere")}},
        {{"delete-offices", "--yes"}, kExitOk, ""},
        {{"offices"}, kExitOk, none},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::PrintToString(s.args));
        const Outcome o = runCli(dir.file("t.db"), s.args);
        EXPECT_EQ(o.status, s.status) << o.err;
        if (!s.out.empty()) {
            EXPECT_EQ(o.out, s.out);
        }
        if (!s.said.empty()) {
            EXPECT_EQ(o.err, officeShown(s.said));
        }
    }
}

}  // namespace
}  // namespace vesk::cli
