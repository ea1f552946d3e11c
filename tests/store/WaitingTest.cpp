#include <gtest/gtest.h>

#include <chrono>
#include <utility>
#include <vector>

#include "core/Error.h"
#include "store/Connection.h"
#include "store/EngineError.h"
#include "store/StoreTestSupport.h"
#include "store/Waiting.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace vesk::store {
namespace {

using namespace std::chrono_literals;

// Another program holding a write transaction on the file (args: its path) until it is released.
VESK_CHILD_ROUTINE(holdsAWriteUntilReleased) {
    Connection db;
    db.open(args.at(0));
    Transaction tx = db.begin();
    db.execute("INSERT INTO Youroffice VALUES ('other program', '', '')");
    self.reached();
    self.awaitRelease();
    tx.commit();
    return 0;
}

class WaitingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_db.open(m_path);
        m_db.setDelayWatcher([this](const DelayNotice& n) { m_notices.push_back(n); });
    }
    std::int64_t offices() { return m_db.scalar("SELECT COUNT(*) FROM Youroffice").toInt(); }

    test::TempDir m_dir;
    const std::string m_path = m_dir.file("ZETTools.db");
    Connection m_db;
    std::vector<DelayNotice> m_notices;
};

TEST_F(WaitingTest, AWriterGivesUpAfterTheLimitSayingSoAndWritesNothing) {
    struct Case {
        const char* name;
        std::function<void()> write;
    };
    const Case cases[] = {
        {"a transaction", [this] { m_db.begin(); }},
        {"a single statement", [this] { m_db.execute("INSERT INTO Youroffice VALUES ('mine', '', '')"); }},
    };
    m_db.setBusyLimit(900ms);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_notices.clear();
        test::ChildProcess other("holdsAWriteUntilReleased", {m_path});
        ASSERT_TRUE(other.awaitReached());
        const Error e = test::errorOf(c.write);
        EXPECT_EQ(e.number(), kInUseError);
        EXPECT_EQ(e.description(), "The database is in use by another program.");
        // Told while it waited, and told it was over.
        ASSERT_GE(m_notices.size(), 2u);
        EXPECT_EQ(m_notices.front().delay, Delay::OtherProgram);
        EXPECT_FALSE(m_notices.front().over);
        EXPECT_TRUE(m_notices.back().over);
        other.release();
        EXPECT_EQ(other.wait(), 0);
    }
    // Only the other program's rows went in.
    EXPECT_EQ(offices(), 2);
    EXPECT_EQ(m_db.scalar("SELECT COUNT(*) FROM Youroffice WHERE ooffice_name = 'mine'"), Value(0));
}

TEST_F(WaitingTest, AWriterGoesOnOnceTheOtherProgramCommitsAndSeesItsChange) {
    test::ChildProcess other("holdsAWriteUntilReleased", {m_path});
    ASSERT_TRUE(other.awaitReached());
    // The other program commits once this one has said it waits.
    bool released = false;
    m_db.setDelayWatcher([&](const DelayNotice& n) {
        if (!std::exchange(released, true)) other.release();
        m_notices.push_back(n);
    });
    {
        Transaction tx = m_db.begin();
        m_db.execute("INSERT INTO Youroffice VALUES ('mine', '', '')");
        tx.commit();
    }
    EXPECT_EQ(other.wait(), 0);
    EXPECT_EQ(offices(), 2);
    ASSERT_GE(m_notices.size(), 2u);
    EXPECT_FALSE(m_notices.front().over);
    EXPECT_TRUE(m_notices.back().over);
    // A short wait, and none at all, go unseen.
    m_notices.clear();
    m_db.execute("DELETE FROM Youroffice");
    EXPECT_TRUE(m_notices.empty());
}

}  // namespace
}  // namespace vesk::store
