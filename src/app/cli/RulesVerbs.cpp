// rules, rules set and rules try: the division's pairing rules, set and weighed.
#include "cli/Call.h"
#include "cli/Verbs.h"
#include "compare/CompareWording.h"
#include "core/Amount.h"
#include "notes/NoteWording.h"
#include "review/ReviewWording.h"
#include "review/RulesFlows.h"
#include "review/RulesTrial.h"
#include "trend/Trend.h"
#include "trend/TrendWording.h"

namespace vesk::cli {

namespace {

using compare::PairingRules;
using compare::Rule;

// The rules in force with each one the options give instead.
PairingRules rulesOf(const Call& call, PairingRules rules) {
    for (Rule rule : compare::kRules) {
        const std::string key = compare::ruleKey(rule);
        const std::optional<std::string> given = call.option(key);
        if (!given) continue;
        if (compare::isYesNo(rule)) {
            if (*given != "yes" && *given != "no") throw UsageError("--" + key + " is yes or no, not '" + *given + "'");
            rules = compare::withRule(rules, rule, *given == "yes");
            continue;
        }
        rules =
            compare::withRule(rules, rule, call.integer(key, 0, compare::leastValue(rule), compare::mostValue(rule)));
    }
    return rules;
}

std::optional<compare::Period> monthOption(const Call& call, const char* name) {
    const std::optional<std::string> text = call.option(name);
    if (!text) return std::nullopt;
    const std::optional<trend::Period> month = trend::parseMonth(*text);
    if (!month) throw UsageError(trend::notAMonthText(name, *text));
    return *month;
}

std::string monthText(const compare::Period& p) {
    char text[8];
    std::snprintf(text, sizeof text, "%04d-%02d", p.year, p.month);
    return text;
}

// "timing 3, group 1"; "" for none.
std::string pairsText(const std::map<compare::PairClass, std::size_t>& pairs) {
    std::string text;
    for (const auto& [cls, count] : pairs)
        text += (text.empty() ? "" : ", ") + std::string(compare::pairClassKey(cls)) + " " + std::to_string(count);
    return text;
}

}  // namespace

int runRules(Call& call) {
    store::Connection& db = call.database();
    const PairingRules rules = compare::pairingRules(db);
    const PairingRules defaults;
    writeLine(call.out(), {"Rule", "Option", "Value", "Default"});
    for (Rule rule : compare::kRules)
        writeLine(call.out(), {compare::ruleText(rule), std::string("--") + compare::ruleKey(rule),
                               compare::ruleValueText(rule, compare::ruleValue(rules, rule)),
                               compare::ruleValueText(rule, compare::ruleValue(defaults, rule))});
    if (const std::optional<review::RulesSetting> set = review::lastRulesSetting(db))
        call.out() << "Set by " << set->by << " on " << dayFirst(set->when, TimeShown::Minutes) << "\n";
    else
        call.out() << "Never set: the defaults\n";
    return kExitOk;
}

int runRulesSet(Call& call) {
    store::Connection& db = call.database();
    const PairingRules inForce = compare::pairingRules(db), rules = rulesOf(call, inForce);
    // Declined (or a closed month kept closed): nothing set, as a script must be able to tell.
    if (!review::setRulesFlow(call.openedDatabase(), call.prompter(), rules) && rules != inForce) return kExitFailed;
    return kExitOk;
}

int runRulesTry(Call& call) {
    review::TrialRequest request;
    request.from = monthOption(call, "from");
    request.to = monthOption(call, "to");
    request.withRows = call.flag("lines");
    store::Connection& db = call.database();
    const review::RulesTrial trial = review::tryRules(db, rulesOf(call, compare::pairingRules(db)), request);
    writeLine(call.out(),
              {"Month", "Pairs gained", "Pairs lost", "Rows changed", "Unpaired deposits before",
               "Unpaired deposits after", "Unpaired withdrawals before", "Unpaired withdrawals after", "Close"});
    std::size_t changed = 0;
    for (const review::MonthTrial& m : trial.months) {
        changed += m.rowsChanged;
        writeLine(
            call.out(),
            {monthText(m.month), pairsText(m.gained), pairsText(m.lost), std::to_string(m.rowsChanged),
             formatAmount(m.before.deposits), formatAmount(m.after.deposits), formatAmount(m.before.withdrawals),
             formatAmount(m.after.withdrawals), m.closed ? (m.changes() ? "closed, would change" : "closed") : ""});
    }
    if (request.withRows) {
        call.out() << "\n";
        writeLine(call.out(), {"Month", "Office Name", "Kind", "Side", "Date", "ID", "Amount", "Before", "After"});
        for (const review::MonthTrial& m : trial.months)
            for (const review::ChangedRow& r : m.rows)
                writeLine(call.out(), {monthText(m.month), r.before.office, notes::kindText(r.before.kind),
                                       notes::sideText(r.before.side), compare::dayText(r.before.day), r.before.id,
                                       formatAmount(r.before.amount), compare::pairClassTag(r.before.cls),
                                       compare::pairClassTag(r.after)});
    }
    call.err() << std::to_string(changed) << (changed == 1 ? " row" : " rows") << " of " << trial.months.size()
               << (trial.months.size() == 1 ? " month" : " months") << " would change; nothing was written.\n";
    return kExitOk;
}

}  // namespace vesk::cli
