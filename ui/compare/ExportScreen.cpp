#include "compare/ExportScreen.h"

#include "compare/CompareScreen.h"
#include "core/Error.h"
#include "office/Offices.h"

namespace vesk::compare {

ExportScreen::ExportScreen(CompareScreen& comparison, Prompter& prompter)
    : m_comparison(comparison), m_prompter(prompter), m_folder(defaultOutputFolder()) {}

std::optional<std::string> ExportScreen::Command1_Click() {
    if (!m_comparison.consolidated().hasData()) {
        m_prompter.message(exclamation("No mismatch data available to export.", "No data"));
        return std::nullopt;
    }
    wait(true, "");
    return exportGrid(ExportKind::Consolidated);
}

std::optional<std::string> ExportScreen::Command6_Click() {
    if (!m_comparison.detailed().hasData()) {
        m_prompter.message(exclamation("No data to export."));
        return std::nullopt;
    }
    wait(true, "");
    return exportGrid(ExportKind::Detailed);
}

ExportContext ExportScreen::context() {
    const CompareView& v = m_comparison.view();
    ExportContext c;
    if (v.month >= 0 && std::size_t(v.month) < v.months.size()) c.month = v.months[std::size_t(v.month)];
    if (v.year >= 0 && std::size_t(v.year) < v.years.size()) c.year = v.years[std::size_t(v.year)];
    if (v.office >= 0 && std::size_t(v.office) < v.offices.size()) c.office = v.offices[std::size_t(v.office)];
    c.filterText = v.filterText;
    // A configured office that cannot be read leaves the scope line without a name.
    try {
        store::Connection& db = m_comparison.connection();
        if (db.isOpen()) c.configuredOffice = office::configuredOffice(db);
    } catch (const std::exception&) {
    }
    return c;
}

std::optional<std::string> ExportScreen::cmdExportLeftOut_Click() {
    const std::optional<LeftOut>& leftOut = m_comparison.leftOut();
    if (!leftOut) {
        m_prompter.message(exclamation("No data to export."));
        return std::nullopt;
    }
    return save([&](const ExportContext& c) { return writeLeftOutWorkbook(*leftOut, c, m_folder); }, leftOutFileName);
}

std::optional<std::string> ExportScreen::exportGrid(ExportKind kind) {
    const Grid& grid = kind == ExportKind::Consolidated ? m_comparison.consolidated() : m_comparison.detailed();
    const int rows = int(grid.rows.size());
    return save(
        [&](const ExportContext& c) {
            bar(0, rows);
            return writeComparisonWorkbook(kind, grid, c, m_folder, [&](std::size_t i) { bar(int(i) + 1, rows); });
        },
        [kind](const ExportContext& c) { return workbookFileName(kind, c); });
}

std::optional<std::string> ExportScreen::save(const std::function<std::string(const ExportContext&)>& write,
                                              const std::function<std::string(const ExportContext&)>& fileName) {
    try {
        wait(true, "Pls Wait...");
        const ExportContext c = context();
        const std::string path = write(c);
        bar(-1, 0);
        wait(false, "");

        if (m_open) m_prompter.openDocument(path);
        m_prompter.message(info(std::string("File successfully saved to Desktop.") + kCrLf +
                                    "Folder : " + kOutputFolderName + kCrLf + "File : " + fileName(c),
                                "Saved"));
        return path;
    } catch (const std::exception& caught) {
        const Error e = asError(caught);
        bar(-1, 0);
        wait(false, "");
        m_prompter.message(critical(std::string("Export Error: ") + e.what()));
        return std::nullopt;
    }
}

}  // namespace vesk::compare
