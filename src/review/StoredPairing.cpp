#include "review/StoredPairing.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <set>

#include "compare/MonthComparison.h"
#include "compare/PairingRules.h"
#include "core/Error.h"
#include "history/ImportHistory.h"
#include "review/ReviewStatements.h"
#include "review/ReviewWording.h"
#include "store/Schema.h"
#include "store/StoredRows.h"

namespace vesk::review {

namespace {

using compare::ExplainedLine;
using compare::Explanation;
using compare::Period;

// An import or deletion of a month changes the rows of that month and of the months beside
// it, and so the pairing of every month up to two away.
constexpr int kMonthsTouched = 2;

// A hand pair's change is recorded with the month of its earliest row; its rows lie at most
// 31 days on, so every month whose pairing it changes is within two of that one.
constexpr std::array<history::Action, 8> kRowChanges = {
    history::Action::CtrImport,        history::Action::OrvReceiptsImport, history::Action::OrvPaymentsImport,
    history::Action::CtrMonthDeletion, history::Action::OrvMonthDeletion,  history::Action::HandPairMade,
    history::Action::HandPairUndone,   history::Action::HandPairBroken};
// A change of the office master, or of the pairing rules, may change the pairing of every month.
constexpr std::array<history::Action, 3> kMasterChanges = {
    history::Action::MasterImport, history::Action::OfficesDeletion, history::Action::PairingRulesChanged};

// The marks of a file that stores only the months some listings asked for hold kSomeMonths less
// the change they were taken at: no recorded change has that, so a listing of every month never
// takes the stored months for all there are, while rows moved since that change still show.
constexpr std::int64_t kSomeMonths = -1;

long long monthIndex(std::int64_t key) { return periodOfKey(key).index(); }

std::vector<std::string> actionKeys(const auto& actions) {
    std::vector<std::string> keys;
    for (history::Action a : actions) keys.emplace_back(history::actionKey(a));
    return keys;
}

// The newest recorded change that could alter each month's pairing.
class RecordedChanges {
  public:
    explicit RecordedChanges(store::Connection& db) {
        const store::ResultSet rows = db.query(sql::changesByMonthStatement(actionKeys(kRowChanges)));
        const std::size_t key = rows.columnIndex("Key"), last = rows.columnIndex("LastChange");
        for (std::size_t r = 0; r < rows.rowCount(); ++r) {
            const std::int64_t id = rows.field(r, last).toInt();
            if (rows.field(r, key).isNull())
                m_everyMonth = std::max(m_everyMonth, id);  // a deletion of no month it could name
            else
                m_byMonth[monthIndex(rows.field(r, key).toInt())] = id;
        }
        const store::ResultSet master = db.query(sql::changesByMonthStatement(actionKeys(kMasterChanges)));
        const std::size_t masterLast = master.columnIndex("LastChange");
        for (std::size_t r = 0; r < master.rowCount(); ++r)
            m_everyMonth = std::max(m_everyMonth, master.field(r, masterLast).toInt());
    }

    std::int64_t newestAffecting(int key) const {
        std::int64_t last = m_everyMonth;
        const long long index = monthIndex(key);
        for (auto it = m_byMonth.lower_bound(index - kMonthsTouched);
             it != m_byMonth.end() && it->first <= index + kMonthsTouched; ++it)
            last = std::max(last, it->second);
        return last;
    }

    std::int64_t newest() const {
        std::int64_t last = m_everyMonth;
        for (const auto& [index, id] : m_byMonth) last = std::max(last, id);
        return last;
    }

