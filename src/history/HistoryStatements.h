#pragma once

namespace vesk::history::sql {

/// The table of the history; files of older layouts opened as they are lack it.
inline constexpr const char* kHistoryTable = "import_history";
inline constexpr const char* kRecord =
    "INSERT INTO import_history (recorded_at, form, action, period_year, period_month, file_name, file_size, "
    "file_sha256, office, row_count, deposits, withdrawals) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
/// Newest first: the order they were recorded in, whatever the clock said.
inline constexpr const char* kRecords =
    "SELECT id, recorded_at, action, period_year, period_month, file_name, file_size, file_sha256, office, "
    "row_count, deposits, withdrawals FROM import_history ORDER BY id DESC";
inline constexpr const char* kFormRecords =
    "SELECT id, recorded_at, action, period_year, period_month, file_name, file_size, file_sha256, office, "
    "row_count, deposits, withdrawals FROM import_history WHERE form = ? ORDER BY id DESC";
inline constexpr const char* kLastImport =
    "SELECT recorded_at FROM import_history WHERE form = ? AND file_sha256 = ? ORDER BY id DESC LIMIT 1";

}  // namespace vesk::history::sql
