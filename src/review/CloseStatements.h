#pragma once

#include <string>

#include "store/Schema.h"
#include "store/StoredRows.h"

namespace vesk::review::sql {

/// The tables of the closes; files of older layouts opened as they are lack them.
inline constexpr const char* kClosesTable = "month_closes";
/// Changes when another connection commits to the file (read twice on one connection).
inline constexpr const char* kFileVersion = "PRAGMA data_version";
inline constexpr const char* kCloseLinesTable = "month_close_lines";
inline constexpr const char* kCloseItemsTable = "month_close_items";

/// A close's columns as read, and those of its lines and items as read and written.
inline constexpr const char* kCloseColumns =
    "number, month_key, closed_at, closed_by, month_digest, previous_digest, digest, reopened_at, reopened_by";
inline constexpr const char* kCloseLineColumns = "close, line, deposits, withdrawals, row_count";
inline constexpr const char* kCloseItemColumns =
    "close, position, carried, side, tran_id, day, office, kind, amount, since_key, cells";

/// Every close in the order it was made, its digest's version 1 where the file's layout lacks it.
inline std::string closesStatement(int layout) {
    return "SELECT " + store::rowIdColumn() + kCloseColumns +
           (layout >= store::kHistoryByLayout ? ", digest_version" : ", 1 AS digest_version") +
           " FROM month_closes ORDER BY number";
}
/// The lines and items of every close, or (`ofOne`) of the close ?1.
inline std::string closeLinesStatement(bool ofOne) {
    return "SELECT " + store::rowIdColumn() + kCloseLineColumns + " FROM month_close_lines " +
           (ofOne ? "WHERE close = ?1 ORDER BY line" : "ORDER BY close, line");
}
inline std::string closeItemsStatement(bool ofOne) {
    return "SELECT " + store::rowIdColumn() + kCloseItemColumns + " FROM month_close_items " +
           (ofOne ? "WHERE close = ?1 ORDER BY position" : "ORDER BY close, position");
}
inline constexpr const char* kLastCloseDigest = "SELECT digest FROM month_closes ORDER BY number DESC LIMIT 1";
inline constexpr const char* kAddClose =
    "INSERT INTO month_closes (month_key, closed_at, closed_by, month_digest, previous_digest, digest, "
    "digest_version) VALUES (?, ?, ?, ?, ?, ?, ?)";
/// The number the close just added was given.
inline constexpr const char* kAddedCloseNumber = "SELECT last_insert_rowid()";
inline const std::string kAddCloseLine =
    std::string("INSERT INTO month_close_lines (") + kCloseLineColumns + ") VALUES (?, ?, ?, ?, ?)";
inline const std::string kAddCloseItem =
    std::string("INSERT INTO month_close_items (") + kCloseItemColumns + ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
inline constexpr const char* kReopenClose =
    "UPDATE month_closes SET reopened_at = ?, reopened_by = ? WHERE number = ? AND reopened_at IS NULL";

}  // namespace vesk::review::sql
