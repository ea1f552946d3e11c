#pragma once

#include <functional>
#include <optional>
#include <string>

#include "compare/CompareView.h"
#include "compare/ExplainScreen.h"
#include "compare/Grid.h"
#include "compare/LabelBlinker.h"
#include "compare/LeftOut.h"
#include "compare/MonthComparison.h"
#include "core/DateTime.h"
#include "core/Prompter.h"
#include "review/MonthParts.h"
#include "store/Connection.h"

namespace vesk::compare {

/// What the comparison form shows and says over the month's comparison: the consolidated
/// comparison of a month, the office filter, the detailed date-wise comparison, Reset,
/// Back and the status label's blink. Owns the form's connection, which stays open once
/// opened. The grids are plain data that the form draws and the export reads.
class CompareScreen {
  public:
    /// clock: today's date, which the default period counts back from (the computer's by default).
    CompareScreen(std::string databasePath, Prompter& prompter, Clock clock = localNow);

    const CompareView& view() const { return m_view; }
    /// grdCompare: the differing offices, then the total row.
    const Grid& consolidated() const { return m_compare; }
    /// MSFlexGrid1: the differing dates.
    const Grid& detailed() const { return m_detail; }

    /// Draws the view and lets the window run its pending events once.
    void setPainter(std::function<void()> paint) { m_paint = std::move(paint); }
    /// Draws the view's labels only: each look of the blink.
    void setLabelPainter(std::function<void()> paint) { m_paintLabels = std::move(paint); }
    /// Starts the one-shot timer that finishes a blink (Timer1, 100 ms).
    void setHideStatusLater(std::function<void()> start) { m_hideStatusLater = std::move(start); }
    LabelBlinker& blinker() { return m_blinker; }

    /// The form loads: the Ready state, the years held and the month before today.
    void load();
    /// The year and month lists' selections (-1: none).
    void chooseYear(int index);
    void chooseMonth(int index);

    // Each returns true when it did what was asked (false: refused or failed).

    /// Compare: the consolidated comparison of the selected month.
    bool compare();
    /// A pick in the office list: the detailed comparison of that office, or of every
    /// listed office for "All".
    bool chooseOffice(int index);

    /// What the last comparison left out (the left-out window's lists); none before a
    /// comparison and after Reset.
    const std::optional<LeftOut>& leftOut() const { return m_leftOut; }

    /// Explain: the month of the office chosen in the office list, or of every listed
    /// office; none before a comparison.
    std::optional<ExplainRequest> explainChosenOffice() const;
    /// A row of the consolidated grid picked: its office's month; none for the total row.
    std::optional<ExplainRequest> explainConsolidatedRow(int row) const;
    /// A row of the detailed grid picked: its office on its date.
    std::optional<ExplainRequest> explainDetailedRow(int row) const;

    /// A month opened from elsewhere (a cell of the trend's map): back to the state before a
    /// comparison when results show, the month picked (its year added to the list when the
    /// list lacks it), compared, and the office picked in the office list when the comparison
    /// lists it. True when the office was picked.
    bool openMonth(Period month, const std::string& office);

    /// The search box changed: returns the text it is to hold (upper case) and filters
    /// the consolidated grid by it.
    std::string filterOffices(const std::string& text);
    /// Reset: back to the state before a comparison, keeping the period.
    void reset();

    enum class BackAction { CloseNow, CloseAfterBlink };
    /// Back: closes at once, or during a blink after it (Timer3, 100 ms).
    BackAction goBack();
    /// The form is about to unload: a running blink ends at its next step.
    void stopBlinking() { m_blinker.stop(); }
    /// The form unloaded: a blink still running from before leaves it alone.
    void formUnloaded() { m_blinker.formChanged(); }
    /// The end of a blink (Timer1): the status label goes.
    void hideStatus();
    /// After Back during a blink (Timer3): true when the form is to unload now.
    bool closeIsDue() const { return m_blinker.closeRequested(); }

    store::Connection& connection() { return m_db; }
    /// The selected month; nullopt when the year or the month is not selected.
    std::optional<Period> period() const;

  private:
    /// What a comparison reads of the month, in one snapshot of the file.
    struct MonthRead {
        ComparedMonth compared;
        std::optional<LeftOut> leftOut;
    };
    MonthRead readMonth(Period month);
    /// Empties the office list (but "All") and the grids for a new comparison's results.
    void clearLists();
    void showResults(const MonthComparison& result, std::optional<LeftOut> leftOut);
    /// "Data Fetched..." blinks, then Timer1 hides it.
    void blinkStatus();
    /// Back to the state before a comparison: no results, the period free to change.
    void clearComparison();
    void ensureOpen();
    void paint() {
        if (m_paint) m_paint();
    }
    void hideWait();
    /// The months held read again and marked in the lists (none when they cannot be read).
    void readHeldMonths();
    /// The year list's marks, and the month list's for the selected year.
    void markHeldMonths();
    /// The parts line of the selected month, as the months held last read say.
    void showHeldParts();

    std::string m_path;
    Prompter& m_prompter;
    Clock m_clock;
    store::Connection m_db;
    CompareView m_view;
    Grid m_compare;
    Grid m_detail;
    std::optional<LeftOut> m_leftOut;
    std::vector<review::MonthParts> m_held;  ///< the months holding data, in order
    std::vector<std::string> m_listed;       ///< the consolidated grid's offices, in its order
    struct DetailRow {
        std::string office;
        long long day = 0;
    };
    std::vector<DetailRow> m_detailRows;  ///< the detailed grid's rows
    LabelBlinker m_blinker;
    std::function<void()> m_paint;
    std::function<void()> m_paintLabels;
    std::function<void()> m_hideStatusLater;
};

}  // namespace vesk::compare
