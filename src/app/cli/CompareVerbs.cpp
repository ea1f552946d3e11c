#include <algorithm>
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
#include "compare/OfficeLists.h"
#include "core/Amount.h"
#include "core/DateTime.h"
#include "core/Text.h"
#include "review/MonthHints.h"
#include "review/MonthParts.h"
#include "review/ReviewWording.h"

namespace vesk::cli {

void writeLine(std::ostream& out, const std::vector<std::string>& cells) {
    for (std::size_t c = 0; c < cells.size(); ++c) out << (c ? "\t" : "") << cells[c];
    out << "\n";
}

void warnOfMissingParts(Call& call, Period period, bool emptyToo) {
    store::Connection& db = call.database();
    const review::MonthParts parts = review::monthParts(db, period);
    if (!emptyToo && !parts.holdsAny()) return;
    std::optional<Period> newest;
    if (!parts.holdsAny()) {
        const std::vector<review::MonthParts> held = review::heldMonthParts(db);
        if (!held.empty()) newest = held.back().period;
    }
    const std::string line = review::missingPartsLine(parts, newest);
    if (!line.empty()) call.err() << line << "\n";
}

int saveExport(Call& call, const std::string& fileName,
               const std::function<std::string(const std::string& folder)>& write,
               const std::function<compare::Printout()>& printout) {
    std::optional<std::string> saved;
    std::string path;
    if (const std::optional<std::string> pdf = call.option("pdf")) {
        // The print of an export: the pages into the PDF named, which is asked about as a workbook is.
        const std::string folder = platform::utf8(platform::fsPath(*pdf).parent_path());
        const compare::ExportPlace place{folder.empty() ? "." : folder, false, false};
        path = platform::joinPath(place.folder, platform::fileName(*pdf));
        saved = compare::saveExport(call.prompter(), place, platform::fileName(*pdf), [&](const std::string&) {
            printToPdf(printout(), path);
            return path;
        });
    } else {
        const compare::ExportPlace place{call.option("out").value_or(compare::defaultOutputFolder()), false, false};
        path = platform::joinPath(place.folder, fileName);
        saved = compare::saveExport(call.prompter(), place, fileName, write);
    }
    if (!saved) {
        call.err() << "kept " << path << ": nothing written (--yes replaces it)\n";
        return kExitFailed;
    }
    call.out() << *saved << "\n";
    return kExitOk;
}

namespace {

constexpr int kFirstYear = 1900;
constexpr int kLastYear = 9999;

int yearOf(const std::string& text) {
    int year = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, year);
    if (text.empty() || ec != std::errc() || p != end) throw UsageError(compare::yearNotANumber(text));
    if (year < kFirstYear || year > kLastYear) throw UsageError(compare::yearOutOfRange(kFirstYear, kLastYear));
    return year;
}

// 1 to 12, or the month's full English name in any letter case.
int monthOf(const std::string& text) {
    for (int m = 1; m <= 12; ++m)
        if (text == std::to_string(m) || equalsNoCase(text, monthName(m))) return m;
    throw UsageError(compare::notAMonth(text));
}

}  // namespace

compare::Period periodArguments(const Call& call, std::size_t first) {
    return {yearOf(call.argument(first)), monthOf(call.argument(first + 1))};
}

