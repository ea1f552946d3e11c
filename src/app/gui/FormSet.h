#pragma once

#include <QObject>
#include <memory>
#include <optional>
#include <string>

#include "core/DateTime.h"

namespace vesk::gui {

class CompareForm;
class MainForm;
class OpenItemsWindow;
class StatementWindow;
class SettingsStore;
class TaskForm;
class TrendWindow;

/// The program's five forms and the trend window, created once and kept for its whole run.
class FormSet : public QObject {
    Q_OBJECT
  public:
    /// settings: where the file dialogs keep their last folders; none: they do not.
    explicit FormSet(std::string databasePath, SettingsStore* settings = nullptr);
    ~FormSet() override;

    MainForm& mainForm() { return *m_main; }
    TaskForm& configureForm() { return *m_configure; }
    TaskForm& finacleForm() { return *m_finacle; }
    TaskForm& orvForm() { return *m_orv; }
    TaskForm& compareForm();
    TrendWindow& trendWindow() { return *m_trend; }
    /// The Open Items window, once the menu has opened it.
    OpenItemsWindow* openItemsWindow() { return m_openItems; }
    /// The Statement window, once the menu or the comparison form has opened it.
    StatementWindow* statementWindow() { return m_statement.get(); }

    const std::string& databasePath() const { return m_databasePath; }

    /// Shows the menu: the program's start.
    void start();

  signals:
    void exitRequested();

  private:
    /// The Statement window on the month; none: the latest month held.
    void openStatement(std::optional<Period> month);

    std::string m_databasePath;
    std::unique_ptr<MainForm> m_main;
    std::unique_ptr<TaskForm> m_configure;
    std::unique_ptr<TaskForm> m_finacle;
    std::unique_ptr<TaskForm> m_orv;
    std::unique_ptr<CompareForm> m_compare;
    std::unique_ptr<TrendWindow> m_trend;
    OpenItemsWindow* m_openItems = nullptr;  ///< a window of the menu's
    /// The menu's and the comparison form's: a window of its own, either may be hidden.
    std::unique_ptr<StatementWindow> m_statement;
};

}  // namespace vesk::gui
