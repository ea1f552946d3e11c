#pragma once

#include <optional>
#include <string>
#include <vector>

#include "compare/Amounts.h"
#include "compare/CompareStatements.h"
#include "core/DateTime.h"
#include "store/Connection.h"

namespace vesk::compare {

using vesk::Period;

/// Whose bank rows a comparison takes: every office's, or only those of the offices under
/// the configured office when it is a head office.
struct Scope {
    std::string configuredOffice;  ///< trimmed; "" when none is configured
    bool headOffice = false;
    bool operator==(const Scope&) const = default;
};

/// The scope the configured office sets.
Scope comparisonScope(store::Connection& db);

/// How the file keeps its bank rows, by its layout version.
BankIndex bankIndexOf(store::Connection& db);

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

    std::vector<std::string> officeNames() const;
};

/// The six amounts of a row of the comparison's statements (VESK_Deposit to
/// Withdrawal_Difference). Throws Error (Invalid use of Null) where one is Null.
Amounts comparedAmounts(const store::ResultSet& rs, std::size_t row);

/// Compares the month's bank rows of the offices known to the master (within the scope)
/// with their ORV receipts and payments, and keeps the offices whose deposits or
/// withdrawals differ by more than the tolerance. Throws Error (a date that is no date:
/// Type mismatch).
MonthComparison compareMonth(store::Connection& db, Period period, const Scope& scope);

/// A month compared in the scope the configured office sets, kept with that scope.
struct ComparedMonth {
    Period period{};
    Scope scope;
    MonthComparison result;
};

/// compareMonth in the configured office's scope.
ComparedMonth compareInScope(store::Connection& db, Period period);

/// The office list of a comparison: All, which stands for every differing office, then the
/// differing offices in the consolidated grid's order.
std::vector<std::string> officeList(const MonthComparison& result);

/// The entry of an office list that the text names: the one it matches exactly, else one it
/// matches letter case aside; none when it names no entry.
std::optional<std::size_t> findInOfficeList(const std::vector<std::string>& list, const std::string& wanted);

/// The offices an entry of an office list stands for: every differing office for All (the
/// first entry), else the entry's office.
std::vector<std::string> officesOf(const std::vector<std::string>& list, std::size_t entry);

struct DateDifference {
    long long day = 0;   ///< days since 1970-01-01
    std::string office;  ///< the office's name
    Amounts amounts{};
};

/// The month's dates on which the offices differ, from both sides, by office and date; none
/// for no offices.
std::vector<DateDifference> differingDates(store::Connection& db, Period period,
                                           const std::vector<std::string>& offices);

}  // namespace vesk::compare
