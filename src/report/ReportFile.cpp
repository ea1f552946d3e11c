#include "report/ReportFile.h"

#include "core/Text.h"

namespace vesk::report {

ReportFile ReportFile::read(const std::string& path, const std::string& headerB1, int columns) {
    ReportFile file;
    auto book = sheet::Workbook::open(path);
    auto sheet = book->firstSheet(columns);  // only the columns an import stores are kept
    if (trim(sheet::cellText(sheet->cell(1, 2))) != headerB1) {
        file.status = Status::InvalidHeader;
        return file;
    }
    const int last = sheet->lastRow(1);
    if (last < 2) {
        file.status = Status::NoData;
        return file;
    }
    // Headings only choose where columns go; an error cell among them names no column.
    for (int j = 1; j <= columns; ++j) {
        const sheet::Cell head = sheet->cell(1, j);
        file.headers.push_back(head.kind == sheet::Cell::Kind::Error ? std::string() : sheet::cellText(head));
    }
    file.rows = sheet->block(2, 1, last, columns);
    return file;
}

}  // namespace vesk::report
