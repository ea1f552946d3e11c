#include <gtest/gtest.h>

#include "compare/CompareScreen.h"
#include "compare/ExplainScreen.h"
#include "core/DateTime.h"
#include "core/Platform.h"
#include "notes/NoteWording.h"
#include "support/MonthDatabase.h"
#include "support/ScriptedPrompter.h"
#include "support/SheetRows.h"
#include "support/TempDir.h"

namespace vesk::compare {
namespace {

long long dayOfApril(int day) { return daysFromCivil(2025, 4, day); }

// Hill HO's April, one of two months; Bay SO agrees in either.
class ExplainScreenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db.office("1", "Hill HO", "HPO", "Hill HO", "F1");
        db.office("2", "Bay SO", "SO", "Hill HO", "F2");
        db.configure("Hill HO");
    }

    // A timing pair split by a matched date, a deposit booked as two receipts, and a payment
    // ORV never booked.
    void timingMonth() {
        db.deposit("F1", "03/04/2025", "500");        // T1
        db.deposit("F1", "04/04/2025", "40");         // T2
        db.orv("1", "04/04/2025", "Receipt", "40");   // A3
        db.orv("1", "05/04/2025", "Receipt", "500");  // A4: T1 two days late
        db.deposit("F1", "09/04/2025", "100");        // T5
        db.orv("1", "09/04/2025", "Receipt", "60");   // A6
        db.orv("1", "09/04/2025", "Receipt", "40");   // A7
        db.withdrawal("F1", "11/04/2025", "75");      // T8
        db.deposit("F2", "02/04/2025", "10");         // T9
        db.orv("2", "02/04/2025", "R", "10");         // A10
    }

    // Rows to pair by hand: a receipt booked a week late, a deposit booked short, a withdrawal
    // nobody can place; explained at once.
    void pairMonth() {
        db.deposit("F1", "03/04/2025", "500");        // T1
        db.orv("1", "10/04/2025", "Receipt", "500");  // A2: T1 seven days late
        db.deposit("F1", "15/04/2025", "300");        // T3
        db.orv("1", "15/04/2025", "Receipt", "250");  // A4: T3 booked short
        db.withdrawal("F1", "20/04/2025", "75");      // T5
        db.deposit("F2", "02/04/2025", "10");         // T6
        db.orv("2", "02/04/2025", "R", "10");         // A7
        explain({{2025, 4}, std::string("Hill HO"), std::nullopt});
    }

    // Runs the job at once, as the window's thread would.
    void explain(const ExplainRequest& request) {
        ExplainScreen::Job job = screen.open(request);
        EXPECT_TRUE(screen.busy());
        screen.finished(job.ticket, job.run());
    }

    std::vector<std::string> shown() const {
        std::vector<std::string> out;
        for (const ExplainedLine& l : screen.shown())
            out.push_back(l.id + " " + pairClassKey(l.cls) + (l.group ? " " + std::to_string(l.group) : ""));
        return out;
    }

    // As shown() with the hand pair in place of the group.
    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        for (const ExplainedLine& l : screen.shown())
            out.push_back(l.id + " " + pairClassKey(l.cls) + (l.handPair ? " M" + std::to_string(l.handPair) : ""));
        return out;
    }

    // The shown row of an ID; fails the test when it is not shown.
    std::size_t at(const std::string& id) const {
        for (std::size_t r = 0; r < screen.shown().size(); ++r)
            if (screen.shown()[r].id == id) return r;
        ADD_FAILURE() << id << " is not shown";
        return screen.shown().size();
    }

    test::TempDir dir;
    test::MonthDatabase db{dir.file("ZETTools.db")};
    test::ScriptedPrompter prompter;
    ExplainScreen screen{dir.file("ZETTools.db"), prompter};
};

