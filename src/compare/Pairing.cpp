#include "compare/Pairing.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "compare/Amounts.h"

namespace vesk::compare {

namespace {

// The state of one side during the pairing.
struct Side {
    const std::vector<PairEntry>& entries;
    std::vector<PairOutcome>& outcomes;
    std::vector<bool> paired;

    Side(const std::vector<PairEntry>& e, std::vector<PairOutcome>& o) : entries(e), outcomes(o), paired(e.size()) {
        outcomes.assign(e.size(), PairOutcome{});
    }
};

class Pairer {
  public:
    Pairer(const std::vector<PairEntry>& bank, const std::vector<PairEntry>& orv, long long firstDay, long long lastDay,
           const PairingRules& rules, PairingResult& result)
        : m_bank(bank, result.bank),
          m_orv(orv, result.orv),
          m_first(firstDay),
          m_last(lastDay),
          m_rules(rules),
          m_result(result) {
        for (std::size_t i = 0; i < bank.size(); ++i) m_days[bank[i].day].first.push_back(i);
        for (std::size_t i = 0; i < orv.size(); ++i) m_days[orv[i].day].second.push_back(i);
        for (auto& [day, lists] : m_days) {
            sortByAmount(m_bank, lists.first);
            sortByAmount(m_orv, lists.second);
        }
    }

    void run() {
        for (auto& [day, lists] : m_days) sameDateOneToOne(lists.first, lists.second);
        if (m_rules.largestGroup >= 2)
            for (auto& [day, lists] : m_days) {
                groups(m_orv, lists.second, m_bank, lists.first, PairClass::Group);
                groups(m_bank, lists.first, m_orv, lists.second, PairClass::Group);
            }
        if (m_rules.timingDays > 0) timing();
        for (auto& [day, lists] : m_days)
            if (inMonth(day)) lonePair(lists.first, lists.second);
        for (std::size_t i = 0; i < m_bank.entries.size(); ++i)
            if (!m_bank.paired[i]) m_bank.outcomes[i].cls = PairClass::BankOnly;
        for (std::size_t i = 0; i < m_orv.entries.size(); ++i)
            if (!m_orv.paired[i]) m_orv.outcomes[i].cls = PairClass::OrvOnly;
    }

  private:
    using Indices = std::vector<std::size_t>;

    static void sortByAmount(const Side& side, Indices& indices) {
        std::sort(indices.begin(), indices.end(), [&](std::size_t a, std::size_t b) {
            const PairEntry& x = side.entries[a];
            const PairEntry& y = side.entries[b];
            return std::tie(x.units, x.id, a) < std::tie(y.units, y.id, b);
        });
    }

    bool inMonth(long long day) const { return day >= m_first && day <= m_last; }

    int newPair() { return m_result.pairs++; }

    static void mark(Side& side, std::size_t i, PairClass cls, int pair, long long otherDay = 0) {
        side.paired[i] = true;
        side.outcomes[i] = PairOutcome{cls, pair, otherDay};
    }

    static Indices unpaired(const Side& side, const Indices& indices) {
        Indices out;
        for (std::size_t i : indices)
            if (!side.paired[i]) out.push_back(i);
        return out;
    }

    // Each bank row, smallest amount first, takes the first free entry of the date whose
    // amount is equal. Both lists are sorted by amount, so entries too small for this row
    // are too small for every later one.
    void sameDateOneToOne(const Indices& bank, const Indices& orv) {
        std::size_t low = 0;
        for (std::size_t b : bank) {
            const std::int64_t units = m_bank.entries[b].units;
            while (low < orv.size() && m_orv.entries[orv[low]].units < units - kToleranceUnits) ++low;
            for (std::size_t k = low; k < orv.size(); ++k) {
                const std::size_t o = orv[k];
                if (m_orv.entries[o].units > units + kToleranceUnits) break;
                if (m_orv.paired[o]) continue;
                const int pair = newPair();
                mark(m_bank, b, PairClass::Matched, pair);
                mark(m_orv, o, PairClass::Matched, pair);
                break;
            }
        }
    }

    // Counts the sets of 2 to the largest group of candidates whose amounts sum to the target,
    // up to two; the first one found is kept in `found`. The candidates come smallest first, so
    // when none is below zero a sum past the target only grows: the rest of that branch is left.
    int countSets(const Side& side, const Indices& candidates, std::int64_t target, Indices& found) const {
        int count = 0;
        Indices chosen;
        const bool growing = candidates.empty() || side.entries[candidates.front()].units >= 0;
        const std::size_t largest = std::size_t(m_rules.largestGroup);
        auto search = [&](auto& self, std::size_t from, std::int64_t sum) -> void {
            if (count > 1) return;
            if (chosen.size() >= 2 && amountsEqual(sum, target)) {
                if (count++ == 0) found = chosen;
            }
            if (chosen.size() == largest) return;
            for (std::size_t k = from; k < candidates.size() && count <= 1; ++k) {
                if (growing && sum + side.entries[candidates[k]].units > target + kToleranceUnits) break;
                chosen.push_back(candidates[k]);
                self(self, k + 1, sum + side.entries[candidates[k]].units);
                chosen.pop_back();
            }
        };
        search(search, 0, 0);
        return count;
    }

