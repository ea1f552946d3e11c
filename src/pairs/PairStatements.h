#pragma once

#include <string>

#include "notes/HeldRows.h"

namespace vesk::pairs::sql {

/// The number after every pair ever made, undone ones included.
inline constexpr const char* kNextNumber = "SELECT IfNull(Max(number), 0) + 1 FROM hand_pairs";
inline constexpr const char* kSavePair =
    "INSERT INTO hand_pairs (number, kind, difference, pair_text, made_by, made_at, state) "
    "VALUES (?, ?, ?, ?, ?, ?, 'held')";

inline constexpr const char* kPairsTable = "hand_pairs";
inline constexpr const char* kPairRowsTable = "hand_pair_rows";
/// The columns of a pair and of a pair's row, as they are read (and a row as it is written).
inline constexpr const char* kPairColumns =
    "number, kind, difference, pair_text, made_by, made_at, state, changed_by, changed_at, broken_side, "
    "broken_tran_id, broken_day, broken_amount, broken_kind";
inline constexpr const char* kPairRowColumns = "pair, side, tran_id, day, office, amount";

std::string savePairRowStatement();
/// The pairs and their rows, of the states named (a list of quoted states), by number.
std::string pairsStatement(const std::string& states);
std::string pairRowsStatement(const std::string& states);
/// The pair with the number ?1, whatever its state, and its rows.
std::string pairNumberedStatement();
std::string pairRowsNumberedStatement();

/// ?1 number, ?2 who, ?3 when.
inline constexpr const char* kUndo =
    "UPDATE hand_pairs SET state = 'undone', changed_by = ?2, changed_at = ?3 WHERE number = ?1";
/// ?1 number, ?2 who, ?3 when, then the row that broke it: ?4 side, ?5 ID, ?6 day, ?7 its
/// amount now (Null: gone), ?8 its kind now (Null: unchanged or neither).
inline constexpr const char* kBreak =
    "UPDATE hand_pairs SET state = 'broken', changed_by = ?2, changed_at = ?3, broken_side = ?4, "
    "broken_tran_id = ?5, broken_day = ?6, broken_amount = ?7, broken_kind = ?8 WHERE number = ?1";

/// The IDs of the side's rows in held pairs, as a list for notes::sql::heldRowsStatement.
std::string heldPairIds(notes::Side side);

}  // namespace vesk::pairs::sql
