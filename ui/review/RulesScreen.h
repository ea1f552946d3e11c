#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "compare/PairingRules.h"
#include "core/Prompter.h"
#include "review/RulesTrial.h"
#include "widgets/LatestJob.h"
#include "widgets/LatestRequest.h"

namespace vesk::review {

/// What the Pairing Rules window shows and does: the rules in force and who set them, the rules
/// as its controls show them, a trial of those (off the window's thread: startTrial() hands out
/// the work, trialFinished() or trialFailed() take its outcome back), and setting them.
class RulesScreen {
  public:
    RulesScreen(std::string databasePath, Prompter& prompter);

    /// Reads the rules in force and who set them; the controls show those again. A failure is said.
    void load();
    const compare::PairingRules& inForce() const { return m_inForce; }
    /// The rules as the controls show them, which Try weighs and Apply sets.
    const compare::PairingRules& proposed() const { return m_proposed; }
    void setRule(compare::Rule rule, long long value);
    /// "Set by NAME on dd/mm/yyyy hh:mm" or "Never set: the defaults".
    const std::string& setByText() const { return m_setBy; }
    /// Each rule in a clerk's words and what it does, a paragraph each.
    static std::string helpText();

    /// A trial's outcome, and how many months there were to weigh (which a stopped one lacks).
    struct Tried {
        RulesTrial trial;
        std::size_t monthsToWeigh = 0;
    };
    using Job = LatestJob<Tried>;
    /// Told from the job's thread as each month is weighed, with the trial's ticket.
    using Progress = std::function<void(std::uint64_t ticket, std::size_t done, std::size_t total)>;
    /// Try: the work of weighing the proposed rules over every month held; it opens its own connection.
    Job startTrial(Progress progress = {});
    /// Cancel: the running trial stops once the month it is weighing is done.
    void stopTrial();
    /// The job's outcome; that of an earlier trial than the last is dropped.
    void trialFinished(std::uint64_t ticket, Tried tried);
    void trialFailed(std::uint64_t ticket, const std::exception& error);
    /// Progress told back on the window's thread; that of an earlier trial is dropped.
    void trialProgressed(std::uint64_t ticket, std::size_t done, std::size_t total);
    /// How far the running trial is: months done of how many; 0 of 0 before its first month.
    std::size_t monthsDone() const { return m_done; }
    std::size_t monthsToWeigh() const { return m_total; }

    bool busy() const { return m_latest.busy(); }
    /// Try and Apply wait while a trial runs; Cancel is for it alone.
    bool mayTry() const { return !busy(); }
    bool mayApply() const { return !busy(); }
    bool mayCancel() const { return busy(); }

    /// The trial's grid, a row a month; empty before a trial and after Apply sets the rules.
    const std::vector<std::vector<std::string>>& trialRows() const { return m_rows; }
    /// What the trial found in a line, or how far it got when stopped; "" before one.
    const std::string& trialSummary() const { return m_summary; }
    /// The rows of a month of the grid that the proposed rules change; none for a row out of range.
    std::vector<std::vector<std::string>> changedRows(std::size_t month) const;
    /// "Rows the rules would change: April 2025".
    std::string changedRowsHeading(std::size_t month) const;

    /// Apply: sets the rules as the controls show them, asking first (and about each closed
    /// month they change). The controls then show the rules in force. True when set.
    bool apply();

  private:
    void clearTrial();

    std::string m_path;
    Prompter& m_prompter;
    compare::PairingRules m_inForce;
    compare::PairingRules m_proposed;
    std::string m_setBy;
    LatestRequest m_latest;
    std::uint64_t m_ticket = 0;
    std::size_t m_done = 0, m_total = 0;
    std::shared_ptr<std::atomic<bool>> m_stop;  ///< the running trial's; read from its thread
    RulesTrial m_trial;
    std::vector<std::vector<std::string>> m_rows;
    std::string m_summary;
};

}  // namespace vesk::review
