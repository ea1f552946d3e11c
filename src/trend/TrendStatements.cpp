#include "trend/TrendStatements.h"

#include "compare/CompareStatements.h"
#include "store/Connection.h"
#include "store/Schema.h"

namespace vesk::trend {

namespace {

std::string report(store::Table table) { return store::quote(store::tableName(table)); }

// The ORV side's sum of the office B.office_id in the month B.Month_Key, sought through the
// sums' index: a join would be matched row by row, since the engine cannot look into the
// right side of a left join.
std::string orvSum(const std::string& column, const std::string& alias) {
    return "(SELECT o." + column + " FROM office_month_totals AS o WHERE o.report = " + report(store::Table::Orv) +
           " AND o.compared_key = B.Month_Key AND o.office_ref = B.office_id) AS " + alias;
}

}  // namespace

std::string heldMonthsStatement() {
    return "SELECT k AS Month_Key FROM (SELECT month_key AS k FROM office_month_totals UNION SELECT compared_key "
           "FROM office_month_totals) WHERE k BETWEEN ?1 AND ?2 ORDER BY k";
}

// The month's comparison with the month as one more group: the bank side summed per office
// of the master from the sums per facility, the ORV side taken by office id and month.
std::string trendStatement(const std::string& scope) {
    return "SELECT Q.Month_Key AS Month_Key, Q.office_id AS office_id, Q.qal_facility_id AS qal_facility_id, "
           "Q.OffName AS OffName, " +
           compare::comparedAmountColumns("Q", "Q") +
           "FROM (SELECT B.Month_Key, B.office_id, B.qal_facility_id, B.OffName, B.VESK_Deposit, B.VESK_Withdrawal, " +
           orvSum("deposits", "ORV_Deposit") + ", " + orvSum("withdrawals", "ORV_Withdrawal") +
           " FROM (SELECT t.compared_key AS Month_Key, m.office_id, m.qal_facility_id, m.office_name AS OffName, "
           "Sum(t.deposits) AS VESK_Deposit, Sum(t.withdrawals) AS VESK_Withdrawal "
           "FROM office_month_totals AS t INNER JOIN MasterTable AS m ON t.office_ref = m.qal_facility_id "
           "WHERE t.report = " +
           report(store::Table::Finacle) + " AND t.compared_key BETWEEN ?1 AND ?2 AND " +
           compare::failsOnUndatedRows("VESKFinacle", "Tran_Date") + " AND " +
           compare::failsOnUndatedRows("ORVTable", "try_posting_date") + " " + scope +
           " GROUP BY t.compared_key, m.office_id, m.qal_facility_id, m.office_name) AS B) AS Q";
}

}  // namespace vesk::trend
