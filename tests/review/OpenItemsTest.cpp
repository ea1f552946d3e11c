#include <gtest/gtest.h>

#include <filesystem>

#include "app/cli/CliRunner.h"
#include "core/Platform.h"
#include "review/MonthHints.h"
#include "review/OpenItems.h"
#include "review/OpenItemsWorkbook.h"
#include "review/ReviewDatabase.h"
#include "review/ReviewStatements.h"
#include "review/ReviewWording.h"
#include "review/StoredPairing.h"
#include "support/SheetRows.h"

namespace vesk::review {
namespace {

using test::ReviewDatabase;

long long day(int y, int m, int d) { return daysFromCivil(y, m, d); }

// A month's exceptions as text, to compare a stored pairing with a fresh one.
std::vector<std::string> describe(const PairedMonths& paired) {
    std::vector<std::string> out;
    for (const compare::Explanation& month : paired.months) {
        std::vector<std::string> lines;
        for (const compare::ExplainedLine& l : month.lines)
            lines.push_back(std::to_string(month.period.year * 100 + month.period.month) + " " + l.office + " " +
                            notes::sideKey(l.side) + " " + l.id + " " + dayText(l.day) + " " +
                            compare::pairClassKey(l.cls));
        std::sort(lines.begin(), lines.end());
        out.insert(out.end(), lines.begin(), lines.end());
    }
    return out;
}

class OpenItemsTest : public ::testing::Test {
  protected:
    std::vector<std::string> listed(long long asOf) {
        std::vector<std::string> out;
        for (const OpenItem& item : openItems(db.connection(), asOf).items) {
            std::string line;
            for (const std::string& cell : openItemCells(item)) line += (line.empty() ? "" : "|") + cell;
            out.push_back(line);
        }
        return out;
    }

    // The stored pairing, which must equal a fresh one every time.
    PairedMonths stored() {
        PairedMonths p = pairedMonths(db.connection());
        EXPECT_EQ(describe(p), describe(freshlyPairedMonths(db.connection())));
        return p;
    }

    void note(notes::Side side, const std::string& id, notes::Status status, const std::string& text = "") {
        ASSERT_EQ(notes::setNote(db.connection(), side, id, {status, text}, "ravi", DateTime{2025, 6, 1}).outcome,
                  notes::Outcome::Saved);
    }

