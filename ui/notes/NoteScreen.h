#pragma once

#include <functional>
#include <optional>
#include <string>

#include "core/Prompter.h"
#include "notes/Notes.h"

namespace vesk::notes {

/// What the note dialog shows and does: the row it is on, the note's status and text, and OK.
class NoteScreen {
  public:
    NoteScreen(std::string databasePath, Prompter& prompter, RowRef row, const std::optional<Note>& current);

    /// Who sets the note and when; the login name and the local clock unless a test says.
    void setWho(std::string who) { m_who = std::move(who); }
    void setClock(std::function<DateTime()> clock) { m_clock = std::move(clock); }

    /// "Note on bank row T12".
    std::string heading() const;
    /// What the dialog starts with: the note's, or Open and no text.
    Status status() const { return m_status; }
    const std::string& text() const { return m_text; }

    /// OK: saves the note. The note as it stands then, or none (and why said) when it was not
    /// saved and the dialog stays open.
    std::optional<Note> save(Status status, const std::string& text);

  private:
    std::string m_path;
    Prompter& m_prompter;
    RowRef m_row;
    Status m_status = Status::Open;
    std::string m_text;
    std::string m_who;
    std::function<DateTime()> m_clock;
};

}  // namespace vesk::notes
