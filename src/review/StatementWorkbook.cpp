#include "review/StatementWorkbook.h"

#include "compare/CompareWording.h"
#include "compare/ComparisonWorkbook.h"
#include "compare/ExportSheet.h"
#include "core/Platform.h"
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

// A caption across the columns, the headers and the rows, bordered; returns the row after the last.
int writeStatementTable(sheet::WorkbookWriter& w, int row, const char* caption, const std::vector<std::string>& headers,
                        const std::vector<std::vector<std::string>>& rows) {
    sheet::CellStyle bold;
    bold.bold = true;
    w.mergeText(row, 1, row, int(headers.size()), caption, bold);
    ++row;
    for (std::size_t c = 0; c < headers.size(); ++c) w.writeText(row, int(c) + 1, headers[c], statementCellStyle(true));
    ++row;
    for (const std::vector<std::string>& cells : rows) {
        for (std::size_t c = 0; c < cells.size(); ++c) w.writeText(row, int(c) + 1, cells[c], statementCellStyle());
        ++row;
    }
    return row;
}

void writeStatementItems(sheet::WorkbookWriter& w, const std::vector<std::vector<std::string>>& items, int lastColumn,
                         const std::string& period, const std::optional<std::string>& scope) {
    compare::writeTitleLines(w, lastColumn, kStatementTitle, period, scope);
    writeStatementTable(w, kStatementTitleRows + 1, kStatementItemsCaption, statementItemHeaders(), items);
    w.fitColumnsToContents();
    // The caption and the headers repeat with the titles on every printed page.
    compare::setExportPageSetup(w, compare::Orientation::Portrait, kStatementTitleRows + 2);
}

}  // namespace

std::string writeStatementWorkbook(const MonthStatement& statement, const std::vector<std::vector<std::string>>& items,
                                   const std::string& stateLine, const std::string& folder) {
    const std::string path = platform::joinPath(compare::createdFolder(folder), statementFileName(statement.period));
    const std::string period = statementPeriodLine(statement.period);
    const std::string scope = compare::scopeLine(compare::ScopeWording::HeadOffice, statement.scope);
    compare::replaceWhenWritten(path, [&](const std::string& temporary) {
        sheet::WorkbookWriter w(temporary, kStatementSheetName);
        compare::writeTitleLines(w, kStatementColumns, kStatementTitle, period, scope);
        int row = writeStatementTable(w, kStatementTitleRows + 1, kStatementCaption, statementHeaders(),
                                      statementRows(statement, StatementLine::Vesk, StatementLine::Resolved));
        row =
            writeStatementTable(w, row + 1, kRollForwardCaption, statementHeaders(),
                                statementRows(statement, StatementLine::BroughtForward, StatementLine::CarriedForward));
        w.mergeText(row + 1, 1, row + 1, kStatementColumns, stateLine);
        w.fitColumnsToContents();
        compare::setExportPageSetup(w, compare::Orientation::Portrait, kStatementTitleRows);
        w.addSheet(kStatementItemsSheetName);
        writeStatementItems(w, items, int(statementItemHeaders().size()), period, scope);
        w.save();
    });
    return path;
}

namespace {

std::vector<compare::ExportSheet::Row> statementPrintRows(const std::vector<std::vector<std::string>>& rows) {
    std::vector<compare::ExportSheet::Row> out;
    for (const std::vector<std::string>& cells : rows) {
        compare::ExportSheet::Row row;
        for (const std::string& text : cells)
            row.cells.push_back({text, compare::ExportSheet::Highlight::None, std::nullopt});
        out.push_back(std::move(row));
    }
    return out;
}

}  // namespace

compare::Printout statementPrintout(const ShownStatement& shown, std::vector<compare::SignOff> signOffs,
                                    std::string printedAt) {
    const MonthStatement& s = shown.statement;
    compare::ExportSheet lines;
    lines.sheetName = kStatementSheetName;
    lines.title = kStatementTitle;
    lines.periodLine = statementPeriodLine(s.period);
    lines.scopeLine = compare::scopeLine(compare::ScopeWording::HeadOffice, s.scope);
    compare::ExportSheet items = lines;
    lines.sections = {
        {kStatementCaption, statementHeaders(),
         statementPrintRows(statementRows(s, StatementLine::Vesk, StatementLine::Resolved))},
        {kRollForwardCaption, statementHeaders(),
         statementPrintRows(statementRows(s, StatementLine::BroughtForward, StatementLine::CarriedForward))}};
    // White: a line of its own, with no colour to explain.
    lines.legend = {{shown.stateLine, Rgb{255, 255, 255}}};
    items.sheetName = kStatementItemsSheetName;
    items.sections = {{kStatementItemsCaption, statementItemHeaders(), statementPrintRows(shown.items)}};
    return {statementFileName(s.period).substr(0, statementFileName(s.period).rfind('.')),
            {std::move(lines), std::move(items)},
            {},
            std::move(signOffs),
            std::move(printedAt)};
}

}  // namespace vesk::review
