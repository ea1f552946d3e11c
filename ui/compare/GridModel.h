#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "compare/Grid.h"

class QTableView;

namespace vesk::gui {

/// A read-only table over a comparison grid: red cells with white text, the total row
/// yellow and bold, amounts to the right.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit GridModel(const compare::Grid& grid, QObject* parent = nullptr)
        : QAbstractTableModel(parent), m_grid(grid) {}

    /// Rereads the grid and shows it in the view: hidden columns (width 0) and rows.
    void refresh(QTableView& view);
    /// Shows and hides the view's rows as the grid's rows are.
    void showRows(QTableView& view) const;
    /// Sets the column widths so that every cell and heading reads in full and the columns
    /// fill the view's width: the designed widths, widened where a text needs it, the
    /// widest (the name) giving up room first and the free room shared in proportion.
    void fitColumns(QTableView& view) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    /// A shown column's widths in pixels: designed, what its widest text needs, what its heading needs.
    struct Column {
        int index, designed, needed, heading;
    };
    /// Measures the texts once per refresh, so that resizing only shares out the room.
    void measure(const QTableView& view);

    const compare::Grid& m_grid;
    std::vector<Column> m_columns;
};

}  // namespace vesk::gui
