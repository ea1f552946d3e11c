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
#include "store/Schema.h"
#include "store/StoredRows.h"

namespace vesk::pairs {

namespace {

// What a broken pair keeps as the kind of its row that is now neither a deposit nor a withdrawal.
constexpr const char* kNeitherKind = "neither";

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

std::optional<PairState> stateNamed(const std::string& key) {
    for (PairState s : {PairState::Held, PairState::Broken, PairState::Undone})
        if (key == stateKey(s)) return s;
    return std::nullopt;
}

bool keepsPairs(store::Connection& db) { return db.layoutVersion() >= store::kHandPairsLayout; }

bool rowOrder(const PairRow& a, const PairRow& b) {
    const std::string ua = upper(a.id), ub = upper(b.id);
    return std::tie(a.side, a.day, ua, a.id) < std::tie(b.side, b.day, ub, b.id);
}

// The columns of a result of pairs, found once.
struct PairColumns {
    explicit PairColumns(const store::StoredRows& rs)
        : number(rs.column("number")),
          kind(rs.column("kind")),
          difference(rs.column("difference")),
          text(rs.column("pair_text")),
          by(rs.column("made_by")),
          when(rs.column("made_at")),
          state(rs.column("state")),
          changedBy(rs.column("changed_by")),
          changed(rs.column("changed_at")),
          brokenSide(rs.column("broken_side")),
          brokenId(rs.column("broken_tran_id")),
          brokenDay(rs.column("broken_day")),
          brokenAmount(rs.column("broken_amount")),
          brokenKind(rs.column("broken_kind")) {}
    std::size_t number, kind, difference, text, by, when, state, changedBy, changed, brokenSide, brokenId, brokenDay,
        brokenAmount, brokenKind;
};

HandPair pairOf(const store::StoredRows& rs, const PairColumns& c, std::size_t r) {
    HandPair p;
    p.number = int(rs.integer(r, c.number));
    p.kind = rs.named<Kind>(r, c.kind, notes::kindNamed);
    p.difference = rs.number(r, c.difference);
    p.text = rs.text(r, c.text);
    p.by = rs.text(r, c.by);
    p.when = rs.time(r, c.when);
    p.state = rs.named<PairState>(r, c.state, stateNamed);
    p.changedBy = rs.text(r, c.changedBy);
    p.changed = rs.optionalTime(r, c.changed);
    if (p.state == PairState::Broken && !rs.isNull(r, c.brokenSide)) {
        Break b;
        b.row.side = rs.named<Side>(r, c.brokenSide, notes::sideNamed);
        b.row.id = rs.text(r, c.brokenId);
        b.row.day = rs.integer(r, c.brokenDay);
        if (!rs.isNull(r, c.brokenAmount)) b.amount = rs.number(r, c.brokenAmount);
        if (!rs.isNull(r, c.brokenKind)) {
            b.kindChanged = true;
            if (rs.text(r, c.brokenKind) != kNeitherKind) b.kind = rs.named<Kind>(r, c.brokenKind, notes::kindNamed);
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

struct RowColumns {
    explicit RowColumns(const store::StoredRows& rs)
        : pair(rs.column("pair")),
          side(rs.column("side")),
          id(rs.column("tran_id")),
          day(rs.column("day")),
          office(rs.column("office")),
          amount(rs.column("amount")) {}
    std::size_t pair, side, id, day, office, amount;
};

PairRow rowOf(const store::StoredRows& rs, const RowColumns& c, std::size_t r) {
    return {rs.named<Side>(r, c.side, notes::sideNamed), rs.text(r, c.id), rs.integer(r, c.day), rs.text(r, c.office),
            rs.number(r, c.amount)};
}

// The pairs of the states and their rows, by number.
std::vector<HandPair> readPairs(store::Connection& db, const std::string& states) {
    std::vector<HandPair> out;
    if (!keepsPairs(db)) return out;
    const store::StoredRows pairs(db, sql::kPairsTable, db.query(sql::pairsStatement(states)));
    const PairColumns pairColumns(pairs);
    std::map<int, std::size_t> at;
    for (std::size_t r = 0; r < pairs.size(); ++r) {
        out.push_back(pairOf(pairs, pairColumns, r));
        at[out.back().number] = out.size() - 1;
    }
    const store::StoredRows rows(db, sql::kPairRowsTable, db.query(sql::pairRowsStatement(states)));
    const RowColumns rowColumns(rows);
    for (std::size_t r = 0; r < rows.size(); ++r)
        if (const auto it = at.find(int(rows.integer(r, rowColumns.pair))); it != at.end())
            out[it->second].rows.push_back(rowOf(rows, rowColumns, r));
    for (HandPair& p : out) sortRows(p);
    return out;
}

std::optional<HandPair> pairNumbered(store::Connection& db, int number) {
    if (!keepsPairs(db)) return std::nullopt;
    const store::StoredRows rs(db, sql::kPairsTable, db.query(sql::pairNumberedStatement(), {number}));
    if (rs.size() == 0) return std::nullopt;
    HandPair p = pairOf(rs, PairColumns(rs), 0);
    const store::StoredRows rows(db, sql::kPairRowsTable, db.query(sql::pairRowsNumberedStatement(), {number}));
    const RowColumns rowColumns(rows);
    for (std::size_t r = 0; r < rows.size(); ++r) p.rows.push_back(rowOf(rows, rowColumns, r));
    sortRows(p);
    return p;
}

const std::string kHeldStates = "'held'";
const std::string kListedStates = "'held', 'broken'";

// The change's period is the month of the pair's earliest row: the stored pairing of the
// months up to two from it is then paired again, and a pair spans at most 31 days.
void record(store::Connection& db, history::Action action, const HandPair& pair, std::string detail,
            const std::string& who, const DateTime& when) {
    history::Change change;
    change.action = action;
    change.by = who;
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
        store::Statement insert = db.prepare(sql::savePairRowStatement());
        for (const PairRow& row : pair.rows)
            insert.execute(
                {pair.number, notes::sideKey(row.side), row.id, std::int64_t(row.day), row.office, row.amount});
        record(db, history::Action::HandPairMade, pair, madeDetail(pair), who, when);
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
        record(db, history::Action::HandPairUndone, *out.pair, undoneDetail(*out.pair), who, when);
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
                                     : b.kindChanged         ? store::Value(kNeitherKind)
                                                             : store::Value()});
            pair.state = PairState::Broken;
            pair.broken = b;
            record(db, history::Action::HandPairBroken, pair, brokenDetail(pair), who, when);
            broken.push_back(pair.number);
            break;
        }
    }
    return broken;
}

}  // namespace vesk::pairs
