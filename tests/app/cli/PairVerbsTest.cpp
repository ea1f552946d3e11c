#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "CliRunner.h"
#include "notes/Notes.h"
#include "review/ReviewDatabase.h"

namespace vesk::cli {
namespace {

using test::ReviewDatabase;

// The output with each pair line's By (the person's name) as "BY" and its When as "WHEN":
// the parts of a pair the run decides.
std::string withoutTimes(const std::string& out) {
    const std::regex pairLine("^(M[0-9]+(\t[^\t]*){8}\t)" + notes::loginName() + "\t[^\t]*\t");
    std::istringstream lines(out);
    std::string result;
    for (std::string line; std::getline(lines, line);)
        result += std::regex_replace(line, pairLine, "$1BY\tWHEN\t") + "\n";
    return result;
}

const char* const kHeader = "Pair\tSide\tID\tDate\tOffice Name\tKind\tAmount\tDifference\tText\tBy\tWhen\tState\n";

TEST(PairVerbs, PairUnpairAndListThroughTheCommandLine) {
    test::TempDir dir;
    std::string path;
    {
        ReviewDatabase db(dir);
        db.office("102", "Bay SO", "SO", "Hill HO", "F2");
        db.importBank({ReviewDatabase::entry("B1", "28/04/2025", "1250")});
        db.importOrv({ReviewDatabase::entry("R2", "10/04/2025", "300")});
        db.importOrv({ReviewDatabase::entry("R9", "03/05/2025", "1250")});
        path = db.connection().path();
    }
    const std::string m1Bank =
        "M1\tVESK\tB1\t28/04/2025\tHill SO\tDeposit\t1250.00\t0.00\tlate receipt\tBY\tWHEN\theld\n";
    const std::string m1Orv =
        "M1\tORV\tR9\t03/05/2025\tHill SO\tDeposit\t1250.00\t0.00\tlate receipt\tBY\tWHEN\theld\n";

    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out;  // its times and the person's name left out
        std::string err;
    };
    // In order: each runs on what the ones before left.
    const std::vector<Case> cases = {
        {{"pair", "--bank", "B1", "--orv", "R9", "--text", "late receipt"}, kExitOk, kHeader + m1Bank + m1Orv, ""},
        {{"pair", "--bank", "b1", "--orv", "R2"},
         kExitFailed,
         "",
         "VESK B1 of 28/04/2025 is already in hand pair M1.\n"},
        {{"pairs", "2025", "May"}, kExitOk, kHeader + m1Bank + m1Orv, ""},
        {{"unpair", "m1"},
         kExitOk,
         kHeader + m1Bank.substr(0, m1Bank.size() - 5) + "undone\n" + m1Orv.substr(0, m1Orv.size() - 5) + "undone\n",
         ""},
        {{"pairs"}, kExitOk, kHeader, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const Outcome r = runCli(path, c.args);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(withoutTimes(r.out), c.out);
        EXPECT_EQ(r.err, c.err);
    }
}

}  // namespace
}  // namespace vesk::cli
