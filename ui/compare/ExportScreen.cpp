#include "compare/ExportScreen.h"

#include "compare/CompareFlows.h"
#include "compare/CompareScreen.h"
#include "compare/CompareWording.h"
#include "core/Text.h"
#include "office/Offices.h"
#include "review/MonthHints.h"

namespace vesk::compare {

ExportScreen::ExportScreen(CompareScreen& comparison, Prompter& prompter)
    : m_comparison(comparison), m_prompter(prompter), m_folder(defaultOutputFolder()) {}

std::optional<std::string> ExportScreen::exportConsolidated() { return exportGrid(ExportKind::Consolidated); }

std::optional<std::string> ExportScreen::exportDetailed() { return exportGrid(ExportKind::Detailed); }

ExportContext ExportScreen::context() {
    const CompareView& v = m_comparison.view();
    ExportContext c;
    if (const std::optional<Period> period = m_comparison.period()) c = exportContext(*period, {});
    if (v.office >= 0 && std::size_t(v.office) < v.offices.size()) c.office = v.offices[std::size_t(v.office)];
    c.filterText = v.filterText;
    // The scope line names the configured office; a file that no longer reads fails the
    // export, as writing it would be a heading without its office.
    store::Connection& db = m_comparison.connection();
    if (db.isOpen()) c.configuredOffice = office::configuredOffice(db);
    return c;
}

std::optional<std::string> ExportScreen::exportLeftOut() {
    const std::optional<LeftOut>& leftOut = m_comparison.leftOut();
    if (!leftOut) {
        m_prompter.message(noDataToExport());
        return std::nullopt;
    }
    return save(
        [&](const ExportContext& c, const std::string& folder) { return writeLeftOutWorkbook(*leftOut, c, folder); },
        leftOutFileName);
}

std::vector<std::string> ExportScreen::writeOfficeLists() {
    std::vector<std::string> paths;
    tryExport(m_prompter, [&]() -> std::optional<std::string> {
        // Hidden before any message, as after a save; and on a failure before it is told.
        const auto idle = [this] {
            bar(-1, 0);
            wait(false, "");
        };
        try {
            wait(true, kExportWait);
            const std::optional<Period> period = m_comparison.period();
            std::optional<OfficeListsMonth> month;
            if (period && m_comparison.consolidated().hasData())
                month = review::officeListsMonth(m_comparison.connection(), *period,
                                                 context().office.value_or(kAllOffices));
            if (!month || month->offices.empty()) {
                idle();
                m_prompter.message(noMismatchData());
                return std::nullopt;
            }
            const std::vector<OfficeList> lists = officeLists(*month);
            bar(0, int(lists.size()));
            const auto done = [&](std::size_t i) {
                bar(int(i) + 1, int(lists.size()));
                if (i + 1 == lists.size()) idle();
            };
            paths = saveOfficeLists(m_prompter, {m_folder, true, m_open}, lists, month->context, done).paths;
        } catch (...) {
            idle();
            throw;
        }
        return std::nullopt;
    });
    return paths;
}

std::optional<std::string> ExportScreen::exportGrid(ExportKind kind) {
    const Grid& grid = kind == ExportKind::Consolidated ? m_comparison.consolidated() : m_comparison.detailed();
    if (!gridToExport(m_prompter, kind, grid)) return std::nullopt;
    wait(true, "");
    const int rows = int(grid.rows.size());
    return save(
        [&](const ExportContext& c, const std::string& folder) {
            bar(0, rows);
            return writeComparisonWorkbook(kind, grid, c, folder, [&](std::size_t i) { bar(int(i) + 1, rows); });
        },
        [kind](const ExportContext& c) { return workbookFileName(kind, c); });
}

std::optional<std::string> ExportScreen::save(const Writer& write,
                                              const std::function<std::string(const ExportContext&)>& fileName) {
    return tryExport(m_prompter, [&] {
        try {
            wait(true, kExportWait);
            const ExportContext c = context();
            const std::optional<std::string> saved =
                saveExport(m_prompter, {m_folder, true, m_open}, fileName(c), [&](const std::string& folder) {
                    const std::string path = write(c, folder);
                    bar(-1, 0);
                    wait(false, "");
                    return path;
                });
            if (!saved) wait(false, "");  // the file was kept: nothing written
            return saved;
        } catch (...) {
            // Hidden before the failure is told, as after a save.
            bar(-1, 0);
            wait(false, "");
            throw;
        }
    });
}

bool ExportScreen::printConsolidated() { return printGrid(ExportKind::Consolidated); }

bool ExportScreen::printDetailed() { return printGrid(ExportKind::Detailed); }

bool ExportScreen::printGrid(ExportKind kind) {
    const Grid& grid = kind == ExportKind::Consolidated ? m_comparison.consolidated() : m_comparison.detailed();
    if (!gridToExport(m_prompter, kind, grid)) return false;
    return print([&](const ExportContext& c) { return exportSheet(kind, grid, c); }, kind == ExportKind::Consolidated);
}

bool ExportScreen::printLeftOut() {
    const std::optional<LeftOut>& leftOut = m_comparison.leftOut();
    if (!leftOut) {
        m_prompter.message(noDataToExport());
        return false;
    }
    return print([&](const ExportContext& c) { return leftOutSheet(*leftOut, c); }, false);
}

bool ExportScreen::print(const std::function<ExportSheet(const ExportContext&)>& sheet, bool filtered) {
    return handPrintout(m_prompter, m_printTo, m_clock, [&] {
        const ExportContext c = context();
        return sheetPrintout(sheet(c), filtered && !trim(c.filterText).empty() ? printFilterLine(c.filterText) : "");
    });
}

}  // namespace vesk::compare
