#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "backup/Restore.h"
#include "core/Error.h"
#include "store/DatabaseFiles.h"
#include "store/OnlineBackup.h"
#include "support/TempDir.h"

namespace vesk::backup {
namespace {

namespace fs = std::filesystem;
using Status = store::FileCheck::Status;

const DateTime kNow{2026, 3, 9, 14, 5, 7};

// The database holds today's data; a backup of last week holds other offices and rows.
class RestoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        {
            store::Connection db;
            db.open(m_backup);
            test::fillDatabase(db, 300, "Backup");
        }
        store::Connection db;
        db.open(m_path);
        test::fillDatabase(db, 500, "Today");
    }
    // Every file of the folder but the database and the backup.
    std::vector<std::string> others() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(m_dir.path())) {
            const std::string name = e.path().filename().string();
            if (e.path() != m_path && e.path() != m_backup) names.push_back(name);
        }
        return names;
    }

    test::TempDir m_dir;
    const std::string m_path = m_dir.file("ZETTools.db");
    const std::string m_backup = m_dir.file("ZETTools-2026-03-02.db");
};

TEST_F(RestoreTest, AGoodBackupTakesTheDatabasesPlaceAndTheOldFileIsKeptWhole) {
    const std::string before = test::fileBytes(m_path);
    const std::string backupContents = test::contents(m_backup);
    const Restore restore = restoreDatabase(m_path, m_backup, kNow);
    ASSERT_EQ(restore.status, Restore::Status::Restored);
    EXPECT_EQ(restore.kept, m_path + ".before-restore-20260309-140507");
    EXPECT_EQ(test::fileBytes(restore.kept), before);
    EXPECT_EQ(test::contents(m_path), backupContents);
    EXPECT_TRUE(store::checkDatabaseFile(m_path).sound());
    // The backup itself is untouched, and nothing else is left beside them.
    EXPECT_EQ(test::contents(m_backup), backupContents);
    EXPECT_EQ(others(), std::vector<std::string>{fs::path(restore.kept).filename().string()});

    // Restoring again within the same second keeps the newer state under a name of its own.
    const Restore again = restoreDatabase(m_path, restore.kept, kNow);
    ASSERT_EQ(again.status, Restore::Status::Restored);
    EXPECT_EQ(again.kept, restore.kept + "-2");
    EXPECT_EQ(test::contents(again.kept), backupContents);
}

TEST_F(RestoreTest, FilesThatAreNoSoundDatabaseOfTheProgramAreRefusedAndNothingChanges) {
    const std::string text = m_dir.file("notes.db");
    test::writeBytes(text, std::string(8 * test::kPageSize, 'n'));
    const std::string otherKey = m_dir.file("other.db");
    store::Connection().openKeyed(otherKey, "another");
    const std::string damaged = m_dir.file("damaged.db");
    test::writeBytes(damaged, test::fileBytes(m_backup));
    {
        store::Connection db;
        db.openWithoutUpgrade(m_backup);
        test::damagePage(damaged, test::rootPage(db, "orvtable"));
    }
    struct Case {
        const char* name;
        std::string path;
        Status status;
    };
    const Case cases[] = {
        {"a file that is no database", text, Status::Unreadable},
        {"another program's database", otherKey, Status::Protected},
        {"a damaged backup", damaged, Status::Damaged},
        {"no such file", m_dir.file("gone.db"), Status::Missing},
    };
    const std::string before = test::fileBytes(m_path);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Restore restore = restoreDatabase(m_path, c.path, kNow);
        EXPECT_EQ(restore.status, Restore::Status::Refused);
        EXPECT_EQ(restore.check.status, c.status);
        EXPECT_TRUE(restore.kept.empty());
        EXPECT_EQ(test::fileBytes(m_path), before);
    }
    for (const std::string& name : others()) EXPECT_EQ(name.find("before-restore"), std::string::npos) << name;
    EXPECT_EQ(test::errorOf([&] { restoreDatabase(m_path, m_path, kNow); }).number(), errc::kUsage);
}

TEST_F(RestoreTest, ADatabaseDamagedBeyondReadingIsReplacedAndKeptAsItWas) {
    struct Case {
        const char* name;
        std::int64_t page;
        std::int64_t offset;
        int count;
    };
    std::int64_t rowsPage = 0;
    {
        store::Connection db;
        db.open(m_path);
        rowsPage = test::rootPage(db, "veskfinacle");
    }
    const Case cases[] = {{"at its salt", 1, 0, 16},
                          {"in its layout page", 1, 200, 4},
                          {"in a page of its rows", rowsPage, 300, 4},
                          {"missing", 0, 0, 0}};
    const std::string sound = test::fileBytes(m_path);
    const std::string backupContents = test::contents(m_backup);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const std::string& name : others()) fs::remove(m_dir.path() / name);
        test::writeBytes(m_path, sound);
        if (c.page)
            test::damagePage(m_path, c.page, c.offset, c.count);
        else
            fs::remove(m_path);
        const std::string damaged = c.page ? test::fileBytes(m_path) : "";
        const Restore restore = restoreDatabase(m_path, m_backup, kNow);
        ASSERT_EQ(restore.status, Restore::Status::Restored);
        EXPECT_EQ(test::contents(m_path), backupContents);
        EXPECT_EQ(c.page ? test::fileBytes(restore.kept) : restore.kept, damaged);
        EXPECT_EQ(others().size(), c.page ? 1u : 0u);
    }
}

TEST_F(RestoreTest, AProgramThatHasTheDatabaseOpenReadsTheRestoredContents) {
    store::Connection window;
    window.open(m_path);
    EXPECT_EQ(window.scalar("SELECT ooffice_name FROM Youroffice").toText(), "Today Office 1");
    ASSERT_EQ(restoreDatabase(m_path, m_backup, kNow).status, Restore::Status::Restored);
    EXPECT_EQ(window.scalar("SELECT ooffice_name FROM Youroffice").toText(), "Backup Office 1");
    // And it writes into the restored file.
    window.execute("DELETE FROM Youroffice");
    store::Connection later;
    later.open(m_path);
    EXPECT_EQ(later.scalar("SELECT COUNT(*) FROM Youroffice").toInt(), 0);
    EXPECT_EQ(later.scalar("SELECT COUNT(*) FROM veskfinacle").toInt(), 300);
}

}  // namespace
}  // namespace vesk::backup
