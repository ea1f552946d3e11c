#include "widgets/GridHabits.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTableView>
#include <algorithm>
#include <optional>

namespace vesk::gui {

namespace {

constexpr const char* kHabitsProperty = "vesk.gridHabits";

QString cellText(const QModelIndex& index) { return index.data(Qt::DisplayRole).toString(); }

}  // namespace

GridHabits::GridHabits(QTableView* grid) : QObject(grid), m_grid(grid) {
    if (grid->selectionMode() != QAbstractItemView::NoSelection)
        grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QWidget::customContextMenuRequested, this, &GridHabits::showMenu);
    grid->installEventFilter(this);
    grid->setProperty(kHabitsProperty, QVariant::fromValue(static_cast<QObject*>(this)));
}

GridHabits* GridHabits::install(QTableView* grid) {
    if (GridHabits* given = of(grid)) return given;
    return new GridHabits(grid);
}

GridHabits* GridHabits::of(const QTableView* grid) {
    return qobject_cast<GridHabits*>(grid->property(kHabitsProperty).value<QObject*>());
}

void GridHabits::addRowAction(const QString& text, std::function<void()> act) {
    m_actions.push_back({text, std::move(act)});
}

QMimeData* GridHabits::copied(bool all) const {
    const QAbstractItemModel* model = m_grid->model();
    const QHeaderView* header = m_grid->horizontalHeader();
    // The grid's order as the person sees it: columns as dragged, rows as sorted, the hidden
    // ones (a filter's rows, a width-0 column) left out.
    std::vector<int> columns, rows;
    for (int v = 0; v < header->count(); ++v) {
        const int c = header->logicalIndex(v);
        if (!m_grid->isColumnHidden(c)) columns.push_back(c);
    }
    for (int r = 0; model && r < model->rowCount(); ++r)
        if (!m_grid->isRowHidden(r)) rows.push_back(r);

    if (!all) {
        const QModelIndexList chosen =
            m_grid->selectionModel() ? m_grid->selectionModel()->selectedIndexes() : QModelIndexList();
        std::vector<int> chosenRows, chosenColumns;
        for (const QModelIndex& i : chosen) {
            chosenRows.push_back(i.row());
            chosenColumns.push_back(i.column());
        }
        const auto keep = [](std::vector<int>& kept, const std::vector<int>& of) {
            std::erase_if(kept, [&](int x) { return std::find(of.begin(), of.end(), x) == of.end(); });
        };
        keep(rows, chosenRows);
        // Whole rows chosen: every column; cells: the rectangle they span.
        const bool wholeRows = std::all_of(chosenRows.begin(), chosenRows.end(), [&](int r) {
            return m_grid->selectionModel()->isRowSelected(r, m_grid->rootIndex());
        });
        if (!wholeRows) {
            int first = header->count(), last = -1;
            for (int c : chosenColumns) {
                first = std::min(first, header->visualIndex(c));
                last = std::max(last, header->visualIndex(c));
            }
            std::erase_if(columns,
                          [&](int c) { return header->visualIndex(c) < first || header->visualIndex(c) > last; });
        }
    }

    // Rows named in their heading (the trend's offices) keep their names; numbered ones do not.
    const auto rowName = [&](int r) -> std::optional<QString> {
        if (m_grid->verticalHeader()->isHidden()) return std::nullopt;
        const QVariant name = model->headerData(r, Qt::Vertical);
        if (name.typeId() != QMetaType::QString) return std::nullopt;
        return name.toString();
    };
    const bool named = !rows.empty() && rowName(rows.front()).has_value();

    QStringList lines;
    QString html = "<table>\n<tr>";
    QStringList headings;
    if (named) {
        headings << QString();
        html += "<th></th>";
    }
    for (int c : columns) {
        const QString heading = model->headerData(c, Qt::Horizontal).toString();
        headings << heading;
        html += "<th>" + heading.toHtmlEscaped() + "</th>";
    }
    lines << headings.join('\t');
    html += "</tr>\n";
    for (int r : rows) {
        QStringList cells;
        html += "<tr>";
        if (named) {
            const QString name = rowName(r).value_or(QString());
            cells << name;
            html += "<th>" + name.toHtmlEscaped() + "</th>";
        }
        for (int c : columns) {
            const QString text = cellText(model->index(r, c));
            // A tab or line break inside a cell would split it in the sheet it is pasted into.
            cells << QString(text).replace('\t', ' ').replace('\n', ' ');
            html += "<td>" + text.toHtmlEscaped() + "</td>";
        }
        lines << cells.join('\t');
        html += "</tr>\n";
    }
    html += "</table>\n";
    auto* data = new QMimeData;
    data->setText(lines.join('\n') + '\n');
    data->setHtml(html);
    return data;
}

