#pragma once

#include <string>

#include "store/StoredRows.h"

namespace vesk::review::sql {

/// The names that sign a printed statement, a row per role; files of older layouts opened as
/// they are lack the table.
inline constexpr const char* kSignOffsTable = "sign_offs";
inline const std::string kSignOffs = "SELECT " + store::rowIdColumn() + "role, name, designation FROM sign_offs";
inline constexpr const char* kSaveSignOff =
    "INSERT OR REPLACE INTO sign_offs (role, name, designation) VALUES (?, ?, ?)";

}  // namespace vesk::review::sql
