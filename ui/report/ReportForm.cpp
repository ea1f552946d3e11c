#include "report/ReportForm.h"

#include <QComboBox>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <iterator>

#include "report/ReportWording.h"
#include "widgets/FormStyle.h"
#include "widgets/GridHabits.h"

namespace vesk::gui {

namespace {

// Widths of the summary's columns, YEAR to WDL AMOUNT; twips.
constexpr int kColumnWidths[] = {700, 800, 1600, 1400, 1800, 1600, 1800};
constexpr int kColumns = int(std::size(kColumnWidths));

QComboBox* makeCombo(QWidget* parent, const QString& name, const QRect& geometry) {
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->setEditable(true);                     // holds any text the grid puts there, years before 2025 included
    c->setInsertPolicy(QComboBox::NoInsert);  // typed text is a choice, not a new list item
    c->setGeometry(geometry);
    c->setFont(formFont("Rockwell", 11));
    return c;
}

void clearCombo(QComboBox* c) {
    c->setCurrentIndex(-1);
    c->setEditText(QString());
}

}  // namespace

ReportForm::ReportForm(const QString& objectName, const QString& title, report::Report report,
                       const std::string& databasePath, TaskForm& masterForm, const Layout& layout)
    : TaskForm(objectName, title, 15360, 10200), m_logic(report, databasePath, prompter()), m_masterForm(masterForm) {
    const QFont buttonFont = formFont("Cooper Black", 11);
    m_import = makeButton(this, layout.importName, layout.importText, layout.importButton, buttonFont);
    m_label1 = makeLabel(this, "Label1", "", layout.progressLabel, formFont("MS Sans Serif", 10, true));
    m_label1->setStyleSheet("color: " + styleColour(palette::kProgressText) + ";");

    const int top = layout.gridTop;
    m_grid = new QTableView(this);
    m_grid->setObjectName("DataGrid1");
    m_grid->setGeometry(twipsRect(240, top, 10320, 9240 - top));
    m_grid->setFont(formFont("Lucida Bright", 9));
    m_sorted.setSourceModel(&m_model);
    m_grid->setModel(&m_sorted);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSortingEnabled(true);
    m_grid->sortByColumn(-1, Qt::AscendingOrder);  // the months' order until a heading is clicked
    GridHabits::install(m_grid);
    m_grid->verticalHeader()->setDefaultSectionSize(22);
    m_grid->horizontalHeader()->setFont(formFont("Lucida Bright", 8));  // headings fit their fixed widths
    for (int c = 0; c < kColumns; ++c) m_model.setAlignment(c, Qt::AlignCenter);

    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    frame->setGeometry(twipsRect(10800, top, 4320, 2520));
    auto* heading = makeLabel(this, "Label2", "Delete Data", twipsRect(10920, top + 120, 4080, 420),
                              formFont("Lucida Bright", 12, true));
    heading->setAlignment(Qt::AlignCenter);
    const QFont labelFont = formFont("MS Sans Serif", 10, true);
    QLabel* label3 = makeLabel(this, "Label3", "Year", twipsRect(11040, top + 720, 1080, 360), labelFont);
    m_combo1 = makeCombo(this, "Combo1", twipsRect(12240, top + 660, 2640, 420));
    QLabel* label12 = makeLabel(this, "Label12", "Month", twipsRect(11040, top + 1320, 1080, 360), labelFont);
    m_combo2 = makeCombo(this, "Combo2", twipsRect(12240, top + 1260, 2640, 420));
    m_remove = makeButton(this, "Command3", "Delete", twipsRect(12240, top + 1860, 2640, 480), buttonFont);
    auto* back = makeBackButton("Command2", twipsRect(13080, 9360, 2040, 600));
    // Beside Back, in the strip under the grid that nothing else uses.
    m_historyButton = makeButton(this, "cmdHistory", "&History", twipsRect(10800, 9360, 2040, 600), buttonFont);

    // The delete area stays beside the grid's right edge; the grid takes the growth.
    anchor(m_label1, Left | Top | Right);
    anchor(m_grid, Left | Top | Right | Bottom);
    for (QWidget* w : std::initializer_list<QWidget*>{frame, heading, label3, m_combo1, label12, m_combo2, m_remove})
        anchor(w, Top | Right);
    anchor(back, Right | Bottom);
    anchor(m_historyButton, Right | Bottom);

    m_controls = {m_import, m_remove, back, m_historyButton, m_combo1, m_combo2, m_grid};
    setMainAction(m_import);
    prompter().setProgressLabel(m_label1);
    watchDatabase(m_logic.connection(), m_label1);
    connectControls();
}

void ReportForm::connectControls() {
    connect(m_import, &QPushButton::clicked, this, &ReportForm::importWorkbook);
    connect(m_remove, &QPushButton::clicked, this, &ReportForm::deleteMonth);
    connect(m_historyButton, &QPushButton::clicked, this, &ReportForm::showHistory);
    connect(m_grid, &QTableView::clicked, this, &ReportForm::pickRow);
    // Enter on a row the arrow keys reached picks it as a click would.
    connect(m_grid, &QTableView::activated, this, &ReportForm::pickRow);
    // Only a row the person picks (and so selects) arms the delete lists: the grid also
    // moves its current row by itself when it gets the focus, and Delete then Enter must
    // not remove a month nobody chose.
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) {
                if (!m_rendering && m_grid->selectionModel()->isRowSelected(current.row(), current.parent()))
                    pickRow(current);
            });
}

