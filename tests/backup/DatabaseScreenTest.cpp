#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

#include "backup/BackupWording.h"
#include "backup/DatabaseScreen.h"
#include "store/DatabaseCheck.h"
#include "store/DatabaseFiles.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

namespace vesk::backup {
namespace {

namespace fs = std::filesystem;

const DateTime kScreenNow{2026, 3, 9, 14, 5, 7};

// The menu's database buttons over a file of today's rows, with a sound backup of last week's
// beside it; the person scripted.
class DatabaseScreenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        store::Connection old;
        old.open(backup);
        test::fillDatabase(old, 50, "Old");
        store::Connection db;
        db.open(path);
        test::fillDatabase(db, 80, "Today");
    }

    test::TempDir dir;
    const std::string path = dir.file("ZETTools.db");
    const std::string backup = dir.file("old.db");
    test::ScriptedPrompter prompter;
    DatabaseScreen screen{path, prompter, [] { return kScreenNow; }};
};

TEST_F(DatabaseScreenTest, ACancelledOrDeclinedHandlerChangesNothingAndSaysNothing) {
    const std::string before = test::fileBytes(path);
    struct Case {
        const char* what;
        std::optional<std::string> file;
        std::optional<Answer> answer;
        std::function<bool()> press;
    };
    const Case cases[] = {
        {"back up, the dialog cancelled", std::nullopt, std::nullopt, [&] { return screen.backUpDatabase(); }},
        {"restore, no file named", std::string(), std::nullopt, [&] { return screen.restoreFromBackup(); }},
        {"restore, declined", backup, Answer::No, [&] { return screen.restoreFromBackup(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::size_t said = prompter.messages().size();
        prompter.queueFile(c.file);
        if (c.answer) prompter.queueAnswer(*c.answer);
        EXPECT_FALSE(c.press());
        // Only the question, when there was one.
        EXPECT_EQ(prompter.messages().size(), said + (c.answer ? 1 : 0));
        EXPECT_EQ(test::fileBytes(path), before);
    }
    // The backup's dialog offers today's name beside the database's.
    ASSERT_EQ(prompter.saveRequests().size(), 1u);
    EXPECT_EQ(prompter.saveRequests()[0].title, kBackupTitle);
    EXPECT_EQ(prompter.saveRequests()[0].name, suggestedBackupName(path, kScreenNow));
    EXPECT_EQ(prompter.fileRequests().back().title, kRestoreTitle);
    for (const auto& e : fs::directory_iterator(dir.path()))
        EXPECT_TRUE(e.path() == path || e.path() == backup) << e.path();
}

TEST_F(DatabaseScreenTest, EachHandlerSaysWhatItDidAndReportsWhetherItDidIt) {
    EXPECT_TRUE(screen.checkDatabase());
    EXPECT_EQ(prompter.lastMessage().title, kCheckTitle);
    EXPECT_EQ(prompter.lastMessage().icon, Icon::Information);

    const std::string copy = dir.file("copy.db");
    prompter.queueFile(copy);
    EXPECT_TRUE(screen.backUpDatabase());
    EXPECT_EQ(prompter.lastMessage().title, kBackupTitle);
    EXPECT_EQ(test::contents(copy), test::contents(path));

    // A file that is no backup of the program's is refused before anything is asked.
    const std::string notADatabase = dir.file("notes.db");
    std::ofstream(notADatabase) << "not a database at all";
    prompter.queueFile(notADatabase);
    EXPECT_FALSE(screen.restoreFromBackup());
    EXPECT_EQ(prompter.lastMessage().title, kRestoreTitle);
    EXPECT_NE(prompter.lastMessage().text.find("cannot be restored"), std::string::npos) << prompter.lastMessage().text;

    prompter.queueFile(backup);
    prompter.queueAnswer(Answer::Yes);
    EXPECT_TRUE(screen.restoreFromBackup());
    EXPECT_EQ(test::contents(path), test::contents(backup));

    // Damaged, the file fails its check and the check says so.
    std::int64_t bankPage = 0;
    {
        store::Connection db;
        db.open(path);
        bankPage = test::rootPage(db, "veskfinacle");
    }
    test::damagePage(path, bankPage);
    EXPECT_FALSE(screen.checkDatabase());
    EXPECT_EQ(prompter.lastMessage().icon, Icon::Critical);
    // Every handler's work was told while it ran, and the status line given back after.
    EXPECT_EQ(prompter.progressTexts().back(), "");
}

TEST_F(DatabaseScreenTest, AFailureIsShownUnderItsHandlersTitleAndLeavesTheStatusLineClear) {
    // The file's folder is a file: whatever opens the database fails.
    const std::string blocked = dir.file("blocked");
    std::ofstream(blocked) << "x";
    DatabaseScreen broken(blocked + "/ZETTools.db", prompter, [] { return kScreenNow; });
    const auto failedUnder = [&](const char* title) {
        EXPECT_EQ(prompter.lastMessage().title, title);
        EXPECT_EQ(prompter.lastMessage().icon, Icon::Critical);
        EXPECT_EQ(prompter.progressTexts().back(), "");
    };
    prompter.queueFile(dir.file("copy.db"));
    EXPECT_FALSE(broken.backUpDatabase());
    failedUnder(kBackupTitle);
    prompter.queueFile(backup);
    prompter.queueAnswer(Answer::Yes);
    EXPECT_FALSE(broken.restoreFromBackup());
    failedUnder(kRestoreTitle);
    EXPECT_FALSE(fs::exists(dir.file("copy.db")));
}

TEST_F(DatabaseScreenTest, TheDailySwitchShowsWhatWasWrittenAndKeepsItsStateWhenItCannotBeWritten) {
    EXPECT_TRUE(screen.dailyBackupsOn());
    EXPECT_FALSE(screen.switchDailyBackups(false));
    EXPECT_FALSE(screen.dailyBackupsOn());
    EXPECT_EQ(screen.dailyBackupsText(), dailyBackupsText(path, false));
    EXPECT_TRUE(screen.switchDailyBackups(true));
    EXPECT_TRUE(prompter.messages().empty());

    // The backups' folder is a file: the switch cannot be written and stays as it was.
    const std::string blocked = dir.file("elsewhere");
    fs::create_directory(blocked);
    std::ofstream(blocked + "/backups") << "x";
    DatabaseScreen stuck(blocked + "/ZETTools.db", prompter, [] { return kScreenNow; });
    const bool before = stuck.dailyBackupsOn();
    EXPECT_EQ(stuck.switchDailyBackups(!before), before);
    EXPECT_EQ(prompter.lastMessage().title, "Daily Backups");
    EXPECT_EQ(prompter.lastMessage().icon, Icon::Critical);
}

}  // namespace
}  // namespace vesk::backup
