#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "backup/BackupWording.h"
#include "backup/DatabaseScreen.h"
#include "backup/PassphraseFlows.h"
#include "store/Connection.h"
#include "store/DatabaseCheck.h"
#include "store/DatabaseFiles.h"
#include "store/Passphrase.h"
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
    EXPECT_EQ(test::restoredContents(path), test::contents(backup));

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

using Kind = PassphraseRequest::Kind;

// The window's start and its Passphrase… button over a file of one office, the person scripted.
class PassphraseScreenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        store::forgetPassphrases();
        store::Connection db;
        db.open(m_path);
        db.execute("INSERT INTO Youroffice VALUES ('Screen HO', '', '')");
    }
    void TearDown() override { store::forgetPassphrases(); }

    // The key the file opens with now, tried without the run's memory.
    bool opensWith(const std::string& key) {
        store::forgetPassphrases();
        return store::keyFits(m_path, key.empty() ? store::programKey() : Secret(key));
    }

    test::TempDir m_dir;
    const std::string m_path = m_dir.file("ZETTools.db");
    test::ScriptedPrompter m_prompter;
};

TEST_F(PassphraseScreenTest, TheStartAsksThreeTimesAtMostThenEndsSayingWhy) {
    // A file without one starts unasked, as does one not made yet.
    EXPECT_TRUE(unlockDatabase(m_prompter, m_path));
    EXPECT_TRUE(unlockDatabase(m_prompter, m_dir.file("not-yet.db")));
    EXPECT_TRUE(m_prompter.passphraseRequests().empty());

    const std::string right = "start passphrase";
    struct Case {
        const char* name;
        std::vector<std::optional<std::string>> typed;  ///< nullopt: Escape
        std::string lastWords;                          ///< the last message; empty: none shown
    };
    const Case cases[] = {
        {"right at once", {right}, ""},
        {"right at the third try", {"wrong one", "wrong two", right}, store::kWrongPassphraseText},
        {"wrong three times", {"wrong one", "wrong two", "wrong three"}, passphraseWrongEachTime(m_path, 3).text},
        {"Escape at the second try", {"wrong one", std::nullopt}, passphraseNotGiven(m_path).text},
        {"left empty", {""}, passphraseNotGiven(m_path).text},
    };
    {
        store::Connection db;
        db.open(m_path);
        db.rekey(Secret(right));
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        store::forgetPassphrases();
        test::ScriptedPrompter prompter;
        for (const auto& t : c.typed) prompter.queuePassphrase(t);
        const bool opens = c.typed.back() == right;
        EXPECT_EQ(unlockDatabase(prompter, m_path), opens);
        EXPECT_EQ(prompter.passphraseRequests().size(), c.typed.size());
        EXPECT_EQ(prompter.messages().empty() ? "" : prompter.lastMessage().text, c.lastWords);
        // Once unlocked, the forms' connections open without asking; else they are refused.
        std::string opened = "opened";
        try {
            store::Connection db;
            db.open(m_path);
            EXPECT_EQ(db.scalar("SELECT ooffice_name FROM Youroffice"), store::Value("Screen HO"));
        } catch (const Error& e) {
            opened = e.description();
        }
        EXPECT_EQ(opened, opens ? "opened" : store::kProtectedText);
    }
}

// The dialogs' own refusals are the flows' tests; here, that each step reaches them and the
// file keeps the key it had unless the step went through.
TEST_F(PassphraseScreenTest, TheButtonSetsChangesAndRemovesThroughTheDialogs) {
    DatabaseScreen screen(m_path, m_prompter);
    struct Step {
        const char* name;
        std::vector<std::optional<std::string>> typed;
        std::optional<Answer> answer;
        bool done;
        std::vector<Kind> asked;
        std::string opensWith;  ///< afterwards; empty: the program's key
    };
    const std::string set = "menu passphrase", next = "next passphrase";
    const Step steps[] = {
        {"set", {set, set}, std::nullopt, true, {Kind::New, Kind::Again}, set},
        {"change refused: the current one wrong", {"not it"}, std::nullopt, false, {Kind::Current}, set},
        {"change", {set, next, next}, std::nullopt, true, {Kind::Current, Kind::New, Kind::Again}, next},
        {"remove declined", {next, ""}, Answer::No, false, {Kind::Current, Kind::New}, next},
        {"remove", {next, ""}, Answer::Yes, true, {Kind::Current, Kind::New}, ""},
    };
    std::size_t seen = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        for (const auto& t : s.typed) m_prompter.queuePassphrase(t);
        if (s.answer) m_prompter.queueAnswer(*s.answer);
        EXPECT_EQ(screen.changePassphrase(), s.done);
        std::vector<Kind> asked;
        for (const PassphraseRequest& r : m_prompter.passphraseRequests()) asked.push_back(r.kind);
        EXPECT_EQ(std::vector<Kind>(asked.begin() + std::ptrdiff_t(seen), asked.end()), s.asked);
        seen = asked.size();
        EXPECT_TRUE(opensWith(s.opensWith));
    }
    EXPECT_EQ(m_prompter.lastMessage().title, kPassphraseTitle);
}

}  // namespace
}  // namespace vesk::backup
