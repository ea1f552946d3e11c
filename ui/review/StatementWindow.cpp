#include "review/StatementWindow.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

#include "compare/Grid.h"
#include "core/DateTime.h"
#include "review/ReviewWording.h"
#include "review/SignOffDialog.h"
#include "widgets/FormStyle.h"
#include "widgets/GridHabits.h"
#include "widgets/GridSortModel.h"
#include "widgets/ListWindow.h"
#include "widgets/Printing.h"
#include "widgets/TextTable.h"

namespace vesk::gui {

namespace {

constexpr int kItemAmountColumn = int(review::ItemCell::Amount);

// A block of the statement: every line in sight, no scrolling, as wide as its columns.
QTableView* blockGrid(QWidget* parent, const QString& name, QStandardItemModel* model, int rowHeight) {
    auto* grid = new QTableView(parent);
    grid->setObjectName(name);
    grid->setFont(formFont("Lucida Bright", 8));
    grid->setModel(model);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::NoSelection);
    grid->setFocusPolicy(Qt::NoFocus);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(rowHeight);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    // The statement's lines keep their order; they are copied whole.
    GridHabits::install(grid);
    return grid;
}

// Sized to its lines and columns, so that none is cut off.
void fitBlock(QTableView* grid, int lines) {
    grid->resizeColumnsToContents();
    const int frame = 2 * grid->frameWidth();
    grid->setFixedHeight(grid->horizontalHeader()->height() + lines * grid->verticalHeader()->defaultSectionSize() +
                         frame);
    grid->setFixedWidth(grid->horizontalHeader()->length() + frame);
}

QLabel* captionLabel(QWidget* parent, const char* text) {
    QLabel* label = makeLabel(parent, "", text, {}, formFont("MS Sans Serif", 10, true));
    label->setWordWrap(false);
    return label;
}

}  // namespace

StatementWindow::StatementWindow(const std::string& databasePath, QWidget* parent, Clock clock)
    : QWidget(parent, Qt::Window), m_prompter(this), m_logic(databasePath, m_asking, std::move(clock)) {
    setObjectName("frmStatement");
    setWindowTitle("Statement");
    resize(twips(15600), twips(10200));

    const int rowHeight = twips(compare::kShownRowHeight) + 2;
    m_lines = textTableModel(this, review::statementHeaders());
    m_rollForward = textTableModel(this, review::statementHeaders());
    m_items = textTableModel(this, review::statementItemHeaders());
    // Dates and grouped amounts sort by their value.
    m_sortedItems = new GridSortModel(this);
    m_sortedItems->setSourceModel(m_items);

    const QFont font = formFont("MS Sans Serif", 10);
    m_year = new QComboBox(this);
    m_year->setObjectName("cboYear");
    m_year->setFont(font);
    m_month = new QComboBox(this);
    m_month->setObjectName("cboMonth");
    m_month->setFont(font);
    for (int m = 1; m <= 12; ++m) m_month->addItem(QString::fromStdString(monthName(m)));
    auto* yearLabel = makeLabel(this, "lblYear", "&Year:", {}, font);
    yearLabel->setWordWrap(false);
    yearLabel->setBuddy(m_year);
    auto* monthLabel = makeLabel(this, "lblMonth", "Mo&nth:", {}, font);
    monthLabel->setWordWrap(false);
    monthLabel->setBuddy(m_month);

    const QFont buttonFont = formFont("Cooper Black", 12);
    const auto button = [&](const QString& name, const QString& caption) {
        QPushButton* b = makeButton(this, name, caption, twipsRect(0, 0, 1815, 615), buttonFont);
        b->setFixedSize(std::max(b->width(), b->fontMetrics().horizontalAdvance(withoutMnemonic(caption)) + 24),
                        b->height());
        return b;
    };
    m_closeMonth = button("cmdCloseMonth", "Close &Month");
    m_reopenMonth = button("cmdReopenMonth", "&Reopen Month");
    m_print = button("cmdPrint", "&Print…");
    m_signOff = button("cmdSignOff", "&Sign-off…");
    const ListWindowParts parts =
        buildListWindow(this, "grdItems", m_sortedItems, rowHeight, {yearLabel, m_year, monthLabel, m_month},
                        {m_closeMonth, m_reopenMonth, m_print, m_signOff}, "cmdExportStatement");
    m_heading = parts.heading;
    m_state = parts.headline;
    m_itemsGrid = parts.grid;
    m_export = parts.exportButton;

    // The statement's two blocks side by side over the items, as the workbook holds them.
    m_linesGrid = blockGrid(this, "grdStatement", m_lines, rowHeight);
    m_rollForwardGrid = blockGrid(this, "grdRollForward", m_rollForward, rowHeight);
    auto* blocks = new QHBoxLayout;
    for (const auto& [caption, grid] : {std::pair{review::kStatementCaption, m_linesGrid},
                                        std::pair{review::kRollForwardCaption, m_rollForwardGrid}}) {
        auto* column = new QVBoxLayout;
        column->addWidget(captionLabel(this, caption));
        column->addWidget(grid);
        column->addStretch(1);
        blocks->addLayout(column);
        blocks->addSpacing(24);
    }
    blocks->addStretch(1);
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    layout->insertLayout(2, blocks);
    layout->insertWidget(3, captionLabel(this, review::kStatementItemsCaption));

    connect(m_year, &QComboBox::currentIndexChanged, this, &StatementWindow::chooseMonth);
    connect(m_month, &QComboBox::currentIndexChanged, this, &StatementWindow::chooseMonth);
    connect(m_closeMonth, &QPushButton::clicked, this, &StatementWindow::closeMonth);
    connect(m_reopenMonth, &QPushButton::clicked, this, &StatementWindow::reopenMonth);
    connectPrint(this, m_print, [this] { print(); });
    m_logic.setPrintTarget([this](const compare::Printout& printout) { previewPrintout(this, printout); });
    connect(m_export, &QPushButton::clicked, this, &StatementWindow::exportStatement);
    connect(m_signOff, &QPushButton::clicked, this, &StatementWindow::signOff);
    render();
}

