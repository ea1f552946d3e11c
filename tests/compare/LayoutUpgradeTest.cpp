#include <gtest/gtest.h>

#include "compare/CompareStatements.h"
#include "compare/MonthComparison.h"
#include "ctr/BankReport.h"
#include "history/ImportHistory.h"
#include "orv/OrvReport.h"
#include "report/ReportMonths.h"
#include "report/ReportStatements.h"
#include "report/SummaryRows.h"
#include "store/DatabaseCheck.h"
#include "store/Schema.h"
#include "store/StoreTestSupport.h"
#include "support/MonthDatabase.h"
#include "support/TempDir.h"

namespace vesk::compare {
namespace {

using test::errorOf;

// Two results compare field by field, types included.
std::vector<std::string> rowsOf(const store::ResultSet& rs) { return test::rowsOf(rs, true); }

// Takes a file back to the layout before the totals per office and month.
void makeSecondLayout(store::Connection& db) {
    test::makeLayoutBeforeNotes(db);
    db.execute("DROP TABLE office_month_totals");
    db.execute("DROP TABLE office_month_marks");
    db.execute("PRAGMA user_version = 2");
}

// Takes a file back to the layout of the program's first version: its four tables and
// their indexes only and no layout version, as every file made before versions were
// recorded is.
void makeFirstLayout(store::Connection& db) {
    makeSecondLayout(db);
    db.execute("DROP TABLE import_history");
    db.execute("DROP TABLE month_summaries");
    db.execute("DROP TABLE month_summary_marks");
    const store::ResultSet rs = db.query(
        "SELECT name FROM sqlite_master WHERE type = 'index' AND name NOT IN "
        "('mastertable_office_id', 'mastertable_qal_facility_id', 'mastertable_office_name')");
    for (std::size_t r = 0; r < rs.rowCount(); ++r) db.execute("DROP INDEX " + rs.field(r, 0).toText());
    db.execute("PRAGMA user_version = 0");
}

class LayoutUpgradeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db.configure("Division");
        db.office("1", "Division", "PDN", "", "F1");
        db.office("10", "Hill SO", "SO", "Division", "F10");
        db.office("11", "Lake SO", "SO", "Division", "F11");
        for (const char* date : {"05/04/2025", "2025-04-06", "30/04/2025 23:59:00", "01/05/2025", "31/03/2025"}) {
            db.deposit("F10", date, "100.10");
            db.withdrawal("F11", date, "1,250.00");
            db.orv("10", date, "Receipt", "100");
            db.orv("11", date, "p", "1250.005");
        }
        db.deposit("F11", "15/04/2025", 77.5);
        db.deposit("F99", "20/04/2025", "12.5");  // a facility no office has
        db.orv("10", "15/04/2024", "R", "9");
    }

    // The comparison of April in both forms and both summaries, the summaries as the
    // report forms read them (from their month lines once the file keeps them).
    std::vector<std::vector<std::string>> results(store::Connection& c) {
        const BankIndex index = bankIndexOf(c);
        return {rowsOf(c.query(consolidatedStatement(2025, 4, "", index))),
                rowsOf(c.query(detailedStatement(officeListCondition({"Hill SO", "Lake SO"}), 2025, 4, index))),
                rowsOf(c.query(unknownFacilitiesStatement(2025, 4, index))),
                test::summaryRows(report::monthlySummary(c, ctr::bankReport())),
                test::summaryRows(report::monthlySummary(c, orv::orvReport()))};
    }

    test::TempDir dir;
    std::string path = dir.file("ZETTools.db");
    test::MonthDatabase db{path};
};

