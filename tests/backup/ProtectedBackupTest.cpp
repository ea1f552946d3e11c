#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <optional>

#include "backup/DailyBackups.h"
#include "backup/Rekey.h"
#include "backup/Restore.h"
#include "store/DatabaseFiles.h"
#include "store/Passphrase.h"
#include "support/TempDir.h"

namespace vesk::backup {
namespace {

namespace fs = std::filesystem;

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
    EXPECT_EQ(fs::status(daily).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    {
        const ProtectedKeyboard keyboard({m_passphrase});
        EXPECT_EQ(test::contents(daily), m_contents);
    }
    // A copy of another day under a key neither old nor new.
    const std::string stranger = dailyBackupPath(m_path, DateTime{2026, 2, 1, 9, 0, 0});
    store::Connection().openKeyed(stranger, "another program's key");
    const std::string next = "the next passphrase";
    Rekeyed done;
    withDatabase([&](store::Connection& db) { done = rekeyDatabase(db, Secret(next)); });
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
        done = rekeyDatabase(db, store::programKey());
    }
    EXPECT_EQ(done.copies, 1u);
    for (const std::string& file : {m_path, daily}) EXPECT_EQ(protectedOpening(file, {}), "opened") << file;
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
            const Restore restore = restoreDatabase(live, backupFile, kProtectedDay);
            ASSERT_EQ(restore.status, Restore::Status::Restored);
            EXPECT_EQ(test::fileBytes(restore.kept), liveBefore);
        }
        EXPECT_EQ(protectedOpening(live, {m_passphrase}), "opened");
        EXPECT_EQ(protectedOpening(live, {}), store::kProtectedText);
        const ProtectedKeyboard keyboard({m_passphrase});
        EXPECT_EQ(test::contents(live), m_contents);
    }
    // Without its passphrase the backup is refused as protected, not damaged, and nothing changes.
    const std::string live = m_dir.file("live-0.db");
    const std::string before = test::fileBytes(live);
    const ProtectedKeyboard keyboard;
    const Restore refused = restoreDatabase(live, backupFile, kProtectedDay);
    EXPECT_EQ(refused.status, Restore::Status::Refused);
    EXPECT_EQ(refused.check.status, store::FileCheck::Status::Protected);
    EXPECT_EQ(test::fileBytes(live), before);
}

}  // namespace
}  // namespace vesk::backup
