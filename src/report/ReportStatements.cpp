#include "report/ReportStatements.h"

#include "store/Connection.h"

namespace vesk::report {

namespace {

std::string table(const ReportDescription& report) { return store::tableName(report.table); }

std::string monthKey(const ReportDescription& report) { return "MonthKey(" + report.dateColumn + ")"; }

// The column every row of the table holds, which the summary counts.
std::string idColumn(const ReportDescription& report) {
    return report.table == store::Table::Finacle ? "tran_id" : "treasury_tran_id";
}

std::string summaryColumns(const ReportDescription& report) {
    const std::string& d = report.dateColumn;
    const store::Table t = report.table;
    return "Format(" + d + ", 'yyyy') AS [YEAR], Format(" + d + ", 'mmm') AS [MONTH], Count(" + idColumn(report) +
           ") AS [TOTAL ENTRIES], Sum(IIf(" + isSide(t, Side::Deposit, "") + ", 1, 0)) AS [DEP COUNT], " +
           sideSum(t, Side::Deposit, "") + " AS [DEP AMOUNT], Sum(IIf(" + isSide(t, Side::Withdrawal, "") +
           ", 1, 0)) AS [WDL COUNT], " + sideSum(t, Side::Withdrawal, "") + " AS [WDL AMOUNT], Month(" + d +
           ") AS [SortMonth]";
}

std::string summaryGrouping(const ReportDescription& report) {
    const std::string& d = report.dateColumn;
    return " GROUP BY Format(" + d + ", 'yyyy'), Format(" + d + ", 'mmm'), Month(" + d + ")";
}

}  // namespace

std::string isSide(store::Table table, Side side, const std::string& rows) {
    if (table == store::Table::Finacle)
        return rows + "CASH_TRAN_TYPE = " + (side == Side::Deposit ? "'DEPOSIT'" : "'WITHDRAWAL'");
    return orvKindLetter(rows) + " = " + (side == Side::Deposit ? "'R'" : "'P'");
}

std::string amountOf(store::Table table, const std::string& rows) {
    return table == store::Table::Finacle ? rows + "TRAN_AMT" : "Val(" + rows + "tot_amount)";
}

std::string sideSum(store::Table table, Side side, const std::string& rows) {
    return "Sum(IIf(" + isSide(table, side, rows) + ", " + amountOf(table, rows) + ", 0))";
}

std::string orvKindLetter(const std::string& rows) { return "upper(substr(" + rows + "receipt_or_payment, 1, 1))"; }

std::optional<Side> orvEntrySide(std::string_view kind) {
    // A first character outside ASCII is no letter the engine's upper() turns into R or P.
    if (kind.empty()) return std::nullopt;
    if (kind[0] == 'R' || kind[0] == 'r') return Side::Deposit;
    if (kind[0] == 'P' || kind[0] == 'p') return Side::Withdrawal;
    return std::nullopt;
}

std::string summaryStatement(const ReportDescription& report) {
    const std::string& d = report.dateColumn;
    return "SELECT " + summaryColumns(report) + " FROM " + table(report) + summaryGrouping(report) +
           " ORDER BY Format(" + d + ", 'yyyy') DESC, Month(" + d + ") DESC";
}

// A month key stands for one year and month, so its rows make exactly one summary line.
// Rows without a date (key 0) are summed as the full summary sums them, which also fails
// on them as it does.
std::string storedSummaryStatement(const ReportDescription& report) {
    return "SELECT [YEAR], [MONTH], [TOTAL ENTRIES], [DEP COUNT], [DEP AMOUNT], [WDL COUNT], [WDL AMOUNT], "
           "[SortMonth] FROM month_summaries WHERE report = ?1 UNION ALL SELECT " +
           summaryColumns(report) + " FROM " + table(report) + " WHERE " + monthKey(report) + " = 0" +
           summaryGrouping(report) + " ORDER BY 1 DESC, 8 DESC";
}

std::string storeMonthLinesStatement(const ReportDescription& report, bool allKeys) {
    return "INSERT INTO month_summaries SELECT ?1, " + monthKey(report) + ", " + summaryColumns(report) + " FROM " +
           table(report) + " WHERE " + monthKey(report) + (allKeys ? " <> 0" : " = ?2") + " GROUP BY " +
           monthKey(report);
}

std::string lastRowStatement(const ReportDescription& report) {
    return "SELECT IfNull(MAX(rowid), 0) FROM " + table(report);
}

std::string rowMarksStatement() { return "SELECT row_count, last_rowid, changes FROM row_marks WHERE report = ?1"; }

const char* keptTable(Kept kept) { return kept == Kept::MonthLines ? "month_summaries" : "office_month_totals"; }

namespace {

const char* marksTable(Kept kept) { return kept == Kept::MonthLines ? "month_summary_marks" : "office_month_marks"; }

// How the comparison reads a report's rows: whose they are, the date it compares by and its
// two sums, spelt as its statements spell them (sideSum) so that the sums are the same to the bit.
struct ComparedColumns {
    const char* office;
    const char* date;
    std::string deposits;
    std::string withdrawals;
};

ComparedColumns comparedColumns(const ReportDescription& report) {
    const store::Table t = report.table;
    const std::string deposits = sideSum(t, Side::Deposit, ""), withdrawals = sideSum(t, Side::Withdrawal, "");
    if (t == store::Table::Finacle) return {"FACILITY_ID", "Tran_Date", deposits, withdrawals};
    return {"office_id", "try_posting_date", deposits, withdrawals};
}

// Rows without an office can never be compared; rows whose own date is no date (key 0) are
// kept too, since the comparison's date may still be one.
std::string officeTotalsSelect(const ReportDescription& report, bool allKeys) {
    const ComparedColumns c = comparedColumns(report);
    const std::string compared = std::string("MonthKey(") + c.date + ")";
    return "SELECT " + monthKey(report) + " AS month_key, " + c.office + " AS office_ref, " + compared +
           " AS compared_key, " + c.deposits + " AS deposits, " + c.withdrawals + " AS withdrawals FROM " +
           table(report) + " WHERE " + c.office + " IS NOT NULL" +
           (allKeys ? "" : " AND " + monthKey(report) + " = ?2") + " GROUP BY " + monthKey(report) + ", " + c.office +
           ", " + compared;
}

}  // namespace

std::string marksStatement(Kept kept) {
    return std::string("SELECT row_count, last_rowid, changes FROM ") + marksTable(kept) + " WHERE report = ?1";
}

std::string setMarksStatement(Kept kept) {
    return std::string("INSERT OR REPLACE INTO ") + marksTable(kept) +
           " (report, row_count, last_rowid, changes) VALUES (?1, ?2, ?3, ?4)";
}

std::string clearMarksStatement(Kept kept) {
    return std::string("DELETE FROM ") + marksTable(kept) + " WHERE report = ?1";
}

std::string clearKeptStatement(Kept kept, bool byKey) {
    return std::string("DELETE FROM ") + keptTable(kept) + " WHERE report = ?1" + (byKey ? " AND month_key = ?2" : "");
}

std::string storeOfficeTotalsStatement(const ReportDescription& report, bool allKeys) {
    return "INSERT INTO office_month_totals (report, month_key, office_ref, compared_key, deposits, withdrawals) "
           "SELECT ?1, month_key, office_ref, compared_key, deposits, withdrawals FROM (" +
           officeTotalsSelect(report, allKeys) + ")";
}

std::string temporaryTotalsStatement() {
    return "SELECT COUNT(*) FROM sqlite_temp_master WHERE type = 'table' AND name = 'office_month_totals'";
}

std::string dropTemporaryTotalsStatement() { return "DROP TABLE temp.office_month_totals"; }

namespace {

// The month compares without regard to letter case, as the engine compares text.
std::string shownMonthCondition(const ReportDescription& report) {
    const std::string& date = report.dateColumn;
    return " WHERE " + monthKey(report) + " = ?3 AND Format(" + date + ", 'mmm') = ?1 COLLATE NOCASE AND Format(" +
           date + ", 'yyyy') = ?2";
}

// The summary's own columns over some rows, so the totals are its sums to the cent.
std::string totalsOf(const ReportDescription& report, const std::string& condition) {
    return "SELECT [DEP AMOUNT], [WDL AMOUNT] FROM (SELECT " + summaryColumns(report) + " FROM " + table(report) +
           condition + ")";
}

}  // namespace

std::string deleteShownMonthStatement(const ReportDescription& report) {
    return "DELETE FROM " + table(report) + shownMonthCondition(report);
}

std::string shownMonthTotalsStatement(const ReportDescription& report) {
    return totalsOf(report, shownMonthCondition(report));
}

std::string rowsAfterTotalsStatement(const ReportDescription& report) { return totalsOf(report, " WHERE rowid > ?1"); }

// Month() and Year() fail on a date column holding text that is no date: those rows (key 0)
// are put through the same test, so the deletion still fails on them.
std::string deleteImportedMonthStatement(const ReportDescription& report, bool ofKind) {
    const std::string& d = report.dateColumn;
    std::string sql = "DELETE FROM " + table(report) + " WHERE " + monthKey(report) +
                      " = ?3 AND NOT EXISTS (SELECT 1 FROM " + table(report) + " AS undated WHERE MonthKey(undated." +
                      d + ") = 0 AND Month(undated." + d + ") = 0) AND Month(" + d + ") = ?1 AND Year(" + d + ") = ?2";
    if (ofKind) sql += " AND " + report.kindTableColumn + " = ?4";
    return sql;
}

namespace {

// The first month key of each year in the table's month index, through a recursive walk.
std::string yearKeys(const std::string& name, const std::string& table, const std::string& column) {
    const std::string key = "MonthKey(" + column + ")";
    const std::string first = "SELECT " + key + " FROM " + table + " WHERE " + key + " >= ";
    return name + "(k) AS (SELECT (" + first + "1 ORDER BY " + key + " LIMIT 1) UNION ALL SELECT (" + first + "(" +
           name + ".k / 100 + 1) * 100 ORDER BY " + key + " LIMIT 1) FROM " + name + " WHERE " + name +
           ".k IS NOT NULL)";
}

}  // namespace

std::string dataYearsStatement() {
    return "WITH RECURSIVE " + yearKeys("bank", "veskfinacle", "value_date") + ", " +
           yearKeys("orv", "orvtable", "try_posting_date") +
           " SELECT k / 100 FROM bank WHERE k IS NOT NULL UNION SELECT k / 100 FROM orv WHERE k IS NOT NULL ORDER BY 1";
}

}  // namespace vesk::report
