#pragma once

#include <string>

#include "notes/HeldRows.h"

namespace vesk::notes::sql {

/// Whether the file keeps notes (files of older layouts opened as they are do not).
inline constexpr const char* kHasNotes = "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = 'notes'";
/// Whether its notes belong to rows (side, ID and date) rather than to IDs alone.
inline constexpr const char* kNotesHaveDays =
    "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = 'notes' AND sql LIKE '%day INTEGER%'";

/// Every note: side, tran_id, day (Null for a note whose rows were gone when notes came to
/// belong to rows), status, note, office, changed_by, changed_at.
inline constexpr const char* kAllNotes =
    "SELECT side, tran_id, day, status, note, office, changed_by, changed_at FROM notes";
/// The same of a file whose notes belong to IDs alone, each without a day.
inline constexpr const char* kAllNotesById =
    "SELECT side, tran_id, NULL, status, note, office, changed_by, changed_at FROM notes";
/// ?1 side, ?2 ID: the notes on rows with the ID.
inline constexpr const char* kNotesWithId =
    "SELECT side, tran_id, day, status, note, office, changed_by, changed_at FROM notes "
    "WHERE side = ?1 AND tran_id = ?2 ORDER BY day";
/// ?1 side, ?2 ID, ?3 day (Null for none).
inline constexpr const char* kForgetNote = "DELETE FROM notes WHERE side = ?1 AND tran_id = ?2 AND day IS ?3";
inline constexpr const char* kSaveNote =
    "INSERT INTO notes (side, tran_id, day, status, note, office, changed_by, changed_at) "
    "VALUES (?, ?, ?, ?, ?, ?, ?, ?)";

/// The held rows of the side whose IDs the list names: "(?1)" for the one ID bound, or a
/// sub-select of IDs. Id as the row spells it, TDate as CDate gives it, Amount as the
/// comparison reads it, Kind 1 for a deposit or receipt, 2 for a withdrawal or payment, 0 for
/// neither, OffName the master's office (Null when none has the row). The bank's rows are
/// sought through the index on their value date's month and ID, the ORV entries through the
/// one on their posting date's month and ID, one month at a time.
std::string heldRowsStatement(Side side, const std::string& ids);
/// The IDs of the side's notes, as a list for heldRowsStatement.
std::string noteIds(Side side);

}  // namespace vesk::notes::sql
