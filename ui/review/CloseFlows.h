#pragma once

#include <functional>
#include <optional>

#include "core/DateTime.h"
#include "core/Prompter.h"
#include "store/Connection.h"

namespace vesk::review {

// Closing and reopening a month as flows, through whichever prompter asks (the window's
// message boxes, the terminal).

/// Closing the month: a refusal told, or the question and the close, and what was closed
/// told. True when the month was closed.
bool closeMonthFlow(const store::Opener& db, Prompter& prompter, Period period, const Clock& now = localNow);

/// Reopening the month's close: the question, the reopening and what the person is told.
/// True when it was reopened.
bool reopenMonthFlow(const store::Opener& db, Prompter& prompter, Period period, const Clock& now = localNow);

/// None when no close of the month stands, else whether the person chose to reopen it.
std::optional<bool> askToReopen(store::Connection& db, Prompter& prompter, Period period);

/// What the person chose before a change of a month's rows.
struct MonthChange {
    bool goesAhead = false;
    std::optional<Period> month;   ///< the month the change is to
    std::optional<Period> reopen;  ///< the closed month to reopen with the change
};

/// Asked before a change of the month's rows (none: rows of no month): when its close stands,
/// whether to reopen it, then the change's own question. No to either changes nothing.
MonthChange confirmMonthChange(store::Connection& db, Prompter& prompter, const std::optional<Period>& month,
                               const std::function<bool()>& ownQuestion);

/// Reopens the month the person chose to reopen, inside the change's own transaction: a change
/// refused or failed half way then leaves the close standing. A month closed since the person
/// was asked refuses the change (closedMeanwhileError).
void reopenWithChange(store::Connection& db, const MonthChange& change, const Clock& now = localNow);

}  // namespace vesk::review
