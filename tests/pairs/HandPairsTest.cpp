#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

#include "app/cli/CliRunner.h"
#include "compare/ExplanationWorkbook.h"
#include "history/HistoryWording.h"
#include "history/ImportHistory.h"
#include "pairs/HandPairs.h"
#include "pairs/PairWording.h"
#include "review/OpenItems.h"
#include "review/ReviewDatabase.h"
#include "review/StoredPairing.h"

namespace vesk::pairs {
namespace {

using test::ReviewDatabase;

const DateTime kMonday{2025, 6, 2, 10, 15, 0};

long long day(int y, int m, int d) { return daysFromCivil(y, m, d); }

// A row of the bank's file or an entry of ORV's: a deposit (receipt) unless told.
auto pairsRow(const std::string& id, const std::string& date, const std::string& amount, bool deposit = true) {
    return ReviewDatabase::entry(id, date, amount, deposit);
}

class HandPairsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db.office("102", "Bay SO", "SO", "Hill HO", "F2");
        db.importBank({pairsRow("B1", "28/04/2025", "1250"), pairsRow("B2", "10/04/2025", "300")});
        db.importOrv({pairsRow("R2", "10/04/2025", "300")});
        db.importOrv({pairsRow("R9", "03/05/2025", "1250")});
    }

    MadePair pair(const std::vector<std::string>& bank, const std::vector<std::string>& orv, bool accept = false,
                  const std::string& text = "") {
        PairRequest request = PairRequest::named(bank, orv);
        request.acceptDifference = accept;
        request.text = text;
        return makePair(db.connection(), request, "ravi", kMonday);
    }

    // The line of the row in its month's explanation of its office: "class group other-date".
    std::string explained(compare::Period month, const std::string& office, const std::string& id) {
        for (const compare::ExplainedLine& l : compare::explainOffices(db.connection(), month, {office}).lines)
            if (l.id == id) {
                const std::vector<std::string> cells = compare::explainCells(l);
                return cells[6] + " " + cells[7] + " " + cells[8];
            }
        return "not listed";
    }

    std::vector<std::string> listed(std::optional<Period> month = std::nullopt) {
        std::vector<std::string> out;
        for (const HandPair& p : listPairs(db.connection(), month))
            for (const std::vector<std::string>& cells : pairLines(p)) {
                std::string line;
                for (const std::string& c : cells) line += (line.empty() ? "" : "|") + c;
                out.push_back(line);
            }
        return out;
    }

    std::vector<std::string> pairRecords() {
        std::vector<std::string> out;
        for (const history::Record& r : history::records(db.connection()))
            if (r.pair)
                out.push_back(history::actionText(r.action) + "|" + history::periodText(r) + "|" +
                              history::nameText(r) + "|" + std::to_string(r.rows));
        return out;
    }

    // The open items' rows, from the stored pairing, which must equal a fresh one.
    std::vector<std::string> openRows() {
        store::Connection& c = db.connection();
        std::vector<std::string> fresh, stored;
        for (const compare::Explanation& m : review::freshlyPairedMonths(c).months)
            for (const compare::ExplainedLine& l : m.lines) fresh.push_back(l.id + " " + compare::pairClassKey(l.cls));
        for (const compare::Explanation& m : review::pairedMonths(c).months)
            for (const compare::ExplainedLine& l : m.lines) stored.push_back(l.id + " " + compare::pairClassKey(l.cls));
        std::sort(fresh.begin(), fresh.end());
        std::sort(stored.begin(), stored.end());
        EXPECT_EQ(stored, fresh);
        std::vector<std::string> out;
        for (const review::OpenItem& i : review::openItems(c, day(2025, 6, 30)).items) out.push_back(i.line.id);
        return out;
    }

    test::TempDir dir;
    ReviewDatabase db{dir};
};

