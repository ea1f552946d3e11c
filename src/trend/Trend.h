#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compare/MonthComparison.h"
#include "store/Connection.h"

namespace vesk::trend {

using compare::Period;

/// The months from `from` to `to`, both included.
struct MonthRange {
    Period from;
    Period to;
};

/// "2025-04" (or "2025-4") as a month of the years 1900 to 9999; nullopt for anything else.
std::optional<Period> parseMonth(std::string_view text);

/// One month as its comparison finds it.
struct TrendMonth {
    Period month;
    int offices = 0;          ///< the scope's offices with bank rows in the month
    int differing = 0;        ///< those the comparison lists
    compare::Amounts sums{};  ///< the listed offices' exact sums, as the comparison's total row
    /// Over the listed offices, the absolute deposit difference plus the absolute withdrawal
    /// difference: what is to be accounted for, since two offices' differences do not cancel.
    double toExplain = 0;
    /// The month's open items in the scope as the statement counts them (after hand pairs and
    /// the notes that explain or resolve), their amounts taken without sign and added up: what
    /// of the month is still to be worked.
    double open = 0;
};

/// An office the comparison lists in one month of the trend or more.
struct OfficeTrend {
    std::string officeId;
    std::string facilityId;
    std::string name;
    /// Its To Explain in each month of the trend; none where it agrees or has no bank rows.
    std::vector<std::optional<double>> toExplain;
    /// Its open items in each month, counted as the month's open is; 0 where none.
    std::vector<double> open;
    double openTotal = 0;  ///< over the months of the trend
};

struct Trend {
    std::vector<TrendMonth> months;    ///< the months of the range that the data holds, in order
    std::vector<OfficeTrend> offices;  ///< by name without regard to letter case
};

/// Every month the data holds, in order: the bank's value and transaction months and the ORV
/// posting months. Throws Error.
std::vector<Period> heldMonths(store::Connection& db);

/// Each month of the range that the data holds (every one when there is no range), compared
/// within the scope exactly as the month's comparison compares it, from the sums kept per
/// office and month. Throws Error: errc::kUsage when the range ends before it begins, and
/// the comparison's errors (a row without a date in any month: Type mismatch).
Trend trendOf(store::Connection& db, const compare::Scope& scope, const std::optional<MonthRange>& range = {});

}  // namespace vesk::trend
