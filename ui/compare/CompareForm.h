#pragma once

#include <QTimer>

#include "compare/CompareScreen.h"
#include "compare/ExportScreen.h"
#include "compare/GridModel.h"
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

    void cmdRun_Click();
    void Combo3_Click(int index);
    void Text1_Change();
    void Command5_Click();
    void Command4_Click();
    void Timer1_Timer();
    void Timer3_Timer();
    void Command1_Click();          ///< Export to Excel, consolidated
    void Command6_Click();          ///< Export to Excel, detailed
    void cmdLeftOut_Click();        ///< opens the left-out window
    void cmdExportLeftOut_Click();  ///< Export to Excel in the left-out window
    void cmdExplain_Click();        ///< opens the explanation of the chosen office's month
    /// A row of a grid double-clicked, or Enter on it: the explanation of its office (and date).
    void grdCompare_DblClick(const QModelIndex& index);
    void MSFlexGrid1_DblClick(const QModelIndex& index);
    ExplainWindow* explainWindow() { return m_explainWindow; }

  protected:
    void Form_Load() override;
    bool Form_QueryUnload() override;
    void Form_Unload() override;

  private:
    void render();
    void renderLabels();
    void renderText1();

    compare::CompareScreen m_logic;
    compare::ExportScreen m_exporter;
    GridModel m_compareModel;
    GridModel m_detailModel;
    QComboBox* m_combo1;
    QComboBox* m_combo2;
    QComboBox* m_combo3;
    QPushButton* m_run;
    QPushButton* m_reset;
    QPushButton* m_export;
    QPushButton* m_detailExport;
    QFrame* m_frame1;
    QLabel* m_label9;
    QLabel* m_label7;
    QLabel* m_label10;
    QLabel* m_label11;
    QLabel* m_lblLeftOut;
    QPushButton* m_cmdLeftOut;
    LeftOutWindow* m_leftOutWindow;
    QPushButton* m_cmdExplain;
    ExplainWindow* m_explainWindow;
    QLineEdit* m_text1;
    QTableView* m_grdCompare;
    QTableView* m_flexGrid1;
    QLabel* m_label6;
    QProgressBar* m_progressBar1;
    QTimer m_timer1;
    QTimer m_timer3;
    int m_timerInterval = 100;
};

}  // namespace vesk::gui