    // Each free entry of `single` whose amount is the sum of exactly one set of free
    // entries of `many` on the same date pairs with that set.
    void groups(Side& single, const Indices& singles, Side& many, const Indices& manies, PairClass cls) {
        if (unpaired(many, manies).size() > m_rules.groupCandidates) return;
        for (std::size_t s : singles) {
            if (single.paired[s]) continue;
            const Indices candidates = unpaired(many, manies);
            if (candidates.size() < 2) return;
            Indices found;
            if (countSets(many, candidates, single.entries[s].units, found) != 1) continue;
            const int pair = newPair();
            mark(single, s, cls, pair);
            for (std::size_t m : found) mark(many, m, cls, pair);
        }
    }

    // Free entries of equal amount 1 to the rules' days apart, one of them in the month (both,
    // unless a pair may cross the month's end): nearest first, then the earlier bank date, the
    // lower bank id, the lower ORV id.
    void timing() {
        Indices orv;
        for (std::size_t o = 0; o < m_orv.entries.size(); ++o)
            if (!m_orv.paired[o]) orv.push_back(o);
        sortByAmount(m_orv, orv);
        struct Candidate {
            long long gap;
            std::size_t bank;
            std::size_t orv;
        };
        std::vector<Candidate> candidates;
        for (std::size_t b = 0; b < m_bank.entries.size(); ++b) {
            if (m_bank.paired[b]) continue;
            const PairEntry& row = m_bank.entries[b];
            auto low = std::lower_bound(orv.begin(), orv.end(), row.units - kToleranceUnits,
                                        [&](std::size_t o, std::int64_t u) { return m_orv.entries[o].units < u; });
            for (auto it = low; it != orv.end() && m_orv.entries[*it].units <= row.units + kToleranceUnits; ++it) {
                const PairEntry& entry = m_orv.entries[*it];
                const long long gap = std::llabs(entry.day - row.day);
                if (gap < 1 || gap > m_rules.timingDays) continue;
                if (m_rules.crossMonthEnd ? !(inMonth(row.day) || inMonth(entry.day))
                                          : !(inMonth(row.day) && inMonth(entry.day)))
                    continue;
                candidates.push_back({gap, b, *it});
            }
        }
        std::sort(candidates.begin(), candidates.end(), [&](const Candidate& x, const Candidate& y) {
            const PairEntry& xb = m_bank.entries[x.bank];
            const PairEntry& yb = m_bank.entries[y.bank];
            const PairEntry& xo = m_orv.entries[x.orv];
            const PairEntry& yo = m_orv.entries[y.orv];
            return std::tie(x.gap, xb.day, xb.id, xo.id, x.bank, x.orv) <
                   std::tie(y.gap, yb.day, yb.id, yo.id, y.bank, y.orv);
        });
        for (const Candidate& c : candidates) {
            if (m_bank.paired[c.bank] || m_orv.paired[c.orv]) continue;
            const int pair = newPair();
            mark(m_bank, c.bank, PairClass::Timing, pair, m_orv.entries[c.orv].day);
            mark(m_orv, c.orv, PairClass::Timing, pair, m_bank.entries[c.bank].day);
        }
    }

    // A date left with one bank row and one entry: the same money, keyed differently.
    void lonePair(const Indices& bank, const Indices& orv) {
        const Indices b = unpaired(m_bank, bank);
        const Indices o = unpaired(m_orv, orv);
        if (b.size() != 1 || o.size() != 1) return;
        const int pair = newPair();
        mark(m_bank, b.front(), PairClass::AmountDiffers, pair);
        mark(m_orv, o.front(), PairClass::AmountDiffers, pair);
    }

    Side m_bank;
    Side m_orv;
    long long m_first;
    long long m_last;
    const PairingRules& m_rules;
    PairingResult& m_result;
    std::map<long long, std::pair<Indices, Indices>> m_days;  // bank and ORV entries of each date
};

}  // namespace

bool isUnpaired(PairClass c) {
    return c == PairClass::BankOnly || c == PairClass::OrvOnly || c == PairClass::AmountDiffers;
}

const char* pairClassKey(PairClass c) {
    switch (c) {
        case PairClass::Matched:
            return "matched";
        case PairClass::Group:
            return "group";
        case PairClass::Timing:
            return "timing";
        case PairClass::AmountDiffers:
            return "amount-differs";
        case PairClass::BankOnly:
            return "bank-only";
        case PairClass::OrvOnly:
            return "orv-only";
        case PairClass::Manual:
            return "manual";
        case PairClass::OtherOffice:
            return "other-office";
    }
    return "";
}

PairingResult pairEntries(const std::vector<PairEntry>& bank, const std::vector<PairEntry>& orv, long long firstDay,
                          long long lastDay, const PairingRules& rules) {
    PairingResult result;
    Pairer(bank, orv, firstDay, lastDay, rules, result).run();
    return result;
}

}  // namespace vesk::compare
