#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "compare/ExplainScreen.h"
#include "compare/LinesModel.h"
#include "widgets/QtPrompter.h"
#include "widgets/WorkThreads.h"

class QCheckBox;
class QLabel;
class QSortFilterProxyModel;
class QTableView;
class QThread;

namespace vesk::gui {

/// Why the month's rows differ: the headline, the paired rows in a sortable grid, "Show
/// matched rows", a note on the chosen row, pairing by hand, Export to Excel and Close. The pairing runs on a thread of
/// its own, so the comparison form stays alive while a large month is explained.
class ExplainWindow : public QWidget {
    Q_OBJECT
  public:
    /// raisedFrom: the prompter of the window that opens this one, whose replaced dialogs
    /// (a test's) this one's follow; none: a window of its own.
    ExplainWindow(const std::string& databasePath, FormPrompter* raisedFrom, QWidget* parent);
    ~ExplainWindow() override;

    compare::ExplainScreen& logic() { return m_logic; }
    FormPrompter& prompter() { return m_prompter; }

    /// Shows the window and starts explaining what is asked.
    void explain(const compare::ExplainRequest& request);

    void showMatchedRows(bool checked);
    void exportRows();
    /// Opens the note dialog on the chosen row.
    void writeNote();
    /// "Pair Selected…": the pair dialog on the rows chosen.
    void pairSelected();
    /// "Pair as Hinted": the pair dialog on the chosen row and its hint's counterpart.
    void pairAsHinted();
    /// "Unpair": undoes the chosen row's hand pair.
    void unpair();

  signals:
    /// The latest request is explained (or its failure said).
    void explained();
    /// A note was saved from this window.
    void noteSaved();

  private:
    /// Draws a job's outcome, and says so once the latest one is in.
    void showOutcome();
    void render();
    /// The pane shows the current row in full.
    /// The chosen row (the current one) as a row of the screen's.
    std::optional<std::size_t> chosenRow() const;
    /// Draws the rows explained again after a pair or unpair, the selection where it stood.
    void renderKeepingPlace(std::optional<notes::RowRef> row, std::size_t former);
    void openPairDialog(compare::PairDraft draft);

    FormPrompter m_prompter;  // before the logic that asks through it
    compare::ExplainScreen m_logic;
    LinesModel m_model;
    QSortFilterProxyModel* m_sorted;
    QLabel* m_heading;
    QLabel* m_headline;
    QTableView* m_grid;
    std::function<void()> m_showDetail;  ///< the detail pane, showing the current row again
    QCheckBox* m_matched;
    std::string m_databasePath;
    WorkThreads m_work{this};  // last: waited for before the rest goes
};

}  // namespace vesk::gui
