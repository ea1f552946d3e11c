#include "report/ReportMonths.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <set>

#include "core/ColumnMap.h"
#include "core/DateTime.h"
#include "core/Error.h"
#include "core/Text.h"
#include "office/Offices.h"
#include "report/ReportFile.h"
#include "report/ReportStatements.h"
#include "store/Schema.h"
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

// What a report keeps per month (its summary's month lines, its sums per office and month of
// the comparison's date) is written in the transaction of every change to the rows. Marks
// beside each (the number of rows and the highest row id they describe) tell whether the
// rows changed some other way; it is then built anew from the rows.
struct Marks {
    std::int64_t rows = 0;
    std::int64_t lastRow = 0;
    bool operator==(const Marks&) const = default;
};

constexpr std::array<Kept, 2> kKept = {Kept::MonthLines, Kept::OfficeTotals};

std::string name(const ReportDescription& report) { return store::tableName(report.table); }

// Older files opened as they are (read-only ones) keep neither, or only the month lines.
bool keeps(store::Connection& db, Kept kept) { return store::hasTable(db, keptTable(kept)); }

std::int64_t lastRow(store::Connection& db, const ReportDescription& report) {
    return db.scalar(lastRowStatement(report)).toInt();
}

Marks rowMarks(store::Connection& db, const ReportDescription& report) {
    return {db.scalar(rowCountStatement(report)).toInt(), lastRow(db, report)};
}

std::optional<Marks> storedMarks(store::Connection& db, const ReportDescription& report, Kept kept) {
    const store::ResultSet rs = db.query(marksStatement(kept), {name(report)});
    if (rs.empty()) return std::nullopt;
    return Marks{rs.field(0, 0).toInt(), rs.field(0, 1).toInt()};
}

void setMarks(store::Connection& db, const ReportDescription& report, Kept kept, const Marks& marks) {
    db.execute(setMarksStatement(kept), {name(report), marks.rows, marks.lastRow});
}

std::string storeStatement(const ReportDescription& report, Kept kept, bool allKeys) {
    return kept == Kept::MonthLines ? storeMonthLinesStatement(report, allKeys)
                                    : storeOfficeTotalsStatement(report, allKeys);
}

// Rows without a date (key 0) are never written by an import, nor removed by a deletion.
void storeKept(store::Connection& db, const ReportDescription& report, Kept kept, const std::set<std::int64_t>& keys) {
    for (std::int64_t key : keys) {
        if (key == 0) continue;
        db.execute(clearKeptStatement(kept, true), {name(report), key});
        db.execute(storeStatement(report, kept, false), {name(report), key});
    }
}

void rebuild(store::Connection& db, const ReportDescription& report, Kept kept) {
    store::Transaction tx = db.begin();
    db.execute(clearKeptStatement(kept, false), {name(report)});
    db.execute(storeStatement(report, kept, true), {name(report)});
    setMarks(db, report, kept, rowMarks(db, report));
    tx.commit();
}

bool current(store::Connection& db, const ReportDescription& report, Kept kept) {
    const std::optional<Marks> marks = storedMarks(db, report, kept);
    return marks && *marks == rowMarks(db, report);
}

// Counting the rows costs more than the trend that reads the totals. Every change the
// program makes moves both marks alike, a change by an older version of the program moves
// the month lines' marks alone, and a row written some other way comes after the highest
// row id: totals whose marks equal the month lines' and whose last row is the table's are
// current without a count. Anything else is settled by counting.
bool officeTotalsCurrent(store::Connection& db, const ReportDescription& report) {
    const std::optional<Marks> marks = storedMarks(db, report, Kept::OfficeTotals);
    if (!marks) return false;
    if (marks == storedMarks(db, report, Kept::MonthLines) && marks->lastRow == lastRow(db, report)) return true;
    return *marks == rowMarks(db, report);
}

// What a change of the rows did: the rows it removed and added, and the month keys it touched.
struct RowChange {
    std::int64_t removed = 0;
    std::int64_t added = 0;
    std::set<std::int64_t> keys;
};

// Runs a change of the rows inside the caller's transaction and brings what is kept per
// month up to date with it: the keys it touched are computed afresh and the marks move by
// what it removed and added. Counting every row here would cost as much as the change, so
// only the highest row id is checked first; a count that was already off stays off and is
// caught when the kept lines are next read.
template <class Change>
void changeRows(store::Connection& db, const ReportDescription& report, Change&& change) {
    struct Keeping {
        Kept kept;
        std::optional<Marks> marks;
    };
    std::vector<Keeping> keeping;
    std::int64_t before = 0;
    for (Kept kept : kKept) {
        if (!keeps(db, kept)) continue;
        if (keeping.empty()) before = lastRow(db, report);
        std::optional<Marks> marks = storedMarks(db, report, kept);
        if (marks && marks->lastRow != before) marks.reset();
        keeping.push_back({kept, marks});
    }
    const RowChange done = change();
    if (keeping.empty()) return;
    const std::int64_t after = lastRow(db, report);
    for (const Keeping& k : keeping) {
        if (!k.marks) {
            db.execute(clearMarksStatement(k.kept), {name(report)});
            continue;
        }
        storeKept(db, report, k.kept, done.keys);
        setMarks(db, report, k.kept, {k.marks->rows - done.removed + done.added, after});
    }
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
    if (!keeps(db, Kept::MonthLines)) {
        rs = db.query(summaryStatement(report));
    } else {
        if (!current(db, report, Kept::MonthLines)) rebuild(db, report, Kept::MonthLines);
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

void keepOfficeTotals(store::Connection& db, const ReportDescription& report) {
    if (keeps(db, Kept::OfficeTotals)) {
        if (!officeTotalsCurrent(db, report)) rebuild(db, report, Kept::OfficeTotals);
        return;
    }
    // Built afresh each time: nothing tells whether the rows changed since.
    if (db.scalar(temporaryTotalsStatement()).toInt() == 0)
        for (const std::string& sql : store::officeTotalsStatements(true)) db.execute(sql);
    db.execute(clearKeptStatement(Kept::OfficeTotals, false), {name(report)});
    db.execute(storeOfficeTotalsStatement(report, true), {name(report)});
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
