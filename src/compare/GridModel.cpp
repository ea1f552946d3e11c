#include "compare/GridModel.h"

#include <QColor>
#include <QFont>
#include <QHeaderView>
#include <QTableView>
#include <algorithm>
#include <charconv>

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
    for (std::size_t c = 0; c < m_grid.widthsTwips.size(); ++c) {
        const int width = m_grid.widthsTwips[c];
        view.setColumnHidden(int(c), width == 0);
        if (width == 0) continue;
        // The set width, widened where an amount (the bold total above all) would be cut off.
        view.resizeColumnToContents(int(c));
        view.setColumnWidth(int(c), std::max(twips(width), view.columnWidth(int(c))));
    }
    showRows(view);
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
            return QString::fromStdString(cell.text);
        case Qt::BackgroundRole:
            if (cell.red) return qColor(palette::kDifference);
            if (row.total) return qColor(palette::kTotal);
            return {};
        case Qt::ForegroundRole:
            if (cell.red) return qColor(palette::kDifferenceText);
            return {};
        case Qt::FontRole:
            if (row.total) return formFont("Lucida Bright", 8, true);
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
