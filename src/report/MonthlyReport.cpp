#include "report/MonthlyReport.h"

#include <algorithm>

#include "core/ColumnMap.h"
#include "core/DateTime.h"
#include "core/Text.h"

namespace vesk::report {

namespace {

constexpr int kProgressEvery = 50;


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
                                    store::columnLetters(column + 1) + ".");
    }
}

int columnIndex(const std::vector<std::string>& columns, const std::string& name) {
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (equalsNoCase(columns[i], name)) return int(i);
    return -1;
}

}  // namespace

MonthlyReport::MonthlyReport(const ReportDescription& report, std::string databasePath, Prompter& prompter)
    : m_report(report), m_path(std::move(databasePath)), m_prompter(prompter) {}

void MonthlyReport::ensureOpen() {
    if (!m_db.isOpen()) m_db.open(m_path);
}

void MonthlyReport::Form_Load() {
    m_masterDataMissing = false;
    try {
        ensureOpen();
        if (m_db.scalar("SELECT COUNT(*) FROM MasterTable").toInt() == 0) {
            m_masterDataMissing = true;
            return;
        }
        m_view.years = {"2025", "2026", "2027", "2028", "2029", "2030"};
        m_view.months.clear();
        for (int m = 1; m <= 12; ++m) m_view.months.push_back(monthAbbrev(m));
    } catch (const Error& e) {
        m_prompter.message(m_report.loadFailed(e));
        return;
    }
    LoadMonthlySummary();
}

bool MonthlyReport::Form_Activate() {
    if (!m_masterDataMissing) return false;
    m_prompter.message(exclamation("Import office Master Data First.", "Master Data Missing"));
    return true;
}

void MonthlyReport::LoadMonthlySummary() {
    try {
        ensureOpen();
        store::ResultSet rs = m_db.query(m_report.summarySql);
        if (rs.empty())
            m_view.summary.reset();
        else
            m_view.summary = std::move(rs);
    } catch (const Error& e) {
        m_prompter.message(critical("Grid Error: " + e.description(), m_report.gridErrorTitle));
    }
}

std::optional<std::pair<std::string, std::string>> MonthlyReport::periodOfRow(std::size_t row) const {
    if (!m_view.summary || row >= m_view.summary->rowCount()) return std::nullopt;
    return std::make_pair(m_view.summary->field(row, 0).toText(), m_view.summary->field(row, 1).toText());
}

bool MonthlyReport::Command3_Click(const std::string& year, const std::string& month) {
    if (year.empty() || month.empty()) {
        m_prompter.message(m_report.selectionRequired);
        return false;
    }
    if (m_prompter.message(m_report.confirmDelete(month, year)) != Answer::Yes) return false;
    std::int64_t count = 0;
    try {
        ensureOpen();
        // The lists' texts are bound, never spliced into the statement; the month compares
        // without regard to letter case, as the engine compares text.
        const std::string& date = m_report.dateColumn;
        count = m_db.execute(std::string("DELETE FROM ") + store::tableName(m_report.table) + " WHERE Format(" + date +
                                 ", 'mmm') = ? COLLATE NOCASE AND Format(" + date + ", 'yyyy') = ?",
                             {month, year});
    } catch (const Error& e) {
        m_prompter.message(critical("Error: " + e.description(), m_report.deleteErrorTitle));
        return false;
    }
    if (count <= 0) {
        m_prompter.message(m_report.nothingDeleted(month, year));
        return false;
    }
    m_prompter.message(m_report.deleted(count, month, year));
    LoadMonthlySummary();
    return true;
}

bool MonthlyReport::Import_Click() {
    try {
        ensureOpen();
        auto file = m_prompter.openFile({"", m_report.openFilter});
        if (!file || file->empty()) return false;
        return importFile(*file);
    } catch (const std::exception& e) {
        m_prompter.message(critical(std::string("Import Error: ") + e.what(), "Error"));
        m_prompter.progress("");
        return false;
    }
}

