#pragma once

#include <QWidget>
#include <optional>
#include <string>

#include "review/StatementScreen.h"
#include "widgets/QtPrompter.h"
#include "widgets/ThreadPrompter.h"
#include "widgets/WorkThreads.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;

namespace vesk::gui {

/// A month's statement: the month chosen by year and month, the statement's lines and the
/// roll-forward of its open items, the items behind it, the line saying whether it is closed,
/// Close Month or Reopen Month (whichever applies), Export to Excel, Print… and Close. Its
/// work (computing, closing, reopening) runs on threads of its own, so the window that opened
/// it stays alive; the questions of a close are asked on the window's thread.
class StatementWindow : public QWidget {
    Q_OBJECT
  public:
    StatementWindow(const std::string& databasePath, QWidget* parent, Clock clock = localNow);
    ~StatementWindow() override;

    review::StatementScreen& logic() { return m_logic; }
    FormPrompter& prompter() { return m_prompter; }

    /// Shows the window on the month's statement; none: the latest month the data holds.
    void openMonth(std::optional<Period> month);
    /// The year or month chosen changed.
    void chooseMonth();
    void closeMonth();       ///< cmdCloseMonth
    void reopenMonth();      ///< cmdReopenMonth
    void exportStatement();  ///< cmdExportStatement
    /// cmdPrint: the system's print dialog with a preview of the statement on A4.
    void print();
    /// cmdSignOff: the dialog of the names that sign the printout.
    void signOff();

  signals:
    /// The latest job's outcome is shown (or its failure said).
    void statementShown();

  private:
    void run(review::StatementScreen::Job job);
    void showOutcome();
    void render();

    FormPrompter m_prompter;
    ThreadPrompter m_asking{m_prompter};  ///< the one the screen's work asks through
    review::StatementScreen m_logic;
    QStandardItemModel* m_lines;
    QStandardItemModel* m_rollForward;
    QStandardItemModel* m_items;
    QSortFilterProxyModel* m_sortedItems;
    QLabel* m_heading;
    QLabel* m_state;
    QComboBox* m_year;
    QComboBox* m_month;
    QTableView* m_linesGrid;
    QTableView* m_rollForwardGrid;
    QTableView* m_itemsGrid;
    QPushButton* m_closeMonth;
    QPushButton* m_reopenMonth;
    QPushButton* m_print;
    QPushButton* m_export;
    QPushButton* m_signOff;
    WorkThreads m_work{this};  // last: waited for before the rest goes
};

}  // namespace vesk::gui
