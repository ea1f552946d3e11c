#include "review/MonthClose.h"

#include <algorithm>
#include <utility>

#include "core/Amount.h"
#include "core/Error.h"
#include "history/FileDigest.h"
#include "history/ImportHistory.h"
#include "notes/HeldRows.h"
#include "notes/NoteWording.h"
#include "review/CloseStatements.h"
#include "review/ReviewWording.h"
#include "review/StoredPairing.h"
#include "store/StoredRows.h"

namespace vesk::review {

namespace {

// A listed item's cells as one field, and back.
std::string closeJoinedCells(const std::vector<std::string>& cells) {
    std::string out;
    for (std::size_t c = 0; c < cells.size(); ++c) out += (c ? "\t" : "") + cells[c];
    return out;
}
std::vector<std::string> closeSplitCells(const std::string& text) {
    std::vector<std::string> out(1);
    for (char ch : text) {
        if (ch == '\t')
            out.emplace_back();
        else
            out.back() += ch;
    }
    return out;
}

}  // namespace

// Everything it keeps but its reopening, and the digest before it.
std::string closeDigestOf(const MonthClose& c) {
    std::string text = std::to_string(c.period.key()) + "\n" + isoDateTime(c.closedAt) + "\n" + c.closedBy + "\n";
    for (const StatementFigures& f : c.lines)
        text += formatAmount(f.deposits) + "\t" + formatAmount(f.withdrawals) + "\t" +
                (f.rows ? std::to_string(*f.rows) : "") + "\n";
    for (const CarriedItem& i : c.carried)
        text += std::string(notes::sideKey(i.side)) + "\t" + i.id + "\t" + std::to_string(i.day) + "\t" + i.office +
                "\t" + notes::kindKey(i.kind) + "\t" + formatAmount(i.amount) + "\t" + std::to_string(i.since.key()) +
                "\n";
    for (const std::vector<std::string>& cells : c.itemCells) text += closeJoinedCells(cells) + "\n";
    text += c.monthDigest + "\n" + c.previousDigest + "\n";
    // The first version's closes were digested without it.
    if (c.digestVersion != 1) text += std::to_string(c.digestVersion) + "\n";
    return history::sha256Hex(text.data(), text.size());
}

namespace {

// Every close as listed, without its lines and items: what choosing among them needs.
std::vector<MonthClose> closeHeads(store::Connection& db) {
    std::vector<MonthClose> out;
    const int layout = db.layoutVersion();
    if (layout < store::kClosesLayout) return out;
    const store::StoredRows rs(db, sql::kClosesTable, db.query(sql::closesStatement(layout)));
    const std::size_t number = rs.column("number"), key = rs.column("month_key"), closedAt = rs.column("closed_at"),
                      closedBy = rs.column("closed_by"), monthDigest = rs.column("month_digest"),
                      previousDigest = rs.column("previous_digest"), digest = rs.column("digest"),
                      reopenedAt = rs.column("reopened_at"), reopenedBy = rs.column("reopened_by"),
                      digestVersion = rs.column("digest_version");
    for (std::size_t r = 0; r < rs.size(); ++r) {
        MonthClose c;
        c.number = rs.integer(r, number);
        c.period = periodOfKey(rs.integer(r, key));
        c.closedAt = rs.time(r, closedAt);
        c.closedBy = rs.text(r, closedBy);
        c.monthDigest = rs.text(r, monthDigest);
        c.previousDigest = rs.text(r, previousDigest);
        c.digest = rs.text(r, digest);
        c.reopenedAt = rs.optionalTime(r, reopenedAt);
        c.reopenedBy = rs.text(r, reopenedBy);
        // A formula this program does not know cannot be verified: as damaged as any other value.
        const std::int64_t version = rs.integer(r, digestVersion);
        if (version < 1 || version > kMonthDigestVersion) rs.fault(r, digestVersion);
        c.digestVersion = int(version);
        out.push_back(std::move(c));
    }
    return out;
}

// Lines and items, each row given to the close of `closes` (in number order) its close column
// numbers; rows of any other close are left out.
void readContents(const store::StoredRows& lines, const store::StoredRows& items, std::vector<MonthClose>& closes) {
    const auto closeOf = [&](long long n) -> MonthClose* {
        const auto it = std::lower_bound(closes.begin(), closes.end(), n,
                                         [](const MonthClose& c, long long key) { return c.number < key; });
        return it != closes.end() && it->number == n ? &*it : nullptr;
    };
    const std::size_t lineClose = lines.column("close"), line = lines.column("line"),
                      deposits = lines.column("deposits"), withdrawals = lines.column("withdrawals"),
                      rows = lines.column("row_count");
    for (std::size_t r = 0; r < lines.size(); ++r) {
        MonthClose* c = closeOf(lines.integer(r, lineClose));
        if (!c) continue;
        const std::int64_t l = lines.integer(r, line);
        if (l < 0 || l >= static_cast<std::int64_t>(kStatementLineCount)) lines.fault(r, line);
        StatementFigures& f = c->lines[std::size_t(l)];
        f.deposits = lines.number(r, deposits);
        f.withdrawals = lines.number(r, withdrawals);
        if (!lines.isNull(r, rows)) f.rows = lines.integer(r, rows);
    }
    const std::size_t itemClose = items.column("close"), carried = items.column("carried"), side = items.column("side"),
                      id = items.column("tran_id"), day = items.column("day"), office = items.column("office"),
                      kind = items.column("kind"), amount = items.column("amount"), since = items.column("since_key"),
                      cells = items.column("cells");
    for (std::size_t r = 0; r < items.size(); ++r) {
        MonthClose* c = closeOf(items.integer(r, itemClose));
        if (!c) continue;
        c->itemCells.push_back(closeSplitCells(items.text(r, cells)));
        if (items.integer(r, carried) == 0) continue;
        CarriedItem i;
        i.side = items.named<notes::Side>(r, side, notes::sideNamed);
        i.id = items.text(r, id);
        i.day = items.integer(r, day);
        i.office = items.text(r, office);
        i.kind = items.named<notes::Kind>(r, kind, notes::kindNamed);
        i.amount = items.number(r, amount);
        i.since = periodOfKey(items.integer(r, since));
        c->carried.push_back(std::move(i));
    }
}

// Every close's lines and items, or (`ofOne`) those of the close numbered.
void readContents(store::Connection& db, std::vector<MonthClose>& closes, std::optional<long long> ofOne) {
    std::vector<store::Value> number;
    if (ofOne) number.emplace_back(std::int64_t(*ofOne));
    readContents(
        store::StoredRows(db, sql::kCloseLinesTable, db.query(sql::closeLinesStatement(ofOne.has_value()), number)),
        store::StoredRows(db, sql::kCloseItemsTable, db.query(sql::closeItemsStatement(ofOne.has_value()), number)),
        closes);
}

// One close whole: its head with its lines and items read.
MonthClose withContents(store::Connection& db, MonthClose c) {
    const long long number = c.number;
    std::vector<MonthClose> one{std::move(c)};
    readContents(db, one, number);
    return std::move(one.front());
}

// The close that stops a close of the month: one of the month itself or of a later month that stands.
std::optional<std::pair<CloseRefusal, MonthClose>> standingInTheWay(const std::vector<MonthClose>& heads,
                                                                    Period period) {
    for (const MonthClose& c : heads)
        if (c.inForce() && c.period.key() == period.key()) return std::pair{CloseRefusal::AlreadyClosed, c};
    for (const MonthClose& c : heads)
        if (c.inForce() && c.period.key() > period.key()) return std::pair{CloseRefusal::LaterClosed, c};
    return std::nullopt;
}

// The month's statement as it is now, brought forward from the latest earlier close that stands.
MonthStatement statementAfter(store::Connection& db, Period period, const std::vector<MonthClose>& heads,
                              WithDigest digest = WithDigest::Yes) {
    const MonthClose* earlier = nullptr;
    for (const MonthClose& c : heads)
        if (c.inForce() && c.period.key() < period.key() && (!earlier || c.period.key() > earlier->period.key()))
            earlier = &c;
    if (!earlier) return monthStatement(db, period, digest);
    return monthStatement(db, period, withContents(db, *earlier).carried, digest);
}

// Why the statement cannot be closed, of the reasons it shows itself.
std::optional<CloseRefusal> refusalOf(const MonthStatement& s) {
    const StatementFigures& unexplained = s.line(StatementLine::Unexplained);
    if (s.line(StatementLine::Vesk).rows.value_or(0) == 0) return CloseRefusal::NoBankRows;
    if (s.line(StatementLine::Orv).rows.value_or(0) == 0) return CloseRefusal::NoOrvEntries;
    if (formatAmount(unexplained.deposits) != "0.00" || formatAmount(unexplained.withdrawals) != "0.00")
        return CloseRefusal::Unexplained;
    return std::nullopt;
}

// Whether two statements of a month show the same: their lines, items and month's digest.
bool sameStatement(const MonthStatement& a, const MonthStatement& b) {
    if (a.monthDigest != b.monthDigest || a.items.size() != b.items.size()) return false;
    for (StatementLine l : kStatementLines)
        if (statementCells(l, a.line(l)) != statementCells(l, b.line(l))) return false;
    for (std::size_t n = 0; n < a.items.size(); ++n)
        if (statementItemCells(a.items[n]) != statementItemCells(b.items[n])) return false;
    return true;
}

void recordClose(store::Connection& db, history::Action action, long long number, Period period, const std::string& who,
                 std::int64_t rows, const std::optional<StatementFigures>& difference, const DateTime& when) {
    history::Change change;
    change.action = action;
    change.close = number;
    change.year = period.year;
    change.month = period.month;
    change.by = who;
    change.rows = rows;
    if (difference) change.deposits = difference->deposits, change.withdrawals = difference->withdrawals;
    history::recordChange(db, change, when);
}

}  // namespace

std::vector<MonthClose> monthCloses(store::Connection& db) {
    std::vector<MonthClose> out = closeHeads(db);
    if (!out.empty()) readContents(db, out, std::nullopt);
    return out;
}

std::optional<MonthClose> standingClose(store::Connection& db, Period period) {
    for (MonthClose& c : closeHeads(db))
        if (c.inForce() && c.period.key() == period.key()) return withContents(db, std::move(c));
    return std::nullopt;
}

CloseState closeState(store::Connection& db, const MonthClose& close) {
    if (!close.inForce()) return CloseState::Reopened;
    return monthDigestOf(db, close.period, close.digestVersion) == close.monthDigest ? CloseState::Closed
                                                                                     : CloseState::Changed;
}

MonthStatement currentStatement(store::Connection& db, Period period) {
    storePairing(db);
    const store::ReadSnapshot read(db);
    return statementAfter(db, period, closeHeads(db));
}

ShownStatement shownStatement(store::Connection& db, Period period, bool computedNow, const DateTime& now) {
    storePairing(db);
    const store::ReadSnapshot read(db);
    const std::vector<MonthClose> heads = closeHeads(db);
    const MonthClose* last = nullptr;  // the month's last close, standing or reopened
    if (!computedNow)
        for (const MonthClose& c : heads)
            if (c.period.key() == period.key()) last = &c;
    ShownStatement shown;
    if (last && last->inForce()) {
        const MonthClose close = withContents(db, *last);
        shown.statement.period = period;
        shown.statement.scope = compare::comparisonScope(db);
        shown.statement.lines = close.lines;
        shown.items = close.itemCells;
    } else {
        shown.statement = statementAfter(db, period, heads, WithDigest::No);
        for (const StatementItem& item : shown.statement.items) shown.items.push_back(statementItemCells(item));
    }
    shown.stateLine = last ? closedOnLine(*last) : computedOnLine(now);
    return shown;
}

CloseOutcome closeMonth(store::Connection& db, Period period, const std::string& who, const ConfirmClose& confirm,
                        const Clock& now) {
    CloseOutcome out;
    out.statement.period = period;
    const auto refuse = [&](const std::pair<CloseRefusal, MonthClose>& inTheWay) {
        out.refused = inTheWay.first;
        out.close = withContents(db, inTheWay.second);
        return out;
    };
    storePairing(db);
    std::int64_t seen = 0;  // the file's version the statement was read from
    {
        const store::ReadSnapshot read(db);
        seen = db.scalar(sql::kFileVersion).toInt();
        const std::vector<MonthClose> heads = closeHeads(db);
        if (const auto inTheWay = standingInTheWay(heads, period)) return refuse(*inTheWay);
        out.statement = statementAfter(db, period, heads);
    }
    if (const std::optional<CloseRefusal> why = refusalOf(out.statement)) {
        out.refused = why;
        return out;
    }
    if (confirm && !confirm(out.statement)) {
        out.declined = true;
        return out;
    }

    store::Transaction tx = db.begin();
    // Another program may have closed this month or a later one, or changed the month, while
    // the person was asked: only the statement they saw is closed.
    const std::vector<MonthClose> heads = closeHeads(db);
    if (const auto inTheWay = standingInTheWay(heads, period)) return refuse(*inTheWay);
    if (db.scalar(sql::kFileVersion).toInt() != seen) {
        MonthStatement current = statementAfter(db, period, heads);
        if (!sameStatement(current, out.statement)) {
            out.refused = CloseRefusal::ChangedMeanwhile;
            out.statement = std::move(current);
            return out;
        }
    }
    const MonthStatement& s = out.statement;
    MonthClose c;
    c.period = period;
    c.closedAt = now();
    c.closedBy = who;
    c.lines = s.lines;
    c.carried = s.carried();
    for (const StatementItem& item : s.items) c.itemCells.push_back(statementItemCells(item));
    c.monthDigest = s.monthDigest;
    c.digestVersion = kMonthDigestVersion;
    c.previousDigest = db.scalar(sql::kLastCloseDigest).toText();
    c.digest = closeDigestOf(c);
    db.execute(sql::kAddClose, {period.key(), isoDateTime(c.closedAt), who, c.monthDigest, c.previousDigest, c.digest,
                                c.digestVersion});
    c.number = db.scalar(sql::kAddedCloseNumber).toInt();
    for (std::size_t l = 0; l < kStatementLineCount; ++l) {
        const StatementFigures& f = c.lines[l];
        db.execute(sql::kAddCloseLine, {std::int64_t(c.number), std::int64_t(l), f.deposits, f.withdrawals,
                                        f.rows ? store::Value(std::int64_t(*f.rows)) : store::Value()});
    }
    std::int64_t position = 0;
    for (const StatementItem& item : s.items) {
        const CarriedItem& i = item.item;
        db.execute(sql::kAddCloseItem,
                   {std::int64_t(c.number), position, std::int64_t(item.state == ItemState::CarriedForward ? 1 : 0),
                    notes::sideKey(i.side), i.id, std::int64_t(i.day), i.office, notes::kindKey(i.kind), i.amount,
                    i.since.key(), closeJoinedCells(c.itemCells[std::size_t(position)])});
        ++position;
    }
    recordClose(db, history::Action::MonthClosed, c.number, period, who, std::int64_t(c.carried.size()),
                c.line(StatementLine::Difference), c.closedAt);
    tx.commit();
    out.close = std::move(c);
    return out;
}

std::optional<CloseBlock> closeBlock(store::Connection& db, const MonthStatement& statement) {
    if (const auto inTheWay = standingInTheWay(closeHeads(db), statement.period))
        return CloseBlock{inTheWay->first, inTheWay->second};
    if (const std::optional<CloseRefusal> why = refusalOf(statement)) return CloseBlock{*why, std::nullopt};
    return std::nullopt;
}

bool reopenMonth(store::Connection& db, Period period, const std::string& who, const Clock& now) {
    const DateTime when = now();
    store::Transaction tx = db.begin();
    if (!reopenMonthWithin(db, period, who, when)) return false;
    tx.commit();
    return true;
}

bool reopenMonthWithin(store::Connection& db, Period period, const std::string& who, const DateTime& when) {
    std::optional<long long> number;
    for (const MonthClose& c : closeHeads(db))
        if (c.inForce() && c.period.key() == period.key()) number = c.number;
    if (!number || db.execute(sql::kReopenClose, {isoDateTime(when), who, std::int64_t(*number)}) != 1) return false;
    recordClose(db, history::Action::MonthReopened, *number, period, who, 0, std::nullopt, when);
    return true;
}

std::vector<std::string> closeChainFaults(store::Connection& db) {
    std::vector<std::string> out;
    std::string previous;
    for (const MonthClose& c : monthCloses(db)) {
        if (closeDigestOf(c) != c.digest) out.push_back(closeNoLongerMatchesText(c.period, c.closedAt));
        if (c.previousDigest != previous) out.push_back(closeOutOfChainText(c.period, c.closedAt));
        previous = c.digest;
    }
    return out;
}

}  // namespace vesk::review
