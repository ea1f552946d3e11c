#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/DateTime.h"
#include "review/MonthStatement.h"
#include "store/Connection.h"

namespace vesk::review {

/// A month's close as stored: the statement's lines and items as they were, and its digests.
struct MonthClose {
    long long number = 0;  ///< in the order the closes were made, from 1
    Period period{};
    DateTime closedAt;
    std::string closedBy;
    std::array<StatementFigures, kStatementLineCount> lines{};
    std::vector<CarriedItem> carried;                 ///< the items carried to the next month
    std::vector<std::vector<std::string>> itemCells;  ///< every item as the statement listed it
    std::string monthDigest;                          ///< of the month's rows, classes and notes then
    std::string previousDigest;                       ///< the close before it in the chain; empty for the first
    std::string digest;                               ///< its own, over all of the above
    std::optional<DateTime> reopenedAt;
    std::string reopenedBy;
    int digestVersion = 1;  ///< the formula its month digest was taken with

    bool inForce() const { return !reopenedAt; }
    const StatementFigures& line(StatementLine l) const { return lines[std::size_t(l)]; }
};

enum class CloseState { Closed, Changed, Reopened };

/// The digest a close is chained by: everything it keeps, and its month digest's formula
/// when that is not the first.
std::string closeDigestOf(const MonthClose& c);

/// Every close, in the order made; none on a file that keeps none.
std::vector<MonthClose> monthCloses(store::Connection& db);

/// The month's close that stands (is not reopened), if any.
std::optional<MonthClose> standingClose(store::Connection& db, Period period);

/// Closed, Reopened, or Changed when the month's rows, classes or notes no longer give the
/// digest it was closed with.
CloseState closeState(store::Connection& db, const MonthClose& close);

/// The month's statement as computed now: brought forward what the close of the latest earlier
/// month that stands carried, or (with none) the open items dated before the month.
MonthStatement currentStatement(store::Connection& db, Period period);

/// A month's statement as it is printed and written: its lines, its items' cells and the line
/// saying what it is.
struct ShownStatement {
    MonthStatement statement;
    std::vector<std::vector<std::string>> items;
    std::string stateLine;
};

/// The month's statement as closed when its close stands (unless `computedNow`), else as
/// computed now; the state line names the month's last close, or says it was computed `now`.
ShownStatement shownStatement(store::Connection& db, Period period, bool computedNow, const DateTime& now);

/// Why a month cannot be closed, in the order they are checked.
/// ChangedMeanwhile: another program changed what the statement shows while the person was asked.
enum class CloseRefusal { AlreadyClosed, LaterClosed, NoBankRows, NoOrvEntries, Unexplained, ChangedMeanwhile };

/// What closing a month came to.
struct CloseOutcome {
    std::optional<CloseRefusal> refused;
    bool declined = false;
    std::optional<MonthClose> close;  ///< the close made; for a refusal, the close that stands in the way
    MonthStatement statement;         ///< as closed, or as it stood when refused
};

/// Asked once nothing refuses the close, with the statement it would keep: true to close.
using ConfirmClose = std::function<bool(const MonthStatement&)>;

/// Closes the month: its statement (brought forward as currentStatement brings it) and items,
/// the login name, the time and the digests, with a record in the history, in one transaction.
/// The statement asked about is read in one state of the file; when another program changed
/// what it shows before the answer, nothing is closed (ChangedMeanwhile, with the statement as
/// it is now). Refused, with nothing written, for the reasons of CloseRefusal in their order.
CloseOutcome closeMonth(store::Connection& db, Period period, const std::string& who, const ConfirmClose& confirm,
                        const Clock& now = localNow);

/// What stops a close of a month: why, and the close in the way for the first two reasons.
struct CloseBlock {
    CloseRefusal why = CloseRefusal::AlreadyClosed;
    std::optional<MonthClose> close;
};

/// Why closing the statement's month would be refused now, as closeMonth judges it before it
/// asks (the statement being the month's as computed now, or its close's); none when nothing
/// refuses it.
std::optional<CloseBlock> closeBlock(store::Connection& db, const MonthStatement& statement);

/// Reopens the month's standing close (kept on record) with a record in the history; false,
/// nothing written, when none stands.
bool reopenMonth(store::Connection& db, Period period, const std::string& who, const Clock& now = localNow);

/// The same within the caller's write transaction, so that it stands or falls with the change
/// that needed it.
bool reopenMonthWithin(store::Connection& db, Period period, const std::string& who, const DateTime& when);

/// What the chain of closes holds wrong: each close whose stored content no longer matches its
/// digest, and each whose previous digest is not the close before it. Empty when it is whole.
std::vector<std::string> closeChainFaults(store::Connection& db);

}  // namespace vesk::review
