#include "review/ReviewStatements.h"

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

std::string scopeOfficesStatement(const std::string& scope) {
    return "SELECT DISTINCT m.office_name FROM mastertable AS m WHERE m.office_name IS NOT NULL " + scope;
}

}  // namespace vesk::review::sql