TEST_F(LayoutUpgradeTest, FilesOfEveryOlderLayoutGainTheNewTablesOnceAndKeepTheirData) {
    const std::string everything =
        "SELECT name, sql FROM sqlite_master WHERE name NOT LIKE 'import_history%' ORDER BY name";
    const std::vector<std::string> layout = rowsOf(db.connection().query(everything));
    const auto before = results(db.connection());
    ASSERT_EQ(before[0].size(), 2u);  // both offices differ in April
    ASSERT_EQ(before[2].size(), 1u);  // the bank row of a facility no office has
    ASSERT_EQ(before[4].size(), 4u);  // April, May and March 2025, and April 2024
    db.connection().close();

    struct Case {
        const char* what;
        void (*makeOld)(store::Connection&);
        BankIndex index = BankIndex::Older;
    };
    const Case cases[] = {
        {"version 12, its month indexes without the day", test::makeLayoutBeforeDayIndex, BankIndex::MonthFirst},
        {"version 11, without the pairing rules", test::makeLayoutBeforePairingRules, BankIndex::MonthFirst},
        {"version 10, without the sign-offs", test::makeLayoutBeforeSignOffs, BankIndex::MonthFirst},
        {"version 9, a close's login in office, a pair's name in tran_id", test::makeLayoutBeforeHistoryBy,
         BankIndex::MonthFirst},
        {"version 8, its bank index without the rows' IDs", test::makeLayoutBeforeBankRowIds, BankIndex::MonthFirst},
        {"version 7, without the closes of months", test::makeLayoutBeforeCloses, BankIndex::MonthFirst},
        {"version 6, without the rows' marks", test::makeLayoutBeforeRowMarks, BankIndex::MonthFirst},
        {"notes by ID and no hand pairs", test::makeLayoutBeforeHandPairs, BankIndex::MonthFirst},
        {"version 4, its bank rows indexed office first", test::makeLayoutBeforeMonthFirstBank},
        {"version 3", test::makeLayoutBeforeNotes},
        {"version 2", makeSecondLayout},
        {"version 1",
         [](store::Connection& c) {
             makeSecondLayout(c);
             c.execute("DROP TABLE import_history");
             c.execute("PRAGMA user_version = 1");
         }},
        {"no version", makeFirstLayout},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        {
            store::Connection old;
            old.openWithoutUpgrade(path);
            c.makeOld(old);
            // Read as it is, with the statements of its layout: the same results, and a file
            // without the history shows none and does not fail.
            EXPECT_EQ(bankIndexOf(old), c.index);
            EXPECT_EQ(results(old), before);
            if (old.scalar("PRAGMA user_version").toInt() < 2) {
                EXPECT_TRUE(history::records(old).empty());
            }
        }
        store::Connection upgraded;
        upgraded.open(path);
        EXPECT_EQ(upgraded.scalar("PRAGMA user_version"), store::Value(store::kSchemaVersion));
        EXPECT_EQ(bankIndexOf(upgraded), BankIndex::MonthFirst);
        EXPECT_EQ(rowsOf(upgraded.query(everything)), layout);
        EXPECT_EQ(results(upgraded), before);
        // The month's bank and ORV rows are read through the index on their key, not by a scan.
        const store::ResultSet plan =
            upgraded.query("EXPLAIN QUERY PLAN " + consolidatedStatement(2025, 4, "", BankIndex::MonthFirst));
        for (std::size_t r = 0; r < plan.rowCount(); ++r) {
            const std::string step = plan.field(r, 3).toText();
            EXPECT_FALSE(step.starts_with("SCAN") &&
                         (step.find("VESKFinacle") != std::string::npos || step.find("ORVTable") != std::string::npos))
                << step;
        }
        // The pairing reads the bank rows from the index alone, and the file passes the check.
        const DaySpan span{{202503, 202504, 202505}, "2025-03-29", "2025-05-04"};
        const store::ResultSet rowsPlan =
            upgraded.query("EXPLAIN QUERY PLAN " + explainBankStatement(everyOfficeCondition(), span));
        bool covered = false;
        for (std::size_t r = 0; r < rowsPlan.rowCount(); ++r)
            covered = covered ||
                      rowsPlan.field(r, 3).toText().find("COVERING INDEX veskfinacle_month_rows") != std::string::npos;
        EXPECT_TRUE(covered);
        EXPECT_TRUE(store::checkDatabaseFile(path).sound());
        // The new table takes a deletion's record in the deletion's transaction.
        ASSERT_EQ(report::deleteMonth(upgraded, ctr::bankReport(), {2025, 5}), 2);
        const std::vector<history::Record> recorded = history::records(upgraded);
        ASSERT_EQ(recorded.size(), 1u);
        EXPECT_EQ(recorded[0].action, history::Action::CtrMonthDeletion);
        EXPECT_EQ(rowsOf(upgraded.query("SELECT \"by\", subject FROM import_history")),
                  std::vector<std::string>{history::loginName() + " | Null"});
        EXPECT_EQ(recorded[0].rows, 2);
        upgraded.close();

        // Opened again, nothing is migrated twice and the record stays.
        store::Connection again;
        again.open(path);
        EXPECT_EQ(rowsOf(again.query(everything)), layout);
        EXPECT_EQ(history::records(again).size(), 1u);
        EXPECT_EQ(report::monthlySummary(again, ctr::bankReport()).size(), before[3].size() - 1);
        // Back to where the next case starts: May's bank rows return, the history empty.
        test::MonthDatabase restore{path};
        restore.deposit("F10", "01/05/2025", "100.10");
        restore.withdrawal("F11", "01/05/2025", "1,250.00");
        restore.connection().execute("DELETE FROM import_history");
    }
}

