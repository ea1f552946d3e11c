#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/Palette.h"

namespace vesk::sheet {
class WorkbookWriter;
}

namespace vesk::compare {

/// One sheet of an exported comparison, laid out as it is written: title lines, the
/// header row after "Sl.No", then the rows with their serial numbers and highlights.
struct ExportSheet {
    enum class Highlight { None, Red, Yellow };
    struct Cell {
        std::string text;
        Highlight highlight = Highlight::None;
        std::optional<Rgb> fill;  ///< a fill of its own, where there is no highlight
    };
    struct Row {
        std::optional<int> serial;  ///< none on a total row
        std::vector<Cell> cells;
    };

    /// A list of its own under a caption line, for a sheet of several lists.
    struct Section {
        std::string caption;
        std::vector<std::string> headers;
        std::vector<Row> rows;
    };

    std::string sheetName;
    std::string title;
    std::string periodLine;
    std::optional<std::string> scopeLine;
    std::vector<std::string> headers;
    std::vector<Row> rows;
    /// When there are any, written instead of headers and rows: one under another, a blank
    /// row between them, the legend under the last. Only the title lines repeat on each printed page.
    std::vector<Section> sections;
    /// Lines under the list, each a text in its colour: what the fills mean.
    std::vector<std::pair<std::string, Rgb>> legend;
    /// Columns (1: Sl.No) given a width in characters rather than fitted: one left empty to write in.
    std::vector<std::pair<int, double>> widths;

    /// The sheet row of the headers: 4 under a scope line, else 3.
    int headerRow() const { return scopeLine ? 4 : 3; }
};

/// Has write fill a temporary file beside path, then renames it over path: a failure never
/// destroys an earlier file of that name, and no half-written one is left. Throws Error.
void replaceWhenWritten(const std::string& path, const std::function<void(const std::string& temporary)>& write);

/// The title lines over a table whose last column is lastColumn: the title, the period and,
/// where there is one, the scope, each merged across the table.
void writeTitleLines(sheet::WorkbookWriter& w, int lastColumn, const std::string& title, const std::string& periodLine,
                     const std::optional<std::string>& scopeLine);

enum class Orientation { Portrait, Landscape };
/// How every exported workbook prints: on A4, margins of 20 points at the sides and 30 above
/// and below, centred, one page wide, rows 1 to titleLastRow repeated on each page.
void setExportPageSetup(sheet::WorkbookWriter& w, Orientation orientation, int titleLastRow);

/// Writes the sheet as a new .xlsx workbook at path. The file is first written beside it
/// under a temporary name and renamed over path only when complete, so a failure never
/// destroys an earlier file. rowDone is called after each written row with its index.
void writeExportSheet(const ExportSheet& sheet, const std::string& path,
                      const std::function<void(std::size_t)>& rowDone = {});

}  // namespace vesk::compare
