#pragma once

#include <string>
#include <vector>

#include "core/Prompter.h"
#include "notes/Notes.h"
#include "store/Connection.h"

namespace vesk::notes {

/// The change just made to the note on a row, made to the rows the rules paired the row with
/// as well once the person agrees: a pair's rows are one difference and are noted as one.
/// Asked only when the change would change one of them. The notes so set; none when the person
/// declines, or the row is paired with nothing. Throws Error when one of them is refused.
std::vector<Note> noteRowsPairedWith(store::Connection& db, Prompter& prompter, const Note& note, const NoteEdit& edit,
                                     const std::string& who, const DateTime& when);

}  // namespace vesk::notes
