#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "core/Error.h"
#include "store/Connection.h"
#include "store/Schema.h"
#include "support/ErrorOf.h"

namespace vesk::store {

// Readable failures for EXPECT_EQ on values.
inline void PrintTo(const Value& v, std::ostream* os) {
    if (v.isNull())
        *os << "Null";
    else if (v.isText())
        *os << '"' << v.toText() << '"';
    else
        *os << v.toText() << (v.isInteger() ? " (integer)" : " (real)");
}

}  // namespace vesk::store

namespace vesk::test {

/// The statements of the one step that brings layout `from` to the next.
inline std::vector<std::string> stepStatements(int from) {
    const std::vector<std::string> later = store::migrationStatements(from + 1);
    std::vector<std::string> out;
    for (const std::string& sql : store::migrationStatements(from))
        if (std::find(later.begin(), later.end(), sql) == later.end()) out.push_back(sql);
    return out;
}

/// The statements of a step that name the text, as that step made them.
inline void runStep(store::Connection& c, int from, const std::string& naming) {
    for (const std::string& sql : stepStatements(from))
        if (sql.find(naming) != std::string::npos) c.execute(sql);
}

/// Takes a file of this layout back to the one before the month indexes held the day.
inline void makeLayoutBeforeDayIndex(store::Connection& c) {
    c.execute("DROP INDEX veskfinacle_month_rows");
    c.execute(
        "CREATE INDEX veskfinacle_month_rows ON veskfinacle "
        "(MonthKey(Tran_Date), FACILITY_ID, CASH_TRAN_TYPE, TRAN_AMT, Tran_Date, tran_id)");
    c.execute("DROP INDEX orvtable_month");
    c.execute(
        "CREATE INDEX orvtable_month ON orvtable "
        "(MonthKey(try_posting_date), office_id, receipt_or_payment, tot_amount, try_posting_date, treasury_tran_id)");
    c.execute("PRAGMA user_version = " + std::to_string(store::kDayIndexLayout - 1));
}

/// Takes a file of this layout back to the one before the pairing rules.
inline void makeLayoutBeforePairingRules(store::Connection& c) {
    makeLayoutBeforeDayIndex(c);
    c.execute("DROP TABLE pairing_rules");
    c.execute("PRAGMA user_version = " + std::to_string(store::kPairingRulesLayout - 1));
}

/// Takes a file of this layout back to the one before the statement's sign-offs.
inline void makeLayoutBeforeSignOffs(store::Connection& c) {
    makeLayoutBeforePairingRules(c);
    c.execute("DROP TABLE sign_offs");
    c.execute("PRAGMA user_version = " + std::to_string(store::kSignOffsLayout - 1));
}

/// Takes a file of this layout back to the one before the history's columns of its own for who
/// and what: a close's login in office, a pair's name in tran_id, and no digest version.
inline void makeLayoutBeforeHistoryBy(store::Connection& c) {
    makeLayoutBeforeSignOffs(c);
    c.execute("UPDATE import_history SET office = \"by\" WHERE form = 'closes'");
    c.execute("UPDATE import_history SET tran_id = subject WHERE form = 'pairs'");
    c.execute("DROP INDEX import_history_file");
    c.execute("ALTER TABLE import_history RENAME TO newer_history");
    runStep(c, 1, "import_history");
    runStep(c, store::kNotesLayout - 1, "ALTER TABLE import_history");
    runStep(c, store::kHandPairsLayout - 1, "ALTER TABLE import_history");
    c.execute(
        "INSERT INTO import_history SELECT id, recorded_at, form, action, period_year, period_month, file_name, "
        "file_size, file_sha256, office, row_count, deposits, withdrawals, tran_id, old_status, new_status, detail "
        "FROM newer_history");
    c.execute("DROP TABLE newer_history");
    c.execute("DROP INDEX month_closes_month");
    c.execute("ALTER TABLE month_closes RENAME TO newer_closes");
    runStep(c, store::kClosesLayout - 1, "month_closes");
    c.execute(
        "INSERT INTO month_closes SELECT number, month_key, closed_at, closed_by, month_digest, previous_digest, "
        "digest, reopened_at, reopened_by FROM newer_closes");
    c.execute("DROP TABLE newer_closes");
    c.execute("PRAGMA user_version = " + std::to_string(store::kHistoryByLayout - 1));
}

/// Takes a file of this layout back to the one before the bank's comparison index held the
/// rows' IDs.
inline void makeLayoutBeforeBankRowIds(store::Connection& c) {
    makeLayoutBeforeHistoryBy(c);
    c.execute("DROP INDEX veskfinacle_month_rows");
    c.execute(
        "CREATE INDEX veskfinacle_month_facility ON veskfinacle "
        "(MonthKey(Tran_Date), FACILITY_ID, CASH_TRAN_TYPE, TRAN_AMT, Tran_Date)");
    c.execute("PRAGMA user_version = " + std::to_string(store::kBankRowIdsLayout - 1));
}

/// Takes a file of this layout back to the one before the closes of months.
inline void makeLayoutBeforeCloses(store::Connection& c) {
    makeLayoutBeforeBankRowIds(c);
    for (const char* table : {"month_closes", "month_close_lines", "month_close_items"})
        c.execute(std::string("DROP TABLE ") + table);
    c.execute("PRAGMA user_version = " + std::to_string(store::kClosesLayout - 1));
}

/// Takes a file of this layout back to the one before the rows' marks: no triggers, no
/// row_marks, and the kept lines' marks without their count of changes.
inline void makeLayoutBeforeRowMarks(store::Connection& c) {
    makeLayoutBeforeCloses(c);
    const store::ResultSet triggers = c.query("SELECT name FROM sqlite_master WHERE type = 'trigger'");
    for (std::size_t r = 0; r < triggers.rowCount(); ++r) c.execute("DROP TRIGGER " + triggers.field(r, 0).toText());
    c.execute("DROP TABLE row_marks");
    for (const std::string marks : {"month_summary_marks", "office_month_marks"}) {
        c.execute("ALTER TABLE " + marks + " RENAME TO old_marks");
        c.execute("CREATE TABLE " + marks +
                  " (report TEXT PRIMARY KEY, row_count INTEGER NOT NULL, last_rowid INTEGER NOT NULL)");
        c.execute("INSERT INTO " + marks + " SELECT report, row_count, last_rowid FROM old_marks");
        c.execute("DROP TABLE old_marks");
    }
    c.execute("PRAGMA user_version = " + std::to_string(store::kRowMarksLayout - 1));
}

/// Takes a file of this layout back to the one before hand pairs: notes by side and ID (the
/// earliest of each), no hand pairs, the history without its details, the stored exceptions
/// without twins.
inline void makeLayoutBeforeHandPairs(store::Connection& c) {
    makeLayoutBeforeRowMarks(c);
    c.execute("ALTER TABLE notes RENAME TO notes_by_row");
    runStep(c, store::kNotesLayout - 1, "CREATE TABLE notes");
    c.execute(
        "INSERT OR IGNORE INTO notes SELECT side, tran_id, status, note, office, changed_by, changed_at "
        "FROM notes_by_row ORDER BY day");
    c.execute("DROP TABLE notes_by_row");
    c.execute("DROP TABLE hand_pairs");
    c.execute("DROP TABLE hand_pair_rows");
    c.execute("DROP INDEX orvtable_month_tran_id");
    c.execute("DROP INDEX import_history_file");
    c.execute("ALTER TABLE import_history RENAME TO newer_history");
    runStep(c, 1, "import_history");
    runStep(c, store::kNotesLayout - 1, "ALTER TABLE import_history");
    c.execute(
        "INSERT INTO import_history SELECT id, recorded_at, form, action, period_year, period_month, file_name, "
        "file_size, file_sha256, office, row_count, deposits, withdrawals, tran_id, old_status, new_status "
        "FROM newer_history");
    c.execute("DROP TABLE newer_history");
    c.execute("DROP TABLE paired_exceptions");
    runStep(c, store::kNotesLayout - 1, "paired_exceptions");
    c.execute("PRAGMA user_version = " + std::to_string(store::kHandPairsLayout - 1));
}

/// Takes a file of this layout back to the one before its bank rows were indexed month
/// first: office first, with an index of its own for the rows without a date.
inline void makeLayoutBeforeMonthFirstBank(store::Connection& c) {
    makeLayoutBeforeHandPairs(c);
    c.execute("DROP INDEX veskfinacle_month_facility");
    c.execute(
        "CREATE INDEX veskfinacle_tran_month ON veskfinacle "
        "(FACILITY_ID, MonthKey(Tran_Date), CASH_TRAN_TYPE, TRAN_AMT, Tran_Date)");
    c.execute(
        "CREATE INDEX veskfinacle_tran_undated ON veskfinacle (MonthKey(Tran_Date)) WHERE MonthKey(Tran_Date) = 0");
    c.execute("PRAGMA user_version = " + std::to_string(store::kMonthFirstBankLayout - 1));
}

/// Takes a file of this layout back to the one before notes were kept, as such a file is:
/// without the notes' tables and without the history's note columns.
inline void makeLayoutBeforeNotes(store::Connection& c) {
    makeLayoutBeforeMonthFirstBank(c);
    for (const char* table : {"notes", "paired_months", "paired_exceptions", "paired_marks"})
        c.execute(std::string("DROP TABLE ") + table);
    c.execute("DROP INDEX import_history_file");
    c.execute("ALTER TABLE import_history RENAME TO old_history");
    // The history as layout 2 made it.
    runStep(c, 1, "import_history");
    c.execute(
        "INSERT INTO import_history SELECT id, recorded_at, form, action, period_year, period_month, file_name, "
        "file_size, file_sha256, office, row_count, deposits, withdrawals FROM old_history");
    c.execute("DROP TABLE old_history");
    c.execute("PRAGMA user_version = " + std::to_string(store::kNotesLayout - 1));
}

// "INSERT INTO table VALUES (?, ?, ...)" with one placeholder per column.
inline std::string insertAllColumns(store::Table t) {
    std::string sql = std::string("INSERT INTO ") + store::tableName(t) + " VALUES (";
    for (std::size_t i = 0; i < store::tableColumns(t).size(); ++i) sql += i ? ",?" : "?";
    return sql + ")";
}

// A row for a table: the named columns set, every other column Null.
inline std::vector<store::Value> rowOf(store::Table t, const std::vector<std::pair<std::string, store::Value>>& set) {
    const auto& columns = store::tableColumns(t);
    std::vector<store::Value> row(columns.size());
    for (const auto& [name, value] : set) {
        bool found = false;
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (columns[i] == name) row[i] = value, found = true;
        if (!found) ADD_FAILURE() << "no column " << name;
    }
    return row;
}

/// Every row of a result as text, so two results compare field by field; with types, each
/// field is marked i (integer) or r (real) as well.
inline std::vector<std::string> rowsOf(const store::ResultSet& rs, bool withTypes = false) {
    std::vector<std::string> out;
    for (std::size_t r = 0; r < rs.rowCount(); ++r) {
        std::string line;
        for (std::size_t c = 0; c < rs.columns().size(); ++c) {
            const store::Value v = rs.field(r, c);
            line += (c ? " | " : "") + (v.isNull() ? std::string("Null") : v.toText());
            if (withTypes) line += v.isInteger() ? "i" : v.isReal() ? "r" : "";
        }
        out.push_back(line);
    }
    return out;
}

}  // namespace vesk::test
