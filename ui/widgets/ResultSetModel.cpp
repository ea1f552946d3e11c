#include "widgets/ResultSetModel.h"

namespace vesk::gui {

void ResultSetModel::setResult(std::optional<store::ResultSet> result) {
    beginResetModel();
    m_result = std::move(result);
    endResetModel();
}

void ResultSetModel::setAlignment(int column, Qt::Alignment a) { m_alignments.emplace_back(column, a); }

int ResultSetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_result ? 0 : int(m_result->rowCount());
}

int ResultSetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_result ? 0 : int(m_result->columns().size());
}

QVariant ResultSetModel::data(const QModelIndex& index, int role) const {
    if (!m_result || !index.isValid()) return {};
    if (role == Qt::DisplayRole) {
        const store::Value& v = m_result->field(std::size_t(index.row()), std::size_t(index.column()));
        return m_format ? m_format(v, index.column()) : QString::fromStdString(v.toText());
    }
    if (role == kSortRole) {
        if (m_sortKey)
            if (QString key = m_sortKey(index.row(), index.column()); !key.isEmpty()) return key;
        const store::Value& v = m_result->field(std::size_t(index.row()), std::size_t(index.column()));
        if (v.isInteger() || v.isReal()) return v.toNumber();
        return QString::fromStdString(v.toText());
    }
    if (role == Qt::TextAlignmentRole) {
        for (const auto& [column, alignment] : m_alignments)
            if (column == index.column()) return QVariant::fromValue(alignment);
    }
    return {};
}

QVariant ResultSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return {};
    if (!m_result || section >= int(m_result->columns().size())) return {};
    return QString::fromStdString(m_result->columns()[std::size_t(section)]);
}

}  // namespace vesk::gui