TEST_F(HandPairsTest, RowsPairedByHandAcrossOfficesAndAMonthsEndAreManualInEachMonth) {
    db.orv("102", "2025-05-01", "Receipt", 40);  // A1: Bay SO's
    db.deposit("F1", "29/04/2025", 40);          // T2
    EXPECT_EQ(explained({2025, 4}, "Hill SO", "T2"), "Only in VESK  ");
    const MadePair made = pair({"T2"}, {"A1"}, false, "booked under Bay SO");
    ASSERT_TRUE(made.pair) << refusalText(*made.refusal, "");
    EXPECT_EQ(made.pair->number, 1);
    EXPECT_EQ(listed().back(),
              "M1|ORV|A1|01/05/2025|Bay SO|Deposit|40.00|0.00|booked under Bay SO|ravi|2025-06-02 10:15:00|held");
    // Each row manual in its own month, naming its counterpart's date; the rules pair the rest.
    EXPECT_EQ(explained({2025, 4}, "Hill SO", "T2"), "Paired by hand M1 01/05/2025");
    EXPECT_EQ(explained({2025, 5}, "Bay SO", "A1"), "Paired by hand M1 29/04/2025");
    // Listed with the matched rows only, as matched and grouped rows are.
    const compare::Explanation april = compare::explainOffices(db.connection(), {2025, 4}, {"Hill SO"});
    const auto ids = [](const std::vector<compare::ExplainedLine>& lines) {
        std::vector<std::string> out;
        for (const compare::ExplainedLine& l : lines) out.push_back(l.id);
        return out;
    };
    EXPECT_EQ(ids(compare::listedLines(april.lines, false)), (std::vector<std::string>{"B1"}));
    EXPECT_EQ(ids(compare::listedLines(april.lines, true)), (std::vector<std::string>{"B2", "R2", "B1", "T2"}));
    // The workbook's legend names the class once a line of it shows.
    const compare::ExportContext context = compare::exportContext({2025, 4}, "");
    const auto legend = [&](const std::vector<compare::ExplainedLine>& lines) {
        std::vector<std::string> out;
        for (const auto& [meaning, fill] : compare::explainedSheet(lines, context).legend)
            out.push_back(meaning.substr(0, meaning.find(':')));
        return out;
    };
    EXPECT_EQ(legend(compare::listedLines(april.lines, false)).back(), "Matched");
    EXPECT_EQ(legend(april.lines).back(), "Paired by hand");
    // Either month lists the pair; a month it does not touch does not.
    EXPECT_EQ(listed(Period{2025, 5}).size(), 2u);
    EXPECT_TRUE(listed(Period{2025, 6}).empty());
    EXPECT_EQ(pairRecords(), (std::vector<std::string>{"Hand pair made|April 2025|M1: VESK T2 with ORV A1|2"}));
}

