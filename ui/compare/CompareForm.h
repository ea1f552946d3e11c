#pragma once

#include <QTimer>

#include "compare/CompareScreen.h"
#include "compare/ExportScreen.h"
#include "compare/GridModel.h"
#include "widgets/GridSortModel.h"
#include "widgets/TaskForm.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;

namespace vesk::gui {

class ExplainWindow;
class LeftOutWindow;
class RulesWindow;

/// "Compare VESK Finacle Data with ORV Data": the month's comparison, its office filter and the detailed view.
class CompareForm : public TaskForm {
    Q_OBJECT
  public:
    /// clock: the date the default period is counted back from (the computer's by default).
    explicit CompareForm(const std::string& databasePath, Clock clock = localNow);

    compare::CompareScreen& logic() { return m_logic; }
    compare::ExportScreen& exporter() { return m_exporter; }
    /// The one-shot timers' wait (100 ms); tests on a slow machine lengthen it.
    void setTimerInterval(int ms) { m_timerInterval = ms; }

    /// Shows the form on a month compared, with the office picked in the office list (see
    /// CompareScreen::openMonth).
    void openMonth(int year, int month, const std::string& office);

    // The form's actions, each connected to its control in connectControls.
    void compare();                ///< cmdRun
    void chooseOffice(int index);  ///< a pick in Combo3
    void filterOffices();          ///< Text1 changed
    void reset();                  ///< Command5
    void goBack();                 ///< Command4
    void hideStatus();             ///< Timer1, the end of a blink
    void closeAfterBlink();        ///< Timer3, after Back during a blink
    void exportConsolidated();     ///< Command1, Export to Excel under the consolidated grid
    void exportDetailed();         ///< Command6, Export to Excel under the detailed grid
    void showLeftOut();            ///< cmdLeftOut: opens the left-out window
    void exportLeftOut();          ///< Export to Excel in the left-out window
    void printConsolidated();      ///< cmdPrint, over the consolidated grid
    void printDetailed();          ///< cmdPrintDetail, beside the detailed grid's export
    /// Ctrl+P: the grid in focus, else the consolidated one.
    void printShown();
    void printLeftOut();         ///< Print… in the left-out window
    void explainChosenOffice();  ///< cmdExplain: the explanation of the chosen office's month
    void writeOfficeLists();     ///< cmdOfficeLists: a list for each office chosen, to send to it
    /// A row of a grid double-clicked, or Enter on it: the explanation of its office (and date).
    void explainConsolidatedRow(const QModelIndex& index);
    void explainDetailedRow(const QModelIndex& index);
    ExplainWindow* explainWindow() { return m_explainWindow; }
    void openStatement();     ///< cmdStatement: the statement of the month chosen
    void openPairingRules();  ///< cmdPairingRules: the division's pairing rules, tried and set
    RulesWindow* rulesWindow() { return m_rulesWindow; }

  signals:
    /// The Statement window is asked for, on the month chosen.
    void statementRequested(int year, int month);

  protected:
    void load() override;
    bool mayUnload() override;
    void unloaded() override;

  private:
    void connectControls();
    /// What the screen draws and waits for through the form while a handler runs.
    void connectScreen();
    void render();
    void renderLabels();
    void renderFilter();
    /// The year and month lists' marks and the line of what the month lacks.
    void renderPeriod();

    compare::CompareScreen m_logic;
    compare::ExportScreen m_exporter;
    GridModel m_compareModel;
    GridModel m_detailModel;
    /// What the grids show: the rows as a heading's click sorts them, the total row last.
    GridSortModel m_compareSorted;
    GridSortModel m_detailSorted;
    QComboBox* m_combo1;
    QComboBox* m_combo2;
    QComboBox* m_combo3;
    QPushButton* m_run;
    QPushButton* m_reset;
    QPushButton* m_export;
    QPushButton* m_detailExport;
    QPushButton* m_print;
    QPushButton* m_detailPrint;
    QFrame* m_frame1;
    QLabel* m_label9;
    QLabel* m_label7;
    QLabel* m_label10;
    QLabel* m_label11;
    QLabel* m_lblLeftOut;
    QLabel* m_lblMonthParts;
    QPushButton* m_cmdLeftOut;
    LeftOutWindow* m_leftOutWindow;
    QPushButton* m_cmdExplain;
    QPushButton* m_cmdOfficeLists;
    QPushButton* m_cmdStatement;
    QPushButton* m_cmdPairingRules;
    RulesWindow* m_rulesWindow;
    ExplainWindow* m_explainWindow;
    QLineEdit* m_text1;
    QTableView* m_grdCompare;
    QTableView* m_flexGrid1;
    QLabel* m_label6;
    QProgressBar* m_progressBar1;
    QPushButton* m_back;
    QTimer m_timer1{this};  // children, found by their names
    QTimer m_timer3{this};
    int m_timerInterval = 100;
};

}  // namespace vesk::gui