    test::TempDir dir;
    ReviewDatabase db{dir};
};

TEST_F(OpenItemsTest, AgeAndBucketAtTheBucketsEdges) {
    db.importBank({ReviewDatabase::entry("T1", "01/04/2025", "100")});
    const struct {
        long long age;
        const char* bucket;
    } cases[] = {{0, "0-30"},   {30, "0-30"},  {31, "31-60"},  {60, "31-60"},
                 {61, "61-90"}, {90, "61-90"}, {91, "over 90"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.age);
        EXPECT_EQ(listed(day(2025, 4, 1) + c.age),
                  (std::vector<std::string>{"2025-04|Hill SO|Deposit|VESK|01/04/2025|T1|100.00|Only in VESK|" +
                                            std::to_string(c.age) + "|" + c.bucket + "|||"}));
    }
    // Not yet open the day before it was booked.
    EXPECT_TRUE(listed(day(2025, 3, 31)).empty());
}

TEST_F(OpenItemsTest, ANoteThatExplainsOrResolvesAnItemTakesItOffTheList) {
    db.importBank({ReviewDatabase::entry("T1", "03/04/2025", "100"), ReviewDatabase::entry("T2", "03/04/2025", "200"),
                   ReviewDatabase::entry("T3", "03/04/2025", "300"), ReviewDatabase::entry("T4", "09/04/2025", "80")});
    db.importOrv({ReviewDatabase::entry("A1", "09/04/2025", "79.50")});
    note(notes::Side::Bank, "T1", notes::Status::Explained, "bank charge");
    note(notes::Side::Bank, "T2", notes::Status::Resolved);
    note(notes::Side::Bank, "T3", notes::Status::Open, "asked the SO");
    note(notes::Side::Orv, "A1", notes::Status::Open, "keyed wrong");
    EXPECT_EQ(listed(day(2025, 5, 3)),
              (std::vector<std::string>{
                  "2025-04|Hill SO|Deposit|VESK|03/04/2025|T3|300.00|Only in VESK|30|0-30|Open|asked the SO|",
                  "2025-04|Hill SO|Deposit|VESK|09/04/2025|T4|80.00|Amounts differ|24|0-30|||ORV A1 is 0.50 less",
                  "2025-04|Hill SO|Deposit|ORV|09/04/2025|A1|79.50|Amounts differ|24|0-30|Open|keyed wrong|VESK T4 is "
                  "0.50 more"}));
    EXPECT_EQ(openItemsHeadline(openItems(db.connection(), day(2025, 5, 3)).items),
              "0\u201330 days: 3 items, 459.50 \u00b7 31\u201360 days: 0 items, 0.00 \u00b7 61\u201390 days: 0 items, "
              "0.00 \u00b7 over 90 days: 0 items, 0.00");
}

TEST_F(OpenItemsTest, ATimingPairAcrossTheMonthsEndIsOpenUntilTheNextMonthIsIn) {
    db.importBank({ReviewDatabase::entry("T1", "30/04/2025", "400"), ReviewDatabase::entry("T2", "10/04/2025", "5")});
    db.importOrv({ReviewDatabase::entry("A1", "10/04/2025", "5")});
    EXPECT_EQ(listed(day(2025, 5, 2)),
              (std::vector<std::string>{"2025-04|Hill SO|Deposit|VESK|30/04/2025|T1|400.00|Only in VESK|2|0-30|||"}));
    EXPECT_EQ(stored().paired, 0u);  // the listing stored April

    db.importOrv({ReviewDatabase::entry("A2", "01/05/2025", "400")});
    const PairedMonths after = stored();
    EXPECT_EQ(after.paired, 2u);  // April again, and May
    EXPECT_TRUE(listed(day(2025, 5, 2)).empty());
    EXPECT_EQ(stored().reused, 2u);
}

TEST_F(OpenItemsTest, TheStoredPairingFollowsEveryChangeThatCanAlterAMonth) {
    db.office("102", "Bay SO", "SO", "Hill HO", "F2");
    db.importBank({ReviewDatabase::entry("T1", "15/01/2025", "10")});
    db.importBank({ReviewDatabase::entry("T2", "15/03/2025", "20")});
    db.importBank({ReviewDatabase::entry("T3", "15/06/2025", "30")});
    EXPECT_EQ(stored().paired, 3u);
    EXPECT_EQ(stored().reused, 3u);

    struct Change {
        const char* what;
        std::function<void()> make;
        std::size_t paired;  // months paired again
    };
    const std::vector<Change> changes = {
        {"a re-import of January touches January and March",
         [&] { db.importBank({ReviewDatabase::entry("T1", "16/01/2025", "11")}); }, 2},
        {"May's entries touch March and June but not January",
         [&] { db.importOrv({ReviewDatabase::entry("A1", "15/05/2025", "20")}); }, 3},
        {"a deletion of May touches the same months less May",
         [&] {
             report::deleteMonth(db.connection(), orv::orvReport(), {2025, 5});
         },
         2},
        {"the configured office changes nothing", [&] { db.configure("Hill HO"); }, 0},
        {"a row written without a record: every month", [&] { db.deposit("F2", "20/06/2025", "7"); }, 3},
        {"a new office master: every month",
         [&] {
             store::Connection& c = db.connection();
             c.execute("UPDATE mastertable SET office_name = 'Hill S.O' WHERE office_id = '101'");
             history::Change change;
             change.action = history::Action::MasterImport;
             history::recordChange(c, change, {2025, 7, 1});
         },
         3},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.what);
        c.make();
        EXPECT_EQ(stored().paired, c.paired);
        EXPECT_EQ(stored().paired, 0u);
    }
}

// An explanation stores the months its hints read before any listing of every month: they are
// taken as stored, and the listing pairs only the others.
TEST_F(OpenItemsTest, MonthsAnExplanationStoredStandAndAListingOfEveryMonthPairsTheOthers) {
    db.importBank({ReviewDatabase::entry("T1", "15/01/2025", "10")});
    db.importBank({ReviewDatabase::entry("T2", "15/04/2025", "20")});
    db.importBank({ReviewDatabase::entry("T3", "15/06/2025", "30")});
    EXPECT_FALSE(keepHintMonths(db.connection(), {2025, 4}).has_value());  // March and May hold nothing
    EXPECT_EQ(pairedMonths(db.connection(), {{2025, 4}}).reused, 1u);
    const PairedMonths all = stored();
    EXPECT_EQ(all.paired, 2u);  // January and June
    EXPECT_EQ(all.reused, 1u);
    EXPECT_EQ(stored().reused, 3u);
}

// A month that holds no rows has no lines, whatever its neighbours hold: once they stand as
// stored, asking for it again pairs nothing, and starts nothing beside a pairing. (Every
// explanation of the newest month asks for the month after it.)
TEST_F(OpenItemsTest, AMonthThatHoldsNoRowsIsNotPairedAgainAndAgain) {
    db.importBank({ReviewDatabase::entry("T1", "30/04/2025", "20")});  // within May's window
    db.importOrv({ReviewDatabase::entry("A2", "02/06/2025", "30")});
    int started = 0;
    const auto startBeside = [&started] { ++started; };
    const std::vector<compare::Period> months = {{2025, 4}, {2025, 5}, {2025, 6}};
    const PairedMonths first = pairedMonths(db.connection(), months, startBeside);
    EXPECT_EQ(started, 1);
    EXPECT_EQ(first.paired, 3u);
    const PairedMonths again = pairedMonths(db.connection(), months, startBeside);
    EXPECT_EQ(started, 1);
    EXPECT_EQ(again.reused, 2u);
    EXPECT_EQ(describe(again), describe(first));
    ASSERT_EQ(again.months.size(), 3u);
    EXPECT_TRUE(again.months[1].lines.empty());
    EXPECT_EQ(again.months[2].lines.size(), 1u);
}

// Months an explanation stored before any listing of every month are as open to a row written
// without a record since as those a listing stored.
TEST_F(OpenItemsTest, ARowWrittenWithoutARecordAfterAnExplanationStoredItsMonthsIsSeen) {
    db.importBank({ReviewDatabase::entry("T1", "15/04/2025", "20")});
    db.importOrv({ReviewDatabase::entry("A1", "16/04/2025", "20")});
    EXPECT_EQ(pairedMonths(db.connection(), {{2025, 4}}).paired, 1u);
    db.deposit("F1", "20/04/2025", "7");
    const PairedMonths april = pairedMonths(db.connection(), {{2025, 4}});
    EXPECT_EQ(april.paired, 1u);
    EXPECT_EQ(describe(april), describe(freshlyPairedMonths(db.connection())));
    EXPECT_EQ(stored().reused, 1u);
}

// Every field a line carries, group numbers and twins too, to compare two pairings exactly.
std::vector<std::string> everyField(const std::vector<compare::Explanation>& months) {
    std::vector<std::string> out;
    for (const compare::Explanation& month : months) {
        out.push_back("month " + std::to_string(month.period.key()));
        for (const compare::ExplainedLine& l : month.lines)
            out.push_back(l.office + " " + notes::kindKey(l.kind) + " " + notes::sideKey(l.side) + " " + l.id + " " +
                          dayText(l.day) + " " + std::to_string(l.amount) + " " + compare::pairClassKey(l.cls) + " " +
                          std::to_string(l.group) + (l.twin ? " twin " + l.twin->id : ""));
    }
    return out;
}

TEST_F(OpenItemsTest, MonthsPairedTogetherOrOnTwoConnectionsAreEachMonthOnItsOwn) {
    // Fourteen months with a gap and shifts across the months' ends: runs read apart, so that
    // the later ones go to a second connection, while inside a transaction of its own the first
    // connection pairs them all; either way each month is as it pairs alone.
    db.office("102", "Bay SO", "SO", "Hill HO", "F2");
    const auto dateOf = [](int day, int i) {
        const auto two = [](int n) { return std::string(n < 10 ? "0" : "") + std::to_string(n); };
        return two(day) + "/" + two(1 + i % 12) + "/" + std::to_string(2025 + i / 12);
    };
    std::vector<test::Entry> bank, orv;
    for (int i = 0; i < 16; ++i) {
        if (i == 9 || i == 10) continue;  // the gap
        const std::string id = std::to_string(i);
        bank.push_back(ReviewDatabase::entry("T" + id + "a", dateOf(27, i), "100"));
        orv.push_back(ReviewDatabase::entry("A" + id + "a", dateOf(27, i), "99"));
        bank.push_back(ReviewDatabase::entry("T" + id + "b", dateOf(12, i), "7"));
        bank.push_back(ReviewDatabase::entry("T" + id + "c", dateOf(12, i), "7"));  // booked twice
        orv.push_back(ReviewDatabase::entry("A" + id + "b", dateOf(20, i), std::to_string(3 + i)));
        if (i == 8 || i == 15) continue;  // no shift into the gap or past the last month
        bank.push_back(ReviewDatabase::entry("T" + id + "d", dateOf(28, i), "250"));
        orv.push_back(ReviewDatabase::entry("A" + id + "d", dateOf(2, i + 1), "250"));  // 2 to 5 days later
    }
    db.importBank(bank);
    db.importOrv(orv);
    db.deposit("F2", "01/03/2025", "9");
    db.deposit("F2", "05/06/2025", "9");
    const std::vector<compare::Period> months = heldMonths(db.connection());
    ASSERT_EQ(months.size(), 14u);
    const std::vector<compare::Explanation> shared = compare::explainEveryOffice(db.connection(), months, isException);
    std::vector<compare::Explanation> inOne;
    {
        store::Transaction tx = db.connection().beginRead();
        inOne = compare::explainEveryOffice(db.connection(), months, isException);
    }
    EXPECT_EQ(everyField(shared), everyField(inOne));
    ASSERT_EQ(shared.size(), months.size());
    for (std::size_t i = 0; i < months.size(); ++i) {
        SCOPED_TRACE(months[i].key());
        EXPECT_EQ(shared[i].period, months[i]);
        EXPECT_FALSE(shared[i].lines.empty());
        compare::Explanation alone = compare::explainOffices(db.connection(), months[i], {"Hill SO", "Bay SO"});
        std::erase_if(alone.lines, [](const compare::ExplainedLine& l) { return !isException(l.cls); });
        EXPECT_EQ(describe({{shared[i]}}), describe({{alone}}));
    }
    // And a listing of them all stores what a fresh pairing finds.
    EXPECT_EQ(stored().paired, 14u);
    EXPECT_EQ(stored().reused, 14u);
}

TEST_F(OpenItemsTest, ADateThatIsNoDateFailsTheListingOnEitherConnection) {
    const char* dates[] = {"not a date", "31/02/2025"};
    for (const char* date : dates) {
        SCOPED_TRACE(date);
        test::TempDir own;
        ReviewDatabase rows{own};
        std::vector<test::Entry> bank;
        for (int m = 1; m <= 12; ++m)
            bank.push_back(ReviewDatabase::entry(
                "T" + std::to_string(m), "15/" + std::string(m < 10 ? "0" : "") + std::to_string(m) + "/2025", "10"));
        rows.importBank(bank);
        rows.deposit("F1", date, "1");
        try {
            openItems(rows.connection(), day(2026, 1, 1));
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "Type mismatch");
        }
    }
}

