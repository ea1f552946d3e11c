#include "trend/Trend.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <tuple>

#include "compare/Amounts.h"
#include "compare/CompareStatements.h"
#include "core/DateTime.h"
#include "core/Error.h"
#include "ctr/BankReport.h"
#include "orv/OrvReport.h"
#include "report/ReportMonths.h"
#include "review/OpenItems.h"
#include "store/ExactSum.h"
#include "trend/TrendStatements.h"
#include "trend/TrendWording.h"

namespace vesk::trend {

namespace {

constexpr int kFirstYear = 1900;
constexpr int kLastYear = 9999;
// Keys that take in every dated row, whatever its year.
constexpr int kLowestKey = 1;
constexpr int kHighestKey = monthKey(kLastYear, 12);

// The sums kept per office and month, brought up to date with the rows first.
void keepTotals(store::Connection& db) { report::keepOfficeTotals(db, {&ctr::bankReport(), &orv::orvReport()}); }

std::vector<Period> monthsHeld(store::Connection& db, int from, int to) {
    const store::ResultSet rs = db.query(heldMonthsStatement(), {from, to});
    std::vector<Period> months;
    for (std::size_t r = 0; r < rs.rowCount(); ++r) months.push_back(periodOfKey(rs.field(r, 0).toInt()));
    return months;
}

bool lessNoCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

// What a month and its offices add up to while the rows are read.
struct MonthSums {
    std::array<store::ExactSum, 6> sums{};
    store::ExactSum toExplain;
    store::ExactSum open;
};

}  // namespace

std::optional<Period> parseMonth(std::string_view text) {
    const std::size_t dash = text.find('-');
    if (dash != 4 || text.size() < 6 || text.size() > 7) return std::nullopt;
    int year = 0, month = 0;
    const char* end = text.data() + text.size();
    auto [y, ey] = std::from_chars(text.data(), text.data() + dash, year);
    auto [m, em] = std::from_chars(text.data() + dash + 1, end, month);
    if (ey != std::errc() || y != text.data() + dash || em != std::errc() || m != end) return std::nullopt;
    if (year < kFirstYear || year > kLastYear || month < 1 || month > 12) return std::nullopt;
    return Period{year, month};
}

std::vector<Period> heldMonths(store::Connection& db) {
    keepTotals(db);
    return monthsHeld(db, kLowestKey, kHighestKey);
}

Trend trendOf(store::Connection& db, const compare::Scope& scope, const std::optional<MonthRange>& range) {
    if (range && range->from.key() > range->to.key())
        throw Error(errc::kUsage, fromAfterToText(range->from, range->to));
    const int from = range ? range->from.key() : kLowestKey;
    const int to = range ? range->to.key() : kHighestKey;
    keepTotals(db);
    Trend trend;
    std::map<std::int64_t, std::size_t> monthAt;
    for (const Period& month : monthsHeld(db, from, to)) {
        monthAt[month.key()] = trend.months.size();
        trend.months.push_back({month});
    }
    if (trend.months.empty()) return trend;

    const std::string clause = scope.headOffice ? compare::headOfficeScope(scope.configuredOffice) : std::string();
    const store::ResultSet rs = db.query(trendStatement(clause), {from, to});
    std::vector<MonthSums> sums(trend.months.size());
    using OfficeKey = std::tuple<std::string, std::string, std::string>;
    std::map<OfficeKey, std::vector<std::optional<double>>> cells;
    for (std::size_t r = 0; r < rs.rowCount(); ++r) {
        const compare::Amounts amounts = compare::comparedAmounts(rs, r);
        const std::size_t m = monthAt.at(rs.field(r, "Month_Key").toInt());
        TrendMonth& month = trend.months[m];
        ++month.offices;
        const double deposits = amounts[compare::kDepositDifference];
        const double withdrawals = amounts[compare::kWithdrawalDifference];
        if (!compare::differs(deposits) && !compare::differs(withdrawals)) continue;
        ++month.differing;
        for (std::size_t k = 0; k < amounts.size(); ++k) sums[m].sums[k].add(amounts[k]);
        store::ExactSum office;
        for (double difference : {deposits, withdrawals}) {
            office.add(std::fabs(difference));
            sums[m].toExplain.add(std::fabs(difference));
        }
        const OfficeKey key{rs.field(r, "OffName").toText(), rs.field(r, "office_id").toText(),
                            rs.field(r, "qal_facility_id").toText()};
        auto [at, added] = cells.try_emplace(key, trend.months.size());
        at->second[m] = office.total();
    }
    for (auto& [key, toExplain] : cells)
        trend.offices.push_back({std::get<1>(key), std::get<2>(key), std::get<0>(key), std::move(toExplain), {}, 0});
    std::stable_sort(trend.offices.begin(), trend.offices.end(),
                     [](const OfficeTrend& a, const OfficeTrend& b) { return lessNoCase(a.name, b.name); });
    // An item counts for the first office of its name the map lists; offices the comparison
    // never lists have no row to count it in.
    std::map<std::string, std::size_t> officeAt;
    for (std::size_t o = trend.offices.size(); o-- > 0;) officeAt[trend.offices[o].name] = o;
    std::vector<std::vector<store::ExactSum>> officeOpen(trend.offices.size(),
                                                         std::vector<store::ExactSum>(trend.months.size()));
    // Every item open today, whenever it arose: each counts in its own month.
    const long long lastDay = daysFromCivil(kLastYear, 12, 31);
    for (const review::OpenItem& item : review::openItems(db, lastDay, review::ItemHints::Without).items) {
        const auto at = monthAt.find(monthOfDay(item.line.day).key());
        if (at == monthAt.end()) continue;
        const double amount = std::fabs(item.line.amount);
        sums[at->second].open.add(amount);
        if (const auto office = officeAt.find(item.line.office); office != officeAt.end())
            officeOpen[office->second][at->second].add(amount);
    }
    for (std::size_t o = 0; o < trend.offices.size(); ++o) {
        store::ExactSum total;
        for (const store::ExactSum& month : officeOpen[o]) {
            trend.offices[o].open.push_back(month.total());
            total.add(month.total());
        }
        trend.offices[o].openTotal = total.total();
    }
    for (std::size_t m = 0; m < trend.months.size(); ++m) {
        for (std::size_t k = 0; k < sums[m].sums.size(); ++k) trend.months[m].sums[k] = sums[m].sums[k].total();
        trend.months[m].toExplain = sums[m].toExplain.total();
        trend.months[m].open = sums[m].open.total();
    }
    return trend;
}

}  // namespace vesk::trend
