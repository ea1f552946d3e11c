#include "notes/NoteFlows.h"

#include "compare/Explanation.h"
#include "core/Error.h"
#include "notes/NoteWording.h"

namespace vesk::notes {

std::vector<Note> noteRowsPairedWith(store::Connection& db, Prompter& prompter, const Note& note, const NoteEdit& edit,
                                     const std::string& who, const DateTime& when) {
    std::vector<Note> out;
    if (!note.day) return out;
    std::vector<RowRef> others, differing;
    for (const compare::ExplainedLine& line : compare::pairedWith(db, {note.side, note.id, *note.day})) {
        others.push_back(line.ref());
        const Status status = line.note ? line.note->status : Status::Open;
        const std::string text = line.note ? line.note->text : "";
        if (!line.note || edit.status.value_or(status) != status || (edit.text && noteText(*edit.text) != text))
            differing.push_back(line.ref());
    }
    if (differing.empty()) return out;
    if (prompter.message(notePairedRows(note.side, note.id, others)) != Answer::Yes) return out;
    for (const RowRef& row : differing) {
        const SetResult result = setNote(db, row, edit, who, when);
        const std::string refusal = refusalText(result, row.side, row.id, db.path());
        if (!refusal.empty()) throw Error(errc::kUsage, refusal);
        if (result.note) out.push_back(*result.note);
    }
    return out;
}

}  // namespace vesk::notes