TEST_F(OpenItemsTest, AFileThatCannotBeWrittenIsListedAllTheSameAndStoresNothing) {
    db.importBank({ReviewDatabase::entry("T1", "15/04/2025", "10")});
    db.connection().execute("PRAGMA query_only = ON");
    for (int run = 0; run < 2; ++run) {
        const PairedMonths p = stored();
        EXPECT_EQ(p.paired, 1u);  // nothing kept from the run before
    }
    EXPECT_EQ(listed(day(2025, 4, 30)).size(), 1u);
}

TEST_F(OpenItemsTest, TheHeldMonthsAreTheSameThroughEitherLayoutsBankIndex) {
    test::MonthDatabase& rows = db;
    // Facilities whose months interleave, a month held by one facility only, a bank month
    // whose only row has no facility (not held), rows without a date (key 0) and ORV months.
    rows.deposit("F1", "15/04/2025", "1");
    rows.deposit("F2", "03/03/2025", "1");
    rows.withdrawal("F1", "28/02/2026", "1");
    rows.deposit("F3", "31/12/2024", "1");
    rows.deposit("F2", "15/04/2025", "1");
    rows.deposit("F9", "no date", "1");
    rows.orv("101", "2025-07-01", "R", "1");
    rows.orv("101", "01/04/2025", "R", "1");
    rows.connection().execute(
        "INSERT INTO veskfinacle (tran_id, Tran_Date, CASH_TRAN_TYPE, TRAN_AMT) VALUES ('N1', '10/09/2025', "
        "'DEPOSIT', 1)");
    const std::vector<std::int64_t> held = {0, 202412, 202503, 202504, 202507, 202602};
    const auto keys = [&](compare::BankIndex index) {
        std::vector<std::int64_t> out;
        const store::ResultSet rs = rows.connection().query(sql::heldMonthsStatement(index));
        for (std::size_t r = 0; r < rs.rowCount(); ++r) out.push_back(rs.field(r, 0).toInt());
        return out;
    };
    EXPECT_EQ(keys(compare::BankIndex::MonthFirst), held);
    test::makeLayoutBeforeMonthFirstBank(rows.connection());
    EXPECT_EQ(keys(compare::BankIndex::Older), held);
    EXPECT_EQ(keys(compare::BankIndex::MonthFirst), held);
}

