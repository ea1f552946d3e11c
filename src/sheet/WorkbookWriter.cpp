#include "sheet/WorkbookWriter.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/Error.h"
#include "sheet/SecondAxis.h"
#include "sheet/ZipArchive.h"

namespace vesk::sheet {

namespace {

lxw_color_t packed(const Rgb& c) { return lxw_color_t((c.red & 0xFF) << 16 | (c.green & 0xFF) << 8 | (c.blue & 0xFF)); }

constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;
constexpr double kMaxWidth = 255;
constexpr const char* kDefaultDateFormat = "dd/mm/yyyy";

[[noreturn]] void fail(const std::string& text) { throw Error(errc::kWorkbook, text); }

// Characters as the eye counts them: UTF-8 continuation bytes add nothing, and only
// the longest line of a multi-line text counts.
std::size_t textLength(const std::string& text) {
    std::size_t longest = 0, current = 0;
    for (unsigned char c : text) {
        if (c == '\n') {
            longest = std::max(longest, current);
            current = 0;
        } else if ((c & 0xC0) != 0x80) {
            ++current;
        }
    }
    return std::max(longest, current);
}

// The part of a number format that applies to positive numbers.
std::string positiveSection(const std::string& format) {
    std::string out;
    bool quoted = false;
    for (char c : format) {
        if (c == '"') quoted = !quoted;
        if (c == ';' && !quoted) break;
        out += c;
    }
    return out;
}

}  // namespace

std::size_t shownLength(double value, const std::string& numberFormat) {
    char buffer[64];
    const std::string section = positiveSection(numberFormat);
    if (section.empty() || section == "General" || section == "@") {
        int n = std::snprintf(buffer, sizeof buffer, "%.15g", value);
        return n > 0 ? std::size_t(n) : 1;
    }
    if (section.find('%') != std::string::npos) value *= 100;
    int decimals = 0;
    auto point = section.find('.');
    if (point != std::string::npos)
        for (std::size_t i = point + 1; i < section.size() && (section[i] == '0' || section[i] == '#'); ++i) ++decimals;
    int n = std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    if (n <= 0) return 1;
    std::size_t length = std::size_t(n);
    if (section.find(',') != std::string::npos) {
        std::size_t digits = std::size_t(n) - (decimals > 0 ? std::size_t(decimals) + 1 : 0) - (value < 0 ? 1 : 0);
        length += digits > 0 ? (digits - 1) / 3 : 0;
    }
    if (section.find('%') != std::string::npos) ++length;
    return length;
}

WorkbookWriter::WorkbookWriter(const std::string& path, const std::string& sheetName)
    : WorkbookWriter(path, sheetName, Options{}) {}

WorkbookWriter::WorkbookWriter(const std::string& path, const std::string& sheetName, Options options)
    : m_path(path), m_constantMemory(options.constantMemory) {
    if (path.empty()) fail("No file name given for the workbook.");
    lxw_workbook_options lxwOptions{};
    lxwOptions.constant_memory = options.constantMemory ? LXW_TRUE : LXW_FALSE;
    m_workbook = workbook_new_opt(path.c_str(), &lxwOptions);
    if (!m_workbook) fail("Cannot create the workbook " + path + " (out of memory or no temporary file).");
    lxw_error nameError = workbook_validate_sheet_name(m_workbook, sheetName.c_str());
    if (nameError != LXW_NO_ERROR) {
        lxw_workbook_free(m_workbook);
        m_workbook = nullptr;
        fail("Invalid sheet name '" + sheetName + "': " + lxw_strerror(nameError));
    }
    m_sheet = workbook_add_worksheet(m_workbook, sheetName.c_str());
    if (!m_sheet) {
        lxw_workbook_free(m_workbook);
        m_workbook = nullptr;
        fail("Cannot add the sheet '" + sheetName + "' to the workbook.");
    }
    m_sheets.push_back({m_sheet, {}, 0});
}

void WorkbookWriter::addSheet(const std::string& sheetName) {
    checkOpen();
    lxw_error nameError = workbook_validate_sheet_name(m_workbook, sheetName.c_str());
    if (nameError != LXW_NO_ERROR) fail("Invalid sheet name '" + sheetName + "': " + lxw_strerror(nameError));
    m_sheet = workbook_add_worksheet(m_workbook, sheetName.c_str());
    if (!m_sheet) fail("Cannot add the sheet '" + sheetName + "' to the workbook.");
    m_sheets.push_back({m_sheet, {}, 0});
}

void WorkbookWriter::checkOpen() const {
    if (!m_workbook) fail("The workbook " + m_path + " has already been saved.");
}

void WorkbookWriter::checkRange(int firstRow, int firstColumn, int lastRow, int lastColumn) const {
    checkOpen();
    if (firstRow < 1 || firstColumn < 1 || lastRow > kMaxRows || lastColumn > kMaxColumns || lastRow < firstRow ||
        lastColumn < firstColumn)
        fail("The range (" + std::to_string(firstRow) + ", " + std::to_string(firstColumn) + ") to (" +
             std::to_string(lastRow) + ", " + std::to_string(lastColumn) + ") is no range of the sheet.");
}

WorkbookWriter::~WorkbookWriter() {
    // Unsaved: free everything without writing a file.
    if (m_workbook) lxw_workbook_free(m_workbook);
}

void WorkbookWriter::check(int code, const char* what) const {
    if (code != LXW_NO_ERROR)
        fail(std::string("Cannot ") + what + " in " + m_path + ": " + lxw_strerror(static_cast<lxw_error>(code)));
}

void WorkbookWriter::checkCell(int row, int column) {
    checkOpen();
    if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns)
        fail("Cell (" + std::to_string(row) + ", " + std::to_string(column) + ") is outside the sheet.");
    // Streamed rows are gone once a later row starts; writing to one would be lost silently.
    int& last = m_sheets.back().lastRowWritten;
    if (m_constantMemory && row < last)
        fail("Row " + std::to_string(row) + " comes after row " + std::to_string(last) +
             " has been written; rows must be written in order.");
    last = std::max(last, row);
}

