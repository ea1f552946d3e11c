#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Amount.h"

namespace vesk::compare {

/// Why a bank row or an ORV entry pairs, or does not. Manual: the person paired it by hand.
enum class PairClass { Matched, Group, Timing, AmountDiffers, BankOnly, OrvOnly, Manual };

/// The classes of what the rules leave unpaired, or pair although the amounts differ:
/// bank-only, orv-only and amount-differs.
bool isUnpaired(PairClass c);

/// The key a class is stored by, never reworded (stored pairings and closes' digests hold it):
/// "matched", "group", "timing", "amount-differs", "bank-only", "orv-only", "manual".
const char* pairClassKey(PairClass c);

using vesk::amountsEqual;
using vesk::amountUnits;

/// One bank row or ORV entry of one office and one kind, as the pairing sees it.
struct PairEntry {
    std::string id;
    long long day = 0;       ///< days since 1970-01-01
    std::int64_t units = 0;  ///< the amount in ten-thousandths
};

/// What the pairing found for one entry.
struct PairOutcome {
    PairClass cls = PairClass::BankOnly;
    int pair = -1;           ///< shared by the entries paired together; -1 for none
    long long otherDay = 0;  ///< the counterpart's day of a timing pair
};

struct PairingResult {
    std::vector<PairOutcome> bank;  ///< one per bank entry, in the order given
    std::vector<PairOutcome> orv;   ///< one per ORV entry, in the order given
    int pairs = 0;                  ///< pair numbers run from 0 to pairs - 1
};

/// Limits of the group search: the largest group, and the most unpaired entries of one
/// date the search looks through.
inline constexpr int kLargestGroup = 4;
inline constexpr std::size_t kGroupCandidates = 20;
/// The widest gap in days between a bank row and its ORV entry that still counts as timing.
inline constexpr long long kTimingDays = 3;

/// Pairs an office's bank rows of one kind with its ORV entries of the same kind, by the
/// rules in turn: same date one to one, same date groups, timing, a lone pair of a date
/// whose amounts differ, the rest on one side only. firstDay..lastDay is the month; only
/// a timing pair with one end in it, and a lone pair of a date in it, are made. Entries
/// outside the month's window (3 days each side) must not be given.
PairingResult pairEntries(const std::vector<PairEntry>& bank, const std::vector<PairEntry>& orv, long long firstDay,
                          long long lastDay);

}  // namespace vesk::compare
