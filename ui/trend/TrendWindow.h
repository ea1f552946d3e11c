#pragma once

#include <QWidget>

#include "trend/TrendMapModel.h"
#include "trend/TrendScreen.h"
#include "widgets/GridSortModel.h"
#include "widgets/QtPrompter.h"
#include "widgets/WindowPlace.h"
#include "widgets/WorkThreads.h"

class QComboBox;
class QLabel;
class QModelIndex;
class QPushButton;
class QTableView;

namespace vesk::gui {

class TrendChart;

/// "Trend of the Differences": a window of its own beside the menu. The chart of the months
/// on top, the map of offices by month below, a From/To choice, Export to Excel and Close.
/// Its loads run on another thread, so that neither it nor the menu stops answering.
class TrendWindow : public QWidget {
    Q_OBJECT
  public:
    explicit TrendWindow(const std::string& databasePath, QWidget* parent = nullptr);
    ~TrendWindow() override;

    trend::TrendScreen& logic() { return m_logic; }
    /// Replaces the message boxes (tests script them).
    void setDialogs(Prompter* dialogs) { m_prompter.setDialogs(dialogs); }
    /// Shows the window with every month the data holds; one already open comes to the front.
    void open();
    bool isLoading() const { return m_logic.view().loading; }

    void chooseFrom(int index);
    void chooseTo(int index);
    void exportTrend();
    /// cmdPrint, Ctrl+P: the chart on a page of its own, then the office map, through the print
    /// preview.
    void printChart();
    void openCellComparison(const QModelIndex& index);

  signals:
    /// A cell of the map was double-clicked: that month compared, that office chosen.
    void comparisonRequested(int year, int month, const QString& office);
    /// The latest load is shown (or its failure said).
    void loaded();

  protected:
    void setVisible(bool visible) override;

  private:
    void run(trend::TrendScreen::Job job);
    /// Draws a load's outcome, and says so once the latest one is in.
    void showOutcome();
    void render();
    void renderChart();

    FormPrompter m_prompter;
    trend::TrendScreen m_logic;
    TrendMapModel m_mapModel;
    GridSortModel m_mapSorted;
    QLabel* m_status;
    QComboBox* m_from;
    QComboBox* m_to;
    TrendChart* m_chart;
    QTableView* m_map;
    QPushButton* m_export;
    WindowPlace m_place;
    WorkThreads m_work{this};  // last: waited for before the rest goes
};

}  // namespace vesk::gui
