#include <charconv>
#include <ostream>

#include "cli/Verbs.h"
#include "compare/CompareFlows.h"
#include "compare/CompareWording.h"
#include "compare/ComparisonGrid.h"
#include "compare/ComparisonWorkbook.h"
#include "compare/Explanation.h"
#include "compare/ExplanationWorkbook.h"
#include "compare/GridFilter.h"
#include "compare/LeftOut.h"
#include "compare/MonthComparison.h"
#include "core/Amount.h"
#include "core/DateTime.h"
#include "core/Text.h"
#include "store/Connection.h"

namespace vesk::cli {

void writeLine(std::ostream& out, const std::vector<std::string>& cells) {
    for (std::size_t c = 0; c < cells.size(); ++c) out << (c ? "\t" : "") << cells[c];
    out << "\n";
}

int saveExport(Context& context, const Arguments& a, const std::string& fileName,
               const std::function<std::string(const std::string& folder)>& write) {
    const compare::ExportPlace place{a.option("out").value_or(compare::defaultOutputFolder()), false, false};
    context.out << compare::saveExport(context.prompter, place, fileName, write) << "\n";
    return kExitOk;
}

namespace {

constexpr int kFirstYear = 1900;
constexpr int kLastYear = 9999;

int yearOf(const std::string& text) {
    int year = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, year);
    if (text.empty() || ec != std::errc() || p != end) throw UsageError("YEAR must be a number, not '" + text + "'");
    if (year < kFirstYear || year > kLastYear)
        throw UsageError("YEAR must be from " + std::to_string(kFirstYear) + " to " + std::to_string(kLastYear));
    return year;
}

// 1 to 12, or the month's full English name in any letter case.
int monthOf(const std::string& text) {
    for (int m = 1; m <= 12; ++m)
        if (text == std::to_string(m) || equalsNoCase(text, monthName(m))) return m;
    throw UsageError("MONTH must be 1 to 12 or a month's full name, not '" + text + "'");
}

// The grid as the form shows it: the header, then the shown rows, a red cell marked "*".
void writeGrid(std::ostream& out, const compare::Grid& grid) {
    for (std::size_t c = 0; c < grid.headers.size(); ++c) out << (c ? "\t" : "") << grid.headers[c];
    out << "\n";
    for (const compare::GridRow& row : grid.rows) {
        if (!row.visible) continue;
        for (std::size_t c = 0; c < row.cells.size(); ++c)
            out << (c ? "\t" : "") << row.cells[c].text << (row.cells[c].red ? "*" : "");
        out << "\n";
    }
}

// A month compared on the command line: its period, scope and result.
struct Compared {
    compare::Period period;
    compare::Scope scope;
    compare::MonthComparison result;
};

compare::Period periodOf(const std::string& yearText, const std::string& monthText) {
    return {yearOf(yearText), monthOf(monthText)};
}

// Compares the month; nullopt (with the reason shown) when it holds no bank rows.
std::optional<Compared> compareMonth(Context& context, store::Connection& db, compare::Period period) {
    Compared c{period, {}, {}};
    c.scope = compare::comparisonScope(db);
    c.result = compare::compareMonth(db, c.period, c.scope);
    if (!c.result.anyRows) {
        context.prompter.message(compare::noRecords());
        return std::nullopt;
    }
    context.prompter.message(compare::comparisonCompleted(c.result, c.scope));
    return c;
}

// The consolidated grid, filtered as the search box would filter it.
compare::Grid consolidated(const Compared& c, const std::optional<std::string>& filter) {
    compare::Grid grid = compare::consolidatedGrid(c.result);
    if (filter) compare::filterRows(grid, compare::filterBoxText(*filter));
    return grid;
}

// An entry of the office list as the form's list holds it: All, then the differing offices.
struct ListedOffice {
    std::string name;                  ///< as listed
    std::vector<std::string> offices;  ///< the offices it stands for
};

// The entry the text names (letter case aside, an exact match first); nullopt (with the
// reason shown) when it names none.
std::optional<ListedOffice> listedOffice(Context& context, const Compared& c, const std::string& wanted) {
    const std::vector<std::string> differing = c.result.officeNames();
    std::vector<ListedOffice> listed{{"All", differing}};
    for (const std::string& name : differing) listed.push_back({name, {name}});
    for (const ListedOffice& entry : listed)
        if (entry.name == wanted) return entry;
    for (const ListedOffice& entry : listed)
        if (equalsNoCase(entry.name, wanted)) return entry;
    context.err << "'" << wanted << "' is not in the office list: All or an office that differs\n";
    return std::nullopt;
}

compare::Grid detailed(Context& context, store::Connection& db, const Compared& c, const ListedOffice& office) {
    compare::Grid grid = compare::detailedGrid(compare::differingDates(db, c.period, office.offices));
    if (!c.result.offices.empty()) context.err << compare::kDataFetched << "\n";
    return grid;
}

int compareVerb(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {"filter"});
    if (a.positional().size() != 2) throw UsageError("give YEAR and MONTH");
    const compare::Period period = periodOf(a.positional()[0], a.positional()[1]);
    return withSnapshot(context, [&](store::Connection& db) {
        const auto c = compareMonth(context, db, period);
        if (!c) return int(kExitFailed);
        writeGrid(context.out, consolidated(*c, a.option("filter")));
        return int(kExitOk);
    });
}

