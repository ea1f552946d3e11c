#include <gtest/gtest.h>

#include <filesystem>

#include "CliRunner.h"
#include "backup/DailyBackups.h"
#include "sample/SampleSet.h"
#include "store/DatabaseCheck.h"
#include "store/DatabaseFiles.h"
#include "support/TempDir.h"

namespace vesk::cli {
namespace {

namespace fs = std::filesystem;

// A database of the office, a backup of it taken earlier, and files that are neither.
class BackupVerbsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        store::Connection db;
        db.open(m_path);
        test::fillDatabase(db, 400, "Today");
        store::Connection old;
        old.open(m_backup);
        test::fillDatabase(old, 200, "Old");
        test::writeBytes(m_text, std::string(3 * test::kPageSize, 't'));
    }
    Outcome run(const std::vector<std::string>& args) { return runCli(m_path, args); }
    std::string kept() const {
        for (const auto& e : fs::directory_iterator(m_dir.path()))
            if (e.path().filename().string().find(".before-restore-") != std::string::npos) return e.path().string();
        return {};
    }

    test::TempDir m_dir;
    const std::string m_path = m_dir.file("ZETTools.db");
    const std::string m_backup = m_dir.file("old.db");
    const std::string m_text = m_dir.file("notes.db");
};

TEST_F(BackupVerbsTest, CheckPrintsOkOrNamesTheDamageAndExitsAccordingly) {
    struct Case {
        const char* name;
        std::function<void()> spoil;
        std::vector<std::string> args;
        int status;
        std::string firstLine;
        std::string more;
    };
    const auto officeBehindItsIndex = [&] {
        test::writeBehindIndex(m_path, "mastertable_office_name", [](store::Connection& db) {
            db.prepare(test::insertAllColumns(store::Table::Master))
                .execute(test::rowOf(store::Table::Master, {{"office_id", "999"}, {"office_name", "Behind"}}));
        });
    };
    const Case cases[] = {
        {"sound", [] {}, {"check"}, kExitOk, "ok", ""},
        // Only the full check compares an index with its table.
        {"an index that no longer matches its table",
         officeBehindItsIndex,
         {"check", "--full"},
         kExitFailed,
         "'" + m_path + "' is damaged:",
         "mastertable_office_name"},
        {"not a database",
         // Removed first: the Windows library's copy_file refuses to overwrite whatever it is told.
         [&] {
             fs::remove(m_path);
             fs::copy_file(m_text, m_path);
         },
         {"check"},
         kExitFailed,
         "'" + m_path + "': it cannot be read with the program's key",
         "Restore a backup"},
        {"no file", [&] { fs::remove(m_path); }, {"check"}, kExitFailed, "'" + m_path + "': it does not exist.", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.spoil();
        const Outcome o = run(c.args);
        EXPECT_EQ(o.status, c.status) << o.err;
        EXPECT_EQ(o.out.rfind(c.firstLine, 0), 0u) << o.out;
        EXPECT_NE(o.out.find(c.more), std::string::npos) << o.out;
    }
    EXPECT_FALSE(fs::exists(m_path)) << "check never creates the file";
}

TEST_F(BackupVerbsTest, BackupWritesAWholeCopyAndReplacesAFileOnlyWhenToldTo) {
    const std::string copy = m_dir.file("copy.db");
    Outcome o = run({"backup", copy});
    ASSERT_EQ(o.status, kExitOk) << o.err;
    EXPECT_NE(o.err.find("The database was backed up to '" + copy + "'"), std::string::npos) << o.err;
    EXPECT_EQ(test::contents(copy), test::contents(m_path));

    test::writeBytes(copy, "keep me");
    EXPECT_EQ(run({"backup", copy}).status, kExitFailed);  // asked, and no terminal answers No
    EXPECT_EQ(test::fileBytes(copy), "keep me");
    EXPECT_EQ(run({"backup", copy, "--yes"}).status, kExitOk);
    EXPECT_TRUE(store::checkDatabaseFile(copy).sound());

    EXPECT_EQ(run({"backup", m_path, "--yes"}).status, kExitUsage);
}

// Which files are refused is the restore's own tests' to check; here, that the verb reaches it.
TEST_F(BackupVerbsTest, RestoreTakesOnlyASoundBackupOfTheProgramAndKeepsTheDatabaseItReplaces) {
    const std::string before = test::fileBytes(m_path);
    const Outcome declined = run({"restore", m_backup});  // not confirmed: no terminal answers
    EXPECT_EQ(declined.status, kExitFailed);
    EXPECT_NE(declined.err.find("Replace the database"), std::string::npos) << declined.err;
    EXPECT_EQ(test::fileBytes(m_path), before);
    EXPECT_EQ(kept(), "");
    const Outcome o = run({"restore", m_backup, "--yes"});
    ASSERT_EQ(o.status, kExitOk) << o.err;
    EXPECT_EQ(test::restoredContents(m_path), test::contents(m_backup));
    ASSERT_NE(kept(), "");
    const std::vector<std::string> listed = textParts(run({"history", "database"}).out);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(textParts(listed[0], '\t')[3], fs::path(m_backup).filename().string());
    EXPECT_EQ(test::fileBytes(kept()), before);
    EXPECT_NE(o.err.find(kept()), std::string::npos) << o.err;
}

TEST_F(BackupVerbsTest, DailyBackupsAreOnUntilTurnedOffAndSaySo) {
    const std::string folder = (fs::path(m_path).parent_path() / "backups").string();
    for (const char* state : {"", "off", "on"}) {
        SCOPED_TRACE(state);
        const bool on = state != std::string("off");
        const Outcome o = *state ? run({"daily-backups", state}) : run({"daily-backups"});
        EXPECT_EQ(o.status, kExitOk) << o.err;
        EXPECT_EQ(o.out.rfind(on ? "Daily backups are on" : "Daily backups are off", 0), 0u) << o.out;
        EXPECT_NE(o.out.find(folder), std::string::npos) << o.out;
        EXPECT_EQ(fs::exists(folder + "/daily-backups-off"), !on);
    }
}

// What the listings store to be quick next time is worked out from the rows, no change of the
// person's data: it takes no daily copy, while the day's first change of the rows still does.
TEST_F(BackupVerbsTest, StoringWhatTheListingsWorkOutTakesNoDailyCopyWhileAnImportDoes) {
    sample::SampleOptions options;
    options.offices = 6;
    options.rows = 40;
    const sample::SampleSet set = sample::writeSampleSet(m_dir.file("month"), options);
    struct Hook {
        store::BeforeWrite before = store::setBeforeWrite(backup::dailyBackupHook([] { return DateTime{2026, 1, 6}; }));
        ~Hook() { store::setBeforeWrite(std::move(before)); }
    } hook;
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"open-items"}, {"explain", "2025", "4", "All"}, {"summary", "ctr"}, {"trend"}}) {
        const Outcome o = run(args);
        EXPECT_EQ(o.status, kExitOk) << args[0] << ": " << o.err;
        EXPECT_TRUE(backup::dailyBackups(m_path).empty()) << args[0];
    }
    {
        store::Connection db;
        db.open(m_path);
        EXPECT_GT(db.scalar("SELECT COUNT(*) FROM paired_months").toInt(), 0);  // stored, not skipped
    }
    const Outcome o = run({"import-ctr", set.ctrPath, "--yes"});
    EXPECT_EQ(o.status, kExitOk) << o.err;
    EXPECT_EQ(backup::dailyBackups(m_path).size(), 1u);
}

// What the damage is called is the check's own tests' to say; here, that the command line
// names its own verbs to turn to.
TEST_F(BackupVerbsTest, AVerbThatMeetsADamagedPageSaysWhereToTurnAndFails) {
    std::int64_t officePage = 0;
    {
        store::Connection db;
        db.open(m_path);
        officePage = test::rootPage(db, "mastertable");
    }
    test::damagePage(m_path, officePage);
    const Outcome o = run({"offices"});
    EXPECT_EQ(o.status, kExitFailed);
    for (const std::string& word : {std::string("is damaged (database disk image is malformed)"), m_path,
                                    std::string("vesk-orv-cli check"), std::string("vesk-orv-cli restore FILE")})
        EXPECT_NE(o.err.find(word), std::string::npos) << word << " in: " << o.err;
}

}  // namespace
}  // namespace vesk::cli
