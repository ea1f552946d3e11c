#include <gtest/gtest.h>

#include "compare/ComparisonGrid.h"
#include "compare/ComparisonWorkbook.h"
#include "compare/MonthComparison.h"
#include "ctr/BankReport.h"
#include "report/ReportMonths.h"
#include "report/ReportWording.h"
#include "support/MonthDatabase.h"
#include "support/TempDir.h"

namespace vesk::compare {
namespace {

// An amount halfway between two hundredths rounds away from zero on the decimal it stands
// for, in the summary, the comparison grid and the exported sheet alike.
TEST(AmountText, HalfwayAmountsRoundAlikeEverywhere) {
    test::TempDir dir;
    test::MonthDatabase db(dir.file("t.db"));
    db.configure("Division");
    db.office("1", "Division", "PDN", "", "F1");
    db.office("10", "Alpha SO", "SO", "", "F10");
    db.office("11", "Beta SO", "SO", "", "F11");
    db.deposit("F10", "05/04/2025", "2.675");
    db.withdrawal("F11", "06/04/2025", "0.125");

    const auto summary = report::monthlySummary(db.connection(), ctr::bankReport());
    ASSERT_EQ(summary.size(), 1u);
    const std::vector<std::string> cells = report::summaryCells(summary[0]);
    EXPECT_EQ(cells[4], "2.68");  // DEP AMOUNT
    EXPECT_EQ(cells[6], "0.13");  // WDL AMOUNT

    const Scope scope = comparisonScope(db.connection());
    const Grid grid = consolidatedGrid(compareMonth(db.connection(), {2025, 4}, scope));
    ASSERT_EQ(grid.rows.size(), 3u);
    EXPECT_EQ(grid.rows[0].cells[3].text, "2.68");  // Alpha's bank deposits
    EXPECT_EQ(grid.rows[1].cells[6].text, "0.13");  // Beta's bank withdrawals
    EXPECT_EQ(grid.rows[2].cells[5].text, "2.68");  // the total's deposit difference

    const ExportContext context{"April", "2025", std::nullopt, "", scope.configuredOffice, {}};
    const ExportSheet sheet = exportSheet(ExportKind::Consolidated, grid, context);
    ASSERT_EQ(sheet.rows.size(), 3u);
    EXPECT_EQ(sheet.rows[1].cells[6].text, "0.13");
}

// A Null amount is the same fault, with the same number, as the engine's CDate(NULL).
TEST(AmountText, ANullAmountIsOneFaultEverywhere) {
    test::TempDir dir;
    test::MonthDatabase db(dir.file("t.db"));
    db.office("10", "Alpha SO", "SO", "", "F10");
    db.deposit("F10", "05/04/2025", nullptr);
    long number = 0;
    try {
        compareMonth(db.connection(), {2025, 4}, {});
    } catch (const Error& e) {
        number = e.number();
    }
    EXPECT_EQ(number, errc::kInvalidUseOfNull);
}

}  // namespace
}  // namespace vesk::compare
