#include <gtest/gtest.h>

#include "app/cli/CliRunner.h"
#include "compare/CompareScreen.h"
#include "compare/CompareWording.h"
#include "compare/ExportScreen.h"
#include "compare/LeftOut.h"
#include "core/Amount.h"
#include "core/Platform.h"
#include "support/MonthDatabase.h"
#include "support/PackagePart.h"
#include "support/ScriptedPrompter.h"
#include "support/SheetRows.h"
#include "support/TempDir.h"

namespace vesk::compare {
namespace {

// A group as "name count first second".
std::vector<std::string> texts(const LeftOutList& list) {
    std::vector<std::string> out;
    for (const LeftOutGroup& g : list.groups)
        out.push_back(g.name + " " + std::to_string(g.count) + " " + formatAmount(g.first) + " " +
                      formatAmount(g.second));
    out.push_back("total " + std::to_string(list.total.count) + " " + formatAmount(list.total.first) + " " +
                  formatAmount(list.total.second));
    return out;
}

// April 2025 of a division with one head office: every way a rupee can miss the grids.
class LeftOutTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db.office("1", "Division", "PDN", "", "F1");
        db.office("2", "Hill HO", "HPO", "Hill HO", "F2");
        db.office("3", "Bay SO", "SO", "Hill HO", "F3");
        db.office("4", "Quiet SO", "SO", "Hill HO", "F4");
        db.office("5", "Far SO", "SO", "Other HO", "F5");
        db.office("6", "Late SO", "SO", "Hill HO", "F6");

        // Compared offices: a facility in another letter case still matches.
        db.deposit("f3", "05/04/2025", "100");
        db.orv("3", "05/04/2025", "Receipt", "100");
        db.deposit("F2", "06/04/2025", "20");
        // Unknown facilities, grouping commas summed as the grid sums them.
        db.deposit("F99", "07/04/2025", "999");
        db.withdrawal("f99", "08/04/2025", "1,000.50");
        db.deposit("F77", "09/04/2025", "5");
        db.bank("F77", "09/04/2025", "REVERSAL", "7");  // a row of neither kind counts, its amount does not
        db.deposit("F99", "01/05/2025", "3");           // another month
        // A bank row without a facility.
        db.row(store::Table::Finacle,
               {{"tran_id", "N1"}, {"Tran_Date", "10/04/2025"}, {"CASH_TRAN_TYPE", "DEPOSIT"}, {"TRAN_AMT", "11"}});
        // Offices with ORV entries and no bank rows in April, in and out of Hill HO.
        db.orv("4", "10/04/2025", "Receipt", "1,500.25");
        db.orv("4", "11/04/2025", "payment", "250");
        db.orv("5", "12/04/2025", "P", "40");
        db.orv("6", "12/04/2025", "R", "60");
        db.deposit("F6", "02/05/2025", "60");  // bank rows in May only
        // Entries of offices the master does not know.
        db.orv("77", "13/04/2025", "Receipt", "1,234.50");
        db.orv("77", "13/04/2025", "Payment", "100");
        db.orv("77", "13/04/2025", "Journal", "9");
        db.orv("78", "14/05/2025", "Receipt", "5");  // another month
        // An ORV entry without an office.
        db.row(store::Table::Orv, {{"treasury_tran_id", "N2"},
                                   {"try_posting_date", "15/04/2025"},
                                   {"receipt_or_payment", "Receipt"},
                                   {"tot_amount", "2"}});
    }

    test::TempDir dir;
    test::MonthDatabase db{dir.file("ZETTools.db")};
};

