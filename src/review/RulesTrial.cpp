#include "review/RulesTrial.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "compare/CompareWording.h"
#include "core/Error.h"
#include "core/Text.h"
#include "history/ImportHistory.h"
#include "review/MonthClose.h"
#include "review/ReviewWording.h"
#include "review/StoredPairing.h"
#include "store/ExactSum.h"
#include "store/Transaction.h"

namespace vesk::review {

namespace {

using compare::ExplainedLine;
using compare::Period;

// The months whose close stands, by index.
std::set<int> closedMonths(store::Connection& db) {
    std::set<int> closed;
    for (const MonthClose& c : monthCloses(db))
        if (c.inForce()) closed.insert(c.period.index());
    return closed;
}

std::vector<Period> monthsToWeigh(store::Connection& db, const TrialRequest& request, const std::set<int>& closed) {
    std::vector<Period> out;
    for (const Period& p : heldMonths(db)) {
        if (request.from && p.index() < request.from->index()) continue;
        if (request.to && p.index() > request.to->index()) continue;
        if (request.onlyClosed && !closed.count(p.index())) continue;
        out.push_back(p);
    }
    return out;
}

}  // namespace

RulesTrial tryRules(store::Connection& db, const compare::PairingRules& proposed, const TrialRequest& request) {
    compare::checkRules(proposed);
    RulesTrial trial;
    trial.inForce = compare::pairingRules(db);
    trial.proposed = proposed;
    const std::set<int> closed = closedMonths(db);
    const std::vector<Period> months = monthsToWeigh(db, request, closed);
    trial.months.resize(months.size());
    for (std::size_t i = 0; i < months.size(); ++i) {
        trial.months[i].month = months[i];
        trial.months[i].closed = closed.count(months[i].index()) > 0;
    }
    std::vector<std::size_t> sharesDone(months.size(), 0);
    std::vector<std::array<store::ExactSum, 2>> before(months.size()), after(months.size());
    std::size_t calls = 0, shareCount = 0;
    bool stopped = false;
    compare::weighRules(db, months, trial.inForce, proposed, request.withRows,
                        [&](std::size_t i, std::size_t shares, const compare::PairingDifference& d) {
                            shareCount = shares;
                            MonthTrial& m = trial.months[i];
                            for (const auto& [cls, n] : d.gained) m.gained[cls] += n;
                            for (const auto& [cls, n] : d.lost) m.lost[cls] += n;
                            m.rowsChanged += d.rowsChanged;
                            m.rows.insert(m.rows.end(), d.rows.begin(), d.rows.end());
                            for (std::size_t k = 0; k < 2; ++k) {
                                before[i][k].add(d.unpairedBefore[k].total());
                                after[i][k].add(d.unpairedAfter[k].total());
                            }
                            ++sharesDone[i];
                            if (request.progress) request.progress(++calls / shares, months.size());
                            stopped = request.stop && request.stop();
                            return !stopped;
                        });
    // Stopped, the trial keeps the months every share had weighed: those before the first that
    // some share had not reached.
    std::size_t whole = 0;
    while (whole < months.size() && (!stopped || sharesDone[whole] == shareCount)) ++whole;
    trial.stopped = whole < months.size();
    trial.months.resize(whole);
    for (std::size_t i = 0; i < whole; ++i) {
        MonthTrial& m = trial.months[i];
        m.before = {before[i][0].total(), before[i][1].total()};
        m.after = {after[i][0].total(), after[i][1].total()};
        std::sort(m.rows.begin(), m.rows.end(), [](const ChangedRow& a, const ChangedRow& b) {
            const ExplainedLine &x = a.before, &y = b.before;
            return std::make_tuple(upper(x.office), x.office, x.kind, x.day, x.side, x.id) <
                   std::make_tuple(upper(y.office), y.office, y.kind, y.day, y.side, y.id);
        });
    }
    return trial;
}

std::vector<Period> closedMonthsChanged(const RulesTrial& trial) {
    std::vector<Period> out;
    for (const MonthTrial& m : trial.months)
        if (m.closed && m.changes()) out.push_back(m.month);
    return out;
}

bool setPairingRules(store::Connection& db, const compare::PairingRules& rules, const std::vector<Period>& reopen,
                     const std::string& who, const Clock& now) {
    compare::checkRules(rules);
    store::Transaction tx = db.begin();
    const compare::PairingRules before = compare::pairingRules(db);
    if (before == rules) return false;
    const DateTime when = now();
    TrialRequest closedOnly;
    closedOnly.onlyClosed = true;
    for (const Period& month : closedMonthsChanged(tryRules(db, rules, closedOnly)))
        if (std::find(reopen.begin(), reopen.end(), month) == reopen.end()) throw closedMeanwhileError(month);
    for (const Period& month : reopen) reopenMonthWithin(db, month, who, when);
    compare::saveRules(db, rules);
    history::Change change;
    change.action = history::Action::PairingRulesChanged;
    change.by = who;
    change.rules = compare::rulesChangeText(before, rules);
    history::recordChange(db, change, when);
    tx.commit();
    return true;
}

std::optional<RulesSetting> lastRulesSetting(store::Connection& db) {
    for (const history::Record& r : history::records(db, history::Form::Pairs))
        if (r.action == history::Action::PairingRulesChanged) return RulesSetting{r.by, r.when};
    return std::nullopt;
}

}  // namespace vesk::review
