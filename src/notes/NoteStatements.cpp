#include "notes/NoteStatements.h"

#include "store/StoredRows.h"

namespace vesk::notes::sql {

namespace {

// The month keys of a date column, each found by one seek of an index that leads with them.
std::string monthKeys(const std::string& table, const std::string& column) {
    const std::string key = "MonthKey(" + column + ")";
    return "WITH RECURSIVE keys(k) AS (SELECT (SELECT " + key + " FROM " + table + " ORDER BY " + key +
           " LIMIT 1) UNION ALL SELECT (SELECT " + key + " FROM " + table + " WHERE " + key + " > keys.k ORDER BY " +
           key + " LIMIT 1) FROM keys WHERE keys.k IS NOT NULL) ";
}

}  // namespace

std::string heldRowsStatement(Side side, const std::string& ids) {
    if (side == Side::Bank)
        return monthKeys("veskfinacle", "value_date") +
               "SELECT i.tran_id AS Id, CDate(i.Tran_Date) AS TDate, Val(i.TRAN_AMT) AS Amount, "
               "IIf(i.CASH_TRAN_TYPE = 'DEPOSIT', 1, IIf(i.CASH_TRAN_TYPE = 'WITHDRAWAL', 2, 0)) AS Kind, "
               "(SELECT Min(m.office_name) FROM mastertable AS m WHERE m.qal_facility_id = i.FACILITY_ID) AS OffName "
               "FROM veskfinacle AS i WHERE MonthKey(i.value_date) IN (SELECT k FROM keys WHERE k IS NOT NULL) AND "
               "i.tran_id IN " +
               ids;
    return monthKeys("orvtable", "try_posting_date") +
           "SELECT a.treasury_tran_id AS Id, CDate(a.try_posting_date) AS TDate, Val(a.tot_amount) AS Amount, "
           "IIf(upper(substr(a.receipt_or_payment, 1, 1)) = 'R', 1, "
           "IIf(upper(substr(a.receipt_or_payment, 1, 1)) = 'P', 2, 0)) AS Kind, "
           "(SELECT Min(m.office_name) FROM mastertable AS m WHERE m.office_id = a.office_id) AS OffName "
           "FROM orvtable AS a WHERE MonthKey(a.try_posting_date) IN (SELECT k FROM keys WHERE k IS NOT NULL) AND "
           "a.treasury_tran_id IN " +
           ids;
}

std::string allNotesStatement(bool byRow) {
    return "SELECT " + store::rowIdColumn() + kNoteColumns + (byRow ? ", day" : ", NULL AS day") + " FROM notes";
}

std::string notesWithIdStatement() {
    return "SELECT " + store::rowIdColumn() + kNoteColumns + ", day FROM notes WHERE side = ?1 AND tran_id = ?2 " +
           "ORDER BY day";
}

std::string saveNoteStatement() {
    return std::string("INSERT INTO notes (") + kNoteColumns + ", day) VALUES (?, ?, ?, ?, ?, ?, ?, ?)";
}

std::string noteIds(Side side) {
    return std::string("(SELECT tran_id FROM notes WHERE side = '") + sideKey(side) + "')";
}

}  // namespace vesk::notes::sql
