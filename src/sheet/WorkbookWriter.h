#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/DateTime.h"
#include "core/Palette.h"

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace vesk::sheet {

/// A colour of a cell's font or fill.
using Rgb = vesk::Rgb;

inline constexpr Rgb rgb(int r, int g, int b) { return Rgb{r, g, b}; }

/// How a cell looks. Equal styles share one format in the written file.
struct CellStyle {
    bool bold = false;
    double fontSize = 0;           ///< points; 0 keeps the workbook's default (11)
    std::optional<Rgb> fontColor;  ///< none: automatic
    std::optional<Rgb> fillColor;  ///< none: no fill
    bool centred = false;          ///< horizontally
    bool border = false;           ///< thin continuous line on all four sides
    std::string numberFormat;      ///< empty: General

    auto operator<=>(const CellStyle&) const = default;
};

/// The printed page of the sheet. Margins are in inches.
struct PageSetup {
    bool portrait = true;
    int paperSize = 9;  ///< the spreadsheet's paper code; 9 is A4
    double leftMargin = 0.7;
    double rightMargin = 0.7;
    double topMargin = 0.75;
    double bottomMargin = 0.75;
    bool centreHorizontally = false;
    int fitPagesWide = 0;  ///< with fitPagesTall: 0 and 0 print at 100 %; 1 and 0 fit the width only
    int fitPagesTall = 0;
    int titleFirstRow = 0;  ///< rows repeated on each page, from 1; 0 for none
    int titleLastRow = 0;
};

/// Writes one new .xlsx workbook with a single sheet. Rows and columns count from 1,
/// as in the reader. Nothing reaches the disk until save(); a writer destroyed unsaved
/// leaves no file behind. Every failure throws Error (errc::kWorkbook).
class WorkbookWriter {
  public:
    struct Options {
        /// Streams each finished row to a temporary file so that memory stays flat for
        /// large sheets. Rows must then be written in ascending order and ranges cannot
        /// be merged; text is stored inline instead of in the shared string table.
        bool constantMemory = false;
    };

    WorkbookWriter(const std::string& path, const std::string& sheetName);
    WorkbookWriter(const std::string& path, const std::string& sheetName, Options options);
    ~WorkbookWriter();
    WorkbookWriter(const WorkbookWriter&) = delete;
    WorkbookWriter& operator=(const WorkbookWriter&) = delete;

    void writeText(int row, int column, const std::string& text, const CellStyle& style = {});
    void writeNumber(int row, int column, double value, const CellStyle& style = {});
    /// A date cell. The style's number format decides how it shows; "dd/mm/yyyy" when empty.
    void writeDate(int row, int column, const DateTime& value, const CellStyle& style = {});
    /// A cell that holds nothing but its style (a bordered empty cell).
    void writeBlank(int row, int column, const CellStyle& style);
    /// Merges the range into one cell holding the text. Merged text does not widen fitted columns.
    void mergeText(int firstRow, int firstColumn, int lastRow, int lastColumn, const std::string& text,
                   const CellStyle& style = {});

    /// A fixed width in characters of the default font; wins over fitting.
    void setColumnWidth(int column, double width);
    /// The style of the whole column, for cells not written.
    void setColumnStyle(int column, const CellStyle& style);
    /// Every column not given a fixed width is sized at save to its longest value, the way
    /// the spreadsheet's AutoFit does.
    void fitColumnsToContents() { m_fitColumns = true; }

    void setPageSetup(const PageSetup& page);

    /// Writes the file, replacing one of the same name. The writer is finished afterwards.
    void save();

    const std::string& path() const { return m_path; }

  private:
    struct Column {
        std::optional<double> width;
        std::optional<CellStyle> style;
        double fitted = 0;  // widest content seen, in characters
    };

    lxw_format* format(const CellStyle& style);
    void checkCell(int row, int column);
    void check(int code, const char* what) const;
    void noteWidth(int column, std::size_t characters, const CellStyle& style);
    void applyColumns();

    lxw_workbook* m_workbook = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    std::string m_path;
    bool m_constantMemory = false;
    bool m_fitColumns = false;
    int m_lastRowWritten = 0;
    std::map<CellStyle, lxw_format*> m_formats;
    std::map<int, Column> m_columns;
};

/// The number of characters a value takes when shown with a number format, for fitting columns.
std::size_t shownLength(double value, const std::string& numberFormat);

}  // namespace vesk::sheet