int detailVerb(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {});
    if (a.positional().size() != 3) throw UsageError("give YEAR, MONTH and an office name or All");
    const compare::Period period = periodOf(a.positional()[0], a.positional()[1]);
    return withSnapshot(context, [&](store::Connection& db) {
        const auto c = compareMonth(context, db, period);
        if (!c) return int(kExitFailed);
        const auto office = listedOffice(context, *c, a.positional()[2]);
        if (!office) return int(kExitFailed);
        writeGrid(context.out, detailed(context, db, *c, *office));
        return int(kExitOk);
    });
}

// What the month's comparison leaves out, in the comparison's scope.
struct Unmatched {
    compare::Period period;
    compare::Scope scope;
    compare::LeftOut leftOut;
};

Unmatched unmatchedOf(Context& context, const std::string& yearText, const std::string& monthText) {
    Unmatched u{periodOf(yearText, monthText), {}, {}};
    return withSnapshot(context, [&](store::Connection& db) {
        u.scope = compare::comparisonScope(db);
        u.leftOut = compare::listLeftOut(db, u.period, u.scope);
        return u;
    });
}

// One line per group: its list's word, its name, the count and both sums.
int unmatchedVerb(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {});
    if (a.positional().size() != 2) throw UsageError("give YEAR and MONTH");
    const Unmatched u = unmatchedOf(context, a.positional()[0], a.positional()[1]);
    for (compare::LeftOutKind kind : compare::kLeftOutKinds)
        for (const compare::LeftOutGroup& g : u.leftOut.list(kind).groups)
            context.out << compare::leftOutLabels(kind).tag << "\t" << g.name << "\t" << g.count << "\t"
                        << formatAmount(g.first) << "\t" << formatAmount(g.second) << "\n";
    return kExitOk;
}

int exportUnmatched(Context& context, const Arguments& a) {
    const Unmatched u = unmatchedOf(context, a.positional()[1], a.positional()[2]);
    const compare::ExportContext export_ = compare::exportContext(u.period, u.scope.configuredOffice);
    return saveExport(context, a, compare::leftOutFileName(export_), [&](const std::string& folder) {
        return compare::writeLeftOutWorkbook(u.leftOut, export_, folder);
    });
}

// The month's rows of an office, or of every differing office, paired.
struct Explained {
    compare::Period period;
    std::optional<std::string> office;  ///< the master's spelling; none for All
    std::string configuredOffice;
    compare::Explanation explanation;
};

