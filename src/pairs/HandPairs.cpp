#include "pairs/HandPairs.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "core/Amount.h"
#include "core/Error.h"
#include "core/Text.h"
#include "history/ImportHistory.h"
#include "notes/Notes.h"
#include "pairs/PairStatements.h"
#include "pairs/PairWording.h"
#include "store/ExactSum.h"

namespace vesk::pairs {

namespace {

const char* stateKey(PairState state) {
    switch (state) {
        case PairState::Held:
            return "held";
        case PairState::Broken:
            return "broken";
        case PairState::Undone:
            return "undone";
    }
    return "";
}

PairState stateNamed(const std::string& key) {
    for (PairState s : {PairState::Held, PairState::Broken, PairState::Undone})
        if (key == stateKey(s)) return s;
    throw Error(errc::kTypeMismatch, unknownPairFieldText("state", key));
}

Kind kindOf(const store::Value& v) {
    const std::optional<Kind> kind = notes::kindNamed(v.toText());
    if (!kind) throw Error(errc::kTypeMismatch, unknownPairFieldText("kind", v.toText()));
    return *kind;
}

Side sideOf(const store::Value& v) {
    const std::optional<Side> side = notes::sideNamed(v.toText());
    if (!side) throw Error(errc::kTypeMismatch, unknownPairFieldText("side", v.toText()));
    return *side;
}

DateTime timeOf(const store::Value& v) {
    const std::optional<DateTime> t = parseDateText(v.toText());
    if (!t) throw Error(errc::kTypeMismatch, pairNoTimeText(v.toText()));
    return *t;
}

bool keepsPairs(store::Connection& db) { return db.scalar(sql::kHasHandPairs).toInt() > 0; }

bool rowOrder(const PairRow& a, const PairRow& b) {
    const std::string ua = upper(a.id), ub = upper(b.id);
    return std::tie(a.side, a.day, ua, a.id) < std::tie(b.side, b.day, ub, b.id);
}

HandPair pairOf(const store::ResultSet& rs, std::size_t r) {
    HandPair p;
    p.number = int(rs.field(r, 0).toInt());
    p.kind = kindOf(rs.field(r, 1));
    p.difference = rs.field(r, 2).toNumber();
    p.text = rs.field(r, 3).toText();
    p.by = rs.field(r, 4).toText();
    p.when = timeOf(rs.field(r, 5));
    p.state = stateNamed(rs.field(r, 6).toText());
    p.changedBy = rs.field(r, 7).toText();
    if (!rs.field(r, 8).isNull()) p.changed = timeOf(rs.field(r, 8));
    if (p.state == PairState::Broken && !rs.field(r, 9).isNull()) {
        Break b;
        b.row.side = sideOf(rs.field(r, 9));
        b.row.id = rs.field(r, 10).toText();
        b.row.day = rs.field(r, 11).toInt();
        if (!rs.field(r, 12).isNull()) b.amount = rs.field(r, 12).toNumber();
        if (!rs.field(r, 13).isNull()) {
            b.kindChanged = true;
            b.kind = notes::kindNamed(rs.field(r, 13).toText());
        }
        p.broken = b;
    }
    return p;
}

// Rows in order, and the row that broke a pair with its office and amount as the pair holds them.
void sortRows(HandPair& p) {
    std::sort(p.rows.begin(), p.rows.end(), rowOrder);
    if (!p.broken) return;
    for (const PairRow& row : p.rows)
        if (notes::rowKey(row.ref()) == notes::rowKey(p.broken->row.ref())) p.broken->row = row;
}

PairRow rowOf(const store::ResultSet& rs, std::size_t r) {
    return {sideOf(rs.field(r, 1)), rs.field(r, 2).toText(), rs.field(r, 3).toInt(), rs.field(r, 4).toText(),
            rs.field(r, 5).toNumber()};
}

// The pairs of the states and their rows, by number.
std::vector<HandPair> readPairs(store::Connection& db, const std::string& states) {
    std::vector<HandPair> out;
    if (!keepsPairs(db)) return out;
    const store::ResultSet pairs = db.query(sql::pairsStatement(states));
    std::map<int, std::size_t> at;
    for (std::size_t r = 0; r < pairs.rowCount(); ++r) {
        out.push_back(pairOf(pairs, r));
        at[out.back().number] = out.size() - 1;
    }
    const store::ResultSet rows = db.query(sql::pairRowsStatement(states));
    for (std::size_t r = 0; r < rows.rowCount(); ++r)
        if (const auto it = at.find(int(rows.field(r, 0).toInt())); it != at.end())
            out[it->second].rows.push_back(rowOf(rows, r));
    for (HandPair& p : out) sortRows(p);
    return out;
}

std::optional<HandPair> pairNumbered(store::Connection& db, int number) {
    if (!keepsPairs(db)) return std::nullopt;
    const store::ResultSet rs = db.query(sql::kPairNumbered, {number});
    if (rs.empty()) return std::nullopt;
    HandPair p = pairOf(rs, 0);
    const store::ResultSet rows = db.query(sql::kPairRowsNumbered, {number});
    for (std::size_t r = 0; r < rows.rowCount(); ++r) p.rows.push_back(rowOf(rows, r));
    sortRows(p);
    return p;
}

const std::string kHeldStates = "'held'";
const std::string kListedStates = "'held', 'broken'";

// The change's period is the month of the pair's earliest row: the stored pairing of the
// months up to two from it is then paired again, and a pair spans at most 31 days.
void record(store::Connection& db, history::Action action, const HandPair& pair, std::string detail,
            const DateTime& when) {
    history::Change change;
    change.action = action;
    const Period month = monthOfDay(pair.firstDay());
    change.year = month.year;
    change.month = month.month;
    change.rows = std::int64_t(pair.rows.size());
    change.pair = history::PairChange{pairName(pair.number), std::move(detail)};
    history::recordChange(db, change, when);
}

// Resolves the rows named on one side; a refusal when one is none, or is held twice.
std::optional<Refusal> resolve(store::Connection& db, Side side, const std::vector<notes::RowText>& asked,
                               std::vector<std::pair<PairRow, std::optional<Kind>>>& rows) {
    for (const notes::RowText& text : asked) {
        const notes::RowLookup found = notes::findRow(db, side, text);
        if (found.found != notes::Found::Row) {
            Refusal r;
            r.rule = Rule::RowNotFound;
            r.side = side;
            r.lookup = found;
            return r;
        }
        const notes::HeldRow& held = found.rows.front();
        const PairRow row{side, held.id, held.day, held.office, held.amount};
        if (found.rows.size() > 1) {
            Refusal r;
            r.rule = Rule::HeldTwice;
            r.row = row;
            return r;
        }
        rows.emplace_back(row, held.kind);
    }
    return std::nullopt;
}

Refusal refusalAbout(Rule rule, const PairRow& row) {
    Refusal r;
    r.rule = rule;
    r.side = row.side;
    r.row = row;
    return r;
}

// Every rule about the rows themselves, in order; none when they make a pair.
std::optional<Refusal> checkRows(const std::vector<std::pair<PairRow, std::optional<Kind>>>& rows,
                                 const std::map<notes::RowKey, ManualMark>& held, bool acceptDifference,
                                 HandPair& pair) {
    std::set<notes::RowKey> seen;
    for (const auto& [row, kind] : rows)
        if (!seen.insert(notes::rowKey(row.ref())).second) return refusalAbout(Rule::NamedTwice, row);
    for (const auto& [row, kind] : rows)
        if (row.office.empty()) return refusalAbout(Rule::NoOffice, row);
    for (const auto& [row, kind] : rows)
        if (!kind) return refusalAbout(Rule::NoKind, row);
    const auto& [first, firstKind] = rows.front();
    for (const auto& [row, kind] : rows)
        if (kind != firstKind) {
            Refusal r = refusalAbout(Rule::KindsDiffer, row);
            r.kind = firstKind;
            r.other = first;
            return r;
        }
    const auto [earliest, latest] = std::minmax_element(
        rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first.day < b.first.day; });
    if (latest->first.day - earliest->first.day > kWidestSpanDays) {
        Refusal r = refusalAbout(Rule::SpanTooWide, earliest->first);
        r.other = latest->first;
        r.days = latest->first.day - earliest->first.day;
        return r;
    }
    for (const auto& [row, kind] : rows)
        if (const auto it = held.find(notes::rowKey(row.ref())); it != held.end()) {
            Refusal r = refusalAbout(Rule::AlreadyPaired, row);
            r.pair = it->second.pair;
            return r;
        }
    store::ExactSum bank, orv;
    std::int64_t bankUnits = 0, orvUnits = 0;
    for (const auto& [row, kind] : rows) {
        (row.side == Side::Bank ? bank : orv).add(row.amount);
        (row.side == Side::Bank ? bankUnits : orvUnits) += amountUnits(row.amount);
    }
    if (!amountsEqual(bankUnits, orvUnits) && !acceptDifference) {
        Refusal r;
        r.rule = Rule::SumsDiffer;
        r.bankSum = bank.total();
        r.orvSum = orv.total();
        return r;
    }
    pair.kind = *firstKind;
    pair.difference = double(bankUnits - orvUnits) / 10000.0;
    for (const auto& [row, kind] : rows) pair.rows.push_back(row);
    std::sort(pair.rows.begin(), pair.rows.end(), rowOrder);
    return std::nullopt;
}

Refusal countRefusal(Rule rule, std::size_t count) {
    Refusal r;
    r.rule = rule;
    r.side = rule == Rule::OrvCount ? Side::Orv : Side::Bank;
    r.count = count;
    return r;
}

}  // namespace

