#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/Prompter.h"
#include "notes/Notes.h"

namespace vesk::notes {

/// What the note dialog shows and does: the row it is on, the note's status and text, and OK.
class NoteScreen {
  public:
    /// `details`: the row's office, side, date, amount and class, as the caller words them.
    NoteScreen(std::string databasePath, Prompter& prompter, RowRef row, const std::optional<Note>& current,
               std::string details = {});

    /// Who sets the note and when; the login name and the local clock unless a test says.
    void setWho(std::string who) { m_who = std::move(who); }
    void setClock(std::function<DateTime()> clock) { m_clock = std::move(clock); }

    /// "Note on bank row T12".
    std::string heading() const;
    /// What the row is, under the heading; may be empty.
    const std::string& details() const { return m_details; }
    /// What the dialog starts with: the note's, or Open and no text.
    Status status() const { return m_status; }
    const std::string& text() const { return m_text; }

    /// OK: saves the note, and on the rows the rules paired the row with once the person agrees.
    /// The note as it stands then, or none (and why said) when it was not saved and the dialog
    /// stays open.
    std::optional<Note> save(Status status, const std::string& text);
    /// The notes the last save put on the rows paired with the row.
    const std::vector<Note>& pairedSaved() const { return m_pairedSaved; }

  private:
    std::string m_path;
    Prompter& m_prompter;
    RowRef m_row;
    std::string m_details;
    Status m_status = Status::Open;
    std::string m_text;
    std::string m_who;
    std::function<DateTime()> m_clock;
    std::vector<Note> m_pairedSaved;
};

}  // namespace vesk::notes
