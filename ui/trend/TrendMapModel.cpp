#include "trend/TrendMapModel.h"

#include <QBrush>
#include <QColor>

#include "core/Palette.h"
#include "trend/TrendWording.h"

namespace vesk::gui {

namespace {

// From white (nothing to explain) to the differences' red (the map's largest amount).
QColor shaded(double shade) {
    const Rgb& red = palette::kDifference;
    const auto mix = [shade](int full) { return int(255 + (full - 255) * shade + 0.5); };
    return QColor(mix(red.red), mix(red.green), mix(red.blue));
}

// White text on the darker half of the scale, where black would be hard to read.
constexpr double kDarkShade = 0.55;

}  // namespace

int TrendMapModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_view.map.size()); }

int TrendMapModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid() || m_view.categories.empty()) return 0;
    return int(m_view.categories.size()) + 1;  // the months, then Open
}

QVariant TrendMapModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || std::size_t(index.row()) >= m_view.map.size()) return {};
    const trend::MapRow& row = m_view.map[std::size_t(index.row())];
    if (std::size_t(index.column()) == row.cells.size()) {
        if (role == Qt::DisplayRole) return QString::fromStdString(row.open);
        if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    }
    if (std::size_t(index.column()) > row.cells.size()) return {};
    const trend::MapCell& cell = row.cells[std::size_t(index.column())];
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(cell.text);
        case Qt::ToolTipRole:
            return QString::fromStdString(cell.hover);
        case Qt::TextAlignmentRole:
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        case Qt::BackgroundRole:
            if (cell.shade > 0) return QBrush(shaded(cell.shade));
            return {};
        case Qt::ForegroundRole:
            if (cell.shade > kDarkShade) return QBrush(Qt::white);
            return {};
        default:
            return {};
    }
}

QVariant TrendMapModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || section < 0) return {};
    if (orientation == Qt::Horizontal) {
        if (std::size_t(section) < m_view.categories.size())
            return QString::fromStdString(m_view.categories[std::size_t(section)]);
        return std::size_t(section) == m_view.categories.size() ? QVariant(trend::kOpenHeader) : QVariant();
    }
    return std::size_t(section) < m_view.map.size()
               ? QVariant(QString::fromStdString(m_view.map[std::size_t(section)].office))
               : QVariant();
}

void TrendMapModel::refresh() {
    beginResetModel();
    endResetModel();
}

}  // namespace vesk::gui