// nullopt (with the reason shown) when the office is not in the master.
std::optional<Explained> explainedOf(Context& context, const std::string& yearText, const std::string& monthText,
                                     const std::string& officeText) {
    Explained e{periodOf(yearText, monthText), std::nullopt, {}, {}};
    const bool known = withSnapshot(context, [&](store::Connection& db) {
        compare::ExplainTarget target;
        if (!equalsNoCase(officeText, "All")) {
            e.office = compare::masterOfficeName(db, officeText);
            if (!e.office) return false;
            target = compare::ExplainTarget::one(*e.office);
        }
        e.configuredOffice = compare::comparisonScope(db).configuredOffice;
        e.explanation = compare::explainMonth(db, e.period, target);
        return true;
    });
    if (!known) {
        context.err << "'" << officeText << "' is not an office of the office master\n";
        return std::nullopt;
    }
    if (e.explanation.lines.empty())
        context.err << "No rows to explain for " << (e.office ? *e.office : std::string("the differing offices"))
                    << " in " << monthAndYear(e.period) << ".\n";
    return e;
}

// One line per row of the month, tab-separated, under the listing's header.
int explainVerb(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {}, {"matched"});
    if (a.positional().size() != 3) throw UsageError("give YEAR, MONTH and an office name or All");
    const auto e = explainedOf(context, a.positional()[0], a.positional()[1], a.positional()[2]);
    if (!e) return kExitFailed;
    writeLine(context.out, compare::explainHeaders());
    for (const compare::ExplainedLine& line : compare::listedLines(e->explanation.lines, a.flag("matched")))
        writeLine(context.out, compare::explainCells(line));
    return kExitOk;
}

int exportExplained(Context& context, const Arguments& a) {
    if (a.positional().size() != 4) throw UsageError("give explained, YEAR, MONTH and an office name or All");
    const auto e = explainedOf(context, a.positional()[1], a.positional()[2], a.positional()[3]);
    if (!e) return kExitFailed;
    compare::ExportContext export_ = compare::exportContext(e->period, e->configuredOffice);
    export_.office = e->office;
    return saveExport(context, a, compare::explainedFileName(export_), [&](const std::string& folder) {
        return compare::writeExplainedWorkbook(compare::listedLines(e->explanation.lines, a.flag("matched")), export_,
                                               folder);
    });
}

int exportGrid(Context& context, const Arguments& a, store::Connection& db, compare::ExportKind kind,
               compare::Period period);

// Writes the workbook the form's export button would, without opening it.
int exportVerb(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {"office", "filter", "out", "as-of"}, {"matched"});
    if (!a.positional().empty() && a.positional()[0] == "trend") {
        if (a.option("office") || a.option("filter") || a.flag("matched") || a.option("as-of"))
            throw UsageError("trend takes only --out");
        return exportTrend(context, a);
    }
    if (!a.positional().empty() && a.positional()[0] == "open-items") {
        if (a.option("office") || a.option("filter") || a.flag("matched"))
            throw UsageError("open-items takes only --as-of and --out");
        return exportOpenItems(context, a);
    }
    if (a.option("as-of")) throw UsageError("--as-of goes with open-items only");
    if (!a.positional().empty() && a.positional()[0] == "explained") {
        if (a.option("office") || a.option("filter")) throw UsageError("explained takes only --out and --matched");
        return exportExplained(context, a);
    }
    if (a.positional().size() != 3)
        throw UsageError(
            "give consolidated, detailed or unmatched, YEAR and MONTH (or explained, YEAR, MONTH, OFFICE)");
    const std::string& which = a.positional()[0];
    if (which == "unmatched") {
        if (a.option("office") || a.option("filter") || a.flag("matched"))
            throw UsageError("unmatched takes only --out");
        return exportUnmatched(context, a);
    }
    if (which != "consolidated" && which != "detailed")
        throw UsageError("the first argument is consolidated, detailed or unmatched, not '" + which + "'");
    if (a.flag("matched")) throw UsageError("--matched goes with explained only");
    const compare::ExportKind kind =
        which == "consolidated" ? compare::ExportKind::Consolidated : compare::ExportKind::Detailed;
    const compare::Period period = periodOf(a.positional()[1], a.positional()[2]);
    return withSnapshot(context, [&](store::Connection& db) { return exportGrid(context, a, db, kind, period); });
}

