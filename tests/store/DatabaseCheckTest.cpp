#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "core/Error.h"
#include "store/DatabaseCheck.h"
#include "store/DatabaseFiles.h"
#include "store/EngineError.h"
#include "store/PageCodes.h"
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
    }

    test::TempDir m_dir;
    const std::string m_path = m_dir.file("ZETTools.db");
    std::int64_t m_bankPage = 0;
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
        {"the first page, which holds the layout", 1},
        {"the last page", std::int64_t(std::filesystem::file_size(m_path)) / test::kPageSize},
    };
    const std::string sound = fileBytes(m_path);
    for (const Case& c : cases) {
        for (const CheckDepth depth : {CheckDepth::Quick, CheckDepth::Full}) {
            SCOPED_TRACE(std::string(c.name) + (depth == CheckDepth::Full ? ", full check" : ", quick check"));
            test::writeBytes(m_path, sound);
            damagePage(m_path, c.page, 2000, 1);
            const FileCheck check = checkDatabaseFile(m_path, depth);
            EXPECT_EQ(check.status, Status::Damaged);
            EXPECT_EQ(check.badPages, std::vector<std::int64_t>{c.page});
            // Past a failing page the engine reads nothing reliable: its check is not run.
            EXPECT_TRUE(check.engineFaults.empty());
        }
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
        // Another key is a passphrase to this program; a salt gone reads as one too: every page
        // fails alike.
        {"another password", otherKey, Status::Protected, ""},
        {"the salt at the file's start damaged", salted, Status::Protected, ""},
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

TEST_F(DatabaseCheckTest, TheEnginesCheckFindsFaultsWhosePagesAllAuthenticateTheFullOneAlsoInTheIndexes) {
    // Every page is the program's own in each of these files: only the engine's look finds them.
    struct Case {
        const char* name;
        std::function<void(const std::string& path)> spoil;
        bool quickFinds;
        const char* says;  // in the first finding of each check that finds it
    };
    // Rewrites the file's layout as the engine lets a program do with writable_schema.
    const auto layoutEdit = [](std::string sql) {
        return [sql](const std::string& path) {
            Connection db;
            db.open(path);
            db.execute("PRAGMA writable_schema = ON");
            db.execute(sql);
        };
    };
    const auto newOffice = [](Connection& db) {
        db.prepare(test::insertAllColumns(Table::Master))
            .execute(test::rowOf(Table::Master, {{"office_id", "999"}, {"office_name", "Written Behind"}}));
    };
    const Case cases[] = {
        {"an index declared over another column than it was built on",
         layoutEdit("UPDATE sqlite_master SET sql = 'CREATE INDEX mastertable_office_name ON mastertable (office_id)' "
                    "WHERE name = 'mastertable_office_name'"),
         false, "mastertable_office_name"},
        {"a row its table holds and its index lacks",
         [&](const std::string& path) { test::writeBehindIndex(path, "mastertable_office_name", newOffice); }, false,
         "mastertable_office_name"},
        // The full check then stops where it reads the table's tree as an index.
        {"an index whose tree is a table's",
         layoutEdit("UPDATE sqlite_master SET rootpage = (SELECT rootpage FROM sqlite_master WHERE name = 'orvtable') "
                    "WHERE name = 'mastertable_office_name'"),
         true, "2nd reference to page"},
        {"an index the layout no longer lists, its pages used by nothing",
         layoutEdit("DELETE FROM sqlite_master WHERE name = 'mastertable_office_name'"), true, "never used"},
    };
    const std::string sound = fileBytes(m_path);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::writeBytes(m_path, sound);
        c.spoil(m_path);
        const FileCheck quick = checkDatabaseFile(m_path);
        const FileCheck full = checkDatabaseFile(m_path, CheckDepth::Full);
        EXPECT_EQ(quick.status, c.quickFinds ? Status::Damaged : Status::Sound);
        EXPECT_EQ(quick.engineFaults.empty(), !c.quickFinds);
        EXPECT_EQ(full.status, Status::Damaged);
        for (const FileCheck& check : {quick, full}) {
            EXPECT_TRUE(check.badPages.empty());
            EXPECT_TRUE(check.pagesVerified);
        }
        ASSERT_FALSE(full.engineFaults.empty());
        EXPECT_NE(full.engineFaults.front().find(c.says), std::string::npos) << full.engineFaults.front();
        if (c.quickFinds && !quick.engineFaults.empty()) {
            EXPECT_NE(quick.engineFaults.front().find(c.says), std::string::npos) << quick.engineFaults.front();
        }
    }
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
        {"the first page", 1, 100, 8, errc::kDatabaseBase + 26, "cannot be read with the program's key"},
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

// On Windows the engine's locks on the bytes at 1 GiB are the system's: a read that touches
// them fails while another program writes. The check and the backup read every page but that.
TEST(LockPage, PagesAreReadAroundItAndAFileEndingEarlyCountsOnlyItsWholePages) {
    using detail::kLockPage;
    using detail::kPageBytes;
    const std::uint64_t lockStart = std::uint64_t(kLockPage - 1) * kPageBytes;
    const std::uint64_t lockEnd = lockStart + kPageBytes;
    struct Case {
        const char* what;
        std::int64_t first, count;
        std::int64_t filePages;   ///< the file's length in whole pages
        std::uint64_t tailBytes;  ///< and a cut-off page's bytes after them
        std::int64_t whole;       ///< pages read whole, the lock page counted when reached
    };
    const std::int64_t big = kLockPage + 100;
    const Case cases[] = {
        {"before it", 1, 8, big, 0, 8},
        {"across it", kLockPage - 3, 8, big, 0, 8},
        {"starting at it", kLockPage, 8, big, 0, 8},
        {"ending at it", kLockPage - 7, 8, big, 0, 8},
        {"after it", kLockPage + 1, 8, big, 0, 8},
        {"it alone", kLockPage, 1, big, 0, 1},
        {"a file ending before it", kLockPage - 6, 8, kLockPage - 3, 0, 4},
        {"a file cut short after it", kLockPage - 2, 8, kLockPage + 2, 100, 5},
        {"a file ending just before it", kLockPage - 2, 8, kLockPage - 1, 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::uint64_t fileSize = std::uint64_t(c.filePages) * kPageBytes + c.tailBytes;
        std::vector<unsigned char> pages(std::size_t(c.count) * kPageBytes, 0xee);
        std::uint64_t readFrom = ~std::uint64_t(0), readTo = 0;
        const std::int64_t whole = detail::readPagesAroundLockPage(
            pages.data(), c.first, c.count, [&](unsigned char* into, std::size_t size, std::uint64_t offset) {
                EXPECT_TRUE(offset + size <= lockStart || offset >= lockEnd) << "read " << offset << "+" << size;
                const std::uint64_t end = std::min<std::uint64_t>(offset + size, std::max(fileSize, offset));
                // Each byte holds the low bits of its page's number, so a page put in the wrong place shows.
                for (std::uint64_t at = offset; at < end; ++at)
                    into[at - offset] = (unsigned char)(at / kPageBytes + 1);
                readFrom = std::min(readFrom, offset);
                readTo = std::max(readTo, end);
                return std::size_t(end - offset);
            });
        EXPECT_EQ(whole, c.whole);
        for (std::int64_t i = 0; i < whole; ++i) {
            const unsigned char expected = c.first + i == kLockPage ? 0 : (unsigned char)(c.first + i);
            EXPECT_EQ(pages[std::size_t(i) * kPageBytes], expected) << "page " << c.first + i;
            EXPECT_EQ(pages[std::size_t(i + 1) * kPageBytes - 1], expected) << "page " << c.first + i;
        }
    }
}

}  // namespace
}  // namespace vesk::store
