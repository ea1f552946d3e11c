#pragma once

#include "history/HistoryWindow.h"
#include "office/OfficeScreen.h"
#include "widgets/ResultSetModel.h"
#include "widgets/TaskForm.h"

class QComboBox;
class QLabel;
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
    QComboBox* m_combo1;
    QLabel* m_label1;
    QLabel* m_label3;
    QTableView* m_grid;
    HistoryWindow* m_history = nullptr;
    std::vector<QPushButton*> m_buttons;
};

}  // namespace vesk::gui
