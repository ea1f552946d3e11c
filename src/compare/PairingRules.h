#pragma once

#include <array>
#include <string>

#include "compare/Pairing.h"
#include "store/Connection.h"

namespace vesk::compare {

/// The rules a division may set, in the order they are listed.
enum class Rule { TimingDays, CrossMonthEnd, LargestGroup, GroupCandidates, OtherOffice };
inline constexpr std::array<Rule, 5> kRules = {Rule::TimingDays, Rule::CrossMonthEnd, Rule::LargestGroup,
                                               Rule::GroupCandidates, Rule::OtherOffice};

/// The rule as the file stores it ("timing", "cross-month", "group", "candidates", "other-office"):
/// a key that never changes once files hold it, and the name of its command-line option.
const char* ruleKey(Rule rule);

/// Whether the rule is a yes or no (the others are whole numbers).
bool isYesNo(Rule rule);

/// The rule's value as a whole number (a yes or no as 1 or 0), and the rules with it set to one.
long long ruleValue(const PairingRules& rules, Rule rule);
PairingRules withRule(PairingRules rules, Rule rule, long long value);

/// The least and most a rule may be set to.
long long leastValue(Rule rule);
long long mostValue(Rule rule);

/// The rules the file pairs by: each stored one, the default for any not stored (for every one on
/// a file of a layout that keeps none). A stored value outside its rule's bounds, or a rule this
/// build does not name, is the file's damage (store::kStoredValueError).
PairingRules pairingRules(store::Connection& db);

/// Refuses a rule outside its bounds, saying which and what it may be (errc::kUsage).
void checkRules(const PairingRules& rules);

/// Stores every rule within the caller's write transaction. Throws store::kReadOnlyError for a file
/// of a layout that keeps none.
void saveRules(store::Connection& db, const PairingRules& rules);

}  // namespace vesk::compare
