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
struct lxw_chart;

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

/// One series of a chart: the values of a column of the chart's sheet over the chart's rows.
struct ChartSeries {
    std::string name;
    int column = 0;
    std::optional<Rgb> colour;  ///< none: the spreadsheet's own
};

/// A chart of columns over the categories of one column, with lines on a second value axis
/// at the right (counts beside amounts), placed on the current sheet. Every series reads the
/// rows firstRow to lastRow of the sheet named, so it stays a chart of those cells.
struct ColumnLineChart {
    std::string sheet;
    int firstRow = 0;
    int lastRow = 0;
    int categoryColumn = 0;
    std::vector<ChartSeries> columns;  ///< on the value axis at the left
    std::vector<ChartSeries> lines;    ///< on the value axis at the right
    std::string title;
    std::string columnAxisName;
    std::string lineAxisName;
    std::string columnNumberFormat;  ///< of the left axis' labels; empty: as the cells
    int row = 1;                     ///< the cell at the chart's top left corner
    int column = 1;
    int width = 720;  ///< pixels
    int height = 360;
};

/// Writes one new .xlsx workbook with a single sheet, or more with addSheet(). Rows and columns count from 1,
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

    /// Adds a sheet after the others; what is written from now on goes to it.
    void addSheet(const std::string& sheetName);
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

    /// Shades the range by its numbers, from the lowest's colour to the highest's, as a
    /// conditional format that the spreadsheet program works out as the numbers change.
    void colourScale(int firstRow, int firstColumn, int lastRow, int lastColumn, const Rgb& lowest, const Rgb& highest);
    void insertChart(const ColumnLineChart& chart);

    /// Writes the file, replacing one of the same name. The writer is finished afterwards.
    void save();

    const std::string& path() const { return m_path; }

  private:
    struct Column {
        std::optional<double> width;
        std::optional<CellStyle> style;
        double fitted = 0;  // widest content seen, in characters
    };
    struct Sheet {
        lxw_worksheet* sheet = nullptr;
        std::map<int, Column> columns;
        int lastRowWritten = 0;
    };
    /// A chart part whose series after the first `columnSeries` become lines on a second axis.
    struct LineAxis {
        int chart = 0;  ///< its number among the workbook's charts, from 1
        std::size_t columnSeries = 0;
        std::string name;
    };

    lxw_format* format(const CellStyle& style);
    void checkCell(int row, int column);
    void check(int code, const char* what) const;
    void noteWidth(int column, std::size_t characters, const CellStyle& style);
    void applyColumns(Sheet& sheet);
    void checkOpen() const;
    void checkRange(int firstRow, int firstColumn, int lastRow, int lastColumn) const;

    lxw_workbook* m_workbook = nullptr;
    lxw_worksheet* m_sheet = nullptr;  ///< the current sheet's
    std::string m_path;
    bool m_constantMemory = false;
    bool m_fitColumns = false;
    std::map<CellStyle, lxw_format*> m_formats;
    std::vector<Sheet> m_sheets;  ///< the last is the current one
    int m_charts = 0;
    std::vector<LineAxis> m_lineAxes;
};

/// The number of characters a value takes when shown with a number format, for fitting columns.
std::size_t shownLength(double value, const std::string& numberFormat);

}  // namespace vesk::sheet
