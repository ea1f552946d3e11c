#include <ostream>

#include "cli/Verbs.h"
#include "core/DateTime.h"
#include "review/CloseFlows.h"
#include "review/MonthClose.h"
#include "review/MonthStatement.h"
#include "review/ReviewWording.h"
#include "review/StatementWorkbook.h"

namespace vesk::cli {

namespace {

// A statement as printed and written: its lines, its items' cells and what it is.
struct ShownStatement {
    review::MonthStatement statement;
    std::vector<std::vector<std::string>> items;
    std::string stateLine;
};

// The month's statement: as closed when its close stands (unless --now), else computed now; none
// (with the reason shown) when the month holds no rows.
std::optional<ShownStatement> shownStatementOf(Call& call) {
    const Period period = periodArguments(call, 0);
    store::Connection& db = call.database();
    ShownStatement shown;
    if (!call.flag("now")) {
        if (const std::optional<review::MonthClose> close = review::standingClose(db, period)) {
            shown.statement.period = period;
            shown.statement.scope = compare::comparisonScope(db);
            shown.statement.lines = close->lines;
            shown.items = close->itemCells;
            shown.stateLine = review::closedOnLine(*close);
            return shown;
        }
    }
    shown.statement = review::currentStatement(db, period);
    if (!shown.statement.anyRows()) {
        call.err() << review::noRowsForStatementText(period) << "\n";
        return std::nullopt;
    }
    for (const review::StatementItem& item : shown.statement.items)
        shown.items.push_back(review::statementItemCells(item));
    // The last close of a month reopened since says so, unless the month is computed on request.
    std::optional<review::MonthClose> last;
    if (!call.flag("now"))
        for (review::MonthClose& c : review::monthCloses(db))
            if (c.period.key() == period.key()) last = std::move(c);
    shown.stateLine = last ? review::closedOnLine(*last) : review::computedOnLine(localNow());
    return shown;
}

}  // namespace

// The statement's lines; with --items the items behind its roll-forward instead.
int runStatement(Call& call) {
    const std::optional<ShownStatement> shown = shownStatementOf(call);
    if (!shown) return kExitFailed;
    if (call.flag("items")) {
        writeLine(call.out(), review::statementItemHeaders());
        for (const std::vector<std::string>& cells : shown->items) writeLine(call.out(), cells);
        return kExitOk;
    }
    writeLine(call.out(), review::statementHeaders());
    for (review::StatementLine line : review::kStatementLines)
        writeLine(call.out(), review::statementCells(line, shown->statement.line(line)));
    return kExitOk;
}

int runExportStatement(Call& call) {
    const std::optional<ShownStatement> shown = shownStatementOf(call);
    if (!shown) return kExitFailed;
    return saveExport(call, review::statementFileName(shown->statement.period), [&](const std::string& folder) {
        return review::writeStatementWorkbook(shown->statement, shown->items, shown->stateLine, folder);
    });
}

int runClose(Call& call) {
    const Period period = periodArguments(call, 0);
    return review::closeMonthFlow(call.openedDatabase(), call.prompter(), period) ? kExitOk : kExitFailed;
}

int runReopen(Call& call) {
    const Period period = periodArguments(call, 0);
    return review::reopenMonthFlow(call.openedDatabase(), call.prompter(), period) ? kExitOk : kExitFailed;
}

// Every close, in the order made, with its state today.
int runCloses(Call& call) {
    store::Connection& db = call.database();
    const std::vector<review::MonthClose> closes = review::monthCloses(db);
    if (closes.empty()) return kExitOk;
    writeLine(call.out(), review::closeHeaders());
    for (const review::MonthClose& c : closes) writeLine(call.out(), review::closeCells(c, review::closeState(db, c)));
    return kExitOk;
}

}  // namespace vesk::cli
