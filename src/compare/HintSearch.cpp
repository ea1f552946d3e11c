#include "compare/HintSearch.h"

#include <algorithm>
#include <cstdlib>

#include "core/Amount.h"
#include "core/Text.h"

namespace vesk::compare {

namespace {

notes::Side otherSide(notes::Side side) { return side == notes::Side::Bank ? notes::Side::Orv : notes::Side::Bank; }

HintRow rowOf(const ExplainedLine& line) { return {line.side, line.id, line.day, line.office, line.amount}; }

Hint hintOf(HintKind kind, const ExplainedLine& counterpart) {
    Hint h;
    h.kind = kind;
    h.counterpart = rowOf(counterpart);
    return h;
}

// The digits of an amount written with two decimals, in order of their value.
std::string sortedDigits(double amount) {
    std::string digits;
    for (char c : formatAmount(amount < 0 ? -amount : amount))
        if (c >= '0' && c <= '9') digits += c;
    std::sort(digits.begin(), digits.end());
    return digits;
}

// Whether the larger amount is 10, 100 or 1,000 times the smaller, within the tolerance.
bool shiftedPoint(std::int64_t a, std::int64_t b) {
    const std::int64_t large = std::max(std::llabs(a), std::llabs(b)), small = std::min(std::llabs(a), std::llabs(b));
    for (std::int64_t times : {10, 100, 1000})
        if (small <= (std::int64_t(1) << 52) / times && amountsEqual(large, small * times)) return true;
    return false;
}

}  // namespace

HintCandidates::HintCandidates(std::vector<ExplainedLine> exceptions) : m_lines(std::move(exceptions)) {
    std::erase_if(m_lines, [](const ExplainedLine& l) { return !isUnpaired(l.cls); });
    m_units.reserve(m_lines.size());
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const ExplainedLine& l = m_lines[i];
        m_units.push_back(amountUnits(l.amount));
        m_byAmount[{l.side, l.kind}].push_back(i);
        m_byDate[{l.side, l.office, l.kind, l.day}].push_back(i);
    }
    for (auto& [key, indices] : m_byAmount)
        std::sort(indices.begin(), indices.end(),
                  [&](std::size_t a, std::size_t b) { return m_units[a] < m_units[b]; });
    // Lowest ID first, the order the same-date searches take.
    for (auto& [key, indices] : m_byDate)
        std::sort(indices.begin(), indices.end(),
                  [&](std::size_t a, std::size_t b) { return m_lines[a].id < m_lines[b].id; });
}

HintCandidates::Indices HintCandidates::sameDate(const ExplainedLine& line) const {
    const auto it = m_byDate.find({otherSide(line.side), line.office, line.kind, line.day});
    return it == m_byDate.end() ? Indices{} : it->second;
}

Hint HintCandidates::hintFor(const ExplainedLine& line) const {
    if (!isUnpaired(line.cls)) return {};
    if (line.twin) {
        Hint h;
        h.kind = HintKind::BookedTwice;
        h.counterpart = HintRow{line.side, line.twin->id, line.day, line.office, line.twin->amount};
        return h;
    }
    for (auto search : {&HintCandidates::lateOrEarly, &HintCandidates::anotherOffice})
        if (Hint h = (this->*search)(line); h.kind != HintKind::None) return h;
    const Indices date = sameDate(line);
    for (auto search : {&HintCandidates::digitsSwapped, &HintCandidates::decimalPoint, &HintCandidates::severalSets,
                        &HintCandidates::amountDiffers})
        if (Hint h = (this->*search)(line, date); h.kind != HintKind::None) return h;
    return {};
}

std::pair<HintCandidates::Indices::const_iterator, HintCandidates::Indices::const_iterator>
HintCandidates::equalAmounts(const ExplainedLine& line) const {
    static const Indices kNone;
    const auto it = m_byAmount.find({otherSide(line.side), line.kind});
    if (it == m_byAmount.end()) return {kNone.end(), kNone.end()};
    const Indices& list = it->second;
    const std::int64_t units = amountUnits(line.amount);
    const auto below = [&](std::size_t i, std::int64_t u) { return m_units[i] < u; };
    const auto above = [&](std::int64_t u, std::size_t i) { return u < m_units[i]; };
    return {std::lower_bound(list.begin(), list.end(), units - kToleranceUnits, below),
            std::upper_bound(list.begin(), list.end(), units + kToleranceUnits, above)};
}

