#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iterator>
#include <utility>

#include "core/Error.h"
#include "store/DatabaseCheck.h"
#include "store/DatabaseFiles.h"
#include "store/EngineError.h"
#include "store/OnlineBackup.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace vesk::store {
namespace {

using namespace std::chrono_literals;

class BackupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_db.open(m_path);
        test::fillDatabase(m_db, 2000);
    }

    test::TempDir m_dir;
    const std::string m_path = m_dir.file("ZETTools.db");
    Connection m_db;
};

// The other program's import of 500 bank rows, in one transaction.
void importRows(Connection& db) {
    Statement insert = db.prepare(test::insertAllColumns(Table::Finacle));
    for (int i = 0; i < 500; ++i)
        insert.execute(test::rowOf(Table::Finacle, {{"tran_id", "B" + std::to_string(i)}, {"TRAN_AMT", "7"}}));
}

// The other program (args: the file) half way through an import, which it commits once released.
VESK_CHILD_ROUTINE(importsUntilReleased) {
    Connection db;
    db.open(args.at(0));
    Transaction tx = db.begin();
    importRows(db);
    self.reached();
    self.awaitRelease();
    tx.commit();
    return 0;
}

// The other program (args: the file) starts its import once released, and says when its
// commit is held up; its status says whether it was.
VESK_CHILD_ROUTINE(importsOnceReleasedSayingWhenHeldUp) {
    self.awaitRelease();
    Connection db;
    db.open(args.at(0));
    bool told = false;
    db.setDelayWatcher([&](const DelayNotice& n) {
        if (!n.over && !std::exchange(told, true)) self.reached();
    });
    Transaction tx = db.begin();
    importRows(db);
    tx.commit();
    return told ? 0 : 2;
}

// The other program (args: the file) in a write transaction it never commits.
VESK_CHILD_ROUTINE(beginsAWriteAndGoesNoFurther) {
    Connection db;
    db.open(args.at(0));
    Transaction tx = db.begin();
    self.reached();
    self.awaitRelease();
    return 0;
}

TEST_F(BackupTest, ACopyTakenWhileAnotherProgramWritesHoldsItsChangeAndOpensWhole) {
    // The other program is half way through an import when the copy starts, and commits once
    // the copy is waiting for it.
    test::ChildProcess other("importsUntilReleased", {m_path});
    ASSERT_TRUE(other.awaitReached());
    std::vector<DelayNotice> notices;
    m_db.setDelayWatcher([&](const DelayNotice& n) {
        if (notices.empty()) other.release();
        notices.push_back(n);
    });
    const std::string copy = m_dir.file("copy.db");
    const CopiedDatabase copied = copyDatabase(m_db, copy);
    EXPECT_EQ(other.wait(), 0);

    // It waited for the change, and has it: the copy equals the database as it is now.
    ASSERT_FALSE(notices.empty());
    EXPECT_TRUE(notices.back().over);
    EXPECT_TRUE(checkDatabaseFile(copy).sound());
    EXPECT_EQ(test::contents(copy), test::contents(m_db));
    EXPECT_EQ(m_db.scalar("SELECT COUNT(*) FROM veskfinacle").toInt(), 2500);
    EXPECT_EQ(copied.bytes, std::filesystem::file_size(copy));
    EXPECT_EQ(copied.pages * test::kPageSize, std::int64_t(copied.bytes));
    Connection opened;
    opened.open(copy);
    EXPECT_EQ(opened.scalar("SELECT COUNT(*) FROM veskfinacle").toInt(), 2500);
}

TEST_F(BackupTest, AChangeCommittedWhileTheCopyIsMadeWaitsForItAndIsNotInIt) {
    // The other program starts its import once the copy has begun, and tells when its commit
    // is held up.
    test::ChildProcess other("importsOnceReleasedSayingWhenHeldUp", {m_path});
    const std::string before = test::contents(m_db);
    const std::string copy = m_dir.file("copy.db");
    bool first = true;
    copyDatabase(m_db, copy, [&] {
        // Before the first page is read: the copy goes on only once the commit waits for it.
        if (!std::exchange(first, false)) return;
        other.release();
        ASSERT_TRUE(other.awaitReached());
    });
    EXPECT_FALSE(first);
    EXPECT_EQ(other.wait(), 0) << "the commit went ahead once the copy was done";
    EXPECT_TRUE(checkDatabaseFile(copy).sound());
    EXPECT_EQ(test::contents(copy), before);
    EXPECT_EQ(m_db.scalar("SELECT COUNT(*) FROM veskfinacle").toInt(), 2500);
}

