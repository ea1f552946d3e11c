#include "compare/LeftOutWindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

#include "compare/CompareWording.h"
#include "core/Amount.h"
#include "widgets/FormStyle.h"
#include "widgets/GridHabits.h"
#include "widgets/ListWindow.h"

namespace vesk::gui {

namespace {

constexpr std::array<const char*, 3> kGridNames = {"grdUnknownFacility", "grdOrvOnlyOffice", "grdUnknownOffice"};
constexpr int kFirstSumColumn = 2;  // the sums come after the name and the count

// A list as its grid's rows: the name as text, the count as a whole number and the sums as
// numbers, so that sorting by a column orders numbers as numbers.
store::ResultSet listRows(compare::LeftOutKind kind, const compare::LeftOutList& list) {
    const compare::LeftOutLabels& labels = compare::leftOutLabels(kind);
    std::vector<std::vector<store::Value>> rows;
    for (const compare::LeftOutGroup& g : list.groups) rows.push_back({g.name, g.count, g.first, g.second});
    return store::ResultSet({labels.headers.begin(), labels.headers.end()}, std::move(rows));
}

}  // namespace

LeftOutWindow::LeftOutWindow(const compare::CompareScreen& logic, QWidget* parent)
    : QWidget(parent, Qt::Window), m_logic(logic) {
    setObjectName("frmLeftOut");
    setWindowTitle("Left Out of the Comparison");
    resize(twips(11400), twips(10200));

    const QFont labelFont = formFont("MS Sans Serif", 10, true);
    auto* layout = new QVBoxLayout(this);
    m_heading = makeLabel(this, "lblHeading", "", {}, formFont("Lucida Bright", 12, true));
    m_heading->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_heading);
    m_line = makeLabel(this, "lblLine", "", {}, formFont("MS Sans Serif", 9));
    m_line->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_line);

    for (std::size_t k = 0; k < m_lists.size(); ++k) {
        const compare::LeftOutKind kind = compare::kLeftOutKinds[k];
        ListView& list = m_lists[k];
        layout->addSpacing(6);
        layout->addWidget(
            makeLabel(this, QString("lblCaption%1").arg(k + 1), compare::leftOutLabels(kind).caption, {}, labelFont));
        list.model.setFormatter([](const store::Value& v, int column) {
            if (column >= kFirstSumColumn) return QString::fromStdString(formatAmount(v.toNumber()));
            return QString::fromStdString(v.toText());
        });
        for (int c = 1; c < 4; ++c) list.model.setAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        list.sorted = new QSortFilterProxyModel(this);
        list.sorted->setSourceModel(&list.model);
        list.sorted->setSortRole(ResultSetModel::kSortRole);
        list.sorted->setSortCaseSensitivity(Qt::CaseInsensitive);
        list.grid = new QTableView(this);
        list.grid->setObjectName(kGridNames[k]);
        list.grid->setFont(formFont("Lucida Bright", 8));
        list.grid->setModel(list.sorted);
        list.grid->setSortingEnabled(true);
        list.grid->sortByColumn(-1, Qt::AscendingOrder);  // the order the lists come in until a heading is clicked
        list.grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        list.grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        list.grid->verticalHeader()->hide();
        list.grid->verticalHeader()->setDefaultSectionSize(twips(compare::kShownRowHeight) + 2);
        GridHabits::install(list.grid);
        layout->addWidget(list.grid, 1);
        list.total = makeLabel(this, QString("lblTotal%1").arg(k + 1), "", {}, formFont("MS Sans Serif", 9, true));
        list.total->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        list.total->setStyleSheet("background-color: " + styleColour(palette::kTotal) + "; padding: 2px 6px;");
        layout->addWidget(list.total);
    }

    const QFont buttonFont = formFont("Cooper Black", 12);
    auto* buttons = new QHBoxLayout;
    auto* exportButton =
        makeButton(this, "cmdExportLeftOut", "E&xport to Excel", twipsRect(0, 0, 2775, 615), buttonFont);
    exportButton->setFixedSize(exportButton->size());
    auto* print = makeButton(this, "cmdPrint", "P&rint…", twipsRect(0, 0, 1575, 615), buttonFont);
    print->setFixedSize(print->size());
    auto* close = makeButton(this, "cmdClose", "Cl&ose", twipsRect(0, 0, 1815, 615), buttonFont);
    close->setFixedSize(close->size());
    buttons->addWidget(print);
    buttons->addWidget(exportButton);
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    connect(exportButton, &QPushButton::clicked, this, &LeftOutWindow::exportRequested);
    connectPrint(this, print, [this] { emit printRequested(); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    // Escape closes; Enter exports nothing unasked. The letters differ from the comparison
    // form's, so that a letter never names two of the comparison's buttons.
    useKeyboard(this, nullptr, close);
}

void LeftOutWindow::refresh() {
    const std::optional<compare::LeftOut>& leftOut = m_logic.leftOut();
    const std::optional<compare::Period> period = m_logic.period();
    QString heading = "Left out of the comparison";
    if (period) heading += QString::fromStdString(" : " + monthAndYear(*period));
    m_heading->setText(heading);
    m_line->setText(QString::fromStdString(m_logic.view().leftOutText));
    for (std::size_t k = 0; k < m_lists.size(); ++k) {
        const compare::LeftOutKind kind = compare::kLeftOutKinds[k];
        ListView& list = m_lists[k];
        const compare::LeftOutList empty;
        const compare::LeftOutList& shown = leftOut ? leftOut->list(kind) : empty;
        list.model.setResult(listRows(kind, shown));
        list.total->setText(QString::fromStdString(compare::leftOutTotal(kind, shown)));
        // The name takes what the window gives; the count and the amounts keep their width.
        list.grid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
        list.grid->resizeColumnsToContents();
        for (int c = 1; c < 4; ++c) list.grid->setColumnWidth(c, std::max(list.grid->columnWidth(c), twips(1800)));
    }
}

}  // namespace vesk::gui
