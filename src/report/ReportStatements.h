#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "report/ReportDescription.h"

namespace vesk::report {

// Every statement of the monthly reports, and the amount expressions the comparison shares.

// The two sides of a report's rows, the rows named by a prefix ("i.", "a." or "" for the
// table's own columns): which rows are deposits (ORV receipts) and which withdrawals
// (payments), and their amounts. The bank's amount is TRAN_AMT as stored: Sum reads a text
// as Val does, and a missing amount stays Null, which the comparison refuses. The ORV's is
// Val(tot_amount), a missing amount 0. One spelling each for the summaries, the comparison,
// what it leaves out and the explanation (which reads the ORV's kind and amount as stored and
// takes them as these read them: orvEntrySide, store::RowView::val).
enum class Side { Deposit, Withdrawal };
std::string isSide(store::Table table, Side side, const std::string& rows);
std::string amountOf(store::Table table, const std::string& rows);
/// Sum(IIf(side, amount, 0)): the side's total.
std::string sideSum(store::Table table, Side side, const std::string& rows);
/// The ORV kind's letter, "R" or "P" for receipts and payments (upper case).
std::string orvKindLetter(const std::string& rows);
/// The side of an ORV entry whose kind is stored as given, as isSide reads it through
/// orvKindLetter: the first letter R a receipt, P a payment, in either case; none for any other.
std::optional<Side> orvEntrySide(std::string_view kind);

/// The monthly summary over every row: one line per month, newest first. Columns YEAR, MONTH,
/// TOTAL ENTRIES, DEP COUNT, DEP AMOUNT, WDL COUNT, WDL AMOUNT, and SortMonth, which orders.
std::string summaryStatement(const ReportDescription& report);

/// The monthly summary from the stored month lines (?1 the report's table name), with
/// the lines of rows without a date computed afresh; the same result as summaryStatement.
std::string storedSummaryStatement(const ReportDescription& report);

/// Stores the month line of one month key (?1 table name, ?2 key); nothing when the month
/// has no rows. With allKeys, the lines of every month that has rows (?1 only).
std::string storeMonthLinesStatement(const ReportDescription& report, bool allKeys);

/// The highest row id of the report's table (0 when it has none): the rows an import
/// writes come after it.
std::string lastRowStatement(const ReportDescription& report);

/// The marks of the report table ?1 as its triggers keep them (row_count, last_rowid,
/// changes): whether what is kept per month still describes the rows.
std::string rowMarksStatement();

/// What a report keeps per month beside its rows, written in the transaction of every
/// change to them: the summary's month lines, and its sums per office and month of the
/// comparison's date. Each has marks: the row marks of the rows it describes.
enum class Kept { MonthLines, OfficeTotals };

/// The table that keeps it.
const char* keptTable(Kept kept);
/// The marks (row_count, last_rowid, changes) of the report ?1; no row when there are none.
std::string marksStatement(Kept kept);
/// Sets the marks of the report ?1 to ?2 rows, the last row id ?3 and ?4 changes.
std::string setMarksStatement(Kept kept);
std::string clearMarksStatement(Kept kept);
/// Removes what is kept of the report ?1: of every month key, or (byKey) of the key ?2.
std::string clearKeptStatement(Kept kept, bool byKey);

/// Stores the report's sums per office and month of the comparison's date (?1 table name)
/// from its rows, summed as the comparison sums them: of the month key ?2 of its own date,
/// or (allKeys) of every row. The table office_month_totals holds them: month_key (of the
/// report's own date), office_ref (the bank's facility id, the ORV office id), compared_key
/// (the month key of the date the comparison takes: the bank's Tran_Date, the ORV posting
/// date), deposits and withdrawals (ORV: receipts and payments).
std::string storeOfficeTotalsStatement(const ReportDescription& report, bool allKeys);

/// 1 when this connection holds the sums in a table of its own (see keepOfficeTotals), else 0.
std::string temporaryTotalsStatement();
std::string dropTemporaryTotalsStatement();

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
