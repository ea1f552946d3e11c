#include <gtest/gtest.h>

#include <functional>

#include "TrendDatabase.h"
#include "compare/CompareStatements.h"
#include "ctr/BankReport.h"
#include "orv/OrvReport.h"
#include "report/ReportFiles.h"
#include "report/ReportMonths.h"
#include "report/SummaryRows.h"
#include "store/Schema.h"
#include "store/StoreTestSupport.h"
#include "support/TempDir.h"
#include "trend/Trend.h"

namespace vesk::trend {
namespace {

using test::rowsOf;

constexpr const char* kStored =
    "SELECT report, month_key, upper(office_ref), compared_key, deposits, withdrawals FROM office_month_totals "
    "ORDER BY 1, 2, 3, 4";

class OfficeTotalsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::fillTrendDatabase(db);
        keep();  // built from the rows written above
    }
    // The summaries' month lines and the totals, as the forms and the trend read them.
    void keep() {
        for (const report::ReportDescription* r : reports) report::monthlySummary(c(), *r);
        report::keepOfficeTotals(c(), reports);
    }
    store::Connection& c() { return db.connection(); }
    // The totals as a rebuild from the rows leaves them.
    std::vector<std::string> rebuilt() {
        c().execute("DELETE FROM office_month_marks");
        keep();
        std::vector<std::string> out = rowsOf(c().query(kStored));
        EXPECT_NE(out, std::vector<std::string>{});
        return out;
    }
    // The month's comparison and the trend's, office by office, as text.
    std::pair<std::string, std::string> april() {
        const compare::Scope scope = compare::comparisonScope(c());
        std::string compared, trended;
        for (const auto& o : compare::compareMonth(c(), {2025, 4}, scope).offices) compared += o.name + " ";
        const Trend t = trendOf(c(), scope, MonthRange{{2025, 4}, {2025, 4}});
        for (const OfficeTrend& o : t.offices) trended += o.name + " ";
        return {compared, trended};
    }

    test::TempDir dir;
    test::MonthDatabase db{dir.file("ZETTools.db")};
    const std::vector<const report::ReportDescription*> reports{&ctr::bankReport(), &orv::orvReport()};
    report::ConfirmReplace yes = [](const report::MonthImport&, const std::optional<DateTime>&) { return true; };
};

// What is kept per month is brought up to date in the change's own transaction.
TEST_F(OfficeTotalsTest, ImportsAndDeletionsKeepTheLinesAndTotalsInTheirOwnTransaction) {
    struct Step {
        const char* what;
        std::function<void()> run;
    };
    const std::string bankApril = dir.file("bank_april.xlsx"), orvApril = dir.file("orv_april.xlsx");
    const std::string bankJuly = dir.file("bank_july.xlsx");
    test::writeReport(bankApril, test::bankShape(),
                      {{"N1", "02/04/2025", true, "300", "", "F10"},
                       {"N2", "01/04/2025", false, "20", "", "F11", "31/03/2025"},  // compared in March
                       {"N3", "09/04/2025", true, "5", "", "f12"}});
    test::writeReport(orvApril, test::orvShape(), {{"R1", "02/04/2025", true, "300", "", "10"}});
    test::writeReport(bankJuly, test::bankShape(),
                      {{"J1", "07/07/2025", true, "0.02", "", "F13"},
                       {"J2", "30/06/2025", false, "8", "", "F12"}});  // a row of June in July's file
    const Step steps[] = {
        {"bank April imported", [&] { report::importMonth(c(), ctr::bankReport(), bankApril, yes); }},
        {"ORV receipts of April imported", [&] { report::importMonth(c(), orv::orvReport(), orvApril, yes); }},
        {"bank May deleted",
         [&] {
             EXPECT_EQ(report::deleteMonth(c(), ctr::bankReport(), {2025, 5}), 1);
         }},
        {"ORV March deleted",
         [&] {
             EXPECT_EQ(report::deleteMonth(c(), orv::orvReport(), {2025, 3}), 1);
         }},
        {"bank July imported", [&] { report::importMonth(c(), ctr::bankReport(), bankJuly, yes); }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.run();
        // Read before anything could rebuild them: the change itself brought them up to date.
        const std::vector<std::string> kept = rowsOf(c().query(kStored));
        for (const char* table : {"veskfinacle", "orvtable"})
            for (const char* marks : {"month_summary_marks", "office_month_marks", "row_marks"})
                EXPECT_EQ(
                    rowsOf(c().query(std::string("SELECT row_count, last_rowid FROM ") + marks + " WHERE report = ?",
                                     {table})),
                    rowsOf(c().query(std::string("SELECT COUNT(*), MAX(rowid) FROM ") + table)))
                    << table << " " << marks;
        for (const report::ReportDescription* r : reports)
            EXPECT_EQ(test::summaryRows(report::monthlySummary(c(), *r)), test::summaryFromRows(c(), *r));
        EXPECT_EQ(kept, rebuilt());
        const auto [compared, trended] = april();
        EXPECT_EQ(trended, compared);
    }
}

TEST_F(OfficeTotalsTest, AFailedImportLeavesTheTotalsAsTheyWere) {
    const std::vector<std::string> before = rowsOf(c().query(kStored));
    const std::string bad = dir.file("bad.xlsx");
    test::writeReport(bad, test::bankShape(),
                      {{"B1", "02/04/2025", true, "1", "", "F10"}, {"B2", "someday", true, "1", "", "F10"}});
    EXPECT_THROW(report::importMonth(c(), ctr::bankReport(), bad, yes), Error);
    EXPECT_EQ(rowsOf(c().query(kStored)), before);
}

// Rows written by another program are the row marks' test; an older version of the program
// keeps the month lines' marks, not the totals'.
TEST_F(OfficeTotalsTest, RowsDeletedByAnOlderVersionAreNoticedAndTheTotalsBuiltAnew) {
    c().execute("DELETE FROM veskfinacle WHERE FACILITY_ID = 'F11' AND Tran_Date = '04/04/2025'");
    c().execute(
        "UPDATE month_summary_marks SET row_count = (SELECT COUNT(*) FROM veskfinacle) WHERE report = 'veskfinacle'");
    const auto [compared, trended] = april();
    EXPECT_EQ(compared, "Alpha SO delta SO ");  // Beta's only row of April gone
    EXPECT_EQ(trended, compared);
}

TEST_F(OfficeTotalsTest, AFileOfAnOlderLayoutReadAsItIsGetsTotalsForItsConnectionOnly) {
    const auto months = [](store::Connection& on) {
        std::vector<std::string> lines;
        for (const TrendMonth& m : trendOf(on, compare::comparisonScope(on)).months)
            lines.push_back(std::to_string(m.offices) + "/" + std::to_string(m.differing) + "/" +
                            std::to_string(m.toExplain));
        return lines;
    };
    const std::vector<std::string> expected = months(c());
    c().execute("DROP TABLE office_month_totals");
    c().execute("DROP TABLE office_month_marks");
    c().execute("PRAGMA user_version = 2");
    c().close();

    store::Connection old;
    old.openWithoutUpgrade(dir.file("ZETTools.db"));
    for (int round = 0; round < 2; ++round) {  // the second read finds its own table and fills it again
        SCOPED_TRACE(round);
        EXPECT_EQ(months(old), expected);
    }
    EXPECT_EQ(old.scalar("SELECT COUNT(*) FROM sqlite_master WHERE name LIKE 'office_month%'").toInt(), 0);
    EXPECT_EQ(old.scalar("PRAGMA user_version").toInt(), 2);
}

}  // namespace
}  // namespace vesk::trend
