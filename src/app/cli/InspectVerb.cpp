#include <algorithm>
#include <ostream>
#include <string_view>

#include "cli/Verbs.h"
#include "core/Text.h"
#include "sheet/Workbook.h"

namespace vesk::cli {

namespace {

// A tab, carriage return or line break inside a cell would break the row's line or its
// columns; they are written as \t, \r and \n, and a backslash as \\, so that the text
// reads back unambiguously.
void appendEscaped(std::string& line, std::string_view text) {
    for (const char c : text) {
        switch (c) {
            case '\t':
                line += "\\t";
                break;
            case '\r':
                line += "\\r";
                break;
            case '\n':
                line += "\\n";
                break;
            case '\\':
                line += "\\\\";
                break;
            default:
                line += c;
        }
    }
}

}  // namespace

// Prints the sheet's cells as the imports store them (trimmed), one row a line, tab between
// cells, the characters that would break a line escaped. Cells are read through a view of
// the sheet, so a far cell costs no memory.
int runInspect(Call& call) {
    const long long rowLimit = call.integer("rows", -1, 0, 1048576);
    const std::string which = call.option("sheet").value_or("first");
    if (which != "first" && which != "active") throw UsageError("--sheet takes first or active, not '" + which + "'");

    auto workbook = sheet::Workbook::open(call.argument(0));
    auto sheet = which == "first" ? workbook->firstSheet() : workbook->activeSheet();

    const int lastColumn = sheet->usedColumns();
    const int lastRow = sheet->usedRows();
    int rows = rowLimit >= 0 ? std::min<int>(lastRow, int(rowLimit)) : lastRow;
    if (rows == 0 || lastColumn == 0) return kExitOk;

    const sheet::Block block = sheet->block(1, 1, rows, lastColumn);
    std::string line;
    for (int r = 0; r < block.rows(); ++r) {
        line.clear();
        for (int c = 0; c < block.columns(); ++c) {
            if (c > 0) line += '\t';
            const sheet::Cell cell = block.at(r, c);
            if (cell.kind == sheet::Cell::Kind::Error)
                line += "#ERROR";
            else
                appendEscaped(line, trim(sheet::cellText(cell)));
        }
        call.out() << line << '\n';
    }
    return kExitOk;
}

}  // namespace vesk::cli
