#include <ostream>

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
    throw UsageError(report::unknownReportText(name));
}

// The database a report verb works on; none (with the reason shown) while the office master
// is empty, as the report forms refuse to work then.
store::Connection* reportsDatabase(Call& call) {
    store::Connection& db = call.database();
    if (!report::officeMasterMissing(db)) return &db;
    call.prompter().message(report::masterDataMissing());
    return nullptr;
}

int importReport(Call& call, const report::Report& which) {
    if (!reportsDatabase(call)) return kExitFailed;
    const report::MonthImport imported =
        report::importReport(call.openedDatabase(), call.prompter(), which, call.argument(0), kProgressEvery);
    call.prompter().progress("");
    return imported.status == report::MonthImport::Status::Imported ? kExitOk : kExitFailed;
}

}  // namespace

int runImportCtr(Call& call) { return importReport(call, ctr::bankCtr()); }

int runImportOrv(Call& call) { return importReport(call, orv::orvReports()); }

// The summary grid as tab-separated lines under its headings, amounts as the grid shows
// them; nothing when the report holds no rows.
int runSummary(Call& call) {
    const report::Report which = reportNamed(call.argument(0));
    store::Connection* db = reportsDatabase(call);
    if (!db) return kExitFailed;
    const std::vector<report::SummaryLine> lines = report::monthlySummary(*db, which.description);
    if (lines.empty()) return kExitOk;
    writeLine(call.out(), report::summaryHeadings());
    for (const report::SummaryLine& line : lines) writeLine(call.out(), report::summaryCells(line));
    return kExitOk;
}

int runDeleteMonth(Call& call) {
    const report::Report which = reportNamed(call.argument(0));
    if (!reportsDatabase(call)) return kExitFailed;
    const std::int64_t count =
        report::deleteReportMonth(call.openedDatabase(), call.prompter(), which, call.argument(1), call.argument(2));
    return count > 0 ? kExitOk : kExitFailed;
}

}  // namespace vesk::cli
