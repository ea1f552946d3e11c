#include "compare/ComparisonWorkbook.h"

#include <filesystem>

#include "compare/CompareWording.h"
#include "core/Amount.h"
#include "core/DateTime.h"
#include "core/Error.h"
#include "core/Platform.h"
#include "core/Text.h"

namespace vesk::compare {

namespace {

bool showsScope(ExportKind kind, const ExportContext& c) {
    return kind == ExportKind::Consolidated || (c.office && !namesOneOffice(c));
}

ExportSheet::Row leftOutRow(const LeftOutGroup& g, std::optional<int> serial, std::string name, bool total) {
    const auto highlight = total ? ExportSheet::Highlight::Yellow : ExportSheet::Highlight::None;
    return {serial,
            {{std::move(name), highlight, std::nullopt},
             {std::to_string(g.count), highlight, std::nullopt},
             {formatAmount(g.first), highlight, std::nullopt},
             {formatAmount(g.second), highlight, std::nullopt}}};
}

}  // namespace

bool namesOneOffice(const ExportContext& c) { return c.office && *c.office != kAllOffices; }

ExportContext exportContext(Period period, std::string configuredOffice) {
    ExportContext c;
    c.month = monthName(period.month);
    c.year = std::to_string(period.year);
    c.configuredOffice = std::move(configuredOffice);
    return c;
}

std::string createdFolder(const std::string& folder) {
    std::error_code ec;
    std::filesystem::create_directories(platform::fsPath(folder), ec);
    if (ec) throw Error(errc::kPathAccess, folderNotCreatedText(folder, ec.message()));
    return folder;
}

std::string defaultOutputFolder() { return platform::joinPath(platform::desktopFolder(), kOutputFolderName); }

ExportSheet exportSheet(ExportKind kind, const Grid& grid, const ExportContext& c) {
    const bool consolidated = kind == ExportKind::Consolidated;
    ExportSheet s;
    s.sheetName = comparisonSheetName(kind);
    s.title = comparisonTitle(kind);
    s.periodLine = periodLine(c, consolidated ? std::nullopt : c.office);
    if (showsScope(kind, c)) {
        std::string scope = scopeLine(ScopeWording::Configured, Scope{c.configuredOffice});
        if (consolidated && !trim(c.filterText).empty()) scope += filterNote(c.filterText);
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

ExportSheet leftOutSheet(const LeftOut& leftOut, const ExportContext& c) {
    ExportSheet s;
    s.sheetName = kLeftOutSheetName;
    s.title = kLeftOutTitle;
    s.periodLine = periodLine(c);
    s.scopeLine = scopeLine(ScopeWording::Configured, Scope{c.configuredOffice});
    for (LeftOutKind kind : kLeftOutKinds) {
        const LeftOutLabels& labels = leftOutLabels(kind);
        const LeftOutList& list = leftOut.list(kind);
        ExportSheet::Section section{labels.caption, {labels.headers.begin(), labels.headers.end()}, {}};
        int serial = 1;
        for (const LeftOutGroup& g : list.groups) section.rows.push_back(leftOutRow(g, serial++, g.name, false));
        section.rows.push_back(leftOutRow(list.total, std::nullopt, totalRowName(list.groups.size()), true));
        s.sections.push_back(std::move(section));
    }
    return s;
}

std::string writeLeftOutWorkbook(const LeftOut& leftOut, const ExportContext& context, const std::string& folder) {
    return writeExportSheetIn(leftOutSheet(leftOut, context), folder, leftOutFileName(context));
}

std::string writeComparisonWorkbook(ExportKind kind, const Grid& grid, const ExportContext& context,
                                    const std::string& folder, const std::function<void(std::size_t)>& rowDone) {
    return writeExportSheetIn(exportSheet(kind, grid, context), folder, workbookFileName(kind, context), rowDone);
}

std::string writeExportSheetIn(const ExportSheet& sheet, const std::string& folder, const std::string& fileName,
                               const std::function<void(std::size_t)>& rowDone) {
    const std::string path = platform::joinPath(createdFolder(folder), fileName);
    writeExportSheet(sheet, path, rowDone);
    return path;
}

}  // namespace vesk::compare