std::string pairName(int number) { return "M" + std::to_string(number); }

std::optional<int> pairNumberNamed(const std::string& name) {
    const std::string t = trim(name);
    if (t.size() < 2 || t.size() > 10 || (t[0] != 'M' && t[0] != 'm')) return std::nullopt;
    if (!std::all_of(t.begin() + 1, t.end(), [](char c) { return c >= '0' && c <= '9'; })) return std::nullopt;
    const long long n = std::stoll(t.substr(1));
    if (n < 1 || n > 2147483647) return std::nullopt;
    return int(n);
}

long long HandPair::firstDay() const {
    long long day = rows.empty() ? 0 : rows.front().day;
    for (const PairRow& r : rows) day = std::min(day, r.day);
    return day;
}

long long HandPair::lastDay() const {
    long long day = rows.empty() ? 0 : rows.front().day;
    for (const PairRow& r : rows) day = std::max(day, r.day);
    return day;
}

PairRequest PairRequest::named(const std::vector<std::string>& bank, const std::vector<std::string>& orv) {
    PairRequest r;
    for (const std::string& t : bank) r.bank.push_back(notes::parseRowText(t));
    for (const std::string& t : orv) r.orv.push_back(notes::parseRowText(t));
    return r;
}

PairRequest PairRequest::of(const std::vector<RowRef>& rows) {
    PairRequest r;
    for (const RowRef& row : rows) (row.side == Side::Bank ? r.bank : r.orv).push_back({row.id, row.day});
    return r;
}

