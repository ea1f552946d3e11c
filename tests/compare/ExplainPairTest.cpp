#include <gtest/gtest.h>

#include "compare/ExplainScreen.h"
#include "support/MonthDatabase.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

namespace vesk::compare {
namespace {

// Hill HO's April: a receipt booked a week late, a deposit ORV booked short, a withdrawal
// nobody can place; Bay SO agrees.
class ExplainPairTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db.office("1", "Hill HO", "HPO", "Hill HO", "F1");
        db.office("2", "Bay SO", "SO", "Hill HO", "F2");
        db.deposit("F1", "03/04/2025", "500");        // T1
        db.orv("1", "10/04/2025", "Receipt", "500");  // A2: T1 seven days late
        db.deposit("F1", "15/04/2025", "300");        // T3
        db.orv("1", "15/04/2025", "Receipt", "250");  // A4: T3 booked short
        db.withdrawal("F1", "20/04/2025", "75");      // T5
        db.deposit("F2", "02/04/2025", "10");         // T6
        db.orv("2", "02/04/2025", "R", "10");         // A7
        db.configure("Hill HO");
        explainHill();
    }

    void explainHill() {
        ExplainScreen::Job job = screen.open({{2025, 4}, std::string("Hill HO"), std::nullopt});
        screen.finished(job.ticket, job.run());
    }

    // The shown row of an ID; fails the test when it is not shown.
    std::size_t at(const std::string& id) const {
        for (std::size_t r = 0; r < screen.shown().size(); ++r)
            if (screen.shown()[r].id == id) return r;
        ADD_FAILURE() << id << " is not shown";
        return screen.shown().size();
    }

    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        for (const ExplainedLine& l : screen.shown())
            out.push_back(l.id + " " + pairClassTag(l.cls) + (l.handPair ? " M" + std::to_string(l.handPair) : ""));
        return out;
    }

    test::TempDir dir;
    test::MonthDatabase db{dir.file("ZETTools.db")};
    test::ScriptedPrompter prompter;
    ExplainScreen screen{dir.file("ZETTools.db"), prompter};
};

TEST_F(ExplainPairTest, TheRowsChosenArePairedWithTheirSumsAndTheGridIsExplainedAgain) {
    EXPECT_EQ(lines(), (std::vector<std::string>{"T1 bank-only", "A2 orv-only", "T3 amount-differs",
                                                 "A4 amount-differs", "T5 bank-only"}));
    // A row chosen twice (or past the rows shown) counts once.
    const std::optional<PairDraft> draft = screen.draftOfSelection({at("A2"), at("T1"), at("T1"), 99});
    ASSERT_TRUE(draft);
    EXPECT_EQ(draft->sumsLines(), (std::vector<std::string>{"VESK: 1 row, 500.00", "ORV: 1 entry, 500.00",
                                                            "Difference (bank less ORV): 0.00"}));

    ASSERT_TRUE(screen.pair(*draft, "late receipt", false));
    EXPECT_TRUE(prompter.messages().empty());
    // A manual pair shows with the matched rows only.
    EXPECT_EQ(lines(), (std::vector<std::string>{"T3 amount-differs", "A4 amount-differs", "T5 bank-only"}));
    screen.showMatchedRows(true);
    EXPECT_EQ(screen.shown()[at("T1")].handPair, screen.shown()[at("A2")].handPair);
    EXPECT_EQ(lines()[at("T1")], "T1 manual M1");
}

TEST_F(ExplainPairTest, APairNeedsBothSidesAndEqualSumsUnlessTheDifferenceIsAccepted) {
    const std::vector<std::vector<std::size_t>> oneSided = {{}, {at("T1"), at("T3")}, {at("A2")}, {99, 100}};
    for (const std::vector<std::size_t>& chosen : oneSided) {
        EXPECT_FALSE(screen.draftOfSelection(chosen));
        EXPECT_EQ(prompter.lastMessage().text,
                  "Please select the rows to pair: at least one bank row and one ORV entry (Ctrl-click or "
                  "Shift-click to select several).");
    }
    const std::size_t said = prompter.messages().size();

    // Two bank rows against two receipts: 800.00 less 750.00.
    const std::optional<PairDraft> draft = screen.draftOfSelection({at("T1"), at("T3"), at("A2"), at("A4")});
    ASSERT_TRUE(draft);
    EXPECT_TRUE(draft->sumsDiffer());
    EXPECT_DOUBLE_EQ(draft->difference(), 50);
    EXPECT_EQ(draft->sumsLines()[1], "ORV: 2 entries, 750.00");
    EXPECT_FALSE(screen.pair(*draft, "", false));
    ASSERT_EQ(prompter.messages().size(), said + 1);
    EXPECT_EQ(prompter.lastMessage().text,
              "The bank rows sum to 800.00 and the ORV entries to 750.00, a difference "
              "of 50.00: pair them only with the difference accepted.");
    EXPECT_EQ(prompter.lastMessage().title, "Pair by Hand");
    EXPECT_EQ(lines()[at("T1")], "T1 bank-only");  // nothing written

    ASSERT_TRUE(screen.pair(*draft, "short receipt", true));
    EXPECT_EQ(lines(), (std::vector<std::string>{"T5 bank-only"}));
}

