#pragma once

#include <string>

namespace vesk::trend {

// The trend reads the reports' sums per office and month (office_month_totals, kept by
// report::keepOfficeTotals), never the rows.

/// The months between the keys ?1 and ?2 (year * 100 + month, both included) that the data
/// holds, ascending (column Month_Key): the bank's value and transaction months and the ORV
/// posting months.
std::string heldMonthsStatement();

/// Every month between ?1 and ?2 compared office by office as the month's comparison
/// compares it: Month_Key, office_id, qal_facility_id, OffName and the comparison's six
/// amounts. The bank side carries the scope's condition; the statement fails on a row without
/// a date as the comparison does.
std::string trendStatement(const std::string& scope);

}  // namespace vesk::trend
