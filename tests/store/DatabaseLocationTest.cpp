#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/Error.h"
#include "core/Platform.h"
#include "store/Connection.h"
#include "store/DatabaseLocation.h"
#include "store/StoreTestSupport.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace vesk::store {
namespace {

namespace fs = std::filesystem;

TEST(DatabaseLocation, FollowsTheOverridesThenThePlaceBesideTheProgramThenTheDataFolder) {
    using enum DatabaseSource;
    struct Case {
        const char* what;
        std::optional<std::string> option, variable;
        bool fileBeside, folderWritable;
        std::string dataFolder;
        std::string path;
        DatabaseSource source;
    };
    const std::string beside = "/opt/vesk/ZETTools.db";
    const std::vector<Case> cases = {
        {"writable folder", {}, {}, false, true, "/d", beside, BesideProgram},
        {"existing file in a read-only folder", {}, {}, true, false, "/d", beside, BesideProgram},
        {"read-only folder", {}, {}, false, false, "/d", "/d/vesk-orv/ZETTools.db", DataFolder},
        {"--db over an existing file", "/x/a.db", {}, true, true, "/d", "/x/a.db", Option},
        {"--db over the variable", "a.db", "/y/b.db", false, false, "/d", "a.db", Option},
        {"variable over an existing file", {}, "/y/b.db", true, true, "/d", "/y/b.db", Variable},
        {"empty variable", {}, "", false, false, "/d", "/d/vesk-orv/ZETTools.db", DataFolder},
        {"empty --db", "", "/y/b.db", false, true, "/d", "/y/b.db", Variable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DatabaseSearch s;
        s.option = c.option;
        s.variable = c.variable;
        s.programFolder = "/opt/vesk";
        s.dataFolder = c.dataFolder;
        // Only the file beside the program and the program's folder are asked about.
        s.exists = [&](const std::string& p) { return c.fileBeside && fs::path(p) == fs::path(beside); };
        s.writable = [&](const std::string& p) { return c.folderWritable && p == "/opt/vesk"; };
        const DatabaseLocation l = locateDatabase(s);
        // Compared as paths: each system joins them with its own separator.
        EXPECT_EQ(fs::path(l.path), fs::path(c.path));
        EXPECT_EQ(int(l.source), int(c.source));
        EXPECT_EQ(fs::path(l.folderToMake), c.source == DataFolder ? fs::path(c.path).parent_path() : fs::path());
    }
}

TEST(DatabaseLocation, RefusesWhenNeitherTheProgramsFolderNorADataFolderCanHoldTheFile) {
    DatabaseSearch s;
    s.programFolder = "/opt/vesk";
    s.exists = [](const std::string&) { return false; };
    s.writable = [](const std::string&) { return false; };
    const Error e = test::errorOf([&] { locateDatabase(s); });
    EXPECT_NE(e.description().find("/opt/vesk"), std::string::npos) << e.description();
}

// The rule with this machine's checks, in folders of the test's own.
DatabaseSearch searchFrom(const std::string& programFolder, const std::string& dataFolder) {
    DatabaseSearch s = systemDatabaseSearch();
    s.variable.reset();
    s.programFolder = programFolder;
    s.dataFolder = dataFolder;
    return s;
}

class DatabaseFolders : public ::testing::Test {
  protected:
    DatabaseSearch search(const std::string& programFolder) { return searchFrom(programFolder, m_dir.file("data")); }
    test::TempDir m_dir;
};

TEST_F(DatabaseFolders, TheDataFolderIsMadeAndTheDatabaseCreatedThere) {
    DatabaseSearch s = search(m_dir.file("bin"));
    s.writable = [](const std::string&) { return false; };
    const DatabaseLocation l = locateDatabase(s);
    ASSERT_EQ(fs::path(l.path), m_dir.path() / "data" / "vesk-orv" / "ZETTools.db");
    ASSERT_FALSE(fs::exists(platform::fsPath(l.folderToMake)));

    Connection db;
    db.open(prepareDatabaseFolder(l));
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM mastertable").toInt(), 0);
    db.close();
    // Made once; a second start finds the same file.
    EXPECT_EQ(prepareDatabaseFolder(locateDatabase(s)), l.path);
    EXPECT_TRUE(fs::is_regular_file(platform::fsPath(l.path)));
}

// Where a program whose folder this user cannot write (args: the program's folder, the data
// folder) puts the database: its status is the source's number.
VESK_CHILD_ROUTINE(locatesTheDatabaseAsAnOrdinaryUser) {
    platform::dropAdministratorRights();
    return int(locateDatabase(searchFrom(args.at(0), args.at(1))).source);
}

TEST_F(DatabaseFolders, AReadOnlyProgramFolderSendsANewDatabaseToTheDataFolderButKeepsAnExistingOne) {
    const std::string bin = m_dir.file("bin"), data = m_dir.file("data");
    fs::create_directory(platform::fsPath(bin));
    EXPECT_TRUE(platform::folderWritable(bin));
    EXPECT_EQ(locateDatabase(search(bin)).source, DatabaseSource::BesideProgram);
    EXPECT_FALSE(platform::folderWritable(m_dir.file("missing")));

    // As a person's program runs, under Program Files say: the folder open to it for reading only.
    if (!platform::accessRightsHold())
        GTEST_SKIP() << "wine keeps no access rights on files and lets root past a read-only file";
    platform::shareWithOthers(m_dir.folder());
    platform::shareWithOthers(bin);
    const std::string beside = platform::joinPath(bin, "ZETTools.db");
    std::ofstream(platform::fsPath(beside)) << "";
    struct Case {
        const char* what;
        bool fileThere;
        DatabaseSource source;
    };
    const Case cases[] = {
        {"a file there", true, DatabaseSource::BesideProgram},
        {"no file there", false, DatabaseSource::DataFolder},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.fileThere) fs::remove(platform::fsPath(beside));
        platform::setReadOnly(bin, true);
        const int source = test::ChildProcess("locatesTheDatabaseAsAnOrdinaryUser", {bin, data}).wait();
        platform::setReadOnly(bin, false);
        EXPECT_EQ(source, int(c.source));
    }
}

// Which name wins is the rule's table above; here, that the machine's variable reaches it.
TEST_F(DatabaseFolders, TheVariableNamesTheFileForBothProgramsAndWithoutItItIsBesideTheProgram) {
    const std::string named = m_dir.file("named.db");
    platform::setEnvironment(kDatabaseVariable, named);
    const std::string byVariable = databasePath();
    platform::setEnvironment(kDatabaseVariable, std::nullopt);
    // With neither, beside the running program.
    EXPECT_EQ(fs::path(databasePath()), platform::fsPath(platform::programFolder()) / kDatabaseFileName);
    EXPECT_EQ(byVariable, named);
}

}  // namespace
}  // namespace vesk::store
