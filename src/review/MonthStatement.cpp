#include "review/MonthStatement.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "compare/CompareStatements.h"
#include "core/Amount.h"
#include "core/Text.h"
#include "history/FileDigest.h"
#include "notes/HeldRows.h"
#include "notes/NoteWording.h"
#include "notes/Notes.h"
#include "review/OpenItems.h"
#include "review/ReviewStatements.h"
#include "review/StoredPairing.h"
#include "store/ConcurrentRead.h"
#include "store/ExactSum.h"

namespace vesk::review {

namespace {

// One line being added up.
struct StatementTally {
    store::ExactSum deposits, withdrawals;
    long long rows = 0;

    void add(notes::Kind kind, double amount, long long count = 1) {
        (kind == notes::Kind::Deposit ? deposits : withdrawals).add(amount);
        rows += count;
    }
    StatementFigures figures(bool withRows = true) const {
        StatementFigures f{deposits.total(), withdrawals.total(), std::nullopt};
        if (withRows) f.rows = rows;
        return f;
    }
};

using Tallies = std::array<StatementTally, kStatementLineCount>;

StatementTally& tallyOf(Tallies& t, StatementLine line) { return t[std::size_t(line)]; }

std::string statementScopeClause(const compare::Scope& scope) {
    return scope.headOffice ? compare::headOfficeScope(scope.configuredOffice) : std::string();
}

// One side's rows of the month: all of them onto its own line, those the scope leaves out
// onto Not compared as well.
void statementSideRows(store::Connection& db, const std::string& sql, notes::Side side, Tallies& t) {
    const store::ResultSet rs = db.query(sql);
    const std::size_t kind = rs.columnIndex("Kind"), compared = rs.columnIndex("Compared"),
                      entries = rs.columnIndex("Entries"), amount = rs.columnIndex("Amount");
    StatementTally& own = tallyOf(t, side == notes::Side::Bank ? StatementLine::Vesk : StatementLine::Orv);
    for (std::size_t r = 0; r < rs.rowCount(); ++r) {
        const notes::Kind k = rs.field(r, kind).toInt() == 1 ? notes::Kind::Deposit : notes::Kind::Withdrawal;
        const double sum = rs.field(r, amount).toNumber();
        const long long count = rs.field(r, entries).toInt();
        own.add(k, sum, count);
        if (rs.field(r, compared).toInt() == 0)
            tallyOf(t, StatementLine::NotCompared).add(k, signedAmount(side, sum), count);
    }
}

std::optional<StatementLine> makeUpLineOf(compare::PairClass cls) {
    switch (cls) {
        case compare::PairClass::Matched:
        case compare::PairClass::Group:
            return StatementLine::Within;
        // Booked under another office of the same head office: paired, as a timing pair is, by
        // where it was booked rather than by a date.
        case compare::PairClass::Timing:
        case compare::PairClass::OtherOffice:
            return StatementLine::Timing;
        case compare::PairClass::Manual:
            return StatementLine::PairedByHand;
        case compare::PairClass::AmountDiffers:
            return StatementLine::AmountsDiffer;
        case compare::PairClass::BankOnly:
            return StatementLine::OnlyVesk;
        case compare::PairClass::OrvOnly:
            return StatementLine::OnlyOrv;
    }
    return std::nullopt;
}

StatementLine noteLineOf(const compare::ExplainedLine& line) {
    if (!line.note || line.note->status == notes::Status::Open) return StatementLine::Open;
    return line.note->status == notes::Status::Explained ? StatementLine::Explained : StatementLine::Resolved;
}

std::vector<std::string> statementScopeOffices(store::Connection& db, const compare::Scope& scope) {
    std::vector<std::string> out;
    const store::ResultSet rs = db.query(sql::scopeOfficesStatement(statementScopeClause(scope)));
    for (std::size_t r = 0; r < rs.rowCount(); ++r) out.push_back(rs.field(r, 0).toText());
    return out;
}

CarriedItem carriedOf(const compare::ExplainedLine& line, Period since) {
    return {line.side, line.id, line.day, line.office, line.kind, line.amount, since};
}

// An item as it was carried, to find it again among the open items as they are now.
using ItemKey = std::tuple<notes::Side, std::string, long long, std::string, notes::Kind, std::int64_t>;
ItemKey itemKeyOf(const CarriedItem& i) {
    return {i.side, i.id, i.day, i.office, i.kind, compare::amountUnits(i.amount)};
}

void addItem(Tallies& t, StatementLine line, const CarriedItem& item, int sign = 1) {
    tallyOf(t, line).add(item.kind, sign * signedAmount(item.side, item.amount), sign);
}

// What a cleared item came to, from the rows of its month and of the statement's as they are
// now: its row, or else a row of its side and ID on another date.
// Only the lines of the IDs sought are kept: a month's explanation holds every matched row.
struct ClearedLookup {
    std::set<std::pair<notes::Side, std::string>> sought;
    std::map<std::tuple<notes::Side, std::string, long long>, compare::ExplainedLine> byRow;
    std::map<std::pair<notes::Side, std::string>, compare::ExplainedLine> byId;

