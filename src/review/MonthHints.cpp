#include "review/MonthHints.h"

#include <algorithm>

#include "review/StoredPairing.h"

namespace vesk::review {

namespace {

// The month and those either side: the months whose rows lie within reach of the month's.
std::vector<compare::Period> monthsWithin(compare::Period period) {
    return {shiftedMonth(period, -1), period, shiftedMonth(period, 1)};
}

// The lines of the months within reach that lie within the hints' reach of the month.
compare::HintCandidates candidatesWithin(compare::Period period, PairedMonths months) {
    const long long first = firstDayOf(period) - compare::kHintReachDays;
    const long long last = lastDayOf(period) + compare::kHintReachDays;
    std::vector<compare::ExplainedLine> lines;
    for (compare::Explanation& month : months.months)
        for (compare::ExplainedLine& line : month.lines)
            if (line.day >= first && line.day <= last) lines.push_back(std::move(line));
    return compare::HintCandidates(std::move(lines));
}

}  // namespace

std::optional<compare::HintCandidates> keepHintMonths(store::Connection& db, compare::Period period) {
    PairedMonths months = pairedMonths(db, monthsWithin(period));
    if (months.kept) return std::nullopt;
    return candidatesWithin(period, std::move(months));
}

compare::HintCandidates hintCandidates(store::Connection& db, compare::Period period) {
    return candidatesWithin(period, pairedMonths(db, monthsWithin(period)));
}

compare::Explanation explainWithHints(store::Connection& db, compare::Period period,
                                      const compare::ExplainTarget& target,
                                      std::optional<compare::HintCandidates> candidates) {
    compare::Explanation e = compare::explainMonth(db, period, target);
    if (std::any_of(e.lines.begin(), e.lines.end(),
                    [](const compare::ExplainedLine& l) { return compare::isUnpaired(l.cls); }))
        compare::attachHints(e.lines, candidates ? *candidates : hintCandidates(db, period));
    return e;
}

}  // namespace vesk::review
