#include "report/ReportScreen.h"

#include "core/DateTime.h"
#include "office/Offices.h"
#include "report/ReportMonths.h"

namespace vesk::report {

namespace {

constexpr int kProgressEvery = 50;

}  // namespace

ReportScreen::ReportScreen(const ReportDescription& report, std::string databasePath, Prompter& prompter, Today today)
    : m_report(report),
      m_path(std::move(databasePath)),
      m_prompter(prompter),
      m_today(today ? std::move(today) : localToday),
      m_history(historyForm(report), prompter) {}

void ReportScreen::ensureOpen() {
    if (!m_db.isOpen()) m_db.open(m_path);
}

void ReportScreen::Form_Load() {
    m_masterDataMissing = false;
    try {
        ensureOpen();
        if (office::officeCount(m_db) == 0) {
            m_masterDataMissing = true;
            return;
        }
        m_view.years = offeredYears(m_db, m_today());
        m_view.months.clear();
        for (int m = 1; m <= 12; ++m) m_view.months.push_back(monthAbbrev(m));
    } catch (const std::exception& caught) {
        const Error e = asError(caught);
        m_prompter.message(m_report.loadFailed(e));
        return;
    }
    loadMonthlySummary();
}

void ReportScreen::refreshYears() {
    // The list as it was is still a fair offer when the years cannot be read.
    try {
        m_view.years = offeredYears(m_db, m_today());
    } catch (const std::exception&) {
    }
}

bool ReportScreen::Form_Activate() {
    if (!m_masterDataMissing) return false;
    m_prompter.message(exclamation("Import office Master Data First.", "Master Data Missing"));
    return true;
}

void ReportScreen::loadMonthlySummary() {
    try {
        ensureOpen();
        store::ResultSet rs = monthlySummary(m_db, m_report);
        if (rs.empty())
            m_view.summary.reset();
        else
            m_view.summary = std::move(rs);
    } catch (const std::exception& caught) {
        const Error e = asError(caught);
        m_prompter.message(critical("Grid Error: " + e.description(), m_report.gridErrorTitle));
    }
}

std::optional<std::pair<std::string, std::string>> ReportScreen::periodOfRow(std::size_t row) const {
    if (!m_view.summary || row >= m_view.summary->rowCount()) return std::nullopt;
    return std::make_pair(m_view.summary->field(row, 0).toText(), m_view.summary->field(row, 1).toText());
}

bool ReportScreen::Command3_Click(const std::string& year, const std::string& month) {
    if (year.empty() || month.empty()) {
        m_prompter.message(m_report.selectionRequired);
        return false;
    }
    if (m_prompter.message(m_report.confirmDelete(month, year)) != Answer::Yes) return false;
    std::int64_t count = 0;
    try {
        ensureOpen();
        count = deleteMonth(m_db, m_report, year, month, m_clock);
    } catch (const std::exception& caught) {
        const Error e = asError(caught);
        m_prompter.message(critical("Error: " + e.description(), m_report.deleteErrorTitle));
        return false;
    }
    if (count <= 0) {
        m_prompter.message(m_report.nothingDeleted(month, year));
        return false;
    }
    m_prompter.message(m_report.deleted(count, month, year));
    refreshYears();
    loadMonthlySummary();
    return true;
}

bool ReportScreen::cmdHistory_Click() {
    return m_history.cmdHistory_Click([this]() -> store::Connection& {
        ensureOpen();
        return m_db;
    });
}

bool ReportScreen::Import_Click() {
    try {
        ensureOpen();
        auto file = m_prompter.openFile({"", m_report.openFilter, ""});
        if (!file || file->empty()) return false;
        return importFile(*file);
    } catch (const std::exception& e) {
        m_prompter.message(critical("Import Error: " + asError(e).description(), "Error"));
        m_prompter.progress("");
        return false;
    }
}

bool ReportScreen::importFile(const std::string& path) {
    const auto confirm = [this](const Message& question) { return m_prompter.message(question) == Answer::Yes; };
    const auto progress = [this](int row, int rows) {
        if (row % kProgressEvery == 0 || row == rows)
            m_prompter.progress("Importing Row " + std::to_string(row) + " of " + std::to_string(rows) + "...");
    };
    const MonthImport imported = importMonth(m_db, m_report, path, confirm, progress, m_clock);
    if (auto message = importMessage(m_report, imported)) m_prompter.message(*message);
    if (imported.status != MonthImport::Status::Imported) return false;
    m_prompter.progress("");
    refreshYears();
    loadMonthlySummary();
    return true;
}

}  // namespace vesk::report
