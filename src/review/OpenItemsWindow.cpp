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
#include <QTableView>
#include <QVBoxLayout>

#include "compare/ExplainWindow.h"
#include "compare/ExplanationWorkbook.h"
#include "compare/Grid.h"
#include "core/DateTime.h"
#include "review/ReviewWords.h"
#include "widgets/FormStyle.h"
#include "widgets/ListWindow.h"

namespace vesk::gui {

namespace {

constexpr int kDateColumn = 4, kAmountColumn = 6, kClassColumn = 7, kAgeColumn = 8, kNoteColumn = 11;

long long dayOf(const QDate& d) { return daysFromCivil(d.year(), d.month(), d.day()); }

QDate dateOf(long long day) {
    int y = 0, m = 0, d = 0;
    civilFromDays(day, y, m, d);
    return QDate(y, m, d);
}

}  // namespace

void OpenItemsModel::setItems(const std::vector<review::OpenItem>& items) {
    beginResetModel();
    m_items = items;
    m_cells.clear();
    for (const review::OpenItem& item : m_items) {
        std::vector<QString> row;
        for (const std::string& cell : review::openItemCells(item)) row.push_back(QString::fromStdString(cell));
        row[kClassColumn] = compare::pairClassWords(item.line.cls);
        m_cells.push_back(std::move(row));
    }
    endResetModel();
}

int OpenItemsModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_items.size()); }

int OpenItemsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(review::openItemHeaders().size());
}

QVariant OpenItemsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || std::size_t(index.row()) >= m_items.size()) return {};
    const review::OpenItem& item = m_items[std::size_t(index.row())];
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole:
            return m_cells[std::size_t(index.row())][std::size_t(column)];
        case kSortRole:
            if (column == kDateColumn) return QVariant::fromValue(item.line.day);
            if (column == kAmountColumn) return item.line.amount;
            if (column == kAgeColumn) return QVariant::fromValue(item.age);
            return m_cells[std::size_t(index.row())][std::size_t(column)].toLower();
        case Qt::BackgroundRole:
            return qColor(compare::pairClassColour(item.line.cls));
        case Qt::ToolTipRole:
            if (column == kNoteColumn && item.line.note) return QString::fromStdString(item.line.note->text);
            return QString(compare::pairClassMeaning(item.line.cls));
        case Qt::TextAlignmentRole:
            if (column == kAmountColumn || column == kAgeColumn)
                return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant OpenItemsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    const auto& headers = review::openItemHeaders();
    if (section < 0 || std::size_t(section) >= headers.size()) return {};
    return QString::fromStdString(headers[std::size_t(section)]);
}

OpenItemsWindow::OpenItemsWindow(const std::string& databasePath, QWidget* parent)
    : QWidget(parent, Qt::Window), m_prompter(this), m_databasePath(databasePath), m_logic(databasePath, m_prompter) {
    setObjectName("frmOpenItems");
    setWindowTitle("Open Items");
    resize(twips(15600), twips(9600));

    m_sorted = new QSortFilterProxyModel(this);
    m_sorted->setSourceModel(&m_model);
    m_sorted->setSortRole(OpenItemsModel::kSortRole);
    const QFont font = formFont("MS Sans Serif", 10);
    m_asOf = new QDateEdit(this);
    m_asOf->setObjectName("dtpAsOf");
    m_asOf->setFont(font);
    m_asOf->setDisplayFormat("dd/MM/yyyy");
    m_asOf->setCalendarPopup(true);
    auto* asOfLabel = makeLabel(this, "lblAsOf", "&As of:", {}, font);
    asOfLabel->setWordWrap(false);
    asOfLabel->setBuddy(m_asOf);
    // The listing's order (by date) until a heading is clicked.
    const ListWindowParts parts = buildListWindow(this, "grdOpenItems", m_sorted, twips(compare::kShownRowHeight) + 2,
                                                  {asOfLabel, m_asOf}, {}, "cmdExportOpenItems");
    m_heading = parts.heading;
    m_headline = parts.headline;
    m_grid = parts.grid;

    connect(m_asOf, &QDateEdit::dateChanged, this, &OpenItemsWindow::dtpAsOf_Change);
    connect(parts.exportButton, &QPushButton::clicked, this, &OpenItemsWindow::cmdExportOpenItems_Click);
    connect(m_grid, &QTableView::activated, this, &OpenItemsWindow::grdOpenItems_DblClick);
}

OpenItemsWindow::~OpenItemsWindow() = default;

void OpenItemsWindow::showItems() {
    const DateTime today = localToday();
    {
        const QSignalBlocker quiet(m_asOf);
        m_asOf->setDate(QDate(today.year, today.month, today.day));
    }
    list(dayOf(m_asOf->date()));
    show();
    raise();
    activateWindow();
}

void OpenItemsWindow::dtpAsOf_Change() { list(dayOf(m_asOf->date())); }

void OpenItemsWindow::list(long long asOf) {
    review::OpenItemsScreen::Job job = m_logic.open(asOf);
    render();
    m_work.start<review::OpenItems>(
        std::move(job.run),
        [this, ticket = job.ticket](review::OpenItems items) {
            m_logic.finished(ticket, std::move(items));
            render();
        },
        [this, ticket = job.ticket](const Error& error) {
            m_logic.failed(ticket, error);
            render();
        });
}

void OpenItemsWindow::cmdExportOpenItems_Click() {
    const WaitCursor wait;
    m_logic.cmdExportOpenItems_Click();  // says what went wrong itself
}

void OpenItemsWindow::grdOpenItems_DblClick(const QModelIndex& index) {
    if (!index.isValid()) return;
    const auto request = m_logic.grdOpenItems_DblClick(std::size_t(m_sorted->mapToSource(index).row()));
    if (!request) return;
    if (!m_explain) {
        m_explain = new ExplainWindow(m_databasePath, m_prompter, this);
        // A note that settles an item takes it off the list.
        connect(m_explain, &ExplainWindow::noteSaved, this, [this] { list(m_logic.asOf()); });
    }
    m_explain->explain(*request);
}

void OpenItemsWindow::render() {
    m_heading->setText(QString::fromStdString(m_logic.heading()));
    m_headline->setText(m_logic.busy() ? QString("Listing....") : QString::fromStdString(m_logic.headline()));
    m_model.setItems(m_logic.items());
    m_grid->resizeColumnsToContents();
    if (m_logic.busy())
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

}  // namespace vesk::gui
