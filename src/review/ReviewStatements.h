#pragma once

#include <string>
#include <vector>

#include "compare/CompareStatements.h"

namespace vesk::review::sql {

/// Whether the file keeps what the pairing found, with each exception's twin (files of older
/// layouts opened as they are do not).
inline constexpr const char* kHasStoredPairing =
    "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = 'paired_exceptions' AND sql LIKE '%twin_id%'";

/// The highest row id of the bank rows, the ORV entries and the office master.
inline constexpr const char* kLastRows =
    "SELECT (SELECT IfNull(Max(rowid), 0) FROM veskfinacle), (SELECT IfNull(Max(rowid), 0) FROM orvtable), "
    "(SELECT IfNull(Max(rowid), 0) FROM mastertable)";
inline constexpr const char* kMarks =
    "SELECT last_change, bank_rowid, orv_rowid, master_rowid FROM paired_marks WHERE id = 1";
inline constexpr const char* kSaveMarks =
    "INSERT OR REPLACE INTO paired_marks (id, last_change, bank_rowid, orv_rowid, master_rowid) "
    "VALUES (1, ?, ?, ?, ?)";

inline constexpr const char* kStoredMonths = "SELECT month_key, last_change FROM paired_months";
inline constexpr const char* kStoredExceptions =
    "SELECT month_key, office, kind, side, day, tran_id, amount, class, twin_id, twin_amount FROM paired_exceptions";
/// Those of one month (?1).
inline constexpr const char* kStoredMonthExceptions =
    "SELECT month_key, office, kind, side, day, tran_id, amount, class, twin_id, twin_amount FROM paired_exceptions "
    "WHERE month_key = ?1";
inline constexpr const char* kForgetMonth = "DELETE FROM paired_months WHERE month_key = ?";
inline constexpr const char* kForgetExceptions = "DELETE FROM paired_exceptions WHERE month_key = ?";
inline constexpr const char* kSaveMonth = "INSERT OR REPLACE INTO paired_months (month_key, last_change) VALUES (?, ?)";
inline constexpr const char* kSaveException =
    "INSERT INTO paired_exceptions (month_key, office, kind, side, day, tran_id, amount, class, twin_id, twin_amount) "
    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";

/// The newest record of each month key (year * 100 + month; Null for a change without a
/// period) among the records of the actions named, as Key and LastChange.
std::string changesByMonthStatement(const std::vector<std::string>& actions);

/// The month keys of the bank rows' transaction dates and of the ORV entries' posting dates
/// (0 for a row without a date; bank rows without a facility left out), each found by seeks
/// of the month indexes as the file keeps them.
std::string heldMonthsStatement(compare::BankIndex index);

/// The names of the master's offices within the scope (see compare::headOfficeScope).
std::string scopeOfficesStatement(const std::string& scope);

/// The month's bank rows of either kind (Kind 1 deposit, 2 withdrawal), grouped by kind and by
/// whether an office of the scope has their facility (Compared 1, else 0): Entries and Amount.
/// Fails on rows without a date as the comparison does.
std::string statementBankStatement(int year, int month, const std::string& scope);
/// The month's ORV receipts (Kind 1) and payments (2) the same way, by their office id.
std::string statementOrvStatement(int year, int month, const std::string& scope);

}  // namespace vesk::review::sql