// The grid export of exportVerb, over its database.
int exportGrid(Context& context, const Arguments& a, store::Connection& db, compare::ExportKind kind,
               compare::Period period) {
    const auto c = compareMonth(context, db, period);
    if (!c) return kExitFailed;

    compare::ExportContext export_ = compare::exportContext(c->period, c->scope.configuredOffice);
    if (auto filter = a.option("filter")) export_.filterText = compare::filterBoxText(*filter);
    std::optional<ListedOffice> office;
    if (auto wanted = a.option("office")) {
        office = listedOffice(context, *c, *wanted);
        if (!office) return kExitFailed;
        export_.office = office->name;
    }
    compare::Grid grid;
    if (kind == compare::ExportKind::Consolidated)
        grid = consolidated(*c, a.option("filter"));
    else if (office)
        grid = detailed(context, db, *c, *office);
    if (!grid.hasData()) {
        context.prompter.message(kind == compare::ExportKind::Consolidated ? compare::noMismatchData()
                                                                           : compare::noDataToExport());
        return kExitFailed;
    }
    return saveExport(context, a, compare::workbookFileName(kind, export_), [&](const std::string& folder) {
        return compare::writeComparisonWorkbook(kind, grid, export_, folder);
    });
}

}  // namespace

void addCompareVerbs(std::vector<Verb>& verbs) {
    verbs.push_back({"compare", "YEAR MONTH [--filter TEXT]",
                     "Compares the month office by office and prints the offices that differ, then their total "
                     "(tab-separated, a differing amount marked *). YEAR: 1900 to 9999; MONTH: 1 to 12 or the "
                     "month's name. --filter shows only the offices whose names begin with TEXT.",
                     compareVerb});
    verbs.push_back({"detail", "YEAR MONTH OFFICE|All",
                     "Compares the month, then prints the dates on which the office (or every differing office, "
                     "for All) differs.",
                     detailVerb});
    verbs.push_back({"unmatched", "YEAR MONTH",
                     "Prints what the month's comparison leaves out, one tab-separated line per group: "
                     "bank-unknown-facility (FACILITY_ID, rows, deposits, withdrawals), orv-only-office (office "
                     "name, entries, receipts, payments) and orv-unknown-office (office id, entries, receipts, "
                     "payments). Nothing printed: nothing left out.",
                     unmatchedVerb});
    verbs.push_back({"explain", "YEAR MONTH OFFICE|All [--matched]",
                     "Pairs the month's bank rows of the office (or of every office the comparison lists, for All) "
                     "with its ORV entries and prints one tab-separated line per row: Office Name, Kind, Side, Date, "
                     "ID, Amount, Class (matched, group, timing, amount-differs, bank-only, orv-only), Group, Other "
                     "Date, Status, Note (the row's note). Without --matched the matched and group lines are left out.",
                     explainVerb});
    verbs.push_back({"export",
                     "consolidated|detailed|unmatched YEAR MONTH [--office NAME|All] [--filter TEXT] [--out DIR] | "
                     "explained YEAR MONTH OFFICE|All [--matched] [--out DIR] | trend [FROM TO] [--out DIR] | "
                     "open-items [--as-of D] [--out DIR]",
                     "Compares the month (and lists the office's dates with --office) and writes the grid, filtered "
                     "as the search box would, or what the comparison leaves out (unmatched), to a formatted "
                     "workbook in DIR (default: VESK - ORV Output on the desktop); prints the file's path. explained "
                     "writes the month's explained rows of the office, or of every differing office, as explain prints "
                     "them. trend writes the months from FROM to TO (default: every month held) as trend prints them, "
                     "with a chart, and the office map to Trend_FROM_TO.xlsx; open-items writes "
                     "Open_Items_<dd-mm-yyyy>.xlsx: the open items as open-items lists them, after a line per age "
                     "bucket.",
                     exportVerb});
}

}  // namespace vesk::cli
