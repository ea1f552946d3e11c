#pragma once

#include <vector>

#include "compare/Grid.h"
#include "compare/MonthComparison.h"

namespace vesk::compare {

/// grdCompare as it is set up: its headings and widths (the office and facility ids
/// hidden) and one blank row.
Grid emptyConsolidatedGrid();
/// MSFlexGrid1 as it is set up.
Grid emptyDetailedGrid();

/// The differing offices, then the total row "TOTAL (n)" when there is any: amounts
/// formatted, a difference that counts red.
Grid consolidatedGrid(const MonthComparison& comparison);
/// The differing dates.
Grid detailedGrid(const std::vector<DateDifference>& dates);

}  // namespace vesk::compare
