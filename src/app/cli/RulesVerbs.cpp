// rules, rules set and rules try: the division's pairing rules, set and weighed.
#include "cli/Call.h"
#include "cli/Verbs.h"
#include "compare/CompareWording.h"
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
    call.out() << review::rulesSetByText(review::lastRulesSetting(db)) << "\n";
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
    writeLine(call.out(), review::trialHeaders());
    for (const review::MonthTrial& m : trial.months) writeLine(call.out(), review::trialCells(m));
    if (request.withRows) {
        call.out() << "\n";
        std::vector<std::string> headers{"Month"};
        for (const std::string& h : review::changedRowHeaders()) headers.push_back(h);
        writeLine(call.out(), headers);
        for (const review::MonthTrial& m : trial.months)
            for (const review::ChangedRow& r : m.rows) {
                std::vector<std::string> cells = review::changedRowCells(r);
                cells.insert(cells.begin(), review::trialCells(m).front());
                writeLine(call.out(), cells);
            }
    }
    call.err() << review::trialSummaryText(trial) << "\n";
    return kExitOk;
}

}  // namespace vesk::cli
