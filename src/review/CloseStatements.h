#pragma once

namespace vesk::review::sql {

/// The table of the closes; files of older layouts opened as they are lack it.
inline constexpr const char* kClosesTable = "month_closes";
/// Every close in the order it was made.
inline constexpr const char* kCloses =
    "SELECT number, month_key, closed_at, closed_by, month_digest, previous_digest, digest, reopened_at, "
    "reopened_by FROM month_closes ORDER BY number";
inline constexpr const char* kCloseLines =
    "SELECT close, line, deposits, withdrawals, row_count FROM month_close_lines ORDER BY close, line";
inline constexpr const char* kCloseItems =
    "SELECT close, carried, side, tran_id, day, office, kind, amount, since_key, cells FROM month_close_items "
    "ORDER BY close, position";
/// The same for one close (?1).
inline constexpr const char* kCloseLinesOf =
    "SELECT close, line, deposits, withdrawals, row_count FROM month_close_lines WHERE close = ?1 ORDER BY line";
inline constexpr const char* kCloseItemsOf =
    "SELECT close, carried, side, tran_id, day, office, kind, amount, since_key, cells FROM month_close_items "
    "WHERE close = ?1 ORDER BY position";
/// Changes when another connection commits to the file (read twice on one connection).
inline constexpr const char* kFileVersion = "PRAGMA data_version";
inline constexpr const char* kLastCloseDigest = "SELECT digest FROM month_closes ORDER BY number DESC LIMIT 1";
inline constexpr const char* kAddClose =
    "INSERT INTO month_closes (month_key, closed_at, closed_by, month_digest, previous_digest, digest) "
    "VALUES (?, ?, ?, ?, ?, ?)";
/// The number the close just added was given.
inline constexpr const char* kAddedCloseNumber = "SELECT last_insert_rowid()";
inline constexpr const char* kAddCloseLine =
    "INSERT INTO month_close_lines (close, line, deposits, withdrawals, row_count) VALUES (?, ?, ?, ?, ?)";
inline constexpr const char* kAddCloseItem =
    "INSERT INTO month_close_items (close, position, carried, side, tran_id, day, office, kind, amount, since_key, "
    "cells) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
inline constexpr const char* kReopenClose =
    "UPDATE month_closes SET reopened_at = ?, reopened_by = ? WHERE number = ? AND reopened_at IS NULL";

}  // namespace vesk::review::sql