namespace {

compare::Period periodOf(const Call& call) { return periodArguments(call, 0); }

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

// The month compared as the Compare button compares it, and told so; none when it holds no
// bank rows.
std::optional<compare::ComparedMonth> comparedMonth(Call& call) {
    const compare::Period period = periodOf(call);
    compare::ComparedMonth c = compare::compareInScope(call.database(), period);
    warnOfMissingParts(call, period);
    if (!compare::tellComparison(call.prompter(), c)) return std::nullopt;
    return c;
}

// The consolidated grid, filtered as the search box would filter it.
compare::Grid consolidated(const compare::ComparedMonth& c, const std::optional<std::string>& filter) {
    compare::Grid grid = compare::consolidatedGrid(c.result);
    if (filter) compare::filterRows(grid, compare::filterBoxText(*filter));
    return grid;
}

// An entry of the month's office list, picked as a name in the list is picked.
struct ListedOffice {
    std::string name;                  ///< as listed
    std::vector<std::string> offices;  ///< the offices it stands for
};

// The entry the text names; none (with the reason shown) when it names none.
std::optional<ListedOffice> listedOffice(Call& call, const compare::ComparedMonth& c, const std::string& wanted) {
    const std::vector<std::string> list = compare::officeList(c.result);
    const std::optional<std::size_t> entry = compare::findInOfficeList(list, wanted);
    if (!entry) {
        call.err() << compare::notInOfficeList(wanted) << "\n";
        return std::nullopt;
    }
    return ListedOffice{list[*entry], compare::officesOf(list, *entry)};
}

compare::Grid detailed(Call& call, const compare::ComparedMonth& c, const ListedOffice& office) {
    compare::Grid grid = compare::detailedGrid(compare::differingDates(call.database(), c.period, office.offices));
    if (!c.result.offices.empty()) call.err() << compare::kDataFetched << "\n";
    return grid;
}

// What the month's comparison leaves out, in the comparison's scope.
struct Unmatched {
    compare::Period period;
    compare::Scope scope;
    compare::LeftOut leftOut;
};

Unmatched unmatchedOf(Call& call) {
    Unmatched u{periodOf(call), {}, {}};
    u.scope = compare::comparisonScope(call.database());
    u.leftOut = compare::listLeftOut(call.database(), u.period, u.scope);
    return u;
}

// The month's rows of an office, or of every differing office, paired.
struct Explained {
    compare::Period period;
    std::optional<std::string> office;  ///< the master's spelling; none for All
    std::string configuredOffice;
    compare::Explanation explanation;
};

// The month and office the arguments name; none (with the reason shown) when the office is
// not in the master.
std::optional<Explained> explainedOf(Call& call) {
    Explained e{periodOf(call), std::nullopt, {}, {}};
    const std::string& officeText = call.argument(2);
    store::Connection& db = call.database();
    warnOfMissingParts(call, e.period, false);  // a month without rows is said to have none to explain
    compare::ExplainTarget target;
    if (!equalsNoCase(officeText, compare::kAllOffices)) {
        e.office = compare::masterOfficeName(db, officeText);
        if (!e.office) {
            call.err() << compare::notInOfficeMaster(officeText) << "\n";
            return std::nullopt;
        }
        target = compare::ExplainTarget::one(*e.office);
    }
    // The hints' months stored first, then the month explained as one state of the file;
    // months that could not be stored are not paired a second time.
    review::PreparedExplanation prepared = review::prepareExplanation(db, e.period, target);
    const store::Transaction snapshot = db.beginRead();
    e.configuredOffice = compare::comparisonScope(db).configuredOffice;
    e.explanation = review::explainPrepared(db, e.period, target, std::move(prepared));
    if (e.explanation.lines.empty()) call.err() << compare::noRowsToExplain(e.office, e.period) << "\n";
    return e;
}

// The export of a comparison grid: the month compared, the office picked with --office (for
// the detailed grid), then the grid written as the form's export button writes it.
int exportGrid(Call& call, compare::ExportKind kind) {
    const auto c = comparedMonth(call);
    if (!c) return kExitFailed;

    compare::ExportContext export_ = compare::exportContext(c->period, c->scope.configuredOffice);
    if (auto filter = call.option("filter")) export_.filterText = compare::filterBoxText(*filter);
    std::optional<ListedOffice> office;
    if (auto wanted = call.option("office")) {
        office = listedOffice(call, *c, *wanted);
        if (!office) return kExitFailed;
        export_.office = office->name;
    }
    compare::Grid grid;
    if (kind == compare::ExportKind::Consolidated)
        grid = consolidated(*c, call.option("filter"));
    else if (office)
        grid = detailed(call, *c, *office);
    if (!compare::gridToExport(call.prompter(), kind, grid)) return kExitFailed;
    const std::string fileName = compare::workbookFileName(kind, export_);
    return saveExport(
        call, fileName,
        [&](const std::string& folder) { return compare::writeComparisonWorkbook(kind, grid, export_, folder); },
        [&] { return compare::printoutOf(fileName, {compare::exportSheet(kind, grid, export_)}, localNow()); });
}

}  // namespace

int runCompare(Call& call) {
    const auto c = comparedMonth(call);
    if (!c) return kExitFailed;
    writeGrid(call.out(), consolidated(*c, call.option("filter")));
    return kExitOk;
}

int runDetail(Call& call) {
    const auto c = comparedMonth(call);
    if (!c) return kExitFailed;
    const auto office = listedOffice(call, *c, call.argument(2));
    if (!office) return kExitFailed;
    writeGrid(call.out(), detailed(call, *c, *office));
    return kExitOk;
}

