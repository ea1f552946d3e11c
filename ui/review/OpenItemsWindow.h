#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "compare/LinesModel.h"
#include "review/OpenItemsScreen.h"
#include "widgets/QtPrompter.h"
#include "widgets/WorkThreads.h"

class QDateEdit;
class QLabel;
class QSortFilterProxyModel;
class QTableView;

namespace vesk::gui {

class ExplainWindow;

/// What is still open: the headline per age bucket, the items in a sortable grid, the as-of
/// date, Export to Excel and Close. The listing runs on a thread of its own, so the menu
/// stays alive; double-clicking an item (or Enter on it) explains its office's month.
class OpenItemsWindow : public QWidget {
    Q_OBJECT
  public:
    OpenItemsWindow(const std::string& databasePath, QWidget* parent);
    ~OpenItemsWindow() override;

    review::OpenItemsScreen& logic() { return m_logic; }
    FormPrompter& prompter() { return m_prompter; }
    ExplainWindow* explainWindow() { return m_explain; }

    /// Shows the window and lists what is open as of today.
    void showItems();
    /// Lists again as of the day chosen.
    void listChosenDay();
    void exportItems();
    void explainItem(const QModelIndex& index);

  signals:
    /// The latest listing is shown (or its failure said).
    void listed();

  private:
    void list(long long asOf);
    /// Draws a job's outcome, and says so once the latest one is in.
    void showOutcome();
    void render();
    /// The pane shows the current row in full.

    FormPrompter m_prompter;
    std::string m_databasePath;
    review::OpenItemsScreen m_logic;
    LinesModel m_model;
    QSortFilterProxyModel* m_sorted;
    QLabel* m_heading;
    QLabel* m_headline;
    QDateEdit* m_asOf;
    QTableView* m_grid;
    std::function<void()> m_showDetail;  ///< the detail pane, showing the current row again
    ExplainWindow* m_explain = nullptr;
    WorkThreads m_work{this};  // last: waited for before the rest goes
};

}  // namespace vesk::gui
