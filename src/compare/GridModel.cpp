#include "compare/GridModel.h"

#include <QColor>
#include <QEvent>
#include <QFont>
#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <QTableView>
#include <algorithm>
#include <charconv>
#include <numeric>

#include "widgets/FormStyle.h"

namespace vesk::gui {

namespace {

// Amounts align right, as a grid aligns numbers.
bool looksNumeric(const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && p == end;
}

}  // namespace

void GridModel::refresh(QTableView& view) {
    beginResetModel();
    endResetModel();
    for (std::size_t c = 0; c < m_grid.widthsTwips.size(); ++c)
        view.setColumnHidden(int(c), m_grid.widthsTwips[c] == 0);
    showRows(view);
    // The view's width changes with the window and with its vertical scroll bar.
    view.viewport()->installEventFilter(this);
    fitColumns(view);
}

void GridModel::fitColumns(QTableView& view) const {
    std::vector<int> shown;
    for (std::size_t c = 0; c < m_grid.widthsTwips.size(); ++c)
        if (m_grid.widthsTwips[c] > 0) shown.push_back(int(c));
    if (shown.empty()) return;

    // What a cell's text needs: the text and the item's margins on both sides, and the grid line.
    const int margin = 2 * (view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1) + 1;
    const QFontMetrics plain(view.font()), bold(gridFont(true));
    const QFontMetrics heading(view.horizontalHeader()->font());
    std::vector<int> designed, needed;
    for (int c : shown) {
        designed.push_back(twips(m_grid.widthsTwips[std::size_t(c)]));
        int need = heading.horizontalAdvance(QString::fromStdString(m_grid.headers[std::size_t(c)])) + 2 * margin;
        for (const compare::GridRow& row : m_grid.rows) {
            if (std::size_t(c) >= row.cells.size()) continue;
            const QFontMetrics& metrics = row.total ? bold : plain;
            need = std::max(need,
                            metrics.horizontalAdvance(QString::fromStdString(row.cells[std::size_t(c)].text)) + margin);
        }
        needed.push_back(need);
    }
    const auto name = std::size_t(std::max_element(designed.begin(), designed.end()) - designed.begin());
    std::vector<int> widths(shown.size());
    for (std::size_t i = 0; i < shown.size(); ++i) widths[i] = std::max(designed[i], needed[i]);
    const int room = view.viewport()->width();
    int spare = room - std::accumulate(widths.begin(), widths.end(), 0);
    if (spare < 0) {
        // Names are cut short (their full text is the tooltip) before any amount is; the heading stays whole.
        const int floor = std::min(
            widths[name],
            heading.horizontalAdvance(QString::fromStdString(m_grid.headers[std::size_t(shown[name])])) + 2 * margin);
        const int given = std::min(widths[name] - floor, -spare);
        widths[name] -= given;
        spare += given;
    }
    if (spare > 0) {
        const int total = std::accumulate(designed.begin(), designed.end(), 0);
        int shared = 0;
        for (std::size_t i = 0; i < shown.size(); ++i) {
            const int part = int(std::int64_t(spare) * designed[i] / total);
            widths[i] += part;
            shared += part;
        }
        widths[name] += spare - shared;
    }
    for (std::size_t i = 0; i < shown.size(); ++i) view.setColumnWidth(shown[i], widths[i]);
}

bool GridModel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize)
        if (auto* view = qobject_cast<QTableView*>(watched->parent())) fitColumns(*view);
    return QAbstractTableModel::eventFilter(watched, event);
}

void GridModel::showRows(QTableView& view) const {
    for (std::size_t r = 0; r < m_grid.rows.size(); ++r) view.setRowHidden(int(r), !m_grid.rows[r].visible);
}

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_grid.rows.size()); }

int GridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_grid.columnCount()); }

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || std::size_t(index.row()) >= m_grid.rows.size()) return {};
    const compare::GridRow& row = m_grid.rows[std::size_t(index.row())];
    if (std::size_t(index.column()) >= row.cells.size()) return {};
    const compare::GridCell& cell = row.cells[std::size_t(index.column())];
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return QString::fromStdString(cell.text);
        case Qt::BackgroundRole:
            if (cell.red) return qColor(palette::kDifference);
            if (row.total) return qColor(palette::kTotal);
            return {};
        case Qt::ForegroundRole:
            if (cell.red) return qColor(palette::kDifferenceText);
            return {};
        case Qt::FontRole:
            if (row.total) return gridFont(true);
            return {};
        case Qt::TextAlignmentRole: {
            const auto column = std::size_t(index.column());
            const bool left =
                column < m_grid.alignments.size() && m_grid.alignments[column] == compare::Align::LeftCenter;
            if (!left && looksNumeric(cell.text)) return int(Qt::AlignRight | Qt::AlignVCenter);
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        }
        default:
            return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        std::size_t(section) >= m_grid.headers.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString::fromStdString(m_grid.headers[std::size_t(section)]);
}

}  // namespace vesk::gui
