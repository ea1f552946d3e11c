#pragma once

#include "compare/Explanation.h"
#include "compare/HintSearch.h"
#include "store/Connection.h"

namespace vesk::review {

/// The candidates of a month's hints: every office's bank-only, orv-only and amount-differs
/// lines of the month and of the months either side, each as the explanation of its own month
/// classes it. They come from the stored pairing where it stands; months it does not hold as
/// they are now are paired afresh (and stored; see pairedMonths). Throws Error as the
/// explanation does.
compare::HintCandidates hintCandidates(store::Connection& db, compare::Period period);

/// The month explained as compare::explainMonth explains it, every unpaired line with its hint.
compare::Explanation explainWithHints(store::Connection& db, compare::Period period,
                                      const compare::ExplainTarget& target);

}  // namespace vesk::review
