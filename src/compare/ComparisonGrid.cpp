#include "compare/ComparisonGrid.h"

#include <array>

#include "compare/Amounts.h"
#include "compare/CompareWording.h"
#include "core/DateTime.h"

namespace vesk::compare {

namespace {

constexpr std::array<int, 9> kCompareWidths = {0, 0, 1900, 1000, 1000, 1000, 1000, 1000, 1000};
constexpr std::array<int, 8> kDetailWidths = {1100, 1700, 1000, 1000, 1000, 1000, 1000, 1000};

template <std::size_t N>
Grid setUp(const std::array<const char*, N>& headers, const std::array<int, N>& widths) {
    Grid grid;
    grid.headers.assign(headers.begin(), headers.end());
    grid.widthsTwips.assign(widths.begin(), widths.end());
    grid.alignments.assign(N, Align::General);
    grid.rows.assign(1, grid.blankRow());
    return grid;
}

// Cells of a result row: the leading text fields, then the amounts formatted, the two
// differences red when they count.
GridRow resultRow(std::vector<std::string> texts, const Amounts& amounts) {
    GridRow row;
    for (std::string& t : texts) row.cells.push_back({std::move(t), false});
    for (std::size_t k = 0; k < amounts.size(); ++k)
        row.cells.push_back(
            {formatAmount(amounts[k]), (k == kDepositDifference || k == kWithdrawalDifference) && differs(amounts[k])});
    return row;
}

}  // namespace

Grid emptyConsolidatedGrid() { return setUp(kConsolidatedHeadings, kCompareWidths); }

Grid emptyDetailedGrid() {
    Grid grid = setUp(kDetailedHeadings, kDetailWidths);
    grid.alignments[0] = Align::LeftCenter;
    return grid;
}

Grid consolidatedGrid(const MonthComparison& comparison) {
    Grid grid = emptyConsolidatedGrid();
    grid.rows.clear();
    for (const OfficeDifference& o : comparison.offices)
        grid.rows.push_back(resultRow({o.officeId, o.facilityId, o.name}, o.amounts));
    if (!comparison.offices.empty()) {
        GridRow total = resultRow({"", "", totalRowName(comparison.offices.size())}, comparison.total);
        for (GridCell& c : total.cells) c.red = false;
        total.total = true;
        grid.rows.push_back(std::move(total));
    }
    return grid;
}

Grid detailedGrid(const std::vector<DateDifference>& dates) {
    Grid grid = emptyDetailedGrid();
    grid.rows.clear();
    for (const DateDifference& d : dates)
        grid.rows.push_back(resultRow({dayFirst(dateOfDay(d.day)), d.office}, d.amounts));
    return grid;
}

}  // namespace vesk::compare
