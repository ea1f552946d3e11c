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
using compare::PairClass;
using compare::Period;

// Who a line is paired with, as both pairings can be weighed by: its class, and the first line
// and the number of lines of its pair (the lines being the same rows in the same order).
struct Partners {
    PairClass cls;
    std::size_t first, count;
    bool operator==(const Partners&) const = default;
};

std::vector<Partners> partnersOf(const std::vector<ExplainedLine>& lines) {
    std::vector<std::pair<std::size_t, std::size_t>> groups;  // by group number: first line, count
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int g = lines[i].group;
        if (g <= 0) continue;
        if (std::size_t(g) >= groups.size()) groups.resize(std::size_t(g) + 1, {0, 0});
        if (groups[std::size_t(g)].second++ == 0) groups[std::size_t(g)].first = i;
    }
    std::vector<Partners> out;
    out.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int g = lines[i].group;
        // A manual line's group is its hand pair's, and lines without a pair stand alone.
        if (g <= 0 || lines[i].cls == PairClass::Manual)
            out.push_back({lines[i].cls, i, 1});
        else
            out.push_back({lines[i].cls, groups[std::size_t(g)].first, groups[std::size_t(g)].second});
    }
    return out;
}

// A month's weighing, added up over the shares of the offices.
struct MonthSums {
    store::ExactSum beforeDeposits, beforeWithdrawals, afterDeposits, afterWithdrawals;
};

void addUnpaired(const ExplainedLine& line, store::ExactSum& deposits, store::ExactSum& withdrawals) {
    if (line.cls != PairClass::BankOnly && line.cls != PairClass::OrvOnly) return;
    (line.kind == compare::ExplainKind::Deposit ? deposits : withdrawals).add(line.amount);
}

// Each pair with a line that changed, once, by class.
void countPairs(const std::vector<ExplainedLine>& lines, const std::vector<bool>& changed,
                std::map<PairClass, std::size_t>& pairs) {
    std::set<int> counted;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (changed[i] && lines[i].group > 0 && lines[i].cls != PairClass::Manual &&
            counted.insert(lines[i].group).second)
            ++pairs[lines[i].cls];
}

void weigh(const std::vector<ExplainedLine>& before, const std::vector<ExplainedLine>& after, bool withRows,
           MonthTrial& month, MonthSums& sums) {
    if (before.size() != after.size()) throw Error(errc::kInternal, "The rules were weighed on different rows");
    const std::vector<Partners> was = partnersOf(before), is = partnersOf(after);
    std::vector<bool> changed(before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (before[i].id != after[i].id || before[i].side != after[i].side)
            throw Error(errc::kInternal, "The rules were weighed on different rows");
        addUnpaired(before[i], sums.beforeDeposits, sums.beforeWithdrawals);
        addUnpaired(after[i], sums.afterDeposits, sums.afterWithdrawals);
        if (was[i] == is[i]) continue;
        changed[i] = true;
        ++month.rowsChanged;
        if (withRows) month.rows.push_back({before[i], after[i].cls});
    }
    countPairs(before, changed, month.lost);
    countPairs(after, changed, month.gained);
}

std::vector<Period> monthsToWeigh(store::Connection& db, const TrialRequest& request) {
    std::set<int> closed;
    if (request.onlyClosed)
        for (const MonthClose& c : monthCloses(db))
            if (c.inForce()) closed.insert(c.period.index());
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
    const std::vector<Period> months = monthsToWeigh(db, request);
    std::set<int> closed;
    for (const MonthClose& c : monthCloses(db))
        if (c.inForce()) closed.insert(c.period.index());
    trial.months.resize(months.size());
    std::vector<MonthSums> sums(months.size());
    for (std::size_t i = 0; i < months.size(); ++i) {
        trial.months[i].month = months[i];
        trial.months[i].closed = closed.count(months[i].index()) > 0;
    }
    std::vector<std::size_t> sharesDone(months.size(), 0);
    std::size_t calls = 0, shareCount = 0;
    bool stopped = false;
    compare::pairEveryOfficeUnder(db, months, {trial.inForce, proposed},
                                  [&](std::size_t i, std::size_t shares, compare::LinesUnderEach& lines) {
                                      shareCount = shares;
                                      weigh(lines[0], lines[1], request.withRows, trial.months[i], sums[i]);
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
        m.before = {sums[i].beforeDeposits.total(), sums[i].beforeWithdrawals.total()};
        m.after = {sums[i].afterDeposits.total(), sums[i].afterWithdrawals.total()};
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
