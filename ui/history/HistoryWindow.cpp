#include "history/HistoryWindow.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "widgets/FormStyle.h"
#include "widgets/GridHabits.h"
#include "widgets/ListWindow.h"
#include "widgets/Printing.h"

namespace vesk::gui {

HistoryWindow::HistoryWindow(QWidget* form, const QString& formTitle, const history::HistoryScreen& records)
    : QWidget(form, Qt::Window), m_records(records), m_formTitle(formTitle.toStdString()) {
    m_printTo = [this](const compare::Printout& printout) { previewPrintout(this, printout); };
    setObjectName("frmHistory");
    setWindowTitle(formTitle + " - History");
    resize(twips(18600), twips(6600));

    auto* heading = new QLabel("Changes to the data, newest first", this);
    heading->setObjectName("lblHistory");
    heading->setFont(formFont("Lucida Bright", 12, true));

    m_all = new QCheckBox("Show &all", this);
    m_all->setObjectName("chkShowAll");
    m_all->setToolTip("Every change to the file, not only this form's");

    m_model.setSortKey([this](int row, int column) {
        return QString::fromStdString(m_records.sortKey(m_all->isChecked(), std::size_t(row), column));
    });
    m_sorted.setSortRole(ResultSetModel::kSortRole);
    m_grid = new QTableView(this);
    m_grid->setObjectName("grdHistory");
    m_grid->setFont(formFont("Lucida Bright", 9));
    m_sorted.setSourceModel(&m_model);
    m_grid->setModel(&m_sorted);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSortingEnabled(true);
    m_grid->sortByColumn(-1, Qt::AscendingOrder);  // newest first until a heading is clicked
    GridHabits::install(m_grid);
    m_grid->verticalHeader()->setDefaultSectionSize(22);
    m_grid->horizontalHeader()->setStretchLastSection(true);

    auto* close = makeButton(this, "cmdClose", "&Close", twipsRect(0, 0, 2040, 600), formFont("Cooper Black", 11));
    close->setMinimumSize(close->size());
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* print = makeButton(this, "cmdPrint", "&Print…", twipsRect(0, 0, 2040, 600), formFont("Cooper Black", 11));
    print->setMinimumSize(print->size());
    connectPrint(this, print, [this] { this->print(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_all);
    buttons->addStretch();
    buttons->addWidget(print);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(m_grid, 1);
    layout->addLayout(buttons);
    close->setFocus();
    useKeyboard(this, nullptr, close);  // Escape closes it as Close does
    connect(m_all, &QCheckBox::toggled, this, &HistoryWindow::refresh);
}

void HistoryWindow::showRecords() {
    refresh();
    showOverOpener(this);
}

void HistoryWindow::refresh() {
    m_model.setResult(m_records.grid(m_all->isChecked()));
    fitListColumns(m_grid);
    m_grid->setCurrentIndex({});  // no cell picked until the person picks one
    // Wide enough for every column, the whole hash included, as far as the screen allows.
    const QMargins margins = layout()->contentsMargins();
    const int wanted = m_grid->horizontalHeader()->length() + m_grid->verticalHeader()->width() +
                       2 * m_grid->frameWidth() + m_grid->verticalScrollBar()->sizeHint().width() + margins.left() +
                       margins.right();
    int widest = wanted;
    if (const QScreen* s = QWidget::screen()) widest = std::min(wanted, s->availableGeometry().width() - 40);
    if (widest > width()) resize(widest, height());
}

void HistoryWindow::print() {
    std::vector<std::size_t> rows;
    for (int r = 0; r < m_sorted.rowCount(); ++r)
        rows.push_back(std::size_t(m_sorted.mapToSource(m_sorted.index(r, 0)).row()));
    m_printTo(m_records.printout(m_all->isChecked(), rows, m_formTitle, localNow()));
}

bool FormHistory::read() {
    bool done = false;
    m_form.guarded([&] { done = m_read(); });
    return done;
}

void FormHistory::open() {
    if (!read()) return;
    if (!m_window) m_window = new HistoryWindow(&m_form, m_form.windowTitle(), m_records);
    m_window->showRecords();
}

void FormHistory::refresh() {
    if (!m_window || !m_window->isVisible()) return;
    if (read()) m_window->refresh();
}

void FormHistory::close() {
    if (m_window) m_window->close();
}

}  // namespace vesk::gui
