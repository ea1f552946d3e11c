#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

#include <deque>
#include <filesystem>
#include <optional>
#include <regex>

#include "backup/BackupWording.h"
#include "backup/DailyBackups.h"
#include "backup/Rekey.h"
#include "backup/Restore.h"
#include "core/Error.h"
#include "core/Platform.h"
#include "history/HistoryWording.h"
#include "history/ImportHistory.h"
#include "store/DatabaseCheck.h"
#include "store/DatabaseFiles.h"
#include "store/OnlineBackup.h"
#include "store/Passphrase.h"
#include "store/Schema.h"
#include "support/TempDir.h"

namespace vesk::backup {
namespace {

namespace fs = std::filesystem;
using Status = store::FileCheck::Status;

const DateTime kNow{2026, 3, 9, 14, 5, 7};

// The file's history, newest first.
std::vector<history::Record> recordsIn(const std::string& path) {
    store::Connection db;
    db.open(path);
    return history::records(db);
}

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
    {
        store::Connection db;
        db.open(m_backup);
        history::Change office;
        office.action = history::Action::OfficeChange;
        office.office = "Backup Office 1";
        history::recordChange(db, office, {2026, 3, 2, 9, 0, 0});
    }
    const std::string before = test::fileBytes(m_path);
    const std::string backupContents = test::contents(m_backup);
    const history::FileDigest backupFile = history::digestFile(m_backup);
    const Restore restore = restoreDatabase(m_path, m_backup, kNow, "clerk");
    ASSERT_EQ(restore.status, Restore::Status::Restored);
    EXPECT_EQ(restore.kept, m_path + ".before-restore-20260309-140507");
    EXPECT_EQ(test::fileBytes(restore.kept), before);
    EXPECT_EQ(test::restoredContents(m_path), backupContents);
    EXPECT_TRUE(store::checkDatabaseFile(m_path, store::CheckDepth::Full).sound());
    // The backup itself is untouched, and nothing else is left beside them.
    EXPECT_EQ(test::contents(m_backup), backupContents);
    EXPECT_EQ(others(), std::vector<std::string>{fs::path(restore.kept).filename().string()});
    // The backup's own history, then the restore: who made it, from which file, and where the old one is.
    const std::vector<history::Record> recorded = recordsIn(m_path);
    ASSERT_EQ(recorded.size(), 2u);
    EXPECT_EQ(recorded[1].action, history::Action::OfficeChange);
    EXPECT_EQ(recorded[0].action, history::Action::BackupRestored);
    EXPECT_EQ(recorded[0].when, kNow);
    EXPECT_EQ(recorded[0].by, "clerk");
    EXPECT_EQ(recorded[0].kept, restore.kept);
    ASSERT_TRUE(recorded[0].file.has_value());
    EXPECT_EQ(recorded[0].file->name, "ZETTools-2026-03-02.db");
    EXPECT_EQ(recorded[0].file->size, backupFile.size);
    EXPECT_EQ(recorded[0].file->sha256, backupFile.sha256);
    EXPECT_EQ(history::detailText(recorded[0]), "The database as it was is kept as '" + restore.kept + "'");

    // Restoring again within the same second keeps the newer state under a name of its own.
    const Restore again = restoreDatabase(m_path, restore.kept, kNow, "clerk");
    ASSERT_EQ(again.status, Restore::Status::Restored);
    EXPECT_EQ(again.kept, restore.kept + "-2");
    EXPECT_EQ(test::restoredContents(again.kept), backupContents);
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
    // A later version's backup, whose index calls a function this version lacks.
    const std::string newer = m_dir.file("newer.db");
    test::writeBytes(newer, test::fileBytes(m_backup));
    {
        store::Connection db;
        db.openWithoutUpgrade(newer);
        sqlite3_create_function(
            db.handle(), "LaterKey", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
            [](sqlite3_context* c, int, sqlite3_value**) { sqlite3_result_int(c, 1); }, nullptr, nullptr);
        db.execute("CREATE INDEX later_rows ON orvtable (LaterKey(office_id))");
        db.execute("PRAGMA user_version = " + std::to_string(store::kSchemaVersion + 1));
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
        {"a newer version's backup", newer, Status::Newer},
    };
    const std::string before = test::fileBytes(m_path);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Restore restore = restoreDatabase(m_path, c.path, kNow, "clerk");
        EXPECT_EQ(restore.status, Restore::Status::Refused);
        EXPECT_EQ(restore.check.status, c.status);
        EXPECT_TRUE(restore.check.engineFaults.empty());
        EXPECT_TRUE(restore.kept.empty());
        EXPECT_EQ(test::fileBytes(m_path), before);
    }
    for (const std::string& name : others()) EXPECT_EQ(name.find("before-restore"), std::string::npos) << name;
    EXPECT_EQ(test::errorOf([&] { restoreDatabase(m_path, m_path, kNow, "clerk"); }).number(), errc::kUsage);
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
        const Restore restore = restoreDatabase(m_path, m_backup, kNow, "clerk");
        ASSERT_EQ(restore.status, Restore::Status::Restored);
        EXPECT_EQ(test::restoredContents(m_path), backupContents);
        EXPECT_EQ(c.page ? test::fileBytes(restore.kept) : restore.kept, damaged);
        EXPECT_EQ(others().size(), c.page ? 1u : 0u);
    }
}

