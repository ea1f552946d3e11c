#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "app/cli/CliRunner.h"
#include "compare/Explanation.h"
#include "compare/PairingRules.h"
#include "history/ImportHistory.h"
#include "review/MonthClose.h"
#include "review/RulesFlows.h"
#include "review/RulesTrial.h"
#include "review/StoredPairing.h"
#include "store/StoreTestSupport.h"
#include "store/StoredRows.h"
#include "support/ErrorOf.h"
#include "support/MonthDatabase.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

namespace vesk::review {
namespace {

using compare::PairClass;
using compare::PairingRules;

const DateTime kSetAt{2025, 6, 3, 10, 30};

PairingRules weekWindow() {
    PairingRules r;
    r.timingDays = 7;
    return r;
}

// Two offices under Hill HO and one under Bay HO. April: a receipt booked 5 days late (a week's
// window pairs it), a row paired on the same day, one booked under the sister office; May: a
// receipt 6 days late.
class RulesTrialTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db.office("1", "Hill HO", "HPO", "Hill HO", "F1");
        db.office("2", "Hill SO", "SO", "Hill HO", "F2");
        db.office("3", "Bay HO", "HPO", "Bay HO", "F3");
        db.configure("Hill HO");
        db.deposit("F2", "10/04/2025", "500");  // T1
        db.orv("2", "15/04/2025", "R", "500");  // A2: 5 days on
        db.deposit("F2", "11/04/2025", "40");   // T3
        db.orv("2", "11/04/2025", "R", "40");   // A4: matched
        db.deposit("F2", "12/04/2025", "75");   // T5: booked under Hill HO
        db.orv("1", "12/04/2025", "R", "75");   // A6
        db.deposit("F3", "14/04/2025", "90");   // T7: Bay HO's, no sister office holds it
        db.orv("2", "14/04/2025", "R", "90");   // A8
        db.deposit("F1", "05/05/2025", "300");  // T9
        db.orv("1", "11/05/2025", "R", "300");  // A10: 6 days on
    }

    // Each April line as "id class".
    std::vector<std::string> april(const std::string& office = {}) {
        store::Connection& c = db.connection();
        const compare::Explanation e = office.empty()
                                           ? compare::explainEveryOffice(c, {{2025, 4}}, compare::everyClass).front()
                                           : compare::explainMonth(c, {2025, 4}, compare::ExplainTarget::one(office));
        std::vector<std::string> out;
        for (const compare::ExplainedLine& l : e.lines) out.push_back(l.id + " " + compare::pairClassKey(l.cls));
        std::sort(out.begin(), out.end());
        return out;
    }

    bool set(const PairingRules& rules) {
        return setPairingRules(db.connection(), rules, {}, "ravi", [] { return kSetAt; });
    }

    std::string fileBytes() {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    test::TempDir dir;
    std::string path = dir.file("ZETTools.db");
    test::MonthDatabase db{path};
};

TEST_F(RulesTrialTest, RulesAreKeptInTheFileCheckedAndRecordedWithWhoSetThem) {
    store::Connection& c = db.connection();
    EXPECT_EQ(compare::pairingRules(c), PairingRules{});
    EXPECT_FALSE(lastRulesSetting(c));
    EXPECT_FALSE(set(PairingRules{}));  // the defaults are no change
    ASSERT_TRUE(set(weekWindow()));
    EXPECT_EQ(compare::pairingRules(c), weekWindow());
    const std::optional<RulesSetting> by = lastRulesSetting(c);
    ASSERT_TRUE(by);
    EXPECT_EQ(by->by, "ravi");
    EXPECT_EQ(by->when, kSetAt);
    const std::vector<history::Record> records = history::records(c, history::Form::Pairs);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].rules, "Timing window (days): 3 \u2192 7");
    EXPECT_FALSE(records[0].pair);

    // Out of bounds, nothing written.
    for (const PairingRules& wrong : {PairingRules{11, true, 4, 20, false}, PairingRules{3, true, 7, 20, false},
                                      PairingRules{3, true, 0, 20, false}, PairingRules{3, true, 4, 41, false},
                                      PairingRules{3, true, 4, 1, false}}) {
        EXPECT_EQ(test::errorOf([&] { set(wrong); }).number(), errc::kUsage);
        EXPECT_EQ(compare::pairingRules(c), weekWindow());
    }
    // A value no build writes is the file's damage, not a rule.
    c.execute("UPDATE pairing_rules SET value = 99 WHERE rule = 'timing'");
    EXPECT_EQ(test::errorOf([&] { compare::pairingRules(c); }).number(), store::kStoredValueError);
}

