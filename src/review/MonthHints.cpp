#include "review/MonthHints.h"

#include <algorithm>

#include "office/Offices.h"
#include "review/StoredPairing.h"
#include "store/ConcurrentRead.h"

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

std::optional<compare::HintCandidates> keepHintMonths(store::Connection& db, compare::Period period,
                                                      const std::function<void()>& beforePairing) {
    PairedMonths months = pairedMonths(db, monthsWithin(period), beforePairing);
    if (months.kept) return std::nullopt;
    return candidatesWithin(period, std::move(months));
}

compare::HintCandidates hintCandidates(store::Connection& db, compare::Period period) {
    return candidatesWithin(period, pairedMonths(db, monthsWithin(period)));
}

namespace {

void attachMonthHints(store::Connection& db, compare::Period period, std::vector<compare::ExplainedLine>& lines,
                      const std::optional<compare::HintCandidates>& candidates) {
    if (std::any_of(lines.begin(), lines.end(),
                    [](const compare::ExplainedLine& l) { return compare::isUnpaired(l.cls); }))
        compare::attachHints(lines, candidates ? *candidates : hintCandidates(db, period));
}

}  // namespace

compare::Explanation explainWithHints(store::Connection& db, compare::Period period,
                                      const compare::ExplainTarget& target,
                                      std::optional<compare::HintCandidates> candidates) {
    compare::Explanation e = compare::explainMonth(db, period, target);
    attachMonthHints(db, period, e.lines, candidates);
    return e;
}

PreparedExplanation prepareExplanation(store::Connection& db, compare::Period period,
                                       const compare::ExplainTarget& target) {
    PreparedExplanation out;
    std::optional<store::ConcurrentRead> comparing;
    // The comparison reads one month on one core while the hints pair three on every core: on
    // a connection of its own it takes the time they leave idle.
    const auto compareBeside = [&] {
        comparing.emplace(db, [&out, period](store::Connection& on) {
            const RowsMark before = rowsMark(on);
            out.scope = compare::comparisonScope(on);
            std::vector<std::string> offices = compare::compareMonth(on, period, out.scope).officeNames();
            out.rows = rowsMark(on);
            // Rows moved under a comparison read outside a transaction: it counts for nothing.
            if (out.rows == before) out.differing = std::move(offices);
        });
    };
    out.candidates = keepHintMonths(db, period, target.office ? std::function<void()>() : compareBeside);
    if (comparing) comparing->wait();
    return out;
}

compare::Explanation explainPrepared(store::Connection& db, compare::Period period,
                                     const compare::ExplainTarget& target, PreparedExplanation prepared) {
    const bool comparedStands = prepared.differing && !target.office && rowsMark(db) == prepared.rows &&
                                compare::comparisonScope(db) == prepared.scope;
    if (!comparedStands) return explainWithHints(db, period, target, std::move(prepared.candidates));
    compare::Explanation e = compare::explainOffices(db, period, *prepared.differing);
    attachMonthHints(db, period, e.lines, prepared.candidates);
    return e;
}

std::optional<compare::OfficeListsMonth> officeListsMonth(store::Connection& db, compare::Period period,
                                                          const std::string& choice) {
    const std::optional<compare::HintCandidates> paired = keepHintMonths(db, period);
    const store::Transaction snapshot = db.beginRead();
    const compare::ComparedMonth compared = compare::compareInScope(db, period);
    const std::vector<std::string> list = compare::officeList(compared.result);
    const std::optional<std::size_t> entry = compare::findInOfficeList(list, choice);
    if (!entry) return std::nullopt;
    compare::OfficeListsMonth m;
    m.context = compare::exportContext(period, compared.scope.configuredOffice);
    m.division = office::divisionOffice(db);
    m.offices = compare::officesOf(list, *entry);
    m.dates = compare::differingDates(db, period, m.offices);
    // Every office explained at once, as explain All explains them.
    compare::Explanation e = compare::explainOffices(db, period, m.offices);
    m.context.rules = e.rules;
    attachMonthHints(db, period, e.lines, paired);
    m.lines = compare::listedLines(e.lines, false);
    return m;
}

}  // namespace vesk::review
