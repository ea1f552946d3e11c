#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "CliRunner.h"
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
        {{"frobnicate"}, kExitUsage},
        {{"--db", "x.db"}, kExitUsage},  // no verb
        {{"inspect", m_raw, m_raw}, kExitUsage},
        {{"inspect", m_raw, "--rows", "5x"}, kExitUsage},
        {{"inspect", m_raw, "--sheet", "last"}, kExitUsage},
        {{"inspect", "--", m_raw}, kExitOk},
        {{"inspect", m_dir.file("missing.xlsx")}, kExitFailed},
        {{"sample", dir, "--offices", "6", "--rows", "11"}, kExitUsage},
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
    EXPECT_NE(runCli({"inspect", m_dir.file("missing.xlsx")}).err.find("missing.xlsx"), std::string::npos);
}

TEST_F(CliFiles, UsageGoesToOutputWhenAskedForAndToErrorsOtherwise) {
    Outcome asked = runCli({"--help"});
    EXPECT_NE(asked.out.find("--db FILE"), std::string::npos);
    EXPECT_EQ(runCli({}).err, asked.out);
    EXPECT_NE(runCli({"frobnicate"}).err.find("unknown verb 'frobnicate'"), std::string::npos);
    EXPECT_EQ(runCli({"--db=/tmp/y.db", "inspect", m_raw}).database, "/tmp/y.db");
    EXPECT_EQ(runCli({"inspect", m_raw}).database, std::nullopt);
}

TEST_F(CliFiles, InspectPrintsCellsAsStoredWithErrorsMarked) {
    EXPECT_EQ(runCli({"inspect", m_raw}).out,
              "name\tamount\twhen\t\n"
              "O'Neil Road\t1250.5\t#ERROR\t\n"
              "\t\t\t\n"
              "\t\t\tlast\n");  // trimmed, as every import stores it
    EXPECT_EQ(runCli({"inspect", m_raw, "--rows", "2"}).out, "name\tamount\twhen\t\nO'Neil Road\t1250.5\t#ERROR\t\n");
    EXPECT_EQ(runCli({"inspect", m_raw, "--rows=0"}).out, "");

    const std::string fixture = test::fixture("libreoffice.xlsx");  // saved with its second sheet active
    const Outcome first = runCli({"inspect", fixture, "--rows", "1"});
    EXPECT_EQ(first.out.substr(0, 8), "TRAN_ID\t") << first.err;
    EXPECT_EQ(runCli({"inspect", fixture, "--sheet", "active"}).out.substr(0, 6), "second");
}

// One row stays one line and its cells stay apart, whatever the cells hold.
TEST_F(CliFiles, InspectEscapesWhatWouldBreakARow) {
    struct Case {
        const char* name;
        std::string cell;  // as the workbook holds it (XML: a carriage return only as _x000D_)
        std::string shown;
    };
    const Case cases[] = {
        {"tab", "a\tb", "a\\tb"},
        {"line break", "first\nsecond", "first\\nsecond"},
        {"carriage return and line break", "first_x000D_\nsecond", "first\\r\\nsecond"},
        {"backslash", "C:\\in\\new", "C:\\\\in\\\\new"},
        {"escape-like text", "\\t is no tab", "\\\\t is no tab"},
        {"blanks at the ends are trimmed first", "\n\t x\ty \r\n", "x\\ty"},
        {"nothing to escape", "O'Neil Road", "O'Neil Road"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = m_dir.file("escapes.xlsx");
        test::writeRawXlsx(path, {{c.cell, "next"}});
        EXPECT_EQ(runCli({"inspect", path}).out, c.shown + "\tnext\n");
    }
}

TEST_F(CliFiles, SampleWritesTheMonthAndListsThePlantedDifferences) {
    const std::string dir = m_dir.file("out/nested");
    const std::vector<std::string> args = {"sample",      dir,       "--offices", "12",     "--rows", "40",
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
    // The missing entry, the amount off, the office without ORV rows, and the booking habits
    // that change a month's totals each make an office differ.
    std::size_t differences = 0, habits = 0;
    for (std::size_t at = 0; (at = o.out.find("expected difference\t", at)) != std::string::npos; ++at) ++differences;
    for (const char* habit : {"planted duplicate entry\t", "planted deposit booked next month\t",
                              "planted receipt of last month's deposit\t"})
        habits += o.out.find(habit) != std::string::npos;
    EXPECT_EQ(habits, 3u);
    EXPECT_GE(differences, 4u);
    EXPECT_LE(differences, 6u);
    EXPECT_NE(o.out.find("planted late booking\t"), std::string::npos);
    EXPECT_NE(o.out.find("\t40 rows\n"), std::string::npos);
    // The same seed writes the same month again.
    EXPECT_EQ(runCli(args).out, o.out);
}

}  // namespace
}  // namespace vesk::cli
