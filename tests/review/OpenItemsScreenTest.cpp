#include <gtest/gtest.h>

#include <filesystem>

#include "review/OpenItemsScreen.h"
#include "review/ReviewDatabase.h"
#include "support/ScriptedPrompter.h"

namespace vesk::review {
namespace {

using test::ReviewDatabase;

long long dayOf(int y, int m, int d) { return daysFromCivil(y, m, d); }

// March and April of Hill SO, under the configured head office.
class OpenItemsScreenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db.office("100", "Hill HO", "HPO", "Hill HO", "F0");
        db.configure("Hill HO");
        db.importBank(
            {ReviewDatabase::entry("T1", "30/03/2025", "70"), ReviewDatabase::entry("T2", "04/04/2025", "80")});
    }

    test::TempDir dir;
    ReviewDatabase db{dir};
    test::ScriptedPrompter prompter;
    OpenItemsScreen screen{dir.file("ZETTools.db"), prompter};
};

TEST_F(OpenItemsScreenTest, OnlyTheLastListingIsShownAndAnItemOpensItsOfficesMonth) {
    OpenItemsScreen::Job first = screen.open(dayOf(2025, 4, 30));
    OpenItemsScreen::Job second = screen.open(dayOf(2025, 4, 2));
    EXPECT_TRUE(screen.busy());
    EXPECT_EQ(screen.headline(), "");
    screen.finished(first.ticket, first.run());  // an answer to a question no longer asked
    EXPECT_TRUE(screen.busy());
    screen.finished(second.ticket, second.run());
    EXPECT_FALSE(screen.busy());
    EXPECT_EQ(screen.heading(), "Open Items as of 02/04/2025 (Offices Under Hill HO)");
    ASSERT_EQ(screen.items().size(), 1u);  // the 4th not yet
    EXPECT_EQ(screen.items()[0].age, 3);

    const std::optional<compare::ExplainRequest> request = screen.explainItem(0);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->period.year, 2025);
    EXPECT_EQ(request->period.month, 3);
    EXPECT_EQ(request->office, "Hill SO");
    EXPECT_FALSE(request->day);
    EXPECT_FALSE(screen.explainItem(1));
}

// What the export writes is the window's test; here, that an empty listing writes nothing.
TEST_F(OpenItemsScreenTest, ExportOfNoItemsSaysThereIsNone) {
    screen.setOutputFolder(dir.file("out"));
    screen.setOpenWhenSaved(false);
    OpenItemsScreen::Job none = screen.open(dayOf(2025, 3, 1));
    screen.finished(none.ticket, none.run());
    EXPECT_FALSE(screen.exportItems());
    EXPECT_EQ(prompter.lastMessage().text, "No data to export.");
    EXPECT_FALSE(std::filesystem::exists(dir.file("out")));
}

TEST_F(OpenItemsScreenTest, AFailedListingIsSaidAndLeavesTheWindowReady) {
    OpenItemsScreen::Job job = screen.open(dayOf(2025, 4, 30));
    screen.failed(job.ticket, Error(errc::kFileNotFound, "gone"));
    EXPECT_FALSE(screen.busy());
    EXPECT_EQ(prompter.lastMessage().text, "Open Items Error: gone");
}

}  // namespace
}  // namespace vesk::review
