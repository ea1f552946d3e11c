#pragma once

#include "compare/PairingRules.h"
#include "core/DateTime.h"
#include "core/Prompter.h"
#include "store/Connection.h"

namespace vesk::review {

/// Setting the pairing rules, through whichever prompter asks: the change asked about; then each
/// month whose close stands and whose pairing the rules change, asked about as an import's month
/// is (No to any sets nothing); then the rules set with those months reopened in one transaction,
/// and what was done told. True when the rules were set.
bool setRulesFlow(const store::Opener& db, Prompter& prompter, const compare::PairingRules& rules,
                  const Clock& now = localNow);

}  // namespace vesk::review
