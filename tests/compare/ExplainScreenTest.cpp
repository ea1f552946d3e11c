#include <gtest/gtest.h>

#include "compare/CompareScreen.h"
#include "compare/ExplainScreen.h"
#include "core/DateTime.h"
#include "notes/NoteWording.h"
#include "support/MonthDatabase.h"
#include "support/ScriptedPrompter.h"
#include "support/SheetRows.h"
#include "support/TempDir.h"

namespace vesk::compare {
namespace {

long long dayOfApril(int day) { return daysFromCivil(2025, 4, day); }

// Hill HO's April: a timing pair split by a matched date, a deposit booked as two receipts,
// and a payment ORV never booked.
class ExplainScreenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db.office("1", "Hill HO", "HPO", "Hill HO", "F1");
        db.office("2", "Bay SO", "SO", "Hill HO", "F2");
        db.deposit("F1", "03/04/2025", "500");        // T1
        db.deposit("F1", "04/04/2025", "40");         // T2
        db.orv("1", "04/04/2025", "Receipt", "40");   // A3
        db.orv("1", "05/04/2025", "Receipt", "500");  // A4: T1 two days late
        db.deposit("F1", "09/04/2025", "100");        // T5
        db.orv("1", "09/04/2025", "Receipt", "60");   // A6
        db.orv("1", "09/04/2025", "Receipt", "40");   // A7
        db.withdrawal("F1", "11/04/2025", "75");      // T8
        db.deposit("F2", "02/04/2025", "10");         // T9: Bay SO agrees
        db.orv("2", "02/04/2025", "R", "10");         // A10
        db.configure("Hill HO");
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
            out.push_back(l.id + " " + pairClassTag(l.cls) + (l.group ? " " + std::to_string(l.group) : ""));
        return out;
    }

    test::TempDir dir;
    test::MonthDatabase db{dir.file("ZETTools.db")};
    test::ScriptedPrompter prompter;
    ExplainScreen screen{dir.file("ZETTools.db"), prompter};
};

TEST_F(ExplainScreenTest, TheRowsOfAPairStandTogetherAndMatchedOnesShowOnRequest) {
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
    screen.showMatchedRows(true);
    explain({{2025, 4}, std::string("Hill HO"), dayOfApril(9)});
    EXPECT_EQ(screen.heading(), "Explained : April 2025 : Hill HO : 09/04/2025");
    EXPECT_EQ(shown(), (std::vector<std::string>{"T5 group 1", "A6 group 1", "A7 group 1"}));
    EXPECT_EQ(screen.headline(),
              "Only in bank: 0 rows, 0.00 \u00b7 Only in ORV: 0 rows, 0.00 \u00b7 Amounts differ: 0 pairs, 0.00 "
              "\u00b7 Timing: 0 pairs \u00b7 Matched: 3 rows");
}

TEST_F(ExplainScreenTest, AnOutcomeOfAnEarlierRequestIsDropped) {
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
    screen.setOpenWhenSaved(false);
    EXPECT_FALSE(screen.exportRows());  // nothing explained yet
    EXPECT_EQ(prompter.lastMessage().text, "No data to export.");

    screen.setOutputFolder(dir.file("out"));
    explain({{2025, 4}, std::nullopt, std::nullopt});
    const std::optional<std::string> saved = screen.exportRows();
    ASSERT_TRUE(saved);
    EXPECT_EQ(*saved, dir.file("out/April_2025_Explained.xlsx"));
    EXPECT_EQ(prompter.lastMessage().title, "Saved");
    const auto rows = test::sheetRows(*saved);
    ASSERT_GE(rows.size(), 7u);
    EXPECT_EQ(rows[2], "Differing offices under Hill HO");
    EXPECT_EQ(rows[6], "3|Hill HO|Withdrawal|Bank|11/04/2025|T8|75.00|bank-only");
}

TEST_F(ExplainScreenTest, TheComparisonFormAsksForTheOfficeAndDateOfThePickedRow) {
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

}  // namespace
}  // namespace vesk::compare
