#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "compare/ComparisonWorkbook.h"
#include "compare/Explanation.h"
#include "compare/ExportSheet.h"
#include "compare/MonthComparison.h"

namespace vesk::compare {

/// What a month's office lists are made of, read once for every office they are for.
struct OfficeListsMonth {
    ExportContext context;              ///< the month, and the configured office
    std::string division;               ///< the division office's name; "" when the master has none
    std::vector<std::string> offices;   ///< in the office list's order
    std::vector<DateDifference> dates;  ///< the offices' differing dates
    std::vector<ExplainedLine> lines;   ///< their rows as explain lists them without --matched, hints attached
};

/// One office's list, to send to it: its differing dates, then its rows to explain with a
/// column for its reply, under a letter heading (the division, the configured office).
struct OfficeList {
    std::string office;
    std::size_t dates = 0;
    std::size_t rows = 0;  ///< rows to explain
    std::string fileName;  ///< no other list of the month has it, letter case aside
    ExportSheet sheet;
};

/// The month's lists, one per office in its order; to print or to write.
std::vector<OfficeList> officeLists(const OfficeListsMonth& month);

/// Writes the list to a formatted workbook in the folder (created when missing), as the other
/// exports are written; returns its path. Throws Error.
std::string writeOfficeList(const OfficeList& list, const std::string& folder);

/// The summary: a row per list written, its office, dates, rows to explain and file name.
ExportSheet officeListsSheet(const std::vector<OfficeList>& written, const ExportContext& context);
std::string writeOfficeListsSummary(const std::vector<OfficeList>& written, const ExportContext& context,
                                    const std::string& folder);

}  // namespace vesk::compare
