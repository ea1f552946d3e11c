#include "widgets/RowFilterModel.h"

namespace vesk::gui {

RowFilterModel::RowFilterModel(QStringList headings, QObject* parent)
    : QSortFilterProxyModel(parent), m_headings(std::move(headings)) {}

void RowFilterModel::setFilterText(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed == m_text) return;
    m_text = trimmed;
    invalidateFilter();
}

bool RowFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (m_text.isEmpty()) return true;
    const QAbstractItemModel* source = sourceModel();
    for (int c = 0; c < source->columnCount(sourceParent); ++c) {
        if (!m_headings.contains(source->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(),
                                 Qt::CaseInsensitive))
            continue;
        if (source->index(sourceRow, c, sourceParent).data().toString().contains(m_text, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

}  // namespace vesk::gui
