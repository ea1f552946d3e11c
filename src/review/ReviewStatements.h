#pragma once

#include <string>
#include <vector>

#include "compare/CompareStatements.h"
#include "store/StoredRows.h"

namespace vesk::review::sql {

/// The tables of what the pairing found; files of older layouts opened as they are lack them,
/// or (before store::kHandPairsLayout) keep no twins.
inline constexpr const char* kMarksTable = "paired_marks";
inline constexpr const char* kMonthsTable = "paired_months";
inline constexpr const char* kExceptionsTable = "paired_exceptions";
/// A stored exception's columns, as read and written.
inline constexpr const char* kExceptionColumns =
    "month_key, office, kind, side, day, tran_id, amount, class, twin_id, twin_amount";

/// The highest row id of the bank rows, the ORV entries and the office master.
inline constexpr const char* kLastRows =
    "SELECT (SELECT IfNull(Max(rowid), 0) FROM veskfinacle) AS bank_rowid, (SELECT IfNull(Max(rowid), 0) FROM "
    "orvtable) AS orv_rowid, (SELECT IfNull(Max(rowid), 0) FROM mastertable) AS master_rowid";
inline const std::string kMarks = "SELECT " + store::rowIdColumn() +
                                  "last_change, bank_rowid, orv_rowid, master_rowid FROM paired_marks WHERE id = 1";
inline constexpr const char* kSaveMarks =
    "INSERT OR REPLACE INTO paired_marks (id, last_change, bank_rowid, orv_rowid, master_rowid) "
    "VALUES (1, ?, ?, ?, ?)";

inline const std::string kStoredMonths = "SELECT " + store::rowIdColumn() + "month_key, last_change FROM paired_months";
inline const std::string kStoredExceptions =
    "SELECT " + store::rowIdColumn() + kExceptionColumns + " FROM paired_exceptions";
/// Those of one month (?1).
inline const std::string kStoredMonthExceptions = kStoredExceptions + " WHERE month_key = ?1";
inline constexpr const char* kForgetMonth = "DELETE FROM paired_months WHERE month_key = ?";
inline constexpr const char* kForgetExceptions = "DELETE FROM paired_exceptions WHERE month_key = ?";
inline constexpr const char* kSaveMonth = "INSERT OR REPLACE INTO paired_months (month_key, last_change) VALUES (?, ?)";
inline const std::string kSaveException =
    std::string("INSERT INTO paired_exceptions (") + kExceptionColumns + ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";

/// The newest record of each month key (year * 100 + month; Null for a change without a
/// period) among the records of the actions named, as Key and LastChange.
std::string changesByMonthStatement(const std::vector<std::string>& actions);

/// The month keys of the bank rows' transaction dates and of the ORV entries' posting dates
/// (0 for a row without a date; bank rows without a facility left out), each found by seeks
/// of the month indexes as the file keeps them.
std::string heldMonthsStatement(compare::BankIndex index);

/// What each month holds of its three imports, by the month the imports take their rows in
/// (the bank's value date, the ORV posting date): Key, Bank (1 when it holds bank rows),
/// Receipts and Payments (ORV entries of each kind). Of the month key ?1 alone, or (allMonths)
/// of every month holding any, in order, each found by seeks of the month indexes.
std::string monthPartsStatement(bool allMonths);

/// The names of the master's offices within the scope (see compare::headOfficeScope).
std::string scopeOfficesStatement(const std::string& scope);

/// The month's bank rows of either kind (Kind 1 deposit, 2 withdrawal), grouped by kind and by
/// whether an office of the scope has their facility (Compared 1, else 0): Entries and Amount.
/// Fails on rows without a date as the comparison does.
std::string statementBankStatement(int year, int month, const std::string& scope);
/// The month's ORV receipts (Kind 1) and payments (2) the same way, by their office id.
std::string statementOrvStatement(int year, int month, const std::string& scope);

}  // namespace vesk::review::sql
