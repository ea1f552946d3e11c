#pragma once

#include <QWidget>
#include <array>
#include <memory>

#include "widgets/FormLayout.h"
#include "widgets/QtPrompter.h"
#include "widgets/WindowPlace.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace vesk::backup {
class DatabaseScreen;
}

namespace vesk::gui {

class SettingsStore;
class TaskForm;

/// The menu: four task buttons, Open Items, Trend and Exit; beside them the database file's
/// own buttons (check, back up, restore) and the daily backups' switch.
class MainForm : public QWidget {
    Q_OBJECT
  public:
    enum Task { Office = 0, BankReport, OrvReport, Compare };

    MainForm();
    ~MainForm() override;

    void setTaskForm(Task task, TaskForm* form);
    /// The status line at the bottom: the version and the open database file; the
    /// database buttons work on that file.
    void showDatabase(const QString& path);

    // The menu's own actions; the task buttons open their forms.
    void exitProgram();                ///< Command5, Exit
    void checkDatabase();              ///< cmdCheck
    void backUpDatabase();             ///< cmdBackup
    void restoreDatabase();            ///< cmdRestore
    void changePassphrase();           ///< cmdPassphrase
    void switchDailyBackups(bool on);  ///< chkDailyBackups

    /// Replaces the message boxes and file dialogs (tests script them).
    void setDialogs(Prompter* dialogs) { m_prompter.setDialogs(dialogs); }
    /// Where the backup dialogs remember their last folder.
    void setSettings(SettingsStore* settings) { m_prompter.setSettings(settings); }

    void setVisible(bool visible) override;
    /// Lets the menu be smaller than its design on a small screen; it scrolls then.
    FormLayout& formLayout() { return *m_layout; }

  signals:
    /// Exit was pressed: the program ends at once.
    void exitRequested();
    /// A restore put other contents in the database file: connections held open read anew.
    void databaseReplaced();
    /// Trend was pressed: the trend window opens beside the menu.
    void trendRequested();
    /// "Open Items" was pressed: the window of what is still open, beside the menu.
    void openItemsRequested();
    /// "Statement" was pressed: the statement of the latest month held, beside the menu.
    void statementRequested();

  private:
    class StatusPrompter : public FormPrompter {
      public:
        StatusPrompter(MainForm& menu);
        /// Into the status line; with nothing to say it shows the version and file again.
        void progress(const std::string& text) override;

      private:
        MainForm& m_menu;
        bool m_waiting = false;
    };

    void openTask(Task task);
    /// Runs a database button's handler with every button off and the wait cursor; a failure
    /// that escapes it is shown under the handler's title.
    template <typename Handler>
    void runBusy(const char* title, Handler handler);

    std::array<TaskForm*, 4> m_tasks{};
    QLabel* m_status = nullptr;
    QString m_databasePath;
    QCheckBox* m_daily = nullptr;
    StatusPrompter m_prompter;
    std::unique_ptr<backup::DatabaseScreen> m_database;
    FormLayout* m_layout;  ///< a child of the menu
    WindowPlace m_place;
};

}  // namespace vesk::gui
