#pragma once

#include <QDialog>
#include <vector>

#include "review/StatementScreen.h"

class QLineEdit;

namespace vesk::gui {

/// The names that sign a printed statement: for each role a name and a designation, OK and
/// Cancel. OK closes the dialog only once they are saved.
class SignOffDialog : public QDialog {
    Q_OBJECT
  public:
    SignOffDialog(review::StatementScreen& logic, const std::vector<compare::SignOff>& current, QWidget* parent);

    /// OK: saves the names and designations as they stand.
    void save();

  private:
    review::StatementScreen& m_logic;
    std::vector<compare::SignOff> m_signOffs;
    std::vector<QLineEdit*> m_names;
    std::vector<QLineEdit*> m_designations;
};

}  // namespace vesk::gui
