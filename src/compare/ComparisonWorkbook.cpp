#include "compare/ComparisonWorkbook.h"

#include <filesystem>

#include "compare/CompareWording.h"
#include "core/Amount.h"
#include "core/DateTime.h"
#include "core/DesktopFolder.h"
#include "core/Error.h"
#include "core/Text.h"

namespace vesk::compare {

namespace {

constexpr std::size_t kSheetNameLength = 30;

bool showsScope(ExportKind kind, const ExportContext& c) {
    return kind == ExportKind::Consolidated || (c.office && *c.office == "All");
}

std::string sheetName(ExportKind kind) {
    const std::string base = kind == ExportKind::Consolidated ? "Consolidated_Difference" : "Detailed_Difference";
    return base.substr(0, kSheetNameLength);
}

constexpr const char* kLeftOutName = "Left_Out";

ExportSheet::Row leftOutRow(const LeftOutGroup& g, std::optional<int> serial, std::string name, bool total) {
    const auto highlight = total ? ExportSheet::Highlight::Yellow : ExportSheet::Highlight::None;
    return {serial,
            {{std::move(name), highlight, std::nullopt},
             {std::to_string(g.count), highlight, std::nullopt},
             {formatAmount(g.first), highlight, std::nullopt},
             {formatAmount(g.second), highlight, std::nullopt}}};
}

}  // namespace

ExportContext exportContext(Period period, std::string configuredOffice) {
    ExportContext c;
    c.month = monthName(period.month);
    c.year = std::to_string(period.year);
    c.configuredOffice = std::move(configuredOffice);
    return c;
}

std::string createdFolder(const std::string& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) throw Error(errc::kPathAccess, "Cannot create the folder " + folder + ": " + ec.message());
    return folder;
}

std::string defaultOutputFolder() { return (std::filesystem::path(desktopFolder()) / kOutputFolderName).string(); }

ExportSheet exportSheet(ExportKind kind, const Grid& grid, const ExportContext& c) {
    const bool consolidated = kind == ExportKind::Consolidated;
    ExportSheet s;
    s.sheetName = sheetName(kind);
    s.title = consolidated ? "VESK - ORV Comparison - Consolidated Differences"
                           : "VESK - ORV Comparison - Detailed Differences";
    s.periodLine = "Period : " + c.month + " " + c.year;
    if (!consolidated && c.office) s.periodLine += "  |  Office: " + *c.office;
    if (showsScope(kind, c)) {
        std::string scope = "Offices Under " + c.configuredOffice;
        if (consolidated && !trim(c.filterText).empty()) scope += " (Filter Text : " + c.filterText + ")";
        s.scopeLine = scope;
    }
    s.headers = grid.headers;
    int serial = 1;
    for (const GridRow& row : grid.rows) {
        if (!row.visible) continue;
        ExportSheet::Row out;
        // The total row is the one the comparison appended, whatever an office is called.
        if (!row.total) out.serial = serial++;
        for (std::size_t k = 0; k < grid.headers.size(); ++k) {
            ExportSheet::Cell cell;
            if (k < row.cells.size()) {
                cell.text = row.cells[k].text;
                if (row.total)
                    cell.highlight = ExportSheet::Highlight::Yellow;
                else if (row.cells[k].red)
                    cell.highlight = ExportSheet::Highlight::Red;
            }
            out.cells.push_back(std::move(cell));
        }
        s.rows.push_back(std::move(out));
    }
    return s;
}

std::string workbookFileName(ExportKind kind, const ExportContext& c) {
    return c.month + "_" + c.year + "_" + sheetName(kind) + ".xlsx";
}

ExportSheet leftOutSheet(const LeftOut& leftOut, const ExportContext& c) {
    ExportSheet s;
    s.sheetName = kLeftOutName;
    s.title = "VESK - ORV Comparison - Left Out";
    s.periodLine = "Period : " + c.month + " " + c.year;
    s.scopeLine = "Offices Under " + c.configuredOffice;
    for (LeftOutKind kind : kLeftOutKinds) {
        const LeftOutLabels& labels = leftOutLabels(kind);
        const LeftOutList& list = leftOut.list(kind);
        ExportSheet::Section section{labels.caption, {labels.headers.begin(), labels.headers.end()}, {}};
        int serial = 1;
        for (const LeftOutGroup& g : list.groups) section.rows.push_back(leftOutRow(g, serial++, g.name, false));
        section.rows.push_back(
            leftOutRow(list.total, std::nullopt, "TOTAL (" + std::to_string(list.groups.size()) + ")", true));
        s.sections.push_back(std::move(section));
    }
    return s;
}

std::string leftOutFileName(const ExportContext& c) { return c.month + "_" + c.year + "_" + kLeftOutName + ".xlsx"; }

std::string writeLeftOutWorkbook(const LeftOut& leftOut, const ExportContext& context, const std::string& folder) {
    const ExportSheet sheet = leftOutSheet(leftOut, context);
    const std::string path = (std::filesystem::path(createdFolder(folder)) / leftOutFileName(context)).string();
    writeExportSheet(sheet, path);
    return path;
}

std::string writeComparisonWorkbook(ExportKind kind, const Grid& grid, const ExportContext& context,
                                    const std::string& folder, const std::function<void(std::size_t)>& rowDone) {
    const ExportSheet sheet = exportSheet(kind, grid, context);
    const std::string path = (std::filesystem::path(createdFolder(folder)) / workbookFileName(kind, context)).string();
    writeExportSheet(sheet, path, rowDone);
    return path;
}

}  // namespace vesk::compare
