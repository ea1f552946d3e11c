#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compare/PrintTarget.h"
#include "compare/Printout.h"
#include "core/DateTime.h"
#include "core/Prompter.h"
#include "review/MonthClose.h"
#include "widgets/LatestJob.h"
#include "widgets/LatestRequest.h"

namespace vesk::review {

/// What the Statement window shows and says. Its work runs off the window's thread: open(),
/// closeMonth() and reopenMonth() hand it out, and finished() or failed() take its outcome
/// back. The prompter is called from that work too (closing asks), so the window gives one
/// that asks on its own thread.
class StatementScreen {
  public:
    StatementScreen(std::string databasePath, Prompter& prompter, Clock clock = localNow);

    void setOutputFolder(std::string folder) { m_folder = std::move(folder); }
    /// Opens the saved workbook for the person.
    void setOpenWhenSaved(bool open) { m_open = open; }
    /// Where Print… hands the statement: the window's preview.
    void setPrintTarget(compare::PrintTarget target) { m_printTo = std::move(target); }

    /// What a job finds: the month's statement as shown, whether a close of it stands, and
    /// the years the data holds.
    struct Shown {
        Period period{};
        ShownStatement shown;
        bool closeStands = false;
        std::vector<int> years;
        std::string missingParts;         ///< what the month lacks of its imports; empty when nothing
        std::optional<CloseBlock> block;  ///< what would refuse its close now
    };
    using Job = LatestJob<Shown>;

    /// The statement of the month; none: the latest month the data holds (this month when
    /// it holds none).
    Job open(std::optional<Period> month);
    /// Close Month and Reopen Month: the flow, its questions and what it tells, then the
    /// month's statement as it stands after it.
    Job closeMonth();
    Job reopenMonth();
    /// The job's outcome; an outcome of an earlier request than the last is dropped.
    void finished(std::uint64_t ticket, Shown shown);
    void failed(std::uint64_t ticket, const std::exception& error);

    bool busy() const { return m_latest.busy(); }
    /// A close or reopening runs: the month is not to change meanwhile.
    bool acting() const { return busy() && m_work != Work::Computing; }
    /// The month shown or asked for; none before the first outcome of open(none).
    std::optional<Period> period() const { return m_period; }
    const std::vector<int>& years() const { return m_shown.years; }

    std::string heading() const;
    /// Closed on ... by ..., Reopened on ..., Computed on ..., not closed, with what the month
    /// lacks of its imports on a line of its own; what runs while busy; that the month holds no rows.
    std::string stateLine() const;
    /// Line, Deposits, Withdrawals, Rows of VESK to Resolved, and of the roll-forward, the
    /// amounts' thousands separated; empty while busy or when the month holds no rows.
    std::vector<std::vector<std::string>> statementRows() const;
    std::vector<std::vector<std::string>> rollForwardRows() const;
    /// The items behind the roll-forward, as the statement lists them, the amounts grouped.
    std::vector<std::vector<std::string>> items() const;
    /// The statement to print or export: none while busy or when the month holds no rows.
    const ShownStatement* printable() const;

    /// Close Month: only when nothing would refuse the close.
    bool closeEnabled() const { return !busy() && m_loaded && !m_shown.closeStands && !m_shown.block; }
    /// Why Close Month is not offered: the refusal a close would meet; empty when none.
    std::string closeRefusedText() const;
    bool reopenEnabled() const { return !busy() && m_loaded && m_shown.closeStands; }

    /// Export to Excel: the workbook export statement writes; the saved file, or none.
    std::optional<std::string> exportStatement();
    /// Print…: the statement as its workbook holds it, closed by the sign-off block, handed
    /// to the print target; nothing while there is none to print.
    void print();

    /// Sign-off…: the three names that sign the printout as stored; none, with the failure
    /// said, when the file cannot be read.
    std::optional<std::vector<compare::SignOff>> signOffs();
    /// Its OK: sets them as typed; false, with why said, when they are refused or not saved.
    bool saveSignOffs(const std::vector<compare::SignOff>& signOffs);

  private:
    enum class Work { Computing, Closing, Reopening };
    Job start(Work work, std::optional<Period> month);

    std::string m_path;
    Prompter& m_prompter;
    Clock m_clock;
    std::string m_folder;
    bool m_open = true;
    compare::PrintTarget m_printTo;
    LatestRequest m_latest;
    bool m_loaded = false;  ///< an outcome of the month asked for is in
    Work m_work = Work::Computing;
    std::optional<Period> m_period;
    Shown m_shown;
};

}  // namespace vesk::review
