#include "report/ReportMonths.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

#include "core/DateTime.h"
#include "core/Error.h"
#include "core/Text.h"
#include "office/Offices.h"
#include "pairs/HandPairs.h"
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

// What a report keeps per month (its summary's month lines, its sums per office and month of
// the comparison's date) is written in the transaction of every change to the rows. Marks
// beside each name the rows they describe: the table's number of rows, its highest row id and
// the number of changes its rows have seen, which the table's triggers keep with every row
// any program writes, removes or changes. Marks that differ from the table's say the rows
// changed some other way: what they mark is then built anew from the rows.
struct Marks {
    std::int64_t rows = 0;
    std::int64_t lastRow = 0;
    std::int64_t changes = 0;
    bool operator==(const Marks&) const = default;
};

constexpr std::array<Kept, 2> kKept = {Kept::MonthLines, Kept::OfficeTotals};

std::string name(const ReportDescription& report) { return store::tableName(report.table); }

// Older files opened as they are (read-only ones) keep neither, or only the month lines, and
// have no triggers to say what they keep is current: it is never taken from them.
bool keeps(store::Connection& db, Kept kept) { return store::hasTable(db, keptTable(kept)); }
bool marksRows(store::Connection& db) { return store::hasTable(db, "row_marks"); }

std::int64_t lastRow(store::Connection& db, const ReportDescription& report) {
    return db.scalar(lastRowStatement(report)).toInt();
}

std::optional<Marks> marksOf(const store::ResultSet& rs) {
    if (rs.empty() || rs.field(0, 2).isNull()) return std::nullopt;  // an older version's
    return Marks{rs.field(0, 0).toInt(), rs.field(0, 1).toInt(), rs.field(0, 2).toInt()};
}

std::optional<Marks> rowMarks(store::Connection& db, const ReportDescription& report) {
    return marksOf(db.query(rowMarksStatement(), {name(report)}));
}

std::optional<Marks> storedMarks(store::Connection& db, const ReportDescription& report, Kept kept) {
    return marksOf(db.query(marksStatement(kept), {name(report)}));
}

