#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Amount.h"

namespace vesk::compare {

/// Why a bank row or an ORV entry pairs, or does not. Manual: the person paired it by hand.
/// OtherOffice: booked under another office of the same head office, same date and amount
/// (only when the division's rules pair those).
enum class PairClass { Matched, Group, Timing, AmountDiffers, BankOnly, OrvOnly, Manual, OtherOffice };

/// The classes of what the rules leave unpaired, or pair although the amounts differ:
/// bank-only, orv-only and amount-differs.
bool isUnpaired(PairClass c);

/// The key a class is stored by, never reworded (stored pairings and closes' digests hold it):
/// "matched", "group", "timing", "amount-differs", "bank-only", "orv-only", "manual", "other-office".
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

/// The rules' defaults, what every file pairs by until its division sets others: the largest
/// group, the most unpaired entries of one date the group search looks through, and the widest
/// gap in days between a bank row and its ORV entry that still counts as timing.
inline constexpr int kLargestGroup = 4;
inline constexpr std::size_t kGroupCandidates = 20;
inline constexpr long long kTimingDays = 3;

/// The bounds a division may set them within. A group search looks through every set of up to
/// the largest group among the candidates: 40 candidates in groups of 6 are millions of sets
/// for each entry of such a date.
inline constexpr long long kMostTimingDays = 10;
inline constexpr int kMostLargestGroup = 6;
inline constexpr std::size_t kFewestGroupCandidates = 2;
inline constexpr std::size_t kMostGroupCandidates = 40;

/// The rules the division sets; the same-date one-to-one pairing is not among them.
struct PairingRules {
    long long timingDays = kTimingDays;              ///< 0: no timing pairs
    bool crossMonthEnd = true;                       ///< a timing pair may have one end outside the month
    int largestGroup = kLargestGroup;                ///< 1: no groups
    std::size_t groupCandidates = kGroupCandidates;  ///< a date with more free entries gets no groups
    bool otherOffice = false;  ///< pair an entry of another office of the same head office (see PairClass)

    /// The days either side of the month whose rows a month's pairing reads.
    long long windowDays() const { return crossMonthEnd ? timingDays : 0; }
    bool operator==(const PairingRules&) const = default;
};

/// Pairs an office's bank rows of one kind with its ORV entries of the same kind, by the
/// rules in turn: same date one to one, same date groups, timing, a lone pair of a date
/// whose amounts differ, the rest on one side only. firstDay..lastDay is the month; only
/// a timing pair with one end in it (both, unless the rules let it cross the month's end),
/// and a lone pair of a date in it, are made. Entries outside the month's window
/// (rules.windowDays() each side) must not be given.
PairingResult pairEntries(const std::vector<PairEntry>& bank, const std::vector<PairEntry>& orv, long long firstDay,
                          long long lastDay, const PairingRules& rules = {});

}  // namespace vesk::compare