TEST_F(RulesTrialTest, AFileOfAnOlderLayoutPairsByTheDefaultsAndTakesNoRules) {
    test::makeLayoutBeforePairingRules(db.connection());
    db.connection().close();
    store::Connection old;
    old.openWithoutUpgrade(path);
    EXPECT_EQ(compare::pairingRules(old), PairingRules{});
    EXPECT_EQ(test::errorOf([&] { setPairingRules(old, weekWindow(), {}, "ravi"); }).number(), store::kReadOnlyError);
}

TEST_F(RulesTrialTest, TheRulesInForcePairEveryListing) {
    EXPECT_EQ(april(), (std::vector<std::string>{"A2 orv-only", "A4 matched", "A6 orv-only", "A8 orv-only",
                                                 "T1 bank-only", "T3 matched", "T5 bank-only", "T7 bank-only"}));
    PairingRules rules = weekWindow();
    rules.otherOffice = true;
    ASSERT_TRUE(set(rules));
    // The sister office's entry pairs; Bay HO's row stays apart from Hill SO's entry.
    EXPECT_EQ(april(), (std::vector<std::string>{"A2 timing", "A4 matched", "A6 other-office", "A8 orv-only",
                                                 "T1 timing", "T3 matched", "T5 other-office", "T7 bank-only"}));
    // One office explained alone reads its sister's rows to pair them.
    EXPECT_EQ(april("Hill SO"), (std::vector<std::string>{"A2 timing", "A4 matched", "A8 orv-only", "T1 timing",
                                                          "T3 matched", "T5 other-office"}));
    // The stored pairing of the open items is paired again by the new rules.
    const PairedMonths paired = pairedMonths(db.connection());
    ASSERT_TRUE(set(PairingRules{}));
    EXPECT_EQ(pairedMonths(db.connection()).months.front().lines.size(), 6u);
    EXPECT_EQ(paired.months.front().lines.size(), 2u);  // A8 and T7
}

TEST_F(RulesTrialTest, ATrialWritesNothingAndCountsWhatTwoRealPairingsDiffer) {
    const std::string before = fileBytes();
    TrialRequest request;
    request.withRows = true;
    std::vector<std::size_t> told;
    request.progress = [&](std::size_t done, std::size_t total) { told.push_back(done * 10 + total); };
    const RulesTrial trial = tryRules(db.connection(), weekWindow(), request);
    EXPECT_EQ(fileBytes(), before);
    EXPECT_FALSE(trial.stopped);
    ASSERT_EQ(trial.months.size(), 2u);
    EXPECT_EQ(told.back(), 22u);

    // April and May each gain a timing pair: T1 with A2, T9 with A10.
    const MonthTrial& april = trial.months[0];
    EXPECT_EQ(april.rowsChanged, 2u);
    EXPECT_EQ(april.gained, (std::map<PairClass, std::size_t>{{PairClass::Timing, 1}}));
    EXPECT_TRUE(april.lost.empty());
    ASSERT_EQ(april.rows.size(), 2u);
    EXPECT_EQ(april.rows[0].before.id, "T1");
    EXPECT_EQ(april.rows[0].before.cls, PairClass::BankOnly);
    EXPECT_EQ(april.rows[0].after, PairClass::Timing);
    EXPECT_EQ(april.before.deposits, 500 + 75 + 90 + 500 + 75 + 90);
    EXPECT_EQ(april.after.deposits, 75 + 90 + 75 + 90);
    EXPECT_EQ(trial.months[1].rowsChanged, 2u);

    // The same as pairing with each set in turn and comparing.
    const auto unpairedOf = [&] {
        double sum = 0;
        const std::vector<compare::Explanation> paired =
            compare::explainEveryOffice(db.connection(), {{2025, 4}}, compare::everyClass);
        for (const compare::ExplainedLine& l : paired.front().lines)
            if (l.cls == PairClass::BankOnly || l.cls == PairClass::OrvOnly) sum += l.amount;
        return sum;
    };
    EXPECT_EQ(unpairedOf(), april.before.deposits);
    ASSERT_TRUE(set(weekWindow()));
    EXPECT_EQ(unpairedOf(), april.after.deposits);
    // Weighed against the rules now in force, the same rules change nothing.
    EXPECT_EQ(tryRules(db.connection(), weekWindow(), {}).months[0].rowsChanged, 0u);

    // Narrower than in force: the pairs are lost, the span kept to the months asked for.
    TrialRequest may;
    may.from = may.to = compare::Period{2025, 5};
    const RulesTrial back = tryRules(db.connection(), PairingRules{}, may);
    ASSERT_EQ(back.months.size(), 1u);
    EXPECT_EQ(back.months[0].lost, (std::map<PairClass, std::size_t>{{PairClass::Timing, 1}}));
}

