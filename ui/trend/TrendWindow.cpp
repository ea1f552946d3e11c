#include "trend/TrendWindow.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "trend/TrendChart.h"
#include "trend/TrendWording.h"
#include "widgets/FormStyle.h"
#include "widgets/GridHabits.h"
#include "widgets/ListWindow.h"
#include "widgets/Printing.h"

namespace vesk::gui {

namespace {

// The window's size when it first opens; on a smaller screen, what the screen has room for.
constexpr int kWidth = 1120, kHeight = 700;

void fillCombo(QComboBox* combo, const std::vector<std::string>& items, int selected) {
    const QSignalBlocker block(combo);
    combo->clear();
    for (const std::string& item : items) combo->addItem(QString::fromStdString(item));
    combo->setCurrentIndex(selected);
}

QComboBox* makeCombo(QWidget* parent, const QString& name) {
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->setFont(formFont("Rockwell", 10));
    c->setMinimumContentsLength(9);
    return c;
}

QLabel* labelFor(QWidget* parent, const QString& name, const char* text, QWidget* buddy) {
    QLabel* l = makeLabel(parent, name, text, {}, formFont("MS Sans Serif", 10, true));
    l->setWordWrap(false);
    l->setBuddy(buddy);
    return l;
}

}  // namespace

TrendWindow::TrendWindow(const std::string& databasePath, QWidget* parent)
    : QWidget(parent, Qt::Window), m_prompter(this), m_logic(databasePath, m_prompter), m_mapModel(m_logic.view()) {
    setObjectName("frmTrend");
    setWindowTitle(trend::kWindowTitle);
    resize(kWidth, kHeight);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    QLabel* heading = makeLabel(this, "lblHeading", trend::kHeading, {}, formFont("Lucida Bright", 14, true));
    heading->setWordWrap(false);
    top->addWidget(heading);
    top->addStretch(1);
    m_from = makeCombo(this, "cboFrom");
    m_to = makeCombo(this, "cboTo");
    top->addWidget(labelFor(this, "lblFrom", trend::kFromLabel, m_from));
    top->addWidget(m_from);
    top->addSpacing(12);
    top->addWidget(labelFor(this, "lblTo", trend::kToLabel, m_to));
    top->addWidget(m_to);
    layout->addLayout(top);

    m_status = makeLabel(this, "lblStatus", "", {}, formFont("MS Sans Serif", 9));
    layout->addWidget(m_status);

    m_chart = new TrendChart(this);
    m_chart->setObjectName("chtTrend");
    m_chart->setMinimumHeight(220);
    layout->addWidget(m_chart, 3);

    layout->addWidget(makeLabel(this, "lblMap", trend::kMapCaption, {}, formFont("MS Sans Serif", 9, true)));
    m_map = new QTableView(this);
    m_map->setObjectName("grdMap");
    m_mapSorted.setSourceModel(&m_mapModel);
    m_map->setModel(&m_mapSorted);
    m_map->setFont(gridFont());
    m_map->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_map->setSortingEnabled(true);
    m_map->sortByColumn(-1, Qt::AscendingOrder);  // the offices' order until a heading is clicked
    GridHabits::install(m_map)->addRowAction("Open the &comparison",
                                             [this] { openCellComparison(m_map->currentIndex()); });
    m_map->verticalHeader()->setDefaultSectionSize(20);
    m_map->verticalHeader()->setFont(gridFont());
    m_map->horizontalHeader()->setFont(gridFont(true));
    m_map->setMinimumHeight(140);
    layout->addWidget(m_map, 2);

    const QFont buttonFont = formFont("Cooper Black", 12);
    auto* buttons = new QHBoxLayout;
    m_export = makeButton(this, "cmdExport", trend::kExportCaption, twipsRect(0, 0, 2775, 615), buttonFont);
    m_export->setFixedSize(m_export->size());
    auto* print = makeButton(this, "cmdPrint", trend::kPrintCaption, twipsRect(0, 0, 1815, 615), buttonFont);
    print->setFixedSize(print->size());
    auto* close = makeButton(this, "cmdClose", trend::kCloseCaption, twipsRect(0, 0, 1815, 615), buttonFont);
    close->setFixedSize(close->size());
    buttons->addWidget(m_export);
    buttons->addWidget(print);
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    connect(m_from, &QComboBox::activated, this, &TrendWindow::chooseFrom);
    connect(m_to, &QComboBox::activated, this, &TrendWindow::chooseTo);
    connect(m_export, &QPushButton::clicked, this, &TrendWindow::exportTrend);
    connectPrint(this, print, [this] { printChart(); });
    m_logic.setPrintTarget([this](const compare::Printout& printout) {
        previewPrintout(this, printout,
                        [this](QPainter& painter, const QRectF& area) { m_chart->paint(painter, area); });
    });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    // A double click, or Enter on the cell.
    connect(m_map, &QTableView::activated, this, &TrendWindow::openCellComparison);
    // Escape closes; Enter exports nothing unasked.
    useKeyboard(this, nullptr, close);
    render();
}

void TrendWindow::setVisible(bool visible) {
    m_place.beforeVisible(*this, visible);
    QWidget::setVisible(visible);
}

void TrendWindow::open() {
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    if (screen()) {
        const QRect room = screen()->availableGeometry();
        resize(std::min(width(), room.width() - 40), std::min(height(), room.height() - 60));
    }
    showOverOpener(this);
    run(m_logic.load());
}

TrendWindow::~TrendWindow() = default;

void TrendWindow::run(trend::TrendScreen::Job job) {
    m_work.start<trend::TrendScreen::Loaded>(
        std::move(job.run),
        [this, ticket = job.ticket](const trend::TrendScreen::Loaded& loaded) {
            m_logic.finished(ticket, loaded);
            showOutcome();
        },
        [this, ticket = job.ticket](const Error& error) {
            m_logic.failed(ticket, error);
            showOutcome();
        });
    render();
}

void TrendWindow::showOutcome() {
    render();
    if (!m_logic.view().loading) emit loaded();
}

void TrendWindow::chooseFrom(int index) {
    if (auto job = m_logic.chooseFrom(index)) run(std::move(*job));
}

void TrendWindow::chooseTo(int index) {
    if (auto job = m_logic.chooseTo(index)) run(std::move(*job));
}

void TrendWindow::exportTrend() {
    m_export->setEnabled(false);
    m_logic.exportTrend();
    m_export->setEnabled(m_logic.view().exportEnabled);
}

void TrendWindow::printChart() { m_logic.print(); }

void TrendWindow::openCellComparison(const QModelIndex& index) {
    if (!index.isValid()) return;
    if (const auto target = m_logic.comparisonAt(m_mapSorted.mapToSource(index).row(), index.column()))
        emit comparisonRequested(target->month.year, target->month.month, QString::fromStdString(target->office));
}

void TrendWindow::render() {
    const trend::TrendView& v = m_logic.view();
    fillCombo(m_from, v.months, v.from);
    fillCombo(m_to, v.months, v.to);
    const bool choosing = !v.loading && !v.months.empty();
    m_from->setEnabled(choosing);
    m_to->setEnabled(choosing);
    m_export->setEnabled(!v.loading && v.exportEnabled);
    m_status->setText(QString::fromStdString(v.statusText));
    m_mapModel.refresh();
    m_map->resizeColumnsToContents();
    m_map->verticalHeader()->resizeSections(QHeaderView::ResizeToContents);
    if (!v.loading) renderChart();
}

void TrendWindow::renderChart() {
    const trend::TrendView& v = m_logic.view();
    TrendChartData chart;
    if (v.categories.empty()) {
        chart.emptyText = QString::fromStdString(v.emptyText);
        m_chart->setData(std::move(chart));
        return;
    }
    chart.title = trend::kChartTitle;
    chart.columns = {QString(trend::kToExplainHeader), trend::kAmountAxis, qColor(palette::kTrendColumns), v.toExplain};
    chart.line = {QString::fromStdString(trend::monthHeaders()[2]), trend::kCountAxis, qColor(palette::kTrendLine),
                  std::vector<double>(v.differing.begin(), v.differing.end())};
    for (std::size_t i = 0; i < v.categories.size(); ++i) {
        chart.months.append(QString::fromStdString(v.categories[i]));
        chart.hover.append(QString::fromStdString(m_logic.hoverText(int(i))));
    }
    m_chart->setData(std::move(chart));
}

}  // namespace vesk::gui
