#include "compare/GridModel.h"

#include <QAbstractProxyModel>
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
    measure(view);
    // The view's width changes with the window and with its vertical scroll bar.
    view.viewport()->installEventFilter(this);
    fitColumns(view);
}

void GridModel::measure(const QTableView& view) {
    // What a text needs: itself, the item's margins on both sides and the grid line; a
    // heading also room for the header's own frame.
    const int margin = 2 * (view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1) + 1;
    const QFontMetrics plain(view.font()), bold(gridFont(true));
    const QFontMetrics heading(view.horizontalHeader()->font());
    m_columns.clear();
    for (std::size_t c = 0; c < m_grid.widthsTwips.size(); ++c) {
        if (m_grid.widthsTwips[c] == 0) continue;
        const int header = heading.horizontalAdvance(QString::fromStdString(m_grid.headers[c])) + 2 * margin;
        int need = header;
        for (const compare::GridRow& row : m_grid.rows) {
            if (c >= row.cells.size()) continue;
            const QFontMetrics& metrics = row.total ? bold : plain;
            need = std::max(need, metrics.horizontalAdvance(QString::fromStdString(row.cells[c].text)) + margin);
        }
        m_columns.push_back({int(c), twips(m_grid.widthsTwips[c]), need, header});
    }
}

void GridModel::fitColumns(QTableView& view) const {
    if (m_columns.empty()) return;
    const auto name =
        std::size_t(std::max_element(m_columns.begin(), m_columns.end(),
                                     [](const Column& a, const Column& b) { return a.designed < b.designed; }) -
                    m_columns.begin());
    std::vector<int> widths;
    int designed = 0;
    for (const Column& c : m_columns) {
        widths.push_back(std::max(c.designed, c.needed));
        designed += c.designed;
    }
    int spare = view.viewport()->width() - std::accumulate(widths.begin(), widths.end(), 0);
    if (spare < 0) {
        // Names are cut short (their full text is the tooltip) before any amount is; the heading stays whole.
        const int given = std::max(0, std::min(widths[name] - m_columns[name].heading, -spare));
        widths[name] -= given;
        spare += given;
    }
    if (spare > 0) {
        int shared = 0;
        for (std::size_t i = 0; i < m_columns.size(); ++i) {
            const int part = int(std::int64_t(spare) * m_columns[i].designed / designed);
            widths[i] += part;
            shared += part;
        }
        widths[name] += spare - shared;
    }
    for (std::size_t i = 0; i < m_columns.size(); ++i) view.setColumnWidth(m_columns[i].index, widths[i]);
}

bool GridModel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize)
        if (auto* view = qobject_cast<QTableView*>(watched->parent())) fitColumns(*view);
    return QAbstractTableModel::eventFilter(watched, event);
}

void GridModel::showRows(QTableView& view) const {
    // The view may show the rows sorted: each is hidden where it stands there.
    const auto* sorted = qobject_cast<const QAbstractProxyModel*>(view.model());
    for (std::size_t r = 0; r < m_grid.rows.size(); ++r) {
        const int shown = sorted ? sorted->mapFromSource(index(int(r), 0)).row() : int(r);
        if (shown >= 0) view.setRowHidden(shown, !m_grid.rows[r].visible);
    }
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