TEST_F(LeftOutTest, ListsWhatTheGridsLeaveOutInEitherScope) {
    const std::vector<std::string> facilities = {" 1 11.00 0.00", "F77 2 5.00 0.00", "F99 2 999.00 1000.50",
                                                 "total 5 1015.00 1000.50"};
    const std::vector<std::string> offices = {" 1 2.00 0.00", "77 3 1234.50 100.00", "total 4 1236.50 100.00"};
    struct Case {
        Scope scope;
        std::vector<std::string> orvOnly;
    };
    const std::vector<Case> cases = {
        {{"Division", false},
         {"Far SO 1 0.00 40.00", "Late SO 1 60.00 0.00", "Quiet SO 2 1500.25 250.00", "total 4 1560.25 290.00"}},
        {{"Hill HO", true}, {"Late SO 1 60.00 0.00", "Quiet SO 2 1500.25 250.00", "total 3 1560.25 250.00"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(scopeText(c.scope));
        const LeftOut out = listLeftOut(db.connection(), {2025, 4}, c.scope);
        EXPECT_EQ(texts(out.unknownFacilities), facilities);
        EXPECT_EQ(texts(out.orvOnlyOffices), c.orvOnly);
        EXPECT_EQ(texts(out.unknownOffices), offices);
    }
}

TEST_F(LeftOutTest, TheLineCountsRowsAndEntriesWithGroupedAmounts) {
    EXPECT_EQ(leftOutLine(listLeftOut(db.connection(), {2025, 4}, {"Division", false})),
              "Left out: 5 bank rows (2,015.50) with unknown facility ids, 8 ORV entries (3,186.75)");

    struct Case {
        const char* name;
        const char* sql;
        const char* line;
    };
    const std::vector<Case> cases = {
        {"ORV only", "DELETE FROM veskfinacle WHERE FACILITY_ID IS NULL OR FACILITY_ID IN ('F77', 'F99')",
         "Left out: 8 ORV entries (3,186.75)"},
        {"one entry", "DELETE FROM orvtable WHERE office_id IS NULL OR office_id <> '5'",
         "Left out: 1 ORV entry (40.00)"},
        {"nothing", "DELETE FROM orvtable", "Left out: nothing."},
        {"one bank row",
         "INSERT INTO veskfinacle (Tran_Date, CASH_TRAN_TYPE, TRAN_AMT, FACILITY_ID) VALUES "
         "('02/04/2025', 'WITHDRAWAL', '999', 'F0')",
         "Left out: 1 bank row (999.00) with unknown facility ids"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        db.connection().execute(c.sql);
        EXPECT_EQ(leftOutLine(listLeftOut(db.connection(), {2025, 4}, {"Division", false})), c.line);
    }
}

TEST_F(LeftOutTest, ADateThatIsNoDateFailsAsTheComparisonDoes) {
    for (const char* sql : {"INSERT INTO veskfinacle (Tran_Date, FACILITY_ID) VALUES ('31/02/2025', 'F3')",
                            "INSERT INTO orvtable (try_posting_date, office_id) VALUES ('someday', '3')"}) {
        SCOPED_TRACE(sql);
        db.connection().execute("DELETE FROM veskfinacle WHERE FACILITY_ID = 'F3'");
        db.connection().execute("DELETE FROM orvtable WHERE office_id = '3'");
        db.connection().execute(sql);
        const Error e = test::errorOf([&] { listLeftOut(db.connection(), {2025, 4}, {"Division", false}); });
        EXPECT_STREQ(e.what(), "Type mismatch");
    }
}

using test::sheetRows;

TEST_F(LeftOutTest, TheWorkbookHoldsEachListUnderItsCaptionWithItsTotal) {
    db.configure("Division");
    test::ScriptedPrompter prompter;
    CompareScreen logic{dir.file("ZETTools.db"), prompter, [] { return DateTime{2025, 5, 10}; }};
    ExportScreen exporter{logic, prompter};
    const std::string folder = dir.file("Desktop/VESK - ORV Output");
    exporter.setOutputFolder(folder);
    logic.load();
    EXPECT_FALSE(exporter.exportLeftOut());  // before a comparison there is nothing
    ASSERT_TRUE(logic.compare());

    const std::optional<std::string> path = exporter.exportLeftOut();
    ASSERT_TRUE(path) << prompter.lastMessage().text;
    EXPECT_EQ(*path, platform::joinPath(folder, "April_2025_Left_Out.xlsx"));
    // Each list under its caption and header, numbered, with its total; the lists apart.
    const std::vector<std::string> rows = sheetRows(*path);
    ASSERT_EQ(rows.size(), 22u);
    EXPECT_EQ(rows[2], "Offices Under Division");
    EXPECT_EQ(rows[3], "Bank rows with unknown facility ids");
    EXPECT_EQ(rows[5], "1||1|11.00|0.00");
    EXPECT_EQ(rows[8], "|TOTAL (3)|5|1015.00|1000.50");
    EXPECT_EQ(rows[10], "Offices with ORV entries but no bank rows");
    EXPECT_EQ(rows[15], "|TOTAL (3)|4|1560.25|290.00");
    EXPECT_EQ(rows[17], "ORV entries with unknown office ids");
    EXPECT_EQ(rows[21], "|TOTAL (2)|4|1236.50|100.00");
    const test::CellLook total = test::cellLook(*path, "E16");
    EXPECT_EQ(total.fill, "FFFFFF00");
    EXPECT_TRUE(total.bold && total.border);
    EXPECT_NE(test::packagePart(*path, "xl/workbook.xml").find("Left_Out!$1:$3"), std::string::npos);
}

TEST_F(LeftOutTest, TheCommandLinePrintsOneLinePerGroup) {
    db.configure("Hill HO");
    const std::string path = dir.file("ZETTools.db");
    const cli::Outcome listed = cli::runCli({"--db", path, "unmatched", "2025", "April"});
    EXPECT_EQ(listed.status, cli::kExitOk) << listed.err;
    EXPECT_EQ(listed.out,
              "bank-unknown-facility\t\t1\t11.00\t0.00\n"
              "bank-unknown-facility\tF77\t2\t5.00\t0.00\n"
              "bank-unknown-facility\tF99\t2\t999.00\t1000.50\n"
              "orv-only-office\tLate SO\t1\t60.00\t0.00\n"
              "orv-only-office\tQuiet SO\t2\t1500.25\t250.00\n"
              "orv-unknown-office\t\t1\t2.00\t0.00\n"
              "orv-unknown-office\t77\t3\t1234.50\t100.00\n");

    const std::string out = dir.file("out");
    const cli::Outcome o = cli::runCli({"--db", path, "export", "unmatched", "2025", "4", "--out", out});
    ASSERT_EQ(o.status, cli::kExitOk) << o.err;
    EXPECT_EQ(o.out, platform::joinPath(out, "April_2025_Left_Out.xlsx") + "\n");
    EXPECT_EQ(sheetRows(out + "/April_2025_Left_Out.xlsx").at(2), "Offices Under Hill HO");
}

}  // namespace
}  // namespace vesk::compare
