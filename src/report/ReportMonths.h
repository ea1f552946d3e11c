#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/DateTime.h"
#include "core/Prompter.h"
#include "history/ImportHistory.h"
#include "report/ReportDescription.h"
#include "store/Connection.h"

namespace vesk::report {

/// What importing a report workbook found, and the month it holds.
struct MonthImport {
    enum class Status {
        Imported,
        InvalidHeader,  ///< B1 is not the report's heading
        NoData,         ///< column A holds nothing below row 1
        NoDate,         ///< B2 holds no date
        InvalidKind,    ///< the kind letter is none the report allows
        Declined,       ///< the replacement was not confirmed
    };
    Status status = Status::Imported;
    int year = 0;
    int month = 0;     ///< 1..12
    std::string kind;  ///< the kind letter ("R"); "" for reports of one kind
    std::string word;  ///< the kind's word in messages ("VESK DEPOSIT")

    /// "April 2025".
    std::string period() const;
};

/// Asked before a month's rows are replaced, with the question to put: true to go on.
using ConfirmReplace = std::function<bool(const Message& question)>;
/// (row, rows) as the file's rows go in.
using ImportProgress = std::function<void(int row, int rows)>;

/// The form whose history holds the report's changes.
history::Form historyForm(const ReportDescription& report);

/// Imports a month of the report from a workbook: in one transaction the month's (and the
/// kind's) rows go, the file's rows come in, the columns placed by their headings, and the
/// import is recorded in the history (at the clock's time). Every value of the date column
/// must read as a date, or nothing is stored. The question names an earlier import of the
/// same file. Throws Error when the file cannot be read or stored.
MonthImport importMonth(store::Connection& db, const ReportDescription& report, const std::string& path,
                        const ConfirmReplace& confirm, const ImportProgress& progress = {},
                        const history::Clock& now = history::localNow);

/// The question asked before the month's rows are replaced; with the time of an earlier
/// import of the same file, a line says so.
Message replaceQuestion(const ReportDescription& report, const std::string& period, const std::string& word,
                        const std::optional<DateTime>& importedBefore = std::nullopt);
/// What the person is told of an import: its success or why nothing was imported; none
/// when they declined.
std::optional<Message> importMessage(const ReportDescription& report, const MonthImport& result);

/// The report's monthly summary: one row per month, newest first (column kSortMonthColumn
/// orders them and is never shown). Empty when the report holds no rows.
store::ResultSet monthlySummary(store::Connection& db, const ReportDescription& report);

/// Brings the report's sums per office and month of the comparison's date (the table
/// office_month_totals, see storeOfficeTotalsStatement) up to date with its rows: built anew
/// when the rows changed some other way than by an import or a deletion. A file that keeps
/// none (an older one read as it is) gets them from its rows in a table of the connection's
/// own. Throws Error.
void keepOfficeTotals(store::Connection& db, const ReportDescription& report);

/// Deletes the month given as the summary shows it (year "2025", month "Apr" in any letter
/// case; both bound) and records the deletion when rows went; returns the number of rows
/// deleted.
std::int64_t deleteMonth(store::Connection& db, const ReportDescription& report, const std::string& year,
                         const std::string& month, const history::Clock& now = history::localNow);

/// The years the period lists offer, ascending: 2025 to 2030, every year the data holds
/// (the bank's value dates, the ORV posting dates), today's year and the next. A closed
/// connection adds no data years. Throws Error.
std::vector<std::string> offeredYears(store::Connection& db, const DateTime& today);

}  // namespace vesk::report
