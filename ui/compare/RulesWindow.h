#pragma once

#include <QWidget>
#include <map>
#include <string>

#include "review/RulesScreen.h"
#include "widgets/QtPrompter.h"
#include "widgets/WindowPlace.h"
#include "widgets/WorkThreads.h"

class QCheckBox;
class QDialog;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QStandardItemModel;
class QTableView;

namespace vesk::gui {

/// The division's pairing rules: one control per rule with what it does, who set them, Try (a
/// dry run over every month held, on a thread of its own, which Cancel stops), the months it
/// would change and, on a month's double click, its rows; Apply sets the rules as shown.
class RulesWindow : public QWidget {
    Q_OBJECT
  public:
    /// raisedFrom: the prompter of the form that opens this window, whose replaced dialogs (a
    /// test's) this one's follow.
    RulesWindow(const std::string& databasePath, FormPrompter* raisedFrom, QWidget* parent);
    ~RulesWindow() override;

    review::RulesScreen& logic() { return m_logic; }
    FormPrompter& prompter() { return m_prompter; }
    /// The month's changed rows, once a month was opened.
    QDialog* rowsWindow() { return m_rowsWindow; }

    /// Shows the window, raised, on the rules in force.
    void open();
    void tryRules();                               ///< cmdTry
    void cancelTrial();                            ///< cmdCancelTrial
    void applyRules();                             ///< cmdApply
    void showMonthRows(const QModelIndex& index);  ///< a month of grdTrial double-clicked

    void setVisible(bool visible) override;

  signals:
    /// The latest trial is shown (or its failure said).
    void tried();

  private:
    void render();
    void renderTrial();

    FormPrompter m_prompter;  // before the logic that asks through it
    review::RulesScreen m_logic;
    WindowPlace m_place;
    std::map<compare::Rule, QSpinBox*> m_numbers;
    std::map<compare::Rule, QCheckBox*> m_yesNo;
    QLabel* m_setBy;
    QPushButton* m_try;
    QPushButton* m_cancel;
    QPushButton* m_apply;
    QProgressBar* m_progress;
    QLabel* m_summary;
    QStandardItemModel* m_months;
    QTableView* m_grid;
    QDialog* m_rowsWindow = nullptr;
    QStandardItemModel* m_rows = nullptr;
    QLabel* m_rowsHeading = nullptr;
    WorkThreads m_work{this};  // last: waited for before the rest goes
};

}  // namespace vesk::gui
