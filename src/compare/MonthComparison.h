#pragma once

#include <array>
#include <string>
#include <vector>

#include "store/Connection.h"

namespace vesk::compare {

/// A calendar month.
struct Period {
    int year = 0;   ///< 1900..9999 on the command line; any year the dates hold
    int month = 0;  ///< 1..12
};

/// Whose bank rows a comparison takes: every office's, or only those of the offices under
/// the configured office when it is a head office.
struct Scope {
    std::string configuredOffice;  ///< trimmed; "" when none is configured
    bool headOffice = false;

    /// "(Division)" or "(Offices Under Hill HO)", as the completion message names the scope.
    std::string text() const;
};

/// The scope the configured office sets.
Scope comparisonScope(store::Connection& db);

/// The six amounts of a row in grid order: bank deposits, ORV receipts, their difference,
/// bank withdrawals, ORV payments, their difference (bank minus ORV).
using Amounts = std::array<double, 6>;
inline constexpr std::size_t kDepositDifference = 2;
inline constexpr std::size_t kWithdrawalDifference = 5;

struct OfficeDifference {
    std::string officeId;
    std::string facilityId;
    std::string name;
    Amounts amounts{};
};

/// A month compared office by office.
struct MonthComparison {
    bool anyRows = false;                   ///< false: no office of the scope has bank rows in the month
    std::vector<OfficeDifference> offices;  ///< the offices that differ, by name
    Amounts total{};                        ///< their exact sums

    /// "Comparison Completed (Division). Differences found in 5 Offices." and the like.
    std::string completionText(const Scope& scope) const;
    std::vector<std::string> officeNames() const;
};

/// The six amounts of a row of the comparison's statements (VESK_Deposit to
/// Withdrawal_Difference). Throws Error (Invalid use of Null) where one is Null.
Amounts comparedAmounts(const store::ResultSet& rs, std::size_t row);

/// What a month without bank rows (of the scope's offices) is told.
std::string noRecordsText();

/// Compares the month's bank rows of the offices known to the master (within the scope)
/// with their ORV receipts and payments, and keeps the offices whose deposits or
/// withdrawals differ by more than the tolerance. Throws Error (a date that is no date:
/// Type mismatch).
MonthComparison compareMonth(store::Connection& db, Period period, const Scope& scope);

struct DateDifference {
    std::string date;    ///< dd/mm/yyyy
    std::string office;  ///< the office's name
    Amounts amounts{};
};

/// The month's dates on which the office differs, from both sides, by office and date.
/// office "All" stands for every office of `differing` (the offices compareMonth found).
std::vector<DateDifference> differingDates(store::Connection& db, Period period, const std::string& office,
                                           const std::vector<std::string>& differing);

}  // namespace vesk::compare
