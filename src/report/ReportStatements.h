#pragma once

#include <string>

#include "report/ReportDescription.h"

namespace vesk::report {

// Every statement of the monthly reports, and the amount expressions the comparison shares.

namespace sql {
/// The stored marks of a report (?1 its table's name): its number of rows and highest row id.
inline constexpr const char* kStoredMarks = "SELECT row_count, last_rowid FROM month_summary_marks WHERE report = ?";
inline constexpr const char* kSetMarks =
    "INSERT OR REPLACE INTO month_summary_marks (report, row_count, last_rowid) VALUES (?, ?, ?)";
inline constexpr const char* kClearMarks = "DELETE FROM month_summary_marks WHERE report = ?";
/// A report's stored month line of one month key, and all its lines.
inline constexpr const char* kClearMonthLine = "DELETE FROM month_summaries WHERE report = ? AND month_key = ?";
inline constexpr const char* kClearMonthLines = "DELETE FROM month_summaries WHERE report = ?";
}  // namespace sql

// The two sides of a report's rows, the rows named by a prefix ("i.", "a." or "" for the
// table's own columns): which rows are deposits (ORV receipts) and which withdrawals
// (payments), and their amounts. The bank's amount is TRAN_AMT as stored: Sum reads a text
// as Val does, and a missing amount stays Null, which the comparison refuses. The ORV's is
// Val(tot_amount), a missing amount 0. One spelling each for the summaries, the comparison,
// what it leaves out and the explanation.
enum class Side { Deposit, Withdrawal };
std::string isSide(store::Table table, Side side, const std::string& rows);
std::string amountOf(store::Table table, const std::string& rows);
/// Sum(IIf(side, amount, 0)): the side's total.
std::string sideSum(store::Table table, Side side, const std::string& rows);
/// The ORV kind's letter, "R" or "P" for receipts and payments (upper case).
std::string orvKindLetter(const std::string& rows);

/// The monthly summary over every row: one line per month, newest first. Columns YEAR, MONTH,
/// TOTAL ENTRIES, DEP COUNT, DEP AMOUNT, WDL COUNT, WDL AMOUNT, and SortMonth, which orders.
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

/// Deletes the rows of a month found through its key (?3), the month's abbreviation (?1)
/// and its four-digit year (?2) as the summary shows them.
std::string deleteShownMonthStatement(const ReportDescription& report);

/// The deposits and withdrawals (DEP AMOUNT, WDL AMOUNT) of the rows the deletion of a shown
/// month removes, summed as the summary sums them; bound as deleteShownMonthStatement.
std::string shownMonthTotalsStatement(const ReportDescription& report);

/// The deposits and withdrawals of the rows after a row id (?1): the rows an import wrote.
std::string rowsAfterTotalsStatement(const ReportDescription& report);

/// Deletes the rows of a month by number (month, year bound; ?3 its key), and of one kind
/// (a fourth bound value) when the report's files hold one kind each.
std::string deleteImportedMonthStatement(const ReportDescription& report, bool ofKind);

/// The years the bank's value dates and the ORV posting dates hold, ascending (one column).
/// Each table's month index is sought once per year, never scanned.
std::string dataYearsStatement();

}  // namespace vesk::report
