#include <ostream>

#include "cli/Verbs.h"
#include "compare/CompareWording.h"
#include "compare/ComparisonWorkbook.h"
#include "core/Amount.h"
#include "trend/Trend.h"
#include "trend/TrendWording.h"
#include "trend/TrendWorkbook.h"

namespace vesk::cli {

namespace {

// FROM and TO, both or neither (the parser has checked their count); neither is every month
// the data holds.
std::optional<trend::MonthRange> rangeOf(const Call& call) {
    if (call.positional().empty()) return std::nullopt;
    const auto month = [](const char* which, const std::string& text) {
        const std::optional<trend::Period> m = trend::parseMonth(text);
        if (!m) throw UsageError(trend::notAMonthText(which, text));
        return *m;
    };
    return trend::MonthRange{month("FROM", call.argument(0)), month("TO", call.argument(1))};
}

struct Trended {
    std::optional<trend::MonthRange> range;
    compare::Scope scope;
    trend::Trend trend;
};

Trended trendOf(Call& call) {
    Trended t{rangeOf(call), {}, {}};
    t.scope = compare::comparisonScope(call.database());
    t.trend = trend::trendOf(call.database(), t.scope, t.range);
    if (t.trend.months.empty()) call.err() << trend::kNoDataText << "\n";
    return t;
}

void writeMonths(std::ostream& out, const trend::Trend& t) {
    writeLine(out, trend::monthHeaders());
    for (const trend::TrendMonth& m : t.months) {
        std::vector<std::string> cells{trend::monthText(m.month), std::to_string(m.offices),
                                       std::to_string(m.differing)};
        for (double amount : m.sums) cells.push_back(formatAmount(amount));
        cells.push_back(formatAmount(m.toExplain));
        cells.push_back(formatAmount(m.open));
        writeLine(out, cells);
    }
}

void writeOffices(std::ostream& out, const trend::Trend& t) {
    std::vector<std::string> header{trend::kOfficeHeader};
    for (const trend::TrendMonth& m : t.months) header.push_back(trend::monthText(m.month));
    header.push_back(trend::kOpenHeader);
    writeLine(out, header);
    for (const trend::OfficeTrend& office : t.offices) {
        std::vector<std::string> cells{office.name};
        for (const std::optional<double>& amount : office.toExplain)
            cells.push_back(amount ? formatAmount(*amount) : "");
        cells.push_back(formatAmount(office.openTotal));
        writeLine(out, cells);
    }
}

}  // namespace

int runTrend(Call& call) {
    const Trended t = trendOf(call);
    if (call.flag("offices"))
        writeOffices(call.out(), t.trend);
    else
        writeMonths(call.out(), t.trend);
    return kExitOk;
}

int runExportTrend(Call& call) {
    const Trended t = trendOf(call);
    if (t.trend.months.empty()) {
        call.prompter().message(compare::noDataToExport());
        return kExitFailed;
    }
    const trend::MonthRange range =
        t.range.value_or(trend::MonthRange{t.trend.months.front().month, t.trend.months.back().month});
    return saveExport(call, trend::workbookFileName(range.from, range.to),
                      [&](const std::string& folder) {
                          return trend::writeTrendWorkbook(t.trend, {range, t.scope.configuredOffice}, folder);
                      },
                      {});
}

}  // namespace vesk::cli
