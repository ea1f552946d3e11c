#include <gtest/gtest.h>

#include "CliRunner.h"
#include "notes/Notes.h"
#include "sample/SampleSet.h"
#include "store/Connection.h"
#include "support/SheetRows.h"
#include "support/TempDir.h"

namespace vesk::cli {
namespace {

// A line's tab-separated cells.
std::vector<std::string> closeVerbCells(const std::string& line) {
    std::vector<std::string> out(1);
    for (char ch : line) {
        if (ch == '\t')
            out.emplace_back();
        else if (ch != '\n')
            out.back() += ch;
    }
    return out;
}

std::vector<std::string> closeVerbLines(const std::string& text) {
    std::vector<std::string> out;
    std::string line;
    for (char ch : text) {
        if (ch == '\n') {
            out.push_back(line);
            line.clear();
        } else {
            line += ch;
        }
    }
    return out;
}

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
        const std::vector<std::string> lines = closeVerbLines(r.out);
        if (lines.empty()) return out;
        EXPECT_EQ(lines[0], "Month\tClosed\tBy\tState\tDifference Dep\tDifference Wdl\tCarried Forward\tDigest");
        for (std::size_t l = 1; l < lines.size(); ++l) {
            const std::vector<std::string> cells = closeVerbCells(lines[l]);
            EXPECT_EQ(cells.size(), 8u) << lines[l];
            if (cells.size() != 8) continue;
            EXPECT_EQ(cells[2], notes::loginName());
            EXPECT_EQ(cells[7].size(), 64u);
            out.states.push_back(cells[0] + " " + cells[3]);
            out.digests.push_back(cells[7]);
        }
        return out;
    }
    std::size_t historyCount() { return closeVerbLines(cli({"history"}).out).size(); }

    test::TempDir dir;
    std::string db = dir.file("ZETTools.db");
    sample::SampleSet set;
};

