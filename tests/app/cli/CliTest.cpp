#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "CliRunner.h"
#include "sheet/WorkbookWriter.h"
#include "support/RawXlsx.h"
#include "support/TempDir.h"

namespace vesk::cli {
namespace {

using test::RawCell;
using test::TempDir;

class CliFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        m_raw = m_dir.file("raw.xlsx");
        test::writeRawXlsx(m_raw, {
                                      {"name", "amount", "when"},
                                      {"O'Neil Road", RawCell::number("1250.50"), RawCell::error("#N/A")},
                                      {},
                                      {RawCell(), RawCell(), RawCell(), "  last  "},
                                  });
    }

    TempDir m_dir;
    std::string m_raw;
};

TEST_F(CliFiles, ExitStatusFollowsTheOutcome) {
    struct Case {
        std::vector<std::string> args;
        int status;
    };
    const std::string dir = m_dir.file("sample");
    const std::vector<Case> cases = {
        {{}, kExitUsage},
        {{"--help"}, kExitOk},
        {{"-h"}, kExitOk},
        {{"frobnicate"}, kExitUsage},
        {{"--verbose", "inspect", m_raw}, kExitUsage},
        {{"--db"}, kExitUsage},
        {{"--db="}, kExitUsage},
        {{"--db", "x.db"}, kExitUsage},  // no verb
        {{"inspect"}, kExitUsage},
        {{"inspect", m_raw, m_raw}, kExitUsage},
        {{"inspect", m_raw, "--rows"}, kExitUsage},
        {{"inspect", m_raw, "--rows", "ten"}, kExitUsage},
        {{"inspect", m_raw, "--rows=-1"}, kExitUsage},
        {{"inspect", m_raw, "--rows", "5x"}, kExitUsage},
        {{"inspect", m_raw, "--rows", "2", "--rows", "3"}, kExitUsage},
        {{"inspect", m_raw, "--sheet", "last"}, kExitUsage},
        {{"inspect", m_raw, "--colour", "red"}, kExitUsage},
        {{"inspect", m_raw, "--help"}, kExitOk},
        {{"inspect", m_raw}, kExitOk},
        {{"inspect", "--", m_raw}, kExitOk},
        {{"--db", m_dir.file("a.db"), "inspect", m_raw}, kExitOk},
        {{"inspect", m_dir.file("missing.xlsx")}, kExitFailed},
        {{"inspect", m_dir.path().string()}, kExitFailed},
        {{"sample"}, kExitUsage},
        {{"sample", dir, "--offices", "5"}, kExitUsage},
        {{"sample", dir, "--offices", "6", "--rows", "11"}, kExitUsage},
        {{"sample", dir, "--month", "13"}, kExitUsage},
        {{"sample", dir, "--seed", "-1"}, kExitUsage},
        {{"sample", m_raw}, kExitFailed},  // a file where the folder should be
    };
    for (const auto& c : cases) {
        std::string line;
        for (const auto& a : c.args) line += a + " ";
        SCOPED_TRACE(line);
        Outcome o = runCli(c.args);
        EXPECT_EQ(o.status, c.status) << o.err;
        if (c.status == kExitOk) {
            EXPECT_EQ(o.err, "");
        } else {
            EXPECT_FALSE(o.err.empty());
            EXPECT_EQ(o.out, "");
        }
    }
    EXPECT_FALSE(std::filesystem::exists(dir)) << "a refused sample wrote files";
}

TEST_F(CliFiles, UsageGoesToOutputWhenAskedForAndToErrorsOtherwise) {
    Outcome asked = runCli({"--help"});
    EXPECT_NE(asked.out.find("inspect"), std::string::npos);
    EXPECT_NE(asked.out.find("sample"), std::string::npos);
    EXPECT_NE(asked.out.find("--db FILE"), std::string::npos);
    Outcome wrong = runCli({});
    EXPECT_EQ(wrong.out, "");
    EXPECT_EQ(wrong.err, asked.out);
    Outcome unknown = runCli({"frobnicate"});
    EXPECT_NE(unknown.err.find("unknown verb 'frobnicate'"), std::string::npos);
}

TEST_F(CliFiles, DatabaseOptionIsTakenBeforeTheVerb) {
    EXPECT_EQ(runCli({"--db", "/tmp/x.db", "inspect", m_raw}).database, "/tmp/x.db");
    EXPECT_EQ(runCli({"--db=/tmp/y.db", "inspect", m_raw}).database, "/tmp/y.db");
    EXPECT_EQ(runCli({"inspect", m_raw}).database, std::nullopt);
}

