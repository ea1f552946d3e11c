#pragma once

#include <string>

namespace vesk::history::sql {

/// The table of the history; files of older layouts opened as they are lack it.
inline constexpr const char* kHistoryTable = "import_history";
inline constexpr const char* kRecord =
    "INSERT INTO import_history (recorded_at, form, action, period_year, period_month, file_name, file_size, "
    "file_sha256, office, row_count, deposits, withdrawals) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
/// A note's change: the record with its row's ID and both statuses.
inline constexpr const char* kRecordNote =
    "INSERT INTO import_history (recorded_at, form, action, period_year, period_month, file_name, file_size, "
    "file_sha256, office, row_count, deposits, withdrawals, tran_id, old_status, new_status) "
    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
/// A hand pair's change: the record with the pair's number and what it says of the pair.
inline constexpr const char* kRecordPair =
    "INSERT INTO import_history (recorded_at, form, action, period_year, period_month, file_name, file_size, "
    "file_sha256, office, row_count, deposits, withdrawals, tran_id, detail) "
    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
/// Whether the records keep notes' changes (files of layout 4 on).
inline constexpr const char* kHasNoteColumns =
    "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = 'import_history' AND sql LIKE '%new_status%'";
/// Whether they keep hand pairs' changes.
inline constexpr const char* kHasDetailColumn =
    "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = 'import_history' AND sql LIKE '%detail%'";

/// The records, newest first (the order they were recorded in, whatever the clock said): of
/// one form (?1) or all. The columns id, recorded_at, action, period_year, period_month,
/// file_name, file_size, file_sha256, office, row_count, deposits, withdrawals, then tran_id,
/// old_status, new_status and detail, Null where the file's layout lacks them.
inline std::string recordsStatement(bool noteColumns, bool detailColumn, bool ofForm) {
    return std::string(
               "SELECT id, recorded_at, action, period_year, period_month, file_name, file_size, "
               "file_sha256, office, row_count, deposits, withdrawals, ") +
           (noteColumns ? "tran_id, old_status, new_status, " : "NULL, NULL, NULL, ") +
           (detailColumn ? "detail" : "NULL") + " FROM import_history " + (ofForm ? "WHERE form = ?1 " : "") +
           "ORDER BY id DESC";
}
inline constexpr const char* kLastImport =
    "SELECT recorded_at FROM import_history WHERE form = ? AND file_sha256 = ? ORDER BY id DESC LIMIT 1";

}  // namespace vesk::history::sql
