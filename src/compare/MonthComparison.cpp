#include "compare/MonthComparison.h"

#include "compare/Amounts.h"
#include "compare/CompareStatements.h"
#include "core/Error.h"
#include "core/Prompter.h"
#include "office/Offices.h"
#include "store/ExactSum.h"

namespace vesk::compare {

namespace {

// Result fields of the statements, in grid column order.
constexpr std::array<const char*, 6> kOfficeAmounts = {"VESK_Deposit",    "ORV_Deposit",    "Deposit_Difference",
                                                       "VESK_Withdrawal", "ORV_Withdrawal", "Withdrawal_Difference"};
constexpr std::array<const char*, 6> kDateAmounts = {"VESK_Dep", "ORV_Dep", "Diff_Dep",
                                                     "VESK_Wdl", "ORV_Wdl", "Diff_Wdl"};

double amountOf(const store::Value& v) {
    if (v.isNull()) throw Error(errc::kInvalidUseOfNull, "Invalid use of Null");
    return v.toNumber();
}

Amounts amountsOf(const store::ResultSet& rs, std::size_t row, const std::array<const char*, 6>& fields) {
    Amounts amounts{};
    for (std::size_t k = 0; k < amounts.size(); ++k) amounts[k] = amountOf(rs.field(row, fields[k]));
    return amounts;
}

// Left to itself the engine indexes every bank row by facility for the join, which costs
// three times the scan; the master's own indexes serve the joins instead.
void planJoins(store::Connection& db) { db.execute("PRAGMA automatic_index = OFF"); }

}  // namespace

Amounts comparedAmounts(const store::ResultSet& rs, std::size_t row) { return amountsOf(rs, row, kOfficeAmounts); }

std::string Scope::text() const {
    return headOffice ? "(Offices Under " + configuredOffice + ")" : "(" + configuredOffice + ")";
}

Scope comparisonScope(store::Connection& db) {
    Scope scope;
    scope.configuredOffice = office::configuredOffice(db);
    if (!scope.configuredOffice.empty()) scope.headOffice = office::officeType(db, scope.configuredOffice) == "HPO";
    return scope;
}

std::string MonthComparison::completionText(const Scope& scope) const {
    return "Comparison Completed " + scope.text() +
           (offices.empty() ? std::string(". No Differences found.")
                            : ". Differences found in " + std::to_string(offices.size()) + " Offices.");
}

std::vector<std::string> MonthComparison::officeNames() const {
    std::vector<std::string> names;
    for (const OfficeDifference& o : offices) names.push_back(o.name);
    return names;
}

std::string noRecordsText() {
    return std::string("No records found.") + kCrLf +
           "Please ensure that the ORV and VESK data are imported for the selected month.";
}

MonthComparison compareMonth(store::Connection& db, Period period, const Scope& scope) {
    planJoins(db);
    const std::string clause = scope.headOffice ? headOfficeScope(scope.configuredOffice) : std::string();
    const store::ResultSet rs = db.query(consolidatedStatement(period.year, period.month, clause));
    MonthComparison result;
    result.anyRows = !rs.empty();
    std::array<store::ExactSum, 6> totals{};
    for (std::size_t r = 0; r < rs.rowCount(); ++r) {
        const Amounts amounts = comparedAmounts(rs, r);
        if (!differs(amounts[kDepositDifference]) && !differs(amounts[kWithdrawalDifference])) continue;
        result.offices.push_back({rs.field(r, "office_id").toText(), rs.field(r, "qal_facility_id").toText(),
                                  rs.field(r, "OffName").toText(), amounts});
        for (std::size_t k = 0; k < amounts.size(); ++k) totals[k].add(amounts[k]);
    }
    for (std::size_t k = 0; k < totals.size(); ++k) result.total[k] = totals[k].total();
    return result;
}

std::vector<DateDifference> differingDates(store::Connection& db, Period period, const std::string& office,
                                           const std::vector<std::string>& differing) {
    if (differing.empty()) return {};
    planJoins(db);
    const std::string condition = office == "All" ? officeListCondition(differing) : oneOfficeCondition(office);
    const store::ResultSet rs = db.query(detailedStatement(condition, period.year, period.month));
    std::vector<DateDifference> dates;
    for (std::size_t r = 0; r < rs.rowCount(); ++r)
        dates.push_back(
            {rs.field(r, "TDate").toText(), rs.field(r, "OffName").toText(), amountsOf(rs, r, kDateAmounts)});
    return dates;
}

}  // namespace vesk::compare
