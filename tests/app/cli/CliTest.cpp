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
        {{"--db", "x.db"}, kExitUsage},  // no verb
        {{"inspect", m_raw, "--rows", "5x"}, kExitUsage},
        {{"inspect", m_raw, "--sheet", "last"}, kExitUsage},
        {{"inspect", m_dir.file("missing.xlsx")}, kExitFailed},
        {{"sample", dir, "--offices", "6", "--rows", "11"}, kExitUsage},
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
        {"blanks at the ends are trimmed first", "\n\t x\ty \r\n", "x\\ty"},
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
    for (const char* line : {"planted missing ORV entry\t", "planted late booking\t", "bank CTR\t",
                             "expected difference\t", "\t40 rows\n"})
        EXPECT_NE(o.out.find(line), std::string::npos) << line;
    // The same seed writes the same month again.
    EXPECT_EQ(runCli(args).out, o.out);
}

// Wrong use is refused before the verb reaches the database: the file is neither opened nor
// created, and the message is the kind's own.
TEST_F(CliFiles, WrongUseIsRefusedBeforeTheDatabaseIsTouched) {
    struct Case {
        std::vector<std::string> args;
        std::string error;  // the first line on the error stream
    };
    const std::vector<Case> cases = {
        {{"compare", "2025", "13"}, "compare: MONTH must be 1 to 12 or a month's full name, not '13'"},
        {{"compare", "1899", "1"}, "compare: YEAR must be from 1900 to 9999"},
        {{"explain", "2025", "4"}, "explain: give YEAR, MONTH and an office name or All"},
        {{"note", "foo", "1"}, "note: the side is bank or orv, not 'foo'"},
        {{"note", "bank", "1", "--status", "maybe"}, "note: the status is open, explained or resolved, not 'maybe'"},
        {{"history", "foo"}, "history: the form is ctr, orv, master, pairs, closes or database, not 'foo'"},
        {{"summary", "foo"}, "summary: the report is ctr or orv, not 'foo'"},
        {{"set-office", "  "}, "set-office: give an office name"},
        {{"open-items", "--as-of", "31/13/2025"}, "open-items: --as-of takes a date dd/mm/yyyy, not '31/13/2025'"},
        {{"trend", "2025-03"}, "trend: give FROM and TO (YYYY-MM), or neither for every month held"},
        {{"trend", "2025-13", "2025-14"}, "trend: FROM must be a month as YYYY-MM (1900-01 to 9999-12), not '2025-13'"},
        {{"daily-backups", "maybe"}, "daily-backups: give on or off, not 'maybe'"},
        {{"export"},
         "export: give consolidated, detailed or unmatched, YEAR and MONTH (or explained, YEAR, MONTH, "
         "OFFICE)"},
        {{"export", "trend", "--matched"}, "export: trend takes only --out and --yes"},
    };
    const std::string path = m_dir.file("untouched.db");
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const Outcome o = runCli(path, c.args);
        EXPECT_EQ(o.status, kExitUsage);
        EXPECT_EQ(o.err.substr(0, o.err.find('\n')), "vesk-orv-cli " + c.error);
        // The usage that follows is the verb's as a whole, an export's too.
        EXPECT_NE(o.err.find("\nusage: vesk-orv-cli [--db FILE] " + c.args.front() + " "), std::string::npos);
        EXPECT_EQ(o.out, "");
        EXPECT_FALSE(std::filesystem::exists(path));
    }
}

// Where the file is looked for is the location's own test's to check.
// The reference in docs/ and the manual page are the table's own text: a verb or option added
// without them fails here (make them again with `vesk-orv-cli help --markdown > docs/cli.md`
// and `vesk-orv-cli help --man > packaging/vesk-orv-cli.1`).
TEST(HelpVerb, TellsWhatHelpTellsAndTheCommittedReferenceIsTheTables) {
    EXPECT_EQ(runCli({"help"}).out, runCli({"--help"}).out);
    EXPECT_EQ(runCli({"help", "compare"}).out, runCli({"compare", "--help"}).out);
    EXPECT_EQ(runCli({"help", "nothing"}).status, kExitUsage);
    const Outcome reference = runCli({"help", "--markdown"});
    ASSERT_EQ(reference.status, kExitOk);
    EXPECT_EQ(reference.out, test::fileBytes(std::string(VESK_DOCS) + "/cli.md"));
    for (const char* shown : {"### `export`", "#### `export trend`", "- `--yes`: replaces a workbook"})
        EXPECT_NE(reference.out.find(shown), std::string::npos) << shown;
    const Outcome page = runCli({"help", "--man"});
    ASSERT_EQ(page.status, kExitOk);
    EXPECT_EQ(page.out, test::fileBytes(std::string(VESK_PACKAGING) + "/vesk-orv-cli.1"));
    // Each verb a tagged paragraph, its options bold and its arguments in italics; the prose
    // around them kept.
    for (const char* shown : {".SH NAME\n", ".SH VERBS\n.TP\n\\fBinspect\\fP \\fIFILE\\fP [\\fB\\-\\-rows\\fP",
                              ".TP\n\\fBexport trend\\fP", ".SH EXIT STATUS\n", ".SH FILES\n"})
        EXPECT_NE(page.out.find(shown), std::string::npos) << shown;
}

TEST(WhereVerb, NamesTheFileAndWhyWithoutCreatingIt) {
    test::TempDir dir;
    const std::string named = dir.file("named.db");
    const Outcome o = runCli({"--db", named, "where"});
    EXPECT_EQ(o.status, kExitOk) << o.err;
    EXPECT_EQ(o.out, named + "\nnamed with --db; not created yet\n");
    EXPECT_FALSE(std::filesystem::exists(named));
    EXPECT_EQ(runCli({"where", "extra"}).status, kExitUsage);
}

}  // namespace
}  // namespace vesk::cli