TEST_F(ExplainScreenTest, TheRowsOfAPairStandTogetherAndMatchedOnesShowOnRequest) {
    timingMonth();
    explain({{2025, 4}, std::string("Hill HO"), std::nullopt});
    EXPECT_FALSE(screen.busy());
    EXPECT_EQ(screen.heading(), "Explained : April 2025 : Hill HO");
    // The timing pair's ORV end follows its bank row although a matched date lies between.
    EXPECT_EQ(shown(), (std::vector<std::string>{"T1 timing 1", "A4 timing 1", "T8 bank-only"}));

    screen.showMatchedRows(true);
    EXPECT_EQ(shown(), (std::vector<std::string>{"T1 timing 1", "A4 timing 1", "T2 matched 2", "A3 matched 2",
                                                 "T5 group 3", "A6 group 3", "A7 group 3", "T8 bank-only"}));
}

TEST_F(ExplainScreenTest, ADateOfTheDetailedGridShowsThatDateOnlyAndAddsUpItsRows) {
    timingMonth();
    screen.showMatchedRows(true);
    explain({{2025, 4}, std::string("Hill HO"), dayOfApril(9)});
    EXPECT_EQ(screen.heading(), "Explained : April 2025 : Hill HO : 09/04/2025");
    EXPECT_EQ(shown(), (std::vector<std::string>{"T5 group 1", "A6 group 1", "A7 group 1"}));
    EXPECT_TRUE(screen.headline().ends_with("Matched: 3 rows")) << screen.headline();  // the date's rows only
}

TEST_F(ExplainScreenTest, AnOutcomeOfAnEarlierRequestIsDropped) {
    timingMonth();
    ExplainScreen::Job first = screen.open({{2025, 4}, std::string("Hill HO"), std::nullopt});
    ExplainScreen::Job second = screen.open({{2025, 4}, std::string("Bay SO"), std::nullopt});
    screen.finished(first.ticket, first.run());
    EXPECT_TRUE(screen.busy());
    EXPECT_TRUE(screen.shown().empty());
    screen.failed(first.ticket, Error(1, "late"));
    EXPECT_TRUE(prompter.messages().empty());
    screen.finished(second.ticket, second.run());
    EXPECT_FALSE(screen.busy());
    screen.showMatchedRows(true);
    EXPECT_EQ(shown(), (std::vector<std::string>{"T9 matched 1", "A10 matched 1"}));
}

TEST_F(ExplainScreenTest, FailuresAreSaidWithTheirPrefix) {
    timingMonth();
    db.deposit("F1", "not a date", "1");
    ExplainScreen::Job job = screen.open({{2025, 4}, std::string("Hill HO"), std::nullopt});
    try {
        job.run();
        FAIL() << "no error";
    } catch (const std::exception& e) {
        screen.failed(job.ticket, e);
    }
    EXPECT_FALSE(screen.busy());
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_EQ(prompter.lastMessage().text, "Error: Type mismatch");
    EXPECT_EQ(prompter.lastMessage().icon, Icon::Critical);
}

TEST_F(ExplainScreenTest, ExportWritesTheRowsAsShown) {
    timingMonth();
    screen.setOpenWhenSaved(false);
    EXPECT_FALSE(screen.exportRows());  // nothing explained yet
    EXPECT_EQ(prompter.lastMessage().text, "No data to export.");

    screen.setOutputFolder(dir.file("out"));
    explain({{2025, 4}, std::nullopt, std::nullopt});
    const std::optional<std::string> saved = screen.exportRows();
    ASSERT_TRUE(saved);
    EXPECT_EQ(*saved, platform::joinPath(dir.file("out"), "April_2025_Explained.xlsx"));
    EXPECT_EQ(prompter.lastMessage().title, "Saved");
    const auto rows = test::sheetRows(*saved);
    ASSERT_GE(rows.size(), 7u);
    EXPECT_EQ(rows[2], "Differing offices under Hill HO");
    EXPECT_EQ(rows[6], "3|Hill HO|Withdrawal|VESK|11/04/2025|T8|75.00|Only in VESK");
}

