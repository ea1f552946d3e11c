#include "report/ReportScreen.h"

#include "core/DateTime.h"
#include "core/Error.h"
#include "report/ReportWording.h"

namespace vesk::report {

namespace {

constexpr int kProgressEvery = 50;

}  // namespace

ReportScreen::ReportScreen(Report report, std::string databasePath, Prompter& prompter, Clock clock)
    : m_report(report),
      m_path(std::move(databasePath)),
      m_prompter(prompter),
      m_clock(clock ? std::move(clock) : localNow),
      m_history(historyForm(report.description), prompter) {}

store::Connection& ReportScreen::database() {
    if (!m_db.isOpen()) m_db.open(m_path);
    return m_db;
}

void ReportScreen::load() {
    m_masterDataMissing = false;
    try {
        if (officeMasterMissing(database())) {
            m_masterDataMissing = true;
            return;
        }
        m_view.years = offeredYears(m_db, m_clock());
        m_view.months.clear();
        for (int m = 1; m <= 12; ++m) m_view.months.push_back(monthAbbrev(m));
    } catch (const std::exception& caught) {
        m_prompter.message(m_report.wording.loadFailed(asError(caught)));
        return;
    }
    loadMonthlySummary();
}

void ReportScreen::refreshYears() {
    // The list as it was is still a fair offer when the years cannot be read.
    try {
        m_view.years = offeredYears(m_db, m_clock());
    } catch (const std::exception&) {
    }
}

bool ReportScreen::refuseWithoutMaster() {
    if (!m_masterDataMissing) return false;
    m_prompter.message(report::masterDataMissing());
    return true;
}

void ReportScreen::loadMonthlySummary() {
    try {
        m_lines = monthlySummary(database(), m_report.description);
        if (m_lines.empty()) {
            m_view.summary.reset();
            return;
        }
        std::vector<std::vector<store::Value>> rows;
        for (const SummaryLine& line : m_lines) {
            const std::vector<std::string> cells = summaryCells(line);
            rows.emplace_back(cells.begin(), cells.end());
        }
        m_view.summary = store::ResultSet(summaryHeadings(), std::move(rows));
    } catch (const std::exception& caught) {
        m_prompter.message(gridFailed(m_report.wording, asError(caught)));
    }
}

std::optional<std::pair<std::string, std::string>> ReportScreen::periodOfRow(std::size_t row) const {
    if (!m_view.summary || row >= m_lines.size()) return std::nullopt;
    return std::make_pair(m_lines[row].year, m_lines[row].month);
}

bool ReportScreen::deleteMonth(const std::string& year, const std::string& month) {
    std::int64_t count = 0;
    try {
        count = deleteReportMonth([this]() -> store::Connection& { return database(); }, m_prompter, m_report, year,
                                  month, m_clock);
    } catch (const std::exception& caught) {
        m_prompter.message(deleteFailed(m_report.wording, asError(caught)));
        return false;
    }
    if (count <= 0) return false;
    refreshYears();
    loadMonthlySummary();
    return true;
}

bool ReportScreen::readHistory() {
    return m_history.read([this]() -> store::Connection& { return database(); });
}

bool ReportScreen::importWorkbook() {
    try {
        database();
        auto file = m_prompter.openFile(reportFileRequest(m_report.wording));
        if (!file || file->empty()) return false;
        return importFile(*file);
    } catch (const std::exception& e) {
        m_prompter.message(importFailed(asError(e)));
        m_prompter.progress("");
        return false;
    }
}

bool ReportScreen::importFile(const std::string& path) {
    const MonthImport imported = importReport([this]() -> store::Connection& { return database(); }, m_prompter,
                                              m_report, path, kProgressEvery, m_clock);
    if (imported.status != MonthImport::Status::Imported) return false;
    m_prompter.progress("");
    refreshYears();
    loadMonthlySummary();
    return true;
}

}  // namespace vesk::report
