#pragma once

#include <string>

#include "report/ReportDescription.h"

namespace vesk::report {

/// The monthly summary over every row: one line per month, newest first.
std::string summaryStatement(const ReportDescription& report);

/// The monthly summary from the stored month lines (?1 the report's table name), with
/// the lines of rows without a date computed afresh; the same result as summaryStatement.
std::string storedSummaryStatement(const ReportDescription& report);

/// Stores the month line of one month key (?1 table name, ?2 key); nothing when the month
/// has no rows. With allKeys, the lines of every month that has rows (?1 only).
std::string storeMonthLinesStatement(const ReportDescription& report, bool allKeys);

/// The number of rows and the highest row id, which tell whether the stored month lines
/// still describe the rows.
std::string rowCountStatement(const ReportDescription& report);
std::string lastRowStatement(const ReportDescription& report);

/// Deletes the rows of a month given as the summary shows it: the month's abbreviation
/// (any letter case) and the year as texts, both bound; with a month key (?3) the rows
/// are found through it.
std::string deleteShownMonthStatement(const ReportDescription& report, bool byKey);

/// The deposits and withdrawals (DEP AMOUNT, WDL AMOUNT) of the rows the deletion of a shown
/// month removes, summed as the summary sums them; bound as deleteShownMonthStatement.
std::string shownMonthTotalsStatement(const ReportDescription& report, bool byKey);

/// The deposits and withdrawals of the rows after a row id (?1): the rows an import wrote.
std::string rowsAfterTotalsStatement(const ReportDescription& report);

/// Deletes the rows of a month by number (month, year bound; ?3 its key), and of one kind
/// (a fourth bound value) when the report's files hold one kind each.
std::string deleteImportedMonthStatement(const ReportDescription& report, bool ofKind);

/// The years the bank's value dates and the ORV posting dates hold, ascending (one column).
/// Each table's month index is sought once per year, never scanned.
std::string dataYearsStatement();

}  // namespace vesk::report