Hint HintCandidates::lateOrEarly(const ExplainedLine& line) const {
    const auto [from, to] = equalAmounts(line);
    const ExplainedLine* best = nullptr;
    const auto key = [&](const ExplainedLine& c) { return std::make_tuple(std::llabs(c.day - line.day), c.day, c.id); };
    for (auto at = from; at != to; ++at) {
        const ExplainedLine& c = m_lines[*at];
        const long long gap = std::llabs(c.day - line.day);
        if (c.office != line.office || gap < kNearestLateDays || gap > kFarthestLateDays) continue;
        if (!best || key(c) < key(*best)) best = &c;
    }
    if (!best) return {};
    Hint h = hintOf(HintKind::LateOrEarly, *best);
    h.days = best->day - line.day;
    return h;
}

Hint HintCandidates::anotherOffice(const ExplainedLine& line) const {
    const auto [from, to] = equalAmounts(line);
    const ExplainedLine* best = nullptr;
    const auto key = [&](const ExplainedLine& c) {
        return std::make_tuple(std::llabs(c.day - line.day), upper(c.office), c.office, c.id);
    };
    for (auto at = from; at != to; ++at) {
        const ExplainedLine& c = m_lines[*at];
        if (c.office == line.office || std::llabs(c.day - line.day) > kFarthestOfficeDays) continue;
        if (!best || key(c) < key(*best)) best = &c;
    }
    if (!best) return {};
    Hint h = hintOf(HintKind::AnotherOffice, *best);
    h.days = best->day - line.day;
    return h;
}

Hint HintCandidates::digitsSwapped(const ExplainedLine& line, const Indices& date) const {
    const std::int64_t units = amountUnits(line.amount);
    const std::string digits = sortedDigits(line.amount);
    for (std::size_t i : date) {
        const ExplainedLine& c = m_lines[i];
        if ((c.amount < 0) != (line.amount < 0) || amountsEqual(m_units[i], units)) continue;
        if (sortedDigits(c.amount) == digits) return hintOf(HintKind::DigitsSwapped, c);
    }
    return {};
}

Hint HintCandidates::decimalPoint(const ExplainedLine& line, const Indices& date) const {
    const std::int64_t units = amountUnits(line.amount);
    for (std::size_t i : date)
        if (!amountsEqual(m_units[i], units) && shiftedPoint(m_units[i], units))
            return hintOf(HintKind::DecimalPoint, m_lines[i]);
    return {};
}

Hint HintCandidates::severalSets(const ExplainedLine& line, const Indices& date) const {
    if (date.size() < 2) return {};
    Indices byAmount = date;
    std::sort(byAmount.begin(), byAmount.end(), [&](std::size_t a, std::size_t b) { return m_units[a] < m_units[b]; });
    // With no negative amounts, a set already past the amount only grows: it is left there.
    const bool prune = m_units[byAmount.front()] >= 0;
    const std::int64_t target = amountUnits(line.amount);
    std::vector<std::vector<std::size_t>> sets;
    Indices chosen;
    const auto search = [&](auto& self, std::size_t from, std::int64_t sum) -> void {
        if (chosen.size() >= 2 && amountsEqual(sum, target)) sets.push_back(chosen);
        if (chosen.size() == 4) return;
        for (std::size_t k = from; k < byAmount.size(); ++k) {
            const std::int64_t next = sum + m_units[byAmount[k]];
            if (prune && next > target + kToleranceUnits) break;
            chosen.push_back(byAmount[k]);
            self(self, k + 1, next);
            chosen.pop_back();
        }
    };
    search(search, 0, 0);
    if (sets.size() < 2) return {};
    for (std::vector<std::size_t>& set : sets)
        std::sort(set.begin(), set.end(), [&](std::size_t a, std::size_t b) { return m_lines[a].id < m_lines[b].id; });
    const auto ids = [&](const std::vector<std::size_t>& set) {
        std::vector<std::string> out;
        for (std::size_t i : set) out.push_back(m_lines[i].id);
        return out;
    };
    std::sort(sets.begin(), sets.end(), [&](const auto& a, const auto& b) { return ids(a) < ids(b); });
    Hint h;
    h.kind = HintKind::SeveralSets;
    h.setCount = sets.size();
    for (std::size_t s = 0; s < 2; ++s) {
        std::vector<HintRow> rows;
        for (std::size_t i : sets[s]) rows.push_back(rowOf(m_lines[i]));
        h.sets.push_back(std::move(rows));
    }
    return h;
}

Hint HintCandidates::amountDiffers(const ExplainedLine& line, const Indices& date) const {
    if (line.cls != PairClass::AmountDiffers) return {};
    for (std::size_t i : date)
        if (m_lines[i].cls == PairClass::AmountDiffers) {
            Hint h = hintOf(HintKind::AmountDiffers, m_lines[i]);
            h.gap = double(m_units[i] - amountUnits(line.amount)) / 10000.0;
            return h;
        }
    return {};
}

void attachHints(std::vector<ExplainedLine>& lines, const HintCandidates& candidates) {
    for (ExplainedLine& line : lines) line.hint = candidates.hintFor(line);
}

}  // namespace vesk::compare