TEST_F(OpenItemsTest, OnlyTheConfiguredOfficesScopeInDateOfficeSideAndIdOrder) {
    db.office("100", "Hill HO", "HPO", "Hill HO", "F0");
    db.office("201", "abc SO", "SO", "Lake HO", "F3");
    db.office("202", "Bay SO", "SO", "Hill HO", "F2");
    db.importBank({ReviewDatabase::entry("T9", "05/04/2025", "10"), ReviewDatabase::entry("T10", "05/04/2025", "20")});
    db.withdrawal("F2", "05/04/2025", "30");       // T1
    db.orv("202", "05/04/2025", "Receipt", "40");  // A2
    db.deposit("F3", "04/04/2025", "50");          // T3
    const auto offices = [&] {
        std::vector<std::string> out;
        for (const OpenItem& i : openItems(db.connection(), day(2025, 4, 30)).items)
            out.push_back(i.line.office + " " + notes::sideKey(i.line.side) + " " + i.line.id);
        return out;
    };
    // The division: every office, the 4th first, then by office name in any letter case.
    EXPECT_EQ(offices(), (std::vector<std::string>{"abc SO bank T3", "Bay SO bank T1", "Bay SO orv A2",
                                                   "Hill SO bank T10", "Hill SO bank T9"}));
    db.configure("Hill HO");
    EXPECT_EQ(offices(),
              (std::vector<std::string>{"Bay SO bank T1", "Bay SO orv A2", "Hill SO bank T10", "Hill SO bank T9"}));
}

