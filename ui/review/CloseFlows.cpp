#include "review/CloseFlows.h"

#include "notes/Notes.h"
#include "review/MonthClose.h"
#include "review/ReviewWording.h"

namespace vesk::review {

bool closeMonthFlow(const store::Opener& db, Prompter& prompter, Period period, const Clock& now) {
    const CloseOutcome outcome = closeMonth(
        db(), period, notes::loginName(),
        [&](const MonthStatement& statement) { return prompter.message(closeQuestion(statement)) == Answer::Yes; },
        now);
    if (outcome.refused) {
        prompter.message(closeRefusedMessage(*outcome.refused, outcome.statement, outcome.close));
        return false;
    }
    if (outcome.declined || !outcome.close) return false;
    prompter.message(closedMessage(*outcome.close));
    return true;
}

bool reopenMonthFlow(const store::Opener& db, Prompter& prompter, Period period, const Clock& now) {
    store::Connection& connection = db();
    const std::optional<bool> chosen = askToReopen(connection, prompter, period);
    if (!chosen) {
        prompter.message(notClosedMessage(period));
        return false;
    }
    if (!*chosen || !reopenMonth(connection, period, notes::loginName(), now)) return false;
    prompter.message(reopenedMessage(period));
    return true;
}

std::optional<bool> askToReopen(store::Connection& db, Prompter& prompter, Period period) {
    const std::optional<MonthClose> close = standingClose(db, period);
    if (!close) return std::nullopt;
    return prompter.message(reopenQuestion(*close)) == Answer::Yes;
}

void reopenIfChosen(store::Connection& db, const std::optional<bool>& chosen, Period period, const Clock& now) {
    if (chosen && *chosen) reopenMonth(db, period, notes::loginName(), now);
}

}  // namespace vesk::review
