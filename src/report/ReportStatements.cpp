#include "report/ReportStatements.h"

namespace vesk::report {

std::string deleteShownMonthStatement(const ReportDescription& report) {
    // The month compares without regard to letter case, as the engine compares text.
    const std::string& date = report.dateColumn;
    return std::string("DELETE FROM ") + store::tableName(report.table) + " WHERE Format(" + date +
           ", 'mmm') = ? COLLATE NOCASE AND Format(" + date + ", 'yyyy') = ?";
}

std::string deleteImportedMonthStatement(const ReportDescription& report, bool ofKind) {
    std::string sql = std::string("DELETE FROM ") + store::tableName(report.table) + " WHERE Month(" +
                      report.dateColumn + ") = ? AND Year(" + report.dateColumn + ") = ?";
    if (ofKind) sql += " AND " + report.kindTableColumn + " = ?";
    return sql;
}

}  // namespace vesk::report
