#include "compare/PairingRules.h"

#include <algorithm>

#include "compare/CompareStatements.h"
#include "compare/CompareWording.h"
#include "core/Error.h"
#include "core/Text.h"
#include "store/Schema.h"
#include "store/StoredRows.h"

namespace vesk::compare {

const char* ruleKey(Rule rule) {
    switch (rule) {
        case Rule::TimingDays:
            return "timing";
        case Rule::CrossMonthEnd:
            return "cross-month";
        case Rule::LargestGroup:
            return "group";
        case Rule::GroupCandidates:
            return "candidates";
        case Rule::OtherOffice:
            return "other-office";
    }
    return "";
}

bool isYesNo(Rule rule) { return rule == Rule::CrossMonthEnd || rule == Rule::OtherOffice; }

long long ruleValue(const PairingRules& rules, Rule rule) {
    switch (rule) {
        case Rule::TimingDays:
            return rules.timingDays;
        case Rule::CrossMonthEnd:
            return rules.crossMonthEnd ? 1 : 0;
        case Rule::LargestGroup:
            return rules.largestGroup;
        case Rule::GroupCandidates:
            return static_cast<long long>(rules.groupCandidates);
        case Rule::OtherOffice:
            return rules.otherOffice ? 1 : 0;
    }
    return 0;
}

PairingRules withRule(PairingRules rules, Rule rule, long long value) {
    switch (rule) {
        case Rule::TimingDays:
            rules.timingDays = value;
            break;
        case Rule::CrossMonthEnd:
            rules.crossMonthEnd = value != 0;
            break;
        case Rule::LargestGroup:
            rules.largestGroup = static_cast<int>(std::clamp<long long>(value, -1, 1000));
            break;
        case Rule::GroupCandidates:
            rules.groupCandidates = static_cast<std::size_t>(std::clamp<long long>(value, 0, 1000));
            break;
        case Rule::OtherOffice:
            rules.otherOffice = value != 0;
            break;
    }
    return rules;
}

long long leastValue(Rule rule) {
    switch (rule) {
        case Rule::LargestGroup:
            return 1;
        case Rule::GroupCandidates:
            return static_cast<long long>(kFewestGroupCandidates);
        default:
            return 0;
    }
}

long long mostValue(Rule rule) {
    switch (rule) {
        case Rule::TimingDays:
            return kMostTimingDays;
        case Rule::LargestGroup:
            return kMostLargestGroup;
        case Rule::GroupCandidates:
            return static_cast<long long>(kMostGroupCandidates);
        default:
            return 1;
    }
}

PairingRules pairingRules(store::Connection& db) {
    PairingRules rules;
    if (db.layoutVersion() < store::kPairingRulesLayout) return rules;
    const store::StoredRows rs(db, kPairingRulesTable, db.query(pairingRulesStatement()));
    const std::size_t key = rs.column("rule"), value = rs.column("value");
    for (std::size_t r = 0; r < rs.size(); ++r) {
        const Rule rule = rs.named<Rule>(r, key, [](const std::string& text) -> std::optional<Rule> {
            for (Rule known : kRules)
                if (equalsNoCase(text, ruleKey(known))) return known;
            return std::nullopt;
        });
        const std::int64_t v = rs.integer(r, value);
        if (v < leastValue(rule) || v > mostValue(rule)) rs.fault(r, value);
        rules = withRule(rules, rule, v);
    }
    return rules;
}

void checkRules(const PairingRules& rules) {
    for (Rule rule : kRules) {
        const long long v = ruleValue(rules, rule);
        if (v < leastValue(rule) || v > mostValue(rule)) throw Error(errc::kUsage, ruleOutOfBoundsText(rule, v));
    }
}

void saveRules(store::Connection& db, const PairingRules& rules) {
    if (db.layoutVersion() < store::kPairingRulesLayout) throw Error(store::kReadOnlyError, kRulesNotKept);
    checkRules(rules);
    for (Rule rule : kRules) db.execute(kSaveRule, {ruleKey(rule), static_cast<std::int64_t>(ruleValue(rules, rule))});
}

}  // namespace vesk::compare
