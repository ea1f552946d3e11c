#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "CliRunner.h"
#include "store/DatabaseLocation.h"
#include "support/TempDir.h"

namespace vesk::cli {
namespace {

TEST(WhereVerb, NamesTheFileAndWhyWithoutCreatingIt) {
    test::TempDir dir;
    const std::string named = dir.file("named.db"), variable = dir.file("variable.db");
    std::ofstream(variable) << "";
    ASSERT_EQ(setenv(store::kDatabaseVariable, variable.c_str(), 1), 0);
    struct Case {
        std::vector<std::string> args;
        std::string out;
    };
    const std::vector<Case> cases = {
        {{"--db", named, "where"}, named + "\nnamed with --db; not created yet\n"},
        {{"where"}, variable + "\nnamed by VESK_ORV_DB\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.out);
        const Outcome o = runCli(c.args);
        EXPECT_EQ(o.status, kExitOk) << o.err;
        EXPECT_EQ(o.out, c.out);
    }
    unsetenv(store::kDatabaseVariable);
    EXPECT_FALSE(std::filesystem::exists(named));
    EXPECT_EQ(runCli({"where", "extra"}).status, kExitUsage);
}

}  // namespace
}  // namespace vesk::cli
