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

namespace vesk::review {

namespace {

DateTime closeTimeOf(const store::Value& v) {
    const std::optional<DateTime> t = parseDateText(v.toText());
    if (!t) throw Error(errc::kTypeMismatch, closeTimeFaultText(v.toText()));
    return *t;
}

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

// The close's own digest: everything it keeps but its reopening, and the digest before it.
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
    return history::sha256Hex(text.data(), text.size());
}

bool keepsCloses(store::Connection& db) { return store::hasTable(db, sql::kClosesTable); }

// Every close as listed, without its lines and items: what choosing among them needs.
std::vector<MonthClose> closeHeads(store::Connection& db) {
    std::vector<MonthClose> out;
    if (!keepsCloses(db)) return out;
    const store::ResultSet rs = db.query(sql::kCloses);
    for (std::size_t r = 0; r < rs.rowCount(); ++r) {
        MonthClose c;
        c.number = rs.field(r, 0).toInt();
        c.period = periodOfKey(rs.field(r, 1).toInt());
        c.closedAt = closeTimeOf(rs.field(r, 2));
        c.closedBy = rs.field(r, 3).toText();
        c.monthDigest = rs.field(r, 4).toText();
        c.previousDigest = rs.field(r, 5).toText();
        c.digest = rs.field(r, 6).toText();
        if (!rs.field(r, 7).isNull()) c.reopenedAt = closeTimeOf(rs.field(r, 7));
        c.reopenedBy = rs.field(r, 8).toText();
        out.push_back(std::move(c));
    }
    return out;
}

// Lines and items, each row given to the close of `closes` (in number order) its first column
// numbers; rows of any other close are left out.
void readContents(const store::ResultSet& lines, const store::ResultSet& items, std::vector<MonthClose>& closes) {
    const auto closeOf = [&](const store::Value& number) -> MonthClose* {
        const long long n = number.toInt();
        const auto it = std::lower_bound(closes.begin(), closes.end(), n,
                                         [](const MonthClose& c, long long key) { return c.number < key; });
        return it != closes.end() && it->number == n ? &*it : nullptr;
    };
    for (std::size_t r = 0; r < lines.rowCount(); ++r) {
        MonthClose* c = closeOf(lines.field(r, 0));
        const long long line = lines.field(r, 1).toInt();
        if (!c || line < 0 || line >= static_cast<long long>(kStatementLineCount)) continue;
        StatementFigures& f = c->lines[std::size_t(line)];
        f.deposits = lines.field(r, 2).toNumber();
        f.withdrawals = lines.field(r, 3).toNumber();
        if (!lines.field(r, 4).isNull()) f.rows = lines.field(r, 4).toInt();
    }
    for (std::size_t r = 0; r < items.rowCount(); ++r) {
        MonthClose* c = closeOf(items.field(r, 0));
        if (!c) continue;
        c->itemCells.push_back(closeSplitCells(items.field(r, 9).toText()));
        if (items.field(r, 1).toInt() == 0) continue;
        CarriedItem i;
        i.side = notes::sideNamed(items.field(r, 2).toText()).value_or(notes::Side::Orv);
        i.id = items.field(r, 3).toText();
        i.day = items.field(r, 4).toInt();
        i.office = items.field(r, 5).toText();
        i.kind = notes::kindNamed(items.field(r, 6).toText()).value_or(notes::Kind::Withdrawal);
        i.amount = items.field(r, 7).toNumber();
        i.since = periodOfKey(items.field(r, 8).toInt());
        c->carried.push_back(std::move(i));
    }
}

// One close whole: its head with its lines and items read.
MonthClose withContents(store::Connection& db, MonthClose c) {
    const std::vector<store::Value> number{std::int64_t(c.number)};
    std::vector<MonthClose> one{std::move(c)};
    readContents(db.query(sql::kCloseLinesOf, number), db.query(sql::kCloseItemsOf, number), one);
    return std::move(one.front());
}

// The close that stops a close of the month: one of the month itself or of a later month that stands.
std::optional<std::pair<CloseRefusal, MonthClose>> standingInTheWay(const std::vector<MonthClose>& heads,
                                                                    Period period) {
    for (const MonthClose& c : heads)
        if (c.stands() && c.period.key() == period.key()) return std::pair{CloseRefusal::AlreadyClosed, c};
    for (const MonthClose& c : heads)
        if (c.stands() && c.period.key() > period.key()) return std::pair{CloseRefusal::LaterClosed, c};
    return std::nullopt;
}

// The month's statement as it is now, brought forward from the latest earlier close that stands.
MonthStatement statementAfter(store::Connection& db, Period period, const std::vector<MonthClose>& heads,
                              MonthDigest digest = MonthDigest::Taken) {
    const MonthClose* earlier = nullptr;
    for (const MonthClose& c : heads)
        if (c.stands() && c.period.key() < period.key() && (!earlier || c.period.key() > earlier->period.key()))
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

void recordClose(store::Connection& db, history::Action action, Period period, const std::string& who,
                 std::int64_t rows, const std::optional<StatementFigures>& difference, const DateTime& when) {
    history::Change change;
    change.action = action;
    change.year = period.year;
    change.month = period.month;
    change.office = who;
    change.rows = rows;
    if (difference) change.deposits = difference->deposits, change.withdrawals = difference->withdrawals;
    history::recordChange(db, change, when);
}

}  // namespace

std::vector<MonthClose> monthCloses(store::Connection& db) {
    std::vector<MonthClose> out = closeHeads(db);
    if (!out.empty()) readContents(db.query(sql::kCloseLines), db.query(sql::kCloseItems), out);
    return out;
}

std::optional<MonthClose> standingClose(store::Connection& db, Period period) {
    for (MonthClose& c : closeHeads(db))
        if (c.stands() && c.period.key() == period.key()) return withContents(db, std::move(c));
    return std::nullopt;
}

CloseState closeState(store::Connection& db, const MonthClose& close) {
    if (!close.stands()) return CloseState::Reopened;
    return monthDigestOf(db, close.period) == close.monthDigest ? CloseState::Closed : CloseState::Changed;
}

MonthStatement currentStatement(store::Connection& db, Period period) {
    keepPairingCurrent(db);
    const store::ReadSnapshot read(db);
    return statementAfter(db, period, closeHeads(db));
}

ShownStatement shownStatement(store::Connection& db, Period period, bool computedNow, const DateTime& now) {
    keepPairingCurrent(db);
    const store::ReadSnapshot read(db);
    const std::vector<MonthClose> heads = closeHeads(db);
    const MonthClose* last = nullptr;  // the month's last close, standing or reopened
    if (!computedNow)
        for (const MonthClose& c : heads)
            if (c.period.key() == period.key()) last = &c;
    ShownStatement shown;
    if (last && last->stands()) {
        const MonthClose close = withContents(db, *last);
        shown.statement.period = period;
        shown.statement.scope = compare::comparisonScope(db);
        shown.statement.lines = close.lines;
        shown.items = close.itemCells;
    } else {
        shown.statement = statementAfter(db, period, heads, MonthDigest::Left);
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
    keepPairingCurrent(db);
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
    c.previousDigest = db.scalar(sql::kLastCloseDigest).toText();
    c.digest = closeDigestOf(c);
    db.execute(sql::kAddClose, {period.key(), isoDateTime(c.closedAt), who, c.monthDigest, c.previousDigest, c.digest});
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
    recordClose(db, history::Action::MonthClosed, period, who, std::int64_t(c.carried.size()),
                c.line(StatementLine::Difference), c.closedAt);
    tx.commit();
    out.close = std::move(c);
    return out;
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
        if (c.stands() && c.period.key() == period.key()) number = c.number;
    if (!number || db.execute(sql::kReopenClose, {isoDateTime(when), who, std::int64_t(*number)}) != 1) return false;
    recordClose(db, history::Action::MonthReopened, period, who, 0, std::nullopt, when);
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