TEST_F(RestoreTest, AJournalBesideADamagedDatabaseThatCannotBeRemovedStopsTheRestore) {
    test::damagePage(m_path, 1, 0, 16);
    const std::string journal = m_path + "-journal";
    fs::create_directories(fs::path(journal) / "not a journal");
    const std::string before = test::fileBytes(m_path);
    const Error e = test::errorOf([&] { restoreDatabase(m_path, m_backup, kNow, "clerk"); });
    EXPECT_EQ(e.number(), errc::kPathAccess);
    EXPECT_NE(e.description().find("'" + journal + "'"), std::string::npos) << e.description();
    EXPECT_EQ(test::fileBytes(m_path), before);
    for (const std::string& name : others()) EXPECT_EQ(name.find("restoring"), std::string::npos) << name;
}

TEST_F(RestoreTest, AProgramThatHasTheDatabaseOpenReadsTheRestoredContents) {
    store::Connection window;
    window.open(m_path);
    EXPECT_EQ(window.scalar("SELECT ooffice_name FROM Youroffice").toText(), "Today Office 1");
    ASSERT_EQ(restoreDatabase(m_path, m_backup, kNow, "clerk").status, Restore::Status::Restored);
    EXPECT_EQ(window.scalar("SELECT ooffice_name FROM Youroffice").toText(), "Backup Office 1");
    // And it writes into the restored file.
    window.execute("DELETE FROM Youroffice");
    store::Connection later;
    later.open(m_path);
    EXPECT_EQ(later.scalar("SELECT COUNT(*) FROM Youroffice").toInt(), 0);
    EXPECT_EQ(later.scalar("SELECT COUNT(*) FROM veskfinacle").toInt(), 300);
}

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
    const std::string copy = dailyBackupPath(m_path, m_today);
    const std::string before = test::contents(m_db);
    struct Case {
        const char* name;
        std::string inTheWay;
        const char* reason;
    };
    const Case cases[] = {
        {"a file where the folder should be", m_folder, "does not exist"},
        // No copy of today's: the copy is made, and only its rename fails.
        {"a folder, not empty, at the copy's name", copy + "/notes.txt", "Cannot rename"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::create_directories(fs::path(c.inTheWay).parent_path());
        test::writeBytes(c.inTheWay, "in the way");
        const Error e = test::errorOf([&] { change("not kept"); });
        EXPECT_EQ(e.number(), errc::kPathAccess);
        for (const std::string& words :
             {"Today's backup of the database could not be written to '" + copy + "': ", std::string(c.reason)})
            EXPECT_NE(e.description().find(words), std::string::npos) << words << " in: " << e.description();
        EXPECT_EQ(test::contents(m_db), before);
        fs::remove_all(m_folder);
    }
    // Turned off, the change goes ahead.
    setDailyBackups(m_path, false);
    change("kept");
    EXPECT_NE(test::contents(m_db), before);
}

const DateTime kProtectedDay{2026, 2, 3, 10, 0, 0};

// Each open that needs a passphrase takes the next one typed; none left: none given.
class ProtectedKeyboard {
  public:
    explicit ProtectedKeyboard(std::deque<std::string> typed = {})
        : m_typed(std::move(typed)), m_before(store::setPassphraseSource([this](const std::string&) {
              std::optional<Secret> next;
              if (!m_typed.empty()) {
                  next = Secret(m_typed.front());
                  m_typed.pop_front();
              }
              return next;
          })) {
        store::forgetPassphrases();
    }
    ~ProtectedKeyboard() {
        store::setPassphraseSource(std::move(m_before));
        store::forgetPassphrases();
    }
    ProtectedKeyboard(const ProtectedKeyboard&) = delete;
    ProtectedKeyboard& operator=(const ProtectedKeyboard&) = delete;

  private:
    std::deque<std::string> m_typed;
    store::PassphraseSource m_before;
};

