#include <algorithm>
#include <ostream>

#include "cli/VerbPrompter.h"
#include "cli/Verbs.h"
#include "ctr/BankReport.h"
#include "office/Offices.h"
#include "orv/OrvReport.h"
#include "report/ReportMonths.h"
#include "report/SummaryText.h"

namespace vesk::cli {

namespace {

constexpr int kProgressEvery = 1000;

const report::ReportDescription& reportNamed(const std::string& name) {
    if (name == "ctr") return ctr::bankReport();
    if (name == "orv") return orv::orvReport();
    throw UsageError("the report is ctr or orv, not '" + name + "'");
}

// Runs a report verb over the database; refused (with the reason shown) while the office
// master is empty, as the report forms refuse to work then.
template <class Work>
int withReports(Context& context, Prompter& prompter, Work&& work) {
    return withDatabase(context, [&](store::Connection& db) {
        if (office::officeCount(db) > 0) return work(db);
        prompter.message(exclamation("Import office Master Data First.", "Master Data Missing"));
        return int(kExitFailed);
    });
}

int importReport(Context& context, const std::vector<std::string>& args, const report::ReportDescription& which) {
    Arguments a(args, {}, {"yes"});
    if (a.positional().size() != 1) throw UsageError("give exactly one report workbook");
    VerbPrompter prompter(context.prompter, a.flag("yes"));
    return withReports(context, prompter, [&](store::Connection& db) {
        const auto confirm = [&](const Message& question) { return prompter.message(question) == Answer::Yes; };
        const auto progress = [&](int row, int rows) {
            if (row % kProgressEvery == 0 || row == rows)
                prompter.progress("Importing Row " + std::to_string(row) + " of " + std::to_string(rows) + "...");
        };
        const report::MonthImport imported = report::importMonth(db, which, a.positional().front(), confirm, progress);
        context.prompter.progress("");
        if (auto message = report::importMessage(which, imported)) prompter.message(*message);
        return int(imported.status == report::MonthImport::Status::Imported ? kExitOk : kExitFailed);
    });
}

int importCtr(Context& context, const std::vector<std::string>& args) {
    return importReport(context, args, ctr::bankReport());
}

int importOrv(Context& context, const std::vector<std::string>& args) {
    return importReport(context, args, orv::orvReport());
}

// The summary grid as tab-separated lines under its headings, amounts as the grid shows
// them; nothing when the report holds no rows.
int summary(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {});
    if (a.positional().size() != 1) throw UsageError("give the report: ctr or orv");
    const report::ReportDescription& which = reportNamed(a.positional().front());
    return withReports(context, context.prompter, [&](store::Connection& db) {
        const store::ResultSet rs = report::monthlySummary(db, which);
        if (rs.empty()) return int(kExitOk);
        const auto& headings = rs.columns();
        const std::size_t shown = std::min<std::size_t>(headings.size(), report::kSortMonthColumn);
        for (std::size_t c = 0; c < shown; ++c) context.out << (c ? "\t" : "") << headings[c];
        context.out << "\n";
        for (std::size_t row = 0; row < rs.rowCount(); ++row) {
            for (std::size_t c = 0; c < shown; ++c)
                context.out << (c ? "\t" : "") << report::summaryCellText(rs.field(row, c), headings[c]);
            context.out << "\n";
        }
        return int(kExitOk);
    });
}

int deleteMonth(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {}, {"yes"});
    if (a.positional().size() != 3) throw UsageError("give the report (ctr or orv), the year and the month (Jan..Dec)");
    const report::ReportDescription& which = reportNamed(a.positional()[0]);
    const std::string& year = a.positional()[1];
    const std::string& month = a.positional()[2];
    VerbPrompter prompter(context.prompter, a.flag("yes"));
    return withReports(context, prompter, [&](store::Connection& db) {
        if (year.empty() || month.empty()) {
            prompter.message(which.selectionRequired);
            return int(kExitFailed);
        }
        if (prompter.message(which.confirmDelete(month, year)) != Answer::Yes) return int(kExitFailed);
        const std::int64_t count = report::deleteMonth(db, which, year, month);
        if (count <= 0) {
            prompter.message(which.nothingDeleted(month, year));
            return int(kExitFailed);
        }
        prompter.message(which.deleted(count, month, year));
        return int(kExitOk);
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
