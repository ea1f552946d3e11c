#include "review/MonthParts.h"

#include <cmath>
#include <map>
#include <set>

#include "history/ImportHistory.h"
#include "review/OpenItems.h"
#include "review/ReviewStatements.h"
#include "review/StoredPairing.h"
#include "store/ExactSum.h"

namespace vesk::review {

namespace {

std::optional<MonthPart> partImported(history::Action action) {
    switch (action) {
        case history::Action::CtrImport:
            return MonthPart::Bank;
        case history::Action::OrvReceiptsImport:
            return MonthPart::Receipts;
        case history::Action::OrvPaymentsImport:
            return MonthPart::Payments;
        default:
            return std::nullopt;
    }
}

// The latest import of each part of each month, as the history records them (newest first).
using LatestImports = std::map<std::pair<int, MonthPart>, history::Record>;

LatestImports latestImports(store::Connection& db) {
    LatestImports out;
    for (history::Form form : {history::Form::Ctr, history::Form::Orv})
        for (history::Record& r : history::records(db, form))
            if (const std::optional<MonthPart> part = partImported(r.action))
                out.emplace(std::pair{monthKey(r.year, r.month), *part}, std::move(r));
    return out;
}

std::vector<MonthParts> partsOf(const store::ResultSet& rs, const LatestImports& imports) {
    const std::size_t key = rs.columnIndex("Key");
    const std::array<std::size_t, 3> held = {rs.columnIndex("Bank"), rs.columnIndex("Receipts"),
                                             rs.columnIndex("Payments")};
    std::vector<MonthParts> out;
    for (std::size_t r = 0; r < rs.rowCount(); ++r) {
        MonthParts month;
        month.period = periodOfKey(rs.field(r, key).toInt());
        for (MonthPart p : kMonthParts) {
            HeldPart& part = month.parts[std::size_t(p)];
            part.held = rs.field(r, held[std::size_t(p)]).toInt() != 0;
            const auto import = imports.find({month.period.key(), p});
            // Rows the month no longer holds name no file: a deletion took them.
            if (!part.held || import == imports.end()) continue;
            if (import->second.file) part.file = import->second.file->name;
            part.importedAt = import->second.when;
        }
        out.push_back(std::move(month));
    }
    return out;
}

}  // namespace

bool MonthParts::holdsAny() const {
    for (const HeldPart& p : parts)
        if (p.held) return true;
    return false;
}

std::vector<MonthPart> MonthParts::missing() const {
    std::vector<MonthPart> out;
    for (MonthPart p : kMonthParts)
        if (!part(p).held) out.push_back(p);
    return out;
}

MonthParts monthParts(store::Connection& db, Period period) {
    return partsOf(db.query(sql::monthPartsStatement(false), {period.key()}), latestImports(db)).front();
}

std::vector<MonthParts> heldMonthParts(store::Connection& db) {
    return partsOf(db.query(sql::monthPartsStatement(true)), latestImports(db));
}

std::optional<Period> newestWholeMonth(store::Connection& db) {
    const std::vector<MonthParts> held = heldMonthParts(db);
    for (auto m = held.rbegin(); m != held.rend(); ++m)
        if (m->missing().empty()) return m->period;
    if (held.empty()) return std::nullopt;
    return held.back().period;
}

std::vector<Period> earlierMonthsNotClosed(store::Connection& db, Period period) {
    std::set<int> closed;
    for (const MonthClose& c : monthCloses(db))
        if (c.inForce()) closed.insert(c.period.key());
    std::vector<Period> out;
    for (const Period& p : heldMonths(db))
        if (p.key() < period.key() && !closed.count(p.key())) out.push_back(p);
    return out;
}

std::vector<HeldMonth> monthsOverview(store::Connection& db) {
    std::vector<HeldMonth> out;
    std::map<int, std::size_t> at;
    for (MonthParts& m : heldMonthParts(db)) {
        at[m.period.key()] = out.size();
        out.push_back({std::move(m), std::nullopt, 0});
    }
    if (out.empty()) return out;
    // A month's last close decides its state; the closes come in the order made.
    std::map<int, MonthClose> last;
    for (MonthClose& c : monthCloses(db)) last.insert_or_assign(c.period.key(), std::move(c));
    for (const auto& [key, c] : last)
        if (const auto it = at.find(key); it != at.end()) out[it->second].close = closeState(db, c);
    // Every item open today, whatever its date.
    std::vector<store::ExactSum> open(out.size());
    for (const OpenItem& item : openItems(db, lastDayOf(Period{9999, 12}), ItemHints::Without).items)
        if (const auto it = at.find(monthOfDay(item.line.day).key()); it != at.end())
            open[it->second].add(std::fabs(item.line.amount));
    for (std::size_t m = 0; m < out.size(); ++m) out[m].open = open[m].total();
    return out;
}

}  // namespace vesk::review