lxw_format* WorkbookWriter::format(const CellStyle& style) {
    if (style == CellStyle{}) return nullptr;
    auto found = m_formats.find(style);
    if (found != m_formats.end()) return found->second;
    lxw_format* f = workbook_add_format(m_workbook);
    if (!f) fail("Cannot add a cell format to " + m_path + ".");
    if (style.bold) format_set_bold(f);
    if (style.fontSize > 0) format_set_font_size(f, style.fontSize);
    if (style.fontColor) format_set_font_color(f, packed(*style.fontColor));
    if (style.fillColor) {
        format_set_pattern(f, LXW_PATTERN_SOLID);
        format_set_bg_color(f, packed(*style.fillColor));
    }
    if (style.centred) format_set_align(f, LXW_ALIGN_CENTER);
    if (style.border) format_set_border(f, LXW_BORDER_THIN);
    if (!style.numberFormat.empty()) format_set_num_format(f, style.numberFormat.c_str());
    m_formats.emplace(style, f);
    return f;
}

void WorkbookWriter::noteWidth(int column, std::size_t characters, const CellStyle& style) {
    double width = double(characters);
    if (style.fontSize > 0) width *= style.fontSize / 11.0;
    if (style.bold) width *= 1.1;
    Column& c = m_sheets.back().columns[column];
    c.fitted = std::max(c.fitted, width);
}

void WorkbookWriter::writeText(int row, int column, const std::string& text, const CellStyle& style) {
    checkCell(row, column);
    lxw_format* f = format(style);
    auto r = lxw_row_t(row - 1);
    auto c = lxw_col_t(column - 1);
    // An empty string would be dropped; keep the cell when it carries a style.
    lxw_error e = text.empty() ? (f ? worksheet_write_blank(m_sheet, r, c, f) : LXW_NO_ERROR)
                               : worksheet_write_string(m_sheet, r, c, text.c_str(), f);
    check(e, "write a text cell");
    noteWidth(column, textLength(text), style);
}

void WorkbookWriter::writeNumber(int row, int column, double value, const CellStyle& style) {
    checkCell(row, column);
    if (!std::isfinite(value)) fail("A number cell cannot hold an infinite or undefined value.");
    check(worksheet_write_number(m_sheet, lxw_row_t(row - 1), lxw_col_t(column - 1), value, format(style)),
          "write a number cell");
    noteWidth(column, shownLength(value, style.numberFormat), style);
}

void WorkbookWriter::writeDate(int row, int column, const DateTime& value, const CellStyle& style) {
    checkCell(row, column);
    if (value.year < 1900 || value.year > 9999 || value.month < 1 || value.month > 12 || value.day < 1 ||
        value.day > daysInMonth(value.year, value.month) || value.hour < 0 || value.hour > 23 || value.minute < 0 ||
        value.minute > 59 || value.second < 0 || value.second > 59)
        fail("Invalid date " + value.toText() + " for a date cell.");
    CellStyle dated = style;
    if (dated.numberFormat.empty()) dated.numberFormat = kDefaultDateFormat;
    lxw_datetime dt{value.year, value.month, value.day, value.hour, value.minute, double(value.second)};
    check(worksheet_write_datetime(m_sheet, lxw_row_t(row - 1), lxw_col_t(column - 1), &dt, format(dated)),
          "write a date cell");
    noteWidth(column, textLength(dated.numberFormat), dated);
}