MadePair makePair(store::Connection& db, const PairRequest& request, const std::string& who, const DateTime& when) {
    MadePair out;
    if (request.bank.empty() || request.bank.size() > kMostRowsOfASide) {
        out.refusal = countRefusal(Rule::BankCount, request.bank.size());
        return out;
    }
    if (request.orv.empty() || request.orv.size() > kMostRowsOfASide) {
        out.refusal = countRefusal(Rule::OrvCount, request.orv.size());
        return out;
    }
    const std::string text = notes::noteText(request.text);
    if (notes::characterCount(text) > kLongestText) {
        out.refusal = countRefusal(Rule::TextTooLong, notes::characterCount(text));
        return out;
    }
    if (db.readOnly() || !keepsPairs(db)) {
        out.refusal = Refusal{};
        out.refusal->rule = Rule::ReadOnly;
        return out;
    }
    try {
        store::Transaction tx = db.begin();
        std::vector<std::pair<PairRow, std::optional<Kind>>> rows;
        if ((out.refusal = resolve(db, Side::Bank, request.bank, rows))) return out;
        if ((out.refusal = resolve(db, Side::Orv, request.orv, rows))) return out;
        HandPair pair;
        if ((out.refusal = checkRows(rows, heldPairMarks(db), request.acceptDifference, pair))) return out;
        pair.number = int(db.scalar(sql::kNextNumber).toInt());
        pair.text = text;
        pair.by = who;
        pair.when = when;
        db.execute(sql::kSavePair,
                   {pair.number, notes::kindKey(pair.kind), pair.difference, pair.text, who, isoDateTime(when)});
        store::Statement insert = db.prepare(sql::kSavePairRow);
        for (const PairRow& row : pair.rows)
            insert.execute(
                {pair.number, notes::sideKey(row.side), row.id, std::int64_t(row.day), row.office, row.amount});
        record(db, history::Action::HandPairMade, pair, madeDetail(pair), when);
        tx.commit();
        out.pair = std::move(pair);
        return out;
    } catch (const Error& e) {
        if (e.number() != store::kReadOnlyError) throw;
        out.refusal = Refusal{};
        out.refusal->rule = Rule::ReadOnly;
        return out;
    }
}

