#pragma once

#include <array>
#include <string>
#include <vector>

#include "store/Schema.h"
#include "store/StoredRows.h"

namespace vesk::history::sql {

/// The table of the history; files of older layouts opened as they are lack it.
inline constexpr const char* kHistoryTable = "import_history";
/// The layout that made it.
inline constexpr int kHistoryLayout = 2;

/// A column of the history and the layout that added it.
struct HistoryColumn {
    const char* name;
    int layout;
};
/// Every column of the history a record is written to or read from (its id aside): a note's
/// change has its row's ID and both statuses, a hand pair's what the record says of it, and from
/// kHistoryByLayout on every record who made it and the pair or close it is about.
inline constexpr std::array<HistoryColumn, 18> kColumns = {{
    {"recorded_at", kHistoryLayout},
    {"form", kHistoryLayout},
    {"action", kHistoryLayout},
    {"period_year", kHistoryLayout},
    {"period_month", kHistoryLayout},
    {"file_name", kHistoryLayout},
    {"file_size", kHistoryLayout},
    {"file_sha256", kHistoryLayout},
    {"office", kHistoryLayout},
    {"row_count", kHistoryLayout},
    {"deposits", kHistoryLayout},
    {"withdrawals", kHistoryLayout},
    {"tran_id", store::kNotesLayout},
    {"old_status", store::kNotesLayout},
    {"new_status", store::kNotesLayout},
    {"detail", store::kHandPairsLayout},
    {"\"by\"", store::kHistoryByLayout},
    {"subject", store::kHistoryByLayout},
}};

/// The record of the columns named, in that order.
inline std::string recordStatement(const std::vector<std::string>& columns) {
    std::string names, marks;
    for (const std::string& c : columns) {
        names += (names.empty() ? "" : ", ") + c;
        marks += marks.empty() ? "?" : ", ?";
    }
    return "INSERT INTO import_history (" + names + ") VALUES (" + marks + ")";
}

/// The records, newest first (the order they were recorded in, whatever the clock said): of
/// one form (?1) or all. Every column above with the id, Null where the file's layout lacks it.
inline std::string recordsStatement(int layout, bool ofForm) {
    std::string sql = "SELECT " + store::rowIdColumn() + "id";
    for (const HistoryColumn& c : kColumns) sql += std::string(", ") + (c.layout <= layout ? "" : "NULL AS ") + c.name;
    return sql + " FROM import_history " + (ofForm ? "WHERE form = ?1 " : "") + "ORDER BY id DESC";
}
inline const std::string kLastImport = "SELECT " + store::rowIdColumn() +
                                       "recorded_at FROM import_history WHERE form = ? AND file_sha256 = ? "
                                       "ORDER BY id DESC LIMIT 1";

}  // namespace vesk::history::sql