// "opened", or why the file would not open.
std::string protectedOpening(const std::string& path, std::deque<std::string> typed) {
    const ProtectedKeyboard keyboard(std::move(typed));
    store::Connection db;
    try {
        db.openWithoutUpgrade(path);
    } catch (const Error& e) {
        return e.description();
    }
    return "opened";
}

class ProtectedBackupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        store::Connection db;
        db.open(m_path);
        test::fillDatabase(db, 150, "Today");
        m_contents = test::contents(db);
        db.rekey(Secret(m_passphrase));
        store::forgetPassphrases();
    }
    void TearDown() override { store::forgetPassphrases(); }

    // Opened as a program does, the passphrase typed.
    void withDatabase(const std::function<void(store::Connection&)>& work) {
        const ProtectedKeyboard keyboard({m_passphrase});
        store::Connection db;
        db.open(m_path);
        work(db);
    }

    test::TempDir m_dir;
    const std::string m_path = m_dir.file("ZETTools.db");
    const std::string m_passphrase = "office safe 42";
    std::string m_contents;
};

// A copy by hand carrying the passphrase is the store's test; here, the daily copy, and how a
// re-key takes it along and leaves a stranger's copy alone.
TEST_F(ProtectedBackupTest, TheDailyCopyKeepsThePassphraseAndAReKeyTakesItAlong) {
    std::string daily;
    withDatabase([&](store::Connection& db) { daily = keepDailyBackup(db, kProtectedDay).value_or(""); });
    ASSERT_FALSE(daily.empty());
    EXPECT_EQ(protectedOpening(daily, {}), store::kProtectedText);
    EXPECT_TRUE(platform::isOwnerOnly(daily) || !platform::accessRightsHold());  // wine keeps no access rights
    {
        const ProtectedKeyboard keyboard({m_passphrase});
        EXPECT_EQ(test::contents(daily), m_contents);
    }
    // A copy of another day under a key neither old nor new.
    const std::string stranger = dailyBackupPath(m_path, DateTime{2026, 2, 1, 9, 0, 0});
    store::Connection().openKeyed(stranger, "another program's key");
    const std::string next = "the next passphrase";
    Rekeyed done;
    withDatabase([&](store::Connection& db) { done = rekeyDatabase(db, Secret(next), "clerk", kProtectedDay); });
    EXPECT_EQ(done.copies, 1u);
    EXPECT_EQ(done.leftAlone, std::vector<std::string>{stranger});
    for (const std::string& file : {m_path, daily}) {
        SCOPED_TRACE(file);
        EXPECT_EQ(protectedOpening(file, {next}), "opened");
        EXPECT_EQ(protectedOpening(file, {m_passphrase}), store::kWrongPassphraseText);
    }
    // Removed: both open with the program's key again, unasked.
    {
        const ProtectedKeyboard keyboard({next});
        store::Connection db;
        db.open(m_path);
        done = rekeyDatabase(db, store::programKey(), "clerk", kProtectedDay);
    }
    EXPECT_EQ(done.copies, 1u);
    for (const std::string& file : {m_path, daily}) EXPECT_EQ(protectedOpening(file, {}), "opened") << file;
    // Each change recorded, as who made it, and neither passphrase anywhere in the file.
    const std::vector<history::Record> recorded = recordsIn(m_path);
    ASSERT_EQ(recorded.size(), 2u);
    EXPECT_EQ(recorded[0].action, history::Action::PassphraseRemoved);
    EXPECT_EQ(recorded[1].action, history::Action::PassphraseChanged);
    for (const history::Record& r : recorded) EXPECT_EQ(r.by + " " + isoDateTime(r.when), "clerk 2026-02-03 10:00:00");
    const std::string held = test::contents(m_path);
    for (const std::string& secret : {m_passphrase, next}) EXPECT_EQ(held.find(secret), std::string::npos);
}

