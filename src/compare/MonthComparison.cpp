#include "compare/MonthComparison.h"

#include "compare/Amounts.h"
#include "compare/CompareStatements.h"
#include "compare/CompareWording.h"
#include "core/DateTime.h"
#include "core/Error.h"
#include "core/Text.h"
#include "office/Offices.h"
#include "store/ExactSum.h"
#include "store/Schema.h"

namespace vesk::compare {

namespace {

// Result fields of the statements, in grid column order.
constexpr std::array<const char*, 6> kOfficeAmounts = {"VESK_Deposit",    "ORV_Deposit",    "Deposit_Difference",
                                                       "VESK_Withdrawal", "ORV_Withdrawal", "Withdrawal_Difference"};
constexpr std::array<const char*, 6> kDateAmounts = {"VESK_Dep", "ORV_Dep", "Diff_Dep",
                                                     "VESK_Wdl", "ORV_Wdl", "Diff_Wdl"};

double amountOf(const store::Value& v) {
    if (v.isNull()) throw Error(errc::kInvalidUseOfNull, kInvalidUseOfNullText);
    return v.toNumber();
}

Amounts amountsOf(const store::ResultSet& rs, std::size_t row, const std::array<const char*, 6>& fields) {
    Amounts amounts{};
    for (std::size_t k = 0; k < amounts.size(); ++k) amounts[k] = amountOf(rs.field(row, fields[k]));
    return amounts;
}

void planJoins(store::Connection& db) { db.execute(kPlanJoins); }

}  // namespace

Amounts comparedAmounts(const store::ResultSet& rs, std::size_t row) { return amountsOf(rs, row, kOfficeAmounts); }

BankIndex bankIndexOf(store::Connection& db) {
    return db.layoutVersion() >= store::kMonthFirstBankLayout ? BankIndex::MonthFirst : BankIndex::Older;
}

Scope comparisonScope(store::Connection& db) {
    Scope scope;
    scope.configuredOffice = office::configuredOffice(db);
    if (!scope.configuredOffice.empty()) scope.headOffice = office::officeType(db, scope.configuredOffice) == "HPO";
    return scope;
}

std::vector<std::string> MonthComparison::officeNames() const {
    std::vector<std::string> names;
    for (const OfficeDifference& o : offices) names.push_back(o.name);
    return names;
}

ComparedMonth compareInScope(store::Connection& db, Period period) {
    ComparedMonth compared{period, comparisonScope(db), {}};
    compared.result = compareMonth(db, period, compared.scope);
    return compared;
}

std::vector<std::string> officeList(const MonthComparison& result) {
    std::vector<std::string> list{kAllOffices};
    for (const OfficeDifference& o : result.offices) list.push_back(o.name);
    return list;
}

std::optional<std::size_t> findInOfficeList(const std::vector<std::string>& list, const std::string& wanted) {
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i] == wanted) return i;
    for (std::size_t i = 0; i < list.size(); ++i)
        if (equalsNoCase(list[i], wanted)) return i;
    return std::nullopt;
}

std::vector<std::string> officesOf(const std::vector<std::string>& list, std::size_t entry) {
    if (entry == 0) return std::vector<std::string>(list.begin() + (list.empty() ? 0 : 1), list.end());
    return {list.at(entry)};
}

MonthComparison compareMonth(store::Connection& db, Period period, const Scope& scope) {
    planJoins(db);
    const std::string clause = scope.headOffice ? headOfficeScope(scope.configuredOffice) : std::string();
    const store::ResultSet rs = db.query(consolidatedStatement(period.year, period.month, clause, bankIndexOf(db)));
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

std::vector<DateDifference> differingDates(store::Connection& db, Period period,
                                           const std::vector<std::string>& offices) {
    if (offices.empty()) return {};
    planJoins(db);
    const store::ResultSet rs =
        db.query(detailedStatement(officeListCondition(offices), period.year, period.month, bankIndexOf(db)));
    std::vector<DateDifference> dates;
    for (std::size_t r = 0; r < rs.rowCount(); ++r) {
        const std::optional<DateTime> date = parseDateText(rs.field(r, "TDate").toText());
        if (!date) throw Error(errc::kTypeMismatch, kTypeMismatchText);
        dates.push_back({daysFromCivil(date->year, date->month, date->day), rs.field(r, "OffName").toText(),
                         amountsOf(rs, r, kDateAmounts)});
    }
    return dates;
}

}  // namespace vesk::compare
