#include <ostream>

#include "cli/Verbs.h"
#include "compare/CompareWording.h"
#include "compare/ComparisonWorkbook.h"
#include "core/Amount.h"
#include "store/Connection.h"
#include "trend/Trend.h"
#include "trend/TrendWording.h"
#include "trend/TrendWorkbook.h"

namespace vesk::cli {

namespace {

// FROM and TO, both or neither; neither is every month the data holds.
std::optional<trend::MonthRange> rangeOf(const std::vector<std::string>& months) {
    if (months.empty()) return std::nullopt;
    if (months.size() != 2) throw UsageError("give FROM and TO (YYYY-MM), or neither for every month held");
    const auto month = [](const char* which, const std::string& text) {
        const std::optional<trend::Period> m = trend::parseMonth(text);
        if (!m)
            throw UsageError(std::string(which) + " must be a month as YYYY-MM (1900-01 to 9999-12), not '" + text +
                             "'");
        return *m;
    };
    return trend::MonthRange{month("FROM", months[0]), month("TO", months[1])};
}

struct Trended {
    std::optional<trend::MonthRange> range;
    compare::Scope scope;
    trend::Trend trend;
};

Trended trendOf(Context& context, const std::vector<std::string>& months) {
    Trended t{rangeOf(months), {}, {}};
    withDatabase(context, [&](store::Connection& db) {
        t.scope = compare::comparisonScope(db);
        t.trend = trend::trendOf(db, t.scope, t.range);
    });
    if (t.trend.months.empty()) context.err << trend::kNoDataText << "\n";
    return t;
}

void writeMonths(std::ostream& out, const trend::Trend& t) {
    writeLine(out, trend::monthHeaders());
    for (const trend::TrendMonth& m : t.months) {
        std::vector<std::string> cells{trend::monthText(m.month), std::to_string(m.offices),
                                       std::to_string(m.differing)};
        for (double amount : m.sums) cells.push_back(formatAmount(amount));
        cells.push_back(formatAmount(m.toExplain));
        writeLine(out, cells);
    }
}

void writeOffices(std::ostream& out, const trend::Trend& t) {
    std::vector<std::string> header{trend::kOfficeHeader};
    for (const trend::TrendMonth& m : t.months) header.push_back(trend::monthText(m.month));
    writeLine(out, header);
    for (const trend::OfficeTrend& office : t.offices) {
        std::vector<std::string> cells{office.name};
        for (const std::optional<double>& amount : office.toExplain)
            cells.push_back(amount ? formatAmount(*amount) : "");
        writeLine(out, cells);
    }
}

int trendVerb(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {}, {"offices"});
    const Trended t = trendOf(context, a.positional());
    if (a.flag("offices"))
        writeOffices(context.out, t.trend);
    else
        writeMonths(context.out, t.trend);
    return kExitOk;
}

}  // namespace

int exportTrend(Context& context, const Arguments& a) {
    const std::vector<std::string> months(a.positional().begin() + 1, a.positional().end());
    const Trended t = trendOf(context, months);
    if (t.trend.months.empty()) {
        context.prompter.message(compare::noDataToExport());
        return kExitFailed;
    }
    const trend::MonthRange range =
        t.range.value_or(trend::MonthRange{t.trend.months.front().month, t.trend.months.back().month});
    return saveExport(context, a, trend::workbookFileName(range.from, range.to), [&](const std::string& folder) {
        return trend::writeTrendWorkbook(t.trend, {range, t.scope.configuredOffice}, folder);
    });
}

void addTrendVerbs(std::vector<Verb>& verbs) {
    verbs.push_back({"trend", "[--offices] [FROM TO]",
                     "Compares every month from FROM to TO (YYYY-MM; default: every month the data holds) as compare "
                     "does and prints one tab-separated line per month that holds data: Month, Offices (with bank "
                     "rows), Differing (listed), the listed offices' VESK Dep, ORV Dep, Diff Dep, VESK Wdl, ORV Wdl, "
                     "Diff Wdl and To Explain (their absolute differences added up). --offices prints the map "
                     "instead: a line per office listed in any of the months, a column per month holding its To "
                     "Explain, empty where it agrees or has no bank rows.",
                     trendVerb});
}

}  // namespace vesk::cli
