#pragma once

#include <vector>

#include "app/gui/ResultSetModel.h"
#include "app/gui/TaskForm.h"
#include "report/MonthlyReport.h"

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

    ReportForm(const QString& objectName, const QString& title, const report::ReportDescription& report,
               const std::string& databasePath, TaskForm& masterForm, const Layout& layout);

    report::MonthlyReport& logic() { return m_logic; }

    void Import_Click();
    void Command3_Click();  ///< Delete
    /// A grid row was clicked or became current: its month goes to the delete lists.
    void DataGrid1_RowSelected(const QModelIndex& index);

  protected:
    void Form_Load() override;
    void Form_Activate() override;
    /// Refused while an import or a deletion runs.
    bool Form_QueryUnload() override;
    void Form_Unload() override;

  private:
    /// Runs a handler with the buttons, lists and grid off, so that nothing else (a
    /// deletion, a second import, Back) runs inside an open transaction; they come back
    /// on every path.
    template <typename Handler>
    void runBusy(Handler handler);
    void showSummary();
    void fillLists();

    report::MonthlyReport m_logic;
    TaskForm& m_masterForm;
    ResultSetModel m_model;
    QTableView* m_grid;
    QComboBox* m_combo1;
    QComboBox* m_combo2;
    QLabel* m_label1;
    std::vector<QWidget*> m_controls;
    bool m_busy = false;
    bool m_rendering = false;
};

}  // namespace vesk::gui