TEST_F(CliFiles, InspectPrintsCellsAsStoredWithErrorsMarked) {
    struct Case {
        std::vector<std::string> extra;
        std::string out;
    };
    const std::string all =
        "name\tamount\twhen\t\n"
        "O'Neil Road\t1250.5\t#ERROR\t\n"
        "\t\t\t\n"
        "\t\t\t  last  \n";
    const std::vector<Case> cases = {
        {{}, all},
        {{"--rows", "2"}, "name\tamount\twhen\t\nO'Neil Road\t1250.5\t#ERROR\t\n"},
        {{"--rows=0"}, ""},
        {{"--rows", "100"}, all},
        {{"--sheet", "active"}, all},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"inspect", m_raw};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        std::string line;
        for (const auto& a : args) line += a + " ";
        SCOPED_TRACE(line);
        Outcome o = runCli(args);
        EXPECT_EQ(o.status, kExitOk) << o.err;
        EXPECT_EQ(o.out, c.out);
    }
}

TEST_F(CliFiles, InspectShowsDatesAndNumbersInTheStoredForm) {
    const std::string path = m_dir.file("written.xlsx");
    sheet::WorkbookWriter w(path, "S");
    sheet::CellStyle dashed;
    dashed.numberFormat = "dd-mm-yyyy";
    w.writeDate(1, 1, DateTime{2025, 4, 5}, dashed);
    w.writeDate(1, 2, DateTime{2025, 4, 5, 10, 32, 11});
    w.writeNumber(1, 3, 8455000200.0);
    w.writeNumber(1, 4, 0.1);
    w.writeText(2, 1, "1,250.00");
    w.save();
    Outcome o = runCli({"inspect", path});
    EXPECT_EQ(o.out, "2025-04-05\t2025-04-05 10:32:11\t8455000200\t0.1\n1,250.00\t\t\t\n");
}

TEST_F(CliFiles, InspectReadsTheActiveSheetWhenAsked) {
    const std::string fixture = test::fixture("libreoffice.xlsx");  // saved with its second sheet active
    Outcome first = runCli({"inspect", fixture, "--rows", "1"});
    Outcome active = runCli({"inspect", fixture, "--sheet", "active"});
    ASSERT_EQ(first.status, kExitOk) << first.err;
    ASSERT_EQ(active.status, kExitOk) << active.err;
    EXPECT_EQ(first.out.substr(0, 8), "TRAN_ID\t");
    EXPECT_NE(active.out, first.out);
}

TEST_F(CliFiles, InspectFailureNamesTheFile) {
    Outcome o = runCli({"inspect", m_dir.file("missing.xlsx")});
    EXPECT_EQ(o.status, kExitFailed);
    EXPECT_NE(o.err.find("missing.xlsx"), std::string::npos) << o.err;
}

TEST_F(CliFiles, SampleWritesTheMonthAndListsThePlantedDifferences) {
    const std::string dir = m_dir.file("out/nested");
    const std::vector<std::string> args = {"sample",      dir,       "--offices", "8",      "--rows", "40",
                                           "--year=2025", "--month", "3",         "--seed", "11"};
    Outcome o = runCli(args);
    ASSERT_EQ(o.status, kExitOk) << o.err;
    for (const char* name :
         {"office_master.xlsx", "vesk_ctr_Mar_2025.xlsx", "orv_receipts_Mar_2025.xlsx", "orv_payments_Mar_2025.xlsx"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(std::filesystem::exists(dir + "/" + name));
        EXPECT_NE(o.out.find(name), std::string::npos);
    }
    for (const char* line : {"planted missing ORV entry\t", "planted ORV amount off\t", "planted bank rows only\t",
                             "planted ORV rows only\t", "planted unknown facility\t", "bank CTR\t"})
        EXPECT_NE(o.out.find(line), std::string::npos) << line;
    // Three offices differ: the missing entry, the amount off and the office without ORV rows.
    std::size_t differences = 0;
    for (std::size_t at = 0; (at = o.out.find("expected difference\t", at)) != std::string::npos; ++at) ++differences;
    EXPECT_EQ(differences, 3u);
    EXPECT_NE(o.out.find("\t40 rows\n"), std::string::npos);
    // The same seed writes the same month again.
    EXPECT_EQ(runCli(args).out, o.out);
}

}  // namespace
}  // namespace vesk::cli
