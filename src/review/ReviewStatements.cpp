#include "review/ReviewStatements.h"

#include "core/DateTime.h"
#include "report/ReportStatements.h"
#include "store/Connection.h"

namespace vesk::review::sql {

std::string changesByMonthStatement(const std::vector<std::string>& actions) {
    std::string list;
    for (const std::string& a : actions) list += (list.empty() ? "" : ", ") + store::quote(a);
    return "SELECT period_year * 100 + period_month AS Key, Max(id) AS LastChange FROM import_history "
           "WHERE action IN (" +
           list + ") GROUP BY 1";
}

// The months are walked one by one, each found by one seek of a month index: the bank's
// through its comparison index, which leads with the month in the current layout and with
// the facility in older ones (each facility's months are walked after it then); the ORV's
// leads with the month. Only bank rows with a facility count, in either layout.
std::string heldMonthsStatement(compare::BankIndex index) {
    const std::string bank =
        index == compare::BankIndex::MonthFirst
            ? "bank(k) AS ("
              "SELECT (SELECT MonthKey(Tran_Date) FROM veskfinacle WHERE FACILITY_ID IS NOT NULL "
              "ORDER BY MonthKey(Tran_Date) LIMIT 1) "
              "UNION ALL SELECT (SELECT MonthKey(Tran_Date) FROM veskfinacle WHERE MonthKey(Tran_Date) > bank.k "
              "AND FACILITY_ID IS NOT NULL ORDER BY MonthKey(Tran_Date) LIMIT 1) FROM bank WHERE bank.k IS NOT NULL), "
            : "facilities(id) AS ("
              "SELECT (SELECT FACILITY_ID FROM veskfinacle WHERE FACILITY_ID IS NOT NULL ORDER BY FACILITY_ID LIMIT 1) "
              "UNION ALL SELECT (SELECT FACILITY_ID FROM veskfinacle WHERE FACILITY_ID > facilities.id "
              "ORDER BY FACILITY_ID LIMIT 1) FROM facilities WHERE facilities.id IS NOT NULL), "
              "bank(facility, k) AS ("
              "SELECT id, (SELECT MonthKey(Tran_Date) FROM veskfinacle WHERE FACILITY_ID = facilities.id "
              "ORDER BY MonthKey(Tran_Date) LIMIT 1) FROM facilities WHERE id IS NOT NULL "
              "UNION ALL SELECT facility, (SELECT MonthKey(Tran_Date) FROM veskfinacle WHERE FACILITY_ID = "
              "bank.facility AND MonthKey(Tran_Date) > bank.k ORDER BY MonthKey(Tran_Date) LIMIT 1) FROM bank WHERE "
              "bank.k IS NOT NULL), ";
    return "WITH RECURSIVE " + bank +
           "orv(k) AS ("
           "SELECT (SELECT MonthKey(try_posting_date) FROM orvtable ORDER BY MonthKey(try_posting_date) LIMIT 1) "
           "UNION ALL SELECT (SELECT MonthKey(try_posting_date) FROM orvtable WHERE MonthKey(try_posting_date) > orv.k "
           "ORDER BY MonthKey(try_posting_date) LIMIT 1) FROM orv WHERE orv.k IS NOT NULL) "
           "SELECT k FROM bank WHERE k IS NOT NULL UNION SELECT k FROM orv WHERE k IS NOT NULL ORDER BY 1";
}

namespace {

// The month keys a report's date column holds, walked one seek at a time; rows without a date
// (key 0) are no month's.
std::string monthKeys(const std::string& name, const std::string& table, const std::string& column) {
    const std::string key = "MonthKey(" + column + ")";
    const std::string next = "SELECT " + key + " FROM " + table + " WHERE " + key + " > ";
    return name + "(k) AS (SELECT (" + next + "0 ORDER BY " + key + " LIMIT 1) UNION ALL SELECT (" + next + name +
           ".k ORDER BY " + key + " LIMIT 1) FROM " + name + " WHERE " + name + ".k IS NOT NULL)";
}

// Whether the month `key` holds ORV entries of the side, sought in the month's range of its index.
std::string holdsOrv(report::Side side, const std::string& key) {
    return "EXISTS (SELECT 1 FROM orvtable AS a WHERE MonthKey(a.try_posting_date) = " + key + " AND " +
           report::isSide(store::Table::Orv, side, "a.") + ")";
}

std::string partsOf(const std::string& key) {
    return "SELECT " + key + " AS Key, EXISTS (SELECT 1 FROM veskfinacle WHERE MonthKey(value_date) = " + key +
           ") AS Bank, " + holdsOrv(report::Side::Deposit, key) + " AS Receipts, " +
           holdsOrv(report::Side::Withdrawal, key) + " AS Payments";
}

}  // namespace

std::string monthPartsStatement(bool allMonths) {
    if (!allMonths) return partsOf("?1");
    return "WITH RECURSIVE " + monthKeys("bank", "veskfinacle", "value_date") + ", " +
           monthKeys("orv", "orvtable", "try_posting_date") +
           ", held(k) AS (SELECT k FROM bank WHERE k IS NOT NULL UNION SELECT k FROM orv WHERE k IS NOT NULL) " +
           partsOf("held.k") + " FROM held ORDER BY held.k";
}

std::string scopeOfficesStatement(const std::string& scope) {
    return "SELECT DISTINCT m.office_name FROM mastertable AS m WHERE m.office_name IS NOT NULL " + scope;
}

namespace {

// The rows of one side of the month, of either kind, counted and summed by kind and by
// whether the scope's offices hold them, as the comparison joins them. They are added up by
// facility (or ORV office) first, so the scope is looked up once for each, not once a row.
std::string statementSideStatement(store::Table table, int year, int month, const std::string& scope) {
    const bool bank = table == store::Table::Finacle;
    const std::string rows = bank ? "i." : "a.";
    const std::string deposit = report::isSide(table, report::Side::Deposit, rows);
    const std::string withdrawal = report::isSide(table, report::Side::Withdrawal, rows);
    const std::string date = bank ? "Tran_Date" : "try_posting_date";
    const std::string name = bank ? "VESKFinacle" : "ORVTable";
    const std::string office = bank ? "FACILITY_ID" : "office_id";
    const std::string join = bank ? "m.qal_facility_id = g.Office" : "m.office_id = g.Office";
    return "SELECT g.Kind AS Kind, EXISTS (SELECT 1 FROM MasterTable AS m WHERE " + join +
           " AND m.office_name IS NOT NULL " + scope +
           ") AS Compared, g.Entries AS Entries, g.Amount AS Amount FROM (SELECT CASE WHEN " + deposit +
           " THEN 1 ELSE 2 END AS Kind, " + rows + office + " AS Office, Count(*) AS Entries, Sum(" +
           report::amountOf(table, rows) + ") AS Amount FROM " + name + " AS " + rows.substr(0, 1) +
           " WHERE MonthKey(" + rows + date + ") = " + std::to_string(monthKey(year, month)) + " AND " +
           compare::failsOnUndatedRows(name, date) + " AND (" + deposit + " OR " + withdrawal + ") GROUP BY " + rows +
           office + ", 1) AS g";
}

}  // namespace

std::string statementBankStatement(int year, int month, const std::string& scope) {
    return statementSideStatement(store::Table::Finacle, year, month, scope);
}

std::string statementOrvStatement(int year, int month, const std::string& scope) {
    return statementSideStatement(store::Table::Orv, year, month, scope);
}

}  // namespace vesk::review::sql