void setMarks(store::Connection& db, const ReportDescription& report, Kept kept, const Marks& marks) {
    db.execute(setMarksStatement(kept), {name(report), marks.rows, marks.lastRow, marks.changes});
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

bool current(store::Connection& db, const ReportDescription& report, Kept kept) {
    const std::optional<Marks> marks = storedMarks(db, report, kept);
    return marks && marks == rowMarks(db, report);
}

// Builds it anew from the rows; false when the file cannot be written (opened read-only),
// which the caller then reads from the rows some other way.
bool rebuild(store::Connection& db, const ReportDescription& report, Kept kept) {
    if (db.readOnly()) return false;
    try {
        store::Transaction tx = db.beginDerived();  // worked out from the rows: no daily copy
        db.execute(clearKeptStatement(kept, false), {name(report)});
        db.execute(storeStatement(report, kept, true), {name(report)});
        if (const std::optional<Marks> marks = rowMarks(db, report)) setMarks(db, report, kept, *marks);
        tx.commit();
        return true;
    } catch (const Error& e) {
        if (e.number() != store::kReadOnlyError) throw;
        return false;
    }
}

// Runs a change of the rows inside the caller's transaction and brings what is kept per month
// up to date with it: the month keys the change returns are computed afresh, and what was
// current before is marked with the rows' marks after. What was not stays unmarked, and is
// built anew when it is next read.
template <class Change>
void changeRows(store::Connection& db, const ReportDescription& report, Change&& change) {
    std::vector<Kept> keeping;
    const std::optional<Marks> before = marksRows(db) ? rowMarks(db, report) : std::nullopt;
    for (Kept kept : kKept) {
        if (!keeps(db, kept)) continue;
        if (before && storedMarks(db, report, kept) == before)
            keeping.push_back(kept);
        else
            db.execute(clearMarksStatement(kept), {name(report)});
    }
    const std::set<std::int64_t> keys = change();
    if (keeping.empty()) return;
    const std::optional<Marks> after = rowMarks(db, report);
    for (Kept kept : keeping) {
        storeKept(db, report, kept, keys);
        if (after) setMarks(db, report, kept, *after);
    }
}

// The side whose hand pairs a change of the report's rows may break.
notes::Side pairedSide(const ReportDescription& report) {
    return report.table == store::Table::Finacle ? notes::Side::Bank : notes::Side::Orv;
}

history::Action importAction(const ReportDescription& report, const MonthImport& month) {
    if (historyForm(report) == history::Form::Ctr) return history::Action::CtrImport;
    return month.kind == "P" ? history::Action::OrvPaymentsImport : history::Action::OrvReceiptsImport;
}

void setTotals(history::Change& change, const store::ResultSet& totals) {
    change.deposits = totals.field(0, 0).isNull() ? 0.0 : totals.field(0, 0).toNumber();
    change.withdrawals = totals.field(0, 1).isNull() ? 0.0 : totals.field(0, 1).toNumber();
}

// Progress names the number of the file's rows, known once the whole sheet has been read:
// the rows stored before then are told then, in order.
class ProgressLog {
  public:
    explicit ProgressLog(const ImportProgress& progress) : m_progress(progress) {}

    void stored(int row) {
        if (!m_progress) return;
        if (m_rows)
            m_progress(row, *m_rows);
        else
            m_pending.push_back(row);
    }
    void learn(const std::optional<int>& rows) {
        if (m_rows || !rows) return;
        m_rows = rows;
        for (int row : m_pending) stored(row);
        m_pending.clear();
    }

  private:
    const ImportProgress& m_progress;
    std::optional<int> m_rows;
    std::vector<int> m_pending;
};

// Stores the file's rows as they are read, within the caller's transaction; returns how many.
std::int64_t storeRows(store::Connection& db, const ReportDescription& report, ReportFile& file,
                       const ImportProgress& progress) {
    const std::size_t columns = std::size_t(report.columns);
    store::RowInserter insert(db, report.table, file.plan().target);
    ProgressLog log(progress);
    std::vector<std::string_view> texts;
    std::int64_t stored = 0;
    try {
        while (const RowBatch* batch = file.next()) {
            texts.resize(batch->size() * columns);
            for (std::size_t r = 0; r < batch->size(); ++r)
                for (std::size_t j = 0; j < columns; ++j) texts[r * columns + j] = batch->cell(r, j, columns);
            insert.insert(texts.data(), columns, batch->size());
            stored += std::int64_t(batch->size());
            for (const int row : batch->rows) log.stored(row);
            log.learn(file.rowCount());
            if (batch->failure) std::rethrow_exception(batch->failure);
        }
    } catch (const ReportFile::Restart&) {
        throw;
    } catch (...) {
        // The rest of the sheet is read first: an error of its XML comes before any of its rows.
        file.settle();
        log.learn(file.rowCount());
        throw;
    }
    log.learn(file.rowCount());
    return stored;
}

// One transaction: the month's (and kind's) old rows go, the file's rows come in, and the
// history records it.
void replaceMonth(store::Connection& db, const ReportDescription& report, ReportFile& file, const MonthImport& month,
                  const ImportProgress& progress, history::Change record, const Clock& now,
                  const WithinChange& within) {
    const std::int64_t key = month.period.key();
    std::vector<store::Value> deleteValues{month.period.month, month.period.year, key};
    if (!month.kind.empty()) deleteValues.emplace_back(month.kind);

    store::Transaction tx = db.begin();
    if (within) within();
    changeRows(db, report, [&] {
        store::changeRowsAtOnce(db, report.table, [&] {
            store::BulkChange done;
            done.removed = db.execute(deleteImportedMonthStatement(report, !month.kind.empty()), deleteValues);
            const std::int64_t before = lastRow(db, report);  // the rows written come after it
            done.written = record.rows = storeRows(db, report, file, progress);
            setTotals(record, db.query(rowsAfterTotalsStatement(report), {before}));
            return done;
        });
        // Rows dated in other months go in as they are, so their months change too.
        std::set<std::int64_t> keys = file.dateKeys();
        keys.insert(key);
        return keys;
    });
    const DateTime when = now();
    record.by = history::loginName();
    history::recordChange(db, record, when);
    pairs::breakChangedPairs(db, pairedSide(report), when);
    tx.commit();
}

// What the replacement question asks: the month and kind found, and an earlier import.
struct Question {
    Period period;
    std::string kind;
    std::optional<DateTime> importedBefore;
    bool operator==(const Question&) const = default;
};

// The import of a file, read row by row or whole; a question answered Yes already is not put again.
MonthImport importFile(store::Connection& db, const ReportDescription& report, ReportFile& file,
                       const ConfirmReplace& confirm, const ImportProgress& progress, const Clock& now,
                       const WithinChange& within, std::optional<Question>& answered) {
    MonthImport result;
    // Every way out but storing waits for the whole sheet to be read: its errors come first.
    const auto refused = [&](MonthImport::Status status) {
        file.settle();
        result.status = status;
        return result;
    };
    try {
        file.digest();  // while the first rows are read
        const FileHead& head = file.head();
        if (trim(sheet::cellText(head.headings[1])) != report.headerB1)
            return refused(MonthImport::Status::InvalidHeader);
        if (!head.hasRows) return refused(MonthImport::Status::NoData);
        const std::optional<DateTime> date = cellDate(head.first[1]);
        if (!date) return refused(MonthImport::Status::NoDate);
        result.period = {date->year, date->month};
        if (report.kindColumn > 0) {
            result.kind = trim(sheet::cellText(head.first[std::size_t(report.kindColumn - 1)]));
            if (std::find(report.kinds.begin(), report.kinds.end(), result.kind) == report.kinds.end())
                return refused(MonthImport::Status::InvalidKind);
        }
        history::Change record;
        record.action = importAction(report, result);
        record.year = result.period.year;
        record.month = result.period.month;
        record.file = file.digest();
        const Question question{result.period, result.kind,
                                history::lastImport(db, historyForm(report), record.file->sha256)};
        if (answered != question) {
            if (!confirm(result, question.importedBefore)) {
                result.status = MonthImport::Status::Declined;
                return result;
            }
            answered = question;
        }
        replaceMonth(db, report, file, result, progress, std::move(record), now, within);
        return result;
    } catch (const ReportFile::Restart&) {
        throw;
    } catch (...) {
        file.settle();
        throw;
    }
}

}  // namespace

