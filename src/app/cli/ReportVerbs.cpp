#include <ostream>

#include "cli/VerbPrompter.h"
#include "cli/Verbs.h"
#include "ctr/BankReport.h"
#include "orv/OrvReport.h"
#include "report/MonthlyReport.h"
#include "report/SummaryText.h"

namespace vesk::cli {

namespace {

const report::ReportDescription& reportNamed(const std::string& name) {
    if (name == "ctr") return ctr::bankReport();
    if (name == "orv") return orv::orvReport();
    throw UsageError("the report is ctr or orv, not '" + name + "'");
}

// Loads the report as its form would; false when the form would hand over to the office
// master form (the message is shown).
bool load(report::MonthlyReport& r) {
    r.Form_Load();
    return r.connection().isOpen() && !r.Form_Activate();
}

int importReport(Context& context, const std::vector<std::string>& args, const report::ReportDescription& which) {
    Arguments a(args, {}, {"yes"});
    if (a.positional().size() != 1) throw UsageError("give exactly one report workbook");
    VerbPrompter prompter(context.prompter, a.positional().front(), a.flag("yes"));
    report::MonthlyReport r(which, context.databasePath(), prompter);
    if (!load(r)) return kExitFailed;
    const bool done = r.Import_Click();
    context.prompter.progress("");
    return done ? kExitOk : kExitFailed;
}

int importCtr(Context& context, const std::vector<std::string>& args) {
    return importReport(context, args, ctr::bankReport());
}

int importOrv(Context& context, const std::vector<std::string>& args) {
    return importReport(context, args, orv::orvReport());
}

// The summary grid as tab-separated lines under its headings, amounts as the grid shows
// them; nothing when the grid is empty.
int summary(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {});
    if (a.positional().size() != 1) throw UsageError("give the report: ctr or orv");
    report::MonthlyReport r(reportNamed(a.positional().front()), context.databasePath(), context.prompter);
    if (!load(r)) return kExitFailed;
    if (!r.view().summary) return kExitOk;
    const store::ResultSet& rs = *r.view().summary;
    const auto& headings = rs.columns();
    const std::size_t shown = std::min<std::size_t>(headings.size(), report::kSortMonthColumn);
    for (std::size_t c = 0; c < shown; ++c) context.out << (c ? "\t" : "") << headings[c];
    context.out << "\n";
    for (std::size_t row = 0; row < rs.rowCount(); ++row) {
        for (std::size_t c = 0; c < shown; ++c)
            context.out << (c ? "\t" : "") << report::summaryCellText(rs.field(row, c), headings[c]);
        context.out << "\n";
    }
    return kExitOk;
}

int deleteMonth(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {}, {"yes"});
    if (a.positional().size() != 3) throw UsageError("give the report (ctr or orv), the year and the month (Jan..Dec)");
    const auto& which = reportNamed(a.positional()[0]);
    VerbPrompter prompter(context.prompter, std::nullopt, a.flag("yes"));
    report::MonthlyReport r(which, context.databasePath(), prompter);
    if (!load(r)) return kExitFailed;
    return r.Command3_Click(a.positional()[1], a.positional()[2]) ? kExitOk : kExitFailed;
}

}  // namespace

void addReportVerbs(std::vector<Verb>& verbs) {
    verbs.push_back({"import-ctr", "FILE [--yes]",
                     "Imports a month of the bank's CTR report, replacing what the database holds for that month.",
                     importCtr});
    verbs.push_back({"import-orv", "FILE [--yes]",
                     "Imports a month of ORV receipts or payments, replacing that month's entries of the same kind.",
                     importOrv});
    verbs.push_back({"summary", "ctr|orv", "Shows the report's monthly summary, newest month first.", summary});
    verbs.push_back(
        {"delete-month", "ctr|orv YEAR MON [--yes]", "Deletes a month of the report; MON is Jan to Dec.", deleteMonth});
}

}  // namespace vesk::cli