// One line per group: its list's word, its name, the count and both sums.
int runUnmatched(Call& call) {
    const Unmatched u = unmatchedOf(call);
    for (compare::LeftOutKind kind : compare::kLeftOutKinds)
        for (const compare::LeftOutGroup& g : u.leftOut.list(kind).groups)
            call.out() << compare::leftOutLabels(kind).tag << "\t" << g.name << "\t" << g.count << "\t"
                       << formatAmount(g.first) << "\t" << formatAmount(g.second) << "\n";
    return kExitOk;
}

// One line per row of the month, tab-separated, under the listing's header.
int runExplain(Call& call) {
    const auto e = explainedOf(call);
    if (!e) return kExitFailed;
    writeLine(call.out(), compare::explainHeaders());
    for (const compare::ExplainedLine& line : compare::listedLines(e->explanation.lines, call.flag("matched")))
        writeLine(call.out(), compare::explainCells(line));
    return kExitOk;
}

int runExportConsolidated(Call& call) { return exportGrid(call, compare::ExportKind::Consolidated); }

int runExportDetailed(Call& call) { return exportGrid(call, compare::ExportKind::Detailed); }

int runExportUnmatched(Call& call) {
    const Unmatched u = unmatchedOf(call);
    const compare::ExportContext export_ = compare::exportContext(u.period, u.scope.configuredOffice);
    const std::string fileName = compare::leftOutFileName(export_);
    return saveExport(
        call, fileName,
        [&](const std::string& folder) { return compare::writeLeftOutWorkbook(u.leftOut, export_, folder); },
        [&] { return compare::printoutOf(fileName, {compare::leftOutSheet(u.leftOut, export_)}, localNow()); });
}

int runExportExplained(Call& call) {
    const auto e = explainedOf(call);
    if (!e) return kExitFailed;
    compare::ExportContext export_ = compare::exportContext(e->period, e->configuredOffice);
    export_.office = e->office;
    export_.rules = e->explanation.rules;
    const std::vector<compare::ExplainedLine> lines = compare::listedLines(e->explanation.lines, call.flag("matched"));
    const std::string fileName = compare::explainedFileName(export_);
    return saveExport(
        call, fileName,
        [&](const std::string& folder) { return compare::writeExplainedWorkbook(lines, export_, folder); },
        [&] { return compare::printoutOf(fileName, {compare::explainedSheet(lines, export_)}, localNow()); });
}

}  // namespace vesk::cli

namespace vesk::cli {

// Every list whose name is free is written even when another's is kept, so that one taken
// file does not hold back the rest; the kept ones fail the verb.
int runOfficeLists(Call& call) {
    const compare::Period period = periodOf(call);
    warnOfMissingParts(call, period, false);
    const std::string choice = call.option("office").value_or(compare::kAllOffices);
    const std::optional<compare::OfficeListsMonth> month = review::officeListsMonth(call.database(), period, choice);
    if (!month) {
        call.err() << compare::notInOfficeList(choice) << "\n";
        return kExitFailed;
    }
    if (month->offices.empty()) {
        call.prompter().message(compare::noMismatchData());
        return kExitFailed;
    }
    const std::vector<compare::OfficeList> lists = compare::officeLists(*month);
    const compare::ExportPlace place{call.option("out").value_or(compare::defaultOutputFolder()), false, false};
    compare::SavedOfficeLists saved = compare::saveOfficeLists(call.prompter(), place, lists, month->context);
    if (call.flag("pdf")) {
        // Each list written gets its printed copy beside it, from the same sheet, asked about alike.
        const DateTime now = localNow();
        for (const compare::OfficeList& list : lists) {
            const std::string workbook = platform::joinPath(place.folder, list.fileName);
            if (std::find(saved.paths.begin(), saved.paths.end(), workbook) == saved.paths.end()) continue;
            const std::string pdfName = list.fileName.substr(0, list.fileName.rfind('.')) + ".pdf";
            const std::string pdf = platform::joinPath(place.folder, pdfName);
            const auto printed = compare::saveExport(call.prompter(), place, pdfName, [&](const std::string&) {
                printToPdf(compare::printoutOf(pdfName, {list.sheet}, now), pdf);
                return pdf;
            });
            (printed ? saved.paths : saved.kept).push_back(pdf);
        }
    }
    for (const std::string& path : saved.paths) call.out() << path << "\n";
    for (const std::string& path : saved.kept)
        call.err() << "kept " << path << ": nothing written (--yes replaces it)\n";
    return saved.kept.empty() ? kExitOk : kExitFailed;
}

}  // namespace vesk::cli
