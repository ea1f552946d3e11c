#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "TrendDatabase.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"
#include "trend/TrendScreen.h"
#include "trend/TrendWording.h"

namespace vesk::trend {
namespace {

// The trend window's screen over the five months of TrendDatabase.h (Feb, Mar, Apr, May and
// Jul 2025), its loads run here as the window's thread would run them.
class TrendScreenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::MonthDatabase db(path());
        test::fillTrendDatabase(db);
        screen.setOutputFolder(dir.file("out"));
        screen.setOpenWhenSaved(false);
    }
    std::string path() const { return dir.file("ZETTools.db"); }
    void run(TrendScreen::Job job) {
        EXPECT_TRUE(screen.view().loading);
        EXPECT_EQ(screen.view().statusText, kLoadingText);
        screen.finished(job.ticket, job.run());
    }
    std::vector<std::string> shownMonths() const { return screen.view().categories; }

    test::TempDir dir;
    test::ScriptedPrompter prompter;
    TrendScreen screen{path(), prompter};
};

TEST_F(TrendScreenTest, OnlyTheLatestLoadIsShownAndAStaleFailureSaysNothing) {
    run(screen.load());
    const TrendScreen::Job aprilOn = *screen.chooseFrom(2);
    const TrendScreen::Job mayOn = *screen.chooseFrom(3);
    // The earlier load's outcome, or its failure, comes after the later one was asked for.
    screen.finished(aprilOn.ticket, aprilOn.run());
    screen.failed(aprilOn.ticket, Error(5, "unreadable"));
    EXPECT_TRUE(screen.view().loading);
    EXPECT_TRUE(prompter.messages().empty());
    EXPECT_EQ(shownMonths(), (std::vector<std::string>{"Feb 2025", "Mar 2025", "Apr 2025", "May 2025", "Jul 2025"}));
    screen.finished(mayOn.ticket, mayOn.run());
    EXPECT_FALSE(screen.view().loading);
    EXPECT_EQ(shownMonths(), (std::vector<std::string>{"May 2025", "Jul 2025"}));
    EXPECT_EQ(screen.view().months.size(), 5u);  // every month held stays to choose from
}

TEST_F(TrendScreenTest, FromAndToKeepTheRangeInOrderAndAPickThatChangesNothingLoadsNothing) {
    struct Case {
        const char* pick;
        bool from;  ///< a pick in From; else in To
        int index;
        std::optional<std::pair<int, int>> range;  ///< the choices after it; none: no load
    };
    // Each case starts from every month: From Feb (0), To Jul (4).
    const Case cases[] = {
        {"From Jul: the last month alone", true, 4, std::pair{4, 4}},
        {"To Feb: the first month alone", false, 0, std::pair{0, 0}},
        {"From as it is", true, 0, std::nullopt},
        {"To as it is", false, 4, std::nullopt},
        {"From past the list", true, 5, std::nullopt},
        {"To before the list", false, -1, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pick);
        run(screen.load());
        std::optional<TrendScreen::Job> job = c.from ? screen.chooseFrom(c.index) : screen.chooseTo(c.index);
        ASSERT_EQ(job.has_value(), c.range.has_value());
        if (!job) {
            EXPECT_FALSE(screen.view().loading);
            continue;
        }
        run(std::move(*job));
        EXPECT_EQ(std::pair(screen.view().from, screen.view().to), *c.range);
        const std::vector<std::string>& held = screen.view().months;
        EXPECT_EQ(shownMonths().front(), held[std::size_t(c.range->first)]);
        EXPECT_EQ(shownMonths().back(), held[std::size_t(c.range->second)]);
    }
    // A later From than To pulls To along, and the other way round.
    run(screen.load());
    run(*screen.chooseTo(1));
    run(*screen.chooseFrom(3));
    EXPECT_EQ(std::pair(screen.view().from, screen.view().to), std::pair(3, 3));
    run(*screen.chooseTo(2));
    EXPECT_EQ(std::pair(screen.view().from, screen.view().to), std::pair(2, 2));
}

