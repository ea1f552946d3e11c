#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/Error.h"
#include "core/Prompter.h"
#include "trend/Trend.h"
#include "trend/TrendView.h"

namespace vesk::trend {

/// What the trend window shows and says: the months held to choose from, the trend of the
/// months chosen as a chart and a map of offices, its export, and the comparison a cell of
/// the map leads to. The loads are split in two (fetch, then show) so that the window can run
/// the reading away from its own thread; fetch touches nothing of the screen.
class TrendScreen {
  public:
    TrendScreen(std::string databasePath, Prompter& prompter);

    const TrendView& view() const { return m_view; }
    void setOutputFolder(std::string folder) { m_folder = std::move(folder); }
    /// Opens the saved workbook for the person.
    void setOpenWhenSaved(bool open) { m_open = open; }

    /// A load: which file, which months (none: every month held), and its place in the order
    /// of loads.
    struct Request {
        std::string databasePath;
        std::optional<MonthRange> range;
        int serial = 0;
    };
    /// What a load found, or why it failed.
    struct Outcome {
        int serial = 0;
        std::vector<Period> held;
        compare::Scope scope;
        std::optional<MonthRange> range;
        Trend trend;
        std::optional<Error> failure;
    };
    /// Reads on a connection of its own. Never throws.
    static Outcome fetch(const Request& request);

    /// The window opens: every month the data holds. Returns the load to run.
    Request Form_Load();
    /// A pick in From or To: the load to run, none when nothing changed. The other choice
    /// follows when the range would end before it begins.
    std::optional<Request> cboFrom_Click(int index);
    std::optional<Request> cboTo_Click(int index);
    /// Shows what a load found, its failure as a message; a load overtaken by a later one is dropped.
    void show(const Outcome& outcome);
    /// Runs a load here and shows it.
    void load(const Request& request) { show(fetch(request)); }

    /// Export to Excel: the trend shown, to Trend_<FROM>_<TO>.xlsx; the saved file, or none.
    std::optional<std::string> cmdExport_Click();

    /// The comparison a cell of the map leads to: its month and office.
    struct MapTarget {
        Period month;
        std::string office;
    };
    /// A double-click on the map: the cell's comparison, none for an empty cell.
    std::optional<MapTarget> grdMap_DblClick(int row, int column) const;
    /// What hovering over a month of the chart shows.
    std::string chtTrend_Hover(int index) const;

  private:
    Request request();

    std::string m_path;
    Prompter& m_prompter;
    std::string m_folder;
    bool m_open = true;
    int m_serial = 0;
    TrendView m_view;
    std::vector<Period> m_held;  ///< the months of m_view.months
    compare::Scope m_scope;
    Trend m_trend;  ///< shown
};

}  // namespace vesk::trend
