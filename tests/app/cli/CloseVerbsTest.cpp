#include <gtest/gtest.h>

#include <sstream>

#include "CliRunner.h"
#include "notes/Notes.h"
#include "sample/SampleSet.h"
#include "store/Connection.h"
#include "store/DatabaseFiles.h"
#include "support/SheetRows.h"
#include "support/TempDir.h"

namespace vesk::cli {
namespace {

// Month, By and State of every close listed, and the digests.
struct ListedCloses {
    std::vector<std::string> states;
    std::vector<std::string> digests;
};

class CloseVerbsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sample::SampleOptions options;
        options.offices = 8;
        options.rows = 60;
        set = sample::writeSampleSet(dir.file("month"), options);
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"import-master", set.officeMasterPath, "--yes"},
              {"import-ctr", set.ctrPath, "--yes"},
              {"import-orv", set.orvReceiptsPath, "--yes"},
              {"import-orv", set.orvPaymentsPath, "--yes"}}) {
            const Outcome r = runCli(db, args);
            ASSERT_EQ(r.status, kExitOk) << args[0] << ": " << r.err;
        }
    }

    Outcome cli(const std::vector<std::string>& args) { return runCli(db, args); }

    ListedCloses closes() {
        const Outcome r = cli({"closes"});
        EXPECT_EQ(r.status, kExitOk) << r.err;
        ListedCloses out;
        const std::vector<std::string> lines = textParts(r.out);
        if (lines.empty()) return out;
        for (std::size_t l = 1; l < lines.size(); ++l) {
            const std::vector<std::string> cells = textParts(lines[l], '\t');
            EXPECT_EQ(cells.size(), 8u) << lines[l];
            if (cells.size() != 8) continue;
            EXPECT_EQ(cells[2], notes::loginName());
            EXPECT_EQ(cells[7].size(), 64u);
            out.states.push_back(cells[0] + " " + cells[3]);
            out.digests.push_back(cells[7]);
        }
        return out;
    }

    test::TempDir dir;
    std::string db = dir.file("ZETTools.db");
    sample::SampleSet set;
};

// What each verb does to a month's close, step by step: the refusals and questions themselves
// are the close's own tests' to check.
TEST_F(CloseVerbsTest, ClosingReopeningAndTheQuestionsBeforeAClosedMonthChanges) {
    using States = std::vector<std::string>;
    struct Step {
        const char* what;
        std::vector<std::string> args;
        int status;
        const char* said;  // part of what the step tells, or nothing
        States states;     // the closes listed after it
    };
    const std::string ctr = set.ctrPath, closed = "2025-04 closed", reopened = "2025-04 reopened";
    const Step steps[] = {
        {"unanswered close", {"close", "2025", "4"}, kExitFailed, "Close April 2025?", {}},
        {"close", {"close", "2025", "4", "--yes"}, kExitOk, "April 2025 closed by", {closed}},
        {"import unanswered", {"import-ctr", ctr}, kExitFailed, "The month April 2025 was closed on ", {closed}},
        {"import reopens", {"import-ctr", ctr, "--yes"}, kExitOk, nullptr, {reopened}},
        {"closed again", {"close", "2025", "4", "--yes"}, kExitOk, nullptr, {reopened, closed}},
        {"reopen", {"reopen", "2025", "4", "--yes"}, kExitOk, "April 2025 reopened", {reopened, reopened}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        const Outcome r = cli(step.args);
        EXPECT_EQ(r.status, step.status) << r.err;
        if (step.said) {
            EXPECT_NE(r.err.find(step.said), std::string::npos) << r.err;
        }
        EXPECT_EQ(closes().states, step.states);
    }
    std::vector<std::string> kept;
    for (const std::string& line : textParts(cli({"history", "closes"}).out)) kept.push_back(textParts(line, '\t')[1]);
    EXPECT_EQ(kept, (std::vector<std::string>{"Month reopened", "Month closed", "Month reopened", "Month closed"}));
}

// A closed month writes what was closed; check finds a close changed
// behind the program's back, and one taken out of the chain.
TEST_F(CloseVerbsTest, AClosedStatementStaysAsClosedAndCheckFindsOneChanged) {
    const std::string before = cli({"statement", "2025", "4"}).out;
    const std::string itemsBefore = cli({"statement", "2025", "4", "--items"}).out;
    EXPECT_EQ(
        itemsBefore.rfind("State\tSince\tSide\tID\tDate\tOffice Name\tKind\tAmount\tClass\tStatus\tNote\tHow\n", 0), 0u)
        << itemsBefore;
    ASSERT_EQ(cli({"close", "2025", "4", "--yes"}).status, kExitOk);
    const std::string digest = closes().digests.at(0);
    const std::string closedFile = test::fileBytes(db);
    EXPECT_EQ(cli({"statement", "2025", "4"}).out, before);
    EXPECT_EQ(cli({"statement", "2025", "4", "--items"}).out, itemsBefore);  // the items as they were closed
    EXPECT_EQ(cli({"check"}).out, "ok\n");

    const std::string out = dir.file("out");
    const Outcome exported = cli({"export", "statement", "2025", "4", "--out", out});
    ASSERT_EQ(exported.status, kExitOk) << exported.err;
    const std::vector<std::string> rows = test::sheetRows(out + "/April_2025_Statement.xlsx");
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.back().rfind("Closed on ", 0), 0u) << rows.back();
    EXPECT_NE(rows.back().find(", digest " + digest.substr(0, 16)), std::string::npos) << rows.back();

    struct Tamper {
        const char* what;
        const char* sql;
        const char* found;
    };
    const Tamper tampers[] = {
        {"a stored line", "UPDATE month_close_lines SET deposits = deposits + 1 WHERE line = 0",
         "no longer matches its digest"},
        {"a stored item", "UPDATE month_close_items SET cells = cells || 'x'", "no longer matches its digest"},
        {"who closed it", "UPDATE month_closes SET closed_by = 'someone'", "no longer matches its digest"},
        {"the chain", "UPDATE month_closes SET previous_digest = digest", "does not follow the close before it"},
    };
    for (const Tamper& t : tampers) {
        SCOPED_TRACE(t.what);
        test::writeBytes(db, closedFile);  // each change made to the file as closed
        {
            store::Connection c;
            c.open(db);
            c.execute(t.sql);
        }
        const Outcome r = cli({"check"});
        EXPECT_EQ(r.status, kExitFailed);
        EXPECT_EQ(r.out.rfind("The close of April 2025 made on ", 0), 0u) << r.out;
        EXPECT_NE(r.out.find(t.found), std::string::npos) << r.out;
    }
}

}  // namespace
}  // namespace vesk::cli
