#pragma once

#include <string>
#include <vector>

#include "ctr/BankReport.h"
#include "orv/OrvReport.h"
#include "report/ReportFiles.h"
#include "report/ReportMonths.h"
#include "support/MonthDatabase.h"
#include "support/TempDir.h"

namespace vesk::test {

/// A database whose months come in as a person brings them: report files imported, each
/// import recorded in the history. The bank files' rows are of facility F1, the ORV files'
/// of office 101: the office "Hill SO" under "Hill HO".
class ReviewDatabase : public MonthDatabase {
  public:
    explicit ReviewDatabase(TempDir& dir) : MonthDatabase(dir.file("ZETTools.db")), m_dir(dir) {
        office("101", "Hill SO", "SO", "Hill HO", "F1");
    }

    void importBank(const std::vector<Entry>& entries) { import(bankShape(), entries); }
    /// Receipts, or payments when the entries are withdrawals.
    void importOrv(const std::vector<Entry>& entries) { import(orvShape(), entries); }

    /// An entry of the bank's file or ORV's: a deposit (receipt) unless told.
    static Entry entry(const std::string& id, const std::string& date, const std::string& amount, bool deposit = true) {
        return {id, RawCell(date), deposit, amount, ""};
    }

  private:
    void import(const ReportShape& shape, const std::vector<Entry>& entries) {
        const std::string path = m_dir.file("month" + std::to_string(++m_files) + ".xlsx");
        writeReport(path, shape, entries);
        report::importMonth(connection(), shape.report.description, path,
                            [](const report::MonthImport&, const std::optional<DateTime>&) { return true; });
    }

    TempDir& m_dir;
    int m_files = 0;
};

}  // namespace vesk::test