TEST_F(OpenItemsTest, CommandLineAndWorkbook) {
    db.importBank({ReviewDatabase::entry("T1", "01/02/2025", "1000"), ReviewDatabase::entry("T2", "20/03/2025", "5")});
    const std::string path = db.connection().path();
    db.connection().close();
    const std::string header =
        "Month\tOffice Name\tKind\tSide\tDate\tID\tAmount\tClass\tAge\tBucket\tStatus\tNote\tHint\n";

    auto r = cli::runCli({"--db", path, "open-items", "--as-of", "05/04/2025"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, header +
                         "2025-02\tHill SO\tDeposit\tVESK\t01/02/2025\tT1\t1000.00\tOnly in VESK\t63\t61-90\t\t\t\n"
                         "2025-03\tHill SO\tDeposit\tVESK\t20/03/2025\tT2\t5.00\tOnly in VESK\t16\t0-30\t\t\t\n");
    r = cli::runCli({"--db", path, "open-items", "--as-of", "31/01/2025"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, header);
    EXPECT_EQ(r.err, "No open items as of 31/01/2025.\n");

    const std::string out = dir.file("out");
    r = cli::runCli({"--db", path, "export", "open-items", "--as-of", "05/04/2025", "--out", out});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string file = platform::joinPath(out, "Open_Items_05-04-2025.xlsx");
    EXPECT_EQ(r.out, file + "\n");
    const std::vector<std::string> rows = test::sheetRows(file);
    ASSERT_EQ(rows.size(), 14u);
    EXPECT_EQ(rows[1], "As of 05/04/2025");
    EXPECT_EQ(rows[5], "1|0\u201330 days|1|5.00");
    EXPECT_EQ(rows[7], "3|61\u201390 days|1|1,000.00");
    EXPECT_EQ(rows[12], "1|2025-02|Hill SO|Deposit|VESK|01/02/2025|T1|1000.00|Only in VESK|63|61-90");
}

}  // namespace
}  // namespace vesk::review
