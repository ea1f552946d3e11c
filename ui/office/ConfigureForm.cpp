#include "office/ConfigureForm.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "widgets/FormStyle.h"
#include "widgets/GridHabits.h"

namespace vesk::gui {

ConfigureForm::ConfigureForm(const std::string& databasePath)
    : TaskForm("configureform", "Office - Master Data", 15360, 10200),
      m_logic(databasePath, prompter()),
      // The master's text columns a clerk searches by; the lettered ones hold codes and amounts.
      m_filtered({"office_id", "office_name", "office_type_code", "ho_name", "qal_facility_id"}) {
    const QFont heading = formFont("Lucida Bright", 12, true);
    const QFont buttonFont = formFont("Cooper Black", 11);
    const QFont labelFont = formFont("MS Sans Serif", 9);

    // Two lines broken before the bracket, so that no word of it stands alone on the second.
    makeLabel(this, "Label2", "Comparison Required for Offices under\n(Divisional Level / HO Level)",
              twipsRect(240, 120, 7200, 540), formFont("Lucida Bright", 10, true))
        ->setWordWrap(false);
    m_combo1 = new QComboBox(this);
    m_combo1->setObjectName("Combo1");
    m_combo1->setEditable(false);  // only offices of the list can be chosen
    m_combo1->setGeometry(twipsRect(240, 720, 4800, 420));
    m_combo1->setFont(formFont("Rockwell", 11));
    m_save = makeButton(this, "Command5", "Save/Update", twipsRect(5280, 690, 1920, 480), buttonFont);
    m_label3 = makeLabel(this, "Label3", "Please Wait...", twipsRect(5280, 1260, 1920, 300),
                         formFont("Monotype Corsiva", 12, true));
    m_label3->setStyleSheet("color: " + styleColour(palette::kWaitText) + ";");
    m_label3->hide();

    m_import = makeButton(this, "Command4", "Import Office Master Data", twipsRect(240, 1680, 3360, 600), buttonFont);
    m_remove = makeButton(this, "Command3", "Delete All Offices", twipsRect(3840, 1680, 3360, 600), buttonFont);
    QPushButton* back = makeBackButton("Command2", twipsRect(13080, 9360, 2040, 600));
    // Beside Back, in the strip under the grid that nothing else uses.
    m_historyButton = makeButton(this, "cmdHistory", "&History", twipsRect(10800, 9360, 2040, 600), buttonFont);

    auto* steps = new QGroupBox("Steps to Download Master Data", this);
    steps->setObjectName("Frame1");
    steps->setFont(heading);
    steps->setGeometry(twipsRect(7320, 240, 7800, 2160));
    const char* lines[] = {"1. ORV 2.0 -> Divisional Head Login",
                           "2. Master Data Management Card -> Office Management -> View/Modify Offices",
                           "3. Office Hierarchy Tab", "4. Choose Circle, Region, Division. Click on Search",
                           "5. Click on Download Excel button"};
    int top = 420;
    int n = 4;
    for (const char* line : lines) {
        makeLabel(steps, QString("Label%1").arg(n++), line, twipsRect(180, top, 7500, 300), labelFont)
            ->setWordWrap(false);
        top += 330;
    }

    m_label1 = makeLabel(this, "Label1", "", twipsRect(240, 2520, 9000, 330), formFont("MS Sans Serif", 10, true));
    m_grid = new QTableView(this);
    m_grid->setObjectName("DataGrid1");
    m_grid->setGeometry(twipsRect(240, 2940, 14880, 6300));
    m_grid->setFont(formFont("Lucida Bright", 9));
    m_filtered.setSourceModel(&m_model);
    m_grid->setModel(&m_filtered);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_filtered.setSortRole(ResultSetModel::kSortRole);
    m_filtered.setSortCaseSensitivity(Qt::CaseInsensitive);
    m_grid->setSortingEnabled(true);
    m_grid->sortByColumn(-1, Qt::AscendingOrder);  // the master's order until a heading is clicked
    GridHabits::install(m_grid);
    m_grid->verticalHeader()->setDefaultSectionSize(22);

    anchor(steps, Left | Top | Right);
    anchor(m_label1, Left | Top | Right);
    anchor(m_grid, Left | Top | Right | Bottom);
    anchor(back, Right | Bottom);
    anchor(m_historyButton, Right | Bottom);

    // In the free strip right of the count, above the grid it narrows.
    auto* find = makeLabel(this, "LabelFind", "&Find Office", twipsRect(9480, 2550, 1260, 330), labelFont);
    find->setWordWrap(false);
    m_filter = new QLineEdit(this);
    m_filter->setObjectName("TextFind");
    m_filter->setGeometry(twipsRect(10800, 2520, 4320, 375));
    m_filter->setFont(labelFont);
    m_filter->setPlaceholderText("name, type, head office or ID");
    m_filter->setClearButtonEnabled(true);
    find->setBuddy(m_filter);
    setTabOrder(m_filter, m_grid);  // the box comes just before the rows it narrows
    anchor(find, Top | Right);
    anchor(m_filter, Top | Right);

    setMainAction(m_import);
    prompter().setFileKind("OfficeMaster");

    prompter().setProgressLabel(m_label1);
    watchDatabase(m_logic.connection(), m_label1);
    // The count the import has just set shows behind its success message.
    prompter().setBeforeMessage([this] { m_label1->setText(QString::fromStdString(m_logic.view().countText)); });
    m_logic.setWaitIndicator([this](bool shown) {
        m_label3->setVisible(shown);
        QApplication::processEvents();
    });
    connectControls();
}

void ConfigureForm::connectControls() {
    connect(m_save, &QPushButton::clicked, this, &ConfigureForm::saveConfiguredOffice);
    connect(m_import, &QPushButton::clicked, this, &ConfigureForm::importMaster);
    connect(m_remove, &QPushButton::clicked, this, &ConfigureForm::deleteAllOffices);
    connect(m_historyButton, &QPushButton::clicked, this, &ConfigureForm::showHistory);
    connect(m_filter, &QLineEdit::textChanged, this, [this](const QString& text) { m_filtered.setFilterText(text); });
    // Enter in the box goes on to the first row it left, to pick it or walk on with the arrow keys.
    connect(m_filter, &QLineEdit::returnPressed, this, [this] {
        if (m_filtered.rowCount() == 0) return;
        m_grid->setFocus();
        m_grid->setCurrentIndex(m_filtered.index(0, 1));
    });
    connect(m_grid, &QTableView::clicked, this, &ConfigureForm::pickRow);
    connect(m_grid, &QTableView::activated, this, &ConfigureForm::pickRow);
}

template <typename Handler>
void ConfigureForm::runBusy(Handler handler) {
    {
        const Busy busy(*this, {m_save, m_import, m_remove, m_historyButton, m_combo1});
        guarded(handler);
    }
    render();
    m_history.refresh();
}

void ConfigureForm::load() {
    guarded([this] { m_logic.load(); });
    render();
}

void ConfigureForm::saveConfiguredOffice() {
    runBusy([this] { m_logic.saveConfiguredOffice(m_combo1->currentText().toStdString()); });
}

void ConfigureForm::deleteAllOffices() {
    runBusy([this] { m_logic.deleteAllOffices(); });
}

void ConfigureForm::importMaster() {
    runBusy([this] { m_logic.importMaster(); });
}

void ConfigureForm::pickRow(const QModelIndex& index) {
    if (!index.isValid()) return;
    // The shown row is the filter's; the office is the one under it in the whole master.
    const QModelIndex row = m_filtered.mapToSource(index);
    if (m_logic.pickRow(std::size_t(row.row()))) m_combo1->setCurrentIndex(m_logic.view().selected);
}

void ConfigureForm::unloaded() {
    m_history.close();
    TaskForm::unloaded();
}

void ConfigureForm::showHistory() { m_history.open(); }

void ConfigureForm::render() {
    const office::OfficeView& v = m_logic.view();
    m_label1->setText(QString::fromStdString(v.countText));
    m_model.setResult(v.grid);
    m_grid->resizeColumnsToContents();
    m_combo1->clear();
    for (const auto& name : v.offices) m_combo1->addItem(QString::fromStdString(name));
    m_combo1->setCurrentIndex(v.selected);
}

}  // namespace vesk::gui
