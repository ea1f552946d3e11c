#include "report/ReportFlows.h"

#include "review/CloseFlows.h"
#include "review/MonthParts.h"
#include "review/ReviewWording.h"

namespace vesk::report {

MonthImport importReport(const store::Opener& db, Prompter& prompter, const Report& report, const std::string& path,
                         int progressEvery, const Clock& now) {
    // A closed month is reopened with the import, once the import's own question is answered Yes too.
    review::MonthChange change;
    const auto confirm = [&](const MonthImport& month, const std::optional<DateTime>& before) {
        change = review::confirmMonthChange(db(), prompter, month.period, [&] {
            return prompter.message(replaceQuestion(report.wording, month, before)) == Answer::Yes;
        });
        return change.goesAhead;
    };
    const auto progress = [&](int row, int rows) {
        if (row % progressEvery == 0 || row == rows) prompter.progress(importProgress(row, rows));
    };
    const MonthImport imported = importMonth(db(), report.description, path, confirm, progress, now,
                                             [&] { review::reopenWithChange(db(), change, now); });
    if (auto message = importMessage(report.wording, imported)) prompter.message(*message);
    if (imported.status == MonthImport::Status::Imported) {
        const review::MonthParts parts = review::monthParts(db(), imported.period);
        if (!parts.missing().empty()) prompter.message(review::stillLacksMessage(parts));
    }
    return imported;
}

std::int64_t deleteReportMonth(const store::Opener& db, Prompter& prompter, const Report& report,
                               const std::string& year, const std::string& month, const Clock& now) {
    const ReportWording& w = report.wording;
    if (year.empty() || month.empty()) {
        prompter.message(w.selectionRequired);
        return 0;
    }
    store::Connection& connection = db();
    // Texts that name no month name none that rows are dated in.
    const std::optional<Period> shown = shownMonth(year, month);
    const review::MonthChange change = review::confirmMonthChange(
        connection, prompter, shown, [&] { return prompter.message(w.confirmDelete(month, year)) == Answer::Yes; });
    if (!change.goesAhead) return 0;
    const std::int64_t count = shown ? deleteMonth(connection, report.description, *shown, now,
                                                   [&] { review::reopenWithChange(connection, change, now); })
                                     : 0;
    prompter.message(count > 0 ? w.deleted(count, month, year) : w.nothingDeleted(month, year));
    return count;
}

}  // namespace vesk::report
