#include <gtest/gtest.h>

#include <filesystem>

#include "core/Error.h"
#include "store/DatabaseCheck.h"
#include "store/DatabaseFiles.h"
#include "store/EngineError.h"
#include "support/TempDir.h"

namespace vesk::store {
namespace {

using test::damagePage;
using test::fileBytes;
using Status = FileCheck::Status;

class DatabaseCheckTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Connection db;
        db.open(m_path);
        test::fillDatabase(db, 3000);
        m_bankPage = test::rootPage(db, "veskfinacle");
        m_indexPage = test::rootPage(db, "mastertable_office_name");
    }

    test::TempDir m_dir;
    const std::string m_path = m_dir.file("ZETTools.db");
    std::int64_t m_bankPage = 0;
    std::int64_t m_indexPage = 0;
};

TEST_F(DatabaseCheckTest, ASoundFileReadsWholeAndIsLeftAsItWas) {
    const std::string before = fileBytes(m_path);
    const FileCheck check = checkDatabaseFile(m_path);
    EXPECT_EQ(check.status, Status::Sound);
    EXPECT_TRUE(check.pagesVerified);
    EXPECT_EQ(check.pages * test::kPageSize, std::int64_t(before.size()));
    EXPECT_GT(check.pages, 50);
    EXPECT_TRUE(check.badPages.empty());
    EXPECT_EQ(fileBytes(m_path), before);
}

TEST_F(DatabaseCheckTest, APageThatNoLongerAuthenticatesIsNamedWhereverItIs) {
    struct Case {
        const char* name;
        std::int64_t page;
    };
    const Case cases[] = {
        {"a page of the bank rows", m_bankPage},
        {"a page of an index", m_indexPage},
        {"the first page, which holds the layout", 1},
        {"the last page", std::int64_t(std::filesystem::file_size(m_path)) / test::kPageSize},
    };
    const std::string sound = fileBytes(m_path);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::writeBytes(m_path, sound);
        damagePage(m_path, c.page, 2000, 1);
        const FileCheck check = checkDatabaseFile(m_path);
        EXPECT_EQ(check.status, Status::Damaged);
        EXPECT_EQ(check.badPages, std::vector<std::int64_t>{c.page});
        // Past a failing page the engine reads nothing reliable: its check is not run.
        EXPECT_TRUE(check.engineFaults.empty());
    }
}

TEST_F(DatabaseCheckTest, FilesThatAreNoneOfThisProgramsAreToldApart) {
    const std::string text = m_dir.file("notes.db");
    test::writeBytes(text, std::string(3 * test::kPageSize, 'x'));
    const std::string plain = m_dir.file("plain.db");
    test::writeBytes(plain, std::string("SQLite format 3") + '\0' + std::string(test::kPageSize - 16, '\0'));
    const std::string otherKey = m_dir.file("other.db");
    Connection(/* made with another password */).openKeyed(otherKey, "another");
    const std::string noTables = m_dir.file("tables.db");
    {
        Connection db;
        db.open(noTables);
        db.execute("DROP TABLE orvtable; DROP TABLE Youroffice");
    }
    const std::string salted = m_dir.file("salted.db");
    test::writeBytes(salted, fileBytes(m_path));
    damagePage(salted, 1, 0, 16);
    struct Case {
        const char* name;
        std::string path;
        Status status;
        std::string missing;
    };
    const Case cases[] = {
        {"text", text, Status::Unreadable, ""},
        {"a database without encryption", plain, Status::Unreadable, ""},
        {"another password", otherKey, Status::Unreadable, ""},
        {"the salt at the file's start damaged", salted, Status::Unreadable, ""},
        {"the program's key but not its tables", noTables, Status::Foreign, "Youroffice, orvtable"},
        {"no file", m_dir.file("none.db"), Status::Missing, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FileCheck check = checkDatabaseFile(c.path);
        EXPECT_EQ(check.status, c.status);
        EXPECT_EQ(check.missingTables, c.missing);
    }
    EXPECT_FALSE(std::filesystem::exists(m_dir.file("none.db")));
}

TEST_F(DatabaseCheckTest, AFileCutOffPartWayThroughAPageIsDamaged) {
    const auto size = std::filesystem::file_size(m_path);
    std::filesystem::resize_file(m_path, size - 1000);
    const FileCheck check = checkDatabaseFile(m_path);
    EXPECT_EQ(check.status, Status::Damaged);
    EXPECT_EQ(check.strayBytes, test::kPageSize - 1000);
    EXPECT_EQ(check.pages, std::int64_t(size) / test::kPageSize - 1);
}

TEST_F(DatabaseCheckTest, TheEnginesCheckFindsFaultsWhosePagesAllAuthenticate) {
    {
        // An index declared over another column than it was built on: every page is the
        // program's own, but the index no longer matches its table.
        Connection db;
        db.open(m_path);
        db.execute("PRAGMA writable_schema = ON");
        db.execute(
            "UPDATE sqlite_master SET sql = 'CREATE INDEX mastertable_office_name ON mastertable (office_id)' "
            "WHERE name = 'mastertable_office_name'");
    }
    const FileCheck check = checkDatabaseFile(m_path);
    EXPECT_EQ(check.status, Status::Damaged);
    EXPECT_TRUE(check.badPages.empty());
    ASSERT_FALSE(check.engineFaults.empty());
    EXPECT_NE(check.engineFaults.front().find("mastertable_office_name"), std::string::npos)
        << check.engineFaults.front();
}

TEST_F(DatabaseCheckTest, AnyStatementThatMeetsADamagedPageNamesTheFileAndWhatToDo) {
    struct Case {
        const char* name;
        std::int64_t page;
        std::int64_t offset;
        int count;
        long number;
        const char* reason;
    };
    const Case cases[] = {
        {"a page of the bank rows", m_bankPage, 2000, 1, errc::kDatabaseBase + 11, "is damaged"},
        {"the salt", 1, 0, 16, errc::kDatabaseBase + 26, "cannot be read with the program's key"},
    };
    const std::string sound = fileBytes(m_path);
    const std::string absolute = std::filesystem::absolute(m_path).string();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::writeBytes(m_path, sound);
        damagePage(m_path, c.page, c.offset, c.count);
        const Error e = test::errorOf([&] {
            Connection db;
            db.open(m_path);
            db.query("SELECT * FROM veskfinacle");
        });
        EXPECT_EQ(e.number(), c.number);
        for (const std::string& word : {std::string(c.reason), absolute, std::string("vesk-orv-cli check"),
                                        std::string("Check Database"), std::string("restore")})
            EXPECT_NE(e.description().find(word), std::string::npos) << word << " in: " << e.description();
    }
}

}  // namespace
}  // namespace vesk::store
