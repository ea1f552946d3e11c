#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

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

TEST_F(BackupTest, ACopyTakenWhileAnotherProgramWritesHoldsItsChangeAndOpensWhole) {
    // The other program is half way through an import when the copy starts.
    test::ChildProcess other([path = m_path](test::ChildProcess& self) {
        Connection db;
        db.open(path);
        Transaction tx = db.begin();
        Statement insert = db.prepare(test::insertAllColumns(Table::Finacle));
        for (int i = 0; i < 500; ++i)
            insert.execute(test::rowOf(Table::Finacle, {{"tran_id", "B" + std::to_string(i)}, {"TRAN_AMT", "7"}}));
        self.reached();
        std::this_thread::sleep_for(1500ms);
        tx.commit();
        return 0;
    });
    ASSERT_TRUE(other.awaitReached());
    std::vector<DelayNotice> notices;
    m_db.setDelayWatcher([&](const DelayNotice& n) { notices.push_back(n); });
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
        {"another program keeps writing", existing, kInUseError, [&] { m_db.setBusyLimit(700ms); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<test::ChildProcess> other;
        if (c.before) {
            other.emplace([path = m_path](test::ChildProcess& self) {
                Connection db;
                db.open(path);
                Transaction tx = db.begin();
                self.reached();
                self.awaitRelease();
                return 0;
            });
            ASSERT_TRUE(other->awaitReached());
            c.before();
        }
        const std::string before = test::fileBytes(m_path);
        EXPECT_EQ(test::errorOf([&] { copyDatabase(m_db, c.destination); }).number(), c.number);
        EXPECT_EQ(test::fileBytes(m_path), before);
    }
    // The earlier file at the name is as it was, and no partial copy lies beside it.
    EXPECT_EQ(test::fileBytes(existing), "an older backup");
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir.path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 2u) << "only the database and the older backup";
}

TEST_F(BackupTest, AnExistingFileIsReplacedByAWholeCopy) {
    const std::string copy = m_dir.file("copy.db");
    test::writeBytes(copy, std::string(10 * test::kPageSize, 'x'));
    copyDatabase(m_db, copy);
    EXPECT_TRUE(checkDatabaseFile(copy).sound());
    EXPECT_EQ(test::contents(copy), test::contents(m_db));
}

TEST_F(BackupTest, ADamagedDatabaseIsNotCopiedAndTheFailureSaysWhichFileIsDamaged) {
    const std::int64_t page = test::rootPage(m_db, "veskfinacle");
    m_db.close();
    test::damagePage(m_path, page);
    Connection db;
    db.open(m_path);
    const Error e = test::errorOf([&] { copyDatabase(db, m_dir.file("copy.db")); });
    EXPECT_EQ(e.number(), errc::kDatabaseBase + 11);
    EXPECT_NE(e.description().find(std::filesystem::absolute(m_path).string()), std::string::npos) << e.description();
    EXPECT_FALSE(std::filesystem::exists(m_dir.file("copy.db")));
}

}  // namespace
}  // namespace vesk::store