TEST_F(RulesTrialTest, AStoppedTrialKeepsOnlyTheMonthsItWeighed) {
    TrialRequest request;
    request.stop = [] { return true; };
    const RulesTrial trial = tryRules(db.connection(), weekWindow(), request);
    EXPECT_TRUE(trial.stopped);
    EXPECT_LE(trial.months.size(), 1u);
}

TEST_F(RulesTrialTest, AClosedMonthTheRulesChangeIsReopenedOnlyAfterYes) {
    store::Connection& c = db.connection();
    const auto closeAt = [&](compare::Period p) {
        ASSERT_TRUE(closeMonth(
                        c, p, "ravi", [](const MonthStatement&) { return true; }, [] { return kSetAt; })
                        .close);
    };
    closeAt({2025, 4});
    const store::Opener opener = [&]() -> store::Connection& { return c; };
    {
        // Yes to the rules, No to April: nothing set, April still closed, nothing recorded.
        test::ScriptedPrompter prompter;
        prompter.queueAnswer(Answer::Yes);
        prompter.queueAnswer(Answer::No);
        EXPECT_FALSE(setRulesFlow(opener, prompter, weekWindow()));
        EXPECT_EQ(compare::pairingRules(c), PairingRules{});
        EXPECT_TRUE(standingClose(c, {2025, 4}));
        EXPECT_EQ(history::records(c, history::Form::Pairs).size(), 0u);
    }
    {
        test::ScriptedPrompter prompter;
        prompter.queueAnswer(Answer::Yes);
        prompter.queueAnswer(Answer::Yes);
        EXPECT_TRUE(setRulesFlow(opener, prompter, weekWindow()));
        EXPECT_EQ(compare::pairingRules(c), weekWindow());
        EXPECT_FALSE(standingClose(c, {2025, 4}));
        EXPECT_EQ(prompter.lastMessage().text,
                  "Pairing rules set. Reopened with them: April 2025; their closes stay on record.");
    }
    // A close whose pairing the rules leave alone is not asked about, nor reopened.
    closeAt({2025, 4});
    PairingRules groups = weekWindow();
    groups.largestGroup = 2;
    test::ScriptedPrompter prompter;
    prompter.queueAnswer(Answer::Yes);
    EXPECT_TRUE(setRulesFlow(opener, prompter, groups));
    EXPECT_TRUE(standingClose(c, {2025, 4}));
    // Closed by another program after the person was asked, and not agreed to reopen: refused,
    // nothing written.
    EXPECT_EQ(test::errorOf([&] { setPairingRules(c, PairingRules{}, {}, "ravi"); }).number(), kClosedMeanwhileError);
    EXPECT_EQ(compare::pairingRules(c), groups);
}

TEST_F(RulesTrialTest, CommandLine) {
    db.connection().close();
    cli::Outcome r = cli::runCli(path, {"rules", "try", "--timing", "7", "--lines"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> lines = cli::textParts(r.out);
    ASSERT_GE(lines.size(), 8u);
    EXPECT_EQ(lines[1], "2025-04\ttiming 1\t\t2\t1330.00\t330.00\t0.00\t0.00\t");
    EXPECT_EQ(lines[5], "2025-04\tHill SO\tDeposit\tVESK\t10/04/2025\tT1\t500.00\tOnly in VESK\tTiming");
    EXPECT_EQ(r.err, "4 rows of 2 months would change; nothing was written.\n");

    // Without --yes and no terminal, nothing is set and the exit says so.
    EXPECT_EQ(cli::runCli(path, {"rules", "set", "--timing", "7"}).status, 1);
    EXPECT_EQ(cli::runCli(path, {"rules", "set", "--cross-month", "maybe", "--yes"}).status, 2);
    EXPECT_EQ(cli::runCli(path, {"rules", "set", "--timing", "11", "--yes"}).status, 2);
    r = cli::runCli(path, {"rules", "set", "--timing", "7", "--other-office", "yes", "--yes"});
    ASSERT_EQ(r.status, 0) << r.err;
    r = cli::runCli(path, {"rules"});
    EXPECT_EQ(cli::textParts(r.out)[1], "Timing window (days)\t--timing\t7\t3");
    EXPECT_EQ(cli::textParts(r.out)[5], "Pair another office's entry\t--other-office\tyes\tno");
    EXPECT_EQ(cli::textParts(r.out)[6].rfind("Set by " + history::loginName() + " on ", 0), 0u);
}

}  // namespace
}  // namespace vesk::review
