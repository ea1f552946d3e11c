#pragma once

#include <string>

#include "notes/HeldRows.h"

namespace vesk::notes::sql {

inline constexpr const char* kNotesTable = "notes";
/// A note's columns as read and written, its day aside: the notes of files of the layouts before
/// store::kHandPairsLayout belong to IDs alone.
inline constexpr const char* kNoteColumns = "side, tran_id, status, note, office, changed_by, changed_at";

/// Every note, with its day (Null for a note whose rows were gone when notes came to belong to
/// rows, and for every note of a file whose notes belong to IDs alone).
std::string allNotesStatement(bool byRow);
/// ?1 side, ?2 ID: the notes on rows with the ID.
std::string notesWithIdStatement();
/// ?1 side, ?2 ID, ?3 day (Null for none).
inline constexpr const char* kForgetNote = "DELETE FROM notes WHERE side = ?1 AND tran_id = ?2 AND day IS ?3";
/// The columns above, then the day.
std::string saveNoteStatement();

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