    void add(const std::vector<compare::ExplainedLine>& lines) {
        for (const compare::ExplainedLine& line : lines) {
            if (!sought.count({line.side, line.id})) continue;
            byId.emplace(std::make_pair(line.side, line.id), line);
            byRow.emplace(std::make_tuple(line.side, line.id, line.day), line);
        }
    }
};

ClearedBy clearedHow(const CarriedItem& item, const ClearedLookup& found, std::optional<compare::ExplainedLine>& now) {
    const auto row = found.byRow.find({item.side, item.id, item.day});
    if (row == found.byRow.end()) {
        const auto other = found.byId.find({item.side, item.id});
        if (other == found.byId.end()) return ClearedBy::NoLongerHeld;
        now = other->second;
        return ClearedBy::Changed;
    }
    now = row->second;
    const compare::ExplainedLine& line = row->second;
    if (line.kind != item.kind || line.office != item.office ||
        compare::amountUnits(line.amount) != compare::amountUnits(item.amount))
        return ClearedBy::Changed;
    switch (line.cls) {
        case compare::PairClass::Matched:
            return ClearedBy::Matched;
        case compare::PairClass::Group:
            return ClearedBy::Group;
        case compare::PairClass::Timing:
        case compare::PairClass::OtherOffice:
            return ClearedBy::Timing;
        case compare::PairClass::Manual:
            return ClearedBy::Manual;
        default:
            break;
    }
    if (line.note && line.note->status == notes::Status::Explained) return ClearedBy::Explained;
    if (line.note && line.note->status == notes::Status::Resolved) return ClearedBy::Resolved;
    // Still open but not as it was carried: its office left the scope, say.
    return ClearedBy::NoLongerHeld;
}

// What the month's digest is taken over: its lines up to Resolved, then its explained rows in a
// fixed order, each with its class and note. The rows are ordered through their indexes, which
// leaves them in the very order sorting the lines themselves would (ties included), without
// moving a few hundred thousand lines about. The first version took a row's side as the listings
// wrote it then; later ones take every word as it is stored, so no rewording changes a digest.
std::string statementDigestOf(const MonthStatement& s, const std::vector<compare::ExplainedLine>& lines, int version) {
    const auto sideWord = [version](notes::Side side) {
        if (version == 1) return side == notes::Side::Bank ? "Bank" : "ORV";
        return notes::sideKey(side);
    };
    std::string text = std::to_string(s.period.key()) + "\n";
    for (std::size_t l = 0; l <= std::size_t(StatementLine::Resolved); ++l) {
        const StatementFigures& f = s.lines[l];
        text += formatAmount(f.deposits) + "\t" + formatAmount(f.withdrawals) + "\t" +
                (f.rows ? std::to_string(*f.rows) : "") + "\n";
    }
    std::vector<std::int64_t> units(lines.size());
    std::vector<std::size_t> order(lines.size());
    for (std::size_t n = 0; n < lines.size(); ++n) units[n] = compare::amountUnits(lines[n].amount), order[n] = n;
    std::sort(order.begin(), order.end(), [&](std::size_t i, std::size_t j) {
        const compare::ExplainedLine &a = lines[i], &b = lines[j];
        return std::tie(a.side, a.id, a.day, a.office, a.kind, units[i]) <
               std::tie(b.side, b.id, b.day, b.office, b.kind, units[j]);
    });
    text.reserve(text.size() + lines.size() * 64);
    for (std::size_t n : order) {
        const compare::ExplainedLine& l = lines[n];
        text += sideWord(l.side);
        text += '\t';
        text += l.id;
        text += '\t';
        text += std::to_string(l.day);
        text += '\t';
        text += l.office;
        text += l.kind == notes::Kind::Deposit ? "\tD\t" : "\tW\t";
        text += std::to_string(units[n]);
        text += '\t';
        text += compare::pairClassKey(l.cls);
        text += '\t';
        text += std::to_string(l.handPair);
        if (l.note) {
            text += '\t';
            text += notes::statusKey(l.note->status);
            text += '\t';
            text += l.note->text;
        }
        text += '\n';
    }
    return history::sha256Hex(text.data(), text.size());
}

// The items in the order they are listed: cleared before carried, then by date, office name
// without regard to case, side and ID. The keys are made once, not at every comparison.
void listInOrder(std::vector<StatementItem>& items) {
    using Key = std::tuple<int, long long, std::string, std::string, notes::Side, std::string>;
    std::vector<std::pair<Key, std::size_t>> keys;
    keys.reserve(items.size());
    for (std::size_t n = 0; n < items.size(); ++n) {
        const StatementItem& i = items[n];
        keys.push_back({{int(i.state), i.item.day, upper(i.item.office), i.item.office, i.item.side, i.item.id}, n});
    }
    std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<StatementItem> sorted;
    sorted.reserve(items.size());
    for (const auto& k : keys) sorted.push_back(std::move(items[k.second]));
    items = std::move(sorted);
}

// Both sides' rows of the month onto their lines.
void tallySides(store::Connection& db, Period period, const std::string& clause, Tallies& t) {
    statementSideRows(db, sql::statementBankStatement(period.year, period.month, clause), notes::Side::Bank, t);
    statementSideRows(db, sql::statementOrvStatement(period.year, period.month, clause), notes::Side::Orv, t);
}

// The month's lines up to Resolved: both sides' rows, and the month explained for the scope's
// offices (returned, with those offices). The sides are added up on a connection of their own
// while the month is explained, when one beside this would see the same.
compare::Explanation tallyMonth(store::Connection& db, MonthStatement& out, Tallies& t,
                                std::vector<std::string>& offices, bool (*keep)(compare::PairClass)) {
    const Period period = out.period;
    out.scope = compare::comparisonScope(db);
    const std::string clause = statementScopeClause(out.scope);
    offices = statementScopeOffices(db, out.scope);
    Tallies sides;
    store::ConcurrentRead added(db, [&](store::Connection& on) { tallySides(on, period, clause, sides); });
    const auto count = [&t](const compare::CountedRow& row) {
        if (const std::optional<StatementLine> l = makeUpLineOf(row.cls))
            tallyOf(t, *l).add(row.kind, signedAmount(row.side, row.amount));
    };
    compare::Explanation explained = compare::explainOffices(db, period, offices, keep, count);
    added.wait();
    for (StatementLine l : {StatementLine::Vesk, StatementLine::Orv, StatementLine::NotCompared})
        tallyOf(t, l) = tallyOf(sides, l);
    for (const compare::ExplainedLine& line : explained.lines)
        if (isException(line.cls)) tallyOf(t, noteLineOf(line)).add(line.kind, signedAmount(line.side, line.amount));
    return explained;
}

// The lines as tallied, and the amounts only ones: the difference, and what of it the make-up
// leaves.
void settleLines(MonthStatement& out, const Tallies& t) {
    for (std::size_t l = 0; l < kStatementLineCount; ++l) out.lines[l] = t[l].figures();
    store::ExactSum depDiff, wdlDiff, depLeft, wdlLeft;
    const StatementFigures &vesk = out.line(StatementLine::Vesk), &orv = out.line(StatementLine::Orv);
    depDiff.add(vesk.deposits), depDiff.add(-orv.deposits);
    wdlDiff.add(vesk.withdrawals), wdlDiff.add(-orv.withdrawals);
    depLeft = depDiff, wdlLeft = wdlDiff;
    for (StatementLine l : kMakeUpLines) depLeft.add(-out.line(l).deposits), wdlLeft.add(-out.line(l).withdrawals);
    out.lines[std::size_t(StatementLine::Difference)] = {depDiff.total(), wdlDiff.total(), std::nullopt};
    out.lines[std::size_t(StatementLine::Unexplained)] = {depLeft.total(), wdlLeft.total(), std::nullopt};
}

MonthStatement buildStatement(store::Connection& db, Period period, const std::vector<CarriedItem>* brought,
                              WithDigest digest) {
    MonthStatement out;
    out.period = period;
    Tallies t;
    std::vector<std::string> offices;
    // Only a digest needs every line of the month; the statement's own lines need its exceptions.
    const bool whole = digest == WithDigest::Yes;
    const compare::Explanation explained = tallyMonth(db, out, t, offices, whole ? compare::everyClass : isException);

    // The roll-forward: the open items up to the month's last day, those before it against
    // what was brought forward.
    const long long first = firstDayOf(period);
    const OpenItems open = openItems(db, lastDayOf(period), ItemHints::Without);
    std::vector<CarriedItem> broughtItems;
    if (brought) {
        broughtItems = *brought;
    } else {
        for (const OpenItem& i : open.items)
            if (i.line.day < first) broughtItems.push_back(carriedOf(i.line, monthOfDay(i.line.day)));
    }
    std::multimap<ItemKey, const CarriedItem*> unmatched;
    for (const CarriedItem& b : broughtItems) {
        addItem(t, StatementLine::BroughtForward, b);
        unmatched.emplace(itemKeyOf(b), &b);
    }
    for (const OpenItem& i : open.items) {
        CarriedItem now = carriedOf(i.line, monthOfDay(i.line.day));
        if (i.line.day >= first) {
            addItem(t, StatementLine::Arisen, now);
        } else if (const auto it = unmatched.find(itemKeyOf(now)); it != unmatched.end()) {
            now.since = it->second->since;
            unmatched.erase(it);
        } else {
            addItem(t, StatementLine::OtherEarlier, now);
        }
        addItem(t, StatementLine::CarriedForward, now);
        out.items.push_back({ItemState::CarriedForward, std::move(now), i.line, std::nullopt});
    }

    // The brought items left over are cleared; what cleared each is read from its month.
    ClearedLookup lookup;
    for (const auto& entry : unmatched) lookup.sought.emplace(entry.second->side, entry.second->id);
    if (!unmatched.empty()) lookup.add(whole ? explained.lines : compare::explainOffices(db, period, offices).lines);
    std::set<int> read{period.key()};
    for (const auto& entry : unmatched) {
        const Period month = monthOfDay(entry.second->day);
        if (read.insert(month.key()).second) lookup.add(compare::explainOffices(db, month, offices).lines);
    }
    for (const auto& entry : unmatched) {
        const CarriedItem& item = *entry.second;
        addItem(t, StatementLine::Cleared, item, -1);
        StatementItem cleared{ItemState::Cleared, item, std::nullopt, std::nullopt};
        cleared.how = clearedHow(item, lookup, cleared.now);
        out.items.push_back(std::move(cleared));
    }
    listInOrder(out.items);

    settleLines(out, t);
    if (digest == WithDigest::Yes) out.monthDigest = statementDigestOf(out, explained.lines, kMonthDigestVersion);
    return out;
}

}  // namespace

double signedAmount(notes::Side side, double amount) { return side == notes::Side::Bank ? amount : -amount; }

bool MonthStatement::anyRows() const {
    return line(StatementLine::Vesk).rows.value_or(0) + line(StatementLine::Orv).rows.value_or(0) > 0;
}

std::vector<CarriedItem> MonthStatement::carried() const {
    std::vector<CarriedItem> out;
    for (const StatementItem& i : items)
        if (i.state == ItemState::CarriedForward) out.push_back(i.item);
    return out;
}

MonthStatement monthStatement(store::Connection& db, Period period, WithDigest digest) {
    storePairing(db);
    const store::ReadSnapshot read(db);
    return buildStatement(db, period, nullptr, digest);
}

MonthStatement monthStatement(store::Connection& db, Period period, const std::vector<CarriedItem>& brought,
                              WithDigest digest) {
    storePairing(db);
    const store::ReadSnapshot read(db);
    return buildStatement(db, period, &brought, digest);
}

std::string monthDigestOf(store::Connection& db, Period period, int version) {
    const store::ReadSnapshot read(db);
    MonthStatement s;
    s.period = period;
    Tallies t;
    std::vector<std::string> offices;
    const compare::Explanation explained = tallyMonth(db, s, t, offices, compare::everyClass);
    settleLines(s, t);
    return statementDigestOf(s, explained.lines, version);
}

}  // namespace vesk::review
