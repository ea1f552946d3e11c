#include "report/ReportMonths.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "core/ColumnMap.h"
#include "core/DateTime.h"
#include "core/Error.h"
#include "core/Text.h"
#include "office/Offices.h"
#include "report/ReportFile.h"
#include "report/ReportStatements.h"
#include "store/TableRows.h"

namespace vesk::report {

namespace {

// A date cell, or text that reads as a date; numbers and anything else are no date.
std::optional<DateTime> cellDate(const sheet::Cell& cell) {
    if (cell.kind == sheet::Cell::Kind::Date) return cell.date;
    if (cell.kind == sheet::Cell::Kind::Text) return parseDateText(trim(cell.text));
    return std::nullopt;
}

// A cell's stored text; an error value says where it is.
std::string storedText(const sheet::Block& rows, int row, int column) {
    try {
        return trim(sheet::cellText(rows.at(row, column)));
    } catch (const Error& e) {
        throw Error(e.number(), std::string(e.what()) + " in row " + std::to_string(row + 2) + ", column " +
                                    columnLetters(column + 1) + ".");
    }
}

int columnIndex(const std::vector<std::string>& columns, const std::string& name) {
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (equalsNoCase(columns[i], name)) return int(i);
    return -1;
}

// The summary's month lines are kept in month_summaries, one line per month key, written in
// the transaction of every change to the rows. Marks beside them (the number of rows and
// the highest row id they describe) tell whether the rows changed some other way; the
// lines are then built anew from the rows.
struct Marks {
    std::int64_t rows = 0;
    std::int64_t lastRow = 0;
    bool operator==(const Marks&) const = default;
};

std::string name(const ReportDescription& report) { return store::tableName(report.table); }

// Older files opened as they are (read-only ones) have no month lines.
bool keepsMonthLines(store::Connection& db) { return store::hasTable(db, "month_summaries"); }

std::int64_t lastRow(store::Connection& db, const ReportDescription& report) {
    return db.scalar(lastRowStatement(report)).toInt();
}

Marks rowMarks(store::Connection& db, const ReportDescription& report) {
    return {db.scalar(rowCountStatement(report)).toInt(), lastRow(db, report)};
}

std::optional<Marks> storedMarks(store::Connection& db, const ReportDescription& report) {
    const store::ResultSet rs = db.query(sql::kStoredMarks, {name(report)});
    if (rs.empty()) return std::nullopt;
    return Marks{rs.field(0, 0).toInt(), rs.field(0, 1).toInt()};
}

bool monthLinesCurrent(store::Connection& db, const ReportDescription& report) {
    const std::optional<Marks> marks = storedMarks(db, report);
    return marks && *marks == rowMarks(db, report);
}

void setMarks(store::Connection& db, const ReportDescription& report, const Marks& marks) {
    db.execute(sql::kSetMarks, {name(report), marks.rows, marks.lastRow});
}

void storeMonthLines(store::Connection& db, const ReportDescription& report, const std::set<std::int64_t>& keys) {
    for (std::int64_t key : keys) {
        if (key == 0) continue;
        db.execute(sql::kClearMonthLine, {name(report), key});
        db.execute(storeMonthLinesStatement(report, false), {name(report), key});
    }
}

void rebuildMonthLines(store::Connection& db, const ReportDescription& report) {
    store::Transaction tx = db.begin();
    db.execute(sql::kClearMonthLines, {name(report)});
    db.execute(storeMonthLinesStatement(report, true), {name(report)});
    setMarks(db, report, rowMarks(db, report));
    tx.commit();
}

// What a change of the rows did: the rows it removed and added, and the month keys it touched.
struct RowChange {
    std::int64_t removed = 0;
    std::int64_t added = 0;
    std::set<std::int64_t> keys;
};

// Runs a change of the rows inside the caller's transaction and brings the month lines up
// to date with it: the lines of the keys it touched are computed afresh and the marks move
// by what it removed and added. Counting every row here would cost as much as the change,
// so only the highest row id is checked first; a count that was already off stays off and
// is caught when the summary is next read.
template <class Change>
void changeRows(store::Connection& db, const ReportDescription& report, Change&& change) {
    if (!keepsMonthLines(db)) {
        change();
        return;
    }
    std::optional<Marks> marks = storedMarks(db, report);
    if (marks && marks->lastRow != lastRow(db, report)) marks.reset();
    const RowChange done = change();
    if (!marks) {
        db.execute(sql::kClearMarks, {name(report)});
        return;
    }
    storeMonthLines(db, report, done.keys);
    setMarks(db, report, {marks->rows - done.removed + done.added, lastRow(db, report)});
}

history::Action importAction(const ReportDescription& report, const MonthImport& month) {
    if (historyForm(report) == history::Form::Ctr) return history::Action::CtrImport;
    return month.kind == "P" ? history::Action::OrvPaymentsImport : history::Action::OrvReceiptsImport;
}

void setTotals(history::Change& change, const store::ResultSet& totals) {
    change.deposits = totals.field(0, 0).isNull() ? 0.0 : totals.field(0, 0).toNumber();
    change.withdrawals = totals.field(0, 1).isNull() ? 0.0 : totals.field(0, 1).toNumber();
}

// One transaction: the month's (and kind's) old rows go, the file's rows come in, and the
// history records it.
void replaceMonth(store::Connection& db, const ReportDescription& report, const ReportFile& file,
                  const MonthImport& month, const ImportProgress& progress, history::Change record, const Clock& now) {
    const std::vector<std::string>& columns = store::tableColumns(report.table);
    const std::vector<int> target = mapColumnsByHeader(file.headers, columns);
    const int dateTarget = columnIndex(columns, report.dateColumn);

    const std::int64_t key = month.period.key();
    std::vector<store::Value> deleteValues{month.period.month, month.period.year, key};
    if (!month.kind.empty()) deleteValues.emplace_back(month.kind);

    std::set<std::int64_t> dateKeys;  // the months of the dates the file's rows hold
    store::RowSource source{
        file.rows.rows(), file.rows.columns(),
        [&](int row, int column) {
            std::string text = storedText(file.rows, row, column);
            // The date column holds dates only: a row without one could never be summed by month or
            // deleted again, and would break every later summary.
            if (column < int(target.size()) && target[std::size_t(column)] == dateTarget) {
                const std::optional<DateTime> date = parseDateText(text);
                if (date) {
                    dateKeys.insert(monthKey(date->year, date->month));
                    return text;
                }
                throw Error(errc::kTypeMismatch, "Data type mismatch: row " + std::to_string(row + 2) + " holds '" +
                                                     excerpt(text) + "' in column " + columnLetters(column + 1) +
                                                     ", which is not a date.");
            }
            return text;
        },
        [&](int row) { return file.rows.at(row, 0).isEmpty() || storedText(file.rows, row, 0).empty(); }};
    store::Transaction tx = db.begin();
    changeRows(db, report, [&] {
        RowChange done;
        done.keys.insert(key);
        done.removed = db.execute(deleteImportedMonthStatement(report, !month.kind.empty()), deleteValues);
        const std::int64_t before = lastRow(db, report);  // the rows written come after it
        done.added = store::insertRows(db, report.table, target, source, progress);
        // Rows dated in other months go in as they are, so their months change too.
        done.keys.insert(dateKeys.begin(), dateKeys.end());
        record.rows = done.added;
        setTotals(record, db.query(rowsAfterTotalsStatement(report), {before}));
        return done;
    });
    history::recordChange(db, record, now());
    tx.commit();
}

}  // namespace

history::Form historyForm(const ReportDescription& report) {
    return report.table == store::Table::Finacle ? history::Form::Ctr : history::Form::Orv;
}

bool officeMasterMissing(store::Connection& db) { return office::officeCount(db) == 0; }

MonthImport importMonth(store::Connection& db, const ReportDescription& report, const std::string& path,
                        const ConfirmReplace& confirm, const ImportProgress& progress, const Clock& now) {
    MonthImport result;
    const ReportFile file = ReportFile::read(path, report.headerB1, report.columns);
    if (file.status == ReportFile::Status::InvalidHeader) {
        result.status = MonthImport::Status::InvalidHeader;
        return result;
    }
    if (file.status == ReportFile::Status::NoData) {
        result.status = MonthImport::Status::NoData;
        return result;
    }
    const std::optional<DateTime> date = cellDate(file.rows.at(0, 1));
    if (!date) {
        result.status = MonthImport::Status::NoDate;
        return result;
    }
    result.period = {date->year, date->month};
    if (report.kindColumn > 0) {
        result.kind = trim(sheet::cellText(file.rows.at(0, report.kindColumn - 1)));
        if (std::find(report.kinds.begin(), report.kinds.end(), result.kind) == report.kinds.end()) {
            result.status = MonthImport::Status::InvalidKind;
            return result;
        }
    }
    history::Change record;
    record.action = importAction(report, result);
    record.year = result.period.year;
    record.month = result.period.month;
    record.file = history::digestFile(path);
    if (!confirm(result, history::lastImport(db, historyForm(report), record.file->sha256))) {
        result.status = MonthImport::Status::Declined;
        return result;
    }
    replaceMonth(db, report, file, result, progress, std::move(record), now);
    return result;
}

std::vector<SummaryLine> monthlySummary(store::Connection& db, const ReportDescription& report) {
    store::ResultSet rs;
    if (!keepsMonthLines(db)) {
        rs = db.query(summaryStatement(report));
    } else {
        if (!monthLinesCurrent(db, report)) rebuildMonthLines(db, report);
        rs = db.query(storedSummaryStatement(report), {name(report)});
    }
    const auto amount = [](const store::Value& v) { return v.isNull() ? std::nullopt : std::optional(v.toNumber()); };
    std::vector<SummaryLine> lines;
    for (std::size_t r = 0; r < rs.rowCount(); ++r)
        lines.push_back({rs.field(r, 0).toText(), rs.field(r, 1).toText(), rs.field(r, 2).toInt(),
                         rs.field(r, 3).toInt(), amount(rs.field(r, 4)), rs.field(r, 5).toInt(),
                         amount(rs.field(r, 6))});
    return lines;
}

std::optional<Period> shownMonth(const std::string& year, const std::string& month) {
    if (year.size() != 4 || !std::all_of(year.begin(), year.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    for (int m = 1; m <= 12; ++m)
        if (equalsNoCase(month, monthAbbrev(m))) return Period{std::stoi(year), m};
    return std::nullopt;
}

std::vector<std::string> offeredYears(store::Connection& db, const DateTime& today) {
    constexpr int kFirstListed = 2025;
    constexpr int kLastListed = 2030;
    std::set<int> years{today.year, today.year + 1};
    for (int y = kFirstListed; y <= kLastListed; ++y) years.insert(y);
    if (db.isOpen()) {
        const store::ResultSet rs = db.query(dataYearsStatement());
        for (std::size_t r = 0; r < rs.rowCount(); ++r) years.insert(int(rs.field(r, 0).toInt()));
    }
    std::vector<std::string> out;
    for (int y : years) out.push_back(std::to_string(y));
    return out;
}

std::int64_t deleteMonth(store::Connection& db, const ReportDescription& report, Period month, const Clock& now) {
    std::int64_t count = 0;
    history::Change record;
    record.action = historyForm(report) == history::Form::Ctr ? history::Action::CtrMonthDeletion
                                                              : history::Action::OrvMonthDeletion;
    store::Transaction tx = db.begin();
    changeRows(db, report, [&] {
        RowChange done;
        // The month as the summary shows it, found through its key.
        char year[8];
        std::snprintf(year, sizeof year, "%04d", month.year);
        const std::vector<store::Value> values{monthAbbrev(month.month), std::string(year), month.key()};
        setTotals(record, db.query(shownMonthTotalsStatement(report), values));
        count = db.execute(deleteShownMonthStatement(report), values);
        done.keys.insert(month.key());
        done.removed = count;
        return done;
    });
    if (count > 0) {
        record.rows = count;
        record.year = month.year;
        record.month = month.month;
        history::recordChange(db, record, now());
    }
    tx.commit();
    return count;
}

}  // namespace vesk::report
