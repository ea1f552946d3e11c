#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/DateTime.h"
#include "core/Prompter.h"
#include "history/HistoryScreen.h"
#include "store/Connection.h"

namespace vesk::office {

/// What the office master form shows.
struct OfficeView {
    std::string countText;                 ///< Label1
    std::optional<store::ResultSet> grid;  ///< DataGrid1; nullopt: no data source
    std::vector<std::string> offices;      ///< Combo1's list
    int selected = -1;                     ///< Combo1's selection
};

/// What the office master form shows and says over the office functions: loading, the
/// office list, the configured office, deleting all offices and importing the office
/// master workbook. Owns the form's connection, which stays open once opened.
class OfficeScreen {
  public:
    OfficeScreen(std::string databasePath, Prompter& prompter);

    const OfficeView& view() const { return m_view; }

    /// Called with true before a save's database work and false after it ("Please Wait...").
    void setWaitIndicator(std::function<void(bool)> wait) { m_wait = std::move(wait); }

    void load();
    void refreshOfficeList();
    // Each returns true when it did what was asked (false: refused, cancelled or failed).

    /// Save/Update: stores the office named by the list's text as the configured office.
    bool saveConfiguredOffice(const std::string& comboText);
    /// Delete All Offices.
    bool deleteAllOffices();
    /// Import Office Master Data.
    bool importMaster();

    /// A row of the grid was picked: its office becomes the list's selection when it is one
    /// that can be configured. False when it is not.
    bool pickRow(std::size_t row);
    /// History: true when the window may show the records read.
    bool readHistory();
    const history::HistoryScreen& history() const { return m_history; }

    /// Where the history's times come from (the computer's clock by default).
    void setClock(Clock clock) { m_clock = std::move(clock); }

    /// The configured office: the first row of Youroffice, trimmed ("" when none).
    std::string configuredOffice();

    store::Connection& connection() { return m_db; }

  private:
    void ensureOpen();
    void selectOffice(const std::string& name);
    void reloadGrid();
    bool importFile(const std::string& path);
    store::Connection& database();
    void setWait(bool shown) {
        if (m_wait) m_wait(shown);
    }

    std::string m_path;
    Prompter& m_prompter;
    store::Connection m_db;
    OfficeView m_view;
    std::function<void(bool)> m_wait;
    history::HistoryScreen m_history;
    Clock m_clock = localNow;
};

}  // namespace vesk::office