// What each verb does to a month's close, step by step; a refused or unanswered step writes nothing.
TEST_F(CloseVerbsTest, ClosingReopeningAndTheQuestionsBeforeAClosedMonthChanges) {
    const std::string statementBefore = cli({"statement", "2025", "4"}).out;
    const std::string itemsBefore = cli({"statement", "2025", "4", "--items"}).out;
    ASSERT_FALSE(statementBefore.empty());
    using States = std::vector<std::string>;
    struct Step {
        const char* what;
        std::vector<std::string> args;
        int status;
        const char* said;  // part of what the step tells, or nothing
        States states;     // the closes listed after it
        bool recorded;     // a record more in the history
    };
    const Step steps[] = {
        {"unanswered close", {"close", "2025", "4"}, kExitFailed, "Close April 2025?", {}, false},
        {"close", {"close", "2025", "4", "--yes"}, kExitOk, "April 2025 closed by", {"2025-04 closed"}, true},
        {"closed twice", {"close", "2025", "4", "--yes"}, kExitFailed, "already", {"2025-04 closed"}, false},
        {"import unanswered",
         {"import-ctr", set.ctrPath},
         kExitFailed,
         "The month April 2025 was closed on ",
         {"2025-04 closed"},
         false},
        {"deletion unanswered",
         {"delete-month", "orv", "2025", "Apr"},
         kExitFailed,
         ". Reopen it?",
         {"2025-04 closed"},
         false},
        {"reopen unanswered", {"reopen", "2025", "4"}, kExitFailed, "Reopen it?", {"2025-04 closed"}, false},
        {"import reopens", {"import-ctr", set.ctrPath, "--yes"}, kExitOk, nullptr, {"2025-04 reopened"}, true},
        {"reopen of no close",
         {"reopen", "2025", "4", "--yes"},
         kExitFailed,
         "is not closed",
         {"2025-04 reopened"},
         false},
        {"closed again",
         {"close", "2025", "4", "--yes"},
         kExitOk,
         nullptr,
         {"2025-04 reopened", "2025-04 closed"},
         true},
        {"deletion reopens",
         {"delete-month", "ctr", "2025", "Apr", "--yes"},
         kExitOk,
         nullptr,
         {"2025-04 reopened", "2025-04 reopened"},
         true},
        {"no bank rows",
         {"close", "2025", "4", "--yes"},
         kExitFailed,
         "No bank rows are held for April 2025",
         {"2025-04 reopened", "2025-04 reopened"},
         false},
        {"bank rows back",
         {"import-ctr", set.ctrPath, "--yes"},
         kExitOk,
         nullptr,
         {"2025-04 reopened", "2025-04 reopened"},
         false},
        {"third close",
         {"close", "2025", "4", "--yes"},
         kExitOk,
         nullptr,
         {"2025-04 reopened", "2025-04 reopened", "2025-04 closed"},
         true},
        {"reopen",
         {"reopen", "2025", "4", "--yes"},
         kExitOk,
         "April 2025 reopened",
         {"2025-04 reopened", "2025-04 reopened", "2025-04 reopened"},
         true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        const std::size_t before = historyCount();
        const Outcome r = cli(step.args);
        EXPECT_EQ(r.status, step.status) << r.err;
        if (step.said) {
            EXPECT_NE(r.err.find(step.said), std::string::npos) << r.err;
        }
        EXPECT_EQ(closes().states, step.states);
        // An import adds its own record besides the reopening's.
        const bool imported = step.status == kExitOk && step.args[0] != "close" && step.args[0] != "reopen";
        EXPECT_EQ(historyCount(), before + (step.recorded ? 1 : 0) + (imported ? 1 : 0));
    }
    // Every close and reopen in the history, newest first.
    std::vector<std::string> kept;
    for (const std::string& line : closeVerbLines(cli({"history", "closes"}).out))
        kept.push_back(closeVerbCells(line)[1] + " " + closeVerbCells(line)[2]);
    EXPECT_EQ(kept, (std::vector<std::string>{"Month reopened April 2025", "Month closed April 2025",
                                              "Month reopened April 2025", "Month closed April 2025",
                                              "Month reopened April 2025", "Month closed April 2025"}));
    // Reimported as it was, the month's statement is what it was before any close.
    EXPECT_EQ(cli({"statement", "2025", "4"}).out, statementBefore);
    EXPECT_EQ(cli({"statement", "2025", "4", "--items"}).out, itemsBefore);
}

// A closed month prints and writes what was closed, --now what it is; check finds a close changed
// behind the program's back, and one taken out of the chain.
TEST_F(CloseVerbsTest, AClosedStatementStaysAsClosedAndCheckFindsOneChanged) {
    const std::string before = cli({"statement", "2025", "4"}).out;
    ASSERT_EQ(cli({"close", "2025", "4", "--yes"}).status, kExitOk);
    const std::string digest = closes().digests.at(0);
    EXPECT_EQ(cli({"statement", "2025", "4"}).out, before);
    EXPECT_EQ(cli({"statement", "2025", "4", "--now"}).out, before);
    EXPECT_EQ(cli({"check"}).out, "ok\n");

    const std::string out = dir.file("out");
    for (const bool now : {false, true}) {
        SCOPED_TRACE(now ? "--now" : "as closed");
        std::vector<std::string> args{"export", "statement", "2025", "4", "--out", out};
        if (now) args.push_back("--now");
        const Outcome r = cli(args);
        ASSERT_EQ(r.status, kExitOk) << r.err;
        const std::vector<std::string> rows = test::sheetRows(out + "/April_2025_Statement.xlsx");
        ASSERT_FALSE(rows.empty());
        const std::string& last = rows.back();
        if (now) {
            EXPECT_EQ(last.rfind("Computed on ", 0), 0u) << last;
        } else {
            EXPECT_EQ(last.rfind("Closed on ", 0), 0u) << last;
            EXPECT_NE(last.find(" by " + notes::loginName() + ", digest " + digest.substr(0, 16)), std::string::npos)
                << last;
            EXPECT_EQ(last.size(), last.find(", digest ") + 9 + 16) << last;
        }
    }

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
        {
            store::Connection c;
            c.open(db);
            store::Transaction tx = c.begin();
            c.execute(t.sql);
            tx.commit();
        }
        const Outcome r = cli({"check"});
        EXPECT_EQ(r.status, kExitFailed);
        EXPECT_EQ(r.out.rfind("The close of April 2025 made on ", 0), 0u) << r.out;
        EXPECT_NE(r.out.find(t.found), std::string::npos) << r.out;
        // Back as it was, check finds nothing again.
        store::Connection c;
        c.open(db);
        c.execute("DELETE FROM month_closes");
        c.execute("DELETE FROM month_close_lines");
        c.execute("DELETE FROM month_close_items");
        c.close();
        ASSERT_EQ(cli({"close", "2025", "4", "--yes"}).status, kExitOk);
        EXPECT_EQ(cli({"check"}).out, "ok\n");
    }
}

}  // namespace
}  // namespace vesk::cli