TEST_F(LayoutUpgradeTest, KeptLinesAnOlderVersionLeftCarryOverOnlyWhileTheyStillDescribeTheRows) {
    const auto kept = results(db.connection());
    db.connection().close();
    struct Case {
        const char* what;
        const char* change;  // what the older version did, or nothing
        bool carried;        // the lines taken as they were
    };
    const Case cases[] = {
        {"lines of the rows as they are", nullptr, true},
        {"a row written without them",
         "INSERT INTO veskfinacle (tran_id, value_date, Tran_Date, CASH_TRAN_TYPE, "
         "TRAN_AMT, FACILITY_ID) VALUES ('N', '07/04/2025', '07/04/2025', 'DEPOSIT', "
         "'3', 'F10')",
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        {
            store::Connection old;
            old.openWithoutUpgrade(path);
            test::makeLayoutBeforeRowMarks(old);
            if (c.change) old.execute(c.change);
            // A mark of what is kept: lines taken over as they are still show it.
            old.execute("UPDATE month_summaries SET [MONTH] = upper([MONTH]) WHERE report = 'veskfinacle'");
        }
        store::Connection upgraded;
        upgraded.open(path);
        const std::vector<std::string> carried = c.carried
                                                     ? std::vector<std::string>{"orvtable | 0i", "veskfinacle | 0i"}
                                                     : std::vector<std::string>{"orvtable | 0i"};
        EXPECT_EQ(rowsOf(upgraded.query("SELECT report, changes FROM month_summary_marks ORDER BY report")), carried);
        const std::vector<std::string> bankLines =
            test::summaryRows(report::monthlySummary(upgraded, ctr::bankReport()));
        ASSERT_FALSE(bankLines.empty());
        EXPECT_EQ(bankLines[0].find(" | MAY | ") != std::string::npos, c.carried) << bankLines[0];
        if (!c.carried) {
            EXPECT_EQ(bankLines, test::summaryFromRows(upgraded, ctr::bankReport()));
        }
        EXPECT_EQ(test::summaryRows(report::monthlySummary(upgraded, orv::orvReport())),
                  test::summaryFromRows(upgraded, orv::orvReport()));
        // Back to the first state.
        upgraded.execute("DELETE FROM veskfinacle WHERE tran_id = 'N'");
        upgraded.execute("DELETE FROM month_summary_marks");
        EXPECT_EQ(results(upgraded), kept);
    }
}

TEST_F(LayoutUpgradeTest, ABadDateInAnyMonthStillFailsTheComparisonWithATypeMismatch) {
    // Imports refuse such rows today; older files may hold them.
    db.deposit("F10", "31/02/2025", "5");
    db.orv("10", "2025-13-01", "R", "5");
    for (const BankIndex index : {BankIndex::MonthFirst, BankIndex::Older})
        for (const std::string& sql : {consolidatedStatement(2025, 4, "", index),
                                       detailedStatement(officeListCondition({"Hill SO"}), 2025, 4, index),
                                       unknownFacilitiesStatement(2025, 4, index)}) {
            SCOPED_TRACE(sql.substr(0, 40));
            EXPECT_EQ(errorOf([&] { db.connection().query(sql); }).number(), errc::kTypeMismatch);
        }
}

TEST_F(LayoutUpgradeTest, StoredSummariesTreatRowsWithoutADateAsTheFullSummaryDoes) {
    store::Connection& c = db.connection();
    const report::ReportDescription& bank = ctr::bankReport();
    ASSERT_FALSE(report::monthlySummary(c, bank).empty());
    db.row(store::Table::Finacle, {{"tran_id", "N"}, {"CASH_TRAN_TYPE", "DEPOSIT"}, {"TRAN_AMT", 4}});
    EXPECT_EQ(test::summaryRows(report::monthlySummary(c, bank)), test::summaryFromRows(c, bank));
    db.row(store::Table::Finacle, {{"tran_id", "B"}, {"value_date", "someday"}});
    EXPECT_EQ(errorOf([&] { c.query(report::summaryStatement(bank)); }).number(), errc::kTypeMismatch);
    EXPECT_EQ(errorOf([&] { report::monthlySummary(c, bank); }).number(), errc::kTypeMismatch);
}

}  // namespace
}  // namespace vesk::compare
