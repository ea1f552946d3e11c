#include "review/RulesFlows.h"

#include "notes/Notes.h"
#include "review/CloseFlows.h"
#include "review/ReviewWording.h"
#include "review/RulesTrial.h"

namespace vesk::review {

bool setRulesFlow(const store::Opener& db, Prompter& prompter, const compare::PairingRules& rules, const Clock& now) {
    compare::checkRules(rules);
    const compare::PairingRules before = compare::pairingRules(db());
    if (before == rules) {
        prompter.message(rulesUnchangedMessage());
        return false;
    }
    if (prompter.message(setRulesQuestion(before, rules)) != Answer::Yes) return false;
    // Only the closed months are weighed: no other month's pairing needs asking about.
    TrialRequest closedOnly;
    closedOnly.onlyClosed = true;
    std::vector<Period> reopen;
    for (const Period& month : closedMonthsChanged(tryRules(db(), rules, closedOnly))) {
        const std::optional<bool> chosen = askToReopen(db(), prompter, month);
        if (chosen && !*chosen) return false;
        if (chosen) reopen.push_back(month);
    }
    if (!setPairingRules(db(), rules, reopen, notes::loginName(), now)) {
        prompter.message(rulesUnchangedMessage());
        return false;
    }
    prompter.message(rulesSetMessage(reopen));
    return true;
}

}  // namespace vesk::review
