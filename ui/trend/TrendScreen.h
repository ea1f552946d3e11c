#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compare/PrintTarget.h"
#include "core/DateTime.h"
#include "core/Error.h"
#include "core/Prompter.h"
#include "trend/Trend.h"
#include "trend/TrendView.h"
#include "widgets/LatestJob.h"
#include "widgets/LatestRequest.h"

namespace vesk::trend {

/// What the trend window shows and says: the months held to choose from, the trend of the
/// months chosen as a chart and a map of offices, its export, and the comparison a cell of
/// the map leads to. The loads run off the window's thread: load() and the choices hand out
/// the work, and finished() or failed() take its outcome back.
class TrendScreen {
  public:
    TrendScreen(std::string databasePath, Prompter& prompter);

    const TrendView& view() const { return m_view; }
    void setOutputFolder(std::string folder) { m_folder = std::move(folder); }
    /// Opens the saved workbook for the person.
    void setOpenWhenSaved(bool open) { m_open = open; }

    /// What a load found: the months held, the scope and the trend of the months asked for
    /// (none: every month held).
    struct Loaded {
        std::vector<Period> held;
        compare::Scope scope;
        std::optional<MonthRange> range;
        Trend trend;
    };
    /// The work of one load: it opens its own connection.
    using Job = LatestJob<Loaded>;

    /// The window opens: every month the data holds. The view shows the loading text until
    /// the job's outcome.
    Job load();
    /// A pick in From or To: the load to run, none when nothing changed. The other choice
    /// follows when the range would end before it begins.
    std::optional<Job> chooseFrom(int index);
    std::optional<Job> chooseTo(int index);
    /// The job's outcome; the outcome of a load overtaken by a later one is dropped.
    void finished(std::uint64_t ticket, const Loaded& loaded);
    /// A load that failed: said, and its text stays in the status line.
    void failed(std::uint64_t ticket, const std::exception& error);

    /// Export to Excel: the trend shown, to Trend_<FROM>_<TO>.xlsx; the saved file, or none.
    std::optional<std::string> exportTrend();
    /// Where Print… hands the printout (the window's preview, after the chart), and the clock of
    /// its "Printed on".
    void setPrintTarget(compare::PrintTarget target, Clock clock = localNow) {
        m_printTo = std::move(target);
        m_clock = std::move(clock);
    }
    /// Print…: the office map as the workbook's sheet holds it; no list while no month is shown.
    bool print();

    /// The comparison a cell of the map leads to: its month and office.
    struct MapTarget {
        Period month;
        std::string office;
    };
    /// A double-click on the map: the cell's comparison, none for an empty cell.
    std::optional<MapTarget> comparisonAt(int row, int column) const;
    /// What hovering over a month of the chart shows.
    std::string hoverText(int index) const;

  private:
    /// The load of the months chosen, the loading text shown meanwhile.
    Job startLoad();

    std::string m_path;
    Prompter& m_prompter;
    std::string m_folder;
    bool m_open = true;
    compare::PrintTarget m_printTo;
    Clock m_clock = localNow;
    LatestRequest m_latest;
    TrendView m_view;
    std::vector<Period> m_held;  ///< the months of m_view.months
    compare::Scope m_scope;
    Trend m_trend;  ///< shown
};

}  // namespace vesk::trend
