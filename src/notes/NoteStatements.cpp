#include "notes/NoteStatements.h"

namespace vesk::notes::sql {

namespace {

// The month keys of the bank's value dates, each found by one seek of their index.
constexpr const char* kValueMonths =
    "WITH RECURSIVE keys(k) AS (SELECT (SELECT MonthKey(value_date) FROM veskfinacle ORDER BY MonthKey(value_date) "
    "LIMIT 1) UNION ALL SELECT (SELECT MonthKey(value_date) FROM veskfinacle WHERE MonthKey(value_date) > keys.k "
    "ORDER BY MonthKey(value_date) LIMIT 1) FROM keys WHERE keys.k IS NOT NULL) ";

std::string idCondition(const std::string& column, const char* side, bool ofNotes) {
    if (!ofNotes) return column + " = ?1";
    return column + " IN (SELECT tran_id FROM notes WHERE side = '" + side + "')";
}

}  // namespace

std::string bankRowsStatement(bool ofNotes) {
    return std::string(kValueMonths) +
           "SELECT i.tran_id AS Id, CDate(i.Tran_Date) AS TDate, Val(i.TRAN_AMT) AS Amount, "
           "(SELECT Min(m.office_name) FROM mastertable AS m WHERE m.qal_facility_id = i.FACILITY_ID) AS OffName "
           "FROM veskfinacle AS i WHERE MonthKey(i.value_date) IN (SELECT k FROM keys WHERE k IS NOT NULL) AND " +
           idCondition("i.tran_id", "bank", ofNotes);
}

std::string orvRowsStatement(bool ofNotes) {
    return "SELECT a.treasury_tran_id AS Id, CDate(a.try_posting_date) AS TDate, "
           "Val(a.tot_amount) AS Amount, "
           "(SELECT Min(m.office_name) FROM mastertable AS m WHERE m.office_id = a.office_id) AS OffName "
           "FROM orvtable AS a WHERE " +
           idCondition("a.treasury_tran_id", "orv", ofNotes);
}

}  // namespace vesk::notes::sql
