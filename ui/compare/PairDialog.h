#pragma once

#include <QDialog>

#include "compare/ExplainScreen.h"

class QCheckBox;
class QLineEdit;

namespace vesk::gui {

/// Pairs rows by hand: both sides' sums and their difference, a text, "Accept the
/// difference", OK and Cancel. OK closes the dialog only once the pair is made.
class PairDialog : public QDialog {
    Q_OBJECT
  public:
    PairDialog(compare::ExplainScreen& logic, compare::PairDraft draft, QWidget* parent);

    /// OK: pairs with the text and the box as they stand.
    void pair();
    bool made() const { return m_made; }

  private:
    compare::ExplainScreen& m_logic;
    compare::PairDraft m_draft;
    QLineEdit* m_text;
    QCheckBox* m_accept;
    bool m_made = false;
};

}  // namespace vesk::gui
