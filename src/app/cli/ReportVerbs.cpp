#include <ostream>

#include "cli/VerbPrompter.h"
#include "cli/Verbs.h"
#include "ctr/BankWording.h"
#include "orv/OrvWording.h"
#include "report/ReportFlows.h"
#include "report/ReportWording.h"

namespace vesk::cli {

namespace {

constexpr int kProgressEvery = 1000;

report::Report reportNamed(const std::string& name) {
    if (name == "ctr") return ctr::bankCtr();
    if (name == "orv") return orv::orvReports();
    throw UsageError("the report is ctr or orv, not '" + name + "'");
}

// Runs a report verb over the database; refused (with the reason shown) while the office
// master is empty, as the report forms refuse to work then.
template <class Work>
int withReports(Context& context, Prompter& prompter, Work&& work) {
    return withDatabase(context, [&](store::Connection& db) {
        if (!report::officeMasterMissing(db)) return work(db);
        prompter.message(report::masterDataMissing());
        return int(kExitFailed);
    });
}

int importReport(Context& context, const std::vector<std::string>& args, const report::Report& which) {
    Arguments a(args, {}, {"yes"});
    if (a.positional().size() != 1) throw UsageError("give exactly one report workbook");
    VerbPrompter prompter(context.prompter, a.flag("yes"));
    return withReports(context, prompter, [&](store::Connection& db) {
        const report::MonthImport imported =
            report::importReport(opened(db), prompter, which, a.positional().front(), kProgressEvery);
        context.prompter.progress("");
        return int(imported.status == report::MonthImport::Status::Imported ? kExitOk : kExitFailed);
    });
}

int importCtr(Context& context, const std::vector<std::string>& args) {
    return importReport(context, args, ctr::bankCtr());
}

int importOrv(Context& context, const std::vector<std::string>& args) {
    return importReport(context, args, orv::orvReports());
}

// The summary grid as tab-separated lines under its headings, amounts as the grid shows
// them; nothing when the report holds no rows.
int summary(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {});
    if (a.positional().size() != 1) throw UsageError("give the report: ctr or orv");
    const report::Report which = reportNamed(a.positional().front());
    return withReports(context, context.prompter, [&](store::Connection& db) {
        const std::vector<report::SummaryLine> lines = report::monthlySummary(db, which.description);
        if (lines.empty()) return int(kExitOk);
        const auto writeLine = [&](const std::vector<std::string>& cells) {
            for (std::size_t c = 0; c < cells.size(); ++c) context.out << (c ? "\t" : "") << cells[c];
            context.out << "\n";
        };
        writeLine(report::summaryHeadings());
        for (const report::SummaryLine& line : lines) writeLine(report::summaryCells(line));
        return int(kExitOk);
    });
}

int deleteMonth(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {}, {"yes"});
    if (a.positional().size() != 3) throw UsageError("give the report (ctr or orv), the year and the month (Jan..Dec)");
    const report::Report which = reportNamed(a.positional()[0]);
    VerbPrompter prompter(context.prompter, a.flag("yes"));
    return withReports(context, prompter, [&](store::Connection& db) {
        const std::int64_t count =
            report::deleteReportMonth(opened(db), prompter, which, a.positional()[1], a.positional()[2]);
        return int(count > 0 ? kExitOk : kExitFailed);
    });
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
