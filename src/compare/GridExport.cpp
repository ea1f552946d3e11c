#include "compare/GridExport.h"

#include <filesystem>

#include "compare/Comparison.h"
#include "core/DesktopFolder.h"
#include "core/Error.h"
#include "core/Text.h"

namespace vesk::compare {

namespace {

constexpr const char* kOutputFolder = "VESK - ORV Output";
constexpr std::size_t kSheetNameLength = 30;

bool showsScope(ExportKind kind, const ExportContext& c) {
    return kind == ExportKind::Consolidated || (c.office && *c.office == "All");
}

}  // namespace

ExportSheet FillExportSheet(ExportKind kind, const Grid& grid, const ExportContext& c) {
    const bool consolidated = kind == ExportKind::Consolidated;
    ExportSheet s;
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

std::string GridExport::defaultOutputFolder() {
    return (std::filesystem::path(desktopFolder()) / kOutputFolder).string();
}

GridExport::GridExport(Comparison& comparison, Prompter& prompter)
    : m_comparison(comparison), m_prompter(prompter), m_folder(defaultOutputFolder()) {}

std::optional<std::string> GridExport::Command1_Click() {
    if (m_comparison.consolidated().rows.empty()) {
        m_prompter.message(exclamation("No mismatch data available to export.", "No data"));
        return std::nullopt;
    }
    wait(true, "");
    return ExportGridToExcel(ExportKind::Consolidated, "Consolidated_Difference");
}

std::optional<std::string> GridExport::Command6_Click() {
    if (m_comparison.detailed().rows.empty()) {
        m_prompter.message(exclamation("No data to export."));
        return std::nullopt;
    }
    wait(true, "");
    return ExportGridToExcel(ExportKind::Detailed, "Detailed_Difference");
}

ExportContext GridExport::context() {
    const CompareView& v = m_comparison.view();
    ExportContext c;
    if (v.month >= 0 && std::size_t(v.month) < v.months.size()) c.month = v.months[std::size_t(v.month)];
    if (v.year >= 0 && std::size_t(v.year) < v.years.size()) c.year = v.years[std::size_t(v.year)];
    if (v.office >= 0 && std::size_t(v.office) < v.offices.size()) c.office = v.offices[std::size_t(v.office)];
    c.filterText = v.filterText;
    // A configured office that cannot be read leaves the scope line without a name.
    try {
        store::Connection& db = m_comparison.connection();
        if (db.isOpen()) c.configuredOffice = trim(db.scalar("SELECT TOP 1 ooffice_name FROM Youroffice").toText());
    } catch (const Error&) {
    }
    return c;
}

std::optional<std::string> GridExport::ExportGridToExcel(ExportKind kind, const std::string& baseName) {
    const Grid& grid = kind == ExportKind::Consolidated ? m_comparison.consolidated() : m_comparison.detailed();
    try {
        wait(true, "Pls Wait...");
        const ExportContext c = context();
        ExportSheet sheet = FillExportSheet(kind, grid, c);
        sheet.sheetName = baseName.substr(0, kSheetNameLength);

        std::error_code ec;
        std::filesystem::create_directories(m_folder, ec);
        if (ec) throw Error(errc::kPathAccess, "Cannot create the folder " + m_folder + ": " + ec.message());
        const std::string fileName = c.month + "_" + c.year + "_" + sheet.sheetName + ".xlsx";
        const std::string path = (std::filesystem::path(m_folder) / fileName).string();

        const int rows = int(grid.rows.size());
        bar(0, rows);
        writeExportSheet(sheet, path, [&](std::size_t i) { bar(int(i) + 1, rows); });
        bar(-1, 0);
        wait(false, "");

        if (m_open) m_prompter.openDocument(path);
        m_prompter.message(info(std::string("File successfully saved to Desktop.") + kCrLf + "Folder : " + kOutputFolder +
                                    kCrLf + "File : " + fileName,
                                "Saved"));
        return path;
    } catch (const Error& e) {
        bar(-1, 0);
        wait(false, "");
        m_prompter.message(critical(std::string("Export Error: ") + e.what()));
        return std::nullopt;
    }
}

}  // namespace vesk::compare
