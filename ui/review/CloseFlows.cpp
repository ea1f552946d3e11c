#include "review/CloseFlows.h"

#include "notes/Notes.h"
#include "review/MonthClose.h"
#include "review/MonthParts.h"
#include "review/ReviewWording.h"

namespace vesk::review {

bool closeMonthFlow(const store::Opener& db, Prompter& prompter, Period period, const Clock& now) {
    // Asked once nothing refuses the close: what the month lacks, the months before it left
    // open, then the close itself; No to any keeps it open.
    const auto confirm = [&](const MonthStatement& statement) {
        const MonthParts parts = monthParts(db(), period);
        if (!parts.missing().empty() && prompter.message(closeLackingQuestion(parts)) != Answer::Yes) return false;
        const std::vector<Period> earlier = earlierMonthsNotClosed(db(), period);
        if (!earlier.empty() && prompter.message(closeBeforeEarlierQuestion(period, earlier)) != Answer::Yes)
            return false;
        return prompter.message(closeQuestion(statement)) == Answer::Yes;
    };
    const CloseOutcome outcome = closeMonth(db(), period, notes::loginName(), confirm, now);
    if (outcome.refused) {
        prompter.message(closeRefusedMessage(*outcome.refused, outcome.statement, outcome.close));
        return false;
    }
    if (outcome.declined || !outcome.close) return false;
    prompter.message(closedMessage(*outcome.close));
    return true;
}

std::optional<bool> askToReopen(store::Connection& db, Prompter& prompter, Period period) {
    const std::optional<MonthClose> close = standingClose(db, period);
    if (!close) return std::nullopt;
    return prompter.message(reopenQuestion(*close)) == Answer::Yes;
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

MonthChange confirmMonthChange(store::Connection& db, Prompter& prompter, const std::optional<Period>& month,
                               const std::function<bool()>& ownQuestion) {
    const std::optional<bool> reopen = month ? askToReopen(db, prompter, *month) : std::nullopt;
    if (reopen && !*reopen) return {};
    if (!ownQuestion()) return {};
    return {true, month, reopen ? month : std::nullopt};
}

void reopenWithChange(store::Connection& db, const MonthChange& change, const Clock& now) {
    if (change.reopen) {
        reopenMonthWithin(db, *change.reopen, notes::loginName(), now());
        return;
    }
    // Not closed when the person was asked: a close made since was never agreed to be undone.
    if (change.month && standingClose(db, *change.month)) throw closedMeanwhileError(*change.month);
}

}  // namespace vesk::review