Undo unpair(store::Connection& db, const std::string& name, const std::string& who, const DateTime& when) {
    Undo out;
    const std::optional<int> number = pairNumberNamed(name);
    if (!number) {
        out.outcome = UndoOutcome::NotAName;
        return out;
    }
    if (db.readOnly() || !keepsPairs(db)) {
        out.outcome = UndoOutcome::ReadOnly;
        return out;
    }
    try {
        store::Transaction tx = db.begin();
        out.pair = pairNumbered(db, *number);
        if (!out.pair) {
            out.outcome = UndoOutcome::NoSuchPair;
            return out;
        }
        if (out.pair->state == PairState::Undone) {
            out.outcome = UndoOutcome::AlreadyUndone;
            return out;
        }
        db.execute(sql::kUndo, {*number, who, isoDateTime(when)});
        record(db, history::Action::HandPairUndone, *out.pair, undoneDetail(*out.pair), when);
        tx.commit();
        out.pair->state = PairState::Undone;
        out.pair->changedBy = who;
        out.pair->changed = when;
        return out;
    } catch (const Error& e) {
        if (e.number() != store::kReadOnlyError) throw;
        out.outcome = UndoOutcome::ReadOnly;
        return out;
    }
}

std::vector<HandPair> listPairs(store::Connection& db, std::optional<Period> month) {
    std::vector<HandPair> out = readPairs(db, kListedStates);
    if (month)
        std::erase_if(out, [&](const HandPair& p) {
            return std::none_of(p.rows.begin(), p.rows.end(),
                                [&](const PairRow& r) { return monthOfDay(r.day) == *month; });
        });
    return out;
}

std::map<notes::RowKey, ManualMark> heldPairMarks(store::Connection& db) {
    std::map<notes::RowKey, ManualMark> out;
    for (const HandPair& p : readPairs(db, kHeldStates))
        for (const PairRow& row : p.rows) {
            ManualMark mark{p.number, std::nullopt};
            for (const PairRow& other : p.rows)
                if (other.side != row.side && other.day != row.day && (!mark.otherDay || other.day < *mark.otherDay))
                    mark.otherDay = other.day;
            out[notes::rowKey(row.ref())] = mark;
        }
    return out;
}

std::vector<int> breakChangedPairs(store::Connection& db, Side side, const DateTime& when) {
    std::vector<int> broken;
    if (!keepsPairs(db)) return broken;
    std::vector<HandPair> held = readPairs(db, kHeldStates);
    std::erase_if(held, [&](const HandPair& p) {
        return std::none_of(p.rows.begin(), p.rows.end(), [&](const PairRow& r) { return r.side == side; });
    });
    if (held.empty()) return broken;
    std::multimap<notes::RowKey, notes::HeldRow> rows;
    for (notes::HeldRow& row : notes::heldRowsOfIds(db, side, sql::heldPairIds(side)))
        rows.emplace(notes::rowKey(row.ref()), std::move(row));
    const std::string who = notes::loginName();
    for (HandPair& pair : held) {
        for (const PairRow& row : pair.rows) {
            if (row.side != side) continue;
            const auto [first, last] = rows.equal_range(notes::rowKey(row.ref()));
            bool same = false;
            std::optional<notes::HeldRow> now;
            for (auto it = first; it != last && !same; ++it) {
                same = amountsEqual(amountUnits(it->second.amount), amountUnits(row.amount)) &&
                       it->second.kind == pair.kind;
                if (!now) now = it->second;
            }
            if (same) continue;
            Break b;
            b.row = row;
            if (now) {
                b.amount = now->amount;
                b.kindChanged = now->kind != pair.kind;
                b.kind = now->kind;
            }
            db.execute(sql::kBreak, {pair.number, who, isoDateTime(when), notes::sideKey(row.side), row.id,
                                     std::int64_t(row.day), b.amount ? store::Value(*b.amount) : store::Value(),
                                     b.kindChanged && b.kind ? store::Value(notes::kindKey(*b.kind))
                                     : b.kindChanged         ? store::Value("neither")
                                                             : store::Value()});
            pair.state = PairState::Broken;
            pair.broken = b;
            record(db, history::Action::HandPairBroken, pair, brokenDetail(pair), when);
            broken.push_back(pair.number);
            break;
        }
    }
    return broken;
}

}  // namespace vesk::pairs
