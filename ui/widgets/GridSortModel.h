#pragma once

#include <QSortFilterProxyModel>
#include <functional>

namespace vesk::gui {

/// A grid's rows in the order a heading's click asks for: amounts (thousands separators and
/// all) as numbers, dd/mm/yyyy dates as dates, other texts in any case; a second click
/// reverses. Sorted by column -1, the rows stand in the model's own order again.
class GridSortModel : public QSortFilterProxyModel {
  public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    /// The rows that stay last whichever way a column sorts (a total row).
    void setKeptLast(std::function<bool(int sourceRow)> last) { m_last = std::move(last); }

  protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

  private:
    std::function<bool(int)> m_last;
};

}  // namespace vesk::gui