TEST_F(ExplainScreenTest, TheComparisonFormAsksForTheOfficeAndDateOfThePickedRow) {
    timingMonth();
    CompareScreen compare(dir.file("ZETTools.db"), prompter, [] { return DateTime{2025, 5, 10}; });
    compare.load();
    EXPECT_FALSE(compare.explainChosenOffice());  // nothing compared yet
    EXPECT_FALSE(compare.explainConsolidatedRow(0));
    ASSERT_TRUE(compare.compare());
    EXPECT_TRUE(compare.view().explainEnabled);

    std::optional<ExplainRequest> r = compare.explainChosenOffice();  // no office picked: every listed one
    ASSERT_TRUE(r);
    EXPECT_EQ(r->period.month, 4);
    EXPECT_FALSE(r->office);
    EXPECT_FALSE(compare.explainConsolidatedRow(1));  // the total row

    compare.blinker().setDuration(std::chrono::milliseconds(0));
    ASSERT_TRUE(compare.chooseOffice(1));
    std::vector<long long> days;
    for (int row = 0; const auto picked = compare.explainDetailedRow(row); ++row) days.push_back(*picked->day);
    EXPECT_EQ(days, (std::vector<long long>{dayOfApril(3), dayOfApril(5), dayOfApril(11)}));

    compare.reset();
    EXPECT_FALSE(compare.explainChosenOffice());
    EXPECT_FALSE(compare.explainDetailedRow(0));
}

TEST_F(ExplainScreenTest, ANoteNeedsAChosenRowAndOnceSavedShowsOnEveryLineOfItsRow) {
    timingMonth();
    explain({{2025, 4}, std::string("Hill HO"), std::nullopt});
    EXPECT_FALSE(screen.rowForNote(std::size_t(99)));  // past the rows shown
    EXPECT_EQ(prompter.lastMessage().text, "Please select a row to write a note on.");
    ASSERT_TRUE(screen.rowForNote(std::size_t(0)));

    // Saved for the row in another letter case, with the matched rows hidden: shown once they
    // show, and only on the row of its date.
    const auto saved = [&](const char* id, long long day, const char* text) {
        screen.noteSaved({notes::Side::Bank, id, day, notes::Status::Explained, text, "Hill HO", "ravi", {}});
    };
    saved("t2", daysFromCivil(2025, 4, 4), "split receipt");
    saved("T1", daysFromCivil(2025, 4, 5), "another date");  // T1 is of the 3rd
    screen.showMatchedRows(true);
    std::vector<std::string> noted;
    for (const ExplainedLine& l : screen.shown())
        if (l.note) noted.push_back(l.id + " " + notes::statusText(l.note->status) + " " + l.note->text);
    EXPECT_EQ(noted, (std::vector<std::string>{"T2 Explained split receipt"}));
}

TEST_F(ExplainScreenTest, TheRowsChosenArePairedWithTheirSumsAndTheGridIsExplainedAgain) {
    pairMonth();
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

TEST_F(ExplainScreenTest, APairNeedsBothSidesAndEqualSumsUnlessTheDifferenceIsAccepted) {
    pairMonth();
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
    EXPECT_EQ(prompter.lastMessage().title, "Pair by Hand");  // the refusal's text is the pair rules' own
    EXPECT_EQ(lines()[at("T1")], "T1 bank-only");             // nothing written

    ASSERT_TRUE(screen.pair(*draft, "short receipt", true));
    EXPECT_EQ(lines(), (std::vector<std::string>{"T5 bank-only"}));
}

TEST_F(ExplainScreenTest, PairAsHintedTakesTheHintsCounterpartAndWords) {
    pairMonth();
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

TEST_F(ExplainScreenTest, UnpairAsksFirstAndReturnsTheRowsToTheRules) {
    pairMonth();
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

TEST_F(ExplainScreenTest, TheSelectionKeepsItsRowOrItsPlace) {
    pairMonth();
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
