#include "review/OpenItemsWindow.h"

#include <QApplication>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSortFilterProxyModel>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include "compare/ExplainWindow.h"
#include "compare/ExplanationWorkbook.h"
#include "compare/Grid.h"
#include "core/DateTime.h"
#include "review/ReviewWording.h"
#include "widgets/FormStyle.h"
#include "widgets/GridHabits.h"
#include "widgets/ListWindow.h"
#include "widgets/Printing.h"

namespace vesk::gui {

namespace {

constexpr int kDateColumn = 4, kAmountColumn = 6, kAgeColumn = 8, kNoteColumn = 11, kHintColumn = 12;

long long dayOf(const QDate& d) { return daysFromCivil(d.year(), d.month(), d.day()); }

// The open items as the grid shows them: dates, amounts and ages sort as numbers.
std::vector<LinesModel::Row> itemRows(const std::vector<review::OpenItem>& items) {
    std::vector<LinesModel::Row> rows;
    for (const review::OpenItem& item : items) {
        LinesModel::Row row{item.line, shownCells(review::openItemCells(item), item.line, kAmountColumn), {}};
        row.sortKeys.resize(row.cells.size());
        row.sortKeys[kDateColumn] = QVariant::fromValue(item.line.day);
        row.sortKeys[kAmountColumn] = item.line.amount;
        row.sortKeys[kAgeColumn] = QVariant::fromValue(item.age);
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace

OpenItemsWindow::OpenItemsWindow(const std::string& databasePath, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_prompter(this),
      m_databasePath(databasePath),
      m_logic(databasePath, m_prompter),
      m_model(review::openItemHeaders(), {kAmountColumn, kAgeColumn}, kNoteColumn, kHintColumn) {
    setObjectName("frmOpenItems");
    setWindowTitle("Open Items");
    resize(onScreen(QSize(twips(19200), twips(9600))));

    m_sorted = new QSortFilterProxyModel(this);
    m_sorted->setSourceModel(&m_model);
    m_sorted->setSortRole(LinesModel::kSortRole);
    const QFont font = formFont("MS Sans Serif", 10);
    m_asOf = new QDateEdit(this);
    m_asOf->setObjectName("dtpAsOf");
    m_asOf->setFont(font);
    m_asOf->setDisplayFormat("dd/MM/yyyy");
    m_asOf->setCalendarPopup(true);
    // Room for the whole date beside the arrow, whatever width the style gives the arrow.
    m_asOf->setMinimumWidth(m_asOf->fontMetrics().horizontalAdvance("00/00/00000") +
                            2 * style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    auto* asOfLabel = makeLabel(this, "lblAsOf", "&As of:", {}, font);
    asOfLabel->setWordWrap(false);
    asOfLabel->setBuddy(m_asOf);
    auto* print = makeButton(this, "cmdPrint", "&Print\u2026", twipsRect(0, 0, 1815, 615), QFont());
    print->setFixedSize(print->size());
    // The listing's order (by date) until a heading is clicked.
    const ListWindowParts parts = buildListWindow(this, "grdOpenItems", m_sorted, twips(compare::kShownRowHeight) + 2,
                                                  {asOfLabel, m_asOf}, {print}, "cmdExportOpenItems");
    m_heading = parts.heading;
    m_headline = parts.headline;
    m_grid = parts.grid;
    m_showDetail = addDetailPane(this, m_grid, m_sorted,
                                 [this](std::optional<std::size_t> row) { return m_logic.detailText(row); });

    connect(m_asOf, &QDateEdit::dateChanged, this, &OpenItemsWindow::listChosenDay);
    connect(parts.exportButton, &QPushButton::clicked, this, &OpenItemsWindow::exportItems);
    connectPrint(this, print, [this] { m_logic.printItems(); });
    m_logic.setPrintTarget([this](const compare::Printout& printout) { previewPrintout(this, printout); });
    connect(m_grid, &QTableView::activated, this, &OpenItemsWindow::explainItem);
    GridHabits::of(m_grid)->addRowAction("Open the office's &explanation",
                                         [this] { explainItem(m_grid->currentIndex()); });
}

OpenItemsWindow::~OpenItemsWindow() = default;

void OpenItemsWindow::showItems() {
    const DateTime today = localNow();
    {
        const QSignalBlocker quiet(m_asOf);
        m_asOf->setDate(QDate(today.year, today.month, today.day));
    }
    list(dayOf(m_asOf->date()));
    showOverOpener(this);
}

void OpenItemsWindow::listChosenDay() { list(dayOf(m_asOf->date())); }

void OpenItemsWindow::list(long long asOf) {
    review::OpenItemsScreen::Job job = m_logic.open(asOf);
    render();
    m_work.start<review::OpenItems>(
        std::move(job.run),
        [this, ticket = job.ticket](review::OpenItems items) {
            m_logic.finished(ticket, std::move(items));
            showOutcome();
        },
        [this, ticket = job.ticket](const Error& error) {
            m_logic.failed(ticket, error);
            showOutcome();
        });
}

void OpenItemsWindow::exportItems() {
    const WaitCursor wait;
    m_logic.exportItems();  // says what went wrong itself
}

void OpenItemsWindow::explainItem(const QModelIndex& index) {
    if (!index.isValid()) return;
    const auto request = m_logic.explainItem(std::size_t(m_sorted->mapToSource(index).row()));
    if (!request) return;
    if (!m_explain) {
        m_explain = new ExplainWindow(m_databasePath, &m_prompter, this);
        // A note that settles an item takes it off the list.
        connect(m_explain, &ExplainWindow::noteSaved, this, [this] { list(m_logic.asOf()); });
    }
    m_explain->explain(*request);
}

void OpenItemsWindow::showOutcome() {
    render();
    if (!m_logic.busy()) emit listed();
}

void OpenItemsWindow::render() {
    m_heading->setText(QString::fromStdString(m_logic.heading()));
    m_headline->setText(m_logic.busy() ? QString("Listing....") : partsLine(m_logic.headline()));
    m_model.setRows(itemRows(m_logic.items()));
    fitListColumns(m_grid);
    m_showDetail();
    showBusy(this, m_logic.busy());
}

}  // namespace vesk::gui
