#pragma once

#include <functional>
#include <optional>
#include <string>

#include "compare/ExportSheet.h"
#include "compare/Grid.h"
#include "core/Prompter.h"

namespace vesk::compare {

class Comparison;

/// What an export needs besides its grid: the period and office choice as the form's
/// lists hold them, the search box's text and the configured office.
struct ExportContext {
    std::string month;  ///< Combo2's text, "April"
    std::string year;   ///< Combo1's text, "2025"
    std::optional<std::string> office;  ///< Combo3's selected text; none when nothing is selected
    std::string filterText;             ///< Text1, as typed
    std::string configuredOffice;
};

enum class ExportKind { Consolidated, Detailed };

/// The sheet for a grid as it is shown: its visible rows numbered without gaps, the
/// total row unnumbered and yellow, differing cells red.
ExportSheet FillExportSheet(ExportKind kind, const Grid& grid, const ExportContext& context);

/// The export buttons of the comparison form: writes the grid's visible rows to a
/// formatted workbook in the output folder and hands it to the person.
class GridExport {
public:
    /// The folder the workbooks go to: "VESK - ORV Output" on the desktop.
    static std::string defaultOutputFolder();

    GridExport(Comparison& comparison, Prompter& prompter);

    void setOutputFolder(std::string folder) { m_folder = std::move(folder); }
    /// Label6: shown with its text while an export runs, hidden after.
    void setWaitLabel(std::function<void(bool shown, const std::string& text)> f) { m_wait = std::move(f); }
    /// ProgressBar1: (rows done, rows in all) while the sheet fills; (-1, 0) hides it.
    void setProgressBar(std::function<void(int value, int maximum)> f) { m_bar = std::move(f); }
    /// Opens the saved workbook for the person; off on the command line.
    void setOpenWhenSaved(bool open) { m_open = open; }

    /// Export to Excel under the consolidated grid; the saved file, or none.
    std::optional<std::string> Command1_Click();
    /// Export to Excel under the detailed grid.
    std::optional<std::string> Command6_Click();

private:
    std::optional<std::string> ExportGridToExcel(ExportKind kind, const std::string& baseName);
    ExportContext context();
    void wait(bool shown, const std::string& text) {
        if (m_wait) m_wait(shown, text);
    }
    void bar(int value, int maximum) {
        if (m_bar) m_bar(value, maximum);
    }

    Comparison& m_comparison;
    Prompter& m_prompter;
    std::string m_folder;
    bool m_open = true;
    std::function<void(bool, const std::string&)> m_wait;
    std::function<void(int, int)> m_bar;
};

}  // namespace vesk::compare