history::Form historyForm(const ReportDescription& report) {
    return report.table == store::Table::Finacle ? history::Form::Ctr : history::Form::Orv;
}

bool officeMasterMissing(store::Connection& db) { return office::officeCount(db) == 0; }

MonthImport importMonth(store::Connection& db, const ReportDescription& report, const std::string& path,
                        const ConfirmReplace& confirm, const ImportProgress& progress, const Clock& now,
                        const WithinChange& within) {
    ReportFile file(path, report);
    std::optional<Question> answered;
    while (true) {
        try {
            return importFile(db, report, file, confirm, progress, now, within, answered);
        } catch (const ReportFile::Restart&) {
            file.readWhole();  // the rows stored so far were rolled back with their transaction
        }
    }
}

std::vector<SummaryLine> summaryLines(const store::ResultSet& rs) {
    const auto amount = [](const store::Value& v) { return v.isNull() ? std::nullopt : std::optional(v.toNumber()); };
    std::vector<SummaryLine> lines;
    for (std::size_t r = 0; r < rs.rowCount(); ++r)
        lines.push_back({rs.field(r, 0).toText(), rs.field(r, 1).toText(), rs.field(r, 2).toInt(),
                         rs.field(r, 3).toInt(), amount(rs.field(r, 4)), rs.field(r, 5).toInt(),
                         amount(rs.field(r, 6))});
    return lines;
}

std::vector<SummaryLine> monthlySummary(store::Connection& db, const ReportDescription& report) {
    const bool stored = keeps(db, Kept::MonthLines) && marksRows(db) &&
                        (current(db, report, Kept::MonthLines) || rebuild(db, report, Kept::MonthLines));
    return summaryLines(stored ? db.query(storedSummaryStatement(report), {name(report)})
                               : db.query(summaryStatement(report)));
}

std::optional<Period> shownMonth(const std::string& year, const std::string& month) {
    if (year.size() != 4 || !std::all_of(year.begin(), year.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    for (int m = 1; m <= 12; ++m)
        if (equalsNoCase(month, monthAbbrev(m))) return Period{std::stoi(year), m};
    return std::nullopt;
}

void keepOfficeTotals(store::Connection& db, const std::vector<const ReportDescription*>& reports) {
    // A table of the connection's own, left by an earlier call, hides the file's: it goes
    // first, so that the file's are read and rebuilt, not it.
    if (db.scalar(temporaryTotalsStatement()).toInt() != 0) db.execute(dropTemporaryTotalsStatement());
    bool inFile = keeps(db, Kept::OfficeTotals) && marksRows(db);
    for (const ReportDescription* report : reports)
        inFile = inFile && (current(db, *report, Kept::OfficeTotals) || rebuild(db, *report, Kept::OfficeTotals));
    if (inFile) return;
    // Every report's then, from its rows: nothing tells whether they changed since.
    for (const std::string& sql : store::officeTotalsStatements(true)) db.execute(sql);
    for (const ReportDescription* report : reports)
        db.execute(storeOfficeTotalsStatement(*report, true), {name(*report)});
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

std::int64_t deleteMonth(store::Connection& db, const ReportDescription& report, Period month, const Clock& now,
                         const WithinChange& within) {
    std::int64_t count = 0;
    history::Change record;
    record.action = historyForm(report) == history::Form::Ctr ? history::Action::CtrMonthDeletion
                                                              : history::Action::OrvMonthDeletion;
    store::Transaction tx = db.begin();
    if (within) within();
    changeRows(db, report, [&] {
        // The month as the summary shows it, found through its key.
        char year[8];
        std::snprintf(year, sizeof year, "%04d", month.year);
        const std::vector<store::Value> values{monthAbbrev(month.month), std::string(year), month.key()};
        setTotals(record, db.query(shownMonthTotalsStatement(report), values));
        store::changeRowsAtOnce(db, report.table, [&] {
            count = db.execute(deleteShownMonthStatement(report), values);
            return store::BulkChange{count, 0};
        });
        return std::set<std::int64_t>{month.key()};
    });
    if (count > 0) {
        record.rows = count;
        record.year = month.year;
        record.month = month.month;
        const DateTime when = now();
        record.by = history::loginName();
        history::recordChange(db, record, when);
        pairs::breakChangedPairs(db, pairedSide(report), when);
    }
    tx.commit();
    return count;
}

}  // namespace vesk::report
