#include <gtest/gtest.h>

#include <cctype>

#include "CliRunner.h"
#include "notes/Notes.h"
#include "review/ReviewDatabase.h"

namespace vesk::cli {
namespace {

using test::ReviewDatabase;

// The output with each line's When (the 11th of the pairs' columns) as "WHEN" and the
// person's name as "BY": the parts of a pair the run decides.
std::string withoutTimes(const std::string& out) {
    const std::string by = notes::loginName();
    std::string result;
    std::size_t from = 0;
    while (from < out.size()) {
        const std::size_t end = out.find('\n', from);
        std::string line = out.substr(from, end - from);
        std::vector<std::string> cells;
        for (std::size_t at = 0;;) {
            const std::size_t tab = line.find('\t', at);
            cells.push_back(line.substr(at, tab - at));
            if (tab == std::string::npos) break;
            at = tab + 1;
        }
        if (cells.size() == 12 && cells[0].size() > 1 && cells[0][0] == 'M' &&
            std::isdigit(static_cast<unsigned char>(cells[0][1]))) {
            if (cells[9] == by) cells[9] = "BY";
            cells[10] = "WHEN";
        }
        line.clear();
        for (const std::string& c : cells) line += (line.empty() ? "" : "\t") + c;
        result += line + "\n";
        from = end == std::string::npos ? out.size() : end + 1;
    }
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
        {{"pair", "--bank", "B5", "--orv", "R2"},
         kExitFailed,
         "",
         "Bank rows of 02/04/2025 and 05/05/2025 have the ID 'B5', so no pair was made: name one as "
         "B5@02/04/2025.\n"},
        {{"pair", "--bank", "B5@03/04/2025", "--orv", "R2"},
         kExitFailed,
         "",
         "No bank row of 03/04/2025 has the ID 'B5' (it is held on 02/04/2025 and 05/05/2025), so no pair was "
         "made.\n"},
        {{"pair", "--bank", "B5@02/04/2025", "--orv", "R2"},
         kExitFailed,
         "",
         "The bank rows sum to 301.00 and the ORV entries to 300.00, a difference of 1.00: pair them only with "
         "the difference accepted.\n"},
        {{"pair", "--bank", "B6", "--orv", "R2"},
         kExitFailed,
         "",
         "ORV R2 of 10/04/2025 is a receipt and VESK B6 of 03/04/2025 a withdrawal: a hand pair holds deposits with "
         "receipts, or withdrawals with payments.\n"},
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
        {{"unpair", "M9"}, kExitFailed, "", "No hand pair M9 was ever made.\n"},
        {{"unpair", "B1"}, kExitFailed, "", "'B1' names no hand pair: they are named M1, M2 and so on.\n"},
        {{"pairs"}, kExitOk, kHeader + m1Bank + m1Orv, ""},
        // Its rows return to the rules, which leave them unpaired.
        {{"explain", "2025", "4", "Hill SO"},
         kExitOk,
         "Office Name\tKind\tSide\tDate\tID\tAmount\tClass\tGroup\tOther Date\tStatus\tNote\tHint\n"
         "Hill SO\tDeposit\tBank\t02/04/2025\tB5\t301.00\tbank-only\t\t\t\t\t\n"
         "Hill SO\tDeposit\tORV\t10/04/2025\tR2\t300.00\torv-only\t\t\t\t\t\n"
         "Hill SO\tWithdrawal\tBank\t03/04/2025\tB6\t90.00\tbank-only\t\t\t\t\t\n",
         ""},
        // note takes the row's date as pair does.
        {{"note", "bank", "B5", "--text", "two rows"},
         kExitFailed,
         "",
         "Bank rows of 02/04/2025 and 05/05/2025 have the ID 'B5', so no note was set: name one as B5@02/04/2025.\n"},
        // Wrong use neither opens the file nor writes it.
        {{"pair", "B1"}, kExitUsage, "", ""},
        {{"pairs", "2025"}, kExitUsage, "", ""},
        {{"pairs", "2025", "13"}, kExitUsage, "", ""},
        {{"unpair"}, kExitUsage, "", ""},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const std::string& a : c.args) line += a + " ";
        SCOPED_TRACE(line);
        std::vector<std::string> args = {"--db", path};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Outcome r = runCli(args);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(withoutTimes(r.out), c.out);
        if (c.status != kExitUsage) {
            EXPECT_EQ(r.err, c.err);
        }
    }
    // The history keeps what was made and undone, the refusals not.
    const Outcome history = runCli({"--db", path, "history", "pairs"});
    ASSERT_EQ(history.status, kExitOk) << history.err;
    std::vector<std::string> actions;
    for (std::size_t at = 0; (at = history.out.find('\t', at)) != std::string::npos;) {
        const std::size_t end = history.out.find('\t', at + 1);
        actions.push_back(history.out.substr(at + 1, end - at - 1));
        at = history.out.find('\n', end);
        if (at == std::string::npos) break;
    }
    EXPECT_EQ(actions, (std::vector<std::string>{"Hand pair undone", "Hand pair made", "Hand pair made"}));
}

}  // namespace
}  // namespace vesk::cli
