#pragma once

#include <string>
#include <vector>

#include "store/Connection.h"
#include "store/StoreTestSupport.h"

namespace vesk::test {

/// The one way tests seed a database: row by row, each named column set and every other
/// column Null, as no import would store them.
class MonthDatabase {
  public:
    explicit MonthDatabase(const std::string& path) { m_db.open(path); }

    /// A row of any table, odd values included (Null dates, texts that are no date).
    void row(store::Table table, const std::vector<std::pair<std::string, store::Value>>& set) {
        m_db.prepare(insertAllColumns(table)).execute(rowOf(table, set));
    }

    void office(const std::string& id, const std::string& name, const std::string& type, const std::string& ho = "",
                const std::string& facility = "") {
        row(store::Table::Master, {{"office_id", id},
                                   {"office_name", name},
                                   {"office_type_code", type},
                                   {"ho_name", ho},
                                   {"qal_facility_id", facility}});
    }
    void bank(const std::string& facility, const std::string& date, const std::string& type, store::Value amount) {
        bank(facility, date, date, type, std::move(amount));
    }
    /// A row whose value date (the report's month) is not its transaction date (the comparison's).
    void bank(const std::string& facility, const std::string& valueDate, const std::string& tranDate,
              const std::string& type, store::Value amount) {
        row(store::Table::Finacle, {{"tran_id", "T" + std::to_string(++m_rows)},
                                    {"value_date", valueDate},
                                    {"Tran_Date", tranDate},
                                    {"CASH_TRAN_TYPE", type},
                                    {"TRAN_AMT", std::move(amount)},
                                    {"FACILITY_ID", facility}});
    }
    void deposit(const std::string& facility, const std::string& date, store::Value amount) {
        bank(facility, date, "DEPOSIT", std::move(amount));
    }
    void withdrawal(const std::string& facility, const std::string& date, store::Value amount) {
        bank(facility, date, "WITHDRAWAL", std::move(amount));
    }
    /// kind: "Receipt", "payment" and the like.
    void orv(const std::string& officeId, const std::string& date, const std::string& kind, store::Value amount) {
        row(store::Table::Orv, {{"treasury_tran_id", "A" + std::to_string(++m_rows)},
                                {"try_posting_date", date},
                                {"office_id", officeId},
                                {"receipt_or_payment", kind},
                                {"tot_amount", std::move(amount)}});
    }
    void configure(const std::string& name) {
        row(store::Table::YourOffice, {{"ooffice_name", name}, {"oqal_facility_id", ""}, {"ooffice_id", ""}});
    }

    store::Connection& connection() { return m_db; }

  private:
    store::Connection m_db;
    int m_rows = 0;
};

/// A grid row as text: cells joined by " | ", a red cell marked with "*".
template <class Row>
std::string rowText(const Row& row) {
    std::string s;
    for (std::size_t i = 0; i < row.cells.size(); ++i)
        s += (i ? " | " : "") + row.cells[i].text + (row.cells[i].red ? "*" : "");
    return s;
}

}  // namespace vesk::test
