#pragma once

#include <string>
#include <vector>

#include "report/ReportWording.h"
#include "support/RawXlsx.h"

namespace vesk::test {

/// One entry of a hand-made report file.
struct Entry {
    std::string id;  ///< column A; blank: the row is skipped
    RawCell date;    ///< column B
    bool deposit = true;
    std::string amount;       ///< written as a number
    std::string note;         ///< a free text column
    std::string office = {};  ///< the bank's facility id, the ORV office id; empty: F1, 101
    RawCell tranDate = {};    ///< the bank's transaction date; empty: as date
};

/// How a report's files are laid out, for writing them by hand.
struct ReportShape {
    report::Report report;
    std::vector<RawCell> headers;
    /// The entry as a full row; the whole file's kind goes in I for ORV.
    std::vector<RawCell> (*row)(const Entry& entry);
    std::string table;
    std::string idColumn;    ///< the table column of file column A
    std::string noteColumn;  ///< where Entry::note goes
};

ReportShape bankShape();
ReportShape orvShape();

/// Writes the headers and one row per entry; `edit` may change the sheet's XML first.
void writeReport(const std::string& path, const ReportShape& shape, const std::vector<Entry>& entries,
                 const std::function<std::string(std::string sheetXml)>& edit = {});

/// Entries of one month: n rows dated day 1..28 of the month, deposits unless told.
std::vector<Entry> monthEntries(int n, int year, int month, bool deposit = true, const std::string& prefix = "T");

}  // namespace vesk::test
