#pragma once

#include <string>

#include "compare/ExportSheet.h"
#include "trend/Trend.h"

namespace vesk::trend {

/// Where the trend's workbook comes from: the months it covers and the configured office.
struct TrendExport {
    MonthRange range;
    std::string configuredOffice;
};

/// Writes the trend to Trend_<FROM>_<TO>.xlsx in the folder (created when missing), replacing
/// an earlier file of that name only once the new one is complete: on the sheet "Trend" the
/// month table with a chart of it (To Explain as columns, Differing as a line on a second
/// axis, both reading the table's cells), on the sheet "Offices" the office map shaded by a
/// colour scale; both print on A4 landscape. Returns its path. Throws Error, errc::kUsage
/// when the trend holds no month.
std::string writeTrendWorkbook(const Trend& trend, const TrendExport& context, const std::string& folder);

/// The office map as the sheet "Offices" holds it, to print: an office a row, its To Explain
/// in each month, then its open items.
compare::ExportSheet officeMapSheet(const Trend& trend, const TrendExport& context);

}  // namespace vesk::trend
