#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/Error.h"
#include "store/Connection.h"
#include "store/DatabaseLocation.h"
#include "store/StoreTestSupport.h"
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
        std::string dataHome;
        std::string path;
        DatabaseSource source;
    };
    const std::string beside = "/opt/vesk/ZETTools.db", homeShare = "/h/.local/share/vesk-orv/ZETTools.db";
    const std::vector<Case> cases = {
        {"writable folder", {}, {}, false, true, "/d", beside, BesideProgram},
        {"existing file in a read-only folder", {}, {}, true, false, "/d", beside, BesideProgram},
        {"read-only folder", {}, {}, false, false, "/d", "/d/vesk-orv/ZETTools.db", DataFolder},
        {"no XDG_DATA_HOME", {}, {}, false, false, "", homeShare, DataFolder},
        {"relative XDG_DATA_HOME", {}, {}, false, false, "rel", homeShare, DataFolder},
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
        s.dataHome = c.dataHome;
        s.home = "/h";
        // Only the file beside the program and the program's folder are asked about.
        s.exists = [&](const std::string& p) { return c.fileBeside && p == beside; };
        s.writable = [&](const std::string& p) { return c.folderWritable && p == "/opt/vesk"; };
        const DatabaseLocation l = locateDatabase(s);
        EXPECT_EQ(l.path, c.path);
        EXPECT_EQ(int(l.source), int(c.source));
        EXPECT_EQ(l.folderToMake, c.source == DataFolder ? fs::path(c.path).parent_path().string() : "");
    }
}

TEST(DatabaseLocation, RefusesWhenNeitherTheProgramsFolderNorAHomeCanHoldTheFile) {
    DatabaseSearch s;
    s.programFolder = "/opt/vesk";
    s.exists = [](const std::string&) { return false; };
    s.writable = [](const std::string&) { return false; };
    const Error e = test::errorOf([&] { locateDatabase(s); });
    EXPECT_NE(e.description().find("/opt/vesk"), std::string::npos) << e.description();
}

// The rule with this machine's checks, in folders of the test's own.
class DatabaseFolders : public ::testing::Test {
  protected:
    DatabaseSearch search(const fs::path& programFolder) {
        DatabaseSearch s = systemDatabaseSearch();
        s.variable.reset();
        s.programFolder = programFolder.string();
        s.dataHome = (m_dir.path() / "data").string();
        return s;
    }
    test::TempDir m_dir;
};

TEST_F(DatabaseFolders, TheDataFolderIsMadeAndTheDatabaseCreatedThere) {
    DatabaseSearch s = search(m_dir.path() / "bin");
    s.writable = [](const std::string&) { return false; };
    const DatabaseLocation l = locateDatabase(s);
    ASSERT_EQ(l.path, (m_dir.path() / "data/vesk-orv/ZETTools.db").string());
    ASSERT_FALSE(fs::exists(l.folderToMake));

    Connection db;
    db.open(prepareDatabaseFolder(l));
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM mastertable").toInt(), 0);
    db.close();
    // Made once; a second start finds the same file.
    EXPECT_EQ(prepareDatabaseFolder(locateDatabase(s)), l.path);
    EXPECT_TRUE(fs::is_regular_file(l.path));
}

TEST_F(DatabaseFolders, AReadOnlyProgramFolderSendsANewDatabaseToTheDataFolderButKeepsAnExistingOne) {
    const fs::path bin = m_dir.path() / "bin";
    fs::create_directory(bin);
    EXPECT_TRUE(folderWritable(bin.string()));
    EXPECT_EQ(locateDatabase(search(bin)).source, DatabaseSource::BesideProgram);
    EXPECT_FALSE(folderWritable((m_dir.path() / "missing").string()));

    std::ofstream(bin / "ZETTools.db") << "";
    fs::permissions(bin, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(locateDatabase(search(bin)).source, DatabaseSource::BesideProgram);
    fs::permissions(bin, fs::perms::owner_all);
    fs::remove(bin / "ZETTools.db");
    fs::permissions(bin, fs::perms::owner_read | fs::perms::owner_exec);
    const bool root = geteuid() == 0;
    const DatabaseSource source = locateDatabase(search(bin)).source;
    fs::permissions(bin, fs::perms::owner_all);
    if (root) GTEST_SKIP() << "root writes into a read-only folder";
    EXPECT_EQ(source, DatabaseSource::DataFolder);
}

// Which name wins is the rule's table above; here, that the machine's variable reaches it.
TEST_F(DatabaseFolders, TheVariableNamesTheFileForBothProgramsAndWithoutItItIsBesideTheProgram) {
    const std::string named = m_dir.file("named.db");
    ASSERT_EQ(setenv(kDatabaseVariable, named.c_str(), 1), 0);
    const std::string byVariable = databasePath();
    unsetenv(kDatabaseVariable);
    // With neither, beside the running program.
    EXPECT_EQ(fs::path(databasePath()), fs::read_symlink("/proc/self/exe").parent_path() / kDatabaseFileName);
    EXPECT_EQ(byVariable, named);
}

}  // namespace
}  // namespace vesk::store
