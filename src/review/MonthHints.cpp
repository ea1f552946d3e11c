#include "review/MonthHints.h"

#include <algorithm>

#include "review/StoredPairing.h"

namespace vesk::review {

namespace {

compare::Period shifted(compare::Period p, int months) {
    const int index = p.year * 12 + p.month - 1 + months;
    return {index / 12, index % 12 + 1};
}

}  // namespace

compare::HintCandidates hintCandidates(store::Connection& db, compare::Period period) {
    const long long first = daysFromCivil(period.year, period.month, 1) - compare::kHintReachDays;
    const long long last =
        daysFromCivil(period.year, period.month, daysInMonth(period.year, period.month)) + compare::kHintReachDays;
    std::vector<compare::ExplainedLine> lines;
    for (compare::Explanation& month : pairedMonths(db, {shifted(period, -1), period, shifted(period, 1)}).months)
        for (compare::ExplainedLine& line : month.lines)
            if (line.day >= first && line.day <= last) lines.push_back(std::move(line));
    return compare::HintCandidates(std::move(lines));
}

compare::Explanation explainWithHints(store::Connection& db, compare::Period period,
                                      const compare::ExplainTarget& target) {
    compare::Explanation e = compare::explainMonth(db, period, target);
    if (std::any_of(e.lines.begin(), e.lines.end(),
                    [](const compare::ExplainedLine& l) { return compare::isUnpaired(l.cls); }))
        compare::attachHints(e.lines, hintCandidates(db, period));
    return e;
}

}  // namespace vesk::review
