#include <ostream>

#include "cli/Verbs.h"
#include "compare/CompareWording.h"
#include "core/DateTime.h"
#include "history/ImportHistory.h"
#include "review/CloseFlows.h"
#include "review/MonthClose.h"
#include "review/MonthParts.h"
#include "review/MonthStatement.h"
#include "review/ReviewWording.h"
#include "review/SignOffs.h"
#include "review/StatementWorkbook.h"

namespace vesk::cli {

namespace {

// The month's statement as shown; none (with the reason said) when the month holds no rows.
std::optional<review::ShownStatement> shownStatementOf(Call& call) {
    const Period period = periodArguments(call, 0);
    warnOfMissingParts(call, period, false);  // a month without rows is refused, saying so
    review::ShownStatement shown = review::shownStatement(call.database(), period, call.flag("now"), localNow());
    if (!shown.statement.anyRows()) {
        call.err() << review::noRowsForStatementText(period) << "\n";
        return std::nullopt;
    }
    return shown;
}

}  // namespace

// The statement's lines; with --items the items behind its roll-forward instead.
int runStatement(Call& call) {
    const std::optional<review::ShownStatement> shown = shownStatementOf(call);
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
    const std::optional<review::ShownStatement> shown = shownStatementOf(call);
    if (!shown) return kExitFailed;
    return saveExport(
        call, review::statementFileName(shown->statement.period),
        [&](const std::string& folder) {
            return review::writeStatementWorkbook(shown->statement, shown->items, shown->stateLine, folder);
        },
        [&] {
            return review::statementPrintout(*shown, review::signOffs(call.database()),
                                             compare::printedOnText(localNow()));
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

// Every month held: its three imports, its close and what stays open.
int runMonths(Call& call) {
    const std::vector<review::HeldMonth> months = review::monthsOverview(call.database());
    if (months.empty()) return kExitOk;
    writeLine(call.out(), review::monthsHeaders());
    for (const review::HeldMonth& m : months) writeLine(call.out(), review::monthsCells(m));
    return kExitOk;
}

// The three sign-offs; with any of their options those set first, the others kept.
int runSignOff(Call& call) {
    store::Connection& db = call.database();
    std::vector<compare::SignOff> signOffs = review::signOffs(db);
    bool asked = false;
    for (std::size_t at = 0; at < review::kSignOffRoles.size(); ++at) {
        const std::string role = review::signOffRoleKey(review::kSignOffRoles[at]);
        if (const std::optional<std::string> name = call.option(role)) signOffs[at].name = *name, asked = true;
        if (const std::optional<std::string> as = call.option(role + "-as"))
            signOffs[at].designation = *as, asked = true;
    }
    if (asked) {
        review::setSignOffs(db, signOffs, history::loginName());
        signOffs = review::signOffs(db);
    }
    for (const compare::SignOff& s : signOffs) writeLine(call.out(), {s.role, s.name, s.designation});
    return kExitOk;
}

}  // namespace vesk::cli
