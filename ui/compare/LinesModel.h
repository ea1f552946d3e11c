#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QVariant>
#include <string>
#include <vector>

#include "compare/Explanation.h"

namespace vesk::gui {

/// Rows of explained lines in a grid, each filled by its class (its meaning as the tip, or
/// the whole note in the note's column, the whole hint in the hint's): the explanation's
/// rows, the open items.
class LinesModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    /// The role a sorting proxy reads: a column's own key where it has one, else its text.
    static constexpr int kSortRole = Qt::UserRole;

    struct Row {
        compare::ExplainedLine line;
        std::vector<QString> cells;
        std::vector<QVariant> sortKeys;  ///< by column; an invalid one sorts by the text
    };

    /// The headers, the columns shown right-aligned (numbers), the column of the note and of
    /// the hint.
    LinesModel(std::vector<std::string> headers, std::vector<int> numberColumns, int noteColumn, int hintColumn,
               QObject* parent = nullptr);
    /// The rows, and the rules they were paired by: the tooltips say what each class means.
    void setRows(std::vector<Row> rows, const compare::PairingRules& rules = {});

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    std::vector<std::string> m_headers;
    std::vector<int> m_numberColumns;
    int m_noteColumn;
    int m_hintColumn;
    std::vector<Row> m_rows;
    compare::PairingRules m_rules;
};

/// A row's cells as text, its amount with thousands separated as the window's summaries write
/// it (the listings keep the plain number).
std::vector<QString> shownCells(const std::vector<std::string>& cells, const compare::ExplainedLine& line,
                                int amountColumn);

}  // namespace vesk::gui
