#pragma once

#include <string>
#include <vector>

#include "compare/MonthComparison.h"
#include "core/Error.h"
#include "core/Prompter.h"

namespace vesk::trend {

// Every text the trend shows or writes, for its window, its workbook and the command line.

/// The month table's headers: Month, Offices, Differing, VESK Dep, ORV Dep, Diff Dep,
/// VESK Wdl, ORV Wdl, Diff Wdl, To Explain, Open.
const std::vector<std::string>& monthHeaders();
/// The month table's column the chart draws.
inline constexpr const char* kToExplainHeader = "To Explain";
/// The office map's first header; a column per month follows, then Open.
inline constexpr const char* kOfficeHeader = "Office Name";
/// The month table's last column, and the office map's: the open items' amounts.
inline constexpr const char* kOpenHeader = "Open";

/// "2025-04": how the command line and the workbook name a month.
std::string monthText(const compare::Period& month);
/// "Apr 2025": how the window names a month.
std::string monthLabel(const compare::Period& month);

/// Why a range is refused: "FROM 2025-06 is after TO 2025-04."
std::string fromAfterToText(const compare::Period& from, const compare::Period& to);

/// Why a month given on the command line is refused: "FROM must be a month as YYYY-MM
/// (1900-01 to 9999-12), not '2025-13'".
std::string notAMonthText(const std::string& which, const std::string& text);

/// What an empty chart says: no month of the range holds data.
inline constexpr const char* kNoDataText = "No bank or ORV data in these months.";

// The workbook.
inline constexpr const char* kMonthSheet = "Trend";
inline constexpr const char* kOfficeSheet = "Offices";
inline constexpr const char* kWorkbookTitle = "VESK - ORV Comparison - Trend of the Differences";
inline constexpr const char* kOfficeSheetTitle = "VESK - ORV Comparison - To Explain by Office and Month";
/// "Period : April 2025 to March 2026".
std::string periodLine(const compare::Period& from, const compare::Period& to);
/// "Trend_2025-04_2026-03.xlsx".
std::string workbookFileName(const compare::Period& from, const compare::Period& to);
inline constexpr const char* kChartTitle = "To Explain and Differing Offices by Month";
inline constexpr const char* kAmountAxis = "To Explain";
inline constexpr const char* kCountAxis = "Differing offices";

// The window.
inline constexpr const char* kWindowTitle = "Trend of the Differences";
inline constexpr const char* kHeading = "Months at a Glance";
inline constexpr const char* kFromLabel = "&From";
inline constexpr const char* kToLabel = "&To";
inline constexpr const char* kMapCaption =
    "To explain, by office and month (double-click a shaded cell to open that month's comparison)";
inline constexpr const char* kLoadingText = "Loading the months...";
/// "Trend Error: " and the failure's description: a load failed.
Message loadFailed(const Error& error);
inline constexpr const char* kExportCaption = "Export to Excel";
inline constexpr const char* kCloseCaption = "Close";
inline constexpr const char* kPrintCaption = "Print…";
/// The line over the chart: the scope, the months shown and the offices that differ.
std::string statusText(const compare::Scope& scope, std::size_t months, std::size_t offices);
/// What hovering over a month of the chart shows.
std::string monthHoverText(const std::string& label, int offices, int differing, double toExplain, double open);
/// What hovering over a cell of the map shows: its To Explain (`amount`, "" when none) and
/// the office's open items of the month.
std::string cellHoverText(const std::string& office, const std::string& label, const std::string& amount, double open);

// Its messages are the comparison's (CompareWording): "No data to export.", where an export
// was saved, "Error: ..." and "Export Error: ...".

}  // namespace vesk::trend