TEST_F(ExplainPairTest, PairAsHintedTakesTheHintsCounterpartAndWords) {
    EXPECT_FALSE(screen.draftOfHint(std::nullopt));
    EXPECT_EQ(prompter.lastMessage().text, "Please select a row to pair as hinted.");
    EXPECT_FALSE(screen.draftOfHint(at("T5")));
    EXPECT_EQ(prompter.lastMessage().text,
              "VESK T5 of 20/04/2025 has no hinted counterpart on the other side to pair it with.");

    // The amount-differs row's partner, whose sums differ; the late receipt's from its far end.
    std::optional<PairDraft> draft = screen.draftOfHint(at("A4"));
    ASSERT_TRUE(draft);
    EXPECT_DOUBLE_EQ(draft->bankSum - draft->orvSum, 50);
    draft = screen.draftOfHint(at("A2"));
    ASSERT_TRUE(draft);
    EXPECT_EQ(draft->bankRows + draft->orvRows, 2u);
    EXPECT_EQ(draft->text, "VESK T1 on 03/04/2025, 7 days earlier");
    ASSERT_TRUE(screen.pair(*draft, draft->text, false));
    screen.showMatchedRows(true);
    EXPECT_EQ(lines()[at("A2")], "A2 manual M1");
}

TEST_F(ExplainPairTest, UnpairAsksFirstAndReturnsTheRowsToTheRules) {
    ASSERT_TRUE(screen.pair(*screen.draftOfSelection({at("T1"), at("A2")}), "", false));
    screen.showMatchedRows(true);

    EXPECT_FALSE(screen.unpair(std::nullopt));
    EXPECT_EQ(prompter.lastMessage().text, "Please select a row to unpair.");
    EXPECT_FALSE(screen.unpair(at("T5")));
    EXPECT_EQ(prompter.lastMessage().text, "VESK T5 of 20/04/2025 is not paired by hand, so there is no pair to undo.");

    prompter.queueAnswer(Answer::No);
    EXPECT_FALSE(screen.unpair(at("A2")));
    EXPECT_EQ(prompter.lastMessage().text, "Undo hand pair M1? Its rows return to the rules.");
    EXPECT_EQ(prompter.lastMessage().defaultAnswer, Answer::No);
    EXPECT_EQ(lines()[at("T1")], "T1 manual M1");

    prompter.queueAnswer(Answer::Yes);
    EXPECT_TRUE(screen.unpair(at("A2")));
    EXPECT_EQ(lines()[at("A2")], "A2 orv-only");
}

TEST_F(ExplainPairTest, TheSelectionKeepsItsRowOrItsPlace) {
    const notes::RowRef t5 = screen.shown()[at("T5")].ref();
    const notes::RowRef t1 = screen.shown()[at("T1")].ref();
    ASSERT_TRUE(screen.pair(*screen.draftOfSelection({at("T1"), at("A2")}), "", false));
    // T5 moved up two rows; T1 is hidden now, so its place is taken by what follows.
    EXPECT_EQ(screen.placeAfter(t5, 4), std::optional<std::size_t>(2));
    EXPECT_EQ(screen.placeAfter(t1, 0), std::optional<std::size_t>(0));
    EXPECT_EQ(screen.placeAfter(t1, 4), std::optional<std::size_t>(2));  // past the last: the last
    // Another date of the same ID is another row.
    EXPECT_EQ(screen.placeAfter({t5.side, t5.id, t5.day + 1}, 1), std::optional<std::size_t>(1));

    ExplainScreen unopened{dir.file("ZETTools.db"), prompter};
    EXPECT_FALSE(unopened.placeAfter(t5, 0));  // nothing shown
}

}  // namespace
}  // namespace vesk::compare