void ReportForm::load() {
    m_combo1->clear();
    m_combo2->clear();
    m_label1->clear();
    guarded([this] { m_logic.load(); });
    if (m_logic.masterDataMissing()) return;
    fillLists();
    showSummary();
}

void ReportForm::shown() {
    if (m_logic.refuseWithoutMaster()) handOverTo(m_masterForm);
}

void ReportForm::unloaded() {
    m_history.close();
    m_logic.clearSummary();
    showSummary();
    TaskForm::unloaded();
}

void ReportForm::importWorkbook() {
    // Nothing else (a deletion, a second import, Back) may run inside the open transaction.
    bool imported = false;
    {
        const Busy busy(*this, m_controls);
        guarded([&] { imported = m_logic.importWorkbook(); });
    }
    if (!imported) return;
    showSummary();
    fillYears();
    m_history.refresh();
}

void ReportForm::deleteMonth() {
    bool deleted = false;
    {
        const Busy busy(*this, m_controls);
        guarded([&] {
            deleted = m_logic.deleteMonth(m_combo1->currentText().toStdString(), m_combo2->currentText().toStdString());
        });
    }
    if (!deleted) return;
    showSummary();
    fillYears();
    m_history.refresh();
    clearCombo(m_combo1);
    clearCombo(m_combo2);
}

void ReportForm::pickRow(const QModelIndex& index) {
    if (!index.isValid() || index.row() < 0) return;
    auto period = m_logic.periodOfRow(std::size_t(m_sorted.mapToSource(index).row()));
    if (!period) return;
    m_combo1->setEditText(QString::fromStdString(period->first));
    m_combo2->setEditText(QString::fromStdString(period->second));
}

void ReportForm::fillYears() {
    // What the delete list holds stays: a new year only adds an entry.
    const QString shown = m_combo1->currentText();
    m_combo1->clear();
    for (const auto& y : m_logic.view().years) m_combo1->addItem(QString::fromStdString(y));
    m_combo1->setCurrentIndex(m_combo1->findText(shown));
    m_combo1->setEditText(shown);
}

void ReportForm::showHistory() { m_history.open(); }

void ReportForm::fillLists() {
    for (const auto& y : m_logic.view().years) m_combo1->addItem(QString::fromStdString(y));
    for (const auto& m : m_logic.view().months) m_combo2->addItem(QString::fromStdString(m));
    clearCombo(m_combo1);
    clearCombo(m_combo2);
}

void ReportForm::showSummary() {
    m_rendering = true;
    m_model.setResult(m_logic.view().summary);
    if (m_model.hasData())
        for (int c = 0; c < kColumns; ++c) m_grid->setColumnWidth(c, twips(kColumnWidths[c]));
    m_rendering = false;
}

}  // namespace vesk::gui
