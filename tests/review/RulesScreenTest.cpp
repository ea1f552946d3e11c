#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "compare/PairingRules.h"
#include "review/RulesScreen.h"
#include "support/MonthDatabase.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

namespace vesk::review {
namespace {

using compare::Rule;

// Three months of Hill HO, each with a receipt booked five days after its deposit: the default
// timing window leaves both rows unpaired, a week's pairs them.
class RulesScreenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db.office("1", "Hill HO", "HPO", "Hill HO", "F1");
        db.configure("Hill HO");
        for (const char* month : {"04", "05", "06"}) {
            db.deposit("F1", std::string("03/") + month + "/2025", "500");
            db.orv("1", std::string("08/") + month + "/2025", "Receipt", "500");
        }
        db.deposit("F1", "20/05/2025", "70");  // May's second change: its own pair
        db.orv("1", "24/05/2025", "Receipt", "70");
        screen.load();
        screen.setRule(Rule::TimingDays, 7);
    }

    void tryAtOnce() {
        RulesScreen::Job job = screen.startTrial();
        screen.trialFinished(job.ticket, job.run());
    }

    test::TempDir dir;
    test::MonthDatabase db{dir.file("ZETTools.db")};
    test::ScriptedPrompter prompter;
    RulesScreen screen{dir.file("ZETTools.db"), prompter};
};

TEST_F(RulesScreenTest, ATrialShowsAMonthARowWithWhatTheRulesWouldChangeAndItsRows) {
    tryAtOnce();
    ASSERT_EQ(screen.trialRows().size(), 3u);
    const std::vector<std::string>& may = screen.trialRows()[1];
    EXPECT_EQ(may[0], "2025-05");
    EXPECT_EQ(may[1], "timing 2");  // gained
    EXPECT_EQ(may[2], "");          // lost
    EXPECT_EQ(may[3], "4");         // rows changed
    EXPECT_EQ(may[8], "");          // not closed
    EXPECT_EQ(screen.trialSummary(), "8 rows of 3 months would change; nothing was written.");
    EXPECT_EQ(screen.changedRows(1).size(), 4u);
    EXPECT_EQ(screen.changedRowsHeading(1), "Rows the rules would change: May 2025");
    EXPECT_TRUE(screen.changedRows(3).empty());
}

TEST_F(RulesScreenTest, CancelStopsTheTrialAfterTheMonthItIsWeighing) {
    std::promise<void> reached, stopped;
    RulesScreen::Job job = screen.startTrial([&, first = true](std::uint64_t, std::size_t, std::size_t) mutable {
        if (!first) return;
        first = false;
        reached.set_value();
        stopped.get_future().wait();  // until Cancel is pressed on the test's thread
    });
    EXPECT_TRUE(screen.busy() && screen.mayCancel() && !screen.mayTry() && !screen.mayApply());
    std::future<RulesScreen::Tried> tried = std::async(std::launch::async, job.run);
    reached.get_future().wait();
    screen.stopTrial();
    stopped.set_value();
    screen.trialFinished(job.ticket, tried.get());
    EXPECT_FALSE(screen.busy());
    EXPECT_LT(screen.trialRows().size(), 3u);
    EXPECT_TRUE(screen.trialSummary().starts_with("Stopped after ")) << screen.trialSummary();
    EXPECT_TRUE(screen.trialSummary().ends_with(" of 3 months; nothing was written.")) << screen.trialSummary();
}

TEST_F(RulesScreenTest, ApplySetsTheRulesOnlyOnYesAndClearsTheTrialOfTheOldOnes) {
    tryAtOnce();
    prompter.queueAnswer(Answer::No);
    EXPECT_FALSE(screen.apply());
    EXPECT_EQ(compare::pairingRules(db.connection()).timingDays, compare::kTimingDays);
    EXPECT_EQ(screen.setByText(), "Never set: the defaults");
    EXPECT_EQ(screen.proposed().timingDays, 7);  // still there to set
    EXPECT_EQ(screen.trialRows().size(), 3u);

    prompter.queueAnswer(Answer::Yes);
    EXPECT_TRUE(screen.apply());
    EXPECT_EQ(compare::pairingRules(db.connection()).timingDays, 7);
    EXPECT_EQ(screen.inForce().timingDays, 7);
    EXPECT_TRUE(screen.setByText().starts_with("Set by ")) << screen.setByText();
    EXPECT_TRUE(screen.trialRows().empty());
    EXPECT_EQ(screen.trialSummary(), "");
    EXPECT_EQ(prompter.lastMessage().text, "Pairing rules set.");
}

TEST(RulesScreenFailure, ATrialThatFailsIsSaidAsTheTrials) {
    test::TempDir dir;
    test::ScriptedPrompter prompter;
    RulesScreen screen{dir.file("no such folder/ZETTools.db"), prompter};
    RulesScreen::Job job = screen.startTrial();
    try {
        job.run();
        ADD_FAILURE() << "tried a file that cannot be opened";
    } catch (const std::exception& error) {
        screen.trialFailed(job.ticket, error);
    }
    EXPECT_FALSE(screen.busy());
    EXPECT_TRUE(prompter.lastMessage().text.starts_with("The trial of the rules failed: "))
        << prompter.lastMessage().text;
}

}  // namespace
}  // namespace vesk::review
