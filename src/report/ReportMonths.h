#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/DateTime.h"
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
    Period period;     ///< the month of B2
    std::string kind;  ///< the kind letter ("R"); "" for reports of one kind
};

/// Asked before a month's rows are replaced, with the month and kind found and the time of
/// an earlier import of the same file: true to go on.
using ConfirmReplace = std::function<bool(const MonthImport& month, const std::optional<DateTime>& importedBefore)>;
/// (row, rows) as the file's rows go in.
using ImportProgress = std::function<void(int row, int rows)>;
/// Done first inside a change's own transaction (a closed month's reopening), so that a change
/// refused or failed at any row leaves it undone too.
using WithinChange = std::function<void()>;

/// The form whose history holds the report's changes.
history::Form historyForm(const ReportDescription& report);

/// A report is worked only once the office master holds offices.
bool officeMasterMissing(store::Connection& db);

/// Imports a month of the report from a workbook: in one transaction the month's (and the
/// kind's) rows go, the file's rows come in, the columns placed by their headings, and the
/// import is recorded in the history (at the clock's time), and the hand pairs whose rows it
/// removed or changed are broken (see pairs::breakChangedPairs), `within` done first. Every value
/// of the date column must read as a date, or nothing is stored. Throws Error when the file
/// cannot be read or stored.
MonthImport importMonth(store::Connection& db, const ReportDescription& report, const std::string& path,
                        const ConfirmReplace& confirm, const ImportProgress& progress = {}, const Clock& now = localNow,
                        const WithinChange& within = {});

/// One month of a report's monthly summary. Rows whose date is no date make a line of their
/// own, without a year or month.
struct SummaryLine {
    std::string year;   ///< "2025"
    std::string month;  ///< "Apr"
    std::int64_t entries = 0;
    std::int64_t depositCount = 0;
    std::optional<double> deposits;  ///< none when every amount is missing
    std::int64_t withdrawalCount = 0;
    std::optional<double> withdrawals;
};

/// The lines of a result of the summary's statements (full or stored), in its order.
std::vector<SummaryLine> summaryLines(const store::ResultSet& rs);

/// The report's monthly summary, newest month first; empty when the report holds no rows.
std::vector<SummaryLine> monthlySummary(store::Connection& db, const ReportDescription& report);

/// Brings the reports' sums per office and month of the comparison's date (the table
/// office_month_totals, see storeOfficeTotalsStatement) up to date with their rows: built anew
/// when the rows changed some other way than by an import or a deletion. A file that keeps
/// none, or cannot take them (an older one read as it is, one that cannot be written), gets
/// every report's from its rows in a table of the connection's own. Throws Error.
void keepOfficeTotals(store::Connection& db, const std::vector<const ReportDescription*>& reports);

/// The month that a year and a month abbreviation name as the summary shows them ("2025",
/// "Apr" in any letter case); nullopt when they name none, which no row can be dated in.
std::optional<Period> shownMonth(const std::string& year, const std::string& month);

/// Deletes the month's rows and records the deletion when rows went, breaking the hand pairs
/// that held any of them, in one transaction (`within` done first); returns the number of rows
/// deleted.
std::int64_t deleteMonth(store::Connection& db, const ReportDescription& report, Period month,
                         const Clock& now = localNow, const WithinChange& within = {});

/// The years the period lists offer, ascending: 2025 to 2030, every year the data holds
/// (the bank's value dates, the ORV posting dates), today's year and the next. A closed
/// connection adds no data years. Throws Error.
std::vector<std::string> offeredYears(store::Connection& db, const DateTime& today);

}  // namespace vesk::report
