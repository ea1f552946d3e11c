#pragma once

#include <string>
#include <vector>

#include "sheet/Workbook.h"

namespace vesk::report {

/// What an import takes from a report workbook: the first sheet's headings and its data
/// rows, read in one go. The workbook is closed again before read() returns.
struct ReportFile {
    enum class Status { Ok, InvalidHeader, NoData };

    Status status = Status::Ok;
    std::vector<std::string> headers;  ///< row 1 of the columns read; "" for an error cell
    sheet::Block rows;  ///< rows 2 to the last non-empty cell of column A (a view: empty rows cost nothing)

    /// Reads columns 1..columns. InvalidHeader: B1, trimmed, is not headerB1 exactly;
    /// NoData: column A holds nothing below row 1. Throws Error when the file cannot be read.
    static ReportFile read(const std::string& path, const std::string& headerB1, int columns);
};

}  // namespace vesk::report
