#pragma once

#include <vector>

#include "history/HistoryWindow.h"
#include "report/ReportScreen.h"
#include "widgets/GridSortModel.h"
#include "widgets/ResultSetModel.h"
#include "widgets/TaskForm.h"

class QComboBox;
class QLabel;
class QModelIndex;
class QPushButton;
class QTableView;
class QWidget;

namespace vesk::gui {

/// A monthly report form: the import button and its progress label, the summary grid,
/// the delete area and Back. The bank CTR and ORV forms add their own texts.
class ReportForm : public TaskForm {
    Q_OBJECT
  public:
    /// Where a form puts its own controls; twips.
    struct Layout {
        QString importName;  ///< ImportFinacle, ImportData
        QString importText;
        QRect importButton;
        QRect progressLabel;
        int gridTop;
    };

    ReportForm(const QString& objectName, const QString& title, report::Report report, const std::string& databasePath,
               TaskForm& masterForm, const Layout& layout);

    report::ReportScreen& logic() { return m_logic; }

    // The form's actions, each connected to its control in connectControls.
    void importWorkbook();  ///< ImportFinacle, ImportData
    void deleteMonth();     ///< Command3, Delete
    /// A grid row was clicked or became current: its month goes to the delete lists.
    void pickRow(const QModelIndex& index);
    void showHistory();  ///< cmdHistory

  protected:
    void load() override;
    void shown() override;
    void unloaded() override;

  private:
    void connectControls();
    void showSummary();
    void fillLists();
    void fillYears();

    report::ReportScreen m_logic;
    TaskForm& m_masterForm;
    ResultSetModel m_model;
    GridSortModel m_sorted;
    QTableView* m_grid;
    QComboBox* m_combo1;
    QComboBox* m_combo2;
    QLabel* m_label1;
    QPushButton* m_import;
    QPushButton* m_remove;
    QPushButton* m_historyButton;
    FormHistory m_history{*this, [this] { return m_logic.readHistory(); }, m_logic.history()};
    std::vector<QWidget*> m_controls;
    bool m_rendering = false;
};

}  // namespace vesk::gui
