#include "compare/LeftOut.h"

#include <functional>

#include "compare/CompareStatements.h"
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

}  // namespace

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
