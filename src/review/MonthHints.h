#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "compare/Explanation.h"
#include "compare/HintSearch.h"
#include "compare/OfficeLists.h"
#include "review/StoredPairing.h"
#include "store/Connection.h"

namespace vesk::review {

/// The candidates of a month's hints: every office's bank-only, orv-only and amount-differs
/// lines of the month and of the months either side, each as the explanation of its own month
/// classes it. They come from the stored pairing where it stands; months it does not hold as
/// they are now are paired afresh (and stored; see pairedMonths). Throws Error as the
/// explanation does.
compare::HintCandidates hintCandidates(store::Connection& db, compare::Period period);

/// Pairs and stores the months a month's hints read where the stored pairing does not hold
/// them as they are now. Called outside any transaction (a read transaction stores nothing),
/// so that hints found within one after it take the months as stored. When what it paired
/// could not be stored (the file is read-only, or another program holds it), the candidates it
/// found, so that the caller need not pair the months again.
/// `beforePairing` as pairedMonths takes it.
std::optional<compare::HintCandidates> keepHintMonths(store::Connection& db, compare::Period period,
                                                      const std::function<void()>& beforePairing = {});

/// The month explained as compare::explainMonth explains it, every unpaired line with its hint:
/// from `candidates` when given, else from hintCandidates.
compare::Explanation explainWithHints(store::Connection& db, compare::Period period,
                                      const compare::ExplainTarget& target,
                                      std::optional<compare::HintCandidates> candidates = std::nullopt);

/// What explaining a month reads before it takes its state of the file: the hints' months kept,
/// and the offices the month's comparison lists when those are the ones explained.
struct PreparedExplanation {
    std::optional<compare::HintCandidates> candidates;  ///< as keepHintMonths gives them
    std::optional<std::vector<std::string>> differing;  ///< none: compared again when explained
    compare::Scope scope;                               ///< the scope they were compared in
    RowsMark rows;                                      ///< and where the rows stood then
};

/// Keeps the hints' months as keepHintMonths does and, for the differing offices, compares the
/// month on a connection beside while they are paired, if they are. Called outside any
/// transaction, as keepHintMonths is.
PreparedExplanation prepareExplanation(store::Connection& db, compare::Period period,
                                       const compare::ExplainTarget& target);

/// The month explained as explainWithHints explains it, from what was prepared: the offices
/// compared then stand while the rows and the scope are as they were, else the month is compared
/// again. Called within the read transaction that is the explanation's state of the file.
compare::Explanation explainPrepared(store::Connection& db, compare::Period period,
                                     const compare::ExplainTarget& target, PreparedExplanation prepared);

/// What the month's office lists are made of, read in one state of the file once the hints'
/// months are kept: the month compared in the configured office's scope, the offices `choice`
/// names in its office list (All: every differing office), their differing dates, and their
/// rows as explain lists them without the matched ones, with their hints and notes. None when
/// `choice` names no entry of the office list.
std::optional<compare::OfficeListsMonth> officeListsMonth(store::Connection& db, compare::Period period,
                                                          const std::string& choice);

}  // namespace vesk::review
