#pragma once

#include <QDialog>
#include <optional>

#include "notes/NoteScreen.h"

class QComboBox;
class QLineEdit;

namespace vesk::gui {

/// The note on one row (what the row is under the heading): its status, its text, OK and Cancel. Enter is OK, Escape
/// Cancel.
class NoteDialog : public QDialog {
    Q_OBJECT
  public:
    NoteDialog(const std::string& databasePath, Prompter& prompter, const notes::RowRef& row,
               const std::optional<notes::Note>& current, const std::string& details, QWidget* parent);

    notes::NoteScreen& logic() { return m_logic; }
    /// The note as saved, once OK closed the dialog.
    const std::optional<notes::Note>& saved() const { return m_saved; }

    void save();

  private:
    notes::NoteScreen m_logic;
    QComboBox* m_status;
    QLineEdit* m_text;
    std::optional<notes::Note> m_saved;
};

}  // namespace vesk::gui
