#pragma once

#include "history/HistoryWindow.h"
#include "office/OfficeScreen.h"
#include "widgets/ResultSetModel.h"
#include "widgets/RowFilterModel.h"
#include "widgets/TaskForm.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QModelIndex;
class QPushButton;
class QTableView;

namespace vesk::gui {

/// "Office - Master Data": the office master grid, the configured office and the import.
class ConfigureForm : public TaskForm {
    Q_OBJECT
  public:
    explicit ConfigureForm(const std::string& databasePath);

    office::OfficeScreen& logic() { return m_logic; }

    void Command5_Click();  ///< Save/Update
    void Command3_Click();  ///< Delete All Offices
    void Command4_Click();  ///< Import Office Master Data
    /// A grid row was clicked or picked with Enter: its office goes to the list.
    void DataGrid1_RowPicked(const QModelIndex& index);
    void cmdHistory_Click();

  protected:
    void Form_Load() override;
    void Form_Unload() override;

  private:
    /// Runs a handler with the form's buttons and list off, so nothing runs inside it, then shows the result.
    template <typename Handler>
    void runBusy(Handler handler);
    void render();

    office::OfficeScreen m_logic;
    ResultSetModel m_model;
    RowFilterModel m_filtered;
    QComboBox* m_combo1;
    QLabel* m_label1;
    QLabel* m_label3;
    QTableView* m_grid;
    QLineEdit* m_filter;
    FormHistory m_history{*this, [this] { return m_logic.cmdHistory_Click(); }, m_logic.history()};
    std::vector<QPushButton*> m_buttons;
};

}  // namespace vesk::gui