TEST_F(BackupTest, AFileKeptWithAWriteAheadLogIsCopiedWithWhatTheLogHoldsOverAnyFileThere) {
    m_db.execute("PRAGMA journal_mode = WAL");
    {
        Transaction tx = m_db.begin();
        importRows(m_db);
        tx.commit();
    }
    // The import's pages are in the log, not yet in the file.
    ASSERT_GT(std::filesystem::file_size(m_path + "-wal"), 0u);
    // A longer file at the name is replaced by the whole copy.
    const std::string copy = m_dir.file("copy.db");
    test::writeBytes(copy, std::string(10 * test::kPageSize, 'x'));
    copyDatabase(m_db, copy);
    EXPECT_TRUE(checkDatabaseFile(copy).sound());
    EXPECT_EQ(test::contents(copy), test::contents(m_db));
}

TEST_F(BackupTest, ACopyThatCannotBeMadeLeavesNoFileBehind) {
    const std::string existing = m_dir.file("existing.db");
    test::writeBytes(existing, "an older backup");
    struct Case {
        const char* name;
        std::string destination;
        long number;
        std::function<void()> before;
    };
    const Case cases[] = {
        {"the database itself", m_path, errc::kUsage, {}},
        {"a folder that does not exist", m_dir.file("no/such/copy.db"), errc::kPathAccess, {}},
        // The whole copy is made; only its rename fails.
        {"a folder at the name", m_dir.file("a folder.db"), errc::kPathAccess,
         [&] { std::filesystem::create_directory(m_dir.path() / "a folder.db"); }},
        {"another program keeps writing", existing, kInUseError, [&] { m_db.setBusyLimit(700ms); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<test::ChildProcess> other;
        if (c.number == kInUseError) {
            other.emplace("beginsAWriteAndGoesNoFurther", std::vector<std::string>{m_path});
            ASSERT_TRUE(other->awaitReached());
        }
        if (c.before) c.before();
        const std::string before = test::fileBytes(m_path);
        EXPECT_EQ(test::errorOf([&] { copyDatabase(m_db, c.destination); }).number(), c.number);
        EXPECT_EQ(test::fileBytes(m_path), before);
    }
    // The earlier file at the name is as it was, and no partial copy lies beside it.
    EXPECT_EQ(test::fileBytes(existing), "an older backup");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.path()), {}), 3)
        << "only the database, the older backup and the folder";
}

TEST_F(BackupTest, ADamagedDatabaseIsNotCopiedAndTheFailureSaysWhichFileAndPage) {
    const std::int64_t table = test::rootPage(m_db, "veskfinacle");
    const std::int64_t index = test::rootPage(m_db, "mastertable_office_name");
    const auto size = std::int64_t(std::filesystem::file_size(m_path));
    const std::int64_t last = size / test::kPageSize;
    m_db.close();
    const std::string sound = test::fileBytes(m_path);
    struct Case {
        const char* name;
        std::function<void()> spoil;
        std::int64_t page;
    };
    const Case cases[] = {
        {"a page of the bank rows", [&] { test::damagePage(m_path, table); }, table},
        {"a page of an index", [&] { test::damagePage(m_path, index, 3000, 2); }, index},
        {"the file cut off part way through its last page",
         [&] { std::filesystem::resize_file(m_path, std::uintmax_t(size - 100)); }, last},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::writeBytes(m_path, sound);
        c.spoil();
        Connection db;
        db.open(m_path);
        const Error e = test::errorOf([&] { copyDatabase(db, m_dir.file("copy.db")); });
        EXPECT_EQ(e.number(), errc::kDatabaseBase + 11);
        for (const std::string& word :
             {std::filesystem::absolute(m_path).string(), "page " + std::to_string(c.page) + " fails"})
            EXPECT_NE(e.description().find(word), std::string::npos) << word << " in: " << e.description();
        EXPECT_FALSE(std::filesystem::exists(m_dir.file("copy.db")));
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.path()), {}), 1) << "no partial copy";
    }
}

}  // namespace
}  // namespace vesk::store