void WorkbookWriter::writeBlank(int row, int column, const CellStyle& style) {
    checkCell(row, column);
    check(worksheet_write_blank(m_sheet, lxw_row_t(row - 1), lxw_col_t(column - 1), format(style)),
          "write a blank cell");
}

void WorkbookWriter::mergeText(int firstRow, int firstColumn, int lastRow, int lastColumn, const std::string& text,
                               const CellStyle& style) {
    if (m_constantMemory) fail("Ranges cannot be merged in a workbook written row by row.");
    checkCell(firstRow, firstColumn);
    checkCell(lastRow, lastColumn);
    if (lastRow < firstRow || lastColumn < firstColumn || (firstRow == lastRow && firstColumn == lastColumn))
        fail("A merged range needs at least two cells, first before last.");
    check(worksheet_merge_range(m_sheet, lxw_row_t(firstRow - 1), lxw_col_t(firstColumn - 1), lxw_row_t(lastRow - 1),
                                lxw_col_t(lastColumn - 1), text.c_str(), format(style)),
          "merge a range");
}

void WorkbookWriter::setColumnWidth(int column, double width) {
    checkOpen();
    if (column < 1 || column > kMaxColumns || !(width >= 0 && width <= kMaxWidth))
        fail("Invalid width " + std::to_string(width) + " for column " + std::to_string(column) + ".");
    m_sheets.back().columns[column].width = width;
}

void WorkbookWriter::setColumnStyle(int column, const CellStyle& style) {
    checkOpen();
    if (column < 1 || column > kMaxColumns) fail("Column " + std::to_string(column) + " is outside the sheet.");
    m_sheets.back().columns[column].style = style;
}

void WorkbookWriter::setPageSetup(const PageSetup& page) {
    checkOpen();
    if (page.portrait)
        worksheet_set_portrait(m_sheet);
    else
        worksheet_set_landscape(m_sheet);
    if (page.paperSize < 0 || page.paperSize > 255) fail("Invalid paper size " + std::to_string(page.paperSize) + ".");
    worksheet_set_paper(m_sheet, uint8_t(page.paperSize));
    worksheet_set_margins(m_sheet, page.leftMargin, page.rightMargin, page.topMargin, page.bottomMargin);
    if (page.centreHorizontally) worksheet_center_horizontally(m_sheet);
    if (page.fitPagesWide > 0 || page.fitPagesTall > 0) {
        if (page.fitPagesWide < 0 || page.fitPagesTall < 0 || page.fitPagesWide > 32767 || page.fitPagesTall > 32767)
            fail("Invalid page fitting.");
        worksheet_fit_to_pages(m_sheet, uint16_t(page.fitPagesWide), uint16_t(page.fitPagesTall));
    }
    if (page.titleFirstRow > 0) {
        if (page.titleLastRow < page.titleFirstRow || page.titleLastRow > kMaxRows) fail("Invalid print title rows.");
        check(worksheet_repeat_rows(m_sheet, lxw_row_t(page.titleFirstRow - 1), lxw_row_t(page.titleLastRow - 1)),
              "set the print title rows");
    }
}

void WorkbookWriter::colourScale(int firstRow, int firstColumn, int lastRow, int lastColumn, const Rgb& lowest,
                                 const Rgb& highest) {
    checkRange(firstRow, firstColumn, lastRow, lastColumn);
    lxw_conditional_format scale{};
    scale.type = LXW_CONDITIONAL_2_COLOR_SCALE;
    scale.min_color = packed(lowest);
    scale.max_color = packed(highest);
    check(worksheet_conditional_format_range(m_sheet, lxw_row_t(firstRow - 1), lxw_col_t(firstColumn - 1),
                                             lxw_row_t(lastRow - 1), lxw_col_t(lastColumn - 1), &scale),
          "add a colour scale");
}

