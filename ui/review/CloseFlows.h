#pragma once

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

/// Asked before the month's rows change: none when no close of the month stands, else whether
/// the person chose to reopen it (nothing is reopened yet; see reopenIfChosen).
std::optional<bool> askToReopen(store::Connection& db, Prompter& prompter, Period period);

/// Reopens the month when the person chose so, once the change it was asked for goes ahead.
void reopenIfChosen(store::Connection& db, const std::optional<bool>& chosen, Period period,
                    const Clock& now = localNow);

}  // namespace vesk::review
