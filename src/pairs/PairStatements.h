#pragma once

#include <string>

#include "notes/HeldRows.h"

namespace vesk::pairs::sql {

/// Whether the file keeps hand pairs (files of older layouts opened as they are do not).
inline constexpr const char* kHasHandPairs =
    "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = 'hand_pairs'";

/// The number after every pair ever made, undone ones included.
inline constexpr const char* kNextNumber = "SELECT IfNull(Max(number), 0) + 1 FROM hand_pairs";
inline constexpr const char* kSavePair =
    "INSERT INTO hand_pairs (number, kind, difference, pair_text, made_by, made_at, state) "
    "VALUES (?, ?, ?, ?, ?, ?, 'held')";
inline constexpr const char* kSavePairRow =
    "INSERT INTO hand_pair_rows (pair, side, tran_id, day, office, amount) VALUES (?, ?, ?, ?, ?, ?)";

/// The pairs and their rows, of the states named (a list of quoted states), by number.
std::string pairsStatement(const std::string& states);
std::string pairRowsStatement(const std::string& states);
/// The pair with the number ?1, whatever its state, and its rows.
inline constexpr const char* kPairNumbered =
    "SELECT number, kind, difference, pair_text, made_by, made_at, state, changed_by, changed_at, broken_side, "
    "broken_tran_id, broken_day, broken_amount, broken_kind FROM hand_pairs WHERE number = ?1";
inline constexpr const char* kPairRowsNumbered =
    "SELECT pair, side, tran_id, day, office, amount FROM hand_pair_rows WHERE pair = ?1";

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
