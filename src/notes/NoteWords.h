#pragma once

#include <string>
#include <vector>

#include "notes/Notes.h"

namespace vesk::notes {

/// "bank row T12", "ORV entry A7": what a note is on, in words.
std::string rowWords(Side side, const std::string& id);

/// Why a change was not saved, as the note dialog and the command line say it; empty when
/// it was saved or changed nothing.
std::string refusalText(const SetResult& result, Side side, const std::string& id, const std::string& databasePath);

/// "2025-05-02 10:15:00 by ravi": when a note was set and by whom.
std::string changedText(const Note& note);

/// The columns of the notes listing: Side, ID, Date, Office Name, Amount, Status, Note, Changed.
const std::vector<std::string>& notesHeaders();
/// A listed note's cells; Date and Amount empty when its row is no longer held.
std::vector<std::string> noteCells(const ListedNote& listed);

}  // namespace vesk::notes
