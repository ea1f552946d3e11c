#include "compare/CompareStatements.h"

#include "compare/Amounts.h"
#include "core/DateTime.h"
#include "report/ReportStatements.h"
#include "store/Connection.h"
#include "store/StoredRows.h"

namespace vesk::compare {

std::string headOfficeScope(const std::string& headOffice) {
    return " AND m.ho_name = " + store::quote(headOffice) + " ";
}

// Every row of the table was once tested with Year(CDate()), which fails on a row whose date
// is Null or no date; such rows (key 0) are found through their own small index and put
// through the same test once, so a statement still fails on them with the same error.
std::string failsOnUndatedRows(const std::string& table, const std::string& column) {
    return "NOT EXISTS (SELECT 1 FROM " + table + " AS undated WHERE MonthKey(undated." + column +
           ") = 0 AND Year(CDate(undated." + column + ")) = 0)";
}

namespace {

// The month's rows, picked through the index on their date's key.
std::string inMonth(const std::string& table, const std::string& alias, const std::string& column, int year,
                    int month) {
    return "MonthKey(" + alias + "." + column + ") = " + std::to_string(monthKey(year, month)) + " AND " +
           failsOnUndatedRows(table, column);
}

std::string keyList(std::vector<int>::const_iterator first, std::vector<int>::const_iterator last) {
    std::string list;
    for (auto k = first; k != last; ++k) list += (list.empty() ? "" : ",") + std::to_string(*k);
    return list;
}

// The rows of several months, failing on rows without a date as inMonth() does.
// Rows dated within the span: found through the month keys' index, and of the months at
// its ends only the days it covers, so the rows beyond are not looked up at all. Only the
// rows of those two months have their dates read: the months between lie wholly within.
std::string inSpan(const std::string& table, const std::string& alias, const std::string& column, const DaySpan& span) {
    const std::string key = "MonthKey(" + alias + "." + column + ")";
    const std::string months = key + " IN (" + keyList(span.monthKeys.begin(), span.monthKeys.end()) + ") AND " +
                               failsOnUndatedRows(table, column);
    if (span.firstDay > 0)
        return months + " AND DayOfMonth(" + alias + "." + column + ") BETWEEN " + std::to_string(span.firstDay) +
               " AND " + std::to_string(span.lastDay);
    if (span.first.empty()) return months;
    const std::string date = "CDate(" + alias + "." + column + ")";
    std::string within = date + " >= " + store::quote(span.first) + " AND " + date + " < " + store::quote(span.after);
    if (span.monthKeys.size() > 2)
        within =
            key + " IN (" + keyList(span.monthKeys.begin() + 1, span.monthKeys.end() - 1) + ") OR (" + within + ")";
    return months + " AND (" + within + ")";
}

using store::Table;

// The bank's deposits and withdrawals of the rows aliased i.
std::string bankSums() {
    return report::sideSum(Table::Finacle, report::Side::Deposit, "i.") + " AS VESK_Deposit, " +
           report::sideSum(Table::Finacle, report::Side::Withdrawal, "i.") + " AS VESK_Withdrawal";
}

// The ORV receipts and payments of the rows aliased a.
std::string orvSums() {
    return report::sideSum(Table::Orv, report::Side::Deposit, "a.") + " AS ORV_Deposit, " +
           report::sideSum(Table::Orv, report::Side::Withdrawal, "a.") + " AS ORV_Withdrawal";
}

// The month's ORV entries per office id: their number and both sums.
std::string orvMonthByOffice(int year, int month) {
    return "(SELECT a.office_id, Count(*) AS Entries, " + orvSums() + " FROM ORVTable AS a WHERE " +
           inMonth("ORVTable", "a", "try_posting_date", year, month) + " GROUP BY a.office_id)";
}

// The bank rows (i) of the master's offices (m). With the month-first index the offices
// lead, each reaching its month's rows by one seek, as the office-first index had them
// reached; left to itself the planner would walk the month's rows and seek each one's
// office. A file of an older layout keeps the join as the planner sees fit.
std::string bankRowsOfOffices(BankIndex index, const char* as) {
    if (index == BankIndex::MonthFirst)
        return std::string("MasterTable") + as + "m CROSS JOIN VESKFinacle" + as +
               "i ON i.FACILITY_ID = m.qal_facility_id";
    return std::string("VESKFinacle") + as + "i INNER JOIN MasterTable" + as + "m ON i.FACILITY_ID = m.qal_facility_id";
}

}  // namespace

std::string comparedAmountColumns(const std::string& bank, const std::string& orv) {
    const std::string orvDeposit = "IfNull(" + orv + ".ORV_Deposit, 0)";
    const std::string orvWithdrawal = "IfNull(" + orv + ".ORV_Withdrawal, 0)";
    return bank + ".VESK_Deposit AS VESK_Deposit, " + orvDeposit + " AS ORV_Deposit, (" + bank + ".VESK_Deposit - " +
           orvDeposit + ") AS Deposit_Difference, " + bank + ".VESK_Withdrawal AS VESK_Withdrawal, " + orvWithdrawal +
           " AS ORV_Withdrawal, (" + bank + ".VESK_Withdrawal - " + orvWithdrawal + ") AS Withdrawal_Difference ";
}

std::string consolidatedStatement(int year, int month, const std::string& scope, BankIndex index) {
    return "SELECT Q1.office_id, Q1.qal_facility_id, Q1.OffName, " + comparedAmountColumns() +
           "FROM "
           "(SELECT m.office_id, m.qal_facility_id, m.office_name AS OffName, " +
           bankSums() + " FROM " + bankRowsOfOffices(index, " AS ") + " WHERE " +
           inMonth("VESKFinacle", "i", "Tran_Date", year, month) + " " + scope +
           " GROUP BY m.office_id, m.qal_facility_id, m.office_name) AS Q1 "
           "LEFT JOIN "
           "(SELECT a.office_id, " +
           orvSums() +
           " FROM ORVTable AS a "
           "WHERE " +
           inMonth("ORVTable", "a", "try_posting_date", year, month) +
           " GROUP BY a.office_id) AS Q2 "
           "ON Q1.office_id = Q2.office_id "
           "ORDER BY Q1.OffName ASC";
}

std::string officeListCondition(const std::vector<std::string>& offices) {
    std::string list;
    for (const std::string& name : offices) list += (list.empty() ? "" : ",") + store::quote(name);
    return " WHERE m.office_name IN (" + list + ") ";
}

std::string everyOfficeCondition() { return " WHERE m.office_name IS NOT NULL "; }

std::string detailedStatement(const std::string& condition, int year, int month, BankIndex index) {
    const std::string tolerance = toleranceLiteral();
    return "SELECT Final.TDate, Final.OffName, Sum(Final.IDep) as VESK_Dep, Sum(Final.ADep) as ORV_Dep, "
           "(Sum(Final.IDep)-Sum(Final.ADep)) as Diff_Dep, Sum(Final.IWdl) as VESK_Wdl, "
           "Sum(Final.AWdl) as ORV_Wdl, (Sum(Final.IWdl)-Sum(Final.AWdl)) as Diff_Wdl "
           "FROM ("
           "  SELECT Format(CDate(i.Tran_Date), 'dd/mm/yyyy') as TDate, m.office_name as OffName, " +
           report::sideSum(Table::Finacle, report::Side::Deposit, "i.") + " as IDep, 0 as ADep, " +
           report::sideSum(Table::Finacle, report::Side::Withdrawal, "i.") +
           " as IWdl, 0 as AWdl "
           "  FROM " +
           bankRowsOfOffices(index, " ") + " " + condition + "  AND " +
           inMonth("VESKFinacle", "i", "Tran_Date", year, month) +
           "   GROUP BY CDate(i.Tran_Date), m.office_name "
           "  UNION ALL "
           "  SELECT Format(CDate(a.try_posting_date), 'dd/mm/yyyy') as TDate, m.office_name as OffName, "
           "  0 as IDep, " +
           report::sideSum(Table::Orv, report::Side::Deposit, "a.") + " as ADep, 0 as IWdl, " +
           report::sideSum(Table::Orv, report::Side::Withdrawal, "a.") +
           " as AWdl "
           "  FROM ORVTable a INNER JOIN MasterTable m ON a.office_id = m.office_id " +
           condition + "  AND " + inMonth("ORVTable", "a", "try_posting_date", year, month) +
           "   GROUP BY CDate(a.try_posting_date), m.office_name "
           ") as Final "
           "GROUP BY Final.TDate, Final.OffName "
           "HAVING Abs(Sum(Final.IDep)-Sum(Final.ADep)) > " +
           tolerance + " OR Abs(Sum(Final.IWdl)-Sum(Final.AWdl)) > " + tolerance +
           " ORDER BY Final.OffName ASC, CDate(Final.TDate) ASC";
}

// Bank rows of the month whose facility matches no office. The facility ids are walked one
// by one through the index (a seek each): the month's own ids through the month-first index,
// every id of the table through an older file's office-first one. Only the ids the master
// lacks are read for the month; rows without one come on their own. A group spelt in
// several letter cases is named by one of them, always the same.
std::string unknownFacilitiesStatement(int year, int month, BankIndex index) {
    const std::string ofMonth = index == BankIndex::MonthFirst
                                    ? "MonthKey(Tran_Date) = " + std::to_string(monthKey(year, month)) + " AND "
                                    : "";
    const std::string next =
        "(SELECT FACILITY_ID FROM VESKFinacle WHERE " + ofMonth + "FACILITY_ID > ids.id ORDER BY FACILITY_ID LIMIT 1)";
    return "WITH RECURSIVE ids(id) AS ("
           "SELECT (SELECT FACILITY_ID FROM VESKFinacle WHERE " +
           ofMonth +
           "FACILITY_ID IS NOT NULL ORDER BY FACILITY_ID LIMIT 1) "
           "UNION ALL SELECT " +
           next +
           " FROM ids WHERE ids.id IS NOT NULL) "
           "SELECT Min(i.FACILITY_ID COLLATE BINARY) AS FACILITY_ID, Count(*) AS Entries, " +
           bankSums() +
           " FROM VESKFinacle AS i WHERE (i.FACILITY_ID IN (SELECT id FROM ids WHERE id IS NOT NULL AND NOT EXISTS "
           "(SELECT 1 FROM MasterTable AS m WHERE m.qal_facility_id = ids.id)) OR i.FACILITY_ID IS NULL) AND " +
           inMonth("VESKFinacle", "i", "Tran_Date", year, month) + " GROUP BY i.FACILITY_ID ORDER BY 1 ASC";
}

// The month's ORV entries grouped once by office id: those of an office of the scope that
// has no bank rows in the month (Unknown 0), and those of no office at all (Unknown 1),
// these first.
std::string orvLeftOutStatement(int year, int month, const std::string& scope) {
    return "SELECT Q2.office_id, m.office_name AS OffName, Q2.Entries, Q2.ORV_Deposit, Q2.ORV_Withdrawal, "
           "(m.office_id IS NULL) AS Unknown FROM " +
           orvMonthByOffice(year, month) +
           " AS Q2 LEFT JOIN MasterTable AS m ON m.office_id = Q2.office_id "
           "WHERE m.office_id IS NULL OR (NOT EXISTS (SELECT 1 FROM MasterTable AS b INNER JOIN VESKFinacle AS i "
           "ON i.FACILITY_ID = b.qal_facility_id WHERE b.office_id = m.office_id AND " +
           inMonth("VESKFinacle", "i", "Tran_Date", year, month) + ") " + scope +
           ") ORDER BY m.office_name ASC, Q2.office_id ASC";
}

std::string officeSpellingsStatement() { return "SELECT DISTINCT office_name FROM mastertable WHERE office_name = ?1"; }

// Amounts read as the sums read them (see report::amountOf); the kinds 1 for deposits
// (receipts) and 2 for withdrawals (payments). The bank rows are those of the named offices'
// facilities, each once however many lines of the master share its facility, read from the
// comparison's index alone: it holds every column taken here, so no table page is read, and
// only the named facilities' entries of the span's months are met. The row ids give the rows'
// order (officeFacilitiesStatement names the offices).
std::string explainBankStatement(const std::string& condition, const DaySpan& span) {
    const std::string deposit = report::isSide(Table::Finacle, report::Side::Deposit, "i.");
    return "SELECT i.rowid AS Row, i.FACILITY_ID AS Facility, i.tran_id AS Id, i.Tran_Date AS TDate, (" + deposit +
           ") AS Deposit, " + report::amountOf(Table::Finacle, "i.") +
           " AS Amount FROM VESKFinacle AS i WHERE i.FACILITY_ID IN (SELECT m.qal_facility_id FROM MasterTable AS m" +
           condition + ") AND (" + deposit + " OR " + report::isSide(Table::Finacle, report::Side::Withdrawal, "i.") +
           ") AND " + inSpan("VESKFinacle", "i", "Tran_Date", span);
}

std::string officeFacilitiesStatement(const std::string& condition) {
    return "SELECT m.qal_facility_id AS Facility, m.office_name AS OffName, m.ho_name AS HeadOffice FROM MasterTable "
           "AS m" +
           condition;
}

std::string pairingRulesStatement() { return "SELECT " + store::rowIdColumn() + "rule, value FROM pairing_rules"; }

std::string explainOrvStatement(const std::string& condition, const DaySpan& span) {
    return "SELECT m.office_name AS OffName, a.treasury_tran_id AS Id, a.try_posting_date AS TDate, "
           "a.receipt_or_payment AS Kind, a.tot_amount AS Amount FROM MasterTable AS m CROSS JOIN ORVTable AS a ON "
           "a.office_id = m.office_id" +
           condition + " AND " + inSpan("ORVTable", "a", "try_posting_date", span);
}

}  // namespace vesk::compare
