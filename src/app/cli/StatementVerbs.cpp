#include <ostream>

#include "cli/Verbs.h"
#include "core/DateTime.h"
#include "review/MonthStatement.h"
#include "review/ReviewWording.h"
#include "review/StatementWorkbook.h"

namespace vesk::cli {

namespace {

// The month's statement; none (with the reason shown) when the month holds no rows.
std::optional<review::MonthStatement> statementOf(Call& call) {
    const Period period = periodArguments(call, 0);
    review::MonthStatement statement = review::monthStatement(call.database(), period);
    if (!statement.anyRows()) {
        call.err() << review::noRowsForStatementText(period) << "\n";
        return std::nullopt;
    }
    return statement;
}

}  // namespace

// The statement's lines; with --items the items behind its roll-forward instead.
int runStatement(Call& call) {
    const std::optional<review::MonthStatement> statement = statementOf(call);
    if (!statement) return kExitFailed;
    if (call.flag("items")) {
        writeLine(call.out(), review::statementItemHeaders());
        for (const review::StatementItem& item : statement->items)
            writeLine(call.out(), review::statementItemCells(item));
        return kExitOk;
    }
    writeLine(call.out(), review::statementHeaders());
    for (review::StatementLine line : review::kStatementLines)
        writeLine(call.out(), review::statementCells(line, statement->line(line)));
    return kExitOk;
}

int runExportStatement(Call& call) {
    const std::optional<review::MonthStatement> statement = statementOf(call);
    if (!statement) return kExitFailed;
    const DateTime now = localNow();
    return saveExport(call, review::statementFileName(statement->period), [&](const std::string& folder) {
        return review::writeStatementWorkbook(*statement, now, folder);
    });
}

}  // namespace vesk::cli
