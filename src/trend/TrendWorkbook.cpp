#include "trend/TrendWorkbook.h"

#include "compare/CompareWording.h"
#include "compare/ComparisonWorkbook.h"
#include "compare/ExportSheet.h"
#include "core/Amount.h"
#include "core/Error.h"
#include "core/Platform.h"
#include "sheet/WorkbookWriter.h"
#include "trend/TrendWording.h"

namespace vesk::trend {

namespace {

constexpr int kHeaderRow = 5;
constexpr int kFirstRow = kHeaderRow + 1;
constexpr int kMonthColumn = 1, kDifferingColumn = 3, kToExplainColumn = 10, kOpenColumn = 11;
constexpr const char* kAmountFormat = "#,##0.00";
constexpr Rgb kAgrees{255, 255, 255};

sheet::CellStyle header() {
    sheet::CellStyle s;
    s.bold = true;
    s.border = true;
    s.centred = true;
    return s;
}

sheet::CellStyle bordered(const std::string& numberFormat = {}) {
    sheet::CellStyle s;
    s.border = true;
    s.numberFormat = numberFormat;
    return s;
}

// The title lines over a sheet's table of `columns` columns.
void writeTitles(sheet::WorkbookWriter& w, const std::string& title, const TrendExport& c, int columns) {
    compare::writeTitleLines(w, std::max(columns, 2), title, periodLine(c.range.from, c.range.to),
                             compare::scopeLine(compare::ScopeWording::Configured, compare::Scope{c.configuredOffice}));
}

void printLandscape(sheet::WorkbookWriter& w) {
    compare::setExportPageSetup(w, compare::Orientation::Landscape, kHeaderRow);
}

void writeMonths(sheet::WorkbookWriter& w, const Trend& trend, const TrendExport& c) {
    const std::vector<std::string>& headers = monthHeaders();
    writeTitles(w, kWorkbookTitle, c, int(headers.size()));
    for (std::size_t k = 0; k < headers.size(); ++k) w.writeText(kHeaderRow, int(k) + 1, headers[k], header());
    int row = kFirstRow;
    for (const TrendMonth& m : trend.months) {
        w.writeText(row, kMonthColumn, monthText(m.month), bordered());
        w.writeNumber(row, 2, m.offices, bordered("0"));
        w.writeNumber(row, kDifferingColumn, m.differing, bordered("0"));
        for (std::size_t k = 0; k < m.sums.size(); ++k)
            w.writeNumber(row, int(k) + 4, m.sums[k], bordered(kAmountFormat));
        w.writeNumber(row, kToExplainColumn, m.toExplain, bordered(kAmountFormat));
        w.writeNumber(row, kOpenColumn, m.open, bordered(kAmountFormat));
        ++row;
    }
    sheet::ColumnLineChart chart;
    chart.sheet = kMonthSheet;
    chart.firstRow = kFirstRow;
    chart.lastRow = row - 1;
    chart.categoryColumn = kMonthColumn;
    chart.columns = {{headers[kToExplainColumn - 1], kToExplainColumn, palette::kTrendColumns}};
    chart.lines = {{headers[kDifferingColumn - 1], kDifferingColumn, palette::kTrendLine}};
    chart.title = kChartTitle;
    chart.columnAxisName = kAmountAxis;
    chart.lineAxisName = kCountAxis;
    chart.columnNumberFormat = "#,##0";
    chart.row = row + 2;
    chart.column = 1;
    chart.width = 960;
    chart.height = 400;
    w.insertChart(chart);
    w.fitColumnsToContents();
    printLandscape(w);
}

void writeOffices(sheet::WorkbookWriter& w, const Trend& trend, const TrendExport& c) {
    const int columns = int(trend.months.size()) + 1;  // the name and the months, shaded
    const int openColumn = columns + 1;
    writeTitles(w, kOfficeSheetTitle, c, openColumn);
    w.writeText(kHeaderRow, 1, kOfficeHeader, header());
    for (std::size_t m = 0; m < trend.months.size(); ++m)
        w.writeText(kHeaderRow, int(m) + 2, monthText(trend.months[m].month), header());
    w.writeText(kHeaderRow, openColumn, kOpenHeader, header());
    int row = kFirstRow;
    for (const OfficeTrend& office : trend.offices) {
        w.writeText(row, 1, office.name, bordered());
        for (std::size_t m = 0; m < office.toExplain.size(); ++m) {
            if (office.toExplain[m])
                w.writeNumber(row, int(m) + 2, *office.toExplain[m], bordered(kAmountFormat));
            else
                w.writeBlank(row, int(m) + 2, bordered());
        }
        w.writeNumber(row, openColumn, office.openTotal, bordered(kAmountFormat));
        ++row;
    }
    if (row > kFirstRow) w.colourScale(kFirstRow, 2, row - 1, columns, kAgrees, palette::kDifference);
    w.fitColumnsToContents();
    printLandscape(w);
}

}  // namespace

compare::ExportSheet officeMapSheet(const Trend& trend, const TrendExport& context) {
    compare::ExportSheet sheet;
    sheet.sheetName = kOfficeSheet;
    sheet.title = kOfficeSheetTitle;
    sheet.periodLine = periodLine(context.range.from, context.range.to);
    sheet.scopeLine = compare::scopeLine(compare::ScopeWording::Configured, compare::Scope{context.configuredOffice});
    sheet.headers.push_back(kOfficeHeader);
    for (const TrendMonth& m : trend.months) sheet.headers.push_back(monthText(m.month));
    sheet.headers.push_back(kOpenHeader);
    const auto cell = [](std::string text) {
        return compare::ExportSheet::Cell{std::move(text), compare::ExportSheet::Highlight::None, std::nullopt};
    };
    for (const OfficeTrend& office : trend.offices) {
        compare::ExportSheet::Row row;
        row.cells.push_back(cell(office.name));
        for (const std::optional<double>& amount : office.toExplain)
            row.cells.push_back(cell(amount ? formatAmount(*amount) : ""));
        row.cells.push_back(cell(formatAmount(office.openTotal)));
        sheet.rows.push_back(std::move(row));
    }
    return sheet;
}

std::string writeTrendWorkbook(const Trend& trend, const TrendExport& context, const std::string& folder) {
    if (trend.months.empty()) throw Error(errc::kUsage, compare::noDataToExport().text);
    const std::string path =
        platform::joinPath(compare::createdFolder(folder), workbookFileName(context.range.from, context.range.to));
    compare::replaceWhenWritten(path, [&](const std::string& temporary) {
        sheet::WorkbookWriter w(temporary, kMonthSheet);
        writeMonths(w, trend, context);
        w.addSheet(kOfficeSheet);
        writeOffices(w, trend, context);
        w.save();
    });
    return path;
}

}  // namespace vesk::trend
