#pragma once

#include <string>
#include <vector>

#include "core/Error.h"
#include "core/Prompter.h"
#include "notes/Notes.h"

namespace vesk::notes {

/// "Bank", "ORV": a side as the listings name it.
const char* sideText(Side side);
/// "Open", "Explained", "Resolved": a status as the listings and the note dialog name it.
const char* statusText(Status status);

/// "bank row T12", "ORV entry A7": what a note is on, in words.
std::string rowWords(Side side, const std::string& id);

/// "Note on bank row T12": the note dialog's heading.
std::string noteHeading(Side side, const std::string& id);
/// "No note is on bank row T12.": a row that is held but has no note.
std::string noNoteText(Side side, const std::string& id);

/// Why a change was not saved, as the note dialog and the command line say it; empty when
/// it was saved or changed nothing.
std::string refusalText(const SetResult& result, Side side, const std::string& id, const std::string& databasePath);

/// The note dialog's notices: a refusal (refusalText), and a failure.
Message noteRefused(const std::string& refusal);
Message noteFailed(const Error& error);
/// A note asked for with no row selected.
Message noRowForNote();

/// Why the notes cannot be read: one holds a time that is no time.
std::string noTimeText(const std::string& value);

/// "2025-05-02 10:15:00 by ravi": when a note was set and by whom.
std::string changedText(const Note& note);

/// The columns of the notes listing: Side, ID, Date, Office Name, Amount, Status, Note, Changed.
const std::vector<std::string>& notesHeaders();
/// A listed note's cells; Date and Amount empty when its row is no longer held.
std::vector<std::string> noteCells(const ListedNote& listed);

}  // namespace vesk::notes
