#include "compare/ExplainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>

#include "compare/ExplanationWorkbook.h"
#include "core/Error.h"
#include "widgets/FormStyle.h"

namespace vesk::gui {

namespace {

constexpr int kDateColumn = 3, kAmountColumn = 5, kClassColumn = 6, kGroupColumn = 7, kOtherDateColumn = 8;

QColor qcolour(const Rgb& c) { return QColor(c.red, c.green, c.blue); }

}  // namespace

void ExplainModel::setLines(const std::vector<compare::ExplainedLine>& lines) {
    beginResetModel();
    m_lines = lines;
    m_cells.clear();
    for (const compare::ExplainedLine& line : m_lines) {
        std::vector<QString> row;
        for (const std::string& cell : compare::explainCells(line)) row.push_back(QString::fromStdString(cell));
        row[kClassColumn] = compare::pairClassWords(line.cls);
        m_cells.push_back(std::move(row));
    }
    endResetModel();
}

int ExplainModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_lines.size()); }

int ExplainModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(compare::explainHeaders().size());
}

QVariant ExplainModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || std::size_t(index.row()) >= m_lines.size()) return {};
    const compare::ExplainedLine& line = m_lines[std::size_t(index.row())];
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole:
            return m_cells[std::size_t(index.row())][std::size_t(column)];
        case kSortRole:
            if (column == kDateColumn) return QVariant::fromValue(line.day);
            if (column == kOtherDateColumn) return QVariant::fromValue(line.otherDay.value_or(0));
            if (column == kAmountColumn) return line.amount;
            if (column == kGroupColumn) return line.group;
            return m_cells[std::size_t(index.row())][std::size_t(column)].toLower();
        case Qt::BackgroundRole:
            return qcolour(compare::pairClassColour(line.cls));
        case Qt::ToolTipRole:
            return QString(compare::pairClassMeaning(line.cls));
        case Qt::TextAlignmentRole:
            if (column == kAmountColumn || column == kGroupColumn)
                return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant ExplainModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    const auto& headers = compare::explainHeaders();
    if (section < 0 || std::size_t(section) >= headers.size()) return {};
    return QString::fromStdString(headers[std::size_t(section)]);
}

ExplainWindow::ExplainWindow(const std::string& databasePath, Prompter& prompter, QWidget* parent)
    : QWidget(parent, Qt::Window), m_logic(databasePath, prompter) {
    setObjectName("frmExplain");
    setWindowTitle("Explain the Differences");
    resize(twips(13800), twips(9600));

    auto* layout = new QVBoxLayout(this);
    m_heading = makeLabel(this, "lblHeading", "", {}, formFont("Lucida Bright", 12, true));
    m_heading->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_heading);
    m_headline = makeLabel(this, "lblHeadline", "", {}, formFont("MS Sans Serif", 10, true));
    m_headline->setAlignment(Qt::AlignCenter);
    m_headline->setWordWrap(true);
    layout->addWidget(m_headline);

    m_sorted = new QSortFilterProxyModel(this);
    m_sorted->setSourceModel(&m_model);
    m_sorted->setSortRole(ExplainModel::kSortRole);
    m_grid = new QTableView(this);
    m_grid->setObjectName("grdExplain");
    m_grid->setFont(formFont("Lucida Bright", 8));
    m_grid->setModel(m_sorted);
    m_grid->setSortingEnabled(true);
    m_grid->sortByColumn(-1, Qt::AscendingOrder);  // pairs together until a heading is clicked
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(twips(compare::kShownRowHeight) + 2);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_grid, 1);

    const QFont buttonFont = formFont("Cooper Black", 12);
    auto* buttons = new QHBoxLayout;
    m_matched = new QCheckBox("Show &matched rows", this);
    m_matched->setObjectName("chkMatched");
    m_matched->setFont(formFont("MS Sans Serif", 10));
    auto* exportButton =
        makeButton(this, "cmdExportExplained", "E&xport to Excel", twipsRect(0, 0, 2775, 615), buttonFont);
    exportButton->setFixedSize(exportButton->size());
    auto* close = makeButton(this, "cmdClose", "Cl&ose", twipsRect(0, 0, 1815, 615), buttonFont);
    close->setFixedSize(close->size());
    buttons->addWidget(m_matched);
    buttons->addStretch(1);
    buttons->addWidget(exportButton);
    buttons->addSpacing(12);
    buttons->addWidget(close);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    connect(m_matched, &QCheckBox::toggled, this, &ExplainWindow::chkMatched_Click);
    connect(exportButton, &QPushButton::clicked, this, &ExplainWindow::cmdExportExplained_Click);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    useKeyboard(this, nullptr, close);
}

ExplainWindow::~ExplainWindow() {
    // A pairing still running must not outlive the window it reports to.
    for (QThread* thread : m_running) {
        thread->wait();
        delete thread;
    }
}

void ExplainWindow::explain(const compare::ExplainRequest& request) {
    compare::ExplainScreen::Job job = m_logic.open(request);
    render();
    show();
    raise();
    activateWindow();

    struct Outcome {
        std::optional<compare::ExplainScreen::Explained> explained;
        std::optional<vesk::Error> error;
    };
    auto outcome = std::make_shared<Outcome>();
    QThread* thread = QThread::create([run = std::move(job.run), outcome] {
        try {
            outcome->explained = run();
        } catch (const std::exception& caught) {
            outcome->error = asError(caught);
        }
    });
    m_running.push_back(thread);
    connect(thread, &QThread::finished, this, [this, thread, outcome, ticket = job.ticket] {
        std::erase(m_running, thread);
        thread->deleteLater();
        if (outcome->explained)
            m_logic.finished(ticket, std::move(*outcome->explained));
        else if (outcome->error)
            m_logic.failed(ticket, *outcome->error);
        render();
    });
    thread->start();
}

void ExplainWindow::chkMatched_Click(bool checked) {
    m_logic.chkMatched_Click(checked);
    render();
}

void ExplainWindow::cmdExportExplained_Click() {
    struct WaitCursor {
        WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
        ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    } wait;
    m_logic.cmdExportExplained_Click();  // says what went wrong itself
}

void ExplainWindow::render() {
    m_heading->setText(QString::fromStdString(m_logic.heading()));
    m_headline->setText(m_logic.busy() ? QString("Explaining....") : QString::fromStdString(m_logic.headline()));
    {
        const QSignalBlocker quiet(m_matched);
        m_matched->setChecked(m_logic.showMatched());
    }
    m_model.setLines(m_logic.shown());
    m_grid->resizeColumnsToContents();
    if (m_logic.busy())
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

}  // namespace vesk::gui