void GridHabits::copy(bool all) const { QApplication::clipboard()->setMimeData(copied(all)); }

bool GridHabits::findNext(const QString& text) {
    const QAbstractItemModel* model = m_grid->model();
    const QString wanted = text.trimmed();
    if (!model || wanted.isEmpty()) return false;
    const int count = model->rowCount();
    const int start = m_grid->currentIndex().isValid() ? m_grid->currentIndex().row() + 1 : 0;
    for (int step = 0; step < count; ++step) {
        const int r = (start + step) % count;
        if (m_grid->isRowHidden(r)) continue;
        for (int c = 0; c < model->columnCount(); ++c) {
            if (m_grid->isColumnHidden(c) || !cellText(model->index(r, c)).contains(wanted, Qt::CaseInsensitive))
                continue;
            const QModelIndex found = model->index(r, c);
            m_grid->setCurrentIndex(found);
            m_grid->selectRow(r);
            m_grid->scrollTo(found);
            return true;
        }
    }
    return false;
}

void GridHabits::find() {
    QInputDialog ask(m_grid->window());
    ask.setObjectName("dlgFind");
    ask.setWindowTitle("Find");
    ask.setLabelText("Find an &office or ID:");
    ask.setTextValue(m_lastFind);
    ask.setWindowModality(Qt::WindowModal);
    for (;;) {
        if (ask.exec() != QDialog::Accepted || ask.textValue().trimmed().isEmpty()) return;
        m_lastFind = ask.textValue();
        if (findNext(m_lastFind)) return;
        // Asked again, saying so, rather than a message over the question.
        ask.setLabelText(QString("\"%1\" is not in the grid. Find an &office or ID:").arg(m_lastFind.trimmed()));
    }
}

void GridHabits::showMenu(const QPoint& at) {
    // The row clicked is the one the menu acts on, unless it is among those already chosen.
    const QModelIndex clicked = m_grid->indexAt(at);
    if (clicked.isValid() && !m_grid->selectionModel()->isSelected(clicked)) {
        m_grid->setCurrentIndex(clicked);
        if (m_grid->selectionBehavior() == QAbstractItemView::SelectRows) m_grid->selectRow(clicked.row());
    }
    QMenu menu(m_grid);
    menu.setObjectName("mnuGrid");
    QAction* copyChosen = menu.addAction("&Copy", [this] { copy(false); });
    copyChosen->setShortcut(QKeySequence::Copy);
    copyChosen->setEnabled(m_grid->selectionModel() && m_grid->selectionModel()->hasSelection());
    menu.addAction("Copy &All", [this] { copy(true); });
    menu.addAction("&Find\u2026", [this] { find(); })->setShortcut(QKeySequence::Find);
    if (!m_actions.empty()) menu.addSeparator();
    for (const RowAction& action : m_actions) {
        QAction* entry = menu.addAction(action.text, action.act);
        entry->setEnabled(clicked.isValid());
    }
    menu.exec(m_grid->viewport()->mapToGlobal(at));
}

bool GridHabits::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_grid) return false;
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const bool copying = key->matches(QKeySequence::Copy), finding = key->matches(QKeySequence::Find);
    if (!copying && !finding) return false;
    // Taken before a window's shortcut or the grid's own copy of one cell.
    key->accept();
    if (event->type() == QEvent::ShortcutOverride) return true;
    if (copying) copy(false);
    if (finding) find();
    return true;
}

}  // namespace vesk::gui