TEST_F(TrendScreenTest, AFailedLoadIsSaidAndStaysInTheStatusLine) {
    const TrendScreen::Job job = screen.load();
    screen.failed(job.ticket, Error(26, "file is not a database"));
    EXPECT_FALSE(screen.view().loading);
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_EQ(prompter.lastMessage().icon, Icon::Critical);
    EXPECT_EQ(screen.view().statusText, prompter.lastMessage().text);
    EXPECT_NE(screen.view().statusText.find("file is not a database"), std::string::npos);
    EXPECT_FALSE(screen.view().exportEnabled);
}

TEST_F(TrendScreenTest, ACellLeadsToItsMonthsComparisonOnlyWhereItHasSomethingToExplain) {
    run(screen.load());
    // The map's offices: Alpha, Beta, delta, Gamma; its months: Feb to Jul.
    struct Case {
        int row, column;
        std::optional<std::pair<int, std::string>> target;  ///< month and office; none: nothing opens
    };
    const Case cases[] = {
        {0, 2, std::pair{4, std::string("Alpha SO")}},  // April
        {1, 0, std::pair{2, std::string("Beta SO")}},   // February
        {0, 1, std::nullopt},                           // nothing to explain: Alpha in March
        {4, 0, std::nullopt},                           // past the last office
        {0, 5, std::nullopt},                           // past the last month
        {-1, 0, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.row) + "," + std::to_string(c.column));
        const std::optional<TrendScreen::MapTarget> target = screen.comparisonAt(c.row, c.column);
        ASSERT_EQ(target.has_value(), c.target.has_value());
        if (!target) continue;
        EXPECT_EQ(target->month.year, 2025);
        EXPECT_EQ(target->month.month, c.target->first);
        EXPECT_EQ(target->office, c.target->second);
    }
    EXPECT_EQ(screen.hoverText(2), "Apr 2025\nTo Explain: 18.50\nDiffering: 3 of 4 offices");
    EXPECT_EQ(screen.hoverText(5), "");
    EXPECT_EQ(screen.hoverText(-1), "");
}

TEST_F(TrendScreenTest, ExportWritesTheMonthsShownAndRefusesAnEmptyTrend) {
    // Before the first load is in there is nothing to write.
    const TrendScreen::Job job = screen.load();
    EXPECT_FALSE(screen.exportTrend());
    EXPECT_EQ(prompter.lastMessage().text, "No data to export.");
    screen.finished(job.ticket, job.run());

    run(*screen.chooseFrom(2));
    const std::optional<std::string> file = screen.exportTrend();
    ASSERT_TRUE(file);
    EXPECT_EQ(std::filesystem::path(*file).filename(), "Trend_2025-04_2025-07.xlsx");
    EXPECT_TRUE(std::filesystem::exists(*file));
    EXPECT_EQ(prompter.lastMessage().title, "Saved");
    EXPECT_TRUE(prompter.openedDocuments().empty());  // not asked to open it
}

TEST(TrendScreenOnNothing, AnEmptyFileShowsNoMonthsAndNothingToExport) {
    test::TempDir dir;
    test::ScriptedPrompter prompter;
    TrendScreen screen(dir.file("empty.db"), prompter);
    const TrendScreen::Job job = screen.load();
    screen.finished(job.ticket, job.run());
    EXPECT_TRUE(screen.view().months.empty());
    EXPECT_EQ(std::pair(screen.view().from, screen.view().to), std::pair(-1, -1));
    EXPECT_EQ(screen.view().emptyText, kNoDataText);
    EXPECT_EQ(screen.view().statusText, kNoDataText);
    EXPECT_FALSE(screen.view().exportEnabled);
    EXPECT_FALSE(screen.chooseFrom(0));
    EXPECT_TRUE(prompter.messages().empty());
}

}  // namespace
}  // namespace vesk::trend
