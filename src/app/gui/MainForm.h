#pragma once

#include <QWidget>
#include <array>

#include "widgets/FormLayout.h"
#include "widgets/WindowPlace.h"

class QLabel;

namespace vesk::gui {

class TaskForm;

/// The menu: four task buttons, Trend and Exit.
class MainForm : public QWidget {
    Q_OBJECT
  public:
    enum Task { Office = 0, BankReport, OrvReport, Compare };

    MainForm();

    void setTaskForm(Task task, TaskForm* form);
    /// The status line at the bottom: the version and the open database file.
    void showDatabase(const QString& path);

    void Command1_Click() { openTask(Office); }
    void Command2_Click() { openTask(BankReport); }
    void Command3_Click() { openTask(OrvReport); }
    void Command4_Click() { openTask(Compare); }
    void Command5_Click();
    void cmdTrend_Click() { emit trendRequested(); }
    /// "Open Items": the window of what is still open, beside the menu.
    void cmdOpenItems_Click() { emit openItemsRequested(); }

    void setVisible(bool visible) override;
    /// Lets the menu be smaller than its design on a small screen; it scrolls then.
    FormLayout& formLayout() { return *m_layout; }

  signals:
    /// Exit was pressed: the program ends at once.
    void exitRequested();
    /// Trend was pressed: the trend window opens beside the menu.
    void trendRequested();
    void openItemsRequested();

  private:
    void openTask(Task task);

    std::array<TaskForm*, 4> m_tasks{};
    QLabel* m_status = nullptr;
    FormLayout* m_layout;  ///< a child of the menu
    WindowPlace m_place;
};

}  // namespace vesk::gui
