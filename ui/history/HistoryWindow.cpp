#include "history/HistoryWindow.h"

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

namespace vesk::gui {

HistoryWindow::HistoryWindow(QWidget* form, const QString& formTitle) : QWidget(form, Qt::Window) {
    setObjectName("frmHistory");
    setWindowTitle(formTitle + " - History");
    resize(twips(18600), twips(6600));

    auto* heading = new QLabel("Changes to the data, newest first", this);
    heading->setObjectName("lblHistory");
    heading->setFont(formFont("Lucida Bright", 12, true));

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

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(m_grid, 1);
    layout->addLayout(buttons);
    close->setFocus();
    useKeyboard(this, nullptr, close);  // Escape closes it as Close does
}

void HistoryWindow::showRecords(const history::HistoryScreen& records) {
    refresh(records);
    show();
    raise();
    activateWindow();
}

void HistoryWindow::refresh(const history::HistoryScreen& records) {
    if (!m_aligned)
        for (int column : records.numberColumns()) m_model.setAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    m_aligned = true;
    m_model.setResult(records.grid());
    m_grid->resizeColumnsToContents();
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

bool FormHistory::read() {
    bool done = false;
    m_form.guarded([&] { done = m_read(); });
    return done;
}

void FormHistory::open() {
    if (!read()) return;
    if (!m_window) m_window = new HistoryWindow(&m_form, m_form.windowTitle());
    m_window->showRecords(m_records);
}

void FormHistory::refresh() {
    if (!m_window || !m_window->isVisible()) return;
    if (read()) m_window->refresh(m_records);
}

void FormHistory::close() {
    if (m_window) m_window->close();
}

}  // namespace vesk::gui
