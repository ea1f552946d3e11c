#include "notes/HeldRows.h"

#include <algorithm>
#include <tuple>

#include "core/DateTime.h"
#include "core/Error.h"
#include "core/Text.h"
#include "notes/NoteStatements.h"

namespace vesk::notes {

namespace {

long long dayOf(const store::Value& v) {
    const std::optional<DateTime> d = parseDateText(v.toText());
    if (!d) throw Error(errc::kTypeMismatch, kTypeMismatchText);
    return daysFromCivil(d->year, d->month, d->day);
}

std::optional<Kind> kindOf(const store::Value& v) {
    switch (v.toInt()) {
        case 1:
            return Kind::Deposit;
        case 2:
            return Kind::Withdrawal;
        default:
            return std::nullopt;
    }
}

bool byIdAndDay(const HeldRow& a, const HeldRow& b) {
    const std::string ua = upper(a.id), ub = upper(b.id);
    return std::tie(ua, a.day, a.office, a.amount) < std::tie(ub, b.day, b.office, b.amount);
}

// The rows the statement finds, by ID (letter case aside) and date.
std::vector<HeldRow> readRows(store::Connection& db, Side side, const std::string& statement,
                              const std::vector<store::Value>& params) {
    std::vector<HeldRow> out;
    const store::ResultSet rs = db.query(statement, params);
    const std::size_t id = rs.columnIndex("Id"), date = rs.columnIndex("TDate"), office = rs.columnIndex("OffName"),
                      amount = rs.columnIndex("Amount"), kind = rs.columnIndex("Kind");
    for (std::size_t r = 0; r < rs.rowCount(); ++r)
        out.push_back({side, rs.field(r, id).toText(), dayOf(rs.field(r, date)), rs.field(r, office).toText(),
                       rs.field(r, amount).toNumber(), kindOf(rs.field(r, kind))});
    std::sort(out.begin(), out.end(), byIdAndDay);
    return out;
}

}  // namespace

const char* sideKey(Side side) { return side == Side::Bank ? "bank" : "orv"; }

std::optional<Side> sideNamed(const std::string& name) {
    for (Side s : {Side::Bank, Side::Orv})
        if (equalsNoCase(name, sideKey(s))) return s;
    return std::nullopt;
}

const char* kindKey(Kind kind) { return kind == Kind::Deposit ? "deposit" : "withdrawal"; }

std::optional<Kind> kindNamed(const std::string& key) {
    for (Kind k : {Kind::Deposit, Kind::Withdrawal})
        if (key == kindKey(k)) return k;
    return std::nullopt;
}

RowKey rowKey(Side side, const std::string& id, long long day) { return {side, upper(id), day}; }

RowKey rowKey(const RowRef& row) { return rowKey(row.side, row.id, row.day); }

RowText parseRowText(const std::string& text) {
    const std::string whole = trim(text);
    const std::size_t at = whole.rfind('@');
    if (at != std::string::npos && at > 0) {
        if (const std::optional<DateTime> d = parseDateText(trim(whole.substr(at + 1))))
            return {trim(whole.substr(0, at)), daysFromCivil(d->year, d->month, d->day)};
    }
    return {whole, std::nullopt};
}

std::vector<HeldRow> heldRowsOfIds(store::Connection& db, Side side, const std::string& ids) {
    return readRows(db, side, sql::heldRowsStatement(side, ids), {});
}

std::vector<HeldRow> heldRowsWithId(store::Connection& db, Side side, const std::string& id) {
    return readRows(db, side, sql::heldRowsStatement(side, "(?1)"), {trim(id)});
}

std::vector<long long> daysOf(const std::vector<HeldRow>& rows) {
    std::vector<long long> days;
    for (const HeldRow& r : rows) days.push_back(r.day);
    std::sort(days.begin(), days.end());
    days.erase(std::unique(days.begin(), days.end()), days.end());
    return days;
}

RowLookup findRow(store::Connection& db, Side side, const std::string& text) {
    return findRow(db, side, parseRowText(text));
}

RowLookup findRow(store::Connection& db, Side side, const RowText& asked) {
    RowLookup out;
    out.asked = asked;
    const std::vector<HeldRow> held = heldRowsWithId(db, side, out.asked.id);
    out.dates = daysOf(held);
    if (held.empty()) return out;
    if (out.asked.day) {
        for (const HeldRow& r : held)
            if (r.day == *out.asked.day) out.rows.push_back(r);
        out.found = out.rows.empty() ? Found::NotOnDate : Found::Row;
        return out;
    }
    if (out.dates.size() > 1) {
        out.found = Found::Ambiguous;
        return out;
    }
    out.rows = held;
    out.found = Found::Row;
    return out;
}

}  // namespace vesk::notes