TEST_F(HandPairsTest, EachRuleRefusesNamingItsRowAndNothingIsWritten) {
    db.importBank({pairsRow("B1", "28/04/2025", "1250"), pairsRow("B2", "10/04/2025", "300"),
                   pairsRow("B7", "07/04/2025", "20"), pairsRow("B3", "03/04/2025", "80"),
                   pairsRow("B4", "02/04/2025", "70", false)});
    db.importBank({pairsRow("B7", "07/06/2025", "20"), pairsRow("B5", "01/06/2025", "5")});
    db.deposit("F9", "05/04/2025", 50);           // T1: of no office
    db.bank("F1", "06/04/2025", "REVERSAL", 10);  // T2: neither kind
    for (int i = 0; i < 2; ++i)
        db.row(store::Table::Finacle, {{"tran_id", "D1"},
                                       {"value_date", "04/04/2025"},
                                       {"Tran_Date", "04/04/2025"},
                                       {"CASH_TRAN_TYPE", "DEPOSIT"},
                                       {"TRAN_AMT", 9},
                                       {"FACILITY_ID", "F1"}});
    ASSERT_TRUE(pair({"B2"}, {"R2"}).pair);  // M1
    const std::size_t records = history::records(db.connection()).size();

    // The rows named, written as one text each side, "B1 B2".
    struct Case {
        const char* what;
        std::string bank, orv;
        Rule rule;
        std::string text;
        std::string pairText = "";
    };
    const std::vector<Case> cases = {
        {"no bank row", "", "R9", Rule::BankCount, "A hand pair needs at least one bank row."},
        {"no ORV entry", "B1", "", Rule::OrvCount, "A hand pair needs at least one ORV entry."},
        {"eleven bank rows", "B1 B1 B1 B1 B1 B1 B1 B1 B1 B1 B1", "R9", Rule::BankCount,
         "A hand pair holds at most 10 bank rows; 11 were named."},
        {"a text too long", "B1", "R9", Rule::TextTooLong,
         "A pair's text holds at most 2,000 characters; this one has 2,001.", std::string(2001, 'x')},
        {"an unknown row", "B99", "R9", Rule::RowNotFound, "No bank row has the ID 'B99', so no pair was made."},
        {"an unknown ORV entry", "B1", "B1", Rule::RowNotFound, "No ORV entry has the ID 'B1', so no pair was made."},
        {"an ID held on two dates, without its date", "B7", "R9", Rule::RowNotFound,
         "Bank rows of 07/04/2025 and 07/06/2025 have the ID 'B7', so no pair was made: name one as B7@07/04/2025."},
        {"an ID not held on the date given", "B7@08/04/2025", "R9", Rule::RowNotFound,
         "No bank row of 08/04/2025 has the ID 'B7' (it is held on 07/04/2025 and 07/06/2025), so no pair was made."},
        {"a row the data holds twice", "D1", "R9", Rule::HeldTwice,
         "The data holds VESK D1 twice on 04/04/2025, so it cannot be paired by hand."},
        {"a row named twice", "B1 b1@28/04/2025", "R9", Rule::NamedTwice, "VESK B1 of 28/04/2025 is named twice."},
        {"a row of no office", "T1", "R9", Rule::NoOffice,
         "VESK T1 of 05/04/2025 is of no office of the office master, so it cannot be paired."},
        {"a row of neither kind", "T2", "R9", Rule::NoKind,
         "VESK T2 of 06/04/2025 is neither a deposit nor a withdrawal, so it cannot be paired."},
        {"a withdrawal with deposits", "B1 B4", "R9", Rule::KindsDiffer,
         "VESK B4 of 02/04/2025 is a withdrawal and VESK B1 of 28/04/2025 a deposit: a hand pair holds deposits with "
         "receipts, or withdrawals with payments."},
        {"a receipt with a withdrawal", "B4", "R9", Rule::KindsDiffer,
         "ORV R9 of 03/05/2025 is a receipt and VESK B4 of 02/04/2025 a withdrawal: a hand pair holds deposits with "
         "receipts, or withdrawals with payments."},
        {"more than 31 days", "B3 B7@07/06/2025", "R9", Rule::SpanTooWide,
         "VESK B3 of 03/04/2025 and VESK B7 of 07/06/2025 are 65 days apart: a hand pair spans at most 31 days."},
        {"a row already paired", "B1", "R2", Rule::AlreadyPaired, "ORV R2 of 10/04/2025 is already in hand pair M1."},
        {"sums that differ", "B1 B3", "R9", Rule::SumsDiffer,
         "The bank rows sum to 1,330.00 and the ORV entries to 1,250.00, a difference of 80.00: pair them only with "
         "the difference accepted."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto named = [](const std::string& text) {
            std::istringstream in(text);
            return std::vector<std::string>{std::istream_iterator<std::string>(in), {}};
        };
        const MadePair made = pair(named(c.bank), named(c.orv), false, c.pairText);
        ASSERT_TRUE(made.refusal);
        EXPECT_FALSE(made.pair);
        EXPECT_EQ(made.refusal->rule, c.rule);
        EXPECT_EQ(refusalText(*made.refusal, db.connection().path()), c.text);
        EXPECT_EQ(listPairs(db.connection()).size(), 1u);
        EXPECT_EQ(history::records(db.connection()).size(), records);
    }
    db.connection().execute("PRAGMA query_only = ON");
    const MadePair readOnly = pair({"B1"}, {"R9"});
    ASSERT_TRUE(readOnly.refusal);
    EXPECT_EQ(refusalText(*readOnly.refusal, "/data/ZETTools.db"),
              "The database file '/data/ZETTools.db' cannot be written, so no pair was made.");
    db.connection().execute("PRAGMA query_only = OFF");
    EXPECT_EQ(listPairs(db.connection()).size(), 1u);
    // With its date the row is one; the other row of its ID stays with the rules.
    const MadePair dated = pair({"B7@07/04/2025"}, {"R9"}, true);
    ASSERT_TRUE(dated.pair);
    EXPECT_EQ(explained({2025, 4}, "Hill SO", "B7"), "Paired by hand M2 03/05/2025");
    EXPECT_EQ(explained({2025, 6}, "Hill SO", "B7"), "Only in VESK  ");
}

TEST_F(HandPairsTest, SumsEqualWithinAHundredthOrTheDifferenceAcceptedAndKept) {
    db.importBank({pairsRow("B1", "28/04/2025", "1250"), pairsRow("B2", "10/04/2025", "300"),
                   pairsRow("B3", "02/04/2025", "600.01")});
    db.importOrv({pairsRow("R9", "03/05/2025", "1250"), pairsRow("R8", "03/05/2025", "600"),
                  pairsRow("R7", "04/05/2025", "50")});
    // 02/04 to 03/05: 31 days, the widest a pair may span.
    const MadePair within = pair({"B3"}, {"R8"});
    ASSERT_TRUE(within.pair) << refusalText(*within.refusal, "");
    EXPECT_EQ(formatAmount(within.pair->difference), "0.01");
    EXPECT_TRUE(pair({"B1"}, {"R9", "R7"}).refusal);
    const MadePair accepted = pair({"B1"}, {"R9", "R7"}, true);
    ASSERT_TRUE(accepted.pair);
    EXPECT_EQ(accepted.pair->difference, -50);
    EXPECT_EQ(listed().back(), "M2|ORV|R7|04/05/2025|Hill SO|Deposit|50.00|-50.00||ravi|2025-06-02 10:15:00|held");
    EXPECT_EQ(pairRecords().front(),
              "Hand pair made|April 2025|M2: VESK B1 with ORV R9, R7; difference -50.00 "
              "accepted|3");
}

TEST_F(HandPairsTest, NumbersAreNeverGivenTwiceAndAnUndonePairLeavesTheListing) {
    db.importOrv({pairsRow("R9", "03/05/2025", "1250"), pairsRow("R8", "05/05/2025", "7")});
    db.importBank(
        {pairsRow("B1", "28/04/2025", "1250"), pairsRow("B2", "10/04/2025", "300"), pairsRow("B3", "30/04/2025", "7")});
    ASSERT_EQ(pair({"B1"}, {"R9"}).pair->number, 1);
    ASSERT_EQ(pair({"B3"}, {"R8"}).pair->number, 2);
    EXPECT_EQ(unpair(db.connection(), "m2", "sita", kMonday).outcome, UndoOutcome::Undone);
    EXPECT_EQ(explained({2025, 4}, "Hill SO", "B3"), "Only in VESK  ");
    ASSERT_EQ(pair({"B3"}, {"R8"}).pair->number, 3);
    std::vector<int> numbers;
    for (const HandPair& p : listPairs(db.connection())) numbers.push_back(p.number);
    EXPECT_EQ(numbers, (std::vector<int>{1, 3}));

    struct Refused {
        std::string name;
        UndoOutcome outcome;
        std::string text;
    };
    for (const Refused& r : std::vector<Refused>{
             {"M2", UndoOutcome::AlreadyUndone, "Hand pair M2 was undone already."},
             {"M9", UndoOutcome::NoSuchPair, "No hand pair M9 was ever made."},
             {"X7", UndoOutcome::NotAName, "'X7' names no hand pair: they are named M1, M2 and so on."},
             {"M", UndoOutcome::NotAName, "'M' names no hand pair: they are named M1, M2 and so on."},
         }) {
        SCOPED_TRACE(r.name);
        const Undo undo = unpair(db.connection(), r.name, "sita", kMonday);
        EXPECT_EQ(undo.outcome, r.outcome);
        EXPECT_EQ(undoRefusalText(undo, r.name, ""), r.text);
    }
    EXPECT_EQ(pairRecords().at(1), "Hand pair undone|April 2025|M2: VESK B3 with ORV R8|2");
}

TEST_F(HandPairsTest, AnImportOrADeletionThatRemovesOrChangesARowBreaksThePairForGood) {
    ASSERT_TRUE(pair({"B1"}, {"R9"}).pair);
    // The same rows again, within a hundredth: the pair stands.
    db.importBank({pairsRow("B1", "28/04/2025", "1250.004"), pairsRow("B2", "10/04/2025", "300")});
    EXPECT_EQ(listPairs(db.connection()).front().state, PairState::Held);
    // Another amount: broken, its other row back with the rules.
    db.importBank({pairsRow("B1", "28/04/2025", "1300"), pairsRow("B2", "10/04/2025", "300")});
    ASSERT_EQ(listPairs(db.connection()).size(), 1u);
    EXPECT_EQ(stateText(listPairs(db.connection()).front()),
              "broken: VESK B1 of 28/04/2025 is now 1,300.00, not 1,250.00");
    EXPECT_EQ(explained({2025, 5}, "Hill SO", "R9"), "Only in ORV  ");
    EXPECT_EQ(explained({2025, 4}, "Hill SO", "B1"), "Only in VESK  ");
    // Paired again, the difference accepted; then the ORV month goes.
    ASSERT_TRUE(pair({"B1"}, {"R9"}, true).pair);
    ASSERT_GT(report::deleteMonth(db.connection(), orv::orvReport(), {2025, 5}, [] { return kMonday; }), 0);
    const std::vector<HandPair> pairs = listPairs(db.connection());
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(stateText(pairs[1]), "broken: ORV R9 of 03/05/2025 is no longer held");
    // Broken for good: the row back, the pair stays broken.
    db.importOrv({pairsRow("R9", "03/05/2025", "1250")});
    EXPECT_EQ(listPairs(db.connection())[1].state, PairState::Broken);
    // A withdrawal in the deposit's place.
    ASSERT_TRUE(pair({"B2"}, {"R2"}).pair);
    db.importBank({pairsRow("B1", "28/04/2025", "1300"), pairsRow("B2", "10/04/2025", "300", false)});
    EXPECT_EQ(stateText(listPairs(db.connection())[2]), "broken: VESK B2 of 10/04/2025 is now a withdrawal");
    // Each break is recorded once, when it happens.
    const std::vector<std::string> records = pairRecords();
    ASSERT_EQ(records.size(), 6u);
    EXPECT_EQ(records[0], "Hand pair broken|April 2025|M3: VESK B2 of 10/04/2025 is now a withdrawal|2");
    EXPECT_EQ(records[2], "Hand pair broken|April 2025|M2: ORV R9 of 03/05/2025 is no longer held|2");
    // Undoing a broken pair takes it off the listing.
    EXPECT_EQ(unpair(db.connection(), "M1", "ravi", kMonday).outcome, UndoOutcome::Undone);
    EXPECT_EQ(listPairs(db.connection()).size(), 2u);
}

TEST_F(HandPairsTest, ThePairingStoredForTheMonthsAPairTouchesIsPairedAgain) {
    EXPECT_EQ(openRows(), (std::vector<std::string>{"B1", "R9"}));
    ASSERT_TRUE(pair({"B1"}, {"R9"}).pair);
    EXPECT_TRUE(openRows().empty());
    ASSERT_EQ(unpair(db.connection(), "M1", "ravi", kMonday).outcome, UndoOutcome::Undone);
    EXPECT_EQ(openRows(), (std::vector<std::string>{"B1", "R9"}));
    ASSERT_TRUE(pair({"B1"}, {"R9"}).pair);
    EXPECT_TRUE(openRows().empty());
    db.importBank({pairsRow("B2", "10/04/2025", "300")});  // B1 gone: broken
    EXPECT_EQ(openRows(), (std::vector<std::string>{"R9"}));
}

// The records themselves are checked above; here the history verb lists them under its pairs.
TEST_F(HandPairsTest, TheHistoryListsThePairsUnderTheirOwnForm) {
    ASSERT_TRUE(pair({"B1"}, {"R9"}).pair);
    ASSERT_GT(report::deleteMonth(db.connection(), ctr::bankReport(), {2025, 4}, [] { return kMonday; }), 0);
    const std::string path = db.connection().path();
    db.connection().close();
    const cli::Outcome r = cli::runCli({"--db", path, "history", "pairs"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Hand pair broken\tApril 2025\tM1: VESK B1 of 28/04/2025 is no longer held\t2\t\t\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("Bank CTR month deletion"), std::string::npos);
    // The bank's own history holds no pair.
    EXPECT_EQ(cli::runCli({"--db", path, "history", "ctr"}).out.find("Hand pair"), std::string::npos);
}

}  // namespace
}  // namespace vesk::pairs
