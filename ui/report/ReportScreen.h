#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/DateTime.h"
#include "core/Prompter.h"
#include "history/HistoryScreen.h"
#include "report/ReportFlows.h"
#include "report/ReportMonths.h"
#include "store/Connection.h"

namespace vesk::report {

/// What a monthly report form shows.
struct ReportView {
    std::optional<store::ResultSet> summary;  ///< DataGrid1, its cells as shown; nullopt: no data source
    std::vector<std::string> years;           ///< Combo1's list
    std::vector<std::string> months;          ///< Combo2's list
};

/// What a monthly report form (bank CTR or ORV) shows and says over the report's flows:
/// importing a month's workbook, the monthly summary and deleting a month. Owns the form's
/// connection, which stays open once opened.
class ReportScreen {
  public:
    /// clock: the time the history records and the year list counts from (the computer's by default).
    ReportScreen(Report report, std::string databasePath, Prompter& prompter, Clock clock = localNow);

    const ReportView& view() const { return m_view; }
    /// Set by the load when the office master is empty: the form must not be worked.
    bool masterDataMissing() const { return m_masterDataMissing; }

    void load();
    /// True when the office master is missing: the message is shown and the form hands
    /// over to the office master form.
    bool refuseWithoutMaster();
    void clearSummary() { m_view.summary.reset(); }
    void loadMonthlySummary();

    /// The import button. True when a month was imported (the year list may have grown).
    bool importWorkbook();
    /// Delete: true when rows went (the form then clears both lists' selection).
    bool deleteMonth(const std::string& year, const std::string& month);

    /// History: true when the window may show the records read.
    bool readHistory();
    const history::HistoryScreen& history() const { return m_history; }

    void setClock(Clock clock) { m_clock = std::move(clock); }

    /// Year and month texts of a summary row, for the delete lists; nullopt when the
    /// summary has no such row.
    std::optional<std::pair<std::string, std::string>> periodOfRow(std::size_t row) const;

    store::Connection& connection() { return m_db; }

  private:
    store::Connection& database();
    /// The year list after the data changed: a month of a new year adds its year.
    void refreshYears();
    bool importFile(const std::string& path);

    Report m_report;
    std::string m_path;
    Prompter& m_prompter;
    Clock m_clock;
    store::Connection m_db;
    ReportView m_view;
    std::vector<SummaryLine> m_lines;
    bool m_masterDataMissing = false;
    history::HistoryScreen m_history;
};

}  // namespace vesk::report
