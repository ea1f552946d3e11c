#include "app/gui/FormSet.h"

#include <array>

#include "app/gui/MainForm.h"
#include "compare/CompareForm.h"
#include "ctr/FinacleForm.h"
#include "office/ConfigureForm.h"
#include "orv/OrvForm.h"
#include "review/OpenItemsWindow.h"
#include "review/StatementWindow.h"
#include "trend/TrendWindow.h"
#include "widgets/TaskForm.h"

namespace vesk::gui {

FormSet::FormSet(std::string databasePath, SettingsStore* settings)
    : m_databasePath(std::move(databasePath)),
      m_main(std::make_unique<MainForm>()),
      m_configure(std::make_unique<ConfigureForm>(m_databasePath)),
      m_finacle(std::make_unique<FinacleForm>(m_databasePath, *m_configure)),
      m_orv(std::make_unique<OrvForm>(m_databasePath, *m_configure)),
      m_compare(std::make_unique<CompareForm>(m_databasePath)),
      m_trend(std::make_unique<TrendWindow>(m_databasePath)) {
    m_main->setTaskForm(MainForm::Office, m_configure.get());
    m_main->setTaskForm(MainForm::BankReport, m_finacle.get());
    m_main->setTaskForm(MainForm::OrvReport, m_orv.get());
    m_main->setTaskForm(MainForm::Compare, m_compare.get());
    const std::array<TaskForm*, 4> tasks{m_configure.get(), m_finacle.get(), m_orv.get(), m_compare.get()};
    for (TaskForm* form : tasks) form->setSettings(settings);
    connect(m_main.get(), &MainForm::exitRequested, this, &FormSet::exitRequested);
    connect(m_main.get(), &MainForm::trendRequested, m_trend.get(), &TrendWindow::open);
    // A cell of the map opens its month on the comparison form, in the menu's place.
    connect(m_trend.get(), &TrendWindow::comparisonRequested, this, [this](int year, int month, const QString& office) {
        m_main->hide();
        m_compare->openMonth(year, month, office.toStdString());
    });
    connect(m_main.get(), &MainForm::openItemsRequested, this, [this] {
        if (!m_openItems) m_openItems = new OpenItemsWindow(m_databasePath, m_main.get());
        m_openItems->showItems();
    });
    connect(m_main.get(), &MainForm::statementRequested, this, [this] { openStatement(std::nullopt); });
    connect(m_compare.get(), &CompareForm::statementRequested, this, [this](int year, int month) {
        openStatement(Period{year, month});
    });
    connect(m_main.get(), &MainForm::databaseReplaced, this, [tasks] {
        for (TaskForm* form : tasks) form->closeDatabase();
    });
    m_main->setSettings(settings);
    m_main->showDatabase(QString::fromStdString(m_databasePath));
}

FormSet::~FormSet() = default;

void FormSet::openStatement(std::optional<Period> month) {
    if (!m_statement) m_statement = std::make_unique<StatementWindow>(m_databasePath, nullptr);
    m_statement->openMonth(month);
}

TaskForm& FormSet::compareForm() { return *m_compare; }

void FormSet::start() { m_main->show(); }

}  // namespace vesk::gui