  private:
    std::int64_t m_everyMonth = 0;
    std::map<long long, std::int64_t> m_byMonth;
};

// What the file held when the pairing was stored (kept in paired_marks).
struct FileState : RowsMark {
    bool sameRows(const FileState& o) const {
        return bankRow == o.bankRow && orvRow == o.orvRow && masterRow == o.masterRow;
    }
    // The newest recorded change when the marks were taken, whichever months were stored.
    std::int64_t change() const { return lastChange < 0 ? kSomeMonths - lastChange : lastChange; }
    // Rows moved since these marks while the history did not: a change nobody recorded.
    bool unrecordedBefore(const FileState& now) const { return change() == now.lastChange && !sameRows(now); }
};

FileState currentState(store::Connection& db, const RecordedChanges& changes) {
    const store::ResultSet rs = db.query(sql::kLastRows);
    return {{changes.newest(), rs.field(0, "bank_rowid").toInt(), rs.field(0, "orv_rowid").toInt(),
             rs.field(0, "master_rowid").toInt()}};
}

std::optional<FileState> storedState(store::Connection& db) {
    const store::StoredRows rs(db, sql::kMarksTable, db.query(sql::kMarks));
    if (rs.size() == 0) return std::nullopt;
    return FileState{{rs.integer(0, rs.column("last_change")), rs.integer(0, rs.column("bank_rowid")),
                      rs.integer(0, rs.column("orv_rowid")), rs.integer(0, rs.column("master_rowid"))}};
}

std::optional<compare::PairClass> classNamed(const std::string& tag) {
    for (compare::PairClass c :
         {compare::PairClass::BankOnly, compare::PairClass::OrvOnly, compare::PairClass::AmountDiffers,
          compare::PairClass::Timing, compare::PairClass::Group, compare::PairClass::Matched,
          compare::PairClass::OtherOffice})
        if (tag == compare::pairClassKey(c)) return c;
    return std::nullopt;
}

// The stored lines the result holds, by month key.
std::map<std::int64_t, std::vector<ExplainedLine>> linesOf(const store::StoredRows& rs) {
    std::map<std::int64_t, std::vector<ExplainedLine>> out;
    const std::size_t key = rs.column("month_key"), office = rs.column("office"), kind = rs.column("kind"),
                      side = rs.column("side"), day = rs.column("day"), id = rs.column("tran_id"),
                      amount = rs.column("amount"), cls = rs.column("class"), twinId = rs.column("twin_id"),
                      twinAmount = rs.column("twin_amount");
    for (std::size_t r = 0; r < rs.size(); ++r) {
        ExplainedLine line;
        line.office = rs.text(r, office);
        line.kind = rs.named<compare::ExplainKind>(r, kind, notes::kindNamed);
        line.side = rs.named<notes::Side>(r, side, notes::sideNamed);
        line.day = rs.integer(r, day);
        line.id = rs.text(r, id);
        line.amount = rs.number(r, amount);
        line.cls = rs.named<compare::PairClass>(r, cls, classNamed);
        if (!rs.isNull(r, twinId)) line.twin = compare::Twin{rs.text(r, twinId), rs.number(r, twinAmount)};
        out[rs.integer(r, key)].push_back(std::move(line));
    }
    return out;
}

std::map<std::int64_t, std::vector<ExplainedLine>> storedLines(store::Connection& db, std::optional<int> month = {}) {
    return linesOf(
        store::StoredRows(db, sql::kExceptionsTable,
                          month ? db.query(sql::kStoredMonthExceptions, {*month}) : db.query(sql::kStoredExceptions)));
}

void save(store::Connection& db, const Explanation& month, std::int64_t lastChange) {
    const int key = month.period.key();
    db.execute(sql::kForgetExceptions, {key});
    store::Statement insert = db.prepare(sql::kSaveException);
    for (const ExplainedLine& l : month.lines)
        insert.execute({key, l.office, notes::kindKey(l.kind), notes::sideKey(l.side), std::int64_t(l.day), l.id,
                        l.amount, compare::pairClassKey(l.cls), l.twin ? store::Value(l.twin->id) : store::Value(),
                        l.twin ? store::Value(l.twin->amount) : store::Value()});
    db.execute(sql::kSaveMonth, {key, lastChange});
}

// What is stored is only a help for the listings to come: when the file cannot be written,
// another program holds it just now, or the connection is inside a transaction of its own,
// nothing is kept and the months are paired again next time.
template <class Work>
bool keepIfPossible(store::Connection& db, Work&& work) {
    if (db.readOnly() || db.inTransaction()) return false;
    try {
        store::Transaction tx = db.beginDerived();  // no change of the user's data: no daily copy
        work();
        tx.commit();
        return true;
    } catch (const Error& e) {
        const long n = e.number();
        if (n != store::kBusyError && n != store::kLockedError && n != store::kReadOnlyError) throw;
        return false;
    }
}

// Every stored month by its key: the change it was paired after.
std::map<std::int64_t, std::int64_t> storedChanges(store::Connection& db) {
    std::map<std::int64_t, std::int64_t> out;
    const store::StoredRows months(db, sql::kMonthsTable, db.query(sql::kStoredMonths));
    const std::size_t key = months.column("month_key"), last = months.column("last_change");
    for (std::size_t r = 0; r < months.size(); ++r) out[months.integer(r, key)] = months.integer(r, last);
    return out;
}

// The months in order, each its fresh pairing where it has one (fresh is in the same order),
// else its stored lines.
template <class Stored>
void mergeMonths(const std::vector<Period>& months, std::vector<Explanation>& fresh, Stored&& stored,
                 const compare::PairingRules& rules, PairedMonths& out) {
    std::size_t f = 0;
    for (const Period& p : months) {
        if (f < fresh.size() && fresh[f].period == p) {
            out.months.push_back(std::move(fresh[f++]));
            ++out.paired;
        } else {
            out.months.push_back({p, stored(p), rules});
            ++out.reused;
        }
    }
}

// What the pairing found, with each exception's twin.
bool keepsPairing(store::Connection& db) { return db.layoutVersion() >= store::kHandPairsLayout; }

}  // namespace

bool isException(compare::PairClass cls) { return compare::isUnpaired(cls); }

RowsMark rowsMark(store::Connection& db) { return currentState(db, RecordedChanges(db)); }

std::vector<Period> heldMonths(store::Connection& db) {
    std::vector<Period> out;
    const store::ResultSet rs = db.query(sql::heldMonthsStatement(compare::bankIndexOf(db)));
    const std::size_t k = rs.columnIndex("k");
    for (std::size_t r = 0; r < rs.rowCount(); ++r) {
        const std::int64_t key = rs.field(r, k).toInt();
        if (key > 0) out.push_back(periodOfKey(key));  // rows without a date fail the pairing itself
    }
    return out;
}

PairedMonths freshlyPairedMonths(store::Connection& db) {
    PairedMonths out;
    out.months = compare::explainEveryOffice(db, heldMonths(db), isException);
    out.paired = out.months.size();
    return out;
}

namespace {

// The stored pairing brought up to date; with `read`, every held month as pairedMonths gives it,
// else none (nothing stored is read back).
PairedMonths refreshPairing(store::Connection& db, bool read) {
    const RecordedChanges changes(db);
    const FileState now = currentState(db, changes);
    const std::optional<FileState> then = storedState(db);
    const std::map<std::int64_t, std::int64_t> storedChange = storedChanges(db);
    std::map<std::int64_t, std::vector<ExplainedLine>> stored;
    if (read) stored = storedLines(db);
    PairedMonths out;

    // Nothing recorded and no row moved since: every stored month stands.
    if (then && then->lastChange == now.lastChange && then->sameRows(now)) {
        if (!read) return out;
        const compare::PairingRules rules = compare::pairingRules(db);
        for (const auto& [key, last] : storedChange)
            out.months.push_back({periodOfKey(key), std::move(stored[key]), rules});
        out.reused = out.months.size();
        return out;
    }

    // The held months whose pairing is stale: every one when rows moved while the history did
    // not (a change nobody recorded may be anywhere), else those changed since they were paired.
    const bool unrecorded = then && then->unrecordedBefore(now);
    const std::vector<Period> held = heldMonths(db);
    std::vector<Period> stale;
    std::set<std::int64_t> kept;
    for (const Period& p : held) {
        const auto it = storedChange.find(p.key());
        if (unrecorded || it == storedChange.end() || it->second != changes.newestAffecting(p.key()))
            stale.push_back(p);
        else
            kept.insert(p.key());
    }

    // Those paired afresh and stored in place of the stale and the no longer held.
    std::vector<Explanation> fresh = compare::explainEveryOffice(db, stale, isException);
    keepIfPossible(db, [&] {
        for (const auto& [key, last] : storedChange) {
            if (kept.count(key)) continue;
            db.execute(sql::kForgetExceptions, {key});
            db.execute(sql::kForgetMonth, {key});
        }
        for (const Explanation& e : fresh) save(db, e, changes.newestAffecting(e.period.key()));
        db.execute(sql::kSaveMarks, {now.lastChange, now.bankRow, now.orvRow, now.masterRow});
    });

    if (read)
        mergeMonths(
            held, fresh, [&](const Period& p) { return std::move(stored[p.key()]); }, compare::pairingRules(db), out);
    return out;
}

}  // namespace

PairedMonths pairedMonths(store::Connection& db) {
    if (!keepsPairing(db)) return freshlyPairedMonths(db);
    return refreshPairing(db, true);
}

void storePairing(store::Connection& db) {
    if (keepsPairing(db) && !db.inTransaction()) refreshPairing(db, false);
}

PairedMonths pairedMonths(store::Connection& db, const std::vector<Period>& months,
                          const std::function<void()>& beforePairing) {
    PairedMonths out;
    if (!keepsPairing(db)) {
        if (beforePairing && !months.empty()) beforePairing();
        out.months = compare::explainEveryOffice(db, months, isException);
        out.paired = out.months.size();
        out.kept = out.months.empty();
        return out;
    }
    const RecordedChanges changes(db);
    const FileState now = currentState(db, changes);
    const std::optional<FileState> then = storedState(db);
    // Without marks, or with rows moved while the history did not, nothing stored can be
    // trusted: only a listing of every month settles that, by storing them all anew.
    const bool trusted = then && !then->unrecordedBefore(now);
    const std::map<std::int64_t, std::int64_t> storedChange =
        trusted ? storedChanges(db) : std::map<std::int64_t, std::int64_t>{};
    // A month that holds no rows of its own has no lines, however its neighbours' rows pair:
    // nothing is read for it, and nothing stored (what was, from before its rows went, is not
    // taken either).
    std::set<std::int64_t> held;
    for (const Period& p : heldMonths(db)) held.insert(p.key());
    std::vector<Period> stale, toPair;
    for (const Period& p : months) {
        const bool holdsRows = held.count(p.key()) > 0;
        const auto it = storedChange.find(p.key());
        if (holdsRows && it != storedChange.end() && it->second == changes.newestAffecting(p.key())) continue;
        stale.push_back(p);
        if (holdsRows) toPair.push_back(p);
    }
    if (beforePairing && !toPair.empty()) beforePairing();
    std::vector<Explanation> paired = compare::explainEveryOffice(db, toPair, isException);
    const compare::PairingRules rules = compare::pairingRules(db);
    std::vector<Explanation> fresh;
    for (std::size_t s = 0, t = 0; s < stale.size(); ++s) {
        if (t < paired.size() && paired[t].period == stale[s])
            fresh.push_back(std::move(paired[t++]));
        else
            fresh.push_back({stale[s], {}, rules});
    }

    // The held months kept as pairedMonths keeps them; trusted marks stay, so that a listing of
    // every month still checks every month. What was stored untrusted goes, and the marks then
    // say that only some months are stored: a listing of every month pairs the others. Months
    // without rows alone leave nothing to store.
    out.kept = toPair.empty() && (trusted || fresh.empty());
    if (!out.kept) {
        out.kept = keepIfPossible(db, [&] {
            if (!trusted) {
                for (const auto& [key, last] : storedChanges(db)) {
                    db.execute(sql::kForgetExceptions, {key});
                    db.execute(sql::kForgetMonth, {key});
                }
                db.execute(sql::kSaveMarks, {kSomeMonths - now.lastChange, now.bankRow, now.orvRow, now.masterRow});
            }
            for (const Explanation& e : fresh)
                if (held.count(e.period.key())) save(db, e, changes.newestAffecting(e.period.key()));
        });
    }

    mergeMonths(
        months, fresh,
        [&db](const Period& p) {
            std::map<std::int64_t, std::vector<ExplainedLine>> stored = storedLines(db, p.key());
            return std::move(stored[p.key()]);
        },
        rules, out);
    return out;
}

}  // namespace vesk::review
