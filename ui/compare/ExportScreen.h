#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "compare/ComparisonWorkbook.h"
#include "compare/PrintTarget.h"
#include "core/DateTime.h"
#include "core/Prompter.h"

namespace vesk::compare {

class CompareScreen;

/// The export buttons of the comparison form: write the grid's visible rows to a
/// formatted workbook in the output folder and hand it to the person.
class ExportScreen {
  public:
    ExportScreen(CompareScreen& comparison, Prompter& prompter);

    void setOutputFolder(std::string folder) { m_folder = std::move(folder); }
    /// Label6: shown with its text while an export runs, hidden after.
    void setWaitLabel(std::function<void(bool shown, const std::string& text)> f) { m_wait = std::move(f); }
    /// ProgressBar1: (rows done, rows in all) while the sheet fills; (-1, 0) hides it.
    void setProgressBar(std::function<void(int value, int maximum)> f) { m_bar = std::move(f); }
    /// Opens the saved workbook for the person.
    void setOpenWhenSaved(bool open) { m_open = open; }

    /// Export to Excel under the consolidated grid; the saved file, or none.
    std::optional<std::string> exportConsolidated();
    /// Export to Excel under the detailed grid.
    std::optional<std::string> exportDetailed();

    /// Export to Excel in the left-out window: what the comparison left out.
    std::optional<std::string> exportLeftOut();

    /// Office Lists: a workbook for each office the office list's choice stands for (All when
    /// nothing is chosen), and their summary; the paths written. Each taken name is asked about.
    std::vector<std::string> writeOfficeLists();
    /// Where Print… hands the printout (the form's preview), and the clock of its "Printed on".
    void setPrintTarget(PrintTarget target, Clock clock = localNow) {
        m_printTo = std::move(target);
        m_clock = std::move(clock);
    }
    /// Print… under a grid: the sheet Export to Excel would write of the rows shown, the search
    /// box's filter named; refused as the export is when there are none. True when handed on.
    bool printConsolidated();
    bool printDetailed();
    /// Print… in the left-out window.
    bool printLeftOut();

  private:
    std::optional<std::string> exportGrid(ExportKind kind);
    bool printGrid(ExportKind kind);
    /// Hands the sheet built for the export's context to the print target; a failure is said.
    bool print(const std::function<ExportSheet(const ExportContext&)>& sheet, bool filtered);
    /// Writes an export into the folder and returns its path.
    using Writer = std::function<std::string(const ExportContext&, const std::string& folder)>;
    /// Writes a workbook, opens it and says where it went.
    std::optional<std::string> save(const Writer& write,
                                    const std::function<std::string(const ExportContext&)>& fileName);
    ExportContext context();
    void wait(bool shown, const std::string& text) {
        if (m_wait) m_wait(shown, text);
    }
    void bar(int value, int maximum) {
        if (m_bar) m_bar(value, maximum);
    }

    CompareScreen& m_comparison;
    Prompter& m_prompter;
    std::string m_folder;
    bool m_open = true;
    std::function<void(bool, const std::string&)> m_wait;
    std::function<void(int, int)> m_bar;
    PrintTarget m_printTo;
    Clock m_clock = localNow;
};

}  // namespace vesk::compare
