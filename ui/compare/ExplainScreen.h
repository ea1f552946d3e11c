#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "compare/Explanation.h"
#include "compare/PrintTarget.h"
#include "core/DateTime.h"
#include "core/Prompter.h"
#include "notes/HeldRows.h"
#include "widgets/LatestJob.h"
#include "widgets/LatestRequest.h"

namespace vesk::compare {

/// What the pair dialog shows and pairs: the rows chosen, both sides' sums and the text offered.
struct PairDraft {
    std::vector<notes::RowRef> rows;
    std::size_t bankRows = 0;
    std::size_t orvRows = 0;
    double bankSum = 0;
    double orvSum = 0;
    std::string text;  ///< offered: the hint's words when pairing as hinted
    /// The bank rows' sum less the ORV entries'.
    double difference() const { return bankSum - orvSum; }
    /// The sums differ by more than 0.01: the pair is made only with the difference accepted.
    bool sumsDiffer() const;
    /// What the dialog says of the sums: each side's rows and sum, then the difference.
    std::vector<std::string> sumsLines() const;
};

/// What the explanation window is asked to show: a month of one office or of every
/// differing office, the whole month or one date of it.
struct ExplainRequest {
    Period period;
    std::optional<std::string> office;  ///< none: every office the comparison lists
    std::optional<long long> day;       ///< days since 1970-01-01; none: the whole month
};

/// What the explanation window shows and says. The pairing runs off the window's thread:
/// open() hands out the work, and finished() or failed() take its outcome back.
class ExplainScreen {
  public:
    ExplainScreen(std::string databasePath, Prompter& prompter);

    void setOutputFolder(std::string folder) { m_folder = std::move(folder); }
    /// Opens the saved workbook for the person.
    void setOpenWhenSaved(bool open) { m_open = open; }
    /// Where Print… hands the printout (the window's preview), and the clock of its "Printed on".
    void setPrintTarget(PrintTarget target, Clock clock = localNow) {
        m_printTo = std::move(target);
        m_clock = std::move(clock);
    }

    /// What a job finds: the rows paired, and the configured office the export names.
    struct Explained {
        Explanation explanation;
        std::string configuredOffice;
        std::string missingParts;  ///< what the month lacks of its imports; empty when nothing
    };
    /// The work of one request: it opens its own connection.
    using Job = LatestJob<Explained>;
    /// Starts over for the request; the window shows "Explaining..." until the job's outcome.
    Job open(const ExplainRequest& request);
    /// The job's outcome; an outcome of an earlier request than the last is dropped.
    void finished(std::uint64_t ticket, Explained explained);
    void failed(std::uint64_t ticket, const std::exception& error);

    bool busy() const { return m_latest.busy(); }
    /// "Explained : April 2025 : Hill H.O : 05/04/2025" and the like.
    std::string heading() const;
    /// What the month lacks of its imports, if anything, on a line of its own; then what the
    /// rows add up to, the matched ones counted also when hidden. Empty while busy.
    std::string headline() const;
    /// The grid's rows: the rows of a pair or a group together, in the order they begin.
    const std::vector<ExplainedLine>& shown() const { return m_shown; }
    /// The rules the rows were paired by.
    const PairingRules& pairingRules() const { return m_rules; }
    bool showMatched() const { return m_showMatched; }
    /// The pane under the grid: the shown row in full, its whole hint and note; "" for none.
    std::string detailText(std::optional<std::size_t> shownRow) const;

    /// "Show matched rows".
    void showMatchedRows(bool checked);
    /// Export to Excel: the rows as shown; the saved file, or none.
    std::optional<std::string> exportRows();
    /// Print…: the sheet Export to Excel writes; refused as it is when no row is shown.
    bool printRows();
    /// "Note…": the shown row to write a note on; none (said why) while no row is chosen.
    std::optional<ExplainedLine> rowForNote(std::optional<std::size_t> shownRow);
    /// A note saved for a row: its lines show it from now on.
    void noteSaved(const notes::Note& note);

    /// "Pair Selected…": the shown rows chosen, for the pair dialog; none (said why) unless
    /// they hold a bank row and an ORV entry.
    std::optional<PairDraft> draftOfSelection(const std::vector<std::size_t>& shownRows);
    /// "Pair as Hinted": the row and its hint's counterpart; none (said why) when the row's
    /// hint names no row of the other side to pair it with.
    std::optional<PairDraft> draftOfHint(std::optional<std::size_t> shownRow);
    /// Pairs the draft's rows by hand with the text; a refusal or failure is said. Once made,
    /// the rows are explained again. True when the pair was made.
    bool pair(const PairDraft& draft, const std::string& text, bool acceptDifference);
    /// "Unpair": undoes the hand pair of the shown row once the person agrees; a row that is
    /// not paired by hand is said to be so. True when undone (the rows explained again).
    bool unpair(std::optional<std::size_t> shownRow);
    /// Where the selection stands once the rows are explained again: the row that stood at
    /// `former` when it is still shown, else the same place, within the rows shown.
    std::optional<std::size_t> placeAfter(const notes::RowRef& row, std::size_t former) const;

  private:
    void refill();
    /// The request explained again at once, in place of the rows shown.
    void explainAgain();
    // Opens the file and makes a change of the hand pairs; its refusal, if any, is said, else
    // the month is explained again. True when it was made.
    bool changePairs(const std::function<std::optional<std::string>(store::Connection&)>& change);

    std::string m_path;
    Prompter& m_prompter;
    std::string m_folder;
    bool m_open = true;
    PrintTarget m_printTo;
    Clock m_clock = localNow;
    LatestRequest m_latest;
    ExplainRequest m_request;
    std::string m_configuredOffice;
    std::vector<ExplainedLine> m_lines;  ///< of the request's day, when it has one
    PairingRules m_rules;                ///< the rules they were paired by
    std::vector<ExplainedLine> m_shown;
    std::string m_headline;
    std::string m_missingParts;
    bool m_showMatched = false;
};

/// The lines in the window's order: by office and kind, the lines of one pair or group
/// together where the first of them would stand, each group's lines bank first.
std::vector<ExplainedLine> groupedTogether(std::vector<ExplainedLine> lines);

}  // namespace vesk::compare
