#include "review/StatementWorkbook.h"

#include <filesystem>

#include "compare/CompareWording.h"
#include "compare/ComparisonWorkbook.h"
#include "compare/ExportSheet.h"
#include "review/ReviewWording.h"
#include "sheet/WorkbookWriter.h"

namespace vesk::review {

namespace {

// The blocks' columns: Line, Deposits, Withdrawals, Rows.
constexpr int kStatementColumns = 4;
// Title, period and scope above the first block.
constexpr int kStatementTitleRows = 3;

sheet::CellStyle statementCellStyle(bool bold = false) {
    sheet::CellStyle s;
    s.border = true;
    s.bold = bold;
    return s;
}

// A caption, the headers and the lines from..to; returns the row after the last.
int writeStatementBlock(sheet::WorkbookWriter& w, int row, const char* caption, const MonthStatement& statement,
                        StatementLine from, StatementLine to) {
    sheet::CellStyle bold;
    bold.bold = true;
    w.mergeText(row, 1, row, kStatementColumns, caption, bold);
    ++row;
    const std::vector<std::string>& headers = statementHeaders();
    for (std::size_t c = 0; c < headers.size(); ++c) w.writeText(row, int(c) + 1, headers[c], statementCellStyle(true));
    ++row;
    for (std::size_t l = std::size_t(from); l <= std::size_t(to); ++l) {
        const StatementLine line = kStatementLines[l];
        const std::vector<std::string> cells = statementCells(line, statement.line(line));
        for (std::size_t c = 0; c < cells.size(); ++c) w.writeText(row, int(c) + 1, cells[c], statementCellStyle());
        ++row;
    }
    return row;
}

void writeStatementItems(sheet::WorkbookWriter& w, const std::vector<std::vector<std::string>>& items, int lastColumn,
                         const std::string& period, const std::optional<std::string>& scope) {
    compare::writeTitleLines(w, lastColumn, kStatementTitle, period, scope);
    int row = kStatementTitleRows + 1;
    sheet::CellStyle bold;
    bold.bold = true;
    w.mergeText(row, 1, row, lastColumn, kStatementItemsCaption, bold);
    ++row;
    const std::vector<std::string>& headers = statementItemHeaders();
    for (std::size_t c = 0; c < headers.size(); ++c) w.writeText(row, int(c) + 1, headers[c], statementCellStyle(true));
    ++row;
    for (const std::vector<std::string>& cells : items) {
        for (std::size_t c = 0; c < cells.size(); ++c) w.writeText(row, int(c) + 1, cells[c], statementCellStyle());
        ++row;
    }
    w.fitColumnsToContents();
    // The caption and the headers repeat with the titles on every printed page.
    compare::setExportPageSetup(w, compare::Orientation::Portrait, kStatementTitleRows + 2);
}

}  // namespace

std::string writeStatementWorkbook(const MonthStatement& statement, const std::vector<std::vector<std::string>>& items,
                                   const std::string& stateLine, const std::string& folder) {
    const std::string path =
        (std::filesystem::path(compare::createdFolder(folder)) / statementFileName(statement.period)).string();
    const std::string period = statementPeriodLine(statement.period);
    const std::string scope = compare::scopeLine(compare::ScopeWording::HeadOffice, statement.scope);
    compare::replaceWhenWritten(path, [&](const std::string& temporary) {
        sheet::WorkbookWriter w(temporary, kStatementSheetName);
        compare::writeTitleLines(w, kStatementColumns, kStatementTitle, period, scope);
        int row = writeStatementBlock(w, kStatementTitleRows + 1, kStatementCaption, statement, StatementLine::Vesk,
                                      StatementLine::Resolved);
        row = writeStatementBlock(w, row + 1, kRollForwardCaption, statement, StatementLine::BroughtForward,
                                  StatementLine::CarriedForward);
        w.mergeText(row + 1, 1, row + 1, kStatementColumns, stateLine);
        w.fitColumnsToContents();
        compare::setExportPageSetup(w, compare::Orientation::Portrait, kStatementTitleRows);
        w.addSheet(kStatementItemsSheetName);
        writeStatementItems(w, items, int(statementItemHeaders().size()), period, scope);
        w.save();
    });
    return path;
}

}  // namespace vesk::review
