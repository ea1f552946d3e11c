#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "compare/MonthComparison.h"
#include "store/Connection.h"

namespace vesk::compare {

/// One group of what the comparison leaves out: a facility id or office, its number of
/// rows (bank) or entries (ORV) and its two sums: deposits and withdrawals, or receipts
/// and payments.
struct LeftOutGroup {
    std::string name;  ///< the facility id, office name or office id; "" when the rows hold none
    std::int64_t count = 0;
    double first = 0;
    double second = 0;
};

/// One list of groups, and their total (whose name is empty).
struct LeftOutList {
    std::vector<LeftOutGroup> groups;
    LeftOutGroup total;
};

/// Which list.
enum class LeftOutKind { UnknownFacility, OrvOnlyOffice, UnknownOffice };
inline constexpr std::array<LeftOutKind, 3> kLeftOutKinds = {LeftOutKind::UnknownFacility, LeftOutKind::OrvOnlyOffice,
                                                             LeftOutKind::UnknownOffice};

/// What a month's comparison leaves out: money that appears in neither grid.
struct LeftOut {
    LeftOutList unknownFacilities;  ///< bank rows whose FACILITY_ID matches no office, by facility id
    LeftOutList orvOnlyOffices;     ///< offices of the scope with ORV entries but no bank rows, by name
    LeftOutList unknownOffices;     ///< ORV entries whose office_id matches no office, by office id

    const LeftOutList& list(LeftOutKind kind) const;
    bool empty() const;
};

/// Lists what the consolidated comparison of the month leaves out, summed by the same
/// rules. Bank rows and ORV entries that match no office are listed whatever the scope
/// (no office holds them); offices without bank rows only within it. Throws Error (a date
/// that is no date: Type mismatch).
LeftOut listLeftOut(store::Connection& db, Period period, const Scope& scope);

}  // namespace vesk::compare
