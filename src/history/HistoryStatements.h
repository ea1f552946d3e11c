#pragma once

namespace vesk::history::sql {

/// The table of the history; files of older layouts opened as they are lack it.
inline constexpr const char* kHistoryTable = "import_history";
inline constexpr const char* kRecord =
    "INSERT INTO import_history (recorded_at, form, action, period_year, period_month, file_name, file_size, "
    "file_sha256, office, row_count, deposits, withdrawals) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
/// Newest first: the order they were recorded in, whatever the clock said.
/// A note's change: the record with its row's ID and both statuses.
inline constexpr const char* kRecordNote =
    "INSERT INTO import_history (recorded_at, form, action, period_year, period_month, file_name, file_size, "
    "file_sha256, office, row_count, deposits, withdrawals, tran_id, old_status, new_status) "
    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
/// Whether the records keep notes' changes (files of layout 3 on).
inline constexpr const char* kHasNoteColumns =
    "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = 'import_history' AND sql LIKE '%new_status%'";
inline constexpr const char* kRecords =
    "SELECT id, recorded_at, action, period_year, period_month, file_name, file_size, file_sha256, office, "
    "row_count, deposits, withdrawals FROM import_history ORDER BY id DESC";
inline constexpr const char* kFormRecords =
    "SELECT id, recorded_at, action, period_year, period_month, file_name, file_size, file_sha256, office, "
    "row_count, deposits, withdrawals FROM import_history WHERE form = ? ORDER BY id DESC";
inline constexpr const char* kNoteRecords =
    "SELECT id, recorded_at, action, period_year, period_month, file_name, file_size, file_sha256, office, "
    "row_count, deposits, withdrawals, tran_id, old_status, new_status FROM import_history ORDER BY id DESC";
inline constexpr const char* kFormNoteRecords =
    "SELECT id, recorded_at, action, period_year, period_month, file_name, file_size, file_sha256, office, "
    "row_count, deposits, withdrawals, tran_id, old_status, new_status FROM import_history WHERE form = ? "
    "ORDER BY id DESC";
inline constexpr const char* kLastImport =
    "SELECT recorded_at FROM import_history WHERE form = ? AND file_sha256 = ? ORDER BY id DESC LIMIT 1";

}  // namespace vesk::history::sql
