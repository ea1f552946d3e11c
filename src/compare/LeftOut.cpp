#include "compare/LeftOut.h"

#include <functional>

#include "compare/CompareStatements.h"
#include "core/Amount.h"
#include "store/ExactSum.h"

namespace vesk::compare {

namespace {

// Groups of a statement's result: name, count and the two sums by field name; the total
// summed exactly, as the grid's total row is.
// keep(r) picks the rows of the list.
template <class Keep>
LeftOutList readList(const store::ResultSet& rs, const char* name, const char* first, const char* second, Keep keep) {
    LeftOutList list;
    store::ExactSum firsts, seconds;
    for (std::size_t r = 0; r < rs.rowCount(); ++r) {
        if (!keep(r)) continue;
        LeftOutGroup g{rs.field(r, name).toText(), rs.field(r, "Entries").toInt(), rs.field(r, first).toNumber(),
                       rs.field(r, second).toNumber()};
        list.total.count += g.count;
        firsts.add(g.first);
        seconds.add(g.second);
        list.groups.push_back(std::move(g));
    }
    list.total.first = firsts.total();
    list.total.second = seconds.total();
    return list;
}

double both(const LeftOutList& list) {
    store::ExactSum sum;
    sum.add(list.total.first);
    sum.add(list.total.second);
    return sum.total();
}

std::string counted(std::int64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

const LeftOutLabels& leftOutLabels(LeftOutKind kind) {
    static const LeftOutLabels kUnknownFacility{"Bank rows with unknown facility ids",
                                                {"Facility ID", "Rows", "Deposits", "Withdrawals"},
                                                "bank-unknown-facility"};
    static const LeftOutLabels kOrvOnly{"Offices with ORV entries but no bank rows",
                                        {"Office Name", "Entries", "Receipts", "Payments"},
                                        "orv-only-office"};
    static const LeftOutLabels kUnknownOffice{
        "ORV entries with unknown office ids", {"Office ID", "Entries", "Receipts", "Payments"}, "orv-unknown-office"};
    switch (kind) {
        case LeftOutKind::UnknownFacility:
            return kUnknownFacility;
        case LeftOutKind::OrvOnlyOffice:
            return kOrvOnly;
        case LeftOutKind::UnknownOffice:
            break;
    }
    return kUnknownOffice;
}

const LeftOutList& LeftOut::list(LeftOutKind kind) const {
    switch (kind) {
        case LeftOutKind::UnknownFacility:
            return unknownFacilities;
        case LeftOutKind::OrvOnlyOffice:
            return orvOnlyOffices;
        case LeftOutKind::UnknownOffice:
            break;
    }
    return unknownOffices;
}

bool LeftOut::empty() const {
    return unknownFacilities.groups.empty() && orvOnlyOffices.groups.empty() && unknownOffices.groups.empty();
}

std::string LeftOut::summaryLine() const {
    if (empty()) return "Left out: nothing.";
    std::string line = "Left out: ";
    if (!unknownFacilities.groups.empty())
        line += counted(unknownFacilities.total.count, "bank row", "bank rows") + " (" +
                formatAmount(both(unknownFacilities), Grouping::Thousands) + ") with unknown facility ids";
    const std::int64_t entries = orvOnlyOffices.total.count + unknownOffices.total.count;
    if (!orvOnlyOffices.groups.empty() || !unknownOffices.groups.empty()) {
        store::ExactSum amount;
        amount.add(both(orvOnlyOffices));
        amount.add(both(unknownOffices));
        if (!unknownFacilities.groups.empty()) line += ", ";
        line += counted(entries, "ORV entry", "ORV entries") + " (" +
                formatAmount(amount.total(), Grouping::Thousands) + ")";
    }
    return line;
}

store::ResultSet leftOutResult(LeftOutKind kind, const LeftOutList& list) {
    const LeftOutLabels& labels = leftOutLabels(kind);
    std::vector<std::vector<store::Value>> rows;
    for (const LeftOutGroup& g : list.groups) rows.push_back({g.name, g.count, g.first, g.second});
    return store::ResultSet({labels.headers.begin(), labels.headers.end()}, std::move(rows));
}

std::string leftOutTotalText(LeftOutKind kind, const LeftOutList& list) {
    const LeftOutLabels& labels = leftOutLabels(kind);
    return std::string("Total: ") + labels.headers[1] + " " + std::to_string(list.total.count) + ", " +
           labels.headers[2] + " " + formatAmount(list.total.first) + ", " + labels.headers[3] + " " +
           formatAmount(list.total.second);
}

LeftOut listLeftOut(store::Connection& db, Period period, const Scope& scope) {
    const std::string clause = scope.headOffice ? headOfficeScope(scope.configuredOffice) : std::string();
    LeftOut out;
    out.unknownFacilities =
        readList(db.query(unknownFacilitiesStatement(period.year, period.month, bankIndexOf(db))), "FACILITY_ID",
                 "VESK_Deposit", "VESK_Withdrawal", [](std::size_t) { return true; });
    const store::ResultSet orv = db.query(orvLeftOutStatement(period.year, period.month, clause));
    const auto unknown = [&](std::size_t r) { return orv.field(r, "Unknown").toInt() != 0; };
    out.orvOnlyOffices = readList(orv, "OffName", "ORV_Deposit", "ORV_Withdrawal", std::not_fn(unknown));
    out.unknownOffices = readList(orv, "office_id", "ORV_Deposit", "ORV_Withdrawal", unknown);
    return out;
}

}  // namespace vesk::compare
