#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "compare/Explanation.h"
#include "compare/PairingRules.h"
#include "core/DateTime.h"
#include "store/Connection.h"

namespace vesk::review {

/// A row whose pairing the proposed rules change: its line under the rules in force, and its
/// class under the proposed ones.
using ChangedRow = compare::ChangedLine;

/// The amounts left on one side only (VESK rows and ORV entries together), by kind.
struct UnpairedSums {
    double deposits = 0;     ///< deposits and receipts
    double withdrawals = 0;  ///< withdrawals and payments
};

/// What the proposed rules change in one month's pairing, against the rules in force.
struct MonthTrial {
    compare::Period month;
    std::map<compare::PairClass, std::size_t> gained;  ///< pairs the proposed rules make, by class
    std::map<compare::PairClass, std::size_t> lost;    ///< pairs of the rules in force they undo, by class
    std::size_t rowsChanged = 0;                       ///< rows whose class or partners change
    UnpairedSums before, after;
    bool closed = false;           ///< a close of the month stands
    std::vector<ChangedRow> rows;  ///< when asked for: each changed row, in listing order

    bool changes() const { return rowsChanged > 0; }
};

/// The proposed rules weighed against those in force over months, month by month.
struct RulesTrial {
    compare::PairingRules inForce, proposed;
    std::vector<MonthTrial> months;
    bool stopped = false;  ///< stopped before every month was weighed: the months are those done
};

/// Which months to weigh and how.
struct TrialRequest {
    std::optional<compare::Period> from, to;  ///< none: from the first month held, to the last
    bool onlyClosed = false;                  ///< only the months whose close stands
    bool withRows = false;                    ///< keep each changed row
    /// Told how many of the months are done, from any thread, one call at a time.
    std::function<void(std::size_t done, std::size_t total)> progress;
    /// Asked between months, from any thread: true stops the trial.
    std::function<bool()> stop;
};

/// Pairs the months held within the request's span under the rules in force and under the
/// proposed ones, every office of the master, each month's rows read once, and says what
/// changes. Writes nothing. Throws Error (usage) for rules out of bounds.
RulesTrial tryRules(store::Connection& db, const compare::PairingRules& proposed, const TrialRequest& request);

/// The months of the trial whose close stands and whose pairing it changes.
std::vector<compare::Period> closedMonthsChanged(const RulesTrial& trial);

/// Sets the rules, with a record in the history of each rule before and after and who set it, in
/// one write transaction that also reopens the months in `reopen`. A month whose close stands and
/// whose pairing the rules change, found again within the transaction, refuses the change unless
/// it is in `reopen` (closedMeanwhileError: closed since the person was asked). False, nothing
/// written, when the rules are those in force. Throws Error (usage) for rules out of bounds,
/// store::kReadOnlyError for a file that keeps none.
bool setPairingRules(store::Connection& db, const compare::PairingRules& rules,
                     const std::vector<compare::Period>& reopen, const std::string& who, const Clock& now = localNow);

/// Who set the rules in force last, and when; none while they are the defaults never set.
struct RulesSetting {
    std::string by;
    DateTime when;
};
std::optional<RulesSetting> lastRulesSetting(store::Connection& db);

}  // namespace vesk::review