bool MonthlyReport::importFile(const std::string& path) {
    const ReportFile file = ReportFile::read(path, m_report.headerB1, m_report.columns);
    if (file.status == ReportFile::Status::InvalidHeader) {
        m_prompter.message(m_report.invalidHeader);
        return false;
    }
    if (file.status == ReportFile::Status::NoData) {
        m_prompter.message(exclamation("No data found in file."));
        return false;
    }

    const std::optional<DateTime> date = cellDate(file.rows.at(0, 1));
    if (!date) {
        m_prompter.message(m_report.noDate);
        return false;
    }
    std::string kind, word;
    if (m_report.kindColumn > 0) {
        kind = trim(sheet::cellText(file.rows.at(0, m_report.kindColumn - 1)));
        auto it = std::find_if(m_report.kinds.begin(), m_report.kinds.end(),
                               [&](const ReportKind& k) { return k.letter == kind; });
        if (it == m_report.kinds.end()) {
            m_prompter.message(m_report.invalidKind);
            return false;
        }
        word = it->word;
    }

    const std::string period = monthName(date->month) + " " + std::to_string(date->year);
    if (m_prompter.message(question(m_report.overwriteText(period, word), "Confirm Overwrite", Icon::Exclamation,
                                    Answer::No)) != Answer::Yes)
        return false;

    storeRows(file, date->month, date->year, kind);
    m_prompter.message(info(m_report.importedText(word), "Success"));
    m_prompter.progress("");
    LoadMonthlySummary();
    return true;
}

void MonthlyReport::storeRows(const ReportFile& file, int month, int year, const std::string& kind) {
    const std::string table = store::tableName(m_report.table);
    const std::vector<std::string>& columns = store::tableColumns(m_report.table);
    const std::vector<int> target = mapColumnsByHeader(file.headers, columns);
    const int dateTarget = columnIndex(columns, m_report.dateColumn);

    std::string sql = "INSERT INTO " + table + " (";
    std::string marks;
    for (std::size_t t = 0; t < columns.size(); ++t) {
        sql += (t ? "," : "") + columns[t];
        marks += t ? ",?" : "?";
    }
    sql += ") VALUES (" + marks + ")";

    std::string deleteSql = "DELETE FROM " + table + " WHERE Month(" + m_report.dateColumn + ") = ? AND Year(" +
                            m_report.dateColumn + ") = ?";
    std::vector<store::Value> deleteValues{month, year};
    if (!kind.empty()) {
        deleteSql += " AND " + m_report.kindTableColumn + " = ?";
        deleteValues.emplace_back(kind);
    }

    const int count = file.rows.rows();
    const int width = file.rows.columns();
    store::Transaction tx = m_db.begin();
    m_db.execute(deleteSql, deleteValues);
    store::Statement insert = m_db.prepare(sql);
    std::vector<store::Value> values(columns.size(), store::Value(std::string()));
    for (int i = 1; i <= count; ++i) {
        if (file.rows.at(i - 1, 0).isEmpty() || storedText(file.rows, i - 1, 0).empty()) continue;
        for (int j = 0; j < width; ++j) {
            if (target[j] < 0) continue;
            std::string text = storedText(file.rows, i - 1, j);
            // The date column holds dates only: a row without one could never be summed
            // by month or deleted again, and would break every later summary.
            if (target[j] == dateTarget && !parseDateText(text))
                throw Error(errc::kTypeMismatch, "Data type mismatch: row " + std::to_string(i + 1) + " holds '" +
                                                     excerpt(text) + "' in column " + store::columnLetters(j + 1) +
                                                     ", which is not a date.");
            values[std::size_t(target[j])] = std::move(text);
        }
        insert.execute(values);
        if (i % kProgressEvery == 0 || i == count)
            m_prompter.progress("Importing Row " + std::to_string(i) + " of " + std::to_string(count) + "...");
    }
    tx.commit();
}

}  // namespace vesk::report
