#pragma once

#include <string>

namespace vesk::notes::sql {

/// Whether the file keeps notes (files of older layouts opened as they are do not).
inline constexpr const char* kHasNotes = "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = 'notes'";

inline constexpr const char* kAllNotes =
    "SELECT side, tran_id, status, note, office, changed_by, changed_at FROM notes";
/// ?1 side, ?2 ID.
inline constexpr const char* kNoteOn =
    "SELECT side, tran_id, status, note, office, changed_by, changed_at FROM notes WHERE side = ?1 AND tran_id = ?2";
inline constexpr const char* kSaveNote =
    "INSERT OR REPLACE INTO notes (side, tran_id, status, note, office, changed_by, changed_at) "
    "VALUES (?, ?, ?, ?, ?, ?, ?)";

/// The held rows with an ID (?1), or with the IDs of the side's notes: Id as the row spells
/// it, TDate as CDate gives it, Amount as the comparison reads it, OffName the master's
/// office (Null when none has the row). The bank's rows are sought through the index on
/// their value date's month, one month at a time; the ORV entries' index holds every
/// column read.
std::string bankRowsStatement(bool ofNotes);
std::string orvRowsStatement(bool ofNotes);

}  // namespace vesk::notes::sql