StatementWindow::~StatementWindow() {
    // A question still to be asked is answered No, so the work it holds up ends.
    m_asking.shutDown();
}

void StatementWindow::openMonth(std::optional<Period> month) {
    run(m_logic.open(month));
    showOverOpener(this);
}

void StatementWindow::chooseMonth() {
    if (m_year->currentIndex() < 0 || m_month->currentIndex() < 0) return;
    run(m_logic.open(Period{m_year->currentText().toInt(), m_month->currentIndex() + 1}));
}

void StatementWindow::closeMonth() {
    if (m_logic.closeEnabled()) run(m_logic.closeMonth());
}

void StatementWindow::reopenMonth() {
    if (m_logic.reopenEnabled()) run(m_logic.reopenMonth());
}

void StatementWindow::exportStatement() {
    const WaitCursor wait;
    m_logic.exportStatement();  // says what went wrong itself
}

void StatementWindow::print() { m_logic.print(); }

void StatementWindow::signOff() {
    const std::optional<std::vector<compare::SignOff>> current = m_logic.signOffs();  // says a failure itself
    if (!current) return;
    auto* dialog = new SignOffDialog(m_logic, *current, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void StatementWindow::run(review::StatementScreen::Job job) {
    render();
    m_work.start<review::StatementScreen::Shown>(
        std::move(job.run),
        [this, ticket = job.ticket](review::StatementScreen::Shown shown) {
            m_logic.finished(ticket, std::move(shown));
            showOutcome();
        },
        [this, ticket = job.ticket](const Error& error) {
            m_logic.failed(ticket, error);
            showOutcome();
        });
}

void StatementWindow::showOutcome() {
    render();
    if (!m_logic.busy()) emit statementShown();
}

void StatementWindow::render() {
    m_heading->setText(QString::fromStdString(m_logic.heading()));
    m_state->setText(QString::fromStdString(m_logic.stateLine()));
    {
        const QSignalBlocker quietYear(m_year), quietMonth(m_month);
        const std::optional<Period> period = m_logic.period();
        std::vector<int> years = m_logic.years();
        if (period && std::find(years.begin(), years.end(), period->year) == years.end()) years.push_back(period->year);
        std::sort(years.begin(), years.end());
        m_year->clear();
        for (int y : years) m_year->addItem(QString::number(y));
        if (period) {
            m_year->setCurrentText(QString::number(period->year));
            m_month->setCurrentIndex(period->month - 1);
        }
        m_year->setEnabled(!m_logic.acting());
        m_month->setEnabled(!m_logic.acting());
    }
    fillTextTable(m_lines, m_logic.statementRows(), {1, 2, 3});
    fillTextTable(m_rollForward, m_logic.rollForwardRows(), {1, 2, 3});
    fitBlock(m_linesGrid, int(review::StatementLine::Resolved) + 1);
    fitBlock(m_rollForwardGrid,
             int(review::StatementLine::CarriedForward) - int(review::StatementLine::BroughtForward) + 1);
    fillTextTable(m_items, m_logic.items(), {kItemAmountColumn});
    fitListColumns(m_itemsGrid);
    m_closeMonth->setEnabled(m_logic.closeEnabled());
    m_closeMonth->setToolTip(QString::fromStdString(m_logic.closeRefusedText()));
    m_reopenMonth->setEnabled(m_logic.reopenEnabled());
    m_export->setEnabled(m_logic.printable() != nullptr);
    m_print->setEnabled(m_logic.printable() != nullptr);
    showBusy(this, m_logic.busy());
}

}  // namespace vesk::gui
