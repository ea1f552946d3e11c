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

    // The form's actions, each connected to its control in connectControls.
    void saveConfiguredOffice();  ///< Command5, Save/Update
    void deleteAllOffices();      ///< Command3, Delete All Offices
    void importMaster();          ///< Command4, Import Office Master Data
    /// A grid row was clicked or picked with Enter: its office goes to the list.
    void pickRow(const QModelIndex& index);
    void showHistory();  ///< cmdHistory

  protected:
    void load() override;
    void unloaded() override;

  private:
    void connectControls();
    /// Runs a handler with the form's buttons and list off, so nothing runs inside it, then shows the result.
    template <typename Handler>
    void runBusy(Handler handler);
    void render();

    office::OfficeScreen m_logic;
    ResultSetModel m_model;
    RowFilterModel m_filtered;
    QComboBox* m_combo1;
    QPushButton* m_save;
    QPushButton* m_import;
    QPushButton* m_remove;
    QPushButton* m_historyButton;
    QLabel* m_label1;
    QLabel* m_label3;
    QTableView* m_grid;
    QLineEdit* m_filter;
    FormHistory m_history{*this, [this] { return m_logic.readHistory(); }, m_logic.history()};
};

}  // namespace vesk::gui
