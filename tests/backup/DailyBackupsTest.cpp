#include <gtest/gtest.h>

#include <filesystem>

#include "backup/DailyBackups.h"
#include "core/Error.h"
#include "store/DatabaseFiles.h"
#include "support/TempDir.h"

namespace vesk::backup {
namespace {

namespace fs = std::filesystem;

class DailyBackupsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_db.open(m_path);
        test::fillDatabase(m_db, 100);
        m_hook.emplace(dailyBackupHook([this] { return m_today; }));
    }
    void change(const std::string& office) {
        store::Transaction tx = m_db.begin();
        m_db.execute("INSERT INTO Youroffice VALUES (?, '', '')", {office});
        tx.commit();
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const std::string& p : dailyBackups(m_path)) out.push_back(fs::path(p).filename().string());
        return out;
    }

    test::TempDir m_dir;
    const std::string m_path = m_dir.file("ZETTools.db");
    const std::string m_folder = m_dir.file("backups");
    store::Connection m_db;
    DateTime m_today{2026, 1, 6, 9, 30, 0};
    // Installed for the test's own connection, as the programs install it at start.
    struct Hook {
        explicit Hook(store::BeforeWrite hook) : before(store::setBeforeWrite(std::move(hook))) {}
        ~Hook() { store::setBeforeWrite(std::move(before)); }
        store::BeforeWrite before;
    };
    std::optional<Hook> m_hook;
};

TEST_F(DailyBackupsTest, TheFirstChangeOfADayFirstCopiesTheDatabaseAsItWas) {
    std::vector<store::DelayNotice> notices;
    m_db.setDelayWatcher([&](const store::DelayNotice& n) { notices.push_back(n); });
    const std::string before = test::contents(m_db);
    change("first");
    ASSERT_EQ(names(), std::vector<std::string>{"ZETTools-2026-01-06.db"});
    // The person is told while the copy is made (again as it goes on), and when it is done.
    ASSERT_GE(notices.size(), 2u);
    for (std::size_t i = 0; i < notices.size(); ++i) {
        EXPECT_EQ(notices[i].delay, store::Delay::OwnWork);
        EXPECT_EQ(notices[i].over, i + 1 == notices.size());
    }
    const std::size_t told = notices.size();
    const std::string copy = m_folder + "/ZETTools-2026-01-06.db";
    EXPECT_EQ(test::contents(copy), before);
    // Later changes that day leave it as it is, and say nothing.
    change("second");
    EXPECT_EQ(test::contents(copy), before);
    EXPECT_EQ(notices.size(), told);
    // The next day's first change copies again: with the first day's changes.
    const std::string afterFirstDay = test::contents(m_db);
    m_today.day = 7;
    change("third");
    EXPECT_EQ(names(), (std::vector<std::string>{"ZETTools-2026-01-06.db", "ZETTools-2026-01-07.db"}));
    EXPECT_EQ(test::contents(m_folder + "/ZETTools-2026-01-07.db"), afterFirstDay);
}

TEST_F(DailyBackupsTest, TheNewestSevenAreKeptAndNothingElseInTheFolderIsTouched) {
    fs::create_directories(m_folder);
    for (const char* name : {"notes.txt", "ZETTools-old.db", "Other-2025-12-01.db", "ZETTools-2025-12-01.db.bak"})
        test::writeBytes(m_folder + "/" + name, name);
    for (int day = 1; day <= 10; ++day) {
        m_today.day = day;
        change("day " + std::to_string(day));
    }
    std::vector<std::string> expected;
    for (int day = 4; day <= 10; ++day)
        expected.push_back("ZETTools-2026-01-" + std::string(day < 10 ? "0" : "") + std::to_string(day) + ".db");
    EXPECT_EQ(names(), expected);
    for (const char* name : {"notes.txt", "ZETTools-old.db", "Other-2025-12-01.db", "ZETTools-2025-12-01.db.bak"})
        EXPECT_EQ(test::fileBytes(m_folder + "/" + name), name);
}

TEST_F(DailyBackupsTest, ReadingOrTurnedOffNoCopyIsKeptUntilTurnedOnAgain) {
    m_db.query("SELECT * FROM veskfinacle");
    m_db.beginRead();
    EXPECT_FALSE(fs::exists(m_folder));
    EXPECT_TRUE(dailyBackupsOn(m_path));
    setDailyBackups(m_path, false);
    EXPECT_FALSE(dailyBackupsOn(m_path));
    change("off");
    EXPECT_TRUE(names().empty());
    setDailyBackups(m_path, true);
    EXPECT_TRUE(dailyBackupsOn(m_path));
    change("on");
    EXPECT_EQ(names().size(), 1u);
}

TEST_F(DailyBackupsTest, WhenTodaysCopyCannotBeWrittenTheChangeDoesNotHappen) {
    test::writeBytes(m_folder, "a file where the folder should be");
    const std::string before = test::contents(m_db);
    const Error e = test::errorOf([&] { change("not kept"); });
    EXPECT_EQ(e.number(), errc::kPathAccess);
    EXPECT_NE(e.description().find("Nothing was changed"), std::string::npos) << e.description();
    EXPECT_NE(e.description().find("daily-backups off"), std::string::npos) << e.description();
    EXPECT_EQ(test::contents(m_db), before);
    // Turned off, the change goes ahead.
    fs::remove(m_folder);
    setDailyBackups(m_path, false);
    change("kept");
    EXPECT_NE(test::contents(m_db), before);
}

}  // namespace
}  // namespace vesk::backup