namespace {

// The chart's values and categories: a column of the sheet over the chart's rows.
void readColumn(lxw_chart_series* series, const ColumnLineChart& chart, const ChartSeries& s) {
    chart_series_set_categories(series, chart.sheet.c_str(), lxw_row_t(chart.firstRow - 1),
                                lxw_col_t(chart.categoryColumn - 1), lxw_row_t(chart.lastRow - 1),
                                lxw_col_t(chart.categoryColumn - 1));
    chart_series_set_values(series, chart.sheet.c_str(), lxw_row_t(chart.firstRow - 1), lxw_col_t(s.column - 1),
                            lxw_row_t(chart.lastRow - 1), lxw_col_t(s.column - 1));
    chart_series_set_name(series, s.name.c_str());
}

}  // namespace

void WorkbookWriter::insertChart(const ColumnLineChart& chart) {
    checkRange(chart.firstRow, chart.categoryColumn, chart.lastRow, chart.categoryColumn);
    checkRange(chart.row, chart.column, chart.row, chart.column);
    if (chart.columns.empty()) fail("A chart needs a series of columns.");
    lxw_chart* c = workbook_add_chart(m_workbook, LXW_CHART_COLUMN);
    if (!c) fail("Cannot add a chart to " + m_path + ".");
    // The lines go in as further columns; save() moves them to their own axis.
    std::vector<ChartSeries> all = chart.columns;
    all.insert(all.end(), chart.lines.begin(), chart.lines.end());
    for (std::size_t k = 0; k < all.size(); ++k) {
        const ChartSeries& s = all[k];
        checkRange(chart.firstRow, s.column, chart.lastRow, s.column);
        lxw_chart_series* series = chart_add_series(c, nullptr, nullptr);
        if (!series) fail("Cannot add a series to a chart of " + m_path + ".");
        readColumn(series, chart, s);
        if (!s.colour) continue;
        if (k < chart.columns.size()) {
            lxw_chart_fill fill{};
            fill.color = packed(*s.colour);
            chart_series_set_fill(series, &fill);
        } else {
            lxw_chart_line line{};
            line.color = packed(*s.colour);
            line.width = 2.25;
            chart_series_set_line(series, &line);
        }
    }
    if (!chart.title.empty()) chart_title_set_name(c, chart.title.c_str());
    if (!chart.columnAxisName.empty()) chart_axis_set_name(c->y_axis, chart.columnAxisName.c_str());
    if (!chart.columnNumberFormat.empty()) chart_axis_set_num_format(c->y_axis, chart.columnNumberFormat.c_str());
    chart_legend_set_position(c, LXW_CHART_LEGEND_BOTTOM);
    lxw_chart_options place{};
    place.x_scale = chart.width / 480.0;  // the spreadsheet's default chart is 480 x 288 pixels
    place.y_scale = chart.height / 288.0;
    check(worksheet_insert_chart_opt(m_sheet, lxw_row_t(chart.row - 1), lxw_col_t(chart.column - 1), c, &place),
          "insert a chart");
    ++m_charts;
    if (!chart.lines.empty()) m_lineAxes.push_back({m_charts, chart.columns.size(), chart.lineAxisName});
}

void WorkbookWriter::applyColumns(Sheet& sheet) {
    for (auto& [column, c] : sheet.columns) {
        double width = LXW_DEF_COL_WIDTH;
        if (c.width)
            width = *c.width;
        else if (m_fitColumns && c.fitted > 0)
            // A character and a bit of padding, as AutoFit leaves it.
            width = std::min(kMaxWidth, std::ceil((c.fitted + 1.3) * 4) / 4);
        else if (!c.style)
            continue;
        lxw_format* f = c.style ? format(*c.style) : nullptr;
        auto col = lxw_col_t(column - 1);
        check(worksheet_set_column(sheet.sheet, col, col, width, f), "set a column");
    }
}

void WorkbookWriter::save() {
    checkOpen();
    for (Sheet& sheet : m_sheets) applyColumns(sheet);
    lxw_workbook* workbook = m_workbook;
    m_workbook = nullptr;  // closing frees it, whatever the outcome
    m_sheet = nullptr;
    lxw_error e = workbook_close(workbook);
    if (e != LXW_NO_ERROR) fail("Cannot save the workbook " + m_path + ": " + lxw_strerror(e));
    // The writing library knows no second value axis: its lines go in afterwards.
    for (const LineAxis& axis : m_lineAxes) {
        const std::string part = "xl/charts/chart" + std::to_string(axis.chart) + ".xml";
        std::string xml;
        {
            const ZipArchive package(m_path);
            xml = package.read(part);
        }
        replacePackagePart(m_path, part, withLinesOnSecondAxis(xml, axis.columnSeries, axis.name));
    }
}

}  // namespace vesk::sheet
