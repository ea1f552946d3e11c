#include "notes/NoteScreen.h"

#include "core/Error.h"
#include "history/ImportHistory.h"
#include "notes/NoteWording.h"

namespace vesk::notes {

NoteScreen::NoteScreen(std::string databasePath, Prompter& prompter, Side side, std::string id,
                       const std::optional<Note>& current)
    : m_path(std::move(databasePath)),
      m_prompter(prompter),
      m_side(side),
      m_id(std::move(id)),
      m_who(loginName()),
      m_clock(localNow) {
    if (current) {
        m_status = current->status;
        m_text = current->text;
    }
}

std::string NoteScreen::heading() const { return noteHeading(m_side, m_id); }

std::optional<Note> NoteScreen::save(Status status, const std::string& text) {
    try {
        store::Connection db;
        db.open(m_path);
        const SetResult result = setNote(db, m_side, m_id, {status, text}, m_who, m_clock());
        const std::string refusal = refusalText(result, m_side, m_id, m_path);
        if (!refusal.empty()) {
            m_prompter.message(noteRefused(refusal));
            return std::nullopt;
        }
        return result.note;
    } catch (const std::exception& caught) {
        m_prompter.message(noteFailed(asError(caught)));
        return std::nullopt;
    }
}

}  // namespace vesk::notes
