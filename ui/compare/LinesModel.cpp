#include "compare/LinesModel.h"

#include <algorithm>

#include "compare/ExplanationWorkbook.h"
#include "core/Amount.h"
#include "widgets/FormStyle.h"

namespace vesk::gui {

LinesModel::LinesModel(std::vector<std::string> headers, std::vector<int> numberColumns, int noteColumn, int hintColumn,
                       QObject* parent)
    : QAbstractTableModel(parent),
      m_headers(std::move(headers)),
      m_numberColumns(std::move(numberColumns)),
      m_noteColumn(noteColumn),
      m_hintColumn(hintColumn) {}

void LinesModel::setRows(std::vector<Row> rows, const compare::PairingRules& rules) {
    beginResetModel();
    m_rows = std::move(rows);
    m_rules = rules;
    endResetModel();
}

int LinesModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

int LinesModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_headers.size()); }

QVariant LinesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || std::size_t(index.row()) >= m_rows.size()) return {};
    const Row& row = m_rows[std::size_t(index.row())];
    const std::size_t column = std::size_t(index.column());
    if (column >= row.cells.size()) return {};
    switch (role) {
        case Qt::DisplayRole:
            return row.cells[column];
        case kSortRole:
            if (column < row.sortKeys.size() && row.sortKeys[column].isValid()) return row.sortKeys[column];
            return row.cells[column].toLower();
        case Qt::BackgroundRole:
            return qColor(compare::pairClassColour(row.line.cls));
        case Qt::ToolTipRole:
            if (index.column() == m_noteColumn && row.line.note) return QString::fromStdString(row.line.note->text);
            if (index.column() == m_hintColumn && !row.cells[column].isEmpty()) return row.cells[column];
            return QString::fromStdString(compare::pairClassMeaning(row.line.cls, m_rules));
        case Qt::TextAlignmentRole:
            if (std::count(m_numberColumns.begin(), m_numberColumns.end(), index.column()))
                return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant LinesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section < 0 || std::size_t(section) >= m_headers.size()) return {};
    return QString::fromStdString(m_headers[std::size_t(section)]);
}

std::vector<QString> shownCells(const std::vector<std::string>& cells, const compare::ExplainedLine& line,
                                int amountColumn) {
    std::vector<QString> out;
    for (const std::string& cell : cells) out.push_back(QString::fromStdString(cell));
    out[std::size_t(amountColumn)] = QString::fromStdString(formatAmount(line.amount, Grouping::Thousands));
    return out;
}

}  // namespace vesk::gui