// A daily copy that cannot be re-keyed once the database has its new key: the change stands,
// is reported as made, and names the copy, which keeps the old key.
TEST_F(ProtectedBackupTest, ACopyThatCannotBeReKeyedKeepsTheOldKeyAndTheChangeStands) {
    std::string daily;
    withDatabase([&](store::Connection& db) { daily = keepDailyBackup(db, kProtectedDay).value_or(""); });
    ASSERT_FALSE(daily.empty());
    // Another program reading it: the re-key cannot write it.
    store::Connection reader;
    reader.openWith(daily, Secret(m_passphrase));
    const store::Transaction reading = reader.beginRead();
    reader.scalar("SELECT COUNT(*) FROM veskfinacle");
    const std::string next = "the next passphrase";
    Rekeyed done;
    withDatabase([&](store::Connection& db) {
        EXPECT_NO_THROW(done = rekeyDatabase(db, Secret(next), "clerk", kProtectedDay));
    });
    EXPECT_EQ(done.copies, 0u);
    ASSERT_EQ(done.keptOldKey.size(), 1u);
    EXPECT_EQ(done.keptOldKey[0].first, daily);
    EXPECT_EQ(done.keptOldKey[0].second, store::kNotRekeyedText);
    const std::string said = passphraseChanged(PassphraseChange::Changed, m_path, done).text;
    EXPECT_NE(said.find("was changed."), std::string::npos) << said;
    EXPECT_NE(said.find("The daily copy '" + daily + "' could not be re-keyed ("), std::string::npos) << said;

    EXPECT_EQ(protectedOpening(m_path, {next}), "opened");
    EXPECT_EQ(protectedOpening(daily, {next}), store::kWrongPassphraseText);
    EXPECT_EQ(protectedOpening(daily, {m_passphrase}), "opened");
}

// The engine's re-keying says it succeeded when another program's lock kept it from writing.
TEST_F(ProtectedBackupTest, ADatabaseThatDidNotTakeTheNewKeyIsAFailureAndKeepsTheOldOne) {
    const std::string next = "the next passphrase";
    for (const bool writing : {true, false}) {
        SCOPED_TRACE(writing ? "another program writing" : "another program reading");
        withDatabase([&](store::Connection& db) {
            db.setBusyLimit(std::chrono::milliseconds(0));
            store::Connection other;
            other.openWith(m_path, Secret(m_passphrase));
            std::optional<store::Transaction> tx(writing ? other.begin() : other.beginRead());
            other.scalar("SELECT COUNT(*) FROM veskfinacle");
            const Error e = test::errorOf([&] { rekeyDatabase(db, Secret(next), "clerk", kProtectedDay); });
            EXPECT_EQ(e.number(), store::kNotRekeyedError);
            EXPECT_EQ(e.description(), notRekeyedText(m_path));
            tx.reset();
            // Open with the old key again, and what it writes is written with that.
            EXPECT_TRUE(db.key() == Secret(m_passphrase));
            EXPECT_TRUE(history::records(db).empty());
            db.execute("DELETE FROM Youroffice");
        });
        EXPECT_EQ(protectedOpening(m_path, {next}), store::kWrongPassphraseText);
        const ProtectedKeyboard keyboard({m_passphrase});
        EXPECT_TRUE(store::checkDatabaseFile(m_path, store::CheckDepth::Full).sound());
    }
}

TEST_F(ProtectedBackupTest, ARestoredBackupBringsItsPassphraseBack) {
    const std::string backupFile = m_dir.file("protected-backup.db");
    withDatabase([&](store::Connection& db) { store::copyDatabase(db, backupFile); });
    struct Case {
        const char* name;
        std::optional<std::string> liveKey;  ///< the database's passphrase before; none: the program's key
    };
    const Case cases[] = {
        {"over a database without one", std::nullopt},
        {"over one with another passphrase", "changed since"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string live = m_dir.file(std::string("live-") + std::to_string(&c - cases) + ".db");
        {
            store::Connection db;
            db.open(live);
            test::fillDatabase(db, 20, "Later");
            if (c.liveKey) db.rekey(Secret(*c.liveKey));
        }
        const std::string liveBefore = test::fileBytes(live);
        {
            // The backup's passphrase, asked once: by the check, then kept for the restore.
            const ProtectedKeyboard keyboard({m_passphrase});
            const Restore restore = restoreDatabase(live, backupFile, kProtectedDay, "clerk");
            ASSERT_EQ(restore.status, Restore::Status::Restored);
            EXPECT_EQ(test::fileBytes(restore.kept), liveBefore);
        }
        EXPECT_EQ(protectedOpening(live, {m_passphrase}), "opened");
        EXPECT_EQ(protectedOpening(live, {}), store::kProtectedText);
        const ProtectedKeyboard keyboard({m_passphrase});
        EXPECT_EQ(test::restoredContents(live), m_contents);
    }
    // Without its passphrase the backup is refused as protected, not damaged, and nothing changes.
    const std::string live = m_dir.file("live-0.db");
    const std::string before = test::fileBytes(live);
    const ProtectedKeyboard keyboard;
    const Restore refused = restoreDatabase(live, backupFile, kProtectedDay, "clerk");
    EXPECT_EQ(refused.status, Restore::Status::Refused);
    EXPECT_EQ(refused.check.status, store::FileCheck::Status::Protected);
    EXPECT_EQ(test::fileBytes(live), before);
}

}  // namespace
}  // namespace vesk::backup
