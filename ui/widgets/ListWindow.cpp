#include "widgets/ListWindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTextDocument>
#include <QVBoxLayout>

#include "widgets/FormStyle.h"
#include "widgets/GridHabits.h"

namespace vesk::gui {

ListWindowParts buildListWindow(QWidget* window, const QString& gridName, QSortFilterProxyModel* sorted, int rowHeight,
                                const std::vector<QWidget*>& left, const std::vector<QPushButton*>& buttons,
                                const QString& exportName) {
    ListWindowParts parts;
    auto* layout = new QVBoxLayout(window);
    parts.heading = makeLabel(window, "lblHeading", "", {}, formFont("Lucida Bright", 12, true));
    parts.heading->setAlignment(Qt::AlignCenter);
    layout->addWidget(parts.heading);
    parts.headline = makeLabel(window, "lblHeadline", "", {}, formFont("MS Sans Serif", 10, true));
    parts.headline->setAlignment(Qt::AlignCenter);
    parts.headline->setWordWrap(true);
    layout->addWidget(parts.headline);

    parts.grid = new QTableView(window);
    parts.grid->setObjectName(gridName);
    parts.grid->setFont(formFont("Lucida Bright", 8));
    parts.grid->setModel(sorted);
    parts.grid->setSortingEnabled(true);
    parts.grid->sortByColumn(-1, Qt::AscendingOrder);  // the model's order until a heading is clicked
    parts.grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    parts.grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    parts.grid->verticalHeader()->hide();
    parts.grid->verticalHeader()->setDefaultSectionSize(rowHeight);
    parts.grid->horizontalHeader()->setStretchLastSection(true);
    GridHabits::install(parts.grid);
    layout->addWidget(parts.grid, 1);

    const QFont buttonFont = formFont("Cooper Black", 12);
    parts.exportButton = makeButton(window, exportName, "E&xport to Excel", twipsRect(0, 0, 2775, 615), buttonFont);
    parts.exportButton->setFixedSize(parts.exportButton->size());
    parts.close = makeButton(window, "cmdClose", "Cl&ose", twipsRect(0, 0, 1815, 615), buttonFont);
    parts.close->setFixedSize(parts.close->size());
    auto* row = new QHBoxLayout;
    for (QWidget* w : left) row->addWidget(w);
    row->addStretch(1);
    for (QPushButton* b : buttons) {
        b->setFont(buttonFont);
        row->addWidget(b);
        row->addSpacing(12);
    }
    row->addWidget(parts.exportButton);
    row->addSpacing(12);
    row->addWidget(parts.close);
    layout->addSpacing(6);
    layout->addLayout(row);

    QObject::connect(parts.close, &QPushButton::clicked, window, &QWidget::close);
    useKeyboard(window, nullptr, parts.close);
    return parts;
}

std::function<void()> addDetailPane(QWidget* window, QTableView* grid, const QSortFilterProxyModel* sorted,
                                    RowText text) {
    constexpr int kLines = 3;
    auto* pane = new QPlainTextEdit(window);
    pane->setObjectName("txtHintDetail");
    pane->setReadOnly(true);
    pane->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    pane->setFont(grid->font());
    pane->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    const QMargins margins = pane->contentsMargins();
    pane->setFixedHeight(kLines * pane->fontMetrics().lineSpacing() + 2 * int(pane->document()->documentMargin()) +
                         2 * pane->frameWidth() + margins.top() + margins.bottom());
    auto* layout = static_cast<QVBoxLayout*>(window->layout());
    layout->insertWidget(layout->indexOf(grid) + 1, pane);
    std::function<void()> show = [pane, grid, sorted, text = std::move(text)] {
        const QModelIndex current = grid->currentIndex();
        std::optional<std::size_t> row;
        if (current.isValid()) row = std::size_t(sorted->mapToSource(current).row());
        pane->setPlainText(QString::fromStdString(text(row)));
    };
    QObject::connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, pane, show);
    return show;
}

void connectPrint(QWidget* window, QPushButton* button, const std::function<void()>& print) {
    QObject::connect(button, &QPushButton::clicked, window, print);
    auto* key = new QShortcut(QKeySequence::Print, window);
    QObject::connect(key, &QShortcut::activated, window, [button, print] {
        if (button->isEnabled()) print();
    });
}

void showBusy(QWidget* window, bool busy) {
    if (busy)
        window->setCursor(Qt::BusyCursor);
    else
        window->unsetCursor();
}

}  // namespace vesk::gui
