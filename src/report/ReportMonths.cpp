#include "report/ReportMonths.h"

#include <algorithm>

#include "core/ColumnMap.h"
#include "core/DateTime.h"
#include "core/Text.h"
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

// One transaction: the month's (and kind's) old rows go, the file's rows come in.
void replaceMonth(store::Connection& db, const ReportDescription& report, const ReportFile& file,
                  const MonthImport& month, const ImportProgress& progress) {
    const std::vector<std::string>& columns = store::tableColumns(report.table);
    const std::vector<int> target = mapColumnsByHeader(file.headers, columns);
    const int dateTarget = columnIndex(columns, report.dateColumn);

    std::vector<store::Value> deleteValues{month.month, month.year};
    if (!month.kind.empty()) deleteValues.emplace_back(month.kind);

    store::RowSource source{
        file.rows.rows(), file.rows.columns(),
        [&](int row, int column) {
            std::string text = storedText(file.rows, row, column);
            // The date column holds dates only: a row without one could never be summed by month or
            // deleted again, and would break every later summary.
            if (column < int(target.size()) && target[std::size_t(column)] == dateTarget && !parseDateText(text))
                throw Error(errc::kTypeMismatch, "Data type mismatch: row " + std::to_string(row + 2) + " holds '" +
                                                     text + "' in column " + columnLetters(column + 1) +
                                                     ", which is not a date.");
            return text;
        },
        [&](int row) { return file.rows.at(row, 0).isEmpty() || storedText(file.rows, row, 0).empty(); }};
    store::Transaction tx = db.begin();
    db.execute(deleteImportedMonthStatement(report, !month.kind.empty()), deleteValues);
    store::insertRows(db, report.table, target, source, progress);
    tx.commit();
}

}  // namespace

std::string MonthImport::period() const { return monthName(month) + " " + std::to_string(year); }

MonthImport importMonth(store::Connection& db, const ReportDescription& report, const std::string& path,
                        const ConfirmReplace& confirm, const ImportProgress& progress) {
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
    result.year = date->year;
    result.month = date->month;
    if (report.kindColumn > 0) {
        result.kind = trim(sheet::cellText(file.rows.at(0, report.kindColumn - 1)));
        auto it = std::find_if(report.kinds.begin(), report.kinds.end(),
                               [&](const ReportKind& k) { return k.letter == result.kind; });
        if (it == report.kinds.end()) {
            result.status = MonthImport::Status::InvalidKind;
            return result;
        }
        result.word = it->word;
    }
    if (!confirm(result.period(), result.word)) {
        result.status = MonthImport::Status::Declined;
        return result;
    }
    replaceMonth(db, report, file, result, progress);
    return result;
}

Message replaceQuestion(const ReportDescription& report, const std::string& period, const std::string& word) {
    return question(report.overwriteText(period, word), "Confirm Overwrite", Icon::Exclamation, Answer::No);
}

std::optional<Message> importMessage(const ReportDescription& report, const MonthImport& result) {
    switch (result.status) {
        case MonthImport::Status::Imported:
            return info(report.importedText(result.word), "Success");
        case MonthImport::Status::InvalidHeader:
            return report.invalidHeader;
        case MonthImport::Status::NoData:
            return exclamation("No data found in file.");
        case MonthImport::Status::NoDate:
            return report.noDate;
        case MonthImport::Status::InvalidKind:
            return report.invalidKind;
        case MonthImport::Status::Declined:
            break;
    }
    return std::nullopt;
}

store::ResultSet monthlySummary(store::Connection& db, const ReportDescription& report) {
    return db.query(report.summarySql);
}

std::int64_t deleteMonth(store::Connection& db, const ReportDescription& report, const std::string& year,
                         const std::string& month) {
    return db.execute(deleteShownMonthStatement(report), {month, year});
}

}  // namespace vesk::report
