#include <charconv>
#include <chrono>
#include <ostream>

#include "cli/Verbs.h"
#include "compare/Comparison.h"
#include "compare/GridExport.h"
#include "core/DateTime.h"
#include "core/Text.h"

namespace vesk::cli {

namespace {

int yearOf(const std::string& text) {
    int year = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, year);
    if (text.empty() || ec != std::errc() || p != end) throw UsageError("YEAR must be a number, not '" + text + "'");
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

// Loads the form's logic and runs the comparison of the month; false when it did not run.
bool runComparison(compare::Comparison& logic, const std::string& yearText, const std::string& monthText) {
    const int year = yearOf(yearText);
    const int month = monthOf(monthText);
    logic.Form_Load();
    if (!logic.connection().isOpen()) return false;
    int index = -1;
    const auto& years = logic.view().years;
    for (std::size_t i = 0; i < years.size(); ++i)
        if (years[i] == std::to_string(year)) index = int(i);
    logic.Combo1_Click(index);  // a year the list does not offer stays unselected, as in the form
    logic.Combo2_Click(month - 1);
    return logic.cmdRun_Click();
}

// Picks the office (or All) in the office list, as a click would; false when it is not
// listed or the detail failed.
bool pickOffice(Context& context, compare::Comparison& logic, const std::string& wanted) {
    const auto& offices = logic.view().offices;
    int index = -1;
    for (std::size_t i = 0; i < offices.size() && index < 0; ++i)
        if (offices[i] == wanted) index = int(i);
    for (std::size_t i = 0; i < offices.size() && index < 0; ++i)
        if (equalsNoCase(offices[i], wanted)) index = int(i);
    if (index < 0) {
        context.err << "'" << wanted << "' is not in the office list: All or an office that differs\n";
        return false;
    }
    const bool done = logic.Combo3_Click(index);
    if (!logic.view().status.text.empty()) context.err << logic.view().status.text << "\n";
    return done;
}

int compareVerb(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {"filter"});
    if (a.positional().size() != 2) throw UsageError("give YEAR and MONTH");
    compare::Comparison logic(context.databasePath(), context.prompter);
    if (!runComparison(logic, a.positional()[0], a.positional()[1])) return kExitFailed;
    if (auto filter = a.option("filter")) logic.Text1_Change(*filter);
    writeGrid(context.out, logic.consolidated());
    return kExitOk;
}

int detailVerb(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {});
    if (a.positional().size() != 3) throw UsageError("give YEAR, MONTH and an office name or All");
    compare::Comparison logic(context.databasePath(), context.prompter);
    logic.blinker().setDuration(std::chrono::milliseconds(0));  // nothing blinks on a terminal
    if (!runComparison(logic, a.positional()[0], a.positional()[1])) return kExitFailed;

    if (!pickOffice(context, logic, a.positional()[2])) return kExitFailed;
    writeGrid(context.out, logic.detailed());
    return kExitOk;
}

// Writes the workbook the form's export button would, without opening it.
int exportVerb(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {"office", "filter", "out"});
    if (a.positional().size() != 3) throw UsageError("give consolidated or detailed, YEAR and MONTH");
    const std::string& which = a.positional()[0];
    if (which != "consolidated" && which != "detailed")
        throw UsageError("the first argument is consolidated or detailed, not '" + which + "'");
    compare::Comparison logic(context.databasePath(), context.prompter);
    logic.blinker().setDuration(std::chrono::milliseconds(0));
    if (!runComparison(logic, a.positional()[1], a.positional()[2])) return kExitFailed;
    if (auto filter = a.option("filter")) logic.Text1_Change(*filter);
    if (auto office = a.option("office"))
        if (!pickOffice(context, logic, *office)) return kExitFailed;

    compare::GridExport exporter(logic, context.prompter);
    exporter.setOpenWhenSaved(false);
    if (auto out = a.option("out")) exporter.setOutputFolder(*out);
    auto path = which == "consolidated" ? exporter.Command1_Click() : exporter.Command6_Click();
    if (!path) return kExitFailed;
    context.out << *path << "\n";
    return kExitOk;
}

}  // namespace

void addCompareVerbs(std::vector<Verb>& verbs) {
    verbs.push_back({"compare", "YEAR MONTH [--filter TEXT]",
                     "Compares the month office by office and prints the offices that differ, then their total "
                     "(tab-separated, a differing amount marked *). MONTH: 1 to 12 or the month's name. --filter "
                     "shows only the offices whose names begin with TEXT.",
                     compareVerb});
    verbs.push_back({"detail", "YEAR MONTH OFFICE|All",
                     "Compares the month, then prints the dates on which the office (or every differing office, "
                     "for All) differs.",
                     detailVerb});
    verbs.push_back({"export", "consolidated|detailed YEAR MONTH [--office NAME|All] [--filter TEXT] [--out DIR]",
                     "Compares the month (and lists the office's dates with --office) and writes the grid, filtered "
                     "as the search box would, to a formatted workbook in DIR (default: VESK - ORV Output on the "
                     "desktop); prints the file's path.",
                     exportVerb});
}

}  // namespace vesk::cli
