#include "notes/NoteScreen.h"

#include "core/Error.h"
#include "history/ImportHistory.h"
#include "notes/NoteFlows.h"
#include "notes/NoteWording.h"

namespace vesk::notes {

NoteScreen::NoteScreen(std::string databasePath, Prompter& prompter, RowRef row, const std::optional<Note>& current,
                       std::string details)
    : m_path(std::move(databasePath)),
      m_prompter(prompter),
      m_row(std::move(row)),
      m_details(std::move(details)),
      m_who(loginName()),
      m_clock(localNow) {
    if (current) {
        m_status = current->status;
        m_text = current->text;
    }
}

std::string NoteScreen::heading() const { return noteHeading(m_row.side, m_row.id); }

std::optional<Note> NoteScreen::save(Status status, const std::string& text) {
    try {
        m_pairedSaved.clear();
        store::Connection db;
        db.open(m_path);
        const DateTime now = m_clock();
        const SetResult result = setNote(db, m_row, {status, text}, m_who, now);
        const std::string refusal = refusalText(result, m_row.side, m_row.id, m_path);
        if (!refusal.empty()) {
            m_prompter.message(noteRefused(refusal));
            return std::nullopt;
        }
        if (result.note) m_pairedSaved = noteRowsPairedWith(db, m_prompter, *result.note, {status, text}, m_who, now);
        return result.note;
    } catch (const std::exception& caught) {
        m_prompter.message(noteFailed(asError(caught)));
        return std::nullopt;
    }
}

}  // namespace vesk::notes
