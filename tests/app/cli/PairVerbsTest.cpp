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
        db.importBank({ReviewDatabase::entry("B1", "28/04/2025", "1250"),
                       ReviewDatabase::entry("B5", "02/04/2025", "301"),
                       ReviewDatabase::entry("B6", "03/04/2025", "90", false)});
        db.importBank({ReviewDatabase::entry("B5", "05/05/2025", "700")});
        db.importOrv({ReviewDatabase::entry("R2", "10/04/2025", "300")});
        db.importOrv({ReviewDatabase::entry("R9", "03/05/2025", "1250")});
        path = db.connection().path();
    }
    const std::string m1Bank =
        "M1\tBank\tB1\t28/04/2025\tHill SO\tDeposit\t1250.00\t0.00\tlate receipt\tBY\tWHEN\theld\n";
    const std::string m1Orv =
        "M1\tORV\tR9\t03/05/2025\tHill SO\tDeposit\t1250.00\t0.00\tlate receipt\tBY\tWHEN\theld\n";
    const std::string m2 = "M2\tBank\tB5\t02/04/2025\tHill SO\tDeposit\t301.00\t1.00\t\tBY\tWHEN\t";
    const std::string m2Orv = "M2\tORV\tR2\t10/04/2025\tHill SO\tDeposit\t300.00\t1.00\t\tBY\tWHEN\t";

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
        {{"pair", "--orv", "R2"}, kExitFailed, "", "A hand pair needs at least one bank row.\n"},
        {{"pair", "--bank", "B5@02/04/2025", "--orv", ""},
         kExitFailed,
         "",
         "A hand pair needs at least one ORV entry.\n"},
        {{"pair", "--bank", "B5@02/04/2025, B5@05/05/2025", "--orv", "R2"},
         kExitFailed,
         "",
         "VESK B5 of 02/04/2025 and VESK B5 of 05/05/2025 are 33 days apart: a hand pair spans at most 31 days.\n"},
        // Refused pairs take no number: the next one made is M2.
        {{"pair", "--bank", "B5@02/04/2025", "--orv", "R2", "--accept-difference"},
         kExitOk,
         kHeader + m2 + "held\n" + m2Orv + "held\n",
         ""},
        {{"pairs"}, kExitOk, kHeader + m1Bank + m1Orv + m2 + "held\n" + m2Orv + "held\n", ""},
        {{"pairs", "2025", "May"}, kExitOk, kHeader + m1Bank + m1Orv, ""},
        {{"pairs", "2025", "6"}, kExitOk, kHeader, ""},
        {{"explain", "2025", "4", "Hill SO", "--matched"},
         kExitOk,
         "Office Name\tKind\tSide\tDate\tID\tAmount\tClass\tGroup\tOther Date\tStatus\tNote\tHint\n"
         "Hill SO\tDeposit\tBank\t02/04/2025\tB5\t301.00\tmanual\tM2\t10/04/2025\t\t\t\n"
         "Hill SO\tDeposit\tORV\t10/04/2025\tR2\t300.00\tmanual\tM2\t02/04/2025\t\t\t\n"
         "Hill SO\tDeposit\tBank\t28/04/2025\tB1\t1250.00\tmanual\tM1\t03/05/2025\t\t\t\n"
         "Hill SO\tWithdrawal\tBank\t03/04/2025\tB6\t90.00\tbank-only\t\t\t\t\t\n",
         ""},
        {{"unpair", "m2"}, kExitOk, kHeader + m2 + "undone\n" + m2Orv + "undone\n", ""},
        {{"unpair", "M2"}, kExitFailed, "", "Hand pair M2 was undone already.\n"},
        {{"pairs"}, kExitOk, kHeader + m1Bank + m1Orv, ""},
        // Wrong use neither opens the file nor writes it.
        {{"pair", "B1"}, kExitUsage, "", ""},
        {{"pairs", "2025"}, kExitUsage, "", ""},
        {{"pairs", "2025", "13"}, kExitUsage, "", ""},
        {{"unpair"}, kExitUsage, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const Outcome r = runCli(path, c.args);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(withoutTimes(r.out), c.out);
        if (c.status != kExitUsage) {
            EXPECT_EQ(r.err, c.err);
        }
    }
}

}  // namespace
}  // namespace vesk::cli
