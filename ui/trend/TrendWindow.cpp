#include "trend/TrendWindow.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QCursor>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTableView>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <memory>

#include "trend/TrendWording.h"
#include "widgets/FormStyle.h"

namespace vesk::gui {

namespace {

// The window's size when it first opens; on a smaller screen, what the screen has room for.
constexpr int kWidth = 1120, kHeight = 700;
// Month names lie on their side once they no longer fit across.
constexpr std::size_t kUprightMonths = 12;

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

    auto* chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    // Amounts on the axis grouped by thousands, as the program writes them everywhere.
    chart->setLocalizeNumbers(true);
    chart->setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    chart->setMargins(QMargins(4, 4, 4, 4));
    m_chart = new QChartView(chart, this);
    m_chart->setObjectName("chtTrend");
    m_chart->setRenderHint(QPainter::Antialiasing);
    m_chart->setMinimumHeight(220);
    layout->addWidget(m_chart, 3);

    layout->addWidget(makeLabel(this, "lblMap", trend::kMapCaption, {}, formFont("MS Sans Serif", 9, true)));
    m_map = new QTableView(this);
    m_map->setObjectName("grdMap");
    m_map->setModel(&m_mapModel);
    m_map->setFont(gridFont());
    m_map->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_map->setSelectionMode(QAbstractItemView::SingleSelection);
    m_map->verticalHeader()->setDefaultSectionSize(20);
    m_map->verticalHeader()->setFont(gridFont());
    m_map->horizontalHeader()->setFont(gridFont(true));
    m_map->setMinimumHeight(140);
    layout->addWidget(m_map, 2);

    const QFont buttonFont = formFont("Cooper Black", 12);
    auto* buttons = new QHBoxLayout;
    m_export = makeButton(this, "cmdExport", trend::kExportCaption, twipsRect(0, 0, 2775, 615), buttonFont);
    m_export->setFixedSize(m_export->size());
    auto* close = makeButton(this, "cmdClose", trend::kCloseCaption, twipsRect(0, 0, 1815, 615), buttonFont);
    close->setFixedSize(close->size());
    buttons->addWidget(m_export);
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    connect(m_from, &QComboBox::activated, this, &TrendWindow::chooseFrom);
    connect(m_to, &QComboBox::activated, this, &TrendWindow::chooseTo);
    connect(m_export, &QPushButton::clicked, this, &TrendWindow::exportTrend);
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
    show();
    raise();
    activateWindow();
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

void TrendWindow::openCellComparison(const QModelIndex& index) {
    if (const auto target = m_logic.comparisonAt(index.row(), index.column()))
        emit comparisonRequested(target->month.year, target->month.month, QString::fromStdString(target->office));
}

void TrendWindow::hoverMonth(bool over, int index) {
    const QString text = over ? QString::fromStdString(m_logic.hoverText(index)) : QString();
    m_chart->setToolTip(text);
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(QCursor::pos(), text, m_chart);
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
    QChart* chart = m_chart->chart();
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    m_chart->setToolTip({});
    if (v.categories.empty()) {
        chart->setTitle(QString::fromStdString(v.emptyText));
        return;
    }
    chart->setTitle(trend::kChartTitle);

    auto* amounts = new QBarSet(trend::monthHeaders().back().c_str());
    amounts->setColor(qColor(palette::kTrendColumns));
    for (double amount : v.toExplain) amounts->append(amount);
    auto* columns = new QBarSeries;
    columns->append(amounts);
    auto* line = new QLineSeries;
    line->setName(trend::monthHeaders()[2].c_str());
    line->setPointsVisible(true);
    QPen pen(qColor(palette::kTrendLine));
    pen.setWidth(2);
    line->setPen(pen);
    for (std::size_t i = 0; i < v.differing.size(); ++i) line->append(double(i), v.differing[i]);
    chart->addSeries(columns);
    chart->addSeries(line);

    auto* months = new QBarCategoryAxis;
    for (const std::string& label : v.categories) months->append(QString::fromStdString(label));
    if (v.categories.size() > kUprightMonths) months->setLabelsAngle(-90);
    chart->addAxis(months, Qt::AlignBottom);
    columns->attachAxis(months);
    line->attachAxis(months);

    auto* amountAxis = new QValueAxis;
    amountAxis->setTitleText(trend::kAmountAxis);
    amountAxis->setLabelFormat("%.0f");
    amountAxis->setRange(0, std::max(1.0, *std::max_element(v.toExplain.begin(), v.toExplain.end())));
    amountAxis->applyNiceNumbers();
    chart->addAxis(amountAxis, Qt::AlignLeft);
    columns->attachAxis(amountAxis);

    auto* countAxis = new QValueAxis;
    countAxis->setTitleText(trend::kCountAxis);
    countAxis->setLabelFormat("%.0f");
    const int most = std::max(1, *std::max_element(v.differing.begin(), v.differing.end()));
    // Whole offices only, a tick per office or per few when there are many, and a step of room
    // above the highest so that its line does not run along the chart's edge.
    const int step = std::max(1, int(std::ceil(most / 6.0)));
    const int ticks = most / step + 1;
    countAxis->setRange(0, step * ticks);
    countAxis->setTickCount(ticks + 1);
    countAxis->setLinePenColor(qColor(palette::kTrendLine));
    chart->addAxis(countAxis, Qt::AlignRight);
    line->attachAxis(countAxis);

    connect(amounts, &QBarSet::hovered, this, &TrendWindow::hoverMonth);
    connect(line, &QLineSeries::hovered, this,
            [this](const QPointF& point, bool over) { hoverMonth(over, int(std::lround(point.x()))); });
}

}  // namespace vesk::gui
