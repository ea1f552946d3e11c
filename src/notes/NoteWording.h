#pragma once

#include <string>
#include <vector>

#include "core/Error.h"
#include "core/Prompter.h"
#include "notes/Notes.h"

namespace vesk::notes {

/// "VESK", "ORV": a side as the listings name it.
const char* sideText(Side side);
/// "Deposit", "Withdrawal": a kind as the listings name it.
const char* kindText(Kind kind);
/// "Open", "Explained", "Resolved": a status as the listings and the note dialog name it.
const char* statusText(Status status);
/// 2000 as "2,000".
std::string counted(std::size_t n);
/// "VESK T12", "ORV R7": a row as the hints and the hand pairs name it.
std::string rowName(Side side, const std::string& id);
/// "bank row T12", "ORV entry A7": what a note is on, in words.
std::string rowWords(Side side, const std::string& id);

/// "Note on bank row T12": the note dialog's heading.
std::string noteHeading(Side side, const std::string& id);
/// "No note is on bank row T12.": a row that is held but has no note.
std::string noNoteText(Side side, const std::string& id);

/// Why a change was not saved, as the note dialog and the command line say it; empty when
/// it was saved or changed nothing.
std::string refusalText(const SetResult& result, Side side, const std::string& id, const std::string& databasePath);
/// Why a row named for its note is not one: empty when it is.
std::string refusalText(const NoteLookup& lookup, Side side);

/// "02/04/2025", "02/04/2025 and 05/05/2025", "02/04/2025, 05/05/2025 and 01/06/2025".
std::string datesText(const std::vector<long long>& days);
/// A row named so that it is found again whatever other rows share its ID: "T12@02/04/2025".
std::string rowText(const RowRef& row);
/// Why a row a person named is none, ending in what was therefore not done ("no note was
/// set"): "No bank row has the ID 'T9', so no note was set.", "No bank row of 03/04/2025 has
/// the ID 'T1' (it is held on 02/04/2025), so no note was set.", "Bank rows of 02/04/2025 and
/// 05/05/2025 have the ID 'T1', so no note was set: name one as T1@02/04/2025.". Empty when
/// the row was found.
std::string rowNotFoundText(Side side, Found found, const RowText& asked, const std::vector<long long>& dates,
                            const std::string& consequence);

/// "the side is bank or orv, not 'x'": a side the command line does not know.
std::string unknownSideText(const std::string& given);
/// "the status is open, explained or resolved, not 'x'".
std::string unknownStatusText(const std::string& given);

/// The note dialog's notices: a refusal (refusalText), and a failure.
Message noteRefused(const std::string& refusal);
Message noteFailed(const Error& error);
/// Whether a note goes on the rows the rules paired its row with as well: "The rules paired bank
/// row T1 with ORV entry A1." and "Note both rows?" (a group: "Note all 3 rows?"); Yes by default.
Message notePairedRows(Side side, const std::string& id, const std::vector<RowRef>& others);
/// A note asked for with no row selected.
Message noRowForNote();

/// "2025-05-02 10:15:00 by ravi": when a note was set and by whom.
std::string changedText(const Note& note);

/// The columns of the notes listing: Side, ID, Date, Office Name, Amount, Status, Note, Changed.
const std::vector<std::string>& notesHeaders();
/// A listed note's cells; Date and Amount empty when its row is no longer held.
std::vector<std::string> noteCells(const ListedNote& listed);

}  // namespace vesk::notes
